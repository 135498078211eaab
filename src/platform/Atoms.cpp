#include "platform/Atoms.h"

#include "platform/Folders.h"

#include <QLockFile>
#include <QString>

#include <cctype>
#include <memory>
#include <vector>

namespace lumvor {

namespace {

// Atom numbers of string atoms start here, as the system numbers them.
constexpr ATOM FirstAtom = 0xC000;

struct AtomEntry {
    std::string name;
    std::unique_ptr<QLockFile> lock;  // held by this process while count > 0
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
    atoms.push_back(AtomEntry{name, nullptr, 0});
    return atoms.size() - 1;
}

ATOM NumberOf(size_t index) { return ATOM(FirstAtom + index); }

QString LockFileName(const std::string& name) {
    std::string safe;
    for (char c : name)
        safe += (std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
    return QString::fromStdString(RuntimeFolder() + "lumvor-" + safe + ".lock");
}

}  // namespace

ATOM GlobalAddAtom(const std::string& name) {
    const size_t index = EntryOf(name);
    AtomEntry& entry = Atoms()[index];
    if (entry.count > 0) {
        ++entry.count;
        return NumberOf(index);
    }
    auto lock = std::make_unique<QLockFile>(LockFileName(name));
    lock->setStaleLockTime(0);  // stale only when its owner is gone, never by age
    if (!lock->tryLock(0))
        return 0;
    entry.lock = std::move(lock);
    entry.count = 1;
    return NumberOf(index);
}

ATOM GlobalFindAtom(const std::string& name) {
    const size_t index = EntryOf(name);
    if (Atoms()[index].count > 0)
        return NumberOf(index);
    // Taking the lock succeeds only when nobody alive holds it; a stale file of
    // a dead owner is removed on the way.
    QLockFile probe(LockFileName(name));
    probe.setStaleLockTime(0);
    if (probe.tryLock(0)) {
        probe.unlock();
        return 0;
    }
    return probe.error() == QLockFile::LockFailedError ? NumberOf(index) : 0;
}

ATOM GlobalDeleteAtom(ATOM atom) {
    auto& atoms = Atoms();
    if (atom < FirstAtom || size_t(atom - FirstAtom) >= atoms.size())
        return 0;
    AtomEntry& entry = atoms[atom - FirstAtom];
    if (entry.count > 0 && --entry.count == 0)
        entry.lock.reset();  // unlocks and removes the file
    return 0;
}

}  // namespace lumvor
