// The properties dialog of a file or folder: what it reads of a path, the
// totals of a folder (compared with what find lists) and the dialog itself.
#include "explorer/ShellProperties.h"

#include "platform/Forms.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "support/file_helpers.h"
#include "support/window_hooks.h"

namespace lumvor {
namespace {

using test::CommandOutput;
using test::WriteFileText;

class ShellPropertiesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        root = dir.path().toStdString();
        SetStrictModalRuns(true);
    }
    void TearDown() override {
        EXPECT_EQ(UnansweredModalRuns(), 0);
        SetStrictModalRuns(false);
        test::ResetApplicationHooks();
    }
    // What find says of a folder's content: "files folders bytes".
    std::string FindTotals(const std::string& folder) {
        const std::string q = "'" + folder + "'";
        return CommandOutput("printf '%s %s %s' $(find " + q + " -xdev -mindepth 1 ! -type d | wc -l) $(find " + q +
                             " -xdev -mindepth 1 -type d | wc -l) $(find " + q +
                             " -xdev -mindepth 1 ! -type d -printf '%s\\n' | awk '{s+=$1} END {print s+0}')");
    }
    static std::string Totals(const TFolderTotals& t) {
        return std::to_string(t.Files) + " " + std::to_string(t.Folders) + " " + std::to_string(t.Bytes);
    }

    QTemporaryDir dir;
    std::string root;
};

TEST_F(ShellPropertiesTest, FileShowsItsFolderTypeSizeAndPermissions) {
    const std::string file = root + "/Trip/beach.jpg";
    WriteFileText(file, std::string("\xFF\xD8\xFF\xE0", 4) + std::string(1532, 'x'));
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);

    TPathProperties p;
    ASSERT_TRUE(ReadPathProperties(file, p));
    EXPECT_EQ(p.Name, "beach.jpg");
    EXPECT_EQ(p.Location, root + "/Trip/");
    EXPECT_FALSE(p.IsFolder);
    EXPECT_EQ(p.Size, 1536);
    EXPECT_NE(p.TypeText.find("(image/jpeg)"), std::string::npos) << p.TypeText;
    EXPECT_EQ(p.Permissions, CommandOutput("stat -c '%A (%a)' '" + file + "' | tr -d '\\n'"));
    EXPECT_TRUE(p.Modified.isValid());
    EXPECT_TRUE(p.Accessed.isValid());
}

TEST_F(ShellPropertiesTest, LinkIsDescribedAsItselfWithItsTarget) {
    WriteFileText(root + "/b/x.jpg", "picture");
    std::filesystem::create_symlink(root + "/b/x.jpg", root + "/x.jpg");
    TPathProperties p;
    ASSERT_TRUE(ReadPathProperties(root + "/x.jpg", p));
    EXPECT_EQ(p.LinkTarget, root + "/b/x.jpg");
    EXPECT_EQ(p.Permissions.substr(0, 1), "l");
}

TEST_F(ShellPropertiesTest, MissingPathHasNoPropertiesAndNoDialog) {
    TPathProperties p;
    EXPECT_FALSE(ReadPathProperties(root + "/gone", p));
    EXPECT_FALSE(ReadPathProperties("", p));
    EXPECT_FALSE(ShowShellProperties(root + "/gone/"));
}

TEST_F(ShellPropertiesTest, FolderTotalsMatchFindAndDoNotFollowLinks) {
    const std::string top = root + "/Photos";
    WriteFileText(top + "/a.jpg", std::string(1000, 'a'));
    WriteFileText(top + "/2024/b.jpg", std::string(2500, 'b'));
    WriteFileText(top + "/2024/Beach/c.png", std::string(70000, 'c'));
    std::filesystem::create_directories(top + "/empty");
    WriteFileText(top + "/.hidden", "h");
    // A link to a big folder elsewhere counts as one small entry.
    WriteFileText(root + "/elsewhere/big.bin", std::string(500000, 'z'));
    std::filesystem::create_directory_symlink(root + "/elsewhere", top + "/link");

    const std::atomic<bool> running{false};
    const TFolderTotals totals = CountFolder(top + "/", running);
    EXPECT_EQ(Totals(totals), FindTotals(top));
    EXPECT_EQ(totals.Files, 5);
    EXPECT_EQ(totals.Folders, 3);
    EXPECT_EQ(PropertiesContentText(totals), "5 Files, 3 Folders");
}

TEST_F(ShellPropertiesTest, CountStopsWhenCancelled) {
    WriteFileText(root + "/a/b/c.txt", "c");
    const std::atomic<bool> cancelled{true};
    EXPECT_EQ(Totals(CountFolder(root, cancelled)), "0 0 0");
    EXPECT_EQ(Totals(CountFolder(root + "/missing", std::atomic<bool>{false})), "0 0 0");
}

TEST_F(ShellPropertiesTest, SizeAndContentTexts) {
    struct Case {
        int64_t bytes;
        const char* text;
    } cases[] = {{0, "0 bytes"},
                 {1, "1 byte"},
                 {1023, "1,023 bytes"},
                 {1536, "1.5 KB (1,536 bytes)"},
                 {5 * 1048576 + 1, "5.0 MB (5,242,881 bytes)"}};
    for (const Case& c : cases)
        EXPECT_EQ(PropertiesSizeText(c.bytes), c.text) << c.bytes;
    EXPECT_EQ(PropertiesContentText({0, 1, 1}), "1 File, 1 Folder");
}

TEST_F(ShellPropertiesTest, DialogShowsFolderTotalsOnceCounted) {
    WriteFileText(root + "/Album/one.jpg", std::string(2048, '1'));
    WriteFileText(root + "/Album/sub/two.jpg", std::string(1024, '2'));
    std::string caption, location, size, contains, permissions;
    QueueModalAction([&](QDialog& dialog) {
        auto* containsLabel = dialog.findChild<QLabel*>("ContainsValue");
        ASSERT_NE(containsLabel, nullptr);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (containsLabel->text().contains("Counting") && std::chrono::steady_clock::now() < deadline) {
            QApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        caption = dialog.windowTitle().toStdString();
        location = dialog.findChild<QLineEdit*>("LocationValue")->text().toStdString();
        size = dialog.findChild<QLabel*>("SizeValue")->text().toStdString();
        contains = containsLabel->text().toStdString();
        permissions = dialog.findChild<QLabel*>("PermissionsValue")->text().toStdString();
        dialog.findChild<QPushButton*>("btnOK")->click();
    });
    EXPECT_TRUE(ShowShellProperties(root + "/Album/"));
    EXPECT_EQ(caption, "Album Properties");
    EXPECT_EQ(location, root + "/");
    EXPECT_EQ(size, "3.0 KB (3,072 bytes)");
    EXPECT_EQ(contains, "2 Files, 1 Folder");
    EXPECT_EQ(permissions.substr(0, 1), "d");
}

TEST_F(ShellPropertiesTest, ClosingWhileCountingStopsTheCount) {
    for (int i = 0; i < 50; ++i)
        WriteFileText(root + "/many/f" + std::to_string(i), "x");
    QueueModalResult(mrOk);
    EXPECT_TRUE(ShowShellProperties(root + "/many"));
}

}  // namespace
}  // namespace lumvor
