// The program's own message box and one-line input box.
//
// Every question, warning and error of the program goes through voMessageDlg.
// Compared with a plain message dialog it adds an optional check box ("don't ask
// again"), the extra button "Ok to &All", a chosen default button, a Help button
// that shows context help without closing the box, and a position remembered from
// one box to the next (pulled back onto the screen when needed).
//
// Both boxes are built in code, shown modally and freed before the call returns.
// GUI thread only; nothing here throws of its own.
#pragma once

#include <QDialog>
#include <QPoint>

#include "platform/Forms.h"

#include <cstdint>
#include <string>

class QFont;

namespace lumvor {

// Dialog types (icon and default caption of a box).
enum : std::uint8_t {
    mtWarning = 0,
    mtError = 1,
    mtInformation = 2,
    mtConfirmation = 3,
    mtCustom = 4,
};

// Buttons by bit number; a button set is a 16-bit mask with bit n requesting button n.
// Buttons are laid out left to right in bit order. mbNone never appears; its number
// serves as the "automatic" default-button argument.
enum : std::uint8_t {
    mbYes = 0,
    mbNo = 1,
    mbOK = 2,
    mbCancel = 3,
    mbAbort = 4,
    mbRetry = 5,
    mbIgnore = 6,
    mbAll = 7,
    mbNoToAll = 8,
    mbYesToAll = 9,
    mbHelp = 10,
    mbNone = 11,
    mbOkToAll = 12,
};

constexpr std::uint16_t ButtonBit(std::uint8_t button) { return std::uint16_t(1u << button); }

// Common button sets.
constexpr std::uint16_t mbOKOnly = 4;          // OK
constexpr std::uint16_t mbOKHelp = 1028;       // OK, Help
constexpr std::uint16_t mbYesNo = 3;           // Yes, No
constexpr std::uint16_t mbYesNoCancel = 11;    // Yes, No, Cancel
constexpr std::uint16_t mbYesNoYesToAll = 515; // Yes, No, Yes to All
constexpr std::uint16_t mbOKCancelHelp = 1036; // OK, Cancel, Help

// Modal result of the "Ok to &All" button (the others are the standard ones).
constexpr int mrOkToAll = 666;

// Or-ed into a message box result when the box had a check box and it was ticked.
constexpr int CheckBoxTicked = 0x4000;

// The automatic default-button argument.
constexpr std::uint8_t AutoDefaultButton = mbNone;

namespace voMsgBox {
// Left and Top of the last message box when it closed; -1, -1 = none (centre the next).
inline int MsgLeft = -1;
inline int MsgTop = -1;
// Component name of the button the last built box made its default.
inline std::string DefaultButtonName;
// 1 while the check box of the current box is ticked, else 0.
inline std::uint8_t CheckBoxState = 0;
}  // namespace voMsgBox

// The message box form. Built by voCreateMessageDialog; its children are named as
// the components of the box: "Image", "Message", "Checkbox" and one button per
// requested bit ("Yes", "No", "OK", ...).
class TvoMessageForm : public TModalForm {
    Q_OBJECT
public:
    // An empty box owned by the application, in the system's message font.
    explicit TvoMessageForm(QWidget* owner = nullptr);

    int HelpContext = 0;
    std::string HelpFile;

    void HelpButtonClick();
    void FormActivate();
    void CheckBoxClick(bool checked);

protected:
    void showEvent(QShowEvent* event) override;
};

// Average character width (X) and character height (Y) of a font: the dialog unit
// base of both boxes.
QPoint GetAveCharSize(const QFont& font);

// Builds a message box (not shown). CheckBoxCaption empty = no check box; Caption
// empty = the dialog type's caption; DefaultButton a button number or
// AutoDefaultButton.
TvoMessageForm* voCreateMessageDialog(const std::string& CheckBoxCaption, const std::string& Caption,
                                      const std::string& Msg, std::uint8_t DlgType,
                                      std::uint16_t Buttons, std::uint8_t DefaultButton);

// Shows a message box at (X, Y) (negative = centred on the screen) and returns the
// modal result of the closing button (2 when closed with the window's close button),
// or-ed with CheckBoxTicked when the box had a check box and it was ticked.
int voMessageDlgPos(const std::string& CheckBoxCaption, const std::string& Caption,
                    const std::string& Msg, std::uint8_t DlgType, std::uint16_t Buttons,
                    std::uint8_t DefaultButton, long HelpCtx, int X, int Y,
                    const std::string& HelpFileName);

// voMessageDlgPos at the position the last box was left at.
int voMessageDlg(const std::string& CheckBoxCaption, const std::string& Caption,
                 const std::string& Msg, std::uint8_t DlgType, std::uint16_t Buttons,
                 std::uint8_t DefaultButton, long HelpCtx);

// One-line input box with OK, Cancel and Help. WidthDU is the client width in
// horizontal dialog units, HeightDU a first client height that the layout replaces.
// True when closed with OK; Value then holds the edited text (else it is unchanged).
// Help shows the help of HelpCtx and brings the box back with the text typed so far.
bool voInputQuery(int WidthDU, int HeightDU, int HelpCtx, const std::string& ACaption,
                  const std::string& APrompt, std::string& Value);

}  // namespace lumvor
