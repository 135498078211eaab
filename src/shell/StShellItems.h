// Shell items and folder enumeration.
//
// A shell item is one object of the file namespace: a file, a folder, a volume or
// a special folder, with its display name, full path, system icon indexes and
// attributes. The enumerator lists the children of a root folder, given as a path
// or as a special folder, into a list of items, optionally sorted in the shell's
// order: folders before files, then by display name ignoring case.
//
// Special folders map onto the user's XDG folders where one exists; the computer
// (sfDrives) lists the mounted volumes. A special folder without a counterpart
// here is unavailable: its root item has an empty path and it lists nothing.
//
// Hidden items are those whose name begins with ".". Symbolic links are listed
// as themselves; one that leads to a folder counts as a folder.
//
// Failures: EStInvalidFolder (240) for paths that do not exist, EStShellError
// (110) for special folders above the shell's version. GUI thread only.
#pragma once

#include "shell/StBase.h"

#include "platform/ImgList.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lumvor {

// The special folders, in this (alphabetical) order; stored forms use the ordinals.
enum TStSpecialRootFolder : uint8_t {
    sfAltStartup, sfAppData, sfBitBucket, sfCommonAltStartup, sfCommonDesktopDir, sfCommonFavorites,
    sfCommonPrograms, sfCommonStartMenu, sfCommonStartup, sfControls, sfCookies, sfDesktop,
    sfDesktopDir, sfDrives, sfFavorites, sfFonts, sfHistory, sfInternet, sfInternetCache, sfNetHood,
    sfNetwork, sfNone, sfPersonal, sfPrinters, sfPrintHood, sfPrograms, sfRecentFiles, sfSendTo,
    sfStartMenu, sfStartup, sfTemplates
};

// The shell's number of a special folder (sfNone gives 0, like sfDesktop).
int SpecialFolderCSIDL(TStSpecialRootFolder Folder);

// The folder's path with a trailing "/", or "" when it has none here (the
// computer and the unavailable folders).
std::string SpecialFolderPath(TStSpecialRootFolder Folder);

// Raises EStShellError 110 when Folder needs a newer shell than ShellVersion.
void CheckSpecialFolderVersion(TStSpecialRootFolder Folder, double ShellVersion);

class TStShellItemList;

class TStShellItem {
public:
    // An empty item: names empty, ImageIndex -1.
    TStShellItem() = default;
    virtual ~TStShellItem() = default;

    // An item for an existing path; EStInvalidFolder (240) when it does not exist.
    static std::unique_ptr<TStShellItem> CreateFromPath(const std::string& Path);

    std::string DisplayName;
    std::string Path;
    int ImageIndex = -1;
    int OpenImageIndex = -1;
    int OverlayIndex = -1;  // 1 for a shortcut, -1 for none
    bool IsDesktop = false;
    bool IsFileSystem = false;
    bool IsFolder = false;
    TStShellItemList* ItemList = nullptr;

    // Asked of the file system at each call; False for the desktop item.
    bool GetHasPropSheet() const;
    bool GetHasSubFolder() const;
    bool GetIsLink() const;
    bool HasPropSheet() const { return GetHasPropSheet(); }
    bool HasSubFolder() const { return GetHasSubFolder(); }
    bool IsLink() const { return GetIsLink(); }

protected:
    // Fills the item from an existing path (the caller has checked it exists).
    void Fill(const std::string& path);
    friend class TStShellEnumerator;
};

// The class of an enumerator's root item.
class TStShellFolder : public TStShellItem {};

// Owns its items.
class TStShellItemList {
public:
    int GetCount() const { return int(items_.size()); }
    int Count() const { return GetCount(); }
    // The item, or nullptr when Index is outside the list.
    TStShellItem* GetItem(int Index) const;
    TStShellItem* operator[](int Index) const { return GetItem(Index); }
    void Add(std::unique_ptr<TStShellItem> Item) { items_.push_back(std::move(Item)); }
    void Clear() { items_.clear(); }

private:
    friend class TStShellEnumerator;
    std::vector<std::unique_ptr<TStShellItem>> items_;
};

// What every shell controller shares: the item list and the system icon lists.
class TStCustomShellController : public TStComponent {
public:
    explicit TStCustomShellController(QObject* Owner = nullptr);

    TStShellItemList Items;
    TImageList& SmallImages;
    TImageList& LargeImages;
    int SubstituteIconIndex = -1;
};

enum TStEnumeratorOption : uint8_t { eoIncludeFolders = 1, eoIncludeHidden = 2, eoIncludeNonFolders = 4 };
using TStEnumeratorOptions = uint8_t;
enum TStSortDirection : uint8_t { sdAscending, sdDescending };

using TStEnumItemEvent = std::function<void(QObject* Sender, TStShellItem* Item, bool& Accept)>;

class TStShellEnumerator : public TStCustomShellController {
public:
    explicit TStShellEnumerator(QObject* Owner = nullptr);

    TStEnumeratorOptions Options = eoIncludeFolders | eoIncludeNonFolders;

    const std::string& RootFolder() const { return rootFolder_; }
    // Stores the path; a non-empty one replaces the special folder (sfNone).
    void SetRootFolder(const std::string& Value);
    TStSpecialRootFolder SpecialRootFolder() const { return specialRootFolder_; }
    // The version gate, then stores the folder; a folder other than sfNone
    // empties RootFolder.
    void SetSpecialRootFolder(TStSpecialRootFolder Value);
    bool Sorted() const { return sorted_; }
    void SetSorted(bool Value);
    TStSortDirection SortDirection() const { return sortDirection_; }
    void SetSortDirection(TStSortDirection Value);
    double ShellVersion() const { return shellVersion_; }

    TStEnumItemEvent OnEnumItem;

    // The root of the last enumeration (nullptr before the first).
    TStShellFolder* RootItem() const { return rootItem_.get(); }

    // Lists the root's children into Items; does nothing when no root is chosen.
    void Enumerate();

private:
    void Sort();

    std::string rootFolder_;
    TStSpecialRootFolder specialRootFolder_ = sfNone;
    bool sorted_ = true;
    TStSortDirection sortDirection_ = sdAscending;
    double shellVersion_ = 0;
    bool rootCached_ = false;
    std::unique_ptr<TStShellFolder> rootItem_;
};

}  // namespace lumvor
