// The Lab script interpreter: TWebForm::DoBatchImageProcess and one run.
#include "app/script/ScriptRun.h"

#include "app/dialogs/batch_8900.h"
#include "app/lumv8900.h"
#include "app/script/ScriptHandlers.h"
#include "imaging/Helpers.h"
#include "platform/Forms.h"
#include "ui/Pix.h"
#include "ui/Status_y.h"
#include "ui/voMsgBox.h"

#include <QStatusBar>

namespace lumvor {

using namespace lumv8900;

namespace {

constexpr std::string_view TracePointKeyword = "PROMPT";
constexpr const char* AbortQuestion = "Abort batch processing?";
// Times pending events run before each line.
constexpr int PumpsPerLine = 3;

void EmptyScratch(std::unique_ptr<TBitmap>& Bitmap) {
    if (Bitmap)
        EmptyBitmap(*Bitmap);
}

}  // namespace

void TWebForm::DoBatchImageProcess() {
    TScriptRun run(*this);
    run.Execute();
}

void TScriptRun::Call(std::string_view Routine, std::vector<int32_t> Args, const std::function<void()>& Work,
                      const std::string& Text) {
    if (TScriptRecorder* recorder = ScriptRecorder) {
        TScriptCallRecord record{std::string(Routine), std::move(Args), Text};
        recorder->Calls.push_back(record);
        if (recorder->OnCall)
            recorder->OnCall(record);
        if (!recorder->RunRoutines)
            return;
    }
    if (Work)
        Work();
}

std::vector<std::string> TScriptRun::MemoLines() const {
    const auto* form = batch_8900::BatchForm;
    if (!form || !form->Memo1) {
        std::vector<std::string> lines;
        for (int i = 0; i < LabScript.Count(); ++i) lines.push_back(LabScript[i]);
        return lines;
    }
    return form->ScriptLines();
}

bool TScriptRun::StopRequested() {
    for (int i = 0; i < PumpsPerLine; ++i) Application.ProcessMessages();
    if (!UserInterrupt && !CancelPressed)
        return false;
    Form.StatusText("Aborting.");
    Form.StatusBar->repaint();
    Application.ProcessMessages();
    Form.SaveDialogTag = 0;
    return true;
}

void TScriptRun::Execute() {
    for (auto* bitmap : {&WorkBitmap, &BackupBitmap, &DuplicateBitmap, &UndoBitmap}) EmptyScratch(*bitmap);
    try {
        for (bool firstPass = true;; firstPass = false) {
            // A stop asked for during the last line of a pass ends the loop
            // before the restart clears the request.
            if (!firstPass && StopRequested())
                break;
            const std::vector<std::string> lines = MemoLines();
            UserInterrupt = false;
            CancelPressed = 0;
            bool aborted = false;
            for (const std::string& line : lines) {
                if ((aborted = StopRequested()))
                    break;
                Form.SetBitmap24();
                RunLine(line);
                if (stopped_)
                    break;
            }
            if (aborted || stopped_ || !Loop)
                break;
        }
    } catch (...) {
        EndRun();
        throw;
    }
    EndRun();
}

void TScriptRun::RunLine(const std::string& Text) {
    if (Text.empty())
        return;
    Line = ParseScriptLine(Text);
    // The rows are compared in order up to the trace point even after a match:
    // a keyword placed before PROMPT has run when the trace question comes.
    bool matched = false;
    for (const TKeywordRow& row : KeywordTable()) {
        if (row.Keyword == TracePointKeyword) {
            TracePoint();
            if (stopped_ || matched)
                return;
        }
        const TKeywordHandler handler = KeywordHandler(row);
        if (matched || !handler || Line.Keyword != row.Keyword)
            continue;
        matched = true;
        std::array<int32_t, 4> values = Line.Values;
        if (!CheckValues(row, values))
            continue;
        ApplySets(row, values);
        TScriptArgs args{row.Keyword, row.Routine, row.Arity, values[0], values[1], values[2], values[3], Line.Text};
        handler(*this, args);
        if (stopped_)
            return;
    }
}

void TScriptRun::TracePoint() {
    const bool prompt = Line.Keyword == TracePointKeyword;
    // Blank lines and lines that failed to convert do not stop.
    if (!prompt && !(Trace && !Line.Keyword.empty()))
        return;
    Form.RefreshImage();
    if (Trace)
        Form.Daz95->repaint();
    const std::string text = Trace ? Line.Keyword + "\n\n" + AbortQuestion : std::string("\n") + AbortQuestion;
    if (voMessageDlg("", "", text, mtConfirmation, mbYesNo, mbYes, 0) != mrYes)
        return;
    Form.SaveDialogTag = 0;
    stopped_ = true;
}

void TScriptRun::EndRun() {
    for (auto* bitmap : {&WorkBitmap, &BackupBitmap, &UndoBitmap}) EmptyScratch(*bitmap);
    AutoFixBusy = false;
    Screen.SetCursor(crDefault);
    Form.RefreshImage();
    Form.AnyTimer->Tag = 2;
    Form.AnyTimer->SetEnabled(true);
}

}  // namespace lumvor
