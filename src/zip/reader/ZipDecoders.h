// The zip reader's own decompressors and the frame they share: input chunks,
// an LSB-first bit buffer, the 32 KB sliding window and the output buffer that
// the extraction flushes to the file.
//
// Headless, no locks; one frame serves one extraction run on one thread.
#pragma once

#include "platform/Crc32.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lumvor {

// CRC-32 of the zip format (reflected, polynomial 0xEDB88320). `crc` is the
// running register: start with 0xFFFFFFFF and complement the final value.
inline uint32_t ZipCrcUpdate(uint32_t crc, const uint8_t* data, size_t count) {
    return Crc32Update(crc, data, count);
}
inline uint32_t ZipCrcByte(uint32_t crc, uint8_t byte) {
    return Crc32Table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
}

// The traditional zip encryption: three 32-bit keys advanced with CRC-32.
struct TZipCryptKeys {
    uint32_t Key0 = 0x12345678, Key1 = 0x23456789, Key2 = 0x34567890;

    void Init(const std::string& password);
    void Update(uint8_t plain);
    uint8_t DecryptByte(uint8_t cipher);
    void Decrypt(uint8_t* data, size_t count);
};

// Raised out of TUnZipFrame::PutOutput when an entry produces more bytes than it
// declared; the extraction then treats the entry as damaged.
struct TZipOutputOverrun {};

// State shared by all decoders of one extraction run. The extraction derives
// from it and supplies the input chunks and the output sink.
class TUnZipFrame {
public:
    static constexpr size_t WindowSize = 32768;
    static constexpr size_t WindowBufferSize = 32780;
    static constexpr size_t OutBufferSize = 16000;

    TUnZipFrame();
    virtual ~TUnZipFrame() = default;
    TUnZipFrame(const TUnZipFrame&) = delete;
    TUnZipFrame& operator=(const TUnZipFrame&) = delete;

    // Prepares for one entry whose output may not exceed `outputLimit` bytes.
    void BeginEntry(uint64_t outputLimit);

    // Makes the next chunk of the entry's (decrypted) data current in
    // [InPtr, InEnd). Returns false when the entry's data are used up.
    virtual bool FillInput() = 0;
    // Receives one full or final output buffer.
    virtual void WriteChunk(const uint8_t* data, size_t count) = 0;
    // Shows a message box (text, caption) for the host.
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;

    // Appends decoded bytes to the output buffer, flushing it each time it
    // fills. Throws TZipOutputOverrun past the entry's limit.
    void PutOutput(const uint8_t* data, size_t count);
    void FlushOutput();

    uint64_t OutputCount() const { return outputCount_ + outFill_; }

    const uint8_t* InPtr = nullptr;
    const uint8_t* InEnd = nullptr;
    std::vector<uint8_t> Window;  // WindowBufferSize bytes, allocated once

    // Bit buffer, least significant bit first.
    uint64_t BitBuf = 0;
    unsigned BitCount = 0;
    // Zero bytes added to the bit buffer after the input ran out.
    unsigned PadBytes = 0;

private:
    std::vector<uint8_t> out_;
    size_t outFill_ = 0;
    uint64_t outputCount_ = 0;  // flushed so far
    uint64_t outputLimit_ = 0;
};

// Results of the table builder and of Inflate.
enum : int {
    kHuftComplete = 0,
    kHuftIncomplete = 1,
    kHuftInvalid = 2,
    kHuftNoMemory = 3,
};

// One entry of a decoding table: `Op` 0 literal (value in `Val`), 16 + n a base
// value with n extra bits, 32 end of block, 64 + n a link to a sub-table of n
// bits starting at `Val`, 99 an invalid code. `Bits` is the code's length in
// this table.
struct THuft {
    uint8_t Op;
    uint8_t Bits;
    uint16_t Val;
};

enum : uint8_t { kOpLiteral = 0, kOpBase = 16, kOpEnd = 32, kOpLink = 64, kOpInvalid = 99 };

// Builds a multi-level decoding table for `count` code lengths (0 = unused, up
// to 16). Codes below `simple` are literals (256 is end of block); the others
// take base and extra bits from the tables (extra 99 marks an invalid code).
// `rootBits` is the wanted first-level size; it comes back lowered to the
// longest code when that is shorter.
int BuildHuft(const uint8_t* lengths, unsigned count, unsigned simple, const uint16_t* base,
              const uint8_t* extra, unsigned& rootBits, std::vector<THuft>& table);

// Method 8 (RFC 1951). Returns 0 when the final block was decoded, else an
// error code (1 bad data, 2 bad block type, 3 out of memory); decoding stops at
// the first fault and the CRC check reports the entry.
int Inflate(TUnZipFrame& frame);

// The decoders of the old methods. Each reads the entry's data through the
// frame and writes through its window; bad data end the decoding with a
// non-zero result (or yield wrong bytes), and the CRC check reports the entry.
// Past the end of the data they see zero bits, but only a few bytes' worth:
// a stream that would need more is damaged, and stopping there keeps a tiny
// entry with a huge declared size from spinning out zeros.

// Method 1 (LZW with partial clearing); runs to the end of the data.
// Returns 0, or 1 for a stream whose codes cannot be decoded.
int Unshrink(TUnZipFrame& frame);

// Methods 2 to 5 (compression factor `factor` 1 to 4); stops after `size`
// bytes. Returns 0, or 1 when the data ran out long before the end.
int Unreduce(TUnZipFrame& frame, int factor, uint64_t size);

// Method 6. `flags` are the entry's general purpose flags (bit 1: 8K
// dictionary, bit 2: literal tree). Stops after `size` bytes. Returns 0, 1 for
// an invalid code, 4 for a malformed tree, 5 when the data ran out.
int Explode(TUnZipFrame& frame, uint16_t flags, uint64_t compressedSize, uint64_t size);

// Bytes one compressed byte can at most become under `method` (0 when the
// method has no such bound).
uint64_t ZipMaxExpansion(uint16_t method);

}  // namespace lumvor
