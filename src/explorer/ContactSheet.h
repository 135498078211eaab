// Contact sheets: the thumbnails of a page drawn into one JPEG picture, each
// file's name in a strip under its thumbnail, and an HTML page that shows the
// picture with a client-side image map whose rectangles link the pictures.
// Several sheets make a series of pages with Back, Home and Next links.
//
// The writer takes the same job as the page writer (explorer/WebPages.h): the
// page kind, the options, the files with their thumbnail loader and the
// progress and cancel callbacks. It runs for one folder at a time, the same
// from the explorer's command and from the image catalog walk, and shows no
// widget.
#pragma once

#include "explorer/WebPages.h"
#include "platform/Graphics.h"

#include <cstdint>
#include <string>

namespace lumvor {

class TBitmap;

namespace contactsheet {

// Height of the name strip under every thumbnail.
constexpr int LabelHeight = 22;

// The arithmetic of one sheet.
struct TSheetLayout {
    int Width = 0;         // the page width, or the cell width + 32 on a narrower page
    int HeightBudget = 0;  // Width x 75 div 100
    int Rows = 1;
    int Columns = 1;
    int PerSheet = 1;  // files per sheet
    // The size of the sheet picture: the cells and a 4-pixel bottom margin.
    int PictureWidth = 0;
    int PictureHeight = 0;
};

TSheetLayout SheetLayout(int PageWidth, int CellWidth, int CellHeight);

// Sheets for Count files: Count div PerSheet, plus one for a remainder, at
// least one.
int SheetCount(int Count, int PerSheet);

// A sheet picture's file name: "P" + 7 upper-case hex digits + ".jpg".
std::string SheetPictureName(uint32_t Number);

// Where a cell lies on its sheet: the thumbnail, and the name strip from one
// pixel below it (right and bottom excluded).
struct TCellPlace {
    TRect Thumb;
    TRect Label;
};

// The place of the Index-th cell of a sheet (from 0, row by row).
TCellPlace CellPlace(const TSheetLayout& Layout, int Index, int CellWidth, int CellHeight);

// The map line of one cell: its rectangle (the thumbnail's left, top and
// right, the strip's bottom) and its link to the picture, built from the real
// file name as on the thumbnail pages.
std::string AreaLine(const webpage::TPageJob& Job, const webpage::TPageFile& File, const TCellPlace& Place);

// Draws one cell onto a 24-bit sheet: the thumbnail's top-left part into the
// thumbnail rectangle, the strip in the grid colour and the label centred on
// it in the text colour, cut with an ellipsis when it is too long.
void DrawCell(TBitmap& Sheet, const TCellPlace& Place, TBitmap& Thumbnail, const std::string& Label,
              const THTMLSet& Options);

// Writes the sheets of Job.Files and their pages (Job.PageFile, then the
// series names "_2", "_3" ...). The sheet pictures go to the thumbnail folder
// named by the counter Job.ThumbCounter: Internet pages and offline catalogs
// start it at 0 and overwrite; fixed catalogs go on from its value and skip
// every name whose file exists. Job.Cancelled, asked after each cell, ends the
// run with the current sheet written. Raises EFCreateError or EWriteError
// when a page or picture cannot be written (those written already stay).
// A sheet run gives no compatibility hint: its links are percent-encoded.
webpage::TPageResult WriteContactSheets(const webpage::TPageJob& Job);

}  // namespace contactsheet

}  // namespace lumvor
