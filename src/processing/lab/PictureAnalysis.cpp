#include "processing/lab/PictureAnalysis.h"

#include "platform/Jpeg.h"
#include "platform/SysUtils.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace lumvor {

int ChannelGamut(double Mean, double Deviation) {
    const int64_t mean = Round(Mean);
    const int64_t deviation = Round(Deviation);
    return int(std::llabs(std::min<int64_t>(255, mean + deviation) - std::max<int64_t>(0, mean - deviation)));
}

TChannelSummary SummariseChannel(int64_t Sum, int64_t SumSq, int64_t Count) {
    TChannelSummary summary;
    summary.Mean = StatMean(Sum, Count);
    summary.Deviation = StatDeviation(Sum, SumSq, Count);
    summary.Gamut = ChannelGamut(summary.Mean, summary.Deviation);
    return summary;
}

int UsedLevels(const THistogram& Hist) {
    const auto used = std::count_if(Hist.begin(), Hist.begin() + 256, [](int32_t count) { return count != 0; });
    return int(std::min<std::ptrdiff_t>(used, 255));
}

double EstimatedUniqueColours(const int Gamut[3], const int Levels[3]) {
    double estimate = 1;
    for (int c = 0; c < 3; ++c)
        estimate *= double(Gamut[c]) * Levels[c] / 255.0;
    return estimate;
}

double ColourDiversityIndex(double UniqueColours) { return UniqueColours * 10000.0 / (255.0 * 255.0 * 255.0); }

int64_t RawPictureSize(int64_t Pixels, const int Gamut[3]) {
    const bool grey = Gamut[0] == Gamut[1] && Gamut[1] == Gamut[2];
    return grey ? Pixels : 3 * Pixels;
}

double CompressionRatio(int64_t RawSize, int64_t FileSize) {
    return FileSize > 0 ? double(RawSize) / double(FileSize) : 0.0;
}

double ChangeIndex(double SumSq, int64_t Pixels) { return Pixels > 0 ? SumSq * 10.0 / double(Pixels) : 0.0; }

double OverallRating(double Jqi, double Cdi, double Si, double Di) {
    const double divisor = std::sqrt(std::max(Si, 0.0)) + Di;
    return divisor != 0 ? Jqi + Cdi * Di / divisor : Jqi;
}

TVerdict CompareVerdict(const TPassRatings& First, const TPassRatings& Second) {
    if (First.Pixels != Second.Pixels)
        return TVerdict::None;
    if (First.Jqi > Second.Jqi && First.FileSize > Second.FileSize &&
        (First.Si < 1.03 * Second.Si || Second.Di < First.Di || Second.Or < First.Or))
        return TVerdict::First;
    if (Second.Jqi > First.Jqi && First.FileSize < Second.FileSize &&
        (Second.Si < 1.03 * First.Si || Second.Di > First.Di || Second.Or > First.Or))
        return TVerdict::Second;
    return TVerdict::None;
}

std::string FixedSix(double Value) {
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, Value, std::chars_format::fixed, 6);
    return std::string(text, result.ptr);
}

std::string RatioText(double Ratio) { return FormatFloat("######.##", Ratio); }

std::string RatingText(double Rating) { return FormatFloat("#########.##", Rating); }

int64_t JpegEncodedSize(const TBitmap& Bitmap, int Quality) {
    if (Bitmap.Empty())
        return 0;
    TJPEGImage jpeg;
    jpeg.Assign(Bitmap);
    jpeg.SetCompressionQuality(Quality);
    try {
        jpeg.Compress();
    } catch (const std::exception&) {
        // A picture the codec refuses adds nothing to the rating.
        return 0;
    }
    return int64_t(jpeg.Data().size());
}

int64_t ComplexityFromSizes(int64_t FirstSize, int64_t SecondSize, int64_t RawSize) {
    if (RawSize <= 0)
        return 0;
    const auto rate = [RawSize](int64_t size) { return Trunc(double(size) / double(RawSize) * 1e9); };
    return int(rate(FirstSize) + rate(SecondSize));
}

}  // namespace lumvor
