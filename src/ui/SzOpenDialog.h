// The program's file dialog family: a hooked dialog base and the open dialog.
//
// Every open and save of the program runs a non-native QFileDialog built here.
// TAMCommonDialog owns the live dialog while it runs and routes its events to
// the component: shown (DoShow), closed (DoClose), help (HelpContext).
// TSzOpenDialog adds the file properties (Filter with "|" separated
// description and pattern pairs, FilterIndex counted from 1, InitialDir,
// FileName, Files, Options) and the notifications of a running dialog:
// selection, folder and type changes and the closing query (OnCanClose).
// Dialogs with extra controls (the "template") override CustomizeDialog to put
// them into the dialog's layout; StaticRect is where the standard controls are.
//
// The dialog runs modally through ExecModal, so tests answer it with
// QueueModalAction. GUI thread only. Nothing here raises of its own; handlers
// run inside the exception guard.
#pragma once

#include "platform/Classes.h"
#include "platform/Controls.h"
#include "platform/Graphics.h"

#include <QFileDialog>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <string>

class QAbstractButton;
class QLineEdit;

namespace lumvor {

using TCloseQueryEvent = std::function<void(QObject* Sender, bool& CanClose)>;

// Options of the file dialogs; the values are the dialog flag bits they set.
enum TOpenOption : uint32_t {
    ofReadOnly = 0x1,
    ofOverwritePrompt = 0x2,
    ofHideReadOnly = 0x4,
    ofNoChangeDir = 0x8,
    ofShowHelp = 0x10,
    ofNoValidate = 0x100,
    ofAllowMultiSelect = 0x200,
    ofExtensionDifferent = 0x400,
    ofPathMustExist = 0x800,
    ofFileMustExist = 0x1000,
    ofCreatePrompt = 0x2000,
    ofShareAware = 0x4000,
    ofNoReadOnlyReturn = 0x8000,
    ofNoTestFileCreate = 0x10000,
    ofNoNetworkButton = 0x20000,
    ofNoLongNames = 0x40000,
    ofOldStyleDialog = 0x80000,
    ofNoDereferenceLinks = 0x100000,
    ofEnableSizing = 0x800000,
};
// A set of TOpenOption bits.
using TOpenOptions = uint32_t;

class TAMCommonDialog;

// The live dialog: a non-native QFileDialog that asks its component before it
// accepts and tells it when it is shown and closed.
class THookedFileDialog : public QFileDialog {
public:
    THookedFileDialog(TAMCommonDialog* component, QWidget* parent);
    void done(int result) override;

    // Named standard controls (null when the style has none).
    QLineEdit* FileNameEdit() const;
    QAbstractButton* OkButton() const;
    QAbstractButton* CancelButton() const;
    // The file list (list and detail views share its place).
    QWidget* FileList() const;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    TAMCommonDialog* component_;
    bool shown_ = false;
};

class TAMCommonDialog : public QObject {
public:
    explicit TAMCommonDialog(QObject* owner = nullptr);
    ~TAMCommonDialog() override;

    bool Ctl3D = true;
    long HelpContext = 0;
    // Name of the extra controls' layout; empty for none.
    std::string TemplateName;
    TNotifyEvent OnClose;
    TNotifyEvent OnShow;

    // The running dialog; null while none runs.
    THookedFileDialog* Handle() const { return handle_; }

    virtual bool Execute() = 0;
    // The dialog's help request: calls the application's help with HelpContext
    // and answers true, unless HelpContext is 0.
    bool HelpRequested();

    // Called by the live dialog.
    virtual void DialogShown();
    virtual bool DialogFileOk() { return true; }
    virtual void DialogDestroyed();
    // The dialog's size changed: extra controls follow the standard ones.
    virtual void DialogResized() {}

protected:
    virtual void DoClose();
    virtual void DoShow();

    // Runs the dialog modally; answers whether it was accepted. Remembers the
    // active window and activates it again afterwards.
    bool ModalRun(THookedFileDialog& dialog);

    QPointer<THookedFileDialog> handle_;
};

class TSzOpenDialog : public TAMCommonDialog {
public:
    explicit TSzOpenDialog(QObject* owner = nullptr);

    TStringList HistoryList;
    TOpenOptions Options = ofHideReadOnly | ofEnableSizing;
    std::string Filter;
    std::string Title;
    std::string DefaultExt;
    // Not passed to the dialog; dialogs with options read it to pick their controls.
    std::string HiddenDefaultExt;
    TStringList Files;
    TNotifyEvent OnSelectionChange;
    TNotifyEvent OnFolderChange;
    TNotifyEvent OnTypeChange;
    TCloseQueryEvent OnCanClose;

    // While the dialog runs: the path it shows now; otherwise the stored name.
    std::string FileName() const;
    void SetFileName(const std::string& name) { fileName_ = name; }
    // While the dialog runs: the filter chosen now; otherwise the stored index.
    int FilterIndex() const;
    void SetFilterIndex(int index) { filterIndex_ = index; }
    const std::string& InitialDir() const { return initialDir_; }
    // Drops one trailing path delimiter, except from a one-character path or
    // one whose delimiter follows a colon.
    void SetInitialDir(const std::string& dir);

    bool Execute() override;

    // The rectangle of the standard controls in the dialog's client
    // coordinates: empty without a dialog, the whole client area for an
    // old-style dialog.
    virtual TRect StaticRect() const;

    // Qt name filters of a "|" separated filter: "Text (patterns)" each, the
    // patterns separated by blanks, and each pattern's upper- and lower-case
    // forms added so that file names of either case are listed.
    static QStringList NameFilters(const std::string& filter);

    bool DialogFileOk() override;
    void DialogShown() override;

protected:
    virtual bool DoCanClose();
    virtual void DoSelectionChange();
    virtual void DoFolderChange();
    virtual void DoTypeChange();

    // Builds the dialog for a run (open or save).
    void SetupDialog(THookedFileDialog& dialog, bool save);
    void FitDialogToItsTexts(THookedFileDialog& dialog);
    // Extra controls of a template: put into the dialog before it is shown.
    virtual void CustomizeDialog(THookedFileDialog&) {}
    // Takes the extra controls back before the dialog is freed.
    virtual void ReleaseDialog(THookedFileDialog&) {}
    // Builds, runs and reads the dialog (the plain run).
    bool RunDialog(bool save);
    // Sidebar of the dialog (the places bar), filled when on.
    virtual bool PlacesBarWanted() const { return false; }
    // Fills Files (and FileName) from the names the dialog returns.
    void ReadFileNames(const QStringList& names);

    // The path of the item the dialog's view has current (set by the view).
    std::string currentPath_;

private:
    std::string fileName_;
    int filterIndex_ = 1;
    int currentFilter_ = 1;
    std::string initialDir_;
    QStringList nameFilters_;
};

// Centres a window: x = (screen width - width) / 2, y = (screen height - height) / 3.
void CenterWindow(QWidget& window);

// True when a file name ends in ".LNK" (any case).
bool IsShortcutName(const std::string& name);

}  // namespace lumvor
