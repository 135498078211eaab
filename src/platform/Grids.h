// The class library's string grid: a table of texts with one fixed row of
// column headers, whole-row selection and columns the user can resize.
//
// Rows are counted as the class library counts them: row 0 is the fixed header
// row (shown as the header), rows 1 to RowCount - 1 hold data. The texts live in
// a model that the view asks on demand, so a grid of many thousand rows fills in
// one model reset (fill it between BeginUpdate and EndUpdate). Every row has
// the same height, so the view never measures rows one by one.
// GUI thread only.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QTableView>

#include <functional>
#include <vector>

namespace lumvor {

class TStringGridModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void Reset(std::function<void()> change);
    void BeginReset() { beginResetModel(); }
    void EndReset() { endResetModel(); }
    std::vector<QString> Header;
    std::vector<std::vector<QString>> Rows;  // data rows, each with one text per column
};

class TStringGrid : public QTableView {
public:
    explicit TStringGrid(QWidget* parent = nullptr);

    int ColCount() const { return int(model_.Header.size()); }
    void SetColCount(int count);
    // The header row included.
    int RowCount() const { return int(model_.Rows.size()) + 1; }
    // At least the header row; added rows are empty, removed rows lose their texts.
    void SetRowCount(int count);
    QString Cells(int col, int row) const;
    void SetCells(int col, int row, const QString& text);
    int ColWidths(int col) const { return columnWidth(col); }
    void SetColWidths(int col, int width) { setColumnWidth(col, width); }
    // Widens each column whose texts do not fit to the widest of them (its
    // header included); no column becomes narrower.
    void FitColumnsToTexts();
    // Height of every data row, and of the header row.
    void SetRowHeights(int dataRow, int headerRow);

    // Between these two, cell changes reach the view as one reset.
    void BeginUpdate();
    void EndUpdate();
    // Direct access to the data rows for a bulk fill inside BeginUpdate/EndUpdate.
    std::vector<std::vector<QString>>& DataRows() { return model_.Rows; }

    // The selected row (1 .. RowCount - 1), 0 when none is.
    int Row() const;
    void SetRow(int row);
    // A data row became the selected row.
    std::function<void(int row)> OnSelectCell;

private:
    TStringGridModel model_;
    int updating_ = 0;
};

}  // namespace lumvor
