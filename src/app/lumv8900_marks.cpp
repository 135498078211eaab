// The image window's text marks, borders and de-interlacing, the text-mark
// font and outline colour, and their menu items. The pixel work is in
// processing/lab/TextMarks.h; de-interlacing goes through the imaging library.
#include "app/lumv8900.h"
#include "ui/FormParts.h"

#include "imgman/imgman.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "processing/lab/TextMarks.h"
#include "processing/script/LabState.h"
#include "app/Spatial.h"
#include "ui/MenuItems.h"
#include "ui/Pix.h"
#include "ui/Resize_w.h"
#include "ui/voMsgBox.h"

#include <QColorDialog>
#include <QFontDialog>

#include <algorithm>

namespace lumvor {

using namespace lumv8900;
using batch_8900::BatchRunning;

namespace {

constexpr int TextMarkHelp = 445;
constexpr int BorderLimit = 127;

const char* const TextMarkKeywords[] = {"TEXTMARK_TOPLEFT", "TEXTMARK_TOPRIGHT", "TEXTMARK_BOTTOMLEFT",
                                        "TEXTMARK_BOTTOMRIGHT"};

QFont QFontOf(const TFont& font) {
    QFont f(QString::fromStdString(font.Name));
    f.setPointSize(std::max(1, font.Size));
    f.setBold(font.Style & fsBold);
    f.setItalic(font.Style & fsItalic);
    f.setUnderline(font.Style & fsUnderline);
    f.setStrikeOut(font.Style & fsStrikeOut);
    return f;
}

// The font's face, size and style from the dialog's font (its colour stays).
void TakeFont(TFont& font, const QFont& chosen) {
    font.Name = chosen.family().toStdString();
    font.Size = chosen.pointSize() > 0 ? chosen.pointSize() : std::max(1, (chosen.pixelSize() * 72 + 48) / 96);
    font.Style = uint8_t((chosen.bold() ? fsBold : 0) | (chosen.italic() ? fsItalic : 0) |
                         (chosen.underline() ? fsUnderline : 0) | (chosen.strikeOut() ? fsStrikeOut : 0));
}

// A copy of the viewer picture and its size, put back when a library step of
// de-interlacing fails.
struct TKeptPicture {
    explicit TKeptPicture(TWebForm& form) : width(ImageWidth), height(ImageHeight), bitCount(ImageBitCount) {
        picture.Assign(form.Daz95->Bitmap());
    }
    void Restore(TWebForm& form) {
        form.Daz95->Bitmap()->Assign(&picture);
        ImageWidth = width;
        ImageHeight = height;
        ImageBitCount = bitCount;
    }
    TBitmap picture;
    int width, height, bitCount;
};

// The library's copy of its current picture at the size, or 0; a copy that
// raises counts as one that failed.
int LibraryCopy(int width, int height, int32_t method) {
    try {
        return ScaledCopy(ImgHandle, width, height, method, false);
    } catch (const std::exception&) {
        return 0;
    }
}

// The viewer picture exported and replaced by the library's copy at the size;
// false when the export or the copy failed.
bool ReplaceByLibraryCopy(TWebForm& form, int width, int height, int32_t method) {
    if (form.ExportBitmapToImg() == 0)
        return false;
    const int copy = LibraryCopy(width, height, method);
    if (copy == 0)
        return false;
    form.CloseImgHandle();
    ImgHandle = copy;
    form.ImportImgToBitmap(true, false);
    ImageWidth = form.Daz95->Bitmap()->Width();
    ImageHeight = form.Daz95->Bitmap()->Height();
    return true;
}

}  // namespace

// ---- Text marks

void TWebForm::DoTextMark(QObject* Sender) {
    const int corner = TagOf(Sender);
    std::string text = TextMarkText;
    if (!voInputQuery(240, 300, TextMarkHelp, "Enter notice or copyright text.", "e.g., Vacation in Hawaii @@D",
                      text))
        return;
    TextMarkText = text;
    if (!AutoBackUp())
        return;
    TextMark(TextMarkText, corner);
    if (!BatchRunning)
        AddLabCommand(LabTextLine(TextMarkKeywords[corner >= 0 && corner <= 3 ? corner : 0], TextMarkText));
}

void TWebForm::TextMark(const std::string& Text, int Corner) {
    TBitmap& picture = *Daz95->Bitmap();
    if (picture.Width() < TextMarkMinWidth)
        return;
    SetBitmap24();
    DrawTextMark(picture, ExpandTextMarkMacros(Text, TextMarkDateTime(), FileName), Corner, TextMarkOutlineColor);
    RefreshImage();
}

// ---- Borders

void TWebForm::MergeBorder(TColor Color, int SideWidth, int TopBottomHeight) {
    SetBitmap24();
    PaintBorder(*Daz95->Bitmap(), Color, SideWidth, TopBottomHeight);
    RefreshImage();
    if (!BatchRunning)
        AddLabCommand(LabLine("BORDER", {int32_t(Color), SideWidth, TopBottomHeight}));
}

void TWebForm::MergeBorder_TopBot(TColor Color, int TopHeight, int BottomHeight) {
    SetBitmap24();
    PaintLetterbox(*Daz95->Bitmap(), Color, TopHeight, BottomHeight);
    RefreshImage();
}

void TWebForm::mnuBorder1Click(QObject*) {
    const int maxSide = std::min(2 * Screen.Width() - 1, BorderLimit);
    const int maxHeight = std::min(2 * Screen.Height() - 1, BorderLimit);
    TResizeResult result;
    ExecuteResizeForm(0, 0, mnuBorder1->Tag / 256, mnuBorder1->Tag % 256, maxSide, maxHeight, -2, "Set Border", 3,
                      result);
    if (result.Width < 0 || !AutoBackUp())
        return;
    MergeBorder(TColor(result.BorderColor), result.Width, result.Height);
    mnuBorder1->Tag = result.Width * 256 + (result.Height & 127);
    ImageChanged = true;
}

// ---- De-interlacing

void TWebForm::mnuDelaceClick(QObject*) {
    if (!BatchRunning) {
        if (!AutoBackUp())
            return;
        SetBitmap24();
    }
    const int width = ImageWidth;
    const int height = ImageHeight;
    TKeptPicture before(*this);
    Screen.SetCursor(crHourGlass);
    StatusBusy("Delacing...");
    // A failed library step keeps the picture as it was, also in a script,
    // where there is no undo copy.
    const auto fail = [&] {
        before.Restore(*this);
        ShowImgError();
        RefreshImage();
        StatusReady();
    };
    if (!ReplaceByLibraryCopy(*this, width + width / 2, height + height / 2, IMG_COPY_NEAREST))
        return fail();
    Median(Daz95, 4, 0);
    if (!ReplaceByLibraryCopy(*this, width, height, IMG_COPY_SMOOTH))
        return fail();
    Screen.SetCursor(crDefault);
    ProcessDone();
    if (!BatchRunning)
        AddLabCommand(LabLine("DELACE"));
    else
        RefreshImage();
}

// ---- Text-mark settings

void TWebForm::mnuChangeFontClick(QObject*) {
    TFont& font = Daz95->Bitmap()->Canvas().Font;
    QFontDialog dialog(QFontOf(font), this);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (ExecModal(dialog) == QDialog::Accepted)
        TakeFont(font, dialog.selectedFont());
}

void TWebForm::mnuOutlineColorClick(QObject*) {
    QColorDialog dialog(QColorOf(TextMarkOutlineColor), this);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (ExecModal(dialog) != QDialog::Accepted)
        return;
    const QColor chosen = dialog.selectedColor();
    TextMarkOutlineColor = RGB(chosen.red(), chosen.green(), chosen.blue());
}

// ---- Menu items

void TWebForm::BuildMarkItems(QMenu* Menu) {
    QMenu* marks = nullptr;
    mnuTextMark1 = SubMenuItem(Menu, this, "mnuTextMark1", "Te&xt Mark", &marks);
    const char* const names[] = {"mnuTopLeft", "mnuTopRight", "mnuBottomLeft", "mnuBottomRight"};
    const char* const captions[] = {"&Top Left", "Top &Right", "Bottom &Left", "&Bottom Right"};
    for (int corner = 0; corner < 4; ++corner) {
        TMenuItem* item = PendingMenuItem(this, marks, names[corner], captions[corner]);
        item->Tag = corner;
        WireMenuItem(this, item, [this](QObject* s) { DoTextMark(s); });
    }
    marks->addSeparator();
    mnuChangeFont = PendingMenuItem(this, marks, "mnuChangeFont", "&Properties");
    mnuOutlineColor = PendingMenuItem(this, marks, "mnuOutlineColor", "&Outline color");
    mnuBorder1 = PendingMenuItem(this, Menu, "mnuBorder1", "&Add Border");
    mnuBorder1->Tag = 257;
    mnuDelace = PendingMenuItem(this, Menu, "mnuDelace", "De&Lace");
    WireMenuItem(this, mnuChangeFont, [this](QObject* s) { mnuChangeFontClick(s); });
    WireMenuItem(this, mnuOutlineColor, [this](QObject* s) { mnuOutlineColorClick(s); });
    WireMenuItem(this, mnuBorder1, [this](QObject* s) { mnuBorder1Click(s); });
    WireMenuItem(this, mnuDelace, [this](QObject* s) { mnuDelaceClick(s); });
}

}  // namespace lumvor
