// The shared histogram of the viewer picture and the statistics read from it.
//
// One set of count arrays and running sums describes the tonal content of one
// picture at a time; every computation overwrites the previous one. The
// automatic corrections, the histogram window, the filter dialog, the picture
// analysis, the explorer and the album compute it and then read these globals.
//
// Per-pixel values counted:
// - red, green, blue: the pixel's bytes;
// - luminance: HistogramLuminance (Luminance.h), (30 R + 60 G + 10 B) div 100;
// - saturation and hue bins: S x 255 div 3600 and H x 255 div 3600, limited to
//   255, from RGBToHLS.
// Count limit: a bin stops growing below 0x3FFFFFFF (it holds at most
// 0x3FFFFFFE); HistPeak is the largest count any array reached, the limit
// itself once a bin hit it.
//
// The sums are exact 64-bit integers (at most 255^2 per pixel, so any picture
// the bitmap can hold fits); divide them in floating point, through the
// statistics helpers below, never with integer division.
//
// Headless; GUI thread only (plain globals without a lock).
#pragma once

#include "platform/Graphics.h"

#include <array>
#include <cstdint>

namespace lumvor {

// 360 entries, 0..255 used: the occupied-range scans may look up to three
// entries past 255 and find them empty.
using THistogram = std::array<int32_t, 360>;

inline constexpr int32_t HistCountLimit = 0x3FFFFFFF;

inline THistogram HistR{};
inline THistogram HistG{};
inline THistogram HistB{};
inline THistogram HistLum{};
// Left as it was by a computation without saturation.
inline THistogram HistSat{};
inline int32_t HistPeak = 0;
// Pixels summed (with sums asked for); never below 1 after a computation.
inline int64_t HistCount = 0;
inline int64_t HistSumR = 0, HistSumG = 0, HistSumB = 0, HistSumLum = 0, HistSumSat = 0, HistSumHue = 0;
inline int64_t HistSumSqR = 0, HistSumSqG = 0, HistSumSqB = 0, HistSumSqLum = 0, HistSumSqSat = 0, HistSumSqHue = 0;
// The largest of HistSumLum, HistSumR, HistSumG, HistSumB (in that order, a
// tie keeps the earlier) and the sum of squares of the same channel.
inline int64_t HistSumMax = 0, HistSumSqMax = 0;

// Every array, sum and count := 0, as at program start (for tests).
void ClearHistogram();

// Counts a 24-bit bitmap (throws EInvalidGraphic for another depth; an empty
// one counts nothing). Clears HistR, HistG, HistB, HistLum, HistPeak, all sums
// and HistCount first, HistSat too with DoSaturation. DoSaturation counts the
// saturation bins into HistSat; DoSums fills HistCount and the sums of red,
// green, blue and luminance (and of the saturation bins with DoSaturation, of
// the hue bins with DoHue), then HistSumMax and HistSumSqMax. HistCount ends at
// 1 at least, also when the bitmap is refused.
void CalcHistogram(const TBitmap& Bitmap, bool DoSaturation, bool DoSums, bool DoHue);

// The mid-tone statistics: clears HistLum, HistPeak, HistSumLum, HistSumSqLum
// and HistCount; counts every pixel's luminance into HistLum, and sums only the
// luminances 16..240. HistSumMax, HistSumSqMax := the luminance sums; HistCount
// at least 1. The other sums and arrays keep their contents.
void CalcMidtones(const TBitmap& Bitmap);

// The three colour maps as curves in the histogram arrays: HistR, HistG, HistB
// := RedMap, GreenMap, BlueMap, HistLum := the identity line, HistSat cleared,
// HistPeak := 255. The sums are left alone.
void LUT2Histogram();

// The reverse of a curve: RedMap, GreenMap, BlueMap from HistR, HistG, HistB,
// entry i := the number of levels below i whose count is above 0. The levels a
// picture uses are renumbered 0, 1, 2, ... in order (the "zero map").
void ZeroMapsFromHistogram();

// ---- Statistics of one channel from its sums (Count below 1 counts as 1)

// Sum / Count.
double StatMean(int64_t Sum, int64_t Count);
// The population standard deviation sqrt((SumSq - Sum^2 / Count) / Count),
// computed as sqrt(Count x SumSq - Sum^2) / Count in 128-bit integers, so it is
// exactly 0 for a flat channel and never overflows. Negative sums count as 0.
double StatDeviation(int64_t Sum, int64_t SumSq, int64_t Count);

struct TRoundedStats {
    int Mean = 0;
    int Deviation = 0;
};
// Round(mean) and Round(deviation), halves to even.
TRoundedStats RoundedStats(int64_t Sum, int64_t SumSq, int64_t Count);
// The rounded mean and deviation of red (0), green (1) or blue (2) from the
// last histogram's sums.
TRoundedStats ChannelStats(int Channel);

// ---- Ranges of a count array

// A level is occupied when its count is greater than this.
inline constexpr int32_t OccupiedCount = 48;

// How far the occupied-range scans go: the low end is looked for from 0 up to
// LowLast, the high end from 255 down to HighLast.
struct TRangeScan {
    int LowLast = 255;
    int HighLast = 3;
};
inline constexpr TRangeScan LuminanceScan{255, 3};
inline constexpr TRangeScan SaturationScan{250, 4};

struct THistRange {
    int Low = 0;
    int High = 255;
};
// The low end is the first level L (scanning up) with L..L+3 all occupied, the
// high end the first level H (scanning down) with H-3..H all occupied; without
// such a run 0 and 255. A high end of 254 becomes 255.
THistRange OccupiedRange(const THistogram& Hist, TRangeScan Scan);

// The lowest level 0..255 that is occupied; 0 when none is.
int FirstOccupiedLevel(const THistogram& Hist);

}  // namespace lumvor
