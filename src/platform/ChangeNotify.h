// A folder's change notification over Linux inotify: one watch on one folder,
// its sub-folders not included.
//
// The notification becomes signalled when an entry of the folder is created,
// deleted, moved in or out or renamed, when a file in it is closed after
// writing (so an overwritten file is noticed too), when the folder itself is
// deleted or moved, and when the kernel's event queue overflowed (changes were
// lost, so the owner must read the whole folder again). It stays signalled
// until Rearm. The kernel's events are read as they arrive (a socket notifier
// on the event loop) and again by Signalled and Rearm, so a test never waits
// for the event loop to have turned. GUI thread only.
#pragma once

#include <QObject>

#include <memory>
#include <string>

class QSocketNotifier;

namespace lumvor {

class TChangeNotification : public QObject {
public:
    explicit TChangeNotification(QObject* parent = nullptr);
    ~TChangeNotification() override;

    // Watches folder (given with or without a trailing "/"); closes a previous
    // watch first. False when the folder cannot be watched (then none is).
    bool Open(const std::string& folder);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    // The watched folder without a trailing "/"; "" when closed.
    const std::string& Folder() const { return folder_; }
    // Watches held: 1 while open, else 0.
    int WatchCount() const { return IsOpen() ? 1 : 0; }

    // Whether a change happened since the last Rearm (or Open); never waits.
    bool Signalled();
    // Whether the kernel's queue overflowed since the last Rearm.
    bool Overflowed();
    // Takes every change that happened so far as seen: not signalled until the
    // next change.
    void Rearm();

private:
    void ReadEvents();

    int fd_ = -1;
    std::string folder_;
    bool signalled_ = false;
    bool overflowed_ = false;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace lumvor
