#include "imaging/vo_GraphicX.h"

#include "imaging/vo_Decoders.h"
#include "platform/SysUtils.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <vector>

namespace lumvor {

namespace {

const char* const kInvalidImageFormat = "Invalid image format";

uint8_t ReadByte(TStream& stream) {
    uint8_t b;
    stream.ReadBuffer(&b, 1);
    return b;
}

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
uint32_t Be32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

uint32_t ReadBe32(TStream& stream) {
    uint8_t b[4];
    stream.ReadBuffer(b, 4);
    return Be32(b);
}

bool SignatureIs(const uint8_t* bytes, const char* signature, bool foldCase) {
    for (size_t i = 0; signature[i] != 0; ++i) {
        char c = static_cast<char>(bytes[i]);
        if (foldCase)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (c != signature[i])
            return false;
    }
    return true;
}

// Raises the stream read error unless count more bytes remain, so that a
// header that promises more data than the file holds fails before anything
// is allocated for it.
void RequireRemaining(TStream& stream, uint64_t count) {
    int64_t position = stream.Position();
    int64_t size = stream.Size();
    if (position > size || count > static_cast<uint64_t>(size - position))
        throw EReadError("Stream read error");
}

// ---- GIF

// Skips sub-blocks: length bytes each followed by that many bytes, up to a length of 0.
void SkipSubBlocks(TStream& stream) {
    for (uint8_t length = ReadByte(stream); length != 0; length = ReadByte(stream))
        stream.Seek(length, soCurrent);
}

// Reads block introducers, skipping extensions, until an image separator
// (0x2C) or the trailer (0x3B); returns which.
uint8_t SkipGifExtensions(TStream& stream) {
    for (;;) {
        uint8_t b = ReadByte(stream);
        if (b == 0x2C || b == 0x3B)
            return b;
        if (b != 0x21)
            continue;
        switch (ReadByte(stream)) {
        case 0x01:  // plain text: a header block, then the text sub-blocks
            stream.Seek(ReadByte(stream), soCurrent);
            SkipSubBlocks(stream);
            break;
        case 0xF9:  // graphic control: one block and its terminator
            stream.Seek(ReadByte(stream) + 1, soCurrent);
            break;
        case 0xFE:  // comment
        case 0xFF:  // application
            SkipSubBlocks(stream);
            break;
        default:
            break;
        }
    }
}

HPALETTE ReadGifColorTable(TStream& stream, int sizeBits) {
    const int count = 1 << (sizeBits + 1);
    std::array<uint8_t, 3 * 256> rgb;
    stream.ReadBuffer(rgb.data(), 3 * count);
    std::vector<PALETTEENTRY> entries(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        entries[i].peRed = rgb[3 * i];
        entries[i].peGreen = rgb[3 * i + 1];
        entries[i].peBlue = rgb[3 * i + 2];
    }
    return CreatePalette(entries);
}

// ---- Photoshop

constexpr int kPsdHeaderSize = 26;

struct PsdHeader {
    uint16_t channels = 0;
    uint32_t height = 0;
    uint32_t width = 0;
    uint16_t depth = 0;
    uint16_t mode = 0;
};

PsdHeader ParsePsdHeader(const uint8_t* h) {
    PsdHeader header;
    header.channels = Be16(h + 12);
    header.height = Be32(h + 14);
    header.width = Be32(h + 18);
    header.depth = Be16(h + 22);
    header.mode = Be16(h + 24);
    return header;
}

enum PsdMode : uint16_t {
    psdBitmap = 0,
    psdGrayscale = 1,
    psdIndexed = 2,
    psdRGB = 3,
    psdCMYK = 4,
    psdMultichannel = 7,
    psdDuotone = 8,
    psdLab = 9,
};

}  // namespace

// ---- TGraphicX

TGraphicX::TGraphicX() : PixelConverter(std::make_unique<TPixelConverter>()) {}

TGraphicX::~TGraphicX() = default;

void TGraphicX::Assign(const TPersistent* source) {
    if (auto reader = dynamic_cast<const TGraphicX*>(source))
        Info = reader->Info;
    TBitmap::Assign(source);
}

bool TGraphicX::IsValidFile(const std::string& fileName) {
    try {
        TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
        return IsValidStream(stream);
    } catch (const EFOpenError&) {
        return false;
    }
}

bool TGraphicX::IsValidStream(TStream&) { return false; }

bool TGraphicX::GetInfo(TStream&) {
    Info = TImageInfo{};
    return false;
}

// ---- TGIFGraphic

bool TGIFGraphic::IsValidStream(TStream& stream) {
    const int64_t position = stream.Position();
    bool valid = false;
    if (stream.Size() - position >= 23) {
        uint8_t signature[3];
        valid = stream.Read(signature, 3) == 3 && SignatureIs(signature, "GIF", true);
    }
    stream.SetPosition(position);
    return valid;
}

bool TGIFGraphic::GetInfo(TStream& stream) {
    Info = TImageInfo{};
    uint8_t signature[6];
    stream.ReadBuffer(signature, 6);
    if (!SignatureIs(signature, "GIF", true))
        return false;
    // The version's digits must form a number; anything else is the conversion error.
    StrToInt(std::string(reinterpret_cast<const char*>(signature + 3), 2));
    Info.ColorSpace = csIndexed;
    Info.SamplesPerPixel = 1;
    Info.BitsPerSample = 8;
    Info.Compression = ctLZW;

    uint8_t screen[7];
    stream.ReadBuffer(screen, 7);
    const uint16_t screenWidth = Le16(screen);
    const uint16_t screenHeight = Le16(screen + 2);
    if (screen[4] & 0x80) {
        const int n = screen[4] & 7;
        Info.BitsPerSample = static_cast<uint8_t>(n + 1);
        stream.Seek(3 * (1 << (n + 1)), soCurrent);
    }
    if (SkipGifExtensions(stream) == 0x2C) {
        uint8_t descriptor[9];
        stream.ReadBuffer(descriptor, 9);
        const uint16_t width = Le16(descriptor + 4);
        const uint16_t height = Le16(descriptor + 6);
        Info.Width = width != 0 ? width : screenWidth;
        Info.Height = height != 0 ? height : screenHeight;
        if (descriptor[8] & 0x80)
            Info.BitsPerSample = static_cast<uint8_t>((descriptor[8] & 7) + 1);
    }
    Info.BitsPerPixel = static_cast<uint8_t>(Info.SamplesPerPixel * Info.BitsPerSample);
    return true;
}

void TGIFGraphic::LoadFromStream(TStream& stream) {
    FreeImage();
    StartPosition = stream.Position();
    Stream = &stream;
    if (!GetInfo(stream))
        throw EInvalidGraphic(kInvalidImageFormat);
    stream.SetPosition(StartPosition + 6);
    SetPixelFormat(pf8bit);
    SetHandleType(bmDIB);

    uint8_t screen[7];
    stream.ReadBuffer(screen, 7);
    HPALETTE palette;
    if (screen[4] & 0x80) {
        palette = ReadGifColorTable(stream, screen[4] & 7);
        SetPalette(palette);
    }
    if (SkipGifExtensions(stream) != 0x2C)
        return;
    uint8_t descriptor[9];
    stream.ReadBuffer(descriptor, 9);
    const bool interlaced = descriptor[8] & 0x40;
    if (descriptor[8] & 0x80)
        palette = ReadGifColorTable(stream, descriptor[8] & 7);
    const int width = Info.Width;
    const int height = Info.Height;
    SetSize(width, height);
    if (palette)
        SetPalette(palette);
    if (HeaderOnly || width <= 0 || height <= 0)
        return;

    const int minCodeSize = ReadByte(stream);
    // Gather the sub-blocks into one buffer so the decoder runs without
    // per-block calls.
    const int64_t dataStart = stream.Position();
    uint64_t total = 0;
    for (;;) {
        uint8_t length;
        if (stream.Read(&length, 1) != 1 || length == 0)
            break;
        total += length;
        stream.Seek(length, soCurrent);
    }
    stream.SetPosition(dataStart);
    RequireRemaining(stream, total);
    std::vector<uint8_t> compressed(total);
    for (uint64_t filled = 0; filled < total;) {
        const uint8_t length = ReadByte(stream);
        const uint64_t n = std::min<uint64_t>(length, total - filled);
        stream.ReadBuffer(compressed.data() + filled, static_cast<int64_t>(n));
        filled += n;
    }

    const size_t rowBytes = static_cast<size_t>(width);
    std::vector<uint8_t> pixels(rowBytes * static_cast<size_t>(height));
    DecodeGifLzw(compressed.data(), compressed.size(), minCodeSize, pixels.data(), pixels.size());

    // Interlaced images hold every 8th row from 0, every 8th from 4, every 4th
    // from 2, then every 2nd from 1.
    static constexpr int kPassStart[4] = {0, 4, 2, 1};
    static constexpr int kPassStep[4] = {8, 8, 4, 2};
    int decodedRow = 0;
    auto copyRow = [&](int row) {
        std::memcpy(ScanLine(row), pixels.data() + rowBytes * static_cast<size_t>(decodedRow++), rowBytes);
    };
    if (!interlaced) {
        for (int row = 0; row < height; ++row)
            copyRow(row);
    } else {
        for (int pass = 0; pass < 4; ++pass)
            for (int row = kPassStart[pass]; row < height; row += kPassStep[pass])
                copyRow(row);
    }
}

// ---- TPSDGraphic

bool TPSDGraphic::IsValidStream(TStream& stream) {
    const int64_t position = stream.Position();
    bool valid = false;
    if (stream.Size() - position >= 27) {
        uint8_t header[6];
        valid = stream.Read(header, 6) == 6 && SignatureIs(header, "8BPS", true) && Be16(header + 4) == 1;
    }
    stream.SetPosition(position);
    return valid;
}

bool TPSDGraphic::GetInfo(TStream& stream) {
    Info = TImageInfo{};
    uint8_t h[kPsdHeaderSize];
    stream.ReadBuffer(h, kPsdHeaderSize);
    if (!SignatureIs(h, "8BPS", false))
        return false;
    const PsdHeader header = ParsePsdHeader(h);
    Info.BitsPerSample = static_cast<uint8_t>(header.depth);
    Info.ChannelCount = static_cast<uint8_t>(header.channels);
    Info.SamplesPerPixel = static_cast<uint8_t>(std::min<uint16_t>(header.channels, 4));
    Info.BitsPerPixel = static_cast<uint8_t>(Info.SamplesPerPixel * Info.BitsPerSample);
    switch (header.mode) {
    case psdBitmap:
        return false;
    case psdGrayscale:
    case psdDuotone:
        Info.ColorSpace = csG;
        break;
    case psdIndexed:
        Info.ColorSpace = csIndexed;
        break;
    case psdRGB:
    case psdMultichannel:
        Info.ColorSpace = header.channels >= 4 ? csRGBA : csRGB;
        break;
    case psdCMYK:
        Info.ColorSpace = csCMYK;
        break;
    case psdLab:
        Info.ColorSpace = csCIELab;
        break;
    default:
        Info.ColorSpace = 0;
        break;
    }
    Info.Width = static_cast<int32_t>(header.width);
    Info.Height = static_cast<int32_t>(header.height);
    for (int section = 0; section < 3; ++section)
        stream.Seek(ReadBe32(stream), soCurrent);
    uint8_t compression[2];
    stream.ReadBuffer(compression, 2);
    Info.Compression = Be16(compression) == 1 ? ctPackBits : ctNone;
    return true;
}

void TPSDGraphic::LoadFromStream(TStream& stream) {
    FreeImage();
    StartPosition = stream.Position();
    Stream = &stream;
    if (!GetInfo(stream))
        throw EInvalidGraphic(kInvalidImageFormat);
    stream.SetPosition(StartPosition);
    uint8_t h[kPsdHeaderSize];
    stream.ReadBuffer(h, kPsdHeaderSize);
    if (HeaderOnly)
        return;
    const PsdHeader header = ParsePsdHeader(h);
    const uint16_t mode = header.mode;
    const bool singleChannel = mode == psdGrayscale || mode == psdDuotone || mode == psdIndexed;
    const bool colour = mode == psdRGB || mode == psdMultichannel || mode == psdCMYK || mode == psdLab;
    // A colour file must carry the channels of its colour model.
    const int modelChannels = mode == psdCMYK ? 4 : 3;
    if (colour && header.channels < modelChannels)
        throw EInvalidGraphic(kInvalidImageFormat);

    TPixelConverter& converter = *PixelConverter;
    converter.SourceOptions = coBigEndian;
    converter.SetSourceBitsPerSample(Info.BitsPerSample);
    converter.SetDestBitsPerSample(Info.BitsPerSample == 16 ? 8 : Info.BitsPerSample);
    converter.SetSourceSamples(Info.SamplesPerPixel);
    converter.SetDestSamples(Info.SamplesPerPixel);
    converter.SetSourceColorSpace(Info.ColorSpace);
    if (singleChannel) {
        // Only the first channel is read, one sample per pixel.
        converter.SetDestColorSpace(Info.ColorSpace);
        converter.SetDestSamples(1);
    } else if (mode == psdRGB || mode == psdMultichannel) {
        converter.SetDestColorSpace(Info.ColorSpace == csRGBA ? csBGRA : csBGR);
    } else if (mode == psdCMYK) {
        converter.SetDestColorSpace(csBGR);
        converter.SetDestSamples(3);
    } else if (mode == psdLab) {
        converter.SetDestColorSpace(csBGR);
        converter.SetDestSamples(3);
        converter.SourceOptions |= coLabByteRange | coLabChromaOffset;
    }
    SetPixelFormat(converter.PixelFormatFor(1));
    SetSize(Info.Width, Info.Height);

    const uint32_t colourDataLength = ReadBe32(stream);
    if (mode == psdIndexed) {
        RequireRemaining(stream, colourDataLength);
        std::vector<uint8_t> map(colourDataLength);
        stream.ReadBuffer(map.data(), colourDataLength);
        const uint32_t third = colourDataLength / 3;
        const uint8_t* planes[] = {map.data(), map.data() + third, map.data() + 2 * third};
        SetPalette(converter.CreatePaletteFromMap(planes, static_cast<int32_t>(std::min<uint32_t>(third, 256)),
                                                  2, false));
    } else {
        if (mode == psdGrayscale || mode == psdDuotone)
            SetPalette(converter.CreateGrayPalette(false));
        stream.Seek(colourDataLength, soCurrent);
    }
    stream.Seek(ReadBe32(stream), soCurrent);
    stream.Seek(int64_t{ReadBe32(stream)} + 2, soCurrent);

    if (!singleChannel && !colour)
        return;  // a colour mode we do not read: the picture stays blank

    const int width = Info.Width;
    const int height = Info.Height;
    const int sampleBytes = header.depth / 8;
    const uint64_t rowBytes = uint64_t(width) * static_cast<uint64_t>(sampleBytes);
    if (rowBytes == 0)
        return;  // sample widths below 8 bits are not read
    const int usedChannels = singleChannel ? 1 : std::min<int>(header.channels, 4);
    const uint64_t planeSize = rowBytes * static_cast<uint64_t>(height);

    // The planes of the channels in use, decoded or read whole.
    std::vector<uint8_t> planes;
    if (Info.Compression == ctPackBits) {
        const uint64_t rows = uint64_t(header.channels) * static_cast<uint64_t>(height);
        RequireRemaining(stream, rows * 2);
        std::vector<uint8_t> table(rows * 2);
        stream.ReadBuffer(table.data(), static_cast<int64_t>(table.size()));
        const uint64_t usedRows = uint64_t(usedChannels) * static_cast<uint64_t>(height);
        uint64_t compressedSize = 0;
        for (uint64_t r = 0; r < usedRows; ++r)
            compressedSize += Be16(table.data() + 2 * r);
        RequireRemaining(stream, compressedSize);
        std::vector<uint8_t> compressed(compressedSize);
        stream.ReadBuffer(compressed.data(), static_cast<int64_t>(compressedSize));
        planes.assign(usedRows * rowBytes, 0);
        // Each row is unpacked from its own count of bytes into its own row.
        uint64_t offset = 0;
        for (uint64_t r = 0; r < usedRows; ++r) {
            const uint16_t count = Be16(table.data() + 2 * r);
            UnpackBits(compressed.data() + offset, count, planes.data() + r * rowBytes, rowBytes);
            offset += count;
        }
    } else {
        const uint64_t size = planeSize * static_cast<uint64_t>(usedChannels);
        RequireRemaining(stream, size);
        planes.resize(size);
        stream.ReadBuffer(planes.data(), static_cast<int64_t>(size));
    }

    if (singleChannel) {
        for (int y = 0; y < height; ++y) {
            const uint8_t* row = planes.data() + rowBytes * static_cast<uint64_t>(y);
            uint8_t* dest = ScanLine(y);
            if (sampleBytes == 1) {
                std::memcpy(dest, row, static_cast<size_t>(width));
            } else {
                // Wider samples are reduced to their high byte's range.
                for (int x = 0; x < width; ++x)
                    dest[x] = static_cast<uint8_t>(Be16(row + x * sampleBytes) * 255u / 65535u);
            }
        }
        return;
    }
    if (mode == psdCMYK) {
        for (uint8_t& b : planes)
            b = static_cast<uint8_t>(255 - b);
    }
    const int planeCount = mode == psdLab ? 3 : usedChannels;
    std::array<const uint8_t*, 4> rowPlanes{};
    for (int c = 0; c < planeCount; ++c)
        rowPlanes[c] = planes.data() + planeSize * static_cast<uint64_t>(c);
    for (int y = 0; y < height; ++y) {
        converter.Convert(std::span<const uint8_t* const>(rowPlanes.data(), static_cast<size_t>(planeCount)),
                          ScanLine(y), width, 0xFF, planeCount);
        for (int c = 0; c < planeCount; ++c)
            rowPlanes[c] += rowBytes;
    }
}

std::unique_ptr<TGraphicX> NewHeaderReader(bool gif) {
    if (gif) {
        auto reader = std::make_unique<TGIFGraphic>();
        reader->HeaderOnly = true;
        return reader;
    }
    auto reader = std::make_unique<TPSDGraphic>();
    reader->HeaderOnly = true;
    return reader;
}

}  // namespace lumvor
