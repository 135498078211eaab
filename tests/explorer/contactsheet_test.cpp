// Contact sheets: the layout arithmetic, the sheet picture names, the map
// lines, and whole sheet series read back independently: the pages with
// html5lib, the sheet pictures with PIL and ImageMagick, the markup with tidy.
#include "explorer/ContactSheet.h"

#include "explorer/xplr8900.h"
#include "imaging/Helpers.h"
#include "platform/Graphics.h"
#include "platform/Jpeg.h"
#include "platform/SysUtils.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QUrl>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/case_names.h"
#include "support/file_helpers.h"
#include "support/web_page_jobs.h"

namespace lumvor {
namespace {

using namespace contactsheet;
using webpage::TPageFile;
using webpage::TPageJob;
using webpage::TPageKind;
using webpage::TPageResult;
namespace fs = std::filesystem;

const std::string Fixtures = LUMVOR_FIXTURES "/";
const std::string& Cell = test::WebCellPicture;  // 168 x 126
const std::string Facts = Fixtures + "contactsheets/sheet_facts.py";

// A shell word.
std::string Arg(const std::string& Text) {
    std::string out = "'";
    for (char c : Text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

QJsonObject RunFacts(const std::string& Arguments) {
    const std::string json = test::CommandOutput("/usr/bin/python3 " + Arg(Facts) + " " + Arguments);
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(json)).object();
    EXPECT_FALSE(o.isEmpty()) << "sheet_facts.py " << Arguments << " said: " << json;
    return o;
}

// One map area as html5lib reads it.
struct TArea {
    std::string Coords, Href, Alt;
};

struct TSheetPage {
    std::string Title;
    std::vector<QJsonObject> Images;
    std::vector<std::string> MapNames;
    std::vector<TArea> Areas;  // of every map, in order
    std::vector<std::string> Links, Actions;
};

std::vector<std::string> Strings(const QJsonValue& Value) {
    std::vector<std::string> out;
    for (const QJsonValue& v : Value.toArray()) out.push_back(v.toString().toStdString());
    return out;
}

TSheetPage ReadPage(const std::string& Page) {
    const QJsonObject o = RunFacts("page " + Arg(Page));
    TSheetPage page;
    page.Title = o["title"].toString().toStdString();
    for (const QJsonValue& img : o["img"].toArray()) page.Images.push_back(img.toObject());
    for (const QJsonValue& map : o["maps"].toArray()) {
        page.MapNames.push_back(map.toObject()["name"].toString().toStdString());
        for (const QJsonValue& area : map.toObject()["areas"].toArray()) {
            const QJsonObject a = area.toObject();
            EXPECT_EQ(a["shape"].toString(), "RECT");
            page.Areas.push_back({a["coords"].toString().toStdString(), a["href"].toString().toStdString(),
                                  a["alt"].isNull() ? "" : a["alt"].toString().toStdString()});
        }
    }
    page.Links = Strings(o["href"]);
    page.Actions = Strings(o["action"]);
    return page;
}

// The local file a link of a page names.
std::string LinkedFile(const std::string& Page, const std::string& Link) {
    const QUrl base = QUrl::fromLocalFile(QString::fromStdString(Page));
    const QUrl url = base.resolved(QUrl(QString::fromStdString(Link), QUrl::StrictMode));
    return url.isLocalFile() ? url.toLocalFile().toStdString() : std::string();
}

double Psnr(const std::string& Sheet, int X, int Y) {
    return std::stod(test::CommandOutput("/usr/bin/python3 " + Arg(Facts) + " psnr " + Arg(Sheet) + " " + Arg(Cell) +
                                         " " + std::to_string(X) + " " + std::to_string(Y)));
}

// How a box of a sheet picture compares with one colour.
struct TBoxFacts {
    double Share = 0;       // of pixels near the colour
    int First = -1, Last = -1;  // columns holding other pixels
};

TBoxFacts Box(const std::string& Sheet, const TRect& R, TColor Color, int Tolerance) {
    const QJsonObject o = RunFacts("box " + Arg(Sheet) + " " + std::to_string(R.Left) + " " + std::to_string(R.Top) +
                                   " " + std::to_string(R.Right) + " " + std::to_string(R.Bottom) + " " +
                                   std::to_string(GetRValue(Color)) + " " + std::to_string(GetGValue(Color)) + " " +
                                   std::to_string(GetBValue(Color)) + " " + std::to_string(Tolerance));
    return {o["share"].toDouble(), o["first"].toInt(), o["last"].toInt()};
}

std::string PictureSize(const std::string& Sheet) {
    return test::CommandOutput("identify -format '%w %h' " + Arg(Sheet));
}

const TColor Grid = RGB(40, 150, 60);
const TColor Page = clWhite;
const TColor Ink = clBlack;

// ---- Arithmetic

struct TLayoutCase {
    const char* Label;
    int PageWidth, CellWidth, CellHeight;
    int Width, Budget, Rows, Columns, PictureWidth, PictureHeight;
};

class SheetLayouts : public ::testing::TestWithParam<TLayoutCase> {};

TEST_P(SheetLayouts, FollowThePageWidth) {
    const TLayoutCase& c = GetParam();
    const TSheetLayout layout = SheetLayout(c.PageWidth, c.CellWidth, c.CellHeight);
    EXPECT_EQ(layout.Width, c.Width);
    EXPECT_EQ(layout.HeightBudget, c.Budget);
    EXPECT_EQ(layout.Rows, c.Rows);
    EXPECT_EQ(layout.Columns, c.Columns);
    EXPECT_EQ(layout.PerSheet, c.Rows * c.Columns);
    EXPECT_EQ(layout.PictureWidth, c.PictureWidth);
    EXPECT_EQ(layout.PictureHeight, c.PictureHeight);
}

INSTANTIATE_TEST_SUITE_P(
    ContactSheetLayout, SheetLayouts,
    ::testing::Values(TLayoutCase{"Page640", 640, 168, 126, 640, 480, 3, 3, 504, 448},
                      TLayoutCase{"PageNarrowerThanACell", 100, 168, 126, 200, 150, 1, 1, 168, 152},
                      TLayoutCase{"BudgetBelowOneRowStillOneRow", 170, 168, 126, 170, 127, 1, 1, 168, 152},
                      TLayoutCase{"Page1024", 1024, 168, 126, 1024, 768, 5, 6, 1008, 744},
                      TLayoutCase{"SmallCells", 640, 96, 72, 640, 480, 5, 6, 576, 474}),
    test::CaseNames<&TLayoutCase::Label>);

TEST(ContactSheetTexts, SheetNamesAndCounts) {
    EXPECT_EQ(SheetPictureName(0), "P0000000.jpg");
    EXPECT_EQ(SheetPictureName(26), "P000001A.jpg");
    EXPECT_EQ(SheetPictureName(0xFFFFFFF), "PFFFFFFF.jpg");
    EXPECT_EQ(SheetCount(10, 9), 2);
    EXPECT_EQ(SheetCount(9, 9), 1);
    EXPECT_EQ(SheetCount(0, 9), 1);
}

TEST(ContactSheetTexts, CellsStepRightThenDownAndTheirAreasReachTheStripBottom) {
    const TSheetLayout layout = SheetLayout(640, 168, 126);
    const TCellPlace first = CellPlace(layout, 0, 168, 126);
    EXPECT_EQ(first.Thumb.Right, 168);
    EXPECT_EQ(first.Thumb.Bottom, 126);
    EXPECT_EQ(first.Label.Top, 127);
    EXPECT_EQ(first.Label.Bottom, 149);
    const TCellPlace fifth = CellPlace(layout, 4, 168, 126);  // second row, middle column
    EXPECT_EQ(fifth.Thumb.Left, 168);
    EXPECT_EQ(fifth.Thumb.Top, 148);

    TPageJob job;
    job.Kind = TPageKind::OfflineCatalog;
    const TPageFile photo{"Photo.JPG", "/pics/Photo.JPG", "1 KB", ""};
    EXPECT_EQ(AreaLine(job, photo, first), "<AREA SHAPE=RECT COORDS=\"0,0,168,149\"HREF=\"Photo.JPG\">");
    EXPECT_EQ(AreaLine(job, photo, fifth), "<AREA SHAPE=RECT COORDS=\"168,148,336,297\"HREF=\"Photo.JPG\">");
    job.Kind = TPageKind::FixedCatalog;
    EXPECT_EQ(AreaLine(job, {"a b#.JPG", "/pics/a b#.JPG", "1 KB", ""}, first),
              "<AREA SHAPE=RECT COORDS=\"0,0,168,149\"HREF=\"file:///pics/a%20b%23.JPG\" alt=\"a b#.JPG 1 KB\">");
    job.Kind = TPageKind::Internet;
    job.WebFolder = "http://example.org/my pics/";
    EXPECT_EQ(AreaLine(job, {"R&D <1>.JPG", "/pics/R&D <1>.JPG", "2 KB", ""}, first),
              "<AREA SHAPE=RECT COORDS=\"0,0,168,149\"HREF=\"http://example.org/my%20pics/R%26D%20%3C1%3E.JPG\" "
              "alt=\"R&amp;D &lt;1&gt;.JPG 2 KB\">");
}

TEST(ContactSheetTexts, LongLabelsAreCutWithAnEllipsisToTheCell) {
    TBitmap sheet;
    const std::string name(80, 'W');
    const std::string shown = sheet.Canvas().ElideText(name + ".jpg", 168);
    EXPECT_LT(shown.size(), name.size());
    EXPECT_EQ(shown.substr(shown.size() - 3), "\u2026");
    EXPECT_LE(sheet.Canvas().TextWidth(shown), 168);
    EXPECT_EQ(sheet.Canvas().ElideText("a.jpg", 168), "a.jpg");
}

// ---- Sheets

// Contact sheet jobs over a folder of pictures (copies of one ImageMagick
// JPEG): a page 640 pixels wide, quality 90, a strip colour far from the
// picture's and the page's.
class ContactSheets : public test::WebPageFolders {
protected:
    TPageJob Job(TPageKind Kind, std::vector<TPageFile> Files) {
        TPageJob job = BaseJob(Kind, std::move(Files));
        job.Options.SetContactSheet(true);
        job.Options.SetPageWidth(640);
        job.Options.SetThumbQuality(90);
        job.Options.SetGridColor(Grid);
        job.Options.SetPageColor(Page);
        job.Options.SetTextColor(Ink);
        return job;
    }
};

TEST_F(ContactSheets, TenFilesMakeTwoSheetPagesWhoseAreasLinkTheRealFiles) {
    std::vector<TPageFile> files = Pictures(8);
    files.insert(files.begin() + 1, Picture("Photo.JPG"));
    files.push_back(Picture("last one.jpg"));
    const TPageResult result = WriteContactSheets(Job(TPageKind::OfflineCatalog, files));
    ASSERT_EQ(result.Pages, (std::vector<std::string>{pictures_ + "album.htm", pictures_ + "album_2.htm"}));
    ASSERT_EQ(result.Thumbs,
              (std::vector<std::string>{pictures_ + "thumbs/P0000000.jpg", pictures_ + "thumbs/P0000001.jpg"}));
    EXPECT_FALSE(result.NeedsUrlWarning) << "sheet runs give no compatibility hint";
    for (const std::string& sheet : result.Thumbs) EXPECT_EQ(PictureSize(sheet), "504 448") << sheet;

    const TSheetPage first = ReadPage(result.Pages[0]);
    EXPECT_EQ(first.Title, "Holiday (1 of 2)");
    ASSERT_EQ(first.Images.size(), 1u);
    EXPECT_EQ(first.Images[0]["src"].toString(), "thumbs/P0000000.jpg");
    EXPECT_EQ(first.Images[0]["usemap"].toString(), "#pics");
    EXPECT_EQ(first.Images[0]["width"].toString(), "504");
    EXPECT_EQ(first.Images[0]["height"].toString(), "448");
    EXPECT_EQ(first.MapNames, std::vector<std::string>{"pics"});
    ASSERT_EQ(first.Areas.size(), 9u);
    EXPECT_EQ(first.Areas[0].Coords, "0,0,168,149");
    EXPECT_EQ(first.Areas[5].Coords, "336,148,504,297");
    EXPECT_EQ(first.Areas[8].Coords, "336,296,504,445");
    EXPECT_EQ(first.Areas[1].Href, "Photo.JPG") << "the real name, case kept";
    EXPECT_EQ(first.Links, (std::vector<std::string>{"album_2.htm", "http://www.example.com/lumvor"}));

    const TSheetPage second = ReadPage(result.Pages[1]);
    EXPECT_EQ(second.Title, "Holiday (2 of 2)");
    ASSERT_EQ(second.Areas.size(), 1u);
    EXPECT_EQ(second.Areas[0].Href, "last%20one.jpg");
    EXPECT_EQ(second.Links[0], "album.htm");
    for (const std::string& page : result.Pages) {
        for (const TArea& area : ReadPage(page).Areas) {
            const std::string file = LinkedFile(page, area.Href);
            EXPECT_TRUE(FileExists(file)) << area.Href;
            EXPECT_EQ(ExtractFilePath(file), pictures_);
        }
    }
    // The map closes after the navigation table; the footer follows.
    const std::string text = test::ReadFileText(result.Pages[1]);
    EXPECT_NE(text.find("\"HREF=\"last%20one.jpg\">\r\n<p><table align=center border=\"1\" width=180><tr>\r\n"
                        "<td width=33%><center><a href=\"album.htm\">Back</a></td>\r\n"
                        "<td width=33%><center> . </td>\r\n</tr></table>\r\n</MAP>\r\n<p><FONT SIZE=\"1\">"),
              std::string::npos)
        << text;
}

TEST_F(ContactSheets, CellsHoldTheThumbnailAndAStripOfTheGridColour) {
    const TPageResult result = WriteContactSheets(Job(TPageKind::OfflineCatalog, Pictures(9)));
    ASSERT_EQ(result.Thumbs.size(), 1u);
    const std::string sheet = result.Thumbs[0];
    for (int cell = 0; cell < 9; ++cell)
        EXPECT_GE(Psnr(sheet, cell % 3 * 168, cell / 3 * 148), 30.0) << "cell " << cell;

    // The strip of the first cell: rows 127 .. 147 (148 is the next row's
    // thumbnail). Its ends hold no text of "img1.jpg": near the grid colour
    // everywhere (its first and last rows take some colour from their
    // neighbours through the JPEG's halved chroma), closely inside; its
    // middle holds the label.
    for (const TRect& end : {Rect(0, 127, 40, 148), Rect(128, 127, 168, 148)}) {
        EXPECT_EQ(Box(sheet, end, Grid, 64).Share, 1.0) << end.Left;
        EXPECT_EQ(Box(sheet, Rect(end.Left, 129, end.Right, 146), Grid, 12).Share, 1.0) << end.Left;
    }
    EXPECT_LT(Box(sheet, Rect(40, 129, 128, 146), Grid, 12).Share, 0.9) << "the label is drawn";
    // The row between thumbnail and strip keeps the page colour.
    EXPECT_GE(Box(sheet, Rect(8, 126, 160, 127), Page, 40).Share, 0.9);
    // In the last row the strip keeps all 22 rows, then the page margin.
    EXPECT_EQ(Box(sheet, Rect(0, 296 + 127, 30, 296 + 149), Grid, 64).Share, 1.0);
    EXPECT_EQ(Box(sheet, Rect(0, 296 + 129, 30, 296 + 147), Grid, 12).Share, 1.0);
    EXPECT_EQ(Box(sheet, Rect(0, 446, 504, 448), Page, 24).Share, 1.0);
}

TEST_F(ContactSheets, NarrowPagesHoldOneCellPerSheet) {
    TPageJob job = Job(TPageKind::OfflineCatalog, Pictures(2));
    job.Options.SetPageWidth(100);
    const TPageResult result = WriteContactSheets(job);
    ASSERT_EQ(result.Pages.size(), 2u);
    EXPECT_EQ(result.Pages[1], pictures_ + "album_2.htm");
    for (const std::string& sheet : result.Thumbs) EXPECT_EQ(PictureSize(sheet), "168 152");
    EXPECT_GE(Psnr(result.Thumbs[1], 0, 0), 30.0);
    EXPECT_EQ(ReadPage(result.Pages[1]).Areas[0].Coords, "0,0,168,149");
}

TEST_F(ContactSheets, FixedCatalogsKeepEarlierSheetsAndInternetPagesStartAgainAtZero) {
    // A fixed catalog re-run in a later program run (its counter at 0 again)
    // keeps every earlier sheet picture.
    fs::create_directories(site_ + "thumbs");
    test::WriteFileText(site_ + "thumbs/P0000000.jpg", "keep me");
    TPageJob fixed = Job(TPageKind::FixedCatalog, Pictures(10));
    const TPageResult once = WriteContactSheets(fixed);
    EXPECT_EQ(once.Thumbs,
              (std::vector<std::string>{site_ + "thumbs/P0000001.jpg", site_ + "thumbs/P0000002.jpg"}));
    EXPECT_EQ(counter_, 3u);
    const std::string firstSheet = test::ReadFileText(once.Thumbs[0]);
    counter_ = 0;
    const TPageResult again = WriteContactSheets(fixed);
    EXPECT_EQ(again.Thumbs,
              (std::vector<std::string>{site_ + "thumbs/P0000003.jpg", site_ + "thumbs/P0000004.jpg"}));
    EXPECT_EQ(test::ReadFileText(site_ + "thumbs/P0000000.jpg"), "keep me");
    EXPECT_EQ(test::ReadFileText(once.Thumbs[0]), firstSheet);
    // Fixed catalog areas are file URLs of the pictures, their case kept.
    const TSheetPage page = ReadPage(again.Pages[0]);
    EXPECT_EQ(page.Images[0]["src"].toString(), "thumbs/P0000003.jpg");
    ASSERT_EQ(page.Areas.size(), 9u);
    EXPECT_EQ(page.Areas[0].Href, "file://" + pictures_ + "img1.jpg");
    for (const TArea& area : page.Areas) EXPECT_TRUE(FileExists(LinkedFile(again.Pages[0], area.Href))) << area.Href;

    // An Internet page starts at P0000000.jpg whatever the counter says, and
    // overwrites.
    counter_ = 7;
    const TPageResult internet = WriteContactSheets(Job(TPageKind::Internet, Pictures(1)));
    EXPECT_EQ(internet.Thumbs, std::vector<std::string>{site_ + "thumbs/P0000000.jpg"});
    EXPECT_EQ(PictureSize(internet.Thumbs[0]), "504 448");
    EXPECT_EQ(counter_, 1u);
}

TEST_F(ContactSheets, MarkupCharactersAreEscapedInTheMapAndDrawnAsThemselves) {
    const std::string name = "R&D <one>.JPG";
    TPageJob job = Job(TPageKind::Internet, {Picture(name)});
    job.WebFolder = "http://example.org/pics/";
    job.Title = "<b>Mine</b>";
    const TPageResult result = WriteContactSheets(job);
    const TSheetPage page = ReadPage(result.Pages[0]);
    EXPECT_EQ(page.Title, "<b>Mine</b>");
    ASSERT_EQ(page.Areas.size(), 1u);
    EXPECT_EQ(page.Areas[0].Href, "http://example.org/pics/R%26D%20%3Cone%3E.JPG");
    EXPECT_EQ(page.Areas[0].Alt, name + " " + job.Files[0].SizeText);
    EXPECT_EQ(QUrl(QString::fromStdString(page.Areas[0].Href)).fileName().toStdString(), name);

    // The ink in the strip is as wide as the name itself, not as its
    // escaped form.
    TBitmap probe;
    const int width = probe.Canvas().TextWidth(name);
    ASSERT_LT(width, 150);
    const TBoxFacts ink = Box(result.Thumbs[0], Rect(0, 129, 168, 146), Grid, 60);
    ASSERT_GE(ink.First, 0) << "the label is drawn";
    EXPECT_NEAR(ink.Last - ink.First + 1, width, 4);
    EXPECT_NEAR(ink.First, (168 - width) / 2, 3) << "centred";
}

TEST_F(ContactSheets, CancelEndsTheRunAfterTheCurrentCellWithItsSheetWritten) {
    TPageJob job = Job(TPageKind::OfflineCatalog, Pictures(12));
    std::vector<int> progress;
    job.Progress = [&](int Index, int Count) {
        EXPECT_EQ(Count, 12);
        progress.push_back(Index);
    };
    job.Cancelled = [&] { return progress.size() == 4; };
    const TPageResult result = WriteContactSheets(job);
    EXPECT_EQ(progress, (std::vector<int>{0, 1, 2, 3}));
    ASSERT_EQ(result.Pages.size(), 1u);
    ASSERT_EQ(result.Thumbs.size(), 1u);
    const TSheetPage page = ReadPage(result.Pages[0]);
    EXPECT_EQ(page.Areas.size(), 4u);
    EXPECT_EQ(page.Links, std::vector<std::string>{"http://www.example.com/lumvor"}) << "no Next to a missing page";
    EXPECT_FALSE(FileExists(pictures_ + "album_2.htm"));
    EXPECT_GE(Psnr(result.Thumbs[0], 0, 148), 30.0) << "the fourth cell is on the sheet";
}

TEST_F(ContactSheets, CatalogPagesLinkTheirHomeAndButtonsStayForms) {
    TPageJob job = Job(TPageKind::OfflineCatalog, Pictures(10));
    job.Options.SetNavButtons(true);
    job.CatalogHome = "../../_home.htm";
    const TPageResult result = WriteContactSheets(job);
    ASSERT_EQ(result.Pages.size(), 2u);
    EXPECT_EQ(ReadPage(result.Pages[0]).Actions, (std::vector<std::string>{"../../_home.htm", "album_2.htm"}));
    EXPECT_EQ(ReadPage(result.Pages[1]).Actions, (std::vector<std::string>{"album.htm", "../../_home.htm"}));
}

// tidy reads the pages without an error; of the map areas it mentions only
// the missing alt text of offline catalogs, whose areas carry the link alone.
// The rectangle running into HREF without a blank, as stored pages of this
// kind always had it, passes.
TEST_F(ContactSheets, TidyFindsNoErrorAndOnlyTheOfflineAreasMissingAlt) {
    for (TPageKind kind : {TPageKind::OfflineCatalog, TPageKind::FixedCatalog}) {
        const TPageResult result = WriteContactSheets(Job(kind, {Picture("<x> & \"y\".jpg"), Picture("b c.jpg")}));
        std::set<std::string> complaints;
        for (const std::string& line : test::CommandLines("tidy -q " + Arg(result.Pages[0]) + " 2>&1 >/dev/null")) {
            const std::string complaint = line.substr(line.find(" - ") + 3);
            for (const char* about : {"Error:", "Warning: <area>", "Warning: <map>", "Warning: <img>"})
                if (complaint.rfind(about, 0) == 0) complaints.insert(complaint);
        }
        const std::set<std::string> allowed =
            kind == TPageKind::OfflineCatalog ? std::set<std::string>{"Warning: <area> lacks \"alt\" attribute"}
                                              : std::set<std::string>{};
        EXPECT_EQ(complaints, allowed) << (kind == TPageKind::OfflineCatalog ? "offline" : "fixed");
    }
}

// Writes a sheet page into $LUMVOR_SHOTS/contactsheet for a browser to look at.
TEST_F(ContactSheets, ScreenshotPageForABrowser) {
    const char* shots = std::getenv("LUMVOR_SHOTS");
    if (!shots) GTEST_SKIP() << "set LUMVOR_SHOTS to a folder to write the page";
    pictures_ = std::string(shots) + "/contactsheet/";
    fs::remove_all(pictures_);
    fs::create_directories(pictures_);
    std::vector<TPageFile> files = Pictures(6);
    files.push_back(Picture("R&D <one>.JPG"));
    files.push_back(Picture(std::string(60, 'w') + ".jpg"));
    TPageJob job = Job(TPageKind::OfflineCatalog, files);
    job.Options.SetGridColor(RGB(0xEE, 0xEE, 0xEE));
    job.CatalogHome = "_home.htm";
    const TPageResult result = WriteContactSheets(job);
    EXPECT_TRUE(FileExists(result.Pages[0]));
}

}  // namespace
}  // namespace lumvor
