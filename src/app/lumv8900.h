// The image window's module globals that other windows and dialogs read and write.
#pragma once

#include <array>

#include "imaging/Transitions.h"
#include "platform/Classes.h"

namespace lumvor::lumv8900 {

// ---- Bookmarks and slide-show transitions (used by the list dialog)

// The bookmark list: one picture file per line.
inline TStringList ImageHistoryList;
// The slide transition effects table; byte 4 of a record (Reserved[0]) is 1 when
// the effect belongs to the user's random set.
inline std::array<TTransitionRecord, 256> EffectsList{};

}  // namespace lumvor::lumv8900
