// The shared state of the editing commands, and the recorder of the Lab script.
//
// Every Edit, Image, Enhance and Lab command, the script interpreter, batch runs
// and the filter dialog meet through these globals. The header holds no widget:
// the Lab Script window itself (a form) is declared in app/dialogs/batch_8900.h.
//
// Re-entrancy flags (`BatchRunning`, `AutoFixBusy`) that a compound command sets
// around an inner step are set through TScopedFlag, so that an exception leaves
// them as they were.
//
// GUI thread only.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace lumvor {

class TBatchForm;

namespace batch_8900 {

// The Lab Script window (null until it is first made).
inline TBatchForm* BatchForm = nullptr;
// The Lab Script window exists (made on first use, kept until the end).
inline bool BatchFormActive = false;
// The Lab Script window was activated once; hiding it does not clear this.
// While set, recorded lines go into its memo instead of `LabScript`.
inline bool BatchFormOpen = false;
// A Lab script, a batch conversion or a compound editing command runs: steps
// then record no line and take no undo copy.
inline bool BatchRunning = false;
// "No &Undo (faster)": a running script keeps no backup.
inline bool NoLabBackup = false;

}  // namespace batch_8900

// Up to three extra parameters the filter dialog, the interpreter and compound
// commands hand to the image routines. Colour-box parameters are packed as the
// tolerance in bits 16..31 and the centre in the low 16 bits.
inline int32_t FilterCustom1 = 0;
inline int32_t FilterCustom2 = 0;
inline int32_t FilterCustom3 = 0;

// Hue, lightness and saturation (0..3600, as RGBToHLS gives them) of the colour
// picked in the filter dialog.
inline int32_t PickedHue = 0;
inline int32_t PickedLightness = 0;
inline int32_t PickedSaturation = 0;

// Puts every global of the editing commands back to its value at program start:
// the batch flags above (the window pointer only set to null, the window is not
// freed), the filter parameters, the picked colour, and the colour maps and word
// tables (all zero). For tests.
void ResetLabState();

// Sets a flag for the life of the object and gives it back its earlier value
// when the object goes, also when an exception passes.
class TScopedFlag {
public:
    TScopedFlag(bool& Flag, bool Value) : flag_(Flag), saved_(Flag) { Flag = Value; }
    ~TScopedFlag() { flag_ = saved_; }
    TScopedFlag(const TScopedFlag&) = delete;
    TScopedFlag& operator=(const TScopedFlag&) = delete;

private:
    bool& flag_;
    bool saved_;
};

// ---- Script lines

// A script line of a keyword alone ("NEGATIVE") or with up to four integers in
// decimal, no blanks ("GAMMA=120,100,80"). More than four numbers is a caller's
// mistake: only the first four are written.
std::string LabLine(const std::string& Keyword, std::initializer_list<int32_t> Numbers = {});
// A script line whose argument is a text ("SAVE=_web").
std::string LabTextLine(const std::string& Keyword, const std::string& Text);

// Appends a line to the Lab script: to the memo of the Lab Script window once
// it was opened (`BatchFormOpen`, whether it is shown or hidden now), otherwise
// to the image window's `LabScript`. Never checks the line, never fails.
void AddLabCommand(const std::string& Line);

// Who may record a command's line.
enum class TLabRecording {
    // The interpreter or another command can run it as a step: it records only
    // while no script or compound command runs (`BatchRunning` clear).
    Step,
    // Only the user interface reaches it: it always records.
    MenuOnly,
};

// Whether a command of that kind records now.
bool LabRecordsNow(TLabRecording Recording);

// The value dialogs' answer for Cancel.
inline constexpr int32_t LabCancelled = -999;

}  // namespace lumvor
