// System-wide named markers, as global atoms are used: one process adds a name,
// any process can ask whether it exists.
//
// A marker is a kernel lock on a file in RuntimeFolder(), taken by the process
// that added it in one step. It exists while that process lives and holds it:
// the file of a process that crashed or was killed, an empty file or one with
// any other content counts as absent. Looking a marker up only asks the kernel
// and never takes the lock. Deleting only releases markers this process added.
// GUI thread only.
#pragma once

#include <cstdint>
#include <string>

namespace lumvor {

using ATOM = uint16_t;

// Adds the marker (or counts one more addition when this process holds it) and
// answers its number; 0 when the marker could not be made or another live
// process holds it.
ATOM GlobalAddAtom(const std::string& name);
// The marker's number when some live process holds it, else 0.
ATOM GlobalFindAtom(const std::string& name);
// Takes back one addition of this process; the marker goes with the last one.
// Always answers 0.
ATOM GlobalDeleteAtom(ATOM atom);

}  // namespace lumvor
