#include "imaging/ThumbCache.h"

#include "platform/Crc32.h"
#include "platform/SysUtils.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace lumvor {

namespace {

// A slide record's 16-bit words (little-endian, like the file record's).
uint16_t SlideWord(const void* record, int offset) {
    const auto* bytes = static_cast<const uint8_t*>(record) + offset;
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

void SetSlideWord(void* record, int offset, uint16_t value) {
    auto* bytes = static_cast<uint8_t*>(record) + offset;
    bytes[0] = static_cast<uint8_t>(value);
    bytes[1] = static_cast<uint8_t>(value >> 8);
}

FileRec RecordFrom(const void* record) {
    FileRec rec;
    std::memcpy(rec.Bytes.data(), record, FileRecSize);
    return rec;
}

// A cache file opened for reading: one open, its length from fstat. Anything but
// a regular file is refused; O_NONBLOCK keeps a FIFO in its place from blocking
// the open.
class TCacheFileReader {
public:
    explicit TCacheFileReader(const std::string& fileName)
        : fd_(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)) {
        struct stat info {};
        if (fd_ >= 0 && ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode)) size_ = info.st_size;
    }
    ~TCacheFileReader() {
        if (fd_ >= 0) ::close(fd_);
    }
    TCacheFileReader(const TCacheFileReader&) = delete;
    TCacheFileReader& operator=(const TCacheFileReader&) = delete;

    // The length of a regular file; -1 for anything else.
    int64_t Size() const { return size_; }
    // True when all count bytes at offset were read.
    bool ReadAt(void* buffer, size_t count, int64_t offset) const {
        ssize_t got;
        do got = ::pread(fd_, buffer, count, offset);
        while (got < 0 && errno == EINTR);
        return got == static_cast<ssize_t>(count);
    }

private:
    int fd_;
    int64_t size_ = -1;
};

bool SameIdentity(const FileRec& a, const FileRec& b) {
    return a.Name() == b.Name() && a.SizeHigh() == b.SizeHigh() && a.SizeLow() == b.SizeLow() &&
           a.FileDate() == b.FileDate() && a.TimeMs() == b.TimeMs();
}

}  // namespace

uint32_t UpdateCrc32(const void* Buffer, int64_t Count, uint32_t Crc) {
    return Count > 0 ? Crc32Update(Crc, Buffer, static_cast<size_t>(Count)) : Crc;
}

uint32_t StreamCrc32(TStream& Stream, uint32_t Crc) {
    uint8_t block[2048];
    while (true) {
        const int64_t got = Stream.Read(block, sizeof block);
        Crc = UpdateCrc32(block, got, Crc);
        if (got < static_cast<int64_t>(sizeof block)) break;
    }
    return Crc;
}

uint32_t FileCrc32(const std::string& FileName) {
    TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
    return StreamCrc32(file, 0xFFFFFFFFu);
}

std::string IntToBase32(uint32_t N) {
    if (N >= 0x40000000u) return IntToHex(N, 8);
    static const char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUV";
    std::string text(6, '0');
    for (int k = 0; k < 6; ++k) text[5 - k] = digits[(N >> (5 * k)) & 31];
    return text;
}

bool FileHasData(const std::string& FileName) {
    struct stat st {};
    return ::stat(FileName.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 256;
}

bool ThumbFilePresent(const TThumbFile& File, const FileRec& Row, FileRec* Trailer) {
    if (ThumbRecOffset <= 0) return false;
    const TCacheFileReader file(File.Path);
    const bool stock = File.Kind == TThumbFileKind::Stock;
    const int64_t expected = static_cast<int64_t>(ThumbRecOffset) + (stock ? 0 : FileRecSize);
    if (file.Size() <= 256 || file.Size() != expected) return false;
    char signature[2];
    if (!file.ReadAt(signature, 2, 0) || signature[0] != 'B' || signature[1] != 'M') return false;
    if (stock) return true;
    FileRec trailer;
    if (!file.ReadAt(trailer.Bytes.data(), FileRecSize, ThumbRecOffset)) return false;
    if (File.Kind == TThumbFileKind::PerFile && !trailer.Name().empty() && !SameIdentity(trailer, Row))
        return false;
    if (Trailer) *Trailer = trailer;
    return true;
}

bool ReadThumbFileBytes(const TThumbFile& File, const FileRec& Row, std::vector<uint8_t>& Bytes) {
    Bytes.clear();
    if (ThumbRecOffset <= 0 || File.Kind == TThumbFileKind::Stock) return false;
    const TCacheFileReader file(File.Path);
    const int64_t expected = static_cast<int64_t>(ThumbRecOffset) + FileRecSize;
    if (file.Size() <= 256 || file.Size() != expected) return false;
    Bytes.resize(static_cast<size_t>(expected));
    FileRec trailer;
    if (!file.ReadAt(Bytes.data(), Bytes.size(), 0) || Bytes[0] != 'B' || Bytes[1] != 'M') {
        Bytes.clear();
        return false;
    }
    std::memcpy(trailer.Bytes.data(), Bytes.data() + ThumbRecOffset, FileRecSize);
    if (File.Kind == TThumbFileKind::PerFile && !trailer.Name().empty() && !SameIdentity(trailer, Row)) {
        Bytes.clear();
        return false;
    }
    return true;
}

void StampThumbIdentity(FileRec& Trailer, TThumbFileKind Kind, const FileRec& Row) {
    if (Kind == TThumbFileKind::PerFile) {
        // memmove: Row may be Trailer itself.
        std::memmove(Trailer.Bytes.data() + FileRec::NameOffset, Row.Bytes.data() + FileRec::NameOffset,
                     FileRec::NameCapacity + 1);
        Trailer.SetSizeHigh(Row.SizeHigh());
        Trailer.SetSizeLow(Row.SizeLow());
        Trailer.SetFileDate(Row.FileDate());
        Trailer.SetTimeMs(Row.TimeMs());
    } else {
        Trailer.SetName("");
        Trailer.SetSizeHigh(0);
        Trailer.SetSizeLow(0);
        Trailer.SetFileDate(0);
        Trailer.SetTimeMs(0);
    }
}

bool DeleteThumbFile(const std::string& Path) {
    struct stat info {};
    if (::lstat(Path.c_str(), &info) != 0) return errno == ENOENT;
    if (S_ISDIR(info.st_mode)) return false;
    return ::unlink(Path.c_str()) == 0 || errno == ENOENT;
}

bool ThumbCache::SaveStream(TMemoryStream& stream, const void* record, const std::string& fileName) {
    if (record) stream.WriteBuffer(record, ThumbRecordSize);
    // A cache file is made again when it is lost, so the write does not wait
    // for the disk: thumbnails are written one after another on the GUI thread.
    WriteWholeFile(fileName, stream.Memory(), stream.GetSize(), TWriteSync::Cache);
    return true;
}

bool ReadThumbInfo(void* Record, const std::string& FileName) {
    if (ThumbRecOffset < 0) return false;
    const TCacheFileReader file(FileName);
    if (file.Size() != static_cast<int64_t>(ThumbRecOffset) + ThumbRecordSize) return false;
    return file.ReadAt(Record, ThumbRecordSize, ThumbRecOffset);
}

void CopyThumbDimensions(const void* Record, void* SlideRecord) {
    const FileRec rec = RecordFrom(Record);
    SetSlideWord(SlideRecord, SlideWidthOffset, rec.Width());
    SetSlideWord(SlideRecord, SlideHeightOffset, rec.Height());
}

void StoreThumbDimensions(void* Record, const void* SlideRecord) {
    FileRec rec = RecordFrom(Record);
    rec.SetWidth(SlideWord(SlideRecord, SlideWidthOffset));
    rec.SetHeight(SlideWord(SlideRecord, SlideHeightOffset));
    std::memcpy(Record, rec.Bytes.data(), FileRecSize);
}

}  // namespace lumvor
