#include "ui/ExTrackBar.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace lumvor {

TExTrackBar::TExTrackBar(QWidget* owner) : TTrackBar(owner), labelsInterval_(PageSize()) {}

void TExTrackBar::SetShowFocusRect(bool value) {
    showFocusRect_ = value;
    update();
}

void TExTrackBar::SetLabels(bool value) {
    labels_ = value;
    if (value) {
        if (TickMarks() == tmTopLeft)
            SetTickMarks(tmBottomRight);
        SetTickStyle(tsAuto);
    }
    update();
}

void TExTrackBar::SetLabelsFirstLast(bool value) {
    labelsFirstLast_ = value;
    update();
}

void TExTrackBar::SetLabelsLeftTop(int value) {
    labelsLeftTop_ = value;
    update();
}

void TExTrackBar::SetLabelsText(const std::string& value) {
    labelsText_ = value;
    update();
}

void TExTrackBar::SetLabelsFactor(int value) {
    labelsFactor_ = value;
    update();
}

void TExTrackBar::SetLabelsFactorOperation(TLabelsFactorOperation value) {
    labelsFactorOperation_ = value;
    update();
}

void TExTrackBar::SetLabelsInterval(int value) {
    labelsInterval_ = std::max(value, 1);
    update();
}

void TExTrackBar::SetSelEnable(bool value) {
    // Qt's slider has no selection range to show; the flag is kept for callers.
    selEnable_ = value;
    update();
}

QString TExTrackBar::LabelText(int value) const {
    long long shown;
    if (labelsFactorOperation_ == foDiv)
        // Halves round up (25 / 10 shows "3"); a zero factor shows the value itself.
        shown = labelsFactor_ == 0
                    ? value
                    : (long long)std::floor(double(value) / labelsFactor_ + 0.5);
    else
        shown = (long long)value * labelsFactor_;
    return QString::number(shown) + QString::fromStdString(labelsText_);
}

std::vector<TTrackLabel> TExTrackBar::LabelItems() const {
    std::vector<TTrackLabel> items;
    if (!labels_)
        return items;
    const QFontMetrics metrics(font());
    const bool horizontal = Orientation() == trHorizontal;
    const int textHeight = metrics.height();
    // A label of the given text centred at `centre` along the bar.
    auto place = [&](int value, int centre) {
        TTrackLabel label{value, LabelText(value), {}};
        const int w = metrics.horizontalAdvance(label.Text);
        if (horizontal)
            label.Rect = QRect(centre - w / 2, labelsLeftTop_, w, textHeight);
        else
            label.Rect = QRect(labelsLeftTop_, centre - textHeight / 2, w, textHeight);
        return label;
    };
    // The first multiple of the interval above Min, then every further multiple below Max.
    long long v = Min() + 1LL;
    if (long long r = v % labelsInterval_; r != 0)
        v += r > 0 ? labelsInterval_ - r : -r;
    for (; v <= Max() - 1LL; v += labelsInterval_)
        items.push_back(place(int(v), TickPosition(int(v))));
    if (labelsFirstLast_ && Max() > Min()) {
        const QRect channel = ChannelRect();
        const QRect thumb = ThumbRect();
        if (horizontal) {
            TTrackLabel first = place(Min(), channel.left() + thumb.width() / 2);
            if (first.Rect.left() < 1)
                first.Rect.moveLeft(1);
            TTrackLabel last = place(Max(), channel.right() + 1 - thumb.width() / 2);
            if (last.Rect.right() + 1 > width() - 1)
                last.Rect.moveRight(width() - 2);
            items.insert(items.begin(), first);
            items.push_back(last);
        } else {
            TTrackLabel first = place(Min(), channel.top() + thumb.height() / 2);
            if (first.Rect.top() < 1)
                first.Rect.moveTop(1);
            TTrackLabel last = place(Max(), channel.bottom() + 1 - thumb.height() / 2);
            if (last.Rect.bottom() + 1 > height() - 1)
                last.Rect.moveBottom(height() - 2);
            items.insert(items.begin(), first);
            items.push_back(last);
        }
    }
    return items;
}

void TExTrackBar::paintEvent(QPaintEvent* event) {
    TTrackBar::paintEvent(event);
    QPainter painter(this);
    if (!showFocusRect_) {
        painter.setPen(palette().color(QPalette::Button));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (labels_ && TickStyle() != tsAuto)
        labels_ = false;
    painter.setFont(font());
    for (const TTrackLabel& label : LabelItems()) {
        if (isEnabled()) {
            painter.setPen(palette().color(QPalette::WindowText));
            painter.drawText(label.Rect, Qt::AlignLeft | Qt::AlignTop, label.Text);
        } else {
            painter.setPen(palette().color(QPalette::Light));
            painter.drawText(label.Rect.translated(1, 1), Qt::AlignLeft | Qt::AlignTop, label.Text);
            painter.setPen(palette().color(QPalette::Dark));
            painter.drawText(label.Rect, Qt::AlignLeft | Qt::AlignTop, label.Text);
        }
    }
}

void TExTrackBar::changeEvent(QEvent* event) {
    TTrackBar::changeEvent(event);
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::PaletteChange:
    case QEvent::EnabledChange:
        update();
        break;
    default:
        break;
    }
}

}  // namespace lumvor
