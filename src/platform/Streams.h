// Byte streams: the abstract TStream with its memory and file descendants.
//
// Positions and sizes are 64-bit. Read/Write move as many bytes as they can and
// return the count; ReadBuffer/WriteBuffer raise EReadError/EWriteError when the
// full count cannot be moved.
#pragma once

#include "platform/SysUtils.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace lumvor {

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

// File modes of TFileStream; one open mode or-ed with at most one share mode.
enum : uint16_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareCompat = 0x0000,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
    fmCreate = 0xFF00,
};

class TStream {
public:
    virtual ~TStream() = default;

    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // Returns the new position; positions before the start clamp to 0.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual int64_t GetSize();
    virtual void SetSize(int64_t newSize) = 0;

    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t position) { Seek(position, soBeginning); }
    int64_t Size() { return GetSize(); }

    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    // Copies count bytes from source's position; count 0 copies the whole
    // source from its start. Returns the number of bytes copied.
    int64_t CopyFrom(TStream& source, int64_t count);
};

// Holds at most 4 GiB: a write beyond that moves nothing and SetSize raises
// EOutOfMemory.
class TMemoryStream : public TStream {
public:
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t GetSize() override { return static_cast<int64_t>(data_.size()); }
    void SetSize(int64_t newSize) override;

    void Clear();
    // Empties the stream but keeps its memory for the next writes.
    void Rewind();
    // Room for Bytes without moving the content as writes come in; a hint
    // that asks for too much is ignored.
    void Reserve(int64_t Bytes);
    // The content handed over without a copy; the stream is empty afterwards.
    std::vector<uint8_t> TakeBytes();
    void LoadFromStream(TStream& source);
    void SaveToStream(TStream& target);
    // Raises EFOpenError when the file cannot be opened.
    void LoadFromFile(const std::string& fileName);
    // Writes the whole stream as the new content of fileName through
    // WriteWholeFile: a failed write leaves the old file intact.
    void SaveToFile(const std::string& fileName);

    uint8_t* Memory() { return data_.data(); }
    const uint8_t* Memory() const { return data_.data(); }

private:
    std::vector<uint8_t> data_;
    int64_t position_ = 0;
};

// Only regular files are opened: a folder, FIFO, device or socket is refused at
// once (never waited on). A file opened for reading only reads up to the size it
// had when it was opened. A write that fails for lack of space raises EWriteError
// with DiskFullText. Every exception carries the errno value (ErrorCode).
class TFileStream : public TStream {
public:
    // mode is fmCreate or an fmOpen... constant (share bits are accepted and ignored).
    // Raises EFCreateError / EFOpenError with the file name in the message.
    TFileStream(const std::string& fileName, uint16_t mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t newSize) override;

    // Forces the written bytes to disk; raises EWriteError when that fails.
    void Flush();
    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
    int fd_ = -1;
    int64_t readLimit_ = -1;  // size at opening of a read-only file, else -1
};

// ---- Whole-file writes

// "Not enough disk space to write <fileName>."
std::string DiskFullText(const std::string& fileName);
// True for the errno values of a full disk or an exhausted quota.
bool IsDiskFull(int error);
// Why path cannot be opened as a file ("" when it is a regular file or does not
// exist): "<path> is a folder, not a picture file." and the like for folders,
// FIFOs, devices and sockets. Never blocks.
std::string SpecialFileProblem(const std::string& path);

// How far WriteWholeFile goes before it returns.
enum class TWriteSync {
    // The bytes and the rename are forced to disk: a crash right after keeps
    // the new file.
    Durable,
    // Left to the system, for files made again when they are lost (the
    // thumbnail cache): still never half-written under their name while the
    // system runs, but a crash can lose the newest ones or leave them empty.
    Cache,
};

// Writes size bytes as the whole new content of fileName. The bytes go to a
// scratch file with a unique name (ScratchFileName) in the folder of the file
// really written, created exclusively and never through a link, forced to disk
// (unless sync is Cache) and renamed over the old file; every failure removes
// the scratch file and leaves the old file as it was.
// - A symbolic link is written through: the file it names gets the content, the
//   link stays.
// - The new file keeps the old one's permission bits and, where allowed, owner.
// - A read-only file (no write permission bit, or not writable by this process)
//   is refused with EFCreateError "Cannot write \"<file>\": the file is
//   read-only." (EACCES); a folder or special file is refused the same way.
// - Lack of space raises EWriteError with DiskFullText (ENOSPC).
// Other failures raise EFCreateError or EWriteError with the system's reason.
// Scratch files left in that folder by processes that are gone are removed first
// (a folder at most once in a few seconds, so a cache folder is not listed per file).
void WriteWholeFile(const std::string& fileName, const void* data, int64_t size,
                    TWriteSync sync = TWriteSync::Durable);
// The same for a file that must not exist yet: the scratch file takes the name
// only where no file (nor link) of that name exists when it is placed, so an
// existing file is never replaced; a name found taken raises EFCreateError
// "Cannot write \"<file>\": a file of that name exists." (EEXIST).
void WriteNewFile(const std::string& fileName, const void* data, int64_t size);

// One file's new content for WriteWholeFiles.
struct TWholeFile {
    std::string FileName;
    std::string Bytes;
};
// Writes several files as WriteWholeFile does, as one change: every file goes
// to its scratch file first, and the files are renamed into place only after
// all of them were written. A failure while writing leaves every old file
// intact; the renames themselves run in the given order.
void WriteWholeFiles(const std::vector<TWholeFile>& files);

// The file a path finally names: symbolic links are followed (a dangling link
// names the file it would point to); a loop of links stops at 40. Writes that
// replace a file go to this name, so a link at the name stays a link.
std::string FinalTarget(std::string path);

// A free scratch name beside target: ".<name>.lumvor-<pid>-<n>.part" in target's
// folder; unique among this process's names and absent when answered.
std::string ScratchFileName(const std::string& target);
// Removes the scratch files and folders in folder whose writing process is gone:
// only names in ScratchFileName's pattern whose process id names no process.
// Anything else stays, such as a user's file ending ".lumvor-tmp".
void RemoveDeadScratchFiles(const std::string& folder);
// The same, at most once in a few seconds per folder, for callers that write
// many files into one folder.
void RemoveDeadScratchFilesNow(const std::string& folder);

// Test hook: when set, WriteWholeFile asks it before writing the bytes to the
// scratch file; a non-zero answer is taken as the errno of a failed write.
extern int (*WriteFaultHook)(const std::string& fileName);

}  // namespace lumvor
