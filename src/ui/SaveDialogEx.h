// The picture save dialog: "Help" and "Recent" plus the JPEG settings below
// the standard controls.
//
// The settings row holds the "&Progressive" check box under the type label,
// and under the type combo the "Compress:" button (showing the quality, and
// handing over to the advanced compression wizard) and a scroll bar for the
// quality from 1 to 99. Which of them show follows the chosen file type: the
// owner sets HiddenDefaultExt in OnTypeChange; "jpg" (or HTML output) shows
// the compression controls, anything else hides them, and "&Progressive" stays
// enabled only for "jpg" and "png". The caller reads CompressQuality,
// Progressive(), WizardSelected and ExecuteRecent after Execute; the controls
// keep their values from one run to the next.
#pragma once

#include "ui/MeDialogs.h"

#include <QCheckBox>
#include <QScrollBar>

namespace lumvor {

class TSaveDialogEx : public TRecentDialogEx<TMeSaveDialog> {
public:
    explicit TSaveDialogEx(QObject* owner = nullptr);

    bool ShowRecent98 = false;
    bool CanUseWizard = false;
    bool WizardSelected = false;
    bool EnableScrollbar = false;
    bool EnableProgressive = false;
    bool Gray = false;
    bool HTML = false;

    int CompressQuality() const { return compressQuality_; }
    // Also moves the scroll bar (values outside 1..99 are brought into it).
    void SetCompressQuality(int quality);
    // 1 when "&Progressive" is ticked, else 0.
    int Progressive() const { return CheckPJpeg->isChecked() ? 1 : 0; }

    QPushButton* FCompress;
    QCheckBox* CheckPJpeg;
    QScrollBar* JPEGscroll;

    bool Execute() override;

protected:
    void DoShow() override;
    void DoTypeChange() override;
    void PlaceControls(THookedFileDialog& dialog) override;

private:
    void ShowCompressCaption();
    void ForceHtmlControls();

    int compressQuality_ = 25;
};

}  // namespace lumvor
