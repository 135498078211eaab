#include "platform/Streams.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace lumvor {

int64_t TStream::GetSize() {
    int64_t position = Seek(0, soCurrent);
    int64_t size = Seek(0, soEnd);
    Seek(position, soBeginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    errno = 0;
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError("Stream write error", errno);
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    constexpr int64_t kBlock = 64 * 1024;
    std::vector<uint8_t> block(static_cast<size_t>(std::min(count, kBlock)));
    int64_t copied = 0;
    while (copied < count) {
        int64_t n = std::min(count - copied, kBlock);
        source.ReadBuffer(block.data(), n);
        WriteBuffer(block.data(), n);
        copied += n;
    }
    return copied;
}

// ---- TMemoryStream

namespace {
// Larger sizes are refused (a write returns 0, SetSize raises) rather than
// attempted, so a corrupt length read from a file cannot exhaust memory.
constexpr int64_t kMaxMemorySize = int64_t{1} << 32;
}  // namespace

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || position_ >= GetSize())
        return 0;
    int64_t n = std::min(count, GetSize() - position_);
    std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0)
        return 0;
    int64_t end = 0;
    if (__builtin_add_overflow(position_, count, &end) || end > kMaxMemorySize)
        return 0;
    if (end > GetSize()) {
        try {
            data_.resize(static_cast<size_t>(end));
        } catch (const std::bad_alloc&) {
            return 0;
        }
    }
    std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
    position_ = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? position_ : GetSize();
    int64_t target = 0;
    if (__builtin_add_overflow(base, offset, &target))
        target = offset < 0 ? 0 : std::numeric_limits<int64_t>::max();
    position_ = std::max<int64_t>(0, target);
    return position_;
}

void TMemoryStream::SetSize(int64_t newSize) {
    if (newSize > kMaxMemorySize)
        throw EOutOfMemory("Out of memory");
    try {
        data_.resize(static_cast<size_t>(std::max<int64_t>(0, newSize)));
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory("Out of memory");
    }
    position_ = std::min(position_, GetSize());
}

void TMemoryStream::Clear() {
    data_.clear();
    data_.shrink_to_fit();
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
    source.SetPosition(0);
    int64_t size = source.Size();
    SetSize(size);
    source.ReadBuffer(data_.data(), size);
    position_ = 0;
}

void TMemoryStream::SaveToStream(TStream& target) {
    target.WriteBuffer(data_.data(), GetSize());
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

void TMemoryStream::SaveToFile(const std::string& fileName) {
    std::string temporary = fileName + ".lumvor-tmp";
    try {
        TFileStream file(temporary, fmCreate);
        SaveToStream(file);
        file.Flush();
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
    if (::rename(temporary.c_str(), fileName.c_str()) != 0) {
        int error = errno;
        ::unlink(temporary.c_str());
        throw EFCreateError("Cannot create file \"" + fileName + "\". " + std::strerror(error), error);
    }
}

// ---- TFileStream

TFileStream::TFileStream(const std::string& fileName, uint16_t mode) : fileName_(fileName) {
    if ((mode & fmCreate) == fmCreate) {
        fd_ = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd_ < 0)
            throw EFCreateError("Cannot create file \"" + fileName + "\". " + std::strerror(errno), errno);
        return;
    }
    int flags = O_CLOEXEC;
    switch (mode & 0x0003) {
    case fmOpenWrite: flags |= O_WRONLY; break;
    case fmOpenReadWrite: flags |= O_RDWR; break;
    default: flags |= O_RDONLY; break;
    }
    fd_ = ::open(fileName.c_str(), flags);
    if (fd_ >= 0) {
        struct stat info {};
        if (::fstat(fd_, &info) == 0 && S_ISDIR(info.st_mode)) {
            ::close(fd_);
            fd_ = -1;
            errno = EISDIR;
        }
    }
    if (fd_ < 0)
        throw EFOpenError("Cannot open file \"" + fileName + "\". " + std::strerror(errno));
}

void TFileStream::Flush() {
    if (::fsync(fd_) != 0)
        throw EWriteError("Cannot write file \"" + fileName_ + "\". " + std::strerror(errno), errno);
}

TFileStream::~TFileStream() {
    if (fd_ >= 0)
        ::close(fd_);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    int64_t total = 0;
    auto* bytes = static_cast<uint8_t*>(buffer);
    while (total < count) {
        ssize_t n = ::read(fd_, bytes + total, static_cast<size_t>(count - total));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        total += n;
    }
    return total;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    int64_t total = 0;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    while (total < count) {
        ssize_t n = ::write(fd_, bytes + total, static_cast<size_t>(count - total));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        total += n;
    }
    return total;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
    off_t result = ::lseek(fd_, static_cast<off_t>(offset), whence);
    if (result < 0)
        result = ::lseek(fd_, 0, SEEK_SET);
    return result;
}

void TFileStream::SetSize(int64_t newSize) {
    if (::ftruncate(fd_, static_cast<off_t>(std::max<int64_t>(0, newSize))) != 0)
        throw EWriteError("Cannot set the size of \"" + fileName_ + "\". " + std::strerror(errno));
    if (Position() > newSize)
        Seek(0, soEnd);
}

}  // namespace lumvor
