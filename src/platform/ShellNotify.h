// The shell's change notifications over Linux inotify and a poll of the mounted
// volumes.
//
// A watcher follows one folder, and with recursion every folder below it (folders
// that appear later are added as they appear; symbolic links are not followed),
// and reports each change as one notification: a shell event code with the
// paths of the objects concerned. inotify's moved-from and moved-to halves are
// joined by their cookie into one rename; a move out of the watched tree is a
// deletion and a move into it a creation. When the kernel's queue overflows,
// the watcher reports an update of the watched folder itself (the owner reads it
// again) and picks up the folders it may have missed.
//
// Volumes are polled: a volume that appears or disappears is reported as a drive
// added or removed, or as media inserted or removed for optical discs.
//
// Notifications reach OnChange on the GUI thread, in the order the changes
// happened. GUI thread only.
#pragma once

#include "platform/Volumes.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class QSocketNotifier;

namespace lumvor {

// Shell event codes (one bit each).
inline constexpr uint32_t SHCNE_RENAMEITEM = 0x1;
inline constexpr uint32_t SHCNE_CREATE = 0x2;
inline constexpr uint32_t SHCNE_DELETE = 0x4;
inline constexpr uint32_t SHCNE_MKDIR = 0x8;
inline constexpr uint32_t SHCNE_RMDIR = 0x10;
inline constexpr uint32_t SHCNE_MEDIAINSERTED = 0x20;
inline constexpr uint32_t SHCNE_MEDIAREMOVED = 0x40;
inline constexpr uint32_t SHCNE_DRIVEREMOVED = 0x80;
inline constexpr uint32_t SHCNE_DRIVEADD = 0x100;
inline constexpr uint32_t SHCNE_NETSHARE = 0x200;
inline constexpr uint32_t SHCNE_NETUNSHARE = 0x400;
inline constexpr uint32_t SHCNE_ATTRIBUTES = 0x800;
inline constexpr uint32_t SHCNE_UPDATEDIR = 0x1000;
inline constexpr uint32_t SHCNE_UPDATEITEM = 0x2000;
inline constexpr uint32_t SHCNE_SERVERDISCONNECT = 0x4000;
inline constexpr uint32_t SHCNE_UPDATEIMAGE = 0x8000;
inline constexpr uint32_t SHCNE_DRIVEADDGUI = 0x10000;
inline constexpr uint32_t SHCNE_RENAMEFOLDER = 0x20000;
inline constexpr uint32_t SHCNE_FREESPACE = 0x40000;
inline constexpr uint32_t SHCNE_ASSOCCHANGED = 0x8000000;

// The drive and media events, which come from the volume poll.
inline constexpr uint32_t SHCNE_VOLUMEEVENTS =
    SHCNE_DRIVEADD | SHCNE_DRIVEREMOVED | SHCNE_DRIVEADDGUI | SHCNE_MEDIAINSERTED | SHCNE_MEDIAREMOVED;

// One notification: the event code and up to two paths (without a trailing "/"
// except for "/"; "" when the event has no second object). A rename carries the
// old path first and the new one second.
struct TShellChange {
    uint32_t Event = 0;
    std::string Path1;
    std::string Path2;
    bool operator==(const TShellChange&) const = default;
};

// The drive and media notifications that turn the volume list before into the
// list after: removals first, then additions, each in list order. Optical discs
// (iso9660, udf) are media, every other volume a drive.
std::vector<TShellChange> VolumeChanges(const std::vector<TVolumeInfo>& before,
                                        const std::vector<TVolumeInfo>& after);

class TShellChangeWatcher : public QObject {
public:
    explicit TShellChangeWatcher(QObject* parent = nullptr);
    ~TShellChangeWatcher() override;

    // Starts watching folder (its sub-folders too when recursive). Drive and
    // media events are polled when events asks for any: for every volume when
    // allVolumes (the desktop and the computer), else for volumes mounted inside
    // the watched folder. An empty folder watches no folder. Stops a previous
    // watch first. False when the folder cannot be watched (then nothing is).
    // Changes of files' contents and attributes (IN_MODIFY, IN_ATTRIB) are
    // watched only when events asks for file updates or attribute changes.
    bool Start(const std::string& folder, bool recursive, uint32_t events, bool allVolumes = false);
    void Stop();
    // With recursion, only the folders on the way from the watched folder down
    // to branch (both included) are watched, not the rest of the tree; empty
    // (the default) watches every folder below. Applies from the next Start.
    void SetBranch(const std::string& branch);
    const std::string& Branch() const { return branch_; }
    bool Active() const { return active_; }
    const std::string& Folder() const { return root_; }
    // Number of folders under watch.
    int WatchCount() const { return int(pathOf_.size()); }

    // Milliseconds between two looks at the volume list (default 2000).
    int VolumePollInterval() const { return pollTimer_.interval(); }
    void SetVolumePollInterval(int milliseconds) { pollTimer_.setInterval(milliseconds); }

    std::function<void(const TShellChange&)> OnChange;

    // Handles one buffer of inotify records as read from the watch descriptor;
    // a record that does not fit in the buffer ends it.
    void ProcessEventBuffer(const char* data, size_t size);
    // Compares the volume list with the last one seen and reports the difference.
    void PollVolumes(const std::vector<TVolumeInfo>& volumes);

private:
    struct Pending {
        TShellChange change;
        uint32_t cookie = 0;  // a moved-from half still waiting for its moved-to half
        bool folder = false;
    };

    void ReadEvents();
    void HandleEvent(int wd, uint32_t mask, uint32_t cookie, const std::string& name);
    bool AddWatch(const std::string& path);
    // Watches folder and every folder below it; with report, the objects found
    // inside are reported as created (they appeared before their folder's watch).
    void AddTree(const std::string& folder, bool report);
    void RemoveTree(const std::string& folder);
    void RenameTree(const std::string& from, const std::string& to);
    void Queue(uint32_t event, std::string path1, std::string path2 = {});
    // Turns moved-from halves that found no partner into deletions.
    void ResolveMoves();
    void Flush();
    bool VolumeInScope(const std::string& mountPoint) const;
    // Whether recursion goes into this folder (it lies on the branch).
    bool Descends(const std::string& folder) const;

    int fd_ = -1;
    int generation_ = 0;  // counts Stop() calls, so a loop notices it was stopped
    std::unique_ptr<QSocketNotifier> notifier_;
    std::string root_;
    bool recursive_ = false;
    bool active_ = false;
    bool allVolumes_ = false;
    uint32_t folderMask_ = 0;  // the inotify mask of every watched folder
    std::string branch_;
    std::map<int, std::string> pathOf_;
    std::map<std::string, int> watchOf_;
    std::deque<Pending> out_;
    // Objects reported by a scan of a new folder, whose own creation events may
    // still be queued in the kernel: reported once only.
    std::set<std::string> scanned_;
    QTimer moveTimer_;
    QTimer pollTimer_;
    std::vector<TVolumeInfo> volumes_;
};

}  // namespace lumvor
