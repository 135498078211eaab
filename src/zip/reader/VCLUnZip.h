// TVCLUnZip: the program's own zip reader. It lists the central directory of
// one archive (`ZipName`) into sorted entries and extracts selected entries
// into a folder, decoding every method of the zip format up to deflate itself
// (stored, shrunk, reduced, imploded, deflated).
//
// It needs no display: the message pump, the message boxes and the busy cursor
// reach the host through callbacks, every other report through the events
// below (an unassigned event is skipped). Failures leave as EIncompleteZip,
// EUserCanceled, EFatalUnzipError or the stream and list errors of the platform.
//
// Hostile archives are contained: nothing is written outside the target folder
// (entries whose path climbs out of it, is absolute, runs through a symbolic
// link or is itself a link are skipped with srUnsafePath), output never exceeds
// an entry's declared size, and sizes the data cannot hold are refused.
#pragma once

#include "zip/reader/ZipDecoders.h"
#include "zip/reader/ZipHeaders.h"
#include "zip/reader/ZipStreams.h"

#include "platform/Classes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lumvor {

LUMVOR_EXCEPTION(EIncompleteZip, Exception);
LUMVOR_EXCEPTION(EUserCanceled, Exception);
LUMVOR_EXCEPTION(EFatalUnzipError, Exception);

enum TIncompleteZipMode { izAssumeMulti = 0, izAssumeBad = 1 };
enum TUZOverwriteMode { Prompt = 0, Always = 1, Never = 2 };

// Why an entry was not extracted.
enum TSkipReason {
    srBadPassword = 0,   // no accepted password
    srNoOverwrite = 1,   // the output file exists and is kept
    srUnsafePath = 2,    // the entry would land outside the target folder or is a link
    srUnsupported = 3,   // a compression method this reader cannot decode
    srCorrupt = 4,       // sizes or offsets that the archive cannot hold
    srCannotCreate = 5,  // the output file or its folder could not be made
};
// A short English text for a skip reason, for logs.
std::string SkipReasonText(TSkipReason reason);

enum TZipMessageKind { zmError, zmWarning };

class TVCLUnZip;

using TIncompleteZip = std::function<void(TVCLUnZip* Sender, TIncompleteZipMode& IncompleteMode)>;
using TGetNextDisk = std::function<void(TVCLUnZip* Sender, int NextDisk, std::string& FName)>;
using TStartUnzipInfo = std::function<void(TVCLUnZip* Sender, int NumFiles, int64_t TotalBytes, bool& StopNow)>;
using TStartUnZipEvent = std::function<void(TVCLUnZip* Sender, int FileIndex, const std::string& FName, bool& Skip)>;
using TEndUnZipEvent = std::function<void(TVCLUnZip* Sender, int FileIndex, const std::string& FName)>;
using TFilePercentDone = std::function<void(TVCLUnZip* Sender, int Percent)>;
using TTotalPercentDone = std::function<void(TVCLUnZip* Sender, int Percent)>;
using TSkippingFile = std::function<void(TVCLUnZip* Sender, TSkipReason Reason, int FileIndex)>;
using TBadPassword = std::function<void(TVCLUnZip* Sender, int FileIndex, std::string& NewPassword)>;
using TBadCRC = std::function<void(TVCLUnZip* Sender, uint32_t CalcCRC, uint32_t StoredCRC, int FileIndex)>;
using TPromptForOverwrite =
    std::function<void(TVCLUnZip* Sender, bool& OverWriteIt, int FileIndex, std::string& FName)>;

class TVCLUnZip {
public:
    TVCLUnZip();
    ~TVCLUnZip();
    TVCLUnZip(const TVCLUnZip&) = delete;
    TVCLUnZip& operator=(const TVCLUnZip&) = delete;

    // --- archive and directory
    const std::string& ZipName() const { return zipName_; }
    // A different name drops everything read; it never reads the archive.
    void SetZipName(const std::string& name);

    TZipSortMode SortMode = ByNone;  // applied when the directory is read
    TIncompleteZipMode IncompleteZipMode = izAssumeMulti;
    bool KeepZipOpen = false;
    bool DoProcessMessages = true;
    std::string Password;
    // A host may set this from the message pump; honoured and cleared by the
    // recovery scan and by extraction, cleared at the start of ReadZip and UnZip.
    bool CancelOperation = false;

    TIncompleteZip OnInCompleteZip;
    TGetNextDisk OnGetNextDisk;

    void ReadZip();
    void ClearZip();
    int Count() const;
    // Index in sorted view order; EListError "Index %d is out of range".
    std::string Filename(int index) const;
    std::string Pathname(int index) const;
    TDateTime DateTime(int index) const;  // 0 for an invalid stored date
    uint32_t CompressedSize(int index) const;
    uint32_t UncompressedSize(int index) const;
    const TZipHeaderInfo& Entry(int index) const;
    // The directory came from the recovery scan of a damaged archive.
    bool Recovered() const { return recovered_; }
    const TZipMain& EndRecord() const { return ecrec_; }

    // --- extraction
    const std::string& DestDir() const { return destDir_; }
    void SetDestDir(const std::string& dir);  // one trailing "/" is removed
    const std::string& RootDir() const { return rootDir_; }
    void SetRootDir(const std::string& dir);  // a trailing "/" is added
    bool RecreateDirs = false;
    TUZOverwriteMode OverwriteMode = Prompt;
    // Wildcard patterns ("*", "?", "[set]", "[!set]", "[^set]"); a pattern
    // with "/" is matched against the stored path, others against the name.
    TStringList FilesList;
    // Copies the given patterns.
    void SetFilesList(const TStrings& patterns) { FilesList.Assign(patterns); }
    bool DoAll = false;
    bool RetainAttributes = true;

    TStartUnzipInfo OnStartUnZipInfo;
    TStartUnZipEvent OnStartUnZip;
    TEndUnZipEvent OnEndUnZip;
    TFilePercentDone OnFilePercentDone;
    TTotalPercentDone OnTotalPercentDone;
    TSkippingFile OnSkippingFile;
    TBadPassword OnBadPassword;
    TBadCRC OnBadCRC;
    TPromptForOverwrite OnPromptForOverwrite;  // never raised by extraction

    // Extracts the selected entries; returns how many were written.
    int UnZip();

    // --- host services
    std::function<void()> OnProcessMessages;
    std::function<void(const std::string& text, const std::string& caption, TZipMessageKind kind)> OnMessage;
    std::function<void(bool busy)> OnBusyCursor;

private:
    friend class TUnZipRun;

    void Open();
    void Close();
    void DropDirectory();
    void ReadDirectory();
    bool FindEndRecord();
    void ReadZip64EndRecord(int64_t endRecordPosition);
    bool RecoveryScan();
    bool ReadCentralRecord(TZipHeaderInfo& entry, bool continueOnNextDisk);
    bool ReadLocalHeader(TZipHeaderInfo& entry);
    void BuildSortedView(TZipSortMode mode);
    void LoadDisk(int diskNumber);
    void ProcessMessages();
    void Message(const std::string& text, const std::string& caption, TZipMessageKind kind);
    int64_t ArchiveModTime() const;
    const TSortedZip& View() const;

    std::string zipName_;
    std::string destDir_;
    std::string rootDir_;
    std::unique_ptr<TLFNFileStream> archive_;
    std::unique_ptr<TSortedZip> directory_;
    std::unique_ptr<TSortedZip> sorted_;  // null while the view is the directory itself
    TZipMain ecrec_;
    int64_t zipModTime_ = 0;
    int currentDisk_ = 0;
    int multiDiskKind_ = 0;
    bool recovered_ = false;
};

// Case-insensitive wildcard match over the whole subject (characters, not bytes).
bool ZipWildcardMatch(const std::string& pattern, const std::string& subject);

}  // namespace lumvor
