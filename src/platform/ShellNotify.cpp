#include "platform/ShellNotify.h"

#include "platform/Forms.h"
#include "platform/WatchRelease.h"

#include <QSocketNotifier>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace lumvor {

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kFolderMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF |
                                 IN_MOVE_SELF | IN_ONLYDIR;

// How long a moved-from half waits for its moved-to half before it counts as a
// move out of the tree. The kernel queues both halves of one rename together,
// so the partner is normally in the same read.
constexpr int kMovePairMilliseconds = 25;

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// True when path is folder or lies below it.
bool InTree(const std::string& path, const std::string& folder) {
    if (path.compare(0, folder.size(), folder) != 0) return false;
    return path.size() == folder.size() || folder == "/" || path[folder.size()] == '/';
}

bool IsMedia(const TVolumeInfo& volume) {
    return volume.FileSystem == "iso9660" || volume.FileSystem == "udf";
}

bool SameVolume(const TVolumeInfo& a, const TVolumeInfo& b) {
    return a.MountPoint == b.MountPoint && a.Device == b.Device;
}

bool Contains(const std::vector<TVolumeInfo>& list, const TVolumeInfo& volume) {
    for (const TVolumeInfo& v : list)
        if (SameVolume(v, volume)) return true;
    return false;
}

}  // namespace

std::vector<TShellChange> VolumeChanges(const std::vector<TVolumeInfo>& before,
                                        const std::vector<TVolumeInfo>& after) {
    std::vector<TShellChange> changes;
    for (const TVolumeInfo& v : before)
        if (!Contains(after, v))
            changes.push_back({IsMedia(v) ? SHCNE_MEDIAREMOVED : SHCNE_DRIVEREMOVED, v.MountPoint, {}});
    for (const TVolumeInfo& v : after)
        if (!Contains(before, v))
            changes.push_back({IsMedia(v) ? SHCNE_MEDIAINSERTED : SHCNE_DRIVEADD, v.MountPoint, {}});
    return changes;
}

TShellChangeWatcher::TShellChangeWatcher(QObject* parent) : QObject(parent) {
    moveTimer_.setSingleShot(true);
    moveTimer_.setInterval(kMovePairMilliseconds);
    connect(&moveTimer_, &QTimer::timeout, this, Guard([this] {
                // The partner of a rename is queued right after its first half:
                // read what is there before calling the rest moves out of the tree.
                const int generation = generation_;
                ReadEvents();
                if (generation != generation_) return;
                ResolveMoves();
                Flush();
            }));
    pollTimer_.setInterval(2000);
    connect(&pollTimer_, &QTimer::timeout, this, Guard([this] { PollVolumes(DriveList()); }));
}

TShellChangeWatcher::~TShellChangeWatcher() { Stop(); }

bool TShellChangeWatcher::Start(const std::string& folder, bool recursive, uint32_t events, bool allVolumes) {
    Stop();
    recursive_ = recursive;
    allVolumes_ = allVolumes;
    folderMask_ = kFolderMask | (events & SHCNE_UPDATEITEM ? IN_MODIFY : 0) | (events & SHCNE_ATTRIBUTES ? IN_ATTRIB : 0);
    if (!folder.empty()) {
        root_ = WithoutTrailingSlash(folder);
        fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd_ < 0 || !AddWatch(root_)) {
            Stop();
            return false;
        }
        if (recursive_) AddTree(root_, false);
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        connect(notifier_.get(), &QSocketNotifier::activated, this, Guard([this] { ReadEvents(); }));
    }
    if (events & SHCNE_VOLUMEEVENTS) {
        volumes_ = DriveList();
        pollTimer_.start();
    }
    active_ = true;
    return true;
}

void TShellChangeWatcher::Stop() {
    ++generation_;
    notifier_.reset();
    ReleaseWatchDescriptor(fd_);
    fd_ = -1;
    pathOf_.clear();
    watchOf_.clear();
    out_.clear();
    scanned_.clear();
    moveTimer_.stop();
    pollTimer_.stop();
    volumes_.clear();
    root_.clear();
    active_ = false;
}

void TShellChangeWatcher::SetBranch(const std::string& branch) { branch_ = WithoutTrailingSlash(branch); }

bool TShellChangeWatcher::Descends(const std::string& folder) const {
    return recursive_ && (branch_.empty() || InTree(branch_, folder));
}

bool TShellChangeWatcher::AddWatch(const std::string& path) {
    if (watchOf_.count(path)) return true;
    // Folders below the root are never followed through a symbolic link, so a
    // link that points up the tree cannot make the walk endless.
    const uint32_t mask = folderMask_ | (path == root_ ? 0 : IN_DONT_FOLLOW);
    const int wd = ::inotify_add_watch(fd_, path.c_str(), mask);
    if (wd < 0) return false;
    // A folder reached again under another name keeps one watch, under its newest name.
    if (auto old = pathOf_.find(wd); old != pathOf_.end()) watchOf_.erase(old->second);
    pathOf_[wd] = path;
    watchOf_[path] = wd;
    return true;
}

void TShellChangeWatcher::AddTree(const std::string& folder, bool report) {
    std::vector<std::string> work{folder};
    while (!work.empty()) {
        const std::string current = std::move(work.back());
        work.pop_back();
        if (!AddWatch(current)) continue;
        std::vector<std::string> below;
        std::error_code ec;
        for (fs::directory_iterator it(current, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string path = JoinPath(current, it->path().filename().string());
            std::error_code statError;
            const bool isFolder = it->symlink_status(statError).type() == fs::file_type::directory;
            if (report && scanned_.insert(path).second) Queue(isFolder ? SHCNE_MKDIR : SHCNE_CREATE, path);
            if (isFolder && Descends(path)) below.push_back(path);
        }
        // Depth first, in the order the folder listed them.
        work.insert(work.end(), below.rbegin(), below.rend());
    }
}

void TShellChangeWatcher::RemoveTree(const std::string& folder) {
    for (auto it = watchOf_.lower_bound(folder); it != watchOf_.end() && it->first.compare(0, folder.size(), folder) == 0;) {
        if (!InTree(it->first, folder)) {
            ++it;
            continue;
        }
        ::inotify_rm_watch(fd_, it->second);
        pathOf_.erase(it->second);
        it = watchOf_.erase(it);
    }
}

void TShellChangeWatcher::RenameTree(const std::string& from, const std::string& to) {
    std::vector<std::pair<std::string, int>> moved;
    for (auto it = watchOf_.lower_bound(from); it != watchOf_.end() && it->first.compare(0, from.size(), from) == 0;) {
        if (!InTree(it->first, from)) {
            ++it;
            continue;
        }
        moved.emplace_back(to + it->first.substr(from.size()), it->second);
        it = watchOf_.erase(it);
    }
    for (auto& [path, wd] : moved) {
        pathOf_[wd] = path;
        watchOf_[path] = wd;
    }
}

void TShellChangeWatcher::Queue(uint32_t event, std::string path1, std::string path2) {
    out_.push_back({{event, std::move(path1), std::move(path2)}, 0, false});
}

void TShellChangeWatcher::ReadEvents() {
    const int generation = generation_;
    alignas(inotify_event) char buffer[64 * 1024];
    while (generation == generation_ && fd_ >= 0) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        ProcessEventBuffer(buffer, size_t(n));
    }
    // Every event queued while new folders were scanned has now been read.
    if (generation == generation_) scanned_.clear();
}

void TShellChangeWatcher::ProcessEventBuffer(const char* data, size_t size) {
    const int generation = generation_;
    size_t offset = 0;
    while (size - offset >= sizeof(inotify_event)) {
        inotify_event header;
        std::memcpy(&header, data + offset, sizeof header);
        const size_t body = offset + sizeof header;
        if (header.len > size - body) break;
        const char* name = data + body;
        HandleEvent(header.wd, header.mask, header.cookie, std::string(name, ::strnlen(name, header.len)));
        offset = body + header.len;
    }
    Flush();
    if (generation != generation_) return;
    for (const Pending& p : out_)
        if (p.cookie != 0) {
            if (!moveTimer_.isActive()) moveTimer_.start();
            break;
        }
}

void TShellChangeWatcher::HandleEvent(int wd, uint32_t mask, uint32_t cookie, const std::string& name) {
    if (mask & IN_Q_OVERFLOW) {
        // Events were lost: the owner reads the folder again, and folders that
        // appeared meanwhile get their watches.
        ResolveMoves();
        if (!root_.empty()) {
            Queue(SHCNE_UPDATEDIR, root_);
            if (recursive_ && watchOf_.count(root_)) AddTree(root_, false);
        }
        return;
    }
    const auto at = pathOf_.find(wd);
    if (at == pathOf_.end()) return;
    const std::string folder = at->second;
    if (mask & IN_IGNORED) {
        watchOf_.erase(folder);
        pathOf_.erase(at);
        return;
    }
    if (mask & (IN_DELETE_SELF | IN_MOVE_SELF)) {
        // Sub-folders are reported by their parent; the root has none watched.
        if (folder == root_) {
            ResolveMoves();
            Queue(SHCNE_RMDIR, root_);
            // A moved root keeps its watches but no longer its paths.
            if (mask & IN_MOVE_SELF) RemoveTree(root_);
        }
        return;
    }
    if (name.empty()) return;
    const std::string path = JoinPath(folder, name);
    const bool isFolder = mask & IN_ISDIR;
    if (mask & IN_CREATE) {
        if (scanned_.erase(path) == 0) Queue(isFolder ? SHCNE_MKDIR : SHCNE_CREATE, path);
        if (isFolder && Descends(path)) AddTree(path, true);
    } else if (mask & IN_DELETE) {
        scanned_.erase(path);
        Queue(isFolder ? SHCNE_RMDIR : SHCNE_DELETE, path);
    } else if (mask & IN_MOVED_FROM) {
        out_.push_back({{isFolder ? SHCNE_RMDIR : SHCNE_DELETE, path, {}}, cookie, isFolder});
        if (cookie == 0 && isFolder && recursive_) RemoveTree(path);
    } else if (mask & IN_MOVED_TO) {
        for (auto it = out_.rbegin(); cookie != 0 && it != out_.rend(); ++it) {
            if (it->cookie != cookie) continue;
            it->cookie = 0;
            it->change.Event = isFolder ? SHCNE_RENAMEFOLDER : SHCNE_RENAMEITEM;
            it->change.Path2 = path;
            if (isFolder && recursive_) RenameTree(it->change.Path1, path);
            return;
        }
        Queue(isFolder ? SHCNE_MKDIR : SHCNE_CREATE, path);
        if (isFolder && Descends(path)) AddTree(path, false);
    } else if (mask & IN_MODIFY) {
        if (!isFolder) Queue(SHCNE_UPDATEITEM, path);
    } else if (mask & IN_ATTRIB) {
        Queue(SHCNE_ATTRIBUTES, path);
    }
}

void TShellChangeWatcher::ResolveMoves() {
    for (Pending& p : out_) {
        if (p.cookie == 0) continue;
        p.cookie = 0;
        if (p.folder && recursive_) RemoveTree(p.change.Path1);
    }
}

void TShellChangeWatcher::Flush() {
    const int generation = generation_;
    while (generation == generation_ && !out_.empty() && out_.front().cookie == 0) {
        const TShellChange change = std::move(out_.front().change);
        out_.pop_front();
        if (OnChange) OnChange(change);
    }
}

bool TShellChangeWatcher::VolumeInScope(const std::string& mountPoint) const {
    if (allVolumes_) return true;
    if (root_.empty() || mountPoint == root_ || !InTree(mountPoint, root_)) return false;
    if (recursive_) return true;
    const size_t slash = mountPoint.rfind('/');
    return (slash == 0 ? std::string("/") : mountPoint.substr(0, slash)) == root_;
}

void TShellChangeWatcher::PollVolumes(const std::vector<TVolumeInfo>& volumes) {
    const std::vector<TShellChange> changes = VolumeChanges(volumes_, volumes);
    volumes_ = volumes;
    for (const TShellChange& change : changes)
        if (VolumeInScope(change.Path1)) Queue(change.Event, change.Path1);
    Flush();
}

}  // namespace lumvor
