// Small helpers the program's forms build their controls with.
#pragma once

#include "platform/Colors.h"

#include <QColor>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <QWidget>

#include <string>

namespace lumvor {

inline QString Q(const std::string& text) { return QString::fromStdString(text); }

// The Qt colour of a control colour; colours of the desktop scheme resolved.
inline QColor QColorOf(TColor color) {
    const TColor plain = ColorToRGB(color);
    return QColor(GetRValue(plain), GetGValue(plain), GetBValue(plain));
}

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

// Sets a word-wrapped label's text in the largest font, down to a floor, at which the text
// fits the label, so a long tip in a fixed-size panel is never cut off at the bottom.
inline void SetFittedText(QLabel* label, const QString& text, qreal smallestPointSize = 6.0) {
    label->setText(text);
    QFont font = label->parentWidget() ? label->parentWidget()->font() : label->font();
    if (font.pointSizeF() <= 0)
        return;  // a pixel-sized font: leave it as the style set it
    const QRect box = label->contentsRect();
    const int flags = int(label->alignment()) | Qt::TextWordWrap;
    while (font.pointSizeF() > smallestPointSize) {
        const QRect needed =
            QFontMetrics(font).boundingRect(QRect(0, 0, box.width(), 1 << 20), flags, text);
        if (needed.height() <= box.height())
            break;
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    label->setFont(font);
}

}  // namespace lumvor
