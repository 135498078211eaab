#include "platform/FileOps.h"

#include "platform/Streams.h"
#include "platform/SysUtils.h"
#include "platform/Volumes.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QString>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <vector>

namespace lumvor {

namespace fs = std::filesystem;

namespace {

struct OpError {
    std::string text;
    int code;  // errno value of the failure
};

[[noreturn]] void Fail(const std::string& text, int code = EIO) { throw OpError{text, code}; }

std::string SysError(const std::string& what, const std::string& path, int err) {
    return what + " \"" + path + "\": " + std::strerror(err);
}

[[noreturn]] void FailSys(const std::string& what, const std::string& path, int err) {
    Fail(SysError(what, path, err), err);
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool IsRealFolder(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string BaseName(const std::string& path) { return fs::path(WithoutTrailingSlash(path)).filename().string(); }

std::string ParentOf(const std::string& path) {
    std::string parent = fs::path(WithoutTrailingSlash(NormalizePath(path))).parent_path().string();
    return parent.empty() ? std::string("/") : parent;
}

// True when inner is outer itself or lies inside it.
bool IsInside(const std::string& inner, const std::string& outer) {
    const std::string a = WithoutTrailingSlash(NormalizePath(inner));
    const std::string b = WithoutTrailingSlash(NormalizePath(outer));
    if (b == "/") return true;
    return a == b || (a.size() > b.size() && a.compare(0, b.size(), b) == 0 && a[b.size()] == '/');
}

void RefuseVolumeRoot(const std::string& path) {
    const std::string normal = WithoutTrailingSlash(NormalizePath(path));
    if (normal == "/" || normal == MountPointOf(normal)) {
        Fail("\"" + path + "\" is the root of a volume and cannot be removed", EBUSY);
    }
}

dev_t DeviceOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_dev : static_cast<dev_t>(-1);
}

// A free name in the target's folder: "name (2).ext", "name (3).ext", ...
std::string FreeName(const std::string& target) {
    const fs::path p(WithoutTrailingSlash(target));
    const std::string stem = p.stem().string();
    const std::string ext = p.extension().string();
    const std::string folder = p.parent_path().string();
    for (int n = 2;; ++n) {
        std::string candidate = (folder.empty() ? std::string() : folder + "/") + stem + " (" + std::to_string(n) + ")" + ext;
        if (!Exists(candidate)) return candidate;
    }
}

void RemoveTree(const std::string& path) {
    std::error_code ec;
    fs::remove_all(path, ec);
}

void CopyTimes(const struct stat& st, const std::string& target) {
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::utimensat(AT_FDCWD, target.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

// Durable copies reach the disk before they are used: the copy of a move that
// deletes its source afterwards, and a copy that replaces an older file. A copy
// under a new name needs no flush; a crash leaves at worst a scratch file,
// which is cleared away later, and the source as it was.
void CopyFileData(const std::string& source, const std::string& target, const struct stat& st, bool durable) {
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) FailSys("Cannot read", source, errno);
    const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777);
    if (out < 0) {
        const int err = errno;
        ::close(in);
        FailSys("Cannot create", target, err);
    }
    std::string error;
    int code = 0;
    // The kernel copies the bytes itself where it can; the loop below reads and
    // writes whatever it left (all of it where the file systems refuse).
    for (;;) {
        const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, size_t(1) << 30, 0);
        if (copied > 0) continue;
        if (copied < 0 && errno == EINTR) continue;
        if (copied < 0 && errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) {
            code = errno;
            error = SysError("Cannot write", target, code);
        }
        break;
    }
    std::vector<char> buffer(error.empty() ? 1 << 16 : 0);
    while (error.empty()) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            code = errno;
            error = SysError("Cannot read", source, code);
            break;
        }
        if (got == 0) break;
        for (ssize_t written = 0; written < got;) {
            const ssize_t put = ::write(out, buffer.data() + written, static_cast<size_t>(got - written));
            if (put < 0) {
                if (errno == EINTR) continue;
                code = errno;
                error = SysError("Cannot write", target, code);
                break;
            }
            written += put;
        }
    }
    if (error.empty() && durable && ::fsync(out) != 0) error = SysError("Cannot write", target, code = errno);
    ::close(in);
    if (::close(out) != 0 && error.empty()) error = SysError("Cannot write", target, code = errno);
    if (!error.empty()) {
        ::unlink(target.c_str());
        Fail(error, code);
    }
    CopyTimes(st, target);
}

// Copies source (file, link or folder with contents) to target, which must not
// exist. A failure removes what was made of target.
void CopyTree(const std::string& source, const std::string& target, bool durable) {
    struct stat st {};
    if (::lstat(source.c_str(), &st) != 0) FailSys("Cannot read", source, errno);
    try {
        if (S_ISLNK(st.st_mode)) {
            std::error_code ec;
            const fs::path link = fs::read_symlink(source, ec);
            if (ec) Fail("Cannot read the link \"" + source + "\": " + ec.message(), ec.value());
            if (::symlink(link.c_str(), target.c_str()) != 0) FailSys("Cannot create", target, errno);
        } else if (S_ISDIR(st.st_mode)) {
            if (::mkdir(target.c_str(), (st.st_mode & 07777) | S_IRWXU) != 0) FailSys("Cannot create", target, errno);
            std::error_code ec;
            for (fs::directory_iterator it(source, ec), end; it != end; it.increment(ec)) {
                if (ec) break;
                CopyTree(it->path().string(), target + "/" + it->path().filename().string(), durable);
            }
            if (ec) Fail("Cannot list \"" + source + "\": " + ec.message(), ec.value());
            ::chmod(target.c_str(), st.st_mode & 07777);
            CopyTimes(st, target);
        } else if (S_ISREG(st.st_mode)) {
            CopyFileData(source, target, st, durable);
        } else {
            Fail("\"" + source + "\" is not a file or folder", EINVAL);
        }
    } catch (const OpError&) {
        RemoveTree(target);
        throw;
    }
}

bool SameFileData(const std::string& a, const std::string& b) {
    const int fa = ::open(a.c_str(), O_RDONLY | O_CLOEXEC);
    const int fb = ::open(b.c_str(), O_RDONLY | O_CLOEXEC);
    bool same = fa >= 0 && fb >= 0;
    std::vector<char> ba(1 << 16), bb(1 << 16);
    while (same) {
        const ssize_t ga = ::read(fa, ba.data(), ba.size());
        ssize_t gb = 0;
        while (gb < ga) {  // read the same count from b
            const ssize_t got = ::read(fb, bb.data() + gb, static_cast<size_t>(ga - gb));
            if (got <= 0) break;
            gb += got;
        }
        if (ga < 0 || gb != ga || std::memcmp(ba.data(), bb.data(), static_cast<size_t>(ga)) != 0) {
            same = false;
        } else if (ga == 0) {
            char extra;
            same = ::read(fb, &extra, 1) == 0;
            break;
        }
    }
    if (fa >= 0) ::close(fa);
    if (fb >= 0) ::close(fb);
    return same;
}

// True when copy holds the same tree as source: same kinds, links, bytes.
bool SameTree(const std::string& source, const std::string& copy) {
    struct stat s {}, c {};
    if (::lstat(source.c_str(), &s) != 0 || ::lstat(copy.c_str(), &c) != 0) return false;
    if ((s.st_mode & S_IFMT) != (c.st_mode & S_IFMT)) return false;
    if (S_ISLNK(s.st_mode)) {
        std::error_code e1, e2;
        return fs::read_symlink(source, e1) == fs::read_symlink(copy, e2) && !e1 && !e2;
    }
    if (S_ISREG(s.st_mode)) return s.st_size == c.st_size && SameFileData(source, copy);
    if (!S_ISDIR(s.st_mode)) return false;
    std::error_code ec;
    size_t count = 0;
    for (fs::directory_iterator it(source, ec), end; it != end; it.increment(ec)) {
        if (ec) return false;
        ++count;
        if (!SameTree(it->path().string(), copy + "/" + it->path().filename().string())) return false;
    }
    size_t copyCount = 0;
    for (fs::directory_iterator it(copy, ec), end; it != end; it.increment(ec)) {
        if (ec) return false;
        ++copyCount;
    }
    return !ec && count == copyCount;
}

// Puts a finished scratch copy in place of target.
void PlaceScratch(const std::string& scratch, const std::string& target, bool replace) {
    if (replace) {
        if (::rename(scratch.c_str(), target.c_str()) != 0) {
            const int err = errno;
            RemoveTree(scratch);
            FailSys("Cannot replace", target, err);
        }
    } else if (!RenameFile(scratch, target)) {
        RemoveTree(scratch);
        Fail(Exists(target) ? "\"" + target + "\" already exists" : "Cannot create \"" + target + "\"", Exists(target) ? EEXIST : EIO);
    }
}

enum class Kind { Copy, Move };

// The target folders whose dead scratch files the running operation has
// cleared: an operation of many files into one folder lists it once.
thread_local std::set<std::string>* SweptFolders = nullptr;

struct TSweepScope {
    explicit TSweepScope(std::set<std::string>& swept) : outer(SweptFolders) { SweptFolders = &swept; }
    ~TSweepScope() { SweptFolders = outer; }
    std::set<std::string>* outer;
};

void ClearDeadScratchFilesOnce(const std::string& folder) {
    if (SweptFolders && !SweptFolders->insert(folder).second) return;
    RemoveDeadScratchFiles(folder);
}

std::string Transfer(Kind kind, const std::string& source, std::string target, uint32_t flags);

// Copies or moves every entry of folder source into the existing folder target.
void MergeFolder(Kind kind, const std::string& source, const std::string& target, uint32_t flags) {
    std::error_code ec;
    std::vector<std::string> names;
    for (fs::directory_iterator it(source, ec), end; it != end; it.increment(ec)) {
        if (ec) break;
        names.push_back(it->path().filename().string());
    }
    if (ec) Fail("Cannot list \"" + source + "\": " + ec.message(), ec.value());
    for (const std::string& name : names) Transfer(kind, source + "/" + name, target + "/" + name, flags);
    if (kind == Kind::Move && ::rmdir(source.c_str()) != 0) FailSys("Cannot remove", source, errno);
}

// Copies or moves one item to the exact name target (or a free name beside it);
// returns where it went.
std::string Transfer(Kind kind, const std::string& source, std::string target, uint32_t flags) {
    if (!Exists(source)) Fail("\"" + source + "\" does not exist", ENOENT);
    if (kind == Kind::Move) RefuseVolumeRoot(source);
    const bool sameItem = WithoutTrailingSlash(NormalizePath(source)) == WithoutTrailingSlash(NormalizePath(target));
    if (IsRealFolder(source) && !sameItem && IsInside(target, source)) {
        Fail("Cannot put the folder \"" + source + "\" into itself", EINVAL);
    }
    bool replace = false;
    if (Exists(target)) {
        if (flags & fofRenameOnCollision) {
            target = FreeName(target);
        } else if (sameItem) {
            Fail("\"" + target + "\" is the source itself", EINVAL);
        } else if (!(flags & fofNoConfirmation)) {
            Fail("\"" + target + "\" already exists", EEXIST);
        } else if (IsRealFolder(source) && IsRealFolder(target)) {
            MergeFolder(kind, source, target, flags);
            return target;
        } else if (IsRealFolder(source) || IsRealFolder(target)) {
            Fail("\"" + target + "\" already exists", EEXIST);
        } else {
            replace = true;
        }
    }
    const std::string parent = ParentOf(target);
    if (!IsRealFolder(parent)) Fail("The folder \"" + parent + "\" does not exist", ENOENT);
    // Partial copies of operations that were killed are cleared away first.
    ClearDeadScratchFilesOnce(parent);

    if (kind == Kind::Move && DeviceOf(source) == DeviceOf(parent)) {
        if (replace) {
            if (::rename(source.c_str(), target.c_str()) != 0) FailSys("Cannot move", source, errno);
        } else if (!RenameFile(source, target)) {
            Fail(Exists(target) ? "\"" + target + "\" already exists" : "Cannot move \"" + source + "\"", Exists(target) ? EEXIST : EIO);
        }
        return target;
    }

    const std::string scratch = ScratchFileName(WithoutTrailingSlash(target));
    try {
        CopyTree(source, scratch, kind == Kind::Move || replace);
    } catch (const OpError& e) {
        if (IsDiskFull(e.code)) Fail(DiskFullText(target), e.code);
        throw;
    }
    if (kind == Kind::Move) {
        if (FileOps::BeforeVerify) FileOps::BeforeVerify(scratch);
        if (!SameTree(source, scratch)) {
            RemoveTree(scratch);
            Fail("The copy of \"" + source + "\" differs from it; the source was kept");
        }
    }
    PlaceScratch(scratch, target, replace);
    if (kind == Kind::Move) {
        std::error_code ec;
        fs::remove_all(source, ec);
        if (ec) Fail("Copied \"" + source + "\" but cannot remove it: " + ec.message(), ec.value());
    }
    return target;
}

void DeleteItem(const std::string& source) {
    if (WithoutTrailingSlash(source).empty()) Fail("No file name", ENOENT);
    if (!Exists(source)) Fail("\"" + source + "\" does not exist", ENOENT);
    RefuseVolumeRoot(source);
    std::error_code ec;
    fs::remove_all(WithoutTrailingSlash(source), ec);
    if (ec) Fail("Cannot delete \"" + source + "\": " + ec.message(), ec.value());
}

}  // namespace

std::string FreeTargetName(const std::string& target) { return FreeName(target); }

bool MoveToTrash(const std::string& path, std::string* trashPath, std::string* error) {
    auto failWith = [&](const std::string& text) {
        if (error) *error = text;
        return false;
    };
    const std::string item = WithoutTrailingSlash(path);
    if (item.empty() || !Exists(item)) return failWith("\"" + path + "\" does not exist");
    try {
        RefuseVolumeRoot(item);
    } catch (const OpError& e) {
        return failWith(e.text);
    }
    // Without the data folder, Qt would build a trash in the current folder.
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty() || !QDir().mkpath(dataHome)) return failWith("No data folder for the trash");
    QString inTrash;
    const QString qItem = QString::fromStdString(NormalizePath(item));
    if (!QFile::moveToTrash(qItem, &inTrash)) return failWith("Cannot move \"" + path + "\" to the trash");
    const std::string landed = inTrash.toStdString();
    const bool arrived = !landed.empty() && landed[0] == '/' && Exists(landed) && !Exists(item) &&
                         landed.find("/files/") != std::string::npos;
    if (!arrived) {
        // Put it back where it was when it went somewhere else than a trash.
        if (!landed.empty() && Exists(landed) && !Exists(item)) RenameFile(landed, item);
        return failWith("\"" + path + "\" did not arrive in the trash");
    }
    if (trashPath) *trashPath = landed;
    return true;
}

TFileOpResult RunFileOperation(TFileOpFunc func, const std::vector<std::string>& from,
                               const std::vector<std::string>& to, uint32_t flags,
                               const TFileOpProgress& progress) {
    TFileOpResult result;
    auto stop = [&](const std::string& source, const std::string& text, int code = EINVAL) {
        result.Succeeded = false;
        result.FailedSource = source;
        result.Error = text;
        result.SystemError = code;
        return result;
    };
    if (from.empty()) return stop("", "No file name", ENOENT);

    // Where each source goes (copy, move, rename).
    std::vector<std::string> targets(from.size());
    if (func == foCopy || func == foMove || func == foRename) {
        const bool perSource = func == foRename || (flags & fofMultiDestFiles);
        if (perSource) {
            if (to.size() != from.size()) return stop(from[0], "The number of targets does not match the sources");
            for (size_t i = 0; i < from.size(); ++i) {
                targets[i] = to[i];
                if (func == foRename && to[i].find('/') == std::string::npos) {
                    targets[i] = ParentOf(from[i]) + "/" + to[i];
                }
            }
        } else {
            if (to.size() != 1 || to[0].empty()) return stop(from[0], "No target");
            const std::string dest = WithoutTrailingSlash(to[0]);
            const bool intoFolder = IsRealFolder(dest) || from.size() > 1 || to[0].back() == '/';
            if (intoFolder && !IsRealFolder(dest)) {
                std::error_code ec;
                fs::create_directories(dest, ec);
                if (ec) return stop(from[0], "Cannot create \"" + dest + "\": " + ec.message(), ec.value());
            }
            for (size_t i = 0; i < from.size(); ++i) {
                targets[i] = intoFolder ? (dest == "/" ? "" : dest) + "/" + BaseName(from[i]) : dest;
            }
        }
    } else if (func != foDelete) {
        return stop(from[0], "Unknown file operation");
    }

    std::set<std::string> swept;
    const TSweepScope sweepScope(swept);
    for (size_t i = 0; i < from.size(); ++i) {
        const std::string& source = from[i];
        if (progress && !progress(source)) {
            result.Aborted = true;
            result.Succeeded = false;
            return result;
        }
        std::string landed;
        try {
            switch (func) {
            case foCopy: landed = Transfer(Kind::Copy, source, targets[i], flags); break;
            case foMove: landed = Transfer(Kind::Move, source, targets[i], flags); break;
            case foRename:
                // A rename never replaces and never picks another name.
                landed = Transfer(Kind::Move, source, targets[i], flags & ~(fofNoConfirmation | fofRenameOnCollision));
                break;
            case foDelete:
                if (flags & fofAllowUndo) {
                    std::string error;
                    if (!MoveToTrash(source, &landed, &error)) Fail(error);
                } else {
                    DeleteItem(source);
                }
                break;
            }
        } catch (const OpError& e) {
            return stop(source, e.text, e.code);
        } catch (const std::exception& e) {
            return stop(source, e.what(), EIO);
        }
        result.Done.push_back(source);
        result.Targets.push_back(landed);
    }
    return result;
}

}  // namespace lumvor
