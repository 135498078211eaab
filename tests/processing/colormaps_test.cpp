// The tone-curve setters against the values they must give and a numpy port of
// their formulas, and the colour filters over 24-bit pictures.
#include <gtest/gtest.h>

#include "processing/lab/Pixels24.h"
#include "processing/script/LabState.h"
#include "processing/tonal/ColorMaps.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace lumvor;

namespace {

std::string Fixture(const std::string& name) { return std::string(LUMVOR_FIXTURES) + "/" + name; }

class ColorMapsTest : public ::testing::Test {
protected:
    void SetUp() override { ResetLabState(); }
    void TearDown() override { ResetLabState(); }
};

// Entries of a map at the given inputs.
std::vector<int> At(const TColorMap& map, std::initializer_list<int> inputs) {
    std::vector<int> out;
    for (int i : inputs)
        out.push_back(map[size_t(i)]);
    return out;
}

// The start maps of the numpy tables: a marker pattern in every entry.
void FillStartPattern() {
    for (int i = 0; i < 256; ++i) {
        RedMap[size_t(i)] = uint8_t((i * 7 + 3) % 256);
        GreenMap[size_t(i)] = uint8_t(255 - i);
        BlueMap[size_t(i)] = uint8_t((i * 13 + 5) % 256);
        RedLUT[size_t(i)] = uint16_t((i * 5 + 1) % 256);
        GreenLUT[size_t(i)] = uint16_t((i * 3 + 2) % 256);
        BlueLUT[size_t(i)] = uint16_t((i * 11 + 7) % 256);
    }
}

template <class Map>
std::string Hex(const Map& map, int digits) {
    std::ostringstream out;
    for (auto v : map) {
        char text[8];
        std::snprintf(text, sizeof text, "%0*x", digits, unsigned(v));
        out << text;
    }
    return out.str();
}

using Setter = std::function<void(const std::vector<int>&)>;

const std::map<std::string, Setter>& Setters() {
    static const std::map<std::string, Setter> setters = {
        {"SetShiftLUT", [](const std::vector<int>& a) { SetShiftLUT(a[0], a[1]); }},
        {"SetBrightLUT", [](const std::vector<int>& a) { SetBrightLUT(a[0], a[1]); }},
        {"SetBrightLUTex", [](const std::vector<int>& a) { SetBrightLUTex(a[0], a[1]); }},
        {"SetGammaLUT", [](const std::vector<int>& a) { SetGammaLUT(a[0], a[1], a[2] != 0); }},
        {"SetGammaContrastLUT", [](const std::vector<int>& a) { SetGammaContrastLUT(a[0], a[1]); }},
        {"SetContrastLUT", [](const std::vector<int>& a) { SetContrastLUT(a[0], a[1]); }},
        {"SetSupressLUT", [](const std::vector<int>& a) { SetSupressLUT(a[0], a[1], a[2]); }},
        {"SetStretchLUT", [](const std::vector<int>& a) { SetStretchLUT(a[0], a[1], a[2]); }},
        {"SetLoRemap", [](const std::vector<int>& a) { SetLoRemap(a[0], a[1], a[2]); }},
        {"SetHiRemap", [](const std::vector<int>& a) { SetHiRemap(a[0], a[1], a[2]); }},
        {"SetEqLUT", [](const std::vector<int>& a) { SetEqLUT(a[0], a[1], a[2], a[3]); }},
        {"SetMidToneLUT", [](const std::vector<int>& a) { SetMidToneLUT(a[0]); }},
    };
    return setters;
}

TEST_F(ColorMapsTest, EverySetterMatchesTheNumpyPortOfItsFormula) {
    std::ifstream in(Fixture("colormaps/setters.txt"));
    ASSERT_TRUE(in) << "missing colormaps/setters.txt";
    std::string line;
    int cases = 0;
    while (std::getline(in, line)) {
        SCOPED_TRACE(line.substr(0, line.find('|')));
        std::istringstream fields(line);
        std::string name, word;
        fields >> name;
        std::vector<int> args;
        while (fields >> word && word != "|")
            args.push_back(std::stoi(word));
        std::string red, green, blue;
        fields >> red >> green >> blue;
        ASSERT_TRUE(Setters().count(name)) << name;
        FillStartPattern();
        Setters().at(name)(args);
        const bool words = name == "SetBrightLUTex";
        EXPECT_EQ("R:" + (words ? Hex(RedLUT, 4) : Hex(RedMap, 2)), red);
        EXPECT_EQ("G:" + (words ? Hex(GreenLUT, 4) : Hex(GreenMap, 2)), green);
        EXPECT_EQ("B:" + (words ? Hex(BlueLUT, 4) : Hex(BlueMap, 2)), blue);
        ++cases;
    }
    EXPECT_GT(cases, 0);
}

TEST_F(ColorMapsTest, GammaGivesTheTabulatedCurves) {
    SetGammaLUT(200, 1, false);
    EXPECT_EQ(At(GreenMap, {0, 1, 64, 128, 200, 255}), (std::vector<int>{0, 16, 128, 181, 226, 255}));
    SetGammaLUT(200, 1, true);
    EXPECT_EQ(At(GreenMap, {0, 1, 64, 128, 200, 255}), (std::vector<int>{0, 15, 111, 154, 205, 255}));

    // Gamma 0 is gamma 1, and so is a negative gamma (the formula would divide by it).
    for (int gamma : {0, -40}) {
        SetGammaLUT(1, 0, false);
        const TColorMap one = RedMap;
        RedMap.fill(9);
        SetGammaLUT(gamma, 0, false);
        EXPECT_EQ(RedMap, one) << gamma;
    }
}

TEST_F(ColorMapsTest, ContrastGivesTheTabulatedCurves) {
    SetContrastLUT(64, 2);
    EXPECT_EQ(At(BlueMap, {1, 64, 127, 128, 200, 255}), (std::vector<int>{0, 32, 127, 128, 236, 255}));
    SetContrastLUT(-128, 2);
    EXPECT_EQ(At(BlueMap, {1, 64, 127, 128, 200, 255}), (std::vector<int>{64, 95, 127, 128, 164, 192}));

    // Flat grey: the whole map, entry 0 included; the other maps stay.
    ResetMaps();
    SetContrastLUT(-255, 0);
    TColorMap grey;
    grey.fill(127);
    EXPECT_EQ(RedMap, grey);
    EXPECT_EQ(GreenMap[0], 0);
    EXPECT_EQ(GreenMap[200], 200);
    EXPECT_EQ(BlueMap[255], 255);
}

TEST_F(ColorMapsTest, StretchWithMeetingOrCrossedEnds) {
    GreenMap.fill(77);
    SetStretchLUT(100, 100, 1);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(GreenMap[size_t(i)], i < 100 ? 0 : 255) << i;
    GreenMap.fill(77);
    SetStretchLUT(150, 90, 1);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(GreenMap[size_t(i)], i < 90 ? 0 : 255) << i;
}

TEST_F(ColorMapsTest, EveryMapLosesEntryZeroToAShiftOfOneChannel) {
    RedMap.fill(50);
    GreenMap.fill(50);
    BlueMap.fill(50);
    SetShiftLUT(20, 0);
    EXPECT_EQ(RedMap[0], 0);
    EXPECT_EQ(GreenMap[0], 0);
    EXPECT_EQ(BlueMap[0], 0);
    EXPECT_EQ(RedMap[1], 21);
    EXPECT_EQ(GreenMap[1], 50);  // only entry 0 of the other maps
}

TEST_F(ColorMapsTest, EqualiserBumpAndItsEdges) {
    ResetMaps();
    SetEqLUT(128, 32, 20, 0);
    EXPECT_EQ(At(RedMap, {96, 112, 128, 144, 160}), (std::vector<int>{96, 117, 138, 149, 160}));
    for (int i = 0; i < 256; ++i) {
        if (i < 96 || i > 160) {
            EXPECT_EQ(RedMap[size_t(i)], i) << i;
        }
    }

    // Gain 0 puts all three maps back to identity.
    GreenMap.fill(3);
    BlueMap.fill(3);
    SetEqLUT(128, 32, 0, 2);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(RedMap[size_t(i)], i);
        EXPECT_EQ(GreenMap[size_t(i)], i);
        EXPECT_EQ(BlueMap[size_t(i)], i);
    }

    // A bump reaching past both ends writes only inside the map (the sanitizers
    // watch the rest); its low half lifts entry 0.
    ResetMaps();
    SetEqLUT(10, 127, 50, 1);
    EXPECT_GT(GreenMap[0], 0);
    EXPECT_EQ(GreenMap[255], 255);
    EXPECT_EQ(RedMap[0], 0);
}

TEST_F(ColorMapsTest, RemapsLeaveTheEntriesTheyDoNotName) {
    ResetMaps();
    SetLoRemap(20, 100, 0);
    EXPECT_EQ(At(RedMap, {0, 20, 21, 60, 99, 100, 200, 255}), (std::vector<int>{0, 0, 1, 50, 99, 100, 200, 255}));
    SetHiRemap(220, 150, 0);
    EXPECT_EQ(At(RedMap, {0, 21, 149, 150, 185, 219, 220, 255}), (std::vector<int>{0, 1, 149, 150, 202, 254, 255, 255}));
}

// A 24-bit picture whose every pixel differs, five pixels wide so its rows are padded.
void MakeRamp(TBitmap& b, int width = 5, int height = 3) {
    b.SetPixelFormat(pf24bit);
    b.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                b.ScanLine(y)[3 * x + c] = uint8_t((x * 40 + y * 17 + c * 60) % 256);
}

TEST_F(ColorMapsTest, FiltersMapEveryPixelThroughItsComponentsMap) {
    TBitmap b, before;
    MakeRamp(b);
    MakeRamp(before);
    SetBrightLUT(127, 0);
    SetShiftLUT(-30, 1);
    SetGammaLUT(150, 2, false);
    ColorFilterBitmap(b);
    // Every pixel, the last row and the last column included; the row padding stays.
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            const uint8_t* was = before.ScanLine(y) + 3 * x;
            const uint8_t* now = b.ScanLine(y) + 3 * x;
            EXPECT_EQ(now[0], BlueMap[was[0]]) << x << "," << y;
            EXPECT_EQ(now[1], GreenMap[was[1]]) << x << "," << y;
            EXPECT_EQ(now[2], RedMap[was[2]]) << x << "," << y;
        }
        EXPECT_EQ(b.ScanLine(y)[15], before.ScanLine(y)[15]);
    }
}

TEST_F(ColorMapsTest, TheMirroredFilterActsOnTheHighlights) {
    ResetMaps();
    TBitmap b, before;
    MakeRamp(b);
    MakeRamp(before);
    NegColorFilterBitmap(b);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(0, std::memcmp(b.ScanLine(y), before.ScanLine(y), 15));

    for (int channel = 0; channel < 3; ++channel)
        SetBrightLUT(127, channel);
    TBitmap grey;
    grey.SetPixelFormat(pf24bit);
    grey.SetSize(2, 1);
    for (int c = 0; c < 3; ++c) {
        grey.ScanLine(0)[c] = 100;
        grey.ScanLine(0)[3 + c] = 200;
    }
    TBitmap brighter;
    brighter.Assign(&grey);
    NegColorFilterBitmap(grey);
    ColorFilterBitmap(brighter);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(grey.ScanLine(0)[c], 23);
        EXPECT_EQ(grey.ScanLine(0)[3 + c], 173);
        EXPECT_EQ(brighter.ScanLine(0)[c], 150);
        EXPECT_EQ(brighter.ScanLine(0)[3 + c], 255);
    }
}

TEST_F(ColorMapsTest, OnlyTwentyFourBitPicturesAreFiltered) {
    ResetMaps();
    for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf16bit, pf32bit}) {
        TBitmap b;
        b.SetPixelFormat(format);
        b.SetSize(7, 2);
        EXPECT_THROW(ColorFilterBitmap(b), EInvalidGraphic) << PixelFormatDepth(format);
        EXPECT_THROW(NegColorFilterBitmap(b), EInvalidGraphic) << PixelFormatDepth(format);
    }
    TBitmap empty;
    EXPECT_NO_THROW(ColorFilterBitmap(empty));
}

TEST(LabBlend, EqualInputsComeBackForEveryWeight) {
    for (int whole : {1, 24, 99, 100, 255, 999})
        for (int weight = 0; weight <= whole; ++weight)
            for (int v = 0; v < 256; v += 5)
                ASSERT_EQ(LabBlend(v, v, weight, whole), v) << v << " " << weight << "/" << whole;
    // The two-division form would give 99 here.
    EXPECT_EQ(LabBlend(100, 100, 50, 99), 100);
    // The ends of the weight give either input.
    EXPECT_EQ(LabBlend(10, 200, 255, 255), 10);
    EXPECT_EQ(LabBlend(10, 200, 0, 255), 200);
}

TEST(LabBlend, WhiteStaysWhiteUnderTheLuminanceWeights) {
    // The balance-gamma filter weighs a pixel by its luminance Y of 255: white
    // has Y = 254, and an identity curve must give white back.
    const int y = 255 * 3 / 10 + 255 * 6 / 10 + 255 / 10;
    ASSERT_EQ(y, 254);
    EXPECT_EQ(LabBlend(255, 255, y, 255), 255);
    for (int v = 0; v < 256; ++v) {
        const int luminance = v * 3 / 10 + v * 6 / 10 + v / 10;
        EXPECT_EQ(LabBlend(v, v, luminance, 255), v) << v;
    }
}

}  // namespace
