// The slide show of the image window: one call plays the bookmarks as slides
// in the client area until the user stops it, then gives the window back as
// it was.
#include "app/lumv8900.h"

#include "album/show8900.h"
#include "app/Cdaudio_w.h"
#include "app/ShowClock.h"
#include "app/SlideEffects.h"
#include "app/ViewerSettings.h"
#include "app/comment_8900.h"
#include "explorer/xplr8900.h"
#include "imaging/AvlScript.h"
#include "platform/Atoms.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/Registry.h"
#include "platform/imgman/imgman.h"
#include "ui/Pix.h"
#include "ui/Status_y.h"
#include "ui/voMsgBox.h"
#include "zip/Unzip_8900.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QTextEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>

namespace lumvor {

using namespace lumv8900;

namespace {

constexpr const char* MissingSlideWarning =
    "Missing or unsupported file in slideshow.\nPlease see FAQ to resolve this problem.\n";
constexpr int MultipleFilesHelp = 110;

// The show's drawing surface over the whole client area: the slides are drawn
// into its bitmap; a key or a left or middle click stops the show, a right
// click brings the next slide.
class TSlideSurface : public QWidget {
public:
    explicit TSlideSurface(TWebForm* form) : QWidget(form), form_(form) {
        setObjectName("SlideSurface");
        setFocusPolicy(Qt::StrongFocus);
        Picture.SetPixelFormat(pf24bit);
        hide();
    }
    TBitmap Picture;

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.drawImage(event->rect(), Picture.ToQImage(), event->rect());
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        const TMouseButton button = event->button() == Qt::RightButton  ? mbRight
                                    : event->button() == Qt::MiddleButton ? mbMiddle
                                                                          : mbLeft;
        Guarded([&] { form_->FormMouseUp(form_, button, TShiftState{}, int(event->position().x()),
                                         int(event->position().y())); });
    }
    void keyPressEvent(QKeyEvent*) override { UserInterrupt = true; }

private:
    TWebForm* form_;
};

TSlideSurface& SurfaceOf(QWidget* surface) { return *static_cast<TSlideSurface*>(surface); }

}  // namespace

// What the show changes and gives back, and where it is.
struct TWebForm::TShowRun {
    bool FullScreenMenus = false;
    bool MP3Jukebox = false;
    bool FitWindow = false;
    bool PanelSide = false, PanelTool = false, PanelHistory = false, StatusBar = false;
    int32_t SlideDelay = 0;
    bool LockTaken = false;  // the "AVL running" lock of a script show
    bool Error = false;
    std::string Detail;
    int Last = 0;
    int PreviousWidth = -1, PreviousHeight = -1;
    int32_t PreviousEffect = 0;
    TSelectedEffects Selection{};
};

void TWebForm::mnuHistorySlideshowClick(QObject* Sender) {
    PreparedWidth = 0;
    if (IsBusy || SlideshowRunning)
        return;
    if (Sender && Sender == mnuHistorySlideshow) {
        // PENDING: script shows; nothing on screen has changed yet.
        PendingCall("mnuHistorySlideshowClick");
        return;
    }
    TShowRun run;
    // The lock is given back and the option restored on every way out.
    struct TFinishGuard {
        TShowRun& Run;
        ~TFinishGuard() {
            if (Run.LockTaken && AvlAtom != 0) {
                GlobalDeleteAtom(AvlAtom);
                AvlAtom = 0;
            }
            SlideDelay = Run.SlideDelay;
        }
    } guard{run};
    run.SlideDelay = SlideDelay;
    if (!ShowSetUp(Sender, run))
        return;
    ShowSlides(run);
    ShowFinish(run);
}

bool TWebForm::ShowSetUp(QObject*, TShowRun& Run) {
    const int slides = ImageHistoryList.Count();
    if (slides < 2) {
        // Asked before anything is hidden, so the window stays as it is.
        if (voMessageDlg("", "", "Two or more slides are required for slideshow.\nShow help regarding multiple file selection?",
                         mtInformation, mbYesNo, AutoDefaultButton, 0) == mrYes)
            Application.HelpContext(MultipleFilesHelp);
        AvlStartMode = false;
        return false;
    }
    SlideProperty1.clear();
    if (Unzip_8900::UnZipFormCreated && Unzip_8900::UnZipForm)
        reinterpret_cast<QWidget*>(Unzip_8900::UnZipForm)->hide();
    if (comment_8900::CommentForm && CommentFormCreated)
        reinterpret_cast<QWidget*>(comment_8900::CommentForm)->hide();
    for (int tries = 0; CDAudioActive() && tries < 10; ++tries) CloseCDAudio();

    Run.FullScreenMenus = FullScreenMenus;
    FullScreenMenus = false;
    if (AlwaysFullScreen || AvlStartMode) {
        if (!FullScreenItemReadsNormal())
            mnuFullScrnClick(this);
    } else {
        if (show8900::ShowForm && reinterpret_cast<QWidget*>(show8900::ShowForm)->isVisible())
            reinterpret_cast<QWidget*>(show8900::ShowForm)->hide();
        if (xplr8900::FileForm && reinterpret_cast<QWidget*>(xplr8900::FileForm)->isVisible())
            reinterpret_cast<QWidget*>(xplr8900::FileForm)->hide();
    }
    SlideColor = int32_t(BackgroundColor);
    CloseImgHandle();
    ScriptMode = false;

    if (ViewerControls.Flag(vc::MenuBar)) {
        for (auto it = TopMenuItems.rbegin(); it != TopMenuItems.rend(); ++it) {
            QAction* item = (*it)->menuAction();
            // A hidden action answers disabled: its state is read first.
            if (item->isEnabled())
                item->setProperty("Tag", 1);
            if (mnuMenubar->isEnabled())
                item->setVisible(false);
            item->setEnabled(false);
        }
    }
    chkHandToolClick(this);
    SlideshowRunning = true;
    Run.Last = slides - 1;
    UserInterrupt = false;
    // The release that opened the pop-up menu must not cut the first slide short.
    RightButtonReleased = false;
    ResetSkyScrollPos();

    Run.PanelSide = PanelSide->isVisible();
    Run.PanelTool = PanelTool->isVisible();
    Run.PanelHistory = PanelHistory->isVisible();
    Run.StatusBar = StatusBar->isVisible();
    Run.FitWindow = FitWindow;
    FitWindow = true;
    for (QWidget* w : {PanelSide, PanelTool, PanelHistory, static_cast<QWidget*>(StatusBar)}) w->hide();
    Daz95->SetPaintLock(true);
    reinterpret_cast<QWidget*>(ScrollBox)->hide();
    Application.ProcessMessages();

    if (!SlideSurface)
        SlideSurface = new TSlideSurface(this);
    if (TagOf(mnuBookmarksRun) == 0)
        mnuSlideEffectsClick(mnuHistorySlideshow);
    FillShowSurface();
    SlideSurface->show();
    SlideSurface->raise();
    SlideSurface->setFocus();
    WindowResized = 0;
    {
        TRegistry registry;
        registry.OpenKey(SettingsKey, true);
        Run.Selection = ReadSelectedEffects(registry);
    }
    Application.ProcessMessages();

    if (ImageHistoryIndex == 0)
        ImageHistoryIndex = Run.Last;
    CloseMediaView(true);
    Run.MP3Jukebox = MP3Jukebox;
    MP3Jukebox = true;
    return true;
}

// Sizes the surface to the client area and fills it with the slide colour.
void TWebForm::FillShowSurface() {
    TSlideSurface& surface = SurfaceOf(SlideSurface);
    const int top = height() - ClientHeight();
    surface.setGeometry(0, top, ClientWidth(), ClientHeight());
    surface.Picture.SetSize(std::max(1, ClientWidth()), std::max(1, ClientHeight()));
    TCanvas& canvas = surface.Picture.Canvas();
    canvas.Brush.Color = ColorToRGB(TColor{SlideColor});
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(Rect(0, 0, surface.Picture.GetWidth(), surface.Picture.GetHeight()));
    surface.update();
}

void TWebForm::ShowSlides(TShowRun& Run) {
    int position = ImageHistoryIndex;
    for (;;) {
        if (RichEdit && RichEdit->width() > 1)
            HideRichText();
        if (SlideSurface->width() != ClientWidth() || SlideSurface->height() != ClientHeight())
            FillShowSurface();
        const int width = ClientWidth();
        const int height = ClientHeight();

        position = position >= Run.Last ? 0 : position + 1;
        ImageHistoryIndex = position;
        FileName = ImageHistoryList[position];
        const std::string total = std::to_string(Run.Last + 1);
        const std::string n = std::to_string(position + 1);
        // The bookmark's own name: the script reader's last name says nothing here.
        Run.Detail = "\nSlide " + n + " of " + total + "\nFolder: " + ExtractFilePath(FileName) +
                     "\nFilename: " + ExtractFileName(FileName);
        if (!FileExists(FileName)) {
            Run.Error = true;
            UserInterrupt = true;
            return;
        }
        Run.Detail = "Slide " + n + " of " + total + " \n " + FileName;
        setWindowTitle(QString::fromStdString("Slide " + n + " of " + total + " > " + FileName));
        ImageLoaded = false;
        Screen.SetCursor(crAppStart);

        FileExt = UpperCase(ExtractFileExt(FileName));
        const int kind = ReadImageHeader(true);
        if (kind == 2) {
            // PENDING: video and sound slides; until then the show ends on them.
            PendingCall("media slide " + FileName);
            Run.Error = true;
            UserInterrupt = true;
            return;
        }
        if (!(kind > 0 || kind == -11) || !ShowPictureSlide(Run, width, height)) {
            Run.Error = true;
            UserInterrupt = true;
            return;
        }
        Application.ProcessMessages();
        Wait(SlideDelay);
        Application.ProcessMessages();
        if (UserInterrupt)
            return;
        CloseMediaView(true);
        Application.ProcessMessages();
    }
}

bool TWebForm::ShowPictureSlide(TShowRun& Run, int Width, int Height) {
    bool prepared = false;
    try {
        prepared = SlideImage(Width, Height);
    } catch (const std::exception&) {
        prepared = false;
    }
    if (!prepared)
        return false;
    TSlideSurface& surface = SurfaceOf(SlideSurface);
    if (Run.PreviousWidth >= 0 && (Run.PreviousWidth > ImageWidth || Run.PreviousHeight > ImageHeight))
        WindowResized = 1;
    if (WindowResized) {
        FillShowSurface();
        WindowResized = 0;
    }
    Run.PreviousWidth = ImageWidth;
    Run.PreviousHeight = ImageHeight;

    const TRect source = Rect(0, 0, ImageWidth, ImageHeight);
    TRect dest = source;
    const int x = (Width - ImageWidth) / 2;
    const int y = (Height - ImageHeight) / 2;
    if (ImageWidth < Width)
        dest = Rect(dest.Left + x, dest.Top, dest.Right + x, dest.Bottom);
    if (ImageHeight < Height)
        dest = Rect(dest.Left, dest.Top + y, dest.Right, dest.Bottom + y);

    const TSlideTransition transition = ChooseSlideTransition(false, 0, 0, Run.Selection, Run.PreviousEffect,
                                                              ImageWidth, ImageHeight, EffectsSpeed);
    const TImgSurface target{&surface.Picture, [&surface](const TRect& r) {
                                 surface.repaint(QRect(r.Left, r.Top, r.Width(), r.Height()));
                             }};
    if (DrawSlideTransition(ImgHandle, target, dest, source, transition, &TWebForm::EffectWait) == 0) {
        UserInterrupt = true;
        ShowImgError();
        CloseImgHandle();
        return true;  // the library's own box has told the user
    }
    if (!SlideProperty1.empty())
        DrawSlideComment();
    CloseImgHandle();
    return true;
}

// The slide's comment, centred on one line in the caption band.
void TWebForm::DrawSlideComment() {
    TSlideSurface& surface = SurfaceOf(SlideSurface);
    SetCaptionBand();
    const TRect band = Rect(SlideTextX, SlideTextY, SlideTextX + SlideTextSize, SlideTextY + SlideTextHeight);
    TCanvas& canvas = surface.Picture.Canvas();
    canvas.Brush.Color = ColorToRGB(clWindow);
    canvas.Brush.Style = bsSolid;
    canvas.Pen.Color = ColorToRGB(clWindowText);
    canvas.FillRect(band);
    canvas.Font.Color = ColorToRGB(clWindowText);
    const TSize extent = canvas.TextExtent(SlideProperty1);
    canvas.TextOut(band.Left + (band.Width() - extent.cx) / 2, band.Top + (band.Height() - extent.cy) / 2,
                   SlideProperty1);
    surface.repaint(QRect(band.Left, band.Top, band.Width(), band.Height()));
    SlideProperty1.clear();
}

void TWebForm::ShowFinish(TShowRun& Run) {
    Screen.SetCursor(crHourGlass);
    SlideshowRunning = false;
    CloseImgHandle();
    try {
        if (ShowRestoreHook)
            ShowRestoreHook();
        if (SlideSurface)
            SlideSurface->hide();
        reinterpret_cast<QWidget*>(ScrollBox)->show();
        FitWindow = Run.FitWindow;
        ShowFitState();
        PanelTool->setVisible(Run.PanelTool);
        PanelHistory->setVisible(Run.PanelHistory);
        PanelSide->setVisible(Run.PanelSide);
        StatusBar->setVisible(Run.StatusBar);
        Daz95->SetPaintLock(false);
        Application.ProcessMessages();
        ShowClock().Pause(333, [] { return false; });
        Screen.SetCursor(crDefault);
        if (Run.Error) {
            voMessageDlg("", "", MissingSlideWarning + Run.Detail, mtWarning, mbOKOnly, AutoDefaultButton, 0);
            if (FullScreenItemReadsNormal())
                mnuFullScrnClick(this);
        }
    } catch (...) {
        AvlStartMode = false;
        Application.OnIdle = nullptr;
        ShutDown = true;
        AppQuitting = true;
        close();
        return;
    }
    FullScreenMenus = Run.FullScreenMenus;
    if (FullScreenItemReadsNormal())
        mnuFullScrnClick(this);
    if (ViewerControls.Flag(vc::MenuBar)) {
        for (auto it = TopMenuItems.rbegin(); it != TopMenuItems.rend(); ++it) {
            QAction* item = (*it)->menuAction();
            if (mnuMenubar->isEnabled())
                item->setVisible(!FullScreenItemReadsNormal() || !MaxFullScreen);
            if (item->property("Tag").toInt() == 1)
                item->setEnabled(true);
            item->setProperty("Tag", 0);
        }
    }
    if (!Run.Error) {
        const bool autoPlay = MediaAutoPlay;
        MediaAutoPlay = false;
        if (ImageHistoryIndex >= 0 && ImageHistoryIndex < ImageHistoryList.Count() &&
            FileExists(ImageHistoryList[ImageHistoryIndex])) {
            History->setEditText(QString::fromStdString(ImageHistoryList[ImageHistoryIndex]));
            OpenCurrentBookmark();
        } else {
            NewBlankImage(false);
        }
        MediaAutoPlay = autoPlay;
    }
    MP3Jukebox = Run.MP3Jukebox;
    PreparedWidth = 0;
    if (AvlStartMode)
        mnuExitClick(this);
    AvlStartMode = false;
}

}  // namespace lumvor
