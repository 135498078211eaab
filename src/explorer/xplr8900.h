// The explorer window's module globals that other windows and dialogs read and write.
#pragma once

#include "platform/Classes.h"

namespace lumvor::xplr8900 {

// ---- Visited folders (used by the list dialog)

// The visited folders, each with a trailing "/".
inline TStringList HistoryList;
// The position in HistoryList; -1 when it is empty.
inline int HistoryIndex = -1;

}  // namespace lumvor::xplr8900
