#include "ui/LongRun.h"

#include "state/ViewerState.h"
#include "imaging/Helpers.h"
#include "platform/Forms.h"
#include "platform/SysUtils.h"
#include "platform/Volumes.h"
#include "ui/Status_y.h"
#include "ui/voMsgBox.h"

namespace lumvor {

namespace {

constexpr uint32_t kProgressUnitMs = 600;

int Warning(const std::string& Text, uint16_t Buttons) {
    return voMessageDlg("", "", Text, mtWarning, Buttons, AutoDefaultButton, 0);
}

}  // namespace

bool LongRunRefused() {
    if (!IsBusy)
        return false;
    Warning(CriticalProcessText, mbOKOnly);
    return true;
}

bool IsNetworkServerRoot(const std::string& Folder) {
    const std::string folder = AddBackslash(Folder);
    if (folder.rfind("//", 0) == 0) {
        const std::string server = folder.substr(2, folder.size() - 3);
        return !server.empty() && server.find('/') == std::string::npos;
    }
    return folder == NetworkMountFolder();
}

bool NetworkRunAllowed(const std::string& Folder) {
    if (!IsNetworkPlace(AddBackslash(Folder)))
        return true;
    if (IsNetworkServerRoot(Folder)) {
        Warning(SharedFolderText + Folder, ButtonBit(mbCancel));
        return false;
    }
    if (lumv8900::NetPasswordWarned)
        return true;
    const int answer = Warning(NetworkListText, ButtonBit(mbOK) | ButtonBit(mbCancel) | ButtonBit(mbIgnore));
    if (answer == mrIgnore)
        lumv8900::NetPasswordWarned = true;
    return answer == mrOk || answer == mrIgnore;
}

bool LongRunCancelled() {
    if (lumv8900::AppQuitting)
        CancelPressed = 1;
    if (!CancelPressed)
        return false;
    if (lumv8900::AppQuitting)
        return true;
    if (voMessageDlg("", "", CancelBatchText, mtConfirmation, mbYesNo, mbNo, 0) == mrYes)
        return true;
    CancelPressed = 0;
    return false;
}

void StartProgressClock() { lumv8900::ProgressStartTick = GetTickCount(); }

std::string ScanRateStatus(int64_t FilesScanned) {
    lumv8900::ProgressElapsed = int32_t((GetTickCount() - lumv8900::ProgressStartTick) / kProgressUnitMs);
    return ScanRateText(FilesScanned, lumv8900::ProgressElapsed);
}

std::string ScanRateText(int64_t FilesScanned, int32_t ElapsedUnits) {
    if (ElapsedUnits < 2)
        return "";
    return "Files scanned: " + std::to_string(FilesScanned) +
           " ... Files/min: " + std::to_string(FilesScanned * 100 / ElapsedUnits);
}

bool TProgressPacer::Due() {
    const uint32_t now = GetTickCount();
    if (started_ && now - last_ < interval_)
        return false;
    started_ = true;
    last_ = now;
    return true;
}

}  // namespace lumvor
