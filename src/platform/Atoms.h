// System-wide named markers, as global atoms are used: one process adds a name,
// any process can ask whether it exists.
//
// A marker is a lock file in RuntimeFolder() held by the process that added it.
// It exists while that process lives and holds it: a marker left behind by a
// process that crashed or was killed is stale and counts as absent (it is
// removed by the next look-up). Deleting only releases markers this process
// added. GUI thread only.
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
