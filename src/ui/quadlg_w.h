// The grid cell dialog: the user divides the picture into up to 8 x 8 cells and
// picks one; the caller gets that cell's rectangle in picture pixels.
//
// ExecuteQuadDlg builds the dialog centred on the mouse cursor (pulled back onto
// the screen), runs it modally, fills the result record in every case and frees
// the dialog. GUI thread only.
#pragma once

#include <cstdint>

#include "platform/Forms.h"

class QComboBox;
class QPushButton;
class QTableWidget;

namespace lumvor {

struct TQuadDlgResult {
    int32_t Left = 0;    // column x cell width
    int32_t Top = 0;     // row x cell height
    int32_t Right = 0;   // Left + cell width - 1
    int32_t Bottom = 0;  // Top + cell height - 1
    int32_t Rows = 0;    // rows as chosen
    int32_t Cols = 0;    // columns as chosen
    uint8_t Cancelled = 0;  // 1 when the dialog was cancelled
};

namespace quadlg_w {
inline int QCols = 1;
inline int QRows = 1;
inline int QImageWidth = 0;
inline int QImageHeight = 0;
// One cell's size in picture pixels.
inline int QCellWidth = 0;
inline int QCellHeight = 0;
// The size the grid is fitted into on screen.
inline int QBoxWidth = 320;
inline int QBoxHeight = 240;
}  // namespace quadlg_w

class TQuadDlg : public TModalForm {
public:
    explicit TQuadDlg(QWidget* owner = nullptr);

    QTableWidget* SelectGrid;
    QComboBox* BoxCols;
    QComboBox* BoxRows;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QPushButton* btnHelp;

    // Lays the grid out for the columns and rows chosen in the lists.
    void BoxChange();
    // Shows the current cell's origin in the caption.
    void SelectGridMouseUp();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Cols and Rows (1 to 8) preselect the lists; ImageWidth x ImageHeight is the
// picture's size. On cancel Result.Cancelled is 1 and the rectangle is that of the
// grid's current cell.
void ExecuteQuadDlg(int Cols, int Rows, int ImageWidth, int ImageHeight, TQuadDlgResult& Result);

}  // namespace lumvor
