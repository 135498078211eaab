#include "explorer/FolderWalk.h"

#include "explorer/FolderTree.h"
#include "explorer/ThumbFiles.h"
#include "platform/Volumes.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <set>
#include <utility>

namespace lumvor {

namespace {

using TFolderId = std::pair<dev_t, ino_t>;

bool IsDotEntry(const char* name) { return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)); }

std::string WithSlash(std::string path) {
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

class TTreeWalker {
public:
    TTreeWalker(const std::function<TWalkStep(TWalkFolder&)>& visit, const TWalkOptions& options)
        : Visit(visit), Options(options) {
        struct stat cache {};
        if (!xplr8900::ThumbRoot.empty() && ::stat(xplr8900::ThumbRoot.c_str(), &cache) == 0 && S_ISDIR(cache.st_mode))
            CacheId = TFolderId(cache.st_dev, cache.st_ino);
    }

    // Walks the folder at Path, which Enters let in. False when the visitor stopped the walk.
    bool Walk(const std::string& path, int depth) {
        TWalkFolder folder;
        folder.Path = path;
        folder.Depth = depth;
        ReadFolder(folder);
        const TWalkStep step = Visit(folder);
        if (step == TWalkStep::Stop)
            return false;
        if (step == TWalkStep::SkipSubFolders)
            return true;
        for (const std::string& name : folder.SubFolders) {
            const std::string child = path + name + "/";
            if (!Enters(child))
                continue;
            if (!Walk(child, depth + 1))
                return false;
        }
        return true;
    }

    // Whether the walk goes into the folder: a real folder not seen before, not
    // the thumbnail cache and not on a pseudo file system. Only the root may be
    // reached through a link (the user chose it).
    bool Enters(const std::string& path, bool isRoot = false) {
        struct stat info {};
        const int got = isRoot ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info);
        if (got != 0 || !S_ISDIR(info.st_mode))
            return false;
        const TFolderId id(info.st_dev, info.st_ino);
        if (id == CacheId || !Visited.insert(id).second)
            return false;
        return !OnPseudoDevice(info.st_dev, path);
    }

private:
    // Pseudo file systems are asked of the mount table once per device.
    bool OnPseudoDevice(dev_t device, const std::string& path) {
        const auto known = PseudoDevices.find(device);
        if (known != PseudoDevices.end())
            return known->second;
        const bool pseudo = OnPseudoVolume(path);
        PseudoDevices.emplace(device, pseudo);
        return pseudo;
    }

    void ReadFolder(TWalkFolder& folder) const {
        const int fd = ::open(folder.Path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return;
        DIR* dir = ::fdopendir(fd);
        if (!dir) {
            ::close(fd);
            return;
        }
        std::vector<std::string> subFolders;
        while (const dirent* entry = ::readdir(dir)) {
            if (IsDotEntry(entry->d_name))
                continue;
            TWalkFile file;
            file.Name = entry->d_name;
            unsigned char type = entry->d_type;
            struct stat info {};
            const bool needStat = Options.StatFiles || type == DT_UNKNOWN;
            if (needStat && ::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0)
                type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISLNK(info.st_mode) ? DT_LNK : S_ISREG(info.st_mode) ? DT_REG : DT_UNKNOWN;
            if (type == DT_DIR) {
                subFolders.push_back(std::move(file.Name));
                continue;
            }
            file.IsLink = type == DT_LNK;
            file.IsRegular = type == DT_REG;
            if (Options.StatFiles && needStat) {
                file.Size = file.IsRegular ? int64_t(info.st_size) : 0;
                file.Seconds = int64_t(info.st_mtim.tv_sec);
            }
            folder.Files.push_back(std::move(file));
        }
        ::closedir(dir);
        folder.SubFolders.reserve(subFolders.size());
        for (size_t at : TreeNameSortOrder(subFolders))
            folder.SubFolders.push_back(std::move(subFolders[at]));
    }

    const std::function<TWalkStep(TWalkFolder&)>& Visit;
    const TWalkOptions& Options;
    TFolderId CacheId{dev_t(-1), ino_t(-1)};
    std::set<TFolderId> Visited;
    std::map<dev_t, bool> PseudoDevices;
};

}  // namespace

bool WalkFolderTree(const std::string& Root, const std::function<TWalkStep(TWalkFolder&)>& Visit,
                    const TWalkOptions& Options) {
    TTreeWalker walker(Visit, Options);
    const std::string root = WithSlash(Root);
    if (!walker.Enters(root, true))
        return true;
    return walker.Walk(root, 0);
}

}  // namespace lumvor
