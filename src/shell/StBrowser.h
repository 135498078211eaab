// Folder browse component: runs a folder chooser (a tree of folders under a root,
// with an explanatory text above it, an optional status line and edit box) and
// returns the chosen folder's path, display name and system icon index.
//
// The chooser is modal and runs through ExecModal, so tests answer it; while it
// runs, Dialog() is the chooser, and selecting a folder updates SelectedFolder and
// fires OnSelChanged, whose handler may change StatusText and OKEnabled.
//
// GUI thread only. Raises EStShellError 110 for special folders or options above
// the shell's version.
#pragma once

#include "shell/StShellItems.h"

#include <cstdint>
#include <string>

class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;
class QFileSystemModel;

namespace lumvor {

enum TStBrowseOption : uint16_t {
    boBrowseForComputer = 1 << 0,
    boBrowseForPrinter = 1 << 1,
    boDontGoBelowDomain = 1 << 2,
    boReturnOnlyAncestors = 1 << 3,
    boReturnOnlyDirs = 1 << 4,
    boShowFiles = 1 << 5,
    boEditBox = 1 << 6,
};
using TStBrowseOptionsSet = uint16_t;
enum TStBrowsePosition : uint8_t { bpDefault, bpScreenCenter };

class TStBrowser : public TStShellComponent {
public:
    explicit TStBrowser(QObject* Owner = nullptr);
    ~TStBrowser() override;

    std::string AdditionalText;
    std::string Caption;
    TStBrowseOptionsSet Options = boReturnOnlyDirs;
    TStBrowsePosition Position = bpScreenCenter;
    std::string RootFolder;
    TNotifyEvent OnShow;
    TNotifyEvent OnSelChanged;

    const std::string& SelectedFolder() const { return selectedFolder_; }
    // Removes one trailing "/" ("/" itself stays).
    void SetSelectedFolder(const std::string& Value);
    TStSpecialRootFolder SpecialRootFolder() const { return specialRootFolder_; }
    // The version gate, then stores the folder and its number in SpecialRootFolderID.
    void SetSpecialRootFolder(TStSpecialRootFolder Value);
    int SpecialRootFolderID() const { return specialRootFolderID_; }
    const std::string& StatusText() const { return statusText_; }
    // Stores the text and shows it at once in a running chooser.
    void SetStatusText(const std::string& Value);
    bool OKEnabled() const { return okEnabled_; }
    // Stores the value and enables or disables OK of a running chooser.
    void SetOKEnabled(bool Value);

    // Results of the last Execute.
    const std::string& DisplayName() const { return displayName_; }
    int ImageIndex() const { return imageIndex_; }
    const std::string& Folder() const { return folder_; }
    // The running chooser, nullptr when none is open.
    QDialog* Dialog() const { return dialog_; }
    // Its parts, for the component's handlers and for tests (nullptr when closed).
    QTreeView* Tree() const { return tree_; }
    QFileSystemModel* Model() const { return model_; }
    QPushButton* OKButton() const { return okButton_; }

    // True when the user chose a folder.
    bool Execute();

private:
    void Initialized();
    void SelectionChanged(const std::string& path);

    std::string selectedFolder_;
    TStSpecialRootFolder specialRootFolder_ = sfNone;
    int specialRootFolderID_ = 0;
    std::string statusText_;
    bool okEnabled_ = true;
    std::string displayName_;
    int imageIndex_ = 0;
    std::string folder_;
    QDialog* dialog_ = nullptr;
    QTreeView* tree_ = nullptr;
    QFileSystemModel* model_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QLineEdit* edit_ = nullptr;
    QPushButton* okButton_ = nullptr;
};

}  // namespace lumvor
