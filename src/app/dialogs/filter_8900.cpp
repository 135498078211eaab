#include "app/dialogs/filter_8900.h"

#include "app/dialogs/FilterPreview.h"
#include "app/lumv8900.h"
#include "platform/ComCtrls.h"
#include "platform/Menus.h"
#include "processing/dialogs/FilterDlgModel.h"
#include "processing/script/LabState.h"
#include "ui/ExTrackBar.h"
#include "ui/FormParts.h"
#include "ui/Pix.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace lumvor {

using namespace filter_8900;
using lumv8900::WebForm;

namespace {

// What the window's frame adds to the client area in the sizes of the layout.
constexpr int kFrameWidth = 8;
constexpr int kFrameHeight = 34;
// Top of the controls below the panes.
constexpr int kLowerTop = 324;
// Height of a slider row: name, bar with its ticks, end texts.
constexpr int kRowHeight = 54;

// An answer a test queued for the running dialog.
std::optional<TFilterDlgResult> CannedAnswer;

QLabel* NewColorPanel(QWidget* parent, const char* name, const char* caption, const char* hint, QRect geometry) {
    QLabel* panel = Placed(new QLabel(caption, parent), name, geometry);
    panel->setAlignment(Qt::AlignCenter);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setAutoFillBackground(true);
    panel->setToolTip(hint);
    panel->hide();
    return panel;
}

void PaintPanel(QLabel* panel, TColor face, TColor text) {
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, QColorOf(face));
    palette.setColor(QPalette::WindowText, QColorOf(text));
    panel->setPalette(palette);
}

void MoveDown(QWidget* widget, int by) { widget->move(widget->x(), widget->y() + by); }

}  // namespace

TFilterDlgLayout FilterDlgLayoutFor(int ScreenWidth) {
    if (ScreenWidth >= 1920)
        return {1440, 688, 336, 672, 128};
    if (ScreenWidth >= 1280)
        return {1184, 560, 208, 416, 0};
    if (ScreenWidth > 800)
        return {928, 560, 80, 160, 0};
    return {};
}

// ---- The form

TFilterDlg::TFilterDlg(TFilterDlgModel& Model_, int ScreenWidth, QWidget* owner) : TModalForm(owner), Model(Model_) {
    setObjectName("FilterDlg");
    SetDialogFont(*this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    BuildControls();
    Widen(FilterDlgLayoutFor(ScreenWidth));
    ConnectControls();
    Model.OnTimerStart = [this] { Timer1->start(); };
    Model.OnTimerStop = [this] { Timer1->stop(); };
    Model.OnPreview = [this] { btnTestClick(); };
    Model.OnProcessMessages = [] { Application.ProcessMessages(); };
}

TFilterDlg::~TFilterDlg() {
    Model.OnTimerStart = Model.OnTimerStop = Model.OnPreview = Model.OnProcessMessages = nullptr;
    lumv8900::WorkBitmap.reset();
    lumv8900::FilterPreviewBitmap.reset();
}

void TFilterDlg::BuildControls() {
    chkScrollbars = Placed(new QCheckBox("Original image (actual view)", this), "chkScrollbars", QRect(8, 4, 368, 20));
    chkScrollbars->setToolTip("Check to view original image size");
    chkScrollbars->setChecked(true);
    ScrollBox1 = Placed(new QScrollArea(this), "ScrollBox1", QRect(8, 26, 368, 292));
    ScrollBox1->setBackgroundRole(QPalette::Dark);
    BeforePix = new TPix();
    BeforePix->setObjectName("BeforePix");
    BeforePix->setCursor(Screen.Cursors(4));
    ScrollBox1->setWidget(BeforePix);

    chkModifiedMask =
        Placed(new QCheckBox("Modified image (show mask only)", this), "chkModifiedMask", QRect(384, 4, 368, 20));
    chkModifiedMask->setToolTip("Uncheck to preview modification");
    chkModifiedMask->setEnabled(false);
    ScrollBox2 = Placed(new QScrollArea(this), "ScrollBox2", QRect(384, 26, 368, 292));
    ScrollBox2->setBackgroundRole(QPalette::Dark);
    ScrollBox2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    AfterPix = new TPix(ScrollBox2->viewport());
    AfterPix->setObjectName("AfterPix");

    FilterGroup = Placed(new QGroupBox("Method", this), "FilterGroup", QRect(8, kLowerTop, 168, 23));
    FilterGroup->hide();

    const char* rowNames[3] = {"", "2", "3"};
    for (size_t i = 0; i < 3; ++i) {
        const QString suffix = rowNames[i];
        QFrame* panel = Placed(new QFrame(this), "PanelFilter" + QString::number(i + 1),
                               QRect(182, kLowerTop + kRowHeight * int(i), 338, kRowHeight));
        PanelFilter[i] = panel;
        lblFilter[i] = Placed(new QLabel("&Filter", panel), "lblFilter" + suffix, QRect(2, 0, 160, 15));
        ScrollBarCustom[i] =
            Placed(new TExTrackBar(panel), "ScrollBarCustom" + QString::number(i + 1), QRect(0, 15, 268, 24));
        ScrollBarCustom[i]->SetLabels(false);
        ScrollBarCustom[i]->SetMin(2);
        ScrollBarCustom[i]->SetMax(255);
        ScrollBarCustom[i]->SetPosition(100);
        EditCustom[i] = Placed(new QLineEdit("0", panel), "EditCustom" + suffix, QRect(272, 16, 46, 22));
        lblFilter[i]->setBuddy(EditCustom[i]);
        UpDown[i] = Placed(new TUpDown(panel), "UpDown" + QString::number(i + 1), QRect(318, 16, 17, 22));
        UpDown[i]->SetAssociate(EditCustom[i]);
        // The end texts sit below the bar's ticks.
        LabelMin[i] = Placed(new QLabel("2", panel), "LabelMin" + suffix, QRect(2, 39, 132, 15));
        LabelMax[i] = Placed(new QLabel("255", panel), "LabelMax" + suffix, QRect(136, 39, 130, 15));
        LabelMax[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }

    ComboMaskType = Placed(new QComboBox(this), "ComboMaskType", QRect(182, kLowerTop + 3 * kRowHeight + 26, 120, 22));
    ComboMaskType->addItems({"Highlights", "Midtones", "Shadows"});
    ComboMaskType->hide();
    chkSyncRGB =
        Placed(new QCheckBox("Synchronize RGB sliders", this), "chkSyncRGB", QRect(184, kLowerTop + 3 * kRowHeight + 4, 240, 20));
    chkSyncRGB->setEnabled(false);
    chkAlternate = Placed(new QCheckBox("Inverse map", this), "chkAlternate", chkSyncRGB->geometry());
    chkAlternate->hide();
    btnReset = NewButton(this, "btnReset", "Reset", QRect(440, kLowerTop + 3 * kRowHeight + 2, 80, 25));

    PanelTip = Placed(new QFrame(this), "PanelTip", QRect(528, kLowerTop, 224, 132));
    PanelTip->setFrameShape(QFrame::Panel);
    PanelTip->setFrameShadow(QFrame::Sunken);
    QPalette tipPalette = PanelTip->palette();
    tipPalette.setColor(QPalette::Window, QColor(255, 255, 225));
    tipPalette.setColor(QPalette::WindowText, QColor(0, 0, 0));
    PanelTip->setPalette(tipPalette);
    PanelTip->setAutoFillBackground(true);
    lblTip = Placed(new QLabel(PanelTip), "lblTip", QRect(6, 4, 212, 124));
    lblTip->setWordWrap(true);
    lblTip->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblTip->setTextFormat(Qt::PlainText);

    PanelColor = NewColorPanel(this, "PanelColor", "Selected", "Current color selection", QRect(528, 462, 72, 25));
    PanelColorMask =
        NewColorPanel(this, "PanelColorMask", "Mask", "Click to change color of mask", QRect(604, 462, 72, 25));
    PanelColorMask->setCursor(Qt::PointingHandCursor);
    btnCurve = NewButton(this, "btnCurve", "E&Q Curve", QRect(680, 462, 72, 25));
    btnCurve->hide();
    MaskColorDialog = new QColorDialog(this);
    MaskColorDialog->setObjectName("MaskColorDialog");
    MaskColorDialog->setOption(QColorDialog::DontUseNativeDialog);

    btnOK = NewButton(this, "btnOK", "&Apply", QRect(528, 494, 72, 25));
    btnCancel = NewButton(this, "btnCancel", "Cancel", QRect(604, 494, 72, 25));
    SetCancelButton(*btnCancel);
    btnHelp = NewButton(this, "btnHelp", "&Help", QRect(680, 494, 72, 25));

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(FilterPreviewDelay);
}

void TFilterDlg::Widen(const TFilterDlgLayout& L) {
    setFixedSize(L.Width - kFrameWidth, L.Height - kFrameHeight);
    ScrollBox1->setGeometry(8, 26, 368 + L.PaneGrowth, 292 + L.Lower);
    ScrollBox2->setGeometry(384 + L.PaneGrowth, 26, 368 + L.PaneGrowth, 292 + L.Lower);
    chkScrollbars->resize(ScrollBox1->width(), chkScrollbars->height());
    chkModifiedMask->setGeometry(ScrollBox2->x(), 4, ScrollBox2->width(), 20);
    PanelTip->setGeometry(528, kLowerTop + L.Lower, 224 + L.TipGrowth, 132);
    lblTip->setGeometry(6, 4, PanelTip->width() - 12, PanelTip->height() - 8);
    for (QWidget* below : std::initializer_list<QWidget*>{btnCurve, PanelColor, PanelColorMask, btnOK, btnCancel,
                                                          btnHelp, FilterGroup, PanelFilter[0], PanelFilter[1],
                                                          PanelFilter[2], chkSyncRGB, chkAlternate, btnReset,
                                                          ComboMaskType})
        MoveDown(below, L.Lower);
    for (size_t i = 0; i < 3; ++i)
        rowTops_[i] = PanelFilter[i]->y();
}

namespace {

// The parts of a slider row for a panel Width wide: the bar, its edit and
// up-down at the right, the end texts below the bar's two halves.
void LayOutSliderRow(QFrame* panel, QWidget* bar, QWidget* edit, QWidget* upDown, QLabel* minLabel, QLabel* maxLabel,
                     int width) {
    const int barWidth = width - 70;
    panel->resize(width, panel->height());
    bar->setGeometry(0, 15, barWidth, 24);
    edit->move(barWidth + 4, edit->y());
    upDown->move(barWidth + 50, upDown->y());
    minLabel->setGeometry(2, 39, barWidth / 2 - 2, 15);
    maxLabel->setGeometry(barWidth / 2 + 2, 39, barWidth / 2 - 4, 15);
}

}  // namespace

void TFilterDlg::BuildGroupItems() {
    for (QRadioButton* item : FilterGroupItems)
        delete item;
    FilterGroupItems.clear();
    const int count = int(Model.GroupItems.size());
    int widest = 0;
    for (int i = 0; i < count; ++i) {
        auto* item = new QRadioButton(Q(Model.GroupItems[size_t(i)]), FilterGroup);
        widest = std::max(widest, item->sizeHint().width());
        item->setChecked(i == Model.GroupIndex);
        ConnectGuarded(item, &QRadioButton::clicked, this, [this, i] {
            Model.GroupItemClicked(i);
            ShowModel();
        });
        FilterGroupItems.push_back(item);
    }
    // A list whose texts do not fit widens; the slider rows give up the room.
    constexpr int kListWidth = 168, kItemLeft = 8, kMostWidening = 130;
    const int widening = std::clamp(widest + kItemLeft + 6 - kListWidth, 0, kMostWidening);
    FilterGroup->resize(kListWidth + widening, (count + 1) * 22 + 1);
    for (int i = 0; i < count; ++i) {
        FilterGroupItems[size_t(i)]->setGeometry(kItemLeft, 18 + 22 * i, FilterGroup->width() - kItemLeft - 4, 20);
        FilterGroupItems[size_t(i)]->show();
    }
    if (widening == 0)
        return;
    const int panelLeft = PanelFilter[0]->x() + widening;
    const int panelRight = PanelFilter[0]->x() + PanelFilter[0]->width();
    for (size_t i = 0; i < 3; ++i) {
        PanelFilter[i]->move(panelLeft, PanelFilter[i]->y());
        LayOutSliderRow(PanelFilter[i], ScrollBarCustom[i], EditCustom[i], UpDown[i], LabelMin[i], LabelMax[i],
                        panelRight - panelLeft);
    }
    // The check boxes below the rows move aside where the list reaches down to them.
    if (FilterGroup->y() + FilterGroup->height() > chkSyncRGB->y()) {
        const int left = chkSyncRGB->x() + widening;
        for (QCheckBox* box : {chkSyncRGB, chkAlternate})
            box->setGeometry(left, box->y(), btnReset->x() - 4 - left, box->height());
    }
}

void TFilterDlg::ConnectControls() {
    for (size_t i = 0; i < 3; ++i) {
        const int row = int(i);
        ConnectGuarded(ScrollBarCustom[i], &QSlider::valueChanged, this, [this, row](int value) {
            if (showing_)
                return;
            Model.SliderChanged(row, value);
            ShowModel();
        });
        ConnectGuarded(ScrollBarCustom[i], &QSlider::sliderReleased, this, [this, row] {
            Model.SliderMouseUp(row, false);
            ShowModel();
        });
        ScrollBarCustom[i]->installEventFilter(this);
        ConnectGuarded(EditCustom[i], &QLineEdit::textChanged, this, [this, row](const QString& text) {
            if (showing_)
                return;
            Model.EditChanged(row, text.toStdString());
            ShowModel();
        });
        EditCustom[i]->installEventFilter(this);
        UpDown[i]->OnMouseUp = [this, row](QObject*, TMouseButton, TShiftState, int, int) {
            Guarded([&] {
                Model.UpDownClicked(row, UpDown[size_t(row)]->Position());
                ShowModel();
            });
        };
    }
    ConnectGuarded(chkSyncRGB, &QCheckBox::toggled, this, [this](bool on) {
        if (!showing_)
            Model.SyncClicked(on);
    });
    ConnectGuarded(chkAlternate, &QCheckBox::clicked, this, [this](bool on) {
        Model.AlternateChecked = on;
        Model.Reset();
        ShowModel();
    });
    ConnectGuarded(chkModifiedMask, &QCheckBox::clicked, this, [this](bool on) { Model.MaskClicked(on); });
    ConnectGuarded(chkScrollbars, &QCheckBox::clicked, this, [this] { chkScrollbarsClick(); });
    ConnectGuarded(btnReset, &QPushButton::clicked, this, [this] {
        Model.Reset();
        ShowModel();
    });
    for (QScrollBar* bar : {ScrollBox1->horizontalScrollBar(), ScrollBox1->verticalScrollBar()})
        ConnectGuarded(bar, &QScrollBar::valueChanged, this, [this] {
            if (Model.ActualView && !Model.Closing)
                Model.StartTimer();
        });
    ConnectGuarded(btnCurve, &QPushButton::clicked, this, [this] {
        Model.CurveClicked();
        ShowModel();
    });
    PanelColorMask->installEventFilter(this);
    BeforePix->OnMouseUp = [this](QObject*, TMouseButton, TShiftState, int X, int Y) {
        Guarded([&] { BeforePixMouseUp(X, Y); });
    };
    ConnectGuarded(btnOK, &QPushButton::clicked, this, [this] {
        Model.Apply();
        done(mrOk);
    });
    ConnectGuarded(btnCancel, &QPushButton::clicked, this, [this] {
        Model.Cancel();
        done(mrCancel);
    });
    ConnectGuarded(btnHelp, &QPushButton::clicked, this, [this] { Application.HelpContext(Model.HelpContext); });
    ConnectGuarded(Timer1, &QTimer::timeout, this, [this] {
        Model.TimerTick();
        ShowModel();
    });
}

void TFilterDlg::ShowModel() {
    showing_ = true;
    const TFilterDlgModel& m = Model;
    for (size_t i = 0; i < 3; ++i) {
        const TFilterSlider& s = m.Sliders[i];
        PanelFilter[i]->setVisible(s.Visible);
        PanelFilter[i]->move(PanelFilter[i]->x(), rowTops_[size_t(m.RowPlaces[i])]);
        lblFilter[i]->setText(Q(s.Name));
        TExTrackBar* bar = ScrollBarCustom[i];
        bar->setRange(s.Min, s.Max);
        bar->SetPageSize(std::max(1, s.PageSize));
        bar->setSingleStep(std::max(1, s.LineSize));
        bar->SetFrequency(s.Frequency);
        bar->SetPosition(s.Position);
        // The up-down writes its edit: the edit's own text comes after it.
        UpDown[i]->SetMin(s.UpDownMin);
        UpDown[i]->SetMax(s.UpDownMax);
        UpDown[i]->SetPosition(s.UpDownPosition);
        if (EditCustom[i]->text().toStdString() != s.EditText)
            EditCustom[i]->setText(Q(s.EditText));
        LabelMin[i]->setText(Q(s.MinLabel));
        LabelMax[i]->setText(Q(s.MaxLabel));
    }
    FilterGroup->setVisible(m.GroupVisible);
    chkSyncRGB->setVisible(m.SyncVisible && !m.AlternateVisible);
    chkSyncRGB->setEnabled(m.SyncEnabled);
    chkSyncRGB->setChecked(m.SyncChecked);
    chkAlternate->setText(Q(m.AlternateCaption));
    chkAlternate->setVisible(m.AlternateVisible);
    chkAlternate->setEnabled(m.AlternateEnabled);
    chkAlternate->setChecked(m.AlternateChecked);
    chkModifiedMask->setEnabled(m.MaskEnabled);
    chkModifiedMask->setChecked(m.MaskChecked);
    btnReset->setVisible(m.ResetVisible);
    PanelColor->setVisible(m.ColorPanelsVisible);
    PanelColorMask->setVisible(m.ColorPanelsVisible);
    PaintPanel(PanelColor, m.SelectedColor, m.SelectedTextColor);
    PaintPanel(PanelColorMask, m.MaskColor, m.MaskTextColor);
    btnCurve->setText(Q(m.CurveCaption));
    btnCurve->setVisible(m.CurveVisible);
    for (size_t i = 0; i < FilterGroupItems.size(); ++i)
        FilterGroupItems[i]->setChecked(int(i) == m.GroupIndex);
    if (lblTip->text().toStdString() != m.Tip)
        lblTip->setText(Q(m.Tip));
    btnOK->setEnabled(m.OkEnabled);
    btnHelp->setProperty("Tag", m.HelpContext);
    setWindowTitle(Q(m.Caption));
    showing_ = false;
}

// ---- Activation and the views

void TFilterDlg::showEvent(QShowEvent* event) {
    TModalForm::showEvent(event);
    if (activated_)
        return;
    activated_ = true;
    Guarded([this] { FormActivate(); });
}

void TFilterDlg::FormActivate() {
    if (FilterDlgPos.Left != -1)
        move(FilterDlgPos.Left, FilterDlgPos.Top);
    else
        PlaceAt(-1, -1);
    const bool selecting = WebForm->chkSelectTool && WebForm->chkSelectTool->Checked();
    chkScrollbars->setChecked(selecting);
    Model.ActualView = selecting;
    ShowOriginal();
    if (selecting) {
        ScrollBox1->horizontalScrollBar()->setValue(std::max(0, lumv8900::LastSelection.Left));
        ScrollBox1->verticalScrollBar()->setValue(std::max(0, lumv8900::LastSelection.Top));
    }
    Model.SetupFilterGroupInterface();
    Model.SetupFilterInterface();
    BuildGroupItems();
    ShowModel();
    Model.StartTimer();
}

// The original pane: the picture at 100 % (actual view) or the fitted copy
// centred in the pane (fit view).
void TFilterDlg::ShowOriginal() {
    const TBitmap& picture = *WebForm->Daz95->Bitmap();
    if (Model.ActualView) {
        ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        ScrollBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        ScrollBox1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        lumv8900::FilterPreviewBitmap.reset();
        BeforePix->SetBitmap(&picture);
        BeforePix->resize(picture.Width(), picture.Height());
        AfterPix->move(0, 0);
        return;
    }
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox1->setAlignment(Qt::AlignCenter);
    const QSize client = ScrollBox1->maximumViewportSize();
    const TRect fit = FitViewRect(picture.Width(), picture.Height(), client.width(), client.height());
    lumv8900::FilterPreviewBitmap = std::make_unique<TBitmap>();
    StretchPictureNearest(picture, fit.Width(), fit.Height(), *lumv8900::FilterPreviewBitmap);
    BeforePix->SetBitmap(lumv8900::FilterPreviewBitmap.get());
    BeforePix->resize(fit.Width(), fit.Height());
    BeforePix->move(fit.Left, fit.Top);
}

void TFilterDlg::chkScrollbarsClick() {
    const bool actual = chkScrollbars->isChecked();
    if (!actual && Model.ActualView) {
        savedScrollLeft_ = ScrollBox1->horizontalScrollBar()->value();
        savedScrollTop_ = ScrollBox1->verticalScrollBar()->value();
    }
    Model.ActualView = actual;
    ShowOriginal();
    if (actual) {
        ScrollBox1->horizontalScrollBar()->setValue(savedScrollLeft_);
        ScrollBox1->verticalScrollBar()->setValue(savedScrollTop_);
    }
    Model.StartTimer();
}

// ---- The preview

void TFilterDlg::btnTestClick() {
    const TBitmap* shown = BeforePix->Bitmap();
    const QSize client = ScrollBox2->viewport()->size();
    const int width = std::min(shown->Width(), client.width());
    const int height = std::min(shown->Height(), client.height());
    const int left = Model.ActualView ? -BeforePix->x() : 0;
    const int top = Model.ActualView ? -BeforePix->y() : 0;
    TBitmap work;
    if (Model.ActualView)
        CopyPictureArea(*WebForm->Daz95->Bitmap(), left, top, width, height, work);
    else
        CopyPictureArea(*lumv8900::FilterPreviewBitmap, 0, 0, width, height, work);
    if (IsTwoImageMethod(Model.Method)) {
        lumv8900::WorkBitmap = std::make_unique<TBitmap>();
        const TBitmap empty;
        const TBitmap& duplicate = lumv8900::DuplicateBitmap ? *lumv8900::DuplicateBitmap : empty;
        if (Model.ActualView)
            CopyPictureArea(duplicate, left, top, width, height, *lumv8900::WorkBitmap);
        else
            StretchPictureNearest(duplicate, width, height, *lumv8900::WorkBitmap);
    }
    AfterPix->SetBitmap(&work);
    AfterPix->resize(width, height);
    AfterPix->move(Model.ActualView ? QPoint(0, 0) : BeforePix->pos());

    const std::array<int, 3> s = Model.Positions();
    SetFilterCustoms(s[0], s[1], s[2]);
    if (const TFilterPreviewRoutine* routine = FindFilterPreview(Model.Method)) {
        TFilterPreviewRun run{*WebForm, AfterPix};
        run.Method = Model.Method;
        run.S = s;
        run.Starts = Model.ResetPositions;
        run.MaskChecked = Model.MaskChecked;
        run.MaskEnabled = Model.MaskEnabled;
        run.AlternateChecked = Model.AlternateChecked;
        run.SelectedColor = Model.SelectedColor;
        run.MaskColor = Model.MaskColor;
        run.MaskValues = &Model.MaskValues;
        run.ShowDuplicateBitmap = [this] { ShowDuplicateBitmap(); };
        (*routine)(run);
    }
    AfterPix->update();
    Screen.SetCursor(crDefault);
}

void TFilterDlg::ShowDuplicateBitmap() {
    if (!lumv8900::WorkBitmap)
        return;
    AfterPix->SetBitmap(lumv8900::WorkBitmap.get());
    AfterPix->resize(lumv8900::WorkBitmap->Width(), lumv8900::WorkBitmap->Height());
    if (!Model.ActualView)
        AfterPix->move(BeforePix->pos());
    AfterPix->update();
}

// ---- Colours

void TFilterDlg::BeforePixMouseUp(int X, int Y) {
    const TBitmap* shown = BeforePix->Bitmap();
    if (shown->Empty() || X < 0 || Y < 0 || X >= shown->Width() || Y >= shown->Height())
        return;
    const uint32_t color = shown->Handle()->GetColor(X, Y);
    Model.Pick(uint8_t(color >> 16), uint8_t(color >> 8), uint8_t(color));
    ShowModel();
}

void TFilterDlg::PanelColorMaskClick() {
    const TColor current = Model.MaskColor;
    MaskColorDialog->setCurrentColor(QColor(GetRValue(current), GetGValue(current), GetBValue(current)));
    if (ExecModal(*MaskColorDialog) != QDialog::Accepted)
        return;
    const QColor chosen = MaskColorDialog->currentColor();
    Model.MaskColorChosen(uint8_t(chosen.red()), uint8_t(chosen.green()), uint8_t(chosen.blue()));
    ShowModel();
}

// ---- Keys and closing

bool TFilterDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PanelColorMask && event->type() == QEvent::MouseButtonRelease) {
        Guarded([this] { PanelColorMaskClick(); });
        return true;
    }
    for (size_t i = 0; i < 3; ++i) {
        if (watched == ScrollBarCustom[i] && event->type() == QEvent::FocusIn)
            Model.SliderEnter();
        if (watched != EditCustom[i])
            continue;
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
            break;
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (event->type() == QEvent::KeyRelease)
            return Model.EditKeyUp(enter);
        Model.EditKeyDown();
        if (!enter)
            break;
        Guarded([&] {
            Model.EditEnter(int(i));
            ShowModel();
        });
        return true;
    }
    return TModalForm::eventFilter(watched, event);
}

void TFilterDlg::done(int result) {
    FilterDlgPos = {x(), y()};
    Model.Busy = true;
    Model.StopTimer();
    Model.Closing = true;
    TModalForm::done(result);
}

// ---- Running the dialog

void ExecuteFilterDlg(const std::string& Caption, const std::string& MinLabel, const std::string& MaxLabel,
                      const TFilterDlgParam& Param, TFilterDlgResult& Result) {
    Result[ResultValue] = LabCancelled;
    TFilterDlgModel model;
    model.Open(Caption, MinLabel, MaxLabel, Param);
    // Without a picture there is nothing to preview: the dialog does not open.
    if (!WebForm || !WebForm->Daz95 || WebForm->Daz95->Bitmap()->Empty()) {
        model.Closing = true;
        return;
    }
    TFilterDlg form(model, Screen.Width());
    Application.ProcessMessages();
    model.Closing = false;
    CannedAnswer.reset();
    const int modalResult = ExecModal(form);
    if (CannedAnswer) {
        const TFilterDlgResult canned = *CannedAnswer;
        CannedAnswer.reset();
        model.Closing = true;
        if (canned[ResultValue] == LabCancelled) {
            Result[ResultValue] = LabCancelled;
            return;
        }
        Result = canned;
        SetFilterCustoms(canned[ResultCustom1], canned[ResultCustom2], canned[ResultCustom3]);
        return;
    }
    model.Finish(modalResult == mrOk, Result);
}

ModalAction FilterDlgAnswer(const TFilterDlgResult& Canned) {
    return [Canned](QDialog& dialog) {
        CannedAnswer = Canned;
        dialog.done(Canned[ResultValue] == LabCancelled ? mrCancel : mrOk);
    };
}

}  // namespace lumvor
