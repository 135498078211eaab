// Slide transition pickers: random effects for the slide show, the translation of
// effect codes of scripts older than version 8, and the adaptation of a
// transition record to the user's speed setting and the picture's size.
#pragma once

#include <cstdint>
#include <functional>

namespace lumvor {

// The 12-byte transition record of the slide show.
struct TTransitionRecord {
    uint8_t Effect = 0;      // effect code
    uint8_t Variant = 0;     // direction or kind
    uint8_t Step = 0;        // first step value
    uint8_t Second = 0;      // second step value (255: none)
    uint8_t Reserved[4] = {0, 0, 0, 0};  // kept as they are
    int32_t Parameter = 0;   // several effects pack two 16-bit values
};
static_assert(sizeof(TTransitionRecord) == 12);

// The user's transition speed (1 to 4; 0 at start).
inline int32_t TransitionSpeed = 0;

// The random source of the pickers: a whole number in 0 .. n - 1. The program's
// generator by default; tests put a fixed sequence here.
inline std::function<int32_t(int32_t n)> TransitionRandom;

void RandomTransition1(TTransitionRecord& Record);  // wipes (effects 1-4)
void RandomTransition2(TTransitionRecord& Record);  // curtains (5-8)
void RandomTransition3(TTransitionRecord& Record);  // tiles and mosaic (9-13)
void RandomTransition4(TTransitionRecord& Record);  // blinds (18-21)
void RandomTransition5(TTransitionRecord& Record);  // implode and explode (16-17)
// A random effect of any group whose code differs from PreviousEffect.
void RandomTransition(int32_t PreviousEffect, TTransitionRecord& Record);
// The current effect code for an effect code of an old script (0 for none).
int32_t PickTransitionVariant(int32_t LegacyCode);
// Result := Record adapted to TransitionSpeed; ImageWidth and ImageHeight are the
// picture's size.
void AdjustTransition(const TTransitionRecord& Record, int32_t ImageWidth, int32_t ImageHeight,
                      TTransitionRecord& Result);

}  // namespace lumvor
