// The file-operation component over a temporary tree: the checks made before
// anything is done, each operation as find sees the tree afterwards, collisions,
// the trash, failures part-way, the shell's questions and cancelling.
#include "ui/StFileOp.h"

#include "platform/Forms.h"
#include "ui/Status_y.h"
#include "ui/voMsgBox.h"

#include "support/file_helpers.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QStandardPaths>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace lumvor {
namespace {

namespace fs = std::filesystem;

constexpr auto Shell = test::CommandOutput;
constexpr auto Read = test::ReadFileText;
constexpr auto Write = test::WriteFileText;

class FileOperationTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = std::string(std::getenv("LUMVOR_HOME")) + "/ops";
        Write(root + "/src/a.jpg", "AAAA");
        Write(root + "/src/b.jpg", "BBBBBB");
        Write(root + "/src/my photo.jpg", "space");
        Write(root + "/src/album/c.jpg", "CC");
        Write(root + "/src/notes.txt", "text");
        fs::create_directories(root + "/dst");
        op.Options |= foNoErrorUI | foSilent;
    }
    // The tree as find lists it: relative paths with their types, sorted.
    std::string Tree() { return Shell("cd '" + root + "' && find . -printf '%p %y\\n' | LC_ALL=C sort"); }
    void Sources(std::initializer_list<std::string> lines) {
        op.SourceFiles().Clear();
        for (const std::string& line : lines) op.SourceFiles().Add(line);
    }

    std::string root;
    TStFileOperation op;
};

TEST_F(FileOperationTest, UnusableInputRaisesBeforeAnythingIsDone) {
    const std::string before = Tree();
    struct Case {
        TStFileOp operation;
        std::vector<std::string> lines;
        std::string destination;
        int message;
    } cases[] = {
        {fopCopy, {}, "/tmp", 111},
        {fopCopy, {"src/a.jpg"}, "", 112},
        {fopMove, {"src/a.jpg"}, "", 112},
        {fopDelete, {"src/a.jpg=src/z.jpg"}, "", 131},
        {fopDelete, {"src/a.jpg", "src/missing.jpg"}, "", 132},
        {fopCopy, {"src/missing.jpg"}, "", 132},  // the file check comes first
        {fopCopy, {"src/a.jpg=dst/a.jpg", "src/b.jpg"}, "", 112},  // a plain line needs a destination
    };
    for (const Case& c : cases) {
        op.Operation = c.operation;
        op.SetDestination(c.destination.empty() ? "" : c.destination);
        op.SourceFiles().Clear();
        for (const std::string& line : c.lines) op.SourceFiles().Add(line[0] == '/' ? line : root + "/" + line);
        try {
            op.Execute();
            ADD_FAILURE() << c.message;
        } catch (const EStFileOpError& e) {
            EXPECT_EQ(e.MessageId, c.message);
            EXPECT_EQ(e.Message(), StMessageText(c.message));
        }
    }
    EXPECT_EQ(Tree(), before);

    // A missing source passes when files are not confirmed first; the engine then fails.
    op.ConfirmFiles = false;
    op.Operation = fopCopy;
    op.SetDestination(root + "/dst");
    Sources({root + "/src/missing.jpg"});
    EXPECT_FALSE(op.Execute());
    EXPECT_EQ(op.ErrorCode(), 2);
    EXPECT_EQ(Tree(), before);
}

TEST_F(FileOperationTest, OperationsChangeTheTreeAsFindShows) {
    // Copy into a folder, with a collision renamed by the rule "name (2).ext".
    Write(root + "/dst/a.jpg", "old");
    op.Operation = fopCopy;
    op.SetDestination(root + "/dst//");
    EXPECT_EQ(op.Destination(), root + "/dst");
    Sources({root + "/src/a.jpg", root + "/src/my photo.jpg", root + "/src/album"});
    ASSERT_TRUE(op.Execute()) << op.ErrorString();
    EXPECT_EQ(op.ErrorCode(), 0);
    EXPECT_EQ(Read(root + "/dst/a.jpg"), "old");
    EXPECT_EQ(Read(root + "/dst/a (2).jpg"), "AAAA");
    EXPECT_EQ(Read(root + "/dst/my photo.jpg"), "space");
    EXPECT_EQ(Read(root + "/dst/album/c.jpg"), "CC");

    // Move on the same file system, then wildcards (files only).
    op.Operation = fopMove;
    Sources({root + "/src/b.jpg"});
    ASSERT_TRUE(op.Execute()) << op.ErrorString();
    Write(root + "/src/sub.jpg/x", "a folder whose name matches");
    Sources({root + "/src/*.jpg"});
    ASSERT_TRUE(op.Execute()) << op.ErrorString();

    // Rename never replaces.
    op.Operation = fopRename;
    op.SetDestination(root + "/dst/renamed.jpg");
    Sources({root + "/dst/a.jpg"});
    ASSERT_TRUE(op.Execute()) << op.ErrorString();
    op.SetDestination(root + "/dst/renamed.jpg");
    Sources({root + "/dst/a (2).jpg"});
    EXPECT_FALSE(op.Execute());
    EXPECT_EQ(op.ErrorCode(), 183);

    // Delete for good.
    op.Operation = fopDelete;
    op.Options = foNoConfirmation | foNoErrorUI | foSilent;
    Sources({root + "/dst/album"});
    ASSERT_TRUE(op.Execute()) << op.ErrorString();

    EXPECT_EQ(Tree(),
              ". d\n"
              "./dst d\n"
              "./dst/a (2).jpg f\n"
              "./dst/a (3).jpg f\n"
              "./dst/b.jpg f\n"
              "./dst/my photo (2).jpg f\n"
              "./dst/my photo.jpg f\n"
              "./dst/renamed.jpg f\n"
              "./src d\n"
              "./src/album d\n"
              "./src/album/c.jpg f\n"
              "./src/notes.txt f\n"
              "./src/sub.jpg d\n"
              "./src/sub.jpg/x f\n");
    EXPECT_EQ(Read(root + "/dst/renamed.jpg"), "old");
    EXPECT_EQ(Read(root + "/dst/a (3).jpg"), "AAAA");
}

TEST_F(FileOperationTest, MappingLines) {
    op.Operation = fopCopy;
    op.SetDestination(root + "/dst");
    Sources({root + "/src/a.jpg=" + root + "/dst/first.jpg", "", root + "/src/b.jpg"});
    ASSERT_TRUE(op.Execute()) << op.ErrorString();
    // The plain line now reads as a mapping into the destination.
    EXPECT_EQ(op.SourceFiles()[2], root + "/src/b.jpg=" + root + "/dst/b.jpg");
    EXPECT_EQ(Shell("cd '" + root + "/dst' && find . -type f | LC_ALL=C sort"), "./b.jpg\n./first.jpg\n");

    // One mapped file whose target is a folder goes into that folder.
    fs::create_directories(root + "/dst/box");
    op.Operation = fopMove;
    Sources({root + "/src/notes.txt=" + root + "/dst/box"});
    ASSERT_TRUE(op.Execute()) << op.ErrorString();
    EXPECT_EQ(Read(root + "/dst/box/notes.txt"), "text");
}

TEST_F(FileOperationTest, RecycledFilesAreInTheTrash) {
    const std::string name = "recycle-" + std::to_string(::getpid()) + ".jpg";
    Write(root + "/src/" + name, "R");
    op.Operation = fopDelete;
    op.Options = foAllowUndo | foNoConfirmation | foNoErrorUI | foSilent;
    Sources({root + "/src/" + name});
    ASSERT_TRUE(op.Execute()) << op.ErrorString();
    EXPECT_FALSE(fs::exists(root + "/src/" + name));
    const std::string trash =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString() + "/Trash";
    EXPECT_EQ(Read(trash + "/files/" + name), "R");
    const std::string info = Read(trash + "/info/" + name + ".trashinfo");
    EXPECT_NE(info.find("[Trash Info]"), std::string::npos);
    EXPECT_NE(info.find("Path=" + root + "/src/" + name), std::string::npos);
    fs::remove(trash + "/files/" + name);
    fs::remove(trash + "/info/" + name + ".trashinfo");
}

TEST_F(FileOperationTest, MoveAcrossFileSystems) {
    struct stat here {}, shm {};
    if (::stat("/dev/shm", &shm) != 0 || ::stat(root.c_str(), &here) != 0 || shm.st_dev == here.st_dev)
        GTEST_SKIP() << "no second file system at /dev/shm";
    const std::string other = "/dev/shm/lumvor-stfileop-" + std::to_string(::getpid());
    fs::create_directories(other);
    op.Operation = fopMove;
    op.SetDestination(other);
    Sources({root + "/src/a.jpg", root + "/src/album"});
    const bool ok = op.Execute();
    const std::string there = Shell("cd '" + other + "' && find . -type f | LC_ALL=C sort");
    fs::remove_all(other);
    ASSERT_TRUE(ok) << op.ErrorString();
    EXPECT_EQ(there, "./a.jpg\n./album/c.jpg\n");
    EXPECT_FALSE(fs::exists(root + "/src/a.jpg"));
    EXPECT_FALSE(fs::exists(root + "/src/album"));
}

TEST_F(FileOperationTest, FailuresPartWayKeepTheSources) {
    int errors = 0;
    op.OnError = [&](QObject* sender) {
        EXPECT_EQ(sender, &op);
        ++errors;
    };
    // A vanished source in the middle: the first is done, the rest stays.
    op.Operation = fopMove;
    op.ConfirmFiles = false;
    op.SetDestination(root + "/dst");
    Sources({root + "/src/a.jpg", root + "/src/gone.jpg", root + "/src/b.jpg"});
    EXPECT_FALSE(op.Execute());
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(op.ErrorCode(), 2);
    EXPECT_NE(op.ErrorString().find("gone.jpg"), std::string::npos);
    EXPECT_NE(op.ErrorString().find("1 of 3 items were done"), std::string::npos);
    ASSERT_EQ(op.DoneFiles().Count(), 1);
    EXPECT_EQ(op.DoneFiles()[0], root + "/src/a.jpg");
    EXPECT_EQ(op.FailedFile(), root + "/src/gone.jpg");
    EXPECT_EQ(Read(root + "/src/b.jpg"), "BBBBBB");
    EXPECT_FALSE(fs::exists(root + "/dst/b.jpg"));

    // A target that cannot be written: every source stays.
    const std::string before = Shell("cd '" + root + "/src' && find . | LC_ALL=C sort");
    std::string target = root + "/readonly";
    fs::create_directories(target);
    ::chmod(target.c_str(), 0555);
    if (::geteuid() == 0) target = "/proc";  // root writes anywhere but here
    op.Operation = fopCopy;
    op.SetDestination(target);
    Sources({root + "/src/b.jpg", root + "/src/album"});
    EXPECT_FALSE(op.Execute());
    EXPECT_EQ(errors, 2);
    EXPECT_NE(op.ErrorCode(), 0);
    EXPECT_EQ(op.DoneFiles().Count(), 0);
    EXPECT_EQ(Shell("cd '" + root + "/src' && find . | LC_ALL=C sort"), before);
    ::chmod((root + "/readonly").c_str(), 0755);

    // Without foNoErrorUI the failure is shown in an error box.
    op.Options &= ~foNoErrorUI;
    QueueModalResult(mrOk);
    EXPECT_FALSE(op.Execute());
    EXPECT_EQ(QueuedModalAnswers(), 0);
}

TEST_F(FileOperationTest, QuestionsAndCancel) {
    op.Operation = fopDelete;
    op.Options = foNoErrorUI | foSilent;  // deletes for good after asking
    Sources({root + "/src/a.jpg", root + "/src/b.jpg"});
    QueueModalResult(mrNo);
    EXPECT_FALSE(op.Execute());
    EXPECT_TRUE(op.Aborted());
    EXPECT_EQ(op.ErrorCode(), 1223);
    EXPECT_EQ(op.ErrorString(), "The operation was canceled by the user.");
    EXPECT_TRUE(fs::exists(root + "/src/a.jpg"));
    QueueModalResult(mrYes);
    EXPECT_TRUE(op.Execute()) << op.ErrorString();
    EXPECT_FALSE(op.Aborted());
    EXPECT_FALSE(fs::exists(root + "/src/a.jpg"));

    // Replacing asks when collisions are not renamed.
    Write(root + "/dst/my photo.jpg", "old");
    op.Operation = fopCopy;
    op.Options = foNoErrorUI | foSilent;
    op.SetDestination(root + "/dst");
    Sources({root + "/src/my photo.jpg"});
    QueueModalResult(mrNo);
    EXPECT_FALSE(op.Execute());
    EXPECT_EQ(Read(root + "/dst/my photo.jpg"), "old");
    QueueModalResult(mrYes);
    EXPECT_TRUE(op.Execute()) << op.ErrorString();
    EXPECT_EQ(Read(root + "/dst/my photo.jpg"), "space");

    // Cancel in the progress box stops before the next source.
    op.Options = foNoConfirmation | foNoErrorUI;
    op.SetDestination(root + "/dst/new");
    Sources({root + "/src/notes.txt", root + "/src/album"});
    bool boxShown = false;
    QTimer::singleShot(0, [&] {
        boxShown = StatusForm != nullptr;
        CancelPressed = 1;
    });
    EXPECT_FALSE(op.Execute());
    EXPECT_TRUE(boxShown);
    EXPECT_EQ(StatusForm, nullptr);
    EXPECT_EQ(IsBusy, 0);
    EXPECT_TRUE(op.Aborted());
    EXPECT_EQ(op.ErrorCode(), 1223);
    EXPECT_FALSE(fs::exists(root + "/dst/new/notes.txt"));
    EXPECT_FALSE(fs::exists(root + "/dst/new/album"));
}

}  // namespace
}  // namespace lumvor
