// The folder picker: a folder tree over the mounted volumes (and, on request, the
// network places), a look-in box, a path box with the recent folders, and Up, Go
// to and New Folder buttons.
//
// The caller's Tag chooses the job: 0 choose a folder, 1 the same with OK
// captioned "C&opy", 2 captioned "M&ove", 9 list every media file of the chosen
// folder and all its sub-folders as slides into the slide album; any other Tag:
// OK only closes. ExecuteWalkForm answers whether the user confirmed; the chosen
// folder is left in WalkFolder. GUI thread only; the slide listing lets events
// through between folders so that Stop and Cancel take effect.
#pragma once

#include <QDialog>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "state/SlideListing.h"
#include "platform/Graphics.h"
#include "platform/ImgList.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QStatusBar;
class QTreeWidgetItem;

namespace lumvor {

class TComboBoxEx;
class TLookBoxEx;
class TToolBarEx;
class TToolButtonEx;
class TTreeViewEx;
class TStream;
struct TSlideRec;

namespace walk8900 {
// The initial folder in, the chosen folder (with a trailing "/") out.
inline std::string WalkFolder;
// Where the picker was when last closed with OK; Top -1 = none.
inline TRect WalkBounds{-1, -1, -1, -1};
// The recent folders kept by the picker.
constexpr int MaxFolderHistory = 16;
// The media files the slide listing takes (upper-cased extensions).
inline constexpr const char* SlideExtensions = ListableExtensions;
}  // namespace walk8900

class TWalkForm : public QDialog {
public:
    TWalkForm(QWidget* owner, int Tag, const std::string& Caption);
    ~TWalkForm() override;

    int Tag;

    QWidget* PanelEdit;
    TToolBarEx* WalkBar;
    TToolButtonEx* btnUp;
    TToolButtonEx* btnGoto;
    TToolButtonEx* btnNewFolder;
    TComboBoxEx* MoveHistory;
    TTreeViewEx* Tree;
    TLookBoxEx* WalkBox;
    QWidget* voStatusbarS;
    QPushButton* btnHelp;
    QPushButton* btnCancel;
    QPushButton* btnOK;
    QPushButton* btnStop;
    QCheckBox* chkNetworkSupport;
    QStatusBar* StatusBarW;
    QLabel* StatusPanel;

    void FormActivate();
    void WalkBoxChange();
    void TreeChange(QTreeWidgetItem* Node);
    void TreeExpanding(QTreeWidgetItem* Node);
    void btnUpClick();
    void btnGotoClick();
    void btnNewFolderClick();
    void btnOKClick();
    void btnStopClick();
    void btnCancelClick();
    void mnuGotoFolder();
    void mnuListSlideAlbum();
    void mnuNetworkSupportClick();

    // The text of the status panel.
    std::string StatusText() const;
    // The proposed name of a new folder in Folder: "New Folder", else
    // "New Folder (2)", "New Folder (3)", ... whichever is first free.
    static std::string ProposeFolderName(const std::string& Folder);

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void SetStatus(const std::string& text);
    void BuildDrives();
    void BuildTree();
    QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, const std::string& path, const std::string& caption,
                             int image);
    void FillNode(QTreeWidgetItem* node);
    void CollapseToPlaceholder(QTreeWidgetItem* node);
    void SelectPath(const std::string& folder);
    void UpdateButtons();
    bool Reachable(const std::string& folder) const;
    void CannotAccess(const std::string& folder);
    // The checks OK makes in both jobs; false keeps the form open.
    bool AcceptFolder();
    void AddToHistory(const std::string& folder);
    void ListFolder(const std::string& folder, TStream& names, int& filesScanned);
    std::vector<std::string> NetworkPlaces();
    std::string AppRoot() const;

    std::string caption_;
    bool activated_ = false;
    bool closing_ = false;
    bool busy_ = false;
    bool treeChanging_ = false;
    std::string lastRoot_;
    std::vector<std::string> drives_;  // top-level nodes of the tree
    std::unique_ptr<TImageList> barImages_;
};

// Shows the picker modally with Tag and Caption, starting at InitialFolder.
// True when closed with OK; the chosen folder is then in WalkFolder.
bool ExecuteWalkForm(int Tag, const std::string& Caption, const std::string& InitialFolder);

}  // namespace lumvor
