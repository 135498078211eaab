#include "ui/voMsgBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <array>

#include "platform/Forms.h"
#include "platform/MessageHook.h"
#include "platform/SysUtils.h"
#include "ui/Status_y.h"

namespace lumvor {

namespace {

struct ButtonInfo {
    const char* name;
    const char* caption;
    int modalResult;
};

// Indexed by button number.
constexpr std::array<ButtonInfo, 13> kButtons{{
    {"Yes", "&Yes", mrYes},
    {"No", "&No", mrNo},
    {"OK", "OK", mrOk},
    {"Cancel", "Cancel", mrCancel},
    {"Abort", "&Abort", mrAbort},
    {"Retry", "&Retry", mrRetry},
    {"Ignore", "&Ignore", mrIgnore},
    {"All", "&All", mrAll},
    {"NoToAll", "N&o to All", mrNoToAll},
    {"YesToAll", "Y&es to All", mrYesToAll},
    {"Help", "&Help", mrNone},
    {"None", "", mrNone},
    {"OkToAll", "Ok to &All", mrOkToAll},
}};

constexpr std::array<const char*, 4> kTypeCaptions{"Warning", "Error", "Information", "Confirm"};

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Dialog-unit conversions over an average character size.
int HorzDU(int n, const QPoint& du) { return MulDiv(n, du.x(), 4); }
int VertDU(int n, const QPoint& du) { return MulDiv(n, du.y(), 8); }

QIcon TypeIcon(std::uint8_t dlgType) {
    QStyle* style = QApplication::style();
    switch (dlgType) {
    case mtWarning: return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case mtError: return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case mtInformation: return style->standardIcon(QStyle::SP_MessageBoxInformation);
    case mtConfirmation: return style->standardIcon(QStyle::SP_MessageBoxQuestion);
    default: return {};
    }
}

}  // namespace

TvoMessageForm::TvoMessageForm(QWidget* owner) : TModalForm(owner) {
    setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
}

void TvoMessageForm::HelpButtonClick() { Application.HelpContext(HelpContext); }

void TvoMessageForm::FormActivate() {
    const QString wanted = Q(voMsgBox::DefaultButtonName);
    for (QWidget* w : findChildren<QWidget*>()) {
        if (!wanted.isEmpty() && w->objectName().compare(wanted, Qt::CaseInsensitive) == 0) {
            w->setFocus(Qt::ActiveWindowFocusReason);
            return;
        }
    }
}

void TvoMessageForm::CheckBoxClick(bool checked) { voMsgBox::CheckBoxState = checked ? 1 : 0; }

void TvoMessageForm::showEvent(QShowEvent* event) {
    TModalForm::showEvent(event);
    FormActivate();
}

QPoint GetAveCharSize(const QFont& font) {
    QFontMetrics metrics(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return QPoint(metrics.horizontalAdvance(letters) / 52, metrics.height());
}

TvoMessageForm* voCreateMessageDialog(const std::string& CheckBoxCaption, const std::string& Caption,
                                      const std::string& Msg, std::uint8_t DlgType,
                                      std::uint16_t Buttons, std::uint8_t DefaultButton) {
    voMsgBox::CheckBoxState = 0;
    auto* form = new TvoMessageForm(Application.MainForm());
    const QPoint du = GetAveCharSize(form->font());
    const int horzMargin = HorzDU(8, du), vertMargin = VertDU(8, du);
    const int horzSpacing = HorzDU(10, du), vertSpacing = VertDU(10, du);
    const int buttonWidth = HorzDU(54, du), buttonHeight = VertDU(15, du);
    const int buttonSpacing = HorzDU(4, du);

    // The message wraps at half the screen width.
    const QString msg = Q(Msg);
    const QRect textRect = QFontMetrics(form->font())
                               .boundingRect(QRect(0, 0, Screen.Width() / 2, 0),
                                             Qt::TextWordWrap | Qt::TextExpandTabs, msg);
    const int textRight = textRect.width(), textBottom = textRect.height();

    const bool hasIcon = DlgType <= mtConfirmation;
    int iconTextWidth = textRight, iconTextHeight = textBottom;
    if (hasIcon) {
        iconTextWidth += 32 + horzSpacing;
        iconTextHeight = std::max(iconTextHeight, 32);
    }

    int buttonCount = 0;
    for (int bit = 0; bit <= mbOkToAll; ++bit)
        if (Buttons & ButtonBit(std::uint8_t(bit)))
            ++buttonCount;
    const int buttonGroupWidth =
        buttonCount == 0 ? 0 : buttonCount * buttonWidth + (buttonCount - 1) * buttonSpacing;

    int clientWidth = std::max(iconTextWidth, buttonGroupWidth) + 2 * horzMargin;
    int clientHeight = iconTextHeight + buttonHeight + vertSpacing + 2 * vertMargin;
    clientWidth = std::max(clientWidth, 4 * buttonWidth);
    form->move(Screen.Width() / 2 - clientWidth / 2, Screen.Height() / 2 - clientHeight / 2);

    if (!Caption.empty())
        form->setWindowTitle(Q(Caption));
    else if (DlgType == mtCustom || DlgType >= kTypeCaptions.size())
        form->setWindowTitle(Q(Application.Title));
    else
        form->setWindowTitle(kTypeCaptions[DlgType]);

    if (hasIcon) {
        auto* image = new QLabel(form);
        image->setObjectName("Image");
        image->setGeometry(horzMargin, vertMargin, 32, 32);
        image->setPixmap(TypeIcon(DlgType).pixmap(32, 32));
    }

    auto* message = new QLabel(form);
    message->setObjectName("Message");
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    message->setText(msg);
    message->setGeometry(iconTextWidth - textRight + horzMargin, vertMargin, textRight, textBottom);

    int defaultButton = (Buttons & ButtonBit(mbOK))    ? mbOK
                        : (Buttons & ButtonBit(mbYes)) ? mbYes
                                                       : mbRetry;
    if (DefaultButton != AutoDefaultButton)
        defaultButton = DefaultButton;
    const int cancelButton = (Buttons & ButtonBit(mbCancel)) ? mbCancel
                             : (Buttons & ButtonBit(mbNo))   ? mbNo
                                                             : mbOK;

    int checkBoxOffset = 0;
    if (!CheckBoxCaption.empty()) {
        clientHeight += 30;
        checkBoxOffset = 30;
        auto* check = new QCheckBox(form);
        check->setObjectName("Checkbox");
        check->setText(" " + Q(CheckBoxCaption));
        check->setChecked(false);
        const int width = textRight >= 4 * buttonWidth ? textRight : 3 * buttonWidth;
        check->setGeometry(message->x(), iconTextHeight + vertMargin + 11, width, buttonHeight);
        QObject::connect(check, &QCheckBox::toggled, form, &TvoMessageForm::CheckBoxClick);
    }

    int x = (clientWidth - buttonGroupWidth) / 2;
    for (int bit = 0; bit <= mbOkToAll; ++bit) {
        if (!(Buttons & ButtonBit(std::uint8_t(bit))))
            continue;
        const ButtonInfo& info = kButtons[bit];
        auto* button = new QPushButton(form);
        button->setObjectName(info.name);
        button->setText(info.caption);
        // Enter presses the default button only, never merely the focused one.
        button->setAutoDefault(false);
        SetModalResult(*form, *button, info.modalResult);
        if (bit == defaultButton) {
            button->setDefault(true);
            voMsgBox::DefaultButtonName = info.name;
        }
        if (bit == cancelButton)
            SetCancelButton(*button);
        button->setGeometry(x, iconTextHeight + vertMargin + vertSpacing + checkBoxOffset,
                            buttonWidth, buttonHeight);
        if (bit == mbHelp)
            QObject::connect(button, &QPushButton::clicked, form, &TvoMessageForm::HelpButtonClick);
        x += buttonWidth + buttonSpacing;
    }
    form->setFixedSize(clientWidth, clientHeight);
    return form;
}

int voMessageDlgPos(const std::string& CheckBoxCaption, const std::string& Caption,
                    const std::string& Msg, std::uint8_t DlgType, std::uint16_t Buttons,
                    std::uint8_t DefaultButton, long HelpCtx, int X, int Y,
                    const std::string& HelpFileName) {
    TvoMessageForm* form =
        voCreateMessageDialog(CheckBoxCaption, Caption, Msg, DlgType, Buttons, DefaultButton);
    form->HelpContext = int(HelpCtx);
    form->HelpFile = HelpFileName;
    // Keep the whole box on the screen; a box larger than the screen stays centred.
    if (Screen.Width() < form->width() + X)
        X = Screen.Width() - form->width();
    if (Screen.Height() < form->height() + Y)
        Y = Screen.Height() - form->height();
    if (X >= 0)
        form->SetLeft(X);
    if (Y >= 0)
        form->SetTop(Y);
    int result = ExecModal(*form);
    if (!CheckBoxCaption.empty() && voMsgBox::CheckBoxState == 1)
        result |= CheckBoxTicked;
    voMsgBox::MsgLeft = form->Left();
    voMsgBox::MsgTop = form->Top();
    delete form;
    return result;
}

int voMessageDlg(const std::string& CheckBoxCaption, const std::string& Caption,
                 const std::string& Msg, std::uint8_t DlgType, std::uint16_t Buttons,
                 std::uint8_t DefaultButton, long HelpCtx) {
    return voMessageDlgPos(CheckBoxCaption, Caption, Msg, DlgType, Buttons, DefaultButton, HelpCtx,
                           voMsgBox::MsgLeft, voMsgBox::MsgTop, "");
}

namespace {

// The layers below the controls warn through this box and stop the running long
// run through CancelPressed. Registered while the program starts: this file is
// linked into every program with windows, since they all show message boxes.
[[maybe_unused]] const bool kMessageHookRegistered = [] {
    SetMessageHook({
        .ShowMessage =
            [](const std::string& text, TMessageKind kind) {
                voMessageDlg("", "", text, kind == TMessageKind::Error ? mtError : mtWarning, mbOKOnly,
                             AutoDefaultButton, 0);
            },
        .StopLongRun = [] { CancelPressed = 1; },
    });
    return true;
}();

}  // namespace

bool voInputQuery(int WidthDU, int HeightDU, int HelpCtx, const std::string& ACaption,
                  const std::string& APrompt, std::string& Value) {
    auto* form = new TModalForm(Application.MainForm());
    SetDialogFont(*form);
    const QPoint du = GetAveCharSize(form->font());
    form->setWindowTitle(Q(ACaption));
    form->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    const int clientWidth = MulDiv(WidthDU, du.x(), 4);
    form->resize(clientWidth, MulDiv(HeightDU, du.y(), 8));

    auto* prompt = new QLabel(form);
    prompt->setTextFormat(Qt::PlainText);
    prompt->setWordWrap(true);
    prompt->setText(Q(APrompt));
    const int left = HorzDU(8, du), top = VertDU(8, du), width = MulDiv(WidthDU - 16, du.x(), 4);
    prompt->setGeometry(left, top, width, prompt->heightForWidth(width));

    auto* edit = new QLineEdit(form);
    edit->setObjectName("Edit");
    edit->setMaxLength(255);
    edit->setText(Q(Value));
    edit->selectAll();
    edit->setGeometry(left, prompt->y() + prompt->height() + 4, width, edit->sizeHint().height());

    const int buttonTop = edit->y() + edit->height() + 8;
    const int buttonWidth = HorzDU(54, du), buttonHeight = VertDU(15, du);
    const int half = WidthDU / 2;
    struct {
        const char* name;
        const char* caption;
        int modalResult;
        int left;
    } buttons[] = {
        {"OK", "OK", mrOk, MulDiv(half, du.x(), 5) - (buttonWidth + 4)},
        {"Cancel", "Cancel", mrCancel, MulDiv(half - 2, du.x(), 5)},
        {"Help", "&Help", mrRetry, MulDiv(half - 2, du.x(), 5) + buttonWidth},
    };
    for (const auto& b : buttons) {
        auto* button = new QPushButton(b.caption, form);
        button->setObjectName(b.name);
        SetModalResult(*form, *button, b.modalResult);
        button->setGeometry(b.left, buttonTop, buttonWidth, buttonHeight);
        if (b.modalResult == mrOk)
            button->setDefault(true);
        if (b.modalResult == mrCancel)
            SetCancelButton(*button);
    }
    form->setFixedSize(clientWidth, buttonTop + buttonHeight + top);
    form->move((Screen.Width() - form->width()) / 2, (Screen.Height() - form->height()) / 2);

    bool ok = false;
    for (;;) {
        const int result = ExecModal(*form);
        if (result == mrOk) {
            Value = edit->text().toStdString();
            ok = true;
        }
        if (result != mrRetry)
            break;
        Application.HelpContext(HelpCtx);
    }
    delete form;
    return ok;
}

}  // namespace lumvor
