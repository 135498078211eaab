#include "processing/lab/TextMarks.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <cctype>

namespace lumvor {

namespace {

// The text's first "@@X" macro (any case) replaced by Value.
void ReplaceFirstMacro(std::string& Text, char Letter, const std::string& Value) {
    for (size_t at = 0; at + 3 <= Text.size(); ++at) {
        if (Text[at] == '@' && Text[at + 1] == '@' && std::toupper(static_cast<unsigned char>(Text[at + 2])) == Letter) {
            Text.replace(at, 3, Value);
            return;
        }
    }
}

// The band a corner's text is drawn in, and whether it is right-aligned.
TRect TextMarkBand(int Width, int Height, int Corner) {
    const bool bottom = Corner == tmBottomLeft || Corner == tmBottomRight;
    return bottom ? Rect(0, Height - 24, Width - 8, Height - 1) : Rect(0, 0, Width - 8, 20);
}

bool RightAligned(int Corner) { return Corner == tmTopRight || Corner == tmBottomRight; }

}  // namespace

std::string ExpandTextMarkMacros(std::string Text, const std::string& DateTime, const std::string& FileName) {
    ReplaceFirstMacro(Text, 'D', DateTime);
    ReplaceFirstMacro(Text, 'C', "\u00A9");
    if (!FileName.empty())
        ReplaceFirstMacro(Text, 'F', QFileInfo(QString::fromStdString(FileName)).completeBaseName().toStdString());
    return Text;
}

std::string TextMarkDateTime() {
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    return (locale.toString(now.date(), QLocale::ShortFormat) + " " + locale.toString(now.time(), QLocale::LongFormat))
        .toStdString();
}

void DrawTextMark(TBitmap& Picture, const std::string& Text, int Corner, TColor OutlineColor) {
    if (Picture.Width() < TextMarkMinWidth || Text.empty())
        return;
    TCanvas& canvas = Picture.Canvas();
    const TRect band = TextMarkBand(Picture.Width(), Picture.Height(), Corner);
    const int textWidth = canvas.TextWidth(Text);
    const int x = RightAligned(Corner) ? band.Right - textWidth : band.Left;
    const int y = band.Top + (band.Height() - canvas.TextHeight(Text)) / 2;
    const TBrushStyle oldBrush = canvas.Brush.Style;
    const TColor fontColor = canvas.Font.Color;
    canvas.Brush.Style = bsClear;
    const auto drawAt = [&](int dx, int dy) {
        canvas.TextRect(Rect(band.Left + dx, band.Top + dy, band.Right + dx, band.Bottom + dy), x + dx, y + dy, Text);
    };
    canvas.Font.Color = OutlineColor;
    for (int dy = 0; dy <= 2; ++dy)
        for (int dx = 0; dx <= 2; ++dx) drawAt(dx, dy);
    canvas.Font.Color = fontColor;
    drawAt(1, 1);
    canvas.Brush.Style = oldBrush;
}

namespace {

void FillBands(TBitmap& Picture, TColor Color, std::initializer_list<TRect> Bands) {
    TCanvas& canvas = Picture.Canvas();
    const TBrush oldBrush = canvas.Brush;
    canvas.Brush.Color = Color;
    canvas.Brush.Style = bsSolid;
    for (const TRect& band : Bands)
        if (band.Width() > 0 && band.Height() > 0)
            canvas.FillRect(band);
    canvas.Brush = oldBrush;
}

}  // namespace

void PaintBorder(TBitmap& Picture, TColor Color, int Side, int Height) {
    const int w = Picture.Width();
    const int h = Picture.Height();
    FillBands(Picture, Color,
              {Rect(0, 0, w, Height), Rect(0, h - Height, w, h), Rect(0, 0, Side, h), Rect(w - Side, 0, w, h)});
}

void PaintLetterbox(TBitmap& Picture, TColor Color, int Top, int Bottom) {
    const int w = Picture.Width();
    const int h = Picture.Height();
    FillBands(Picture, Color, {Rect(0, 0, w, Top), Rect(0, h - Bottom, w, h)});
}

}  // namespace lumvor
