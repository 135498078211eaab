// Small helpers the program's forms build their controls with.
#pragma once

#include <QPushButton>
#include <QRect>
#include <QString>
#include <QWidget>

#include <string>

namespace lumvor {

inline QString Q(const std::string& text) { return QString::fromStdString(text); }

// Names and places a new control.
template <class Control>
Control* Placed(Control* control, const QString& name, QRect geometry) {
    control->setObjectName(name);
    control->setGeometry(geometry);
    return control;
}

// A push button that Enter elsewhere in the form does not press.
inline QPushButton* NewButton(QWidget* parent, const char* name, const char* caption, QRect geometry) {
    QPushButton* button = Placed(new QPushButton(caption, parent), name, geometry);
    button->setAutoDefault(false);
    return button;
}

}  // namespace lumvor
