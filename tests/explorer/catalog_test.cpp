// Image catalogs: the page names of a fixed catalog, which pages count as the
// program's own, the table of contents and the frameset, and the explorer's
// "&Image catalog" and "&Directory tree" commands over trees of pictures, the
// pages read back with html5lib and every link followed to its file.
#include "explorer/Catalog.h"

#include "app/lumv8900.h"
#include "state/ExplorerSettings.h"
#include "explorer/FolderListing.h"
#include "explorer/WebOptions.h"
#include "explorer/WebPages.h"
#include "explorer/xplr8900.h"
#include "imaging/Helpers.h"
#include "platform/Forms.h"
#include "platform/Streams.h"
#include "platform/SysUtils.h"
#include "ui/ComboBoxEx.h"
#include "ui/Status_y.h"
#include "ui/walk8900.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "support/case_names.h"
#include "support/explorer_commands.h"
#include "support/explorer_state.h"
#include "support/file_helpers.h"
#include "support/message_boxes.h"
#include "support/web_page_facts.h"
#include "support/window_hooks.h"

namespace lumvor {
namespace {

using namespace catalog;
namespace fs = std::filesystem;

const std::string Cell = LUMVOR_FIXTURES "/webpages/cell.jpg";

bool Contains(const std::vector<std::string>& Lines, const std::string& Line) {
    return std::find(Lines.begin(), Lines.end(), Line) != Lines.end();
}

std::vector<std::string> TextLines(const std::string& File) {
    std::vector<std::string> lines;
    const std::string text = test::ReadFileText(File);
    size_t start = 0;
    for (size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// ---- Page names of a fixed catalog

struct TNameCase {
    const char* Label;
    const char* Folder;
    std::vector<const char*> Existing;  // files already in the output folder
    const char* Page;
};

class FolderPageNames : public ::testing::TestWithParam<TNameCase> {};

TEST_P(FolderPageNames, NameThePageAfterTheWholePathWithoutEverTakingACatalogName) {
    QTemporaryDir out;
    const std::string dir = out.path().toStdString() + "/";
    for (const char* name : GetParam().Existing) test::WriteFileText(dir + name, "x");
    EXPECT_EQ(FolderPageName(dir, GetParam().Folder), GetParam().Page);
}

INSTANTIATE_TEST_SUITE_P(
    Catalog, FolderPageNames,
    ::testing::Values(TNameCase{"TopFolder", "/home/", {}, "home.htm"},
                      TNameCase{"DeepFolder", "/home/ann/Trips/", {}, "home_ann_Trips.htm"},
                      TNameCase{"VolumeRoot", "/", {}, "root.htm"},
                      TNameCase{"CatalogNameHome", "/_home/", {}, "_home_1.htm"},
                      TNameCase{"CatalogNameFrames", "/_frames", {}, "_frames_1.htm"},
                      TNameCase{"CatalogNameIndexTaken", "/_idx/", {"_idx_1.htm"}, "_idx_2.htm"},
                      TNameCase{"BlanksDotsHashColons", "/a b/c.d#e:f\\g/", {}, "a_b_c_d_e_f_g.htm"},
                      TNameCase{"ExistingPagesAreNumbered", "/pics/", {"pics.htm", "pics_1.htm"}, "pics_2.htm"}),
    test::CaseNames<&TNameCase::Label>);

// ---- Which pages are the program's

struct TOwnerCase {
    const char* Label;
    const char* Name;
    std::string Content;
    TPageOwner Owner;
};

class PageOwners : public ::testing::TestWithParam<TOwnerCase> {};

TEST_P(PageOwners, OnlyPagesWithTheGeneratorsMarksAreTheProgramsOwn) {
    QTemporaryDir dir;
    const std::string file = dir.path().toStdString() + "/" + GetParam().Name;
    test::WriteFileText(file, GetParam().Content);
    EXPECT_EQ(PageOwner(file), GetParam().Owner);
}

const std::string Footer = "<p><FONT SIZE=\"1\">Generated with <b><a href=\"http://x\">Lumvor 8.9</a></b>.</BODY></HTML>";

INSTANTIATE_TEST_SUITE_P(
    Catalog, PageOwners,
    ::testing::Values(
        TOwnerCase{"IndexWithFooter", "_idx.htm", "<TITLE>Contents of a</TITLE>\r\n" + Footer, TPageOwner::Own},
        TOwnerCase{"NumberedIndexWithFooter", "_idx_3.htm", Footer, TPageOwner::Own},
        TOwnerCase{"ContentsWithFooter", "_home.htm", "<p>[ ] = files" + Footer, TPageOwner::Own},
        TOwnerCase{"UsersIndex", "_idx.htm", "<html><body>My own index</body></html>", TPageOwner::Foreign},
        TOwnerCase{"FooterWithoutProgramName", "_idx.htm", "Generated with care", TPageOwner::Foreign},
        TOwnerCase{"EmptyIndexLeftByWriteTest", "_idx.htm", "", TPageOwner::Own},
        TOwnerCase{"PictureIndexLeftByWriteTest", "_idx.htm", "BM", TPageOwner::Own},
        TOwnerCase{"EmptyNumberedIndex", "_idx_2.htm", "", TPageOwner::Foreign},
        TOwnerCase{"OwnFrameset", "_frames.htm", FramesetText("a.htm"), TPageOwner::Own},
        TOwnerCase{"UsersFrameset", "_frames.htm", "<frameset>" + Footer, TPageOwner::Foreign}),
    test::CaseNames<&TOwnerCase::Label>);

TEST(Catalog, LinksAndFoldersCountAsForeignAndMissingFilesAsMissing) {
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString() + "/";
    test::WriteFileText(root + "own.htm", Footer);
    fs::create_symlink(root + "own.htm", root + "_idx.htm");
    fs::create_directory(root + "_home.htm");
    EXPECT_EQ(PageOwner(root + "_idx.htm"), TPageOwner::Foreign);
    EXPECT_EQ(PageOwner(root + "_home.htm"), TPageOwner::Foreign);
    EXPECT_EQ(PageOwner(root + "_frames.htm"), TPageOwner::Missing);
    EXPECT_TRUE(HasForeignIndex(root));
    DeleteOwnFiles(IndexSeries(root));
    EXPECT_TRUE(fs::is_symlink(root + "_idx.htm")) << "a link is never deleted";
    EXPECT_EQ(test::ReadFileText(root + "own.htm"), Footer);
}

TEST(Catalog, IndexSeriesRunsFromTheFirstPageWhileTheNumberedPagesExist) {
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString() + "/";
    for (const char* name : {"_idx_2.htm", "_idx_3.htm", "_idx_5.htm"}) test::WriteFileText(root + name, Footer);
    EXPECT_EQ(IndexSeries(root), (std::vector<std::string>{root + "_idx_2.htm", root + "_idx_3.htm"}));
    test::WriteFileText(root + "_idx.htm", "");
    EXPECT_EQ(IndexSeries(root).front(), root + "_idx.htm");
    EXPECT_FALSE(HasForeignIndex(root));
}

// ---- The table of contents

TEST(Catalog, TableOfContentsIndentsByLevelEscapesNamesAndEncodesLinks) {
    THTMLSet options;
    xplr8900::SetWebDefaults(options, 1);
    TTableOfContents toc(options, true);
    toc.ParentLine("", 0);
    toc.FolderLine(1, RelativeFolderLink("/r/", "/r/a b/") + IndexPage, "a b", 3);
    toc.FolderLine(2, RelativeFolderLink("/r/", "/r/a b/<x>&y/") + IndexPage, "<x>&y", 1);
    toc.FolderLine(3, "c.htm", "c", 12);
    toc.Footer("www.example.com");
    const std::string text = toc.Text();
    EXPECT_NE(text.find("\r\n<BASE target=framePics>\r\n<b>Table of Contents</b><p>\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nParent . [0]<br>\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n| <a href=\"a%20b/_idx.htm\">a b</a> . [3]<br>\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n .  . | <a href=\"a%20b/%3Cx%3E%26y/_idx.htm\">&lt;x&gt;&amp;y</a> . [1]<br>\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\r\n .  .  . | <a href=\"c.htm\">c</a> . [12]<br>\r\n"), std::string::npos);
    EXPECT_NE(text.find("<p>[ ] = files<FONT SIZE=\"1\"><center><hr>Generated with <b><a "
                        "href=\"http://www.example.com\">Lumvor 8.9</a></b>.</BODY></HTML>\r\n"),
              std::string::npos);
    EXPECT_EQ(PageOwner("/nonexistent/_home.htm"), TPageOwner::Missing);
}

TEST(Catalog, FramesetShowsTheContentsLeftAndTheFirstPageRight) {
    EXPECT_EQ(FramesetText("a%20b/_idx.htm"),
              "<TITLE>Lumvor HTML Image Catalogs</TITLE><HTML><FRAMESET cols=\"20%,80%\">"
              "<FRAME src=\"_home.htm\" name=home marginwidth=0 marginheight=0 scrolling=auto frameborder=1>"
              "<FRAME src=\"a%20b/_idx.htm\" name=framePics marginwidth=0 marginheight=0 scrolling=auto "
              "frameborder=1></FRAMESET></HTML>");
}

// ---- The commands

class CatalogCommands : public ::testing::Test {
protected:
    void SetUp() override {
        test::BeginExplorerCommands();
        home_ = test::LumvorHome();
        root_ = test::FreshExploredFolder("Trips");
        out_ = home_ + "catalog/";
        fs::remove_all(out_);
        fs::create_directories(out_);
        lumv8900::ShellOpenDocument = [this](const std::string& file) {
            opened_.push_back(file);
            return true;
        };
        THTMLSet& o = xplr8900::HTMLset9;
        xplr8900::SetWebDefaults(o, 1);
        o.SetReviewSettings(false);
        o.SetFileDetails(true);
        o.SetThumbsPerPage(24);
    }
    void TearDown() override {
        xplr8900::ThumbRunHooks = {};
        WriteFaultHook = nullptr;
        test::EndExplorerCommands();
    }

    // A copy of the cell picture at a path below the root, dated back.
    std::string Picture(const std::string& Relative) {
        const std::string path = root_ + Relative;
        fs::create_directories(fs::path(path).parent_path());
        fs::copy_file(Cell, path, fs::copy_options::overwrite_existing);
        test::MakeOld(path);
        return path;
    }
    std::string Folder(const std::string& Relative) {
        fs::create_directories(root_ + Relative);
        return root_ + Relative;
    }
    // The options the next run loads.
    void Options(bool Offline, bool Frames = false) {
        xplr8900::HTMLset9.SetOfflineCatalog(Offline);
        xplr8900::HTMLset9.SetUseFrames(Frames);
        xplr8900::WriteWebOptions("");
    }
    // Opens the explorer over the root, every file and folder dated back (a
    // read-only mount keeps its dates).
    TFileForm* Open() {
        const auto then = fs::file_time_type::clock::now() - std::chrono::minutes(1);
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(root_)) fs::last_write_time(entry.path(), then, ignored);
        fs::last_write_time(ExcludeTrailingPathDelimiter(root_), then, ignored);
        return test::OpenExplorer();
    }
    // Answers the folder picker with a folder, keeping its caption.
    void Pick(const std::string& Folder) {
        QueueModalAction([this, Folder](QDialog& d) {
            auto& picker = static_cast<TWalkForm&>(d);
            pickerCaption_ = picker.windowTitle().toStdString();
            picker.MoveHistory->SetText(Folder);
            picker.btnOK->click();
        });
    }
    // The quality question keeps the quality.
    static void KeepQuality() { QueueModalResult(mrCancel); }

    // Runs an offline catalog with a table of contents over the root.
    void RunOffline(TFileForm* Form, bool ReportExpected = false) {
        test::Answer(boxes_, mrYes);
        KeepQuality();
        if (ReportExpected) test::Answer(boxes_, mrOk);
        Form->mnuCatalogClick(Form->FindItem("mnuImageCatalog"));
    }

    // Every href and src of a page names an existing local file (the maker's
    // web site aside).
    static void ExpectLinksResolve(const std::string& Page) {
        const test::TPageFacts facts = test::ParsePage(Page);
        for (const std::string& src : facts.Images)
            EXPECT_TRUE(FileExists(test::LinkedFile(Page, src))) << "src " << src << " of " << Page;
        for (const std::string& href : facts.Links) {
            if (href.rfind("http://", 0) == 0) continue;
            EXPECT_TRUE(FileExists(test::LinkedFile(Page, href))) << "href " << href << " of " << Page;
        }
    }

    std::string home_, root_, out_, pickerCaption_;
    std::vector<test::Box> boxes_;
    std::vector<std::string> opened_;
};

TEST_F(CatalogCommands, OfflineCatalogWritesRelativePagesIntoEveryFolderAndKeepsTheUsersOwnIndex) {
    Picture("a.jpg");
    Picture("A/b.jpg");
    Folder("A/B");
    Picture("A/B/C/c.jpg");
    Folder("Empty");
    Picture("thumbs/t.jpg");
    Picture("x y/d <1>.jpg");
    Picture("Mine/e.jpg");
    const std::string own = "<html><body>My own index</body></html>";
    test::WriteFileText(root_ + "Mine/_idx.htm", own);
    Options(true);
    TFileForm* form = Open();
    RunOffline(form, true);

    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[0].text, "Parent folder (below) will be cataloged.\n\n" + ExcludeTrailingPathDelimiter(root_) +
                                  "\n\nA Table of Contents (ToC) will remain valid\nIF ONLY the Parent folder is "
                                  "renamed or\nmoved (with all its content).  Add a ToC?");
    EXPECT_NE(boxes_[1].text.find(root_ + "Mine/"), std::string::npos) << boxes_[1].text;

    // Pages beside the pictures; none for the thumbnails, the folder without
    // files, or the folder with the user's own index.
    for (const char* folder : {"", "A/", "A/B/C/", "x y/"}) {
        ASSERT_TRUE(FileExists(root_ + folder + "_idx.htm")) << folder;
        ExpectLinksResolve(root_ + folder + "_idx.htm");
    }
    for (const char* folder : {"A/B/", "Empty/", "thumbs/"}) EXPECT_FALSE(fs::exists(root_ + folder + "_idx.htm")) << folder;
    EXPECT_FALSE(fs::exists(root_ + "Mine/thumbs"));
    EXPECT_FALSE(fs::exists(root_ + "thumbs/thumbs"));
    EXPECT_EQ(test::ReadFileText(root_ + "Mine/_idx.htm"), own);

    // Home climbs one level per folder.
    const test::TPageFacts deep = test::ParsePage(root_ + "A/B/C/_idx.htm");
    EXPECT_TRUE(Contains(deep.Links, "../../../_home.htm"));
    EXPECT_TRUE(Contains(test::ParsePage(root_ + "_idx.htm").Links, "_home.htm"));

    // The table of contents in tree order, indented, with counts.
    const std::string toc = root_ + "_home.htm";
    const std::vector<std::string> lines = TextLines(toc);
    EXPECT_TRUE(Contains(lines, "<a href=\"_idx.htm\">Parent</a> . [1]<br>"));
    EXPECT_TRUE(Contains(lines, "| <a href=\"A/_idx.htm\">A</a> . [1]<br>"));
    EXPECT_TRUE(Contains(lines, " .  .  . | <a href=\"A/B/C/_idx.htm\">C</a> . [1]<br>"));
    EXPECT_TRUE(Contains(lines, "| <a href=\"x%20y/_idx.htm\">x y</a> . [1]<br>"));
    const test::TPageFacts contents = test::ParsePage(toc);
    EXPECT_EQ(std::vector<std::string>(contents.Links.begin(), contents.Links.end() - 1),
              (std::vector<std::string>{"_idx.htm", "A/_idx.htm", "A/B/C/_idx.htm", "x%20y/_idx.htm"}));
    EXPECT_EQ(contents.Text.find("Mine"), std::string::npos);
    EXPECT_EQ(contents.Text.find("Empty"), std::string::npos);
    EXPECT_EQ(contents.Text.find("thumbs"), std::string::npos);
    ExpectLinksResolve(toc);
    EXPECT_EQ(test::TidyErrors(toc), std::vector<std::string>{});

    // Without frames the browser opens the contents, and the explorer shows the root.
    EXPECT_EQ(opened_, std::vector<std::string>{toc});
    EXPECT_EQ(ExploreDir, root_);
    EXPECT_EQ(IsBusy, 0);
}

TEST_F(CatalogCommands, ContactSheetCatalogWritesASheetAndItsMapIntoEveryFolder) {
    Picture("a.jpg");
    Picture("A/b.jpg");
    Picture("A/Photo.JPG");
    Options(true);
    xplr8900::HTMLset9.SetContactSheet(true);
    xplr8900::WriteWebOptions("");
    TFileForm* form = Open();
    RunOffline(form);

    for (const char* folder : {"", "A/"}) {
        const std::string page = root_ + folder + "_idx.htm";
        ASSERT_TRUE(FileExists(page)) << folder;
        const std::string html = test::ReadFileText(page);
        EXPECT_NE(html.find("<MAP NAME=\"pics\">"), std::string::npos) << folder;
        EXPECT_NE(html.find("USEMAP=\"#pics\""), std::string::npos) << folder;
        ExpectLinksResolve(page);
    }
    // Each sheet is a picture beside its folder's page; the areas link the real names.
    EXPECT_TRUE(FileExists(root_ + "A/thumbs/P0000000.jpg"));
    EXPECT_NE(test::ReadFileText(root_ + "A/_idx.htm").find("Photo.JPG"), std::string::npos);
    EXPECT_EQ(IsBusy, 0);
}

TEST_F(CatalogCommands, OfflineCatalogRunAgainRemovesTheOldNumberedPagesFirst) {
    Picture("a.jpg");
    Picture("A/b.jpg");
    Options(true);
    TFileForm* form = Open();
    RunOffline(form);
    ASSERT_TRUE(FileExists(root_ + "A/_idx.htm"));
    const std::string page = test::ReadFileText(root_ + "A/_idx.htm");
    test::WriteFileText(root_ + "A/_idx_2.htm", page);
    test::WriteFileText(root_ + "A/_idx_3.htm", page);
    test::WriteFileText(root_ + "_idx_2.htm", page);

    RunOffline(form);
    EXPECT_TRUE(FileExists(root_ + "A/_idx.htm"));
    for (const char* old : {"A/_idx_2.htm", "A/_idx_3.htm", "_idx_2.htm"}) EXPECT_FALSE(FileExists(root_ + old)) << old;
    EXPECT_EQ(boxes_.size(), 2u) << "no folder was left out";
}

TEST_F(CatalogCommands, OfflineCatalogAsksBeforeReplacingTheUsersFramesetInTheRoot) {
    Picture("a.jpg");
    const std::string users = "<frameset><frame src=mine.htm></frameset>";
    test::WriteFileText(root_ + "_frames.htm", users);
    Options(true);
    TFileForm* form = Open();
    test::Answer(boxes_, mrYes);     // add a table of contents
    test::Answer(boxes_, mrCancel);  // do not replace the user's frameset
    form->mnuCatalogClick(form->FindItem("mnuImageCatalog"));
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[1].text, "New folder recommended.\nIndex file \"_home.htm\" exists.\nOverwrite?");
    EXPECT_EQ(test::ReadFileText(root_ + "_frames.htm"), users);
    EXPECT_FALSE(FileExists(root_ + "_idx.htm"));

    // Without a table of contents the frameset is neither written nor deleted.
    test::Answer(boxes_, mrNo);
    KeepQuality();
    form->mnuCatalogClick(form->FindItem("mnuImageCatalog"));
    EXPECT_EQ(test::ReadFileText(root_ + "_frames.htm"), users);
    EXPECT_TRUE(FileExists(root_ + "_idx.htm"));
    EXPECT_FALSE(FileExists(root_ + "_home.htm"));
}

TEST_F(CatalogCommands, OfflineCatalogReplacesTheEmptyPicturesOlderWriteTestsLeft) {
    Picture("a.jpg");
    Picture("Sub/b.jpg");
    test::WriteFileText(root_ + "_idx.htm", "BM");
    test::WriteFileText(root_ + "Sub/_idx.htm", "BM");
    Options(true);
    RunOffline(Open());
    ASSERT_EQ(boxes_.size(), 1u) << "nothing is left out";
    for (const char* page : {"_idx.htm", "Sub/_idx.htm"}) {
        EXPECT_EQ(PageOwner(root_ + page), TPageOwner::Own) << page;
        EXPECT_EQ(test::ParsePage(root_ + page).Images.size(), 1u) << page;
    }
    EXPECT_TRUE(Contains(TextLines(root_ + "_home.htm"), "| <a href=\"Sub/_idx.htm\">Sub</a> . [1]<br>"));
}

TEST_F(CatalogCommands, FixedCatalogLinksTheSourcesFromTheChosenFolderAndAsksBeforeReplacingItsContents) {
    const std::string a = Picture("a.jpg");
    const std::string b = Picture("Sub Folder/b.jpg");
    Options(false);
    const std::string users = "<html>my home page</html>";
    test::WriteFileText(out_ + "_home.htm", users);
    TFileForm* form = Open();

    // Cancel keeps the user's page and writes nothing.
    Pick(out_);
    test::Answer(boxes_, mrCancel);
    form->mnuCatalogClick(form->FindItem("mnuImageCatalog"));
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "New folder recommended.\nIndex file \"_home.htm\" exists.\nOverwrite?");
    EXPECT_EQ(pickerCaption_.rfind("Create FIXED image catalog in ", 0), 0u) << pickerCaption_;
    EXPECT_EQ(test::ReadFileText(out_ + "_home.htm"), users);
    EXPECT_EQ(std::distance(fs::directory_iterator(out_), fs::directory_iterator()), 1);

    // A page of the root's name exists already: the root's page is numbered.
    const std::string rootPage = FolderPageBase(root_) + ".htm";
    test::WriteFileText(out_ + rootPage, "an older page");
    Pick(out_);
    test::Answer(boxes_, mrOk);
    KeepQuality();
    form->mnuCatalogClick(form->FindItem("mnuImageCatalog"));
    ASSERT_EQ(boxes_.size(), 2u);
    const std::string numbered = FolderPageBase(root_) + "_1.htm";
    const std::string subPage = FolderPageBase(root_ + "Sub Folder/") + ".htm";
    ASSERT_TRUE(FileExists(out_ + numbered));
    ASSERT_TRUE(FileExists(out_ + subPage));
    EXPECT_EQ(test::ReadFileText(out_ + rootPage), "an older page");
    EXPECT_FALSE(FileExists(out_ + "_idx.htm")) << "the write test leaves nothing behind";
    EXPECT_FALSE(FileExists(root_ + "_idx.htm"));
    EXPECT_FALSE(fs::exists(root_ + "thumbs"));

    // Pictures linked by file URLs, thumbnails beside the pages.
    const test::TPageFacts page = test::ParsePage(out_ + subPage);
    EXPECT_TRUE(Contains(page.Links, catalog::FileUrl(b)));
    EXPECT_TRUE(Contains(page.Links, "_home.htm"));
    ASSERT_EQ(page.Images.size(), 1u);
    EXPECT_EQ(page.Images[0].rfind("thumbs/", 0), 0u);
    ExpectLinksResolve(out_ + subPage);
    EXPECT_TRUE(Contains(test::ParsePage(out_ + numbered).Links, catalog::FileUrl(a)));

    // The contents link the numbered page.
    const std::string toc = out_ + "_home.htm";
    EXPECT_TRUE(Contains(TextLines(toc), "<a href=\"" + numbered + "\">Parent</a> . [1]<br>"));
    EXPECT_TRUE(Contains(TextLines(toc), "| <a href=\"" + webpage::EncodeUrlSegment(subPage) +
                                             "\">Sub Folder</a> . [1]<br>"));
    ExpectLinksResolve(toc);
    EXPECT_EQ(ExploreDir, out_) << "the explorer shows the catalog";
}

TEST_F(CatalogCommands, RootWithoutSubFoldersGivesOnePageSetAndTheParentLineAlone) {
    Picture("a.jpg");
    Picture("b.jpg");
    Options(false);
    TFileForm* form = Open();
    int folderBarMaximum = -1;
    xplr8900::ThumbRunHooks.Making = [&](const std::string&) {
        if (StatusForm) folderBarMaximum = StatusForm->ProgressThumbs->maximum();
        EXPECT_EQ(IsBusy, 1);
    };
    Pick(out_);
    KeepQuality();
    form->mnuCatalogClick(form->FindItem("mnuImageCatalog"));
    EXPECT_EQ(folderBarMaximum, 2);
    const std::string page = FolderPageBase(root_) + ".htm";
    EXPECT_TRUE(FileExists(out_ + page));
    const test::TPageFacts contents = test::ParsePage(out_ + "_home.htm");
    EXPECT_EQ(contents.Links.front(), page);
    EXPECT_EQ(contents.Links.size(), 2u) << "the Parent line and the maker's link";
    EXPECT_NE(contents.Text.find("[ ] = files"), std::string::npos);
    // The frameset opens the root's page beside the contents.
    EXPECT_NE(test::ReadFileText(out_ + "_frames.htm").find("<FRAME src=\"" + page + "\" name=framePics"),
              std::string::npos);
    EXPECT_EQ(opened_, std::vector<std::string>{out_ + "_home.htm"});
}

TEST_F(CatalogCommands, FramesGiveTheContentsABaseTargetAndThePagesNoHomeCell) {
    Picture("a.jpg");
    Picture("One/b.jpg");
    Picture("Two/c.jpg");
    Options(true, true);
    RunOffline(Open());
    const std::string frames = root_ + "_frames.htm";
    const std::string text = test::ReadFileText(frames);
    EXPECT_NE(text.find("<FRAME src=\"_home.htm\" name=home"), std::string::npos);
    EXPECT_NE(text.find("<FRAME src=\"One/_idx.htm\" name=framePics"), std::string::npos);
    EXPECT_NE(test::ReadFileText(root_ + "_home.htm").find("\r\n<BASE target=framePics>\r\n"), std::string::npos);
    for (const char* page : {"_idx.htm", "One/_idx.htm"})
        EXPECT_FALSE(Contains(test::ParsePage(root_ + page).Links, "_home.htm")) << page;
    EXPECT_EQ(opened_, std::vector<std::string>{frames});
}

TEST_F(CatalogCommands, DirectoryTreeListsEveryFolderLinkedToItself) {
    Picture("a.jpg");
    Picture("Pics/b.jpg");
    Folder("Pics/Nothing here");
    Picture("thumbs/t.jpg");
    Options(true);
    TFileForm* form = Open();
    std::string title;
    QueueModalAction([&](QDialog& dialog) {
        title = dialog.windowTitle().toStdString();
        dialog.findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(out_ + "tree.htm"));
        dialog.accept();
    });
    KeepQuality();
    form->mnuDirTreeClick(form);
    EXPECT_EQ(title, "Create Table of Contents");
    const std::string toc = out_ + "tree.htm";
    ASSERT_TRUE(FileExists(toc));
    const std::vector<std::string> lines = TextLines(toc);
    EXPECT_TRUE(Contains(lines, "| <a href=\"" + FileUrl(root_ + "Pics/") + "\">Pics</a> . [1]<br>"));
    EXPECT_TRUE(Contains(lines, " .  . | <a href=\"" + FileUrl(root_ + "Pics/Nothing here/") +
                                    "\">Nothing here</a> . [0]<br>"));
    EXPECT_EQ(test::ReadFileText(toc).find("Parent"), std::string::npos);
    EXPECT_EQ(test::ReadFileText(toc).find("thumbs"), std::string::npos);
    EXPECT_EQ(test::ReadFileText(toc).find("BASE"), std::string::npos);
    for (const std::string& href : test::ParsePage(toc).Links)
        if (href.rfind("file:", 0) == 0) {
            EXPECT_TRUE(DirectoryExists(test::LinkedFile(toc, href))) << href;
        }
    EXPECT_FALSE(FileExists(root_ + "_idx.htm")) << "no pages";
    EXPECT_FALSE(FileExists(out_ + "_frames.htm"));
    EXPECT_EQ(opened_, std::vector<std::string>{toc});
}

TEST_F(CatalogCommands, CancelAfterTheFifthFolderKeepsThePagesWrittenAndRelistsTheFolder) {
    std::vector<std::string> folders;
    for (int i = 1; i <= 30; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "f%02d/", i);
        folders.push_back(root_ + name);
        Picture(std::string(name) + "p.jpg");
    }
    Options(true);
    TFileForm* form = Open();
    xplr8900::ThumbRunHooks.Making = [&](const std::string& file) {
        if (file == folders[4] + "p.jpg" && StatusForm) StatusForm->btnCancel->click();
    };
    test::Answer(boxes_, mrYes);  // add a table of contents
    KeepQuality();
    test::Answer(boxes_, mrYes);  // cancel the batch
    form->mnuCatalogClick(form->FindItem("mnuImageCatalog"));
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[1].text, "Cancel batch operation?");
    for (int i = 0; i < 30; ++i) EXPECT_EQ(FileExists(folders[i] + "_idx.htm"), i < 4) << folders[i];
    EXPECT_TRUE(opened_.empty());
    EXPECT_EQ(IsBusy, 0);
    EXPECT_EQ(ExploreDir, folders[4]);
    EXPECT_EQ(form->Listing->FileOrder.size(), 1u);
}

// The output folder cannot be written: a read-only mount where the test may
// mount one, else an injected failure of the write.
struct TWriteFailCase {
    const char* Label;
    bool Offline;
    const char* Text;
};

class CatalogWriteTest : public CatalogCommands, public ::testing::WithParamInterface<TWriteFailCase> {
protected:
    void TearDown() override {
        if (mounted_) test::CommandOutput("umount " + test::Quoted(mountPoint_));
        CatalogCommands::TearDown();
    }
    // Makes Folder a read-only mount holding a picture; false when no mount can be made.
    bool ReadOnlyMount(const std::string& Folder) {
        fs::create_directories(Folder);
        if (std::system(("mount -t tmpfs -o size=4m lumvor-ro " + test::Quoted(Folder) + " 2>/dev/null").c_str()) != 0)
            return false;
        mountPoint_ = Folder;
        mounted_ = true;
        for (const char* name : {"/a.jpg", "/Sub/b.jpg"}) {
            fs::create_directories(fs::path(Folder + name).parent_path());
            fs::copy_file(Cell, Folder + name);
        }
        for (const char* name : {"/a.jpg", "/Sub/b.jpg", "/Sub", ""}) test::MakeOld(Folder + name);
        return std::system(("mount -o remount,ro " + test::Quoted(Folder) + " 2>/dev/null").c_str()) == 0;
    }
    bool mounted_ = false;
    std::string mountPoint_;
};

TEST_P(CatalogWriteTest, AnOutputFolderThatCannotBeWrittenStopsTheRunBeforeAnythingIsWritten) {
    const TWriteFailCase& c = GetParam();
    const std::string target = c.Offline ? root_ : out_;
    const bool readOnly = ReadOnlyMount(ExcludeTrailingPathDelimiter(target));
    if (!c.Offline || !mounted_) {
        Picture("a.jpg");
        Picture("Sub/b.jpg");
    }
    if (!readOnly) {
        WriteFaultHook = [](const std::string& file) {
            return file.find("/catalog/") != std::string::npos || file.find("/Trips/") != std::string::npos ? EROFS
                                                                                                         : 0;
        };
    }
    Options(c.Offline);
    TFileForm* form = Open();
    if (c.Offline) {
        if (readOnly) test::Answer(boxes_, mrIgnore);  // read-only source folders
        test::Answer(boxes_, mrYes);
    } else {
        Pick(out_);
    }
    test::Answer(boxes_, mrOk);
    form->mnuCatalogClick(form->FindItem("mnuImageCatalog"));
    ASSERT_FALSE(boxes_.empty());
    EXPECT_EQ(boxes_.back().text, c.Text) << (readOnly ? "read-only mount" : "injected failure");
    for (const auto& entry : fs::recursive_directory_iterator(target)) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "a.jpg" || name == "b.jpg" || name == "Sub") << entry.path();
    }
    EXPECT_TRUE(opened_.empty());
}

INSTANTIATE_TEST_SUITE_P(
    CatalogCommands, CatalogWriteTest,
    ::testing::Values(TWriteFailCase{"Fixed", false, "Cannot access drive/folder.\nCheck device or security settings."},
                      TWriteFailCase{"Offline", true,
                                     "Cannot access drive/folder.\nCheck device or security settings.\nUse Fixed "
                                     "catalog option to catalog CDROM."}),
    test::CaseNames<&TWriteFailCase::Label>);

// Sources an offline catalog may not be written into.
enum class TSourcePlace { OpticalVolume, NetworkPlace, MappedNetworkDrive };

struct TSourceCase {
    const char* Label;
    TSourcePlace Place;
    bool Refused;
};

class CatalogSources : public CatalogCommands, public ::testing::WithParamInterface<TSourceCase> {};

TEST_P(CatalogSources, ReadOnlyOrNetworkedSourcesRefuseTheOfflineCatalog) {
    const TSourceCase& c = GetParam();
    if (c.Place == TSourcePlace::NetworkPlace) {
        setenv("XDG_RUNTIME_DIR", (home_ + "run").c_str(), 1);
        xplr8900::EControls.SetByte(xplr8900::ec::NetworkSupport, 1);
        root_ = test::FreshExploredFolder("run/gvfs/smb-share:server=nas,share=pics");
    }
    Picture("a.jpg");
    Options(true);
    TFileForm* form = Open();
    const int32_t kind = c.Place == TSourcePlace::OpticalVolume        ? xplr8900::DriveOptical
                         : c.Place == TSourcePlace::MappedNetworkDrive ? xplr8900::DriveMappedNetwork
                                                                       : xplr8900::DriveFixed;
    for (int i = 0; i < form->DriveList->Count(); ++i) form->DriveList->PutData(i, kind);
    if (c.Refused) {
        test::Answer(boxes_, mrOk);       // the refusal
        QueueModalResult(mrCancel);       // the options dialog shown again
    } else {
        test::Answer(boxes_, mrNo);       // no table of contents
        KeepQuality();
    }
    form->mnuCatalogClick(form->FindItem("mnuImageCatalog"));
    ASSERT_FALSE(boxes_.empty());
    const std::string refusal =
        "ReadOnly or Networked source folders detected.\nWriting DVD/CD image catalogs to source folders is\nnot "
        "allowed.  Fixed image catalogs are allowed.";
    EXPECT_EQ(boxes_[0].text == refusal, c.Refused) << boxes_[0].text;
    EXPECT_EQ(FileExists(root_ + "_idx.htm"), !c.Refused);
    EXPECT_EQ(xplr8900::HTMLset9.ReviewSettings(), c.Refused);
}

INSTANTIATE_TEST_SUITE_P(CatalogCommands, CatalogSources,
                         ::testing::Values(TSourceCase{"OpticalVolume", TSourcePlace::OpticalVolume, true},
                                           TSourceCase{"NetworkPlace", TSourcePlace::NetworkPlace, true},
                                           TSourceCase{"MappedNetworkDrive", TSourcePlace::MappedNetworkDrive, false}),
                         test::CaseNames<&TSourceCase::Label>);

// Writes an offline catalog with frames into $LUMVOR_SHOTS/catalog for a browser to look at.
TEST_F(CatalogCommands, ScreenshotCatalogForABrowser) {
    const char* shots = std::getenv("LUMVOR_SHOTS");
    if (!shots) GTEST_SKIP() << "set LUMVOR_SHOTS to a folder to write the catalog";
    root_ = IncludeTrailingPathDelimiter(shots) + "catalog/";
    fs::remove_all(root_);
    ExploreDir = root_;
    for (const char* name : {"Beach/one.jpg", "Beach/two.jpg", "Beach/Evening/three.jpg", "City <old>/four.jpg",
                             "City <old>/Bridges/five.jpg", "Mountains/six.jpg"})
        Picture(name);
    Options(true, true);
    xplr8900::ThumbRunHooks.Making = [&](const std::string& file) {
        if (StatusForm && file.find("/Evening/") != std::string::npos)
            StatusForm->grab().save(QString::fromStdString(std::string(shots) + "/catalog_status.png"));
    };
    RunOffline(Open());
    EXPECT_TRUE(FileExists(root_ + "_frames.htm"));
}

}  // namespace
}  // namespace lumvor
