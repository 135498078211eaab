#include "ui/ComboBoxEx.h"

#include <QLineEdit>

#include "platform/Forms.h"

namespace lumvor {

TComboBoxEx::TComboBoxEx(QWidget* owner) : QComboBox(owner) {
    setObjectName("ComboBoxEx");
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    ConnectGuarded(lineEdit(), &QLineEdit::textEdited, this, [this] {
        Change();
        if (OnEditChange) OnEditChange(this);
    });
    ConnectGuarded(this, &QComboBox::activated, this, [this] { Change(); });
}

void TComboBoxEx::Change() {
    if (OnChange) OnChange(this);
}

void TComboBoxEx::hidePopup() {
    QComboBox::hidePopup();
    Guarded([&] { Change(); });
}

void TComboBoxEx::focusInEvent(QFocusEvent* event) {
    QComboBox::focusInEvent(event);
    haveFocus_ = true;
}

void TComboBoxEx::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    haveFocus_ = false;
}

}  // namespace lumvor
