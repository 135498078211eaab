// Shortcuts: created as symbolic links and resolved back; Windows shortcut files
// read for their target.
#include "ui/StFileOp.h"

#include "support/file_helpers.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace lumvor {
namespace {

namespace fs = std::filesystem;

constexpr auto ReadAll = test::ReadFileText;

class ShortcutTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = std::string(std::getenv("LUMVOR_HOME")) + "/links";
        fs::create_directories(root + "/Pics/sub");
        fs::create_directories(root + "/Links");
        std::ofstream(root + "/Pics/cat.jpg") << "cat";
    }
    std::string root;
};

TEST_F(ShortcutTest, ShortcutsToFilesAndFoldersResolveBack) {
    TStShortcut link;
    link.LocationType = ltDirectory;
    link.DestinationDir = root + "/Links/";  // no second separator
    link.FileName = root + "/Pics/cat.jpg";
    ASSERT_TRUE(link.CreateShortcut());
    EXPECT_EQ(link.ShortcutFileName, root + "/Links/Shortcut to cat.jpg.lnk");
    EXPECT_EQ(fs::read_symlink(link.ShortcutFileName), root + "/Pics/cat.jpg");

    link.AutoName = false;
    link.Description = "my folder";
    link.FileName = root + "/Pics/sub";
    ASSERT_TRUE(link.CreateShortcut());
    EXPECT_EQ(link.ShortcutFileName, root + "/Links/my folder.lnk");

    for (auto [name, target] : {std::pair{"Shortcut to cat.jpg.lnk", "/Pics/cat.jpg"}, {"my folder.lnk", "/Pics/sub"}}) {
        TStShortcut reader;
        reader.ShortcutFileName = root + "/Links/" + name;
        ASSERT_TRUE(reader.ResolveShortcut()) << name;
        EXPECT_EQ(reader.FileName, root + target);
        EXPECT_EQ(reader.ShowCommand, ssNormal);
    }

    // Writing again replaces the link; a plain file of that name is never replaced.
    link.FileName = root + "/Pics/cat.jpg";
    ASSERT_TRUE(link.CreateShortcut());
    EXPECT_EQ(fs::read_symlink(root + "/Links/my folder.lnk"), root + "/Pics/cat.jpg");
    std::ofstream(root + "/Links/kept.lnk") << "data";
    link.Description = "kept";
    link.ShortcutFileName = "before";
    EXPECT_FALSE(link.CreateShortcut());
    EXPECT_EQ(link.ShortcutFileName, "before");
    EXPECT_EQ(ReadAll(root + "/Links/kept.lnk"), "data");
}

TEST_F(ShortcutTest, DanglingAndMissingShortcutsAndErrors) {
    TStShortcut link;
    link.LocationType = ltDirectory;
    link.DestinationDir = root + "/Links";
    link.FileName = root + "/Pics/cat.jpg";
    ASSERT_TRUE(link.CreateShortcut());
    fs::remove(root + "/Pics/cat.jpg");

    TStShortcut reader;
    reader.FileName = "unchanged";
    reader.ShortcutFileName = link.ShortcutFileName;
    EXPECT_FALSE(reader.ResolveShortcut());  // dangling
    EXPECT_EQ(reader.FileName, "unchanged");
    reader.ShortcutFileName = root + "/Links/none.lnk";
    EXPECT_FALSE(reader.ResolveShortcut());
    std::ofstream(root + "/Links/junk.lnk") << "not a shortcut";
    reader.ShortcutFileName = root + "/Links/junk.lnk";
    EXPECT_FALSE(reader.ResolveShortcut());

    auto messageOf = [](auto&& call) {
        try {
            call();
        } catch (const EStShortcutError& e) {
            return e.MessageId;
        }
        return 0;
    };
    reader.ShortcutFileName.clear();
    EXPECT_EQ(messageOf([&] { reader.ResolveShortcut(); }), 73);
    link.DestinationDir.clear();
    EXPECT_EQ(messageOf([&] { link.CreateShortcut(); }), 124);
}

TEST_F(ShortcutTest, WindowsShortcutFilesAreReadForTheirTarget) {
    const std::string fixture = std::string(LUMVOR_FIXTURES) + "/lnk/cat.lnk";
    const std::string data = ReadAll(fixture);
    TShellLinkData parsed;
    ASSERT_TRUE(ParseShellLink(data, parsed));
    // The values lnkinfo reads from the same file.
    EXPECT_EQ(parsed.LocalBasePath, "C:\\Pics\\cat.jpg");
    EXPECT_EQ(parsed.Description, "A cat");
    EXPECT_EQ(parsed.RelativePath, ".\\cat.jpg");
    EXPECT_EQ(parsed.WorkingDir, "C:\\Pics");
    EXPECT_EQ(parsed.Arguments, "/s");
    EXPECT_EQ(parsed.ShowCommand, 3u);
    EXPECT_EQ(parsed.HotKey, 0x0643);

    // Beside its target the relative path finds it.
    fs::copy_file(fixture, root + "/Pics/cat.lnk");
    TStShortcut reader;
    reader.ShortcutFileName = root + "/Pics/cat.lnk";
    ASSERT_TRUE(reader.ResolveShortcut());
    EXPECT_EQ(reader.FileName, root + "/Pics/cat.jpg");
    EXPECT_EQ(reader.Description, "A cat");
    EXPECT_EQ(reader.Parameters, "/s");
    EXPECT_EQ(reader.StartInDir, "C:\\Pics");
    EXPECT_EQ(reader.HotKey, 0x0643);
    EXPECT_EQ(reader.ShowCommand, ssMaximized);
    // Elsewhere its target is not found.
    fs::copy_file(fixture, root + "/Links/cat.lnk");
    reader.ShortcutFileName = root + "/Links/cat.lnk";
    EXPECT_FALSE(reader.ResolveShortcut());

    // Every truncation is refused without reading past the end.
    for (size_t cut = 0; cut < data.size(); ++cut) {
        TShellLinkData partial;
        EXPECT_FALSE(ParseShellLink(data.substr(0, cut), partial)) << cut;
    }
}

}  // namespace
}  // namespace lumvor
