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
    void LoadFromStream(TStream& source);
    void SaveToStream(TStream& target);
    // Raises EFOpenError when the file cannot be opened.
    void LoadFromFile(const std::string& fileName);
    // Writes through a temporary file and a rename, so a failed write leaves the
    // old file intact. Raises EFCreateError or EWriteError.
    void SaveToFile(const std::string& fileName);

    uint8_t* Memory() { return data_.data(); }
    const uint8_t* Memory() const { return data_.data(); }

private:
    std::vector<uint8_t> data_;
    int64_t position_ = 0;
};

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
};

}  // namespace lumvor
