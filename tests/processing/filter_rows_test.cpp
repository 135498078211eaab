// The rows of the 3 x 3 blur and convolution: the vector form against the
// plain loop on random rows and at row ends, the exact multipliers, and the
// convolution of whole random pictures against a plain integer loop.
#include "processing/spatial/FilterRows.h"

#include "imaging/CpuFeatures.h"
#include "processing/lab/PixelArithmetic.h"
#include "processing/spatial/SpatialFilters.h"
#include "processing/spatial/StructureFilters.h"
#include "support/bitmap_raster.h"
#include "support/case_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <cstdint>
#include <random>
#include <ostream>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::test;

namespace {

// Three window rows of random bytes with three bytes more on each side, and
// an output row of random bytes followed by a tail that must stay as it is.
struct TRandomWindow {
    static constexpr int kTail = 21;
    TRandomWindow(int Count, uint32_t Seed) : count(Count) {
        std::mt19937 random(Seed);
        for (auto* bytes : {&top, &middle, &bottom}) {
            bytes->resize(size_t(Count) + 6);
            for (uint8_t& byte : *bytes) byte = uint8_t(random());
        }
        out.resize(size_t(Count) + kTail);
        for (uint8_t& byte : out) byte = uint8_t(random());
    }
    TWindowRow Row(std::vector<uint8_t>& Out) const {
        return {top.data() + 3, middle.data() + 3, bottom.data() + 3, Out.data(), count};
    }
    int count;
    std::vector<uint8_t> top, middle, bottom, out;
};

// The vector form and the plain loop of a row give the same bytes on forty
// random rows of lengths that end anywhere in a vector step.
template <class Settings>
void ExpectFormsAgreeOnRandomRows(void (*Vector)(const TWindowRow&, const Settings&),
                                  void (*Plain)(const TWindowRow&, const Settings&), const Settings& With) {
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        const TRandomWindow window(4000 + int(seed), seed);
        std::vector<uint8_t> vector = window.out, plain = window.out;
        Vector(window.Row(vector), With);
        Plain(window.Row(plain), With);
        ASSERT_EQ(vector, plain) << "seed " << seed;
    }
}

struct TBlurCase {
    std::string Name;
    int Divisor;
    int CentreWeight;
    int Threshold;
};

class BlurRows : public ::testing::TestWithParam<TBlurCase> {};

TBlurSettings SettingsOf(const TBlurCase& Case) {
    return {uint16_t(Case.CentreWeight), ExactMultiplier(Case.Divisor, 9 * 255), int16_t(Case.Threshold)};
}

TEST_P(BlurRows, TheVectorFormEqualsThePlainLoopOnRandomRows) {
    if (!CpuHasAvx2())
        GTEST_SKIP() << "the processor has no AVX2";
    const TBlurSettings settings = SettingsOf(GetParam());
    ASSERT_NE(settings.Multiplier, 0);
    ExpectFormsAgreeOnRandomRows(filter_rows::BlurRowAvx2, filter_rows::BlurRowPortable, settings);
}

// The plain loop against the blur written out: the mean of the window over
// the divisor, limited to 255, where it differs from the window's centre byte
// by more than the threshold, else that byte (whatever the output row held).
TEST_P(BlurRows, ThePlainLoopIsTheThresholdedMean) {
    const TBlurCase& blur = GetParam();
    const TRandomWindow window(600, 7);
    std::vector<uint8_t> plain = window.out;
    filter_rows::BlurRowPortable(window.Row(plain), SettingsOf(blur));
    for (int q = 0; q < window.count; ++q) {
        int sum = 0;
        for (const auto* bytes : {&window.top, &window.middle, &window.bottom})
            for (int dx = -3; dx <= 3; dx += 3)
                sum += (bytes == &window.middle && dx == 0 ? blur.CentreWeight : 1) * (*bytes)[size_t(q + 3 + dx)];
        const int mean = std::min(sum / blur.Divisor, 255);
        const int own = window.middle[size_t(q + 3)];
        ASSERT_EQ(plain[size_t(q)], std::abs(own - mean) > blur.Threshold ? mean : own) << "byte " << q;
    }
}

INSTANTIATE_TEST_SUITE_P(Settings, BlurRows,
                         ::testing::Values(TBlurCase{"AnalysisSmoothing", 9, 1, 0},
                                           TBlurCase{"EightNeighbours", 8, 0, 0},
                                           TBlurCase{"EveryByteReplaced", 9, 1, -1},
                                           TBlurCase{"MiddleThreshold", 9, 1, 37},
                                           TBlurCase{"NoByteReplaced", 9, 1, 255},
                                           TBlurCase{"SmallDivisorClipsAt255", 2, 1, 3},
                                           TBlurCase{"ThirteenthsWithoutTheCentre", 13, 0, 1}),
                         CaseNames<&TBlurCase::Name>);

struct TConvolveCase {
    std::string Name;
    std::function<int()> SetKernel;  // fills SpatialKernel, answers the divisor
    // False where no 16-bit multiplier divides every sum exactly: the filter
    // then keeps its table of quotients and never calls the rows.
    bool Multiplied = true;
};

class ConvolveRows : public ::testing::TestWithParam<TConvolveCase> {
protected:
    TConvolveSettings Settings() const {
        const int divisor = GetParam().SetKernel();
        int maxSum = 0;
        for (int16_t weight : SpatialKernel) maxSum += std::max<int>(weight, 0) * 255;
        return {SpatialKernel, ExactMultiplier(divisor, maxSum)};
    }
};

TEST_P(ConvolveRows, TheVectorFormEqualsThePlainLoopOnRandomRows) {
    if (!CpuHasAvx2())
        GTEST_SKIP() << "the processor has no AVX2";
    const TConvolveSettings settings = Settings();
    ASSERT_EQ(settings.Multiplier != 0, GetParam().Multiplied);
    if (!GetParam().Multiplied)
        return;
    ExpectFormsAgreeOnRandomRows(filter_rows::ConvolveRowAvx2, filter_rows::ConvolveRowPortable, settings);
}

// A whole random picture through the convolution against the integer
// correlation, clamped to a byte, with a one-pixel border and two bottom
// rows kept: wide enough for many vector steps and a ragged end.
TEST_P(ConvolveRows, APictureEqualsThePlainCorrelation) {
    TBitmap picture;
    Noise(picture, 131, 9, 29);
    const RgbRaster in = RasterOfBitmap(picture);
    const int divisor = GetParam().SetKernel();
    const TSpatialKernel kernel = SpatialKernel;
    Spatial3x3Bitmap(picture, kernel, divisor);

    RgbRaster expected = in;
    const auto byte = [&](int x, int y, int c) { return int(in.Pixels[size_t(y * in.Width + x)] >> (8 * c) & 0xFF); };
    for (int y = 1; y <= in.Height - 3; ++y)
        for (int x = 1; x <= in.Width - 2; ++x) {
            uint32_t colour = 0;
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int column = 0; column < 3; ++column)
                    for (int row = 0; row < 3; ++row)
                        sum += kernel[size_t(3 * column + row)] * byte(x + column - 1, y + row - 1, c);
                colour |= uint32_t(std::clamp(sum / divisor, 0, 255)) << (8 * c);
            }
            expected.Pixels[size_t(y * in.Width + x)] = colour;
        }
    EXPECT_TRUE(SameBitmap(expected, picture));
}

INSTANTIATE_TEST_SUITE_P(
    Kernels, ConvolveRows,
    ::testing::Values(TConvolveCase{"MeanRemovalNone", [] { return SetMeanRemovalKernel(0); }},
                      TConvolveCase{"MeanRemovalOfTheAnalysis", [] { return SetMeanRemovalKernel(2); }},
                      TConvolveCase{"MeanRemovalByOne", [] { return SetMeanRemovalKernel(8); }, false},
                      TConvolveCase{"HighPassMedium", [] { return SetHighPassMediumKernel(1); }},
                      TConvolveCase{"HighPassLight", [] { return SetHighPassLightKernel(); }},
                      TConvolveCase{"SoftenByEighteen", [] { return SetSoftenKernel(4); }},
                      TConvolveCase{"SoftenByFortyFour", [] { return SetSoftenKernel(1); }, false},
                      TConvolveCase{"SoftenWide", [] { return SetSoftenKernel(10); }, false}),
    CaseNames<&TConvolveCase::Name>);

// Counts around the vector step of sixteen bytes: the last bytes go through
// the plain loop, and nothing past the row changes.
TEST(FilterRows, RowEndsAreFilteredAndBytesPastThemKept) {
    const TBlurSettings blur{1, ExactMultiplier(9, 9 * 255), 0};
    SetMeanRemovalKernel(2);
    const TConvolveSettings convolve{SpatialKernel, ExactMultiplier(7, 15 * 255)};
    for (int width = 1; width <= 19; ++width) {
        SCOPED_TRACE(width);
        const TRandomWindow window(3 * width, uint32_t(width));
        std::vector<uint8_t> blurred = window.out, blurredPlain = window.out;
        BlurRow(window.Row(blurred), blur);
        filter_rows::BlurRowPortable(window.Row(blurredPlain), blur);
        EXPECT_EQ(blurred, blurredPlain);
        std::vector<uint8_t> convolved = window.out, convolvedPlain = window.out;
        ConvolveRow(window.Row(convolved), convolve);
        filter_rows::ConvolveRowPortable(window.Row(convolvedPlain), convolve);
        EXPECT_EQ(convolved, convolvedPlain);
        for (const auto* row : {&blurred, &convolved})
            EXPECT_TRUE(std::equal(row->begin() + 3 * width, row->end(), window.out.begin() + 3 * width));
    }
}

// ---- The filters written into another picture

struct TIntoCase {
    std::string Name;
    std::function<void(TBitmap&)> InPlace;
    std::function<int64_t(const TBitmap&, TBitmap&)> Into;
};

void PrintTo(const TIntoCase& Case, std::ostream* Out) { *Out << Case.Name; }

class FilterInto : public ::testing::TestWithParam<TIntoCase> {};

// The picture written into is the picture the filter makes in place, the
// source is left as it was, and the answer is the sum of squared changes;
// a target of another size, or one whose memory another picture shares, gets
// memory of its own.
TEST_P(FilterInto, TheTargetGetsThePictureAndTheSumOfSquaredChanges) {
    TBitmap source;
    Noise(source, 61, 23, 5);
    TBitmap expected;
    expected.Assign(&source);
    GetParam().InPlace(expected);
    const RgbRaster unchanged = RasterOfBitmap(source);

    TBitmap fresh;
    Noise(fresh, 7, 3, 1);
    TBitmap sameSize;
    Noise(sameSize, 61, 23, 9);
    TBitmap shared;
    shared.SetHandle(sameSize.Handle());
    const RgbRaster sharedBefore = RasterOfBitmap(sameSize);
    for (TBitmap* target : {&fresh, &shared}) {
        const int64_t change = GetParam().Into(source, *target);
        EXPECT_TRUE(SameBitmap(RasterOfBitmap(expected), *target));
        EXPECT_EQ(change, SumSquaredDifferences(expected, source));
        EXPECT_GT(change, 0);
    }
    EXPECT_TRUE(SameBitmap(unchanged, source));
    EXPECT_TRUE(SameBitmap(sharedBefore, sameSize));
    // Written again into its own memory of the right size.
    const uint8_t* memory = shared.ScanLine(0);
    GetParam().Into(source, shared);
    EXPECT_EQ(shared.ScanLine(0), memory);
    EXPECT_TRUE(SameBitmap(RasterOfBitmap(expected), shared));
    // A target of the right size in its own memory that holds other pixels:
    // every pixel comes from the source alone.
    TBitmap other;
    Noise(other, 61, 23, 13);
    GetParam().Into(source, other);
    EXPECT_TRUE(SameBitmap(RasterOfBitmap(expected), other));
}

INSTANTIATE_TEST_SUITE_P(
    Filters, FilterInto,
    ::testing::Values(
        TIntoCase{"SmoothingOfTheAnalysis", [](TBitmap& b) { GaussianBlur3x3Bitmap(b, 0, 9, false); },
                  [](const TBitmap& s, TBitmap& t) { return GaussianBlur3x3Into(s, t, 0, 9, false); }},
        TIntoCase{"BlurWithoutCentreAboveAThreshold", [](TBitmap& b) { GaussianBlur3x3Bitmap(b, 37, 8, true); },
                  [](const TBitmap& s, TBitmap& t) { return GaussianBlur3x3Into(s, t, 37, 8, true); }},
        TIntoCase{"BlurByTheTableOfQuotients", [](TBitmap& b) { GaussianBlur3x3Bitmap(b, 3, 1, false); },
                  [](const TBitmap& s, TBitmap& t) { return GaussianBlur3x3Into(s, t, 3, 1, false); }},
        // No 16-bit multiplier divides every sum by 31 exactly.
        TIntoCase{"BlurByTheTableOfQuotientsAtADivisorOf31", [](TBitmap& b) { GaussianBlur3x3Bitmap(b, 3, 31, false); },
                  [](const TBitmap& s, TBitmap& t) { return GaussianBlur3x3Into(s, t, 3, 31, false); }},
        TIntoCase{"MeanRemovalOfTheAnalysis",
                  [](TBitmap& b) {
                      const int divisor = SetMeanRemovalKernel(2);
                      Spatial3x3Bitmap(b, SpatialKernel, divisor);
                  },
                  [](const TBitmap& s, TBitmap& t) {
                      const int divisor = SetMeanRemovalKernel(2);
                      return Spatial3x3Into(s, t, SpatialKernel, divisor);
                  }},
        TIntoCase{"SoftenByTheTableOfQuotients",
                  [](TBitmap& b) {
                      const int divisor = SetSoftenKernel(1);
                      Spatial3x3Bitmap(b, SpatialKernel, divisor);
                  },
                  [](const TBitmap& s, TBitmap& t) {
                      const int divisor = SetSoftenKernel(1);
                      return Spatial3x3Into(s, t, SpatialKernel, divisor);
                  }}),
    CaseNames<&TIntoCase::Name>);

TEST(FilterRows, ExactMultipliersExistOnlyWhereEverySumComesOutRight) {
    EXPECT_EQ(ExactMultiplier(9, 9 * 255), (65536 + 8) / 9);
    EXPECT_EQ(ExactMultiplier(7, 15 * 255), (65536 + 6) / 7);
    // A divisor of 1 (or less) needs no multiplier and gets none.
    EXPECT_EQ(ExactMultiplier(1, 255), 0);
    EXPECT_EQ(ExactMultiplier(0, 255), 0);
    // 1000 x 255 sums are far past what a 16-bit multiplier can divide
    // exactly by 3, and past 16 bits.
    EXPECT_EQ(ExactMultiplier(3, 1000 * 255), 0);
    for (int divisor : {2, 3, 5, 7, 9, 13, 100, 255, 1000}) {
        SCOPED_TRACE(divisor);
        const uint16_t m = ExactMultiplier(divisor, 9 * 255);
        if (m == 0)
            continue;
        for (uint32_t sum = 0; sum <= 9 * 255; ++sum)
            ASSERT_EQ(std::min<uint32_t>(sum * m >> 16, 255), std::min<uint32_t>(sum / uint32_t(divisor), 255));
    }
}

}  // namespace
