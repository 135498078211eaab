// The image window's components, and the routines of its other commands that
// are still to come.
#include "app/lumv8900.h"

#include "explorer/xplr8900.h"
#include "imaging/Helpers.h"
#include "platform/ComCtrls.h"
#include "platform/Jpeg.h"
#include "platform/Menus.h"
#include "platform/imgman/imgman.h"
#include "ui/OpenDialogPlus.h"
#include "ui/Pix.h"
#include "ui/SaveDialogEx.h"
#include "ui/ScrollBoxEx.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace lumvor {

using namespace lumv8900;

void TWebForm::BuildComponents() {
    resize(640, 480);
    BuildMenus();
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    BuildBars(central);
    column->addWidget(PanelTool);
    column->addWidget(PanelHistory);

    auto* middle = new QHBoxLayout();
    ScrollBox = new TScrollBoxEx(central);
    Daz95 = new TPix();
    ScrollBox->setWidget(Daz95);
    ScrollBox->setAlignment(Qt::AlignCenter);
    middle->addWidget(PanelSide);
    middle->addWidget(ScrollBox, 1);
    column->addLayout(middle, 1);
    setCentralWidget(central);

    StatusBar = new QStatusBar(this);
    setStatusBar(StatusBar);
    BuildStatusPanels();
    // A hidden text control the text display reuses.
    RichEdit = new QTextEdit(this);
    RichEdit->setGeometry(0, 0, 1, 1);
    RichEdit->hide();

    OpenDialog = new TOpenDialogPlus(this);
    SaveDialog = new TSaveDialogEx(this);
    Timer2 = new TTimer(this);
    Timer2->SetInterval(333);
    Timer2->SetEnabled(false);
    Timer2->SetOnTimer([this] { Timer2Timer(); });
    ConnectChrome();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        ConnectGuarded(screen, &QScreen::geometryChanged, this, [this, screen](const QRect& area) {
            DisplayChange(screen->depth(), area.width(), area.height());
        });
    BuildView();
}

// ---- Routines of the window's other commands.
//
// Until they are built, these record their call in PendingCalls and do the
// least that keeps the window's life correct.

void TWebForm::PendingCall(const std::string& Call) { PendingCalls.push_back(Call); }

int TWebForm::ReadImageHeader(bool) {
    // PENDING: header reading of every picture kind; only JPEG headers are read so far.
    if (!ExtInList(FileExt, ".JPEG.JPG", ""))
        return -1;
    try {
        JPEGImage->LoadFromFile(FileName);
    } catch (const Exception&) {
        return -1;
    }
    ImageWidth = JPEGImage->Width();
    ImageHeight = JPEGImage->Height();
    ImageBitCount = OriginalBitCount = JPEGImage->BitCount();
    PageCount = 1;
    ImgLibDecode = false;
    return 1;
}

void TWebForm::BtnOpenClick(QObject*) {
    // PENDING: opening a picture comes with the open command.
    PendingCall("BtnOpenClick " + FileName);
}

void TWebForm::BtnOpenEx(QObject*) {
    // PENDING: opening without the dialog comes with media playback and the open command.
    PendingCall("BtnOpenEx " + FileName);
}

void TWebForm::DragOpen(const std::string& Name) {
    // PENDING: dropped and handed-over files come with the open command.
    PendingCall("DragOpen " + Name);
}

void TWebForm::AV_UI(bool On) {
    // PENDING: media playback; switching media mode off only clears the flag.
    PendingCall(On ? "AV_UI on" : "AV_UI off");
    if (!On)
        MediaMode = false;
}

// stubs for opening a picture

void TWebForm::UpdateCaption() {
    // PENDING: the window caption for the picture comes with the open command.
    PendingCall("UpdateCaption");
}

// stubs for the colour maps of the editing commands

void TWebForm::SetGammaLUT(int Gamma, int Channel, int) {
    // PENDING: the channel look-up tables come with the colour-map commands; the slide shows unchanged.
    PendingCall("SetGammaLUT " + IntToStr(Gamma) + " " + IntToStr(Channel));
}

void TWebForm::ColorFilterBitmap(TBitmap&) {
    // PENDING: applying the look-up tables comes with the colour-map commands.
    PendingCall("ColorFilterBitmap");
}

// stubs for the opening (picture state, size text) and the view and chrome
// routines the information, print and scan commands call

bool TWebForm::ImportImgToBitmap(bool, bool KeepHandle) {
    // PENDING: the open command's rendering (palettes, gamma, view); the picture is copied at its depth.
    IMGINFO info{};
    if (ImgHandle == 0 || ImgGetInfoStruct(ImgHandle, &info) != 1)
        return false;
    TBitmap rendered;
    rendered.SetPixelFormat(DepthPixelFormat(info.Header.biBitCount));
    if (HPALETTE palette = ImgGetPalette(ImgHandle))
        rendered.SetPalette(palette);
    rendered.SetSize(info.Header.biWidth, info.Header.biHeight);
    if (ImgPrintImage(ImgHandle, rendered.Canvas(), Rect(0, 0, info.Header.biWidth - 1, info.Header.biHeight - 1),
                      0) != 1)
        return false;
    Daz95->SetBitmap(&rendered);
    Daz95->resize(rendered.Width(), rendered.Height());
    ImageWidth = rendered.Width();
    ImageHeight = rendered.Height();
    ImageBitCount = OriginalBitCount = info.Header.biBitCount;
    if (!KeepHandle) {
        ImgClose(ImgHandle);
        ImgHandle = 0;
    }
    return true;
}

void TWebForm::SetBitmap24() {
    // PENDING: depth changes of the display bitmap come with the open command.
    PendingCall("SetBitmap24");
}

void TWebForm::SetBitmap8() {
    // PENDING: depth changes of the display bitmap come with the open command.
    PendingCall("SetBitmap8");
}

void TWebForm::SetBitmap4() {
    // PENDING: depth changes of the display bitmap come with the open command.
    PendingCall("SetBitmap4");
}

// stubs for the recent documents

void TWebForm::AddToAppRecent(const std::string& Path) {
    // PENDING: links to visited folders in the recent folder.
    PendingCall("AddToAppRecent " + Path);
}

}  // namespace lumvor
