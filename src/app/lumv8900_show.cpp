// The slide show of the image window: one call plays the bookmarks, or the
// slides of an AVL script (pictures, video, sound, CD tracks and texts), in the
// client area until the user stops it, offers the album's remote control,
// then gives the window back as it was.
#include "app/lumv8900.h"

#include "album/show8900.h"
#include "app/ShowClock.h"
#include "app/ShowPlayers.h"
#include "app/ShowScript.h"
#include "app/SlideEffects.h"
#include "state/ViewerSettings.h"
#include "app/comment_8900.h"
#include "app/remote_w.h"
#include "explorer/xplr8900.h"
#include "imaging/AvlScript.h"
#include "imgman/imgman.h"
#include "platform/Atoms.h"
#include "platform/Forms.h"
#include "platform/MediaPlayer.h"
#include "platform/Menus.h"
#include "platform/Registry.h"
#include "app/dialogs/compare_8900.h"
#include "ui/OpenDialogPlus.h"
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
constexpr const char* BadScriptMessage = "Bad AVL file.";
constexpr const char* TooFewSlidesQuestion =
    "Two or more slides are required for slideshow.\nShow help regarding multiple file selection?";
constexpr int MultipleFilesHelp = 110;
// The name a script gives a CD-track slide.
const std::string CDTrackName(30, '-');
// How often a player is asked to close before the show goes on.
constexpr int CloseTries = 10;

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
    // The window colour the show fills with.
    TColor Colour = clWhite;

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

// Asks the player to close until it says it is closed, at most CloseTries times.
void CloseWhileOpen(const std::function<bool()>& Active, const std::function<void()>& Close) {
    for (int tries = 0; tries < CloseTries && Active(); ++tries) Close();
}

void CloseCDAndSound() {
    TShowPlayers& players = ShowPlayers();
    CloseWhileOpen(players.CDActive, players.CloseCD);
    CloseWhileOpen(players.SoundActive, players.CloseSound);
}

// The show's short pauses (a third of a second): a stop request ends them early.
void ShortPause() { ShowClock().Pause(333, [] { return UserInterrupt; }); }

bool AsksForHelpWithTooFewSlides() {
    return voMessageDlg("", "", TooFewSlidesQuestion, mtInformation, mbYesNo, AutoDefaultButton, 0) == mrYes;
}

void ShowBadScript() { voMessageDlg("", "", BadScriptMessage, mtError, mbOKOnly, AutoDefaultButton, 0); }

}  // namespace

// What the show changes and gives back, and where it is.
struct TWebForm::TShowRun {
    bool FullScreenMenus = false;
    bool MP3Jukebox = false;
    bool FitWindow = false;
    bool PanelSide = false, PanelTool = false, PanelHistory = false, StatusBar = false;
    int32_t SlideDelay = 0;
    bool LockTaken = false;  // the "AVL running" lock of a script show
    bool Error = false;      // a missing or unsupported slide: the warning at the end
    bool Failed = false;     // a script that could not be read: no remote control
    std::string Detail;
    int Last = 0;
    bool Script = false;
    int Slides = 0;          // a script's slide count
    int Position = 0;        // the bookmark index, or the script slide number
    int StartSlide = -2;     // the script's RUN slide until it is reached
    bool CDMissing = false;  // the CD player reported no drive in this show
    bool SingleSlide = false;  // the remote control asked for one slide
    bool CompareHidden = false;
    int PreviousWidth = -1, PreviousHeight = -1;
    int32_t PreviousEffect = 0;
    TSelectedEffects Selection{};
};

void TWebForm::mnuHistorySlideshowClick(QObject* Sender) {
    PreparedWidth = 0;
    if (IsBusy || SlideshowRunning)
        return;
    TShowRun run;
    // The lock is given back, the script let go and the option restored on
    // every way out.
    struct TFinishGuard {
        TShowRun& Run;
        ~TFinishGuard() {
            if (Run.LockTaken && AvlAtom != 0) {
                GlobalDeleteAtom(AvlAtom);
                AvlAtom = 0;
            }
            if (Run.Script)
                AvlScriptStream.Clear();
            SlideDelay = Run.SlideDelay;
        }
    } guard{run};
    run.SlideDelay = SlideDelay;
    run.Script = Sender && Sender == mnuHistorySlideshow;
    if (!ShowSetUp(Sender, run))
        return;
    ShowSlides(run);
    ShowFinish(run);
}

void TWebForm::mnuSlideshowClick(QObject*) {
    const std::string filter = OpenDialog->Filter;
    const std::string title = OpenDialog->Title;
    const std::string defaultExt = OpenDialog->DefaultExt;
    struct TPutBack {
        TOpenDialogPlus& Dialog;
        std::string Filter, Title, DefaultExt;
        ~TPutBack() {
            Dialog.Filter = Filter;
            Dialog.Title = Title;
            Dialog.DefaultExt = DefaultExt;
        }
    } putBack{*OpenDialog, filter, title, defaultExt};
    OpenDialog->Filter = "AVL (AV List Slideshow)|*.avl";
    OpenDialog->Title = "Select AVL script";
    OpenDialog->DefaultExt = "avl";
    OpenDialog->SetFileName("");
    if (!OpenDialog->Execute())
        return;
    const std::string chosen = OpenDialog->FileName();
    PreviousFileName = FileName;
    FileName = chosen;
    FileExt = UpperCase(ExtractFileExt(FileName));
    DragOpen(chosen);
}

// Loads the script SlideFileName: its slide count, RUN slide and folders.
// Says "Bad AVL file." when it cannot be read or its folders are numbered
// wrongly.
bool TWebForm::LoadShowScript(TShowRun& Run) {
    bool loaded = false;
    try {
        AvlScriptStream.Clear();
        AvlScriptStream.LoadFromFile(SlideFileName);
        SlideIndex = FindAvlFirstSlide();
        if (SlideIndex >= 0) {
            Run.Slides = ReadAvlHeaderStream();
            Run.StartSlide = ScriptRunCount;
            loaded = ReadScriptFolders(AvlDirLines, SlideFolders);
        }
    } catch (const std::exception&) {
        loaded = false;
    }
    if (!loaded) {
        AvlScriptStream.Clear();
        SlideFolders.Clear();
        Run.Failed = true;
        ShowBadScript();
    }
    return loaded;
}

// Where a script's slides start: the RUN slide (the first when RUN names no
// slide of the script).
void StartScript(TWebForm::TShowRun& Run) {
    Run.Last = Run.Slides;
    if (Run.StartSlide < 1 || Run.StartSlide > Run.Slides)
        Run.StartSlide = 1;
    Run.Position = Run.StartSlide - 1;
    if (Run.StartSlide == 1)
        Run.StartSlide = -2;
    Run.PreviousWidth = Run.PreviousHeight = -1;
}

bool TWebForm::ShowSetUp(QObject*, TShowRun& Run) {
    // The script is read and the slides counted before anything on screen
    // changes, so a bad script or a single slide leaves the window as it is.
    if (Run.Script) {
        if (AvlAtom != 0)
            GlobalDeleteAtom(AvlAtom);
        AvlAtom = GlobalAddAtom(AvlRunningAtom);
        Run.LockTaken = true;
        if (!LoadShowScript(Run))
            return false;
    }
    const int slides = Run.Script ? Run.Slides : ImageHistoryList.Count();
    if (slides < 2) {
        if (AsksForHelpWithTooFewSlides())
            Application.HelpContext(MultipleFilesHelp);
        AvlStartMode = false;
        return false;
    }
    SlideProperty1.clear();
    if (Unzip_8900::UnZipFormCreated && Unzip_8900::UnZipForm)
        reinterpret_cast<QWidget*>(Unzip_8900::UnZipForm)->hide();
    if (comment_8900::CommentForm && CommentFormCreated)
        reinterpret_cast<QWidget*>(comment_8900::CommentForm)->hide();
    CloseWhileOpen(ShowPlayers().CDActive, ShowPlayers().CloseCD);

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
        QWidget* compare = compare_8900::CompareForm;
        if (compare && compare_8900::CompareFormActive && compare->isVisible()) {
            compare->hide();
            Run.CompareHidden = true;
        }
    }
    SlideColor = int32_t(BackgroundColor);
    CloseImgHandle();
    ScriptMode = Run.Script;

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
    SurfaceOf(SlideSurface).Colour = BackgroundColor;
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

    if (Run.Script) {
        StartScript(Run);
    } else {
        if (ImageHistoryIndex == 0)
            ImageHistoryIndex = Run.Last;
        Run.Position = ImageHistoryIndex;
    }
    CloseMediaView(true);
    Run.MP3Jukebox = MP3Jukebox;
    if (!Run.Script)
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
    canvas.Brush.Color = ColorToRGB(surface.Colour);
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(Rect(0, 0, surface.Picture.GetWidth(), surface.Picture.GetHeight()));
    surface.update();
}

void TWebForm::ShowSlides(TShowRun& Run) {
    do {
        while (ShowNextSlide(Run)) {
        }
    } while (ShowRemoteControl(Run));
}

// Waits a slide's delay (50 ms when it is 0 or less); a single slide asked
// for by the remote control does not wait.
static void WaitSlideDelay(TWebForm& Form, const TWebForm::TShowRun& Run) {
    if (!Run.SingleSlide)
        Form.Wait(SlideDelay);
}

// One slide: chosen, captioned and shown by its kind. False when the show
// stops (a stop request, an error, or the one slide of the remote control).
bool TWebForm::ShowNextSlide(TShowRun& Run) {
    if (RichEdit && RichEdit->width() > 1)
        HideRichText();
    if (SlideSurface->width() != ClientWidth() || SlideSurface->height() != ClientHeight())
        FillShowSurface();
    const int width = ClientWidth();
    const int height = ClientHeight();

    bool cdTrack = false;
    std::string n, total, name;
    if (Run.Script) {
        if (!ReadScriptSlide(Run, cdTrack))
            return false;
        n = std::to_string(Run.Position);
        total = std::to_string(Run.Slides);
        name = cdTrack ? FileName : CurFileName;
    } else {
        Run.Position = Run.Position >= Run.Last ? 0 : Run.Position + 1;
        ImageHistoryIndex = Run.Position;
        FileName = ImageHistoryList[Run.Position];
        total = std::to_string(Run.Last + 1);
        n = std::to_string(Run.Position + 1);
        name = FileName;
        // The bookmark's own name: the script reader's last name says nothing here.
        Run.Detail = "\nSlide " + n + " of " + total + "\nFolder: " + ExtractFilePath(FileName) +
                     "\nFilename: " + ExtractFileName(FileName);
        if (!FileExists(FileName)) {
            Run.Error = true;
            UserInterrupt = true;
            return false;
        }
    }
    Run.Detail = "Slide " + n + " of " + total + " \n " + name;
    setWindowTitle(QString::fromStdString("Slide " + n + " of " + total + " > " + name));
    ImageLoaded = false;
    Screen.SetCursor(crAppStart);

    if (cdTrack)
        return ShowCDSlide(Run);
    FileExt = UpperCase(ExtractFileExt(FileName));
    if (!MP3Jukebox && (FileExt == ".RMI" || FileExt == ".WAV" || FileExt == ".MID"))
        return ShowSoundSlide(Run);
    const int kind = ReadImageHeader(true);
    bool shown = false;
    if (kind == 2) {
        return ShowMediaSlide(Run, width, height);
    } else if (kind > 0 || kind == -11) {
        shown = ShowPictureSlide(Run, width, height);
        if (shown) {
            Application.ProcessMessages();
            WaitSlideDelay(*this, Run);
            Application.ProcessMessages();
        }
    } else if (Run.Script && (FileExt == ".RTF" || FileExt == ".TXT")) {
        try {
            ShowRichText(false, Run.SingleSlide ? 1 : SlideDelay);
            shown = true;
        } catch (const std::exception&) {
            shown = false;
        }
    }
    if (!shown) {
        Run.Error = true;
        UserInterrupt = true;
        return false;
    }
    if (UserInterrupt || Run.SingleSlide)
        return false;
    CloseMediaView(true);
    Application.ProcessMessages();
    return true;
}

// The next slide of the script: its section read, its file found (or moved
// there), a nested script taken over, its colour shown. False when the show
// ends here.
bool TWebForm::ReadScriptSlide(TShowRun& Run, bool& CDTrack) {
    for (;;) {
        Run.Position = Run.Position >= Run.Slides ? 1 : Run.Position + 1;
        if (Run.Position == 1) {
            SlideIndex = FindAvlFirstSlide();
        } else if (Run.Position == Run.StartSlide) {
            SlideIndex = FindAvlSlide(Run.Position);
            Run.StartSlide = -2;
        }
        int folder = 0;
        try {
            if (SlideIndex < 0)
                throw EConvertError("no such slide");
            folder = ReadAvlSlide(Run.Position);
        } catch (const std::exception&) {
            Run.Failed = true;
            ShowBadScript();
            UserInterrupt = true;
            return false;
        }
        Application.ProcessMessages();

        const bool known = folder >= 0 && folder < SlideFolders.Count();
        const std::string folderText = known ? SlideFolders[folder] : std::string();
        CDTrack = CurFileName == CDTrackName;
        FileName = CDTrack ? CurFileName : folderText + CurFileName;
        if (FileName.find_first_of("?<>") != std::string::npos)
            FileName = DecodeAvlText(FileName);
        if (CDTrack)
            return true;
        if (!FileExists(FileName)) {
            const std::string moved = FindMovedSlide(FileName, SlideFileName, MountedVolumeRoots());
            if (moved.empty()) {
                Run.Detail = "\nSlide " + std::to_string(Run.Position) + " of " + std::to_string(Run.Slides) +
                             "\nFolder: " + folderText + "\nFilename: " + CurFileName;
                Run.Error = true;
                UserInterrupt = true;
                return false;
            }
            FileName = moved;
            // The rest of the folder's slides are looked for there.
            if (known)
                SlideFolders.Put(folder, ExtractFilePath(moved));
        }
        FileExt = UpperCase(ExtractFileExt(FileName));
        if (FileExt == ".AVL") {
            // Another script goes on in the same window.
            SlideFileName = FileName;
            if (!LoadShowScript(Run)) {
                UserInterrupt = true;
                return false;
            }
            if (Run.Slides < 2) {
                if (AsksForHelpWithTooFewSlides())
                    Application.HelpContext(MultipleFilesHelp);
                Run.Failed = true;
                UserInterrupt = true;
                return false;
            }
            StartScript(Run);
            continue;
        }
        if (FileExt != ".RTF" && FileExt != ".TXT" && SlideColor != -1) {
            SurfaceOf(SlideSurface).Colour = TColor(SlideColor);
            ShortPause();
            Application.ProcessMessages();
            FillShowSurface();
        }
        WindowResized = 0;
        return true;
    }
}

// The script's slide Slide comes next (the remote control's choice).
bool TWebForm::SeekScriptSlide(TShowRun& Run, int Slide) {
    SlideIndex = FindAvlFirstSlide();
    if (SlideIndex < 0)
        return false;
    Slide = std::clamp(Slide, 1, Run.Slides);
    Run.StartSlide = -2;
    try {
        if (Slide == 1) {
            Run.Position = Run.Slides;
        } else {
            if (Slide > 2)
                SlideIndex = FindAvlSlide(Slide - 1);
            if (SlideIndex < 0)
                return false;
            ReadAvlSlide(Slide - 1);
            Run.Position = Slide - 1;
        }
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

bool TWebForm::ShowCDSlide(TShowRun& Run) {
    TShowPlayers& players = ShowPlayers();
    CloseWhileOpen(players.CDActive, players.CloseCD);
    // Without a drive the player says so once; the slide still takes its time.
    if (!Run.CDMissing && !players.OpenCD(SlideExtra))
        Run.CDMissing = true;
    WaitSlideDelay(*this, Run);
    return !UserInterrupt && !Run.SingleSlide;
}

bool TWebForm::ShowSoundSlide(TShowRun& Run) {
    TShowPlayers& players = ShowPlayers();
    CloseMediaView(true);
    ShortPause();
    CloseWhileOpen(players.SoundActive, players.CloseSound);
    players.OpenSound(FileName, 10000);
    WaitSlideDelay(*this, Run);
    return !UserInterrupt && !Run.SingleSlide;
}

bool TWebForm::ShowMediaSlide(TShowRun& Run, int Width, int Height) {
    TShowPlayers& players = ShowPlayers();
    if (Run.Script && SlideHasColor) {
        SurfaceOf(SlideSurface).Colour = TColor(SlideColor);
        FillShowSurface();
    }
    CloseWhileOpen(players.SoundActive, players.CloseSound);
    PlayerState = MediaOpenOpen;  // neither playing nor stopped until the player says so
    if (!players.OpenMedia(*this, FileName)) {
        Run.Error = true;
        UserInterrupt = true;
        return false;
    }
    Application.ProcessMessages();
    const bool video = VideoHeight != 0;
    if (video) {
        TVideoSlide slide;
        slide.Width = Width;
        slide.Height = Height;
        slide.NaturalWidth = VideoWidth;
        slide.NaturalHeight = VideoHeight;
        slide.AutoSize = AutoSizeVideo;
        slide.Script = Run.Script;
        slide.PanelWidth = SlideTextSize;
        slide.PanelHeight = SlideTextHeight;
        slide.Zoom = SlideZoom;
        slide.Left = SlideTextX;
        slide.Top = SlideTextY;
        players.PlaceMedia(*this, VideoSlideBounds(slide), true);
        WindowResized = 1;
    } else {
        players.PlaceMedia(*this, Rect(0, 0, 1, 1), false);
        Run.PreviousWidth = -1;
    }
    players.PlayMedia(*this);
    // A sound of a script show without the jukebox plays on under the next slides.
    if (video || MP3Jukebox) {
        while (PlayerState == MediaPlaying && !UserInterrupt && !Run.SingleSlide)
            ShowClock().Pause(333, [] { return UserInterrupt || PlayerState != MediaPlaying; });
        players.StopMedia(*this);
        CloseMediaView(true);
    }
    return !UserInterrupt && !Run.SingleSlide;
}

// The album's remote control once its show stopped without error: true when
// the user chose a slide to go on with.
bool TWebForm::ShowRemoteControl(TShowRun& Run) {
    Run.SingleSlide = false;
    if (!show8900::AlbumSlideshow || !Run.Script || Run.Error || Run.Failed)
        return false;
    CloseMediaView(true);
    Application.ProcessMessages();
    CloseCDAndSound();
    TRemoteEntry entry;
    entry.Min = 1;
    entry.Max = Run.Slides;
    entry.Position = Run.Position >= 1 && Run.Position <= Run.Slides ? Run.Position : 1;
    entry.SmallChange = 1;
    entry.LargeChange = std::abs(Run.Slides / 8) + 1;
    TRemoteAnswer answer;
    ExecuteRemoteDialog(entry, answer);
    if (answer.Value == remote_w::RemoteCancelled)
        return false;
    UserInterrupt = false;
    if (!SeekScriptSlide(Run, answer.Value)) {
        Run.Failed = true;
        ShowBadScript();
        return false;
    }
    Run.SingleSlide = answer.Action != 0;
    return true;
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
    // Script slides keep what earlier slides left unless they bring a colour.
    if (!Run.Script && Run.PreviousWidth >= 0 &&
        (Run.PreviousWidth > ImageWidth || Run.PreviousHeight > ImageHeight))
        WindowResized = 1;
    if (!Run.Script && WindowResized) {
        FillShowSurface();
        WindowResized = 0;
    }
    Run.PreviousWidth = ImageWidth;
    Run.PreviousHeight = ImageHeight;

    const TRect source = Rect(0, 0, ImageWidth, ImageHeight);
    const TPoint at = SlideOffset(Width, Height, ImageWidth, ImageHeight, Run.Script ? SlideTextX : -1,
                                  Run.Script ? SlideTextY : -1);
    const TRect dest = Rect(at.X, at.Y, at.X + ImageWidth, at.Y + ImageHeight);

    const TSlideTransition transition = ChooseSlideTransition(Run.Script, SlideProperty2, SlideExtra, Run.Selection, Run.PreviousEffect,
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
    // The script and the lock are let go by the guard of mnuHistorySlideshowClick.
    if (RichEdit && RichEdit->width() > 1)
        HideRichText();
    if (Run.Script)
        CloseCDAndSound();
    Screen.SetCursor(crHourGlass);
    SlideshowRunning = false;
    if (SlideshowPlayer) {
        SlideshowPlayer->Release();
        SlideshowPlayer = nullptr;
    }
    SlideshowPlayerCreated = false;
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
    if (Run.CompareHidden && compare_8900::CompareForm)
        static_cast<QWidget*>(compare_8900::CompareForm)->show();
    if (!Run.Error && Run.Script) {
        NewBlankImage(false);
    } else if (!Run.Error) {
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
    if (show8900::AlbumSlideshow) {
        show8900::AlbumSlideshow = false;
        if (xplr8900::FileForm)
            xplr8900::FileForm->mnuSlideEditorXClick(this);
    }
}

}  // namespace lumvor
