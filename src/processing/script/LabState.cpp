#include "processing/script/LabState.h"

#include "processing/tonal/ColorMaps.h"

#include <algorithm>

namespace lumvor {

void ResetLabState() {
    batch_8900::BatchForm = nullptr;
    batch_8900::BatchFormActive = false;
    batch_8900::BatchFormOpen = false;
    batch_8900::BatchRunning = false;
    batch_8900::NoLabBackup = false;
    FilterCustom1 = FilterCustom2 = FilterCustom3 = 0;
    PickedHue = PickedLightness = PickedSaturation = 0;
    ClearMaps();
}

std::string LabLine(const std::string& Keyword, std::initializer_list<int32_t> Numbers) {
    std::string line = Keyword;
    const size_t count = std::min<size_t>(Numbers.size(), 4);
    for (size_t i = 0; i < count; ++i) {
        line += i == 0 ? '=' : ',';
        line += std::to_string(Numbers.begin()[i]);
    }
    return line;
}

std::string LabTextLine(const std::string& Keyword, const std::string& Text) { return Keyword + "=" + Text; }

bool LabRecordsNow(TLabRecording Recording) {
    return Recording == TLabRecording::MenuOnly || !batch_8900::BatchRunning;
}

}  // namespace lumvor
