#include "platform/Grids.h"

#include "platform/Forms.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QStyle>

#include <algorithm>

namespace lumvor {

int TStringGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(Rows.size());
}

int TStringGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(Header.size());
}

QVariant TStringGridModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    const std::vector<QString>& row = Rows[size_t(index.row())];
    return size_t(index.column()) < row.size() ? row[size_t(index.column())] : QString();
}

QVariant TStringGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || size_t(section) >= Header.size())
        return {};
    if (role == Qt::DisplayRole)
        return Header[size_t(section)];
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

void TStringGridModel::Reset(std::function<void()> change) {
    beginResetModel();
    change();
    endResetModel();
}

TStringGrid::TStringGrid(QWidget* parent) : QTableView(parent) {
    model_.setParent(this);
    setModel(&model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setShowGrid(true);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    ConnectGuarded(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                   [this](const QModelIndex& current) {
                       if (current.isValid() && OnSelectCell && !updating_)
                           OnSelectCell(current.row() + 1);
                   });
}

void TStringGrid::SetColCount(int count) {
    model_.Reset([&] {
        model_.Header.resize(size_t(std::max(0, count)));
        for (auto& row : model_.Rows)
            row.resize(model_.Header.size());
    });
}

void TStringGrid::SetRowCount(int count) {
    const size_t rows = size_t(std::max(1, count) - 1);
    if (rows == model_.Rows.size())
        return;
    auto change = [&] { model_.Rows.resize(rows, std::vector<QString>(model_.Header.size())); };
    if (updating_)
        change();
    else
        model_.Reset(change);
}

QString TStringGrid::Cells(int col, int row) const {
    if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount())
        return {};
    if (row == 0)
        return model_.Header[size_t(col)];
    const std::vector<QString>& cells = model_.Rows[size_t(row - 1)];
    return size_t(col) < cells.size() ? cells[size_t(col)] : QString();
}

void TStringGrid::SetCells(int col, int row, const QString& text) {
    if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount())
        return;
    if (row == 0) {
        model_.Header[size_t(col)] = text;
        if (!updating_)
            emit model_.headerDataChanged(Qt::Horizontal, col, col);
        return;
    }
    std::vector<QString>& cells = model_.Rows[size_t(row - 1)];
    cells.resize(model_.Header.size());
    cells[size_t(col)] = text;
    if (!updating_) {
        const QModelIndex at = model_.index(row - 1, col);
        emit model_.dataChanged(at, at);
    }
}

void TStringGrid::FitColumnsToTexts() {
    const int padding = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 4;
    for (int col = 0; col < ColCount(); ++col) {
        const int wanted = std::max(sizeHintForColumn(col), horizontalHeader()->sectionSizeHint(col)) + padding;
        if (wanted > columnWidth(col))
            setColumnWidth(col, wanted);
    }
}

void TStringGrid::SetRowHeights(int dataRow, int headerRow) {
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(dataRow);
    horizontalHeader()->setFixedHeight(headerRow);
}

void TStringGrid::BeginUpdate() {
    if (updating_++ == 0)
        model_.BeginReset();
}

void TStringGrid::EndUpdate() {
    if (updating_ > 0 && --updating_ == 0) {
        for (auto& row : model_.Rows)
            row.resize(model_.Header.size());
        model_.EndReset();
    }
}

int TStringGrid::Row() const {
    const QModelIndex current = selectionModel()->currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

void TStringGrid::SetRow(int row) {
    if (row < 1 || row >= RowCount()) {
        selectionModel()->clearCurrentIndex();
        clearSelection();
        return;
    }
    selectRow(row - 1);
}

}  // namespace lumvor
