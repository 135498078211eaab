// File operations and shortcuts.
//
// TStFileOperation copies, moves, renames, deletes or recycles a list of files
// through the program's one file-operation engine (platform/FileOps.h), with the
// shell's dialogs around it: a question before deleting (unless
// foNoConfirmation), a question before replacing existing targets (unless
// foNoConfirmation or foRenameCollision: a taken name then becomes
// "name (2).ext", "name (3).ext", ...), a question before creating a missing
// destination folder (unless foNoConfirmMkDir), the status box as progress box
// with its Cancel button (unless foSilent) and an error box (unless
// foNoErrorUI). Deleting with foAllowUndo moves the files to the freedesktop
// trash.
//
// Sources may hold "*" and "?" in their name part; they stand for every
// matching entry of their folder (files only with foFilesOnly). A source line
// "a.jpg=b.jpg" maps one source to its own destination.
//
// Execute raises EStFileOpError (111, 112, 131, 132) before anything is done
// when the input is unusable. A failure of the operation itself gives False,
// ErrorCode/ErrorString and OnError; the operation stops at the first failure,
// every source after it stays untouched, and DoneFiles lists the sources that
// were handled before it. A cancel gives ErrorCode 1223 and Aborted.
//
// TStShortcut writes shortcuts as symbolic links named "<name>.lnk" and reads
// them back; a Windows shortcut file met on disk is read for its target.
//
// GUI thread only.
#pragma once

#include "shell/StShellItems.h"

#include "platform/Classes.h"

#include <cstdint>
#include <string>

namespace lumvor {

enum TStFileOp : uint8_t { fopCopy, fopDelete, fopMove, fopRename };

// Option set: bit n is option n.
using TStFileOpOptions = uint16_t;
constexpr TStFileOpOptions foAllowUndo = 1 << 0;
constexpr TStFileOpOptions foFilesOnly = 1 << 1;
constexpr TStFileOpOptions foNoConfirmation = 1 << 2;
constexpr TStFileOpOptions foNoConfirmMkDir = 1 << 3;
constexpr TStFileOpOptions foNoErrorUI = 1 << 4;
constexpr TStFileOpOptions foRenameCollision = 1 << 5;
constexpr TStFileOpOptions foSilent = 1 << 6;
constexpr TStFileOpOptions foSimpleProgress = 1 << 7;

namespace StFileOp {
// The code of a cancel by the user and its text.
constexpr int32_t ERROR_CANCELLED = 1223;
inline const std::string CancelledText = "The operation was canceled by the user.";
// The program's error number for a system error number (errno) of a failed
// operation.
int32_t ErrorCodeOfSystemError(int err);
}  // namespace StFileOp

class TStFileOperation : public TStShellComponent {
public:
    explicit TStFileOperation(QObject* Owner = nullptr);

    bool ConfirmFiles = true;
    const std::string& Destination() const { return destination_; }
    // Trailing "/" characters are removed ("/" itself stays).
    void SetDestination(const std::string& Value);
    TStFileOp Operation = fopCopy;
    TStFileOpOptions Options = foAllowUndo | foFilesOnly | foRenameCollision;
    std::string SimpleText;
    TStrings& SourceFiles() { return sourceFiles_; }
    void SetSourceFiles(const TStrings& Value) { sourceFiles_.Assign(Value); }

    bool Aborted() const { return aborted_; }
    // The sources handled completely by the last Execute, in order, and the
    // source it stopped at ("" when none).
    const TStringList& DoneFiles() const { return doneFiles_; }
    const std::string& FailedFile() const { return failedFile_; }

    bool Execute();

private:
    std::string destination_;
    TStringList sourceFiles_;
    TStringList doneFiles_;
    std::string failedFile_;
    bool aborted_ = false;
};

enum TStLocationType : uint8_t { ltWorkingDir, ltSpecialFolder, ltDirectory };
enum TShowState : uint8_t { ssNormal, ssMinimized, ssMaximized };

class TStShortcut : public TStShellComponent {
public:
    explicit TStShortcut(QObject* Owner = nullptr);

    bool AutoName = true;
    std::string Description;
    std::string DestinationDir;
    std::string FileName;
    uint16_t HotKey = 0;
    int IconIndex = 0;
    std::string IconPath;
    TStLocationType LocationType = ltSpecialFolder;
    std::string Parameters;
    std::string ShortcutFileName;
    TShowState ShowCommand = ssNormal;
    std::string StartInDir;
    TStSpecialRootFolder SpecialFolder() const { return specialFolder_; }
    // The version gate, then stores the folder.
    void SetSpecialFolder(TStSpecialRootFolder Value);

    // Writes the shortcut; True when it was saved (ShortcutFileName then names it).
    // Raises EStShortcutError 124 for ltDirectory without DestinationDir.
    bool CreateShortcut();
    // Reads the shortcut at ShortcutFileName and fills FileName and the other
    // values from it; False when it cannot be read or its target does not exist.
    // Raises EStShortcutError 73 when ShortcutFileName is empty.
    bool ResolveShortcut();

private:
    TStSpecialRootFolder specialFolder_ = sfDesktop;
};

// What a Windows shortcut file holds, as far as the program uses it.
struct TShellLinkData {
    std::string LocalBasePath;  // the target as written, with "\" separators
    std::string RelativePath;   // relative to the shortcut's folder
    std::string Description, WorkingDir, Arguments, IconLocation;
    int32_t IconIndex = 0;
    uint32_t ShowCommand = 1;
    uint16_t HotKey = 0;
};

// Parses a Windows shortcut file image; False when it is not one or is damaged.
bool ParseShellLink(const std::string& data, TShellLinkData& link);

}  // namespace lumvor
