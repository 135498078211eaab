// Shell items and the folder enumerator over a real folder tree, checked against
// what ls and find list.
#include "shell/StShellItems.h"

#include "platform/SysUtils.h"

#include "support/file_helpers.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QStandardPaths>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace lumvor {
namespace {

namespace fs = std::filesystem;

constexpr auto Lines = test::CommandLines;

std::vector<std::string> Names(const TStShellItemList& items) {
    std::vector<std::string> names;
    for (int i = 0; i < items.GetCount(); ++i) names.push_back(items.GetItem(i)->DisplayName);
    return names;
}

std::multiset<std::string> AsSet(const std::vector<std::string>& v) { return {v.begin(), v.end()}; }

class ShellItemsTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = std::string(std::getenv("LUMVOR_HOME")) + "/tree";
        fs::create_directories(root + "/Photos 2024");
        fs::create_directories(root + "/älbum");
        fs::create_directories(root + "/.hidden dir");
        fs::create_directories(root + "/zeta");
        for (const char* name : {"b.jpg", "A.jpg", "c d.png", "Ünïcode.gif", ".dotfile", "zeta/inner.jpg"})
            std::ofstream(root + "/" + name) << name;
        fs::create_symlink("Photos 2024", root + "/link to photos");
        fs::create_symlink("b.jpg", root + "/link to b");
        fs::create_symlink("missing.jpg", root + "/dangling");
    }
    std::string root;
};

TEST_F(ShellItemsTest, ListsWhatLsShows) {
    TStShellEnumerator e;
    e.SetRootFolder(root);
    e.Options = eoIncludeFolders | eoIncludeNonFolders | eoIncludeHidden;
    e.Enumerate();
    EXPECT_EQ(AsSet(Names(e.Items)), AsSet(Lines("ls -A1 --quoting-style=literal '" + root + "'")));

    e.Options = eoIncludeFolders | eoIncludeNonFolders;
    e.Enumerate();
    EXPECT_EQ(AsSet(Names(e.Items)), AsSet(Lines("ls -1 --quoting-style=literal '" + root + "'")));

    // Folders (links to folders count) and non-folders apart, as find sees them.
    e.Options = eoIncludeFolders;
    e.Enumerate();
    EXPECT_EQ(AsSet(Names(e.Items)),
              AsSet(Lines("find '" + root + "' -mindepth 1 -maxdepth 1 -xtype d ! -name '.*' -printf '%f\\n'")));
    e.Options = eoIncludeNonFolders | eoIncludeHidden;
    e.Enumerate();
    EXPECT_EQ(AsSet(Names(e.Items)),
              AsSet(Lines("find '" + root + "' -mindepth 1 -maxdepth 1 ! -xtype d -printf '%f\\n'")));

    ASSERT_NE(e.RootItem(), nullptr);
    EXPECT_EQ(e.RootItem()->Path, root);
    EXPECT_TRUE(e.RootItem()->IsFolder);
    for (int i = 0; i < e.Items.GetCount(); ++i) {
        const TStShellItem* item = e.Items.GetItem(i);
        EXPECT_EQ(item->Path, root + "/" + item->DisplayName);
        EXPECT_EQ(item->ItemList, &e.Items);
        EXPECT_TRUE(item->IsFileSystem);
        EXPECT_GE(item->ImageIndex, item->DisplayName == "dangling" ? -1 : 0) << item->DisplayName;
    }
    EXPECT_EQ(e.Items.GetItem(e.Items.GetCount()), nullptr);
    EXPECT_EQ(e.Items.GetItem(-1), nullptr);
}

TEST_F(ShellItemsTest, SortsFoldersFirstThenNamesIgnoringCase) {
    TStShellEnumerator e;
    e.SetRootFolder(root);
    e.Enumerate();
    const std::vector<std::string> ascending = {"link to photos", "Photos 2024", "zeta",     "älbum", "A.jpg",
                                                "b.jpg",          "c d.png",     "dangling", "link to b",
                                                "Ünïcode.gif"};
    EXPECT_EQ(Names(e.Items), ascending);

    // Descending swaps the comparison: files first, names from the end.
    e.SetSortDirection(sdDescending);
    EXPECT_EQ(Names(e.Items), std::vector<std::string>(ascending.rbegin(), ascending.rend()));

    // Unsorted keeps the folder's own order (ls -U).
    e.SetSorted(false);
    e.Options |= eoIncludeHidden;
    e.Enumerate();
    EXPECT_EQ(Names(e.Items), Lines("ls -AU1 --quoting-style=literal '" + root + "'"));
}

TEST_F(ShellItemsTest, RootChoicesAndFilters) {
    TStShellEnumerator e;
    // Nothing chosen: nothing happens.
    e.Enumerate();
    EXPECT_EQ(e.RootItem(), nullptr);

    e.SetRootFolder(root + "/zeta");
    e.Enumerate();
    ASSERT_EQ(e.Items.GetCount(), 1);
    TStShellFolder* first = e.RootItem();

    // A refusing handler leaves the list empty but the root set.
    int asked = 0;
    e.OnEnumItem = [&](QObject*, TStShellItem* item, bool& accept) {
        ++asked;
        EXPECT_EQ(item->DisplayName, "inner.jpg");
        accept = false;
    };
    e.Enumerate();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(e.Items.GetCount(), 0);
    ASSERT_NE(e.RootItem(), nullptr);
    EXPECT_EQ(e.RootItem()->Path, root + "/zeta");
    (void)first;

    e.SetRootFolder(root + "/nowhere");
    try {
        e.Enumerate();
        FAIL();
    } catch (const EStInvalidFolder& ex) {
        EXPECT_EQ(ex.MessageId, 240);
        EXPECT_EQ(ex.Message(), "Invalid folder");
    }

    // Special folders: the user's configuration folder exists, the network has no
    // counterpart here, the computer lists the mounted volumes with "/" first.
    e.OnEnumItem = nullptr;
    e.SetSpecialRootFolder(sfAppData);
    EXPECT_TRUE(e.RootFolder().empty());
    e.Enumerate();
    EXPECT_EQ(e.RootItem()->Path + "/",
              IncludeTrailingPathDelimiter(
                  QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)).toStdString()));
    e.SetSpecialRootFolder(sfNetwork);
    e.Enumerate();
    EXPECT_EQ(e.RootItem()->Path, "");
    EXPECT_EQ(e.Items.GetCount(), 0);
    e.SetSpecialRootFolder(sfDrives);
    e.Enumerate();
    ASSERT_GT(e.Items.GetCount(), 0);
    EXPECT_EQ(e.Items.GetItem(0)->Path, "/");
    e.SetSorted(false);
    e.SetSpecialRootFolder(sfHistory);  // a newer special folder passes the gate here
    EXPECT_EQ(e.SpecialRootFolder(), sfHistory);
    EXPECT_EQ(SpecialFolderCSIDL(sfHistory), 34);
    EXPECT_EQ(int(sfRecentFiles), 26);
    EXPECT_EQ(SpecialFolderCSIDL(sfNone), 0);
}

TEST_F(ShellItemsTest, ItemsFromPathsAnswerTheirAttributes) {
    struct Case {
        const char* name;
        bool folder, link, subFolder;
    } cases[] = {
        {"", true, false, true},  // the tree itself
        {"/Photos 2024", true, false, false},
        {"/zeta", true, false, false},
        {"/b.jpg", false, false, false},
        {"/link to photos", true, true, false},
        {"/link to b", false, true, false},
        {"/dangling", false, true, false},
    };
    for (const Case& c : cases) {
        auto item = TStShellItem::CreateFromPath(root + c.name);
        EXPECT_EQ(item->IsFolder, c.folder) << c.name;
        EXPECT_EQ(item->IsLink(), c.link) << c.name;
        EXPECT_EQ(item->HasSubFolder(), c.subFolder) << c.name;
        EXPECT_TRUE(item->HasPropSheet()) << c.name;
        EXPECT_EQ(item->OverlayIndex, c.link ? 1 : -1) << c.name;
    }
    EXPECT_THROW(TStShellItem::CreateFromPath(root + "/nothing"), EStInvalidFolder);
    EXPECT_THROW(TStShellItem::CreateFromPath(""), EStInvalidFolder);

    // A Windows shortcut file is a link too.
    std::ifstream in(std::string(LUMVOR_FIXTURES) + "/lnk/cat.lnk", std::ios::binary);
    std::ofstream(root + "/cat.lnk", std::ios::binary) << in.rdbuf();
    EXPECT_TRUE(TStShellItem::CreateFromPath(root + "/cat.lnk")->IsLink());

    // The desktop item and an empty item answer False without asking.
    TStShellEnumerator e;
    e.SetSpecialRootFolder(sfDesktop);
    e.Enumerate();
    ASSERT_NE(e.RootItem(), nullptr);
    EXPECT_TRUE(e.RootItem()->IsDesktop);
    EXPECT_FALSE(e.RootItem()->HasPropSheet());
    EXPECT_FALSE(e.RootItem()->HasSubFolder());
    EXPECT_FALSE(e.RootItem()->IsLink());
    TStShellItem empty;
    EXPECT_EQ(empty.ImageIndex, -1);
    EXPECT_FALSE(empty.IsLink());
}

}  // namespace
}  // namespace lumvor
