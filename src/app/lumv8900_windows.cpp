// The image window's one-shot timers and the batch runs' remaining-time text.
#include "app/lumv8900.h"

#include "platform/SysUtils.h"

#include <QStatusBar>

namespace lumvor {

using namespace lumv8900;

// ---- Timers and progress texts

void TWebForm::ExplorerTimerTimer() {
    ExplorerTimer->SetEnabled(false);
    btnExploreClick(this);
}

void TWebForm::AnyTimerTimer() {
    Screen.SetCursor(crDefault);
    if (AnyTimer->Tag == 1 || AnyTimer->Tag == 2) {
        StatusText(AnyTimer->Tag == 1 ? "Batch done." : "Lab done.");
        StatusBar->repaint();
    }
    AnyTimer->SetEnabled(false);
    AnyTimer->Tag = 0;
}

void TWebForm::TimeToFinish(bool ShowRate, int Remaining, std::string& Text) {
    if (SlidesPerMinute < 1)
        SlidesPerMinute = 1;
    const std::string prefix = ShowRate ? "Files/min: " + IntToStr(SlidesPerMinute) + " ... " : "";
    const int minutes = Remaining / SlidesPerMinute;
    Text = prefix + "~ " + (minutes >= 2 ? IntToStr(minutes) : std::string("1")) + " min. to finish";
}

}  // namespace lumvor
