#include "app/comment_8900.h"

#include "imaging/JpegText.h"
#include "app/lumv8900.h"
#include "imaging/Helpers.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "ui/OpenDialogPlus.h"
#include "ui/voMsgBox.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace lumvor {

using namespace comment_8900;

namespace {

// LabelData's parts end with LF CR.
constexpr const char* LabelBreak = "\n\r";


std::string FileSizeText(const std::string& fileName) {
    std::error_code error;
    const auto size = std::filesystem::file_size(fileName, error);
    return error ? "0" : std::to_string(size);
}

// The file's date and time in the locale's short format.
std::string FileDateText(const std::string& fileName) {
    const QDateTime modified = QFileInfo(QString::fromStdString(fileName)).lastModified();
    return QLocale().toString(modified, QLocale::ShortFormat).toStdString();
}

// The memo's text with CR LF line ends, as the comment stores it.
std::string MemoText(const QPlainTextEdit& memo) {
    return memo.toPlainText().replace('\n', QStringLiteral("\r\n")).toStdString();
}

void ShowError(const std::string& text) {
    voMessageDlg("", "", text, mtError, ButtonBit(mbAbort), AutoDefaultButton, 0);
}

void ShowInformation(const std::string& text) {
    voMessageDlg("", "", text, mtInformation, mbOKOnly, AutoDefaultButton, 0);
}

// Writes bytes to target through a temporary file and gives it the permission
// bits source had, so that a private photo's backup and rewrite stay private.
void SaveWithPermissionsOf(TMemoryStream& bytes, const std::string& source, const std::string& target) {
    std::error_code error;
    const auto permissions = std::filesystem::status(source, error).permissions();
    bytes.SaveToFile(target);
    if (!error)
        std::filesystem::permissions(target, permissions, error);
}

TJpegBytes BufferBytes() {
    return TJpegBytes(CommentFileBuffer.Memory(), size_t(CommentFileBuffer.Size()));
}

}  // namespace

TRect CommentFormBounds(const TRect& Stored, int ScreenWidth, int ScreenHeight) {
    int64_t width = int64_t(Stored.Right) - Stored.Left;
    int64_t height = int64_t(Stored.Bottom) - Stored.Top;
    int64_t left = std::max(0, Stored.Left), top = std::max(0, Stored.Top);
    if (width > ScreenWidth || height > ScreenHeight || width < 64 || height < 64) {
        width = std::max(ScreenWidth / 2, 320);
        height = std::max(ScreenHeight / 2, 240);
        left = (ScreenWidth - width) / 2;
        top = (ScreenHeight - height) / 2;
    }
    if (left + width > ScreenWidth)
        left = (ScreenWidth - width) / 2;
    if (top + height > ScreenHeight)
        top = (ScreenHeight - height) / 2;
    left = std::max<int64_t>(left, 0);
    top = std::max<int64_t>(top, 0);
    return Rect(int(left), int(top), int(left + width), int(top + height));
}


// ---- The window

TLabelData::TLabelData(QWidget* parent) : QLabel(parent) {
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
}

void TLabelData::SetCaption(const std::string& Caption) {
    caption_ = Caption;
    QString shown = QString::fromStdString(Caption);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    shown.replace('\r', '\n');
    if (shown.endsWith('\n'))
        shown.chop(1);
    setText(shown);
}

TCommentForm::TCommentForm(QWidget* owner) : QMainWindow(owner, Qt::Window) {
    setObjectName("CommentForm");
    setWindowTitle("JPEG Text");
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(4);
    LabelData = new TLabelData(central);
    LabelData->setObjectName("LabelData");
    Memo1 = new QPlainTextEdit(central);
    Memo1->setObjectName("Memo1");
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    column->addWidget(LabelData);
    column->addWidget(Memo1, 1);
    setCentralWidget(central);
    BuildMenu();
    FormCreate();
}

TCommentForm::~TCommentForm() {
    if (CommentForm == this) {
        CommentForm = nullptr;
        lumv8900::CommentFormCreated = false;
    }
}

void TCommentForm::BuildMenu() {
    auto item = [this](const char* name, const char* caption, void (TCommentForm::*handler)()) {
        auto* action = new TMenuItem(caption, this);
        action->setObjectName(name);
        ConnectGuarded(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        return action;
    };
    QMenuBar* bar = menuBar();
    mnuRead = item("mnuRead", "&Read", &TCommentForm::mnuReadClick);
    mnuAddComments = item("mnuAddComments", "&Add text", &TCommentForm::mnuAddCommentsClick);
    Strip1 = new QMenu("&Strip", this);
    Strip1->setObjectName("Strip1");
    mnuStripALL = item("mnuStripALL", "&All extra info", &TCommentForm::mnuStripALLClick);
    mnuStripCOM = item("mnuStripCOM", "&Comments only", &TCommentForm::mnuStripCOMClick);
    Strip1->addAction(mnuStripALL);
    Strip1->addAction(mnuStripCOM);
    Exit1 = item("Exit1", "&Close", &TCommentForm::Exit1Click);
    mnuHelp = item("mnuHelp", "&Help", &TCommentForm::mnuHelpClick);
    mnuHelp->Tag = int(CommentHelpContext);
    bar->addAction(mnuRead);
    bar->addAction(mnuAddComments);
    bar->addMenu(Strip1);
    bar->addAction(Exit1);
    bar->addAction(mnuHelp);
}

void TCommentForm::FormCreate() {
    setWindowIcon(QGuiApplication::windowIcon());
    CommentForm = this;
    lumv8900::CommentFormCreated = true;
    CommentFileBuffer.Clear();
    CommentTextList.Clear();
    const TRect stored = StoredBounds(lumv8900::ViewerControls, vc::CommentBounds);
    const TRect bounds = CommentFormBounds(stored, Screen.Width(), Screen.Height());
    move(bounds.Left, bounds.Top);
    resize(bounds.Width(), bounds.Height());
}

void TCommentForm::FormActivate() {
    if (TWebForm* viewer = lumv8900::WebForm)
        viewer->OtherWindowActivated();
    Memo1->setFocus();
}

void TCommentForm::FormCloseQuery(bool& CanClose) {
    CanClose = lumv8900::ShutDown;
    StoreBounds(lumv8900::ViewerControls, vc::CommentBounds, Rect(x(), y(), x() + width(), y() + height()));
    if (!CanClose)
        hide();
}

void TCommentForm::FormClose() {
    CommentTextList.Clear();
    CommentFileBuffer.Clear();
    deleteLater();
}

void TCommentForm::closeEvent(QCloseEvent* event) {
    CloseThroughQuery(
        event, [this](bool& canClose) { FormCloseQuery(canClose); }, [this] { FormClose(); });
}

void TCommentForm::FormKeyUp(int& Key) {
    if (Key == Qt::Key_Escape) {
        Key = 0;
        close();
    }
}

void TCommentForm::keyReleaseEvent(QKeyEvent* event) {
    int key = event->key();
    Guarded([&] { FormKeyUp(key); });
    if (key != 0)
        QMainWindow::keyReleaseEvent(event);
}

void TCommentForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Guarded([this] { FormActivate(); });
}

void TCommentForm::Exit1Click() { close(); }

void TCommentForm::mnuHelpClick() { Application.HelpContext(mnuHelp->Tag); }

// ---- Reading

bool TCommentForm::ReadJpegText(const std::string& FileName, const std::string& ListFile) {
    if (!IsJpegName(FileName))
        return false;
    if (lumv8900::WebForm && lumv8900::WebForm->OpenDialog)
        lumv8900::WebForm->OpenDialog->SetInitialDir(ExtractFilePath(FileName));
    Memo1->clear();
    CommentTextList.Clear();
    setWindowTitle(QString::fromStdString(FileName).toLower());
    const std::vector<uint8_t> head = ReadJpegHead(FileName);
    if (!StartsWithSoi(head))
        throw EInvalidGraphic("Bad header; corrupted.");
    const TJpegTextData found = ReadJpegTextData(head, JpegTextNames());
    for (const std::string& line : ExifDisplayLines(found.ExifLines))
        CommentTextList.Add(line);
    if (found.CommentFound)
        CommentTextList.SetText(CommentTextList.Text() + found.Comments);
    QString shown = QString::fromStdString(CommentTextList.Text());
    Memo1->setPlainText(shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    if (!ListFile.empty())
        CommentTextList.SaveToFile(ListFile);
    return found.ExifFound || found.CommentFound;
}

std::string TCommentForm::PreviewViewText(const std::string& FileName) const {
    TOpenDialogPlus* dialog = lumv8900::WebForm ? lumv8900::WebForm->OpenDialog : nullptr;
    if (!dialog || !dialog->ImagePreload() || dialog->ImageFilename() != FileName)
        return "";
    return std::to_string(dialog->ImageWidth()) + " x " + std::to_string(dialog->ImageHeight()) + " (" +
           std::to_string(dialog->ImageBitsPixel()) + " bpp)";
}

void TCommentForm::LoadJpegText(const std::string& FileName) {
    if (FileName.empty()) {
        if (!SelectJPEGFile("Select file to read EXIF info and JPEG comments."))
            return;
    } else {
        CommentFileName = FileName;
    }
    ReadJpegText(CommentFileName, "");
    const std::string view = FileName.empty() ? PreviewViewText(CommentFileName) : lumv8900::ImageViewInfo;
    const std::string text = "Size: " + FileSizeText(CommentFileName) + " bytes" + LabelBreak + "Date: " +
                             FileDateText(CommentFileName) + LabelBreak + "View: " + view + LabelBreak;
    LabelData->SetCaption(text);
}

void TCommentForm::mnuReadClick() { LoadJpegText(""); }

// ---- Choosing the file and keeping the original

bool TCommentForm::SelectJPEGFile(const std::string& Title) {
    TOpenDialogPlus* dialog = lumv8900::WebForm ? lumv8900::WebForm->OpenDialog : nullptr;
    if (!dialog)
        return false;
    const std::string filter = dialog->Filter, title = dialog->Title, defaultExt = dialog->DefaultExt;
    dialog->Filter = "JPG (JPEG/JFIF)|*.jpg";
    dialog->Title = Title;
    dialog->DefaultExt = "jpg";
    const bool chosen = dialog->Execute();
    dialog->Filter = filter;
    dialog->Title = title;
    dialog->DefaultExt = defaultExt;
    if (!chosen)
        return false;
    CommentFileName = dialog->FileName();
    dialog->SetInitialDir(ExtractFilePath(CommentFileName));
    return true;
}

bool TCommentForm::MakeBackupCopy() {
    const std::string backup = ChangeFileExt(CommentFileName, ".bak");
    if (FileExists(backup)) {
        const std::string question = backup + " exists.\nOrignal file is copied to *.bak.\nOverwrite *.bak file?";
        if (voMessageDlg("", "", question, mtWarning, mbYesNo, AutoDefaultButton, 0) != mrYes)
            return false;
    }
    try {
        TMemoryStream original;
        original.LoadFromFile(CommentFileName);
        SaveWithPermissionsOf(original, CommentFileName, backup);
    } catch (const Exception&) {
        ShowError("Could not create backup.  Aborting.");
        return false;
    }
    return true;
}

bool TCommentForm::TrimBeforeJFIF() {
    const size_t junk = JpegLeadingJunk(BufferBytes());
    if (junk == 0)
        return false;
    const int64_t kept = CommentFileBuffer.Size() - int64_t(junk);
    std::memmove(CommentFileBuffer.Memory(), CommentFileBuffer.Memory() + junk, size_t(kept));
    CommentFileBuffer.SetSize(kept);
    return true;
}

// ---- Editing

bool TCommentForm::LoadCommentFile() {
    try {
        CommentFileBuffer.Clear();
        CommentFileBuffer.LoadFromFile(CommentFileName);
        TrimBeforeJFIF();
        if (StartsWithSoi(BufferBytes()))
            return true;
    } catch (const Exception&) {
    }
    Screen.SetCursor(crDefault);
    ShowError("File has bad JPEG markers.");
    return false;
}

void TCommentForm::WriteCommentFile(const std::vector<uint8_t>& Bytes) {
    CommentFileBuffer.Clear();
    CommentFileBuffer.WriteBuffer(Bytes.data(), int64_t(Bytes.size()));
    SaveWithPermissionsOf(CommentFileBuffer, CommentFileName, CommentFileName);
}

void TCommentForm::StripCommand(TJpegStrip Kind, const std::string& Title, const std::string& NoneText,
                                const std::string& RemovedText) {
    if (!SelectJPEGFile(Title))
        return;
    Screen.SetCursor(crHourGlass);
    if (!LoadCommentFile())
        return;
    const std::vector<uint8_t> stripped = StripJpegSegments(BufferBytes(), Kind);
    Screen.SetCursor(crDefault);
    const int64_t removed = CommentFileBuffer.Size() - int64_t(stripped.size());
    if (removed == 0) {
        ShowInformation(NoneText);
        return;
    }
    if (!MakeBackupCopy())
        return;
    WriteCommentFile(stripped);
    ShowInformation(RemovedText + std::to_string(removed) + " bytes");
}

void TCommentForm::mnuStripCOMClick() {
    StripCommand(TJpegStrip::Comments,
                 "Select file to remove JPEG comments. (Original will be copied to *.bak.)",
                 "No Comments found.\nFile unchanged.", "Comments removed:");
}

void TCommentForm::mnuStripALLClick() {
    StripCommand(TJpegStrip::AllExtra,
                 "Select file to remove ALL extra info. (Original will be copied to *.bak.)",
                 "No extra info found.\nFile unchanged.", "Extra info removed:");
}

void TCommentForm::mnuAddCommentsClick() {
    const std::string text = MemoText(*Memo1);
    if (text.size() > MaxJpegCommentBytes) {
        voMessageDlg("", "", "Comment too large (maximum 32000 characters).", mtWarning, mbOKOnly,
                     AutoDefaultButton, 0);
        return;
    }
    if (!SelectJPEGFile("Select file to insert JPEG comments. (Original will be copied to *.bak.)"))
        return;
    if (!MakeBackupCopy())
        return;
    setWindowTitle(QString::fromStdString(CommentFileName));
    if (!LoadCommentFile())
        return;
    WriteCommentFile(InsertJpegComment(BufferBytes(), text));
}

}  // namespace lumvor
