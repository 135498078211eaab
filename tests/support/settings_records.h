// Settings records written before the image window starts, so that it starts
// as on a machine where it ran before: no first-run windows, the given viewer
// record and an empty explorer record.
#pragma once

#include "state/ViewerSettings.h"
#include "platform/Registry.h"

#include <string>

namespace lumvor::test {

inline void WriteSettingsRecords(const TViewerControls& viewer, const std::string& exploreDir = "/tmp/") {
    TRegistry registry;
    registry.OpenKey(SettingsKey, true);
    registry.WriteBinaryData(ViewerRecordName, viewer.Bytes.data(), TViewerControls::Size);
    TByteRecord<140> explorer;
    registry.WriteBinaryData(ExplorerRecordName, explorer.Bytes.data(), 140);
    registry.WriteString("ExploreDir", exploreDir);
}

}  // namespace lumvor::test
