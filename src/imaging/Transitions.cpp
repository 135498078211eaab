#include "imaging/Transitions.h"

#include "platform/Forms.h"
#include "platform/SysUtils.h"

#include <algorithm>

namespace lumvor {

namespace {

int32_t Rand(int32_t n) {
    const int32_t value = TransitionRandom ? TransitionRandom(n) : Random(n);
    return std::clamp(value, 0, std::max(n - 1, 0));
}

}  // namespace

void RandomTransition1(TTransitionRecord& Record) {
    Record.Effect = static_cast<uint8_t>(1 + Rand(4));
    Record.Variant = static_cast<uint8_t>(Rand(4));
}

void RandomTransition2(TTransitionRecord& Record) {
    Record.Effect = static_cast<uint8_t>(5 + Rand(4));
    Record.Variant = static_cast<uint8_t>(Rand(4));
}

void RandomTransition3(TTransitionRecord& Record) {
    Record.Effect = static_cast<uint8_t>(9 + Rand(5));
    Record.Variant = 0;
    Record.Parameter = std::clamp(1 << (Rand(5) + 1), 2, 64);
}

void RandomTransition4(TTransitionRecord& Record) {
    Record.Effect = static_cast<uint8_t>(18 + Rand(4));
    Record.Variant = static_cast<uint8_t>(Rand(4));
    Record.Parameter = std::max(Rand(8) * 8, 8);
}

void RandomTransition5(TTransitionRecord& Record) {
    Record.Effect = static_cast<uint8_t>(16 + Rand(2));
    Record.Variant = static_cast<uint8_t>(4 + Rand(3));
}

void RandomTransition(int32_t PreviousEffect, TTransitionRecord& Record) {
    // A fixed source that keeps drawing the previous effect must not hang the
    // show: after many draws the groups are taken in turn.
    for (int attempt = 0;; ++attempt) {
        const int32_t group = attempt < 10000 ? Rand(101) / 20 : attempt % 6;
        switch (group) {
        case 0: RandomTransition4(Record); break;
        case 1: RandomTransition3(Record); break;
        case 2: RandomTransition1(Record); break;
        case 3: RandomTransition5(Record); break;
        case 4: RandomTransition2(Record); break;
        default:
            Record.Effect = 14;
            Record.Variant = 1;
            Record.Parameter = 1;
            break;
        }
        if (Record.Effect != PreviousEffect) return;
    }
}

int32_t PickTransitionVariant(int32_t LegacyCode) {
    const int32_t r = Rand(100);
    auto either = [r](int32_t first, int32_t second) { return r > 50 ? first : second; };
    switch (LegacyCode) {
    case 1: return either(15, 23);
    case 2: return either(14, 22);
    case 3: return either(13, 21);
    case 4: return either(12, 20);
    case 5: return 40 + Rand(4);
    case 6: return 44 + Rand(4);
    case 7: return 48 + Rand(4);
    case 8: return 52 + Rand(4);
    case 9: return 172;
    case 10: return 173;
    case 11: return 27;
    case 12: return 35;
    case 13: return 33;
    case 14: return 25;
    case 15: return 166;
    case 16: return 169;
    case 17: return either(28, 36);
    case 18: return either(24, 32);
    case 19: return 168;
    case 20: return 171;
    case 21: return 39;
    case 22: return 31;
    case 23: return 29;
    case 24: return 37;
    case 25: return 115;
    case 26: return 114;
    case 27: return 116;
    case 28: return 117;
    case 29: return 1;
    default: return 0;
    }
}

void AdjustTransition(const TTransitionRecord& Record, int32_t ImageWidth, int32_t ImageHeight,
                      TTransitionRecord& Result) {
    const int32_t S = TransitionSpeed;
    Result = Record;
    TTransitionRecord& r = Result;
    const int effect = Record.Effect;
    if (effect >= 1 && effect <= 4) {
        r.Step = 10;
        r.Second = 255;
        const int32_t t = S + (r.Variant & 1);
        switch (t) {
        case 1: r.Parameter = 1; break;
        case 2: r.Second = 1; r.Parameter = 1; break;
        case 3: r.Step = 10; r.Second = 0; r.Parameter = 1; break;
        case 4: r.Step = 40; r.Second = 0; r.Parameter = 1; break;
        default: r.Parameter = 2; break;
        }
        if (r.Variant == 2) {
            r.Effect = static_cast<uint8_t>(effect + 17);
            int32_t k = 6;
            if (S == 1) {
                k = 4;
            } else if (S == 2) {
                k = 4;
                r.Step = 10;
                r.Second = 2;
            } else if (S == 3) {
                k = 2;
                r.Step = 10;
                r.Second = 0;
            }
            r.Parameter = static_cast<int32_t>(static_cast<uint32_t>(Screen.Width()) << 16 | static_cast<uint32_t>(k));
        }
    } else if (effect >= 5 && effect <= 8) {
        r.Step = 10;
        r.Second = 255;
        switch (S) {
        case 1: r.Parameter = 2; break;
        case 2: r.Parameter = 1; break;
        case 3: r.Parameter = 1; r.Step = 10; r.Second = 0; break;
        default: r.Parameter = 4; break;
        }
    } else if (effect >= 9 && effect <= 13) {
        r.Step = 20;
        r.Variant = 1;
        r.Second = 255;
        int32_t t = S;
        if ((r.Parameter & 0xFF) < 5 && S >= 1) --t;
        if (effect > 9) r.Parameter |= 0x10000;
        switch (t) {
        case 1: r.Second = 4; break;
        case 2: r.Second = 2; break;
        case 3: r.Step = 10; r.Second = 0; break;
        default: break;
        }
    } else if (effect == 14) {
        r.Step = 20;
        r.Second = 255;
    } else if (effect == 16 || effect == 17) {
        r.Step = 20;
        r.Second = 255;
        switch (S) {
        case 1: r.Parameter = 0x20002; break;
        case 2: r.Parameter = 0x10001; break;
        case 3: r.Parameter = 0x10001; r.Second = 0; break;
        default: r.Parameter = 0x40004; break;
        }
    } else if (effect >= 18 && effect <= 21) {
        if (r.Parameter < 65535) r.Parameter = static_cast<int32_t>(static_cast<uint32_t>(r.Parameter) << 16 | 1u);
        const uint32_t h = static_cast<uint32_t>(r.Parameter) >> 16;
        const int32_t step = h < 8 ? 200 : 50;
        r.Step = S != 0 ? static_cast<uint8_t>(step * S) : 10;
        // A parameter without a high word would divide by zero: count it as one.
        r.Second = static_cast<uint8_t>(100 / std::max<uint32_t>(h, 1));
    } else if (effect == 32 || effect == 33) {
        r.Step = 1;
        r.Second = 0;
        r.Variant = 3;
        if (effect == 32) {
            r.Parameter = ImageWidth | 0x10000;
        } else {
            r.Parameter = static_cast<int32_t>(static_cast<uint32_t>(ImageHeight) << 16 | 1u);
        }
        switch (S) {
        case 1: r.Step = 1; break;
        case 2: r.Step = 10; break;
        case 3: r.Step = 20; break;
        default:
            if (effect == 32) {
                r.Parameter |= 0x20000;
            } else {
                r.Parameter = (r.Parameter & ~0xFFFF) | 2;
            }
            break;
        }
        r.Effect = 9;
    } else {
        r.Effect = 0;
        r.Variant = 0;
        r.Step = 20;
        r.Second = 255;
        r.Parameter = 0;
    }
}

}  // namespace lumvor
