// What the explorer's long runs over folders share: the refusal while another
// run holds IsBusy, the network warnings before a run over a network place, the
// cancel rule checked between steps, and the scan-rate line of the progress box.
//
// A run keeps the protocol of the status box (ui/Status_y.h): it shows the box,
// sets IsBusy, lets events through between steps, asks LongRunCancelled after
// each step and closes the box at the end. The progress clock counts in units of
// 600 ms (ProgressStartTick, ProgressElapsed in app/lumv8900.h).
//
// GUI thread only.
#pragma once

#include <cstdint>
#include <string>

namespace lumvor {

// The warning of a command refused while another long run works.
inline constexpr const char* CriticalProcessText =
    "A critical process is being executed.\nCancel the process to proceed.";

// The question of the cancel rule.
inline constexpr const char* CancelBatchText = "Cancel batch operation?";

// The warning before a run over a network place, unless the user chose to
// ignore it for the rest of the program's run. Mounting the shared folder is
// what makes it a "local" drive here.
inline constexpr const char* NetworkListText =
    "Password dialogs are NOT invoked for recursive lists of networked resources.\nFor fast/persistent "
    "connections, mount the shared folder\nto make contents visible as a \"local\" drive.  Continue?\n\n"
    "Ignore this dialog (for experts).";

// The warning of a run started on a network server instead of one of its shares;
// the path follows it.
inline constexpr const char* SharedFolderText = "Please select a shared folder from the server.\n";

// When IsBusy is set, warns CriticalProcessText (OK) and answers true: the
// command must not start and changes nothing. False otherwise.
bool LongRunRefused();

// Whether Folder is a network server rather than a shared folder of it: a
// "//server/" path, or the mount of the network places itself (which holds the
// servers' shares, not a share).
bool IsNetworkServerRoot(const std::string& Folder);

// The network checks before a run over Folder. A folder that is not a network
// place (a mounted network file system is a local drive here) passes at once.
// A server's root gives SharedFolderText + Folder (warning, Cancel) and false.
// Otherwise, unless NetPasswordWarned is set, NetworkListText (warning; OK,
// Cancel, Ignore): Cancel answers false; Ignore sets NetPasswordWarned for the
// rest of the program's run. True when the run may start.
bool NetworkRunAllowed(const std::string& Folder);

// The cancel rule, checked before a run's first step and after each step.
// AppQuitting sets CancelPressed. When CancelPressed is set: under AppQuitting
// the run ends at once without asking; otherwise "Cancel batch operation?"
// (confirmation; Yes, No; default No) ends it on Yes, and No clears
// CancelPressed. True when the run must end (CancelPressed then stays set).
bool LongRunCancelled();

// Starts the progress clock: ProgressStartTick := the tick count.
void StartProgressClock();

// Sets ProgressElapsed to the 600 ms units since StartProgressClock and answers
// ScanRateText for them.
std::string ScanRateStatus(int64_t FilesScanned);

// "Files scanned: " + FilesScanned + " ... Files/min: " + FilesScanned x 100 /
// ElapsedUnits once two units of 600 ms have passed; "" before.
std::string ScanRateText(int64_t FilesScanned, int32_t ElapsedUnits);

// Spaces the updates of a progress box: Due answers true on its first call and
// then at most once per Interval milliseconds, so that a run over many small
// folders does not spend its time repainting.
class TProgressPacer {
public:
    explicit TProgressPacer(uint32_t IntervalMs = 250) : interval_(IntervalMs) {}
    bool Due();

private:
    uint32_t interval_;
    uint32_t last_ = 0;
    bool started_ = false;
};

}  // namespace lumvor
