// Records of a zip archive as the reader holds them: one entry of the central
// directory (or of a local header found by the recovery scan), the end of
// central directory record, and the sorted views over the entries.
//
// Stored paths use "/" between folders; `Directory` keeps a trailing "/".
#pragma once

#include "zip/reader/ZipContainers.h"

#include <cstdint>
#include <string>

namespace lumvor {

class TZipHeaderInfo {
public:
    uint16_t VersionMadeBy = 20;
    uint16_t VersionNeeded = 20;
    uint16_t Flags = 0;  // bit 0 encrypted, bit 3 data descriptor, bit 11 UTF-8 name
    uint16_t CompressionMethod = 8;
    uint32_t DateTime = 0;  // DOS time in the low half, DOS date in the high half
    uint32_t CRC32 = 0xFFFFFFFF;
    uint32_t CompressedSize = 0;
    uint32_t UncompressedSize = 0;
    uint16_t FileNameLength = 0;
    uint16_t ExtraFieldLength = 0;
    uint16_t FileCommentLength = 0;
    uint16_t DiskNumberStart = 0;
    uint16_t InternalAttributes = 1;
    uint32_t ExternalAttributes = 32;
    uint32_t RelativeOffset = 0;  // local header position
    uint32_t CentralOffset = 0;   // position of the central record; 0 after a recovery scan
    std::string FileComment;      // never filled by the reader
    bool Selected = false;

    const std::string& FileName() const { return fileName_; }
    const std::string& Directory() const { return directory_; }
    // Both keep FileNameLength equal to the byte length of directory plus name.
    void SetFileName(const std::string& name);
    // A non-empty directory always ends with "/".
    void SetDirectory(const std::string& directory);
    // Splits a stored path at its last "/".
    void SetPath(const std::string& path);
    std::string PathName() const { return directory_ + fileName_; }

    bool Encrypted() const { return Flags & 1; }
    bool HasDataDescriptor() const { return Flags & 8; }

    // Copies every field; the comment only when the source has one.
    void Assign(const TZipHeaderInfo& source);

private:
    std::string fileName_;
    std::string directory_;
};

// End of central directory record.
struct TZipMain {
    uint32_t Signature = 0x06054b50;
    uint16_t NumberOfThisDisk = 0;
    uint16_t CentralDirectoryDisk = 0;
    uint16_t EntriesOnThisDisk = 0;
    uint16_t TotalEntries = 0;
    uint32_t CentralDirectorySize = 0;
    uint32_t CentralDirectoryOffset = 0;
    uint16_t ZipCommentLength = 0;

    void Reset() { *this = TZipMain(); }
    void Assign(const TZipMain& source) { *this = source; }
};

enum TZipSortMode {
    ByName = 0,
    ByFileName = 1,
    ByDirectoryName = 2,
    ByDate = 3,
    ByCompressedSize = 4,
    ByUnCompressedSize = 5,
    ByRate = 6,
    ByNone = 7,
};

class TSortedZip : public TSortedObjectList<TZipHeaderInfo> {
public:
    explicit TSortedZip(TDuplicatePolicy policy) : TSortedObjectList(policy) {}

    TZipSortMode SortMode = ByNone;

    int Compare(const TZipHeaderInfo* item, const TZipHeaderInfo* key) const override;
};

// Converts a DOS date-time (date in the high half) to a date-time value (days
// since 1899-12-30); false when the fields do not form a valid date.
bool DosDateTimeToDateTime(uint32_t dosDateTime, double& result);

// The packed share of the compressed size in percent, rounded, at most 100.
int PackedPercent(uint32_t compressedSize, uint32_t uncompressedSize);

// Zip names not flagged as UTF-8 are in code page 437.
std::string Cp437ToUtf8(const std::string& raw);

}  // namespace lumvor
