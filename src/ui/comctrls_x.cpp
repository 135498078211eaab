#include "ui/comctrls_x.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QDateTime>
#include <QHelpEvent>
#include <QLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QPalette>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

#include "platform/Forms.h"
#include "platform/SysUtils.h"

namespace lumvor {

// ======================================================================= model

class TVListModel : public QAbstractTableModel {
public:
    explicit TVListModel(TVCustomListView* owner) : QAbstractTableModel(owner), lv_(owner) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : lv_->Items()->Count();
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : std::max(1, lv_->Columns()->Count());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) return QVariant();
        const int row = index.row(), col = index.column();
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole: {
            const auto& info = lv_->CachedRow(row);
            if (size_t(col) < info.Texts.size()) return QString::fromStdString(info.Texts[size_t(col)]);
            return QString();
        }
        case Qt::DecorationRole: {
            if (col != 0) return QVariant();
            TImageList* images = lv_->viewStyle_ == vsIcon ? lv_->largeImages_ : lv_->smallImages_;
            if (!images) return QVariant();
            const int image = lv_->CachedRow(row).ImageIndex;
            const QPixmap p = images->Image(image);
            if (p.isNull()) return QVariant();
            return p;
        }
        case Qt::CheckStateRole: {
            if (col != 0 || !lv_->checkboxes_ || lv_->ownerData_) return QVariant();
            TVListItem* item = lv_->Items()->Item(row);
            return item && item->checked_ ? Qt::Checked : Qt::Unchecked;
        }
        case Qt::TextAlignmentRole:
            return AlignmentOf(col);
        default:
            return QVariant();
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || section >= lv_->Columns()->Count()) return QVariant();
        if (role == Qt::DisplayRole) return QString::fromStdString(lv_->Column(section)->Caption());
        if (role == Qt::TextAlignmentRole) return AlignmentOf(section);
        return QVariant();
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid()) return Qt::NoItemFlags;
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
        if (index.column() == 0 && !lv_->readOnly_) f |= Qt::ItemIsEditable;
        if (index.column() == 0 && lv_->checkboxes_ && !lv_->ownerData_) f |= Qt::ItemIsUserCheckable;
        return f;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (!index.isValid() || index.column() != 0) return false;
        const int row = index.row();
        if (row < 0 || row >= rowCount()) return false;
        bool done = false;
        Guarded([&] {
            TVListItem* item = lv_->Items()->Item(row);
            if (!item) return;
            if (role == Qt::EditRole) {
                std::string s = value.toString().toStdString();
                if (lv_->OnEdited) lv_->OnEdited(lv_, item, s);
                if (lv_->ownerData_) item->FillCaption(s);
                else item->SetCaption(s);
                done = true;
            } else if (role == Qt::CheckStateRole) {
                item->SetChecked(value.toInt() == Qt::Checked);
                done = true;
            }
        });
        if (done) {
            lv_->DropRowCache();
            emit dataChanged(index, index);
        }
        return done;
    }

    void Reset() {
        beginResetModel();
        lv_->DropRowCache();
        endResetModel();
    }
    void Inserted(int row) {
        beginInsertRows(QModelIndex(), row, row);
        endInsertRows();
    }
    void BeginRemove(int row) { beginRemoveRows(QModelIndex(), row, row); }
    void EndRemove() { endRemoveRows(); }
    void Changed(int first, int last) {
        lv_->DropRowCache();
        if (first > last || rowCount() == 0) return;
        emit dataChanged(index(first, 0), index(last, columnCount() - 1));
    }
    void HeaderChanged() {
        if (columnCount() > 0) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    }

private:
    QVariant AlignmentOf(int col) const {
        if (col <= 0 || col >= lv_->Columns()->Count()) return QVariant();
        switch (lv_->Column(col)->Alignment()) {
        case taRightJustify: return int(Qt::AlignRight | Qt::AlignVCenter);
        case taCenter: return int(Qt::AlignHCenter | Qt::AlignVCenter);
        default: return QVariant();
        }
    }

    TVCustomListView* lv_;
};

// ============================================================ selection model

namespace {

using Intervals = std::vector<std::pair<int, int>>;

// The selected rows as sorted, merged closed intervals.
Intervals RowIntervals(const QItemSelection& selection) {
    Intervals v;
    for (const QItemSelectionRange& r : selection)
        if (r.isValid()) v.emplace_back(r.top(), r.bottom());
    std::sort(v.begin(), v.end());
    Intervals merged;
    for (const auto& iv : v) {
        if (!merged.empty() && iv.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, iv.second);
        else
            merged.push_back(iv);
    }
    return merged;
}

bool InIntervals(const Intervals& v, int row) {
    auto it = std::upper_bound(v.begin(), v.end(), std::make_pair(row, std::numeric_limits<int>::max()));
    return it != v.begin() && std::prev(it)->second >= row;
}

struct Run {
    int first, last;
    bool was, now;
};

// The runs of rows whose selected state differs between two interval lists.
std::vector<Run> DiffIntervals(const Intervals& before, const Intervals& after) {
    std::vector<int> cuts;
    for (const auto& iv : before) { cuts.push_back(iv.first); cuts.push_back(iv.second + 1); }
    for (const auto& iv : after) { cuts.push_back(iv.first); cuts.push_back(iv.second + 1); }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    std::vector<Run> runs;
    for (size_t i = 0; i + 1 < cuts.size(); ++i) {
        const int a = cuts[i], b = cuts[i + 1] - 1;
        const bool was = InIntervals(before, a), now = InIntervals(after, a);
        if (was == now) continue;
        if (!runs.empty() && runs.back().last + 1 == a && runs.back().was == was && runs.back().now == now)
            runs.back().last = b;
        else
            runs.push_back({a, b, was, now});
    }
    return runs;
}

}  // namespace

class TVSelectionModel : public QItemSelectionModel {
public:
    TVSelectionModel(TVCustomListView* owner, QAbstractItemModel* model)
        : QItemSelectionModel(model, owner), lv_(owner) {}

    using QItemSelectionModel::select;
    void select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command) override {
        if (quiet_) {
            QItemSelectionModel::select(selection, command);
            return;
        }
        const Intervals before = RowIntervals(this->selection());
        QItemSelectionModel::select(selection, command | QItemSelectionModel::Rows);
        const Intervals after = RowIntervals(this->selection());
        Guarded([&] { lv_->SelectionDiff(before, after); });
    }

    // Sets a row's selected state without events.
    void Quietly(int row, bool selected) {
        quiet_ = true;
        const QModelIndex index = model()->index(row, 0);
        QItemSelectionModel::select(index, (selected ? Select : Deselect) | Rows);
        quiet_ = false;
    }

private:
    TVCustomListView* lv_;
    bool quiet_ = false;
};

// ================================================================== delegate

// Gives the list and icon views one cell size for every row without describing
// any row: the list views lay out all rows from it.
class TVItemDelegate : public QStyledItemDelegate {
public:
    explicit TVItemDelegate(TVCustomListView* owner) : QStyledItemDelegate(owner), lv_(owner) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return lv_->ViewStyle() == vsReport ? QStyledItemDelegate::sizeHint(option, index)
                                            : lv_->CellSize();
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (lv_->RowUnderlined(index.row()))
            option->font.setUnderline(true);
    }

private:
    TVCustomListView* lv_;
};

// ================================================================ view hosts

template <class Base>
class TVListViewHost : public Base {
public:
    explicit TVListViewHost(TVCustomListView* owner) : Base(owner), lv_(owner) {}

protected:
    bool edit(const QModelIndex& index, QAbstractItemView::EditTrigger trigger, QEvent* event) override {
        if (trigger != QAbstractItemView::AllEditTriggers && trigger != QAbstractItemView::NoEditTriggers
            && (Base::editTriggers() & trigger) == 0)
            return Base::edit(index, trigger, event);
        if (!index.isValid() || index.column() != 0 || lv_->readOnly_) return Base::edit(index, trigger, event);
        bool allow = false;
        Guarded([&] { allow = lv_->ViewEdit(index.row()); });
        if (!allow) return false;
        return Base::edit(index, trigger, event);
    }
    void paintEvent(QPaintEvent* event) override {
        if (lv_->PaintLocked()) return;
        Guarded([&] { lv_->ViewPainting(); });
        Base::paintEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        bool handled = false;
        Guarded([&] { handled = lv_->ViewKeyPress(event); });
        if (!handled) Base::keyPressEvent(event);
    }
    void keyReleaseEvent(QKeyEvent* event) override {
        bool handled = false;
        Guarded([&] { handled = lv_->ViewKeyRelease(event); });
        if (!handled) Base::keyReleaseEvent(event);
    }
    void keyboardSearch(const QString& search) override {
        if (!lv_->ownerData_) {
            Base::keyboardSearch(search);
            return;
        }
        // Collect the typed prefix as the view does, then ask the owner.
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (now - lastKey_ > QApplication::keyboardInputInterval()) prefix_.clear();
        lastKey_ = now;
        prefix_ += search;
        Guarded([&] { lv_->ViewKeyboardSearch(prefix_.toStdString()); });
    }
    void startDrag(Qt::DropActions) override {
        const QModelIndex index = Base::currentIndex();
        Guarded([&] { lv_->BeginDrag(index.isValid() ? index.row() : -1, false); });
    }
    void mousePressEvent(QMouseEvent* event) override {
        Guarded([&] { RaiseMouseEvent(lv_->OnMouseDown, lv_, *event); });
        Base::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        Base::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && lv_->OnClick) Guarded([&] { lv_->OnClick(lv_); });
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        Base::mouseDoubleClickEvent(event);
        if (lv_->OnDblClick) Guarded([&] { lv_->OnDblClick(lv_); });
    }
    bool viewportEvent(QEvent* event) override {
        if (event->type() == QEvent::MouseMove && lv_->hotTrack_) {
            const QModelIndex at = Base::indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
            lv_->SetHotRow(at.isValid() ? at.row() : -1);
        } else if (event->type() == QEvent::Leave) {
            lv_->SetHotRow(-1);
        }
        if (event->type() == QEvent::ToolTip) {
            auto* he = static_cast<QHelpEvent*>(event);
            bool handled = false;
            Guarded([&] { handled = lv_->ViewToolTip(he->pos(), he->globalPos()); });
            if (handled) return true;
        }
        const bool result = Base::viewportEvent(event);
        if (event->type() == QEvent::Resize && !lv_->sizing_)
            Guarded([&] { lv_->AutoSizeColumns(); });
        return result;
    }

private:
    TVCustomListView* lv_;
    QString prefix_;
    qint64 lastKey_ = 0;
};

// ================================================================== columns

int TVListColumn::Index() const { return owner_ ? owner_->columns_->IndexOf(this) : -1; }

void TVListColumn::SetAlignment(TAlignment value) {
    if (Index() == 0 || value == alignment_) return;
    alignment_ = value;
    if (owner_) {
        owner_->SendColumns();
        owner_->Invalidate();
    }
}

void TVListColumn::SetAutoSize(bool value) {
    if (value == autoSize_) return;
    autoSize_ = value;
    if (owner_) {
        owner_->SendColumns();
        owner_->AutoSizeColumns();
    }
}

void TVListColumn::SetCaption(const std::string& value) {
    caption_ = value;
    if (owner_) owner_->SendColumns();
}

void TVListColumn::SetMaxWidth(int value) {
    maxWidth_ = value;
    if (owner_) owner_->SendColumns();
}

void TVListColumn::SetMinWidth(int value) {
    minWidth_ = value;
    if (owner_) owner_->SendColumns();
}

void TVListColumn::SetWidth(int value) {
    if (value >= 0) {
        if (minWidth_ > 0 && value < minWidth_) value = minWidth_;
        if (maxWidth_ > 0 && value > maxWidth_) value = maxWidth_;
    }
    width_ = value;
    if (owner_) owner_->SendColumns();
}

std::string TVListColumn::DisplayName() const { return caption_.empty() ? "TVListColumn" : caption_; }

TVListColumns::~TVListColumns() = default;

TVListColumn* TVListColumns::Add() {
    columns_.push_back(std::make_unique<TVListColumn>(owner_));
    if (owner_) owner_->model_->Reset();
    Changed();
    return columns_.back().get();
}

void TVListColumns::Delete(int index) {
    columns_.erase(columns_.begin() + index);
    if (owner_) owner_->model_->Reset();
    Changed();
}

void TVListColumns::Clear() {
    columns_.clear();
    if (owner_) owner_->model_->Reset();
    Changed();
}

void TVListColumns::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

int TVListColumns::IndexOf(const TVListColumn* column) const {
    for (size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].get() == column) return int(i);
    return -1;
}

void TVListColumns::Changed() {
    if (updateCount_ == 0 && owner_) owner_->SendColumns();
}

std::vector<int> AutoSizeWidths(const std::vector<TColumnSizing>& columns, int clientWidth) {
    std::vector<int> widths;
    std::vector<size_t> set;
    int space = clientWidth;
    for (size_t i = 0; i < columns.size(); ++i) {
        widths.push_back(columns[i].Width);
        if (columns[i].AutoSize) set.push_back(i);
        else space -= std::max(0, columns[i].Width);
    }
    auto clamp = [&](size_t i, int w) {
        if (w < 0) w = 0;  // a negative width would mean an automatic width
        if (columns[i].MinWidth > 0 && w < columns[i].MinWidth) w = columns[i].MinWidth;
        if (columns[i].MaxWidth > 0 && w > columns[i].MaxWidth) w = columns[i].MaxWidth;
        return w;
    };
    while (!set.empty()) {
        const int n = int(set.size());
        const int each = space / n, rest = space % n;
        std::vector<size_t> kept;
        for (size_t k = 0; k < set.size(); ++k) {
            const int want = each + (k == 0 ? rest : 0);
            const int got = clamp(set[k], want);
            widths[set[k]] = got;
            if (got != want) space -= got;
            else kept.push_back(set[k]);
        }
        if (kept.size() == set.size()) break;
        set = std::move(kept);
    }
    return widths;
}

// ================================================================ sub-items

int TVSubItems::Add(const std::string& text) {
    const int i = TStringList::Add(text);
    Changed();
    return i;
}
void TVSubItems::Put(int index, const std::string& text) {
    TStringList::Put(index, text);
    Changed();
}
void TVSubItems::Insert(int index, const std::string& text) {
    TStringList::Insert(index, text);
    Changed();
}
void TVSubItems::Delete(int index) {
    TStringList::Delete(index);
    Changed();
}
void TVSubItems::BeginUpdate() {
    if (owner_ && owner_->Owner()) owner_->Owner()->BeginUpdate();
}
void TVSubItems::EndUpdate() {
    if (owner_ && owner_->Owner()) owner_->Owner()->EndUpdate();
}
void TVSubItems::Changed() {
    TVCustomListView* lv = owner_ ? owner_->ListView() : nullptr;
    if (!lv || lv->ownerData_ || owner_ == lv->tempItem_.get()) return;
    const int row = owner_->Index();
    if (row >= 0) lv->DataChanged(row);
}

// ==================================================================== items

TVListItem::TVListItem(TVListItems* owner) : owner_(owner), subItems_(std::make_unique<TVSubItems>(this)) {}

TVListItem::~TVListItem() {
    deleting_ = 1;
    if (owner_ && !processed_) owner_->Detach(this);
}

TVCustomListView* TVListItem::ListView() const { return owner_ ? owner_->Owner() : nullptr; }

int TVListItem::Index() const {
    TVCustomListView* lv = ListView();
    if (!lv) return -1;
    if (lv->ownerData_ || this == lv->tempItem_.get()) return index_;
    return owner_->IndexOf(this);
}

void TVListItem::SetImageIndex(int value) {
    TVCustomListView* lv = ListView();
    const int row = Index();
    if (!lv || lv->ownerData_ || row < 0 || this == lv->tempItem_.get()) {
        imageIndex_ = value;
        return;
    }
    if (!lv->AskChanging(row, ctImage)) return;
    imageIndex_ = value;
    lv->DataChanged(row);
    lv->RaiseChange(row, ctImage);
}

void TVListItem::SetCaption(const std::string& value) {
    TVCustomListView* lv = ListView();
    const int row = Index();
    if (!lv || lv->ownerData_ || row < 0 || this == lv->tempItem_.get()) {
        caption_ = value;
        return;
    }
    if (!lv->AskChanging(row, ctText)) return;
    caption_ = value;
    lv->DataChanged(row);
    if (lv->viewStyle_ == vsReport && lv->Columns()->Count() > 0 && lv->Column(0)->Width() < 0)
        lv->SendColumns();
    lv->RaiseChange(row, ctText);
}

bool TVListItem::GetState(TVItemStateIndex state) const {
    TVCustomListView* lv = ListView();
    const int row = Index();
    if (!lv || row < 0 || row >= owner_->Count()) return false;
    switch (state) {
    case siSelected: return lv->selection_->isRowSelected(row, QModelIndex());
    case siFocused: return lv->selection_->currentIndex().row() == row;
    case siCut: {
        auto it = lv->extraStates_.find(row);
        return it != lv->extraStates_.end() && (it->second & StateBit(isCut));
    }
    case siDropTarget: {
        auto it = lv->extraStates_.find(row);
        return it != lv->extraStates_.end() && (it->second & StateBit(isDropHilited));
    }
    default: return false;
    }
}

void TVListItem::SetState(TVItemStateIndex state, bool value) {
    TVCustomListView* lv = ListView();
    const int row = Index();
    if (!lv || row < 0 || row >= owner_->Count()) return;
    const QModelIndex index = lv->model_->index(row, 0);
    switch (state) {
    case siSelected:
        // A single-selection list drops the old selection.
        lv->selection_->select(index, (value ? (lv->multiSelect_ ? QItemSelectionModel::Select
                                                                 : QItemSelectionModel::ClearAndSelect)
                                             : QItemSelectionModel::Deselect)
                                          | QItemSelectionModel::Rows);
        break;
    case siFocused:
        if (value) lv->selection_->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        else if (lv->selection_->currentIndex().row() == row)
            lv->selection_->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        break;
    case siCut:
    case siDropTarget: {
        const TItemStates bit = StateBit(state == siCut ? isCut : isDropHilited);
        TItemStates& s = lv->extraStates_[row];
        s = value ? TItemStates(s | bit) : TItemStates(s & ~bit);
        if (!s) lv->extraStates_.erase(row);
        lv->DataChanged(row);
        break;
    }
    default: break;
    }
}

bool TVListItem::Checked() const {
    TVCustomListView* lv = ListView();
    return lv && lv->checkboxes_ && checked_;
}

void TVListItem::SetChecked(bool value) {
    checked_ = value ? 1 : 0;
    TVCustomListView* lv = ListView();
    if (lv && !lv->ownerData_) {
        if (!lv->checkboxes_) lv->SetCheckboxes(true);
        const int row = Index();
        if (row >= 0) lv->DataChanged(row);
    }
}

TRect TVListItem::DisplayRect(TDisplayCode code) const {
    TVCustomListView* lv = ListView();
    return lv ? lv->ItemRect(Index(), code) : TRect{};
}

void TVListItem::EditCaption() {
    TVCustomListView* lv = ListView();
    const int row = Index();
    if (!lv || row < 0) return;
    lv->View()->setFocus();
    const QModelIndex index = lv->model_->index(row, 0);
    lv->View()->setCurrentIndex(index);
    lv->View()->edit(index);
}

void TVListItem::Delete() {
    TVCustomListView* lv = ListView();
    if (deleting_ || (lv && this == lv->tempItem_.get())) return;
    delete this;
}

void TVListItem::MakeVisible() {
    TVCustomListView* lv = ListView();
    const int row = Index();
    if (lv && row >= 0 && row < owner_->Count()) lv->View()->scrollTo(lv->model_->index(row, 0));
}

void TVListItem::Assign(const TPersistent* source) {
    auto* other = dynamic_cast<const TVListItem*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    SetCaption(other->caption_);
    Data = other->Data;
    SetImageIndex(other->imageIndex_);
    OverlayIndex = other->OverlayIndex;
    StateIndex = other->StateIndex;
    subItems_->Assign(*other->subItems_);
}

TVListItems::~TVListItems() {
    for (TVListItem* item : items_) {
        item->processed_ = 1;
        delete item;
    }
}

int TVListItems::Count() const { return owner_->ownerData_ ? rowCount_ : int(items_.size()); }

void TVListItems::SetCount(int count) {
    if (count < 0) count = 0;
    if (!owner_->ownerData_) return;
    rowCount_ = count;
    owner_->extraStates_.clear();
    owner_->RowsChanged();
}

TVListItem* TVListItems::Item(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    if (owner_->ownerData_) return owner_->OwnerDataFetch(index, true, true, -1);
    return items_[size_t(index)];
}

TVListItem* TVListItems::Add() { return Insert(Count()); }

TVListItem* TVListItems::Insert(int index) {
    if (owner_->ownerData_) return nullptr;
    if (index < 0 || index > int(items_.size())) index = int(items_.size());
    TVListItem* item = owner_->CreateListItem();
    item->imageIndex_ = -1;
    items_.insert(items_.begin() + index, item);
    owner_->ItemsInserted(index);
    if (owner_->OnInsert) owner_->OnInsert(owner_, item);
    return item;
}

void TVListItems::Clear() {
    if (owner_->ownerData_) {
        SetCount(0);
        return;
    }
    BeginUpdate();
    for (int i = int(items_.size()) - 1; i >= 0; --i) {
        TVListItem* item = items_[size_t(i)];
        if (owner_->OnDeletion) owner_->OnDeletion(owner_, item);
        item->processed_ = 1;
    }
    std::vector<TVListItem*> doomed;
    doomed.swap(items_);
    owner_->RowsChanged();
    for (TVListItem* item : doomed) delete item;
    EndUpdate();
}

int TVListItems::IndexOf(const TVListItem* item) const {
    if (owner_->ownerData_) return item ? item->index_ : -1;
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i] == item) return int(i);
    return -1;
}

void TVListItems::BeginUpdate() {
    if (updateCount_++ == 0) owner_->BeginUpdates();
}

void TVListItems::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0) owner_->EndUpdates();
}

void TVListItems::Assign(const TPersistent* source) {
    auto* other = dynamic_cast<const TVListItems*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    BeginUpdate();
    Clear();
    for (int i = 0; i < other->Count(); ++i) {
        TVListItem* from = other->Item(i);
        TVListItem* to = Add();
        if (to && from) to->Assign(from);
    }
    EndUpdate();
}

void TVListItems::Detach(TVListItem* item) {
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end()) return;
    const int row = int(it - items_.begin());
    if (owner_->lastDropTarget_ == row) owner_->lastDropTarget_ = -1;
    if (owner_->OnDeletion) owner_->OnDeletion(owner_, item);
    item->processed_ = 1;
    owner_->model_->BeginRemove(row);
    items_.erase(it);
    owner_->model_->EndRemove();
    owner_->ItemsRemoved(row);
}

// ============================================================= icon options

TIconOptions::TIconOptions(TVCustomListView* owner) : owner_(owner) {
    if (!owner) throw Exception("Invalid owner");
}
void TIconOptions::SetArrangement(TIconArrangement value) {
    arrangement_ = value;
    owner_->ApplyStyle();
}
void TIconOptions::SetAutoArrange(bool value) {
    autoArrange_ = value;
    owner_->ApplyStyle();
}
void TIconOptions::SetWrapText(bool value) {
    wrapText_ = value;
    owner_->ApplyStyle();
}

void TWinControlEx::ReapplySize() {
    resize(width(), height());
    if (parentWidget() && parentWidget()->layout()) parentWidget()->layout()->invalidate();
}

// ================================================================ list view

TVCustomListView::TVCustomListView(QWidget* owner)
    : TWinControlEx(owner),
      columns_(std::make_unique<TVListColumns>(this)),
      items_(std::make_unique<TVListItems>(this)),
      iconOptions_(std::make_unique<TIconOptions>(this)) {
    model_ = new TVListModel(this);
    selection_ = new TVSelectionModel(this, model_);
    QObject::connect(selection_, &QItemSelectionModel::currentChanged, this,
                     Guard([this](const QModelIndex& current, const QModelIndex& previous) {
                         FocusChanged(previous.row(), current.row());
                     }));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    listView_ = new TVListViewHost<QListView>(this);
    listView_->setUniformItemSizes(true);
    listView_->setItemDelegate(new TVItemDelegate(this));
    reportView_ = new TVListViewHost<QTreeView>(this);
    reportView_->setItemDelegate(new TVItemDelegate(this));
    reportView_->setUniformRowHeights(true);
    reportView_->setRootIsDecorated(false);
    reportView_->setItemsExpandable(false);
    reportView_->header()->setStretchLastSection(false);
    reportView_->header()->setSectionsMovable(false);
    reportView_->header()->setResizeContentsPrecision(64);
    QObject::connect(reportView_->header(), &QHeaderView::sectionResized, this,
                     Guard([this](int section, int, int newSize) { HeaderResized(section, newSize); }));
    QObject::connect(reportView_->header(), &QHeaderView::sectionClicked, this, Guard([this](int section) {
                         if (columnClick_ && OnColumnClick) OnColumnClick(this, section);
                     }));
    for (QAbstractItemView* v : {static_cast<QAbstractItemView*>(listView_),
                                 static_cast<QAbstractItemView*>(reportView_)}) {
        v->setDragEnabled(true);
        v->setDragDropMode(QAbstractItemView::DragOnly);
        layout->addWidget(v);
    }
    resize(250, 150);
    setFocusPolicy(Qt::StrongFocus);
    ApplyStyle();
}

TVCustomListView::~TVCustomListView() {
    // Items go before the views and the model they report to.
    tempItem_.reset();
    items_.reset();
    delete listView_;
    delete reportView_;
    listView_ = nullptr;
    reportView_ = nullptr;
}

TVListItem* TVCustomListView::CreateListItem() { return new TVListItem(items_.get()); }

TVListItem* TVCustomListView::TempItem() const {
    if (!tempItem_) {
        tempItem_ = std::make_unique<TVListItem>(items_.get());
        tempItem_->processed_ = 1;  // stands for rows, never for an item of the list
    }
    return tempItem_.get();
}

QAbstractItemView* TVCustomListView::View() const {
    return viewStyle_ == vsReport ? static_cast<QAbstractItemView*>(reportView_)
                                  : static_cast<QAbstractItemView*>(listView_);
}

QWidget* TVCustomListView::Viewport() const { return View()->viewport(); }

void TVCustomListView::ApplyStyle() {
    if (!listView_ || !reportView_) return;
    QAbstractItemView* active = View();
    QAbstractItemView* other = active == reportView_ ? static_cast<QAbstractItemView*>(listView_)
                                                     : static_cast<QAbstractItemView*>(reportView_);
    if (active->model() != model_) {
        const QModelIndex current = selection_->currentIndex();
        other->setModel(nullptr);
        active->setModel(model_);
        QItemSelectionModel* made = active->selectionModel();
        active->setSelectionModel(selection_);
        if (made && made != selection_) made->deleteLater();
        if (current.isValid()) selection_->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    }
    other->hide();
    active->show();
    setFocusProxy(active);

    const QSize large = largeImages_ ? QSize(largeImages_->Width, largeImages_->Height) : QSize(32, 32);
    const QSize small = smallImages_ ? QSize(smallImages_->Width, smallImages_->Height) : QSize(16, 16);
    switch (viewStyle_) {
    case vsIcon:
        listView_->setViewMode(QListView::IconMode);
        listView_->setIconSize(large);
        listView_->setFlow(iconOptions_->Arrangement() == iaLeft ? QListView::TopToBottom
                                                                 : QListView::LeftToRight);
        listView_->setWrapping(true);
        listView_->setGridSize(CellSize());
        break;
    case vsSmallIcon:
        listView_->setViewMode(QListView::ListMode);
        listView_->setIconSize(small);
        listView_->setFlow(QListView::LeftToRight);
        listView_->setWrapping(true);
        listView_->setGridSize(QSize());
        break;
    case vsList:
        listView_->setViewMode(QListView::ListMode);
        listView_->setIconSize(small);
        listView_->setFlow(QListView::TopToBottom);
        listView_->setWrapping(true);
        listView_->setGridSize(QSize());
        break;
    case vsReport:
        reportView_->setIconSize(small);
        break;
    }
    listView_->setMovement(QListView::Static);
    listView_->setResizeMode(QListView::Adjust);
    listView_->setWordWrap(iconOptions_->WrapText());
    listView_->setUniformItemSizes(true);

    for (QAbstractItemView* v : {static_cast<QAbstractItemView*>(listView_),
                                 static_cast<QAbstractItemView*>(reportView_)}) {
        v->setSelectionMode(multiSelect_ ? QAbstractItemView::ExtendedSelection
                                         : QAbstractItemView::SingleSelection);
        v->setSelectionBehavior(QAbstractItemView::SelectRows);
        v->setEditTriggers(readOnly_ ? QAbstractItemView::NoEditTriggers
                                     : QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
        v->setFrameShape(borderStyle_ == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
        v->setMouseTracking(hotTrack_);
        QPalette pal = v->palette();
        const QPalette def = QApplication::palette(v);
        pal.setColor(QPalette::Inactive, QPalette::Highlight,
                     hideSelection_ ? def.color(QPalette::Inactive, QPalette::Base)
                                    : def.color(QPalette::Inactive, QPalette::Highlight));
        pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     hideSelection_ ? def.color(QPalette::Inactive, QPalette::Text)
                                    : def.color(QPalette::Inactive, QPalette::HighlightedText));
        v->setPalette(pal);
    }
    reportView_->setHeaderHidden(!showColumnHeaders_);
    reportView_->header()->setSectionsClickable(columnClick_);
    reportView_->setAllColumnsShowFocus(rowSelect_);
    if (viewStyle_ == vsReport) SendColumns();
    else if (iconOptions_) listView_->doItemsLayout();
}

void TVCustomListView::SetOneClickActivate(bool value) {
    oneClickActivate_ = value;
    for (QAbstractItemView* v : {static_cast<QAbstractItemView*>(listView_),
                                 static_cast<QAbstractItemView*>(reportView_)})
        if (v) {
            if (value)
                v->viewport()->setCursor(Qt::PointingHandCursor);
            else
                v->viewport()->unsetCursor();
        }
}

bool TVCustomListView::RowUnderlined(int row) const {
    if (!hotTrack_ || row < 0)
        return false;
    if (HotTrackStyles & (1u << htUnderlineCold))
        return true;
    return (HotTrackStyles & (1u << htUnderlineHot)) && row == hotRow_;
}

void TVCustomListView::SetHotRow(int row) {
    if (row == hotRow_)
        return;
    hotRow_ = row;
    if (HotTrackStyles & (1u << htUnderlineHot))
        Viewport()->update();
}

QSize TVCustomListView::CellSize() const {
    const int text = fontMetrics().height();
    if (viewStyle_ == vsIcon) {
        const QSize large = largeImages_ ? QSize(largeImages_->Width, largeImages_->Height) : QSize(32, 32);
        return QSize(std::max(large.width() + 32, 75), large.height() + 2 * text + 8);
    }
    const QSize small = smallImages_ ? QSize(smallImages_->Width, smallImages_->Height) : QSize(16, 16);
    const int height = std::max(text, small.height()) + 4;
    if (viewStyle_ == vsList && columns_->Count() > 0 && Column(0)->Width() > 0)
        return QSize(Column(0)->Width(), height);
    return QSize(small.width() + 4 + 16 * fontMetrics().averageCharWidth(), height);
}

void TVCustomListView::SetViewStyle(TViewStyle value) {
    if (value == viewStyle_) return;
    viewStyle_ = value;
    DropRowCache();
    ApplyStyle();
    SendColumns();
}

void TVCustomListView::SetBorderStyle(TBorderStyle value) { borderStyle_ = value; ApplyStyle(); }
void TVCustomListView::SetHideSelection(bool value) { hideSelection_ = value; ApplyStyle(); }
void TVCustomListView::SetShowColumnHeaders(bool value) { showColumnHeaders_ = value; ApplyStyle(); }
void TVCustomListView::SetColumnClick(bool value) { columnClick_ = value; ApplyStyle(); }
void TVCustomListView::SetReadOnly(bool value) { readOnly_ = value; ApplyStyle(); }

void TVCustomListView::SetMultiSelect(bool value) {
    multiSelect_ = value;
    ApplyStyle();
}

void TVCustomListView::SetOwnerData(bool value) {
    if (value == ownerData_) return;
    if (value) items_->Clear();
    else items_->rowCount_ = 0;
    ownerData_ = value;
    extraStates_.clear();
    RowsChanged();
}

void TVCustomListView::SetCheckboxes(bool value) {
    checkboxes_ = value;
    model_->Changed(0, items_->Count() - 1);
}

void TVCustomListView::SetLargeImages(TImageList* value) {
    largeImages_ = value;
    ApplyStyle();
}

void TVCustomListView::SetSmallImages(TImageList* value) {
    smallImages_ = value;
    ApplyStyle();
}

void TVCustomListView::SendColumns() {
    if (!reportView_) return;
    model_->HeaderChanged();
    if (viewStyle_ != vsReport) return;
    QHeaderView* header = reportView_->header();
    const bool wasSizing = sizing_;
    sizing_ = true;
    for (int i = 0; i < columns_->Count() && i < header->count(); ++i) {
        const int w = Column(i)->Width();
        if (w >= 0) {
            header->resizeSection(i, w);
        } else {
            reportView_->resizeColumnToContents(i);
            if (w == -2) header->resizeSection(i, std::max(header->sectionSize(i), header->sectionSizeHint(i)));
        }
    }
    sizing_ = wasSizing;
}

void TVCustomListView::HeaderResized(int section, int newSize) {
    if (sizing_ || section < 0 || section >= columns_->Count()) return;
    Column(section)->width_ = newSize;
}

int TVCustomListView::ClientWidth() const {
    return viewStyle_ == vsReport ? reportView_->viewport()->width() : listView_->viewport()->width();
}

void TVCustomListView::AutoSizeColumns() {
    if (sizing_ || columns_->Count() == 0) return;
    std::vector<TColumnSizing> in;
    bool any = false;
    for (int i = 0; i < columns_->Count(); ++i) {
        const TVListColumn* c = Column(i);
        in.push_back({c->width_, c->minWidth_, c->maxWidth_, c->autoSize_});
        any = any || c->autoSize_;
    }
    if (!any) return;
    const std::vector<int> widths = AutoSizeWidths(in, ClientWidth());
    columns_->BeginUpdate();
    for (int i = 0; i < columns_->Count(); ++i) Column(i)->width_ = widths[size_t(i)];
    sizing_ = true;
    columns_->EndUpdate();
    sizing_ = false;
    SendColumns();
}

void TVCustomListView::resizeEvent(QResizeEvent* event) {
    TWinControlEx::resizeEvent(event);
    AutoSizeColumns();
}

void TVCustomListView::RowsChanged() {
    DropRowCache();
    hintFirst_ = hintLast_ = -1;
    model_->Reset();
    if (viewStyle_ == vsReport) SendColumns();
}

void TVCustomListView::ItemsInserted(int row) {
    DropRowCache();
    model_->Inserted(row);
}

void TVCustomListView::ItemsRemoved(int) { DropRowCache(); }

void TVCustomListView::DataChanged(int row) { model_->Changed(row, row); }

void TVCustomListView::UpdateItems(int first, int last) {
    if (ownerData_ && model_->rowCount() != items_->Count()) {
        RowsChanged();
        return;
    }
    first = std::max(first, 0);
    last = std::min(last, items_->Count() - 1);
    model_->Changed(first, last);
}

void TVCustomListView::Invalidate() {
    DropRowCache();
    View()->viewport()->update();
}

// ------------------------------------------------------------ row description

TVListItem* TVCustomListView::OwnerDataFetch(int row, bool wantText, bool wantImage, int imageIndex) const {
    if (row < 0) return nullptr;
    TVListItem* item = TempItem();
    item->index_ = row;
    item->Data = 0;
    item->subItems_->TStringList::Clear();
    item->caption_.clear();
    (void)wantText;
    if (wantImage) item->imageIndex_ = imageIndex;
    if (OnData) OnData(const_cast<TVCustomListView*>(this), item);
    return item;
}

void TVCustomListView::DisplayInfo(int row, int imageIndex, RowInfo& info) const {
    info.Row = row;
    info.Texts.clear();
    info.ImageIndex = -1;
    TVListItem* item = ownerData_ ? OwnerDataFetch(row, true, true, imageIndex) : items_->Item(row);
    if (!item) return;
    info.Texts.push_back(item->Caption());
    for (int i = 0; i < item->SubItems()->Count(); ++i) info.Texts.push_back(item->SubItems()->At(i));
    info.ImageIndex = item->ImageIndex();
}

const TVCustomListView::RowInfo& TVCustomListView::CachedRow(int row) const {
    if (rowCache_.Row != row) {
        rowCache_.Row = -1;
        Guarded([&] { DisplayInfo(row, -1, rowCache_); });
        rowCache_.Row = row;
    }
    return rowCache_;
}

void TVCustomListView::ViewPainting() {
    DropRowCache();
    if (!ownerData_ || !OnDataHint || items_->Count() == 0) return;
    QAbstractItemView* v = View();
    const QRect r = v->viewport()->rect();
    const int first = v->indexAt(r.topLeft() + QPoint(1, 1)).row();
    int last = v->indexAt(r.bottomRight() - QPoint(1, 1)).row();
    if (first < 0) return;
    if (last < first) last = std::min(items_->Count() - 1, first + 1000);
    if (first == hintFirst_ && last == hintLast_) return;
    hintFirst_ = first;
    hintLast_ = last;
    OnDataHint(this, first, last);
}

bool TVCustomListView::PaintLocked() const { return items_ && items_->noRedraw_ != 0; }

bool TVCustomListView::PaintSuspended() const { return PaintLocked() || !View()->updatesEnabled(); }

// ---------------------------------------------------------------- updates

void TVCustomListView::BeginUpdates() {
    for (int i = 0; i < columns_->Count(); ++i) {
        TVListColumn* c = Column(i);
        if (c->width_ < 0) c->savedWidth_ = c->width_;
    }
    View()->setUpdatesEnabled(false);
}

void TVCustomListView::EndUpdates() {
    for (int i = 0; i < columns_->Count(); ++i) {
        TVListColumn* c = Column(i);
        if (c->savedWidth_ < 0) {
            c->width_ = c->savedWidth_;
            c->savedWidth_ = 0;
        }
    }
    items_->noRedraw_ = 1;
    View()->setUpdatesEnabled(true);
    Invalidate();
    items_->noRedraw_ = 0;
    SendColumns();
}

// ---------------------------------------------------------------- events

bool TVCustomListView::AskChanging(int row, TItemChange change) const {
    bool allow = true;
    if (OnChanging) OnChanging(const_cast<TVCustomListView*>(this), items_->Item(row), change, allow);
    return allow;
}

void TVCustomListView::RaiseChange(int row, TItemChange change) const {
    if (OnChange) OnChange(const_cast<TVCustomListView*>(this), items_->Item(row), change);
}

void TVCustomListView::SelectionDiff(const std::vector<std::pair<int, int>>& before,
                                     const std::vector<std::pair<int, int>>& after) {
    std::vector<int> changed;
    for (const Run& run : DiffIntervals(before, after)) {
        if (ownerData_ && run.last > run.first) {
            if (OnDataStateChange)
                OnDataStateChange(this, run.first, run.last, run.was ? StateBit(isSelected) : TItemStates(0),
                                  run.now ? StateBit(isSelected) : TItemStates(0));
            continue;
        }
        for (int row = run.first; row <= run.last; ++row) {
            if (AskChanging(row, ctState)) changed.push_back(row);
            else selection_->Quietly(row, run.was);
        }
    }
    for (int row : changed) RaiseChange(row, ctState);
}

void TVCustomListView::FocusChanged(int previous, int current) {
    focusedRow_ = current;
    if (previous >= 0 && previous < items_->Count()) RaiseChange(previous, ctState);
    if (current >= 0 && current != previous) RaiseChange(current, ctState);
}

bool TVCustomListView::ViewEdit(int row) {
    if (readOnly_) return false;
    TVListItem* item = items_->Item(row);
    if (!item) return false;
    bool allow = true;
    if (OnEditing) OnEditing(this, item, allow);
    return allow;
}

bool TVCustomListView::ViewKeyPress(QKeyEvent* event) {
    if (OnKeyDown) {
        std::uint16_t key = VirtualKeyOf(event->key());
        if (key != 0) {
            OnKeyDown(this, key, ShiftStateOf(*event));
            if (key == 0) return true;
        }
    }
    if (OnKeyPress) {
        const QByteArray text = event->text().toLatin1();
        if (text.size() == 1 && text[0] != 0) {
            char c = text[0];
            OnKeyPress(this, c);
            if (c == 0) return true;
        }
    }
    return false;
}

bool TVCustomListView::ViewKeyRelease(QKeyEvent* event) {
    if (!OnKeyUp) return false;
    std::uint16_t key = VirtualKeyOf(event->key());
    if (key == 0) return false;
    OnKeyUp(this, key, ShiftStateOf(*event));
    return key == 0;
}

int TVCustomListView::OwnerDataFind(TItemFind find, const std::string& findString, const TPoint& position,
                                    void* findData, int startIndex, TSearchDirection direction,
                                    bool wrap) const {
    int index = -1;
    if (OnDataFind)
        OnDataFind(const_cast<TVCustomListView*>(this), find, findString, position, findData, startIndex,
                   direction, wrap, index);
    return index;
}

void TVCustomListView::ViewKeyboardSearch(const std::string& text) {
    if (text.empty() || items_->Count() == 0) return;
    const int current = selection_->currentIndex().row();
    // A new search starts after the focused row; a longer prefix tries it again.
    int start = text.size() > 1 ? std::max(current, 0) : current + 1;
    if (start >= items_->Count()) start = 0;
    const int found = OwnerDataFind(ifPartialString, text, TPoint{}, nullptr, start, sdAll, true);
    if (found < 0 || found >= items_->Count()) return;
    const QModelIndex index = model_->index(found, 0);
    selection_->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    View()->scrollTo(index);
}

void TVCustomListView::BeginDrag(int row, bool) {
    dragIndex_ = row;
    if (OnStartDrag) OnStartDrag(this);
}

bool TVCustomListView::ViewToolTip(const QPoint&, const QPoint&) { return false; }

// ---------------------------------------------------------------- queries

std::vector<int> TVCustomListView::SelectedRows() const {
    std::vector<int> rows;
    for (const auto& iv : RowIntervals(selection_->selection()))
        for (int r = iv.first; r <= iv.second; ++r) rows.push_back(r);
    return rows;
}

int TVCustomListView::SelCount() const {
    int n = 0;
    for (const auto& iv : RowIntervals(selection_->selection())) n += iv.second - iv.first + 1;
    return n;
}

void TVCustomListView::SelectRows(int first, int last, bool selected) {
    first = std::max(first, 0);
    last = std::min(last, items_->Count() - 1);
    if (first > last) return;
    if (selected && !multiSelect_) {
        // A single-selection list holds one row: the first.
        selection_->select(model_->index(first, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        return;
    }
    const QItemSelection range(model_->index(first, 0), model_->index(last, 0));
    selection_->select(range, (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect)
                                  | QItemSelectionModel::Rows);
}

TVListItem* TVCustomListView::Selected() const {
    const Intervals v = RowIntervals(selection_->selection());
    return v.empty() ? nullptr : items_->Item(v.front().first);
}

void TVCustomListView::SetSelected(TVListItem* item) {
    if (!item) {
        selection_->select(QItemSelection(), QItemSelectionModel::Clear);
        return;
    }
    item->SetSelected(true);
}

TVListItem* TVCustomListView::ItemFocused() const {
    const int row = selection_->currentIndex().row();
    return row >= 0 ? items_->Item(row) : nullptr;
}

void TVCustomListView::SetItemFocused(TVListItem* item) {
    if (item) item->SetFocused(true);
    else selection_->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

TVListItem* TVCustomListView::DropTarget() const {
    for (const auto& [row, states] : extraStates_)
        if (states & StateBit(isDropHilited)) return items_->Item(row);
    return lastDropTarget_ >= 0 ? items_->Item(lastDropTarget_) : nullptr;
}

void TVCustomListView::SetDropTarget(TVListItem* item) {
    for (auto it = extraStates_.begin(); it != extraStates_.end();) {
        it->second &= TItemStates(~StateBit(isDropHilited));
        if (!it->second) it = extraStates_.erase(it);
        else ++it;
    }
    if (item) {
        lastDropTarget_ = item->Index();
        item->SetState(siDropTarget, true);
    }
    Invalidate();
}

TVListItem* TVCustomListView::GetNextItem(TVListItem* start, TSearchDirection direction,
                                          TItemStates states) const {
    const int count = items_->Count();
    const int from = start ? start->Index() : -1;
    const int step = direction == sdAbove || direction == sdLeft ? -1 : 1;
    auto matches = [&](int row) {
        if (states & StateBit(isSelected) && !selection_->isRowSelected(row, QModelIndex())) return false;
        if (states & StateBit(isFocused) && selection_->currentIndex().row() != row) return false;
        auto it = extraStates_.find(row);
        const TItemStates extra = it == extraStates_.end() ? 0 : it->second;
        if (states & StateBit(isCut) && !(extra & StateBit(isCut))) return false;
        if (states & StateBit(isDropHilited) && !(extra & StateBit(isDropHilited))) return false;
        return true;
    };
    if (step > 0 && states == StateBit(isSelected)) {
        // Straight from the selection, without visiting every row.
        for (const auto& iv : RowIntervals(selection_->selection()))
            if (iv.second > from) return items_->Item(std::max(iv.first, from + 1));
        return nullptr;
    }
    for (int row = from + step; row >= 0 && row < count; row += step)
        if (matches(row)) return items_->Item(row);
    return nullptr;
}

TVListItem* TVCustomListView::GetItemAt(int x, int y) const {
    const QModelIndex index = View()->indexAt(QPoint(x, y));
    return index.isValid() ? items_->Item(index.row()) : nullptr;
}

TVListItem* TVCustomListView::FindNearestItem(const TPoint& point, TSearchDirection direction) const {
    if (ownerData_) return items_->Item(OwnerDataFind(ifNearest, "", point, nullptr, 0, direction, false));
    return GetItemAt(point.X, point.Y);
}

TVListItem* TVCustomListView::TopItem() const {
    if (viewStyle_ == vsIcon || viewStyle_ == vsSmallIcon) return nullptr;
    const QModelIndex index = View()->indexAt(QPoint(1, 1));
    return index.isValid() ? items_->Item(index.row()) : nullptr;
}

void TVCustomListView::Scroll(int dx, int dy) {
    QAbstractItemView* v = View();
    if (dx) v->horizontalScrollBar()->setValue(v->horizontalScrollBar()->value() + dx);
    if (dy) v->verticalScrollBar()->setValue(v->verticalScrollBar()->value() + dy);
}

void TVCustomListView::Arrange(TListArrangement) {
    if (viewStyle_ == vsIcon || viewStyle_ == vsSmallIcon) listView_->doItemsLayout();
}

TRect TVCustomListView::ItemRect(int row, TDisplayCode code) const {
    if (row < 0 || row >= items_->Count()) return {};
    QAbstractItemView* v = View();
    QRect r = v->visualRect(model_->index(row, 0));
    if (viewStyle_ == vsReport && code != drIcon && code != drLabel) {
        for (int c = 1; c < model_->columnCount(); ++c) r = r.united(v->visualRect(model_->index(row, c)));
    }
    const QSize icon = v->iconSize();
    if (code == drIcon || code == drLabel) {
        QRect iconRect, label;
        if (viewStyle_ == vsIcon) {
            iconRect = QRect(r.left(), r.top(), r.width(), std::min(r.height(), icon.height() + 4));
            label = QRect(r.left(), iconRect.bottom() + 1, r.width(), r.height() - iconRect.height());
        } else {
            const bool hasIcon = (viewStyle_ == vsIcon ? largeImages_ : smallImages_) != nullptr;
            const int iw = hasIcon ? std::min(r.width(), icon.width() + 4) : 0;
            iconRect = QRect(r.left(), r.top(), iw, r.height());
            label = QRect(r.left() + iw, r.top(), r.width() - iw, r.height());
        }
        r = code == drIcon ? iconRect : label;
    }
    return TRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void TVCustomListView::SubItemHitTest(const QPoint& at, int& row, int& column) const {
    const QModelIndex index = View()->indexAt(at);
    row = index.isValid() ? index.row() : -1;
    column = index.isValid() ? index.column() : -1;
}

}  // namespace lumvor
