// Buffered streams of the zip reader: an 8 KB read/write buffer in front of any
// stream, and a file stream that reads and writes through it.
#pragma once

#include "platform/Streams.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lumvor {

class TS_BufferStream : public TStream {
public:
    static constexpr size_t BufferSize = 8192;

    // Wraps `stream` without owning it.
    explicit TS_BufferStream(TStream* stream);
    ~TS_BufferStream() override;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    // Origin 2 counts back from the end whatever the offset's sign. Raises
    // EStreamError "Invalid seek origin (%d)" for an unknown origin and "Seek
    // error" when unwritten data cannot be flushed.
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t GetSize() override;
    void SetSize(int64_t newSize) override;

    // Puts one byte back in front of the read position ("Putback overflow"
    // when the position is at the start of the buffer).
    void PutBack(uint8_t byte);

    std::function<void()> OnAfterRefill;
    std::function<void()> OnAfterFlush;

protected:
    void SetStream(TStream* stream) { stream_ = stream; }
    // Writes unwritten data to the wrapped stream; false when that fails.
    bool FlushBuffer();

private:
    enum State { Empty = 0, Reading = 1, Writing = 2 };
    void EmptyBuffer();

    TStream* stream_;
    std::vector<uint8_t> buffer_;
    size_t current_ = 0;  // position in the buffer
    size_t end_ = 0;      // bytes valid in the buffer
    State state_ = Empty;
};

class TLFNFileStream : public TS_BufferStream {
public:
    // Opens `fileName` with a TFileStream mode (fmCreate or fmOpen...); the
    // file stream's own EFCreateError/EFOpenError propagates.
    TLFNFileStream(const std::string& fileName, uint16_t mode);
    ~TLFNFileStream() override;

    TFileStream& File() { return *file_; }

private:
    std::unique_ptr<TFileStream> file_;
};

}  // namespace lumvor
