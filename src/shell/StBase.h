// Common ground of the shell component family: the component base with its fixed
// version text, the exceptions raised by message number with their message table,
// the version reader and the shell base that keeps the last error.
//
// Message tables are blobs in a small binary format (little-endian):
//   "STR0", entry count N, N entries of (id, offset of the text, length of the
//   text in UTF-16 units) sorted by id, then the UTF-16 texts.
// The two tables of the program are built into it; a lookup checks every offset
// and length against the blob, so a damaged table raises instead of overrunning.
//
// Version data: files here carry no version resources. The version reader knows
// the program's own file and the shell layer ("shell32.dll" in the system folder),
// whose version data are built in; any other existing file has none (message 100).
//
// GUI thread only.
#pragma once

#include "platform/Controls.h"
#include "platform/SysUtils.h"

#include <QObject>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumvor {

// ---- Exceptions

// Base of the family: a message text and the number it was looked up by.
class EStException : public Exception {
public:
    explicit EStException(std::string message, int32_t messageId = 0)
        : Exception(std::move(message)), MessageId(messageId) {}
    int32_t MessageId;
};

LUMVOR_EXCEPTION(EStVersionInfoError, EStException);
LUMVOR_EXCEPTION(EStShellError, EStException);
LUMVOR_EXCEPTION(EStFileOpError, EStException);
LUMVOR_EXCEPTION(EStShortcutError, EStException);
LUMVOR_EXCEPTION(EStInvalidFolder, EStException);
// Raised by the message-table reader itself.
LUMVOR_EXCEPTION(EStStringResourceError, Exception);

// Message numbers raised by the shell components.
namespace StConst {
constexpr int32_t stscFileOpen = 73;            // "Error opening file"
constexpr int32_t stscNoVerInfo = 100;          // "File does not contain version info"
constexpr int32_t stscVerInfoFail = 101;        // "Unable to read version info"
constexpr int32_t stscShellVersionError = 110;  // "Operation not supported in this version of the shell"
constexpr int32_t stscShellFileOpSrcError = 111;
constexpr int32_t stscShellFileOpDstError = 112;
constexpr int32_t stscNoPathSpecified = 124;
constexpr int32_t stscShellLinkError = 125;
constexpr int32_t stscShellFileOpMapError = 131;
constexpr int32_t stscShellFileOpFileError = 132;
constexpr int32_t stscKeyNotFound = 134;
constexpr int32_t stscInvalidFolder = 240;
}  // namespace StConst

// ---- Message tables

// Reader of one message table blob.
class TStStringResource {
public:
    // Raises EStStringResourceError "Invalid string resource" when the blob does
    // not start with the signature.
    TStStringResource(std::string resourceName, std::string data, bool reportError = false);

    const std::string& ResourceName() const { return resourceName_; }
    // The text with that id; "" when the table has none (or EStStringResourceError
    // "String not found: %d" when the table was opened with reportError).
    std::string GetAsString(int32_t id) const;

private:
    std::string resourceName_;
    std::string data_;
    bool reportError_;
};

// Builds a table blob from (id, UTF-8 text) pairs; the pairs need not be sorted.
std::string BuildStringTable(const std::vector<std::pair<int32_t, std::string>>& entries);

// The family's English message table and the table reader's own messages
// ("STSRMGR_STRINGS"), opened on first use.
const TStStringResource& StMessages();
const TStStringResource& StResourceMessages();

// The family's text for a message number ("" when it has none).
std::string StMessageText(int32_t id);

// Raises exception class E with the text of message id.
template <class E>
[[noreturn]] void RaiseStError(int32_t id) {
    throw E(StMessageText(id), id);
}

// ---- Components

// Base of every component of the family.
class TStComponent : public QObject {
public:
    explicit TStComponent(QObject* Owner = nullptr) : QObject(Owner) {}
    // Always "3.00"; assigning does nothing.
    std::string Version() const { return "3.00"; }
    void SetVersion(const std::string&) {}
};

// ---- Version reader

// Reads the number of a version text: the text as a floating-point number, else
// with the text cut before its second "." when that stands within the first
// seven characters ("4.72.3110.1" gives 4.72); 0 for an empty or unreadable text.
double VersionTextToFloat(const std::string& text);

// The built-in version data of a file: string values by key and the fixed block.
struct TStVersionData {
    uint32_t Translation = 0;  // language in the low 16 bits, code page in the high 16 bits
    std::vector<std::pair<std::string, std::string>> Strings;
    uint32_t FileVersionMS = 0, FileVersionLS = 0;
    uint32_t ProductVersionMS = 0, ProductVersionLS = 0;
    uint32_t FileFlagsMask = 0x3F, FileFlags = 0, FileOS = 0x40004, FileType = 1, FileSubtype = 0;
};

namespace StBase {
// Name of the shell layer's library, looked for in the system folder.
inline const std::string ShellLibraryName = "shell32.dll";
// The version text of the shell layer: new enough for every shell feature.
inline const std::string ShellLibraryVersion = "4.72.3110.1";
}  // namespace StBase

// The system folder (where the shell layer's library is found).
std::string SystemFolder();

// The shell's version: FileVersionFloat of the shell layer's library.
double ReadShellVersion();

class TStVersionInfo : public TStComponent {
public:
    explicit TStVersionInfo(QObject* Owner = nullptr);

    const std::string& FileName() const { return fileName_; }
    // A file that does not exist raises EStVersionInfoError 73; an empty name
    // becomes the program's own file. A different name drops the loaded values.
    void SetFileName(const std::string& Value);

    // Values, read on first use. Reading raises EStVersionInfoError 100 when the
    // file carries no version data.
    std::string Comments();
    std::string CompanyName();
    std::string FileDescription();
    std::string FileVersion();
    std::string InternalName();
    std::string LegalCopyright();
    std::string LegalTrademark();
    std::string OriginalFilename();
    std::string ProductName();
    std::string ProductVersion();
    double FileVersionFloat();
    double ProductVersionFloat();
    uint32_t FileMajorVersion();  // high half of the file version
    uint32_t FileMinorVersion();  // low half
    uint32_t ProductMajorVersion();
    uint32_t ProductMinorVersion();
    uint32_t FileFlagsMask();
    uint32_t FileFlags();
    uint32_t FileOS();
    uint32_t FileType();
    uint32_t FileSubtype();
    TDateTime FileDate();
    uint32_t TranslationValue();
    int LanguageCount();
    std::string LanguageName();
    // The value under "StringFileInfo\<lang><codepage>\" + Key; a missing key
    // raises EStVersionInfoError 134.
    std::string GetKeyValue(const std::string& Key);

private:
    void Load();
    std::string Value(const char* key);

    std::string fileName_;
    bool loaded_ = false;
    TStVersionData data_;
};

// ---- Shell base

class TStShellComponent : public TStComponent {
public:
    explicit TStShellComponent(QObject* Owner = nullptr);

    double ShellVersion() const { return shellVersion_; }
    int32_t ErrorCode() const { return errorCode_; }
    const std::string& ErrorString() const { return errorString_; }
    TNotifyEvent OnError;

    // Stores the code and its text and fires OnError when assigned.
    void SetError(int32_t Code, const std::string& Text);

protected:
    double shellVersion_ = 0;
    int32_t errorCode_ = 0;
    std::string errorString_;
};

}  // namespace lumvor
