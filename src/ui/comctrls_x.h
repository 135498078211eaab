// The program's list view control: columns, items and the owner-data mode.
//
// TVCustomListView shows rows in one of four view styles (large icons, small
// icons, list, report with columns). It never stores texts or images of its own:
// each row is described on demand. In owner-data mode the control holds no item
// objects at all; it fills one reused temporary item for the row it needs through
// OnData, so a caller that takes an item by row must copy what it needs before the
// next lookup. In the ordinary mode rows are TVListItem objects created through
// Items, and their captions and images are still read at display time.
//
// The rows are served to Qt through a model whose data() describes a row only when
// a view paints it; both views use uniform item sizes, so a list of a hundred
// thousand rows is laid out without asking for any of them.
//
// Sorting is not part of the control: SortType is stored and changes nothing,
// OnCompare is never raised. GUI thread only.
#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Classes.h"
#include "platform/Controls.h"
#include "platform/Graphics.h"
#include "platform/ImgList.h"

class QAbstractItemView;
class QListView;
class QTreeView;
class QModelIndex;

namespace lumvor {

class TVCustomListView;
class TVListItem;
class TVListItems;
class TVListModel;
class TVSelectionModel;
template <class Base> class TVListViewHost;

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TSortType { stNone, stData, stText, stBoth };
enum TIconArrangement { iaTop, iaLeft };
enum TBorderStyle { bsNone, bsSingle };
enum TItemChange { ctText, ctImage, ctState };
enum TItemFind { ifData, ifPartialString, ifExactString, ifNearest };
enum TSearchDirection { sdLeft, sdRight, sdAbove, sdBelow, sdAll };
enum TDisplayCode { drBounds, drIcon, drLabel, drSelectBounds };
enum TListArrangement { arAlignBottom, arAlignLeft, arAlignRight, arAlignTop, arDefault, arSnapToGrid };
enum TDragMode { dmManual, dmAutomatic };

// Item states; a state set has bit (1 << state) for each member.
enum TItemState { isNone, isCut, isDropHilited, isFocused, isSelected, isActivating };
using TItemStates = std::uint8_t;
constexpr TItemStates StateBit(TItemState s) { return TItemStates(1u << s); }

// Hot-tracking styles; a set has bit (1 << style) for each member.
enum THotTrackStyle { htHandPoint, htUnderlineCold, htUnderlineHot };
using THotTrackStyles = std::uint8_t;

// Index-addressed item states of TVListItem::GetState/SetState.
enum TVItemStateIndex { siCut = 0, siDropTarget = 1, siFocused = 2, siSelected = 3, siActivating = 4 };

using TVLVChangingEvent =
    std::function<void(QObject* Sender, TVListItem* Item, TItemChange Change, bool& AllowChange)>;
using TVLVChangeEvent = std::function<void(QObject* Sender, TVListItem* Item, TItemChange Change)>;
using TVLVDeletedEvent = std::function<void(QObject* Sender, TVListItem* Item)>;
using TVLVEditingEvent = std::function<void(QObject* Sender, TVListItem* Item, bool& AllowEdit)>;
using TVLVEditedEvent = std::function<void(QObject* Sender, TVListItem* Item, std::string& S)>;
using TVLVColumnClickEvent = std::function<void(QObject* Sender, int Column)>;
using TVLVOwnerDataEvent = std::function<void(QObject* Sender, TVListItem* Item)>;
using TVLVOwnerDataFindEvent = std::function<void(
    QObject* Sender, TItemFind Find, const std::string& FindString, const TPoint& FindPosition,
    void* FindData, int StartIndex, TSearchDirection Direction, bool Wrap, int& Index)>;
using TVLVOwnerDataHintEvent = std::function<void(QObject* Sender, int StartIndex, int EndIndex)>;
using TVLVOwnerDataStateChangeEvent = std::function<void(
    QObject* Sender, int StartIndex, int EndIndex, TItemStates OldState, TItemStates NewState)>;
using TVLVCompareEvent = std::function<void(QObject* Sender, TVListItem* Item1, TVListItem* Item2,
                                            int Data, int& Compare)>;
using TVLVNotifyEvent = std::function<void(QObject* Sender, TVListItem* Item)>;
using TStartDragEvent = std::function<void(QObject* Sender)>;

// One report-view column.
class TVListColumn {
public:
    explicit TVListColumn(TVCustomListView* owner) : owner_(owner) {}

    int Index() const;
    TAlignment Alignment() const { return alignment_; }
    // The first column is always left-aligned.
    void SetAlignment(TAlignment value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value) { imageIndex_ = value; }
    int MaxWidth() const { return maxWidth_; }
    void SetMaxWidth(int value);
    int MinWidth() const { return minWidth_; }
    void SetMinWidth(int value);
    // Negative widths are automatic: -1 fits the texts, -2 fits texts and caption.
    int Width() const { return width_; }
    // A width of 0 or more is held between MinWidth and MaxWidth (each when above 0).
    void SetWidth(int value);
    // The caption, or "TVListColumn" when it is empty.
    std::string DisplayName() const;

private:
    friend class TVCustomListView;
    TVCustomListView* owner_;
    TAlignment alignment_ = taLeftJustify;
    bool autoSize_ = false;
    std::string caption_;
    int imageIndex_ = -1;
    int maxWidth_ = 0;
    int minWidth_ = 0;
    int width_ = 50;
    int savedWidth_ = 0;  // a negative width kept while updates are suspended
};

class TVListColumns {
public:
    explicit TVListColumns(TVCustomListView* owner) : owner_(owner) {}
    ~TVListColumns();

    int Count() const { return int(columns_.size()); }
    TVListColumn* Items(int index) const { return columns_.at(size_t(index)).get(); }
    TVListColumn* operator[](int index) const { return Items(index); }
    TVListColumn* Add();
    void Delete(int index);
    void Clear();
    // Column changes are sent to the view once, at the last EndUpdate.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    int IndexOf(const TVListColumn* column) const;

private:
    friend class TVListColumn;
    friend class TVCustomListView;
    void Changed();
    TVCustomListView* owner_;
    std::vector<std::unique_ptr<TVListColumn>> columns_;
    int updateCount_ = 0;
};

// The texts of columns 2 and later of one row.
class TVSubItems : public TStringList {
public:
    explicit TVSubItems(TVListItem* owner) : owner_(owner) {}
    int Add(const std::string& text) override;
    void Put(int index, const std::string& text) override;
    void Insert(int index, const std::string& text) override;
    void Delete(int index) override;
    void BeginUpdate() override;
    void EndUpdate() override;

private:
    void Changed();
    TVListItem* owner_;
};

// One row. In owner-data mode the control's temporary item stands for whichever
// row was asked for last; Index() is that row.
class TVListItem : public TPersistent {
public:
    explicit TVListItem(TVListItems* owner);
    ~TVListItem() override;

    TVListItems* Owner() const { return owner_; }
    TVCustomListView* ListView() const;
    TVSubItems* SubItems() const { return subItems_.get(); }
    intptr_t Data = 0;
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    int OverlayIndex = -1;
    int StateIndex = -1;
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    // The row: the remembered row in owner-data mode, else the item's place in Items.
    int Index() const;
    void SetIndex(int row) { index_ = row; }

    // States straight from the view (siCut ... siActivating).
    bool GetState(TVItemStateIndex state) const;
    void SetState(TVItemStateIndex state, bool value);
    bool Selected() const { return GetState(siSelected); }
    void SetSelected(bool value) { SetState(siSelected, value); }
    bool Focused() const { return GetState(siFocused); }
    void SetFocused(bool value) { SetState(siFocused, value); }
    bool Cut() const { return GetState(siCut); }
    bool DropTarget() const { return GetState(siDropTarget); }
    bool Checked() const;
    void SetChecked(bool value);

    // The row's rectangle in client coordinates (bounds, icon, label, select bounds).
    TRect DisplayRect(TDisplayCode code) const;
    // Focuses the control and starts editing the caption in place.
    void EditCaption();
    // Frees the item (not the control's temporary item, nor one being deleted).
    void Delete();
    void MakeVisible();
    void Assign(const TPersistent* source) override;

    // Directly set by the owner-data fetch, without change events.
    void FillCaption(const std::string& value) { caption_ = value; }
    void FillImageIndex(int value) { imageIndex_ = value; }

private:
    friend class TVListItems;
    friend class TVCustomListView;
    friend class TVListModel;
    TVListItems* owner_;
    std::unique_ptr<TVSubItems> subItems_;
    int imageIndex_ = 0;
    int index_ = -1;
    std::string caption_;
    std::uint8_t deleting_ = 0;
    std::uint8_t processed_ = 0;
    std::uint8_t checked_ = 0;
};

class TVListItems : public TPersistent {
public:
    explicit TVListItems(TVCustomListView* owner) : owner_(owner) {}
    ~TVListItems() override;

    TVCustomListView* Owner() const { return owner_; }
    // The number of rows (the row count in owner-data mode, else the item count).
    int Count() const;
    // Sets the number of rows of an owner-data list (the rows are served again).
    void SetCount(int count);
    // The item of a row, nil outside the rows. In owner-data mode this is the
    // temporary item, filled through OnData for that row.
    TVListItem* Item(int index) const;
    TVListItem* operator[](int index) const { return Item(index); }
    TVListItem* Add();
    TVListItem* Insert(int index);
    // Deletes every item (OnDeletion for each, from the last to the first).
    void Clear();
    int IndexOf(const TVListItem* item) const;
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }
    void Assign(const TPersistent* source) override;

private:
    friend class TVListItem;
    friend class TVCustomListView;
    void Detach(TVListItem* item);
    TVCustomListView* owner_;
    std::vector<TVListItem*> items_;  // owned (ordinary mode)
    int rowCount_ = 0;                 // owner-data mode
    int updateCount_ = 0;
    std::uint8_t noRedraw_ = 0;
};

class TIconOptions : public TPersistent {
public:
    // Raises Exception "Invalid owner" without an owner.
    explicit TIconOptions(TVCustomListView* owner);
    TIconArrangement Arrangement() const { return arrangement_; }
    void SetArrangement(TIconArrangement value);
    bool AutoArrange() const { return autoArrange_; }
    void SetAutoArrange(bool value);
    bool WrapText() const { return wrapText_; }
    void SetWrapText(bool value);

private:
    TVCustomListView* owner_;
    TIconArrangement arrangement_ = iaTop;
    bool autoArrange_ = false;
    bool wrapText_ = true;
};

// A windowed control that can re-apply its size to itself and its parent's layout.
class TWinControlEx : public QWidget {
public:
    explicit TWinControlEx(QWidget* owner = nullptr) : QWidget(owner) {}
    void ReapplySize();
};

class TVCustomListView : public TWinControlEx {
public:
    explicit TVCustomListView(QWidget* owner = nullptr);
    ~TVCustomListView() override;

    // ---- Properties
    TVListColumns* Columns() const { return columns_.get(); }
    TVListColumn* Column(int index) const { return columns_->Items(index); }
    TVListItems* Items() const { return items_.get(); }
    TIconOptions* IconOptions() const { return iconOptions_.get(); }

    TViewStyle ViewStyle() const { return viewStyle_; }
    virtual void SetViewStyle(TViewStyle value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool value);
    bool ShowColumnHeaders() const { return showColumnHeaders_; }
    void SetShowColumnHeaders(bool value);
    bool ColumnClick() const { return columnClick_; }
    void SetColumnClick(bool value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool value);
    bool OwnerData() const { return ownerData_; }
    void SetOwnerData(bool value);
    bool Checkboxes() const { return checkboxes_; }
    void SetCheckboxes(bool value);
    bool GridLines() const { return gridLines_; }
    void SetGridLines(bool value) { gridLines_ = value; ApplyStyle(); }
    bool HotTrack() const { return hotTrack_; }
    void SetHotTrack(bool value) { hotTrack_ = value; ApplyStyle(); }
    bool RowSelect() const { return rowSelect_; }
    void SetRowSelect(bool value) { rowSelect_ = value; ApplyStyle(); }
    bool FlatScrollBars = false;
    // Bits (1 << THotTrackStyle): htUnderlineHot underlines the row under the
    // mouse, htUnderlineCold every row (both only while HotTrack is on).
    THotTrackStyles HotTrackStyles = 0;
    // One click activates a row: the hand cursor shows over the rows (the
    // owner opens the row from its click event).
    bool OneClickActivate() const { return oneClickActivate_; }
    void SetOneClickActivate(bool value);
    // The row under the mouse while hot tracking; -1 for none.
    int HotRow() const { return hotRow_; }
    // Whether the row's text is drawn underlined.
    bool RowUnderlined(int row) const;
    int AllocBy = 0;
    TSortType SortType() const { return sortType_; }
    // Stored only: the control never sorts.
    void SetSortType(TSortType value) { sortType_ = value; }
    TImageList* LargeImages() const { return largeImages_; }
    void SetLargeImages(TImageList* value);
    TImageList* SmallImages() const { return smallImages_; }
    void SetSmallImages(TImageList* value);
    TImageList* StateImages() const { return stateImages_; }
    void SetStateImages(TImageList* value) { stateImages_ = value; }
    TDragMode DragMode = dmManual;

    // ---- Operations
    // First selected item (nil when none); setting nil clears the selection,
    // setting an item selects it.
    TVListItem* Selected() const;
    void SetSelected(TVListItem* item);
    int SelCount() const;
    // Selects (or deselects) rows first to last at once, as one state change.
    void SelectRows(int first, int last, bool selected);
    // Rows of the selection, ascending.
    std::vector<int> SelectedRows() const;
    TVListItem* ItemFocused() const;
    void SetItemFocused(TVListItem* item);
    TVListItem* DropTarget() const;
    void SetDropTarget(TVListItem* item);
    // The next row after start (nil = from the top) in a direction having all
    // of the wanted states (a TItemStates set; 0 = any).
    TVListItem* GetNextItem(TVListItem* start, TSearchDirection direction, TItemStates states) const;
    TVListItem* GetItemAt(int x, int y) const;
    TVListItem* FindNearestItem(const TPoint& point, TSearchDirection direction) const;
    // The first row visible at the top; nil in the icon views.
    TVListItem* TopItem() const;
    void Scroll(int dx, int dy);
    void Arrange(TListArrangement code);
    // Describes the rows again (and the row count of an owner-data list).
    void UpdateItems(int first, int last);
    void Invalidate();
    // Runs the column auto-sizing over the current client width.
    void AutoSizeColumns();
    // The size of one cell in the list and icon views (every row has it).
    QSize CellSize() const;
    // Width of the report view's client area.
    int ClientWidth() const;
    // The view that shows the rows now (a list view or the report view).
    QAbstractItemView* View() const;
    QWidget* Viewport() const;
    // Pixel bounds of a row (display code as for TVListItem::DisplayRect).
    TRect ItemRect(int row, TDisplayCode code) const;
    // Row and column under a client point; row -1 over empty space.
    void SubItemHitTest(const QPoint& at, int& row, int& column) const;
    // Answers an owner-data find request through OnDataFind; -1 when not answered.
    int OwnerDataFind(TItemFind find, const std::string& findString, const TPoint& position,
                      void* findData, int startIndex, TSearchDirection direction, bool wrap) const;
    int DragIndex() const { return dragIndex_; }
    bool PaintSuspended() const;

    // ---- Events
    TVLVChangingEvent OnChanging;
    TVLVChangeEvent OnChange;
    TVLVDeletedEvent OnInsert;
    TVLVDeletedEvent OnDeletion;
    TVLVEditingEvent OnEditing;
    TVLVEditedEvent OnEdited;
    TVLVColumnClickEvent OnColumnClick;
    TVLVOwnerDataEvent OnData;
    TVLVOwnerDataFindEvent OnDataFind;
    TVLVOwnerDataHintEvent OnDataHint;
    TVLVOwnerDataStateChangeEvent OnDataStateChange;
    TVLVCompareEvent OnCompare;  // never raised
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TMouseEvent OnMouseDown;
    TStartDragEvent OnStartDrag;

    // The owner-data fetch: fills and returns the temporary item for row (nil
    // for a negative row). wantImage passes imageIndex in as the item's image.
    TVListItem* OwnerDataFetch(int row, bool wantText, bool wantImage, int imageIndex) const;

protected:
    // Describes row for display: its column texts and image. Derived controls
    // may ask the owner for more before the row is fetched.
    struct RowInfo {
        int Row = -1;
        std::vector<std::string> Texts;
        int ImageIndex = -1;
    };
    virtual void DisplayInfo(int row, int imageIndex, RowInfo& info) const;
    // A drag starts on row (right: with the right button).
    virtual void BeginDrag(int row, bool right);
    // Paint requests are dropped while this answers true.
    virtual bool PaintLocked() const;
    // The view asks for a tool tip at a viewport point; true when handled.
    virtual bool ViewToolTip(const QPoint& at, const QPoint& globalAt);
    // The item factory: a new item owned by Items.
    virtual TVListItem* CreateListItem();
    // The temporary item object (created on first use).
    TVListItem* TempItem() const;

    void resizeEvent(QResizeEvent* event) override;

private:
    friend class TVListColumn;
    friend class TVListColumns;
    friend class TVSubItems;
    friend class TIconOptions;
    friend class TVListItem;
    friend class TVListItems;
    friend class TVListModel;
    friend class TVSelectionModel;
    template <class Base> friend class TVListViewHost;

    void ApplyStyle();
    void SendColumns();
    void RowsChanged();
    void ItemsInserted(int row);
    void ItemsRemoved(int row);
    void DataChanged(int row);
    bool AskChanging(int row, TItemChange change) const;
    void RaiseChange(int row, TItemChange change) const;
    void SelectionDiff(const std::vector<std::pair<int, int>>& before,
                       const std::vector<std::pair<int, int>>& after);
    void FocusChanged(int previous, int current);
    const RowInfo& CachedRow(int row) const;
    void DropRowCache() const { rowCache_.Row = -1; }
    void BeginUpdates();
    void EndUpdates();
    void HeaderResized(int section, int newSize);
    bool ViewKeyPress(QKeyEvent* event);
    bool ViewKeyRelease(QKeyEvent* event);
    bool ViewEdit(int row);
    void ViewKeyboardSearch(const std::string& text);
    void ViewPainting();

    std::unique_ptr<TVListColumns> columns_;
    std::unique_ptr<TVListItems> items_;
    std::unique_ptr<TIconOptions> iconOptions_;
    mutable std::unique_ptr<TVListItem> tempItem_;
    TVListModel* model_ = nullptr;
    TVSelectionModel* selection_ = nullptr;
    QListView* listView_ = nullptr;
    QTreeView* reportView_ = nullptr;
    TViewStyle viewStyle_ = vsIcon;
    TBorderStyle borderStyle_ = bsSingle;
    bool hideSelection_ = true;
    bool showColumnHeaders_ = true;
    bool columnClick_ = true;
    bool readOnly_ = false;
    bool multiSelect_ = false;
    bool ownerData_ = false;
    bool checkboxes_ = false;
    bool gridLines_ = false;
    bool hotTrack_ = false;
    bool rowSelect_ = false;
    TSortType sortType_ = stNone;
    TImageList* largeImages_ = nullptr;
    TImageList* smallImages_ = nullptr;
    TImageList* stateImages_ = nullptr;
    int dragIndex_ = -1;
    int hotRow_ = -1;
    bool oneClickActivate_ = false;
    void SetHotRow(int row);
    int lastDropTarget_ = -1;
    std::unordered_map<int, TItemStates> extraStates_;  // cut and drop-highlight by row
    int hintFirst_ = -1, hintLast_ = -1;
    int focusedRow_ = -1;
    bool sizing_ = false;
    mutable RowInfo rowCache_;
};

class TVListView : public TVCustomListView {
public:
    explicit TVListView(QWidget* owner = nullptr) : TVCustomListView(owner) {}
};

// Splits the space among the auto-size columns: each gets space / count, the
// first also the remainder; a column its limits hold is dropped and its width
// taken from the space, until no column drops out. Answers the widths of all
// columns (fixed ones unchanged). Limits of 0 do not apply.
struct TColumnSizing {
    int Width;
    int MinWidth;
    int MaxWidth;
    bool AutoSize;
};
std::vector<int> AutoSizeWidths(const std::vector<TColumnSizing>& columns, int clientWidth);

}  // namespace lumvor
