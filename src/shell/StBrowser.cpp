#include "shell/StBrowser.h"

#include "platform/Forms.h"
#include "platform/ShellIcons.h"
#include "platform/Volumes.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWidget>

#include <memory>

namespace lumvor {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

TStBrowser::TStBrowser(QObject* Owner) : TStShellComponent(Owner) {}

TStBrowser::~TStBrowser() = default;

void TStBrowser::SetSelectedFolder(const std::string& Value) {
    selectedFolder_ = Value;
    if (selectedFolder_.size() > 1 && selectedFolder_.back() == '/') selectedFolder_.pop_back();
}

void TStBrowser::SetSpecialRootFolder(TStSpecialRootFolder Value) {
    CheckSpecialFolderVersion(Value, ShellVersion());
    specialRootFolder_ = Value;
    specialRootFolderID_ = SpecialFolderCSIDL(Value);
}

void TStBrowser::SetStatusText(const std::string& Value) {
    statusText_ = Value;
    if (statusLabel_) {
        statusLabel_->setText(Q(Value));
        statusLabel_->setVisible(true);
    }
}

void TStBrowser::SetOKEnabled(bool Value) {
    okEnabled_ = Value;
    if (okButton_) okButton_->setEnabled(Value);
}

void TStBrowser::Initialized() {
    if (!Caption.empty()) dialog_->setWindowTitle(Q(Caption));
    if (!selectedFolder_.empty()) {
        const QModelIndex index = model_->index(Q(selectedFolder_));
        if (index.isValid()) {
            tree_->setCurrentIndex(index);
            tree_->scrollTo(index);
        }
    }
    if (!statusText_.empty()) SetStatusText(statusText_);
    if (Position == bpScreenCenter) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = dialog_->frameGeometry();
            frame.moveCenter(screen->geometry().center());
            dialog_->move(frame.topLeft());
        }
    }
    if (OnShow) OnShow(this);
}

void TStBrowser::SelectionChanged(const std::string& path) {
    selectedFolder_ = path;
    if (edit_) edit_->setText(Q(ExtractFileName(path)));
    if (Options & boReturnOnlyDirs) SetOKEnabled(DirectoryExists(path));
    if (OnSelChanged) OnSelChanged(this);
}

bool TStBrowser::Execute() {
    if ((Options & (boShowFiles | boEditBox)) && ShellVersion() < 4.7)
        RaiseStError<EStShellError>(StConst::stscShellVersionError);

    // The root: a path, a special folder, or the whole file system.
    std::string root;
    if (specialRootFolder_ == sfNone) {
        if (!RootFolder.empty() && DirectoryExists(RootFolder)) root = RootFolder;
    } else {
        root = SpecialFolderPath(specialRootFolder_);
    }
    if (root.empty()) root = "/";

    QWidget* owner = qobject_cast<QWidget*>(parent());
    if (!owner) owner = Application.MainForm();
    QDialog dialog(owner);
    dialog.setObjectName("StBrowserDialog");
    dialog.setWindowTitle(QStringLiteral("Browse for Folder"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* text = new QLabel(Q(AdditionalText), &dialog);
    text->setWordWrap(true);
    layout->addWidget(text);
    auto* status = new QLabel(&dialog);
    status->setVisible(false);
    layout->addWidget(status);
    auto* model = new QFileSystemModel(&dialog);
    model->setFilter((Options & boShowFiles ? QDir::AllEntries : QDir::Dirs) | QDir::NoDotAndDotDot | QDir::AllDirs);
    model->setRootPath(Q(root));
    auto* tree = new QTreeView(&dialog);
    tree->setObjectName("tree");
    tree->setModel(model);
    tree->setRootIndex(model->index(Q(root)));
    tree->setHeaderHidden(true);
    for (int column = 1; column < model->columnCount(); ++column) tree->hideColumn(column);
    layout->addWidget(tree, 1);
    QLineEdit* edit = nullptr;
    if (Options & boEditBox) {
        edit = new QLineEdit(&dialog);
        edit->setObjectName("edit");
        layout->addWidget(edit);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    dialog.resize(320, 400);

    dialog_ = &dialog;
    tree_ = tree;
    model_ = model;
    statusLabel_ = status;
    edit_ = edit;
    okButton_ = buttons->button(QDialogButtonBox::Ok);
    okButton_->setEnabled(okEnabled_);
    struct Forget {
        TStBrowser* self;
        ~Forget() {
            self->dialog_ = nullptr;
            self->tree_ = nullptr;
            self->model_ = nullptr;
            self->statusLabel_ = nullptr;
            self->edit_ = nullptr;
            self->okButton_ = nullptr;
        }
    } forget{this};

    ConnectGuarded(tree->selectionModel(), &QItemSelectionModel::currentChanged, &dialog,
                   [this](const QModelIndex& current) {
                       if (current.isValid()) SelectionChanged(model_->filePath(current).toStdString());
                   });
    Initialized();

    std::string chosen;
    if (ExecModal(dialog) == QDialog::Accepted) {
        chosen = selectedFolder_.empty() ? root : selectedFolder_;
        // A folder typed into the edit box wins over the tree's selection.
        if (edit && !edit->text().isEmpty()) {
            const std::string typed = edit->text().toStdString();
            const std::string full = typed[0] == '/' ? typed : IncludeTrailingPathDelimiter(chosen) + typed;
            if (typed != ExtractFileName(chosen) && DirectoryExists(full)) chosen = NormalizePath(full);
        }
    }
    if (chosen.empty()) {
        displayName_.clear();
        imageIndex_ = 0;
        return false;
    }
    folder_ = chosen;
    const std::string label = MountPointOf(chosen) == chosen ? VolumeLabel(chosen) : std::string();
    displayName_ = !label.empty() ? label : chosen == "/" ? chosen : ExtractFileName(chosen);
    imageIndex_ = SystemIconIndex(chosen);
    return true;
}

}  // namespace lumvor
