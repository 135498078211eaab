// The "Batch files" commands and the file commands that share them, on real
// files in temporary folders: copy and move (also onto another file system),
// recycle and delete, the renames, the menu's enabling, the keys; and Trim at
// every depth.
#include "app/save_form_fixture.h"
#include "app/app_test_tools.h"

#include "app/ChromeTables.h"
#include "imaging/AvlScript.h"
#include "platform/FileOps.h"
#include "processing/files/BatchFiles.h"
#include "processing/script/LabState.h"
#include "support/file_helpers.h"
#include "support/message_boxes.h"
#include "ui/listdlg_y.h"
#include "ui/walk8900.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <sys/stat.h>

#include <cstdlib>
#include <ctime>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

std::string Read(const std::string& path) { return ReadFileText(path); }

void Write(const std::string& path, const std::string& text) { WriteFileText(path, text); }

bool Exists(const std::string& path) { return QFile::exists(QString::fromStdString(path)); }

// Sets a file's modification time with touch.
void SetDate(const std::string& path, const std::string& date) {
    ASSERT_EQ(std::system(("touch -d '" + date + "' '" + path + "'").c_str()), 0);
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const QString& name : QDir(QString::fromStdString(folder)).entryList(QDir::Files | QDir::Hidden, QDir::Name))
        names.push_back(name.toStdString());
    return names;
}

// The list dialog closed with OK and every listed file chosen.
void AcceptList(std::string* caption = nullptr) {
    QueueModalAction([caption](QDialog& d) {
        if (caption)
            *caption = d.windowTitle().toStdString();
        static_cast<TListDlg&>(d).btnOK->click();
    });
}

// The caption the folder picker was given (its title adds the folder).
std::string PickerCaption(const std::string& title, const std::string& folder) {
    return title.size() >= folder.size() && title.compare(title.size() - folder.size(), folder.size(), folder) == 0
               ? title.substr(0, title.size() - folder.size())
               : title;
}

// The folder picker closed with OK on folder.
void ChooseFolder(const std::string& folder, std::string* caption = nullptr) {
    QueueModalAction([folder, caption](QDialog& d) {
        if (caption)
            *caption = PickerCaption(d.windowTitle().toStdString(), walk8900::WalkFolder);
        walk8900::WalkFolder = folder;
        d.done(mrOk);
    });
}

// The input box answered with text (OK), recording its prompt.
void Type(const std::string& text, std::vector<std::string>* prompts = nullptr) {
    QueueModalAction([text, prompts](QDialog& d) {
        if (prompts) {
            std::string prompt;
            for (QLabel* label : d.findChildren<QLabel*>())
                prompt += label->text().toStdString();
            prompts->push_back(prompt);
        }
        d.findChild<QLineEdit*>("Edit")->setText(QString::fromStdString(text));
        d.findChild<QPushButton*>("OK")->click();
    });
}

class BatchFilesTest : public ImageWindowTest {
protected:
    void SetUp() override {
        ImageWindowTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        root = dir.path().toStdString() + "/";
        RecycleYesToAll = false;
        LastBatchFolder.clear();
        xplr8900::EControls.SetByte(69, 1);
        xplr8900::ExplorerDirty = false;
        AvlLines.Clear();
        oldData = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
        trash = root + "data";
        setenv("XDG_DATA_HOME", trash.c_str(), 1);
    }
    void TearDown() override {
        if (oldData.empty())
            unsetenv("XDG_DATA_HOME");
        else
            setenv("XDG_DATA_HOME", oldData.c_str(), 1);
        for (const std::string& path : immutable)
            std::system(("chattr -i '" + path + "' 2>/dev/null").c_str());
        batchfiles::SameFile = nullptr;
        FileOps::BeforeVerify = nullptr;
        RecycleYesToAll = false;
        EXPECT_EQ(UnansweredModalRuns(), 0);
        EXPECT_EQ(QueuedModalAnswers(), 0);
        ImageWindowTest::TearDown();
    }
    // A small BMP picture under root + name (the window can open it).
    std::string Picture(const std::string& name) { return CopyFixture("geometry/src24.bmp", root + name); }
    void Bookmark(const std::vector<std::string>& files) { BookmarkFiles(files); }
    std::vector<std::string> Bookmarks() const {
        std::vector<std::string> out;
        for (int i = 0; i < ImageHistoryList.Count(); ++i)
            out.push_back(ImageHistoryList[i]);
        return out;
    }
    bool MakeImmutable(const std::string& path) {
        if (std::system(("chattr +i '" + path + "' 2>/dev/null").c_str()) != 0)
            return false;
        immutable.push_back(path);
        return true;
    }
    // A folder on the second file system, /dev/shm; "" when there is none.
    std::string OtherVolume() {
        other = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/lumvor-batch-XXXXXX"));
        return other->isValid() ? other->path().toStdString() + "/" : std::string();
    }
    QTemporaryDir dir;
    std::unique_ptr<QTemporaryDir> other;
    std::string root, trash, oldData;
    std::vector<std::string> immutable;
};

}  // namespace

// ---- The menu

TEST_F(BatchFilesTest, TheBatchMenuNeedsTwoBookmarks) {
    const std::vector<std::string> commands = {"mnuDateName", "mnuBatchRename1", "mnuBatchMove", "mnuBatchDelete"};
    const std::vector<std::string> conversions = {"mnuBatchJPG1", "mnuBatchBMP1", "mnuBatchPNG1",
                                                  "mnuBatchTIF1", "mnuBatchTGA1", "mnuBatchPCX1"};
    auto* menu = WebForm->findChild<QMenu*>("HomeCompress1Menu");
    ASSERT_TRUE(menu);
    EXPECT_EQ(WebForm->HomeCompress1->text().toStdString(), "Batch &files");
    EXPECT_TRUE(WebForm->mnuFileV->actions().contains(WebForm->HomeCompress1));
    EXPECT_FALSE(WebForm->mnuFileV->actions().contains(WebForm->mnuBatchDelete));
    EXPECT_EQ(menu->actions().size(), 11);  // ten items and a separator

    Bookmark({root + "a.jpg"});
    emit menu->aboutToShow();
    for (const std::string& name : commands)
        EXPECT_FALSE(WebForm->ChromeEnabled(name)) << name;
    for (const std::string& name : conversions)
        EXPECT_FALSE(static_cast<QAction*>(WebForm->FindChrome(name))->isEnabled()) << name;

    Bookmark({root + "a.jpg", root + "b.jpg"});
    emit menu->aboutToShow();
    for (const std::string& name : commands)
        EXPECT_TRUE(WebForm->ChromeEnabled(name)) << name;
    for (const std::string& name : conversions)
        EXPECT_TRUE(static_cast<QAction*>(WebForm->FindChrome(name))->isEnabled()) << name;
}

// ---- Rename by date

TEST_F(BatchFilesTest, DateNameStampsTheFilesAndTakesTheLongFormForTheSameSecond) {
    const std::string a = Picture("shots/img.jpg"), b = Picture("shots/img2.jpg"), c = Picture("shots/late.jpg");
    SetDate(a, "2004-07-09 13:05:02");
    SetDate(b, "2004-07-09 13:05:02");
    SetDate(c, "2010-01-02 03:04:05");
    Bookmark({a, b, c});
    std::string caption;
    AcceptList(&caption);
    WebForm->mnuDateNameClick(WebForm->mnuDateName, Qt::NoModifier);
    EXPECT_EQ(caption, "Batch Source Files to be Renamed");
    EXPECT_EQ(Names(root + "shots"),
              (std::vector<std::string>{"040709_130502.jpg", "040709_130502~img2.jpg", "100102_030405.jpg"}));
    EXPECT_TRUE(xplr8900::ExplorerDirty);
}

TEST_F(BatchFilesTest, DateNameWithShiftKeepsTheNameAndAFileWithoutExtensionGetsTheOneAsked) {
    const std::string a = Picture("shots/img.jpg"), b = Picture("shots/scan");
    SetDate(a, "2004-07-09 13:05:02");
    SetDate(b, "2004-07-09 13:05:03");
    Bookmark({a, b});
    AcceptList();
    WebForm->mnuDateNameClick(WebForm->mnuDateName, Qt::ShiftModifier);
    EXPECT_EQ(Names(root + "shots"), (std::vector<std::string>{"040709_130502~img.jpg", "040709_130503~scan"}));

    // The first listed file has no extension: the one typed (without its dot) is added.
    const std::string d = root + "shots/040709_130503~scan", e = Picture("shots/raw");
    SetDate(e, "2005-01-01 00:00:00");
    Bookmark({d, e});
    AcceptList();
    std::vector<std::string> prompts;
    Type("png", &prompts);
    WebForm->mnuDateNameClick(WebForm->mnuDateName, Qt::NoModifier);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_NE(prompts[0].find("Registered types may have hidden extensions."), std::string::npos);
    EXPECT_TRUE(Exists(root + "shots/040709_130503.png"));
    EXPECT_TRUE(Exists(root + "shots/050101_000000.png"));
}

// ---- Sequence renames

class SequenceRename : public BatchFilesTest, public ::testing::WithParamInterface<std::tuple<int, const char*, const char*>> {};

TEST_P(SequenceRename, NumbersArePaddedToTheCount) {
    const auto [count, first, last] = GetParam();
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i) {
        files.push_back(root + "seq/f" + std::to_string(1000 + i) + ".jpg");
        Write(files.back(), std::to_string(i));
    }
    Bookmark(files);
    AcceptList();
    Type("pic");
    WebForm->mnuBatchRename1Click(WebForm->mnuBatchRename1, Qt::NoModifier);
    const std::vector<std::string> names = Names(root + "seq");
    ASSERT_EQ(int(names.size()), count);
    EXPECT_EQ(names.front(), first);
    EXPECT_EQ(names.back(), last);
    // Each file kept its content under its number: the last listed is the last number.
    EXPECT_EQ(Read(root + "seq/" + last), std::to_string(count - 1));
}

INSTANTIATE_TEST_SUITE_P(Counts, SequenceRename,
                         ::testing::Values(std::make_tuple(9, "pic1.jpg", "pic9.jpg"),
                                           std::make_tuple(12, "pic01.jpg", "pic12.jpg"),
                                           std::make_tuple(150, "pic001.jpg", "pic150.jpg")),
                         [](const auto& info) { return "Files" + std::to_string(std::get<0>(info.param)); });

TEST_F(BatchFilesTest, NumericPrefixAsksFirstAndCancelTouchesNothing) {
    const std::string a = Picture("n/sun.jpg"), b = Picture("n/moon.jpg");
    Bookmark({a, b});
    std::vector<Box> boxes;
    AcceptList();
    Answer(boxes, mrCancel);
    WebForm->mnuBatchRename1Click(WebForm->mnuBatchRename1, Qt::ShiftModifier);
    EXPECT_EQ(Names(root + "n"), (std::vector<std::string>{"moon.jpg", "sun.jpg"}));
    AcceptList();
    Answer(boxes, mrOk);
    WebForm->mnuBatchRename1Click(WebForm->mnuBatchRename1, Qt::ShiftModifier);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].title, "Batch Rename Files");
    EXPECT_EQ(boxes[1].text, "Numeric prefix will be added to filenames.\n(e.g., 01~picture.jpg to 99~picture.jpg)");
    EXPECT_EQ(Names(root + "n"), (std::vector<std::string>{"1~sun.jpg", "2~moon.jpg"}));
}

TEST_F(BatchFilesTest, TheExplorersExtensionCommandsChangeOrAddAnExtension) {
    TFileForm* explorer = xplr8900::FileForm;
    ASSERT_TRUE(explorer);
    const std::string a = Picture("x/One.JPG"), b = Picture("x/two.jpg");
    // The explorer hands over lower-cased paths; the files keep their case.
    AvlLines.Clear();
    AvlLines.Add(LowerCase(a));
    AvlLines.Add(b);
    AcceptList();
    std::vector<std::string> prompts;
    Type("png", &prompts);
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    WebForm->mnuBatchRename1Click(explorer, Qt::NoModifier);
    EXPECT_NE(prompts.at(0).find("Default extension (type) is .JPG"), std::string::npos);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Filetype will be changed from .JPG to .PNG");
    EXPECT_EQ(Names(root + "x"), (std::vector<std::string>{"One.png", "two.png"}));

    QObject addExtension;
    addExtension.setObjectName("mnuAddExt");
    addExtension.setParent(explorer);
    AvlLines.Clear();
    AvlLines.Add(root + "x/one.png");
    AvlLines.Add(root + "x/two.png");
    AcceptList();
    Type(".jpg");
    WebForm->mnuBatchRename1Click(&addExtension, Qt::NoModifier);
    addExtension.setParent(nullptr);
    EXPECT_EQ(Names(root + "x"), (std::vector<std::string>{"One.png.jpg", "two.png.jpg"}));
}

TEST_F(BatchFilesTest, MoreThan99999NamesAreRefusedBeforeAnythingIsAsked) {
    const std::string a = Picture("big/a.jpg");
    std::vector<std::string> names(100000, a);
    Bookmark(names);
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    WebForm->mnuBatchRename1Click(WebForm->mnuBatchRename1, Qt::NoModifier);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Only 99999 items can be renamed.");
    EXPECT_EQ(Names(root + "big"), std::vector<std::string>{"a.jpg"});
}

TEST_F(BatchFilesTest, ARenameOntoAnotherFileFailsAndKeepsBothAndTheFilesDoneBefore) {
    // pic1.jpg exists and is not in the list: the second file's new name is taken.
    const std::string a = Picture("r/a.jpg"), b = Picture("r/b.jpg"), c = Picture("r/c.jpg");
    Write(root + "r/pic2.jpg", "other");
    Bookmark({a, b, c});
    AcceptList();
    Type("pic");
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    WebForm->mnuBatchRename1Click(WebForm->mnuBatchRename1, Qt::NoModifier);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Cannot access drive/folder.\nCheck device or security settings.\nBatch aborted.");
    EXPECT_EQ(Names(root + "r"), (std::vector<std::string>{"b.jpg", "c.jpg", "pic1.jpg", "pic2.jpg"}));
    EXPECT_EQ(Read(root + "r/pic2.jpg"), "other");
}

// ---- Lower case

TEST_F(BatchFilesTest, LowerCaseRenamesSkipsWhatIsLowerAlreadyAndStopsAtADifferentFile) {
    Write(root + "l/IMG_001.JPG", "1");
    Write(root + "l/img_002.jpg", "2");
    Write(root + "l/IMG_003.JPG", "3");
    Write(root + "l/img_003.jpg", "other 3");
    Write(root + "l/IMG_004.JPG", "4");
    Bookmark({root + "l/IMG_001.JPG", root + "l/img_002.jpg", root + "l/IMG_003.JPG", root + "l/IMG_004.JPG"});
    AcceptList();
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    Answer(boxes, mrOk);
    WebForm->mnuBatchRename1Click(WebForm->mnuBatchRename1, Qt::ControlModifier);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "All filenames will be converted to lowercase.");
    EXPECT_EQ(boxes[1].text, "Cannot access drive/folder.\nCheck device or security settings.\nBatch aborted.");
    EXPECT_EQ(Names(root + "l"),
              (std::vector<std::string>{"IMG_003.JPG", "IMG_004.JPG", "img_001.jpg", "img_002.jpg", "img_003.jpg"}));
    EXPECT_EQ(Read(root + "l/IMG_003.JPG"), "3");
    EXPECT_EQ(Read(root + "l/img_003.jpg"), "other 3");
}

TEST_F(BatchFilesTest, LowerCaseOnAVolumeThatIgnoresCaseGoesThroughAFreshTemporaryName) {
    // A volume whose lookups ignore case (a FAT memory card) is stood in for:
    // the lower-case name is a second link to the same file, and the injected
    // same-file check answers for the card, where that name is the file's own
    // entry (so the link goes, as the entry would move with the first rename).
    Write(root + "card/IMG_001.JPG", "photo");
    ASSERT_EQ(::link((root + "card/IMG_001.JPG").c_str(), (root + "card/img_001.jpg").c_str()), 0);
    int asked = 0;
    batchfiles::SameFile = [&](const std::string& a, const std::string& b) {
        ++asked;
        struct stat x{}, y{};
        const bool same = ::stat(a.c_str(), &x) == 0 && ::stat(b.c_str(), &y) == 0 && x.st_ino == y.st_ino;
        ::unlink(b.c_str());
        return same;
    };
    Bookmark({root + "card/IMG_001.JPG", root + "card/img_002.jpg"});
    Write(root + "card/img_002.jpg", "second");
    AcceptList();
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    WebForm->mnuBatchRename1Click(WebForm->mnuBatchRename1, Qt::ControlModifier);
    EXPECT_EQ(boxes.size(), 1u);  // the question only
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Read(root + "card/img_001.jpg"), "photo");
    // No temporary name is left behind.
    EXPECT_EQ(Names(root + "card"), (std::vector<std::string>{"img_001.jpg", "img_002.jpg"}));
}

// ---- Copy and move

TEST_F(BatchFilesTest, CopyOfOneFileTakesAFreeNameAndReplacesNothing) {
    const std::string a = Picture("src/a.bmp");
    Write(root + "dst/a.bmp", "older");
    Bookmark({a});
    std::string caption;
    ChooseFolder(root + "dst/", &caption);
    WebForm->mnuFMoveClick(WebForm->mnuFCopyV, Qt::NoModifier);
    EXPECT_EQ(caption, "Copy \"a.bmp\" to");
    EXPECT_EQ(Read(root + "dst/a.bmp"), "older");
    EXPECT_EQ(Read(root + "dst/a (2).bmp"), Read(a));
    EXPECT_TRUE(Exists(a));
    EXPECT_EQ(LastBatchFolder, root + "dst/");
    EXPECT_EQ(Bookmarks(), std::vector<std::string>{a});
}

TEST_F(BatchFilesTest, MoveOfOneFileUpdatesTheBookmarksAndStartsInTheLastFolder) {
    const std::string a = Picture("src/a.bmp"), b = Picture("src/b.bmp");
    QDir().mkpath(QString::fromStdString(root + "dst"));
    LastBatchFolder = root + "dst/";
    Bookmark({a, b});
    QueueModalAction([&](QDialog& d) {
        EXPECT_EQ(walk8900::WalkFolder, root + "dst/");
        EXPECT_EQ(PickerCaption(d.windowTitle().toStdString(), walk8900::WalkFolder), "Move \"a.bmp\" to");
        d.done(mrOk);
    });
    WebForm->mnuFMoveClick(WebForm->mnuFMoveV, Qt::NoModifier);
    EXPECT_FALSE(Exists(a));
    EXPECT_TRUE(Exists(root + "dst/a.bmp"));
    EXPECT_EQ(Bookmarks(), std::vector<std::string>{b});
    EXPECT_EQ(FileName, b);
}

TEST_F(BatchFilesTest, BatchMoveOntoAnotherFileSystemKeepsEachSourceUntilItsCopyIsVerified) {
    const std::string target = OtherVolume();
    if (target.empty())
        GTEST_SKIP() << "no second file system at /dev/shm";
    const std::string a = Picture("src/a.bmp"), b = Picture("src/b.bmp");
    Write(target + "b.bmp", "already there");
    Bookmark({a, b});
    std::vector<bool> sourceKept;
    FileOps::BeforeVerify = [&](const std::string&) { sourceKept.push_back(Exists(a) || Exists(b)); };
    std::string listCaption, pickerCaption;
    AcceptList(&listCaption);
    ChooseFolder(target, &pickerCaption);
    WebForm->mnuFMoveClick(WebForm->mnuBatchMove, Qt::NoModifier);
    EXPECT_EQ(listCaption, "Batch Source Files to be Moved");
    EXPECT_EQ(pickerCaption, "Move 2 files to");
    EXPECT_EQ(sourceKept, (std::vector<bool>{true, true}));
    EXPECT_FALSE(Exists(a));
    EXPECT_FALSE(Exists(b));
    EXPECT_EQ(Names(target), (std::vector<std::string>{"a.bmp", "b (2).bmp", "b.bmp"}));
    EXPECT_EQ(Read(target + "b.bmp"), "already there");
    EXPECT_TRUE(Bookmarks().empty());
}

TEST_F(BatchFilesTest, ASpoiledCopyStopsTheBatchMoveAndKeepsEverySourceAndTheBookmarks) {
    const std::string target = OtherVolume();
    if (target.empty())
        GTEST_SKIP() << "no second file system at /dev/shm";
    const std::string a = Picture("src/a.bmp"), b = Picture("src/b.bmp");
    Bookmark({a, b});
    FileOps::BeforeVerify = [](const std::string& copy) { Write(copy, "spoiled"); };
    AcceptList();
    ChooseFolder(target);
    std::vector<Box> boxes;
    Answer(boxes, mrOk);  // the error box
    WebForm->mnuFMoveClick(WebForm->mnuBatchMove, Qt::NoModifier);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(Exists(a));
    EXPECT_TRUE(Exists(b));
    EXPECT_TRUE(Names(target).empty());
    EXPECT_EQ(Bookmarks(), (std::vector<std::string>{a, b}));
}

TEST_F(BatchFilesTest, CtrlMakesTheCopyItemNoBatchAndShiftMakesItNoMove) {
    const std::string a = Picture("src/a.bmp"), b = Picture("src/b.bmp");
    QDir().mkpath(QString::fromStdString(root + "dst"));
    Bookmark({a, b});
    // The copy item never batches, even with Ctrl held.
    ChooseFolder(root + "dst/");
    WebForm->mnuFMoveClick(WebForm->mnuFCopyV, Qt::ControlModifier);
    EXPECT_EQ(Names(root + "dst"), std::vector<std::string>{"a.bmp"});
    EXPECT_TRUE(Exists(a));
    // The copy/move button moves with Shift held.
    ChooseFolder(root + "dst/");
    WebForm->mnuFMoveClick(WebForm->btnCopy, Qt::ShiftModifier);
    EXPECT_FALSE(Exists(a));
    EXPECT_EQ(Names(root + "dst"), (std::vector<std::string>{"a (2).bmp", "a.bmp"}));
}

TEST_F(BatchFilesTest, KeysMAndYRunMoveAndCopy) {
    const std::string a = Picture("src/a.bmp"), b = Picture("src/b.bmp");
    QDir().mkpath(QString::fromStdString(root + "dst"));
    Bookmark({a, b});
    std::string caption;
    ChooseFolder(root + "dst/", &caption);
    QTest::keyClick(WebForm->Daz95, Qt::Key_Y);
    EXPECT_EQ(caption, "Copy \"a.bmp\" to");
    EXPECT_TRUE(Exists(root + "dst/a.bmp"));
    EXPECT_TRUE(Exists(a));
    ChooseFolder(root + "dst/", &caption);
    QTest::keyClick(WebForm->Daz95, Qt::Key_M);
    EXPECT_EQ(caption, "Move \"a.bmp\" to");
    EXPECT_FALSE(Exists(a));
    EXPECT_TRUE(Exists(root + "dst/a (2).bmp"));
    for (const chrome::TKeyAction action : {chrome::TKeyAction::MoveFile, chrome::TKeyAction::CopyFile})
        EXPECT_FALSE(Called("key " + std::to_string(int(action))));
}

// ---- Recycle and delete

TEST_F(BatchFilesTest, RecycleAsksWithYesToAllAndPutsTheFileInTheTrash) {
    const std::string a = Picture("r/a.bmp"), b = Picture("r/b.bmp"), c = Picture("r/c.bmp");
    Bookmark({a, b, c});
    std::vector<Box> boxes;
    Answer(boxes, mrNo);
    WebForm->mnuDeleteClick(WebForm->mnuRecycle, Qt::NoModifier);
    EXPECT_TRUE(Exists(a));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Recycle");
    EXPECT_EQ(boxes[0].text, a + "\n[Yes to All] avoids this dialog (for experts).");

    Answer(boxes, mrYesToAll);
    WebForm->mnuDeleteClick(WebForm->mnuRecycle, Qt::NoModifier);
    EXPECT_FALSE(Exists(a));
    EXPECT_EQ(Read(trash + "/Trash/files/a.bmp"), Read(b));
    const std::string info = Read(trash + "/Trash/info/a.bmp.trashinfo");
    EXPECT_NE(info.find("[Trash Info]"), std::string::npos);
    EXPECT_NE(info.find("Path=" + a), std::string::npos);
    EXPECT_EQ(Bookmarks(), (std::vector<std::string>{b, c}));
    EXPECT_TRUE(xplr8900::ExplorerDirty);

    // Yes to All silences the next one.
    WebForm->mnuDeleteClick(WebForm->btnTrash, Qt::NoModifier);
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_FALSE(Exists(b));
    EXPECT_TRUE(Exists(trash + "/Trash/files/b.bmp"));
}

TEST_F(BatchFilesTest, ShiftDeletesForGoodAfterTheQuestion) {
    const std::string a = Picture("d/a.bmp"), b = Picture("d/b.bmp");
    Bookmark({a, b});
    std::vector<Box> boxes;
    Answer(boxes, mrYes);
    WebForm->mnuDeleteClick(WebForm->mnuDeleteV, Qt::ShiftModifier);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("for good"), std::string::npos);
    EXPECT_FALSE(Exists(a));
    EXPECT_FALSE(Exists(trash + "/Trash/files/a.bmp"));
    EXPECT_EQ(Bookmarks(), std::vector<std::string>{b});
}

TEST_F(BatchFilesTest, ABatchRecycleKeepsTheBookmarkOfAFileThatCouldNotGo) {
    const std::string a = Picture("b/a.bmp"), b = Picture("b/b.bmp"), c = Picture("b/c.bmp");
    if (!MakeImmutable(b))
        GTEST_SKIP() << "chattr +i is not available here";
    Bookmark({a, b, c});
    std::string caption;
    AcceptList(&caption);
    std::vector<Box> boxes;
    Answer(boxes, mrYes);  // "Recycle 3 files."
    Answer(boxes, mrYes);  // without "Yes to All" the trash's own question follows
    Answer(boxes, mrOk);   // the error box
    WebForm->mnuDeleteClick(WebForm->mnuBatchDelete, Qt::NoModifier);
    EXPECT_EQ(caption, "Batch Source Files to be Recycled");
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].title, "Recycle 3 files.");
    EXPECT_EQ(boxes[0].text, "[Yes to All] avoids this dialog (for experts).");
    EXPECT_EQ(boxes[1].title, "Confirm Multiple File Delete");
    EXPECT_FALSE(Exists(a));
    EXPECT_TRUE(Exists(b));
    // The run stops at the failure: the file after it stays too.
    EXPECT_TRUE(Exists(c));
    EXPECT_EQ(Bookmarks(), (std::vector<std::string>{b, c}));
}

TEST_F(BatchFilesTest, ABatchRecycleWithoutConfirmationsClearsTheBookmarks) {
    xplr8900::EControls.SetByte(69, 0);
    const std::string a = Picture("b/a.bmp"), b = Picture("b/b.bmp");
    Bookmark({a, b});
    AcceptList();
    WebForm->mnuDeleteClick(WebForm->mnuRecycle, Qt::ControlModifier);
    EXPECT_TRUE(RecycleYesToAll);
    EXPECT_FALSE(Exists(a));
    EXPECT_FALSE(Exists(b));
    EXPECT_TRUE(Exists(trash + "/Trash/files/b.bmp"));
    EXPECT_TRUE(Bookmarks().empty());
}

// ---- Trim

namespace {

// A 40 x 30 picture of the depth with a 10-pixel white frame around a
// checkered block of white and a dark colour.
std::shared_ptr<TPixelBuffer> FramedPicture(int depth) {
    auto pixels = std::make_shared<TPixelBuffer>(40, 30, depth);
    const uint32_t white = 0xFFFFFF, dark = 0x203040;
    if (depth <= 8) {
        pixels->ColorTable.assign(size_t(1) << depth, 0);
        pixels->ColorTable[0] = dark;
        pixels->ColorTable[1] = white;
    }
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool darkPixel = x >= 10 && x < 30 && y >= 10 && y < 20 && (x + y) % 2 == 0;
            if (depth <= 8)
                pixels->SetIndex(x, y, darkPixel ? 0 : 1);
            else
                pixels->SetColor(x, y, darkPixel ? dark : white);
        }
    return pixels;
}

}  // namespace

class TrimAtDepth : public BatchFilesTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        BatchFilesTest::SetUp();
        ResetLabState();
        LabScript.Clear();
        FitWindow = false;
        ZoomPercent = 100;
        ImageUndoSaved = false;
    }
    void TearDown() override {
        FitWindow = true;
        BatchFilesTest::TearDown();
    }
};

TEST_P(TrimAtDepth, TheFrameGoesOnAllFourSidesKeepingDepthAndPaletteAndUndoBringsItBack) {
    const int depth = GetParam();
    TBitmap framed;
    framed.SetHandle(FramedPicture(depth));
    Show(framed);
    const std::vector<uint32_t> palette = Display().Handle()->ColorTable;
    ScreenSelection = Rect(0, 0, 40, 30);
    WebForm->mnuTrim1Click(WebForm->mnuTrim1);
    EXPECT_EQ(ImageWidth, 20);
    EXPECT_EQ(ImageHeight, 10);
    EXPECT_EQ(ImageBitCount, depth);
    const TPixelBuffer& result = *Display().Handle();
    ASSERT_EQ(result.Width(), 20);
    ASSERT_EQ(result.Height(), 10);
    EXPECT_EQ(result.Depth(), depth);
    EXPECT_EQ(result.ColorTable, palette);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(result.GetColor(x, y) & 0xFFFFFF, (x + y) % 2 == 0 ? 0x203040u : 0xFFFFFFu) << x << "," << y;
    EXPECT_EQ(LabScript.Count(), 0);
    EXPECT_TRUE(ImageChanged);

    WebForm->mnuUndoClick(WebForm->mnuUndo);
    EXPECT_EQ(Display().Width(), 40);
    EXPECT_EQ(Display().Height(), 30);
}

INSTANTIATE_TEST_SUITE_P(Depths, TrimAtDepth, ::testing::Values(1, 4, 8, 24),
                         [](const auto& info) { return "Bits" + std::to_string(info.param); });

TEST_F(BatchFilesTest, TrimItemsWaitForASelectionAndThenRunTrim) {
    EXPECT_FALSE(WebForm->mnuTrim1->isEnabled());
    EXPECT_FALSE(WebForm->mnuTrim2->isEnabled());
    TWebForm::SetItemEnabled(WebForm->mnuTrim1, true);
    EXPECT_TRUE(WebForm->mnuTrim1->isEnabled());
}
