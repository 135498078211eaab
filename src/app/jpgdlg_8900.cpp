#include "app/jpgdlg_8900.h"

#include "app/lumv8900.h"
#include "app/Spatial.h"
#include "imaging/Helpers.h"
#include "platform/Jpeg.h"
#include "platform/Menus.h"
#include "platform/SysUtils.h"
#include "ui/FormParts.h"
#include "ui/Pix.h"
#include "ui/SaveDialogEx.h"

#include <QCheckBox>
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

#include <algorithm>

namespace lumvor {

using namespace jpgdlg_8900;

namespace {

constexpr int kClientWidth = 760;
constexpr int kClientHeight = 526;
constexpr int kHelpContext = 115;

constexpr const char* kFirstTip =
    "1) Apply a pre-processing filter and check (or uncheck) advanced options (e.g., Subsample).\n"
    "2) Adjust JPEG Compression Setting to desired level. Click Test button to preview.\n"
    "3) Click SaveAs button to write the file.";

// Geometry of the controls that the screen width moves or widens.
struct TPlacement {
    int boxGrowth;  // both previews grow by this, and the right one moves by it
    int tipGrowth;
};

TPlacement PlacementFor(int screenWidth) {
    if (screenWidth >= 1280)
        return {208, 416};
    if (screenWidth > 800)
        return {80, 160};
    return {0, 0};
}

// The settings of the window's save dialog that Save As changes.
struct TSaveDialogSettings {
    std::string Title, Filter, DefaultExt, HiddenDefaultExt;
    int FilterIndex = 1;
    long HelpContext = 0;
    bool CanUseWizard = false, EnableScrollbar = false, EnableProgressive = false, HTML = false;
    TNotifyEvent OnTypeChange;
};

TSaveDialogSettings SettingsOf(const TSaveDialogEx& d) {
    return {d.Title,        d.Filter,          d.DefaultExt,        d.HiddenDefaultExt, d.FilterIndex(), d.HelpContext,
            d.CanUseWizard, d.EnableScrollbar, d.EnableProgressive, d.HTML,             d.OnTypeChange};
}

void ApplySettings(TSaveDialogEx& d, const TSaveDialogSettings& s) {
    d.Title = s.Title;
    d.Filter = s.Filter;
    d.DefaultExt = s.DefaultExt;
    d.HiddenDefaultExt = s.HiddenDefaultExt;
    d.SetFilterIndex(s.FilterIndex);
    d.HelpContext = s.HelpContext;
    d.CanUseWizard = s.CanUseWizard;
    d.EnableScrollbar = s.EnableScrollbar;
    d.EnableProgressive = s.EnableProgressive;
    d.HTML = s.HTML;
    d.OnTypeChange = s.OnTypeChange;
}

// The window's save dialog set up for Save As, and given back as it was. The
// tested bytes are final: the dialog's own compression controls and its
// hand-over to this dialog stay out of the way.
class TBorrowedSaveDialog {
public:
    explicit TBorrowedSaveDialog(TSaveDialogEx& dialog) : dialog_(dialog), kept_(SettingsOf(dialog)) {
        TSaveDialogSettings jpeg;
        jpeg.Title = "Save As";
        jpeg.Filter = "JPG (JPEG/JFIF)  24-bit color|*.jpg";
        jpeg.DefaultExt = "jpg";
        jpeg.HelpContext = kHelpContext;
        ApplySettings(dialog, jpeg);
    }
    ~TBorrowedSaveDialog() { ApplySettings(dialog_, kept_); }
    TBorrowedSaveDialog(const TBorrowedSaveDialog&) = delete;
    TBorrowedSaveDialog& operator=(const TBorrowedSaveDialog&) = delete;

private:
    TSaveDialogEx& dialog_;
    TSaveDialogSettings kept_;
};

// The hourglass for the life of the object.
class THourGlass {
public:
    THourGlass() { Screen.SetCursor(crHourGlass); }
    ~THourGlass() { Screen.SetCursor(crDefault); }
    THourGlass(const THourGlass&) = delete;
    THourGlass& operator=(const THourGlass&) = delete;
};

QLabel* NewLabel(QWidget* parent, const char* name, const QString& text, QRect geometry,
                 Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
    QLabel* label = Placed(new QLabel(text, parent), name, geometry);
    label->setAlignment(alignment);
    return label;
}

QScrollBar* NewScrollBar(QWidget* parent, const char* name, QRect geometry) {
    return Placed(new QScrollBar(Qt::Horizontal, parent), name, geometry);
}

QScrollArea* NewPreviewBox(QWidget* parent, const char* name, QRect geometry) {
    QScrollArea* box = Placed(new QScrollArea(parent), name, geometry);
    box->setBackgroundRole(QPalette::Dark);
    return box;
}

}  // namespace

// ---- Headless pieces

int CleanThreshold(int Strength) {
    if (Strength <= 0)
        return 255;
    return std::min(255, (255 / Strength) * 128 + 127);
}

int EncoderSmoothing(int Kind, int Strength) {
    return Kind == skParametric || Kind == skClean ? 0 : Strength;
}

void SmoothBeforeJpeg(TPix* Pix, int Kind, int Strength) {
    if (Strength == 0)
        return;
    if (Kind == skParametric)
        DeFocus(Pix, 255 - Strength);
    else if (Kind == skClean)
        SharpGaussianBlur5x5(Pix, CleanThreshold(Strength), Strength);
}

void EncodeJpegTest(TBitmap& Picture, const TJpegTestOptions& Options, TMemoryStream& Stream) {
    Stream.Clear();
    try {
        TJPEGImage jpeg;
        jpeg.SetGrayscale(false);
        jpeg.SetPixelFormat(jf24Bit);
        jpeg.Assign(Picture);
        jpeg.SetCompressionQuality(99);
        jpeg.SetProgressiveEncoding(Options.Progressive);
        jpeg.CompressJPEG(Options.Subsample, true, true, Options.Scale,
                          EncoderSmoothing(Options.Kind, Options.Strength));
        jpeg.SaveToStream(Stream);
        Stream.SetPosition(0);
        TJPEGImage decoded;
        decoded.SetPixelFormat(jf24Bit);
        decoded.LoadFromStream(Stream);
        decoded.DecodeInto(Picture);
    } catch (...) {
        Stream.Clear();
        throw;
    }
}

std::string ByteCountText(int64_t Count) {
    return Count == 0 ? "0 bytes" : FormatFloat("###,###,###,### bytes", double(Count));
}

std::string CompressionTipText(int64_t Raw, int64_t Compressed) {
    return "Original file size: " + ByteCountText(Raw) + "\n" + "Compressed size: " + ByteCountText(Compressed) +
           "\n" + "Compression ratio: " + std::to_string(Raw / Compressed) + "." +
           std::to_string(Raw * 10 / Compressed % 10) + " to 1";
}

std::string CompressionFailedTipText(int64_t Raw, const std::string& Reason) {
    return "Original file size: " + ByteCountText(Raw) + "\n" + "Compression failed: " + Reason;
}

std::string JpegSaveName(const std::string& Chosen) {
    const std::string ext = LowerCase(ExtractFileExt(Chosen));
    if (ext == ".jpg" || ext == ".jpeg")
        return Chosen;
    return ChangeFileExt(Chosen, ".jpg");
}

// ---- The form

TJPEGdialog::TJPEGdialog(QWidget* owner) : TModalForm(owner) {
    setObjectName("JPEGdialog");
    SetDialogFont(*this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle("Advanced JPEG Compression");
    TestStream = std::make_unique<TMemoryStream>();
    BuildControls();
    WidenForScreen(Screen.Width());
    TempBitmapName.clear();
    if (lumv8900::WebForm && lumv8900::WebForm->Daz95)
        TempBitmapName = lumv8900::WebForm->SaveTempBitmap(*lumv8900::WebForm->Daz95->Bitmap());
    btnOK->setText("Save &As");
    btnOK->setEnabled(false);
    btnCancel->setText("Close");
    lblTip->setText(kFirstTip);
}

TJPEGdialog::~TJPEGdialog() {
    TestStream.reset();
    if (!TempBitmapName.empty() && FileExists(TempBitmapName))
        DeleteFileNow(TempBitmapName);
}

void TJPEGdialog::BuildControls() {
    lblOriginal = NewLabel(this, "lblOriginal", " Original image", QRect(8, 4, 368, 16));
    ScrollBox1 = NewPreviewBox(this, "ScrollBox1", QRect(8, 22, 368, 310));
    BeforePix = new TPix();
    BeforePix->setObjectName("BeforePix");
    ScrollBox1->setWidget(BeforePix);
    lblCompressed = NewLabel(this, "lblCompressed", " Actual compressed image", QRect(384, 4, 368, 16));
    // The right preview does not scroll by itself: the timer keeps its picture
    // where the left one is scrolled to.
    ScrollBox2 = NewPreviewBox(this, "ScrollBox2", QRect(384, 22, 368, 310));
    ScrollBox2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    AfterPix = new TPix(ScrollBox2->viewport());
    AfterPix->setObjectName("AfterPix");

    grpSmoothing = Placed(new QGroupBox("&Smoothing filter", this), "grpSmoothing", QRect(8, 340, 120, 96));
    const char* kinds[3] = {"Standard", "Parametric", "Clean"};
    for (int i = 0; i < 3; ++i) {
        SmoothingItems[i] = new QRadioButton(kinds[i], grpSmoothing);
        SmoothingItems[i]->setObjectName(QString("grpSmoothing%1").arg(i));
        SmoothingItems[i]->setGeometry(10, 20 + 24 * i, 104, 22);
    }
    chkProgressive = Placed(new QCheckBox("&Progressive", this), "chkProgressive", QRect(12, 444, 116, 22));
    chkSubSample = Placed(new QCheckBox("S&ubsample", this), "chkSubSample", QRect(12, 468, 116, 22));

    lblFilter = NewLabel(this, "lblFilter", "&Filter", QRect(136, 342, 120, 18));
    ScrollBarCustom = NewScrollBar(this, "ScrollBarCustom", QRect(136, 364, 200, 18));
    ScrollBarCustom->setPageStep(10);
    EditCustom = Placed(new QLineEdit(this), "EditCustom", QRect(344, 362, 48, 22));
    lblFilter->setBuddy(EditCustom);
    LabelMin = NewLabel(this, "LabelMin", "0", QRect(136, 384, 100, 18));
    LabelMax = NewLabel(this, "LabelMax", "255", QRect(236, 384, 100, 18), Qt::AlignRight | Qt::AlignVCenter);

    GroupJPEG = Placed(new QGroupBox("&JPEG Compression Setting", this), "GroupJPEG", QRect(136, 410, 256, 80));
    ScrollBarJPG = NewScrollBar(GroupJPEG, "ScrollBarJPG", QRect(8, 26, 184, 18));
    ScrollBarJPG->setRange(1, 500);
    ScrollBarJPG->setPageStep(8);
    ScrollBarJPG->setValue(48);
    EditJPG = Placed(new QLineEdit(GroupJPEG), "EditJPG", QRect(200, 24, 48, 22));
    EditJPG->setText("48");
    LabelBest = NewLabel(GroupJPEG, "LabelBest", "1 (best)", QRect(8, 48, 90, 18));
    LabelSmallest = NewLabel(GroupJPEG, "LabelSmallest", "500 (smallest)", QRect(92, 48, 100, 18),
                             Qt::AlignRight | Qt::AlignVCenter);

    btnTest = NewButton(this, "btnTest", "&Test", QRect(400, 346, 88, 27));
    btnOK = NewButton(this, "btnOK", "Save &As", QRect(400, 380, 88, 27));
    btnCancel = NewButton(this, "btnCancel", "Close", QRect(400, 414, 88, 27));
    SetCancelButton(*btnCancel);
    btnHelp = NewButton(this, "btnHelp", "&Help", QRect(400, 448, 88, 27));

    PanelTip = Placed(new QFrame(this), "PanelTip", QRect(496, 340, 256, 178));
    PanelTip->setFrameShape(QFrame::Panel);
    PanelTip->setFrameShadow(QFrame::Sunken);
    QPalette tipPalette = PanelTip->palette();
    tipPalette.setColor(QPalette::Window, QColor(255, 255, 0));
    tipPalette.setColor(QPalette::WindowText, QColor(0, 0, 0));
    PanelTip->setPalette(tipPalette);
    PanelTip->setAutoFillBackground(true);
    lblTip = NewLabel(PanelTip, "lblTip", QString(), QRect(6, 4, 244, 170));
    lblTip->setWordWrap(true);
    lblTip->setTextFormat(Qt::PlainText);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(250);

    for (QScrollBar* bar : {ScrollBarCustom, ScrollBarJPG}) {
        ConnectGuarded(bar, &QScrollBar::valueChanged, this, [this, bar] { ScrollBarCustomChange(bar); });
        ConnectGuarded(bar, &QScrollBar::actionTriggered, this, [this] { ScrollBarCustomScroll(); });
        ConnectGuarded(bar, &QScrollBar::sliderMoved, this, [this] { ScrollBarCustomScroll(); });
    }
    for (QLineEdit* edit : {EditCustom, EditJPG}) {
        ConnectGuarded(edit, &QLineEdit::textChanged, this, [this, edit] { EditCustomChange(edit); });
        edit->installEventFilter(this);
    }
    ConnectGuarded(btnTest, &QPushButton::clicked, this, [this] { btnTestClick(); });
    ConnectGuarded(btnOK, &QPushButton::clicked, this, [this] { BtnOKClick(); });
    ConnectGuarded(btnCancel, &QPushButton::clicked, this, [this] { BtnCancelClick(); });
    ConnectGuarded(btnHelp, &QPushButton::clicked, this, [this] { btnHelpClick(); });
    ConnectGuarded(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
}

void TJPEGdialog::WidenForScreen(int ScreenWidth) {
    const TPlacement p = PlacementFor(ScreenWidth);
    ScrollBox1->setGeometry(8, 22, 368 + p.boxGrowth, 310);
    ScrollBox2->setGeometry(384 + p.boxGrowth, 22, 368 + p.boxGrowth, 310);
    PanelTip->setGeometry(496, 340, 256 + p.tipGrowth, 178);
    lblTip->setGeometry(6, 4, PanelTip->width() - 12, PanelTip->height() - 8);
    lblOriginal->setGeometry(ScrollBox1->x(), 4, ScrollBox1->width(), 16);
    lblCompressed->setGeometry(ScrollBox2->x(), 4, ScrollBox2->width(), 16);
    setFixedSize(kClientWidth + 2 * p.boxGrowth, kClientHeight);
}

int TJPEGdialog::SmoothingIndex() const {
    for (int i = 0; i < 3; ++i)
        if (SmoothingItems[i]->isChecked())
            return i;
    return -1;
}

void TJPEGdialog::SetSmoothingIndex(int Index) {
    SmoothingItems[Index >= 0 && Index < 3 ? Index : skStandard]->setChecked(true);
}

void TJPEGdialog::showEvent(QShowEvent* event) {
    TModalForm::showEvent(event);
    // Only the first activation loads the settings and the picture: later ones
    // (back from Save As) keep what the user has set.
    if (!activated_) {
        activated_ = true;
        Guarded([this] { FormActivate(); });
    }
}

void TJPEGdialog::FormActivate() {
    using lumv8900::JpegWizardSettings;
    Timer1->start();
    SetSmoothingIndex(JpegWizardSettings.Int(TJpegWizardSettings::SmoothingKindOffset));
    chkSubSample->setChecked(JpegWizardSettings.Flag(TJpegWizardSettings::SubsampleOffset));
    chkProgressive->setChecked(JpegWizardSettings.Flag(TJpegWizardSettings::ProgressiveOffset));
    ScrollBarJPG->setValue(JpegWizardSettings.Quality());
    TBitmap& before = *BeforePix->Bitmap();
    before.LoadFromFile(TempBitmapName);
    BeforePix->resize(before.Width(), before.Height());
    if (FileExists(TempBitmapName))
        DeleteFileNow(TempBitmapName);
    if (lumv8900::WebForm && lumv8900::WebForm->chkSelectTool && lumv8900::WebForm->chkSelectTool->Checked()) {
        ScrollBox1->horizontalScrollBar()->setValue(lumv8900::LastSelection.Left);
        ScrollBox1->verticalScrollBar()->setValue(lumv8900::LastSelection.Top);
    }
}

void TJPEGdialog::done(int result) {
    Guarded([this] { FormClose(); });
    TModalForm::done(result);
}

void TJPEGdialog::FormClose() {
    if (closed_)
        return;
    closed_ = true;
    using lumv8900::JpegWizardSettings;
    JpegWizardSettings.SetInt(TJpegWizardSettings::SmoothingKindOffset, SmoothingIndex());
    JpegWizardSettings.SetByte(3, 1);
    JpegWizardSettings.SetFlag(TJpegWizardSettings::SubsampleOffset, chkSubSample->isChecked());
    JpegWizardSettings.SetByte(2, 1);
    JpegWizardSettings.SetFlag(TJpegWizardSettings::ProgressiveOffset, chkProgressive->isChecked());
    JpegWizardSettings.SetInt(TJpegWizardSettings::SmoothingOffset, ScrollBarCustom->value());
    // Batch conversion reads the setting too; it is stored limited to 255.
    JpegWizardSettings.SetQuality(std::min(ScrollBarJPG->value(), 255));
    TestStream.reset();
    Timer1->stop();
    BeforePix->Bitmap()->Assign(nullptr);
    AfterPix->Bitmap()->Assign(nullptr);
}

// ---- Edits and scroll bars

void TJPEGdialog::ScrollBarCustomChange(QScrollBar* Sender) {
    if (Editing)
        return;
    QLineEdit* edit = Sender == ScrollBarJPG ? EditJPG : EditCustom;
    edit->setText(QString::number(Sender->value()));
}

void TJPEGdialog::ScrollBarCustomScroll() { Editing = false; }

void TJPEGdialog::EditCustomKeyDown() { Editing = true; }

bool TJPEGdialog::EditCustomKeyUp(int Key) {
    if (Key != Qt::Key_Return && Key != Qt::Key_Enter)
        return false;
    Editing = false;
    return true;
}

void TJPEGdialog::EditCustomChange(QLineEdit* Sender) {
    Editing = true;
    const bool jpg = Sender == EditJPG;
    QScrollBar* bar = jpg ? ScrollBarJPG : ScrollBarCustom;
    int32_t value = 0;
    if (!TryStrToInt(Sender->text().toStdString(), value)) {
        Sender->setText(QString::number(bar->value()));
        Editing = false;
        return;
    }
    const int high = jpg ? bar->maximum() : CustomMax;
    const int low = jpg ? 1 : CustomMin;
    if (value > high || value < low) {
        value = value > high ? high : low;
        Sender->setText(QString::number(value));
    }
    bar->setValue(value);
    Editing = false;
}

bool TJPEGdialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == EditCustom || watched == EditJPG) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            EditCustomKeyDown();
            // Enter only ends the typing (on its release); it presses no button.
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                return true;
        } else if (event->type() == QEvent::KeyRelease) {
            return EditCustomKeyUp(static_cast<QKeyEvent*>(event)->key());
        }
    }
    return TModalForm::eventFilter(watched, event);
}

// ---- Test and Save As

void TJPEGdialog::btnTestClick() { RunTest(); }

void TJPEGdialog::RunTest() {
    THourGlass hourGlass;
    const TBitmap& before = *BeforePix->Bitmap();
    const int64_t raw = int64_t(before.Width()) * before.Height() * 3;
    TBitmap& after = *AfterPix->Bitmap();
    after.Assign(&before);
    AfterPix->resize(after.Width(), after.Height());
    const int strength = ScrollBarCustom->value();
    const int kind = SmoothingIndex();
    SmoothBeforeJpeg(AfterPix, kind, strength);

    std::string failure;
    try {
        TJpegTestOptions options;
        options.Kind = kind;
        options.Strength = strength;
        options.Progressive = chkProgressive->isChecked();
        options.Subsample = chkSubSample->isChecked();
        options.Scale = ScrollBarJPG->value();
        EncodeJpegTest(after, options, *TestStream);
    } catch (const std::exception& e) {
        failure = e.what();
        if (failure.empty())
            failure = "unknown error";
    }
    const int64_t compressed = TestStream->Size();
    if (failure.empty() && compressed > 0) {
        lblTip->setText(Q(CompressionTipText(raw, compressed)));
        btnOK->setEnabled(true);
    } else {
        // Nothing tested can be saved: no data, no ratio, an empty preview.
        TestStream->Clear();
        after.Assign(nullptr);
        lblTip->setText(Q(CompressionFailedTipText(raw, failure)));
        btnOK->setEnabled(false);
    }
    AfterPix->resize(std::max(after.Width(), 1), std::max(after.Height(), 1));
    AfterPix->move(BeforePix->pos());
    AfterPix->update();
}

void TJPEGdialog::BtnOKClick() {
    setResult(mrNone);
    if (TestStream && TestStream->Size() > 0)
        SaveTestStream();
}

void TJPEGdialog::SaveTestStream() {
    using namespace lumv8900;
    TWebForm& form = *WebForm;
    if (!FolderExists(SaveDir)) {
        SaveDir = ExtractFilePath(form.History ? form.History->currentText().toStdString() : std::string());
        if (!FolderExists(SaveDir))
            SaveDir = AppDir;
    }
    SaveDir = IncludeTrailingPathDelimiter(SaveDir);

    TSaveDialogEx& dialog = *form.SaveDialog;
    TBorrowedSaveDialog borrowed(dialog);
    dialog.SetInitialDir(SaveDir);
    bool chosen = dialog.Execute();
    while (!chosen && dialog.ExecuteRecent) {
        dialog.SetInitialDir(EnsureRecentPath());
        dialog.SetFileName(ExtractFileName(dialog.FileName()));
        chosen = dialog.Execute();
    }
    if (!chosen)
        return;
    const std::string name = JpegSaveName(dialog.FileName());
    TestStream->SaveToFile(name);
    dialog.SetFileName(name);
    SaveDir = ExcludeTrailingPathDelimiter(ExtractFilePath(name));
}

void TJPEGdialog::BtnCancelClick() { done(mrCancel); }

void TJPEGdialog::btnHelpClick() { Application.HelpContext(kHelpContext); }

// ---- Previews

void TJPEGdialog::Timer1Timer() {
    if (TimerBusy)
        return;
    TimerBusy = true;
    if (AfterPix->pos() != BeforePix->pos())
        AfterPix->move(BeforePix->pos());
    TimerBusy = false;
}

void TJPEGdialog::chkScrollbarsClick() {
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ScrollBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    if (lumv8900::WebForm && lumv8900::WebForm->Daz95) {
        BeforePix->SetBitmap(lumv8900::WebForm->Daz95->Bitmap());
        BeforePix->resize(BeforePix->Bitmap()->Width(), BeforePix->Bitmap()->Height());
    }
    ScrollBox1->horizontalScrollBar()->setValue(SavedScrollLeft);
    ScrollBox1->verticalScrollBar()->setValue(SavedScrollTop);
}

// ---- Running the dialog

int ExecuteJPEGDialog(const std::string& Caption, const std::string& MinLabel, const std::string& MaxLabel,
                      const TFilterDlgParam& Param) {
    const TFilterDlgParam param = Param;
    TimerBusy = false;
    Editing = false;
    CustomMin = param.Min1;
    CustomMax = param.Max1;
    CustomPosition = param.Position1;
    auto form = std::make_unique<TJPEGdialog>();
    Application.ProcessMessages();
    form->ScrollBarCustom->setRange(param.Min1, param.Max1);
    if (param.CustomSliders != 0) {
        form->LabelMin->setText(Q(param.MinLabel1));
        form->LabelMax->setText(Q(param.MaxLabel1));
    } else {
        form->LabelMin->setText(Q(MinLabel.empty() ? IntToStr(param.Min1) : MinLabel));
        form->LabelMax->setText(Q(MaxLabel.empty() ? IntToStr(param.Max1) : MaxLabel));
    }
    form->ScrollBarCustom->setPageStep(param.PageSize1);
    form->ScrollBarCustom->setSingleStep(param.LineSize1);
    form->ScrollBarCustom->setValue(param.Position1);
    form->EditCustom->setText(QString::number(form->ScrollBarCustom->value()));
    form->btnOK->setEnabled(false);
    form->setWindowTitle(Q(Caption));
    if (TempBitmapName.empty())
        return -999;
    const int result = ExecModal(*form);
    return result == mrOk ? form->ScrollBarCustom->value() : -999;
}

}  // namespace lumvor
