// Byte arithmetic of the Lab: a picture combined byte by byte with a second
// picture of the same size (the duplicate, or the filter dialog's work
// picture), and single-picture byte rules.
//
// Every routine works in place on 24-bit bitmaps, reached row by row through
// ScanLine; the three bytes of a pixel (blue, green, red) are treated alike, so
// each rule below is per byte. Row padding is never touched. A bitmap of any
// other depth raises EInvalidGraphic (Require24Bit); an empty picture is left
// alone. The two-picture routines also raise EInvalidGraphic when the partner
// is not a 24-bit picture of the picture's width and height: callers check
// first (the image window's Ok2ComputeFull) and never rely on the throw.
//
// Integer arithmetic throughout, division truncating toward zero, results
// limited to 0..255. No locks, status or undo: the image window's commands
// around these do that. Headless; any thread, one picture per thread.
#pragma once

#include "platform/Graphics.h"

#include <cstdint>

namespace lumvor {

// The per-byte rules of the two-picture commands; p is the picture's byte, d
// the partner's byte at the same row and position.
enum class TTwoImageRule {
    Multiply,    // p x d div 255
    Minimum,     // the smaller of p and d
    Maximum,     // the larger of p and d
    Difference,  // 127 + p - d, limited to 0..255 (equal bytes give 127)
    Subtract,    // p - d, floored at 0
};

// The new byte of a rule; the reference the bitmap loops keep to.
uint8_t TwoImageByte(TTwoImageRule Rule, uint8_t P, uint8_t D);

// Every byte of Picture := TwoImageByte(Rule, its byte, Partner's byte).
void CombineBitmaps(TBitmap& Picture, const TBitmap& Partner, TTwoImageRule Rule);

// The sum over every pixel byte of (p - d)^2, exact. Neither picture changes.
int64_t SumSquaredDifferences(const TBitmap& Picture, const TBitmap& Partner);
// The same over Count bytes of two rows.
int64_t SumSquaredDifferences(const uint8_t* Picture, const uint8_t* Partner, int Count);

// The weighted average of two bytes with Weight per cent of the partner:
// (100 - Weight) x p div 100 + Weight x d div 100, each product divided on its
// own (50 % of 101 and 101 gives 50 + 50 = 100), limited to 0..255 so that
// weights outside 0..100 (a script may give any) still give a byte.
uint8_t AverageByte(uint8_t P, uint8_t D, int32_t Weight);

// AverageByte over every byte of the picture.
void AverageBitmaps(TBitmap& Picture, const TBitmap& Partner, int32_t Weight);

// AverageByte over every second row: with Field 0 the rows 1, 3, 5, ... (from
// the top, row 0 first) are blended, with any other Field the rows 0, 2, 4, ...;
// the other rows stay as they are.
void AverageField(TBitmap& Picture, const TBitmap& Partner, int32_t Weight, int32_t Field);

// Every byte v := v x v div 255 (0 and 255 stay, 128 becomes 64).
void MultiplyRGBBitmap(TBitmap& Picture);

// The mask of a posterize level: the number of high bits a byte keeps, 2 to 6
// (192, 224, 240, 248, 252); any other level keeps 7 bits (254).
uint8_t LowResMask(int32_t Level);

// Every byte := byte AND LowResMask(Level).
void LowResBitmap(TBitmap& Picture, int32_t Level);

}  // namespace lumvor
