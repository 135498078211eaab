// The folder browse component, its chooser answered by the test.
#include "shell/StBrowser.h"

#include "platform/Forms.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace lumvor {
namespace {

namespace fs = std::filesystem;

class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = std::string(std::getenv("LUMVOR_HOME")) + "/browse";
        fs::create_directories(root + "/Holiday pictures/day 1");
        fs::create_directories(root + "/other");
    }
    std::string root;
};

TEST_F(BrowserTest, ChoosingAFolder) {
    TStBrowser browser;
    browser.Caption = "Pick a folder";
    browser.AdditionalText = "Where are the pictures?";
    browser.RootFolder = root;
    browser.SetSelectedFolder(root + "/other/");
    EXPECT_EQ(browser.SelectedFolder(), root + "/other");
    int shown = 0, changes = 0;
    browser.OnShow = [&](QObject*) { ++shown; };
    browser.OnSelChanged = [&](QObject*) {
        ++changes;
        // Handlers change the running chooser at once.
        browser.SetStatusText("now " + browser.SelectedFolder());
        browser.SetOKEnabled(browser.SelectedFolder() != root + "/other");
    };
    const std::string target = root + "/Holiday pictures/day 1";
    QueueModalAction([&](QDialog& dialog) {
        EXPECT_EQ(&dialog, browser.Dialog());
        EXPECT_EQ(dialog.windowTitle().toStdString(), "Pick a folder");
        EXPECT_FALSE(browser.OKButton()->isEnabled());  // the first selection was "other"
        browser.Tree()->setCurrentIndex(browser.Model()->index(QString::fromStdString(target)));
        EXPECT_EQ(browser.SelectedFolder(), target);
        EXPECT_TRUE(browser.OKButton()->isEnabled());
        bool statusShown = false;
        for (QLabel* label : dialog.findChildren<QLabel*>())
            statusShown |= label->text().toStdString() == "now " + target;
        EXPECT_TRUE(statusShown);
        browser.OKButton()->click();
    });
    ASSERT_TRUE(browser.Execute());
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(browser.Folder(), target);
    EXPECT_EQ(browser.DisplayName(), "day 1");
    EXPECT_GE(browser.ImageIndex(), 0);
    EXPECT_EQ(browser.Dialog(), nullptr);
}

TEST_F(BrowserTest, CancelAndSettings) {
    TStBrowser browser;
    browser.RootFolder = root;
    QueueModalResult(QDialog::Rejected);
    EXPECT_FALSE(browser.Execute());
    EXPECT_EQ(browser.DisplayName(), "");
    EXPECT_EQ(browser.ImageIndex(), 0);

    browser.SetSelectedFolder("/");
    EXPECT_EQ(browser.SelectedFolder(), "/");
    browser.SetSpecialRootFolder(sfPersonal);
    EXPECT_EQ(browser.SpecialRootFolderID(), 5);
    EXPECT_EQ(browser.Options, boReturnOnlyDirs);
    EXPECT_EQ(browser.Position, bpScreenCenter);

    // With files shown and only folders returned, a file disables OK.
    browser.SetSpecialRootFolder(sfNone);
    browser.Options = boReturnOnlyDirs | boShowFiles;
    fs::path file = fs::path(root) / "other" / "a.jpg";
    { std::ofstream(file.string()) << "x"; }
    QueueModalAction([&](QDialog& dialog) {
        browser.Tree()->setCurrentIndex(browser.Model()->index(QString::fromStdString(file.string())));
        EXPECT_FALSE(browser.OKButton()->isEnabled());
        dialog.reject();
    });
    EXPECT_FALSE(browser.Execute());
}

}  // namespace
}  // namespace lumvor
