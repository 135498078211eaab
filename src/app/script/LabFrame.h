// The frame every Edit, Image, Enhance and Lab command of the image window runs in.
//
// A command is a TWebForm method that stays thin: it describes itself in a
// TLabCommand (its busy text, who may record it, when it records, how it ends,
// and three steps: parameters, line, work) and calls RunLabCommand, which runs
// the steps in this order:
//   1. AutoBackUp: the undo copy (skipped while a script runs or "No Undo" is
//      on). A refused copy ends the command: nothing else happens.
//   2. SetBitmap24: the viewer picture becomes 24-bit (unless the command
//      handles every depth itself: To24Bit clear).
//   3. Parameters: a dialog or the script's values; false (a dialog answering
//      LabCancelled) ends the command without a line; the undo copy stays.
//   4. StatusBusy(BusyText): "Busy ...", the text in status panel 2, hourglass
//      (no busy status for an empty BusyText).
//   5. The line (before or after the work): recorded with AddLabCommand when
//      LabRecordsNow(Recording) holds, in the final, clamped form the work uses.
//      A line break in it separates two lines.
//   6. The work on the pixels. A work that can fail (Attempt) and answers false
//      has left the picture as it was and told the user: the command then ends
//      with "Ready." and no line or ending (such commands record after work).
//   7. The ending: ExitFilter(Daz95) for filters, ProcessDone for commands that
//      change the picture's size, or StatusReady, RefreshImage and ImageChanged
//      for the two-image commands.
// An exception from a step passes on to the caller (the application's handler);
// flags and locks held in scope guards are released on the way.
//
// The pixel work itself is a headless routine (src/processing) over TBitmap.
// The TWebForm routine with a picture-control argument only picks the partner
// picture (LabPartner), holds the locks (TPaintLock) and calls it.
//
// GUI thread only.
#pragma once

#include "processing/script/LabState.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace lumvor {

class TBitmap;
class TPix;
class TWebForm;
using TFilterDlgResult = std::array<int32_t, 7>;
struct TFilterDlgParam;

// How a command ends.
enum class TLabEnding {
    Filter,      // ExitFilter on the viewer picture
    SizeChange,  // ProcessDone
    TwoImage,    // StatusReady, RefreshImage, ImageChanged := true
};

// Where the line goes relative to the work.
enum class TLabLineTime { BeforeWork, AfterWork };

struct TLabCommand {
    // Status panel 2 while the command works ("Applying filter ...").
    std::string BusyText;
    TLabRecording Recording = TLabRecording::Step;
    TLabLineTime LineTime = TLabLineTime::BeforeWork;
    TLabEnding Ending = TLabEnding::Filter;
    // False for commands that keep the picture's depth (flips, rotation, size changes).
    bool To24Bit = true;
    // Obtains the parameters; false when the user cancelled. None: no parameters.
    std::function<bool()> Parameters;
    // The script line with the values the work uses. None: the command records nothing.
    std::function<std::string()> Line;
    // The work on the pixels.
    std::function<void()> Work;
    // Work that can fail, run after Work: false when it failed (see above).
    std::function<bool()> Attempt;
};

// Runs a command in the frame (see above). False when the undo copy was refused,
// the parameters were cancelled or the attempt failed; true once the work and
// ending ran.
bool RunLabCommand(TWebForm& Form, const TLabCommand& Command);

// True when a value dialog's answer means Cancel.
inline bool LabDialogCancelled(int Answer) { return Answer == LabCancelled; }

// The partner picture of the Lab routines: the duplicate (DuplicateBitmap) for
// the viewer picture, WorkBitmap for any other picture control (the filter
// dialog's preview). Null while that second picture does not exist.
TBitmap* LabPartner(const TWebForm& Form, const TPix* Pix);

// The partner of a composite on Pix when the two pictures can be combined
// (for the viewer picture Ok2ComputeFull must hold, and the partner must have
// Pix's size); null otherwise (the routine then changes nothing).
TBitmap* CompositePartner(TWebForm& Form, TPix* Pix);

// The start of the two-image commands with a dialog: false after the refusal
// box when the pictures cannot be combined.
bool TwoImagesReady(TWebForm& Form);

// The filter dialog without caption or end labels on Param; false when
// cancelled, else FilterCustom1..3 := the result's custom values.
bool AskFilterDialog(const TFilterDlgParam& Param, TFilterDlgResult& Result);

// The filter dialog's record with slider 1 only, from Min to Max at Position.
TFilterDlgParam OneSlider(int Min, int Max, int Position, int PageSize, int LineSize, int MethodCode);

// The filter dialog with its caption and end labels; false when cancelled
// (FilterCustom1..3 are left to the caller).
bool AskFilterDlg(const std::string& Caption, const std::string& MinLabel, const std::string& MaxLabel,
                  const TFilterDlgParam& Param, TFilterDlgResult& Result);

// The filter dialog of a two-image method group (slider 1 from 1 to 255 at 3,
// mask panel silver); false when cancelled, else FilterCustom1..3 := the
// result's custom values.
bool AskTwoImageGroup(int32_t Group, TFilterDlgResult& Result);

// Holds a picture control's paint lock and its bitmap's canvas lock for a
// pixel loop; both are released when the guard goes, also on an exception.
class TPaintLock {
public:
    explicit TPaintLock(TPix& Pix);
    ~TPaintLock();
    TPaintLock(const TPaintLock&) = delete;
    TPaintLock& operator=(const TPaintLock&) = delete;

private:
    TPix& pix_;
};

// Runs Work on Pix's (24-bit) bitmap inside TPaintLock, then the filters'
// ending ExitFilter(Pix). An exception from Work passes on, locks released.
void FilterPix(TWebForm& Form, TPix* Pix, const std::function<void(TBitmap&)>& Work);

// Lends the duplicate to a command that fills it with pictures of its own: the
// user's duplicate is parked when the loan starts (SaveDuplicateToTemp, before
// the command's first Duplicate) and given back when it ends, on every way out
// (RestoreDuplicateFromTemp). Loans do not nest.
class TDuplicateLoan {
public:
    explicit TDuplicateLoan(TWebForm& Form);
    ~TDuplicateLoan();
    TDuplicateLoan(const TDuplicateLoan&) = delete;
    TDuplicateLoan& operator=(const TDuplicateLoan&) = delete;

private:
    TWebForm& form_;
};

}  // namespace lumvor
