#include "zip/ZipDecoders.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>

namespace lumvor {

// ---------------------------------------------------------------------------
// CRC-32 and the traditional encryption

namespace {

constexpr std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

}  // namespace

uint32_t ZipCrcUpdate(uint32_t crc, const uint8_t* data, size_t count) {
    for (size_t i = 0; i < count; ++i)
        crc = kCrcTable[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}

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
    explicit TInflater(TUnZipFrame& frame) : f_(frame), win_(frame.Window.data()) {}

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
        FlushWindow();
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

    void FlushWindow() {
        if (wp_ == 0)
            return;
        unsigned n = wp_;
        wp_ = 0;
        flushed_ += n;
        f_.PutOutput(win_, n);
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
            win_[wp_++] = static_cast<uint8_t>(b_);
            b_ >>= 8;
            k_ -= 8;
            CheckPadding();
            --len;
            if (wp_ == TUnZipFrame::WindowSize)
                FlushWindow();
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
            unsigned run = std::min<size_t>({len, static_cast<size_t>(ie_ - ip_), TUnZipFrame::WindowSize - wp_});
            std::memcpy(win_ + wp_, ip_, run);
            ip_ += run;
            wp_ += run;
            len -= run;
            if (wp_ == TUnZipFrame::WindowSize)
                FlushWindow();
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
        constexpr unsigned kWindowMask = TUnZipFrame::WindowSize - 1;
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
                win_[wp_++] = static_cast<uint8_t>(e->Val);
                if (wp_ == TUnZipFrame::WindowSize) {
                    CheckPadding();
                    FlushWindow();
                }
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
            if (distance > flushed_ + wp_)
                throw TInflateStop{kInflateBadData};

            unsigned src = (wp_ - distance) & kWindowMask;
            while (length > 0) {
                unsigned run = std::min<unsigned>(length, static_cast<unsigned>(TUnZipFrame::WindowSize) - std::max(src, wp_));
                if (src < wp_ && wp_ - src < run) {
                    uint8_t* to = win_ + wp_;
                    const uint8_t* from = win_ + src;
                    for (unsigned i = 0; i < run; ++i)
                        to[i] = from[i];
                } else {
                    std::memmove(win_ + wp_, win_ + src, run);
                }
                wp_ += run;
                src = (src + run) & kWindowMask;
                length -= run;
                if (wp_ == TUnZipFrame::WindowSize)
                    FlushWindow();
            }
        }
    }

    TUnZipFrame& f_;
    uint8_t* win_;
    unsigned wp_ = 0;
    uint64_t flushed_ = 0;
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

}  // namespace lumvor
