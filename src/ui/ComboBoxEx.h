// The folder-history combo box of the folder picker: an editable combo box that
// reports edits of its text (OnEditChange), whether it has the focus, and the
// closing of its drop-down (OnChange). GUI thread only.
#pragma once

#include <QComboBox>

#include <functional>
#include <string>

class QLineEdit;

namespace lumvor {

class TComboBoxEx : public QComboBox {
public:
    explicit TComboBoxEx(QWidget* owner = nullptr);

    bool HaveFocus() const { return haveFocus_; }
    // The edit field.
    QLineEdit* EditHandle() const { return lineEdit(); }

    std::string Text() const { return currentText().toStdString(); }
    void SetText(const std::string& Value) { setEditText(QString::fromStdString(Value)); }

    // The user changed the text of the edit field.
    std::function<void(QObject* Sender)> OnEditChange;
    // The text changed by an edit or a pick, and the drop-down closed.
    std::function<void(QObject* Sender)> OnChange;

    void hidePopup() override;

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Change();
    bool haveFocus_ = false;
};

}  // namespace lumvor
