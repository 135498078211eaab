#include "processing/lab/PixelArithmetic.h"

#include "platform/SysUtils.h"
#include "processing/lab/Pixels24.h"

#include <algorithm>
#include <cstdint>

namespace lumvor {

namespace {

// x div 255 for 0 <= x <= 255 x 255 without a division, so the row loops
// vectorise; TwoImageByte keeps the plain division the tests compare against.
inline unsigned DivideBy255(unsigned x) { return (x + 1 + (x >> 8)) >> 8; }

void CheckPartner(const TBitmap& Picture, const TBitmap& Partner) {
    Require24Bit(Picture);
    Require24Bit(Partner);
    if (Partner.Width() != Picture.Width() || Partner.Height() != Picture.Height())
        throw EInvalidGraphic("The two pictures must have the same size.");
}

// Rule(p, d) into every byte of the rows visitRow picks, rows from the last to the
// first.
template <class Rule, class Rows>
void CombineRows(TBitmap& Picture, const TBitmap& Partner, Rows&& visitRow, Rule&& rule) {
    CheckPartner(Picture, Partner);
    if (LabEmpty(Picture))
        return;
    const int bytes = 3 * Picture.Width();
    for (int y = Picture.Height() - 1; y >= 0; --y) {
        if (!visitRow(y))
            continue;
        uint8_t* p = Picture.ScanLine(y);
        const uint8_t* d = Partner.ScanLine(y);
        for (int i = 0; i < bytes; ++i)
            p[i] = rule(p[i], d[i]);
    }
}

template <class Rule>
void CombineAll(TBitmap& Picture, const TBitmap& Partner, Rule&& rule) {
    CombineRows(Picture, Partner, [](int) { return true; }, rule);
}

template <class Rule>
void MapBytes(TBitmap& Picture, Rule&& rule) {
    Require24Bit(Picture);
    if (LabEmpty(Picture))
        return;
    const int bytes = 3 * Picture.Width();
    for (int y = Picture.Height() - 1; y >= 0; --y) {
        uint8_t* p = Picture.ScanLine(y);
        for (int i = 0; i < bytes; ++i)
            p[i] = rule(p[i]);
    }
}

}  // namespace

uint8_t TwoImageByte(TTwoImageRule Rule, uint8_t P, uint8_t D) {
    switch (Rule) {
    case TTwoImageRule::Multiply:
        return uint8_t(P * D / 255);
    case TTwoImageRule::Minimum:
        return std::min(P, D);
    case TTwoImageRule::Maximum:
        return std::max(P, D);
    case TTwoImageRule::Difference:
        return uint8_t(std::clamp(127 + P - D, 0, 255));
    case TTwoImageRule::Subtract:
        return P >= D ? uint8_t(P - D) : uint8_t(0);
    }
    return P;
}

void CombineBitmaps(TBitmap& Picture, const TBitmap& Partner, TTwoImageRule Rule) {
    // One loop per rule, so that each inner loop is a plain byte expression.
    switch (Rule) {
    case TTwoImageRule::Multiply:
        CombineAll(Picture, Partner, [](uint8_t p, uint8_t d) { return uint8_t(DivideBy255(unsigned(p) * d)); });
        break;
    case TTwoImageRule::Minimum:
        CombineAll(Picture, Partner, [](uint8_t p, uint8_t d) { return std::min(p, d); });
        break;
    case TTwoImageRule::Maximum:
        CombineAll(Picture, Partner, [](uint8_t p, uint8_t d) { return std::max(p, d); });
        break;
    case TTwoImageRule::Difference:
        CombineAll(Picture, Partner,
                   [](uint8_t p, uint8_t d) { return uint8_t(std::clamp(127 + int(p) - int(d), 0, 255)); });
        break;
    case TTwoImageRule::Subtract:
        CombineAll(Picture, Partner, [](uint8_t p, uint8_t d) { return p >= d ? uint8_t(p - d) : uint8_t(0); });
        break;
    }
}

int64_t SumSquaredDifferences(const uint8_t* Picture, const uint8_t* Partner, int Count) {
    // Partial sums of 32 bits over runs short enough never to overflow
    // (each square is at most 255 x 255), so the inner loop vectorises.
    constexpr int kRun = 65536;
    static_assert(uint64_t(kRun) * 255 * 255 <= UINT32_MAX);
    int64_t sum = 0;
    for (int start = 0; start < Count; start += kRun) {
        const int end = std::min(Count, start + kRun);
        uint32_t run = 0;
        for (int i = start; i < end; ++i) {
            const int difference = int(Picture[i]) - int(Partner[i]);
            run += uint32_t(difference * difference);
        }
        sum += run;
    }
    return sum;
}

int64_t SumSquaredDifferences(const TBitmap& Picture, const TBitmap& Partner) {
    CheckPartner(Picture, Partner);
    if (LabEmpty(Picture))
        return 0;
    int64_t sum = 0;
    for (int y = Picture.Height() - 1; y >= 0; --y)
        sum += SumSquaredDifferences(Picture.ScanLine(y), Partner.ScanLine(y), 3 * Picture.Width());
    return sum;
}

uint8_t AverageByte(uint8_t P, uint8_t D, int32_t Weight) {
    // 64 bits: a script's weight may be any 32-bit number.
    const int64_t mixed = (100 - int64_t(Weight)) * P / 100 + int64_t(Weight) * D / 100;
    return uint8_t(std::clamp<int64_t>(mixed, 0, 255));
}

void AverageBitmaps(TBitmap& Picture, const TBitmap& Partner, int32_t Weight) {
    CombineAll(Picture, Partner, [Weight](uint8_t p, uint8_t d) { return AverageByte(p, d, Weight); });
}

void AverageField(TBitmap& Picture, const TBitmap& Partner, int32_t Weight, int32_t Field) {
    const int shift = Field != 0 ? 1 : 0;
    CombineRows(
        Picture, Partner, [shift](int y) { return (y + shift) % 2 == 1; },
        [Weight](uint8_t p, uint8_t d) { return AverageByte(p, d, Weight); });
}

void MultiplyRGBBitmap(TBitmap& Picture) {
    MapBytes(Picture, [](uint8_t v) { return uint8_t(DivideBy255(unsigned(v) * v)); });
}

uint8_t LowResMask(int32_t Level) {
    switch (Level) {
    case 2: return 192;
    case 3: return 224;
    case 4: return 240;
    case 5: return 248;
    case 6: return 252;
    default: return 254;
    }
}

void LowResBitmap(TBitmap& Picture, int32_t Level) {
    const uint8_t mask = LowResMask(Level);
    MapBytes(Picture, [mask](uint8_t v) { return uint8_t(v & mask); });
}

}  // namespace lumvor
