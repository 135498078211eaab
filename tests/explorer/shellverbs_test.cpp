// The shell verbs of the explorer's items: copy and cut through the desktop's
// clipboard, and paste through the file-operation engine.
#include "explorer/ShellVerbs.h"

#include "platform/Forms.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTemporaryDir>

#include <string>
#include <vector>

#include "support/file_helpers.h"
#include "support/message_boxes.h"
#include "support/window_hooks.h"

namespace lumvor {
namespace {

using test::CommandLines;
using test::ReadFileText;
using test::WriteFileText;

class ShellVerbsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        root = dir.path().toStdString() + "/";
        WriteFileText(root + "Trip/a.jpg", "first picture");
        WriteFileText(root + "Trip/b.png", "second picture");
        QGuiApplication::clipboard()->clear();
        SetStrictModalRuns(true);
    }
    void TearDown() override {
        EXPECT_EQ(UnansweredModalRuns(), 0);
        SetStrictModalRuns(false);
        QGuiApplication::clipboard()->clear();
        test::ResetApplicationHooks();
    }
    // Every file below the temporary folder with its content, as find lists it.
    std::vector<std::string> Tree() {
        return CommandLines("cd '" + root + "' && find . -type f -printf '%P ' -exec cat {} ';' -printf '\\n' | sort");
    }

    QTemporaryDir dir;
    std::string root;
};

TEST_F(ShellVerbsTest, CopyPutsFileManagerFormatsOnTheClipboard) {
    PutFilesOnClipboard({root + "Trip/a.jpg", root + "Trip/b.png"}, false);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    const QString a = QUrl::fromLocalFile(QString::fromStdString(root + "Trip/a.jpg")).toString();
    const QString b = QUrl::fromLocalFile(QString::fromStdString(root + "Trip/b.png")).toString();
    EXPECT_EQ(QString::fromUtf8(data->data("x-special/gnome-copied-files")), "copy\n" + a + "\n" + b);
    ASSERT_EQ(data->urls().size(), 2);
    EXPECT_EQ(data->urls()[1].toString(), b);
    EXPECT_FALSE(ClipboardFiles().Cut);

    EXPECT_TRUE(InvokeShellVerb(root + "Trip/a.jpg", svCut));
    const TClipboardFiles cut = ClipboardFiles();
    EXPECT_TRUE(cut.Cut);
    EXPECT_EQ(cut.Paths, std::vector<std::string>{root + "Trip/a.jpg"});
    EXPECT_TRUE(QString::fromUtf8(QGuiApplication::clipboard()->mimeData()->data("x-special/gnome-copied-files"))
                    .startsWith("cut\n"));
}

TEST_F(ShellVerbsTest, CopyThenPasteOfTwoFilesLeavesCopiesBesideTheOriginals) {
    WriteFileText(root + "Trip/a (2).jpg", "an older copy");
    PutFilesOnClipboard({root + "Trip/a.jpg", root + "Trip/b.png"}, false);
    EXPECT_TRUE(InvokeShellVerb(root + "Trip/b.png", svPaste));
    EXPECT_EQ(Tree(), (std::vector<std::string>{"Trip/a (2).jpg an older copy", "Trip/a (3).jpg first picture",
                                                "Trip/a.jpg first picture", "Trip/b (2).png second picture",
                                                "Trip/b.png second picture"}));
    // The clipboard still holds the originals: a second paste makes more copies.
    EXPECT_TRUE(InvokeShellVerb(root + "Trip/", svPaste));
    EXPECT_EQ(ReadFileText(root + "Trip/b (3).png"), "second picture");
}

TEST_F(ShellVerbsTest, CutThenPasteMovesIntoTheFolderItem) {
    WriteFileText(root + "Album/b.png", "already here");
    PutFilesOnClipboard({root + "Trip/a.jpg", root + "Trip/b.png"}, true);
    EXPECT_TRUE(InvokeShellVerb(root + "Album", svPaste));
    EXPECT_EQ(Tree(), (std::vector<std::string>{"Album/a.jpg first picture", "Album/b (2).png second picture",
                                                "Album/b.png already here"}));
    EXPECT_TRUE(ClipboardFiles().Paths.empty());
}

TEST_F(ShellVerbsTest, CutFilesPastedIntoTheirOwnFolderStay) {
    const std::vector<std::string> before = Tree();
    PutFilesOnClipboard({root + "Trip/a.jpg"}, true);
    EXPECT_TRUE(InvokeShellVerb(root + "Trip/b.png", svPaste));
    EXPECT_EQ(Tree(), before);
}

TEST_F(ShellVerbsTest, FailedMoveLeavesTheSourceAndSaysWhy) {
    WriteFileText(root + "Trip/Beach/c.jpg", "third picture");
    PutFilesOnClipboard({root + "Trip/a.jpg", root + "Trip/Beach"}, true);
    std::vector<test::Box> boxes;
    test::Answer(boxes, mrOk);
    // The folder cannot go into itself: the first file moves, the folder stays.
    EXPECT_FALSE(InvokeShellVerb(root + "Trip/Beach", svPaste));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("1 of 2 items were done"), std::string::npos) << boxes[0].text;
    EXPECT_EQ(Tree(), (std::vector<std::string>{"Trip/Beach/a.jpg first picture", "Trip/Beach/c.jpg third picture",
                                                "Trip/b.png second picture"}));
    EXPECT_EQ(ClipboardFiles().Paths.size(), 2u);
}

TEST_F(ShellVerbsTest, VerbsOfMissingItemsAndUnknownVerbsDoNothing) {
    PutFilesOnClipboard({root + "Trip/a.jpg"}, false);
    EXPECT_FALSE(InvokeShellVerb(root + "gone.jpg", svCopy));
    EXPECT_FALSE(InvokeShellVerb(root + "Trip/a.jpg", 4));
    EXPECT_FALSE(InvokeShellVerb("", svPaste));
    EXPECT_EQ(ClipboardFiles().Paths, std::vector<std::string>{root + "Trip/a.jpg"});
    // Files gone from disk since they were copied are left out of a paste.
    PutFilesOnClipboard({root + "gone.jpg"}, false);
    EXPECT_TRUE(InvokeShellVerb(root + "Trip", svPaste));
    EXPECT_EQ(Tree().size(), 2u);
}

}  // namespace
}  // namespace lumvor
