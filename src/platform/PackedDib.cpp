#include "platform/PackedDib.h"

#include "platform/SysUtils.h"

#include <algorithm>
#include <cstring>
#include <exception>

namespace lumvor {

const char* const SBitmapNotValid = "Bitmap image is not valid";

namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic(SBitmapNotValid); }

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void Put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Position of the lowest set bit and the width of the run of set bits there.
void MaskShape(uint32_t mask, int& shift, int& bits) {
    shift = 0;
    bits = 0;
    if (mask == 0)
        return;
    while (!(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    while (mask & 1) {
        mask >>= 1;
        ++bits;
    }
}

uint8_t ScaleSample(uint32_t value, int bits) {
    if (bits <= 0)
        return 0;
    if (bits >= 8)
        return static_cast<uint8_t>(value >> (bits - 8));
    const uint32_t max = (1u << bits) - 1;
    return static_cast<uint8_t>((value * 255 + max / 2) / max);
}

// The geometry of a DIB read from its header block.
struct DibLayout {
    BITMAPINFOHEADER header;
    int64_t width = 0;
    int64_t height = 0;  // absolute
    bool topDown = false;
    uint32_t masks[3] = {0, 0, 0};
    int tableOffset = 0;   // within the header block
    int tableEntrySize = 4;
    int tableCount = 0;    // entries stored in the file
    int headerBlockSize = 0;
};

DibLayout ParseHeader(std::span<const uint8_t> block) {
    DibLayout l;
    if (block.size() < 4)
        Invalid();
    const uint32_t size = Get32(block.data());
    if (size == 12) {
        if (block.size() < 12)
            Invalid();
        l.header.biSize = 12;
        l.header.biWidth = Get16(block.data() + 4);
        l.header.biHeight = Get16(block.data() + 6);
        l.header.biPlanes = Get16(block.data() + 8);
        l.header.biBitCount = Get16(block.data() + 10);
        l.tableEntrySize = 3;
    } else if (size >= 40 && size <= 124) {
        if (block.size() < size)
            Invalid();
        l.header = ReadInfoHeader(block.data());
    } else {
        Invalid();
    }
    const BITMAPINFOHEADER& h = l.header;
    const int bits = h.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        Invalid();
    switch (h.biCompression) {
    case BI_RGB:
        break;
    case BI_RLE8:
        if (bits != 8 || h.biHeight < 0)
            Invalid();
        break;
    case BI_RLE4:
        if (bits != 4 || h.biHeight < 0)
            Invalid();
        break;
    case BI_BITFIELDS:
        if (bits != 16 && bits != 32)
            Invalid();
        break;
    default:
        Invalid();
    }
    l.width = h.biWidth;
    l.topDown = h.biHeight < 0;
    l.height = h.biHeight < 0 ? -int64_t(h.biHeight) : int64_t(h.biHeight);
    if (!PictureSizeAllowed(l.width, l.height))
        Invalid();

    int offset = static_cast<int>(l.header.biSize);
    if (h.biCompression == BI_BITFIELDS) {
        if (h.biSize == 40) {
            if (block.size() < 52)
                Invalid();
            offset = 52;
        }
        for (int i = 0; i < 3; ++i)
            l.masks[i] = Get32(block.data() + 40 + 4 * i);
    } else if (bits == 16) {
        l.masks[0] = 0x7C00;
        l.masks[1] = 0x03E0;
        l.masks[2] = 0x001F;
    } else if (bits == 32) {
        l.masks[0] = 0xFF0000;
        l.masks[1] = 0x00FF00;
        l.masks[2] = 0x0000FF;
    }
    l.tableOffset = offset;
    if (bits <= 8) {
        const uint32_t full = 1u << bits;
        uint32_t count = (h.biSize == 12 || h.biClrUsed == 0) ? full : h.biClrUsed;
        if (count > full)
            count = full;
        l.tableCount = static_cast<int>(count);
        offset += l.tableCount * l.tableEntrySize;
    } else if (h.biSize != 12 && h.biClrUsed != 0) {
        // A direct-colour DIB may carry a colour table for palette devices
        // (biClrUsed entries); the rows start behind it.
        if (h.biClrUsed > 256)
            Invalid();
        offset += static_cast<int>(h.biClrUsed) * l.tableEntrySize;
    }
    l.headerBlockSize = offset;
    return l;
}

int64_t StoredImageSize(const DibLayout& l) {
    return DibRowBytes(l.width, l.header.biBitCount) * l.height;
}

// Run-length decoding into an indexed buffer (8 or 4 bits); rows bottom-up in
// the data. Pixels beyond the picture are dropped; a short stream ends the image.
void DecodeRle(const DibLayout& l, std::span<const uint8_t> bits, TPixelBuffer& out) {
    const bool four = l.header.biCompression == BI_RLE4;
    const int64_t width = l.width, height = l.height;
    int64_t x = 0, y = 0;  // y counted from the bottom
    size_t p = 0;
    auto put = [&](uint32_t index) {
        if (x < width && y < height)
            out.SetIndex(static_cast<int>(x), static_cast<int>(height - 1 - y), index);
        ++x;
    };
    while (p + 1 < bits.size() && y < height) {
        const uint8_t count = bits[p], value = bits[p + 1];
        p += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(four ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            break;
        } else if (value == 2) {  // delta
            if (p + 1 >= bits.size())
                break;
            x += bits[p];
            y += bits[p + 1];
            p += 2;
        } else {  // absolute run of `value` pixels, padded to a word
            const size_t bytes = four ? (value + 1) / 2 : value;
            if (p + bytes > bits.size())
                Invalid();
            for (int i = 0; i < value; ++i) {
                const uint8_t b = bits[p + (four ? i / 2 : i)];
                put(four ? ((i & 1) ? (b & 0x0F) : (b >> 4)) : b);
            }
            p += (bytes + 1) & ~size_t(1);
        }
    }
}

}  // namespace

void WriteInfoHeader(uint8_t* d, const BITMAPINFOHEADER& h) {
    Put32(d, h.biSize);
    Put32(d + 4, static_cast<uint32_t>(h.biWidth));
    Put32(d + 8, static_cast<uint32_t>(h.biHeight));
    Put16(d + 12, h.biPlanes);
    Put16(d + 14, h.biBitCount);
    Put32(d + 16, h.biCompression);
    Put32(d + 20, h.biSizeImage);
    Put32(d + 24, static_cast<uint32_t>(h.biXPelsPerMeter));
    Put32(d + 28, static_cast<uint32_t>(h.biYPelsPerMeter));
    Put32(d + 32, h.biClrUsed);
    Put32(d + 36, h.biClrImportant);
}

BITMAPINFOHEADER ReadInfoHeader(const uint8_t* s) {
    BITMAPINFOHEADER h;
    h.biSize = Get32(s);
    h.biWidth = static_cast<int32_t>(Get32(s + 4));
    h.biHeight = static_cast<int32_t>(Get32(s + 8));
    h.biPlanes = Get16(s + 12);
    h.biBitCount = Get16(s + 14);
    h.biCompression = Get32(s + 16);
    h.biSizeImage = Get32(s + 20);
    h.biXPelsPerMeter = static_cast<int32_t>(Get32(s + 24));
    h.biYPelsPerMeter = static_cast<int32_t>(Get32(s + 28));
    h.biClrUsed = Get32(s + 32);
    h.biClrImportant = Get32(s + 36);
    return h;
}

BITMAPINFOHEADER TPackedDib::Header() const {
    if (bytes_.size() < size_t(BitmapInfoHeaderSize))
        Invalid();
    return ReadInfoHeader(bytes_.data());
}

namespace {

// Header, masks and colour table of pixels as written by FromPixels.
std::vector<uint8_t> HeaderBlockOf(const TPixelBuffer& px) {
    const int bits = px.BitsPerPixel();
    BITMAPINFOHEADER h;
    h.biWidth = px.Width();
    h.biHeight = px.Height();
    h.biBitCount = static_cast<uint16_t>(bits);
    h.biCompression = px.Depth() == 16 ? BI_BITFIELDS : BI_RGB;
    h.biSizeImage = static_cast<uint32_t>(px.ByteCount());
    h.biXPelsPerMeter = px.XPelsPerMeter;
    h.biYPelsPerMeter = px.YPelsPerMeter;
    const size_t tableCount = bits <= 8 ? (size_t(1) << bits) : 0;
    std::vector<uint8_t> block(BitmapInfoHeaderSize + (px.Depth() == 16 ? 12 : 0) + tableCount * 4);
    WriteInfoHeader(block.data(), h);
    if (px.Depth() == 16) {
        Put32(block.data() + 40, 0xF800);
        Put32(block.data() + 44, 0x07E0);
        Put32(block.data() + 48, 0x001F);
    }
    for (size_t i = 0; i < tableCount; ++i)
        Put32(block.data() + 40 + 4 * i, i < px.ColorTable.size() ? (px.ColorTable[i] & 0xFFFFFF) : 0);
    return block;
}

void AppendBottomUpRows(std::vector<uint8_t>& out, const TPixelBuffer& px) {
    const size_t rowBytes = static_cast<size_t>(px.RowBytes());
    size_t at = out.size();
    out.resize(at + rowBytes * static_cast<size_t>(px.Height()));
    for (int y = px.Height() - 1; y >= 0; --y, at += rowBytes)
        std::memcpy(out.data() + at, px.ScanLine(y), rowBytes);
}

}  // namespace

TPackedDib TPackedDib::FromPixels(const TPixelBuffer& pixels) {
    if (pixels.Empty())
        return {};
    std::vector<uint8_t> bytes = HeaderBlockOf(pixels);
    AppendBottomUpRows(bytes, pixels);
    return TPackedDib(std::move(bytes));
}

TPackedDib TPackedDib::FromPixelsOrNone(const TPixelBuffer* pixels) noexcept {
    if (!pixels)
        return {};
    try {
        return FromPixels(*pixels);
    } catch (const std::exception&) {
        return {};
    }
}

TPixelBuffer TPackedDib::ToPixels() const {
    const DibLayout l = ParseHeader(bytes_);
    if (static_cast<size_t>(l.headerBlockSize) > bytes_.size())
        Invalid();
    return DecodeDib(std::span<const uint8_t>(bytes_.data(), size_t(l.headerBlockSize)),
                     std::span<const uint8_t>(bytes_).subspan(size_t(l.headerBlockSize)));
}

TPixelBuffer DecodeDib(std::span<const uint8_t> headerBlock, std::span<const uint8_t> bits) {
    const DibLayout l = ParseHeader(headerBlock);
    if (static_cast<size_t>(l.headerBlockSize) > headerBlock.size())
        Invalid();
    const BITMAPINFOHEADER& h = l.header;
    const int bitCount = h.biBitCount;
    const bool rle = h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4;
    if (!rle && static_cast<int64_t>(bits.size()) < StoredImageSize(l))
        Invalid();

    int depth = bitCount;
    int shifts[3], widths[3];
    for (int i = 0; i < 3; ++i)
        MaskShape(l.masks[i], shifts[i], widths[i]);
    if (bitCount == 16) {
        if (l.masks[0] == 0x7C00 && l.masks[1] == 0x03E0 && l.masks[2] == 0x001F)
            depth = 15;
        else if (l.masks[0] == 0xF800 && l.masks[1] == 0x07E0 && l.masks[2] == 0x001F)
            depth = 16;
        else
            depth = 24;
    } else if (bitCount == 32 &&
               !(l.masks[0] == 0xFF0000 && l.masks[1] == 0x00FF00 && l.masks[2] == 0x0000FF)) {
        depth = 24;
    }

    TPixelBuffer out(static_cast<int>(l.width), static_cast<int>(l.height), depth);
    out.XPelsPerMeter = h.biXPelsPerMeter;
    out.YPelsPerMeter = h.biYPelsPerMeter;
    if (bitCount <= 8) {
        const uint8_t* table = headerBlock.data() + l.tableOffset;
        for (int i = 0; i < l.tableCount; ++i) {
            const uint8_t* e = table + i * l.tableEntrySize;
            out.ColorTable[size_t(i)] = e[0] | (e[1] << 8) | (e[2] << 16);
        }
    }
    if (rle) {
        DecodeRle(l, bits, out);
        return out;
    }
    const int64_t srcRowBytes = DibRowBytes(l.width, bitCount);
    for (int64_t row = 0; row < l.height; ++row) {
        const uint8_t* src = bits.data() + srcRowBytes * row;
        const int y = static_cast<int>(l.topDown ? row : l.height - 1 - row);
        if (depth == bitCount || (depth == 15 && bitCount == 16)) {
            std::memcpy(out.ScanLine(y), src, static_cast<size_t>(std::min(srcRowBytes, out.RowBytes())));
            continue;
        }
        // Masked pixels of other layouts become 24-bit pixels.
        uint8_t* dst = out.ScanLine(y);
        const int bytesPerPixel = bitCount / 8;
        for (int64_t x = 0; x < l.width; ++x) {
            const uint8_t* s = src + x * bytesPerPixel;
            const uint32_t v = bytesPerPixel == 2 ? Get16(s) : Get32(s);
            dst[x * 3 + 2] = ScaleSample((v & l.masks[0]) >> shifts[0], widths[0]);
            dst[x * 3 + 1] = ScaleSample((v & l.masks[1]) >> shifts[1], widths[1]);
            dst[x * 3] = ScaleSample((v & l.masks[2]) >> shifts[2], widths[2]);
        }
    }
    return out;
}

void WriteBmpFile(TStream& stream, const TPixelBuffer& pixels) {
    if (pixels.Empty())
        return;
    const std::vector<uint8_t> block = HeaderBlockOf(pixels);
    const size_t rowBytes = static_cast<size_t>(pixels.RowBytes());
    const size_t headerBytes = BitmapFileHeaderSize + block.size();
    std::vector<uint8_t> header(BitmapFileHeaderSize);
    header.insert(header.end(), block.begin(), block.end());
    header[0] = 'B';
    header[1] = 'M';
    Put32(header.data() + 2, static_cast<uint32_t>(headerBytes + rowBytes * static_cast<size_t>(pixels.Height())));
    Put32(header.data() + 10, static_cast<uint32_t>(headerBytes));
    stream.WriteBuffer(header.data(), static_cast<int64_t>(header.size()));
    // The rows, bottom-up, in runs of about a megabyte: no copy of the whole
    // picture is made, and a file still gets few large writes.
    const size_t rowsPerRun = std::max<size_t>(1, (size_t(1) << 20) / std::max<size_t>(rowBytes, 1));
    std::vector<uint8_t> run(rowsPerRun * rowBytes);
    for (int y = pixels.Height() - 1; y >= 0;) {
        size_t filled = 0;
        for (; y >= 0 && filled < run.size(); --y, filled += rowBytes)
            std::memcpy(run.data() + filled, pixels.ScanLine(y), rowBytes);
        stream.WriteBuffer(run.data(), static_cast<int64_t>(filled));
    }
}

TPixelBuffer ReadBmpFile(TStream& stream) {
    const int64_t start = stream.Position();
    const int64_t available = stream.Size() - start;
    uint8_t fileHeader[BitmapFileHeaderSize + 4];
    if (available < int64_t(sizeof fileHeader) ||
        stream.Read(fileHeader, sizeof fileHeader) != int64_t(sizeof fileHeader))
        Invalid();
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M')
        Invalid();
    const uint32_t fileSize = Get32(fileHeader + 2);
    const uint32_t offBits = Get32(fileHeader + 10);
    const uint32_t infoSize = Get32(fileHeader + 14);
    if (infoSize != 12 && (infoSize < 40 || infoSize > 124))
        Invalid();
    // The header block: the info header, masks and colour table (at most 124 + 12 + 1024 bytes).
    const int64_t blockMax = std::min<int64_t>(available - BitmapFileHeaderSize, 124 + 12 + 1024);
    std::vector<uint8_t> block(static_cast<size_t>(std::max<int64_t>(blockMax, 4)));
    std::memcpy(block.data(), fileHeader + BitmapFileHeaderSize, 4);
    const int64_t rest = int64_t(block.size()) - 4;
    if (rest > 0 && stream.Read(block.data() + 4, rest) != rest)
        Invalid();
    const DibLayout l = ParseHeader(block);
    if (int64_t(l.headerBlockSize) > int64_t(block.size()))
        Invalid();
    block.resize(size_t(l.headerBlockSize));

    int64_t bitsStart = start + BitmapFileHeaderSize + l.headerBlockSize;
    if (offBits >= uint32_t(BitmapFileHeaderSize + l.headerBlockSize) && int64_t(offBits) <= available)
        bitsStart = start + offBits;
    const int64_t left = stream.Size() - bitsStart;
    int64_t bitsSize;
    const uint32_t compression = l.header.biCompression;
    if (compression == BI_RLE8 || compression == BI_RLE4) {
        bitsSize = l.header.biSizeImage;
        if (bitsSize == 0 && fileSize > offBits)
            bitsSize = int64_t(fileSize) - offBits;
        if (bitsSize == 0 || bitsSize > left)
            bitsSize = left;
    } else {
        bitsSize = StoredImageSize(l);
        if (bitsSize > left)
            Invalid();
    }
    if (bitsSize < 0)
        Invalid();
    std::vector<uint8_t> bits(static_cast<size_t>(bitsSize));
    stream.Seek(bitsStart, soBeginning);
    if (bitsSize > 0 && stream.Read(bits.data(), bitsSize) != bitsSize)
        Invalid();
    return DecodeDib(block, bits);
}

}  // namespace lumvor
