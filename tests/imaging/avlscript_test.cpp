// Reading AVL slide-show scripts: header, directory, slide sections, escapes.
#include "imaging/AvlScript.h"

#include "platform/SysUtils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace lumvor {
namespace {

void LoadScript(const std::string& text) {
    AvlScriptStream.Clear();
    AvlScriptStream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
    AvlScriptStream.SetPosition(0);
    SlideIndex = FindAvlFirstSlide();
}

const char* const Script =
    "[Header]\r\n"
    "Ver=8\r\n"
    "N=4\r\n"
    "RUN=3\r\n"
    "@N=/cat/names.txt\r\n"
    "@C=/cat/c?d.txt\r\n"
    "[Directory]\r\n"
    "0=/photos/summer\r\n"
    "1=/photos/a?b <1>\r\n"
    "[1]\r\n"
    "F=pic,1\r\n"
    "B=FF\r\n"
    "E=1A\r\n"
    "G=50\r\n"
    "P=10,20\r\n"
    "U=12,30\r\n"
    "W=5\r\n"
    "X=7\r\n"
    "Y=90\r\n"
    "Z=150\r\n"
    "S=Hello?world <x>\r\n"
    "Q=ignored\r\n"
    "[2]\r\n"
    "F=photo.png,\r\n"
    "W=\r\n"
    "[3]\r\n"
    "F=cdtrack\r\n";

TEST(AvlScript, EscapesRoundTrip) {
    EXPECT_EQ(EncodeAvlText("a,b,[c]"), "a?b?<c>");
    EXPECT_EQ(DecodeAvlText("a?b?<c>"), "a,b,[c]");
}

TEST(AvlScript, ReadsHeaderDirectoryAndSlides) {
    LoadScript(Script);
    ASSERT_GT(SlideIndex, 0);
    EXPECT_EQ(std::string(Script).substr(static_cast<size_t>(SlideIndex), 3), "[1]");
    EXPECT_EQ(ReadAvlHeaderStream(), 3);
    EXPECT_EQ(ScriptRunCount, 3);
    EXPECT_EQ(CatalogNFile, "/cat/names.txt");
    EXPECT_EQ(CatalogCFile, "/cat/c?d.txt");  // header values are not decoded
    EXPECT_EQ(CatalogVFile, "");
    ASSERT_EQ(AvlDirLines.Count(), 2);
    EXPECT_EQ(AvlDirLines[0], "0=/photos/summer");
    EXPECT_EQ(AvlDirLines[1], "1=/photos/a,b [1]");

    EXPECT_EQ(ReadAvlSlide(1), 1);
    EXPECT_EQ(CurFileName, "pic.JPG");
    EXPECT_EQ(SlideColor, 255);
    EXPECT_EQ(SlideHasColor, 1);
    EXPECT_EQ(WindowResized, 1);
    EXPECT_EQ(SlideProperty2, 0x1A);
    EXPECT_EQ(SlideGamma, 0x50);
    EXPECT_EQ(SlideTextX, 10);
    EXPECT_EQ(SlideTextY, 20);
    EXPECT_EQ(SlideTextSize, 12);
    EXPECT_EQ(SlideTextHeight, 30);
    EXPECT_EQ(SlideDelay, 5000);
    EXPECT_EQ(SlideExtra, 7);
    EXPECT_EQ(SlideRotate, 90);
    EXPECT_EQ(SlideZoom, 150);
    EXPECT_EQ(SlideProperty1, "Hello,world [x]");

    // Missing keys take the defaults; "W=" with no value is skipped.
    EXPECT_EQ(ReadAvlSlide(2), 0);
    EXPECT_EQ(CurFileName, "photo.png");
    EXPECT_EQ(SlideGamma, 100);
    EXPECT_EQ(SlideZoom, 100);
    EXPECT_EQ(SlideTextX, -1);
    EXPECT_EQ(SlideTextY, -1);
    EXPECT_EQ(SlideColor, -1);
    EXPECT_EQ(SlideHasColor, 0);
    EXPECT_EQ(SlideDelay, 0);
    EXPECT_EQ(SlideProperty1, "");

    EXPECT_EQ(ReadAvlSlide(3), 0);
    EXPECT_EQ(CurFileName, std::string(30, '-'));
    EXPECT_EQ(SlideIndex, static_cast<int32_t>(std::string(Script).size()));

    // Past the end: no section, every value at its default.
    EXPECT_EQ(ReadAvlSlide(4), 0);
    EXPECT_EQ(AvlSectionLine, -1);
    EXPECT_EQ(CurFileName, "");
}

TEST(AvlScript, FindSlideSearchesForwardOnly) {
    LoadScript(Script);
    const int32_t third = static_cast<int32_t>(std::string(Script).find("[3]"));
    EXPECT_EQ(FindAvlSlide(3), third);
    SlideIndex = third;
    EXPECT_EQ(FindAvlSlide(3), -1);
    EXPECT_EQ(FindAvlSlide(1), -1);
}

TEST(AvlScript, BadScripts) {
    LoadScript("[Header]\r\nN=2\r\n[Directory]\r\n");
    EXPECT_EQ(SlideIndex, -1);  // "Bad AVL file." to the caller

    LoadScript("[Header]\r\nN=two\r\n[1]\r\nF=a,1\r\n");
    EXPECT_THROW(ReadAvlHeaderStream(), EConvertError);
    LoadScript("[Header]\r\nN=2\r\n[1]\r\nZ=big\r\n");
    EXPECT_THROW(ReadAvlSlide(1), EConvertError);
    LoadScript("[Header]\r\nN=2\r\n[1]\r\nF=a,x\r\n");
    EXPECT_THROW(ReadAvlSlide(1), EConvertError);

    // A header without lines before "[1]".
    LoadScript("[1]\r\nF=a,2\r\n");
    EXPECT_EQ(ReadAvlHeaderStream(), 0);
    EXPECT_EQ(ReadAvlSlide(1), 2);
    EXPECT_EQ(CurFileName, "a.JPG");
}

TEST(AvlScript, LongSectionsAreReadWhole) {
    std::string text = "[Header]\r\nN=2\r\n[1]\r\n";
    for (int i = 0; i < 200; ++i) text += "X=" + std::to_string(i) + "\r\n";  // well over 1,024 bytes
    text += "Z=42\r\n";
    LoadScript(text);
    ReadAvlHeaderStream();
    ReadAvlSlide(1);
    EXPECT_EQ(SlideExtra, 199);
    EXPECT_EQ(SlideZoom, 42);
}

TEST(AvlScript, LoadScriptAndReadValues) {
    const std::string name = IncludeTrailingPathDelimiter(std::getenv("LUMVOR_HOME")) + "show.avl";
    {
        std::ofstream out(name, std::ios::binary);
        out << "[Header]\r\nn=3\r\nRun=\r\n[Other]\r\nKey=v\r\n[1]\r\nF=x,0\r\n";
    }
    EXPECT_EQ(LoadAvlScript(name), 11);
    EXPECT_EQ(SlideFileName, name);
    std::string value;
    ReadAvlValue("header", "N", "0", value);
    EXPECT_EQ(value, "3");
    ReadAvlValue("Header", "RUN", "1", value);  // empty value: the default
    EXPECT_EQ(value, "1");
    ReadAvlValue("Header", "Key", "none", value);  // cut short by the next section
    EXPECT_EQ(value, "none");
    ReadAvlValue("Missing", "N", "d", value);
    EXPECT_EQ(value, "d");
    EXPECT_EQ(AvlSectionLine, -1);
    EXPECT_EQ(ReadAvlHeader(), 2);

    EXPECT_EQ(LoadAvlScript(name + ".missing"), 11);
    EXPECT_EQ(AvlLines.Count(), 0);
}

}  // namespace
}  // namespace lumvor
