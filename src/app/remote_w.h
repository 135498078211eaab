// The slide show's remote control: a small modal dialog that jumps to a slide,
// steps, restarts or stops the show.
//
// The slide number is typed in an edit coupled to a scroll bar; typed numbers
// are clamped to the show's first and last slide. GUI thread only.
#pragma once

#include "platform/Forms.h"

#include <cstdint>

class QLineEdit;
class QPushButton;
class QScrollBar;

namespace lumvor {

class TToolBarEx;
class TToolButtonEx;

// What the slide show hands the dialog.
struct TRemoteEntry {
    int32_t Min = 1;
    int32_t Max = 1;
    int32_t Position = 1;
    int32_t SmallChange = 1;
    int32_t LargeChange = 1;
    int32_t Reserved[4] = {};  // copied, not used
};

// What the dialog answers: the chosen slide (-999 when cancelled), the action
// (1 go to the slide, 0 play on) and the dialog's final position.
struct TRemoteAnswer {
    int32_t Value = -999;
    int32_t Action = 1;
    int32_t Left = 0;
    int32_t Top = 0;
};

namespace remote_w {
inline constexpr int32_t RemoteCancelled = -999;
// The show's bounds and the slide shown while the dialog runs.
inline int32_t Min = 1, Max = 1, Position = 1;
// 1 = go to the slide, 0 = play on.
inline int32_t Action = 1;
// Set while the user types in the edit, so edit and scroll bar do not feed each other.
inline bool Typing = false;
// Where the dialog opens; -1 = centred on the screen. The dialog's last
// position is kept here for its next opening.
inline int32_t RemoteLeft = -1, RemoteTop = -1;
}  // namespace remote_w

class TRemoteDialog : public TModalForm {
public:
    explicit TRemoteDialog(QWidget* owner = nullptr);

    QLineEdit* CustomSetting;
    QScrollBar* CustomScrollBar;
    TToolBarEx* ToolBarEx1;
    TToolButtonEx* btnFirstSlide;
    TToolButtonEx* btnLastSlide;
    TToolButtonEx* btnPrevSlide;
    TToolButtonEx* btnNextSlide;
    TToolButtonEx* btnPlay;
    TToolButtonEx* btnStop;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QPushButton* btnHelp;

    void FormCreate();
    void FormActivate();
    void CustomScrollBarChange();
    void CustomScrollBarScroll();
    void CustomSettingChange();
    // Key handling of the edit; Enter is consumed (Key becomes 0).
    void CustomSettingKeyDown(int& Key);
    void BtnOKClick();
    void BtnCancelClick();
    void btnStopClick();
    void btnFirstSlideClick();
    void btnLastSlideClick();
    void btnPrevSlideClick();
    void btnNextSlideClick();
    void btnPlayClick();
    void btnHelpClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Runs the dialog for the entry and fills the answer.
void ExecuteRemoteDialog(const TRemoteEntry& Entry, TRemoteAnswer& Answer);

}  // namespace lumvor
