#include "explorer/ShellProperties.h"

#include "imaging/Helpers.h"
#include "platform/Forms.h"
#include "platform/SysUtils.h"
#include "ui/FormParts.h"

#include <QDialogButtonBox>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMimeDatabase>
#include <QPushButton>
#include <QVBoxLayout>

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>
#include <vector>

namespace lumvor {

namespace {

QDateTime FromStatx(const struct statx_timestamp& stamp) {
    return QDateTime::fromMSecsSinceEpoch(int64_t(stamp.tv_sec) * 1000 + stamp.tv_nsec / 1000000);
}

std::string PermissionText(mode_t mode) {
    std::string text = S_ISDIR(mode) ? "d" : S_ISLNK(mode) ? "l" : "-";
    const char* letters = "rwxrwxrwx";
    for (int bit = 0; bit < 9; ++bit)
        text += (mode & (0400 >> bit)) ? letters[bit] : '-';
    if (mode & S_ISUID) text[3] = (mode & S_IXUSR) ? 's' : 'S';
    if (mode & S_ISGID) text[6] = (mode & S_IXGRP) ? 's' : 'S';
    if (mode & S_ISVTX) text[9] = (mode & S_IXOTH) ? 't' : 'T';
    char octal[8];
    std::snprintf(octal, sizeof octal, "%o", unsigned(mode & 07777));
    return text + " (" + octal + ")";
}

std::string UserName(uid_t uid) {
    std::vector<char> buffer(4096);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return found->pw_name;
    return std::to_string(uid);
}

std::string GroupName(gid_t gid) {
    std::vector<char> buffer(4096);
    struct group entry {};
    struct group* found = nullptr;
    if (getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return found->gr_name;
    return std::to_string(gid);
}

std::string WithThousands(int64_t value) {
    std::string digits = std::to_string(value);
    for (int at = int(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(size_t(at), ",");
    return digits;
}

std::string PluralText(int64_t count, const char* one, const char* many) {
    return WithThousands(count) + " " + (count == 1 ? one : many);
}

// One folder's entries: adds files to the totals and folders (on the same
// volume) to the folders still to read.
void CountEntries(const std::string& folder, dev_t volume, TFolderTotals& totals, std::vector<std::string>& pending) {
    const int fd = ::open(folder.empty() ? "/" : folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat st {};
        if (fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            ++totals.Folders;
            if (st.st_dev == volume)
                pending.push_back(folder + "/" + name);
            continue;
        }
        ++totals.Files;
        totals.Bytes += st.st_size;
    }
    closedir(dir);
}

// ---- The dialog

class TShellPropertiesDlg : public TModalForm {
public:
    TShellPropertiesDlg(const TPathProperties& properties, QWidget* owner) : TModalForm(owner) {
        setObjectName("ShellPropertiesDlg");
        SetDialogFont(*this);
        setWindowTitle(Q(properties.Name + " Properties"));
        auto* layout = new QVBoxLayout(this);
        layout->setSpacing(8);

        auto* head = new QHBoxLayout;
        auto* icon = new QLabel(this);
        icon->setPixmap(QFileIconProvider().icon(QFileInfo(Q(properties.Path))).pixmap(32, 32));
        head->addWidget(icon);
        head->addWidget(Value("NameValue", properties.Name), 1);
        layout->addLayout(head);

        grid_ = new QGridLayout;
        grid_->setHorizontalSpacing(12);
        grid_->setColumnStretch(1, 1);
        layout->addLayout(grid_);
        Line();
        Row("Type:", Plain("TypeValue", properties.TypeText));
        Row("Location:", Value("LocationValue", properties.Location));
        if (!properties.LinkTarget.empty())
            Row("Link to:", Value("LinkValue", properties.LinkTarget));
        sizeValue_ = Plain("SizeValue", properties.IsFolder ? "Counting ..." : PropertiesSizeText(properties.Size));
        Row("Size:", sizeValue_);
        if (properties.IsFolder) {
            containsValue_ = Plain("ContainsValue", "Counting ...");
            Row("Contains:", containsValue_);
        }
        Line();
        Row("Created:", Plain("CreatedValue", DateText(properties.Created)));
        Row("Modified:", Plain("ModifiedValue", DateText(properties.Modified)));
        Row("Accessed:", Plain("AccessedValue", DateText(properties.Accessed)));
        Line();
        Row("Permissions:", Plain("PermissionsValue", properties.Permissions));
        Row("Owner:", Plain("OwnerValue", properties.Owner));

        auto* buttons = new QDialogButtonBox(this);
        QPushButton* ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
        ok->setObjectName("btnOK");
        ok->setDefault(true);
        SetModalResult(*this, *ok, mrOk);
        SetCancelButton(*ok);
        layout->addStretch(1);
        layout->addWidget(buttons);
        setMinimumWidth(380);

        if (properties.IsFolder)
            StartCount(properties.Path);
    }

    ~TShellPropertiesDlg() override {
        cancel_ = true;
        if (counter_.joinable())
            counter_.join();
    }

private:
    QLineEdit* Value(const char* name, const std::string& text) {
        auto* edit = new QLineEdit(Q(text), this);
        edit->setObjectName(name);
        edit->setReadOnly(true);
        edit->setFrame(false);
        edit->setCursorPosition(0);
        // Read like the labels beside it, yet long paths scroll and can be copied.
        edit->setStyleSheet("QLineEdit { background: transparent; padding: 0px; margin-left: -2px; }");
        return edit;
    }
    QLabel* Plain(const char* name, const std::string& text) {
        auto* label = new QLabel(Q(text), this);
        label->setObjectName(name);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return label;
    }
    void Row(const char* caption, QWidget* value) {
        const int row = grid_->rowCount();
        grid_->addWidget(new QLabel(caption, this), row, 0, Qt::AlignLeft | Qt::AlignVCenter);
        grid_->addWidget(value, row, 1);
    }
    void Line() {
        auto* line = new QFrame(this);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        grid_->addWidget(line, grid_->rowCount(), 0, 1, 2);
    }
    static std::string DateText(const QDateTime& moment) {
        if (!moment.isValid())
            return "Not kept by this file system";
        return QLocale().toString(moment, "dddd, d MMMM yyyy, HH:mm:ss").toStdString();
    }
    void ShowTotals(const TFolderTotals& totals, bool done) {
        const std::string more = done ? "" : " ...";
        sizeValue_->setText(Q(PropertiesSizeText(totals.Bytes) + more));
        containsValue_->setText(Q(PropertiesContentText(totals) + more));
    }
    void StartCount(const std::string& folder) {
        counter_ = std::thread([this, folder] {
            auto post = [this](const TFolderTotals& totals, bool done) {
                QMetaObject::invokeMethod(
                    this, [this, totals, done] { ShowTotals(totals, done); }, Qt::QueuedConnection);
            };
            const TFolderTotals totals =
                CountFolder(folder, cancel_, [&post](const TFolderTotals& sofar) { post(sofar, false); });
            if (!cancel_)
                post(totals, true);
        });
    }

    QGridLayout* grid_ = nullptr;
    QLabel* sizeValue_ = nullptr;
    QLabel* containsValue_ = nullptr;
    std::atomic<bool> cancel_{false};
    std::thread counter_;
};

}  // namespace

bool ReadPathProperties(const std::string& Path, TPathProperties& Properties) {
    const std::string path = Path == "/" ? Path : ExcludeTrailingPathDelimiter(Path);
    struct statx st {};
    if (path.empty() ||
        statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &st) != 0)
        return false;
    Properties = {};
    Properties.Path = path;
    Properties.Name = path == "/" ? "/" : ExtractFileName(ExcludeTrailingPathDelimiter(path));
    Properties.Location = path == "/" ? "/" : ExtractFilePath(ExcludeTrailingPathDelimiter(path));
    Properties.IsFolder = S_ISDIR(st.stx_mode);
    if (S_ISLNK(st.stx_mode)) {
        std::vector<char> target(4096);
        const ssize_t length = readlink(path.c_str(), target.data(), target.size());
        if (length > 0)
            Properties.LinkTarget.assign(target.data(), size_t(length));
    }
    const QMimeType type = QMimeDatabase().mimeTypeForFile(QFileInfo(Q(path)));
    Properties.TypeText = (type.comment() + " (" + type.name() + ")").toStdString();
    Properties.Size = Properties.IsFolder ? 0 : int64_t(st.stx_size);
    if (st.stx_mask & STATX_BTIME)
        Properties.Created = FromStatx(st.stx_btime);
    Properties.Modified = FromStatx(st.stx_mtime);
    Properties.Accessed = FromStatx(st.stx_atime);
    Properties.Permissions = PermissionText(st.stx_mode);
    Properties.Owner = UserName(st.stx_uid) + ", " + GroupName(st.stx_gid);
    return true;
}

TFolderTotals CountFolder(const std::string& Folder, const std::atomic<bool>& Cancel,
                          const std::function<void(const TFolderTotals&)>& Progress) {
    TFolderTotals totals;
    // Paths are kept without their trailing "/"; "/" itself is "".
    const std::string root = ExcludeTrailingPathDelimiter(Folder);
    struct stat st {};
    if (::stat(root.empty() ? "/" : root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return totals;
    std::vector<std::string> pending{root};
    int64_t reported = 0;
    while (!pending.empty() && !Cancel) {
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        CountEntries(folder, st.st_dev, totals, pending);
        const int64_t seen = totals.Files + totals.Folders;
        if (Progress && seen - reported >= 4096) {
            reported = seen;
            Progress(totals);
        }
    }
    return totals;
}

std::string PropertiesSizeText(int64_t Bytes) {
    const std::string exact = PluralText(Bytes, "byte", "bytes");
    if (Bytes < 1024)
        return exact;
    return FormatFileSizeText(Bytes) + " (" + exact + ")";
}

std::string PropertiesContentText(const TFolderTotals& Totals) {
    return PluralText(Totals.Files, "File", "Files") + ", " + PluralText(Totals.Folders, "Folder", "Folders");
}

bool ShowShellProperties(const std::string& Path, QWidget* Owner) {
    TPathProperties properties;
    if (!ReadPathProperties(Path, properties))
        return false;
    TShellPropertiesDlg dialog(properties, Owner);
    ExecModal(dialog);
    return true;
}

}  // namespace lumvor
