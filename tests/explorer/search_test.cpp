// The explorer's search tools: the picture match over the thumbnail cache,
// locating a sibling folder, finding files by name, the information of one
// file and the tile arrangements of the two windows.
#include "explorer/xplr8900.h"

#include "app/lumv8900.h"
#include "state/ExplorerSettings.h"
#include "explorer/FolderListing.h"
#include "explorer/FolderSizes.h"
#include "explorer/ListCells.h"
#include "explorer/PictureMatch.h"
#include "explorer/ThumbFiles.h"
#include "explorer/TileLayout.h"
#include "imaging/FileRec.h"
#include "imaging/Helpers.h"
#include "imaging/ThumbCache.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "platform/Menus.h"
#include "platform/SysUtils.h"
#include "ui/LookBoxEx.h"
#include "ui/Status_y.h"
#include "ui/TreeViewEx.h"
#include "ui/VListShowEx.h"
#include "ui/voMsgBox.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "support/case_names.h"
#include "support/event_wait.h"
#include "support/explorer_start.h"
#include "support/explorer_state.h"
#include "support/file_helpers.h"
#include "support/message_boxes.h"
#include "support/window_hooks.h"

namespace lumvor {
namespace {

using namespace xplr8900;
namespace fs = std::filesystem;

const std::string Fixtures = std::string(LUMVOR_FIXTURES) + "/";
const std::string kSingleReference = "Please select a single thumbnail as a reference image.";
const std::string kIncomplete = "Thumbnailing incomplete or interrupted.\nAfter verification, run this function again.";

// Answers the next input box with text (OK), noting its caption and prompt.
struct InputSeen {
    std::string caption, prompt;
};
void AnswerInput(InputSeen& seen, const std::string& text) {
    QueueModalAction([&seen, text](QDialog& dialog) {
        seen.caption = dialog.windowTitle().toStdString();
        if (auto* label = dialog.findChild<QLabel*>()) seen.prompt = label->text().toStdString();
        dialog.findChild<QLineEdit*>("Edit")->setText(QString::fromStdString(text));
        dialog.done(mrOk);
    });
}

// ---- The distance

// A picture of one row whose pixels are given as hue, lightness, saturation.
TMatchPicture Row(std::vector<uint8_t> hls) {
    TMatchPicture picture;
    picture.Width = int(hls.size() / 3);
    picture.Height = 1;
    picture.HLS = std::move(hls);
    return picture;
}

TEST(PictureMatchTest, DistanceWeighsHueEightLightnessFourSaturationTwo) {
    const TMatchPicture a = Row({10, 20, 30, 200, 100, 0});
    const TMatchPicture b = Row({13, 15, 31, 190, 100, 7});
    // |3|x8 + |5|x4 + |1|x2, then |10|x8 + 0 + |7|x2.
    EXPECT_EQ(MatchDistance(a, b, MatchStartDistance), 24 + 20 + 2 + 80 + 14);
    EXPECT_EQ(MatchDistance(a, a, MatchStartDistance), 0);
    EXPECT_EQ(MatchDistance(a, b, MatchStartDistance), MatchDistance(b, a, MatchStartDistance));
}

TEST(PictureMatchTest, SumStopsOnceItPassesTheBestFromTheLastRowUp) {
    // Two rows: the bottom row differs by 100 (lightness 25 x 4), the top by 40.
    TMatchPicture a = Row({0, 0, 0, 0, 0, 0});
    a.Height = 2;
    a.Width = 1;
    TMatchPicture b = a;
    b.HLS = {0, 10, 0, 0, 25, 0};
    EXPECT_EQ(MatchDistance(a, b, 1000), 140);
    EXPECT_EQ(MatchDistance(a, b, 99), 100) << "the top row is never summed once the bottom one passes the best";
    TMatchPicture narrow = Row({0, 0, 0});
    EXPECT_GT(MatchDistance(a, narrow, 5000), 5000) << "pictures of another size are never alike";
}

TEST(PictureMatchTest, BlockOfTheCoarseningFollowsTheCellWidth) {
    EXPECT_EQ(MatchBlockSize(168), 6);
    EXPECT_EQ(MatchBlockSize(112), 4);
    EXPECT_EQ(MatchBlockSize(84), 3);
    EXPECT_EQ(MatchBlockSize(64), 3);
}

// ---- Match in the explorer

class MatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application.Initialize();
        test::ResetExplorerState();
        ThumbRunActive = ThumbsComplete = false;
        CurrThumb = ThumbCount = -1;
        CoreCancel = false;
        ThumbRunHooks = {};
        lumv8900::ImageHistoryList.Clear();
        folder_ = test::FreshExploredFolder("match");
        SetStrictModalRuns(true);
        OpenHandOff = [this](const std::string& command, const std::string& path) {
            opened_.push_back(path.empty() ? command : command + " " + ExtractFileName(path));
        };
    }
    void TearDown() override {
        OpenHandOff = nullptr;
        test::CloseExplorer();
        lumv8900::ImageHistoryList.Clear();
        EXPECT_EQ(UnansweredModalRuns(), 0);
        SetStrictModalRuns(false);
        test::ResetApplicationHooks();
    }
    void Place(const std::string& fixture, const std::string& name) {
        fs::copy_file(Fixtures + fixture, folder_ + name, fs::copy_options::overwrite_existing);
        test::MakeOld(folder_ + name);
    }
    // The reference, the exact copy under another name and three others.
    void PlaceFivePictures() {
        Place("match/ref.png", "a_ref.png");
        Place("match/near.png", "b_near.png");
        Place("match/green.png", "c_green.png");
        Place("match/yellow.png", "d_yellow.png");
        Place("match/ref.png", "e_copy.png");
    }
    void OpenWithThumbnails() {
        test::MakeOld(folder_);
        test::OpenExplorer();
        FileForm->mnuViewThumbsClick(FileForm->mnuViewThumbs);
        ASSERT_TRUE(test::SpinUntil([] { return ThumbsComplete && !ThumbRunActive; })) << "the run did not end";
    }
    int RowOf(const std::string& name) const {
        const int row = test::ListedRow(name);
        if (row < 0) ADD_FAILURE() << name << " is not listed";
        return row;
    }
    std::string CachePath(const std::string& name) const {
        return ThumbRecFile(test::ListedRec(RowOf(name))).Path;
    }
    void SelectOnly(const std::vector<std::string>& names) {
        FileForm->XL->SetSelected(nullptr);
        for (const std::string& name : names) FileForm->XL->SelectRows(RowOf(name), RowOf(name), true);
    }
    std::set<std::string> SelectedNames() const {
        std::set<std::string> names;
        for (int row : FileForm->XL->SelectedRows()) names.insert(std::string(test::ListedRec(row).Name()));
        return names;
    }
    // The candidate ImageMagick ranks closest to the reference by RMSE.
    static std::string ClosestByImageMagick(const std::vector<std::string>& candidates) {
        std::string best;
        double bestError = 1e300;
        for (const std::string& name : candidates) {
            const std::string out =
                test::CommandOutput("compare -metric RMSE '" + Fixtures + "match/ref.png' '" + Fixtures + "match/" +
                                    name + ".png' null: 2>&1");
            const double error = std::stod(out);
            if (error < bestError) {
                bestError = error;
                best = name;
            }
        }
        return best;
    }

    std::string folder_;
    std::vector<std::string> opened_;
    std::vector<test::Box> boxes_;
};

TEST_F(MatchTest, ExactCopyWinsAndBothOpenTheReferenceFirst) {
    PlaceFivePictures();
    OpenWithThumbnails();
    SelectOnly({"a_ref.png"});
    FileForm->mnuMatchImageClick(FileForm->mnuViewThumbs);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(SelectedNames(), (std::set<std::string>{"a_ref.png", "e_copy.png"}));
    EXPECT_EQ(opened_, (std::vector<std::string>{"DragOpen a_ref.png", "HistoryControls"}));
    ASSERT_EQ(lumv8900::ImageHistoryList.Count(), 1);
    EXPECT_EQ(ExtractFileName(lumv8900::ImageHistoryList[0]), "e_copy.png");
    EXPECT_EQ(IsBusy, 0);
    EXPECT_EQ(StatusForm, nullptr);
}

// A candidate whose cache file cannot be used is never compared: the closest
// of the others wins, the run reports itself incomplete and thumbnailing
// starts again (which makes the missing file anew).
struct DamageCase {
    const char* name;
    void (*damage)(const std::string& cache, const std::string& otherCache);
};
void PrintTo(const DamageCase& c, std::ostream* os) { *os << c.name; }

class DamagedCandidateTest : public MatchTest, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(DamagedCandidateTest, IsSkippedAndTheRunReportsItselfIncomplete) {
    PlaceFivePictures();
    OpenWithThumbnails();
    GetParam().damage(CachePath("e_copy.png"), CachePath("c_green.png"));
    SelectOnly({"a_ref.png"});
    test::Answer(boxes_, mrOk);
    FileForm->mnuMatchImageClick(FileForm->mnuViewThumbs);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, kIncomplete);
    const std::string expected = ClosestByImageMagick({"near", "green", "yellow"});
    EXPECT_EQ(expected, "near");
    EXPECT_EQ(SelectedNames(), (std::set<std::string>{"a_ref.png", "b_" + expected + ".png"}));
    EXPECT_EQ(opened_.front(), "DragOpen a_ref.png");
    ASSERT_TRUE(test::SpinUntil([&] {
        const FileRec copy = test::ListedRec(RowOf("e_copy.png"));
        return ThumbsComplete && !ThumbRunActive && ThumbFilePresent(ThumbRecFile(copy), copy);
    })) << "thumbnailing was not restarted";
}

INSTANTIATE_TEST_SUITE_P(
    Damage, DamagedCandidateTest,
    ::testing::Values(DamageCase{"Removed", [](const std::string& cache, const std::string&) { fs::remove(cache); }},
                      DamageCase{"CutShort",
                                 [](const std::string& cache, const std::string&) {
                                     fs::resize_file(cache, fs::file_size(cache) / 2);
                                 }},
                      DamageCase{"OfAnotherPicture",
                                 [](const std::string& cache, const std::string& other) {
                                     fs::copy_file(other, cache, fs::copy_options::overwrite_existing);
                                 }}),
    test::CaseNames<&DamageCase::name>);

TEST_F(MatchTest, ReferenceMustBeOneSelectedPictureWithItsThumbnail) {
    Place("match/ref.png", "a_ref.png");
    Place("match/near.png", "b_near.png");
    test::WriteFileText(folder_ + "notes.txt", "some notes\n");
    test::MakeOld(folder_ + "notes.txt");
    test::MakeOld(folder_);
    test::OpenExplorer();

    // Two selected, then none.
    SelectOnly({"a_ref.png", "b_near.png"});
    test::Answer(boxes_, mrOk);
    FileForm->mnuMatchImageClick(FileForm);
    SelectOnly({});
    test::Answer(boxes_, mrOk);
    FileForm->mnuMatchImageClick(FileForm);
    // A text file.
    SelectOnly({"notes.txt"});
    test::Answer(boxes_, mrOk);
    FileForm->mnuMatchImageClick(FileForm);
    // A picture whose thumbnail was never made (the list view made none).
    ASSERT_FALSE(FileForm->ThumbnailView());
    SelectOnly({"a_ref.png"});
    test::Answer(boxes_, mrOk);
    FileForm->mnuMatchImageClick(FileForm);

    std::vector<std::string> texts;
    for (const test::Box& box : boxes_) texts.push_back(box.text);
    EXPECT_EQ(texts, (std::vector<std::string>{kSingleReference, kSingleReference, "notes.txt is not a graphics file.",
                                               kIncomplete}));
    EXPECT_TRUE(opened_.empty()) << "nothing was compared or opened";
    EXPECT_TRUE(FileForm->ThumbnailView());
    EXPECT_TRUE(test::SpinUntil([&] { return ThumbsComplete && fs::exists(CachePath("a_ref.png")); }));
}

TEST_F(MatchTest, FolderOfOnePictureHasNoCandidates) {
    Place("match/ref.png", "a_ref.png");
    OpenWithThumbnails();
    SelectOnly({"a_ref.png"});
    test::Answer(boxes_, mrOk);
    FileForm->mnuMatchImageClick(FileForm);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, kSingleReference);
}

// ---- Information

TEST_F(MatchTest, InfoOfAPngShowsItsFactsAndOffersTheProperties) {
    Place("match/green.png", "green.png");
    Place("match/ref.png", "ref.png");
    OpenWithThumbnails();
    SelectOnly({"green.png"});
    const std::string size = test::CommandOutput("stat -c %s '" + folder_ + "green.png'");
    const std::string dims = test::CommandOutput("identify -format '%wx%h' '" + folder_ + "green.png'");

    std::vector<std::string> propertiesShown;
    const auto noteProperties = [&propertiesShown](QDialog& dialog) {
        propertiesShown.push_back(dialog.windowTitle().toStdString());
        dialog.done(0);
    };
    test::Answer(boxes_, mrYes);
    QueueModalAction(noteProperties);
    FileForm->btnInfoClick(FileForm->FindItem("btnInfoX"));
    test::Answer(boxes_, mrNo);
    FileForm->btnInfoClick(FileForm->FindItem("mnuInfoX"));
    QueueModalAction(noteProperties);
    FileForm->btnInfoClick(FileForm->FindItem("mnuPropertiesX"));

    ASSERT_EQ(boxes_.size(), 2u);
    std::vector<std::string> lines;
    std::istringstream in(boxes_[0].text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 8u) << boxes_[0].text;
    EXPECT_EQ(lines[0], "green.png");
    EXPECT_EQ(lines[1], "Path: " + folder_);
    EXPECT_EQ(lines[2], "Size: " + FormatFileSizeText(int64_t(std::stoll(size))));
    EXPECT_EQ(lines[3].rfind("Date: ", 0), 0u);
    EXPECT_EQ(lines[4], "View: " + dims + "(24)");
    EXPECT_EQ(lines[5].rfind("Type: ", 0), 0u);
    EXPECT_GT(lines[5].size(), std::string("Type: ").size());
    EXPECT_EQ(lines[6], "");
    EXPECT_EQ(lines[7], "View properties?");
    EXPECT_EQ(boxes_[1].text, boxes_[0].text);
    EXPECT_EQ(propertiesShown.size(), 2u) << "the Yes and the properties item opened them, the No did not";
}

// A screenshot of the information box of a PNG, taken when LUMVOR_SHOTS names a folder.
TEST_F(MatchTest, ScreenshotOfTheInformationBox) {
    const char* shots = std::getenv("LUMVOR_SHOTS");
    if (!shots) GTEST_SKIP() << "set LUMVOR_SHOTS to a folder to take the screenshot";
    const std::string out = IncludeTrailingPathDelimiter(shots);
    Place("match/green.png", "green.png");
    Place("match/ref.png", "ref.png");
    OpenWithThumbnails();
    SelectOnly({"green.png"});
    QueueModalAction([out](QDialog& dialog) {
        QTest::qWait(100);
        dialog.grab().save(QString::fromStdString(out + "info_box.png"));
        dialog.done(mrNo);
    });
    FileForm->btnInfoClick(FileForm->FindItem("mnuInfoX"));
}

// ---- Locate and Find

class NameSearchTest : public test::ExplorerFormTest {
protected:
    void TearDown() override {
        KeyboardState = nullptr;
        ExplorerFormTest::TearDown();
    }
    // Files dated a minute back, so that the listing shows them.
    void OldFiles(const std::string& folder, const std::vector<std::string>& names) {
        for (const std::string& name : names) {
            test::WriteFileText(folder + name, "data");
            test::MakeOld(folder + name);
        }
    }
    std::set<std::string> SelectedNames() const {
        std::set<std::string> names;
        for (int row : form->XL->SelectedRows())
            names.insert(std::string(form->Listing->ReadRec(form->Listing->FileOrder[size_t(row)]).Name()));
        return names;
    }
    int RowOf(const std::string& name) const {
        for (size_t row = 0; row < form->Listing->FileOrder.size(); ++row)
            if (form->Listing->ReadRec(form->Listing->FileOrder[row]).Name() == name) return int(row);
        ADD_FAILURE() << name << " is not listed";
        return 0;
    }
    // Three sibling folders, the first explored with the tree shown.
    std::string PlaceSiblings() {
        const std::string parent = Folder("sites");
        for (const char* name : {"Downloads", "MyWebDownloads", "Website"}) test::MakeOld(Folder(std::string("sites/") + name));
        form->mnuFolderTreeClick(form->mnuFolderTree);
        Go(parent + "Downloads/");
        return parent;
    }
    std::vector<test::Box> boxes;
};

struct LocateCase {
    const char* name;
    bool shift;
    const char* text;
    const char* found;  // "" when nothing is found
};
void PrintTo(const LocateCase& c, std::ostream* os) { *os << c.name; }

class LocateTest : public NameSearchTest, public ::testing::WithParamInterface<LocateCase> {};

TEST_P(LocateTest, GoesToTheFirstSiblingInTreeOrderWhoseNameHoldsTheText) {
    const LocateCase& c = GetParam();
    const std::string parent = PlaceSiblings();
    ASSERT_EQ(form->GetNodePath(form->Tree->currentItem()), parent + "Downloads/");
    KeyboardState = [shift = c.shift] { return shift ? Qt::ShiftModifier : Qt::NoModifier; };
    InputSeen seen;
    AnswerInput(seen, c.text);
    if (!*c.found) test::Answer(boxes, mrOk);
    form->mnuFolderFindTextClick(form->FindItem("mnuFolderFindText"));
    EXPECT_EQ(seen.caption, "Enter partial Folder name.");
    EXPECT_EQ(seen.prompt, std::string(c.shift ? "e.g. \"MyWeb\"" : "e.g. \"Download\"") + " to find \"MyWebDownloads\"");
    if (*c.found) {
        EXPECT_EQ(ExploreDir, parent + c.found + "/");
        EXPECT_TRUE(boxes.empty());
    } else {
        EXPECT_EQ(ExploreDir, parent + "Downloads/");
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, std::string("No match found for\n") + c.text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LocateTest,
    ::testing::Values(LocateCase{"WebFindsTheFirstOfTwo", false, "web", "MyWebDownloads"},
                      LocateCase{"UpperCaseTextFindsTheSame", false, "WEB", "MyWebDownloads"},
                      LocateCase{"TheExploredFolderItselfCounts", false, "down", "Downloads"},
                      LocateCase{"ShiftCutsLongNamesToTheTextAndOne", true, "web", "Website"},
                      LocateCase{"NoHit", false, "zzz", ""}),
    test::CaseNames<&LocateCase::name>);

TEST_F(NameSearchTest, FindSelectsTheNamesHoldingTheTextAndDeselectsTheRest) {
    const std::string folder = Folder("finds");
    OldFiles(folder, {"myfavpic.jpg", "Fav2.png", "other.txt", "plain.jpg"});
    Go(folder);
    form->XL->SelectRows(RowOf("other.txt"), RowOf("other.txt"), true);
    InputSeen seen;
    AnswerInput(seen, "fav");
    form->mnuFindcaptionClick(form->FindItem("mnuFindcaption"));
    EXPECT_EQ(seen.caption, "Enter partial DisplayName to find.");
    EXPECT_EQ(SelectedNames(), (std::set<std::string>{"myfavpic.jpg", "Fav2.png"}));
    EXPECT_FALSE(form->Listing->ListBusy);

    // The text is remembered for the next search; a miss deselects everything.
    InputSeen again;
    QueueModalAction([&again](QDialog& dialog) {
        again.caption = dialog.findChild<QLineEdit*>("Edit")->text().toStdString();
        dialog.findChild<QLineEdit*>("Edit")->setText("zebra");
        dialog.done(mrOk);
    });
    test::Answer(boxes, mrOk);
    form->mnuFindcaptionClick(form->FindItem("mnuFindcaption"));
    EXPECT_EQ(again.caption, "fav");
    EXPECT_TRUE(SelectedNames().empty());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "No match found for\nzebra");
}

// ---- Folder sizes

class FolderSizeTest : public NameSearchTest {
protected:
    void SetUp() override {
        NameSearchTest::SetUp();
        lumv8900::AppQuitting = false;
        explored = Folder("usage");
        // big/: a sparse 5 GiB file, and 1 MiB further down in big/nested/.
        Folder("usage/big/nested");
        test::CommandOutput("truncate -s 5G '" + explored + "big/huge.bin'");
        test::CommandOutput("head -c 1048576 /dev/zero > '" + explored + "big/nested/one.bin'");
        // links/: a link to the 5 GiB file counts for nothing; loop/: a link
        // back to its own folder's parent ends nowhere.
        Folder("usage/links");
        fs::create_symlink(explored + "big/huge.bin", explored + "links/to_huge");
        Folder("usage/loop");
        fs::create_directory_symlink("..", explored + "loop/up");
        test::WriteFileText(explored + "top.txt", "the folder's own file");
        for (const char* path : {"big/huge.bin", "big/nested/one.bin", "big/nested", "big", "links", "loop", "top.txt"})
            test::MakeOld(explored + path);
        form->show();
        Go(explored);
    }
    void TearDown() override {
        lumv8900::AppQuitting = false;
        NameSearchTest::TearDown();
    }
    // The text the Details view shows in a row's size column.
    std::string ShownSize(const std::string& name) const {
        QAbstractItemModel* model = form->XL->View()->model();
        return model->data(model->index(RowOf(name), 1)).toString().toStdString();
    }
    // Independent sums of what the walk must see, by find(1).
    int64_t FindBytes(const std::string& sub) const {
        return std::stoll("0" + test::CommandOutput("find '" + explored + sub +
                                                    "' -type f -printf '%s\\n' | awk '{s+=$1} END {printf \"%.0f\", s}'"));
    }
    int64_t FindCount(const std::string& test) const {
        return std::stoll(test::CommandOutput("find '" + explored + "' -mindepth 0 " + test + " | wc -l"));
    }
    std::string explored;
};

TEST_F(FolderSizeTest, SubFolderTotalsReachTheDetailsViewAndTheSummaryCountsEverything) {
    test::Answer(boxes, mrOk);
    form->mnuFolderUsageClick(form->mnuFolderUsage);

    EXPECT_EQ(FindBytes("big"), 5368709120LL + 1048576LL);
    EXPECT_EQ(form->XL->ViewStyle(), vsReport);
    EXPECT_EQ(ShownSize("big"), "5121.00 MB");
    EXPECT_EQ(ShownSize("links"), "0");
    EXPECT_EQ(ShownSize("loop"), "0");
    FileRec big = form->Listing->ReadRec(form->Listing->FileOrder[size_t(RowOf("big"))]);
    EXPECT_EQ(int64_t(big.FileSize()), FindBytes("big")) << "the record keeps the true 32-bit halves";
    EXPECT_EQ(big.SizeHigh(), 1u);

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Folder size(s) calculated");
    const int64_t files = FindCount("-mindepth 1 ! -type d");
    const int64_t folders = FindCount("-type d");
    EXPECT_EQ(files, 5);
    EXPECT_EQ(boxes[0].text, std::to_string(files) + " files scanned from " + std::to_string(folders) +
                                 " folders.\n\nFolder sizes populated in Details (Report) view.\nNote: Calculated "
                                 "folder sizes are not persistent.\nIf listing is refreshed, fields will revert to "
                                 "\"zero\".");
    EXPECT_EQ(IsBusy, 0);
    EXPECT_FALSE(form->Listing->ListBusy);
}

TEST_F(FolderSizeTest, TickedSummaryStaysAwayForTheRestOfTheRun) {
    QueueModalAction([](QDialog& dialog) {
        dialog.findChild<QCheckBox*>("Checkbox")->setChecked(true);
        dialog.done(mrOk);
    });
    form->mnuFolderUsageClick(form->mnuFolderUsage);
    EXPECT_EQ(form->mnuFolderUsage->Tag, 1);
    form->mnuFolderUsageClick(form->mnuFolderUsage);  // no box: strict modal runs would count one
    EXPECT_EQ(ShownSize("big"), "5121.00 MB");
}

// Screenshots of the Details view with the totals, the summary box and the
// Locate box, taken when LUMVOR_SHOTS names a folder.
TEST_F(FolderSizeTest, ScreenshotsOfTheTotalsAndTheBoxes) {
    const char* shots = std::getenv("LUMVOR_SHOTS");
    if (!shots) GTEST_SKIP() << "set LUMVOR_SHOTS to a folder to take the screenshots";
    const std::string out = IncludeTrailingPathDelimiter(shots);
    form->resize(760, 420);
    QueueModalAction([out](QDialog& dialog) {
        QTest::qWait(100);
        dialog.grab().save(QString::fromStdString(out + "folder_size_summary.png"));
        dialog.done(mrOk);
    });
    form->mnuFolderUsageClick(form->mnuFolderUsage);
    QTest::qWait(100);
    ASSERT_TRUE(form->grab().save(QString::fromStdString(out + "folder_size_details.png")));
    form->mnuFolderTreeClick(form->mnuFolderTree);
    Go(explored + "big/");
    QueueModalAction([out](QDialog& dialog) {
        QTest::qWait(100);
        dialog.grab().save(QString::fromStdString(out + "locate_box.png"));
        dialog.done(mrCancel);
    });
    form->mnuFolderFindTextClick(form->FindItem("mnuFolderFindText"));
}

struct CancelCase {
    const char* name;
    bool quitting;  // the user confirmed leaving the program
    int answer;     // to "Cancel batch operation?"; 0 when not asked
    bool aborted;
};
void PrintTo(const CancelCase& c, std::ostream* os) { *os << c.name; }

class FolderSizeCancelTest : public FolderSizeTest, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(FolderSizeCancelTest, CancelAsksUnlessTheProgramIsLeaving) {
    const CancelCase& c = GetParam();
    QTimer::singleShot(0, [quitting = c.quitting] {
        CancelPressed = 1;
        lumv8900::AppQuitting = quitting;
    });
    if (c.answer) test::Answer(boxes, c.answer);
    test::Answer(boxes, mrOk);
    form->mnuFolderUsageClick(form->mnuFolderUsage);
    ASSERT_EQ(boxes.size(), c.answer ? 2u : 1u);
    if (c.answer) {
        EXPECT_EQ(boxes[0].text, "Cancel batch operation?");
    }
    EXPECT_EQ(boxes.back().text.rfind(c.aborted ? "Folder size calculations aborted." : "5 files scanned", 0), 0u)
        << boxes.back().text;
    EXPECT_EQ(ShownSize("big"), c.aborted ? "0" : "5121.00 MB");
    EXPECT_EQ(IsBusy, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, FolderSizeCancelTest,
    ::testing::Values(CancelCase{"YesAborts", false, mrYes, true}, CancelCase{"NoGoesOn", false, mrNo, false},
                      CancelCase{"LeavingTheProgramEndsWithoutAsking", true, 0, true}),
    test::CaseNames<&CancelCase::name>);

TEST_F(FolderSizeTest, SecondLongRunIsRefused) {
    IsBusy = 1;
    test::Answer(boxes, mrOk);
    form->mnuFolderUsageClick(form->mnuFolderUsage);
    IsBusy = 0;
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "A critical process is being executed.\nCancel the process to proceed.");
    EXPECT_EQ(form->Listing->ReadRec(form->Listing->FileOrder[size_t(RowOf("big"))]).FileSize(), 0u);
}

// ---- Tile

struct TileCase {
    const char* name;
    QRect available;
    TTileArrangement arrangement;
    bool shift, ctrl;
    int explorerWidth;
    QRect explorer, viewer;
};
void PrintTo(const TileCase& c, std::ostream* os) { *os << c.name; }

class TileRectsTest : public ::testing::TestWithParam<TileCase> {};

TEST_P(TileRectsTest, ExplorerAndViewerRectangles) {
    const TileCase& c = GetParam();
    TTileInput input;
    input.Screen = QRect(0, 0, 1920, 1080);
    input.Available = c.available;
    input.Arrangement = c.arrangement;
    input.IgnoreReserves = c.shift;
    input.KeepWidth = c.ctrl;
    input.ExplorerWidth = c.explorerWidth;
    const TTileRects rects = TileRects(input);
    EXPECT_EQ(rects.Explorer, c.explorer);
    EXPECT_EQ(rects.Viewer, c.viewer);
}

const QRect BottomPanel(0, 0, 1920, 1040);  // a 40-pixel panel at the bottom
const QRect RightPanel(0, 0, 1860, 1080);   // a 60-pixel panel at the right
const QRect TopPanel(0, 30, 1920, 1050);    // a 30-pixel panel at the top

INSTANTIATE_TEST_SUITE_P(
    Arrangements, TileRectsTest,
    ::testing::Values(
        TileCase{"ViewerLeftExplorerRight", BottomPanel, TTileArrangement::ExplorerRight, false, false, 0,
                 QRect(960, 0, 960, 1040), QRect(0, 0, 960, 1040)},
        TileCase{"ShiftCoversThePanel", BottomPanel, TTileArrangement::ExplorerRight, true, false, 0,
                 QRect(960, 0, 960, 1080), QRect(0, 0, 960, 1080)},
        TileCase{"ExplorerLeftViewerRight", BottomPanel, TTileArrangement::ExplorerLeft, false, false, 0,
                 QRect(0, 0, 960, 1040), QRect(960, 0, 960, 1040)},
        TileCase{"OverlappedLeft", BottomPanel, TTileArrangement::OverlappedLeft, false, false, 0,
                 QRect(0, 0, 960, 1040), QRect(0, 0, 960, 1040)},
        TileCase{"OverlappedRight", BottomPanel, TTileArrangement::OverlappedRight, false, false, 0,
                 QRect(960, 0, 960, 1040), QRect(960, 0, 960, 1040)},
        TileCase{"RightPanelStaysUncovered", RightPanel, TTileArrangement::ExplorerRight, false, false, 0,
                 QRect(930, 0, 930, 1080), QRect(0, 0, 930, 1080)},
        TileCase{"TopPanelPushesBothDown", TopPanel, TTileArrangement::ExplorerLeft, false, false, 0,
                 QRect(0, 30, 960, 1050), QRect(960, 30, 960, 1050)},
        TileCase{"CtrlKeepsTheExplorerWidth", BottomPanel, TTileArrangement::ExplorerRight, false, true, 700,
                 QRect(1220, 0, 700, 1040), QRect(0, 0, 1220, 1040)},
        TileCase{"CtrlLeavesTheViewerAtLeast160", RightPanel, TTileArrangement::ExplorerLeft, false, true, 1900,
                 QRect(0, 0, 1700, 1080), QRect(1700, 0, 160, 1080)}),
    test::CaseNames<&TileCase::name>);

TEST_F(NameSearchTest, TileItemsPlaceTheExplorerOnItsHalfOfTheScreen) {
    form->show();
    QScreen* screen = form->screen();
    ASSERT_NE(screen, nullptr);
    for (const char* item : {"mnuTile1", "mnuTile2", "mnuTile4"}) {
        SCOPED_TRACE(item);
        form->mnuTile1Click(form->FindItem(item));
        TTileInput input;
        input.Screen = screen->geometry();
        input.Available = screen->availableGeometry();
        input.Arrangement = TTileArrangement(item[7] - '1');
        // Placing is best effort: a screen narrower than twice the window's
        // smallest width leaves it wider than its half.
        const QRect wanted = TileRects(input).Explorer;
        EXPECT_EQ(form->frameGeometry().topLeft(), wanted.topLeft());
        EXPECT_EQ(form->frameGeometry().height(), wanted.height());
        EXPECT_GE(form->frameGeometry().width(), wanted.width());
    }
}

}  // namespace
}  // namespace lumvor
