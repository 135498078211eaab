// Menu items of the class library: a Qt action with the item's Tag, the small
// integer the program keeps on many items (remembered answers, view state).
#pragma once

#include <QAction>
#include <QString>

#include <string>

namespace lumvor {

class TMenuItem : public QAction {
public:
    TMenuItem(const std::string& caption, QObject* owner) : QAction(QString::fromStdString(caption), owner) {}

    int Tag = 0;

    std::string Caption() const { return text().toStdString(); }
    void SetCaption(const std::string& caption) { setText(QString::fromStdString(caption)); }
    bool Checked() const { return isChecked(); }
    // Setting a check mark makes the item checkable.
    void SetChecked(bool checked) {
        setCheckable(true);
        setChecked(checked);
    }
};

}  // namespace lumvor
