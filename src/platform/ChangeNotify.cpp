#include "platform/ChangeNotify.h"

#include "platform/Forms.h"
#include "platform/WatchRelease.h"

#include <QSocketNotifier>

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace lumvor {

namespace {

// Names created, deleted or moved, files closed after writing, and the folder
// itself deleted or moved. Reads and attribute changes are left out: listing
// the folder or making thumbnails must not signal it.
constexpr uint32_t kChangeMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE |
                                 IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

TChangeNotification::TChangeNotification(QObject* parent) : QObject(parent) {}

TChangeNotification::~TChangeNotification() { Close(); }

bool TChangeNotification::Open(const std::string& folder) {
    Close();
    if (folder.empty()) return false;
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) return false;
    const std::string path = WithoutTrailingSlash(folder);
    if (::inotify_add_watch(fd_, path.c_str(), kChangeMask) < 0) {
        Close();
        return false;
    }
    folder_ = path;
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, Guard([this] { ReadEvents(); }));
    return true;
}

void TChangeNotification::Close() {
    notifier_.reset();
    ReleaseWatchDescriptor(fd_);
    fd_ = -1;
    folder_.clear();
    signalled_ = overflowed_ = false;
}

bool TChangeNotification::Signalled() {
    ReadEvents();
    return signalled_;
}

bool TChangeNotification::Overflowed() {
    ReadEvents();
    return overflowed_;
}

void TChangeNotification::Rearm() {
    ReadEvents();
    signalled_ = overflowed_ = false;
}

void TChangeNotification::ReadEvents() {
    alignas(inotify_event) char buffer[16 * 1024];
    while (fd_ >= 0) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        // Which entries changed does not matter: the owner reads the folder
        // again. Only an overflow is told apart.
        for (size_t offset = 0; offset + sizeof(inotify_event) <= size_t(n);) {
            inotify_event header;
            std::memcpy(&header, buffer + offset, sizeof header);
            if (header.mask & IN_Q_OVERFLOW) overflowed_ = true;
            if (!(header.mask & IN_IGNORED)) signalled_ = true;
            offset += sizeof header + header.len;
        }
    }
}

}  // namespace lumvor
