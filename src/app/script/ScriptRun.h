// One run of the Lab script interpreter (TWebForm::DoBatchImageProcess), and
// the seam through which tests see the image routines the keywords call.
//
// A run copies the memo's lines, and for each line lets pending events run,
// stops on a stop request (UserInterrupt, CancelPressed), makes the picture
// 24-bit, parses the line and compares its keyword with the keyword table in
// its order. The row that matches checks its values and calls its handler.
// PROMPT's place in the order is also the trace point: in trace mode every
// line asks there whether to abort.
//
// GUI thread only.
#pragma once

#include "processing/script/ScriptParser.h"
#include "processing/script/ScriptTable.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lumvor {

class TWebForm;

// A call of an image routine as a handler made it: the routine's name and the
// final values it was handed.
struct TScriptCallRecord {
    std::string Routine;
    std::vector<int32_t> Args;
    std::string Text;
    bool operator==(const TScriptCallRecord&) const = default;
};

// Test seam: while installed (ScriptRecorder), every routine call of a
// handler is recorded; with RunRoutines clear the routines themselves do not
// run, so the checks can be tested without them. OnCall, when set, runs after
// each record.
struct TScriptRecorder {
    std::vector<TScriptCallRecord> Calls;
    bool RunRoutines = true;
    std::function<void(const TScriptCallRecord&)> OnCall;
};
inline TScriptRecorder* ScriptRecorder = nullptr;

class TScriptRun {
public:
    explicit TScriptRun(TWebForm& Form) : Form(Form) {}

    // The whole run: every pass, then the end of the run.
    void Execute();

    // Runs one image routine of a handler: recorded when the seam is
    // installed, then Work (none: a routine not built yet, which does nothing).
    void Call(std::string_view Routine, std::vector<int32_t> Args, const std::function<void()>& Work = {},
              const std::string& Text = {});

    // Ends the run after the current line (a prompt answered Yes).
    void Stop() { stopped_ = true; }

    TWebForm& Form;
    // The line being run, parsed.
    TScriptLine Line;
    // Single-step mode, set by TRACE for the rest of the call.
    bool Trace = false;
    // Set by LOOP: the script starts again after its last line.
    bool Loop = false;

private:
    std::vector<std::string> MemoLines() const;
    // True when a stop request ends the run; says "Aborting." then.
    bool StopRequested();
    void RunLine(const std::string& Text);
    // The trace point at PROMPT's place in the order.
    void TracePoint();
    void EndRun();

    bool stopped_ = false;
};

}  // namespace lumvor
