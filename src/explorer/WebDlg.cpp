#include "explorer/WebDlg.h"

#include "imaging/Helpers.h"
#include "platform/SysUtils.h"
#include "processing/files/SavePicture.h"
#include "ui/FormParts.h"
#include "ui/usrdlg_w.h"
#include "ui/voMsgBox.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace lumvor {

using namespace xplr8900;
using webdlg::WebDlgLoading;
using webdlg::WebDlgMode;

namespace {

constexpr int HelpContextWebOptions = 121;
constexpr int PreviewHeight = 190;
constexpr int SampleWidth = 64;
constexpr int SampleHeight = 48;
constexpr int DetailLineHeight = 14;
constexpr int ContactStripHeight = 22;
constexpr int CommentsExtra = 16;
// The link border of a thumbnail in the browsers of the time.
constexpr TColor LinkBorderColor = clPurple;

// Lines of a 3-D frame Width pixels wide inside Rect: top and left in Top,
// bottom and right in Bottom.
void Frame3D(QPainter& Painter, QRect Rect, TColor Top, TColor Bottom, int Width) {
    const QColor top = QColorOf(Top), bottom = QColorOf(Bottom);
    for (int i = 0; i < Width && Rect.width() > 1 && Rect.height() > 1; ++i) {
        Painter.fillRect(QRect(Rect.left(), Rect.top(), Rect.width() - 1, 1), top);
        Painter.fillRect(QRect(Rect.left(), Rect.top(), 1, Rect.height() - 1), top);
        Painter.fillRect(QRect(Rect.left(), Rect.bottom(), Rect.width(), 1), bottom);
        Painter.fillRect(QRect(Rect.right(), Rect.top(), 1, Rect.height()), bottom);
        Rect.adjust(1, 1, -1, -1);
    }
}

// A raised outer and a sunken inner line.
void BumpEdge(QPainter& Painter, const QRect& Rect) {
    Frame3D(Painter, Rect, clBtnHighlight, clBtnShadow, 1);
    Frame3D(Painter, Rect.adjusted(1, 1, -1, -1), clBtnShadow, clBtnHighlight, 1);
}

void CentredText(QPainter& Painter, const QRect& Rect, const std::string& Text) {
    Painter.drawText(Rect, Qt::AlignCenter | Qt::TextSingleLine, Q(Text));
}

QPushButton* Button(QWidget* owner, const char* name, const char* caption) {
    auto* button = new QPushButton(caption, owner);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QCheckBox* CheckBox(QWidget* owner, const char* name, const char* caption) {
    auto* box = new QCheckBox(caption, owner);
    box->setObjectName(name);
    return box;
}

QLineEdit* Edit(QWidget* owner, const char* name) {
    auto* edit = new QLineEdit(owner);
    edit->setObjectName(name);
    edit->setMinimumWidth(220);
    return edit;
}

std::string Quoted(const std::string& Text) { return "\"" + Text + "\""; }

}  // namespace

TColor ScaleColor(TColor Color, int Percent) {
    auto scale = [Percent](uint8_t byte) {
        return uint8_t(std::min<int64_t>(255, Round(byte * Percent / 100.0)));
    };
    return RGB(scale(GetRValue(Color)), scale(GetGValue(Color)), scale(GetBValue(Color)));
}

void TWebPaintBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (OnPaint) Guarded([&] { OnPaint(painter); });
}

TWebPreviewLayout WebPreviewLayout(const THTMLSet& Options, int BoxWidth, int Mode) {
    TWebPreviewLayout layout;
    const int border = Options.ThumbBorder();
    layout.CellWidth = SampleWidth + 2 * border + 7;
    layout.Count = std::max(0, BoxWidth / layout.CellWidth - 1);
    if (Mode > 0 && Mode < layout.Count) layout.Count = Mode;
    layout.Left = (BoxWidth - layout.Count * layout.CellWidth) / 2;
    layout.CellHeight = SampleHeight + 2 * border + 7;
    if (Options.FileDetails()) layout.CellHeight += 2 * DetailLineHeight;
    if (Options.ContactSheet()) layout.CellHeight += ContactStripHeight + 1;
    if (Options.ImageComments()) layout.CellHeight += CommentsExtra;
    return layout;
}

// ---- The dialog

TWebDlg::TWebDlg(QWidget* owner) : TModalForm(owner) {
    setObjectName("WebDlg");
    setWindowTitle("HTML Page Options");
    SetDialogFont(*this);
    BuildControls();
}

void TWebDlg::BuildControls() {
    auto* outer = new QVBoxLayout(this);
    outer->setSpacing(6);

    LabelTitle = new QLabel(this);
    LabelTitle->setObjectName("LabelTitle");
    LabelTitle->setAlignment(Qt::AlignCenter);
    LabelTitle->setAutoFillBackground(true);
    QFont titleFont = LabelTitle->font();
    titleFont.setPointSize(titleFont.pointSize() + 3);
    LabelTitle->setFont(titleFont);
    LabelTitle->setMinimumHeight(26);
    // The title and the preview read as one page.
    auto* page = new QVBoxLayout;
    page->setSpacing(0);
    outer->addLayout(page);
    page->addWidget(LabelTitle);
    TestFont = new TWebPaintBox(this);
    TestFont->setObjectName("TestFont");
    TestFont->setFixedHeight(PreviewHeight);
    TestFont->setMinimumWidth(640);
    // A miniature: the sample names fit the 64-pixel thumbnails.
    QFont small = TestFont->font();
    small.setPixelSize(10);
    TestFont->setFont(small);
    TestFont->OnPaint = [this](QPainter& p) { TestFontPaint(p); };
    page->addWidget(TestFont);

    auto* middle = new QHBoxLayout;
    outer->addLayout(middle);

    RadioPageType = new QGroupBox("Page T&ype", this);
    RadioPageType->setObjectName("RadioPageType");
    auto* radioLayout = new QVBoxLayout(RadioPageType);
    const char* items[] = {"Fixed image catalog", "Offline image catalog", "Internet Web Page"};
    for (int i = 0; i < 3; ++i) {
        PageTypeItems[i] = new QRadioButton(items[i], RadioPageType);
        PageTypeItems[i]->setObjectName(QString("PageType%1").arg(i));
        radioLayout->addWidget(PageTypeItems[i]);
        ConnectGuarded(PageTypeItems[i], &QRadioButton::clicked, this, [this] { RadioPageTypeClick(); });
    }
    radioLayout->addStretch();
    middle->addWidget(RadioPageType);

    auto* flags = new QVBoxLayout;
    chkFileDetails = CheckBox(this, "chkFileDetails", "&File details + table grid");
    chkImageComments = CheckBox(this, "chkImageComments", "Image comm&ents");
    chkContactSheet = CheckBox(this, "chkContactSheet", "Use Cont&act sheet(s)");
    chkNavButtons = CheckBox(this, "chkNavButtons", "&3D browse buttons");
    chkUseFrames = CheckBox(this, "chkUseFrames", "Use Fra&mes directory with catalogs");
    for (QCheckBox* box : {chkFileDetails, chkImageComments, chkContactSheet, chkNavButtons, chkUseFrames})
        flags->addWidget(box);
    flags->addStretch();
    middle->addLayout(flags);

    auto* buttons = new QGridLayout;
    btnPageColor = Button(this, "btnPageColor", "&Page color");
    btnPageFontColor = Button(this, "btnPageFontColor", "Fo&nt color");
    btnGridColor = Button(this, "btnGridColor", "&Grid color");
    btnPageBorder = Button(this, "btnPageBorder", "Image &border");
    btnGridBorder = Button(this, "btnGridBorder", "Grid bo&rder");
    btnPageTitle = Button(this, "btnPageTitle", "Page &Title");
    buttons->addWidget(btnPageColor, 0, 0);
    buttons->addWidget(btnPageFontColor, 1, 0);
    buttons->addWidget(btnGridColor, 2, 0);
    buttons->addWidget(btnPageBorder, 0, 1);
    buttons->addWidget(btnGridBorder, 1, 1);
    buttons->addWidget(btnPageTitle, 2, 1);
    LabelSize = new QLabel(this);
    LabelSize->setObjectName("LabelSize");
    LabelSize->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    btnPageWidth = Button(this, "btnPageWidth", "Page &Width");
    buttons->addWidget(LabelSize, 3, 0);
    buttons->addWidget(btnPageWidth, 3, 1);
    LabelThumbsPerPage = new QLabel("Thumbnails per Page -->", this);
    LabelThumbsPerPage->setObjectName("LabelThumbsPerPage");
    LabelThumbsPerPage->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    UpDownThumbs = new QSpinBox(this);
    UpDownThumbs->setObjectName("UpDownThumbs");
    UpDownThumbs->setRange(4, 9999);
    UpDownThumbs->setValue(16);
    // The number changes through the arrows only.
    UpDownThumbs->findChild<QLineEdit*>()->setReadOnly(true);
    buttons->addWidget(LabelThumbsPerPage, 4, 0);
    buttons->addWidget(UpDownThumbs, 4, 1);
    middle->addLayout(buttons);

    for (QPushButton* b : {btnPageColor, btnPageFontColor, btnGridColor})
        ConnectGuarded(b, &QPushButton::clicked, this, [this, b] { ColorButtonClick(b); });
    for (QPushButton* b : {btnPageBorder, btnGridBorder})
        ConnectGuarded(b, &QPushButton::clicked, this, [this, b] { BorderButtonClick(b); });
    ConnectGuarded(btnPageWidth, &QPushButton::clicked, this, [this] { btnPageWidthClick(); });
    ConnectGuarded(btnPageTitle, &QPushButton::clicked, this, [this] { btnPageTitleClick(); });
    ConnectGuarded(chkFileDetails, &QCheckBox::clicked, this, [this] { chkFileDetailsClick(); });
    ConnectGuarded(chkNavButtons, &QCheckBox::clicked, this, [this] { chkNavButtonsClick(); });
    ConnectGuarded(chkImageComments, &QCheckBox::clicked, this, [this] { chkImageCommentsClick(); });
    ConnectGuarded(chkContactSheet, &QCheckBox::clicked, this, [this] { chkContactSheetClick(); });
    ConnectGuarded(chkUseFrames, &QCheckBox::clicked, this,
                   [this](bool on) { HTMLset9.SetUseFrames(on); });
    ConnectGuarded(UpDownThumbs, &QSpinBox::valueChanged, this,
                   [this](int value) { HTMLset9.SetThumbsPerPage(value); });

    // The addresses of an Internet page.
    auto* urls = new QGridLayout;
    outer->addLayout(urls);
    LabelURL = new QLabel("Network &URL prefix -->", this);
    LabelURL->setObjectName("LabelURL");
    edtWebFolder = Edit(this, "edtWebFolder");
    LabelURL->setBuddy(edtWebFolder);
    chkHomeURL = CheckBox(this, "chkHomeURL", "&User Home URL -->");
    edtPageHome = Edit(this, "edtPageHome");
    chkBannerURL = CheckBox(this, "chkBannerURL", "Image ba&nner URL -- >");
    edtPageBanner = Edit(this, "edtPageBanner");
    LabelSubFolder = new QLabel("&Sub folder -->", this);
    LabelSubFolder->setObjectName("LabelSubFolder");
    edtSubFolder = Edit(this, "edtSubFolder");
    edtSubFolder->setMinimumWidth(120);
    LabelSubFolder->setBuddy(edtSubFolder);
    urls->addWidget(LabelURL, 0, 0);
    urls->addWidget(edtWebFolder, 0, 1);
    urls->addWidget(LabelSubFolder, 0, 2);
    urls->addWidget(edtSubFolder, 0, 3);
    urls->addWidget(chkHomeURL, 1, 0);
    urls->addWidget(edtPageHome, 1, 1, 1, 3);
    urls->addWidget(chkBannerURL, 2, 0);
    urls->addWidget(edtPageBanner, 2, 1, 1, 3);
    urls->setColumnStretch(1, 1);
    ConnectGuarded(chkHomeURL, &QCheckBox::clicked, this, [this] { chkHomeURLClick(); });
    ConnectGuarded(chkBannerURL, &QCheckBox::clicked, this, [this] { chkBannerURLClick(); });
    ConnectGuarded(edtWebFolder, &QLineEdit::textEdited, this,
                   [](const QString& text) { WebFolder = WithTrailingSlash(text.toStdString()); });
    ConnectGuarded(edtPageHome, &QLineEdit::textEdited, this,
                   [](const QString& text) { PageHome = text.toStdString(); });
    ConnectGuarded(edtPageBanner, &QLineEdit::textEdited, this,
                   [](const QString& text) { PageBanner = text.toStdString(); });
    ConnectGuarded(edtSubFolder, &QLineEdit::textEdited, this,
                   [](const QString& text) { WebThumbsFolder = text.toStdString(); });

    auto* bottom = new QHBoxLayout;
    outer->addLayout(bottom);
    chkLaunchBrowser = CheckBox(this, "chkLaunchBrowser", "&Launch Browser after");
    chkReviewSettings = CheckBox(this, "chkReviewSettings", "Always re&view settings");
    chkImagesOnly = CheckBox(this, "chkImagesOnly", "&Images only");
    ConnectGuarded(chkLaunchBrowser, &QCheckBox::clicked, this, [](bool on) { HTMLset9.SetLaunchBrowser(on); });
    ConnectGuarded(chkReviewSettings, &QCheckBox::clicked, this, [](bool on) { HTMLset9.SetReviewSettings(on); });
    ConnectGuarded(chkImagesOnly, &QCheckBox::clicked, this, [](bool on) { HTMLset9.SetImagesOnly(on); });
    for (QCheckBox* box : {chkLaunchBrowser, chkReviewSettings, chkImagesOnly})
        bottom->addWidget(box);
    bottom->addStretch();
    btnOK = Button(this, "btnOK", "&Ok");
    btnOK->setDefault(true);
    btnCancel = Button(this, "btnCancel", "&Cancel");
    btnHelp = Button(this, "btnHelp", "&Help");
    SetModalResult(*this, *btnCancel, mrCancel);
    SetCancelButton(*btnCancel);
    ConnectGuarded(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    ConnectGuarded(btnHelp, &QPushButton::clicked, this,
                   [] { Application.HelpContext(HelpContextWebOptions); });
    for (QPushButton* b : {btnOK, btnCancel, btnHelp})
        bottom->addWidget(b);
}

void TWebDlg::showEvent(QShowEvent* event) {
    TModalForm::showEvent(event);
    if (activated_) return;
    activated_ = true;
    Guarded([this] {
        WebDlgLoading = true;
        FormActivate();
        WebDlgLoading = false;
    });
}

int TWebDlg::PageTypeIndex() const {
    for (int i = 0; i < 3; ++i)
        if (!PageTypeItems[i]->isHidden() && PageTypeItems[i]->isChecked()) return i;
    return 0;
}

void TWebDlg::ImageCommentsRule() {
    const bool allowed = HTMLset9.FileDetails() && HTMLset9.InternetPage();
    chkImageComments->setEnabled(allowed);
    if (!allowed) {
        chkImageComments->setChecked(false);
        HTMLset9.SetImageComments(false);
    }
}

// A contact sheet has no file details, no borders and no page size of its own.
void TWebDlg::ContactSheetRule() {
    const bool free = !chkContactSheet->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{chkFileDetails, chkImageComments, btnGridBorder,
                                                            btnPageBorder, LabelThumbsPerPage, UpDownThumbs})
        control->setEnabled(free);
}

void TWebDlg::FormActivate() {
    THTMLSet& o = HTMLset9;
    std::string caption = "HTML Page Options";
    if (WebDlgMode > 0) caption += " - " + IntToStr(WebDlgMode) + " thumbnails";
    setWindowTitle(Q(caption));
    chkLaunchBrowser->setChecked(o.LaunchBrowser());
    chkReviewSettings->setChecked(o.ReviewSettings());
    chkImagesOnly->setChecked(o.ImagesOnly());
    chkUseFrames->setChecked(o.UseFrames());
    if (WebDlgMode == -2) {
        o.SetCatalogPage(true);
        PageTypeItems[2]->hide();
        edtSubFolder->setEnabled(false);
    }
    const bool internet = o.InternetPage();
    btnPageTitle->setEnabled(internet);
    std::string title = WebPageTitle;
    if (!internet) GetDriveCaption(title);
    LabelTitle->setText(Q(title));
    edtWebFolder->setText(Q(WebFolder));
    edtPageHome->setText(Q(PageHome));
    edtPageBanner->setText(Q(PageBanner));
    edtSubFolder->setText(Q(WebThumbsFolder));
    const std::string width = IntToStr(o.PageWidth());
    LabelSize->setText(Q(o.ContactSheet() ? "Size to " + width + " x " + IntToStr(o.PageWidth() * 75 / 100) + " -->"
                                          : "Size to " + width + " x nnnn -->"));
    if (WebDlgLoading) {
        chkNavButtons->setChecked(o.NavButtons());
        chkBannerURL->setChecked(o.BannerURL());
        chkContactSheet->setChecked(o.ContactSheet());
        PageTypeItems[o.PageTypeIndex()]->setChecked(true);
        if (o.PageTypeIndex() < 2) edtSubFolder->setEnabled(false);
        chkFileDetails->setChecked(o.FileDetails());
        chkHomeURL->setChecked(o.HomeURL());
        chkImageComments->setChecked(o.ImageComments());
    }
    ContactSheetRule();
    chkBannerURL->setEnabled(internet);
    chkHomeURL->setEnabled(internet);
    chkUseFrames->setEnabled(!internet);
    if (internet) {
        chkUseFrames->setChecked(false);
        o.SetUseFrames(false);
    }
    ImageCommentsRule();
    edtWebFolder->setVisible(internet);
    edtPageBanner->setVisible(internet && chkBannerURL->isChecked());
    edtPageHome->setVisible(internet && chkHomeURL->isChecked());
    LabelURL->setEnabled(internet);
    UpDownThumbs->setValue(std::clamp(o.ThumbsPerPage(), 4, 9999));
}

void TWebDlg::Repaint() {
    if (WebDlgLoading) return;
    TestFont->repaint();
}

// ---- Handlers

void TWebDlg::ColorButtonClick(QPushButton* Button) {
    // The dialog starts from a colour of the desktop scheme, not the setting.
    const TColor start = Button == btnPageColor ? clBtnHighlight : Button == btnPageFontColor ? clWindowText : clWindow;
    QColorDialog dialog(this);
    dialog.setObjectName("ColorDialog");
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    dialog.setCurrentColor(QColorOf(start));
    if (ExecModal(dialog) != QDialog::Accepted) return;
    const QColor chosen = dialog.currentColor();
    const TColor color = RGB(uint8_t(chosen.red()), uint8_t(chosen.green()), uint8_t(chosen.blue()));
    if (Button == btnPageColor) HTMLset9.SetPageColor(color);
    else if (Button == btnPageFontColor) HTMLset9.SetTextColor(color);
    else HTMLset9.SetGridColor(color);
    Repaint();
}

void TWebDlg::BorderButtonClick(QPushButton* Button) {
    const bool thumbs = Button == btnPageBorder;
    TXScrlDlgParam param;
    param.Min = 0;
    param.Max = 8;
    param.Position = thumbs ? HTMLset9.ThumbBorder() : HTMLset9.GridBorder();
    const int value = ExecuteXScrlDlg(thumbs ? "Set Thumbnails border to " : "Set Table grid border to ", "", "", param);
    if (value == XScrlCancelled) return;
    if (thumbs) HTMLset9.SetThumbBorder(value);
    else HTMLset9.SetGridBorder(value);
    Repaint();
}

void TWebDlg::btnPageWidthClick() {
    TXScrlDlgParam param;
    param.Min = 240;
    param.Max = 4096;
    param.Position = HTMLset9.PageWidth();
    param.LargeChange = 64;
    param.SmallChange = 16;
    const int32_t presets[6] = {640, 800, 1024, 1280, 1440, 1920};
    std::copy(std::begin(presets), std::end(presets), param.Presets);
    param.ShowPresets = 1;
    const int value = ExecuteXScrlDlg("Set Page Width to ", "", "", param);
    if (value == XScrlCancelled) return;
    HTMLset9.SetPageWidth(value);
    FormActivate();
    Repaint();
}

void TWebDlg::btnPageTitleClick() {
    voInputQuery(220, 60, 0, "Enter Page Title", "e.g., This Week`s Pictures", WebPageTitle);
    LabelTitle->setText(Q(WebPageTitle));
    Repaint();
}

void TWebDlg::chkFileDetailsClick() {
    HTMLset9.SetFileDetails(chkFileDetails->isChecked());
    ImageCommentsRule();
    Repaint();
}

void TWebDlg::chkNavButtonsClick() {
    HTMLset9.SetNavButtons(chkNavButtons->isChecked());
    Repaint();
}

void TWebDlg::chkImageCommentsClick() {
    HTMLset9.SetImageComments(chkImageComments->isChecked());
    Repaint();
}

void TWebDlg::chkHomeURLClick() {
    HTMLset9.SetHomeURL(chkHomeURL->isChecked());
    if (WebDlgLoading) return;
    FormActivate();
    Repaint();
}

void TWebDlg::chkBannerURLClick() {
    HTMLset9.SetBannerURL(chkBannerURL->isChecked());
    if (!WebDlgLoading) FormActivate();
}

void TWebDlg::chkContactSheetClick() {
    const bool sheet = chkContactSheet->isChecked();
    HTMLset9.SetContactSheet(sheet);
    if (sheet) {
        chkFileDetails->setChecked(false);
        HTMLset9.SetFileDetails(false);
    }
    ContactSheetRule();
    ImageCommentsRule();
    if (WebDlgLoading) return;
    if (HTMLset9.InternetPage()) {
        RadioPageTypeClick(true);
    } else {
        FormActivate();
    }
    Repaint();
}

std::string TWebDlg::PageTypeNote(int Index) const {
    const bool sheet = HTMLset9.ContactSheet();
    std::string text = sheet ? "This Contact sheet is designed for " : "This Web page is designed for ";
    if (Index == 0) {
        text += "image catalogs\n";
        text += WebDlgMode == -2 ? "of selected folder.  Use a NEW folder since all source\n"
                                   "images will be cataloged with a Table of Contents.\n"
                                 : "on your system.  Save HTML files to a common folder.\n";
        text += "Source images are referenced absolutely.  Thumbnails\nare NEVER overwritten.";
        if (!sheet) text += "  Contact sheets recommended.";
    } else if (Index == 1) {
        text += "CDROM catalogs.\n";
        text += WebDlgMode == -2 ? "For each sub-folder, _idx.htm files will be created\n"
                                 : "For each folder to be written to CD-R, save HTML file\n";
        text += "in the SAME folder with source images.  A " + Quoted(DefaultThumbsFolder) + "\n" +
                "sub-folder is created/overwritten.  You can upload\nthese catalogs to Web sites (see FAQ).";
    } else if (sheet) {
        text += "the Internet.\nSave the HTML file in the SAME folder with source\n"
                "images.  Images and Web page must be uploaded to\n"
                "the same location.  Upload thumbnails to " + Quoted(WebThumbsFolder) + "\n" +
                "sub-folder at same location on your site (see Help).";
    } else {
        text += "the Internet.\nSave the HTML file in a NEW folder - keeping source\n"
                "images separate.  The network URL prefix references\n"
                "source image location (where you will upload source\n"
                "images).  Upload thumbnails to " + Quoted(WebThumbsFolder) + " sub-folder\n" +
                "at same location on your site (see Help).";
    }
    return text + "\n\nAdvanced users can [Ignore] this message.";
}

void TWebDlg::RadioPageTypeClick(bool FromContactSheet) {
    const int index = PageTypeIndex();
    HTMLset9.SetPageTypeIndex(index);
    btnPageTitle->setEnabled(index == 2);
    if (WebDlgLoading) return;
    if (index < 2) WebThumbsFolder = DefaultThumbsFolder;
    FormActivate();
    edtSubFolder->setEnabled(index == 2 && WebDlgMode != -2);
    Repaint();
    const std::string note = PageTypeNote(index);
    if (!HTMLset9.PageTypeNoteSeen()) {
        const int answer = voMessageDlg("", "", note, mtInformation, ButtonBit(mbOK) | ButtonBit(mbIgnore),
                                        AutoDefaultButton, 0);
        if (answer == mrIgnore) HTMLset9.SetPageTypeNoteSeen(true);
    }
    if (FromContactSheet) return;
    Application.ProcessMessages();
    Repaint();
}

void TWebDlg::btnOKClick() {
    if (HTMLset9.InternetPage() && !HTMLset9.ContactSheet() && WebFolder == BareUrlPrefix) {
        voMessageDlg("", "", std::string("URL prefix should reference your site.\ne.g. http://") + SavePicture::MakerWebAddress +
                                 "/\n\nYou can leave it BLANK if full images\nare uploaded to same location with page.",
                     mtWarning, mbOKOnly, AutoDefaultButton, 0);
        return;
    }
    done(mrOk);
}

// ---- The preview

void TWebDlg::TestFontPaint(QPainter& Painter) {
    if (painting_) return;
    painting_ = true;
    struct TClear {
        bool& flag;
        ~TClear() { flag = false; }
    } clear{painting_};

    const THTMLSet& o = HTMLset9;
    QPalette titleColors = LabelTitle->palette();
    titleColors.setColor(QPalette::Window, QColorOf(o.PageColor()));
    titleColors.setColor(QPalette::WindowText, QColorOf(o.TextColor()));
    LabelTitle->setPalette(titleColors);

    const int width = TestFont->width(), height = TestFont->height();
    Painter.fillRect(TestFont->rect(), QColorOf(o.PageColor()));
    Painter.setFont(TestFont->font());
    Painter.setPen(QColorOf(o.TextColor()));

    const TWebPreviewLayout layout = WebPreviewLayout(o, width, WebDlgMode);
    const int top = TWebPreviewLayout::Top;
    if (o.FileDetails()) {
        QRect table(layout.Left - 5, top - 5, layout.Count * layout.CellWidth + 10, layout.CellHeight + 10);
        Painter.fillRect(table, QColorOf(o.GridColor()));
        const int grid = o.GridBorder();
        table.adjust(-grid, -grid, grid, grid);
        Frame3D(Painter, table, ScaleColor(o.PageColor(), 125), ScaleColor(o.PageColor(), 75), grid);
    }
    const int border = o.ThumbBorder();
    for (int n = 1; n <= layout.Count; ++n) {
        const QRect cell(layout.Left + (n - 1) * layout.CellWidth, top, layout.CellWidth, layout.CellHeight);
        const QRect thumb(cell.left() + TWebPreviewLayout::ThumbInset, cell.top() + TWebPreviewLayout::ThumbInset,
                          SampleWidth + 2 * border, SampleHeight + 2 * border);
        if (o.ContactSheet()) {
            Painter.fillRect(thumb, Qt::white);
            BumpEdge(Painter, thumb);
        } else {
            Painter.fillRect(thumb, QColorOf(LinkBorderColor));
        }
        const int margin = Random(10) | 2;
        Painter.fillRect(thumb.adjusted(margin, margin, -margin, -margin), Qt::white);
        const std::string name = "testpic" + IntToStr(n) + ".jpg";
        int below = thumb.bottom() + 2;
        if (o.FileDetails()) {
            Frame3D(Painter, cell, ScaleColor(o.PageColor(), 75), ScaleColor(o.PageColor(), 125), 2);
            CentredText(Painter, QRect(cell.left(), below, cell.width(), DetailLineHeight), name);
            CentredText(Painter, QRect(cell.left(), below + DetailLineHeight, cell.width(), DetailLineHeight),
                        IntToStr(Random(99)) + "KB");
            below += 2 * DetailLineHeight;
        }
        if (o.ContactSheet()) {
            const QRect strip(thumb.left(), below - 1, thumb.width(), ContactStripHeight);
            Painter.fillRect(strip, QColorOf(o.GridColor()));
            BumpEdge(Painter, strip);
            CentredText(Painter, strip, name);
        }
    }

    const int navHeight = TestFont->logicalDpiY() == 96 ? 20 : 24;
    const QRect nav((width - TWebPreviewLayout::NavWidth) / 2, height - TWebPreviewLayout::NavFromBottom,
                    TWebPreviewLayout::NavWidth, navHeight);
    Painter.fillRect(nav, QColorOf(o.NavButtons() ? clBtnFace : o.PageColor()));
    // Form buttons carry the button text colour, links the page's.
    if (o.NavButtons()) Painter.setPen(QColorOf(clBtnText));
    const bool home = o.HomeURL() || (o.ContactSheet() && o.CatalogPage());
    const char* labels[] = {"Back", home ? "Home" : "", "Next"};
    for (int i = 0; i < 3; ++i) {
        const QRect button(nav.left() + i * TWebPreviewLayout::NavButtonWidth, nav.top(),
                           TWebPreviewLayout::NavButtonWidth, navHeight);
        Frame3D(Painter, button, clBtnHighlight, clBtnShadow, 2);
        CentredText(Painter, button, labels[i]);
    }
}

// ---- Running the dialog

int ExecuteWebDlg(int Mode) {
    WebDlgMode = Mode;
    TWebDlg dialog;
    return ExecModal(dialog) == mrOk ? 1 : WebDlgCancelled;
}

}  // namespace lumvor
