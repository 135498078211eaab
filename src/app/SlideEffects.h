// Slide transition effects of the image window: the catalogue of effects the
// user sees, the user's selection of effects for bookmark shows (the registry
// record "selFX01"), the choice of one slide's effect and its drawing.
//
// The catalogue lives in the image window's globals EffectsList (one 12-byte
// transition record per line) and EffectNames (the lines). Byte 4 of a record
// (Reserved[0]) is 1 while its effect belongs to the selection being edited.
//
// GUI thread only.
#pragma once

#include "imaging/Transitions.h"
#include "imgman/imgman.h"

#include <array>
#include <cstdint>
#include <functional>

namespace lumvor {

class TRegistry;

// Lines of the catalogue.
inline constexpr int EffectCount = 174;
// Registry value of the selection.
inline constexpr const char* SelectedEffectsValue = "selFX01";

// Clears EffectsList and EffectNames and builds the catalogue.
void PopulateEffectsList();

// The selection record, 256 bytes: the catalogue indexes of the selected
// effects from byte 0 on, their number in byte 255.
using TSelectedEffects = std::array<uint8_t, 256>;
// The selection as stored under the open key. A missing value, or one that is
// not 256 binary bytes, reads as no selection; a count beyond the catalogue's
// size counts as its size, and indexes beyond the catalogue or out of
// ascending order are dropped.
TSelectedEffects ReadSelectedEffects(TRegistry& Registry);
// The record of every EffectsList entry whose selected byte is 1, in index order.
TSelectedEffects SelectedEffectsOfList();

// The effect of one slide.
struct TSlideTransition {
    TTransitionRecord Record;  // adapted to the speed and the picture
    bool Callback = false;     // the drawing waits between steps (byte 3 is not 255)
};
// Chooses one slide's effect. Script shows take catalogue entry EffectIndex,
// or for 0 the entry PickTransitionVariant gives for LegacyEffect; bookmark
// shows pick one of the Selection's entries at random ("Randomize ALL" when
// none is selected). Random families become concrete effects ("Randomize ALL"
// never repeats PreviousEffect), TransitionSpeed becomes Speed (the option's
// index 0..3) + 1, and AdjustTransition fits the record to the speed and to
// Width x Height. PreviousEffect receives the adapted effect code. Pictures
// narrower than 65 pixels get no effect. Random(n) answers 0 .. n - 1 (none:
// the pickers' source).
TSlideTransition ChooseSlideTransition(bool ScriptMode, int32_t EffectIndex, int32_t LegacyEffect,
                                       const TSelectedEffects& Selection, int32_t& PreviousEffect, int32_t Width,
                                       int32_t Height, int32_t Speed,
                                       const std::function<int32_t(int32_t)>& Random = nullptr);

// Draws the slide on the show's surface: at once for effect 0, else with the
// effect, calling Wait between steps when the transition asks for it. 0 on
// failure (the imaging library's last error says why).
int DrawSlideTransition(int Handle, const TImgSurface& Surface, const TRect& Dest, const TRect& Source,
                        const TSlideTransition& Transition, const TImgFxCallback& Wait);

}  // namespace lumvor
