#include "platform/pcd/PcdLib.h"

#include "platform/Streams.h"
#include "platform/SysUtils.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace lumvor {

namespace {

// An image pack is laid out in 2,048-byte sectors: sector 0 holds the pack
// attributes, sector 1 the image pack information (starting "PCD_IPI"),
// sector 2 is spare, and the levels follow as planes of 8-bit samples.
constexpr int64_t SectorSize = 0x800;
constexpr int64_t InfoSector = 0x800;
constexpr int64_t HeaderBytes = 2 * SectorSize;
constexpr int64_t TurnCodeOffset = 0xE02;

// Offsets inside the information sector.
constexpr int IpiMedium = 21;
constexpr int IpiProductType = 22;
constexpr int IpiScannerProduct = 62;
constexpr int IpiFinisherCharSet = 132;
constexpr int IpiFinisherName = 165;
constexpr int IpiCopyrightStatus = 331;
constexpr int IpiCopyrightFile = 332;

struct StoredLevel {
    int64_t Offset;
    int Width;
    int Height;
};
// Levels 1 to 3 as stored; every two rows of luma are followed by one row of
// each chroma plane at half the width.
constexpr StoredLevel StoredLevels[4] = {
    {0, 0, 0}, {0x2000, 192, 128}, {0xB800, 384, 256}, {0x30000, 768, 512}};
constexpr int64_t LevelBytes(const StoredLevel& l) { return int64_t(l.Width) * l.Height * 3 / 2; }
// A pack must hold the whole Base level to open.
constexpr int64_t MinimumPackSize = StoredLevels[3].Offset + LevelBytes(StoredLevels[3]);

constexpr int16_t DeliveredLevels = 4;  // 0 to 3
constexpr uint32_t StoredMask = 0x07;   // levels 1 to 3

const char* const MediumNames[9] = {
    "Color negative",      "Color reversal",           "Color hard copy",
    "Thermal hard copy",   "Black and white negative", "Black and white reversal",
    "Black and white hard copy", "Internegative",      "Synthetic image"};

struct ImagePack {
    std::string FileName;
    std::array<uint8_t, HeaderBytes> Header{};
    int Turn = 0;
    int16_t Level = pcdBase;
    int16_t Format = pcdFormatDibWithTable;
};

std::mutex PacksLock;
std::map<HPCD, std::shared_ptr<ImagePack>> Packs;
HPCD NextHandle = 1;

std::shared_ptr<ImagePack> Find(HPCD handle) {
    std::lock_guard<std::mutex> guard(PacksLock);
    auto it = Packs.find(handle);
    return it == Packs.end() ? nullptr : it->second;
}

// Reads exactly count bytes at offset; false when the file is shorter or unreadable.
bool ReadAt(TStream& stream, int64_t offset, uint8_t* buffer, int64_t count) {
    if (stream.Seek(offset, soBeginning) != offset)
        return false;
    return stream.Read(buffer, count) == count;
}

// Landscape pixel size of a level.
void LevelSize(int level, int& width, int& height) {
    width = 96 << level;
    height = 64 << level;
}

// The YCC planes of one level, full-resolution luma and half-resolution chroma.
struct Planes {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Luma, Chroma1, Chroma2;
};

// Splits a stored level into its three planes.
Planes SplitLevel(const std::vector<uint8_t>& data, int width, int height) {
    Planes p;
    p.Width = width;
    p.Height = height;
    const int half = width / 2;
    p.Luma.resize(size_t(width) * height);
    p.Chroma1.resize(size_t(half) * (height / 2));
    p.Chroma2.resize(p.Chroma1.size());
    const uint8_t* s = data.data();
    for (int pair = 0; pair < height / 2; ++pair) {
        std::memcpy(&p.Luma[size_t(2 * pair) * width], s, size_t(2 * width));
        s += 2 * width;
        std::memcpy(&p.Chroma1[size_t(pair) * half], s, size_t(half));
        s += half;
        std::memcpy(&p.Chroma2[size_t(pair) * half], s, size_t(half));
        s += half;
    }
    return p;
}

// Chroma brought to the luma's size. The stored samples sit on the even rows
// and columns; the others are the rounded mean of their two (or four)
// stored neighbours; the last row and column repeat the row or column before.
std::vector<uint8_t> UpsampleChroma(const std::vector<uint8_t>& c, int width, int height) {
    const int cw = width / 2, ch = height / 2;
    std::vector<uint8_t> out(size_t(width) * height);
    auto at = [&](int x, int y) { return unsigned(c[size_t(y) * cw + x]); };
    for (int y = 0; y < ch; ++y) {
        uint8_t* even = &out[size_t(2 * y) * width];
        for (int x = 0; x < cw; ++x) {
            even[2 * x] = uint8_t(at(x, y));
            even[2 * x + 1] = x + 1 < cw ? uint8_t((at(x, y) + at(x + 1, y) + 1) >> 1) : uint8_t(at(x, y));
        }
        uint8_t* odd = even + width;
        if (y + 1 == ch) {
            std::memcpy(odd, even, size_t(width));
            continue;
        }
        for (int x = 0; x < cw; ++x) {
            odd[2 * x] = uint8_t((at(x, y) + at(x, y + 1) + 1) >> 1);
            odd[2 * x + 1] = x + 1 < cw ? uint8_t((at(x, y) + at(x + 1, y) + at(x, y + 1) +
                                                   at(x + 1, y + 1) + 2) >> 2)
                                        : odd[2 * x];
        }
    }
    return out;
}

uint8_t Clamp8(double v) {
    const long r = std::lround(v);
    return uint8_t(r < 0 ? 0 : r > 255 ? 255 : r);
}

// Photo YCC to RGB. Luma 255 is full white, and the chroma planes are centred
// on 156 (C1, blue difference) and 137 (C2, red difference).
void YccToBgr(unsigned y, unsigned c1, unsigned c2, uint8_t* bgr) {
    const double d1 = double(c1) - 156.0, d2 = double(c2) - 137.0;
    // Kodak's coefficients, scaled to luma 1: 2.2179 / 1.3584, 1.8215 / 1.3584, ...
    constexpr double L = 1.3584;
    bgr[0] = Clamp8(y + 2.2179 / L * d1);
    bgr[1] = Clamp8(y - 0.194 * 2.2179 / L * d1 - 0.509 * 1.8215 / L * d2);
    bgr[2] = Clamp8(y + 1.8215 / L * d2);
}

// Blue-green-red pixels of a landscape level, rows top-down, 3 bytes a pixel.
std::vector<uint8_t> ToBgr(const Planes& p, bool chromaAtFullSize) {
    std::vector<uint8_t> c1, c2;
    if (chromaAtFullSize) {
        c1 = p.Chroma1;
        c2 = p.Chroma2;
    } else {
        c1 = UpsampleChroma(p.Chroma1, p.Width, p.Height);
        c2 = UpsampleChroma(p.Chroma2, p.Width, p.Height);
    }
    std::vector<uint8_t> bgr(size_t(p.Width) * p.Height * 3);
    for (size_t i = 0; i < p.Luma.size(); ++i)
        YccToBgr(p.Luma[i], c1[i], c2[i], &bgr[3 * i]);
    return bgr;
}

// Base/64 from the Base/16 planes: luma averaged over 2 x 2, chroma as stored
// (it already has that size).
Planes HalveLuma(const Planes& base16) {
    Planes p;
    p.Width = base16.Width / 2;
    p.Height = base16.Height / 2;
    p.Luma.resize(size_t(p.Width) * p.Height);
    const int w = base16.Width;
    for (int y = 0; y < p.Height; ++y)
        for (int x = 0; x < p.Width; ++x) {
            const uint8_t* s = &base16.Luma[size_t(2 * y) * w + 2 * x];
            p.Luma[size_t(y) * p.Width + x] = uint8_t((s[0] + s[1] + s[w] + s[w + 1] + 2) >> 2);
        }
    p.Chroma1 = base16.Chroma1;
    p.Chroma2 = base16.Chroma2;
    return p;
}

// The packed DIB of a landscape BGR picture turned by the pack's turn code.
TPackedDib MakeDib(const std::vector<uint8_t>& bgr, int width, int height, int turn) {
    const bool quarter = turn == 1 || turn == 3;
    const int outWidth = quarter ? height : width;
    const int outHeight = quarter ? width : height;
    const int64_t rowBytes = DibRowBytes(outWidth, 24);
    const int64_t headerBytes = BitmapInfoHeaderSize + 256 * 4;
    std::vector<uint8_t> bytes(size_t(headerBytes + rowBytes * outHeight), 0);

    BITMAPINFOHEADER h;
    h.biWidth = outWidth;
    h.biHeight = outHeight;
    h.biBitCount = 24;
    h.biSizeImage = uint32_t(rowBytes * outHeight);
    h.biClrUsed = 256;
    WriteInfoHeader(bytes.data(), h);
    for (int i = 0; i < 256; ++i) {
        uint8_t* e = &bytes[size_t(BitmapInfoHeaderSize + 4 * i)];
        e[0] = e[1] = e[2] = uint8_t(i);
    }
    for (int oy = 0; oy < outHeight; ++oy) {
        uint8_t* row = &bytes[size_t(headerBytes + rowBytes * (outHeight - 1 - oy))];
        for (int ox = 0; ox < outWidth; ++ox) {
            int sx, sy;  // the source pixel shown at (ox, oy)
            switch (turn) {
            case 1:  // a quarter turn anticlockwise
                sx = width - 1 - oy;
                sy = ox;
                break;
            case 2:
                sx = width - 1 - ox;
                sy = height - 1 - oy;
                break;
            case 3:  // a quarter turn clockwise
                sx = oy;
                sy = height - 1 - ox;
                break;
            default:
                sx = ox;
                sy = oy;
            }
            std::memcpy(row + 3 * ox, &bgr[(size_t(sy) * width + sx) * 3], 3);
        }
    }
    return TPackedDib(std::move(bytes));
}

// Copies a text field, blanks for control characters and padding.
void PutText(PCDphotoInfo& info, int at, int size, const uint8_t* source, int sourceSize) {
    for (int i = 0; i < size; ++i) {
        const uint8_t c = i < sourceSize ? source[i] : ' ';
        info.Bytes[at + i] = (c < 0x20 || c == 0x7F || c == 0xFF) ? ' ' : c;
    }
}

bool Blank(const uint8_t* s, int size) {
    return std::all_of(s, s + size, [](uint8_t c) { return c == 0 || c == ' ' || c == 0xFF; });
}

}  // namespace

PCDstatus PCDopen(const char* name, HPCD& handle) {
    handle = 0;
    if (!name || !*name)
        return pcdCannotOpen;
    try {
        auto pack = std::make_shared<ImagePack>();
        pack->FileName = name;
        std::unique_ptr<TFileStream> stream;
        try {
            stream = std::make_unique<TFileStream>(pack->FileName, fmOpenRead | fmShareDenyWrite);
        } catch (const Exception&) {
            return pcdCannotOpen;
        }
        if (!ReadAt(*stream, 0, pack->Header.data(), HeaderBytes))
            return pcdNotImagePack;
        if (std::memcmp(&pack->Header[InfoSector], "PCD_IPI", 7) != 0)
            return pcdNotImagePack;
        if (stream->Size() < MinimumPackSize)
            return pcdIncompletePack;
        pack->Turn = pack->Header[TurnCodeOffset] & 0x03;

        std::lock_guard<std::mutex> guard(PacksLock);
        if (NextHandle <= 0)
            NextHandle = 1;
        while (Packs.count(NextHandle))
            ++NextHandle;
        handle = NextHandle++;
        Packs[handle] = std::move(pack);
        return pcdOK;
    } catch (const std::bad_alloc&) {
        return pcdOutOfMemory;
    } catch (const std::exception&) {
        return pcdReadError;
    }
}

PCDstatus PCDgetAttributes(HPCD handle, PCDattributes& attributes, uint16_t& info) {
    auto pack = Find(handle);
    if (!pack)
        return pcdBadHandle;
    attributes = PCDattributes();
    info = uint16_t(pack->Turn);
    return pcdOK;
}

PCDstatus PCDgetCount(HPCD handle, uint32_t& resolutionMask, uint16_t& resolutionCount) {
    if (!Find(handle))
        return pcdBadHandle;
    resolutionMask = StoredMask;
    resolutionCount = DeliveredLevels;
    return pcdOK;
}

PCDstatus PCDsetResolution(HPCD handle, int16_t resolution) {
    auto pack = Find(handle);
    if (!pack)
        return pcdBadHandle;
    if (resolution == pcd4Base || resolution == pcd16Base)
        return pcdResolutionNotSupported;
    if (resolution < pcdBase64 || resolution > pcdBase)
        return pcdBadResolution;
    pack->Level = resolution;
    return pcdOK;
}

PCDstatus PCDgetResolution(HPCD handle, int16_t& resolution) {
    auto pack = Find(handle);
    if (!pack)
        return pcdBadHandle;
    resolution = pack->Level;
    return pcdOK;
}

PCDstatus PCDgetSize(HPCD handle, PCDrect& rect) {
    auto pack = Find(handle);
    if (!pack)
        return pcdBadHandle;
    int width, height;
    LevelSize(pack->Level, width, height);
    if (pack->Turn == 1 || pack->Turn == 3)
        std::swap(width, height);
    rect = PCDrect{0, 0, int16_t(width), int16_t(height)};
    return pcdOK;
}

PCDstatus PCDreadImageInfo(HPCD handle, PCDphotoInfo& info) {
    auto pack = Find(handle);
    if (!pack)
        return pcdBadHandle;
    info = PCDphotoInfo();
    const uint8_t* ipi = &pack->Header[InfoSector];
    const uint8_t medium = ipi[IpiMedium];
    info.Bytes[pcdInfoMedium] = medium;
    const char* mediumName = medium < 9 ? MediumNames[medium] : "";
    PutText(info, pcdInfoMediumName, 20, reinterpret_cast<const uint8_t*>(mediumName),
            int(std::strlen(mediumName)));
    PutText(info, pcdInfoProductType, 20, ipi + IpiProductType, 20);
    PutText(info, pcdInfoScanner, 16, ipi + IpiScannerProduct, 16);
    const uint8_t charSet = ipi[IpiFinisherCharSet];
    if (charSet == 0 || charSet == 0xFF || Blank(ipi + IpiFinisherName, 60)) {
        std::memset(&info.Bytes[pcdInfoPhotofinisher], 0xFF, 60);
    } else {
        PutText(info, pcdInfoPhotofinisher, 60, ipi + IpiFinisherName, 60);
    }
    if (ipi[IpiCopyrightStatus] == 1) {
        info.Bytes[pcdInfoHasCopyright] = 1;
        int length = 0;
        while (length < 12 && ipi[IpiCopyrightFile + length] > ' ' &&
               ipi[IpiCopyrightFile + length] != 0xFF)
            ++length;
        std::memcpy(&info.Bytes[pcdInfoCopyrightFile], ipi + IpiCopyrightFile, size_t(length));
    }
    return pcdOK;
}

PCDstatus PCDsetFormat(HPCD handle, int16_t format) {
    auto pack = Find(handle);
    if (!pack)
        return pcdBadHandle;
    if (format != pcdFormatDib && format != pcdFormatDibWithTable)
        return pcdBadFormat;
    pack->Format = format;
    return pcdOK;
}

PCDstatus PCDloadImage(HPCD handle, int16_t image, TPackedDib& dib) {
    dib = TPackedDib();
    auto pack = Find(handle);
    if (!pack)
        return pcdBadHandle;
    if (image != 0)
        return pcdNoSuchImage;
    try {
        const int level = pack->Level;
        const StoredLevel& stored = StoredLevels[level == pcdBase64 ? pcdBase16 : level];
        std::vector<uint8_t> data(size_t(LevelBytes(stored)));
        {
            std::unique_ptr<TFileStream> stream;
            try {
                stream = std::make_unique<TFileStream>(pack->FileName, fmOpenRead | fmShareDenyWrite);
            } catch (const Exception&) {
                return pcdCannotOpen;
            }
            if (!ReadAt(*stream, stored.Offset, data.data(), int64_t(data.size())))
                return pcdReadError;
        }
        Planes planes = SplitLevel(data, stored.Width, stored.Height);
        std::vector<uint8_t> bgr;
        if (level == pcdBase64) {
            planes = HalveLuma(planes);
            bgr = ToBgr(planes, true);
        } else {
            bgr = ToBgr(planes, false);
        }
        dib = MakeDib(bgr, planes.Width, planes.Height, pack->Turn);
        return pcdOK;
    } catch (const std::bad_alloc&) {
        return pcdOutOfMemory;
    } catch (const std::exception&) {
        return pcdReadError;
    }
}

PCDstatus PCDfreeBitmap(TPackedDib& dib) {
    dib = TPackedDib();
    return pcdOK;
}

PCDstatus PCDclose(HPCD handle) {
    std::lock_guard<std::mutex> guard(PacksLock);
    return Packs.erase(handle) ? pcdOK : pcdBadHandle;
}

const char* PCDstatusText(PCDstatus status) {
    switch (status) {
    case pcdOK:
        return "No error";
    case pcdBadHandle:
        return "Invalid Photo CD handle";
    case pcdCannotOpen:
        return "Cannot open the Photo CD file";
    case pcdNotImagePack:
        return "Not a Photo CD image pack";
    case pcdIncompletePack:
        return "The Photo CD image pack is incomplete";
    case pcdBadResolution:
        return "Invalid Photo CD resolution";
    case pcdResolutionNotSupported:
        return "4Base and 16Base resolutions are not supported";
    case pcdBadFormat:
        return "Unsupported Photo CD output format";
    case pcdNoSuchImage:
        return "No such picture in the Photo CD image pack";
    case pcdReadError:
        return "Error reading the Photo CD file";
    case pcdOutOfMemory:
        return "Not enough memory for the Photo CD picture";
    default:
        return "Unknown Photo CD error";
    }
}

}  // namespace lumvor
