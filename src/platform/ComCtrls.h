// The class library's track bar over QSlider.
//
// Defaults as the common control has them: range 0 to 10, page size 2, a tick
// at every value (Frequency 1, automatic ticks) below a horizontal bar.
#pragma once

#include <QSlider>
#include <QWidget>

#include "platform/Controls.h"

#include <functional>

class QLineEdit;
class QToolButton;

namespace lumvor {

enum TTickStyle { tsNone, tsAuto, tsManual };
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };
enum TTrackBarOrientation { trHorizontal, trVertical };

class TTrackBar : public QSlider {
public:
    explicit TTrackBar(QWidget* owner = nullptr);

    int Min() const { return minimum(); }
    void SetMin(int value) { setMinimum(value); }
    int Max() const { return maximum(); }
    void SetMax(int value) { setMaximum(value); }
    int Position() const { return value(); }
    void SetPosition(int value) { setValue(value); }
    int PageSize() const { return pageStep(); }
    void SetPageSize(int value) { setPageStep(value); }
    int Frequency() const { return frequency_; }
    void SetFrequency(int value);
    TTickStyle TickStyle() const { return tickStyle_; }
    virtual void SetTickStyle(TTickStyle style);
    TTickMark TickMarks() const { return tickMarks_; }
    virtual void SetTickMarks(TTickMark marks);
    TTrackBarOrientation Orientation() const {
        return orientation() == Qt::Horizontal ? trHorizontal : trVertical;
    }
    // A vertical bar has its Min at the top.
    void SetOrientation(TTrackBarOrientation o) {
        setOrientation(o == trHorizontal ? Qt::Horizontal : Qt::Vertical);
        setInvertedAppearance(o == trVertical);
    }

    // Pixel position (x of a horizontal bar, y of a vertical one) of the tick of a value.
    int TickPosition(int value) const;
    // The channel (groove) and thumb rectangles.
    QRect ChannelRect() const;
    QRect ThumbRect() const;

    // Raised when the position changes.
    TNotifyEvent OnChange;

private:
    void ApplyTicks();

    int frequency_ = 1;
    TTickStyle tickStyle_ = tsAuto;
    TTickMark tickMarks_ = tmBottomRight;
};

// The class library's up-down control: a pair of arrow buttons stepping a
// Position between Min and Max by Increment (no wrapping). A press on an arrow
// steps at once; with an Associate edit field the step starts from the number the
// field shows and writes the new Position into it.
enum TUDBtnType { btNext, btPrev };

class TUpDown : public QWidget {
public:
    explicit TUpDown(QWidget* owner = nullptr);

    int Min() const { return min_; }
    void SetMin(int value) { min_ = value; }
    int Max() const { return max_; }
    void SetMax(int value) { max_ = value; }
    int Position() const { return position_; }
    void SetPosition(int value);
    int Increment() const { return increment_; }
    void SetIncrement(int value) { increment_ = value; }
    QLineEdit* Associate() const { return associate_; }
    void SetAssociate(QLineEdit* edit);

    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

    // Raised after an arrow press stepped the position (btNext = up).
    std::function<void(QObject* Sender, TUDBtnType Button)> OnClick;
    // Raised when a mouse button is released over an arrow.
    TMouseEvent OnMouseUp;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Step(TUDBtnType button);

    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    int increment_ = 1;
    QLineEdit* associate_ = nullptr;
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace lumvor
