#include "zip/reader/ZipStreams.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace lumvor {

TS_BufferStream::TS_BufferStream(TStream* stream) : stream_(stream), buffer_(BufferSize) {}

TS_BufferStream::~TS_BufferStream() {
    // A destructor must not throw; a failed final write is lost like any
    // unchecked write.
    FlushBuffer();
}

bool TS_BufferStream::FlushBuffer() {
    if (state_ != Writing)
        return true;
    bool ok = true;
    if (end_ > 0)
        ok = stream_->Write(buffer_.data(), static_cast<int64_t>(end_)) == static_cast<int64_t>(end_);
    EmptyBuffer();
    if (OnAfterFlush)
        OnAfterFlush();
    return ok;
}

void TS_BufferStream::EmptyBuffer() {
    current_ = end_ = 0;
    state_ = Empty;
}

int64_t TS_BufferStream::Read(void* buffer, int64_t count) {
    if (state_ == Writing && !FlushBuffer())
        throw EStreamError("Seek error");
    auto* to = static_cast<uint8_t*>(buffer);
    int64_t done = 0;
    while (done < count) {
        if (current_ >= end_) {
            int64_t got = stream_->Read(buffer_.data(), BufferSize);
            if (got <= 0) {
                EmptyBuffer();
                break;
            }
            current_ = 0;
            end_ = static_cast<size_t>(got);
            state_ = Reading;
            if (OnAfterRefill)
                OnAfterRefill();
        }
        size_t run = std::min<size_t>(end_ - current_, static_cast<size_t>(count - done));
        std::memcpy(to + done, buffer_.data() + current_, run);
        current_ += run;
        done += static_cast<int64_t>(run);
    }
    return done;
}

int64_t TS_BufferStream::Write(const void* buffer, int64_t count) {
    if (state_ == Reading) {
        // Writing after reading continues at the logical position.
        int64_t position = Seek(0, soCurrent);
        stream_->Seek(position, soBeginning);
        EmptyBuffer();
    }
    const auto* from = static_cast<const uint8_t*>(buffer);
    int64_t done = 0;
    while (done < count) {
        state_ = Writing;
        size_t run = std::min<size_t>(BufferSize - end_, static_cast<size_t>(count - done));
        std::memcpy(buffer_.data() + end_, from + done, run);
        end_ += run;
        current_ = end_;
        done += static_cast<int64_t>(run);
        if (end_ == BufferSize && !FlushBuffer())
            return done - static_cast<int64_t>(run);
    }
    return done;
}

int64_t TS_BufferStream::GetSize() {
    int64_t logical = Seek(0, soCurrent);
    return std::max(logical, stream_->Size());
}

int64_t TS_BufferStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t streamPosition = stream_->Seek(0, soCurrent);
    int64_t logical = streamPosition;
    if (state_ == Reading)
        logical = streamPosition - static_cast<int64_t>(end_ - current_);
    else if (state_ == Writing)
        logical = streamPosition + static_cast<int64_t>(end_);
    int64_t target;
    switch (static_cast<int>(origin)) {
    case soBeginning: target = offset; break;
    case soCurrent: target = logical + offset; break;
    case soEnd: {
        int64_t end = std::max(logical, stream_->Size());
        target = end - (offset < 0 ? -offset : offset);
        break;
    }
    default: {
        char text[64];
        std::snprintf(text, sizeof text, "Invalid seek origin (%d)", static_cast<int>(origin));
        throw EStreamError(text);
    }
    }
    if (target < 0)
        target = 0;
    if (target == logical)
        return logical;
    if (state_ == Reading && target >= streamPosition - static_cast<int64_t>(end_) && target <= streamPosition) {
        // Still inside the buffered data: move within it.
        current_ = static_cast<size_t>(target - (streamPosition - static_cast<int64_t>(end_)));
        return target;
    }
    if (!FlushBuffer())
        throw EStreamError("Seek error");
    EmptyBuffer();
    return stream_->Seek(target, soBeginning);
}

void TS_BufferStream::SetSize(int64_t newSize) {
    if (!FlushBuffer())
        throw EStreamError("Seek error");
    int64_t position = Seek(0, soCurrent);
    EmptyBuffer();
    stream_->SetSize(newSize);
    stream_->Seek(std::min(position, newSize), soBeginning);
}

void TS_BufferStream::PutBack(uint8_t byte) {
    if (state_ != Reading || current_ == 0)
        throw EStreamError("Putback overflow");
    buffer_[--current_] = byte;
}

TLFNFileStream::TLFNFileStream(const std::string& fileName, uint16_t mode)
    : TS_BufferStream(nullptr), file_(std::make_unique<TFileStream>(fileName, mode)) {
    SetStream(file_.get());
}

TLFNFileStream::~TLFNFileStream() {
    // The file stream goes before the base's destructor runs: flush now.
    FlushBuffer();
}

}  // namespace lumvor
