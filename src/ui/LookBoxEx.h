// The look-in box: the owner-drawn drop-down of the explorer's path box and of
// the folder picker. It lists the desktop folder, the computer, the drives (the
// mounted volumes), the chain of folders from the current folder's drive down to
// the current folder, and optionally the network roots, each with its system
// icon and name, indented by its level.
//
// Each entry is a text and a 32-bit object value that the explorer reads:
//   desktop                 DesktopDir                      0
//   computer                ""                              4
//   drive                   mount point + "/"               8
//   folder of the path      path up to that level's "/"     4 x level (+1 current);
//                                                           level 3 is the first
//                                                           folder below the drive
//   network root            root + "/"                      0x80000000 + its index
//   folder below a root     path up to that level's "/"     0x40000000 + 4 x level
//                                                           (+1 current)
// A network path is one that starts with "//". Paths compare exactly.
//
// OnChange fires only from SetFolder; picking an entry calls SetFolder with its
// text. GUI thread only.
#pragma once

#include <QComboBox>

#include "platform/Classes.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lumvor {

class TLookBoxEx : public QComboBox {
public:
    explicit TLookBoxEx(QWidget* owner = nullptr);

    // Object values of the entries.
    static constexpr uint32_t ovDesktop = 0;
    static constexpr uint32_t ovComputer = 4;
    static constexpr uint32_t ovDrive = 8;
    static constexpr uint32_t ovNetworkRoot = 0x80000000u;
    static constexpr uint32_t ovNetworkFolder = 0x40000000u;

    // While set the list is not rebuilt (the owner is closing).
    bool Closing = false;

    bool NetworkSupport() const { return networkSupport_; }
    // Rebuilds the list.
    void SetNetworkSupport(bool Value);

    // The current folder, ending in "/"; "" is the computer.
    const std::string& Folder() const { return folder_; }
    // Path gets a trailing "/" when missing; a path other than Folder becomes
    // Folder, the list is rebuilt and OnChange fires.
    void SetFolder(const std::string& Path);

    // Network roots (share paths starting with "//", without a trailing "/").
    const TStringList& NetworkDrives() const { return networkDrives_; }
    // Replaces the roots without rebuilding; the next build shows them.
    void SetNetworkDrives(const TStrings& List);

    // The drives present: the mounted volumes' roots with a trailing "/", in
    // drive order. Read when created and by RefreshDrives.
    std::vector<std::string> DriveMask;
    // Re-reads the drives and rebuilds.
    void RefreshDrives();

    bool IsDriveItem(int Index) const;
    bool IsNetworkItem(int Index) const;

    int ItemCount() const { return count(); }
    std::string ItemText(int Index) const;
    uint32_t ItemObject(int Index) const;
    // The indent level an entry is drawn at.
    int ItemLevel(int Index) const;
    // The name and system icon index shown for an entry.
    std::string ItemCaption(int Index) const;
    int ItemImage(int Index) const;

    // Fixed at creation.
    std::string DesktopDir;
    std::string DesktopName, ComputerName;
    int DesktopIcon = -1, ComputerIcon = -1;
    int OpenFolderIcon = -1, ClosedFolderIcon = -1;

    std::function<void(QObject* Sender)> OnChange;
    std::function<void(QObject* Sender)> OnDropDown;
    std::function<void(QObject* Sender)> OnExit;

    // Builds the list from Folder, the drives and the network roots (not while
    // Closing).
    void BuildList();

    void showPopup() override;
    void hidePopup() override;

    // Draws one entry (also used by the drop-down's delegate). InField: the
    // closed box's selection field, drawn without indent.
    void DrawItem(QPainter& Painter, const QRect& Rect, int Index, bool Selected, bool Focused,
                  bool InField) const;
    int ItemHeight() const { return itemHeight_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void AddEntry(const std::string& Text, uint32_t Object);
    void Activate(int Index);
    void UpdateItemHeight();

    std::string folder_;
    bool networkSupport_ = false;
    TStringList networkDrives_;
    int itemHeight_ = 18;
};

}  // namespace lumvor
