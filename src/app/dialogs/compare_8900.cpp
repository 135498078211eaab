#include "app/dialogs/compare_8900.h"

#include "app/lumv8900.h"
#include "platform/Clipbrd.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "ui/Pix.h"
#include "ui/ScrollBoxNotify.h"
#include "ui/voMsgBox.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QStatusBar>

#include <algorithm>

namespace lumvor {

using namespace compare_8900;

// ---- Geometry

TRect CompareFormBounds(int ScreenWidth, int ScreenHeight) {
    constexpr int inset = 80;
    const int width = std::max(ScreenWidth - 2 * inset, CompareFormMinWidth);
    const int height = std::max(ScreenHeight - 2 * inset, CompareFormMinHeight);
    return Rect(inset, inset, inset + width, inset + height);
}

TRect ComparePaneRect(int Width, int Height, int BoxWidth, int BoxHeight, bool Fitted) {
    if (!Fitted)
        return Rect(0, 0, Width, Height);
    TSize size{Width, Height};
    if (Width >= BoxWidth || Height >= BoxHeight)
        FitSizeInBox(Width, Height, BoxWidth, BoxHeight, size);
    const int left = (BoxWidth - size.cx) / 2;
    const int top = (BoxHeight - size.cy) / 2;
    return Rect(left, top, left + size.cx, top + size.cy);
}

std::string ComparePaneStatus(char Pane, int Width, int Height, const std::string& Title) {
    return std::string(" Picture (") + Pane + ") " + std::to_string(Width) + "x" + std::to_string(Height) + Title;
}

bool ComparePanesScrollTogether(bool Fitted, int WidthA, int HeightA, int WidthB, int HeightB) {
    return !Fitted && WidthA == WidthB && HeightA == HeightB;
}

// ---- The window

TCompareForm& EnsureCompareForm() {
    if (!CompareForm)
        new TCompareForm(lumv8900::WebForm);
    return *CompareForm;
}

TCompareForm::TCompareForm(QWidget* owner) : QMainWindow(owner, Qt::Window) {
    setObjectName("CompareForm");
    setWindowTitle("Comparisons");
    CompareForm = this;
    BuildMenu();
    BuildPanes();
    FormCreate();
}

TCompareForm::~TCompareForm() {
    if (CompareForm == this) {
        CompareForm = nullptr;
        CompareFormActive = 0;
    }
}

void TCompareForm::BuildMenu() {
    auto item = [this](QMenu* menu, const char* name, const char* caption, void (TCompareForm::*handler)(QObject*)) {
        auto* action = new TMenuItem(caption, this);
        action->setObjectName(name);
        ConnectGuarded(action, &QAction::triggered, this, [this, action, handler] { (this->*handler)(action); });
        if (menu)
            menu->addAction(action);
        return action;
    };
    auto subMenu = [this](QMenu* parent, const char* name, const char* caption) {
        auto* menu = new QMenu(caption, this);
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(QString(name) + "Item");
        parent->addMenu(menu);
        return menu;
    };
    QMenuBar* bar = menuBar();
    mnuNew = item(nullptr, "mnuNew", "&New", &TCompareForm::mnuNewClick);
    bar->addAction(mnuNew);

    mnuClipboard = bar->addMenu("&Edit");
    mnuClipboard->setObjectName("mnuClipboard");
    ConnectGuarded(mnuClipboard, &QMenu::aboutToShow, this, [this] { mnuClipboardClick(mnuClipboard); });
    mnuCopyC = subMenu(mnuClipboard, "mnuCopyC", "&Copy");
    mnuCopyLeft = item(mnuCopyC, "mnuCopyLeft", "from &Left Pane (A)", &TCompareForm::mnuCopyLeftClick);
    mnuCopyRight = item(mnuCopyC, "mnuCopyRight", "from &Right Pane (B)", &TCompareForm::mnuCopyLeftClick);
    ConnectGuarded(mnuCopyC, &QMenu::aboutToShow, this, [this] { mnuCopyCClick(mnuCopyC); });
    mnuPasteC = subMenu(mnuClipboard, "mnuPasteC", "&Paste");
    mnuPasteLeft = item(mnuPasteC, "mnuPasteLeft", "in &Left Pane (A)", &TCompareForm::mnuPasteLeftClick);
    mnuPasteRight = item(mnuPasteC, "mnuPasteRight", "in &Right Pane (B)", &TCompareForm::mnuPasteLeftClick);
    mnuSendC = subMenu(mnuClipboard, "mnuSendC", "&Send");
    mnuSendLeft = item(mnuSendC, "mnuSendLeft", "from &Left Pane (A)", &TCompareForm::mnuSendLeftClick);
    mnuSendRight = item(mnuSendC, "mnuSendRight", "from &Right Pane (B)", &TCompareForm::mnuSendLeftClick);
    ConnectGuarded(mnuSendC, &QMenu::aboutToShow, this, [this] { mnuSendCClick(mnuSendC); });
    mnuEmptyC = item(mnuClipboard, "mnuEmptyC", "&Empty", &TCompareForm::mnuEmptyCClick);

    mnuViewC = bar->addMenu("&View");
    mnuViewC->setObjectName("mnuViewC");
    mnuFitToWindowC = item(mnuViewC, "mnuFitToWindowC", "&Fit-to-window", &TCompareForm::mnuFitToWindowCClick);
    mnuFitToWindowC->SetChecked(false);

    mnuToolsC = bar->addMenu("&Tools");
    mnuToolsC->setObjectName("mnuToolsC");
    mnuViewerC = item(mnuToolsC, "mnuViewerC", "&Viewer", &TCompareForm::mnuViewerCClick);
    mnuViewerC->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Home));
    mnuExplorerC = item(mnuToolsC, "mnuExplorerC", "&Explorer", &TCompareForm::mnuExplorerCClick);
    mnuExplorerC->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));

    mnuClearCompare = item(nullptr, "mnuClearCompare", "&Close", &TCompareForm::mnuClearCompareClick);
    bar->addAction(mnuClearCompare);
    Help1 = item(nullptr, "Help1", "&Help", &TCompareForm::Help1Click);
    Help1->Tag = int(CompareHelpContext);
    bar->addAction(Help1);
}

void TCompareForm::BuildPanes() {
    auto* client = new QWidget(this);
    client->setObjectName("CompareClient");
    setCentralWidget(client);
    auto pane = [client](const char* panelName, const char* boxName, const char* pixName, QWidget*& panel,
                         TScrollBoxNotify*& box, TPix*& pix) {
        panel = new QWidget(client);
        panel->setObjectName(panelName);
        auto* layout = new QHBoxLayout(panel);
        layout->setContentsMargins(0, 0, 0, 0);
        box = new TScrollBoxNotify(panel);
        box->setObjectName(boxName);
        box->setBackgroundRole(QPalette::Dark);
        box->setWidgetResizable(false);
        layout->addWidget(box);
        pix = new TPix();
        pix->setObjectName(pixName);
        pix->resize(64, 64);
        box->setWidget(pix);
    };
    pane("PanelA", "ScrollBox1", "PixA", PanelA, ScrollBox1, PixA);
    pane("PanelB", "ScrollBox2", "PixB", PanelB, ScrollBox2, PixB);
    ScrollBox1->OnScroll = [this](QObject* s) { ScrollBox1Scroll(s); };
    ScrollBox2->OnScroll = [this](QObject* s) { ScrollBox2Scroll(s); };

    StatusBarC = statusBar();
    StatusBarC->setObjectName("StatusBarC");
    StatusBarC->setSizeGripEnabled(false);
    for (int i = 0; i < 2; ++i) {
        auto* label = new QLabel(StatusBarC);
        label->setObjectName(QString("StatusPanel%1").arg(i));
        label->setTextFormat(Qt::PlainText);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        StatusBarC->addWidget(label, i == 0 ? 0 : 1);
        StatusPanels[i] = label;
    }
    StatusPanels[0]->setText(" Picture (A) 0x0");
    StatusPanels[1]->setText(" Picture (B) 0x0");
}

void TCompareForm::FormCreate() {
    setWindowIcon(QGuiApplication::windowIcon());
    setMinimumSize(CompareFormMinWidth, CompareFormMinHeight);
    const TRect bounds = CompareFormBounds(Screen.Width(), Screen.Height());
    move(bounds.Left, bounds.Top);
    resize(bounds.Width(), bounds.Height());
    PaneTitleA = PaneTitleB = UntitledPaneTitle;
}

void TCompareForm::FormActivate() { CompareFormActive = 1; }

void TCompareForm::FormResize() {
    if (isMinimized()) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
        HideToViewer();
        return;
    }
    QWidget* client = centralWidget();
    const int half = client->width() / 2;
    PanelA->setGeometry(0, 0, half, client->height());
    PanelB->setGeometry(half, 0, client->width() - half, client->height());
    StatusPanels[0]->setFixedWidth(half);
    RepaintImagePanes();
}

bool TCompareForm::Fitted() const { return mnuFitToWindowC->isChecked(); }

void TCompareForm::PlacePane(TScrollBoxNotify* Box, TPix* Pix) {
    const bool fitted = Fitted();
    const Qt::ScrollBarPolicy bars = fitted ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded;
    Box->setHorizontalScrollBarPolicy(bars);
    Box->setVerticalScrollBarPolicy(bars);
    // The box keeps the picture where it belongs when it is resized later.
    Box->setAlignment(fitted ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignTop);
    Pix->Stretch = fitted;
    const TBitmap& picture = *Pix->Bitmap();
    // The viewport's size with the bars the policy leaves out.
    const QSize view = Box->maximumViewportSize();
    const TRect place = ComparePaneRect(picture.Width(), picture.Height(), view.width(), view.height(), fitted);
    Pix->setGeometry(place.Left, place.Top, place.Width(), place.Height());
    Pix->update();
    Application.ProcessMessages();
}

void TCompareForm::RepaintImagePanes() {
    PlacePane(ScrollBox1, PixA);
    PlacePane(ScrollBox2, PixB);
    if (!Fitted())
        ResetScrollBars();
    const TBitmap& a = *PixA->Bitmap();
    const TBitmap& b = *PixB->Bitmap();
    StatusPanels[0]->setText(QString::fromStdString(ComparePaneStatus('A', a.Width(), a.Height(), PaneTitleA)));
    StatusPanels[1]->setText(QString::fromStdString(ComparePaneStatus('B', b.Width(), b.Height(), PaneTitleB)));
}

void TCompareForm::ResetScrollBars() {
    for (TScrollBoxNotify* box : {ScrollBox1, ScrollBox2})
        for (QScrollBar* bar : {box->horizontalScrollBar(), box->verticalScrollBar()})
            if (bar->value() != 0)
                bar->setValue(0);
    for (TPix* pix : {PixA, PixB})
        if (pix->x() != 0 || pix->y() != 0)
            pix->move(0, 0);
}

TPix* TCompareForm::PaneOf(QObject* Sender) const {
    const bool right = Sender == mnuCopyRight || Sender == mnuPasteRight || Sender == mnuSendRight;
    return right ? PixB : PixA;
}

// ---- Closing

void TCompareForm::HideToViewer() {
    TWebForm* viewer = lumv8900::WebForm;
    if (viewer && viewer->isVisible()) {
        viewer->setEnabled(true);
        viewer->show();
        viewer->raise();
        viewer->activateWindow();
    }
    hide();
}

void TCompareForm::FormCloseQuery(bool& CanClose) {
    CanClose = lumv8900::ShutDown;
    if (!CanClose)
        HideToViewer();
}

void TCompareForm::FormClose() { deleteLater(); }

void TCompareForm::closeEvent(QCloseEvent* event) {
    CloseThroughQuery(
        event, [this](bool& canClose) { FormCloseQuery(canClose); }, [this] { FormClose(); });
}

void TCompareForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Guarded([this] { FormResize(); });
}

void TCompareForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Minimising is undone after the change has settled: showMinimized shows
    // the window again once the state is set.
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        QMetaObject::invokeMethod(this, Guard([this] { FormResize(); }), Qt::QueuedConnection);
    else if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Guarded([this] { FormActivate(); });
}

void TCompareForm::mnuClearCompareClick(QObject*) { close(); }

// ---- Scrolling

void TCompareForm::FollowScroll(TScrollBoxNotify* From, TScrollBoxNotify* To) {
    const TBitmap& a = *PixA->Bitmap();
    const TBitmap& b = *PixB->Bitmap();
    if (!ComparePanesScrollTogether(Fitted(), a.Width(), a.Height(), b.Width(), b.Height()))
        return;
    // The box reports the action before it scrolls: the slider position is
    // already where the scroll goes.
    To->horizontalScrollBar()->setValue(From->horizontalScrollBar()->sliderPosition());
    To->verticalScrollBar()->setValue(From->verticalScrollBar()->sliderPosition());
}

void TCompareForm::ScrollBox1Scroll(QObject*) { FollowScroll(ScrollBox1, ScrollBox2); }

void TCompareForm::ScrollBox2Scroll(QObject*) { FollowScroll(ScrollBox2, ScrollBox1); }

// ---- Commands

void TCompareForm::mnuNewClick(QObject*) {
    if (voMessageDlg("", "", "Clear comparison windows?", mtConfirmation, mbYesNo, mbNo, 0) != mrYes)
        return;
    for (TPix* pix : {PixA, PixB})
        pix->Bitmap()->Assign(nullptr);
    if (!Fitted())
        ResetScrollBars();
    for (TPix* pix : {PixA, PixB})
        pix->setGeometry(0, 0, 64, 64);
    PaneTitleA = PaneTitleB = UntitledPaneTitle;
    RepaintImagePanes();
}

void TCompareForm::mnuClipboardClick(QObject*) {
    const bool picture = Clipboard().HasFormat(CF_BITMAP);
    for (TMenuItem* item : {mnuPasteLeft, mnuPasteRight, mnuEmptyC})
        item->setEnabled(picture);
}

void TCompareForm::mnuCopyCClick(QObject*) {
    mnuCopyLeft->setEnabled(PixA->Bitmap()->Width() >= 1);
    mnuCopyRight->setEnabled(PixB->Bitmap()->Width() >= 1);
}

void TCompareForm::mnuSendCClick(QObject*) {
    mnuSendLeft->setEnabled(PixA->Bitmap()->Width() >= 1);
    mnuSendRight->setEnabled(PixB->Bitmap()->Width() >= 1);
}

void TCompareForm::mnuCopyLeftClick(QObject* Sender) {
    Clipboard().Clear();
    const TBitmap& picture = *PaneOf(Sender)->Bitmap();
    if (picture.Width() <= 0)
        return;
    Screen.SetCursor(crHourGlass);
    try {
        Clipboard().Assign(&picture);
    } catch (...) {
        Screen.SetCursor(crDefault);
        throw;
    }
    Screen.SetCursor(crDefault);
}

void TCompareForm::mnuPasteLeftClick(QObject* Sender) {
    TWebForm* viewer = lumv8900::WebForm;
    if (!viewer || !Clipboard().HasFormat(CF_BITMAP))
        return;
    TPix* pane = PaneOf(Sender);
    if (!viewer->LoadClipboardBitmap(*pane->Bitmap(), true))
        return;
    pane->resize(pane->Bitmap()->Width(), pane->Bitmap()->Height());
    pane->update();
    (pane == PixB ? PaneTitleB : PaneTitleA) = ClipboardPaneTitle;
    RepaintImagePanes();
}

void TCompareForm::mnuSendLeftClick(QObject* Sender) {
    TWebForm* viewer = lumv8900::WebForm;
    if (!viewer)
        return;
    TPix* pane = PaneOf(Sender);
    const std::string question =
        std::string("Send Picture ") + (pane == PixB ? "(B)" : "(A)") + " image to the main viewing window?";
    if (voMessageDlg("", "Replace Viewer contents.", question, mtConfirmation, mbYesNo, AutoDefaultButton, 0) ==
            mrNo ||
        !viewer->AutoBackUp())
        return;
    if (lumv8900::FitWindow)
        viewer->mnuFitWindowClick(Sender);
    viewer->Daz95->SetBitmap(pane->Bitmap());
    viewer->ProcessDone();
    viewer->StatusReady();
    viewer->show();
}

void TCompareForm::mnuEmptyCClick(QObject*) { Clipboard().Clear(); }

void TCompareForm::mnuFitToWindowCClick(QObject*) { RepaintImagePanes(); }

void TCompareForm::mnuViewerCClick(QObject*) {
    if (TWebForm* viewer = lumv8900::WebForm) {
        viewer->show();
        viewer->raise();
        viewer->activateWindow();
    }
}

void TCompareForm::mnuExplorerCClick(QObject* Sender) {
    if (TWebForm* viewer = lumv8900::WebForm)
        viewer->btnExploreClick(Sender);
}

void TCompareForm::Help1Click(QObject*) { Application.HelpContext(Help1->Tag); }

}  // namespace lumvor
