// The component base, the message tables, the version reader and the version gate.
#include "shell/StBase.h"
#include "shell/StShellItems.h"

#include "platform/Folders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace lumvor {
namespace {

TEST(StBase, VersionAlwaysReadsThreeHundred) {
    TStComponent component;
    component.SetVersion("9.99");
    EXPECT_EQ(component.Version(), "3.00");
}

TEST(StBase, MessagesByNumber) {
    const std::pair<int, const char*> cases[] = {
        {73, "Error opening file"},
        {100, "File does not contain version info"},
        {101, "Unable to read version info"},
        {110, "Operation not supported in this version of the shell"},
        {111, "No source files specified"},
        {112, "No destination files specified"},
        {124, "Destination directory not specified"},
        {125, "Error creating IShellLink"},
        {131, "Cannot use file mappings in a delete operation"},
        {132, "Source file error, file not found"},
        {134, "The specified key cannnot be found in version info"},
        {240, "Invalid folder"},
        {72, ""},   // below the first
        {120, ""},  // between two stored ids
        {241, ""},  // beyond the last
    };
    for (const auto& [id, text] : cases) EXPECT_EQ(StMessageText(id), text) << id;
    EXPECT_EQ(StResourceMessages().GetAsString(3), "String resource not found: %s");

    try {
        RaiseStError<EStFileOpError>(132);
        FAIL();
    } catch (const EStException& e) {
        EXPECT_EQ(e.MessageId, 132);
        EXPECT_EQ(e.Message(), "Source file error, file not found");
    }
}

TEST(StBase, DamagedTablesRaiseInsteadOfOverrunning) {
    const std::string good = BuildStringTable({{1, "one"}, {7, "seven"}, {3, "three"}});
    EXPECT_EQ(TStStringResource("t", good).GetAsString(7), "seven");
    EXPECT_EQ(TStStringResource("t", good).GetAsString(3), "three");
    EXPECT_THROW(TStStringResource("t", good, true).GetAsString(2), EStStringResourceError);
    try {
        TStStringResource("t", good, true).GetAsString(2);
    } catch (const EStStringResourceError& e) {
        EXPECT_EQ(e.Message(), "String not found: 2");
    }

    EXPECT_THROW(TStStringResource("t", "STR1" + good.substr(4)), EStStringResourceError);
    EXPECT_THROW(TStStringResource("t", "ST"), EStStringResourceError);
    // Cut inside the entries, inside the texts; an entry count far too large.
    for (size_t cut : {size_t(10), size_t(30), good.size() - 1}) {
        EXPECT_THROW(TStStringResource("t", good.substr(0, cut)).GetAsString(7), EStStringResourceError) << cut;
    }
    std::string huge = good;
    huge[4] = char(0xFF);
    huge[7] = char(0x7F);
    EXPECT_THROW(TStStringResource("t", huge).GetAsString(7), EStStringResourceError);
}

TEST(StBase, VersionTexts) {
    const std::pair<const char*, double> cases[] = {
        {"4.00.950", 4.0}, {"4.71.3110.1", 4.71}, {"4.72.3110.1", 4.72}, {"5.0", 5.0},
        {"", 0},           {"abc", 0},            {"1234567.8.9", 0},
    };
    for (const auto& [text, value] : cases) EXPECT_DOUBLE_EQ(VersionTextToFloat(text), value) << text;
}

TEST(StBase, ShellVersionPassesTheGate) {
    TStShellComponent shell;
    EXPECT_GE(shell.ShellVersion(), 4.71);
    EXPECT_NO_THROW(CheckSpecialFolderVersion(sfHistory, shell.ShellVersion()));

    // An older shell refuses the newer special folders only.
    for (auto folder : {sfInternet, sfAltStartup, sfCommonAltStartup, sfCommonFavorites, sfInternetCache,
                        sfCookies, sfHistory}) {
        try {
            CheckSpecialFolderVersion(folder, 4.0);
            ADD_FAILURE() << int(folder);
        } catch (const EStShellError& e) {
            EXPECT_EQ(e.MessageId, 110);
        }
    }
    EXPECT_NO_THROW(CheckSpecialFolderVersion(sfFavorites, 4.0));
    EXPECT_NO_THROW(CheckSpecialFolderVersion(sfDesktop, 4.0));
}

TEST(StBase, VersionReader) {
    TStVersionInfo info;
    info.SetFileName("");
    EXPECT_EQ(info.FileName(), ExeFileName());
    EXPECT_EQ(info.ProductName(), "Lumvor");
    EXPECT_EQ(info.GetKeyValue("CompanyName"), "Quorvane");
    EXPECT_EQ(info.GetKeyValue("StringFileInfo\\040904E4\\companyname"), "Quorvane");
    EXPECT_DOUBLE_EQ(info.FileVersionFloat(), 1.0);
    EXPECT_EQ(info.FileMajorVersion(), 0x00010000u);
    EXPECT_EQ(info.TranslationValue(), 0x04E40409u);

    auto messageOf = [&](auto&& call) {
        try {
            call();
        } catch (const EStVersionInfoError& e) {
            return e.MessageId;
        }
        return 0;
    };
    EXPECT_EQ(messageOf([&] { info.GetKeyValue("NoSuchKey"); }), 134);
    EXPECT_EQ(messageOf([&] { info.SetFileName("/no/such/file"); }), 73);
    const std::string plain = std::string(std::getenv("LUMVOR_HOME")) + "/plain.txt";
    std::ofstream(plain) << "x";
    info.SetFileName(plain);
    EXPECT_EQ(messageOf([&] { info.FileVersion(); }), 100);
}

}  // namespace
}  // namespace lumvor
