// Open and save dialogs with the places bar, and the pieces shared by the
// dialogs that add controls below or beside the standard ones.
//
// TMeOpenDialog runs the open dialog, TMeSaveDialog the save dialog; with
// ShowPlacesBar the dialog's sidebar lists the desktop, documents, pictures,
// home and root folders, without it the sidebar is hidden.
//
// TRecentHelpButtons are the "Help" and "Recent" buttons of the dialogs with
// extra controls: Help above Recent, both at the Cancel button's left and
// width. "Recent" sets the owner's ExecuteRecent and closes the dialog, so
// Execute answers false and the caller offers its recent folders. GUI thread only.
#pragma once

#include "ui/SzOpenDialog.h"

#include <QPushButton>
#include <QWidget>

#include <memory>

namespace lumvor {

class TMeOpenDialog : public TSzOpenDialog {
public:
    explicit TMeOpenDialog(QObject* owner = nullptr) : TSzOpenDialog(owner) {}
    bool ShowPlacesBar = false;
    bool Execute() override;

protected:
    bool PlacesBarWanted() const override { return ShowPlacesBar; }
    // True for the save dialog.
    virtual bool SaveVariant() const { return false; }
};

class TMeSaveDialog : public TMeOpenDialog {
public:
    explicit TMeSaveDialog(QObject* owner = nullptr) : TMeOpenDialog(owner) {}

protected:
    bool SaveVariant() const override { return true; }
};

class TRecentHelpButtons {
public:
    // Buttons on panel; "Recent" sets *executeRecent and closes owner's dialog.
    TRecentHelpButtons(TAMCommonDialog& owner, QWidget* panel, bool* executeRecent);

    QPushButton* FHelp;
    QPushButton* FRecent;

    // Help above Recent at the Cancel button's left and width (panel coordinates).
    void Place(THookedFileDialog& dialog, QWidget& panel);
};

// A panel without bevels or border for extra controls.
std::unique_ptr<QWidget> NewExtraPanel(const char* name);
// Puts panel into the dialog's layout in a new row below the standard controls.
void AddPanelBelow(THookedFileDialog& dialog, QWidget& panel);
// Puts panel into the dialog's layout in a new column right of the list.
void AddPanelRight(THookedFileDialog& dialog, QWidget& panel);
// Takes a panel back from a dialog that is about to be freed.
void TakePanelBack(QWidget& panel);
// Empties the file-name box when the dialog's current name is a shortcut
// (".LNK"), so that its name does not stay as the name to open or save.
void ClearShortcutName(THookedFileDialog& dialog, const std::string& currentName);
// Hides the application's hint window.
void HideHintWindow();
// A rectangle of a dialog control in panel's coordinates.
QRect ControlRectIn(const QWidget* control, const QWidget& panel);

}  // namespace lumvor

namespace lumvor {

// A file dialog with "Help" and "Recent" on a panel below the standard
// controls (JPanel). Execute clears ExecuteRecent; "Recent" sets it and closes
// the dialog. The panel keeps its controls from one run to the next.
template <class Base>
class TRecentDialogEx : public Base {
public:
    explicit TRecentDialogEx(QObject* owner = nullptr)
        : Base(owner), JPanel(NewExtraPanel("JPanel")), buttons_(*this, JPanel.get(), &ExecuteRecent) {
        JPanel->setFixedHeight(60);
    }

    bool ExecuteRecent = false;
    std::unique_ptr<QWidget> JPanel;
    QPushButton* FHelp() const { return buttons_.FHelp; }
    QPushButton* FRecent() const { return buttons_.FRecent; }

    bool Execute() override {
        ExecuteRecent = false;
        return Base::Execute();
    }

protected:
    void CustomizeDialog(THookedFileDialog& dialog) override { AddPanelBelow(dialog, *JPanel); }
    void ReleaseDialog(THookedFileDialog&) override { TakePanelBack(*JPanel); }
    void DialogResized() override {
        if (this->Handle())
            PlaceControls(*this->Handle());
    }
    // Places the panel's controls after the standard ones.
    virtual void PlaceControls(THookedFileDialog& dialog) { buttons_.Place(dialog, *JPanel); }
    void DoFolderChange() override {
        Base::DoFolderChange();
        if (this->Handle())
            ClearShortcutName(*this->Handle(), this->FileName());
    }
    void DoClose() override {
        Base::DoClose();
        HideHintWindow();
    }

private:
    TRecentHelpButtons buttons_;
};

}  // namespace lumvor
