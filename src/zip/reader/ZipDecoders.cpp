#include "zip/reader/ZipDecoders.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>

namespace lumvor {

// ---------------------------------------------------------------------------
// CRC-32 and the traditional encryption

void TZipCryptKeys::Init(const std::string& password) {
    Key0 = 0x12345678;
    Key1 = 0x23456789;
    Key2 = 0x34567890;
    for (unsigned char c : password)
        Update(c);
}

void TZipCryptKeys::Update(uint8_t plain) {
    Key0 = ZipCrcByte(Key0, plain);
    Key1 = (Key1 + (Key0 & 0xFF)) * 134775813u + 1;
    Key2 = ZipCrcByte(Key2, static_cast<uint8_t>(Key1 >> 24));
}

uint8_t TZipCryptKeys::DecryptByte(uint8_t cipher) {
    uint32_t temp = (Key2 | 2) & 0xFFFF;
    uint8_t plain = cipher ^ static_cast<uint8_t>((temp * (temp ^ 1)) >> 8);
    Update(plain);
    return plain;
}

void TZipCryptKeys::Decrypt(uint8_t* data, size_t count) {
    for (size_t i = 0; i < count; ++i)
        data[i] = DecryptByte(data[i]);
}

// ---------------------------------------------------------------------------
// The frame

TUnZipFrame::TUnZipFrame() : Window(WindowBufferSize), out_(OutBufferSize + 1) {}

void TUnZipFrame::BeginEntry(uint64_t outputLimit) {
    InPtr = InEnd = nullptr;
    BitBuf = 0;
    BitCount = 0;
    PadBytes = 0;
    outFill_ = 0;
    outputCount_ = 0;
    outputLimit_ = outputLimit;
}

void TUnZipFrame::PutOutput(const uint8_t* data, size_t count) {
    bool overrun = false;
    uint64_t room = outputLimit_ - OutputCount();
    if (count > room) {
        count = static_cast<size_t>(room);
        overrun = true;
    }
    while (count > 0) {
        size_t run = std::min(count, OutBufferSize - outFill_);
        std::memcpy(out_.data() + outFill_, data, run);
        outFill_ += run;
        data += run;
        count -= run;
        if (outFill_ == OutBufferSize)
            FlushOutput();
    }
    if (overrun)
        throw TZipOutputOverrun{};
}

void TUnZipFrame::FlushOutput() {
    if (outFill_ == 0)
        return;
    size_t fill = outFill_;
    outFill_ = 0;
    outputCount_ += fill;
    WriteChunk(out_.data(), fill);
}

// ---------------------------------------------------------------------------
// Decoding tables

int BuildHuft(const uint8_t* lengths, unsigned count, unsigned simple, const uint16_t* base,
              const uint8_t* extra, unsigned& rootBits, std::vector<THuft>& table) {
    constexpr unsigned kMaxBits = 16;
    unsigned lengthCount[kMaxBits + 1] = {};
    for (unsigned i = 0; i < count; ++i) {
        if (lengths[i] > kMaxBits)
            return kHuftInvalid;
        ++lengthCount[lengths[i]];
    }
    table.clear();
    if (lengthCount[0] == count) {
        // No codes at all: a one-bit table of invalid entries, complete by
        // convention (a block that uses no distances sends none).
        rootBits = 1;
        table.assign(2, THuft{kOpInvalid, 1, 0});
        return kHuftComplete;
    }
    unsigned maxLen = kMaxBits;
    while (lengthCount[maxLen] == 0)
        --maxLen;
    if (rootBits > maxLen)
        rootBits = maxLen;
    if (rootBits == 0)
        rootBits = 1;

    int left = 1;
    for (unsigned len = 1; len <= kMaxBits; ++len) {
        left <<= 1;
        left -= static_cast<int>(lengthCount[len]);
        if (left < 0)
            return kHuftInvalid;  // over-subscribed
    }

    unsigned nextCode[kMaxBits + 2] = {};
    {
        unsigned code = 0;
        lengthCount[0] = 0;
        for (unsigned len = 1; len <= kMaxBits; ++len) {
            code = (code + lengthCount[len - 1]) << 1;
            nextCode[len] = code;
        }
    }

    const unsigned rootSize = 1u << rootBits;
    const unsigned rootMask = rootSize - 1;
    std::vector<uint32_t> reversed(count, 0);
    std::vector<uint8_t> subBits(rootSize, 0);
    for (unsigned sym = 0; sym < count; ++sym) {
        unsigned len = lengths[sym];
        if (len == 0)
            continue;
        unsigned code = nextCode[len]++;
        unsigned rev = 0;
        for (unsigned i = 0; i < len; ++i) {
            rev = (rev << 1) | (code & 1);
            code >>= 1;
        }
        reversed[sym] = rev;
        if (len > rootBits) {
            unsigned prefix = rev & rootMask;
            subBits[prefix] = std::max<uint8_t>(subBits[prefix], static_cast<uint8_t>(len - rootBits));
        }
    }

    std::vector<uint32_t> subOffset(rootSize, 0);
    size_t total = rootSize;
    for (unsigned p = 0; p < rootSize; ++p) {
        if (subBits[p]) {
            subOffset[p] = static_cast<uint32_t>(total);
            total += size_t{1} << subBits[p];
        }
    }
    if (total > 0xFFFF)
        return kHuftInvalid;
    table.assign(total, THuft{kOpInvalid, 1, 0});
    for (unsigned p = 0; p < rootSize; ++p) {
        if (subBits[p])
            table[p] = THuft{static_cast<uint8_t>(kOpLink + subBits[p]), static_cast<uint8_t>(rootBits),
                             static_cast<uint16_t>(subOffset[p])};
    }

    for (unsigned sym = 0; sym < count; ++sym) {
        unsigned len = lengths[sym];
        if (len == 0)
            continue;
        THuft e{};
        if (sym < simple) {
            e.Op = sym < 256 ? kOpLiteral : kOpEnd;
            e.Val = static_cast<uint16_t>(sym < 256 ? sym : 0);
        } else if (extra[sym - simple] == 99) {
            e.Op = kOpInvalid;
        } else {
            e.Op = static_cast<uint8_t>(kOpBase + extra[sym - simple]);
            e.Val = base[sym - simple];
        }
        unsigned rev = reversed[sym];
        if (len <= rootBits) {
            e.Bits = static_cast<uint8_t>(len);
            for (unsigned i = rev; i < rootSize; i += 1u << len)
                table[i] = e;
        } else {
            unsigned prefix = rev & rootMask;
            unsigned sub = subBits[prefix];
            unsigned subLen = len - rootBits;
            e.Bits = static_cast<uint8_t>(subLen);
            for (unsigned i = rev >> rootBits; i < (1u << sub); i += 1u << subLen)
                table[subOffset[prefix] + i] = e;
        }
    }
    return left > 0 ? kHuftIncomplete : kHuftComplete;
}

// ---------------------------------------------------------------------------
// The sliding window shared by the decoders

namespace {

// A sliding window of `size` bytes (a power of two) at the start of the
// frame's window buffer, appended to the output buffer whenever it fills.
class TSlidingWindow {
public:
    TSlidingWindow(TUnZipFrame& frame, unsigned size) : f_(frame), win_(frame.Window.data()), size_(size) {}

    uint64_t Produced() const { return flushed_ + w_; }

    // Returns true when the byte filled the window and it was flushed.
    bool Put(uint8_t byte) {
        win_[w_++] = byte;
        if (w_ < size_)
            return false;
        Flush();
        return true;
    }

    // Free room at the write position, for copying data in directly; Commit
    // then takes `n` bytes of it.
    uint8_t* Room(unsigned& room) {
        room = size_ - w_;
        return win_ + w_;
    }
    void Commit(unsigned n) {
        w_ += n;
        if (w_ == size_)
            Flush();
    }

    // Appends `length` bytes copied from `distance` (at most the window size)
    // back. Positions before the entry's first byte read as zeros, so nothing
    // of an earlier entry's window shows through.
    void Copy(unsigned distance, uint64_t length) {
        uint64_t produced = Produced();
        if (distance > produced) {
            // Nothing has been flushed yet, so the zeros fit before the window's end.
            unsigned zeros = static_cast<unsigned>(std::min<uint64_t>(length, distance - produced));
            std::memset(win_ + w_, 0, zeros);
            w_ += zeros;
            length -= zeros;
            if (w_ == size_)
                Flush();
        }
        const unsigned mask = size_ - 1;
        unsigned src = (w_ - distance) & mask;
        while (length > 0) {
            unsigned run = static_cast<unsigned>(std::min<uint64_t>(length, size_ - std::max(src, w_)));
            if (src < w_ && w_ - src < run) {
                // Overlapping forward copy: a run repeats its own output.
                for (unsigned i = 0; i < run; ++i)
                    win_[w_ + i] = win_[src + i];
            } else {
                std::memmove(win_ + w_, win_ + src, run);
            }
            w_ += run;
            src = (src + run) & mask;
            length -= run;
            if (w_ == size_)
                Flush();
        }
    }

    void Flush() {
        if (w_ == 0)
            return;
        unsigned n = w_;
        w_ = 0;
        flushed_ += n;
        f_.PutOutput(win_, n);
    }

private:
    TUnZipFrame& f_;
    uint8_t* win_;
    unsigned size_;
    unsigned w_ = 0;
    uint64_t flushed_ = 0;
};

}  // namespace

// ---------------------------------------------------------------------------
// Inflate

namespace {

const uint16_t kLenBase[31] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27, 31,
                               35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258, 0,  0};
// Codes 286 and 287 never occur in valid data.
const uint8_t kLenExtra[31] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2,
                               3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0, 99, 99};
const uint16_t kDistBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const uint8_t kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
                                6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
const uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

enum : int { kInflateOk = 0, kInflateBadData = 1, kInflateBadBlock = 2, kInflateNoMemory = 3 };

struct TInflateStop {
    int Code;
};

struct TFixedTables {
    std::vector<THuft> Lit, Dist;
    unsigned LitBits = 7, DistBits = 5;
};

const TFixedTables& FixedTables() {
    static const TFixedTables tables = [] {
        TFixedTables t;
        uint8_t lengths[288];
        std::fill(lengths, lengths + 144, 8);
        std::fill(lengths + 144, lengths + 256, 9);
        std::fill(lengths + 256, lengths + 280, 7);
        std::fill(lengths + 280, lengths + 288, 8);
        BuildHuft(lengths, 288, 257, kLenBase, kLenExtra, t.LitBits, t.Lit);
        std::fill(lengths, lengths + 30, 5);
        BuildHuft(lengths, 30, 0, kDistBase, kDistExtra, t.DistBits, t.Dist);
        return t;
    }();
    return tables;
}

inline uint64_t Mask(unsigned n) { return (uint64_t{1} << n) - 1; }

class TInflater {
public:
    explicit TInflater(TUnZipFrame& frame) : f_(frame), win_(frame, TUnZipFrame::WindowSize) {}

    int Run() {
        ip_ = f_.InPtr;
        ie_ = f_.InEnd;
        bool last = false;
        while (!last) {
            last = Bits(1) != 0;
            switch (Bits(2)) {
            case 0: StoredBlock(); break;
            case 1: {
                const TFixedTables& t = FixedTables();
                Codes(t.Lit.data(), t.LitBits, t.Dist.data(), t.DistBits);
                break;
            }
            case 2: DynamicBlock(); break;
            default: throw TInflateStop{kInflateBadBlock};
            }
        }
        win_.Flush();
        // Hand unused whole bytes back so that the caller sees where the stream ended.
        f_.BitBuf = b_;
        f_.BitCount = k_;
        f_.PadBytes = pad_;
        f_.InPtr = ip_;
        f_.InEnd = ie_;
        return kInflateOk;
    }

private:
    // Tops the bit buffer up to more than 56 bits; past the end of the data it
    // adds zero bytes and counts them, so that consuming them can be detected.
    void Refill() {
        if constexpr (std::endian::native == std::endian::little) {
            if (ie_ - ip_ >= 8) {
                uint64_t v;
                std::memcpy(&v, ip_, 8);
                b_ |= v << k_;
                ip_ += (63 - k_) >> 3;
                k_ |= 56;
                return;
            }
        }
        while (k_ <= 56) {
            if (ip_ == ie_) {
                f_.InPtr = ip_;
                f_.InEnd = ie_;
                if (!eof_ && f_.FillInput()) {
                    ip_ = f_.InPtr;
                    ie_ = f_.InEnd;
                    continue;
                }
                eof_ = true;
                ++pad_;
                k_ += 8;
                continue;
            }
            b_ |= uint64_t(*ip_++) << k_;
            k_ += 8;
        }
    }

    // Fails when bits beyond the end of the data have been consumed.
    void CheckPadding() {
        if (pad_ && k_ < pad_ * 8u)
            throw TInflateStop{kInflateBadData};
    }

    unsigned Bits(unsigned n) {
        if (k_ < n)
            Refill();
        unsigned v = static_cast<unsigned>(b_ & Mask(n));
        b_ >>= n;
        k_ -= n;
        CheckPadding();
        return v;
    }

    void StoredBlock() {
        unsigned drop = k_ & 7;
        b_ >>= drop;
        k_ -= drop;
        unsigned len = Bits(16);
        unsigned nlen = Bits(16);
        if (len != (~nlen & 0xFFFF))
            throw TInflateStop{kInflateBadData};
        // Whole bytes still held in the bit buffer come first.
        while (len > 0 && k_ >= 8) {
            uint8_t byte = static_cast<uint8_t>(b_);
            b_ >>= 8;
            k_ -= 8;
            CheckPadding();
            --len;
            win_.Put(byte);
        }
        while (len > 0) {
            if (ip_ == ie_) {
                f_.InPtr = ip_;
                f_.InEnd = ie_;
                if (eof_ || !f_.FillInput())
                    throw TInflateStop{kInflateBadData};
                ip_ = f_.InPtr;
                ie_ = f_.InEnd;
                continue;
            }
            unsigned room;
            uint8_t* to = win_.Room(room);
            unsigned run = std::min<size_t>({len, static_cast<size_t>(ie_ - ip_), room});
            std::memcpy(to, ip_, run);
            ip_ += run;
            len -= run;
            win_.Commit(run);
        }
    }

    void DynamicBlock() {
        unsigned nlit = Bits(5) + 257;
        unsigned ndist = Bits(5) + 1;
        unsigned ncode = Bits(4) + 4;
        if (nlit > 286 || ndist > 30)
            throw TInflateStop{kInflateBadData};
        uint8_t lengths[286 + 30] = {};
        for (unsigned i = 0; i < ncode; ++i)
            lengths[kCodeLengthOrder[i]] = static_cast<uint8_t>(Bits(3));
        std::vector<THuft> clTable;
        unsigned clBits = 7;
        if (BuildHuft(lengths, 19, 19, nullptr, nullptr, clBits, clTable) != kHuftComplete)
            throw TInflateStop{kInflateBadData};
        std::fill(lengths, lengths + 19, 0);

        unsigned total = nlit + ndist;
        for (unsigned i = 0; i < total;) {
            if (k_ < 16)
                Refill();
            const THuft& e = clTable[b_ & Mask(clBits)];
            b_ >>= e.Bits;
            k_ -= e.Bits;
            CheckPadding();
            if (e.Op != kOpLiteral)
                throw TInflateStop{kInflateBadData};
            unsigned sym = e.Val;
            if (sym < 16) {
                lengths[i++] = static_cast<uint8_t>(sym);
                continue;
            }
            unsigned repeat;
            uint8_t value = 0;
            if (sym == 16) {
                if (i == 0)
                    throw TInflateStop{kInflateBadData};
                value = lengths[i - 1];
                repeat = 3 + Bits(2);
            } else if (sym == 17) {
                repeat = 3 + Bits(3);
            } else {
                repeat = 11 + Bits(7);
            }
            if (i + repeat > total)
                throw TInflateStop{kInflateBadData};
            std::fill(lengths + i, lengths + i + repeat, value);
            i += repeat;
        }

        std::vector<THuft> litTable, distTable;
        unsigned litBits = 9, distBits = 6;
        if (BuildHuft(lengths, nlit, 257, kLenBase, kLenExtra, litBits, litTable) != kHuftComplete)
            throw TInflateStop{kInflateBadData};
        int rc = BuildHuft(lengths + nlit, ndist, 0, kDistBase, kDistExtra, distBits, distTable);
        if (rc == kHuftIncomplete) {
            // A lone distance code of one bit is how encoders send a block
            // that uses a single distance; anything else incomplete is damage.
            unsigned used = 0, longest = 0;
            for (unsigned i = 0; i < ndist; ++i) {
                if (lengths[nlit + i]) {
                    ++used;
                    longest = std::max<unsigned>(longest, lengths[nlit + i]);
                }
            }
            if (used == 1 && longest == 1)
                rc = kHuftComplete;
        }
        if (rc != kHuftComplete)
            throw TInflateStop{rc == kHuftNoMemory ? kInflateNoMemory : kInflateBadData};
        Codes(litTable.data(), litBits, distTable.data(), distBits);
    }

    // Decodes literal/length and distance codes up to the end of the block.
    void Codes(const THuft* lit, unsigned litBits, const THuft* dist, unsigned distBits) {
        const uint64_t litMask = Mask(litBits);
        const uint64_t distMask = Mask(distBits);
        for (;;) {
            // One literal or one whole length/distance pair needs at most 48 bits.
            if (k_ < 48)
                Refill();
            const THuft* e = lit + (b_ & litMask);
            if (e->Op >= kOpLink && e->Op < kOpInvalid) {
                b_ >>= e->Bits;
                k_ -= e->Bits;
                e = lit + e->Val + (b_ & Mask(e->Op - kOpLink));
            }
            b_ >>= e->Bits;
            k_ -= e->Bits;
            unsigned op = e->Op;
            if (op == kOpLiteral) {
                // Literals check for spent padding once per window.
                if (win_.Put(static_cast<uint8_t>(e->Val)))
                    CheckPadding();
                continue;
            }
            if (op == kOpEnd) {
                CheckPadding();
                return;
            }
            if (op < kOpBase || op >= kOpEnd)
                throw TInflateStop{kInflateBadData};
            unsigned extraBits = op - kOpBase;
            unsigned length = e->Val + static_cast<unsigned>(b_ & Mask(extraBits));
            b_ >>= extraBits;
            k_ -= extraBits;

            e = dist + (b_ & distMask);
            if (e->Op >= kOpLink && e->Op < kOpInvalid) {
                b_ >>= e->Bits;
                k_ -= e->Bits;
                e = dist + e->Val + (b_ & Mask(e->Op - kOpLink));
            }
            b_ >>= e->Bits;
            k_ -= e->Bits;
            op = e->Op;
            if (op < kOpBase || op >= kOpEnd)
                throw TInflateStop{kInflateBadData};
            extraBits = op - kOpBase;
            unsigned distance = e->Val + static_cast<unsigned>(b_ & Mask(extraBits));
            b_ >>= extraBits;
            k_ -= extraBits;
            CheckPadding();
            // A distance reaching before this entry's first byte would copy
            // whatever the window still holds from an earlier entry.
            if (distance > win_.Produced())
                throw TInflateStop{kInflateBadData};
            win_.Copy(distance, length);
        }
    }

    TUnZipFrame& f_;
    TSlidingWindow win_;
    uint64_t b_ = 0;
    unsigned k_ = 0;
    unsigned pad_ = 0;
    bool eof_ = false;
    const uint8_t* ip_ = nullptr;
    const uint8_t* ie_ = nullptr;
};

}  // namespace

int Inflate(TUnZipFrame& frame) {
    TInflater inflater(frame);
    try {
        return inflater.Run();
    } catch (const TInflateStop& stop) {
        return stop.Code;
    } catch (const std::bad_alloc&) {
        frame.ShowMessage("*** inflate out of memory ***", "Error");
        return kInflateNoMemory;
    }
}

// ---------------------------------------------------------------------------
// Shrink, reduce, implode

namespace {

// Zero bytes a decoder may take past the end of the data before the stream
// counts as damaged. Encoders write every bit they use, so this only covers a
// short final byte and the look-ahead of the code tables.
constexpr unsigned kMaxPadBytes = 8;

struct TOldStop {
    int Code;
};

// Least-significant-bit-first reader over the frame's input chunks; past the
// end of the data it delivers zero bits and counts them.
class TBitReader {
public:
    explicit TBitReader(TUnZipFrame& frame) : f_(frame), ip_(frame.InPtr), ie_(frame.InEnd) {}
    ~TBitReader() {
        f_.InPtr = ip_;
        f_.InEnd = ie_;
        f_.BitBuf = b_;
        f_.BitCount = k_;
        f_.PadBytes = pad_;
    }
    TBitReader(const TBitReader&) = delete;
    TBitReader& operator=(const TBitReader&) = delete;

    // Makes at least n (at most 32) bits available.
    void Need(unsigned n) {
        while (k_ < n) {
            if (ip_ == ie_ && !Fill()) {
                ++pad_;
                k_ += 8;
                continue;
            }
            b_ |= uint64_t(*ip_++) << k_;
            k_ += 8;
        }
    }
    unsigned Peek(unsigned n) const { return static_cast<unsigned>(b_ & Mask(n)); }
    // The imploding format stores its tree codes with their bits inverted.
    unsigned PeekInverted(unsigned n) const { return static_cast<unsigned>(~b_ & Mask(n)); }
    void Drop(unsigned n) {
        b_ >>= n;
        k_ -= n;
    }
    unsigned Get(unsigned n) {
        Need(n);
        unsigned v = Peek(n);
        Drop(n);
        return v;
    }
    // Bits consumed from beyond the end of the data.
    unsigned PastEnd() const { return pad_ * 8 > k_ ? pad_ * 8 - k_ : 0; }
    bool TooFarPastEnd() const { return PastEnd() > kMaxPadBytes * 8; }

private:
    bool Fill() {
        while (!eof_) {
            f_.InPtr = ip_;
            f_.InEnd = ie_;
            if (!f_.FillInput()) {
                eof_ = true;
                break;
            }
            ip_ = f_.InPtr;
            ie_ = f_.InEnd;
            if (ip_ != ie_)
                return true;
        }
        return false;
    }

    TUnZipFrame& f_;
    const uint8_t* ip_;
    const uint8_t* ie_;
    uint64_t b_ = 0;
    unsigned k_ = 0;
    unsigned pad_ = 0;
    bool eof_ = false;
};

// --- Unshrink

constexpr unsigned kShrinkCodes = 8192;
constexpr unsigned kShrinkControl = 256;
constexpr uint16_t kShrinkUnused = 0xFFFF;
// Layout of the window buffer: prefixes (16-bit), suffixes, decode stack.
constexpr size_t kSuffixOffset = 16390;
constexpr size_t kStackOffset = 24585;
constexpr unsigned kStackSize = 8192;

class TUnshrinker {
public:
    explicit TUnshrinker(TUnZipFrame& frame)
        : f_(frame),
          buf_(frame.Window.data()),
          suffix_(buf_ + kSuffixOffset),
          stack_(buf_ + kStackOffset),
          in_(frame) {}

    int Run() {
        for (unsigned c = kShrinkControl + 1; c < kShrinkCodes; ++c)
            SetPrefix(c, kShrinkUnused);
        unsigned codeSize = 9;
        unsigned old = in_.Get(codeSize);
        if (in_.PastEnd())
            return 0;
        uint8_t first = static_cast<uint8_t>(old);
        f_.PutOutput(&first, 1);
        for (;;) {
            unsigned code = in_.Get(codeSize);
            if (in_.PastEnd())
                return 0;
            if (code == kShrinkControl) {
                unsigned sub = in_.Get(codeSize);
                if (in_.PastEnd())
                    return 0;
                if (sub == 1) {
                    if (codeSize == 13)
                        return 1;  // codes never exceed 13 bits
                    ++codeSize;
                } else if (sub == 2) {
                    PartialClear();
                }
                continue;
            }

            // Walk the prefix chain, stacking the string backwards. An unused
            // code is the one about to be defined: the previous string plus
            // its own first byte.
            unsigned sp = kStackSize;
            unsigned c = code;
            while (c != kShrinkControl) {
                if (sp == 0)
                    return 1;  // a chain longer than any string: a loop in damaged data
                if (c < 256) {
                    stack_[--sp] = static_cast<uint8_t>(c);
                    break;
                }
                uint16_t p = Prefix(c);
                if (p == kShrinkUnused) {
                    stack_[--sp] = first;
                    c = old;
                } else {
                    stack_[--sp] = suffix_[c];
                    c = p;
                }
            }
            first = stack_[sp];
            f_.PutOutput(stack_ + sp, kStackSize - sp);

            if (free_ < kShrinkCodes) {
                SetPrefix(free_, static_cast<uint16_t>(old));
                suffix_[free_] = first;
                do
                    ++free_;
                while (free_ < kShrinkCodes && Prefix(free_) != kShrinkUnused);
            }
            old = code;
        }
    }

private:
    uint16_t Prefix(unsigned c) const {
        uint16_t v;
        std::memcpy(&v, buf_ + 2 * c, 2);
        return v;
    }
    void SetPrefix(unsigned c, uint16_t v) { std::memcpy(buf_ + 2 * c, &v, 2); }

    // Every code up to the free pointer that no other such code extends
    // becomes unused; the free pointer returns to the lowest unused code.
    void PartialClear() {
        const unsigned last = std::min(free_, kShrinkCodes - 1);
        std::vector<bool> isPrefix(kShrinkCodes, false);
        for (unsigned c = kShrinkControl + 1; c <= last; ++c) {
            uint16_t p = Prefix(c);
            if (p != kShrinkUnused && p > kShrinkControl && p < kShrinkCodes)
                isPrefix[p] = true;
        }
        for (unsigned c = kShrinkControl + 1; c <= last; ++c)
            if (!isPrefix[c])
                SetPrefix(c, kShrinkUnused);
        free_ = kShrinkControl + 1;
        while (free_ < kShrinkCodes && Prefix(free_) != kShrinkUnused)
            ++free_;
    }

    TUnZipFrame& f_;
    uint8_t* buf_;
    uint8_t* suffix_;
    uint8_t* stack_;
    TBitReader in_;
    unsigned free_ = kShrinkControl + 1;
};

// --- Unreduce

constexpr unsigned kReduceWindow = 16384;
constexpr unsigned kFollowerSetSize = 64;
constexpr uint8_t kDle = 144;

// Bits of a follower index for a set of n followers.
unsigned FollowerBits(unsigned n) {
    unsigned bits = 1;
    while ((1u << bits) < n)
        ++bits;
    return bits;
}

int UnreduceRun(TUnZipFrame& f, int factor, uint64_t size) {
    static const uint8_t kLengthMask[5] = {0, 127, 63, 31, 15};
    static const uint8_t kDistShift[5] = {0, 7, 6, 5, 4};
    static const uint8_t kDistMask[5] = {0, 1, 3, 7, 15};
    TBitReader in(f);
    uint8_t* followers = f.Window.data() + kReduceWindow;
    std::memset(followers, 0, 256 * kFollowerSetSize);
    uint8_t setSize[256];
    for (int x = 255; x >= 0; --x) {
        setSize[x] = static_cast<uint8_t>(in.Get(6));
        for (unsigned i = 0; i < setSize[x]; ++i)
            followers[x * kFollowerSetSize + i] = static_cast<uint8_t>(in.Get(8));
    }

    TSlidingWindow win(f, kReduceWindow);
    const unsigned lengthMask = kLengthMask[factor];
    unsigned last = 0, state = 0, v = 0, length = 0;
    while (win.Produced() < size) {
        if (in.TooFarPastEnd())
            return 1;
        unsigned c;
        if (setSize[last] == 0 || in.Get(1))
            c = in.Get(8);
        else
            c = followers[last * kFollowerSetSize + in.Get(FollowerBits(setSize[last]))];
        switch (state) {
        case 0:
            if (c != kDle)
                win.Put(static_cast<uint8_t>(c));
            else
                state = 1;
            break;
        case 1:
            if (c == 0) {
                win.Put(kDle);
                state = 0;
            } else {
                v = c;
                length = v & lengthMask;
                state = length == lengthMask ? 2 : 3;
            }
            break;
        case 2:
            length += c;
            state = 3;
            break;
        default: {
            unsigned distance = (((v >> kDistShift[factor]) & kDistMask[factor]) << 8) + c + 1;
            win.Copy(distance, std::min<uint64_t>(length + 3, size - win.Produced()));
            state = 0;
            break;
        }
        }
        last = c;
    }
    win.Flush();
    return 0;
}

// --- Explode

// Reads one tree of the imploding format: a byte giving the number of bytes
// that follow minus 1, each of them a repeat count minus 1 (high nibble) and a
// bit length minus 1 (low nibble).
bool ReadExplodeTree(TBitReader& in, uint8_t* lengths, unsigned count) {
    unsigned bytes = in.Get(8) + 1;
    unsigned k = 0;
    for (unsigned i = 0; i < bytes; ++i) {
        unsigned v = in.Get(8);
        unsigned repeat = (v >> 4) + 1;
        if (k + repeat > count)
            return false;
        std::fill(lengths + k, lengths + k + repeat, static_cast<uint8_t>((v & 15) + 1));
        k += repeat;
    }
    return k == count;
}

THuft DecodeInverted(TBitReader& in, const std::vector<THuft>& table, unsigned rootBits) {
    in.Need(16);
    const THuft* e = &table[in.PeekInverted(rootBits)];
    if (e->Op >= kOpLink && e->Op < kOpInvalid) {
        in.Drop(e->Bits);
        e = &table[e->Val + in.PeekInverted(e->Op - kOpLink)];
    }
    if (e->Op == kOpInvalid)
        throw TOldStop{1};
    in.Drop(e->Bits);
    return *e;
}

int ExplodeRun(TUnZipFrame& f, uint16_t flags, uint64_t compressedSize, uint64_t size) {
    const bool literalTree = (flags & 4) != 0;
    const unsigned distLowBits = (flags & 2) ? 7 : 6;
    TBitReader in(f);
    uint8_t lengths[256];
    std::vector<THuft> litTable, lenTable, distTable;
    unsigned litBits = 9, lenBits = 7, distBits = compressedSize > 200000 ? 8 : 7;
    if (literalTree) {
        if (!ReadExplodeTree(in, lengths, 256) ||
            BuildHuft(lengths, 256, 256, nullptr, nullptr, litBits, litTable) >= kHuftInvalid)
            return 4;
    }
    uint16_t base[64];
    uint8_t extra[64] = {};
    for (unsigned k = 0; k < 64; ++k)
        base[k] = static_cast<uint16_t>(k + (literalTree ? 3 : 2));
    extra[63] = 8;
    if (!ReadExplodeTree(in, lengths, 64) || BuildHuft(lengths, 64, 0, base, extra, lenBits, lenTable) >= kHuftInvalid)
        return 4;
    for (unsigned k = 0; k < 64; ++k)
        base[k] = static_cast<uint16_t>(1 + (k << distLowBits));
    extra[63] = 0;
    if (!ReadExplodeTree(in, lengths, 64) ||
        BuildHuft(lengths, 64, 0, base, extra, distBits, distTable) >= kHuftInvalid)
        return 4;

    TSlidingWindow win(f, TUnZipFrame::WindowSize);
    while (win.Produced() < size) {
        if (in.TooFarPastEnd())
            return 5;
        if (in.Get(1)) {
            win.Put(static_cast<uint8_t>(literalTree ? DecodeInverted(in, litTable, litBits).Val : in.Get(8)));
            continue;
        }
        unsigned distance = in.Get(distLowBits);
        distance += DecodeInverted(in, distTable, distBits).Val;
        THuft e = DecodeInverted(in, lenTable, lenBits);
        unsigned length = e.Val;
        if (e.Op == kOpBase + 8)
            length += in.Get(8);
        win.Copy(distance, std::min<uint64_t>(length, size - win.Produced()));
    }
    win.Flush();
    return 0;
}

}  // namespace

int Unshrink(TUnZipFrame& frame) {
    TUnshrinker unshrinker(frame);
    int rc = unshrinker.Run();
    frame.FlushOutput();
    return rc;
}

int Unreduce(TUnZipFrame& frame, int factor, uint64_t size) {
    if (factor < 1 || factor > 4)
        return 1;
    int rc = UnreduceRun(frame, factor, size);
    frame.FlushOutput();
    return rc;
}

int Explode(TUnZipFrame& frame, uint16_t flags, uint64_t compressedSize, uint64_t size) {
    int rc;
    try {
        rc = ExplodeRun(frame, flags, compressedSize, size);
    } catch (const TOldStop& stop) {
        rc = stop.Code;
    }
    frame.FlushOutput();
    return rc;
}

uint64_t ZipMaxExpansion(uint16_t method) {
    switch (method) {
    case 1: return kStackSize;  // one code of 9 bits or more gives at most a stack of bytes
    case 2:
    case 3:
    case 4:
    case 5: return 386;  // a match of 385 bytes takes at least 8 bits
    case 6: return 160;  // a match of 321 bytes takes at least 17 bits
    case 8: return 1032;
    default: return 0;
    }
}

}  // namespace lumvor
