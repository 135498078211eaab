#include "zip/reader/VCLUnZip.h"

#include <QChar>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>

namespace lumvor {

namespace {

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr uint32_t kZip64EndSignature = 0x06064b50;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;
// The end record plus the longest comment it can announce.
constexpr size_t kTailSize = kEndRecordSize + 0xFFFF;

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) { return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24); }
uint64_t Get64(const uint8_t* p) { return uint64_t{Get32(p)} | (uint64_t{Get32(p + 4)} << 32); }

bool ValidUtf8(const std::string& s) {
    size_t i = 0, n = s.size();
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 4;
        if (extra == 4 || n - i <= extra)
            return false;
        for (size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += extra + 1;
    }
    return true;
}

// The UTF-8 name of Info-ZIP's Unicode path field (0x7075) in extra; "" when
// there is none, or when it was made for another raw name (its CRC-32 of the raw
// name does not match: a tool renamed the entry without updating the field).
std::string UnicodePathField(const std::string& raw, const std::string& extra) {
    const uint32_t rawCrc = ZipCrcUpdate(0xFFFFFFFF, reinterpret_cast<const uint8_t*>(raw.data()), raw.size()) ^ 0xFFFFFFFF;
    size_t pos = 0;
    while (pos + 4 <= extra.size()) {
        auto* p = reinterpret_cast<const uint8_t*>(extra.data() + pos);
        const uint16_t id = Get16(p), size = Get16(p + 2);
        if (pos + 4 + size > extra.size())
            break;
        if (id == 0x7075 && size >= 5 && p[4] == 1 && Get32(p + 5) == rawCrc) {
            std::string unicode(reinterpret_cast<const char*>(p + 9), size - 5);
            if (ValidUtf8(unicode))
                return unicode;
        }
        pos += 4 + size;
    }
    return std::string();
}

bool HasHighBytes(const std::string& s) {
    return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) > 127; });
}

// Turns a stored name into our form: UTF-8 text with "/" between folders. The
// name is UTF-8 when its flag says so; else the Unicode path field names it;
// else raw bytes that are valid UTF-8 with some byte above 127 are UTF-8 (the
// archives of Linux tools, which set no flag); else it is code page 437.
std::string DecodeName(const std::string& raw, uint16_t flags, const std::string& extra) {
    std::string name;
    if ((flags & 0x800) && ValidUtf8(raw))
        name = raw;
    else if (std::string unicode = UnicodePathField(raw, extra); !unicode.empty())
        name = unicode;
    else if (HasHighBytes(raw) && ValidUtf8(raw))
        name = raw;
    else
        name = Cp437ToUtf8(raw);
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

}  // namespace

std::string SkipReasonText(TSkipReason reason) {
    switch (reason) {
    case srBadPassword: return "no accepted password";
    case srNoOverwrite: return "exists; skipped";
    case srUnsafePath: return "path leaves the target folder or is a link; refused";
    case srUnsupported: return "compression method not supported";
    case srCorrupt: return "sizes or offsets are corrupt; refused";
    case srCannotCreate: return "could not be created";
    }
    return "skipped";
}

TVCLUnZip::TVCLUnZip() = default;

TVCLUnZip::~TVCLUnZip() {
    try {
        ClearZip();
    } catch (...) {
        // Closing a read-only archive cannot lose data; nothing to report.
    }
}

void TVCLUnZip::ProcessMessages() {
    if (OnProcessMessages)
        OnProcessMessages();
}

void TVCLUnZip::Message(const std::string& text, const std::string& caption, TZipMessageKind kind) {
    if (OnMessage)
        OnMessage(text, caption, kind);
}

// --- directory state

void TVCLUnZip::DropDirectory() {
    sorted_.reset();
    directory_.reset();
}

void TVCLUnZip::SetZipName(const std::string& name) {
    // Paths keep their case: a name that differs in any byte is another archive.
    if (name == zipName_)
        return;
    zipName_ = name;
    DropDirectory();
    zipModTime_ = 0;
    ecrec_.Reset();
    archive_.reset();
    recovered_ = false;
}

void TVCLUnZip::ClearZip() {
    archive_.reset();
    DropDirectory();
    ecrec_.Reset();
    zipModTime_ = 0;
    recovered_ = false;
    zipName_.clear();
}

void TVCLUnZip::ReadZip() {
    CancelOperation = false;
    Open();
    Close();
}

int TVCLUnZip::Count() const { return directory_ ? directory_->Count() : 0; }

const TSortedZip& TVCLUnZip::View() const { return sorted_ ? *sorted_ : *directory_; }

const TZipHeaderInfo& TVCLUnZip::Entry(int index) const {
    if (index < 0 || index >= Count()) {
        char text[64];
        std::snprintf(text, sizeof text, "Index %d is out of range", index);
        throw EListError(text);
    }
    return *View().Items(index);
}

std::string TVCLUnZip::Filename(int index) const { return Entry(index).FileName(); }
std::string TVCLUnZip::Pathname(int index) const { return Entry(index).PathName(); }
uint32_t TVCLUnZip::CompressedSize(int index) const { return Entry(index).CompressedSize; }
uint32_t TVCLUnZip::UncompressedSize(int index) const { return Entry(index).UncompressedSize; }

TDateTime TVCLUnZip::DateTime(int index) const {
    double value = 0;
    return DosDateTimeToDateTime(Entry(index).DateTime, value) ? value : 0.0;
}

int64_t TVCLUnZip::ArchiveModTime() const {
    struct stat st {};
    if (::stat(zipName_.c_str(), &st) != 0)
        return 0;
    return int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
}

void TVCLUnZip::Open() {
    if (!archive_)
        archive_ = std::make_unique<TLFNFileStream>(zipName_, fmOpenRead | fmShareDenyWrite);
    if (!directory_ || ArchiveModTime() != zipModTime_)
        ReadDirectory();
}

void TVCLUnZip::Close() {
    if (!KeepZipOpen)
        archive_.reset();
}

bool TVCLUnZip::FindEndRecord() {
    int64_t size = archive_->Size();
    if (size < static_cast<int64_t>(kEndRecordSize))
        return false;
    size_t n = static_cast<size_t>(std::min<int64_t>(size, kTailSize));
    std::vector<uint8_t> tail(n);
    archive_->Seek(size - static_cast<int64_t>(n), soBeginning);
    if (archive_->Read(tail.data(), static_cast<int64_t>(n)) != static_cast<int64_t>(n))
        return false;
    // The last signature wins, unless a later one cannot be a real end record
    // (its comment would run past the end of the file, or its directory would
    // overlap it): such a one is a stray "PK\5\6" inside a comment.
    int64_t base = size - static_cast<int64_t>(n);
    int fallback = -1;
    for (size_t i = n - kEndRecordSize + 1; i-- > 0;) {
        if (tail[i] != 'P' || Get32(&tail[i]) != kEndSignature)
            continue;
        const uint8_t* p = &tail[i];
        if (fallback < 0)
            fallback = static_cast<int>(i);
        int64_t position = base + static_cast<int64_t>(i);
        bool commentFits = i + kEndRecordSize + Get16(p + 20) <= n;
        bool directoryFits = uint64_t{Get32(p + 16)} + Get32(p + 12) <= static_cast<uint64_t>(position) ||
                             Get32(p + 16) == 0xFFFFFFFF;
        if (commentFits && directoryFits) {
            fallback = static_cast<int>(i);
            break;
        }
    }
    if (fallback < 0)
        return false;
    const uint8_t* p = &tail[static_cast<size_t>(fallback)];
    ecrec_.Signature = Get32(p);
    ecrec_.NumberOfThisDisk = Get16(p + 4);
    ecrec_.CentralDirectoryDisk = Get16(p + 6);
    ecrec_.EntriesOnThisDisk = Get16(p + 8);
    ecrec_.TotalEntries = Get16(p + 10);
    ecrec_.CentralDirectorySize = Get32(p + 12);
    ecrec_.CentralDirectoryOffset = Get32(p + 16);
    ecrec_.ZipCommentLength = Get16(p + 20);
    int64_t position = base + fallback;
    if (position >= 20 && fallback >= 20 && Get32(p - 20) == kZip64LocatorSignature)
        ReadZip64EndRecord(position);
    return true;
}

// A zip64 archive keeps its true counts and offsets in a second end record.
// Values that fit the classic fields are taken from it; an archive that needs
// more than 32 bits is refused rather than misread.
void TVCLUnZip::ReadZip64EndRecord(int64_t endRecordPosition) {
    uint8_t locator[20];
    archive_->Seek(endRecordPosition - 20, soBeginning);
    if (archive_->Read(locator, 20) != 20)
        return;
    uint64_t recordOffset = Get64(locator + 8);
    uint8_t record[56];
    if (recordOffset > static_cast<uint64_t>(endRecordPosition) || archive_->Seek(static_cast<int64_t>(recordOffset), soBeginning) != static_cast<int64_t>(recordOffset) ||
        archive_->Read(record, 56) != 56 || Get32(record) != kZip64EndSignature)
        throw EFatalUnzipError("Zip64 end record is damaged; archive not read");
    uint32_t disk = Get32(record + 16), cdDisk = Get32(record + 20);
    uint64_t onDisk = Get64(record + 24), total = Get64(record + 32);
    uint64_t cdSize = Get64(record + 40), cdOffset = Get64(record + 48);
    if (disk > 0xFFFE || cdDisk > 0xFFFE || onDisk > 0xFFFF || total > 0xFFFF || cdSize >= 0xFFFFFFFF ||
        cdOffset >= 0xFFFFFFFF)
        throw EFatalUnzipError("Zip64 archives beyond 4 GB or 65535 entries are not supported");
    ecrec_.NumberOfThisDisk = static_cast<uint16_t>(disk);
    ecrec_.CentralDirectoryDisk = static_cast<uint16_t>(cdDisk);
    ecrec_.EntriesOnThisDisk = static_cast<uint16_t>(onDisk);
    ecrec_.TotalEntries = static_cast<uint16_t>(total);
    ecrec_.CentralDirectorySize = static_cast<uint32_t>(cdSize);
    ecrec_.CentralDirectoryOffset = static_cast<uint32_t>(cdOffset);
}

void TVCLUnZip::ReadDirectory() {
    zipModTime_ = ArchiveModTime();
    DropDirectory();
    recovered_ = false;
    ecrec_.Reset();
    bool haveDirectory = false;
    if (FindEndRecord()) {
        currentDisk_ = ecrec_.NumberOfThisDisk;
        multiDiskKind_ = currentDisk_ != 0 ? 2 : 0;  // no drive letters here: never a removable-drive volume
        if (ecrec_.CentralDirectoryDisk != currentDisk_)
            LoadDisk(ecrec_.CentralDirectoryDisk + 1);
        archive_->Seek(ecrec_.CentralDirectoryOffset, soBeginning);
        uint8_t sig[4];
        if (archive_->Read(sig, 4) == 4 && Get32(sig) == kCentralSignature) {
            archive_->Seek(-4, soCurrent);
            directory_ = std::make_unique<TSortedZip>(dupError);
            haveDirectory = true;
        }
    } else {
        if (OnInCompleteZip)
            OnInCompleteZip(this, IncompleteZipMode);
        if (IncompleteZipMode == izAssumeMulti)
            throw EIncompleteZip("Incomplete Zip File");
    }
    if (!haveDirectory && !RecoveryScan()) {
        directory_ = std::make_unique<TSortedZip>(dupError);
        BuildSortedView(SortMode);
        return;
    }

    bool continueOnNextDisk = multiDiskKind_ != 0 && !recovered_;
    for (unsigned i = 0; i < ecrec_.TotalEntries; ++i) {
        auto entry = std::make_unique<TZipHeaderInfo>();
        // A record that cannot be read leaves the reader where it was, so
        // every later one would fail the same way.
        if (!ReadCentralRecord(*entry, continueOnNextDisk))
            break;
        if (!recovered_) {
            directory_->Add(entry.get());
            entry.release();
            continue;
        }
        int index;
        if (directory_->Find(entry.get(), index)) {
            TZipHeaderInfo* found = directory_->Items(index);
            uint32_t offset = found->RelativeOffset;
            found->Assign(*entry);
            found->RelativeOffset = offset;
        }
    }
    currentDisk_ = ecrec_.NumberOfThisDisk;
    BuildSortedView(SortMode);
}

bool TVCLUnZip::ReadCentralRecord(TZipHeaderInfo& entry, bool continueOnNextDisk) {
    int64_t start = archive_->Position();
    uint8_t h[kCentralSize];
    int64_t got = archive_->Read(h, kCentralSize);
    if (continueOnNextDisk && got < static_cast<int64_t>(kCentralSize) &&
        (got == 0 || (got >= 4 && Get32(h) == kCentralSignature))) {
        LoadDisk(currentDisk_ + 2);
        start = 0;
        got += archive_->Read(h + got, static_cast<int64_t>(kCentralSize) - got);
    }
    if (got != static_cast<int64_t>(kCentralSize) || Get32(h) != kCentralSignature) {
        archive_->Seek(start, soBeginning);
        return false;
    }
    uint16_t nameLength = Get16(h + 28), extraLength = Get16(h + 30), commentLength = Get16(h + 32);
    std::string raw(nameLength, '\0');
    std::string extra(extraLength, '\0');
    if (archive_->Read(raw.data(), nameLength) != nameLength || archive_->Read(extra.data(), extraLength) != extraLength) {
        archive_->Seek(start, soBeginning);
        return false;
    }
    archive_->Seek(commentLength, soCurrent);
    entry.VersionMadeBy = Get16(h + 4);
    entry.VersionNeeded = Get16(h + 6);
    entry.Flags = Get16(h + 8);
    entry.CompressionMethod = Get16(h + 10);
    entry.DateTime = Get32(h + 12);
    entry.CRC32 = Get32(h + 16);
    entry.CompressedSize = Get32(h + 20);
    entry.UncompressedSize = Get32(h + 24);
    entry.ExtraFieldLength = extraLength;
    entry.FileCommentLength = commentLength;
    entry.DiskNumberStart = Get16(h + 34);
    entry.InternalAttributes = Get16(h + 36);
    entry.ExternalAttributes = Get32(h + 38);
    entry.RelativeOffset = Get32(h + 42);
    entry.CentralOffset = static_cast<uint32_t>(start);
    // Zip64 fields follow in the order of the classic fields they replace.
    if (entry.UncompressedSize == 0xFFFFFFFF || entry.CompressedSize == 0xFFFFFFFF ||
        entry.RelativeOffset == 0xFFFFFFFF || entry.DiskNumberStart == 0xFFFF) {
        size_t pos = 0;
        bool found = false;
        while (pos + 4 <= extra.size()) {
            auto* p = reinterpret_cast<const uint8_t*>(extra.data() + pos);
            uint16_t id = Get16(p), size = Get16(p + 2);
            if (pos + 4 + size > extra.size())
                break;
            if (id == 0x0001) {
                found = true;
                const uint8_t* q = p + 4;
                const uint8_t* end = q + size;
                auto take64 = [&](uint32_t& field) {
                    if (field != 0xFFFFFFFF)
                        return;
                    if (q + 8 > end)
                        throw EFatalUnzipError("Zip64 field of \"" + DecodeName(raw, entry.Flags, extra) + "\" is damaged");
                    uint64_t v = Get64(q);
                    q += 8;
                    if (v >= 0xFFFFFFFF)
                        throw EFatalUnzipError("Zip64 entries of 4 GB or more are not supported");
                    field = static_cast<uint32_t>(v);
                };
                take64(entry.UncompressedSize);
                take64(entry.CompressedSize);
                take64(entry.RelativeOffset);
                if (entry.DiskNumberStart == 0xFFFF) {
                    if (q + 4 > end || Get32(q) > 0xFFFE)
                        throw EFatalUnzipError("Zip64 disk number is not supported");
                    entry.DiskNumberStart = static_cast<uint16_t>(Get32(q));
                }
            }
            pos += 4 + size;
        }
        if (!found && (entry.UncompressedSize == 0xFFFFFFFF || entry.CompressedSize == 0xFFFFFFFF ||
                       entry.RelativeOffset == 0xFFFFFFFF))
            throw EFatalUnzipError("Zip64 sizes without their zip64 field; archive not read");
    }
    entry.SetPath(DecodeName(raw, entry.Flags, extra));
    return true;
}

bool TVCLUnZip::ReadLocalHeader(TZipHeaderInfo& entry) {
    int64_t start = archive_->Position();
    uint8_t h[kLocalSize];
    if (archive_->Read(h, kLocalSize) != static_cast<int64_t>(kLocalSize) || Get32(h) != kLocalSignature) {
        archive_->Seek(start, soBeginning);
        return false;
    }
    uint16_t nameLength = Get16(h + 26);
    std::string raw(nameLength, '\0');
    if (archive_->Read(raw.data(), nameLength) != nameLength) {
        archive_->Seek(start, soBeginning);
        return false;
    }
    entry.VersionMadeBy = 0;
    entry.VersionNeeded = Get16(h + 4);
    entry.Flags = Get16(h + 6);
    entry.CompressionMethod = Get16(h + 8);
    entry.DateTime = Get32(h + 10);
    entry.CRC32 = Get32(h + 14);
    entry.CompressedSize = Get32(h + 18);
    entry.UncompressedSize = Get32(h + 22);
    entry.ExtraFieldLength = Get16(h + 28);
    entry.FileCommentLength = 0;
    entry.DiskNumberStart = 0;
    entry.InternalAttributes = 0;
    entry.ExternalAttributes = 0;
    entry.CentralOffset = 0;
    entry.RelativeOffset = static_cast<uint32_t>(start);
    entry.SetPath(DecodeName(raw, entry.Flags, std::string()));
    return true;
}

// Rebuilds the directory from the local headers of a damaged archive. Entries
// whose sizes follow their data carry none in the header, so after one of
// them the scan searches on for the next header instead of giving up.
bool TVCLUnZip::RecoveryScan() {
    recovered_ = true;
    DropDirectory();
    if (OnBusyCursor)
        OnBusyCursor(true);
    struct CursorBack {
        TVCLUnZip* self;
        ~CursorBack() {
            if (self->OnBusyCursor)
                self->OnBusyCursor(false);
        }
    } cursorBack{this};

    archive_->Seek(0, soBeginning);
    unsigned skipped = 0;
    // Finds the next "PK" signature of a local header (3,4) or of the central
    // directory / end record (1,2 / 5,6); leaves the stream on it.
    auto nextSignature = [&](uint32_t& signature) -> bool {
        uint8_t window[4] = {};
        int have = 0;
        uint8_t byte;
        while (archive_->Read(&byte, 1) == 1) {
            if (byte != 'P' && ++skipped % 10240 == 0 && DoProcessMessages) {
                ProcessMessages();
                if (CancelOperation) {
                    CancelOperation = false;
                    throw EUserCanceled("Aborted.");
                }
            }
            if (have < 4) {
                window[have++] = byte;
            } else {
                std::memmove(window, window + 1, 3);
                window[3] = byte;
            }
            if (have == 4 && window[0] == 'P' && window[1] == 'K') {
                uint32_t s = Get32(window);
                if (s == kLocalSignature || s == kCentralSignature || s == kEndSignature) {
                    signature = s;
                    archive_->Seek(-4, soCurrent);
                    return true;
                }
            }
        }
        return false;
    };

    uint32_t signature = 0;
    if (!nextSignature(signature) || signature != kLocalSignature)
        return false;
    directory_ = std::make_unique<TSortedZip>(dupError);
    int64_t stop;
    for (;;) {
        auto entry = std::make_unique<TZipHeaderInfo>();
        int index;
        if (ReadLocalHeader(*entry) && !directory_->Find(entry.get(), index)) {
            int64_t dataStart = archive_->Position() + entry->ExtraFieldLength;
            bool descriptor = entry->HasDataDescriptor();
            uint32_t size = entry->CompressedSize;
            directory_->Add(entry.release());
            archive_->Seek(descriptor ? dataStart : dataStart + size, soBeginning);
        } else {
            // Not a header after all: step over it and search on.
            archive_->Seek(1, soCurrent);
        }
        if (!nextSignature(signature) || signature != kLocalSignature) {
            stop = archive_->Position();
            break;
        }
    }
    ecrec_.NumberOfThisDisk = 0;
    currentDisk_ = 0;
    ecrec_.CentralDirectoryOffset = static_cast<uint32_t>(stop);
    ecrec_.TotalEntries = static_cast<uint16_t>(std::min(directory_->Count(), 0xFFFF));
    archive_->Seek(stop, soBeginning);
    return true;
}

void TVCLUnZip::BuildSortedView(TZipSortMode mode) {
    sorted_.reset();
    if (mode != ByNone) {
        sorted_ = std::make_unique<TSortedZip>(dupAccept);
        sorted_->OwnsObjects = false;
        sorted_->SortMode = mode;
        for (int i = 0; i < directory_->Count(); ++i)
            sorted_->Add(directory_->Items(i));
    }
    SortMode = mode;
}

void TVCLUnZip::LoadDisk(int diskNumber) {
    if (!OnGetNextDisk)
        throw EFatalUnzipError("Archives that span several disks are not supported");
    archive_.reset();
    std::string fileName = zipName_;
    for (;;) {
        OnGetNextDisk(this, diskNumber, fileName);
        if (fileName.empty())
            throw EUserCanceled("New disk load aborted.");
        struct stat st {};
        if (::stat(fileName.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            break;
    }
    archive_ = std::make_unique<TLFNFileStream>(fileName, fmOpenRead | fmShareDenyWrite);
    currentDisk_ = diskNumber - 1;
    zipName_ = fileName;
    zipModTime_ = ArchiveModTime();
}

// ---------------------------------------------------------------------------
// Wildcards

namespace {

std::u32string FoldedCodePoints(const std::string& text) {
    std::u32string out;
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        char32_t cp = c;
        size_t extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 0;
        if (extra && i + extra < text.size()) {
            cp = c & (0x3F >> extra);
            for (size_t k = 1; k <= extra; ++k)
                cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        } else {
            extra = 0;
        }
        i += extra + 1;
        out += static_cast<char32_t>(QChar::toLower(static_cast<char32_t>(cp)));
    }
    return out;
}

struct TPatternItem {
    enum Kind { Star, Any, Set, Char };
    explicit TPatternItem(Kind k) : kind(k) {}
    Kind kind;
    char32_t ch = 0;
    bool negate = false;
    std::vector<std::pair<char32_t, char32_t>> ranges;

    bool Matches(char32_t c) const {
        switch (kind) {
        case Any: return true;
        case Char: return c == ch;
        case Set: {
            bool in = false;
            for (auto [lo, hi] : ranges)
                in = in || (c >= lo && c <= hi);
            return in != negate;
        }
        case Star: break;
        }
        return false;
    }
};

}  // namespace

bool ZipWildcardMatch(const std::string& pattern, const std::string& subject) {
    std::u32string p = FoldedCodePoints(pattern), s = FoldedCodePoints(subject);
    std::vector<TPatternItem> items;
    for (size_t i = 0; i < p.size(); ++i) {
        if (p[i] == U'*') {
            items.emplace_back(TPatternItem::Star);
        } else if (p[i] == U'?') {
            items.emplace_back(TPatternItem::Any);
        } else if (p[i] == U'[') {
            TPatternItem item(TPatternItem::Set);
            size_t j = i + 1;
            if (j < p.size() && (p[j] == U'!' || p[j] == U'^')) {
                item.negate = true;
                ++j;
            }
            while (j < p.size() && p[j] != U']') {
                char32_t lo = p[j], hi = p[j];
                if (j + 2 < p.size() && p[j + 1] == U'-' && p[j + 2] != U']') {
                    hi = p[j + 2];
                    j += 2;
                }
                item.ranges.emplace_back(std::min(lo, hi), std::max(lo, hi));
                ++j;
            }
            if (j >= p.size() || item.ranges.empty())
                return false;  // an empty or unclosed set matches nothing
            items.push_back(std::move(item));
            i = j;
        } else {
            TPatternItem item(TPatternItem::Char);
            item.ch = p[i];
            items.push_back(item);
        }
    }
    // Greedy match with one backtracking point per star: linear in practice,
    // never exponential.
    size_t pi = 0, si = 0, starItem = SIZE_MAX, starSubject = 0;
    while (si < s.size()) {
        if (pi < items.size() && items[pi].kind == TPatternItem::Star) {
            starItem = pi++;
            starSubject = si;
        } else if (pi < items.size() && items[pi].Matches(s[si])) {
            ++pi;
            ++si;
        } else if (starItem != SIZE_MAX) {
            pi = starItem + 1;
            si = ++starSubject;
        } else {
            return false;
        }
    }
    while (pi < items.size() && items[pi].kind == TPatternItem::Star)
        ++pi;
    return pi == items.size();
}

// ---------------------------------------------------------------------------
// Extraction

void TVCLUnZip::SetDestDir(const std::string& dir) {
    destDir_ = dir;
    if (destDir_.size() > 1 && destDir_.back() == '/')
        destDir_.pop_back();
}

void TVCLUnZip::SetRootDir(const std::string& dir) {
    rootDir_ = dir;
    std::replace(rootDir_.begin(), rootDir_.end(), '\\', '/');
    if (!rootDir_.empty() && rootDir_.back() != '/')
        rootDir_ += '/';
}

namespace {

constexpr size_t kChunkSize = 16000;

// Splits a stored path into folder names; false when it is absolute, names a
// drive, climbs with "..", or holds a NUL byte. "." and empty parts vanish.
bool SafeParts(const std::string& path, std::vector<std::string>& parts) {
    parts.clear();
    if (path.empty())
        return true;
    if (path[0] == '/' || (path.size() >= 2 && path[1] == ':') || path.find('\0') != std::string::npos)
        return false;
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos)
            slash = path.size();
        std::string part = path.substr(start, slash - start);
        if (part == "..")
            return false;
        if (!part.empty() && part != ".")
            parts.push_back(part);
        start = slash + 1;
    }
    return true;
}

int Percent(uint64_t done, int64_t total) {
    if (total <= 0)
        return 0;
    uint64_t t = static_cast<uint64_t>(total);
    return static_cast<int>(std::min<uint64_t>(100, (done * 100 + t / 2) / t));
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // File systems without the flag: a hard link never replaces either.
    if (::link(from.c_str(), to.c_str()) != 0)
        return false;
    ::unlink(from.c_str());
    return true;
}

}  // namespace

class TUnZipRun : public TUnZipFrame {
public:
    TUnZipRun(TVCLUnZip& zip, std::string baseFolder) : z_(zip), base_(std::move(baseFolder)), in_(kChunkSize + 1) {
        mode_t mask = ::umask(0);
        ::umask(mask);
        umask_ = mask;
    }

    int Count = 0;
    int64_t TotalToWrite = 0;
    bool Retry = false;

    // Sorted local header offsets and the directory's offset: where each
    // entry's data must end at the latest.
    void CollectBounds() {
        bounds_.clear();
        for (int i = 0; i < z_.directory_->Count(); ++i)
            bounds_.push_back(z_.directory_->Items(i)->RelativeOffset);
        bounds_.push_back(z_.ecrec_.CentralDirectoryOffset);
        std::sort(bounds_.begin(), bounds_.end());
    }

    void Extract(int index) {
        TZipHeaderInfo& work = working_;
        work.Assign(*z_.View().Items(index));
        Retry = false;
        std::vector<std::string> pathParts;
        if (!SafeParts(work.PathName(), pathParts) || work.FileName() == "." || work.FileName() == ".." ||
            ((work.VersionMadeBy >> 8) == 3 && ((work.ExternalAttributes >> 16) & S_IFMT) == S_IFLNK)) {
            Skip(srUnsafePath, index);
            return;
        }

        uint32_t compressed = work.CompressedSize;
        if (!work.FileName().empty()) {
            if (z_.multiDiskKind_ != 0 && work.DiskNumberStart != z_.currentDisk_)
                z_.LoadDisk(work.DiskNumberStart + 1);
            z_.archive_->Seek(work.RelativeOffset, soBeginning);
            uint8_t h[30];
            if (z_.archive_->Read(h, 30) != 30)
                throw EFatalUnzipError("Premature end of file reached");
            if (Get32(h) != kLocalSignature) {
                Skip(srCorrupt, index);
                return;
            }
            uint64_t dataStart = uint64_t{work.RelativeOffset} + 30 + Get16(h + 26) + Get16(h + 28);
            if (z_.multiDiskKind_ == 0) {
                auto next = std::upper_bound(bounds_.begin(), bounds_.end(), uint64_t{work.RelativeOffset});
                if (next != bounds_.end() && dataStart + compressed > *next) {
                    // Entries that share their data are how overlapping zip bombs multiply output.
                    Skip(srCorrupt, index);
                    return;
                }
            }
            z_.archive_->Seek(static_cast<int64_t>(dataStart), soBeginning);
        }

        // Output folder.
        std::string folder = base_;
        std::vector<std::string> dirParts;
        if (z_.RecreateDirs && !work.Directory().empty()) {
            std::string dir = work.Directory();
            if (!z_.rootDir_.empty() && dir.compare(0, z_.rootDir_.size(), z_.rootDir_) == 0)
                dir.erase(0, z_.rootDir_.size());
            SafeParts(dir, dirParts);
            TSkipReason reason;
            if (!MakeFolders(dirParts, folder, reason)) {
                Skip(reason, index);
                return;
            }
        }
        if (work.FileName().empty()) {
            if (z_.RecreateDirs && z_.OnStartUnZip) {
                bool skip = false;
                z_.OnStartUnZip(&z_, index, folder, skip);
            }
            return;
        }
        const std::string outName = folder + "/" + work.FileName();

        // Password.
        encrypted_ = work.Encrypted();
        if (encrypted_) {
            if (compressed < 12) {
                Skip(srCorrupt, index);
                return;
            }
            uint8_t header[12];
            if (z_.archive_->Read(header, 12) != 12)
                throw EFatalUnzipError("Premature end of file reached");
            compressed -= 12;
            uint8_t check = work.HasDataDescriptor() ? static_cast<uint8_t>(work.DateTime >> 8)
                                                      : static_cast<uint8_t>(work.CRC32 >> 24);
            for (;;) {
                uint8_t plain[12];
                std::memcpy(plain, header, 12);
                keys_.Init(z_.Password);
                keys_.Decrypt(plain, 12);
                if (plain[11] == check)
                    break;
                std::string newPassword = z_.Password;
                if (z_.OnBadPassword)
                    z_.OnBadPassword(&z_, index, newPassword);
                if (newPassword == z_.Password) {
                    Skip(srBadPassword, index);
                    return;
                }
                z_.Password = newPassword;
            }
        }
        remaining_ = compressed;
        const uint32_t expected = work.UncompressedSize;

        const uint16_t method = work.CompressionMethod;
        if (!(method <= 6 || method == 8)) {
            // Nothing is written for a method this reader cannot decode.
            z_.Message("Unknown Compression Method", "Zip Error", zmError);
            Skip(srUnsupported, index);
            return;
        }
        const uint64_t maxExpansion = ZipMaxExpansion(method);
        if (maxExpansion && uint64_t{expected} > uint64_t{compressed} * maxExpansion + 1024) {
            Skip(srCorrupt, index);
            return;
        }

        // Output file: an existing one is never written through a link, and a
        // skip leaves it untouched.
        struct stat st {};
        bool exists = ::lstat(outName.c_str(), &st) == 0;
        if (exists && S_ISLNK(st.st_mode)) {
            Skip(srUnsafePath, index);
            return;
        }
        if (exists && !S_ISREG(st.st_mode)) {
            Skip(srCannotCreate, index);
            return;
        }
        if (exists && z_.OverwriteMode == Never) {
            Skip(srNoOverwrite, index);
            return;
        }
        bool skip = false;
        if (z_.OnStartUnZip)
            z_.OnStartUnZip(&z_, index, outName, skip);
        if (skip)
            return;
        std::string movedAside;
        if (exists && z_.OverwriteMode == Prompt && !MoveAside(outName, movedAside)) {
            z_.Message("Could not rename " + outName, "Warning", zmWarning);
            Skip(srNoOverwrite, index);
            return;
        }
        // The entry is written beside its target under a scratch name and
        // takes the target's name only once it is complete and checked, so a
        // failed or interrupted entry never leaves a half file under that name.
        RemoveDeadScratchFilesNow(folder);
        const std::string scratch = ScratchFileName(outName);
        try {
            out_ = std::make_unique<TFileStream>(scratch, fmCreate);
        } catch (const EFileStreamError&) {
            PutBack(movedAside, outName);
            Skip(srCannotCreate, index);
            return;
        }

        // Decompress.
        BeginEntry(expected);
        expected_ = expected;
        crc_ = 0xFFFFFFFF;
        written_ = 0;
        int rc = 0;
        bool overrun = false;
        try {
            try {
                if (method == 0) {
                    while (FillInput())
                        PutOutput(InPtr, static_cast<size_t>(InEnd - InPtr));
                } else if (method == 1) {
                    rc = Unshrink(*this);
                } else if (method >= 2 && method <= 5) {
                    rc = Unreduce(*this, method - 1, expected);
                } else if (method == 6) {
                    rc = Explode(*this, work.Flags, compressed, expected);
                } else {
                    rc = Inflate(*this);  // method 8: the others were skipped above
                }
                FlushOutput();
            } catch (const TZipOutputOverrun&) {
                overrun = true;
                FlushOutput();
            }
        } catch (...) {
            // A cancel or a truncated archive: the partial file is not kept.
            out_.reset();
            ::unlink(scratch.c_str());
            PutBack(movedAside, outName);
            throw;
        }
        out_.reset();

        uint32_t crc = crc_ ^ 0xFFFFFFFF;
        if (rc == 0 && !overrun && written_ == expected && crc == work.CRC32) {
            if (z_.RetainAttributes)
                ApplyMode(scratch, work);
            else
                ::chmod(scratch.c_str(), 0666 & ~umask_);
            SetFileTime(scratch, work.DateTime);
            if (::rename(scratch.c_str(), outName.c_str()) != 0) {
                ::unlink(scratch.c_str());
                PutBack(movedAside, outName);
                totalWritten_ -= written_;
                Skip(srCannotCreate, index);
                return;
            }
            if (z_.OnEndUnZip)
                z_.OnEndUnZip(&z_, index, outName);
            return;
        }
        totalWritten_ -= written_;  // a failed entry's bytes do not count toward the run
        ::unlink(scratch.c_str());
        PutBack(movedAside, outName);
        if (encrypted_) {
            std::string newPassword = z_.Password;
            if (z_.OnBadPassword) {
                z_.OnBadPassword(&z_, index, newPassword);
                if (newPassword != z_.Password) {
                    z_.Password = newPassword;
                    Retry = true;
                    return;
                }
            }
            Skip(srBadPassword, index);
            return;
        }
        if (z_.OnBadCRC)
            z_.OnBadCRC(&z_, crc, work.CRC32, index);
        --Count;
    }

    bool FillInput() override {
        if (remaining_ == 0)
            return false;
        if (z_.DoProcessMessages) {
            z_.ProcessMessages();
            if (z_.CancelOperation) {
                z_.CancelOperation = false;
                throw EUserCanceled("User Aborted Operation");
            }
        }
        size_t chunk = std::min<size_t>(remaining_, kChunkSize);
        int64_t got = std::max<int64_t>(0, z_.archive_->Read(in_.data(), static_cast<int64_t>(chunk)));
        while (got < static_cast<int64_t>(chunk)) {
            if (z_.multiDiskKind_ == 0 || !z_.OnGetNextDisk)
                throw EFatalUnzipError("Premature end of file reached");
            z_.LoadDisk(z_.currentDisk_ + 2);
            got += std::max<int64_t>(0, z_.archive_->Read(in_.data() + got, static_cast<int64_t>(chunk) - got));
        }
        remaining_ -= static_cast<uint32_t>(chunk);
        if (encrypted_)
            keys_.Decrypt(in_.data(), chunk);
        InPtr = in_.data();
        InEnd = InPtr + chunk;
        return true;
    }

    void WriteChunk(const uint8_t* data, size_t count) override {
        out_->WriteBuffer(data, static_cast<int64_t>(count));
        crc_ = ZipCrcUpdate(crc_, data, count);
        written_ += count;
        totalWritten_ += count;
        if (z_.OnFilePercentDone)
            z_.OnFilePercentDone(&z_, Percent(written_, expected_));
        if (z_.OnTotalPercentDone)
            z_.OnTotalPercentDone(&z_, Percent(totalWritten_, TotalToWrite));
    }

    void ShowMessage(const std::string& text, const std::string& caption) override {
        z_.Message(text, caption, zmError);
    }

private:
    void Skip(TSkipReason reason, int index) {
        if (z_.OnSkippingFile)
            z_.OnSkippingFile(&z_, reason, index);
        --Count;
    }

    // Creates the folders below the base one by one; an existing link or
    // non-folder on the way refuses the entry.
    bool MakeFolders(const std::vector<std::string>& parts, std::string& folder, TSkipReason& reason) {
        for (const std::string& part : parts) {
            folder += "/" + part;
            struct stat st {};
            if (::lstat(folder.c_str(), &st) != 0) {
                if (::mkdir(folder.c_str(), 0777) == 0)
                    continue;
                if (errno != EEXIST || ::lstat(folder.c_str(), &st) != 0) {
                    reason = srCannotCreate;
                    return false;
                }
            }
            if (S_ISLNK(st.st_mode)) {
                reason = srUnsafePath;
                return false;
            }
            if (!S_ISDIR(st.st_mode)) {
                reason = srCannotCreate;
                return false;
            }
        }
        return true;
    }

    // Renames an existing output "name.ext" to the first free "name.n.ext",
    // named in movedTo.
    bool MoveAside(const std::string& outName, std::string& movedTo) {
        size_t slash = outName.find_last_of('/');
        size_t dot = outName.find_last_of('.');
        std::string stem = outName, ext;
        if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
            stem = outName.substr(0, dot);
            ext = outName.substr(dot);
            for (char& c : ext)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        std::string candidate;
        for (int n = 1; n <= 999; ++n) {
            candidate = stem + "." + std::to_string(n) + ext;
            struct stat st {};
            if (::lstat(candidate.c_str(), &st) != 0)
                break;
        }
        movedTo = candidate;
        return RenameNoReplace(outName, candidate);
    }

    // The file moved out of the way for an entry that failed gets its name back.
    static void PutBack(const std::string& movedAside, const std::string& outName) {
        if (!movedAside.empty())
            RenameNoReplace(movedAside, outName);
    }

    // Unix archives give the permission bits (never setuid, setgid or
    // sticky); others only the read-only flag.
    void ApplyMode(const std::string& name, const TZipHeaderInfo& entry) {
        mode_t mode = 0666 & ~umask_;
        uint32_t unixMode = entry.ExternalAttributes >> 16;
        if ((entry.VersionMadeBy >> 8) == 3 && (unixMode & 0777) != 0)
            mode = unixMode & 0777;
        else if (entry.ExternalAttributes & 1)
            mode &= ~mode_t{0222};
        ::chmod(name.c_str(), mode);
    }

    static void SetFileTime(const std::string& name, uint32_t dosDateTime) {
        double unused;
        if (!DosDateTimeToDateTime(dosDateTime, unused))
            return;
        std::tm tm{};
        tm.tm_year = 80 + static_cast<int>(dosDateTime >> 25);
        tm.tm_mon = static_cast<int>((dosDateTime >> 21) & 15) - 1;
        tm.tm_mday = static_cast<int>((dosDateTime >> 16) & 31);
        tm.tm_hour = static_cast<int>((dosDateTime >> 11) & 31);
        tm.tm_min = static_cast<int>((dosDateTime >> 5) & 63);
        tm.tm_sec = static_cast<int>(dosDateTime & 31) * 2;
        tm.tm_isdst = -1;
        std::time_t t = std::mktime(&tm);
        if (t == static_cast<std::time_t>(-1))
            return;
        struct timespec times[2];
        times[0].tv_sec = times[1].tv_sec = t;
        times[0].tv_nsec = times[1].tv_nsec = 0;
        ::utimensat(AT_FDCWD, name.c_str(), times, AT_SYMLINK_NOFOLLOW);
    }

    TVCLUnZip& z_;
    std::string base_;
    std::vector<uint8_t> in_;
    std::vector<uint64_t> bounds_;
    TZipHeaderInfo working_;
    TZipCryptKeys keys_;
    std::unique_ptr<TFileStream> out_;
    mode_t umask_ = 022;
    uint32_t remaining_ = 0;
    uint32_t crc_ = 0;
    uint32_t expected_ = 0;
    uint64_t written_ = 0;
    uint64_t totalWritten_ = 0;
    bool encrypted_ = false;
};

int TVCLUnZip::UnZip() {
    CancelOperation = false;
    if (destDir_ == "?")
        return 0;
    std::error_code ec;
    std::string base;
    if (destDir_.empty()) {
        base = std::filesystem::current_path(ec).string();
    } else {
        if (!std::filesystem::is_directory(destDir_, ec))
            std::filesystem::create_directories(destDir_, ec);
        base = std::filesystem::absolute(destDir_, ec).string();
        if (!std::filesystem::is_directory(destDir_, ec))
            throw EInOutError("Cannot create folder " + destDir_);
    }
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();

    Open();
    TZipSortMode savedMode = SortMode;
    bool modeChanged = false;
    auto finish = [&] {
        if (modeChanged && directory_)
            BuildSortedView(savedMode);
        Close();
    };
    try {
        if (ecrec_.NumberOfThisDisk != 0 && SortMode != ByNone) {
            BuildSortedView(ByNone);
            modeChanged = true;
        }
        auto run = std::make_unique<TUnZipRun>(*this, base);
        run->CollectBounds();
        run->Count = Count();
        const TSortedZip& view = View();
        for (int i = 0; i < view.Count(); ++i) {
            TZipHeaderInfo* entry = view.Items(i);
            entry->Selected = DoAll;
            if (entry->FileName().empty() && !RecreateDirs) {
                entry->Selected = false;
                --run->Count;
                continue;
            }
            for (int p = 0; p < FilesList.Count(); ++p) {
                std::string pattern = FilesList[p];
                std::replace(pattern.begin(), pattern.end(), '\\', '/');
                const std::string subject =
                    pattern.find('/') != std::string::npos ? entry->PathName() : entry->FileName();
                if (ZipWildcardMatch(pattern, subject)) {
                    entry->Selected = true;
                    break;
                }
            }
            if (entry->Selected)
                run->TotalToWrite += entry->UncompressedSize;
            else
                --run->Count;
        }
        bool stopNow = false;
        if (OnStartUnZipInfo)
            OnStartUnZipInfo(this, run->Count, run->TotalToWrite, stopNow);
        if (run->Count > 0 && !stopNow) {
            for (int i = 0; i < view.Count(); ++i) {
                if (!DoAll && !view.Items(i)->Selected)
                    continue;
                do
                    run->Extract(i);
                while (run->Retry);
            }
        }
        int count = run->Count;
        finish();
        return count;
    } catch (...) {
        finish();
        throw;
    }
}

}  // namespace lumvor
