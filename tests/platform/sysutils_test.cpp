// System helpers: number rounding and conversion, formatting, texts, file names,
// files, dates and the random generator.
#include "platform/Colors.h"
#include "platform/SysUtils.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <vector>
#include <string>
#include <type_traits>

using namespace lumvor;

namespace {

std::string Home() { return std::getenv("LUMVOR_HOME"); }

void Touch(const std::string& name, const std::string& bytes = "x") {
    std::ofstream(name, std::ios::binary) << bytes;
}

std::string ReadBytes(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(Numbers, RoundHalvesToEvenAndTruncDropsTheFraction) {
    const struct {
        double value;
        int64_t round, trunc;
    } cases[] = {
        {2.5, 2, 2},   {3.5, 4, 3},   {-2.5, -2, -2}, {-3.5, -4, -3}, {0.5, 0, 0},
        {1.5, 2, 1},   {2.4999, 2, 2}, {2.51, 3, 2},  {-0.49, 0, 0},  {1e10 + 0.5, 10000000000, 10000000000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(Round(c.value), c.round);
        EXPECT_EQ(Trunc(c.value), c.trunc);
    }
}

TEST(Numbers, MulDivRoundsHalvesAwayFromZero) {
    const struct {
        int32_t a, b, c, expected;
    } cases[] = {
        {3, 5, 2, 8},          {-3, 5, 2, -8},       {3, -5, 2, -8},   {-3, -5, 2, 8},  {3, 5, -2, -8},
        {1, 1, 0, -1},         {7, 1, 3, 2},         {8, 1, 3, 3},     {-7, 1, 3, -2},  {100, 54, 4, 1350},
        {2000000000, 2000000000, 2000000000, 2000000000},            {2000000000, 3, 1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << "*" << c.b << "/" << c.c);
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected);
    }
}

TEST(Numbers, StrToIntReadsDecimalAndHexOrRaises) {
    const struct {
        const char* text;
        int32_t value;
    } good[] = {
        {"$1F", 31}, {"$1f", 31}, {"0x1F", 31}, {"42", 42},  {"  -17", -17}, {"+5", 5},
        {"$FFFFFFFF", -1}, {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1}, {"-$10", -16},
    };
    for (const auto& c : good) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(StrToInt(c.text), c.value);
        EXPECT_EQ(StrToIntDef(c.text, 99), c.value);
    }
    for (const char* bad : {"", " ", "12 ", "1.5", "abc", "$", "$1G", "2147483648", "-2147483649", "$100000000",
                            "0x", "1e3", "--1"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(StrToInt(bad), EConvertError);
        EXPECT_EQ(StrToIntDef(bad, 99), 99);
    }
    try {
        StrToInt("x1");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'x1' is not a valid integer value");
    }
    EXPECT_EQ(StrToInt64("9000000000"), 9000000000);
}

TEST(Numbers, IntegerAndFloatTexts) {
    EXPECT_EQ(IntToStr(-1234567890123), "-1234567890123");
    EXPECT_EQ(IntToHex(255, 2), "FF");
    EXPECT_EQ(IntToHex(255, 8), "000000FF");
    EXPECT_EQ(IntToHex(0x1234, 2), "1234");
    EXPECT_EQ(IntToHex(-1, 8), "FFFFFFFF");
    EXPECT_EQ(IntToHex(int64_t{-1}, 4), "FFFFFFFFFFFFFFFF");

    const struct {
        double value;
        const char* text;
    } floats[] = {
        {0, "0"},          {1.5, "1.5"},           {-2.25, "-2.25"},   {0.1, "0.1"},    {1.0 / 3, "0.333333333333333"},
        {100, "100"},      {123456789012345, "123456789012345"},    {1e15, "1E15"}, {0.0001, "0.0001"},
        {0.00001, "1E-5"}, {1.5e20, "1.5E20"},
    };
    for (const auto& c : floats) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FloatToStr(c.value), c.text);
        EXPECT_NEAR(StrToFloat(c.text), c.value, std::fabs(c.value) * 1e-14);
    }
    EXPECT_DOUBLE_EQ(StrToFloat(" 2.5 "), 2.5);
    for (const char* bad : {"", "1,5", "abc", "1.5x", "inf"})
        EXPECT_THROW(StrToFloat(bad), EConvertError) << bad;
}

TEST(Numbers, FormatFloatPictures) {
    const struct {
        const char* format;
        double value;
        const char* text;
    } cases[] = {
        {"######.00", 1234.5, "1234.50"},
        {"######.00 MB", 3.14159, "3.14 MB"},
        {"######.00", 0.5, ".50"},
        {"######.00", 1234567.891, "1234567.89"},  // more digits than placeholders
        {"######.00", -2.005, "-2.01"},            // halves away from zero
        {"0.00", 0.125, "0.13"},
        {"0.00", 0, "0.00"},
        {"0.00", -0.001, "0.00"},                  // no "-0.00"
        {"0.0", 2.25, "2.3"},
        {"0.0", 9.96, "10.0"},
        {"#,##0", 1234567, "1,234,567"},
        {"#,##0", 999, "999"},
        {"#,##0", 0, "0"},
        {"#,##0", -1234.5, "-1,235"},
        {"###,###,###,### bytes", 1048576, "1,048,576 bytes"},
        {"######.##", 4.5, "4.5"},
        {"######.##", 4, "4"},
        {"#########.##", 12.345, "12.35"},
        {"0.00;(0.00);zero", -1.5, "(1.50)"},
        {"0.00;(0.00);zero", 0, "zero"},
        {"'x='0", 7, "x=7"},
        {"", 2.5, "2.5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.format << " " << c.value);
        EXPECT_EQ(FormatFloat(c.format, c.value), c.text);
    }
}

TEST(Format, SpecifiersAndArgumentKinds) {
    const std::string name = "pic.jpg";
    EXPECT_EQ(Format("%d.%d MB", 3, 1), "3.1 MB");
    EXPECT_EQ(Format("%d.%d KB", {1023, 9}), "1023.9 KB");
    EXPECT_EQ(Format("%3.3d", 7), "007");
    EXPECT_EQ(Format("%5d|%-5d|", 42, 42), "   42|42   |");
    EXPECT_EQ(Format("%s has %d%%", name, 50), "pic.jpg has 50%");
    EXPECT_EQ(Format("%.3s", "abcdef"), "abc");
    EXPECT_EQ(Format("%x %.4x %X", 255, 255, int64_t{-1}), "FF 00FF FFFFFFFFFFFFFFFF");
    EXPECT_EQ(Format("%u", -1), "4294967295");
    EXPECT_EQ(Format("%f %.1f %.0f", 1.0, 2.25, 2.5), "1.00 2.3 3");
    EXPECT_EQ(Format("%n", 1234567.891), "1,234,567.89");
    EXPECT_EQ(Format("%e", 1234.5), "1.23450000000000E+003");
    EXPECT_EQ(Format("%g", 0.5), "0.5");
    EXPECT_EQ(Format("%f", 3), "3.00");  // integers are accepted where a float is asked
    EXPECT_EQ(Format("%1:s %0:s", "a", "b"), "b a");
    EXPECT_EQ(Format("%*d", 4, 7), "   7");
    EXPECT_EQ(Format("%s", 'c'), "c");
    EXPECT_EQ(Format("plain"), "plain");
}

TEST(Format, MismatchedOrMissingArgumentsRaise) {
    const struct {
        const char* format;
        bool withText;
    } cases[] = {{"%d", true}, {"%s", false}, {"%d %d", false}, {"%q", false}, {"%", false}, {"%x", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        if (c.withText)
            EXPECT_THROW(Format(c.format, "text"), EConvertError);
        else
            EXPECT_THROW(Format(c.format, 1), EConvertError);
    }
    EXPECT_THROW(Format("%d", 1.5), EConvertError);
    try {
        Format("%d", "x");
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Format '%d' invalid or incompatible with argument");
    }
}

TEST(Texts, CaseTrimPosCopy) {
    EXPECT_EQ(UpperCase("abc.jpg Ä"), "ABC.JPG Ä");
    EXPECT_EQ(LowerCase("ABC.JPG"), "abc.jpg");
    EXPECT_EQ(Trim(" \t x y \r\n"), "x y");
    EXPECT_EQ(TrimLeft("  x "), "x ");
    EXPECT_EQ(TrimRight("  x "), "  x");
    EXPECT_EQ(Pos("b", "abcb"), 2);
    EXPECT_EQ(Pos("z", "abc"), 0);
    EXPECT_EQ(Pos("", "abc"), 0);
    EXPECT_EQ(Copy("abcdef", 2, 3), "bcd");
    EXPECT_EQ(Copy("abcdef", 0, 2), "ab");
    EXPECT_EQ(Copy("abcdef", 5, 100), "ef");
    EXPECT_EQ(Copy("abcdef", 7, 1), "");
    EXPECT_EQ(Copy("abcdef", 2, -1), "");
    EXPECT_EQ(CompareText("ABC", "abd"), -1);
    EXPECT_TRUE(SameText("Ñandú", "ñANDÚ"));
}

TEST(FileNames, PartsOfAPath) {
    const struct {
        const char* path;
        const char* filePath;
        const char* dir;
        const char* name;
        const char* ext;
    } cases[] = {
        {"/photos/2020/pic.final.JPG", "/photos/2020/", "/photos/2020", "pic.final.JPG", ".JPG"},
        {"/photos/noext", "/photos/", "/photos", "noext", ""},
        {"/a.b/noext", "/a.b/", "/a.b", "noext", ""},
        {"/pic.jpg", "/", "/", "pic.jpg", ".jpg"},
        {"pic.jpg", "", "", "pic.jpg", ".jpg"},
        {"/photos/", "/photos/", "/photos", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ExtractFilePath(c.path), c.filePath);
        EXPECT_EQ(ExtractFileDir(c.path), c.dir);
        EXPECT_EQ(ExtractFileName(c.path), c.name);
        EXPECT_EQ(ExtractFileExt(c.path), c.ext);
    }
    EXPECT_EQ(ChangeFileExt("/a.b/pic.jpg", ".png"), "/a.b/pic.png");
    EXPECT_EQ(ChangeFileExt("/a.b/pic", ".png"), "/a.b/pic.png");
    EXPECT_EQ(ChangeFileExt("/a/pic.jpg", ""), "/a/pic");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a/"), "/a/");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/a/"), "/a");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/"), "/");
}

TEST(Files, ExistsForceDeleteAndRenameNeverReplaces) {
    const std::string home = Home();
    const std::string deep = home + "/one/two/three/";
    EXPECT_FALSE(DirectoryExists(deep));
    EXPECT_TRUE(ForceDirectories(deep));
    EXPECT_TRUE(DirectoryExists(deep));
    EXPECT_TRUE(ForceDirectories(deep));
    EXPECT_FALSE(FileExists(deep));

    const std::string a = deep + "a.txt", b = deep + "b.txt", c = deep + "c.txt";
    Touch(a, "first");
    Touch(b, "second");
    EXPECT_TRUE(FileExists(a));
    EXPECT_FALSE(DirectoryExists(a));
    EXPECT_FALSE(ForceDirectories(a + "/sub"));  // a file stands in the way

    EXPECT_FALSE(RenameFile(a, b));
    EXPECT_EQ(ReadBytes(b), "second");
    EXPECT_TRUE(FileExists(a));
    EXPECT_TRUE(RenameFile(a, c));
    EXPECT_FALSE(FileExists(a));
    EXPECT_EQ(ReadBytes(c), "first");
    EXPECT_FALSE(RenameFile(a, c));  // source gone
    EXPECT_TRUE(RenameFile(home + "/one/two", home + "/moved"));
    EXPECT_TRUE(FileExists(home + "/moved/three/c.txt"));

    EXPECT_FALSE(DeleteFile(home + "/moved"));  // folders are not deleted
    EXPECT_TRUE(DeleteFile(home + "/moved/three/c.txt"));
    EXPECT_FALSE(DeleteFile(home + "/moved/three/c.txt"));
}

TEST(Dates, EncodeDecodeAndFormat) {
    EXPECT_DOUBLE_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_DOUBLE_EQ(EncodeDate(1900, 1, 1), 2);
    EXPECT_DOUBLE_EQ(EncodeDate(2000, 1, 1), 36526);
    EXPECT_DOUBLE_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    EXPECT_NO_THROW(EncodeDate(2024, 2, 29));

    TDateTime t = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45);
    int y, m, d, h, n, s, ms;
    DecodeDate(t, y, m, d);
    DecodeTime(t, h, n, s, ms);
    EXPECT_EQ((std::vector<int>{y, m, d, h, n, s, ms}), (std::vector<int>{2024, 3, 5, 14, 7, 9, 45}));

    const struct {
        const char* format;
        const char* text;
    } cases[] = {
        {"yyyy:mm:dd", "2024:03:05"},     {"hh:nn:ss", "14:07:09"},       {"mm/dd/yy", "03/05/24"},
        {"d/m/yyyy", "5/3/2024"},         {"dd mmmm yyyy", "05 March 2024"}, {"ddd, mmm d", "Tue, Mar 5"},
        {"dddd", "Tuesday"},              {"h:mm am/pm", "2:07 pm"},      {"hh:mm", "14:07"},
        {"hh:nn:ss.zzz", "14:07:09.045"}, {"'at' hh\"h\"", "at 14h"},     {"h a/p", "2 p"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(FormatDateTime(c.format, t), c.text);
    }
    EXPECT_EQ(FormatDateTime("h:nn AM/PM", EncodeTime(0, 5, 0, 0)), "12:05 AM");
}

TEST(Dates, FileAgeIsTheLocalDosDateTimeOfTheLastWrite) {
    const std::string name = Home() + "/dated.txt";
    EXPECT_EQ(FileAge(name), -1);
    Touch(name);
    std::tm local{};
    local.tm_year = 2021 - 1900;
    local.tm_mon = 6;
    local.tm_mday = 14;
    local.tm_hour = 9;
    local.tm_min = 30;
    local.tm_sec = 17;
    local.tm_isdst = -1;
    utimbuf times{std::mktime(&local), std::mktime(&local)};
    ASSERT_EQ(utime(name.c_str(), &times), 0);
    int32_t age = FileAge(name);
    // 2021-07-14 09:30:16 (DOS seconds are stored in 2-second steps).
    EXPECT_EQ(static_cast<uint32_t>(age), (41u << 25 | 7u << 21 | 14u << 16 | 9u << 11 | 30u << 5 | 8u));
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss", FileDateToDateTime(age)), "2021-07-14 09:30:16");
    EXPECT_EQ(DateTimeToFileDate(FileDateToDateTime(age)), age);
    EXPECT_EQ(DateTimeToFileDate(EncodeDate(1979, 12, 31)), 0);
    EXPECT_THROW(FileDateToDateTime(0), EConvertError);
    EXPECT_GT(Now(), EncodeDate(2020, 1, 1));
    EXPECT_DOUBLE_EQ(Date(), std::trunc(Now()));
}

TEST(RandomNumbers, SeededSequenceRepeatsAndStaysInRange) {
    RandSeed = 12345;
    int first[20];
    for (int& v : first) {
        v = Random(100);
        EXPECT_GE(v, 0);
        EXPECT_LT(v, 100);
    }
    RandSeed = 12345;
    for (int v : first)
        EXPECT_EQ(Random(100), v);
    for (int i = 0; i < 1000; ++i) {
        double r = Random();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
    }
    EXPECT_EQ(Random(0), 0);
    EXPECT_EQ(Random(1), 0);
}

TEST(Timing, TickCountAdvancesAcrossASleep) {
    uint32_t start = GetTickCount();
    Sleep(20);
    EXPECT_GE(GetTickCount() - start, 19u);
}

TEST(Colors, TwoOrdersWithExplicitConversions) {
    static_assert(!std::is_convertible_v<TColor, TColorValue>);
    static_assert(!std::is_convertible_v<TColorValue, TColor>);
    static_assert(!std::is_convertible_v<int, TColor>);
    static_assert(!std::is_convertible_v<TColorValue, uint32_t>);

    TColorValue red = ColorValueOf(0xFF, 0, 0);
    EXPECT_EQ(static_cast<uint32_t>(red), 0xFF0000u);
    EXPECT_EQ(static_cast<int32_t>(clRed), 0x0000FF);
    EXPECT_EQ(ToColorValue(clRed), red);
    EXPECT_EQ(ToTColor(red), clRed);
    TColor c = RGB(0x12, 0x34, 0x56);
    EXPECT_EQ(static_cast<int32_t>(c), 0x563412);
    EXPECT_EQ(static_cast<uint32_t>(ToColorValue(c)), 0x123456u);
    EXPECT_EQ(GetRValue(c), 0x12);
    EXPECT_EQ(GetBValue(ToColorValue(c)), 0x56);
    EXPECT_EQ(ColorToRGB(clWhite), clWhite);
    EXPECT_TRUE(IsSchemeColor(clBtnFace));
    EXPECT_FALSE(IsSchemeColor(ColorToRGB(clBtnFace)));
}
