#include "platform/Volumes.h"

#include "platform/SysUtils.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

namespace lumvor {

namespace {

// The mount table escapes blanks, tabs, newlines and backslashes as \ooo.
std::string UnescapeMountField(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            std::isdigit(static_cast<unsigned char>(field[i + 1])) &&
            std::isdigit(static_cast<unsigned char>(field[i + 2])) &&
            std::isdigit(static_cast<unsigned char>(field[i + 3]))) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

// True when folder is path itself or one of its leading folders (whole components).
bool IsLeadingFolder(const std::string& folder, const std::string& path) {
    if (folder == "/") return !path.empty() && path[0] == '/';
    if (path.compare(0, folder.size(), folder) != 0) return false;
    return path.size() == folder.size() || path[folder.size()] == '/';
}

bool IsPseudoVolume(const TVolumeInfo& v) {
    static const std::set<std::string> pseudoTypes = {
        "proc",     "sysfs",      "devtmpfs", "devpts",   "cgroup",    "cgroup2",  "mqueue",
        "debugfs",  "tracefs",    "securityfs", "pstore", "bpf",       "configfs", "fusectl",
        "hugetlbfs", "autofs",    "binfmt_misc", "nsfs",  "rpc_pipefs", "efivarfs", "ramfs",
        "selinuxfs", "fuse.gvfsd-fuse", "fuse.portal"};
    if (pseudoTypes.count(v.FileSystem)) return true;
    if (v.MountPoint == "/") return false;
    for (const char* prefix : {"/proc", "/sys", "/dev", "/run", "/var/run", "/var/lock", "/snap"}) {
        if (IsLeadingFolder(prefix, v.MountPoint)) return true;
    }
    // Single files mounted over others (container set-ups) are not volumes.
    struct stat st {};
    if (::stat(v.MountPoint.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return true;
    return false;
}

// The device a label or UUID link of /dev/disk/by-* points at, matched to device.
std::string FindDiskLink(const char* folder, const std::string& device) {
    std::error_code ec;
    if (device.empty() || device[0] != '/') return {};
    const std::filesystem::path target = std::filesystem::weakly_canonical(device, ec);
    if (ec) return {};
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code ec2;
        if (std::filesystem::weakly_canonical(it->path(), ec2) == target && !ec2) {
            return it->path().filename().string();
        }
    }
    return {};
}

// Label links escape special characters as \xHH.
std::string UnescapeLabel(const std::string& name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' &&
            std::isxdigit(static_cast<unsigned char>(name[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(name[i + 3]))) {
            out += static_cast<char>(std::stoi(name.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += name[i];
        }
    }
    return out;
}

const TVolumeInfo* VolumeOf(const std::vector<TVolumeInfo>& table, const std::string& path) {
    const std::string normal = NormalizePath(path);
    const TVolumeInfo* best = nullptr;
    for (const TVolumeInfo& v : table) {
        // Later mounts over the same point hide earlier ones, so ties go to the later.
        if (IsLeadingFolder(v.MountPoint, normal) && (!best || v.MountPoint.size() >= best->MountPoint.size())) {
            best = &v;
        }
    }
    return best;
}

}  // namespace

std::vector<TVolumeInfo> MountTable() {
    std::vector<TVolumeInfo> table;
    std::ifstream in("/proc/self/mountinfo");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id, parent, devno, root, mountPoint, field;
        if (!(fields >> id >> parent >> devno >> root >> mountPoint)) continue;
        while (fields >> field && field != "-") {
        }
        TVolumeInfo v;
        v.MountPoint = UnescapeMountField(mountPoint);
        fields >> v.FileSystem >> v.Device;
        v.Device = UnescapeMountField(v.Device);
        table.push_back(std::move(v));
    }
    if (table.empty()) table.push_back({"/", "", ""});
    return table;
}

std::vector<TVolumeInfo> DriveList() {
    std::vector<TVolumeInfo> drives;
    for (const TVolumeInfo& v : MountTable()) {
        if (IsPseudoVolume(v)) continue;
        auto same = std::find_if(drives.begin(), drives.end(),
                                 [&](const TVolumeInfo& d) { return d.MountPoint == v.MountPoint; });
        if (same != drives.end()) {
            *same = v;
        } else {
            drives.push_back(v);
        }
    }
    std::stable_partition(drives.begin(), drives.end(), [](const TVolumeInfo& v) { return v.MountPoint == "/"; });
    return drives;
}

std::string NormalizePath(const std::string& path) {
    std::string absolute = path;
    if (absolute.empty() || absolute[0] != '/') {
        std::error_code ec;
        std::string cwd = std::filesystem::current_path(ec).string();
        absolute = cwd + "/" + absolute;
    }
    const bool trailing = absolute.size() > 1 && absolute.back() == '/';
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(absolute);
    while (std::getline(in, part, '/')) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string out;
    for (const std::string& p : parts) out += "/" + p;
    if (out.empty()) return "/";
    if (trailing) out += "/";
    return out;
}

std::string MountPointOf(const std::string& path) {
    const auto table = MountTable();
    const TVolumeInfo* v = VolumeOf(table, path);
    return v ? v->MountPoint : std::string("/");
}

bool OnPseudoVolume(const std::string& path) {
    const auto table = MountTable();
    const TVolumeInfo* v = VolumeOf(table, path);
    return v && IsPseudoVolume(*v);
}

namespace {
bool StatVolume(const std::string& path, struct statvfs& st) {
    // The path itself may not exist yet: ask for its nearest existing folder.
    std::string probe = NormalizePath(path);
    while (true) {
        if (::statvfs(probe.c_str(), &st) == 0) return true;
        if (probe == "/") return false;
        probe = std::filesystem::path(probe).parent_path().string();
        if (probe.empty()) probe = "/";
    }
}
}  // namespace

int64_t VolumeTotalBytes(const std::string& path) {
    struct statvfs st {};
    if (!StatVolume(path, st)) return -1;
    return static_cast<int64_t>(st.f_blocks) * static_cast<int64_t>(st.f_frsize);
}

int64_t VolumeFreeBytes(const std::string& path) {
    struct statvfs st {};
    if (!StatVolume(path, st)) return -1;
    return static_cast<int64_t>(st.f_bavail) * static_cast<int64_t>(st.f_frsize);
}

std::string VolumeLabel(const std::string& path) {
    const auto table = MountTable();
    const TVolumeInfo* v = VolumeOf(table, path);
    if (!v) return {};
    return UnescapeLabel(FindDiskLink("/dev/disk/by-label", v->Device));
}

bool VolumeSerial(const std::string& path, uint32_t& serial) {
    struct statvfs st {};
    if (!StatVolume(path, st)) return false;
    const auto table = MountTable();
    if (const TVolumeInfo* v = VolumeOf(table, path)) {
        std::string uuid = FindDiskLink("/dev/disk/by-uuid", v->Device);
        std::string digits;
        for (char c : uuid) {
            if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
            if (digits.size() == 8) break;
        }
        if (digits.size() == 8) {
            serial = static_cast<uint32_t>(std::stoul(digits, nullptr, 16));
            return true;
        }
    }
    const uint64_t id = static_cast<uint64_t>(st.f_fsid);
    serial = static_cast<uint32_t>(id ^ (id >> 32));
    return true;
}

namespace {

std::string ResolvedPath(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
    return resolved ? IncludeTrailingPathDelimiter(resolved.get()) : path;
}

}  // namespace

std::string NetworkMountFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string folder = runtime && *runtime ? std::string(runtime) : "/run/user/" + std::to_string(::getuid());
    return IncludeTrailingPathDelimiter(folder) + "gvfs/";
}

bool IsNetworkPlace(const std::string& Path) {
    const std::string places = NetworkMountFolder();
    const std::string resolved = ResolvedPath(Path);
    return Path.rfind("//", 0) == 0 || Path.rfind(places, 0) == 0 || resolved.rfind(places, 0) == 0 ||
           resolved.rfind(ResolvedPath(places), 0) == 0;
}

}  // namespace lumvor
