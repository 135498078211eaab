// The text display and the metafile display of the image window: text files
// shown in the read-only text control and captured as a picture, metafiles
// drawn onto a picture over the background colour.
#include "app/lumv8900.h"
#include "ui/FormParts.h"

#include "app/TextDisplay.h"
#include "imaging/AvlScript.h"
#include "platform/Menus.h"
#include "platform/Metafile.h"
#include "platform/RichText.h"
#include "ui/Pix.h"
#include "ui/ScrollBoxEx.h"

#include <QScrollBar>
#include <QTextEdit>

#include <memory>

namespace lumvor {

using namespace lumv8900;

namespace {

// The wait after the text is shown when none is asked for.
constexpr int DefaultTextWait = 50;

const char* const InvalidMetafileText = "Invalid Metafile.";

// The control's pixels as a 24-bit picture of exactly width x height.
void GrabControl(QWidget& control, int width, int height, TBitmap& bitmap) {
    QImage image = control.grab().toImage();
    if (image.width() != width || image.height() != height)
        image = image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    bitmap.SetHandle(std::make_shared<TPixelBuffer>(PixelBufferFromImage(image)));
    bitmap.SetPixelFormat(pf24bit);
}

// A captured or drawn picture becomes the viewer picture "Untitled": not
// changed, not to be reloaded.
void ShowUntitled(TWebForm& form, TBitmap& picture) {
    form.Daz95->SetPaintLock(false);
    form.Daz95->show();
    form.Daz95->SetBitmap(&picture);
    FileName = "Untitled";
    ShownFileName = FileName;
    FileExt.clear();
    TWebForm::SetItemEnabled(form.mnuReload, false);
    TWebForm::SetItemEnabled(form.mnuReload3, false);
    ImageWidth = picture.GetWidth();
    ImageHeight = picture.GetHeight();
    ImageBitCount = 24;
    JPEGReduced = FaxReduced = false;
    form.CloseImgHandle();
    ImageLoaded = true;
    form.EnableControls();
    form.ProcessDone();
    form.FormResize();
    form.UpdateCaption();
    ImageChanged = false;
}

}  // namespace

void TWebForm::DecodeMemo() {
    Screen.SetCursor(crHourGlass);
    if (MediaMode) {
        AV_UI(false);
        Application.ProcessMessages();
    }
    SlideColor = static_cast<int32_t>(clWhite);
    const TRect view = ViewRect();
    SlideTextX = view.Left;
    SlideTextY = view.Top;
    SlideTextSize = view.Width();
    SlideTextHeight = ClientHeight() - PanelsHeight();
    // The user's slide delay stays as it is: the text display waits its own
    // short while.
    try {
        ShowRichText(true, 0);
    } catch (const Exception& e) {
        HideRichText();
        KeepCurrentPicture(e.Message());
        return;
    }
    Screen.SetCursor(crDefault);
}

void TWebForm::ShowRichText(bool Capture) { ShowRichText(Capture, SlideDelay); }

void TWebForm::ShowRichText(bool Capture, int Delay) {
    textdisplay::TTextAreaInput in;
    in.ScreenWidth = ScreenWidth;
    in.ScreenHeight = ScreenHeight;
    in.ClientWidth = ClientWidth();
    in.ClientHeight = ClientHeight();
    in.SlideshowRunning = SlideshowRunning;
    in.TextPosition = SlideTextPosition;
    in.X = SlideTextX;
    in.Y = SlideTextY;
    in.Width = SlideTextSize;
    in.Height = SlideTextHeight;
    in.Zoom = SlideZoom;
    const TRect area = textdisplay::TextArea(in);

    RichEdit->setReadOnly(true);
    // A plain sheet: what it shows becomes a picture.
    RichEdit->setFrameShape(QFrame::NoFrame);
    RichEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RichEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette palette = RichEdit->palette();
    // A slide without a colour of its own shows the window colour.
    palette.setColor(QPalette::Base, QColorOf(SlideColor == -1 ? clWindow : TColor{SlideColor}));
    RichEdit->setPalette(palette);
    RichEdit->setUpdatesEnabled(false);
    try {
        LoadTextControl(*RichEdit, FileName);
    } catch (...) {
        RichEdit->setUpdatesEnabled(true);
        throw;
    }
    RichEdit->setUpdatesEnabled(true);
    // Client coordinates start below the menu bar.
    const int menuHeight = height() - ClientHeight();
    RichEdit->setGeometry(area.Left, area.Top + menuHeight, area.Width(), area.Height());
    RichEdit->show();
    RichEdit->raise();
    RichEdit->repaint();
    RichEdit->setCursorWidth(0);
    RichEditTag = 1;
    Wait(Delay < 1 ? DefaultTextWait : Delay);
    if (!Capture)
        return;
    if (area.Width() < 1 || area.Height() < 1) {
        // A window with no room (minimised) has nothing to capture: the picture stays.
        HideRichText();
        return;
    }

    TBitmap captured;
    GrabControl(*RichEdit, area.Width(), area.Height(), captured);
    ShowUntitled(*this, captured);
    HideRichText();
}

void TWebForm::HideRichText() {
    RichEdit->moveCursor(QTextCursor::Start);
    RichEdit->verticalScrollBar()->setValue(0);
    RichEdit->setCursorWidth(0);
    // The captured picture is what the window shows from now on.
    RichEdit->hide();
    RichEditTag = 0;
}

void TWebForm::SetCaptionBand() {
    const TRect band = textdisplay::CaptionBand(ClientWidth(), ClientHeight(), SlideTextPosition);
    SlideTextX = band.Left;
    SlideTextY = band.Top;
    SlideTextSize = band.Width();
    SlideTextHeight = band.Height();
}

void TWebForm::DecodeVector() {
    Screen.SetCursor(crHourGlass);
    if (MediaMode) {
        AV_UI(false);
        Application.ProcessMessages();
    }
    TBitmap picture;
    try {
        picture.SetHandle(std::make_shared<TPixelBuffer>(RenderMetafile(FileName, ColorToRGB(BackgroundColor))));
    } catch (const Exception&) {
        KeepCurrentPicture(InvalidMetafileText);
        return;
    }
    ShowUntitled(*this, picture);
    Screen.SetCursor(crDefault);
}

}  // namespace lumvor
