#include "ui/ToolBarEx.h"

#include <QChildEvent>
#include <QComboBox>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>

#include "ui/ExTrackBar.h"

namespace lumvor {

namespace {
// Extra width of the arrow part of a drop-down button.
constexpr int kDropDownArrowWidth = 12;

bool IsSeparator(TToolButtonExStyle style) { return style == tbsSeparator || style == tbsDivider; }
}  // namespace

// ---------------------------------------------------------------------------
// TToolButtonEx

TToolButtonEx::TToolButtonEx(TToolBarEx* bar, const std::string& name)
    : QToolButton(bar), toolBar_(bar) {
    setObjectName(QString::fromStdString(name));
    setText(QString::fromStdString(name));
    resize(23, 22);
    setFocusPolicy(Qt::NoFocus);
    if (toolBar_) {
        toolBar_->AddButton(this);
        if (toolBar_->isVisible())
            show();
    }
}

TToolButtonEx::~TToolButtonEx() {
    if (toolBar_)
        toolBar_->RemoveEntry(this);
}

void TToolButtonEx::SetAutoSize(bool value) {
    autoSize_ = value;
    if (toolBar_ && toolBar_->ShowCaptions())
        toolBar_->ApplySizes();
}

void TToolButtonEx::SetDown(bool value) {
    if (toolBar_ && toolBar_->Loading()) {
        if (value)
            pendingDown_ = true;
        return;
    }
    const bool wentUp = down_ && !value;
    down_ = value;
    indeterminate_ = false;
    if (down_ && style_ == tbsCheck && toolBar_)
        toolBar_->ReleaseGroup(this);
    RefreshButton();
    if (wentUp && toolBar_ && toolBar_->Flat())
        repaint();
}

void TToolButtonEx::SetGrouped(bool value) {
    grouped_ = value;
    RefreshButton();
}

void TToolButtonEx::SetImageIndex(int value) {
    imageIndex_ = value;
    RefreshButton();
    if (toolBar_ && toolBar_->Flat())
        update();
}

void TToolButtonEx::SetIndeterminate(bool value) {
    indeterminate_ = value;
    if (value)
        down_ = false;
    RefreshButton();
}

void TToolButtonEx::SetWrap(bool value) {
    wrap_ = value;
    if (toolBar_)
        toolBar_->ApplySizes();
}

void TToolButtonEx::SetStyle(TToolButtonExStyle value) {
    style_ = value;
    RefreshButton();
    if (toolBar_)
        toolBar_->ApplySizes();
}

void TToolButtonEx::SetCaption(const std::string& caption) {
    setText(QString::fromStdString(caption));
    if (toolBar_ && toolBar_->ShowCaptions())
        toolBar_->ApplySizes();
}

void TToolButtonEx::RefreshButton() {
    setCheckable(style_ == tbsCheck);
    if (style_ == tbsCheck)
        setChecked(down_);
    else
        QAbstractButton::setDown(down_);
    setEnabled(isEnabled());
    if (toolBar_) {
        setAutoRaise(toolBar_->Flat());
        setToolButtonStyle(!toolBar_->ShowCaptions() ? Qt::ToolButtonIconOnly
                           : toolBar_->List()        ? Qt::ToolButtonTextBesideIcon
                                                     : Qt::ToolButtonTextUnderIcon);
        QIcon icon;
        if (toolBar_->Images())
            icon.addPixmap(toolBar_->Images()->Image(imageIndex_), QIcon::Normal);
        if (toolBar_->DisabledImages())
            icon.addPixmap(toolBar_->DisabledImages()->Image(imageIndex_), QIcon::Disabled);
        if (toolBar_->HotImages())
            icon.addPixmap(toolBar_->HotImages()->Image(imageIndex_), QIcon::Active);
        setIcon(IsSeparator(style_) ? QIcon() : icon);
        if (TImageList* list = toolBar_->Images())
            setIconSize(QSize(list->Width, list->Height));
    }
    update();
}

void TToolButtonEx::Click() {
    if (style_ == tbsCheck) {
        if (!down_)
            SetDown(true);
        else if (!grouped_ || allowAllUp_)
            SetDown(false);
    }
    if (OnClick)
        OnClick(this);
}

void TToolButtonEx::mousePressEvent(QMouseEvent* event) {
    if (IsSeparator(style_))
        return;
    if (event->button() == Qt::LeftButton && style_ == tbsDropDown) {
        if (isEnabled()) {
            down_ = !down_;
            RefreshButton();
            if (dropdownMenu_ && down_)
                dropdownMenu_->popup(mapToGlobal(QPoint(0, height())));
        }
    } else if (event->button() == Qt::LeftButton && style_ != tbsCheck) {
        QToolButton::mousePressEvent(event);
    }
    RaiseMouseEvent(OnMouseDown, this, *event);
}

void TToolButtonEx::mouseMoveEvent(QMouseEvent* event) {
    if (style_ == tbsDropDown && (event->buttons() & Qt::LeftButton)) {
        const bool inside = rect().contains(event->position().toPoint());
        if (inside != down_) {
            down_ = inside;
            RefreshButton();
        }
    } else if (style_ == tbsButton) {
        QToolButton::mouseMoveEvent(event);
    }
    RaiseMouseMoveEvent(OnMouseMove, this, *event);
}

void TToolButtonEx::mouseReleaseEvent(QMouseEvent* event) {
    if (IsSeparator(style_))
        return;
    if (event->button() == Qt::LeftButton) {
        if (style_ == tbsButton)
            QAbstractButton::setDown(down_);
        if (isEnabled() && rect().contains(event->position().toPoint())) {
            if (style_ == tbsDropDown)
                down_ = false;
            Click();
        }
        // After a click on the bar every button shows its own state again.
        if (toolBar_) {
            for (int i = 0; i < toolBar_->ButtonCount(); ++i)
                if (auto* b = dynamic_cast<TToolButtonEx*>(toolBar_->Buttons(i)))
                    b->RefreshButton();
        } else {
            RefreshButton();
        }
    }
    RaiseMouseEvent(OnMouseUp, this, *event);
}

void TToolButtonEx::paintEvent(QPaintEvent* event) {
    if (style_ == tbsSeparator)
        return;
    if (style_ == tbsDivider) {
        QPainter painter(this);
        const int x = width() / 2;
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(x - 1, 0, x - 1, height() - 1);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(x, 0, x, height() - 1);
        return;
    }
    QToolButton::paintEvent(event);
    if (indeterminate_) {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(255, 255, 255, 110));
    }
}

void TToolButtonEx::changeEvent(QEvent* event) {
    QToolButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        RefreshButton();
}

// ---------------------------------------------------------------------------
// TToolBarEx

TToolBarEx::TToolBarEx(QWidget* owner) : QFrame(owner) {
    setFrameShape(QFrame::NoFrame);
    resize(width(), 32);
}

TToolBarEx::~TToolBarEx() {
    for (QWidget* entry : entries_) {
        if (auto* button = dynamic_cast<TToolButtonEx*>(entry))
            button->toolBar_ = nullptr;
        else
            entry->removeEventFilter(this);
    }
    entries_.clear();
}

QWidget* TToolBarEx::Buttons(int index) {
    RegisterPending();
    return index >= 0 && index < int(entries_.size()) ? entries_[size_t(index)] : nullptr;
}

int TToolBarEx::ButtonCount() {
    RegisterPending();
    return int(entries_.size());
}

void TToolBarEx::SetAutoSize(bool value) {
    autoSize_ = value;
    if (!loading_)
        ApplySizes();
}

void TToolBarEx::SetButtonWidth(int value) {
    buttonWidth_ = value;
    ApplySizes();
}

void TToolBarEx::SetButtonHeight(int value) {
    buttonHeight_ = value;
    ApplySizes();
}

void TToolBarEx::SetShowCaptions(bool value) {
    showCaptions_ = value;
    ApplySizes();
}

void TToolBarEx::SetList(bool value) {
    list_ = value;
    ApplySizes();
}

void TToolBarEx::SetFlat(bool value) {
    flat_ = value;
    ApplySizes();
}

void TToolBarEx::SetWrapable(bool value) {
    wrapable_ = value;
    ApplySizes();
}

void TToolBarEx::SetTransparent(bool value) {
    transparent_ = value;
    setAutoFillBackground(!value);
    update();
}

void TToolBarEx::SetIndent(int value) {
    indent_ = value;
    ApplySizes();
}

void TToolBarEx::SetImages(TImageList* images) {
    images_ = images;
    ApplySizes();
}

void TToolBarEx::SetDisabledImages(TImageList* images) {
    disabledImages_ = images;
    ApplySizes();
}

void TToolBarEx::SetHotImages(TImageList* images) {
    hotImages_ = images;
    ApplySizes();
}

void TToolBarEx::Loaded() {
    loading_ = false;
    for (QWidget* entry : entries_)
        if (auto* button = dynamic_cast<TToolButtonEx*>(entry); button && button->pendingDown_) {
            button->pendingDown_ = false;
            button->SetDown(true);
        }
    ApplySizes();
}

void TToolBarEx::AddButton(TToolButtonEx* button) {
    entries_.push_back(button);
    button->RefreshButton();
    ApplySizes();
}

void TToolBarEx::RemoveEntry(QWidget* entry) {
    auto it = std::find(entries_.begin(), entries_.end(), entry);
    if (it == entries_.end())
        return;
    entries_.erase(it);
    if (!dynamic_cast<TToolButtonEx*>(entry))
        entry->removeEventFilter(this);
    ApplySizes();
}

void TToolBarEx::RegisterPending() {
    if (pending_.empty())
        return;
    auto pending = std::move(pending_);
    pending_.clear();
    for (const QPointer<QWidget>& child : pending)
        if (child && child->parentWidget() == this && !dynamic_cast<TToolButtonEx*>(child.data()) &&
            std::find(entries_.begin(), entries_.end(), child.data()) == entries_.end())
            InsertControl(child.data());
}

void TToolBarEx::InsertControl(QWidget* control) {
    control->installEventFilter(this);
    entries_.push_back(control);
    ControlChanged(control);
}

// A control on the bar got new bounds: it moves to the slot at its position and
// its slot takes its width; its height becomes the bar's button height.
void TToolBarEx::ControlChanged(QWidget* control) {
    auto it = std::find(entries_.begin(), entries_.end(), control);
    if (it == entries_.end())
        return;
    const QRect bounds = control->geometry();
    entries_.erase(it);
    const std::vector<QRect> cells = Layout();
    size_t index = entries_.size();
    for (size_t i = 0; i < cells.size(); ++i) {
        const QRect& r = cells[i];
        if (r.isNull())
            continue;
        const int row = r.top() / std::max(buttonHeight_, 1);
        const int controlRow = bounds.top() / std::max(buttonHeight_, 1);
        if (row > controlRow || (row == controlRow && r.left() >= bounds.left())) {
            index = i;
            break;
        }
    }
    entries_.insert(entries_.begin() + std::ptrdiff_t(index), control);
    if (bounds.height() != buttonHeight_ && !dynamic_cast<TExTrackBar*>(control) &&
        !qobject_cast<QComboBox*>(control))
        buttonHeight_ = bounds.height();
    ApplySizes();
}

std::vector<QRect> TToolBarEx::Layout() const {
    std::vector<QRect> cells;
    cells.reserve(entries_.size());
    int x = indent_, y = 0;
    for (QWidget* entry : entries_) {
        // Only an entry hidden on purpose leaves the bar; a new child is not shown yet.
        if (entry->testAttribute(Qt::WA_WState_ExplicitShowHide) && entry->isHidden()) {
            cells.emplace_back();
            continue;
        }
        auto* button = dynamic_cast<TToolButtonEx*>(entry);
        int w = entry->width();
        if (button && !IsSeparator(button->Style()))
            w = buttonWidth_ + (button->Style() == tbsDropDown ? kDropDownArrowWidth : 0);
        if (wrapable_ && x > indent_ && x + w > width()) {
            x = indent_;
            y += buttonHeight_;
        }
        cells.emplace_back(x, y, w, buttonHeight_);
        x += w;
        if (button && button->Wrap()) {
            x = indent_;
            y += buttonHeight_;
        }
    }
    return cells;
}

void TToolBarEx::PlaceEntries() {
    ++updating_;
    const std::vector<QRect> cells = Layout();
    int bottom = 0;
    for (size_t i = 0; i < entries_.size(); ++i) {
        QWidget* entry = entries_[i];
        QRect r = cells[i];
        if (r.isNull())
            continue;
        bottom = std::max(bottom, r.bottom() + 1);
        if (auto* combo = qobject_cast<QComboBox*>(entry)) {
            // A combo box keeps its own height, centred in its slot.
            const int h = std::min(combo->sizeHint().height(), r.height());
            r = QRect(r.left(), r.top() + (r.height() - h) / 2, r.width(), h);
        }
        entry->setGeometry(r);
    }
    if (autoSize_ && !loading_ && bottom > 0) {
        const int h = bottom + 2 * frameWidth();
        if (h != height())
            resize(width(), h);
    }
    --updating_;
}

void TToolBarEx::ApplySizes() {
    if (updating_ > 0)
        return;
    RegisterPending();
    ++updating_;
    for (QWidget* entry : entries_)
        if (auto* button = dynamic_cast<TToolButtonEx*>(entry))
            button->RefreshButton();
    --updating_;
    PlaceEntries();
}

void TToolBarEx::ReleaseGroup(TToolButtonEx* button) {
    if (!button->Grouped())
        return;
    auto it = std::find(entries_.begin(), entries_.end(), button);
    if (it == entries_.end())
        return;
    // The group is the run of grouped check buttons around the button.
    auto inGroup = [](QWidget* w) {
        auto* b = dynamic_cast<TToolButtonEx*>(w);
        return b && b->Grouped() && b->Style() == tbsCheck ? b : nullptr;
    };
    for (auto left = it; left != entries_.begin();) {
        TToolButtonEx* b = inGroup(*--left);
        if (!b)
            break;
        b->down_ = false;
        b->RefreshButton();
    }
    for (auto right = it + 1; right != entries_.end(); ++right) {
        TToolButtonEx* b = inGroup(*right);
        if (!b)
            break;
        b->down_ = false;
        b->RefreshButton();
    }
}

bool TToolBarEx::event(QEvent* event) {
    if (event->type() == QEvent::ChildAdded) {
        auto* child = static_cast<QChildEvent*>(event)->child();
        if (child->isWidgetType()) {
            // The child is not fully built yet: it joins the bar once it is.
            pending_.emplace_back(static_cast<QWidget*>(child));
            QTimer::singleShot(0, this, [this] { ApplySizes(); });
        }
    } else if (event->type() == QEvent::ChildRemoved) {
        QObject* child = static_cast<QChildEvent*>(event)->child();
        auto it = std::find(entries_.begin(), entries_.end(), child);
        if (it != entries_.end()) {
            entries_.erase(it);
            child->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] { ApplySizes(); });
        }
    } else if (event->type() == QEvent::EnabledChange) {
        for (QWidget* entry : entries_)
            entry->setEnabled(isEnabled());
    }
    return QFrame::event(event);
}

bool TToolBarEx::eventFilter(QObject* watched, QEvent* event) {
    if (updating_ == 0 && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        ControlChanged(static_cast<QWidget*>(watched));
    return QFrame::eventFilter(watched, event);
}

void TToolBarEx::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    PlaceEntries();
    if (OnResize)
        OnResize(this);
}

}  // namespace lumvor
