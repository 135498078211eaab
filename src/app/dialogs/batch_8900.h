// The "Lab Script" window: a memo that shows the recorded Lab script and lets
// the user edit it as plain text, and a menu that clears, opens, saves and
// performs it and holds two options ("No &Undo (faster)", "Add commands as
// &JPEG comment", viewer settings bytes 150 and 53).
//
// Scripts are ".bip" text files, one line per command, exactly the memo's
// lines: read as UTF-8 (a file that is not valid UTF-8 as Windows-1252) with
// CR LF, LF or CR line ends, written with CR LF.
//
// One window per run, made on first use as a top-level child of the image
// window; closing only hides it until the program shuts down, and every close
// stores its bounds in the viewer settings at bytes 0 to 15. The first
// activation sets BatchFormOpen, after which recorded lines go into the memo
// whether it shows or not. The flags of script runs live in LabState.h.
// GUI thread only.
#pragma once

#include "platform/Classes.h"
#include "platform/Graphics.h"
#include "processing/script/LabState.h"

#include <QMainWindow>

#include <string>
#include <vector>

class QMenu;
class QPlainTextEdit;

namespace lumvor {

class TMenuItem;

namespace batch_8900 {
// The folder the script dialogs open in: the data folder's "bipfiles" at
// first, then the folder of the last script opened or saved.
inline std::string BipFolder;
// The current script's name without its folder ("" until one is opened or saved).
inline std::string BipFileName;
// Help context of the window.
inline constexpr long LabHelpContext = 450;
inline constexpr const char* LabCaption = "Lab Script";
inline constexpr const char* BipFilter = "BIP (Batch Image Processor)|*.bip";
inline constexpr const char* BipExt = "bip";
inline constexpr const char* BipFolderName = "bipfiles";
}  // namespace batch_8900

// Where the window goes. Stored (Left, Top, Right, Bottom) with Left -1 means
// never stored: 320 x 480 at the screen's top left, moved to one pixel right of
// the image window's width when the screen is more than 320 pixels wider than
// that window. Otherwise Left and Top below 0 become 0, the size is capped at
// the screen, a side under 64 pixels gives half the screen's width and three
// quarters of its height, and a window reaching past the right or bottom edge
// is pulled back to end there (never past the left or top edge).
TRect LabScriptBounds(const TRect& Stored, int ViewerWidth, int ScreenWidth, int ScreenHeight);

class TBatchForm : public QMainWindow {
public:
    explicit TBatchForm(QWidget* owner = nullptr);
    ~TBatchForm() override;

    QPlainTextEdit* Memo1 = nullptr;
    TMenuItem* mnuNewB = nullptr;
    TMenuItem* mnuOpenB = nullptr;
    TMenuItem* mnuSaveB = nullptr;
    TMenuItem* Exit1 = nullptr;
    QMenu* mnuLabOptions = nullptr;
    TMenuItem* chkNoLabBackup = nullptr;
    TMenuItem* chkLabComments = nullptr;
    TMenuItem* mnuPerformB = nullptr;
    TMenuItem* mnuHelp = nullptr;
    // 0 until batch conversion was told to run the script on every file
    // without asking ("Yes to All").
    int Tag = 0;

    // Number of lines of the script in the memo.
    int LineCount() const;
    // The memo's lines (a last line break adds no empty line).
    std::vector<std::string> ScriptLines() const;
    // The memo holds these lines.
    void SetScriptLines(const TStrings& Lines);
    void Show();
    void Close();

    void FormCreate();
    // Disables the image window's File and View menus and its shortcuts while
    // this window is active, marks the window opened and ticks the options
    // from the viewer settings.
    void FormActivate();
    // Stores the bounds; unless the program shuts down the window only hides.
    void FormCloseQuery(bool& CanClose);
    void FormClose();
    void Exit1Click(QObject* Sender);
    void mnuHelpClick(QObject* Sender);
    void Memo1Change();
    void mnuNewBClick(QObject* Sender);
    void mnuOpenBClick(QObject* Sender);
    void mnuSaveBClick(QObject* Sender);
    // Runs the memo on the picture with one undo copy for the whole run
    // (none with "No &Undo (faster)"); an empty memo does nothing.
    void mnuPerformBClick(QObject* Sender);
    void chkNoLabBackupClick(QObject* Sender);
    void chkLabCommentsClick(QObject* Sender);
    // BipFolder, or the data folder's "bipfiles", or the shipped "bipfiles"
    // beside the program, or the data folder: the first that exists.
    static void CheckBipFolder();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildMenu();
    // The memo from a script file; emptied when the file cannot be read.
    void LoadScript(const std::string& FileName);
    // BipFileName and BipFolder follow the file; the caption names it.
    void TakeScriptName(const std::string& FileName);
    // Toggles an option item, tells what it now means and stores it at Offset.
    void ToggleOption(TMenuItem* Item, std::size_t Offset, const char* OnText, const char* OffText);
};

// The Lab Script window, made on first use.
TBatchForm& EnsureBatchForm();

}  // namespace lumvor
