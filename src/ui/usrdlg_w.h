// The number dialog: asks for one whole number within a range, through a scroll
// bar with an edit field and six preset choices, or through a track bar.
//
// ExecuteXScrlDlg builds the dialog, runs it modally, answers the chosen number
// (or -999 when the user cancelled) and frees it. The dialog opens centred on the
// mouse cursor, pulled back onto the screen. GUI thread only.
#pragma once

#include <QString>

#include <cstdint>
#include <string>

#include "platform/Forms.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QPushButton;
class QScrollBar;

namespace lumvor {

class TTrackBar;

// What the dialog asks for; the dialog keeps a copy.
struct TXScrlDlgParam {
    int32_t Min = 0;
    int32_t Max = 0;
    int32_t Position = 0;
    int32_t LargeChange = 1;  // scroll bar page step
    int32_t SmallChange = 1;  // scroll bar arrow step
    int32_t Reserved = 0;     // not read by the dialog
    int32_t Presets[6] = {};  // the values of the preset choices a to f
    uint8_t ShowPresets = 0;  // nonzero: show the preset group
    uint8_t UseTrackBar = 0;  // nonzero: a track bar instead of scroll bar and edit field
};

// The result of a cancelled number dialog.
inline constexpr int XScrlCancelled = -999;

namespace usrdlg_w {
// The range, the initial position and the presets of the dialog on screen.
inline int32_t XMin = 0;
inline int32_t XMax = 0;
inline int32_t XPosition = 0;
inline int32_t XPresets[6] = {};
inline std::string XCaption;
// Set while the user types into the edit field: the scroll bar then leaves the
// field alone.
inline bool XEditing = false;
}  // namespace usrdlg_w

class TXScrlDlg : public TModalForm {
public:
    explicit TXScrlDlg(QWidget* owner = nullptr);

    QLabel* LabelMin;
    QLabel* LabelMax;
    QLineEdit* CustomSetting;
    QScrollBar* CustomScrollBar;
    TTrackBar* UserTrackBar;
    QLabel* HexLabel;
    QGroupBox* GroupOptions;
    QRadioButton* GroupItems[6];
    QPushButton* btnOK;
    QPushButton* btnCancel;

    void FormActivate();
    void UserTrackBarChange();
    void CustomSettingChange();
    void CustomScrollBarChange();
    void GroupOptionsClick(int index);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Shows the number dialog. Empty MinLabel or MaxLabel show the decimal Min or Max
// (scroll bar mode; in track bar mode the labels are shown as given). Answers the
// chosen value when closed with OK, else -999.
int ExecuteXScrlDlg(const std::string& Caption, const std::string& MinLabel,
                    const std::string& MaxLabel, const TXScrlDlgParam& Params);

}  // namespace lumvor
