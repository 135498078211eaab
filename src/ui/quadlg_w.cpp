#include "ui/quadlg_w.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>

#include "imaging/Helpers.h"
#include "platform/SysUtils.h"

namespace lumvor {

using namespace quadlg_w;

namespace {

constexpr int kGridLine = 4;
constexpr int kButtonHeight = 25;

QString Caption(int left, int top) {
    return QString("Grid Select %1x%2  Left=%3  Top=%4")
        .arg(QCellWidth)
        .arg(QCellHeight)
        .arg(left)
        .arg(top);
}

}  // namespace

TQuadDlg::TQuadDlg(QWidget* owner) : TModalForm(owner) {
    setObjectName("QuadDlg");
    SetDialogFont(*this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(368, 318);

    SelectGrid = new QTableWidget(1, 1, this);
    SelectGrid->setObjectName("SelectGrid");
    SelectGrid->horizontalHeader()->hide();
    SelectGrid->verticalHeader()->hide();
    SelectGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SelectGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SelectGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SelectGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    SelectGrid->setShowGrid(false);
    SelectGrid->setFrameShape(QFrame::NoFrame);
    // The grid lines are drawn as a border around each cell.
    SelectGrid->setStyleSheet(QString("QTableWidget::item { border: %1px solid gray; }")
                                  .arg(kGridLine / 2));
    SelectGrid->viewport()->installEventFilter(this);

    const int buttonTop = height() - kButtonHeight - 8;
    auto* labelCols = new QLabel("&Columns", this);
    labelCols->setGeometry(8, buttonTop - 16, 58, 16);
    BoxCols = new QComboBox(this);
    BoxCols->setObjectName("BoxCols");
    BoxCols->setGeometry(8, buttonTop, 50, kButtonHeight);
    labelCols->setBuddy(BoxCols);
    auto* labelRows = new QLabel("&Rows", this);
    labelRows->setGeometry(68, buttonTop - 16, 50, 16);
    BoxRows = new QComboBox(this);
    BoxRows->setObjectName("BoxRows");
    BoxRows->setGeometry(68, buttonTop, 50, kButtonHeight);
    labelRows->setBuddy(BoxRows);
    for (int i = 1; i <= 8; ++i) {
        BoxCols->addItem(QString::number(i));
        BoxRows->addItem(QString::number(i));
    }

    const auto button = [this, buttonTop](const char* name, const char* caption, int left) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setGeometry(left, buttonTop, 75, kButtonHeight);
        return b;
    };
    btnOK = button("btnOK", "Ok", 124);
    btnOK->setDefault(true);
    SetModalResult(*this, *btnOK, mrOk);
    btnCancel = button("btnCancel", "Cancel", 205);
    SetCancelButton(*btnCancel);
    SetModalResult(*this, *btnCancel, mrCancel);
    btnHelp = button("btnHelp", "&Help", 286);
    ConnectGuarded(btnHelp, &QPushButton::clicked, this, [] { Application.HelpContext(700); });

    ConnectGuarded(BoxCols, &QComboBox::currentIndexChanged, this, [this] { BoxChange(); });
    ConnectGuarded(BoxRows, &QComboBox::currentIndexChanged, this, [this] { BoxChange(); });
}

void TQuadDlg::showEvent(QShowEvent* event) {
    TModalForm::showEvent(event);
    Guarded([this] { BoxChange(); });
}

void TQuadDlg::BoxChange() {
    if (BoxCols->currentIndex() < 0 || BoxRows->currentIndex() < 0)
        return;
    QCols = BoxCols->currentIndex() + 1;
    QRows = BoxRows->currentIndex() + 1;
    const int col = std::max(0, SelectGrid->currentColumn());
    const int row = std::max(0, SelectGrid->currentRow());
    SelectGrid->setColumnCount(QCols);
    SelectGrid->setRowCount(QRows);
    const int colWidth = QBoxWidth / QCols;
    const int rowHeight = QBoxHeight / QRows;
    for (int c = 0; c < QCols; ++c)
        SelectGrid->setColumnWidth(c, colWidth + kGridLine);
    for (int r = 0; r < QRows; ++r)
        SelectGrid->setRowHeight(r, rowHeight + kGridLine);
    SelectGrid->setCurrentCell(std::min(row, QRows - 1), std::min(col, QCols - 1));
    const int gridWidth = (colWidth + kGridLine) * QCols;
    const int gridHeight = (rowHeight + kGridLine) * QRows;
    const int left = width() - 2 > gridWidth ? (width() - gridWidth) / 2 : 1;
    const int top = height() - (kButtonHeight + 10) > gridHeight
                        ? std::max(0, (height() - gridHeight) / 2 - (kButtonHeight + 8))
                        : 1;
    SelectGrid->setGeometry(left, top, gridWidth, gridHeight);
    QCellWidth = QImageWidth / QCols;
    QCellHeight = QImageHeight / QRows;
    setWindowTitle(Caption(0, 0));
}

void TQuadDlg::SelectGridMouseUp() {
    if (BoxCols->currentIndex() < 0 || BoxRows->currentIndex() < 0)
        return;
    setWindowTitle(Caption(SelectGrid->currentColumn() * QCellWidth,
                           SelectGrid->currentRow() * QCellHeight));
}

bool TQuadDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == SelectGrid->viewport() && event->type() == QEvent::MouseButtonRelease) {
        // Let the grid take the click first, so the current cell is the one clicked.
        const bool handled = TModalForm::eventFilter(watched, event);
        QMetaObject::invokeMethod(this, Guard([this] { SelectGridMouseUp(); }), Qt::QueuedConnection);
        return handled;
    }
    return TModalForm::eventFilter(watched, event);
}

void ExecuteQuadDlg(int Cols, int Rows, int ImageWidth, int ImageHeight, TQuadDlgResult& Result) {
    QImageWidth = ImageWidth;
    QImageHeight = ImageHeight;
    if (ImageWidth < 64 || ImageHeight < 64) {
        QBoxWidth = 320;
        QBoxHeight = 240;
    } else {
        TFitSize box;
        FitSizeInBoxEx(ImageWidth, ImageHeight, 320, 240, box);
        QBoxWidth = box.Width;
        QBoxHeight = box.Height;
    }
    auto* form = new TQuadDlg(Application.MainForm());
    form->CentreOnPoint(Mouse.CursorPos());
    // Out-of-range presets choose the nearest list entry.
    form->BoxCols->setCurrentIndex(std::clamp(Cols, 1, 8) - 1);
    form->BoxRows->setCurrentIndex(std::clamp(Rows, 1, 8) - 1);
    form->BoxChange();
    const int modalResult = ExecModal(*form);
    Result.Cancelled = modalResult == mrCancel ? 1 : 0;
    Result.Rows = QRows;
    Result.Cols = QCols;
    const int col = std::max(0, form->SelectGrid->currentColumn());
    const int row = std::max(0, form->SelectGrid->currentRow());
    Result.Left = col * QCellWidth;
    Result.Top = row * QCellHeight;
    Result.Right = Result.Left + QCellWidth - 1;
    Result.Bottom = Result.Top + QCellHeight - 1;
    delete form;
}

}  // namespace lumvor
