#include "explorer/FolderWalk.h"

#include "explorer/FolderTree.h"
#include "explorer/ThumbFiles.h"
#include "platform/Volumes.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <map>
#include <set>
#include <utility>

namespace lumvor {

namespace {

using TFolderId = std::pair<dev_t, ino_t>;

// A folder's descriptor stays open while its sub-folders are walked, so that
// each is opened by its name alone; below this depth folders are opened by
// their whole path instead, which keeps the open descriptors few.
constexpr int kHeldFolderDepth = 64;

// The directory entries are read straight from the kernel into one buffer,
// reused for every folder.
constexpr size_t kEntryBufferBytes = 32768;

bool IsDotEntry(const char* name) { return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)); }

std::string WithSlash(std::string path) {
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

// Closes a folder's descriptor when the walk leaves the folder.
struct TFolderHandle {
    int Fd = -1;
    explicit TFolderHandle(int fd) : Fd(fd) {}
    TFolderHandle(const TFolderHandle&) = delete;
    TFolderHandle& operator=(const TFolderHandle&) = delete;
    ~TFolderHandle() { Close(); }
    void Close() {
        if (Fd >= 0)
            ::close(Fd);
        Fd = -1;
    }
};

class TTreeWalker {
public:
    TTreeWalker(const std::function<TWalkStep(TWalkFolder&)>& visit, const TWalkOptions& options)
        : Visit(visit), Options(options), Entries(kEntryBufferBytes / sizeof(uint64_t)) {
        struct stat cache {};
        if (!xplr8900::ThumbRoot.empty() && ::stat(xplr8900::ThumbRoot.c_str(), &cache) == 0 && S_ISDIR(cache.st_mode))
            CacheId = TFolderId(cache.st_dev, cache.st_ino);
    }

    // Walks the tree at Root, which may be reached through a link (the user
    // chose it). False when the visitor stopped the walk.
    bool WalkRoot(const std::string& root) {
        bool enters = false;
        const int fd = Open(AT_FDCWD, root.c_str(), root, true, enters);
        return !enters || Walk(fd, root, 0);
    }

private:
    // Walks the folder at Path, open as Fd (-1 when it could not be read). False
    // when the visitor stopped the walk.
    bool Walk(int fd, const std::string& path, int depth) {
        TFolderHandle handle(fd);
        TWalkFolder folder;
        folder.Path = path;
        folder.Depth = depth;
        if (handle.Fd >= 0)
            ReadFolder(handle.Fd, folder);
        if (depth >= kHeldFolderDepth)
            handle.Close();
        const TWalkStep step = Visit(folder);
        if (step == TWalkStep::Stop)
            return false;
        if (step == TWalkStep::SkipSubFolders)
            return true;
        for (const std::string& name : folder.SubFolders) {
            const std::string child = path + name + "/";
            bool enters = false;
            const int childFd = handle.Fd >= 0 ? Open(handle.Fd, name.c_str(), child, false, enters)
                                               : Open(AT_FDCWD, child.substr(0, child.size() - 1).c_str(), child, false, enters);
            if (enters && !Walk(childFd, child, depth + 1))
                return false;
        }
        return true;
    }

    // Opens the folder Name (relative to the folder open as Parent) whose whole
    // path is Path, and tells in Enters whether the walk goes into it: a real
    // folder not seen before, not the thumbnail cache and not on a pseudo file
    // system; only the root may be a link. Answers its descriptor, -1 when it
    // cannot be read (a folder the walk enters then has no entries).
    int Open(int parent, const char* name, const std::string& path, bool isRoot, bool& enters) {
        const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | (isRoot ? 0 : O_NOFOLLOW));
        struct stat info {};
        const bool known = fd >= 0 ? ::fstat(fd, &info) == 0
                                   : ::fstatat(parent, name, &info, isRoot ? 0 : AT_SYMLINK_NOFOLLOW) == 0;
        enters = known && S_ISDIR(info.st_mode) && Admits(TFolderId(info.st_dev, info.st_ino), path);
        if (!enters && fd >= 0) {
            ::close(fd);
            return -1;
        }
        return fd;
    }

    bool Admits(const TFolderId& id, const std::string& path) {
        if (id == CacheId || !Visited.insert(id).second)
            return false;
        return !OnPseudoDevice(id.first, path);
    }

    // Pseudo file systems are asked of the mount table once per device.
    bool OnPseudoDevice(dev_t device, const std::string& path) {
        const auto known = PseudoDevices.find(device);
        if (known != PseudoDevices.end())
            return known->second;
        const bool pseudo = OnPseudoVolume(path);
        PseudoDevices.emplace(device, pseudo);
        return pseudo;
    }

    void ReadFolder(int fd, TWalkFolder& folder) {
        std::vector<std::string> subFolders;
        const char* buffer = reinterpret_cast<const char*>(Entries.data());
        for (;;) {
            const ssize_t got = ::getdents64(fd, Entries.data(), kEntryBufferBytes);
            if (got <= 0)
                break;
            for (ssize_t at = 0; at < got;) {
                const char* record = buffer + at;
                unsigned short length = 0;
                std::memcpy(&length, record + offsetof(dirent64, d_reclen), sizeof length);
                const unsigned char type = static_cast<unsigned char>(record[offsetof(dirent64, d_type)]);
                TakeEntry(fd, record + offsetof(dirent64, d_name), type, folder, subFolders);
                at += length;
            }
        }
        folder.SubFolders.reserve(subFolders.size());
        for (size_t at : TreeNameSortOrder(subFolders))
            folder.SubFolders.push_back(std::move(subFolders[at]));
    }

    // Sorts one directory entry into the folder's files or its sub-folders.
    // The kind comes from the entry; a file system that does not give it, or a
    // walk that wants sizes, asks fstatat (never of a file KeepFile refuses).
    void TakeEntry(int fd, const char* name, unsigned char type, TWalkFolder& folder,
                   std::vector<std::string>& subFolders) const {
        if (IsDotEntry(name))
            return;
        ++folder.Entries;
        const bool kindKnown = type != DT_UNKNOWN;
        if (kindKnown && type != DT_DIR && Options.KeepFile && !Options.KeepFile(name))
            return;
        struct stat info {};
        const bool needStat = Options.StatFiles || type == DT_UNKNOWN;
        if (needStat && ::fstatat(fd, name, &info, AT_SYMLINK_NOFOLLOW) == 0)
            type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISLNK(info.st_mode) ? DT_LNK : S_ISREG(info.st_mode) ? DT_REG : DT_UNKNOWN;
        if (type == DT_DIR) {
            subFolders.emplace_back(name);
            return;
        }
        if (!kindKnown && Options.KeepFile && !Options.KeepFile(name))
            return;
        TWalkFile& file = folder.Files.emplace_back();
        file.Name = name;
        file.IsLink = type == DT_LNK;
        file.IsRegular = type == DT_REG;
        if (Options.StatFiles && needStat) {
            file.Size = file.IsRegular ? int64_t(info.st_size) : 0;
            file.Seconds = int64_t(info.st_mtim.tv_sec);
        }
    }

    const std::function<TWalkStep(TWalkFolder&)>& Visit;
    const TWalkOptions& Options;
    std::vector<uint64_t> Entries;  // the entry buffer, 8-byte aligned as the kernel fills it
    TFolderId CacheId{dev_t(-1), ino_t(-1)};
    std::set<TFolderId> Visited;
    std::map<dev_t, bool> PseudoDevices;
};

}  // namespace

bool WalkFolderTree(const std::string& Root, const std::function<TWalkStep(TWalkFolder&)>& Visit,
                    const TWalkOptions& Options) {
    TTreeWalker walker(Visit, Options);
    return walker.WalkRoot(WithSlash(Root));
}

}  // namespace lumvor
