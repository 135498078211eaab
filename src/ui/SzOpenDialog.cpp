#include "ui/SzOpenDialog.h"

#include "platform/Forms.h"
#include "platform/SysUtils.h"
#include "ui/voMsgBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QDateTime>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHeaderView>
#include <QLocale>
#include <QScreen>
#include <QTreeView>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>

namespace lumvor {

namespace {

std::string ToStd(const QString& text) { return text.toStdString(); }
QString ToQ(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

// ---- THookedFileDialog

THookedFileDialog::THookedFileDialog(TAMCommonDialog* component, QWidget* parent)
    : QFileDialog(parent), component_(component) {
    setOption(QFileDialog::DontUseNativeDialog, true);
    // Overwrite and existence questions go through the program's message box.
    setOption(QFileDialog::DontConfirmOverwrite, true);
    setOption(QFileDialog::HideNameFilterDetails, true);
}

void THookedFileDialog::done(int result) {
    if (result == QDialog::Accepted && component_) {
        bool accept = true;
        Guarded([&] { accept = component_->DialogFileOk(); });
        if (!accept)
            return;
    }
    QFileDialog::done(result);
}

void THookedFileDialog::showEvent(QShowEvent* event) {
    QFileDialog::showEvent(event);
    if (!shown_ && component_) {
        shown_ = true;
        Guarded([&] { component_->DialogShown(); });
    }
}

void THookedFileDialog::resizeEvent(QResizeEvent* event) {
    QFileDialog::resizeEvent(event);
    if (shown_ && component_)
        Guarded([&] { component_->DialogResized(); });
}

QLineEdit* THookedFileDialog::FileNameEdit() const { return findChild<QLineEdit*>("fileNameEdit"); }

QAbstractButton* THookedFileDialog::OkButton() const {
    auto* box = findChild<QDialogButtonBox*>("buttonBox");
    if (!box)
        return nullptr;
    QAbstractButton* ok = box->button(QDialogButtonBox::Open);
    if (!ok)
        ok = box->button(QDialogButtonBox::Save);
    return ok;
}

QAbstractButton* THookedFileDialog::CancelButton() const {
    auto* box = findChild<QDialogButtonBox*>("buttonBox");
    return box ? box->button(QDialogButtonBox::Cancel) : nullptr;
}

QWidget* THookedFileDialog::FileList() const { return findChild<QStackedWidget*>("stackedWidget"); }

// ---- TAMCommonDialog

TAMCommonDialog::TAMCommonDialog(QObject* owner) : QObject(owner) {}

TAMCommonDialog::~TAMCommonDialog() {
    if (handle_)
        handle_->reject();
}

bool TAMCommonDialog::HelpRequested() {
    if (HelpContext == 0)
        return false;
    Application.HelpContext(HelpContext);
    return true;
}

void TAMCommonDialog::DialogShown() {
    DoShow();
    DialogResized();
}

void TAMCommonDialog::DialogDestroyed() { DoClose(); }

void TAMCommonDialog::DoClose() {
    if (OnClose)
        OnClose(this);
}

void TAMCommonDialog::DoShow() {
    if (OnShow)
        OnShow(this);
}

bool TAMCommonDialog::ModalRun(THookedFileDialog& dialog) {
    QPointer<QWidget> active = QApplication::activeWindow();
    handle_ = &dialog;
    const int result = ExecModal(dialog);
    DialogDestroyed();
    handle_ = nullptr;
    if (active)
        active->activateWindow();
    return result == QDialog::Accepted;
}

// ---- TSzOpenDialog

TSzOpenDialog::TSzOpenDialog(QObject* owner) : TAMCommonDialog(owner) {}

std::string TSzOpenDialog::FileName() const {
    if (handle_) {
        const QStringList files = handle_->selectedFiles();
        if (!files.isEmpty())
            return ToStd(files.first());
    }
    return fileName_;
}

int TSzOpenDialog::FilterIndex() const { return handle_ ? currentFilter_ : filterIndex_; }

void TSzOpenDialog::SetInitialDir(const std::string& dir) {
    std::string value = dir;
    const size_t n = value.size();
    if (n > 1 && (value[n - 1] == '/' || value[n - 1] == '\\') && value[n - 2] != ':')
        value.pop_back();
    initialDir_ = value;
}

QStringList TSzOpenDialog::NameFilters(const std::string& filter) {
    QStringList result;
    const QStringList parts = ToQ(filter).split('|');
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (QString pattern : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
            pattern = pattern.trimmed();
            // "*.*" lists every file, with or without an extension.
            if (pattern == "*.*")
                pattern = "*";
            for (const QString& form : {pattern, pattern.toLower(), pattern.toUpper()})
                if (!form.isEmpty() && !patterns.contains(form))
                    patterns << form;
        }
        // The description's own pattern list is shown in Qt's form ("*.jpg *.jpeg").
        QString description = parts[i];
        description.replace(';', ' ');
        result << description + " (" + patterns.join(' ') + ")";
    }
    return result;
}

void TSzOpenDialog::SetupDialog(THookedFileDialog& dialog, bool save) {
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode((Options & ofAllowMultiSelect) ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
    dialog.setWindowTitle(ToQ(!Title.empty() ? Title : save ? "Save As" : "Open"));
    dialog.setSizeGripEnabled((Options & ofEnableSizing) != 0);

    nameFilters_ = NameFilters(Filter);
    if (!nameFilters_.isEmpty()) {
        dialog.setNameFilters(nameFilters_);
        const int index = filterIndex_ >= 1 && filterIndex_ <= nameFilters_.size() ? filterIndex_ : 1;
        dialog.selectNameFilter(nameFilters_[index - 1]);
        currentFilter_ = index;
    } else {
        currentFilter_ = filterIndex_;
    }

    std::string defaultExt = DefaultExt;
    if (defaultExt.empty() && (Options & ofOldStyleDialog)) {
        defaultExt = ExtractFileExt(fileName_);
        if (!defaultExt.empty())
            defaultExt.erase(0, 1);
    }
    dialog.setDefaultSuffix(ToQ(defaultExt));

    QString dir = ToQ(initialDir_);
    const QFileInfo nameInfo(ToQ(fileName_));
    if (dir.isEmpty() && nameInfo.isAbsolute())
        dir = nameInfo.absolutePath();
    if (!dir.isEmpty())
        dialog.setDirectory(dir);
    if (!fileName_.empty())
        dialog.selectFile(nameInfo.isAbsolute() ? nameInfo.fileName() : ToQ(fileName_));

    if (PlacesBarWanted()) {
        QList<QUrl> places;
        for (auto location : {QStandardPaths::DesktopLocation, QStandardPaths::DocumentsLocation,
                              QStandardPaths::PicturesLocation, QStandardPaths::HomeLocation}) {
            const QString path = QStandardPaths::writableLocation(location);
            if (!path.isEmpty() && QFileInfo(path).isDir() && !places.contains(QUrl::fromLocalFile(path)))
                places << QUrl::fromLocalFile(path);
        }
        places << QUrl::fromLocalFile(QDir::rootPath());
        dialog.setSidebarUrls(places);
    } else if (QWidget* sidebar = dialog.findChild<QWidget*>("sidebar")) {
        sidebar->hide();
    }

    if (Options & ofShowHelp) {
        if (auto* box = dialog.findChild<QDialogButtonBox*>("buttonBox")) {
            QPushButton* help = box->addButton(QDialogButtonBox::Help);
            help->setText("&Help");
            ConnectGuarded(help, &QPushButton::clicked, this, [this] { HelpRequested(); });
        }
    }

    ConnectGuarded(&dialog, &QFileDialog::currentChanged, this, [this](const QString& path) {
        currentPath_ = ToStd(path);
        DoSelectionChange();
    });
    ConnectGuarded(&dialog, &QFileDialog::directoryEntered, this, [this] { DoFolderChange(); });
    ConnectGuarded(&dialog, &QFileDialog::filterSelected, this, [this, &dialog] {
        // The combo lists the filters in order, showing their texts without the patterns.
        auto* combo = dialog.findChild<QComboBox*>("fileTypeCombo");
        const int index = combo ? combo->currentIndex() + 1 : 0;
        if (index > 0 && index != currentFilter_) {
            currentFilter_ = index;
            DoTypeChange();
        }
    });

    CustomizeDialog(dialog);
    FitDialogToItsTexts(dialog);
}

// Widens what the dialog's texts need: the "Look in" box, the file type box's
// list and the columns of the detail view (names, sizes, types and dates).
void TSzOpenDialog::FitDialogToItsTexts(THookedFileDialog& dialog) {
    const QFontMetrics metrics = dialog.fontMetrics();
    const int pad = 3 * metrics.horizontalAdvance('M');
    if (auto* lookIn = dialog.findChild<QComboBox*>("lookInCombo"))
        lookIn->setMinimumWidth(22 * metrics.horizontalAdvance('M'));
    if (auto* types = dialog.findChild<QComboBox*>("fileTypeCombo")) {
        int widest = 0;
        for (int i = 0; i < types->count(); ++i)
            widest = std::max(widest, metrics.horizontalAdvance(types->itemText(i)));
        types->view()->setMinimumWidth(widest + pad);
    }
    int width = dialog.sizeHint().width();
    if (auto* details = dialog.findChild<QTreeView*>("treeView")) {
        QHeaderView* header = details->header();
        const QDateTime sample(QDate(2026, 12, 31), QTime(23, 59));
        const QString date = QLocale().toString(sample, QLocale::ShortFormat);
        header->setMinimumSectionSize(metrics.horizontalAdvance("Size") + pad);
        header->resizeSection(0, 24 * metrics.horizontalAdvance('n'));
        header->resizeSection(1, metrics.horizontalAdvance("999.9 KiB") + pad);
        header->resizeSection(2, metrics.horizontalAdvance("JPEG image") + pad);
        header->resizeSection(3, metrics.horizontalAdvance(date) + pad);
        // The list, beside whatever else the dialog shows, takes every column.
        width = std::max(width, header->length() + 2 * pad + (dialog.sizeHint().width() - details->sizeHint().width()));
    }
    QRect screen(0, 0, 1024, 768);
    if (const QScreen* where = dialog.screen())
        screen = where->availableGeometry();
    dialog.resize(std::min(std::max(dialog.width(), width), screen.width() - 16),
                  std::min(std::max(dialog.height(), 30 * metrics.height()), screen.height() - 48));
}

void TSzOpenDialog::ReadFileNames(const QStringList& names) {
    Files.Clear();
    if (Options & ofAllowMultiSelect) {
        for (const QString& name : names)
            Files.Add(ToStd(name));
        if (Files.Count() > 0)
            fileName_ = Files[0];
    } else {
        fileName_ = names.isEmpty() ? std::string() : ToStd(names.first());
        Files.Add(fileName_);
    }
}

bool TSzOpenDialog::RunDialog(bool save) {
    Files.Clear();
    THookedFileDialog dialog(this, Application.MainForm());
    SetupDialog(dialog, save);
    const bool accepted = ModalRun(dialog);
    ReleaseDialog(dialog);
    if (!accepted)
        return false;
    ReadFileNames(dialog.selectedFiles());
    const std::string ext = ExtractFileExt(fileName_);
    const bool different = !DefaultExt.empty() && UpperCase(ext) != UpperCase("." + DefaultExt);
    Options = different ? (Options | ofExtensionDifferent) : (Options & ~TOpenOptions(ofExtensionDifferent));
    filterIndex_ = currentFilter_;
    return true;
}

bool TSzOpenDialog::Execute() { return RunDialog(false); }

void TSzOpenDialog::DialogShown() {
    if (handle_)
        CenterWindow(*handle_);
    TAMCommonDialog::DialogShown();
}

bool TSzOpenDialog::DialogFileOk() {
    if (!handle_)
        return true;
    const QStringList names = handle_->selectedFiles();
    const bool save = handle_->acceptMode() == QFileDialog::AcceptSave;
    for (const QString& name : names) {
        const QFileInfo info(name);
        const std::string text = ToStd(name);
        if ((Options & ofPathMustExist) && !info.absoluteDir().exists()) {
            voMessageDlg("", "", text + "\nThe path does not exist.\nCheck the path and try again.",
                         mtWarning, mbOKOnly, AutoDefaultButton, 0);
            return false;
        }
        if (!info.exists()) {
            if (!save && (Options & ofFileMustExist)) {
                voMessageDlg("", "", text + "\nFile not found.\nPlease verify the correct file name was given.",
                             mtWarning, mbOKOnly, AutoDefaultButton, 0);
                return false;
            }
            if ((Options & ofCreatePrompt) &&
                voMessageDlg("", "", text + "\nThis file does not exist.\nDo you want to create it?",
                             mtConfirmation, mbYesNo, AutoDefaultButton, 0) != mrYes)
                return false;
        } else if (save && (Options & ofOverwritePrompt) &&
                   voMessageDlg("", "", text + " already exists.\nDo you want to replace it?", mtWarning,
                                mbYesNo, AutoDefaultButton, 0) != mrYes) {
            return false;
        }
    }
    ReadFileNames(names);
    const bool canClose = DoCanClose();
    Files.Clear();
    return canClose;
}

bool TSzOpenDialog::DoCanClose() {
    bool canClose = true;
    if (OnCanClose)
        OnCanClose(this, canClose);
    return canClose;
}

void TSzOpenDialog::DoSelectionChange() {
    if (OnSelectionChange)
        OnSelectionChange(this);
}

void TSzOpenDialog::DoFolderChange() {
    if (OnFolderChange)
        OnFolderChange(this);
}

void TSzOpenDialog::DoTypeChange() {
    if (OnTypeChange)
        OnTypeChange(this);
}

TRect TSzOpenDialog::StaticRect() const {
    if (!handle_)
        return {};
    if (Options & ofOldStyleDialog)
        return Rect(0, 0, handle_->width(), handle_->height());
    // The standard controls fill the dialog's own grid cells.
    QRect area;
    for (const char* name : {"lookInLabel", "lookInCombo", "splitter", "fileNameLabel", "fileNameEdit",
                             "fileTypeLabel", "fileTypeCombo", "buttonBox"})
        if (auto* control = handle_->findChild<QWidget*>(name); control && control->isVisibleTo(handle_))
            area |= QRect(control->mapTo(handle_, QPoint(0, 0)), control->size());
    return Rect(area.left(), area.top(), area.left() + area.width(), area.top() + area.height());
}

void CenterWindow(QWidget& window) {
    window.move((Screen.Width() - window.width()) / 2, (Screen.Height() - window.height()) / 3);
}

bool IsShortcutName(const std::string& name) {
    return name.size() >= 4 && UpperCase(name.substr(name.size() - 4)) == ".LNK";
}

}  // namespace lumvor
