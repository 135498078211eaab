#include "platform/Streams.h"

#include "platform/SysUtils.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <map>
#include <mutex>
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
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError("Stream write error");
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
    // The bytes over the old end are appended rather than zeroed first and
    // then overwritten; a gap left by a seek past the end reads as zeros.
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    const int64_t inside = std::clamp<int64_t>(GetSize() - position_, 0, count);
    try {
        if (position_ > GetSize())
            data_.resize(static_cast<size_t>(position_));
        data_.insert(data_.end(), bytes + inside, bytes + count);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    std::memcpy(data_.data() + position_, bytes, static_cast<size_t>(inside));
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

void TMemoryStream::Rewind() {
    data_.clear();
    position_ = 0;
}

void TMemoryStream::Reserve(int64_t Bytes) {
    if (Bytes <= 0 || Bytes > kMaxMemorySize)
        return;
    try {
        data_.reserve(static_cast<size_t>(Bytes));
    } catch (const std::bad_alloc&) {
        // Without the room the writes still grow the stream as they come.
    }
}

std::vector<uint8_t> TMemoryStream::TakeBytes() {
    std::vector<uint8_t> bytes = std::move(data_);
    data_.clear();
    position_ = 0;
    return bytes;
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
    WriteWholeFile(fileName, data_.data(), GetSize());
}

// ---- TFileStream

namespace {

// The kind of a file that is not a regular one, for messages ("" when regular).
const char* SpecialKind(mode_t mode) {
    if (S_ISREG(mode)) return "";
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    return "not a regular file";
}

std::string SpecialText(const std::string& path, mode_t mode) {
    return "\"" + path + "\" is " + SpecialKind(mode) + ", not a file.";
}

}  // namespace

TFileStream::TFileStream(const std::string& fileName, uint16_t mode) : fileName_(fileName) {
    const bool create = (mode & fmCreate) == fmCreate;
    int flags = O_CLOEXEC | O_NONBLOCK;  // a FIFO or device must not hold the open
    if (create) {
        flags |= O_RDWR | O_CREAT;
    } else {
        switch (mode & 0x0003) {
        case fmOpenWrite: flags |= O_WRONLY; break;
        case fmOpenReadWrite: flags |= O_RDWR; break;
        default: flags |= O_RDONLY; break;
        }
    }
    fd_ = ::open(fileName.c_str(), flags, 0666);
    const std::string what = create ? "Cannot create file \"" : "Cannot open file \"";
    auto fail = [&](const std::string& reason, int error) -> void {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        const std::string text = what + fileName + "\". " + reason;
        if (create) throw EFCreateError(text, error);
        throw EFOpenError(text, error);
    };
    if (fd_ < 0)
        fail(std::strerror(errno), errno);
    struct stat info {};
    if (::fstat(fd_, &info) != 0)
        fail(std::strerror(errno), errno);
    if (S_ISDIR(info.st_mode))
        fail(std::strerror(EISDIR), EISDIR);
    if (!S_ISREG(info.st_mode))
        fail(std::string("It is ") + SpecialKind(info.st_mode) + ", not a file.", EINVAL);
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    if (create && info.st_size > 0 && ::ftruncate(fd_, 0) != 0)
        fail(std::strerror(errno), errno);
    if (!create && (mode & 0x0003) == fmOpenRead)
        readLimit_ = info.st_size;
}

void TFileStream::Flush() {
    if (::fsync(fd_) != 0) {
        const int error = errno;
        if (IsDiskFull(error))
            throw EWriteError(DiskFullText(fileName_), error);
        throw EWriteError("Cannot write file \"" + fileName_ + "\". " + std::strerror(error), error);
    }
}

TFileStream::~TFileStream() {
    if (fd_ >= 0)
        ::close(fd_);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    if (readLimit_ >= 0) {
        const off_t position = ::lseek(fd_, 0, SEEK_CUR);
        count = std::min<int64_t>(count, std::max<int64_t>(0, readLimit_ - position));
    }
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
        if (n < 0 && IsDiskFull(errno))
            throw EWriteError(DiskFullText(fileName_), errno);
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

// ---- Whole-file writes

int (*WriteFaultHook)(const std::string& fileName) = nullptr;

std::string DiskFullText(const std::string& fileName) {
    return "Not enough disk space to write " + fileName + ".";
}

bool IsDiskFull(int error) { return error == ENOSPC || error == EDQUOT; }

std::string SpecialFileProblem(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode))
        return std::string();
    return SpecialText(path, info.st_mode);
}

namespace {

namespace fs = std::filesystem;

constexpr const char* kScratchMark = ".lumvor-";
constexpr const char* kScratchEnd = ".part";

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The process id in a scratch name of ours (".<name>.lumvor-<pid>-<n>.part"
// with a name of at least one character), 0 when the name is not one.
pid_t ScratchOwner(const std::string& name) {
    if (name.size() < 2 || name[0] != '.' || !name.ends_with(kScratchEnd)) return 0;
    const size_t mark = name.rfind(kScratchMark);
    if (mark == std::string::npos || mark < 2) return 0;
    const std::string tail = name.substr(mark + std::strlen(kScratchMark),
                                         name.size() - mark - std::strlen(kScratchMark) - std::strlen(kScratchEnd));
    const size_t dash = tail.find('-');
    if (dash == 0 || dash == std::string::npos || dash + 1 == tail.size()) return 0;
    for (size_t i = 0; i < tail.size(); ++i)
        if (i != dash && (tail[i] < '0' || tail[i] > '9')) return 0;
    if (dash > 9) return 0;
    return static_cast<pid_t>(std::stol(tail.substr(0, dash)));
}

bool ProcessAlive(pid_t pid) { return ::kill(pid, 0) == 0 || errno != ESRCH; }

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

[[noreturn]] void RaiseWriteFailure(const std::string& fileName, int error) {
    if (IsDiskFull(error)) throw EWriteError(DiskFullText(fileName), error);
    throw EWriteError("Cannot write file \"" + fileName + "\". " + std::strerror(error), error);
}

// Writes the bytes to the open scratch file and, for a durable write, forces
// them to disk; answers the errno of the failure, 0 on success.
int WriteAll(int fd, const std::string& fileName, const void* data, int64_t size, TWriteSync sync) {
    if (WriteFaultHook) {
        if (const int error = WriteFaultHook(fileName)) return error;
    }
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (int64_t done = 0; done < size;) {
        const ssize_t n = ::write(fd, bytes + done, static_cast<size_t>(std::min<int64_t>(size - done, 1 << 30)));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return EIO;
        done += n;
    }
    if (sync == TWriteSync::Cache) return 0;
    return ::fsync(fd) == 0 ? 0 : errno;
}

}  // namespace

std::string FinalTarget(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        std::vector<char> link(static_cast<size_t>(std::max<off_t>(info.st_size, 255)) + 1);
        const ssize_t length = ::readlink(path.c_str(), link.data(), link.size() - 1);
        if (length <= 0) return path;
        std::string next(link.data(), static_cast<size_t>(length));
        path = next[0] == '/' ? next : FolderOf(path) + "/" + next;
    }
    return path;
}

std::string ScratchFileName(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const std::string folder = FolderOf(target);
    for (;;) {
        const std::string candidate = folder + "/." + ExtractFileName(target) + kScratchMark + std::to_string(::getpid()) + "-" +
                                      std::to_string(++counter) + kScratchEnd;
        struct stat info {};
        if (::lstat(candidate.c_str(), &info) != 0) return candidate;
    }
}

void RemoveDeadScratchFiles(const std::string& folder) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return;
    std::vector<std::string> dead;
    const pid_t self = ::getpid();
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const pid_t owner = ScratchOwner(name);
        // Only names this program's writer makes, and only of writers that are
        // gone: a user's file that merely looks like scratch stays.
        if (owner > 0 && owner != self && !ProcessAlive(owner))
            dead.push_back(name);
    }
    ::closedir(dir);
    for (const std::string& name : dead) {
        std::error_code ignored;
        fs::remove_all(fs::path(folder.empty() ? "." : folder) / name, ignored);
    }
}

// Clears a folder's dead scratch files before a write there, at most once in a
// few seconds per folder: a folder written again and again (a thumbnail cache)
// is not listed for every file.
void RemoveDeadScratchFilesNow(const std::string& folder) {
    static std::mutex mutex;
    static std::map<std::string, std::chrono::steady_clock::time_point> lastCleared;
    const auto now = std::chrono::steady_clock::now();
    {
        std::lock_guard guard(mutex);
        auto it = lastCleared.find(folder);
        if (it != lastCleared.end() && now - it->second < std::chrono::seconds(5))
            return;
        if (lastCleared.size() > 1000)
            lastCleared.clear();
        lastCleared[folder] = now;
    }
    RemoveDeadScratchFiles(folder);
}

namespace {

// A file written to its scratch name, waiting to be renamed into place.
struct TScratchWrite {
    std::string FileName;
    std::string Scratch;
    std::string Target;
};

// Writes the bytes to a fresh scratch file beside target, with old's owner and
// mode when old is given. The scratch file is removed on failure.
TScratchWrite WriteScratchBeside(const std::string& fileName, const std::string& target, const void* data,
                                 int64_t size, const struct stat* old, TWriteSync sync = TWriteSync::Durable) {
    TScratchWrite write{fileName, "", target};
    RemoveDeadScratchFilesNow(FolderOf(target));
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        write.Scratch = ScratchFileName(target);
        fd = ::open(write.Scratch.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        const int error = errno;
        throw EFCreateError("Cannot create file \"" + fileName + "\". " + std::strerror(error), error);
    }
    if (old) {
        if (old->st_uid != ::geteuid() || old->st_gid != ::getegid())
            (void)::fchown(fd, old->st_uid, old->st_gid);  // allowed only to the owner's peers and root
        ::fchmod(fd, old->st_mode & 07777);
    }
    int error = WriteAll(fd, fileName, data, size, sync);
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0) {
        ::unlink(write.Scratch.c_str());
        RaiseWriteFailure(fileName, error);
    }
    return write;
}

// The scratch file of a file that may replace the one at its final target
// (refused for special files and read-only files).
TScratchWrite WriteScratch(const std::string& fileName, const void* data, int64_t size,
                           TWriteSync sync = TWriteSync::Durable) {
    const std::string target = FinalTarget(fileName);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        throw EFCreateError("Cannot write \"" + fileName + "\": " + SpecialText(fileName, old.st_mode), EINVAL);
    if (exists && ((old.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0))
        throw EFCreateError("Cannot write \"" + fileName + "\": the file is read-only.", EACCES);
    return WriteScratchBeside(fileName, target, data, size, exists ? &old : nullptr, sync);
}

}  // namespace

void WriteWholeFile(const std::string& fileName, const void* data, int64_t size, TWriteSync sync) {
    const TScratchWrite write = WriteScratch(fileName, data, size, sync);
    if (::rename(write.Scratch.c_str(), write.Target.c_str()) != 0) {
        const int error = errno;
        ::unlink(write.Scratch.c_str());
        RaiseWriteFailure(fileName, error);
    }
    if (sync == TWriteSync::Durable) SyncFolder(FolderOf(write.Target));
}

void WriteWholeFiles(const std::vector<TWholeFile>& files) {
    std::vector<TScratchWrite> written;
    const auto dropScratch = [&written](size_t from) {
        for (size_t i = from; i < written.size(); ++i) ::unlink(written[i].Scratch.c_str());
    };
    try {
        for (const TWholeFile& file : files)
            written.push_back(WriteScratch(file.FileName, file.Bytes.data(), static_cast<int64_t>(file.Bytes.size())));
    } catch (...) {
        dropScratch(0);
        throw;
    }
    for (size_t i = 0; i < written.size(); ++i) {
        if (::rename(written[i].Scratch.c_str(), written[i].Target.c_str()) != 0) {
            const int error = errno;
            dropScratch(i);
            RaiseWriteFailure(written[i].FileName, error);
        }
    }
    for (const TScratchWrite& write : written) SyncFolder(FolderOf(write.Target));
}

void WriteNewFile(const std::string& fileName, const void* data, int64_t size) {
    struct stat old {};
    if (::lstat(fileName.c_str(), &old) == 0)
        throw EFCreateError("Cannot write \"" + fileName + "\": a file of that name exists.", EEXIST);
    const TScratchWrite write = WriteScratchBeside(fileName, fileName, data, size, nullptr);
    // An exclusive rename: a file that appeared meanwhile is never replaced.
    if (!RenameFile(write.Scratch, write.Target)) {
        const int renameError = errno;
        ::unlink(write.Scratch.c_str());
        if (::access(write.Target.c_str(), F_OK) == 0)
            throw EFCreateError("Cannot write \"" + fileName + "\": a file of that name exists.", EEXIST);
        RaiseWriteFailure(fileName, renameError != 0 ? renameError : EIO);
    }
    SyncFolder(FolderOf(write.Target));
}

}  // namespace lumvor
