// Pixel converter: row conversions against an independent numpy computation of
// the conversion formulas, property checks, routine choice and palettes.
#include "imaging/vo_PixMgr.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace lumvor;

namespace {

std::vector<uint8_t> FromHex(const std::string& hex) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> parts;
    std::stringstream in(s);
    std::string part;
    while (std::getline(in, part, sep))
        parts.push_back(part);
    return parts;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (uint8_t b : bytes) {
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

TEST(PixelConverter, RowsMatchTheReferenceFormulas) {
    std::ifstream in(std::string(LUMVOR_FIXTURES) + "/pixmgr/reference.txt");
    ASSERT_TRUE(in.good());
    std::string line;
    int cases = 0;
    while (std::getline(in, line)) {
        if (line.empty())
            continue;
        std::istringstream fields(line);
        std::string name, planesHex, beforeHex, afterHex;
        int ss, ds, sb, db, opts, planeCount, count, mask;
        fields >> name >> ss >> ds >> sb >> db >> opts >> planeCount >> count >> mask >> planesHex >>
            beforeHex >> afterHex;
        SCOPED_TRACE(name);
        std::vector<std::vector<uint8_t>> planeData;
        for (const std::string& p : Split(planesHex, ':'))
            planeData.push_back(FromHex(p));
        std::vector<const uint8_t*> planes;
        for (auto& p : planeData)
            planes.push_back(p.data());

        TPixelConverter converter;
        converter.SetSourceColorSpace(static_cast<uint8_t>(ss));
        converter.SetDestColorSpace(static_cast<uint8_t>(ds));
        converter.SetSourceBitsPerSample(static_cast<uint8_t>(sb));
        converter.SetDestBitsPerSample(static_cast<uint8_t>(db));
        converter.SourceOptions = static_cast<uint8_t>(opts);
        std::vector<uint8_t> dest = FromHex(beforeHex);
        converter.Convert(planes, dest.data(), count, static_cast<uint8_t>(mask), planeCount);
        EXPECT_EQ(Hex(dest), afterHex);
        ++cases;
    }
    EXPECT_GT(cases, 30);
}

TEST(PixelConverter, DefaultsTurnInterleavedRgbIntoBgr) {
    TPixelConverter converter;
    const uint8_t src[] = {10, 20, 30};
    const uint8_t* planes[] = {src};
    uint8_t dest[3] = {};
    converter.Convert(planes, dest, 1, 0xFF, 1);
    EXPECT_EQ(dest[0], 30);
    EXPECT_EQ(dest[1], 20);
    EXPECT_EQ(dest[2], 10);
    EXPECT_EQ(converter.PlaneCount(), 1);
    EXPECT_FALSE(converter.Dirty());
}

TEST(PixelConverter, MaskSkipsDestinationPixelsButNotSourcePixels) {
    TPixelConverter converter;
    const uint8_t src[] = {1, 2, 3, 4, 5, 6};  // only the two selected pixels
    const uint8_t* planes[] = {src};
    std::vector<uint8_t> dest(24, 0xEE);
    converter.Convert(planes, dest.data(), 8, 0x88, 1);
    std::vector<uint8_t> expected(24, 0xEE);
    expected[0] = 3, expected[1] = 2, expected[2] = 1;
    expected[12] = 6, expected[13] = 5, expected[14] = 4;
    EXPECT_EQ(dest, expected);
}

TEST(PixelConverter, CmykAndLabCorners) {
    struct Case {
        uint8_t space, options;
        std::vector<uint8_t> pixel;
        std::vector<uint8_t> rgb;
    } cases[] = {
        {csCMYK, 0, {0, 0, 0, 255}, {0, 0, 0}},
        {csCMYK, 0, {255, 0, 0, 0}, {0, 255, 255}},
        {csCMYK, 0, {0, 0, 0, 0}, {255, 255, 255}},
        {csCIELab, coLabByteRange | coLabChromaOffset, {255, 128, 128}, {255, 255, 255}},
        {csCIELab, 0, {0, 0, 0}, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        TPixelConverter converter;
        converter.SetSourceColorSpace(c.space);
        converter.SetDestColorSpace(csRGB);
        converter.SourceOptions = c.options;
        const uint8_t* planes[] = {c.pixel.data()};
        std::vector<uint8_t> dest(3, 0x42);
        converter.Convert(planes, dest.data(), 1, 0xFF, 1);
        EXPECT_EQ(dest, c.rgb) << int(c.space) << " " << int(c.pixel[0]);
    }
}

TEST(PixelConverter, PropertiesAreValidated) {
    TPixelConverter converter;
    converter.SelectRowConverter();
    try {
        converter.SetSourceBitsPerSample(17);
        FAIL();
    } catch (const EColorConversionError& e) {
        EXPECT_EQ(e.Message(), "Invalid color depth.");
    }
    EXPECT_THROW(converter.SetDestBitsPerSample(0), EColorConversionError);
    EXPECT_EQ(converter.SourceBitsPerSample(), 8);
    EXPECT_FALSE(converter.Dirty());
    try {
        converter.SetDestSamples(5);
        FAIL();
    } catch (const EColorConversionError& e) {
        EXPECT_EQ(e.Message(), "Invalid pixel depth and target samples.");
    }
    EXPECT_THROW(converter.SetSourceSamples(0), EColorConversionError);
    EXPECT_EQ(converter.DestSamples(), 3);
    converter.SetSourceBitsPerSample(8);  // unchanged value keeps the routine
    EXPECT_FALSE(converter.Dirty());
    converter.SetSourceBitsPerSample(16);
    EXPECT_TRUE(converter.Dirty());
}

TEST(PixelConverter, RefusedCombinations) {
    const uint8_t src[16] = {};
    const uint8_t* planes[] = {src, src, src, src};
    uint8_t dest[16] = {};
    struct Case {
        uint8_t source, dest, sourceBits, destBits;
        const char* message;
    } cases[] = {
        {csG, csBGR, 8, 8, "Indexed and non-indexed conversion not supported."},
        {csRGB, csIndexed, 8, 8, "Indexed and non-indexed conversion not supported."},
        {csGA, csBGRA, 8, 8, "Indexed and non-indexed conversion not supported."},
        {csReserved, csBGR, 8, 8, "Color conversion failed."},
        {csRGB, csCMYK, 8, 8, "Color conversion failed."},
        {csG, csG, 16, 4, "Color conversion failed."},
        {csGA, csG, 8, 4, "Color conversion failed."},
    };
    for (const Case& c : cases) {
        TPixelConverter converter;
        converter.SetSourceColorSpace(c.source);
        converter.SetDestColorSpace(c.dest);
        converter.SetSourceBitsPerSample(c.sourceBits);
        converter.SetDestBitsPerSample(c.destBits);
        try {
            converter.Convert(planes, dest, 1, 0xFF, 1);
            ADD_FAILURE() << c.message;
        } catch (const EColorConversionError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        // A refused mix keeps the converter dirty; a missing routine does not.
        EXPECT_EQ(converter.Dirty(), std::string(c.message).starts_with("Indexed"));
    }
}

TEST(PixelConverter, OddWidthsLeaveColourRowsUntouched) {
    TPixelConverter converter;
    converter.SetSourceBitsPerSample(5);
    const uint8_t src[3] = {1, 2, 3};
    const uint8_t* planes[] = {src};
    std::vector<uint8_t> dest(3, 0x99);
    converter.Convert(planes, dest.data(), 1, 0xFF, 1);
    EXPECT_EQ(dest, std::vector<uint8_t>(3, 0x99));
}

TEST(PixelConverter, TooFewPlanesAreRefusedRatherThanRead) {
    TPixelConverter converter;
    converter.SetSourceColorSpace(csCMYK);
    const uint8_t src[4] = {};
    const uint8_t* planes[] = {src, src, src};
    uint8_t dest[3];
    EXPECT_THROW(converter.Convert(std::span<const uint8_t* const>(planes, 3), dest, 1, 0xFF, 4),
                 EColorConversionError);
}

TEST(PixelConverter, PixelFormatForEachSide) {
    struct Case {
        uint8_t samples, bits;
        TPixelFormat format;
    } cases[] = {
        {1, 1, pf1bit},  {1, 2, pf4bit},   {1, 4, pf4bit},   {1, 6, pfCustom}, {1, 8, pf8bit},
        {1, 16, pf8bit}, {3, 5, pf15bit},  {3, 6, pf24bit},  {3, 16, pf24bit}, {4, 8, pf32bit},
        {4, 7, pfCustom}, {2, 8, pfCustom},
    };
    for (const Case& c : cases) {
        TPixelConverter converter;
        converter.SetDestSamples(c.samples);
        converter.SetDestBitsPerSample(c.bits);
        EXPECT_EQ(converter.PixelFormatFor(1), c.format) << int(c.samples) << "x" << int(c.bits);
        EXPECT_EQ(converter.PixelFormatFor(0), pf24bit);
    }
}

std::vector<int> Greys(const HPALETTE& palette) {
    std::vector<int> levels;
    for (const PALETTEENTRY& e : palette->Entries) {
        EXPECT_EQ(e.peRed, e.peGreen);
        EXPECT_EQ(e.peRed, e.peBlue);
        levels.push_back(e.peRed);
    }
    return levels;
}

TEST(PixelConverter, GreyPalettes) {
    TPixelConverter converter;
    converter.SetDestSamples(1);
    converter.SetDestBitsPerSample(4);
    std::vector<int> ascending;
    for (int i = 0; i < 16; ++i)
        ascending.push_back(i * 17);
    EXPECT_EQ(Greys(converter.CreateGrayPalette(false)), ascending);
    EXPECT_EQ(Greys(converter.CreateGrayPalette(true)),
              std::vector<int>(ascending.rbegin(), ascending.rend()));
    converter.SetDestBitsPerSample(16);  // capped at 256 entries
    std::vector<int> levels = Greys(converter.CreateGrayPalette(false));
    ASSERT_EQ(levels.size(), 256u);
    EXPECT_EQ(levels[200], 200);
    converter.SetDestBitsPerSample(1);
    converter.SetDestSamples(3);  // 3 bits: 8 entries, step 36
    EXPECT_EQ(Greys(converter.CreateGrayPalette(false)),
              (std::vector<int>{0, 36, 72, 108, 144, 180, 216, 252}));
}

TEST(PixelConverter, PalettesFromColourMaps) {
    auto rgbOf = [](const HPALETTE& p, int i) {
        const PALETTEENTRY& e = p->Entries.at(static_cast<size_t>(i));
        return std::vector<int>{e.peRed, e.peGreen, e.peBlue};
    };
    TPixelConverter converter;
    const uint8_t triples[] = {1, 2, 3, 4, 5, 6};
    const uint8_t* one[] = {triples};
    HPALETTE p = converter.CreatePaletteFromMap(one, 2, 0, false);
    ASSERT_EQ(p->Entries.size(), 2u);
    EXPECT_EQ(rgbOf(p, 1), (std::vector<int>{4, 5, 6}));
    p = converter.CreatePaletteFromMap(one, 2, 0, true);
    EXPECT_EQ(rgbOf(p, 0), (std::vector<int>{3, 2, 1}));

    const uint8_t quads[] = {9, 8, 7, 0, 6, 5, 4, 0};
    const uint8_t* q[] = {quads};
    EXPECT_EQ(rgbOf(converter.CreatePaletteFromMap(q, 2, 1, false), 1), (std::vector<int>{6, 5, 4}));

    const uint8_t reds[] = {10, 11}, greens[] = {20, 21}, blues[] = {30, 31};
    const uint8_t* separate[] = {reds, greens, blues};
    EXPECT_EQ(rgbOf(converter.CreatePaletteFromMap(separate, 2, 2, true), 1),
              (std::vector<int>{11, 21, 31}));

    // 16-bit words, high byte first when asked.
    converter.SourceOptions = coBigEndian;
    const uint8_t words[] = {0xFF, 0xFF, 0x80, 0x00, 0x00, 0x00};
    const uint8_t* w[] = {words};
    EXPECT_EQ(rgbOf(converter.CreatePaletteFromMap(w, 1, 4, false), 0),
              (std::vector<int>{255, 127, 0}));
    // Map counts are capped at 256 entries; unknown layouts leave black entries.
    std::vector<uint8_t> big(3 * 300, 7);
    const uint8_t* b[] = {big.data()};
    converter.SourceOptions = 0;
    EXPECT_EQ(converter.CreatePaletteFromMap(b, 300, 0, false)->Entries.size(), 256u);
    EXPECT_EQ(rgbOf(converter.CreatePaletteFromMap(b, 3, 9, false), 2), (std::vector<int>{0, 0, 0}));
}

TEST(PixelConverter, PaletteSpreadsOverTheDestinationRange) {
    TPixelConverter converter;
    converter.SetSourceBitsPerSample(1);
    converter.SetDestBitsPerSample(2);
    const uint8_t map[] = {0, 0, 0, 255, 255, 255};
    const uint8_t* one[] = {map};
    HPALETTE p = converter.CreatePaletteFromMap(one, 2, 0, false);
    ASSERT_EQ(p->Entries.size(), 4u);
    // Entry i takes entry i x 1 div 3: black, black, black, white.
    EXPECT_EQ(p->Entries[2].peRed, 0);
    EXPECT_EQ(p->Entries[3].peRed, 255);
    // Gathering from a wider index range never reads past the map.
    converter.SetSourceBitsPerSample(16);
    converter.SetDestBitsPerSample(8);
    p = converter.CreatePaletteFromMap(one, 2, 0, false);
    ASSERT_EQ(p->Entries.size(), 256u);
    EXPECT_EQ(p->Entries[0].peRed, 0);
    EXPECT_EQ(p->Entries[255].peRed, 0);
}

}  // namespace
