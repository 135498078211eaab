#include "app/SlideEffects.h"

#include "app/lumv8900.h"
#include "platform/Registry.h"
#include "platform/SysUtils.h"

#include <algorithm>
#include <string>

namespace lumvor {

namespace {

using lumv8900::EffectNames;
using lumv8900::EffectsList;

const char* const Modes[] = {", Scroll, PUSH background", ", Reveal, PULL background", ", Scroll, Over background",
                             ", Reveal, Over background"};
const char* const Directions[] = {", from Right", ", from Left", ", from Bottom", ", from Top"};
const char* const Openings[] = {", out Vert", ", in Vert", ", out Horz", ", in Horz"};
const char* const Sizes[] = {", Tiny", ", Small", ", Normal", ", Medium", ", Large", ", X-Large"};
const char* const Shapes[] = {", Rectangle", ", Rounded Rectangle", ", Circle/Ellipse"};

void AddEffect(const std::string& name, int code, int variant, int parameter) {
    TTransitionRecord& r = EffectsList[size_t(EffectNames.Count())];
    r.Effect = uint8_t(code);
    r.Variant = uint8_t(variant);
    r.Parameter = parameter;
    EffectNames.Add(name);
}

int BlockSize(int size) { return 2 << size; }  // 2, 4, ... 64

// Restores TransitionRandom when the choice ends.
class TRandomSource {
public:
    explicit TRandomSource(const std::function<int32_t(int32_t)>& source) : saved_(TransitionRandom) {
        if (source)
            TransitionRandom = source;
    }
    ~TRandomSource() { TransitionRandom = saved_; }
    int32_t operator()(int32_t n) const {
        const int32_t value = TransitionRandom ? TransitionRandom(n) : Random(n);
        return std::clamp(value, 0, std::max(n - 1, 0));
    }

private:
    std::function<int32_t(int32_t)> saved_;
};

TTransitionRecord Entry(int32_t index) {
    return index >= 0 && index < EffectCount ? EffectsList[size_t(index)] : TTransitionRecord{};
}

// A random family becomes one of its effects.
void MakeConcrete(TTransitionRecord& r, int32_t previousEffect) {
    switch (r.Effect) {
    case 100: RandomTransition(previousEffect, r); break;
    case 101: RandomTransition1(r); break;
    case 102: RandomTransition2(r); break;
    case 103: RandomTransition3(r); break;
    case 104: RandomTransition4(r); break;
    case 105: RandomTransition5(r); break;
    default: break;
    }
}

}  // namespace

void PopulateEffectsList() {
    EffectsList = {};
    EffectNames.Clear();
    AddEffect("No transition", 0, 0, 0);
    AddEffect("Randomize ALL", 100, 0, 0);
    AddEffect("Random Wipes", 101, 0, 0);
    AddEffect("Random Curtains", 102, 0, 0);
    AddEffect("Random Tiles + Mosaics", 103, 0, 0);
    AddEffect("Random Blinds", 104, 0, 0);
    AddEffect("Random Implodes + Explodes", 105, 0, 0);
    AddEffect("Blur Intro", 14, 1, 1);
    for (int m = 0; m < 4; ++m)
        for (int d = 0; d < 4; ++d) AddEffect(std::string("Wipe") + Modes[m] + Directions[d], 1 + d, m, 0);
    for (int k = 0; k < 4; ++k)
        for (int m = 0; m < 4; ++m) AddEffect(std::string("Curtains") + Modes[m] + Openings[k], 5 + k, m, 0);
    for (int s = 0; s < 6; ++s)
        for (int d = 0; d < 4; ++d) AddEffect(std::string("Tile") + Sizes[s] + Directions[d], 10 + d, 0, BlockSize(s));
    for (int s = 0; s < 6; ++s) AddEffect(std::string("Mosaic") + Sizes[s], 9, 0, BlockSize(s));
    for (int s = 0; s < 6; ++s)
        for (int m = 0; m < 4; ++m)
            for (int d = 0; d < 4; ++d)
                AddEffect(std::string("Blinds") + Sizes[s] + Modes[m] + Directions[d], 18 + d, m, BlockSize(s));
    for (int h = 0; h < 3; ++h) AddEffect(std::string("Explode") + Shapes[h], 17, 4 + h, 0);
    for (int h = 0; h < 3; ++h) AddEffect(std::string("Implode") + Shapes[h], 16, 4 + h, 0);
    AddEffect("Random Horizontal Lines", 32, 0, 0);
    AddEffect("Random Vertical Lines", 33, 0, 0);
}

TSelectedEffects ReadSelectedEffects(TRegistry& Registry) {
    TSelectedEffects selection{};
    std::vector<uint8_t> stored;
    try {
        stored = Registry.ReadBinary(SelectedEffectsValue);
    } catch (const ERegistryException&) {
        return selection;  // a value of another type holds no selection
    }
    if (stored.size() != selection.size())
        return selection;
    // The program writes the indexes in ascending order, so an index beyond
    // the catalogue or one not above its predecessor (such as the zeros after
    // the list when the count is too large) is no selection.
    const int count = std::min<int>(stored[255], EffectCount);
    int kept = 0;
    for (int i = 0; i < count; ++i) {
        const uint8_t index = stored[size_t(i)];
        if (index < EffectCount && (kept == 0 || index > selection[size_t(kept - 1)]))
            selection[size_t(kept++)] = index;
    }
    selection[255] = uint8_t(kept);
    return selection;
}

TSelectedEffects SelectedEffectsOfList() {
    TSelectedEffects selection{};
    int count = 0;
    for (size_t i = 0; i < EffectsList.size() && count < 255; ++i)
        if (EffectsList[i].Reserved[0] == 1)
            selection[size_t(count++)] = uint8_t(i);
    selection[255] = uint8_t(count);
    return selection;
}

TSlideTransition ChooseSlideTransition(bool ScriptMode, int32_t EffectIndex, int32_t LegacyEffect,
                                       const TSelectedEffects& Selection, int32_t& PreviousEffect, int32_t Width,
                                       int32_t Height, int32_t Speed,
                                       const std::function<int32_t(int32_t)>& Random) {
    const TRandomSource random(Random);
    TTransitionRecord record;
    if (ScriptMode) {
        record = Entry(EffectIndex != 0 ? EffectIndex : PickTransitionVariant(LegacyEffect));
    } else if (const int count = Selection[255]; count > 0) {
        record = Entry(Selection[size_t(random(count))]);
    } else {
        record.Effect = 100;  // "Randomize ALL"
    }
    MakeConcrete(record, PreviousEffect);
    TransitionSpeed = std::clamp(Speed, 0, 3) + 1;
    TTransitionRecord adjusted;
    AdjustTransition(record, Width, Height, adjusted);
    PreviousEffect = adjusted.Effect;
    if (Width < 65) {
        adjusted.Effect = 0;
        adjusted.Variant = 0;
        adjusted.Parameter = 0;
    }
    return {adjusted, adjusted.Second != 255};
}

int DrawSlideTransition(int Handle, const TImgSurface& Surface, const TRect& Dest, const TRect& Source,
                        const TSlideTransition& Transition, const TImgFxCallback& Wait) {
    const TTransitionRecord& r = Transition.Record;
    if (r.Effect == 0)
        return ImgDrawImage(Handle, Surface, Dest, Source);
    return ImgDrawImageFX(Handle, Surface, Dest, Source, r.Effect, r.Variant, r.Parameter,
                          Transition.Callback ? Wait : TImgFxCallback(), r.Second, r.Step, 0);
}

}  // namespace lumvor
