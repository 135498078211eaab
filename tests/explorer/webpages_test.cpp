// The web page writer: escaping, links, columns, page series, thumbnail names
// and the pages themselves, read back with a browser-grade parser (html5lib),
// checked with tidy, and the thumbnails measured with ImageMagick.
#include "explorer/WebPages.h"

#include "app/lumv8900.h"
#include "explorer/FolderListing.h"
#include "explorer/xplr8900.h"
#include "imaging/Helpers.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "platform/Menus.h"
#include "platform/Jpeg.h"
#include "platform/SysUtils.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QEventLoop>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QUrl>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/case_names.h"
#include "support/explorer_commands.h"
#include "support/explorer_state.h"
#include "support/file_helpers.h"
#include "support/message_boxes.h"
#include "support/web_page_facts.h"
#include "support/web_page_jobs.h"
#include "support/window_hooks.h"

namespace lumvor {
namespace {

using namespace webpage;
namespace fs = std::filesystem;

const std::string Fixtures = LUMVOR_FIXTURES "/webpages/";

using test::LinkedFile;
using test::ParsePage;
using test::Quoted;
using test::TidyErrors;
using test::TPageFacts;

// Page jobs over a folder of pictures (copies of one ImageMagick JPEG).
class WebPages : public test::WebPageFolders {
protected:
    TPageJob Job(TPageKind Kind, std::vector<TPageFile> Files) {
        TPageJob job = BaseJob(Kind, std::move(Files));
        job.Options.SetPageWidth(640);
        job.Options.SetThumbQuality(60);
        job.Options.SetThumbsPerPage(24);
        job.Options.SetFileDetails(true);
        return job;
    }

    // Every href and src of the page names an existing local file.
    void ExpectLinksResolve(const std::string& Page, bool PictureLinksRemote = false) {
        const TPageFacts facts = ParsePage(Page);
        for (const std::string& src : facts.Images) {
            const std::string file = LinkedFile(Page, src);
            EXPECT_TRUE(FileExists(file)) << "src " << src << " of " << Page;
        }
        for (const std::string& href : facts.Links) {
            if (href.rfind("http://", 0) == 0 && (PictureLinksRemote || href.find("example.com/lumvor") != std::string::npos))
                continue;
            EXPECT_TRUE(FileExists(LinkedFile(Page, href))) << "href " << href << " of " << Page;
        }
    }
};

// ---- Texts

TEST(WebPageTexts, HtmlEscapeTurnsEveryMarkupCharacterIntoAReference) {
    EXPECT_EQ(HtmlEscape("<img src=x onerror=alert(1)> & \"q\" 'a'"),
              "&lt;img src=x onerror=alert(1)&gt; &amp; &quot;q&quot; &#39;a&#39;");
    EXPECT_EQ(HtmlEscape("Zürich 50%"), "Zürich 50%");
}

struct TEncodeCase {
    const char* Label;
    const char* Segment;
    const char* Encoded;
};

class UrlSegments : public ::testing::TestWithParam<TEncodeCase> {};

TEST_P(UrlSegments, EncodeEveryByteButTheUnreserved) {
    EXPECT_EQ(EncodeUrlSegment(GetParam().Segment), GetParam().Encoded);
    // QUrl decodes it back to the same name.
    EXPECT_EQ(QUrl::fromPercentEncoding(EncodeUrlSegment(GetParam().Segment).c_str()).toStdString(),
              GetParam().Segment);
}

INSTANTIATE_TEST_SUITE_P(
    WebPageTexts, UrlSegments,
    ::testing::Values(TEncodeCase{"Plain", "Photo-1_a.b~c.jpg", "Photo-1_a.b~c.jpg"},
                      TEncodeCase{"Blank", "my photo.jpg", "my%20photo.jpg"},
                      TEncodeCase{"PercentHashQuestion", "50%#1?.jpg", "50%25%231%3F.jpg"},
                      TEncodeCase{"SlashAndQuote", "a/b\"c'.jpg", "a%2Fb%22c%27.jpg"},
                      TEncodeCase{"NonAscii", "Zürich.jpg", "Z%C3%BCrich.jpg"}),
    test::CaseNames<&TEncodeCase::Label>);

struct TColumnCase {
    const char* Label;
    int PageWidth, CellWidth, Columns;
    const char* Cell;
};

class PageColumns : public ::testing::TestWithParam<TColumnCase> {};

TEST_P(PageColumns, FollowThePageWidth) {
    const TColumnCase& c = GetParam();
    EXPECT_EQ(ColumnCount(c.PageWidth, c.CellWidth), c.Columns);
    EXPECT_EQ(CellStart(ColumnCount(c.PageWidth, c.CellWidth)), c.Cell);
}

INSTANTIATE_TEST_SUITE_P(WebPageTexts, PageColumns,
                         ::testing::Values(TColumnCase{"Width640", 640, 168, 3, "<td width=33%>"},
                                           TColumnCase{"NarrowerThanCell", 240, 168, 1, "<td width=100%>"},
                                           TColumnCase{"VeryWide", 4096, 168, 10, "<td width=10%>"},
                                           TColumnCase{"TinyCellsCountAs64", 640, 20, 10, "<td width=10%>"},
                                           TColumnCase{"SixColumns", 1008, 168, 6, "<td width=16%>"}),
                         test::CaseNames<&TColumnCase::Label>);

TEST(WebPageTexts, SeriesPagesReplaceTheLastFourCharacters) {
    EXPECT_EQ(SeriesPageFile("/w/album.htm", 1), "/w/album.htm");
    EXPECT_EQ(SeriesPageFile("/w/album.htm", 2), "/w/album_2.htm");
    EXPECT_EQ(SeriesPageFile("/w/album.html", 3), "/w/album._3.htm");
    EXPECT_EQ(PageCount(25, 24, false), 2);
    EXPECT_EQ(PageCount(24, 24, false), 1);
    EXPECT_EQ(PageCount(0, 24, false), 1);
    EXPECT_EQ(PageCount(2000, 24, true), 1);
}

TEST(WebPageTexts, ThumbBasesDropOnlyALowerCaseJpgAndTurnDotsIntoUnderscores) {
    EXPECT_EQ(ThumbBase("Photo.jpg"), "Photo");
    EXPECT_EQ(ThumbBase("Photo.JPG"), "Photo_JPG");
    EXPECT_EQ(ThumbBase("a.b.png"), "a_b_png");
    EXPECT_EQ(ThumbBase("noext"), "noext");
}

TEST(WebPageTexts, ResampleTakesNearestSourcePixels) {
    // A 4 x 3 source whose pixel (x, y) holds x + 10 y in every channel,
    // resampled to 2 x 6: columns (4-1) x div (2-1), rows (3-1) y div 6.
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) std::fill_n(bitmap.ScanLine(y) + 3 * x, 3, uint8_t(x + 10 * y));
    ResampleWebThumb(bitmap, 4, 3, 2, 6);
    const int rows[6] = {0, 0, 0, 1, 1, 1};
    for (int y = 0; y < 6; ++y) {
        EXPECT_EQ(bitmap.ScanLine(y)[0], 10 * rows[y]) << "row " << y;
        EXPECT_EQ(bitmap.ScanLine(y)[3], 3 + 10 * rows[y]) << "row " << y;
    }
}

// ---- Pages

TEST_F(WebPages, TwentyFiveFilesMakeTwoLinkedPages) {
    TPageJob job = Job(TPageKind::OfflineCatalog, Pictures(25));
    const TPageResult result = WritePages(job);
    ASSERT_EQ(result.Pages, (std::vector<std::string>{pictures_ + "album.htm", pictures_ + "album_2.htm"}));

    const TPageFacts first = ParsePage(result.Pages[0]);
    EXPECT_EQ(first.Title, "Holiday (1 of 2)");
    EXPECT_EQ(first.Images.size(), 24u);
    const TPageFacts second = ParsePage(result.Pages[1]);
    EXPECT_EQ(second.Title, "Holiday (2 of 2)");
    EXPECT_EQ(second.Images.size(), 1u);

    const std::string page1 = test::ReadFileText(result.Pages[0]);
    const std::string page2 = test::ReadFileText(result.Pages[1]);
    EXPECT_NE(page1.find("<td width=33%><center> . </td>\r\n<td width=33%><center><a href=\"album_2.htm\">Next</a>"),
              std::string::npos);
    EXPECT_NE(page2.find("<td width=33%><center><a href=\"album.htm\">Back</a></td>\r\n<td width=33%><center> . </td>"),
              std::string::npos);
    EXPECT_EQ(page1.rfind("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">\r\n<TITLE>", 0), 0u);
    ExpectLinksResolve(result.Pages[0]);
    ExpectLinksResolve(result.Pages[1]);
}

TEST_F(WebPages, NavigationButtonsNameTheSeriesPagesAsForms) {
    TPageJob job = Job(TPageKind::OfflineCatalog, Pictures(5));
    job.Options.SetThumbsPerPage(4);
    job.Options.SetNavButtons(true);
    job.PageFile = pictures_ + "album.html";
    const TPageResult result = WritePages(job);
    ASSERT_EQ(result.Pages.size(), 2u);
    EXPECT_EQ(result.Pages[1], pictures_ + "album._2.htm");
    EXPECT_EQ(ParsePage(result.Pages[0]).Actions, std::vector<std::string>{"album._2.htm"});
    EXPECT_EQ(ParsePage(result.Pages[1]).Actions, std::vector<std::string>{"album.html"});
}

TEST_F(WebPages, FourFilesInThreeColumnsPadTheSecondRow) {
    const TPageResult result = WritePages(Job(TPageKind::OfflineCatalog, Pictures(4)));
    const TPageFacts facts = ParsePage(result.Pages[0]);
    ASSERT_GE(facts.Rows.size(), 2u);
    ASSERT_EQ(facts.Rows[1].size(), 3u);
    EXPECT_NE(facts.Rows[1][0].find("img4.jpg"), std::string::npos);
    EXPECT_EQ(facts.Rows[1][1], "");
    EXPECT_EQ(facts.Rows[1][2], "");
    EXPECT_NE(test::ReadFileText(result.Pages[0]).find("<td width=33%><br></td>\r\n<td width=33%><br></td>\r\n</tr>"),
              std::string::npos);
}

TEST_F(WebPages, ThumbnailsAreNamedAfterTheirFilesAndNeverOverwriteEachOther) {
    std::vector<TPageFile> files = {Picture("Photo.jpg"), Picture("Photo.JPG"), Picture("a.b.png"),
                                    Picture("a_b.png")};
    const TPageResult result = WritePages(Job(TPageKind::OfflineCatalog, files));
    const std::string thumbs = pictures_ + "thumbs/";
    EXPECT_EQ(result.Thumbs, (std::vector<std::string>{thumbs + "_Photo.jpg", thumbs + "_Photo_JPG.jpg",
                                                       thumbs + "_a_b_png.jpg", thumbs + "_a_b_png_2.jpg"}));
    for (const std::string& thumb : result.Thumbs) {
        const std::vector<std::string> facts = test::CommandLines("identify -format '%m %w %h %Q\\n' " + Quoted(thumb));
        ASSERT_EQ(facts.size(), 1u) << thumb;
        int quality = 0;
        char format[8] = {};
        int width = 0, height = 0;
        ASSERT_EQ(std::sscanf(facts[0].c_str(), "%7s %d %d %d", format, &width, &height, &quality), 4);
        EXPECT_STREQ(format, "JPEG");
        EXPECT_EQ(width, 168);
        EXPECT_EQ(height, 126);
        EXPECT_NEAR(quality, 60, 1) << thumb;
    }
    // Each page image names its own thumbnail.
    const TPageFacts facts = ParsePage(result.Pages[0]);
    EXPECT_EQ(facts.Images, (std::vector<std::string>{"thumbs/_Photo.jpg", "thumbs/_Photo_JPG.jpg",
                                                      "thumbs/_a_b_png.jpg", "thumbs/_a_b_png_2.jpg"}));
}

TEST_F(WebPages, SmallerCellsAreResampledAndProgressiveWhenChosen) {
    TPageJob job = Job(TPageKind::OfflineCatalog, {Picture("p.jpg")});
    job.CellWidth = 96;
    job.CellHeight = 72;
    job.Progressive = true;
    const TPageResult result = WritePages(job);
    EXPECT_EQ(test::CommandOutput("identify -format '%w %h %[interlace]' " + Quoted(result.Thumbs[0])), "96 72 JPEG");
    EXPECT_NE(test::ReadFileText(result.Pages[0]).find("width=\"96\" height=\"72\""), std::string::npos);
}

TEST_F(WebPages, FixedCatalogCounterNamesSkipExistingThumbnails) {
    fs::create_directories(site_ + "thumbs");
    test::WriteFileText(site_ + "thumbs/00000001.jpg", "keep me");
    TPageJob job = Job(TPageKind::FixedCatalog, {Picture("one.jpg"), Picture("two.jpg")});
    job.CatalogPageNumber = 7;
    const TPageResult result = WritePages(job);
    EXPECT_EQ(test::ReadFileText(site_ + "thumbs/00000001.jpg"), "keep me");
    ASSERT_EQ(result.Thumbs.size(), 2u);
    EXPECT_EQ(result.Thumbs[0], site_ + "thumbs/700000002.jpg");
    EXPECT_EQ(result.Thumbs[1], site_ + "thumbs/00000003.jpg");
    EXPECT_EQ(counter_, 3u);
    // Picture links are file URLs of the pictures where they lie.
    const TPageFacts facts = ParsePage(result.Pages[0]);
    EXPECT_EQ(facts.Links[0], "file://" + pictures_ + "one.jpg");
    ExpectLinksResolve(result.Pages[0]);
}

TEST_F(WebPages, HostileNamesStayTextAndTheirLinksReachTheFile) {
    const std::string hostile = "<img src=x onerror=alert(1)> & \"q\".jpg";
    for (TPageKind kind : {TPageKind::OfflineCatalog, TPageKind::FixedCatalog}) {
        TPageJob job = Job(kind, {Picture(hostile), Picture("my photo#1.jpg")});
        job.Options.SetImageComments(true);
        job.Files[0].Comment = "<script>alert(2)</script>";
        job.Title = "<b>Mine</b>";
        const TPageResult result = WritePages(job);
        EXPECT_TRUE(result.NeedsUrlWarning);
        const TPageFacts facts = ParsePage(result.Pages[0]);
        ASSERT_EQ(facts.Images.size(), 2u) << "only the thumbnails are images";
        for (const std::string& src : facts.Images) EXPECT_EQ(src.rfind("thumbs/", 0), 0u) << src;
        EXPECT_EQ(facts.Title, "<b>Mine</b>");
        EXPECT_NE(facts.Text.find(hostile), std::string::npos);
        EXPECT_NE(facts.Text.find("<script>alert(2)</script>"), std::string::npos);
        EXPECT_EQ(facts.Alts[0], hostile);
        EXPECT_EQ(LinkedFile(result.Pages[0], facts.Links[0]), pictures_ + hostile);
        EXPECT_NE(facts.Links[2].find("my%20photo%231.jpg"), std::string::npos) << facts.Links[2];
        ExpectLinksResolve(result.Pages[0]);
    }
}

TEST_F(WebPages, InternetPagesLinkToTheTypedSiteFolder) {
    TPageJob job = Job(TPageKind::Internet, {Picture("a b.jpg"), Picture("Zürich.jpg")});
    job.WebFolder = "http://example.org/pics/";
    job.Options.SetBannerURL(true);
    job.PageBanner = "<a href=\"x\"><img src=\"b.png\"></a>";
    job.Options.SetHomeURL(true);
    job.PageHome = "http://example.org/";
    job.Options.SetFileDetails(false);
    const TPageResult result = WritePages(job);
    const std::string page = test::ReadFileText(result.Pages[0]);
    EXPECT_NE(page.find("\r\n<a href=\"x\"><img src=\"b.png\"></a>\r\n"), std::string::npos);
    const TPageFacts facts = ParsePage(result.Pages[0]);
    EXPECT_EQ(facts.Links[0], "x");
    std::set<std::string> pictureLinks;
    for (const std::string& href : facts.Links)
        if (href.rfind("http://example.org/pics/", 0) == 0) pictureLinks.insert(href);
    EXPECT_EQ(pictureLinks, (std::set<std::string>{"http://example.org/pics/a%20b.jpg",
                                                   "http://example.org/pics/Z%C3%BCrich.jpg"}));
    EXPECT_NE(std::find(facts.Links.begin(), facts.Links.end(), "http://example.org/"), facts.Links.end());
    // The banner's own image aside, every src is a thumbnail beside the page.
    for (const std::string& src : facts.Images)
        if (src != "b.png") EXPECT_TRUE(FileExists(LinkedFile(result.Pages[0], src))) << src;
    // Free style: the size text rides in the alt text.
    EXPECT_EQ(facts.Alts[1].rfind("a b.jpg ", 0), 0u);
}

TEST_F(WebPages, SimplePageHoldsEverythingOnOnePageBesideItsThumbnails) {
    TPageJob job = Job(TPageKind::Internet, Pictures(30));
    job.SimplePage = true;
    job.Options.SetThumbsPerPage(999);
    const TPageResult result = WritePages(job);
    ASSERT_EQ(result.Pages.size(), 1u);
    EXPECT_EQ(result.ThumbsDir, site_);
    const TPageFacts facts = ParsePage(result.Pages[0]);
    EXPECT_EQ(facts.Title, "Holiday");
    EXPECT_EQ(facts.Images.size(), 30u);
    EXPECT_EQ(facts.Images[0], "_img1.jpg");
    EXPECT_TRUE(FileExists(site_ + "_img30.jpg"));
}

TEST_F(WebPages, TidyFindsOnlyTheKeptLegacyStructure) {
    for (bool details : {true, false}) {
        TPageJob job = Job(TPageKind::OfflineCatalog, {Picture("<x> & \"y\".jpg"), Picture("b c.jpg")});
        job.Options.SetFileDetails(details);
        job.Options.SetNavButtons(!details);
        job.Options.SetImageComments(true);
        const TPageResult result = WritePages(job);
        EXPECT_EQ(TidyErrors(result.Pages[0]), std::vector<std::string>{}) << "details " << details;
    }
}

// Writes a two-page catalog into $LUMVOR_SHOTS/webpage for a browser to look at.
TEST_F(WebPages, ScreenshotPageForABrowser) {
    const char* shots = std::getenv("LUMVOR_SHOTS");
    if (!shots) GTEST_SKIP() << "set LUMVOR_SHOTS to a folder to write the page";
    pictures_ = std::string(shots) + "/webpage/";
    fs::remove_all(pictures_);
    fs::create_directories(pictures_);
    std::vector<TPageFile> files = Pictures(5);
    files.push_back(Picture("<img src=x onerror=alert(1)> & \"q\".jpg"));
    TPageJob job = Job(TPageKind::OfflineCatalog, files);
    job.Options.SetThumbsPerPage(6);
    job.Options.SetImageComments(true);
    job.Files[0].Comment = "Sunset <over> the bay";
    const TPageResult result = WritePages(job);
    EXPECT_TRUE(FileExists(result.Pages[0]));
}

// ---- The explorer's commands

class WebPageCommands : public ::testing::Test {
protected:
    void SetUp() override {
        test::BeginExplorerCommands();
        folder_ = test::FreshExploredFolder("pics");
        site_ = IncludeTrailingPathDelimiter(std::getenv("LUMVOR_HOME")) + "site/";
        fs::remove_all(site_);
        fs::create_directories(site_);
        for (const char* name : {"a.jpg", "b c.jpg"}) fs::copy_file(Fixtures + "cell.jpg", folder_ + name);
        test::WriteFileText(folder_ + "notes.txt", std::string(500, 'n'));
        for (const std::string& path : {folder_ + "a.jpg", folder_ + "b c.jpg", folder_ + "notes.txt", folder_})
            fs::last_write_time(fs::path(ExcludeTrailingPathDelimiter(path)),
                                fs::file_time_type::clock::now() - std::chrono::minutes(1));
        lumv8900::ShellOpenDocument = [this](const std::string& file) {
            opened_.push_back(file);
            return true;
        };
    }
    void TearDown() override {
        test::EndExplorerCommands();
    }

    TFileForm* OpenWithThumbnails() {
        TFileForm* form = test::OpenExplorer();
        form->mnuViewThumbsClick(form->mnuViewThumbs);
        WaitForThumbnails();
        return form;
    }
    static void WaitForThumbnails() {
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (xplr8900::ThumbsComplete && !xplr8900::ThumbRunActive) loop.quit();
        });
        poll.start(5);
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        loop.exec();
        EXPECT_TRUE(xplr8900::ThumbsComplete) << "the thumbnail run did not end";
    }
    // Answers the save dialog with a path.
    void ChoosePage(const std::string& path, std::string* title = nullptr) {
        QueueModalAction([path, title](QDialog& dialog) {
            if (title) *title = dialog.windowTitle().toStdString();
            dialog.findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(path));
            dialog.accept();
        });
    }
    void AnswerTitle(const std::string& text) {
        QueueModalAction([text](QDialog& dialog) {
            dialog.findChild<QLineEdit*>("Edit")->setText(QString::fromStdString(text));
            dialog.done(mrOk);
        });
    }

    std::string folder_, site_;
    std::vector<std::string> opened_;
};

TEST_F(WebPageCommands, SimplePageRefusesItsSourceFolderThenCopiesThePicturesBesideThePage) {
    TFileForm* form = OpenWithThumbnails();
    std::vector<test::Box> boxes;
    std::string dialogTitle;
    test::Answer(boxes, mrOk);  // an empty upload folder is recommended
    ChoosePage(folder_ + "page.htm", &dialogTitle);
    test::Answer(boxes, mrOk);  // source and destination are the same
    ChoosePage(site_ + "page.htm");
    AnswerTitle("My <week>");
    test::Answer(boxes, mrOk);  // the page is done
    test::Answer(boxes, mrOk);  // the compatibility hint for "b c.jpg"
    form->mnuSimplePageClick(form);

    EXPECT_EQ(dialogTitle, "Create HTML + Thumbnails As");
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[1].text, "Source (or parent) and destination folders are the same.");
    EXPECT_EQ(boxes[2].text.rfind("Your page is done.  Upload ALL files\nin following folder to your Web site.\n\n" +
                                      site_,
                                  0),
              0u)
        << boxes[2].text;
    EXPECT_NE(boxes[3].text.find("avoid blank spaces"), std::string::npos);
    const std::string page = site_ + "page.htm";
    ASSERT_TRUE(FileExists(page));
    EXPECT_FALSE(FileExists(folder_ + "page.htm"));
    const TPageFacts facts = ParsePage(page);
    EXPECT_EQ(facts.Title, "My <week>");
    EXPECT_EQ(facts.Images, (std::vector<std::string>{"_a.jpg", "_b%20c.jpg"}));
    for (const std::string& name : {"a.jpg", "b c.jpg", "_a.jpg", "_b c.jpg"})
        EXPECT_TRUE(FileExists(site_ + name)) << name;
    EXPECT_FALSE(FileExists(site_ + "notes.txt")) << "only pictures are selected";
    for (const std::string& href : facts.Links)
        if (href.rfind("http", 0) != 0) EXPECT_TRUE(FileExists(LinkedFile(page, href))) << href;
    EXPECT_EQ(opened_, std::vector<std::string>{page});
    EXPECT_FALSE(form->SimplePage);
}

TEST_F(WebPageCommands, ThumbsFolderIsReservedAndListsWithoutThumbnailsAskForThemFirst) {
    TFileForm* form = test::OpenExplorer();
    std::vector<test::Box> boxes;
    test::Answer(boxes, mrOk);
    form->mnuWebPage1Click(form);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.rfind("After thumbnails are done ...", 0), 0u);
    EXPECT_NE(boxes[0].text.find("Web page(s)"), std::string::npos);
    ASSERT_TRUE(form->ThumbnailView()) << "the command shows the thumbnails first";
    WaitForThumbnails();

    xplr8900::HTMLset9.SetReviewSettings(false);
    xplr8900::WriteWebOptions(form->WebDir);
    fs::create_directories(site_ + "thumbs");
    ChoosePage(site_ + "thumbs/page.htm");
    test::Answer(boxes, mrOk);
    form->mnuWebPage1Click(form);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "\"thumbs\" is a reserved folder name");
    EXPECT_FALSE(FileExists(site_ + "thumbs/page.htm"));
}

TEST_F(WebPageCommands, ContactSheetOptionWritesOneSheetPictureWithAMapOfTheSelection) {
    TFileForm* form = OpenWithThumbnails();
    form->LoadWebOptions();  // the options of a first start
    xplr8900::HTMLset9.SetReviewSettings(false);
    xplr8900::HTMLset9.SetContactSheet(true);
    xplr8900::HTMLset9.SetCatalogPage(false);  // an Internet page
    xplr8900::HTMLset9.SetOfflineCatalog(false);
    xplr8900::HTMLset9.SetPageWidth(640);
    xplr8900::WebFolder = "http://example.org/pics";
    xplr8900::WriteWebOptions(form->WebDir);
    xplr8900::WebPageTitle = "Sheets";
    ChoosePage(site_ + "sheet.htm");
    form->mnuWebPage1Click(form);  // no compatibility hint for "b c.jpg": its link is encoded

    const std::string page = site_ + "sheet.htm";
    ASSERT_TRUE(FileExists(page));
    EXPECT_FALSE(FileExists(site_ + "sheet_2.htm"));
    EXPECT_EQ(test::CommandOutput("identify -format '%w %h' " + Quoted(site_ + "thumbs/P0000000.jpg")), "504 448");
    const TPageFacts facts = ParsePage(page);
    EXPECT_EQ(facts.Title, "Sheets");
    EXPECT_EQ(facts.Images, std::vector<std::string>{"thumbs/P0000000.jpg"});
    const std::string text = test::ReadFileText(page);
    EXPECT_NE(text.find("<AREA SHAPE=RECT COORDS=\"0,0,168,149\"HREF=\"http://example.org/pics/a.jpg\" alt=\"a.jpg "),
              std::string::npos);
    EXPECT_NE(text.find("<AREA SHAPE=RECT COORDS=\"168,0,336,149\"HREF=\"http://example.org/pics/b%20c.jpg\""),
              std::string::npos);
    EXPECT_EQ(text.find("notes.txt"), std::string::npos) << "only pictures are selected";
    EXPECT_EQ(opened_, std::vector<std::string>{page});
}

}  // namespace
}  // namespace lumvor
