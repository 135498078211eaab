#include "platform/Atoms.h"

#include "platform/Folders.h"

#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace lumvor {

namespace {

// Atom numbers of string atoms start here, as the system numbers them.
constexpr ATOM FirstAtom = 0xC000;

struct AtomEntry {
    std::string name;
    int fd = -1;  // the marker file, write-locked by this process while count > 0
    int count = 0;
};

std::vector<AtomEntry>& Atoms() {
    static std::vector<AtomEntry> atoms;
    return atoms;
}

// The entry of a name (made on first use; its index gives the number).
size_t EntryOf(const std::string& name) {
    auto& atoms = Atoms();
    for (size_t i = 0; i < atoms.size(); ++i)
        if (atoms[i].name == name)
            return i;
    atoms.push_back(AtomEntry{name, -1, 0});
    return atoms.size() - 1;
}

ATOM NumberOf(size_t index) { return ATOM(FirstAtom + index); }

std::string MarkerFileName(const std::string& name) {
    std::string safe;
    for (char c : name)
        safe += (std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
    return RuntimeFolder() + "lumvor-" + safe + ".lock";
}

// A whole-file lock of the open file description: the kernel drops it when the
// holder closes the file or dies, so a marker can never outlive its process
// whatever the file holds (empty, garbage, another process's id).
struct flock WholeFile(short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    return lock;
}

// Opens the marker file and takes its lock; -1 when another process holds it
// or the file cannot be made.
int TakeMarker(const std::string& path) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0)
            return -1;
        struct flock lock = WholeFile(F_WRLCK);
        if (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
            ::close(fd);
            return -1;
        }
        // The file may have been removed by its last holder between our open and
        // our lock: then the lock is on a file nobody else finds, so try again.
        struct stat held {}, named {};
        if (::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino) {
            const std::string pid = std::to_string(::getpid()) + "\n";
            if (::ftruncate(fd, 0) == 0)
                (void)!::pwrite(fd, pid.data(), pid.size(), 0);
            return fd;
        }
        ::close(fd);
    }
    return -1;
}

// True when some process holds the marker's lock. Only asks the kernel: the
// look-up never takes the lock itself, so it cannot make a starting process
// believe the marker is held.
bool MarkerHeld(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct flock lock = WholeFile(F_WRLCK);
    const bool held = ::fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    ::close(fd);
    return held;
}

}  // namespace

ATOM GlobalAddAtom(const std::string& name) {
    const size_t index = EntryOf(name);
    AtomEntry& entry = Atoms()[index];
    if (entry.count > 0) {
        ++entry.count;
        return NumberOf(index);
    }
    const int fd = TakeMarker(MarkerFileName(name));
    if (fd < 0)
        return 0;
    entry.fd = fd;
    entry.count = 1;
    return NumberOf(index);
}

ATOM GlobalFindAtom(const std::string& name) {
    const size_t index = EntryOf(name);
    if (Atoms()[index].count > 0 || MarkerHeld(MarkerFileName(name)))
        return NumberOf(index);
    return 0;
}

ATOM GlobalDeleteAtom(ATOM atom) {
    auto& atoms = Atoms();
    if (atom < FirstAtom || size_t(atom - FirstAtom) >= atoms.size())
        return 0;
    AtomEntry& entry = atoms[atom - FirstAtom];
    if (entry.count > 0 && --entry.count == 0) {
        ::unlink(MarkerFileName(entry.name).c_str());  // while still locked: nobody takes a doomed file
        ::close(entry.fd);
        entry.fd = -1;
    }
    return 0;
}

}  // namespace lumvor
