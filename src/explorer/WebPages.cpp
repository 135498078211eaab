// The page writer of the explorer's web pages.
#include "explorer/WebPages.h"

#include "explorer/xplr8900.h"
#include "imaging/Helpers.h"
#include "platform/Graphics.h"
#include "platform/Jpeg.h"
#include "platform/Streams.h"
#include "platform/SysUtils.h"

#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>

namespace lumvor::webpage {

std::string HtmlEscape(std::string_view Text) {
    std::string out;
    out.reserve(Text.size());
    for (char c : Text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string EncodeUrlSegment(std::string_view Segment) {
    static const char* const hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : Segment) {
        const bool kept = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                          c == '.' || c == '_' || c == '~';
        if (kept) {
            out += char(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

bool HasUnsafeUrlChars(std::string_view Name) { return Name.find_first_of(" %#") != std::string_view::npos; }

int ColumnCount(int PageWidth, int CellWidth) { return std::clamp(PageWidth / std::max(CellWidth, 64), 1, 10); }

std::string CellStart(int Columns) {
    static const char* const shares[] = {"100", "50", "33", "25", "20", "16", "14", "12", "11", "10"};
    return std::string("<td width=") + shares[std::clamp(Columns, 1, 10) - 1] + "%>";
}

std::string SeriesPageFile(const std::string& FirstPage, int Number) {
    if (Number <= 1) return FirstPage;
    const std::string stem = FirstPage.substr(0, FirstPage.size() >= 4 ? FirstPage.size() - 4 : 0);
    return stem + "_" + std::to_string(Number) + ".htm";
}

std::string ThumbBase(const std::string& Name) {
    std::string base = Name;
    if (base.size() >= 4 && base.compare(base.size() - 4, 4, ".jpg") == 0) base.resize(base.size() - 4);
    std::replace(base.begin(), base.end(), '.', '_');
    return base;
}

void ResampleWebThumb(TBitmap& Bitmap, int SourceWidth, int SourceHeight, int CellWidth, int CellHeight) {
    if (SourceWidth <= 0 || SourceHeight <= 0 || CellWidth <= 0 || CellHeight <= 0) return;
    Bitmap.SetPixelFormat(pf24bit);
    // The source part must lie inside the bitmap; a smaller bitmap grows white.
    if (Bitmap.Width() < std::max(SourceWidth, CellWidth) || Bitmap.Height() < std::max(SourceHeight, CellHeight))
        Bitmap.SetSize(std::max({Bitmap.Width(), SourceWidth, CellWidth}),
                       std::max({Bitmap.Height(), SourceHeight, CellHeight}));
    const int rowBytes = 3 * Bitmap.Width();
    std::vector<uint8_t> source(size_t(SourceHeight) * rowBytes);
    for (int y = 0; y < SourceHeight; ++y) std::memcpy(&source[size_t(y) * rowBytes], Bitmap.ScanLine(y), rowBytes);
    const int columnDivisor = std::max(CellWidth - 1, 1);
    for (int y = 0; y < CellHeight; ++y) {
        const int sy = std::min((SourceHeight - 1) * y / CellHeight, SourceHeight - 1);
        const uint8_t* from = &source[size_t(sy) * rowBytes];
        uint8_t* to = Bitmap.ScanLine(y);
        for (int x = CellWidth - 1; x >= 0; --x) {
            const int sx = std::min((SourceWidth - 1) * x / columnDivisor, SourceWidth - 1);
            std::memcpy(to + 3 * x, from + 3 * sx, 3);
        }
    }
}

std::string FolderOf(const std::string& Path) { return ExtractFilePath(Path); }

int PageCount(int Count, int PerPage, bool SimplePage) {
    if (SimplePage || PerPage <= 0) return 1;
    return std::max(1, Count / PerPage + (Count % PerPage ? 1 : 0));
}

namespace {

// Blanks and "#" of an address the user typed.
std::string TypedAddress(const std::string& Address) { return xplr8900::UrlEscape(Address); }

// Names the thumbnails of one run, so that none of the run overwrites another.
class TThumbNamer {
public:
    TThumbNamer(const TPageJob& Job, const std::string& ThumbsDir) : job_(Job), dir_(ThumbsDir) {}

    std::string Next(const TPageFile& File) {
        std::string name = job_.Kind == TPageKind::FixedCatalog ? CounterName() : BaseName(File);
        used_.insert(name);
        return name;
    }

private:
    // "_" + base + ".jpg", with "_2", "_3" ... before ".jpg" for a name the
    // run gave already.
    std::string BaseName(const TPageFile& File) {
        const std::string base = "_" + ThumbBase(File.Name);
        std::string name = base + ".jpg";
        for (int n = 2; used_.count(name); ++n) name = base + "_" + std::to_string(n) + ".jpg";
        return name;
    }
    // The counter as 8 hex digits + ".jpg"; a name whose file exists advances the
    // counter, and the free name then gets the catalog page's number in front.
    std::string CounterName() {
        uint32_t local = 0;
        uint32_t& counter = job_.ThumbCounter ? *job_.ThumbCounter : local;
        bool clashed = false;
        for (;;) {
            ++counter;
            char hex[9];
            std::snprintf(hex, sizeof hex, "%08X", counter);
            std::string name = std::string(hex) + ".jpg";
            if (!clashed && !Taken(name)) return name;
            clashed = true;
            if (Taken(name)) continue;
            name = std::to_string(job_.CatalogPageNumber) + name;
            if (!Taken(name)) return name;
        }
    }
    bool Taken(const std::string& Name) const { return used_.count(Name) || FileExists(dir_ + Name); }

    const TPageJob& job_;
    std::string dir_;
    std::set<std::string> used_;
};

}  // namespace

void LoadCellPicture(const TPageJob& Job, const TPageFile& File, TBitmap& Picture) {
    if (!Job.LoadThumbnail || !Job.LoadThumbnail(File, Picture) || Picture.Empty()) {
        // A new bitmap's area is white.
        Picture.SetPixelFormat(pf24bit);
        Picture.SetSize(Job.SourceWidth, Job.SourceHeight);
    }
    Picture.SetPixelFormat(pf24bit);
    if (Job.CellWidth != Job.SourceWidth || Job.CellHeight != Job.SourceHeight)
        ResampleWebThumb(Picture, Job.SourceWidth, Job.SourceHeight, Job.CellWidth, Job.CellHeight);
    // The top-left cell part (a smaller picture grows white).
    Picture.SetSize(Job.CellWidth, Job.CellHeight);
}

// The page's picture link of a file.
std::string FileLink(const TPageJob& Job, const TPageFile& File) {
    switch (Job.Kind) {
        case TPageKind::FixedCatalog:
            return QUrl::fromLocalFile(QString::fromStdString(File.Path)).toString(QUrl::FullyEncoded).toStdString();
        case TPageKind::OfflineCatalog: return EncodeUrlSegment(File.Name);
        case TPageKind::Internet: break;
    }
    return TypedAddress(Job.WebFolder) + EncodeUrlSegment(File.Name);
}

std::string ThumbSource(const TPageJob& Job, const std::string& ThumbName) {
    if (Job.ThumbsFolder.empty() || Job.SimplePage) return EncodeUrlSegment(ThumbName);
    return EncodeUrlSegment(Job.ThumbsFolder) + "/" + EncodeUrlSegment(ThumbName);
}

namespace {

std::string HexColor(TColor Color) {
    std::string text;
    ColorToHexRGB(Color, text);
    return text;
}

// Makes the cell picture of a file and writes it as a JPEG.
void WriteThumbnail(const TPageJob& Job, const TPageFile& File, const std::string& Target) {
    TBitmap picture;
    LoadCellPicture(Job, File, picture);
    TJPEGImage jpeg;
    TJPEGEncodeOptions options;
    options.quality = std::clamp<int>(Job.Options.ThumbQuality(), 1, 100);
    options.progressive = Job.Progressive;
    jpeg.Assign(picture);
    jpeg.Compress(options);
    jpeg.SaveToFile(Target);
}

// The lines of one page.
class TPageText {
public:
    explicit TPageText(const TPageJob& Job) : job_(Job) {}

    void Head(const std::string& Title) {
        const THTMLSet& o = job_.Options;
        Line("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">");
        Line("<TITLE>" + HtmlEscape(Title) + "</TITLE>");
        Line("<HTML><BODY TEXT=\"#" + HexColor(o.TextColor()) + "\" BGCOLOR=\"#" + HexColor(o.PageColor()) + "\">");
        Line("<P ALIGN=\"CENTER\"><center><FONT SIZE=\"4\">");
        if (job_.Kind == TPageKind::Internet && o.BannerURL()) Line(job_.PageBanner);
        Line(HtmlEscape(Title) + "<FONT SIZE=\"-1\">" +
             "<br>Click thumbnail to view image; click Browser Back button to return." + "<p>");
    }

    void TableStart() {
        const THTMLSet& o = job_.Options;
        Line("<table align=center  border=\"" + std::to_string(o.GridBorder()) + "\" BGCOLOR=\"#" +
             HexColor(o.GridColor()) + "\" width=100%>");
    }

    void DetailCell(const std::string& Cell, const std::string& Anchor, const TPageFile& File,
                    const std::string& Source) {
        const THTMLSet& o = job_.Options;
        const std::string name = HtmlEscape(File.Name);
        Line(Cell + "<font size=\"-1\"><center>" + Anchor + name + "</a><BR>" + HtmlEscape(File.SizeText) + "<BR>" +
             Anchor + "<img border=" + std::to_string(o.ThumbBorder()) + " src=\"" + HtmlEscape(Source) + "\"" +
             " width=\"" + std::to_string(job_.CellWidth) + "\" height=\"" + std::to_string(job_.CellHeight) +
             "\" " + "alt=\"" + name + "\"></a>");
        if (o.ImageComments()) Line("<br>" + HtmlEscape(File.Comment));
        Line("</td>");
    }

    void FreeCell(const std::string& Anchor, const TPageFile& File, const std::string& Source) {
        Line(Anchor + "<img border=" + std::to_string(job_.Options.ThumbBorder()) + " src=\"" + HtmlEscape(Source) +
             "\"" + " alt=\"" + HtmlEscape(File.Name) + " " + HtmlEscape(File.SizeText) + "\"" + "></a>");
    }

    // The Back, Home and Next cells; an empty neighbour name gives the dot cell.
    void Navigation(bool MultiPage, const std::string& Back, const std::string& Next) {
        const bool buttons = job_.Options.NavButtons();
        if (!MultiPage) {
            Line("<p><table align=center border=\"1\" width=180><tr>");
            Line("</tr></table>");
            return;
        }
        Line(buttons ? "<p><table align=center border=\"0\" width=180><tr><font size=\"3\">"
                     : "<p><table align=center border=\"1\" width=180><tr>");
        NavCell(Back, "-&#32Back", "Back");
        if (job_.Interactive && job_.Kind == TPageKind::Internet && job_.Options.HomeURL())
            NavLink(TypedAddress(job_.PageHome), "&#32Home&#32", "Home");
        else if (!job_.CatalogHome.empty())
            NavLink(job_.CatalogHome, "&#32Home&#32", "Home");
        NavCell(Next, "&#32Next&#32+", "Next");
        Line("</tr></table>");
    }

    void Footer() {
        Line("<p><FONT SIZE=\"1\">Generated with <b><a href=\"" + HtmlEscape("http://" + job_.MakerAddress) +
             "\">Lumvor 8.9</a></b>.</BODY></HTML>");
    }

    void Line(const std::string& Text) {
        text_ += Text;
        text_ += "\r\n";
    }
    const std::string& Text() const { return text_; }

private:
    void NavCell(const std::string& PageName, const char* Button, const char* Link) {
        if (PageName.empty())
            Line("<td width=33%><center> . </td>");
        else
            NavLink(EncodeUrlSegment(PageName), Button, Link);
    }
    void NavLink(const std::string& Target, const char* Button, const char* Link) {
        const std::string target = HtmlEscape(Target);
        if (job_.Options.NavButtons())
            Line("<td width=33%><center><form action=\"" + target + "\"><input type=Submit value=" + Button +
                 "></form></td>");
        else
            Line("<td width=33%><center><a href=\"" + target + "\">" + Link + "</a></td>");
    }

    const TPageJob& job_;
    std::string text_;
};

}  // namespace

std::string PageHeadLines(const TPageJob& Job, const std::string& Title) {
    TPageText text(Job);
    text.Head(Title);
    return text.Text();
}

std::string SeriesNavigationLines(const TPageJob& Job, const std::string& Back, const std::string& Next) {
    TPageText text(Job);
    text.Navigation(true, Back, Next);
    return text.Text();
}

std::string FooterLine(const TPageJob& Job) {
    TPageText text(Job);
    text.Footer();
    return text.Text();
}

std::string PrepareThumbsDir(const TPageJob& Job) {
    const std::string pageDir = FolderOf(Job.PageFile);
    if (Job.ThumbsFolder.empty() || Job.SimplePage) return pageDir;
    const std::string thumbsDir = IncludeTrailingPathDelimiter(pageDir + Job.ThumbsFolder);
    ForceDirectories(thumbsDir);
    return thumbsDir;
}

TPageResult WritePages(const TPageJob& Job) {
    TPageResult result;
    result.ThumbsDir = PrepareThumbsDir(Job);
    const THTMLSet& o = Job.Options;
    const int count = int(Job.Files.size());
    const int perPage = Job.SimplePage ? std::max(count, 1) : std::max<int>(o.ThumbsPerPage(), 1);
    const int pages = PageCount(count, perPage, Job.SimplePage);
    const bool multiPage = !Job.SimplePage;
    const int columns = ColumnCount(o.PageWidth(), Job.CellWidth);
    const std::string cell = CellStart(columns);
    TThumbNamer namer(Job, result.ThumbsDir);

    int next = 0;
    for (int page = 1; page <= pages; ++page) {
        std::string title = Job.Title;
        if (multiPage && pages > 1) title += " (" + std::to_string(page) + " of " + std::to_string(pages) + ")";
        TPageText text(Job);
        text.Head(title);
        if (o.FileDetails()) text.TableStart();
        int column = 0;
        const int end = std::min(count, next + perPage);
        for (; next < end; ++next) {
            const TPageFile& file = Job.Files[next];
            if (Job.Progress) Job.Progress(next, count);
            const std::string thumbName = namer.Next(file);
            const std::string thumbPath = result.ThumbsDir + thumbName;
            WriteThumbnail(Job, file, thumbPath);
            result.Thumbs.push_back(thumbPath);
            if (HasUnsafeUrlChars(file.Name)) result.NeedsUrlWarning = true;
            const std::string anchor = "<a href=\"" + HtmlEscape(FileLink(Job, file)) + "\">";
            const std::string source = ThumbSource(Job, thumbName);
            if (o.FileDetails()) {
                if (column == 0) text.Line("<tr>");
                text.DetailCell(cell, anchor, file, source);
                if (++column == columns) {
                    text.Line("</tr>");
                    column = 0;
                }
            } else {
                text.FreeCell(anchor, file, source);
            }
        }
        if (o.FileDetails()) {
            if (column > 0) {
                for (; column < columns; ++column) text.Line(cell + "<br></td>");
                text.Line("</tr>");
            }
            text.Line("</table>");
        }
        const std::string back = page > 1 ? ExtractFileName(SeriesPageFile(Job.PageFile, page - 1)) : "";
        const std::string forward = next < count ? ExtractFileName(SeriesPageFile(Job.PageFile, page + 1)) : "";
        text.Navigation(multiPage, back, forward);
        text.Footer();
        const std::string pageFile = SeriesPageFile(Job.PageFile, page);
        WriteWholeFile(pageFile, text.Text().data(), int64_t(text.Text().size()));
        result.Pages.push_back(pageFile);
    }
    return result;
}

}  // namespace lumvor::webpage
