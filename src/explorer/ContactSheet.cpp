// The contact sheet writer: the layout of a sheet, the drawing of its cells,
// the sheet pictures' names and the pages with their image maps.
#include "explorer/ContactSheet.h"

#include "platform/Graphics.h"
#include "platform/Jpeg.h"
#include "platform/Streams.h"
#include "platform/SysUtils.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace lumvor::contactsheet {

using namespace webpage;

TSheetLayout SheetLayout(int PageWidth, int CellWidth, int CellHeight) {
    TSheetLayout layout;
    CellWidth = std::max(CellWidth, 1);
    const int cellHeight = std::max(CellHeight, 1) + LabelHeight;
    layout.Width = PageWidth < CellWidth ? CellWidth + 32 : PageWidth;
    layout.HeightBudget = int(int64_t(layout.Width) * 75 / 100);
    layout.Rows = std::max(layout.HeightBudget / cellHeight, 1);
    layout.Columns = std::max(layout.Width / CellWidth, 1);
    layout.PerSheet = layout.Rows * layout.Columns;
    layout.PictureWidth = CellWidth * layout.Columns;
    layout.PictureHeight = cellHeight * layout.Rows + 4;
    return layout;
}

int SheetCount(int Count, int PerSheet) { return PageCount(Count, std::max(PerSheet, 1), false); }

std::string SheetPictureName(uint32_t Number) {
    char name[16];
    std::snprintf(name, sizeof name, "P%07X.jpg", Number);
    return name;
}

TCellPlace CellPlace(const TSheetLayout& Layout, int Index, int CellWidth, int CellHeight) {
    const int left = Index % Layout.Columns * CellWidth;
    const int top = Index / Layout.Columns * (CellHeight + LabelHeight);
    TCellPlace place;
    place.Thumb = Rect(left, top, left + CellWidth, top + CellHeight);
    place.Label = Rect(left, top + CellHeight + 1, left + CellWidth, top + CellHeight + 1 + LabelHeight);
    return place;
}

std::string AreaLine(const TPageJob& Job, const TPageFile& File, const TCellPlace& Place) {
    // The rectangle runs straight into HREF without a blank, as pages of
    // this kind always were written; browsers read it.
    std::string line = "<AREA SHAPE=RECT COORDS=\"" + std::to_string(Place.Thumb.Left) + "," +
                       std::to_string(Place.Thumb.Top) + "," + std::to_string(Place.Thumb.Right) + "," +
                       std::to_string(Place.Label.Bottom) + "\"HREF=\"" + HtmlEscape(FileLink(Job, File)) + "\"";
    if (Job.Kind != TPageKind::OfflineCatalog) line += " alt=\"" + HtmlEscape(File.Name + " " + File.SizeText) + "\"";
    return line + ">";
}

void DrawCell(TBitmap& Sheet, const TCellPlace& Place, TBitmap& Thumbnail, const std::string& Label,
              const THTMLSet& Options) {
    // The thumbnail's top-left part, clipped to the sheet.
    Thumbnail.SetPixelFormat(pf24bit);
    const int left = std::max(Place.Thumb.Left, 0);
    const int width = std::min({Place.Thumb.Right, Sheet.Width()}) - left;
    const int copyWidth = std::min(width, Thumbnail.Width() - (left - Place.Thumb.Left));
    for (int y = std::max(Place.Thumb.Top, 0); copyWidth > 0 && y < std::min(Place.Thumb.Bottom, Sheet.Height()); ++y) {
        const int sourceRow = y - Place.Thumb.Top;
        if (sourceRow >= Thumbnail.Height()) break;
        std::memcpy(Sheet.ScanLine(y) + 3 * left, Thumbnail.ScanLine(sourceRow) + 3 * (left - Place.Thumb.Left),
                    size_t(copyWidth) * 3);
    }
    Sheet.Changed();

    TCanvas& canvas = Sheet.Canvas();
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = Options.GridColor();
    canvas.FillRect(Place.Label);
    canvas.Brush.Style = bsClear;
    canvas.Font.Color = Options.TextColor();
    const std::string shown = canvas.ElideText(Label, Place.Label.Width());
    const TSize extent = canvas.TextExtent(shown);
    canvas.TextRect(Place.Label, Place.Label.Left + (Place.Label.Width() - extent.cx) / 2,
                    Place.Label.Top + (Place.Label.Height() - extent.cy) / 2, shown);
    canvas.Brush.Style = bsSolid;
}

namespace {

// Names the sheet pictures of one run.
class TSheetNamer {
public:
    TSheetNamer(const TPageJob& Job, const std::string& ThumbsDir)
        : counter_(Job.ThumbCounter ? *Job.ThumbCounter : local_), dir_(ThumbsDir),
          keepExisting_(Job.Kind == TPageKind::FixedCatalog) {
        // Internet pages and offline catalogs number their sheets from 0 and
        // overwrite; a fixed catalog goes on from where the counter stands.
        if (!keepExisting_) counter_ = 0;
    }

    std::string Next() {
        while (keepExisting_ && FileExists(dir_ + SheetPictureName(counter_))) ++counter_;
        return SheetPictureName(counter_++);
    }

private:
    uint32_t local_ = 0;
    uint32_t& counter_;
    std::string dir_;
    bool keepExisting_;
};

void ClearSheet(TBitmap& Sheet, TColor PageColor) {
    TCanvas& canvas = Sheet.Canvas();
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = PageColor;
    canvas.FillRect(Rect(0, 0, Sheet.Width(), Sheet.Height()));
}

void SaveSheet(const TPageJob& Job, const TBitmap& Sheet, const std::string& Target) {
    TJPEGEncodeOptions options;
    options.quality = std::clamp<int>(Job.Options.ThumbQuality(), 1, 100);
    options.progressive = Job.Progressive;
    options.grayscale = false;
    TJPEGImage jpeg;
    jpeg.Assign(Sheet);
    jpeg.Compress(options);
    jpeg.SaveToFile(Target);
}

std::string ImageLines(const TPageJob& Job, const TSheetLayout& Layout, const std::string& PictureName) {
    // The picture's own size: a stretched picture would move its cells away
    // from the map's rectangles.
    return "<IMG SRC=\"" + HtmlEscape(ThumbSource(Job, PictureName)) + "\" width=" +
           std::to_string(Layout.PictureWidth) + " height=" + std::to_string(Layout.PictureHeight) +
           " border=0 USEMAP=\"#pics\" ISMAP hspace=0 vspace=0 alt=\"\">\r\n<MAP NAME=\"pics\">\r\n";
}

}  // namespace

TPageResult WriteContactSheets(const TPageJob& Job) {
    TPageResult result;
    result.ThumbsDir = PrepareThumbsDir(Job);
    const TSheetLayout layout = SheetLayout(Job.Options.PageWidth(), Job.CellWidth, Job.CellHeight);
    const int count = int(Job.Files.size());
    const int sheets = SheetCount(count, layout.PerSheet);
    TSheetNamer namer(Job, result.ThumbsDir);
    TBitmap sheet;
    sheet.SetPixelFormat(pf24bit);
    sheet.SetSize(layout.PictureWidth, layout.PictureHeight);
    TBitmap thumbnail;

    int next = 0;
    bool cancelled = false;
    for (int number = 1; number <= sheets && !cancelled; ++number) {
        ClearSheet(sheet, Job.Options.PageColor());
        std::string title = Job.Title;
        if (sheets > 1) title += " (" + std::to_string(number) + " of " + std::to_string(sheets) + ")";
        const std::string pictureName = namer.Next();
        std::string text = PageHeadLines(Job, title) + ImageLines(Job, layout, pictureName);

        const int end = std::min(count, next + layout.PerSheet);
        for (int cell = 0; next < end && !cancelled; ++cell, ++next) {
            const TPageFile& file = Job.Files[size_t(next)];
            if (Job.Progress) Job.Progress(next, count);
            LoadCellPicture(Job, file, thumbnail);
            const TCellPlace place = CellPlace(layout, cell, Job.CellWidth, Job.CellHeight);
            DrawCell(sheet, place, thumbnail, file.Name, Job.Options);
            text += AreaLine(Job, file, place) + "\r\n";
            cancelled = Job.Cancelled && Job.Cancelled();
        }

        const std::string picturePath = result.ThumbsDir + pictureName;
        SaveSheet(Job, sheet, picturePath);
        result.Thumbs.push_back(picturePath);
        const std::string back = number > 1 ? ExtractFileName(SeriesPageFile(Job.PageFile, number - 1)) : "";
        // A cancelled run writes no link to a page that will not come.
        const std::string forward =
            !cancelled && next < count ? ExtractFileName(SeriesPageFile(Job.PageFile, number + 1)) : "";
        text += SeriesNavigationLines(Job, back, forward) + "</MAP>\r\n" + FooterLine(Job);
        const std::string pageFile = SeriesPageFile(Job.PageFile, number);
        WriteWholeFile(pageFile, text.data(), int64_t(text.size()));
        result.Pages.push_back(pageFile);
    }
    return result;
}

}  // namespace lumvor::contactsheet
