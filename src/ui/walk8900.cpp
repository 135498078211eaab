#include "ui/walk8900.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QStyle>
#include <QTreeWidgetItem>
#include <QVBoxLayout>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "state/SlideListing.h"
#include "state/AlbumSeam.h"
#include "state/AlbumState.h"
#include "state/ViewerState.h"
#include "ui/LongRun.h"
#include "state/ExplorerState.h"
#include "imaging/AvlScript.h"
#include "imaging/Helpers.h"
#include "platform/Folders.h"
#include "platform/Forms.h"
#include "platform/ShellIcons.h"
#include "platform/Streams.h"
#include "platform/Volumes.h"
#include "platform/SysUtils.h"
#include "shell/StShellItems.h"
#include "ui/ComboBoxEx.h"
#include "ui/LookBoxEx.h"
#include "ui/Status_y.h"
#include "ui/ToolBarEx.h"
#include "ui/TreeViewEx.h"
#include "ui/voMsgBox.h"

namespace lumvor {

using namespace walk8900;

namespace {

namespace fs = std::filesystem;

constexpr int kHelpContext = 250;
constexpr int kRolePath = Qt::UserRole;
constexpr const char* kPlaceholder = ".";
constexpr int kMinClientWidth = 330;
constexpr int kMinClientHeight = 240;

const char* const kCannotAccess = "Cannot access drive/folder.\nCheck device or security settings.";
const char* const kCriticalProcess = CriticalProcessText;
const char* const kListingAborted = "Slide listing aborted.";
const char* const kNetListNotice = NetworkListText;
const char* const kNetAccessNotice =
    "Authorised access to networked resources is assumed.\nPassword dialogs are NOT invoked for networked "
    "drives.  Continue?\n\nIgnore this dialog (for experts).";

constexpr uint16_t kOkCancelIgnore = ButtonBit(mbOK) | ButtonBit(mbCancel) | ButtonBit(mbIgnore);

bool IsNetworkPath(const std::string& path) {
    return path.size() >= 2 && path[0] == '/' && path[1] == '/';
}

// "//server/" with no shared folder below it.
bool IsBareServer(const std::string& path) {
    if (!IsNetworkPath(path)) return false;
    const std::string rest = RemoveBackslash(path.substr(2));
    return !rest.empty() && rest.find('/') == std::string::npos;
}

int Warning(const std::string& text, uint16_t buttons = mbOKOnly) {
    return voMessageDlg("", "", text, mtWarning, buttons, AutoDefaultButton, 0);
}

// True when inner is folder itself or lies inside it (paths with a trailing "/").
bool InsideFolder(const std::string& inner, const std::string& folder) {
    return !folder.empty() && inner.compare(0, folder.size(), folder) == 0;
}

// The real sub-folders of folder (not hidden, not links), sorted by name.
std::vector<std::string> SubFolders(const std::string& folder) {
    std::vector<std::string> out;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code ec2;
        if (name.empty() || name[0] == '.' || it->is_symlink(ec2) || !it->is_directory(ec2)) continue;
        out.push_back(AddBackslash(it->path().string()));
    }
    std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) {
        const int c = CompareText(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    return out;
}

}  // namespace

// ---- Creation

TWalkForm::TWalkForm(QWidget* owner, int Tag_, const std::string& Caption)
    : QDialog(owner), Tag(Tag_), caption_(Caption) {
    setObjectName("WalkForm");
    setFont(QFont("MS Sans Serif"));
    setWindowIcon(QApplication::windowIcon());
    setSizeGripEnabled(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    PanelEdit = new QWidget(this);
    PanelEdit->setObjectName("PanelEdit");
    auto* editLayout = new QHBoxLayout(PanelEdit);
    editLayout->setContentsMargins(2, 2, 2, 2);
    WalkBar = new TToolBarEx(PanelEdit);
    WalkBar->setObjectName("WalkBar");
    barImages_ = std::make_unique<TImageList>();
    for (QStyle::StandardPixmap icon :
         {QStyle::SP_FileDialogToParent, QStyle::SP_ArrowForward, QStyle::SP_FileDialogNewFolder})
        barImages_->Add(style()->standardIcon(icon).pixmap(16, 16));
    WalkBar->SetImages(barImages_.get());
    WalkBar->SetShowCaptions(true);
    WalkBar->SetList(true);
    btnUp = new TToolButtonEx(WalkBar, "btnUp");
    btnUp->SetCaption("Up");
    btnUp->setToolTip("Up one level");
    btnUp->SetImageIndex(0);
    btnGoto = new TToolButtonEx(WalkBar, "btnGoto");
    btnGoto->SetCaption("Go to");
    btnGoto->setToolTip("Locate specified folder");
    btnGoto->SetImageIndex(1);
    btnNewFolder = new TToolButtonEx(WalkBar, "btnNewFolder");
    btnNewFolder->SetCaption("");
    btnNewFolder->setToolTip("Create new folder");
    btnNewFolder->SetImageIndex(2);
    WalkBar->SetButtonWidth(60);
    editLayout->addWidget(WalkBar);
    MoveHistory = new TComboBoxEx(PanelEdit);
    MoveHistory->setObjectName("MoveHistory");
    editLayout->addWidget(MoveHistory, 1);
    layout->addWidget(PanelEdit);

    Tree = new TTreeViewEx(this);
    Tree->setObjectName("Tree");
    Tree->setRootIsDecorated(true);
    Tree->setIndentation(35);
    Tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Tree->setIconSize(QSize(16, 16));
    layout->addWidget(Tree, 1);

    WalkBox = new TLookBoxEx(this);
    WalkBox->setObjectName("WalkBox");
    WalkBox->setEnabled(false);
    WalkBox->hide();

    voStatusbarS = new QWidget(this);
    voStatusbarS->setObjectName("voStatusbarS");
    auto* buttons = new QHBoxLayout(voStatusbarS);
    buttons->setContentsMargins(4, 4, 4, 4);
    btnHelp = new QPushButton("&Help", voStatusbarS);
    btnHelp->setObjectName("btnHelp");
    btnStop = new QPushButton("&Stop", voStatusbarS);
    btnStop->setObjectName("btnStop");
    btnStop->setEnabled(false);
    btnCancel = new QPushButton("Cancel", voStatusbarS);
    btnCancel->setObjectName("btnCancel");
    btnOK = new QPushButton("&Ok", voStatusbarS);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    for (QPushButton* b : {btnHelp, btnStop, btnCancel, btnOK}) b->setAutoDefault(false);
    btnOK->setDefault(true);
    buttons->addWidget(btnHelp);
    buttons->addStretch(1);
    buttons->addWidget(btnStop);
    buttons->addWidget(btnCancel);
    buttons->addWidget(btnOK);
    layout->addWidget(voStatusbarS);

    StatusBarW = new QStatusBar(this);
    StatusBarW->setObjectName("StatusBarW");
    StatusBarW->setSizeGripEnabled(false);
    StatusPanel = new QLabel(StatusBarW);
    StatusBarW->addWidget(StatusPanel, 1);
    chkNetworkSupport = new QCheckBox("Show networked drives", StatusBarW);
    chkNetworkSupport->setObjectName("chkNetworkSupport");
    chkNetworkSupport->move(4, 4);
    chkNetworkSupport->adjustSize();
    chkNetworkSupport->setEnabled(false);
    StatusPanel->setIndent(chkNetworkSupport->width() + 8);
    StatusBarW->setMinimumHeight(chkNetworkSupport->height() + 8);
    layout->addWidget(StatusBarW);

    setMinimumSize(kMinClientWidth, kMinClientHeight);
    resize(419, 499);
    const TRect& b = WalkBounds;
    const int width = b.Right - b.Left, height = b.Bottom - b.Top;
    const QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                          : QRect(0, 0, 1024, 768);
    if (b.Top != -1 && width >= 320 && height >= 240 && screen.intersects(QRect(b.Left, b.Top, width, height)))
        setGeometry(b.Left, b.Top, width, height);
    else
        WalkBounds.Top = -1;

    // An empty or unreachable folder gives way to the root of the program's drive.
    if (WalkFolder.empty() || (!IsNetworkPath(WalkFolder) && !Reachable(WalkFolder))) WalkFolder = AppRoot();
    WalkBox->SetFolder(WalkFolder);
    WalkFolder = WalkBox->Folder();
    lastRoot_ = AddBackslash(MountPointOf(RemoveBackslash(WalkFolder)));
    for (int i = 0; i < lumv8900::FolderHistory.Count(); ++i)
        MoveHistory->addItem(QString::fromStdString(lumv8900::FolderHistory.At(i)));
    MoveHistory->SetText(WalkBox->Folder());

    WalkBox->OnChange = [this](QObject*) { WalkBoxChange(); };
    ConnectGuarded(btnUp, &QToolButton::clicked, this, [this] { btnUpClick(); });
    ConnectGuarded(btnGoto, &QToolButton::clicked, this, [this] { btnGotoClick(); });
    ConnectGuarded(btnNewFolder, &QToolButton::clicked, this, [this] { btnNewFolderClick(); });
    ConnectGuarded(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    ConnectGuarded(btnStop, &QPushButton::clicked, this, [this] { btnStopClick(); });
    ConnectGuarded(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
    ConnectGuarded(btnHelp, &QPushButton::clicked, this, [] { Application.HelpContext(kHelpContext); });
    ConnectGuarded(chkNetworkSupport, &QCheckBox::clicked, this, [this] { mnuNetworkSupportClick(); });
    ConnectGuarded(Tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* node) { TreeExpanding(node); });
    ConnectGuarded(Tree, &QTreeWidget::currentItemChanged, this,
                   [this](QTreeWidgetItem* node) { TreeChange(node); });
}

TWalkForm::~TWalkForm() {
    closing_ = true;
    WalkBox->Closing = true;
}

std::string TWalkForm::AppRoot() const {
    std::string root;
    GetPathRoot(ExeFolder(), root);
    return root;
}

void TWalkForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!activated_) {
        activated_ = true;
        Guarded([this] { FormActivate(); });
    }
}

void TWalkForm::FormActivate() {
    Screen.SetCursor(crDefault);
    const TRect& b = WalkBounds;
    if (b.Top != -1) setGeometry(b.Left, b.Top, b.Right - b.Left, b.Bottom - b.Top);
    if (Tag == 1) btnOK->setText("C&opy");
    if (Tag == 2) btnOK->setText("M&ove");
    BuildTree();
    chkNetworkSupport->setEnabled(xplr8900::EControls.Byte(70) != 0);
    setWindowTitle(QString::fromStdString(caption_ + WalkFolder));
}

void TWalkForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (width() < 340 && width() != kMinClientWidth) resize(kMinClientWidth, height());
}

// ---- Tree

void TWalkForm::BuildDrives() {
    drives_ = WalkBox->DriveMask;
    if (WalkBox->NetworkSupport()) {
        for (int i = 0; i < WalkBox->NetworkDrives().Count(); ++i)
            drives_.push_back(AddBackslash(WalkBox->NetworkDrives().At(i)));
    }
}

QTreeWidgetItem* TWalkForm::AddNode(QTreeWidgetItem* parent, const std::string& path, const std::string& caption,
                                    int image) {
    auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(Tree);
    node->setText(0, QString::fromStdString(caption));
    node->setData(0, kRolePath, QString::fromStdString(path));
    const QPixmap icon = SystemSmallImages().Image(image);
    if (!icon.isNull()) node->setIcon(0, QIcon(icon));
    return node;
}

void TWalkForm::BuildTree() {
    treeChanging_ = true;
    Tree->clear();
    BuildDrives();
    for (const std::string& drive : drives_) {
        std::string caption = RemoveBackslash(drive);
        int image = -1;
        try {
            const auto item = TStShellItem::CreateFromPath(drive);
            caption = item->DisplayName;
            image = item->ImageIndex;
        } catch (const Exception&) {
        }
        auto* node = AddNode(nullptr, drive, caption, image);
        new QTreeWidgetItem(node, QStringList(kPlaceholder));
    }
    treeChanging_ = false;
    SelectPath(WalkFolder);
}

void TWalkForm::FillNode(QTreeWidgetItem* node) {
    if (node->childCount() == 0 || node->child(0)->text(0) != kPlaceholder) return;
    delete node->takeChild(0);
    const std::string path = node->data(0, kRolePath).toString().toStdString();
    TStShellEnumerator shell;
    shell.Options = eoIncludeFolders;
    shell.SetRootFolder(path);
    try {
        shell.Enumerate();
    } catch (const Exception&) {
        return;
    }
    for (int i = 0; i < shell.Items.Count(); ++i) {
        const TStShellItem* item = shell.Items[i];
        if (!item->IsFolder) continue;
        auto* child = AddNode(node, AddBackslash(item->Path), item->DisplayName, item->ImageIndex);
        if (item->HasSubFolder()) new QTreeWidgetItem(child, QStringList(kPlaceholder));
    }
}

void TWalkForm::TreeExpanding(QTreeWidgetItem* Node) {
    if (Node) FillNode(Node);
}

void TWalkForm::CollapseToPlaceholder(QTreeWidgetItem* node) {
    node->setExpanded(false);
    while (node->childCount() > 0) delete node->takeChild(0);
    new QTreeWidgetItem(node, QStringList(kPlaceholder));
}

// Opens and selects the nodes along folder's path.
void TWalkForm::SelectPath(const std::string& folder) {
    treeChanging_ = true;
    QTreeWidgetItem* best = nullptr;
    // The top-level node with the longest root that holds folder.
    for (int i = 0; i < Tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* node = Tree->topLevelItem(i);
        const std::string root = node->data(0, kRolePath).toString().toStdString();
        if (InsideFolder(folder, root) &&
            (!best || root.size() > best->data(0, kRolePath).toString().toStdString().size()))
            best = node;
    }
    for (QTreeWidgetItem* node = best; node;) {
        const std::string path = node->data(0, kRolePath).toString().toStdString();
        if (path == folder) break;
        FillNode(node);
        node->setExpanded(true);
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < node->childCount() && !next; ++i) {
            const std::string childPath = node->child(i)->data(0, kRolePath).toString().toStdString();
            if (!childPath.empty() && InsideFolder(folder, childPath)) next = node->child(i);
        }
        if (!next) break;
        best = next;
        node = next;
    }
    if (best) {
        Tree->setCurrentItem(best);
        Tree->scrollToItem(best);
    }
    treeChanging_ = false;
}

void TWalkForm::TreeChange(QTreeWidgetItem* Node) {
    if (treeChanging_ || closing_ || !Node) return;
    std::string path = Node->data(0, kRolePath).toString().toStdString();
    if (path.empty()) return;
    // A node that is a link stands for the folder it leads to.
    std::error_code ec;
    if (fs::is_symlink(RemoveBackslash(path), ec)) {
        const fs::path target = fs::canonical(RemoveBackslash(path), ec);
        if (!ec) path = AddBackslash(target.string());
    }
    if (IsNetworkPath(path) && !chkNetworkSupport->isChecked()) return;
    if (!Reachable(path)) {
        Warning(kCannotAccess);
        return;
    }
    WalkFolder = path;
    WalkBox->SetFolder(path);
}

// ---- Look-in folder

bool TWalkForm::Reachable(const std::string& folder) const {
    return !folder.empty() && DirectoryExists(folder) && ::access(folder.c_str(), R_OK | X_OK) == 0;
}

void TWalkForm::CannotAccess(const std::string& folder) { Warning(std::string(kCannotAccess) + "\n\n" + folder); }

void TWalkForm::UpdateButtons() {
    const bool network = IsNetworkPath(WalkFolder);
    const bool writable = !network && ::access(WalkFolder.c_str(), W_OK) == 0;
    btnNewFolder->setEnabled(writable);
    // A copy or move needs a folder it can write into.
    if (Tag == 1 || Tag == 2) btnOK->setEnabled(writable);
}

void TWalkForm::WalkBoxChange() {
    const std::string folder = AddBackslash(WalkBox->Folder());
    if (!Reachable(folder)) {
        CannotAccess(folder);
        WalkBox->SetFolder(AppRoot());
        return;
    }
    WalkFolder = folder;
    // Leaving a drive folds its branch back to the placeholder.
    const std::string root = IsNetworkPath(folder) ? folder : AddBackslash(MountPointOf(RemoveBackslash(folder)));
    if (root != lastRoot_) {
        treeChanging_ = true;
        for (int i = 0; i < Tree->topLevelItemCount(); ++i) {
            QTreeWidgetItem* node = Tree->topLevelItem(i);
            if (!InsideFolder(folder, node->data(0, kRolePath).toString().toStdString()))
                CollapseToPlaceholder(node);
        }
        treeChanging_ = false;
        lastRoot_ = root;
    }
    SelectPath(folder);
    if (activated_) setWindowTitle(QString::fromStdString(caption_ + folder));
    MoveHistory->SetText(folder);
    UpdateButtons();
}

void TWalkForm::btnUpClick() {
    const std::string saved = WalkFolder;
    std::string parent;
    GetParentFolder(WalkFolder, parent);
    WalkFolder = AddBackslash(parent);
    if (Reachable(WalkFolder)) {
        WalkBox->SetFolder(WalkFolder);
    } else {
        CannotAccess(WalkFolder);
        WalkFolder = saved;
    }
}

void TWalkForm::btnGotoClick() {
    const std::string path = AddBackslash(Trim(MoveHistory->Text()));
    if (IsNetworkPath(path) && !chkNetworkSupport->isChecked()) return;
    if (Reachable(path)) {
        WalkFolder = path;
        WalkBox->SetFolder(path);
        return;
    }
    Warning("Cannot access folder:\n" + path +
            "\n\nCheck that the folder is visible in your network places\nand that you are authorised to access it.");
}

// ---- New folder

std::string TWalkForm::ProposeFolderName(const std::string& Folder) {
    const std::string base = AddBackslash(Folder);
    std::string name = "New Folder";
    for (int n = 2; fs::exists(fs::path(base + name)); ++n) name = "New Folder (" + std::to_string(n) + ")";
    return name;
}

void TWalkForm::btnNewFolderClick() {
    const std::string folder = AddBackslash(WalkBox->Folder());
    std::string name = ProposeFolderName(folder);
    const std::string caption = "Create " + name;
    const std::string prompt = folder + "\n\nEdit suggested name or click OK to proceed.";
    for (;;) {
        if (!voInputQuery(240, 60, kHelpContext, caption, prompt, name)) return;
        if ((folder + name).size() >= 256) {
            Warning("Pathname exceeds 255 characters. Please change.");
            continue;
        }
        if (name.find_first_of("\\/:*?\"<>|") != std::string::npos) {
            Warning("Illegal characters in name.\nPlease avoid using the following characters.\n\n"
                    " \\ / : * ? \" < > |");
            continue;
        }
        break;
    }
    const std::string path = folder + name;
    // An empty name, "." and ".." name no new folder.
    std::error_code ec;
    if (name.empty() || name == "." || name == ".." || !fs::create_directory(path, ec)) {
        Warning("Create folder failed.");
        return;
    }
    xplr8900::ExplorerDirty = true;
    QTreeWidgetItem* parent = Tree->currentItem();
    if (parent && parent->data(0, kRolePath).toString().toStdString() == folder) {
        FillNode(parent);
        QTreeWidgetItem* node = nullptr;
        for (int i = 0; i < parent->childCount() && !node; ++i)
            if (parent->child(i)->data(0, kRolePath).toString().toStdString() == AddBackslash(path))
                node = parent->child(i);
        if (!node) node = AddNode(parent, AddBackslash(path), name, WalkBox->ClosedFolderIcon);
        parent->setExpanded(true);
        Tree->setCurrentItem(node);  // selects the new folder through TreeChange
    } else {
        WalkFolder = AddBackslash(path);
        WalkBox->SetFolder(WalkFolder);
    }
}

// ---- OK

void TWalkForm::btnOKClick() {
    if (Tag >= 0 && Tag <= 2)
        mnuGotoFolder();
    else if (Tag == 9)
        mnuListSlideAlbum();
    else
        done(mrOk);
}

void TWalkForm::AddToHistory(const std::string& folder) {
    TStringList& history = lumv8900::FolderHistory;
    for (int i = 0; i < history.Count(); ++i)
        if (history.At(i) == folder) return;
    while (history.Count() >= MaxFolderHistory) history.Delete(0);
    history.Add(folder);
}

bool TWalkForm::AcceptFolder() {
    if (IsBusy) {
        Warning(kCriticalProcess);
        return false;
    }
    const std::string typed = AddBackslash(Trim(MoveHistory->Text()));
    if (!typed.empty() && typed != AddBackslash(WalkBox->Folder())) {
        if (!Reachable(typed)) {
            CannotAccess(typed);
            return false;
        }
        WalkFolder = typed;
    }
    if (IsNetworkPath(WalkFolder)) {
        if (IsBareServer(WalkFolder)) {
            Warning("Please select a shared folder from the server.\n" + WalkFolder);
            return false;
        }
        if (!lumv8900::NetPasswordWarned) {
            const int answer = Warning(kNetListNotice, kOkCancelIgnore);
            if (answer == mrIgnore) lumv8900::NetPasswordWarned = true;
            else if (answer != mrOk) return false;
        }
    }
    return true;
}

void TWalkForm::mnuGotoFolder() {
    if (!AcceptFolder()) return;
    AddToHistory(WalkFolder);
    done(mrOk);
}

// ---- Slide listing

void TWalkForm::ListFolder(const std::string& folder, TStream& names, int& filesScanned) {
    TStShellEnumerator shell;
    shell.Options = eoIncludeNonFolders;
    shell.SetRootFolder(folder);
    try {
        shell.Enumerate();
    } catch (const Exception&) {
        return;  // vanished or unreadable meanwhile
    }
    for (int i = 0; i < shell.Items.Count(); ++i) {
        const TStShellItem* item = shell.Items[i];
        ++filesScanned;
        if (item->IsFolder || !IsListableFile(item->Path)) continue;
        struct stat st {};
        if (::stat(item->Path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0) continue;
        TSlideRec rec;
        FillListedSlideRecord(rec, item->Path, st.st_size, st.st_mtim.tv_sec, show8900::SlideCount, 0);
        show8900::SlideStream->Write(&rec, sizeof rec);
        const std::string line = ChangeFileExt(item->Path, "") + "\r\n";
        names.Write(line.data(), int64_t(line.size()));
        ++show8900::SlideCount;
    }
}

void TWalkForm::mnuListSlideAlbum() {
    if (!AcceptFolder()) return;
    if (!show8900::EnsureAlbum().PopulateSlides_Begin(0)) {
        Warning(kListingAborted);
        return;
    }
    CancelPressed = 0;
    IsBusy = 1;
    busy_ = true;
    Screen.SetCursor(crHourGlass);
    btnStop->setEnabled(true);
    btnOK->setEnabled(false);
    const std::string thumbs = show8900::ThumbPath.empty() ? std::string() : AddBackslash(show8900::ThumbPath);
    bool aborted = false;
    try {
        TFileStream names(CatalogNFile, fmCreate);
        SetStatus("  Finding parent folders ...");
        std::vector<std::string> parents{WalkFolder};
        for (const std::string& sub : SubFolders(WalkFolder)) parents.push_back(sub);
        SetStatus("  " + std::to_string(parents.size()) + " parent folders found; finding sub-folders ...");
        Application.ProcessMessages();
        // Every folder in tree order: each parent followed by all its descendants.
        std::vector<std::string> folders{WalkFolder};
        for (size_t p = 1; p < parents.size() && !aborted; ++p) {
            std::vector<std::string> stack{parents[p]};
            while (!stack.empty()) {
                const std::string folder = stack.back();
                stack.pop_back();
                folders.push_back(folder);
                const auto subs = SubFolders(folder);
                stack.insert(stack.end(), subs.rbegin(), subs.rend());
            }
            Application.ProcessMessages();
            aborted = CancelPressed || lumv8900::AppQuitting;
        }
        SetStatus("  Total folders found: " + std::to_string(folders.size()));
        const uint32_t start = GetTickCount();
        int scanned = 0, filesScanned = 0;
        for (const std::string& folder : folders) {
            if (aborted) break;
            ++scanned;
            if (!InsideFolder(folder, thumbs)) ListFolder(folder, names, filesScanned);
            const double minutes = double(GetTickCount() - start) / 60000.0;
            std::string text = "  " + std::to_string(show8900::SlideCount) + " slides added.  ";
            if (minutes >= 0.02)
                text += " Scanned: " + std::to_string(scanned) +
                        "    Files/min: " + std::to_string(int64_t(filesScanned / minutes));
            SetStatus(text);
            Application.ProcessMessages();
            aborted = CancelPressed || lumv8900::AppQuitting;
        }
    } catch (...) {
        show8900::Album->PopulateSlides_Clear();
        IsBusy = 0;
        busy_ = false;
        Screen.SetCursor(crDefault);
        throw;
    }
    if (show8900::Album) {
        if (aborted)
            show8900::Album->PopulateSlides_Clear();
        else
            show8900::Album->PopulateSlides_End();
    }
    IsBusy = 0;
    busy_ = false;
    Screen.SetCursor(crDefault);
    btnStop->setEnabled(false);
    btnStop->setText("&Stop");
    btnOK->setEnabled(true);
    if (closing_) return;
    if (aborted) {
        CancelPressed = 0;
        SetStatus("");
        Warning(kListingAborted);
        return;
    }
    AddToHistory(WalkFolder);
    done(mrOk);
}

void TWalkForm::btnStopClick() {
    btnStop->setText("  Aborting ...");
    CancelPressed = 1;
}

// ---- Networked drives

std::vector<std::string> TWalkForm::NetworkPlaces() {
    std::vector<std::string> places;
    const std::string hood = SpecialFolderPath(sfNetHood);
    if (hood.empty()) return places;
    std::error_code ec;
    for (fs::directory_iterator it(hood, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name == "EntireNetwork" || name == "Entire Network") continue;
        std::error_code ec2;
        if (it->is_symlink(ec2)) {
            const fs::path target = fs::canonical(it->path(), ec2);
            if (ec2) {
                Warning("Cannot resolve the network place \"" + name + "\".\nPlease remove it from your network places.");
                continue;
            }
            places.push_back(RemoveBackslash(target.string()));
        } else {
            places.push_back("//" + name);
        }
    }
    return places;
}

void TWalkForm::mnuNetworkSupportClick() {
    if (chkNetworkSupport->isChecked()) {
        if (!lumv8900::NetPasswordWarned) {
            const int answer = Warning(kNetAccessNotice, kOkCancelIgnore);
            if (answer == mrIgnore) {
                lumv8900::NetPasswordWarned = true;
            } else if (answer != mrOk) {
                chkNetworkSupport->setChecked(false);
                return;
            }
        }
        Screen.SetCursor(crHourGlass);
        TStringList roots;
        for (const std::string& place : NetworkPlaces()) roots.Add(place);
        Screen.SetCursor(crDefault);
        WalkBox->SetNetworkDrives(roots);
        WalkBox->SetNetworkSupport(true);
    } else {
        if (IsNetworkPath(WalkFolder)) {
            WalkFolder = AddBackslash(ExeFolder());
            WalkBox->SetFolder(WalkFolder);
        }
        WalkBox->SetNetworkDrives(TStringList());
        WalkBox->SetNetworkSupport(false);
    }
    WalkBox->RefreshDrives();
    BuildTree();
}

// ---- Closing

void TWalkForm::btnCancelClick() {
    if (busy_) CancelPressed = 1;
    Application.ProcessMessages();
    closing_ = true;
    done(mrCancel);
}

void TWalkForm::reject() { Guarded([this] { btnCancelClick(); }); }

void TWalkForm::SetStatus(const std::string& text) { StatusPanel->setText(QString::fromStdString(text)); }

std::string TWalkForm::StatusText() const { return StatusPanel->text().toStdString(); }

bool ExecuteWalkForm(int Tag, const std::string& Caption, const std::string& InitialFolder) {
    WalkFolder = InitialFolder;
    TWalkForm form(Application.MainForm(), Tag, Caption);
    const int result = ExecModal(form);
    if (result == mrOk) {
        const QRect g = form.geometry();
        WalkBounds = TRect{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
    }
    return result == mrOk;
}

}  // namespace lumvor
