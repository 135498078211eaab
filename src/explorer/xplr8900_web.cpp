// The explorer's commands on the web options: loading, saving with the
// quality question, resetting, and the options dialog on its own.
#include "explorer/xplr8900.h"

#include "explorer/WebDlg.h"
#include "explorer/WebOptions.h"
#include "ui/usrdlg_w.h"

namespace lumvor {

using namespace xplr8900;

void TFileForm::LoadWebOptions() { ReadWebOptions(WebDir); }

void TFileForm::SaveWebOptions(bool AskQuality) {
    if (AskQuality) {
        TXScrlDlgParam param;
        param.Min = 1;
        param.Max = 100;
        param.Position = HTMLset9.ThumbQuality();
        param.LargeChange = 10;
        param.SmallChange = 1;
        const int quality = ExecuteXScrlDlg("Thumbnail (or Contact Sheet) Compression", "", "", param);
        if (quality != XScrlCancelled) HTMLset9.SetThumbQuality(quality);
    }
    WriteWebOptions(WebDir);
}

void TFileForm::mnuWebOptions1Click(QObject*) {
    Edit_Start();
    struct TEditGuard {
        TFileForm* form;
        ~TEditGuard() { form->Edit_End(); }
    } guard{this};
    LoadWebOptions();
    if (ExecuteWebDlg(-1) == 1) SaveWebOptions(false);
}

void TFileForm::mnuResetWebOptionsClick(QObject* Sender) {
    SetWebDefaults(HTMLset9, 0);
    WebDir.clear();
    WebFolder.clear();
    PageHome.clear();
    PageBanner.clear();
    SaveWebOptions(false);
    mnuWebOptions1Click(Sender);
}

}  // namespace lumvor
