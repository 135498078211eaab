// Tool bars and their buttons.
//
// A TToolBarEx lays out, in bar order, its TToolButtonEx buttons (ButtonWidth x
// ButtonHeight each), separators and dividers (their own width) and other
// controls placed on it (combo boxes, track bars: their own width), in rows of
// ButtonHeight that wrap at the bar's width when Wrapable, and after any entry
// with Wrap. A control whose height differs from ButtonHeight sets ButtonHeight
// to its height when it is placed or resized, except a TExTrackBar, which takes
// the row height instead. A control that keeps a smaller height of its own
// (a combo box) is centred vertically in its slot.
//
// Controls join the bar when their parent becomes the bar, in the slot of their
// position (by row, then by left edge); buttons join at the end of the bar.
#pragma once

#include <QFrame>
#include <QMenu>
#include <QPointer>
#include <QToolButton>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/ImgList.h"



namespace lumvor {

class TToolBarEx;

enum TToolButtonExStyle : std::uint8_t { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

class TToolButtonEx : public QToolButton {
public:
    // A button of 23 x 22 pixels at the end of bar; its caption is its name.
    explicit TToolButtonEx(TToolBarEx* bar, const std::string& name = "");
    ~TToolButtonEx() override;

    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool value) { allowAllUp_ = value; }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    bool Down() const { return down_; }
    // While the bar is loading a true value is kept and applied when loading ends.
    void SetDown(bool value);
    bool Grouped() const { return grouped_; }
    void SetGrouped(bool value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    bool Indeterminate() const { return indeterminate_; }
    void SetIndeterminate(bool value);
    QMenu* DropdownMenu() const { return dropdownMenu_; }
    void SetDropdownMenu(QMenu* menu) { dropdownMenu_ = menu; }
    bool Wrap() const { return wrap_; }
    void SetWrap(bool value);
    TToolButtonExStyle Style() const { return style_; }
    void SetStyle(TToolButtonExStyle value);
    std::string Caption() const { return text().toStdString(); }
    void SetCaption(const std::string& caption);

    TToolBarEx* ToolBar() const { return toolBar_; }

    TNotifyEvent OnClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend class TToolBarEx;
    // Shows the button's state (down, image, caption) on the Qt button.
    void RefreshButton();
    void Click();

    bool allowAllUp_ = false;
    bool autoSize_ = false;
    bool down_ = false;
    bool grouped_ = false;
    int imageIndex_ = -1;
    bool indeterminate_ = false;
    QPointer<QMenu> dropdownMenu_;
    bool wrap_ = false;
    bool pendingDown_ = false;
    TToolButtonExStyle style_ = tbsButton;
    TToolBarEx* toolBar_;
};

class TToolBarEx : public QFrame {
public:
    // Height 32, ButtonWidth 23, ButtonHeight 22, Wrapable.
    explicit TToolBarEx(QWidget* owner = nullptr);
    ~TToolBarEx() override;

    // Every button and control on the bar in bar order.
    QWidget* Buttons(int index);
    int ButtonCount();

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    int ButtonWidth() const { return buttonWidth_; }
    void SetButtonWidth(int value);
    int ButtonHeight() const { return buttonHeight_; }
    void SetButtonHeight(int value);
    bool ShowCaptions() const { return showCaptions_; }
    void SetShowCaptions(bool value);
    bool List() const { return list_; }
    void SetList(bool value);
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    bool Wrapable() const { return wrapable_; }
    void SetWrapable(bool value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    int Indent() const { return indent_; }
    void SetIndent(int value);
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* images);
    TImageList* DisabledImages() const { return disabledImages_; }
    void SetDisabledImages(TImageList* images);
    TImageList* HotImages() const { return hotImages_; }
    void SetHotImages(TImageList* images);

    // Form loading: Down values set in between are applied by Loaded.
    void BeginLoading() { loading_ = true; }
    void Loaded();
    bool Loading() const { return loading_; }

    // Re-applies sizes and places every entry (the bar does this itself after
    // every change that needs it).
    void ApplySizes();

    TNotifyEvent OnResize;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class TToolButtonEx;
    void AddButton(TToolButtonEx* button);
    void RemoveEntry(QWidget* entry);
    void InsertControl(QWidget* control);
    void ControlChanged(QWidget* control);
    void RegisterPending();
    // The slot rectangle of every entry, in bar order.
    std::vector<QRect> Layout() const;
    void PlaceEntries();
    // Check buttons of the same group as button go up.
    void ReleaseGroup(TToolButtonEx* button);

    bool autoSize_ = false;
    int buttonWidth_ = 23;
    int buttonHeight_ = 22;
    std::vector<QWidget*> entries_;
    std::vector<QPointer<QWidget>> pending_;
    bool showCaptions_ = false;
    bool list_ = false;
    bool flat_ = false;
    bool wrapable_ = true;
    bool transparent_ = false;
    int indent_ = 0;
    TImageList* images_ = nullptr;
    TImageList* disabledImages_ = nullptr;
    TImageList* hotImages_ = nullptr;
    int updating_ = 0;
    bool loading_ = false;
};

}  // namespace lumvor
