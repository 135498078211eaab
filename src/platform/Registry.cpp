#include "platform/Registry.h"

#include "platform/Streams.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QVariant>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <thread>
#include <unistd.h>

namespace lumvor {

namespace {

// Value kinds are kept in the stored text: strings and integers carry a tag in
// front, binary data is a QByteArray (which QSettings tags itself). A value
// without a known tag (edited by hand) reads as a string.
const QString kStringTag = QStringLiteral("sz:");
const QString kExpandTag = QStringLiteral("expand:");
const QString kIntegerTag = QStringLiteral("dword:");
// Marks a key that exists without values. Escaped value names never hold "%k".
const QString kKeyMarker = QStringLiteral("%key");
// The unnamed (default) value of a key.
const QString kDefaultValue = QStringLiteral("%default");

using ValueMap = QMap<QString, QVariant>;

struct FileId {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = -1;
    long mtimeSec = 0, mtimeNsec = 0;
    bool operator==(const FileId&) const = default;
};

FileId IdOf(const std::string& path) {
    FileId id;
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        id.dev = st.st_dev;
        id.ino = st.st_ino;
        id.size = st.st_size;
        id.mtimeSec = st.st_mtim.tv_sec;
        id.mtimeNsec = st.st_mtim.tv_nsec;
    }
    return id;
}

// The whole store as last read from or written to the file; reloaded whenever
// the file on disk is no longer the one it came from (another process wrote).
struct Store {
    std::mutex mutex;
    std::string path;
    FileId id;
    ValueMap values;
    unsigned tempCounter = 0;
};

Store& TheStore() {
    static Store store;
    return store;
}

// Brings store.values up to date with the file; store.mutex is held.
void Refresh(Store& store) {
    std::string path = RegistryFileName();
    FileId id = IdOf(path);
    if (path == store.path && id == store.id)
        return;
    store.path = path;
    store.id = id;
    store.values.clear();
    if (id.size < 0)
        return;
    QSettings settings(QString::fromStdString(path), QSettings::IniFormat);
    for (const QString& key : settings.allKeys())
        store.values.insert(key, settings.value(key));
}

void SyncFileToDisk(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

// No room left on the store's volume (asked while the cut file still fills it).
bool VolumeFull(const std::string& path) {
    struct statvfs info {};
    const std::string folder = QFileInfo(QString::fromStdString(path)).absolutePath().toStdString();
    return statvfs(folder.c_str(), &info) == 0 && uint64_t(info.f_bavail) * info.f_frsize < 64 * 1024;
}

enum class TWriteOutcome { Written, Locked, DiskFull, Failed };

bool ReadsBackAs(const std::string& path, const ValueMap& values) {
    QSettings settings(QString::fromStdString(path), QSettings::IniFormat);
    const QStringList keys = settings.allKeys();
    if (settings.status() != QSettings::NoError || keys.size() != values.size())
        return false;
    for (const QString& key : keys) {
        auto it = values.find(key);
        if (it == values.end() || settings.value(key) != it.value())
            return false;
    }
    return true;
}

// Writes values as the new content of the store file: a temporary file in the same
// folder is written, forced to disk and renamed over the old file, so readers and
// a crash at any moment see either the old or the new file whole.
TWriteOutcome WriteStore(Store& store, const ValueMap& values) {
    const std::string& path = store.path;
    QFileInfo info(QString::fromStdString(path));
    QDir folder = info.absoluteDir();
    std::string temp = path + ".tmp-" + std::to_string(getpid()) + "-" +
                       std::to_string(++store.tempCounter);
    {
        QSettings settings(QString::fromStdString(temp), QSettings::IniFormat);
        settings.setAtomicSyncRequired(false);
        settings.clear();
        for (auto it = values.begin(); it != values.end(); ++it)
            settings.setValue(it.key(), it.value());
        settings.sync();
        if (settings.status() != QSettings::NoError) {
            const bool full = VolumeFull(path);
            unlink(temp.c_str());
            return full ? TWriteOutcome::DiskFull : TWriteOutcome::Failed;
        }
    }
    // QSettings reports no error when the disk fills up under it and leaves a
    // cut file: only a file that reads back whole replaces the store. Read under
    // a fresh name, since QSettings answers a name it wrote from its memory.
    const std::string written = temp + "-written";
    if (rename(temp.c_str(), written.c_str()) != 0 || !ReadsBackAs(written, values)) {
        const bool full = VolumeFull(path);
        unlink(temp.c_str());
        unlink(written.c_str());
        return full ? TWriteOutcome::DiskFull : TWriteOutcome::Failed;
    }
    temp = written;
    SyncFileToDisk(temp);
    if (rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        return TWriteOutcome::Failed;
    }
    int dirFd = open(folder.absolutePath().toLocal8Bit().constData(),
                     O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    store.values = values;
    store.id = IdOf(path);
    return TWriteOutcome::Written;
}

// Removes temporary files left by a writer that died mid-write. Only called
// with the writer lock held, when no other writer can be at work.
void RemoveStaleTemporaries(const std::string& path) {
    QFileInfo info(QString::fromStdString(path));
    QDir folder = info.absoluteDir();
    const QStringList stale =
        folder.entryList({info.fileName() + ".tmp-*"}, QDir::Files | QDir::Hidden);
    for (const QString& name : stale)
        folder.remove(name);
}

// Holds the cross-process writer lock of the store: a kernel lock on the open
// lock file, which dies with its holder, so a killed writer never leaves the
// store locked, whatever the lock file holds (empty, an id of another process
// or host). A live holder is waited on for SettingsLockTimeoutMs at most.
class TWriterLock {
public:
    explicit TWriterLock(const std::string& path) {
        fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd_ < 0)
            return;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(SettingsLockTimeoutMs);
        for (;;) {
            struct flock lock {};
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            if (fcntl(fd_, F_OFD_SETLK, &lock) == 0) {
                held_ = true;
                return;
            }
            if ((errno != EAGAIN && errno != EACCES && errno != EINTR) || std::chrono::steady_clock::now() >= deadline)
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~TWriterLock() {
        if (fd_ >= 0)
            close(fd_);  // releases the lock
    }
    TWriterLock(const TWriterLock&) = delete;
    TWriterLock& operator=(const TWriterLock&) = delete;
    bool Held() const { return held_; }

private:
    int fd_ = -1;
    bool held_ = false;
};


// Applies change to the stored values under the cross-process writer lock and
// writes the result.
template <class Change>
TWriteOutcome Modify(Change&& change) {
    Store& store = TheStore();
    std::lock_guard guard(store.mutex);
    std::string path = RegistryFileName();
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
    TWriterLock lock(path + ".writer");
    if (!lock.Held())
        return TWriteOutcome::Locked;
    store.id = FileId();  // re-read: another process may have written
    Refresh(store);
    ValueMap values = store.values;
    if (!change(values))
        return TWriteOutcome::Written;  // nothing to write
    RemoveStaleTemporaries(path);
    return WriteStore(store, values);
}

QVariant Lookup(const QString& key) {
    Store& store = TheStore();
    std::lock_guard guard(store.mutex);
    Refresh(store);
    return store.values.value(key);
}

// Registry names may hold any character; QSettings treats "/" and "\" as group
// separators, so they (and the escape character) are escaped.
QString Escape(const std::string& name) {
    QString result;
    for (QChar c : QString::fromStdString(name)) {
        if (c == '%')
            result += "%25";
        else if (c == '/')
            result += "%2F";
        else if (c == '\\')
            result += "%5C";
        else
            result += c;
    }
    return result;
}

QString ValueKey(const QString& group, const std::string& name) {
    QString escaped = name.empty() ? kDefaultValue : Escape(name);
    return group.isEmpty() ? escaped : group + "/" + escaped;
}

struct StoredValue {
    TRegDataType type = rdUnknown;
    QByteArray bytes;  // binary data, or the UTF-8 text of a string
    int integer = 0;
};

bool Decode(const QVariant& v, StoredValue& out) {
    if (!v.isValid())
        return false;
    if (v.typeId() == QMetaType::QByteArray) {
        out.type = rdBinary;
        out.bytes = v.toByteArray();
        return true;
    }
    QString text = v.toString();
    if (text.startsWith(kIntegerTag)) {
        bool ok = false;
        int value = text.mid(kIntegerTag.size()).toInt(&ok);
        if (ok) {
            out.type = rdInteger;
            out.integer = value;
            return true;
        }
    }
    if (text.startsWith(kExpandTag)) {
        out.type = rdExpandString;
        out.bytes = text.mid(kExpandTag.size()).toUtf8();
    } else {
        out.type = rdString;
        out.bytes = (text.startsWith(kStringTag) ? text.mid(kStringTag.size()) : text).toUtf8();
    }
    return true;
}

[[noreturn]] void GetDataFailed(const std::string& name) {
    throw ERegistryException("Failed to get data for '" + name + "'");
}

[[noreturn]] void InvalidDataType(const std::string& name) {
    throw ERegistryException("Invalid data type for '" + name + "'");
}

[[noreturn]] void SetDataFailed(const std::string& name, TWriteOutcome outcome) {
    if (outcome == TWriteOutcome::Locked)
        throw ERegistryException(SettingsLockedText, EAGAIN);
    if (outcome == TWriteOutcome::DiskFull)
        throw ERegistryException(DiskFullText(RegistryFileName()), ENOSPC);
    throw ERegistryException("Failed to set data for '" + name + "'");
}

}  // namespace

std::string RegistryFileName() {
    const char* home = std::getenv("LUMVOR_HOME");
    if (home && *home)
        return IncludeTrailingPathDelimiter(home) + "registry.ini";
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        config = QDir::homePath() + "/.config";
    return (config + "/Quorvane/Lumvor.ini").toStdString();
}

void TRegistry::SetRootKey(HKEY root) {
    CloseKey();
    rootKey_ = root;
}

std::string TRegistry::Resolve(const std::string& key) const {
    bool relative = key.empty() || key[0] != '\\';
    std::string joined = relative && keyOpen_ ? currentPath_ + "\\" + key : key;
    // Empty parts are dropped: a doubled or trailing backslash changes nothing.
    std::string path;
    size_t start = 0;
    while (start <= joined.size()) {
        size_t end = joined.find('\\', start);
        if (end == std::string::npos)
            end = joined.size();
        if (end > start) {
            if (!path.empty())
                path += '\\';
            path += joined.substr(start, end - start);
        }
        start = end + 1;
    }
    return path;
}

namespace {

QString GroupOf(HKEY root, const std::string& fullPath) {
    QString group;
    if (root == HKEY_CLASSES_ROOT)
        group = "HKEY_CLASSES_ROOT";
    else if (root == HKEY_LOCAL_MACHINE)
        group = "HKEY_LOCAL_MACHINE";
    else if (root != HKEY_CURRENT_USER)
        group = "HKEY_" + QString::number(root, 16);
    size_t start = 0;
    while (start < fullPath.size()) {
        size_t end = fullPath.find('\\', start);
        if (end == std::string::npos)
            end = fullPath.size();
        QString part = Escape(fullPath.substr(start, end - start));
        group = group.isEmpty() ? part : group + "/" + part;
        start = end + 1;
    }
    return group;
}

bool GroupExists(const QString& group) {
    if (group.isEmpty())
        return true;
    Store& store = TheStore();
    std::lock_guard guard(store.mutex);
    Refresh(store);
    QString prefix = group + "/";
    auto it = store.values.lowerBound(prefix);
    return it != store.values.end() && it.key().startsWith(prefix);
}

}  // namespace

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
    std::string full = Resolve(key);
    QString group = GroupOf(rootKey_, full);
    if (!GroupExists(group)) {
        if (!canCreate)
            return false;
        QString marker = group + "/" + kKeyMarker;
        if (Modify([&](ValueMap& values) {
                values.insert(marker, QString());
                return true;
            }) != TWriteOutcome::Written)
            return false;
    }
    currentPath_ = full;
    keyOpen_ = true;
    return true;
}

void TRegistry::CloseKey() {
    currentPath_.clear();
    keyOpen_ = false;
}

bool TRegistry::KeyExists(const std::string& key) {
    std::string full = Resolve(key);
    return GroupExists(GroupOf(rootKey_, full));
}

bool TRegistry::DeleteKey(const std::string& key) {
    std::string full = Resolve(key);
    if (full.empty())
        return false;  // the root itself cannot be deleted
    QString prefix = GroupOf(rootKey_, full) + "/";
    bool existed = false;
    if (Modify([&](ValueMap& values) {
            for (auto it = values.lowerBound(prefix);
                 it != values.end() && it.key().startsWith(prefix);) {
                it = values.erase(it);
                existed = true;
            }
            return existed;
        }) != TWriteOutcome::Written)
        return false;
    return existed;
}

namespace {

bool ReadValue(HKEY root, const std::string& path, const std::string& name, StoredValue& out) {
    return Decode(Lookup(ValueKey(GroupOf(root, path), name)), out);
}

void WriteValue(HKEY root, const std::string& path, const std::string& name,
                const QVariant& value) {
    QString key = ValueKey(GroupOf(root, path), name);
    const TWriteOutcome outcome = Modify([&](ValueMap& values) {
        values.insert(key, value);
        return true;
    });
    if (outcome != TWriteOutcome::Written)
        SetDataFailed(name, outcome);
}

}  // namespace

bool TRegistry::ValueExists(const std::string& name) {
    StoredValue v;
    return ReadValue(rootKey_, currentPath_, name, v);
}

TRegDataType TRegistry::GetDataType(const std::string& name) {
    StoredValue v;
    return ReadValue(rootKey_, currentPath_, name, v) ? v.type : rdUnknown;
}

int TRegistry::GetDataSize(const std::string& name) {
    StoredValue v;
    if (!ReadValue(rootKey_, currentPath_, name, v))
        return -1;
    switch (v.type) {
    case rdInteger:
        return 4;
    case rdString:
    case rdExpandString:
        return static_cast<int>(v.bytes.size()) + 1;
    default:
        return static_cast<int>(v.bytes.size());
    }
}

bool TRegistry::DeleteValue(const std::string& name) {
    QString key = ValueKey(GroupOf(rootKey_, currentPath_), name);
    bool existed = false;
    if (Modify([&](ValueMap& values) {
            existed = values.remove(key) > 0;
            return existed;
        }) != TWriteOutcome::Written)
        return false;
    return existed;
}

std::string TRegistry::ReadString(const std::string& name) {
    StoredValue v;
    if (!ReadValue(rootKey_, currentPath_, name, v))
        return std::string();
    if (v.type != rdString && v.type != rdExpandString)
        InvalidDataType(name);
    return v.bytes.toStdString();
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
    WriteValue(rootKey_, currentPath_, name, kStringTag + QString::fromStdString(value));
}

void TRegistry::WriteExpandString(const std::string& name, const std::string& value) {
    WriteValue(rootKey_, currentPath_, name, kExpandTag + QString::fromStdString(value));
}

int TRegistry::ReadInteger(const std::string& name) {
    StoredValue v;
    if (!ReadValue(rootKey_, currentPath_, name, v))
        GetDataFailed(name);
    if (v.type != rdInteger)
        InvalidDataType(name);
    return v.integer;
}

void TRegistry::WriteInteger(const std::string& name, int value) {
    WriteValue(rootKey_, currentPath_, name, kIntegerTag + QString::number(value));
}

bool TRegistry::ReadBool(const std::string& name) {
    return ReadInteger(name) != 0;
}

void TRegistry::WriteBool(const std::string& name, bool value) {
    WriteInteger(name, value ? 1 : 0);
}

int TRegistry::ReadBinaryData(const std::string& name, void* buffer, int bufSize) {
    StoredValue v;
    if (!ReadValue(rootKey_, currentPath_, name, v))
        return 0;
    int size = static_cast<int>(v.bytes.size());
    if (v.type != rdBinary || size > bufSize)
        InvalidDataType(name);
    if (size > 0)
        std::memcpy(buffer, v.bytes.constData(), static_cast<size_t>(size));
    return size;
}

void TRegistry::WriteBinaryData(const std::string& name, const void* buffer, int bufSize) {
    QByteArray bytes(static_cast<const char*>(buffer), bufSize > 0 ? bufSize : 0);
    WriteValue(rootKey_, currentPath_, name, bytes);
}

std::vector<uint8_t> TRegistry::ReadBinary(const std::string& name) {
    StoredValue v;
    if (!ReadValue(rootKey_, currentPath_, name, v))
        return {};
    if (v.type != rdBinary)
        InvalidDataType(name);
    return std::vector<uint8_t>(v.bytes.begin(), v.bytes.end());
}

}  // namespace lumvor
