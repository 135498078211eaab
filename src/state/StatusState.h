// The long-run protocol's stop flag, shared by every loop that shows the status
// box (ui/Status_y.h) and by the code that asks such a loop to stop.
// GUI thread only.
#pragma once

#include <cstdint>

namespace lumvor {

// The user asked the running loop to stop (Cancel button or Escape).
inline std::uint8_t CancelPressed = 0;

}  // namespace lumvor
