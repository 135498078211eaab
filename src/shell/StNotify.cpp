#include "shell/StNotify.h"

#include "platform/Forms.h"
#include "platform/Volumes.h"

#include <QMetaObject>
#include <QPointer>

#include <sys/stat.h>

#include <memory>

namespace lumvor {

namespace {

// The shell bit of each kind, in the order of TStNotifyEvents.
constexpr uint32_t kShellBits[] = {
    SHCNE_ASSOCCHANGED, SHCNE_ATTRIBUTES,     SHCNE_UPDATEITEM,  SHCNE_CREATE,      SHCNE_DELETE,
    SHCNE_RENAMEITEM,   SHCNE_DRIVEADD,       SHCNE_DRIVEREMOVED, SHCNE_DRIVEADDGUI, SHCNE_FREESPACE,
    SHCNE_MEDIAINSERTED, SHCNE_MEDIAREMOVED,  SHCNE_MKDIR,       SHCNE_RMDIR,       SHCNE_RENAMEFOLDER,
    SHCNE_UPDATEDIR,    SHCNE_NETSHARE,       SHCNE_NETUNSHARE,  SHCNE_SERVERDISCONNECT, SHCNE_UPDATEIMAGE};
static_assert(sizeof(kShellBits) / sizeof(kShellBits[0]) == neImageListChange + 1);

uint32_t ShellMask(TStNotifyEventsSet set) {
    uint32_t mask = 0;
    for (int kind = 0; kind <= neImageListChange; ++kind)
        if (set & NotifySet(TStNotifyEvents(kind))) mask |= kShellBits[kind];
    return mask;
}

bool IsUpdate(uint32_t event) { return event == SHCNE_UPDATEITEM || event == SHCNE_UPDATEDIR; }

// The item of a notification's object. An object that is gone (deleted, moved
// away) still gets an item with its path and name.
std::unique_ptr<TStShellItem> ItemFor(const std::string& path, bool folder) {
    struct stat st {};
    if (!path.empty() && ::lstat(path.c_str(), &st) == 0) return TStShellItem::CreateFromPath(path);
    auto item = std::make_unique<TStShellItem>();
    if (!path.empty()) {
        item->Path = path;
        item->DisplayName = ExtractFileName(path);
        item->IsFileSystem = true;
        item->IsFolder = folder;
    }
    return item;
}

// The drive mask of a path's volume: the bit of its index in the drive list.
int DriveMask(const std::string& path) {
    if (path.empty()) return 0;
    const std::string mount = MountPointOf(path);
    const std::vector<TVolumeInfo> drives = DriveList();
    for (size_t i = 0; i < drives.size() && i < 32; ++i)
        if (drives[i].MountPoint == mount) return int(uint32_t(1) << i);
    return 0;
}

// Raises an event when a handler is assigned.
template <class Handler, class... Args>
void Fire(const Handler& handler, Args... args) {
    if (handler) handler(args...);
}

}  // namespace

uint32_t NotifyEventShellBit(TStNotifyEvents kind) { return kind <= neImageListChange ? kShellBits[kind] : 0; }

TStCustomShellNotification::TStCustomShellNotification(QObject* Owner)
    : TStComponent(Owner), shellVersion_(ReadShellVersion()) {
    watcher_.OnChange = [this](const TShellChange& change) { Notify(change); };
}

TStCustomShellNotification::~TStCustomShellNotification() { Deregister(); }

void TStCustomShellNotification::SetActive(bool Value) {
    active_ = Value;
    if (Value && !registered_) Register();
    if (!Value && registered_) Deregister();
}

void TStCustomShellNotification::SetNotifyEvents(TStNotifyEventsSet Value) {
    notifyEvents_ = Value & AllNotifyEvents;
    ReRegister();
}

void TStCustomShellNotification::SetSpecialWatchFolder(TStSpecialRootFolder Value) {
    CheckSpecialFolderVersion(Value, shellVersion_);
    if (Value == specialWatchFolder_) return;
    specialWatchFolder_ = Value;
    if (Value != sfNone) {
        watchFolder_.clear();
        ReRegister();
    }
}

void TStCustomShellNotification::SetWatchFolder(const std::string& Value) {
    watchFolder_ = Value;
    if (Value.empty()) return;
    specialWatchFolder_ = sfNone;
    struct stat st {};
    if (::stat(Value.c_str(), &st) != 0) RaiseStError<EStInvalidFolder>(StConst::stscInvalidFolder);
    ReRegister();
}

void TStCustomShellNotification::SetWatchSubFolders(bool Value) {
    watchSubFolders_ = Value;
    ReRegister();
}

void TStCustomShellNotification::ReRegister() {
    if (active_) Register();
}

void TStCustomShellNotification::Register() {
    Deregister();
    std::string folder;
    bool allVolumes = false;
    if (!watchFolder_.empty()) {
        folder = watchFolder_;
    } else if (specialWatchFolder_ == sfNone || specialWatchFolder_ == sfDesktop) {
        folder = SpecialFolderPath(sfDesktop);
        allVolumes = true;
    } else if (specialWatchFolder_ == sfDrives) {
        allVolumes = true;
    } else {
        folder = SpecialFolderPath(specialWatchFolder_);
    }
    registered_ = watcher_.Start(folder, watchSubFolders_, ShellMask(notifyEvents_), allVolumes);
}

void TStCustomShellNotification::Deregister() {
    watcher_.Stop();
    registered_ = false;
}

void TStCustomShellNotification::Notify(const TShellChange& Change) {
    if (!(Change.Event & ShellMask(notifyEvents_))) return;
    if (Change.Event & SHCNE_ATTRIBUTES) {
        auto oldItem = ItemFor(Change.Path1, false);
        auto newItem = ItemFor(Change.Path2, false);
        DoAttributeChange(oldItem.get(), newItem.get());
        DoShellChangeNotify(oldItem.get(), newItem.get(), NotifySet(neAttributesChange));
        return;
    }
    if (IsUpdate(Change.Event) && !pendingUpdates_.emplace(Change.Event, Change.Path1).second) return;
    if (pending_.size() >= kMaxPendingNotifications) {
        // Too many changes to report one by one: the owner reads the folder again,
        // which also shows this change.
        const std::string folder = watcher_.Folder().empty() ? ExtractFileDir(Change.Path1) : watcher_.Folder();
        pending_.clear();
        pendingUpdates_.clear();
        pendingUpdates_.emplace(SHCNE_UPDATEDIR, folder);
        pending_.push_back({SHCNE_UPDATEDIR, folder, {}});
    } else {
        pending_.push_back(Change);
    }
    if (!deliveryPosted_) {
        deliveryPosted_ = true;
        QMetaObject::invokeMethod(this, Guard([this] { DeliverPending(); }), Qt::QueuedConnection);
    }
}

void TStCustomShellNotification::DeliverPending() {
    QPointer<QObject> alive(this);
    while (alive && !pending_.empty()) {
        const TShellChange change = std::move(pending_.front());
        pending_.pop_front();
        if (IsUpdate(change.Event)) pendingUpdates_.erase({change.Event, change.Path1});
        // One failing handler must not keep the later notifications back.
        Guarded([&] { Deliver(change); });
    }
    if (alive) deliveryPosted_ = false;
}

void TStCustomShellNotification::Deliver(const TShellChange& Change) {
    const uint32_t code = Change.Event;
    const bool folder = code & (SHCNE_MKDIR | SHCNE_RMDIR | SHCNE_RENAMEFOLDER | SHCNE_UPDATEDIR);
    auto oldOwner = ItemFor(Change.Path1, folder);
    auto newOwner = ItemFor(Change.Path2, folder);
    TStShellItem* Old = oldOwner.get();
    TStShellItem* New = newOwner.get();
    TStNotifyEventsSet set = 0;
    auto found = [&](uint32_t bit, TStNotifyEvents kind) {
        if (!(code & bit)) return false;
        set |= NotifySet(kind);
        return true;
    };
    // A fixed order, whatever the order of the kinds.
    if (found(SHCNE_ASSOCCHANGED, neAssociationChange)) DoAssociationChange();
    if (found(SHCNE_UPDATEITEM, neFileChange)) DoFileChange(Old);
    if (found(SHCNE_CREATE, neFileCreate)) DoFileCreate(Old);
    if (found(SHCNE_DELETE, neFileDelete)) DoFileDelete(Old, New);
    if (found(SHCNE_RENAMEITEM, neFileRename)) DoFileRename(Old, New);
    if (found(SHCNE_DRIVEADD, neDriveAdd)) DoDriveAdd(Old);
    if (found(SHCNE_DRIVEREMOVED, neDriveRemove)) DoDriveRemove(Old);
    if (found(SHCNE_DRIVEADDGUI, neShellDriveAdd)) DoShellDriveAdd(Old);
    if (found(SHCNE_MEDIAINSERTED, neMediaInsert)) DoMediaInsert(Old);
    if (found(SHCNE_MEDIAREMOVED, neMediaRemove)) DoMediaRemove(Old);
    if (found(SHCNE_MKDIR, neFolderCreate)) DoFolderCreate(Old);
    if (found(SHCNE_RMDIR, neFolderDelete)) DoFolderDelete(Old);
    if (found(SHCNE_RENAMEFOLDER, neFolderRename)) DoFolderRename(Old, New);
    if (found(SHCNE_UPDATEDIR, neFolderUpdate)) DoFolderChange(Old);
    if (found(SHCNE_NETSHARE, neNetShare)) DoNetShare(Old);
    if (found(SHCNE_NETUNSHARE, neNetUnShare)) DoNetUnShare(Old);
    if (found(SHCNE_SERVERDISCONNECT, neServerDisconnect)) DoServerDisconnect(Old);
    if (found(SHCNE_UPDATEIMAGE, neImageListChange)) DoImageListChange();
    if (found(SHCNE_FREESPACE, neDriveSpaceChange)) DoDriveSpaceChange(DriveMask(Change.Path1));
    DoShellChangeNotify(Old, New, set);
}

void TStCustomShellNotification::DoAssociationChange() { Fire(OnAssociationChange, this); }
void TStCustomShellNotification::DoAttributeChange(TStShellItem* OldItem, TStShellItem* NewItem) {
    Fire(OnAttributeChange, this, OldItem, NewItem);
}
void TStCustomShellNotification::DoDriveAdd(TStShellItem* Item) { Fire(OnDriveAdd, this, Item); }
void TStCustomShellNotification::DoDriveRemove(TStShellItem* Item) { Fire(OnDriveRemove, this, Item); }
void TStCustomShellNotification::DoDriveSpaceChange(int Drive) { Fire(OnDriveSpaceChange, this, Drive); }
void TStCustomShellNotification::DoFileChange(TStShellItem* Item) { Fire(OnFileChange, this, Item); }
void TStCustomShellNotification::DoFileCreate(TStShellItem* Item) { Fire(OnFileCreate, this, Item); }
void TStCustomShellNotification::DoFileDelete(TStShellItem* OldItem, TStShellItem* NewItem) {
    Fire(OnFileDelete, this, OldItem, NewItem);
}
void TStCustomShellNotification::DoFileRename(TStShellItem* OldItem, TStShellItem* NewItem) {
    Fire(OnFileRename, this, OldItem, NewItem);
}
void TStCustomShellNotification::DoFolderChange(TStShellItem* Item) { Fire(OnFolderChange, this, Item); }
void TStCustomShellNotification::DoFolderCreate(TStShellItem* Item) { Fire(OnFolderCreate, this, Item); }
void TStCustomShellNotification::DoFolderDelete(TStShellItem* Item) { Fire(OnFolderDelete, this, Item); }
void TStCustomShellNotification::DoFolderRename(TStShellItem* OldItem, TStShellItem* NewItem) {
    Fire(OnFolderRename, this, OldItem, NewItem);
}
void TStCustomShellNotification::DoImageListChange() { Fire(OnImageListChange, this); }
void TStCustomShellNotification::DoMediaInsert(TStShellItem* Item) { Fire(OnMediaInsert, this, Item); }
void TStCustomShellNotification::DoMediaRemove(TStShellItem* Item) { Fire(OnMediaRemove, this, Item); }
void TStCustomShellNotification::DoNetShare(TStShellItem* Item) { Fire(OnNetShare, this, Item); }
void TStCustomShellNotification::DoNetUnShare(TStShellItem* Item) { Fire(OnNetUnShare, this, Item); }
void TStCustomShellNotification::DoServerDisconnect(TStShellItem* Item) {
    Fire(OnServerDisconnect, this, Item);
}
void TStCustomShellNotification::DoShellDriveAdd(TStShellItem* Item) { Fire(OnShellDriveAdd, this, Item); }
void TStCustomShellNotification::DoShellChangeNotify(TStShellItem* OldItem, TStShellItem* NewItem,
                                                     TStNotifyEventsSet Events) {
    Fire(OnShellChangeNotify, this, OldItem, NewItem, Events);
}

}  // namespace lumvor
