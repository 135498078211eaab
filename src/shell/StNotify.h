// The shell change-notification component.
//
// Watches one folder (a path or a special folder, optionally with its
// sub-folders) for a chosen set of change kinds and turns each notification into
// typed events with shell items for the objects concerned. Attribute changes are
// reported as they arrive; every other notification is queued and reported one
// event-loop turn later, in arrival order. The queue never drops a notification:
// repeated updates of one object that are still waiting are reported once, and a
// queue that grows past kMaxPendingNotifications is folded into one update of the
// watched folder, which tells the owner to read it again.
//
// The desktop (sfDesktop, or no folder chosen) is the user's desktop folder plus
// every volume; the computer (sfDrives) is every volume. Special folders with no
// counterpart here watch nothing.
//
// Failures: EStInvalidFolder (240) for a watch folder that does not exist,
// EStShellError (110) for a special folder above the shell's version. A watch
// that cannot be set up leaves Registered() False and is not reported.
// GUI thread only.
#pragma once

#include "platform/ShellNotify.h"
#include "shell/StShellItems.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <utility>

namespace lumvor {

// The change kinds, in this order.
enum TStNotifyEvents : uint8_t {
    neAssociationChange, neAttributesChange, neFileChange, neFileCreate, neFileDelete, neFileRename,
    neDriveAdd, neDriveRemove, neShellDriveAdd, neDriveSpaceChange, neMediaInsert, neMediaRemove,
    neFolderCreate, neFolderDelete, neFolderRename, neFolderUpdate, neNetShare, neNetUnShare,
    neServerDisconnect, neImageListChange
};

// A set of change kinds: bit (1 << kind) for each kind in it.
using TStNotifyEventsSet = uint32_t;
constexpr TStNotifyEventsSet NotifySet(TStNotifyEvents kind) { return TStNotifyEventsSet(1) << kind; }
inline constexpr TStNotifyEventsSet AllNotifyEvents = (TStNotifyEventsSet(1) << (neImageListChange + 1)) - 1;

// The shell event bit that asks for a kind.
uint32_t NotifyEventShellBit(TStNotifyEvents kind);

using TStShellNotifyEvent1 = std::function<void(QObject* Sender, TStShellItem* ShellItem)>;
using TStShellNotifyEvent2 =
    std::function<void(QObject* Sender, TStShellItem* OldShellItem, TStShellItem* NewShellItem)>;
using TStShellNotifyEvent3 = std::function<void(QObject* Sender, TStShellItem* OldShellItem,
                                                TStShellItem* NewShellItem, TStNotifyEventsSet Events)>;
using TStShellNotifyEvent4 = std::function<void(QObject* Sender, int Drive)>;

class TStCustomShellNotification : public TStComponent {
public:
    // Notifications waiting beyond this many are folded into one folder update.
    static constexpr size_t kMaxPendingNotifications = 16384;

    explicit TStCustomShellNotification(QObject* Owner = nullptr);
    ~TStCustomShellNotification() override;

    bool Active() const { return active_; }
    // True registers when not registered; False deregisters.
    void SetActive(bool Value);
    TStNotifyEventsSet NotifyEvents() const { return notifyEvents_; }
    void SetNotifyEvents(TStNotifyEventsSet Value);
    TStSpecialRootFolder SpecialWatchFolder() const { return specialWatchFolder_; }
    // The version gate; a new value other than sfNone empties WatchFolder.
    void SetSpecialWatchFolder(TStSpecialRootFolder Value);
    const std::string& WatchFolder() const { return watchFolder_; }
    // Stores the path; a non-empty one must exist (else EStInvalidFolder 240,
    // the watch staying as it was) and replaces the special folder.
    void SetWatchFolder(const std::string& Value);
    bool WatchSubFolders() const { return watchSubFolders_; }
    void SetWatchSubFolders(bool Value);

    bool Registered() const { return registered_; }
    double ShellVersion() const { return shellVersion_; }
    // Notifications received but not reported yet.
    size_t PendingCount() const { return pending_.size(); }

    // Handles one notification as the watch delivers it (attribute changes at
    // once, the rest queued); notifications of kinds not asked for are ignored.
    void Notify(const TShellChange& Change);

    // The watch behind the registration (its folder, its volume poll).
    TShellChangeWatcher& Watcher() { return watcher_; }

    TNotifyEvent OnAssociationChange;
    TStShellNotifyEvent2 OnAttributeChange;
    TStShellNotifyEvent1 OnFileChange;
    TStShellNotifyEvent1 OnFileCreate;
    TStShellNotifyEvent2 OnFileDelete;
    TStShellNotifyEvent2 OnFileRename;
    TStShellNotifyEvent1 OnDriveAdd;
    TStShellNotifyEvent1 OnDriveRemove;
    TStShellNotifyEvent1 OnShellDriveAdd;
    TStShellNotifyEvent4 OnDriveSpaceChange;
    TStShellNotifyEvent1 OnMediaInsert;
    TStShellNotifyEvent1 OnMediaRemove;
    TStShellNotifyEvent1 OnFolderCreate;
    TStShellNotifyEvent1 OnFolderDelete;
    TStShellNotifyEvent2 OnFolderRename;
    TStShellNotifyEvent1 OnFolderChange;
    TStShellNotifyEvent1 OnNetShare;
    TStShellNotifyEvent1 OnNetUnShare;
    TStShellNotifyEvent1 OnServerDisconnect;
    TNotifyEvent OnImageListChange;
    TStShellNotifyEvent3 OnShellChangeNotify;

protected:
    // One operation per event; each fires its event when assigned.
    virtual void DoAssociationChange();
    virtual void DoAttributeChange(TStShellItem* OldItem, TStShellItem* NewItem);
    virtual void DoDriveAdd(TStShellItem* Item);
    virtual void DoDriveRemove(TStShellItem* Item);
    virtual void DoDriveSpaceChange(int Drive);
    virtual void DoFileChange(TStShellItem* Item);
    virtual void DoFileCreate(TStShellItem* Item);
    virtual void DoFileDelete(TStShellItem* OldItem, TStShellItem* NewItem);
    virtual void DoFileRename(TStShellItem* OldItem, TStShellItem* NewItem);
    virtual void DoFolderChange(TStShellItem* Item);
    virtual void DoFolderCreate(TStShellItem* Item);
    virtual void DoFolderDelete(TStShellItem* Item);
    virtual void DoFolderRename(TStShellItem* OldItem, TStShellItem* NewItem);
    virtual void DoImageListChange();
    virtual void DoMediaInsert(TStShellItem* Item);
    virtual void DoMediaRemove(TStShellItem* Item);
    virtual void DoNetShare(TStShellItem* Item);
    virtual void DoNetUnShare(TStShellItem* Item);
    virtual void DoServerDisconnect(TStShellItem* Item);
    virtual void DoShellDriveAdd(TStShellItem* Item);
    virtual void DoShellChangeNotify(TStShellItem* OldItem, TStShellItem* NewItem, TStNotifyEventsSet Events);

private:
    void Register();
    void Deregister();
    void ReRegister();
    void DeliverPending();
    void Deliver(const TShellChange& Change);

    bool active_ = false;
    TStNotifyEventsSet notifyEvents_ = AllNotifyEvents;
    TStSpecialRootFolder specialWatchFolder_ = sfNone;
    std::string watchFolder_;
    bool watchSubFolders_ = false;
    double shellVersion_ = 0;
    bool registered_ = false;
    uint32_t eventMask_ = 0;  // shell bits of the registration
    std::string watchedPath_;  // the folder the registration watches ("" for none)
    TShellChangeWatcher watcher_;
    std::deque<TShellChange> pending_;
    std::set<std::pair<uint32_t, std::string>> pendingUpdates_;  // updates waiting, to fold repeats
    bool deliveryPosted_ = false;
};

class TStShellNotification : public TStCustomShellNotification {
public:
    using TStCustomShellNotification::TStCustomShellNotification;
};

}  // namespace lumvor
