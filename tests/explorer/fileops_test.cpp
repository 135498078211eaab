// The explorer's file operations on real folder trees: copy and move through
// the folder picker, moves onto another file system, recycling and deleting,
// the move guard, renames, new folders, drops and drags, the selection
// commands and the file menu's states. Trees are compared with what find
// lists, contents with md5sum.
#include "explorer/xplr8900.h"

#include "app/lumv8900.h"
#include "state/ExplorerSettings.h"
#include "explorer/FolderListing.h"
#include "imaging/AvlScript.h"
#include "imaging/FileRec.h"
#include "imaging/Helpers.h"
#include "platform/FileOps.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/SysUtils.h"
#include "ui/StFileOp.h"
#include "ui/ComboBoxEx.h"
#include "ui/DragDrop.h"
#include "ui/LookBoxEx.h"
#include "ui/ToolBarEx.h"
#include "ui/VListShowEx.h"
#include "ui/voMsgBox.h"
#include "ui/walk8900.h"

#include "support/case_names.h"
#include "support/explorer_state.h"
#include "support/file_helpers.h"
#include "support/message_boxes.h"
#include "support/window_hooks.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMimeData>
#include <QMenu>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <ostream>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace lumvor {
namespace {

namespace fs = std::filesystem;
using namespace xplr8900;

std::string Home() { return test::LumvorHome(); }
using test::MakeOld;

// What find lists below a folder, sorted, one "./name" per line.
std::string Tree(const std::string& folder) {
    return test::CommandOutput("cd '" + folder + "' && find . -mindepth 1 | LC_ALL=C sort");
}

std::string Md5(const std::string& file) {
    const std::string line = test::CommandOutput("md5sum '" + file + "'");
    return line.substr(0, line.find(' '));
}

// Lets posted explorer messages and timers run for a while.
void RunEvents(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    } while (clock.elapsed() < milliseconds);
}

class ExplorerFileOpsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetExplorerState();
        folder_ = Home() + "ops/";
        other_ = Home() + "elsewhere/";
        fs::remove_all(folder_);
        fs::remove_all(other_);
        fs::create_directories(folder_);
        fs::create_directories(other_);
        ExploreDir = folder_;
    }
    void TearDown() override {
        delete FileForm;
        FileForm = nullptr;
        ExploreDir.clear();
        KeyboardState = nullptr;
        OpenHandOff = nullptr;
        DragDrop::Runner = nullptr;
        FileOps::BeforeVerify = nullptr;
        test::ResetApplicationHooks();
    }

    void AddFile(const std::string& path, const std::string& bytes) {
        test::WriteFileText(path, bytes);
        MakeOld(path);
    }
    TFileForm* Open() {
        MakeOld(folder_);
        return test::OpenExplorer();
    }
    void Select(const std::vector<std::string>& names) {
        FileForm->XL->SetSelected(nullptr);
        for (const std::string& name : names) {
            const int row = test::ListedRow(name);
            ASSERT_GE(row, 0) << name;
            FileForm->XL->SelectRows(row, row, true);
        }
    }
    void HoldShift(bool held) {
        KeyboardState = [held] { return held ? Qt::ShiftModifier : Qt::NoModifier; };
    }
    // Answers the next folder picker with a folder, keeping its caption and
    // the folder it started at.
    void Pick(const std::string& folder) {
        QueueModalAction([this, folder](QDialog& d) {
            auto& picker = static_cast<TWalkForm&>(d);
            pickerCaption_ = picker.windowTitle().toStdString();
            pickerStart_ = walk8900::WalkFolder;
            picker.MoveHistory->SetText(folder);
            picker.btnOK->click();
        });
    }
    QAction* Item(const char* name) { return qobject_cast<QAction*>(FileForm->FindItem(name)); }
    std::vector<std::string> ListedNames() {
        std::vector<std::string> names;
        for (size_t row = 0; row < FileForm->Listing->FileOrder.size(); ++row)
            names.emplace_back(test::ListedRec(int(row)).Name());
        return names;
    }

    std::string folder_, other_;
    std::string pickerCaption_, pickerStart_;
    std::vector<test::Box> boxes_;
};

// ---- Copy and move

TEST_F(ExplorerFileOpsTest, CopyOntoATakenNameKeepsBothFiles) {
    AddFile(folder_ + "a.jpg", "new picture");
    AddFile(other_ + "a.jpg", "old picture");
    const std::string before = Md5(other_ + "a.jpg");
    Open();
    Select({"a.jpg"});
    Pick(other_);
    FileForm->mnuFMoveClick(Item("mnuFCopy"));
    EXPECT_EQ(pickerCaption_.rfind("Copy \"a.jpg\" to ", 0), 0u) << pickerCaption_;
    EXPECT_EQ(Tree(other_), "./a (2).jpg\n./a.jpg\n");
    EXPECT_EQ(Md5(other_ + "a.jpg"), before);
    EXPECT_EQ(Md5(other_ + "a (2).jpg"), Md5(folder_ + "a.jpg"));
    EXPECT_EQ(Tree(folder_), "./a.jpg\n");
}

TEST_F(ExplorerFileOpsTest, ShiftTurnsCopyIntoMoveAndTheDestinationIsRemembered) {
    AddFile(folder_ + "a.jpg", "A");
    AddFile(folder_ + "b.jpg", "B");
    const std::string dest = Home() + "elsewhere/Dest/";
    fs::create_directories(dest);
    Open();
    Select({"a.jpg", "b.jpg"});
    HoldShift(true);
    Pick(dest);
    FileForm->mnuFMoveClick(Item("mnuFCopy"));
    EXPECT_EQ(pickerCaption_.rfind("Move 2 items to ", 0), 0u) << pickerCaption_;
    EXPECT_EQ(pickerStart_, folder_);
    EXPECT_EQ(Tree(folder_), "");
    EXPECT_EQ(Tree(dest), "./a.jpg\n./b.jpg\n");
    EXPECT_TRUE(ListedNames().empty()) << "the moved rows leave the list";
    ASSERT_GT(HistoryList.Count(), 0);
    EXPECT_EQ(HistoryList[HistoryList.Count() - 1], dest);
    EXPECT_EQ(HistoryIndex, HistoryList.Count() - 1);

    // The next picker starts at the last destination.
    AddFile(folder_ + "c.jpg", "C");
    FileForm->mnuRefreshClick(FileForm->FindItem("mnuRefresh"));
    Select({"c.jpg"});
    HoldShift(false);
    QueueModalAction([this](QDialog& d) {
        pickerStart_ = walk8900::WalkFolder;
        d.done(mrCancel);
    });
    FileForm->mnuFMoveClick(Item("mnuFCopy"));
    EXPECT_EQ(pickerStart_, dest);
    EXPECT_EQ(Tree(folder_), "./c.jpg\n");
}

TEST_F(ExplorerFileOpsTest, MoveOntoAnotherFileSystemKeepsSourcesUntilVerified) {
    struct stat here {}, shm {};
    if (::stat("/dev/shm", &shm) != 0 || ::stat(folder_.c_str(), &here) != 0 || shm.st_dev == here.st_dev)
        GTEST_SKIP() << "/dev/shm is not a second file system here";
    const std::string there = "/dev/shm/lumvor-fileops-" + std::to_string(::getpid()) + "/";
    fs::remove_all(there);
    fs::create_directories(there);
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) AddFile(folder_ + name, std::string(3000, name[0]));
    const std::string md5b = Md5(folder_ + "b.jpg");
    Open();
    Select({"a.jpg", "b.jpg", "c.jpg"});
    std::vector<std::string> presentAtVerify;
    // The copy of b.jpg comes out different: its move fails half-way.
    // The copy is a hidden scratch file named after its file until verified.
    FileOps::BeforeVerify = [&](const std::string& copy) {
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
            if (ExtractFileName(copy).rfind(std::string(".") + name, 0) != 0) continue;
            if (fs::exists(folder_ + name)) presentAtVerify.push_back(name);
            if (std::string(name) == "b.jpg") test::WriteFileText(copy, "spoilt");
        }
    };
    Pick(there);
    test::Answer(boxes_, mrOk);
    FileForm->mnuFMoveClick(Item("mnuFMove"));
    const std::string moved = Tree(there);
    fs::remove_all(there);

    EXPECT_EQ((std::vector<std::string>{"a.jpg", "b.jpg"}), presentAtVerify);
    EXPECT_EQ(moved, "./a.jpg\n");
    EXPECT_EQ(Tree(folder_), "./b.jpg\n./c.jpg\n");
    EXPECT_EQ(Md5(folder_ + "b.jpg"), md5b);
    ASSERT_EQ(FileForm->StFileOpX->DoneFiles().Count(), 1);
    EXPECT_EQ(FileForm->StFileOpX->DoneFiles()[0], folder_ + "a.jpg");
    ASSERT_EQ(boxes_.size(), 1u) << "the failure is reported";
    EXPECT_NE(boxes_[0].text.find("1 of 3 items were done"), std::string::npos) << boxes_[0].text;
    EXPECT_EQ(ListedNames(), (std::vector<std::string>{"b.jpg", "c.jpg"}));
}

struct GuardCase {
    const char* name;
    const char* source;       // below the explored folder
    const char* destination;  // below the explored folder
    bool allowed;
};

void PrintTo(const GuardCase& c, std::ostream* out) { *out << c.name; }

class MoveGuardTest : public ExplorerFileOpsTest, public ::testing::WithParamInterface<GuardCase> {};

TEST_P(MoveGuardTest, SameFolderMovesAreRefused) {
    const GuardCase& c = GetParam();
    AddFile(folder_ + "photo/p.jpg", "P");
    AddFile(folder_ + "photo/inner/i.jpg", "I");
    fs::create_directories(folder_ + "photos");
    const std::string before = Tree(folder_);
    Open();
    if (!c.allowed) test::Answer(boxes_, mrOk);
    TStringList sources;
    sources.Add(folder_ + c.source);
    FileForm->RunFileOperation(sources, TFileForm::OpMove, folder_ + c.destination);
    if (c.allowed) {
        EXPECT_TRUE(boxes_.empty());
        EXPECT_EQ(Tree(folder_ + "photos"), "./photo\n./photo/inner\n./photo/inner/i.jpg\n./photo/p.jpg\n");
    } else {
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].text, "Source (or parent) and destination folders are the same.");
        EXPECT_EQ(Tree(folder_), before);
    }
}

INSTANTIATE_TEST_SUITE_P(Guard, MoveGuardTest,
                         ::testing::Values(GuardCase{"IntoASiblingWithALongerName", "photo", "photos", true},
                                           GuardCase{"OntoItsOwnParent", "photo", "", false},
                                           GuardCase{"IntoItself", "photo", "photo", false},
                                           GuardCase{"BelowItself", "photo", "photo/inner", false},
                                           GuardCase{"AFileIntoItsOwnFolder", "photo/p.jpg", "photo/", false}),
                         test::CaseNames<&GuardCase::name>);

TEST_F(ExplorerFileOpsTest, CopyIntoTheExploredFolderIsRefused) {
    AddFile(folder_ + "a.jpg", "A");
    Open();
    Select({"a.jpg"});
    Pick(folder_);
    test::Answer(boxes_, mrOk);
    FileForm->mnuFMoveClick(FileForm->btnCopyX);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "Source (or parent) and destination folders are the same.");
    EXPECT_EQ(Tree(folder_), "./a.jpg\n");
}

// ---- Delete and recycle

struct DeleteCase {
    const char* name;
    bool shift;
    bool confirm;  // the confirm-deletes setting
};

void PrintTo(const DeleteCase& c, std::ostream* out) { *out << c.name; }

class ExplorerDeleteTest : public ExplorerFileOpsTest, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(ExplorerDeleteTest, ThreeFilesGoToTheTrashOrForGood) {
    const DeleteCase& c = GetParam();
    const std::string trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString() + "/Trash/";
    const std::string tag = std::to_string(::getpid()) + c.name;
    const std::vector<std::string> names = {"x" + tag + ".jpg", "y" + tag + ".jpg", "z" + tag + ".jpg"};
    for (const std::string& name : names) AddFile(folder_ + name, name);
    AddFile(folder_ + "keep.jpg", "K");
    EControls.SetByte(ec::ConfirmDeletions, c.confirm ? 1 : 0);
    Open();
    Select(names);
    HoldShift(c.shift);
    if (c.confirm) test::Answer(boxes_, mrYes);
    FileForm->mnuFDeleteClick(Item("mnuFDelete"));

    EXPECT_EQ(Tree(folder_), "./keep.jpg\n");
    EXPECT_EQ(ListedNames(), (std::vector<std::string>{"keep.jpg"}));
    EXPECT_EQ(boxes_.size(), c.confirm ? 1u : 0u);
    if (c.confirm) {
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_NE(boxes_[0].text.find(c.shift ? "for good" : "trash"), std::string::npos) << boxes_[0].text;
    }
    for (const std::string& name : names) {
        EXPECT_EQ(fs::exists(trash + "files/" + name), !c.shift) << name;
        const std::string info = test::ReadFileText(trash + "info/" + name + ".trashinfo");
        EXPECT_EQ(info.find("Path=" + folder_ + name) != std::string::npos, !c.shift) << name;
        fs::remove(trash + "files/" + name);
        fs::remove(trash + "info/" + name + ".trashinfo");
    }
}

INSTANTIATE_TEST_SUITE_P(Delete, ExplorerDeleteTest,
                         ::testing::Values(DeleteCase{"RecycledWithoutQuestion", false, false},
                                           DeleteCase{"RecycledAfterTheQuestion", false, true},
                                           DeleteCase{"DeletedWithoutQuestion", true, false},
                                           DeleteCase{"DeletedAfterTheQuestion", true, true}),
                         test::CaseNames<&DeleteCase::name>);

TEST_F(ExplorerFileOpsTest, FolderQuestionIsAskedUntilYesToAll) {
    for (const char* name : {"one", "two", "three", "four"}) {
        AddFile(folder_ + name + "/f.jpg", name);
        MakeOld(folder_ + name);
    }
    Open();
    HoldShift(true);  // for good: nothing lands in the shared trash
    const std::string question = "Recycle folder(s)?\n\n[Yes to All] avoids this dialog (for experts).";

    Select({"one"});
    test::Answer(boxes_, mrNo);
    FileForm->mnuFDeleteClick(Item("mnuFDelete"));
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].title, "Folder(s) selected for deletion.");
    EXPECT_EQ(boxes_[0].text, question);
    EXPECT_TRUE(fs::exists(folder_ + "one")) << "No keeps the folder";

    Select({"one"});
    test::Answer(boxes_, mrYes);
    FileForm->mnuFDeleteClick(Item("mnuFDelete"));
    EXPECT_EQ(boxes_.size(), 2u);
    Select({"two"});
    test::Answer(boxes_, mrYesToAll);
    FileForm->mnuFDeleteClick(Item("mnuFDelete"));
    EXPECT_EQ(boxes_.size(), 3u);
    Select({"three"});
    FileForm->mnuFDeleteClick(Item("mnuFDelete"));
    EXPECT_EQ(boxes_.size(), 3u) << "after Yes to All the question is not asked again";
    EXPECT_EQ(Tree(folder_), "./four\n./four/f.jpg\n");
}

TEST_F(ExplorerFileOpsTest, ShiftDeleteKeyDeletesForGood) {
    const std::string name = "gone" + std::to_string(::getpid()) + ".jpg";
    AddFile(folder_ + name, "G");
    AddFile(folder_ + "keep.jpg", "K");
    EControls.SetByte(ec::ConfirmDeletions, 0);
    Open();
    FileForm->activateWindow();
    Select({name});
    FileForm->XL->View()->setFocus();
    QTest::keyClick(FileForm->XL->View(), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(Tree(folder_), "./keep.jpg\n");
    const std::string trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString();
    EXPECT_FALSE(fs::exists(trash + "/Trash/files/" + name)) << "Shift+Delete does not recycle";
}

TEST_F(ExplorerFileOpsTest, FailedRecyclingDeletesNothing) {
    AddFile(folder_ + "a.jpg", "A");
    EControls.SetByte(ec::ConfirmDeletions, 0);
    Open();
    Select({"a.jpg"});
    // No data folder can be made: there is no trash to go to.
    const std::string blocker = Home() + "not-a-folder";
    test::WriteFileText(blocker, "x");
    const char* old = std::getenv("XDG_DATA_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_DATA_HOME", (blocker + "/data").c_str(), 1);
    test::Answer(boxes_, mrOk);
    FileForm->mnuFDeleteClick(Item("mnuFDelete"));
    setenv("XDG_DATA_HOME", saved.c_str(), 1);
    EXPECT_EQ(Tree(folder_), "./a.jpg\n");
    EXPECT_EQ(ListedNames(), (std::vector<std::string>{"a.jpg"}));
    EXPECT_EQ(boxes_.size(), 1u) << "the failure is reported";
}

// ---- Renaming

struct RenameCase {
    const char* name;
    const char* newName;
    const char* tree;     // what find lists afterwards
    const char* warning;  // "" for none
};

void PrintTo(const RenameCase& c, std::ostream* out) { *out << c.name; }

class RenameTest : public ExplorerFileOpsTest, public ::testing::WithParamInterface<RenameCase> {};

TEST_P(RenameTest, LabelEditRenamesOrWarns) {
    const RenameCase& c = GetParam();
    AddFile(folder_ + "a.jpg", "A");
    AddFile(folder_ + "c.jpg", "C");
    Open();
    const int row = test::ListedRow("a.jpg");
    if (*c.warning) test::Answer(boxes_, mrOk);
    std::string name = c.newName;
    FileForm->XLEdited(FileForm->XL->Items()->Item(row), name);
    EXPECT_EQ(Tree(folder_), c.tree);
    if (*c.warning) {
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].text, c.warning);
        EXPECT_EQ(name, "a.jpg");
    } else {
        EXPECT_TRUE(boxes_.empty());
        EXPECT_EQ(name, c.newName);
        EXPECT_EQ(test::ListedRec(row).Name(), c.newName);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rename, RenameTest,
    ::testing::Values(RenameCase{"WithoutExtension", "b", "./b\n./c.jpg\n", ""},
                      RenameCase{"OntoATakenName", "c.jpg", "./a.jpg\n./c.jpg\n", "c.jpg\nalready used."},
                      RenameCase{"WithIllegalCharacters", "x:y.jpg", "./a.jpg\n./c.jpg\n",
                                 "Illegal characters in name.\nPlease avoid using the following characters.\n\n"
                                 " \\ / : * ? \" < > |"}),
    test::CaseNames<&RenameCase::name>);

TEST_F(ExplorerFileOpsTest, RenamingThreeJpegsHandsTheirPathsToTheBatchRename) {
    for (const char* name : {"IMG_1.JPG", "img_2.jpg", "Img_3.Jpg", "note.png"}) AddFile(folder_ + name, name);
    Open();
    std::vector<std::string> handed;
    OpenHandOff = [&](const std::string& command, const std::string&) { handed.push_back(command); };
    Select({"IMG_1.JPG", "img_2.jpg", "Img_3.Jpg"});
    FileForm->mnuFRenameClick(Item("mnuFRename"));
    ASSERT_EQ(handed, (std::vector<std::string>{"mnuBatchRename1Click"}));
    std::vector<std::string> lines;
    for (int i = 0; i < AvlLines.Count(); ++i) lines.push_back(AvlLines[i]);
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{folder_ + "IMG_1.JPG", folder_ + "Img_3.Jpg", folder_ + "img_2.jpg"}));

    // A JPEG and a PNG: the focused name is edited instead.
    handed.clear();
    Select({"IMG_1.JPG", "img_2.jpg", "note.png"});
    FileForm->XL->Items()->Item(test::ListedRow("note.png"))->SetFocused(true);
    FileForm->mnuFRenameClick(Item("mnuFRename"));
    EXPECT_TRUE(handed.empty());
    EXPECT_EQ(FileForm->OldItemName, "note.png");
}

TEST_F(ExplorerFileOpsTest, AddExtensionAndDateNameHandThreeFilesOnElseEditTheFocusedName) {
    fs::create_directories(folder_ + "Sub");
    MakeOld(folder_ + "Sub");
    for (const char* name : {"Trip_1", "trip_2.PNG", "TRIP_3.jpg"}) AddFile(folder_ + name, name);
    Open();
    std::vector<std::string> handed;
    OpenHandOff = [&](const std::string& command, const std::string&) { handed.push_back(command); };
    const std::vector<std::string> expected = {folder_ + "TRIP_3.jpg", folder_ + "Trip_1", folder_ + "trip_2.PNG"};
    for (const auto& [item, command] : {std::pair{"mnuAddExt", "mnuAddExtClick"}, {"mnuDatename", "mnuDateNameClick"}}) {
        handed.clear();
        Select({"Sub", "Trip_1", "trip_2.PNG", "TRIP_3.jpg"});
        Item(item)->trigger();
        ASSERT_EQ(handed, (std::vector<std::string>{command})) << item;
        std::vector<std::string> lines;
        for (int i = 0; i < AvlLines.Count(); ++i) lines.push_back(AvlLines[i]);
        std::sort(lines.begin(), lines.end());
        EXPECT_EQ(lines, expected) << item;  // the folder left out, every name as on disk
    }
    // The extension command reaches the image window's rename as the explorer's own.
    EXPECT_TRUE(FromExplorer(Item("mnuAddExt")));

    // Two files and a folder: the focused name is edited instead.
    handed.clear();
    Select({"Sub", "Trip_1", "trip_2.PNG"});
    FileForm->XL->Items()->Item(test::ListedRow("trip_2.PNG"))->SetFocused(true);
    Item("mnuAddExt")->trigger();
    EXPECT_TRUE(handed.empty());
    EXPECT_EQ(FileForm->OldItemName, "trip_2.PNG");
}

TEST_F(ExplorerFileOpsTest, SecondNewFolderGetsTheNextNumberAndItsNameEdit) {
    fs::create_directories(folder_ + "New Folder");
    AddFile(folder_ + "a.jpg", "A");
    Open();
    FileForm->mnuNewfolderClick(Item("mnuNewfolder"));
    EXPECT_EQ(Tree(folder_), "./New Folder\n./New Folder (2)\n./a.jpg\n");
    const int row = test::ListedRow("New Folder (2)");
    ASSERT_GE(row, 0);
    EXPECT_EQ(test::ListedRec(row).Flags(), FileRecFolderFlags);
    EXPECT_EQ(FileForm->XL->SelectedRows(), (std::vector<int>{row}));
    EXPECT_EQ(FileForm->OldItemName, "New Folder (2)");
    EXPECT_TRUE(FileForm->Editing) << "the new name is being edited";
}

// ---- Drops and drags

struct DropCase {
    const char* name;
    int keys;
    bool overFolderRow;
    const char* explored;  // what find lists in the explored folder afterwards
    const char* sources;   // what stays of the dropped files
};

void PrintTo(const DropCase& c, std::ostream* out) { *out << c.name; }

class DropTest : public ExplorerFileOpsTest, public ::testing::WithParamInterface<DropCase> {};

TEST_P(DropTest, DroppedFilesArriveByTheEffect) {
    const DropCase& c = GetParam();
    for (const char* name : {"p.jpg", "q.jpg", "r.jpg"}) AddFile(other_ + name, name);
    fs::create_directories(folder_ + "box");
    MakeOld(folder_ + "box");
    Open();
    QMimeData data;
    data.setData(UriListMimeType, UriListOf({other_ + "p.jpg", other_ + "q.jpg", other_ + "r.jpg"}));
    TPoint pt{-5000, -5000};
    if (c.overFolderRow) {
        QAbstractItemView* view = FileForm->XL->View();
        const QModelIndex index = view->model()->index(test::ListedRow("box"), 0);
        const QPoint at = view->viewport()->mapToGlobal(view->visualRect(index).center());
        pt = TPoint{at.x(), at.y()};
    }
    int effect = 0;
    FileForm->DropFiles->Drop(&data, MK_LBUTTON | c.keys, pt, effect);
    RunEvents(100);
    EXPECT_EQ(Tree(folder_), c.explored);
    EXPECT_EQ(Tree(other_), c.sources);
    if (c.keys == (MK_CONTROL | MK_SHIFT)) {
        EXPECT_EQ(fs::read_symlink(folder_ + "Shortcut to q.jpg"), other_ + "q.jpg");
        EXPECT_GE(test::ListedRow("Shortcut to q.jpg"), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Drops, DropTest,
    ::testing::Values(
        DropCase{"CopyIntoTheExploredFolder", 0, false, "./box\n./p.jpg\n./q.jpg\n./r.jpg\n",
                 "./p.jpg\n./q.jpg\n./r.jpg\n"},
        DropCase{"MoveIntoTheExploredFolder", MK_SHIFT, false, "./box\n./p.jpg\n./q.jpg\n./r.jpg\n", ""},
        DropCase{"LinksIntoTheExploredFolder", MK_CONTROL | MK_SHIFT, false,
                 "./Shortcut to p.jpg\n./Shortcut to q.jpg\n./Shortcut to r.jpg\n./box\n",
                 "./p.jpg\n./q.jpg\n./r.jpg\n"},
        DropCase{"CopyIntoTheFolderRow", 0, true, "./box\n./box/p.jpg\n./box/q.jpg\n./box/r.jpg\n",
                 "./p.jpg\n./q.jpg\n./r.jpg\n"},
        DropCase{"MoveIntoTheFolderRow", MK_SHIFT, true, "./box\n./box/p.jpg\n./box/q.jpg\n./box/r.jpg\n", ""},
        DropCase{"LinksOverAFolderRowStayInTheExploredFolder", MK_CONTROL | MK_SHIFT, true,
                 "./Shortcut to p.jpg\n./Shortcut to q.jpg\n./Shortcut to r.jpg\n./box\n",
                 "./p.jpg\n./q.jpg\n./r.jpg\n"}),
    test::CaseNames<&DropCase::name>);

TEST_F(ExplorerFileOpsTest, DragOutCarriesTheSelectedPaths) {
    for (const char* name : {"a.jpg", "b c.jpg", "d.jpg"}) AddFile(folder_ + name, name);
    Open();
    Select({"a.jpg", "b c.jpg"});
    std::vector<std::string> dragged;
    int offered = 0;
    DragDrop::Runner = [&](QMimeData* data, QWidget*, int effects) {
        dragged = DroppedFileNames(data);
        offered = effects;
        return DROPEFFECT_COPY;
    };
    FileForm->XLOleDragNotify(FileForm->XL);
    EXPECT_EQ(dragged, (std::vector<std::string>{folder_ + "a.jpg", folder_ + "b c.jpg"}));
    EXPECT_EQ(offered, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK);
    EXPECT_FALSE(FileForm->Dragging);
    EXPECT_TRUE(FileForm->DropFiles->Active());
}

TEST_F(ExplorerFileOpsTest, ListIsRefreshedOnceAfterCopyingFiftyFiles) {
    std::vector<std::string> names;
    for (int i = 0; i < 50; ++i) {
        names.push_back(other_ + "f" + std::to_string(i) + ".jpg");
        AddFile(names.back(), std::string(100 + i, 'f'));
    }
    Open();
    RunEvents(50);
    int refreshes = 0;
    auto rows = FileForm->Listing->View.RowCountChanged;
    FileForm->Listing->View.RowCountChanged = [&] {
        ++refreshes;
        rows();
    };
    QMimeData data;
    data.setData(UriListMimeType, UriListOf(names));
    int effect = 0;
    FileForm->DropFiles->Drop(&data, MK_LBUTTON, TPoint{-5000, -5000}, effect);
    // Long enough for a folder monitor's events and the young-file timer.
    RunEvents(2500);
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(FileForm->Listing->FileOrder.size(), 50u);
}

// ---- Selection commands and menu states

TEST_F(ExplorerFileOpsTest, SelectAllImagesTakesPicturesAndMediaOnly) {
    for (const char* name : {"a.jpg", "b.PNG", "c.mp3", "d.txt", "e.qt", "f.ra"}) AddFile(folder_ + name, name);
    fs::create_directories(folder_ + "g.jpg");
    MakeOld(folder_ + "g.jpg");
    Open();
    auto selectedNames = [this] {
        std::vector<std::string> names;
        for (int row : FileForm->XL->SelectedRows()) names.emplace_back(test::ListedRec(row).Name());
        std::sort(names.begin(), names.end());
        return names;
    };
    Select({"d.txt"});
    FileForm->mnuSelectAllImagesClick(Item("mnuSelectAllImages"));
    EXPECT_EQ(selectedNames(), (std::vector<std::string>{"a.jpg", "b.PNG", "c.mp3"}));
    // The web page's list has the QuickTime and RealMedia types too.
    FileForm->mnuSelectAllImagesClick(FileForm->FindItem("mnuWebPages"));
    EXPECT_EQ(selectedNames(), (std::vector<std::string>{"a.jpg", "b.PNG", "c.mp3", "e.qt", "f.ra"}));
    FileForm->mnuInvertSelectionClick(Item("mnuInvertSelection"));
    EXPECT_EQ(selectedNames(), (std::vector<std::string>{"d.txt", "g.jpg"}));
    FileForm->mnuSelectAllFilesClick(Item("mnuSelectAllFiles"));
    EXPECT_EQ(selectedNames().size(), 6u);
    FileForm->mnuSelectAllClick(Item("mnuSelectAll"));
    EXPECT_EQ(selectedNames().size(), 7u);
}

TEST_F(ExplorerFileOpsTest, MenuStatesFollowTheSelection) {
    AddFile(folder_ + "a.jpg", "A");
    fs::create_symlink(folder_ + "a.jpg", folder_ + "link.jpg");
    Open();
    auto state = [this] {
        FileForm->FileMenuPopup();
        std::string s;
        for (const char* name : {"mnuOpenX", "mnuFCopy", "mnuFMove", "mnuFDelete", "mnuFRename"})
            s += Item(name)->isEnabled() ? "1" : "0";
        s += Item("mnuFOpenContainer")->isVisible() ? " link" : " -";
        return s;
    };
    FileForm->XL->SetSelected(nullptr);
    EXPECT_EQ(state(), "00000 -");
    Select({"a.jpg"});
    EXPECT_EQ(state(), "11111 -");
    Select({"link.jpg"});
    EXPECT_EQ(state(), "11111 link");
    Select({"a.jpg", "link.jpg"});
    EXPECT_EQ(state(), "11111 -");
    // The drives view changes nothing on disk.
    FileForm->LookBox->SetFolder("");
    FileForm->XL->SelectRows(0, 0, true);
    EXPECT_EQ(state().substr(1, 4), "0000");
}

TEST_F(ExplorerFileOpsTest, ScreenshotsOfTheFileMenuAndTheFolderQuestion) {
    const char* shots = std::getenv("LUMVOR_SHOTS");
    if (!shots) GTEST_SKIP() << "set LUMVOR_SHOTS to a folder to take the screenshots";
    const std::string out = IncludeTrailingPathDelimiter(shots);
    AddFile(folder_ + "beach.jpg", "B");
    fs::create_symlink(folder_ + "beach.jpg", folder_ + "Shortcut to beach.jpg");
    fs::create_directories(folder_ + "holidays");
    MakeOld(folder_ + "holidays");
    Open();
    FileForm->resize(800, 500);
    Select({"Shortcut to beach.jpg"});
    FileForm->FileMenuPopup();
    FileForm->FileMenu->popup(FileForm->mapToGlobal(QPoint(300, 150)));
    RunEvents(100);
    FileForm->FileMenu->grab().save(QString::fromStdString(out + "explorer_file_menu_link.png"));
    FileForm->FileMenu->hide();
    FileForm->grab().save(QString::fromStdString(out + "explorer_link_selected.png"));

    Select({"holidays"});
    QueueModalAction([&](QDialog& d) {
        d.grab().save(QString::fromStdString(out + "explorer_folder_question.png"));
        d.done(mrNo);
    });
    FileForm->mnuFDeleteClick(Item("mnuFDelete"));
}

}  // namespace
}  // namespace lumvor
