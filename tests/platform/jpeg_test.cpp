// The JPEG image: decoded pixels against djpeg, header facts, the reduction
// rules, the error codes the callers test, the embedded-preview and plain
// readers, encoding checked with djpeg, ImageMagick, exiftool and rdjpgcom,
// eight objects on eight threads, and hostile input.
#include "platform/Jpeg.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern "C" {
#include <jpeglib.h>
#include <jerror.h>
}

using namespace lumvor;

namespace {

const std::string kDir = std::string(LUMVOR_FIXTURES) + "/jpeg/";

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> Fixture(const std::string& name) { return ReadFile(kDir + name); }

TMemoryStream StreamOf(const std::vector<uint8_t>& bytes) {
    TMemoryStream s;
    if (!bytes.empty())
        s.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    s.SetPosition(0);
    return s;
}

void LoadBytes(TJPEGImage& jpeg, const std::vector<uint8_t>& bytes) {
    TMemoryStream s = StreamOf(bytes);
    jpeg.LoadFromStream(s);
}

// A binary PNM (P5 grey or P6 colour) as written by djpeg.
struct Pnm {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<uint8_t> pixels;
};

Pnm ParsePnm(const std::vector<uint8_t>& bytes) {
    Pnm p;
    std::string text(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), 64));
    std::istringstream in(text);
    std::string magic;
    int maxval = 0;
    in >> magic >> p.width >> p.height >> maxval;
    p.channels = magic == "P6" ? 3 : 1;
    const size_t header = static_cast<size_t>(in.tellg()) + 1;
    p.pixels.assign(bytes.begin() + static_cast<std::ptrdiff_t>(header), bytes.end());
    return p;
}

// The bitmap's pixel (x, y) as red, green, blue.
void PixelRgb(TBitmap& bmp, int x, int y, uint8_t rgb[3]) {
    const uint8_t* row = bmp.ScanLine(y);
    if (bmp.PixelFormat() == pf8bit) {
        const uint32_t c = bmp.CanvasPixels()->ColorTable.at(row[x]);
        rgb[0] = static_cast<uint8_t>(c >> 16);
        rgb[1] = static_cast<uint8_t>(c >> 8);
        rgb[2] = static_cast<uint8_t>(c);
    } else {
        rgb[0] = row[x * 3 + 2];
        rgb[1] = row[x * 3 + 1];
        rgb[2] = row[x * 3];
    }
}

// Compares the bitmap's first `rows` rows (all when -1) with a djpeg output.
::testing::AssertionResult SamePixels(TBitmap& bmp, const Pnm& want, int rows = -1) {
    if (bmp.Width() != want.width || bmp.Height() != want.height)
        return ::testing::AssertionFailure() << "size " << bmp.Width() << "x" << bmp.Height()
                                             << ", want " << want.width << "x" << want.height;
    if (rows < 0)
        rows = want.height;
    int differing = 0;
    std::ostringstream first;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < want.width; ++x) {
            uint8_t got[3];
            PixelRgb(bmp, x, y, got);
            const uint8_t* w = &want.pixels[(static_cast<size_t>(y) * want.width + x) * want.channels];
            const uint8_t exp[3] = {w[0], w[want.channels == 3 ? 1 : 0], w[want.channels == 3 ? 2 : 0]};
            if (got[0] != exp[0] || got[1] != exp[1] || got[2] != exp[2]) {
                if (differing++ == 0)
                    first << "first at (" << x << "," << y << "): got " << int(got[0]) << ","
                          << int(got[1]) << "," << int(got[2]) << " want " << int(exp[0]) << ","
                          << int(exp[1]) << "," << int(exp[2]);
            }
        }
    if (differing)
        return ::testing::AssertionFailure() << differing << " pixels differ; " << first.str();
    return ::testing::AssertionSuccess();
}

// Output of a shell command.
std::string RunTool(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    pclose(pipe);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

// Bytes from a fixed seed that hold neither an SOI marker nor "JFIF".
std::vector<uint8_t> Garbage(size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(count);
    for (auto& b : bytes)
        b = static_cast<uint8_t>(random() % 0xF0);  // never 0xFF
    return bytes;
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The file without its segments of the given marker.
std::vector<uint8_t> WithoutSegments(const std::vector<uint8_t>& f, uint8_t which) {
    std::vector<uint8_t> out(f.begin(), f.begin() + 2);
    size_t p = 2;
    while (p + 4 <= f.size()) {
        const uint8_t marker = f[p + 1];
        const size_t length = (size_t(f[p + 2]) << 8) | f[p + 3];
        if (marker == 0xDA) {
            out.insert(out.end(), f.begin() + static_cast<std::ptrdiff_t>(p), f.end());
            break;
        }
        if (marker != which)
            out.insert(out.end(), f.begin() + static_cast<std::ptrdiff_t>(p),
                       f.begin() + static_cast<std::ptrdiff_t>(p + 2 + length));
        p += 2 + length;
    }
    return out;
}

// The file with its SOF0 marker replaced by another frame type.
std::vector<uint8_t> WithSofType(std::vector<uint8_t> f, uint8_t type) {
    for (size_t p = 2; p + 1 < f.size(); ++p)
        if (f[p] == 0xFF && f[p + 1] == 0xC0) {
            f[p + 1] = type;
            break;
        }
    return f;
}

// The file with the size in its frame header replaced.
std::vector<uint8_t> WithSize(std::vector<uint8_t> f, int width, int height) {
    for (size_t p = 2; p + 9 < f.size(); ++p)
        if (f[p] == 0xFF && (f[p + 1] == 0xC0 || f[p + 1] == 0xC2)) {
            f[p + 5] = static_cast<uint8_t>(height >> 8);
            f[p + 6] = static_cast<uint8_t>(height);
            f[p + 7] = static_cast<uint8_t>(width >> 8);
            f[p + 8] = static_cast<uint8_t>(width);
            break;
        }
    return f;
}

// A baseline file whose scan data meets a marker libjpeg does not know near its end.
std::vector<uint8_t> WithUnknownMarker() {
    std::vector<uint8_t> f = Fixture("medium.jpg");
    const size_t at = f.size() - 40;
    f[at] = 0xFF;
    f[at + 1] = 0x02;
    return f;
}

struct DecodeCase {
    const char* file;
    TJPEGPerformance performance;
    TJPEGScale scale;
    const char* expected;
};

class JpegDecode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(JpegDecode, PixelsEqualDjpegAtTheSameScaleAndDctMethod) {
    const DecodeCase& c = GetParam();
    TJPEGImage jpeg;
    jpeg.SetPerformance(c.performance);
    jpeg.SetScale(c.scale);
    jpeg.LoadFromFile(kDir + c.file);
    TBitmap bmp;
    jpeg.DecodeInto(bmp);
    const Pnm want = ParsePnm(Fixture(c.expected));
    EXPECT_EQ(bmp.PixelFormat(), want.channels == 1 ? pf8bit : pf24bit);
    EXPECT_TRUE(SamePixels(bmp, want));
    EXPECT_EQ(jpeg.LastJpegError(), 0);
    EXPECT_EQ(jpeg.WarningCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Files, JpegDecode,
    ::testing::Values(
        DecodeCase{"baseline_420.jpg", jpBestQuality, jsFullSize, "baseline_420.islow.pnm"},
        DecodeCase{"baseline_444.jpg", jpBestQuality, jsFullSize, "baseline_444.islow.pnm"},
        DecodeCase{"progressive.jpg", jpBestQuality, jsFullSize, "progressive.islow.pnm"},
        DecodeCase{"grey.jpg", jpBestQuality, jsFullSize, "grey.islow.pnm"},
        DecodeCase{"cmyk.jpg", jpBestQuality, jsFullSize, "cmyk.islow.pnm"},
        DecodeCase{"grey.jpg", jpBestSpeed, jsFullSize, "grey.fast.pnm"},
        DecodeCase{"baseline_420.jpg", jpBestSpeed, jsHalf, "baseline_420.fast.s2.pnm"},
        DecodeCase{"baseline_420.jpg", jpBestSpeed, jsQuarter, "baseline_420.fast.s4.pnm"},
        DecodeCase{"baseline_420.jpg", jpBestSpeed, jsEighth, "baseline_420.fast.s8.pnm"},
        DecodeCase{"baseline_420.jpg", jpBestSpeed, jsSixteenth, "baseline_420.fast.s8.pnm"},
        DecodeCase{"progressive.jpg", jpBestSpeed, jsHalf, "progressive.fast.s2.pnm"}),
    [](const ::testing::TestParamInfo<DecodeCase>& info) {
        std::string name = info.param.file;
        name = name.substr(0, name.find('.'));
        name += info.param.performance == jpBestSpeed ? "_fast" : "_islow";
        name += "_scale" + std::to_string(static_cast<int>(info.param.scale));
        return name;
    });

TEST(Jpeg, GreyFilesDecodeToEightBitsWithAGreyRamp) {
    TJPEGImage jpeg;
    jpeg.LoadFromFile(kDir + "grey.jpg");
    EXPECT_EQ(jpeg.BitCount(), 8);
    TBitmap bmp;
    jpeg.DecodeInto(bmp);
    ASSERT_EQ(bmp.PixelFormat(), pf8bit);
    const auto& table = bmp.CanvasPixels()->ColorTable;
    ASSERT_EQ(table.size(), 256u);
    for (uint32_t i = 0; i < 256; ++i)
        EXPECT_EQ(table[i], i * 0x010101u);
    // The grey option gives a colour file the same 8-bit form.
    TJPEGImage colour;
    colour.SetGrayscale(true);
    colour.LoadFromFile(kDir + "baseline_420.jpg");
    EXPECT_EQ(colour.BitCount(), 24);
    colour.DecodeInto(bmp);
    EXPECT_EQ(bmp.PixelFormat(), pf8bit);
}

TEST(Jpeg, EightBitColourOutputEqualsDjpegOrderedDither) {
    TJPEGImage jpeg;
    jpeg.SetPixelFormat(jf8Bit);
    jpeg.SetPerformance(jpBestSpeed);
    jpeg.SetScale(jsQuarter);
    jpeg.SetDecodeLimits(0, 0, 0, 0, 0);
    jpeg.LoadFromFile(kDir + "medium.jpg");
    TBitmap bmp;
    jpeg.DecodeInto(bmp);
    EXPECT_EQ(bmp.PixelFormat(), pf8bit);
    EXPECT_TRUE(SamePixels(bmp, ParsePnm(Fixture("medium.fast.s4.ordered256.pnm"))));
}

TEST(Jpeg, HeaderReadsAloneAndGivesTheScaledSize) {
    TJPEGImage jpeg;
    jpeg.LoadFromFile(kDir + "big_4000x3000.jpg");
    EXPECT_EQ(jpeg.Width(), 4000);
    EXPECT_EQ(jpeg.Height(), 3000);
    EXPECT_EQ(jpeg.BitCount(), 8);  // a plain grey picture, stored as a grey JPEG
    const struct {
        TJPEGScale scale;
        int w, h;
    } cases[] = {{jsFullSize, 4000, 3000}, {jsHalf, 2000, 1500}, {jsQuarter, 1000, 750},
                 {jsEighth, 500, 375}, {jsSixteenth, 500, 375}};
    for (const auto& c : cases) {
        jpeg.SetScale(c.scale);
        EXPECT_EQ(jpeg.ScaledWidth(), c.w) << c.scale;
        EXPECT_EQ(jpeg.ScaledHeight(), c.h) << c.scale;
    }
    // libjpeg rounds reduced sizes up: 70 x 46 at one eighth is 9 x 6.
    TJPEGImage small;
    small.SetScale(jsEighth);
    small.LoadFromFile(kDir + "baseline_420.jpg");
    EXPECT_EQ(small.ScaledWidth(), 9);
    EXPECT_EQ(small.ScaledHeight(), 6);
}

TEST(Jpeg, DecodeToBitmapHalvesByTheThreeQuarterRule) {
    const struct {
        const char* file;
        int targetW, targetH;
        int w, h;
    } cases[] = {
        {"big_4000x3000.jpg", 168, 126, 500, 375},  // six halvings wanted, one eighth served
        {"big_4000x3000.jpg", 336, 252, 500, 375},  // four halvings wanted
        {"medium.jpg", 336, 252, 240, 180},         // 240 <= 252 and 180 <= 189: none
        {"medium.jpg", 168, 126, 120, 90},          // one halving
        {"medium.jpg", 80, 60, 60, 45},             // two halvings
    };
    for (const auto& c : cases) {
        TJPEGImage jpeg;
        jpeg.SetPerformance(jpBestSpeed);
        jpeg.LoadFromFile(kDir + c.file);
        jpeg.SetDecodeLimits(32000, 32000, c.targetW, c.targetH, 2);
        TBitmap bmp;
        jpeg.DecodeToBitmap(bmp);
        EXPECT_EQ(bmp.Width(), c.w) << c.file << " " << c.targetW;
        EXPECT_EQ(bmp.Height(), c.h) << c.file << " " << c.targetW;
        if (std::string(c.file) == "medium.jpg" && c.w == 60) {
            EXPECT_TRUE(SamePixels(bmp, ParsePnm(Fixture("medium.fast.s4.pnm"))));
        }
    }
    // Both sides above the maxima: nothing is decoded.
    TJPEGImage jpeg;
    jpeg.LoadFromFile(kDir + "big_4000x3000.jpg");
    jpeg.SetDecodeLimits(3000, 2000, 336, 252, 2);
    TBitmap bmp;
    jpeg.DecodeToBitmap(bmp);
    EXPECT_TRUE(bmp.Empty());
}

TEST(Jpeg, ErrorCodesTheCallersTest) {
    const std::vector<uint8_t> good = Fixture("baseline_420.jpg");
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        int code;
    } cases[] = {
        {"no SOI (not a JPEG file)", Garbage(5000, 1), jpegcode::NotJpeg},
        {"empty input", {}, 41},
        {"no quantisation table", WithoutSegments(good, 0xDB), 51},
        {"unsupported process (lossless SOF3)", WithSofType(good, 0xC3), 59},
        {"two SOI markers", Concat({0xFF, 0xD8}, good), 60},
        {"picture too large to hold", WithSize(good, 60000, 60000), 40},
    };
    for (const auto& c : cases) {
        TJPEGImage jpeg;
        try {
            LoadBytes(jpeg, c.bytes);
            TBitmap bmp;
            jpeg.DecodeInto(bmp);
            ADD_FAILURE() << c.what << ": no error";
        } catch (const EJPEG& e) {
            EXPECT_FALSE(std::string(e.what()).empty());
        }
        EXPECT_EQ(jpeg.LastJpegError(), c.code) << c.what;
        // A fresh load resets the code.
        jpeg.LoadFromFile(kDir + "baseline_420.jpg");
        EXPECT_EQ(jpeg.LastJpegError(), 0) << c.what;
    }
    // A progressive picture keeps the coefficients of the whole picture even
    // when reduced; beyond libjpeg's memory cap it fails ("Backing store not
    // supported") instead of allocating gigabytes.
    TJPEGImage huge;
    huge.SetScale(jsEighth);
    LoadBytes(huge, WithSize(Fixture("progressive.jpg"), 65000, 65000));
    TBitmap bmp;
    EXPECT_THROW(huge.DecodeInto(bmp), EJPEG);
    EXPECT_EQ(huge.LastJpegError(), 48);
}

TEST(Jpeg, CodeTableMapsLibraryCodesOntoTheOlderNumbering) {
    EXPECT_EQ(jpegcode::FromLibrary(JERR_NO_SOI), 52);
    EXPECT_EQ(jpegcode::FromLibrary(JERR_UNKNOWN_MARKER), 67);
    EXPECT_EQ(jpegcode::FromLibrary(JERR_TOO_LITTLE_DATA), 66);
    EXPECT_EQ(jpegcode::FromLibrary(JERR_NO_QUANT_TABLE), 51);  // libjpeg-turbo's own 52
    EXPECT_EQ(jpegcode::FromLibrary(JERR_BAD_COMPONENT_ID), 5);
    EXPECT_EQ(jpegcode::FromLibrary(JERR_XMS_WRITE), 71);
    // The encoder-only check that the older release lacks is kept apart.
    EXPECT_GE(jpegcode::FromLibrary(JERR_BAD_DCT_COEF), 1000);
    // Every fatal code maps to a distinct number in 0..71.
    std::vector<int> seen;
    for (int code = 0; code <= JERR_XMS_WRITE; ++code) {
        if (code == JERR_BAD_DCT_COEF)
            continue;
        const int mapped = jpegcode::FromLibrary(code);
        EXPECT_LE(mapped, 71) << code;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), mapped), 0) << code;
        seen.push_back(mapped);
    }
    EXPECT_EQ(seen.size(), 72u);
}

TEST(Jpeg, UnknownMarkerInTheScanKeepsTheDecodedRowsAndGives67) {
    const std::vector<uint8_t> bytes = WithUnknownMarker();
    TJPEGImage jpeg;
    jpeg.SetPerformance(jpBestSpeed);
    jpeg.SetScale(jsQuarter);
    LoadBytes(jpeg, bytes);
    EXPECT_EQ(jpeg.LastJpegError(), 0);
    TBitmap bmp;
    EXPECT_THROW(jpeg.DecodeInto(bmp), EJPEG);
    EXPECT_EQ(jpeg.LastJpegError(), jpegcode::UnknownMarker);
    // The damage sits near the end: the top rows are those of the clean file.
    EXPECT_TRUE(SamePixels(bmp, ParsePnm(Fixture("medium.fast.s4.pnm")), 30));

    // In retry mode the same decode records the code without raising.
    TJPEGImage retry;
    retry.SetRetryRead(true);
    LoadBytes(retry, bytes);
    EXPECT_NO_THROW(retry.DecodeInto(bmp));
    EXPECT_EQ(retry.LastJpegError(), jpegcode::UnknownMarker);
    EXPECT_EQ(bmp.Width(), 240);
}

TEST(Jpeg, TruncatedFileDecodesWhatItCanWithWarnings) {
    const std::vector<uint8_t> good = Fixture("medium.jpg");
    std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() * 6 / 10));
    TJPEGImage jpeg;
    jpeg.SetPerformance(jpBestSpeed);
    jpeg.SetScale(jsQuarter);
    LoadBytes(jpeg, cut);
    TBitmap bmp;
    jpeg.DecodeInto(bmp);
    EXPECT_EQ(jpeg.LastJpegError(), 0);
    EXPECT_GT(jpeg.WarningCount(), 0);
    EXPECT_TRUE(SamePixels(bmp, ParsePnm(Fixture("medium.fast.s4.pnm")), 20));
}

TEST(Jpeg, PlainReaderSkipsLeadingBytesUpToTheJfifSignature) {
    const std::vector<uint8_t> jpegBytes = Fixture("medium.jpg");
    const std::vector<uint8_t> prefixed = Concat(Garbage(10000, 2), jpegBytes);
    TJPEGImage jpeg;
    jpeg.SetPerformance(jpBestSpeed);
    jpeg.SetScale(jsQuarter);
    EXPECT_THROW(LoadBytes(jpeg, prefixed), EJPEG);
    EXPECT_EQ(jpeg.LastJpegError(), jpegcode::NotJpeg);

    // What the callers do after code 52: a fresh object in plain-read mode.
    TJPEGImage plain;
    plain.SetPlainRead(true);
    plain.SetPerformance(jpBestSpeed);
    plain.SetScale(jsQuarter);
    LoadBytes(plain, prefixed);
    EXPECT_EQ(plain.LastJpegError(), 0);
    TBitmap bmp;
    plain.DecodeInto(bmp);
    EXPECT_TRUE(SamePixels(bmp, ParsePnm(Fixture("medium.fast.s4.pnm"))));

    // The signature is looked for only in the first half, at most 44,000
    // bytes: 60 KB of garbage before the file is beyond it. The retry mode of
    // the image window finds the SOI marker anywhere.
    const std::vector<uint8_t> far = Concat(Garbage(60000, 3), Fixture("with_preview.jpg"));
    TJPEGImage plainFar;
    plainFar.SetPlainRead(true);
    EXPECT_THROW(LoadBytes(plainFar, far), EJPEG);
    EXPECT_EQ(plainFar.LastJpegError(), jpegcode::NotJpeg);
    TJPEGImage retry;
    retry.SetRetryRead(true);
    LoadBytes(retry, far);
    EXPECT_EQ(retry.Width(), 480);
    EXPECT_EQ(retry.Height(), 360);
}

TEST(Jpeg, EmbeddedPreviewIsTakenFromLargeFiles) {
    const std::vector<uint8_t> bytes = Fixture("with_preview.jpg");
    ASSERT_GE(bytes.size(), 112000u);
    TJPEGImage jpeg;
    LoadBytes(jpeg, bytes);
    EXPECT_EQ(jpeg.Width(), 480);
    EXPECT_FALSE(jpeg.PreviewTaken());

    jpeg.SetEmbeddedPreview(true);
    jpeg.SetPerformance(jpBestSpeed);
    jpeg.SetScale(jsQuarter);
    LoadBytes(jpeg, bytes);
    EXPECT_TRUE(jpeg.PreviewTaken());
    EXPECT_EQ(jpeg.Width(), 160);
    EXPECT_EQ(jpeg.Height(), 120);
    TBitmap bmp;
    jpeg.DecodeInto(bmp);
    EXPECT_TRUE(SamePixels(bmp, ParsePnm(Fixture("with_preview.thumb.fast.s4.pnm"))));

    // Files below 112,000 bytes are read whole.
    TJPEGImage small;
    small.SetEmbeddedPreview(true);
    small.LoadFromFile(kDir + "medium.jpg");
    EXPECT_FALSE(small.PreviewTaken());
    EXPECT_EQ(small.Width(), 240);

    // A preview that cannot be read gives 666.
    std::vector<uint8_t> broken = bytes;
    const size_t at = 202;  // the preview's SOI
    ASSERT_EQ(broken[at + 1], 0xD8);
    broken[at + 3] = 0xD8;  // a second SOI right after the first
    TJPEGImage bad;
    bad.SetEmbeddedPreview(true);
    EXPECT_THROW(LoadBytes(bad, broken), EJPEG);
    EXPECT_EQ(bad.LastJpegError(), jpegcode::PreviewFailed);
    EXPECT_FALSE(bad.PreviewTaken());
}

TEST(Jpeg, LoadsFromTheStreamPosition) {
    const std::vector<uint8_t> bytes = Concat(Garbage(777, 4), Fixture("baseline_420.jpg"));
    TMemoryStream s = StreamOf(bytes);
    s.SetPosition(777);
    TJPEGImage jpeg;
    jpeg.LoadFromStream(s);
    EXPECT_EQ(jpeg.Width(), 70);
    EXPECT_EQ(jpeg.Height(), 46);
}

TEST(Jpeg, ProgressIsReportedInStepsOfFiveAndDrawnIntoTheRectangle) {
    TJPEGImage jpeg;
    jpeg.LoadFromFile(kDir + "medium.jpg");
    std::vector<int> steps;
    jpeg.OnProgress = [&](int p) { steps.push_back(p); };
    TBitmap bar;
    bar.SetSize(120, 10);
    bar.Canvas().Brush.Color = clWhite;
    bar.Canvas().FillRect(Rect(0, 0, 120, 10));
    bar.Canvas().Brush.Color = clRed;
    TBitmap bmp;
    jpeg.DecodeInto(bmp, &bar.Canvas(), Rect(10, 2, 110, 8));
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.back(), 100);
    for (size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(steps[i] % 5, 0);
        if (i > 0) {
            EXPECT_GT(steps[i], steps[i - 1]);
        }
    }
    EXPECT_EQ(bar.Canvas().GetPixel(10, 2), clRed);
    EXPECT_EQ(bar.Canvas().GetPixel(109, 7), clRed);
    EXPECT_EQ(bar.Canvas().GetPixel(110, 7), clWhite);
    EXPECT_EQ(bar.Canvas().GetPixel(50, 1), clWhite);
}

TEST(Jpeg, EightObjectsOnEightThreadsKeepTheirOwnErrorCodes) {
    const std::vector<uint8_t> good = Fixture("baseline_420.jpg");
    const std::vector<std::vector<uint8_t>> inputs = {
        good,
        Fixture("baseline_444.jpg"),
        Fixture("progressive.jpg"),
        Fixture("grey.jpg"),
        Garbage(4000, 5),                 // 52
        Fixture("cmyk.jpg"),
        WithoutSegments(good, 0xDB),      // 51
        Fixture("medium.jpg"),
    };
    const int expected[] = {0, 0, 0, 0, jpegcode::NotJpeg, 0, 51, 0};
    // Reference pixels decoded one at a time.
    std::vector<std::vector<uint8_t>> reference(inputs.size());
    for (size_t i = 0; i < inputs.size(); ++i) {
        if (expected[i] != 0)
            continue;
        TJPEGImage jpeg;
        LoadBytes(jpeg, inputs[i]);
        TBitmap bmp;
        jpeg.DecodeInto(bmp);
        reference[i].assign(bmp.ScanLine(0), bmp.ScanLine(0) + bmp.RowBytes() * bmp.Height());
    }
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (size_t i = 0; i < inputs.size(); ++i)
        threads.emplace_back([&, i] {
            TJPEGImage jpeg;
            for (int round = 0; round < 25; ++round) {
                TBitmap bmp;
                try {
                    LoadBytes(jpeg, inputs[i]);
                    jpeg.DecodeInto(bmp);
                } catch (const EJPEG&) {
                }
                if (jpeg.LastJpegError() != expected[i])
                    ++failures;
                if (expected[i] == 0 &&
                    !std::equal(reference[i].begin(), reference[i].end(), bmp.ScanLine(0)))
                    ++failures;
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(failures.load(), 0);
}

TEST(Jpeg, HostileInputNeverCrashesOrHangs) {
    for (const char* name : {"baseline_420.jpg", "progressive.jpg", "grey.jpg", "cmyk.jpg"}) {
        const std::vector<uint8_t> good = Fixture(name);
        std::vector<std::vector<uint8_t>> cases;
        for (size_t len : {size_t(0), size_t(1), size_t(2), size_t(3), size_t(20), size_t(100),
                           size_t(200), good.size() / 3, good.size() / 2, good.size() - 3})
            cases.emplace_back(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(std::min(len, good.size())));
        std::mt19937 random(42);
        for (int i = 0; i < 60; ++i) {
            std::vector<uint8_t> bad = good;
            for (int k = 0; k < 1 + i % 4; ++k)
                bad[random() % bad.size()] = static_cast<uint8_t>(random());
            cases.push_back(std::move(bad));
        }
        for (const auto& bytes : cases) {
            for (TJPEGPixelFormat format : {jf24Bit, jf8Bit}) {
                TJPEGImage jpeg;
                jpeg.SetPixelFormat(format);
                TBitmap bmp;
                try {
                    LoadBytes(jpeg, bytes);
                    jpeg.DecodeInto(bmp);
                } catch (const EJPEG&) {
                    EXPECT_NE(jpeg.LastJpegError(), 0);
                }
            }
        }
    }
}

// --- encoding ---------------------------------------------------------------

class JpegEncode : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        TJPEGImage source;
        source.LoadFromFile(kDir + "medium.jpg");
        source.DecodeInto(picture_);
    }
    std::string Path(const char* name) { return dir_.filePath(name).toStdString(); }
    std::string Tag(const std::string& file, const char* tag) {
        return RunTool("exiftool -s3 -" + std::string(tag) + " '" + file + "'");
    }

    QTemporaryDir dir_;
    TBitmap picture_;
};

TEST_F(JpegEncode, ToolsReadBackQualityProgressionGreyAndSampling) {
    const struct {
        const char* name;
        TJPEGEncodeOptions options;
        int quality;  // as ImageMagick estimates it from the tables
        const char* process;
        int components;
        const char* sampling;
    } cases[] = {
        {"q75.jpg", {75, false, false, false, false, jdIntegerSlow, true, 0}, 75,
         "Baseline DCT, Huffman coding", 3, "YCbCr4:2:0 (2 2)"},
        {"q40p.jpg", {40, false, true, false, false, jdIntegerSlow, true, 0}, 40,
         "Progressive DCT, Huffman coding", 3, "YCbCr4:2:0 (2 2)"},
        {"q90g.jpg", {90, false, false, true, false, jdIntegerSlow, true, 0}, 90,
         "Baseline DCT, Huffman coding", 1, ""},
        // Linear scale 50 % is the standard quality 75; no subsampling.
        {"lin50.jpg", {50, true, false, false, true, jdFloat, false, 10}, 75,
         "Baseline DCT, Huffman coding", 3, "YCbCr4:4:4 (1 1)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TJPEGImage jpeg;
        jpeg.Assign(picture_);
        jpeg.Compress(c.options);
        const std::string file = Path(c.name);
        jpeg.SaveToFile(file);
        EXPECT_EQ(RunTool("/usr/bin/identify -format %Q '" + file + "'"), std::to_string(c.quality));
        EXPECT_EQ(Tag(file, "EncodingProcess"), c.process);
        EXPECT_EQ(Tag(file, "ColorComponents"), std::to_string(c.components));
        EXPECT_EQ(Tag(file, "YCbCrSubSampling"), c.sampling);
        // djpeg reads it at the picture's size.
        const Pnm back = ParsePnm([&] {
            const std::string out = Path("back.pnm");
            RunTool("djpeg -pnm -outfile '" + out + "' '" + file + "'");
            return ReadFile(out);
        }());
        EXPECT_EQ(back.width, 240);
        EXPECT_EQ(back.height, 180);
        EXPECT_EQ(back.channels, c.components);
        // Our reader agrees with djpeg on our own file.
        TJPEGImage reread;
        reread.LoadFromFile(file);
        TBitmap bmp;
        reread.DecodeInto(bmp);
        EXPECT_TRUE(SamePixels(bmp, back));
    }
}

TEST_F(JpegEncode, ClassLibraryEncodeAndTheJpegDialogEncode) {
    TJPEGImage jpeg;
    jpeg.Bitmap().Assign(&picture_);
    jpeg.SetCompressionQuality(60);
    jpeg.SetProgressiveEncoding(true);
    jpeg.Compress();
    EXPECT_TRUE(jpeg.Progressive());
    EXPECT_EQ(jpeg.Width(), 240);
    std::string file = Path("plain.jpg");
    jpeg.SaveToFile(file);
    EXPECT_EQ(RunTool("/usr/bin/identify -format %Q '" + file + "'"), "60");

    jpeg.SetProgressiveEncoding(false);
    jpeg.CompressJPEG(false, true, true, 100, 0);  // 100 % of the standard tables = quality 50
    file = Path("dialog.jpg");
    jpeg.SaveToFile(file);
    EXPECT_EQ(RunTool("/usr/bin/identify -format %Q '" + file + "'"), "50");
    EXPECT_EQ(Tag(file, "YCbCrSubSampling"), "YCbCr4:4:4 (1 1)");

    // An 8-bit picture is encoded through its palette.
    TBitmap grey;
    TJPEGImage g;
    g.LoadFromFile(kDir + "grey.jpg");
    g.DecodeInto(grey);
    TJPEGImage fromGrey;
    fromGrey.Assign(grey);
    fromGrey.SetGrayscale(true);
    fromGrey.Compress();
    EXPECT_EQ(fromGrey.BitCount(), 8);
    EXPECT_THROW(TJPEGImage().Compress(), EJPEG);
}

TEST_F(JpegEncode, CommentSegmentFollowsTheFirstSegmentAndReadsBack) {
    const std::string text = "Encoder: test (x)\n\nLab Commands:\n\nGAMMA 120";
    TJPEGImage jpeg;
    jpeg.Assign(picture_);
    jpeg.SetComment(text);
    jpeg.Compress();
    const std::vector<uint8_t>& d = jpeg.Data();
    ASSERT_GT(d.size(), 30u);
    ASSERT_EQ(d[3], 0xE0);
    const size_t app0 = (size_t(d[4]) << 8) | d[5];
    const size_t com = 4 + app0;
    EXPECT_EQ(d[com], 0xFF);
    EXPECT_EQ(d[com + 1], 0xFE);
    EXPECT_EQ((size_t(d[com + 2]) << 8) | d[com + 3], text.size() + 2);
    ASSERT_EQ(jpeg.Comments().size(), 1u);
    EXPECT_EQ(jpeg.Comments()[0], text);
    const std::string file = Path("comment.jpg");
    jpeg.SaveToFile(file);
    EXPECT_EQ(RunTool("rdjpgcom -raw '" + file + "'"), text);
}

}  // namespace
