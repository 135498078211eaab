// The measures of the picture analysis: channel statistics and gamuts, the
// estimate of unique colours, the compression ratio, the quality indices and
// the overall rating, the verdict between two measured pictures, the report's
// number formats, and the texture (complexity) rating from JPEG sizes.
//
// A value whose formula would divide by zero (a file of 0 bytes, a flat
// picture, an empty picture) is reported as 0.
//
// Headless; the JPEG helpers run the codec on the caller's thread.
#pragma once

#include "platform/Graphics.h"
#include "processing/tonal/Histogram.h"

#include <cstdint>
#include <string>

namespace lumvor {

// The JPEG quality every analysis encodes at.
inline constexpr int AnalysisJpegQuality = 66;

// Mean, population standard deviation and gamut of one channel.
struct TChannelSummary {
    double Mean = 0;
    double Deviation = 0;
    int Gamut = 0;
};

// |min(255, Round(mean) + Round(sd)) - max(0, Round(mean) - Round(sd))|, the
// roundings halves to even.
int ChannelGamut(double Mean, double Deviation);
// The summary from a channel's sums over Count values.
TChannelSummary SummariseChannel(int64_t Sum, int64_t SumSq, int64_t Count);

// The levels 0..255 whose count is not 0, at most 255 (a channel using all 256
// levels counts 255).
int UsedLevels(const THistogram& Hist);

// E = (gR x levelsR / 255) x (gG x levelsG / 255) x (gB x levelsB / 255).
double EstimatedUniqueColours(const int Gamut[3], const int Levels[3]);
// E x 10000 / 255^3.
double ColourDiversityIndex(double UniqueColours);
// The raw size a picture of Pixels pixels counts: Pixels when the three colour
// gamuts are equal (a grey picture), else 3 x Pixels.
int64_t RawPictureSize(int64_t Pixels, const int Gamut[3]);
// Raw / FileSize; 0 for an empty file.
double CompressionRatio(int64_t RawSize, int64_t FileSize);
// How much a filter changed the picture: SumSq x 10 / Pixels; 0 without pixels.
double ChangeIndex(double SumSq, int64_t Pixels);
// JQI + CDI x DI / (sqrt(SI) + DI); the second term is 0 when its divisor is.
double OverallRating(double Jqi, double Cdi, double Si, double Di);

// The values compare mode keeps of each picture.
struct TPassRatings {
    int64_t Pixels = 0;
    int64_t FileSize = 0;
    double Jqi = 0;
    double Si = 0;
    double Di = 0;
    double Or = 0;
};
enum class TVerdict { None, First, Second };
// Which of two pictures of the same dimensions is better; pictures of other
// dimensions get no verdict.
TVerdict CompareVerdict(const TPassRatings& First, const TPassRatings& Second);

// The report's number texts: "%f" (six decimals) in the C locale whatever the
// process locale, and the two rating pictures.
std::string FixedSix(double Value);
std::string RatioText(double Ratio);    // "######.##"
std::string RatingText(double Rating);  // "#########.##"

// The bytes of the picture encoded as JPEG at Quality with the codec's
// standard settings; 0 when the codec fails.
int64_t JpegEncodedSize(const TBitmap& Bitmap, int Quality);
// Trunc(First / Raw x 1e9) + Trunc(Second / Raw x 1e9); 0 when Raw is 0.
int64_t ComplexityFromSizes(int64_t FirstSize, int64_t SecondSize, int64_t RawSize);

}  // namespace lumvor
