#include "imaging/vo_DIB.h"

#include "imaging/vo_icogr.h"

#include "platform/Clipbrd.h"
#include "platform/Forms.h"
#include "platform/SysUtils.h"

#include <QCoreApplication>
#include <QTimer>
#include <QtDebug>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace lumvor {

using namespace vo_DIB;

namespace {

std::string FormatInt(const char* pattern, int value) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, pattern, value);
    return buffer;
}

std::string FormatInt2(const char* pattern, int a, int b) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, pattern, a, b);
    return buffer;
}

std::string FormatStr(const char* pattern, const std::string& a) {
    std::string result = pattern;
    const size_t at = result.find("%s");
    if (at != std::string::npos)
        result.replace(at, 2, a);
    return result;
}

int64_t RoundHalfEven(double value) { return Round(value); }

constexpr TColorValue Entry(uint32_t b0, uint32_t b1, uint32_t b2) {
    return TColorValue{b0 | (b1 << 8) | (b2 << 16)};
}

// The 16-colour table; the bytes as stored (byte 0 is blue).
constexpr TColorValue Colors16[16] = {
    Entry(0, 0, 0),          Entry(0, 0, 0xAA),       Entry(0, 0xAA, 0),       Entry(0, 0xAA, 0xAA),
    Entry(0xAA, 0, 0),       Entry(0xAA, 0, 0xAA),    Entry(0xAA, 0x55, 0),    Entry(0xAA, 0xAA, 0xAA),
    Entry(0x55, 0x55, 0x55), Entry(0x55, 0x55, 0xFF), Entry(0x55, 0xFF, 0x55), Entry(0x55, 0xFF, 0xFF),
    Entry(0xFF, 0x55, 0x55), Entry(0xFF, 0x55, 0xFF), Entry(0xFF, 0xFF, 0x55), Entry(0xFF, 0xFF, 0xFF)};

struct HueRun {
    uint8_t high, low, mid[3];
};
constexpr HueRun HueRuns[9] = {
    {0xFF, 0x00, {0x41, 0x7D, 0xBE}}, {0xFF, 0x7D, {0x9E, 0xBE, 0xDF}},
    {0xFF, 0xB6, {0xC7, 0xDB, 0xEB}}, {0x71, 0x00, {0x1C, 0x38, 0x55}},
    {0x71, 0x38, {0x45, 0x55, 0x61}}, {0x71, 0x51, {0x59, 0x61, 0x69}},
    {0x41, 0x00, {0x10, 0x20, 0x30}}, {0x41, 0x20, {0x28, 0x30, 0x38}},
    {0x41, 0x2C, {0x30, 0x34, 0x3C}}};

std::array<TPaletteRecord, 5> BuildDefaultPalettes() {
    std::array<TPaletteRecord, 5> p{};
    p[0].NumberOfEntries = 2;
    for (uint32_t i = 0; i < 2; ++i)
        p[0].Entries[i] = Entry(i * 255, i * 255, i * 255);
    p[1].NumberOfEntries = 16;
    for (uint32_t i = 0; i < 16; ++i)
        p[1].Entries[i] = Entry(i * 17, i * 17, i * 17);
    p[2].NumberOfEntries = 256;
    for (uint32_t i = 0; i < 256; ++i)
        p[2].Entries[i] = Entry(i, i, i);
    p[3].NumberOfEntries = 16;
    for (int i = 0; i < 16; ++i)
        p[3].Entries[i] = Colors16[i];

    TPaletteRecord& c = p[4];
    c.NumberOfEntries = 256;
    for (int i = 0; i < 16; ++i)
        c.Entries[i] = Colors16[i];
    constexpr uint8_t greys[16] = {0x00, 0x14, 0x20, 0x2C, 0x38, 0x45, 0x51, 0x61,
                                   0x71, 0x82, 0x92, 0xA2, 0xB6, 0xCB, 0xE3, 0xFF};
    for (int i = 0; i < 16; ++i)
        c.Entries[16 + i] = Entry(greys[i], greys[i], greys[i]);
    c.Entries[30] = Entry(0xE3, 0xB3, 0xB3);
    int at = 32;
    for (const HueRun& run : HueRuns) {
        const uint8_t up[4] = {run.mid[0], run.mid[1], run.mid[2], run.high};
        const uint8_t down[4] = {run.mid[2], run.mid[1], run.mid[0], run.low};
        // Which byte moves on each leg, and whether it rises.
        constexpr int legByte[6] = {0, 2, 1, 0, 2, 1};
        constexpr bool legRises[6] = {true, false, true, false, true, false};
        uint8_t v[3] = {run.low, run.low, run.high};
        const int first = at;
        c.Entries[at++] = Entry(v[0], v[1], v[2]);
        for (int leg = 0; leg < 6; ++leg)
            for (int step = 0; step < 4 && at < first + 24; ++step) {
                v[legByte[leg]] = legRises[leg] ? up[step] : down[step];
                c.Entries[at++] = Entry(v[0], v[1], v[2]);
            }
    }
    // Two entries of the (FF, B6) circle differ from the walk.
    c.Entries[32 + 2 * 24 + 5] = Entry(0xDF, 0xB6, 0xEB);
    c.Entries[32 + 2 * 24 + 16] = Entry(0xB6, 0xDF, 0xB6);
    for (int i = 248; i < 256; ++i)
        c.Entries[i] = TColorValue{0};
    return p;
}

const std::array<TPaletteRecord, 5>& DefaultPalettes() {
    static const std::array<TPaletteRecord, 5> palettes = BuildDefaultPalettes();
    return palettes;
}

uint32_t Get1(const uint8_t* row, int x) { return (row[x >> 3] >> (7 - (x & 7))) & 1; }
void Set1(uint8_t* row, int x, uint32_t v) {
    const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
    if (v < 1)
        row[x >> 3] &= static_cast<uint8_t>(~bit);
    else
        row[x >> 3] |= bit;
}
uint32_t Get4(const uint8_t* row, int x) {
    return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
}
void Set4(uint8_t* row, int x, uint32_t v) {
    uint8_t& b = row[x >> 1];
    if (x & 1)
        b = static_cast<uint8_t>((b & 0xF0) | (v & 0x0F));
    else
        b = static_cast<uint8_t>((b & 0x0F) | ((v & 0x0F) << 4));
}
uint32_t Get8(const uint8_t* row, int x) { return row[x]; }
void Set8(uint8_t* row, int x, uint32_t v) { row[x] = static_cast<uint8_t>(v); }
uint32_t Get24(const uint8_t* row, int x) {
    const uint8_t* p = row + x * 3;
    return p[0] | (p[1] << 8) | (p[2] << 16);
}
void Set24(uint8_t* row, int x, uint32_t v) {
    uint8_t* p = row + x * 3;
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
}

constexpr int ScreenDpi = 96;

}  // namespace

// ---------------------------------------------------------------------------
// Free routines

int ImageFormatBits(int format) {
    switch (format) {
    case 0: return 1;
    case 1:
    case 3: return 4;
    case 2:
    case 4: return 8;
    case 5: return 24;
    default: throw ERuvezevoError(SInvalidImageFormat);
    }
}

std::string ImageFormatName(int format) {
    static const char* const names[6] = {"B/W", "4bpp gray", "8bpp gray",
                                         "4bpp color", "8bpp color", "24bpp color"};
    return format >= 0 && format <= 5 ? names[format] : "";
}

int64_t RowBytes(int64_t width, int bits) { return DibRowBytes(width, bits); }

int PaletteRecordSize(int count) { return count * 4 + 4; }

void SwapRedBlue(uint8_t* buffer, int64_t byteCount) {
    for (int64_t i = 0; i + 3 <= byteCount; i += 3)
        std::swap(buffer[i], buffer[i + 2]);
}

const TPaletteRecord* DefaultPalette(int format) {
    return format >= 0 && format <= 4 ? &DefaultPalettes()[size_t(format)] : nullptr;
}

// ---------------------------------------------------------------------------
// TRgbToPaletteConverter

TRgbToPaletteConverter::TRgbToPaletteConverter(const TPaletteRecord* palette) : Palette(palette) {}

void TRgbToPaletteConverter::ClearCache() { cache_.fill(Slot{}); }

int16_t TRgbToPaletteConverter::Lookup(TColorValue colour) {
    Slot& slot = cache_[RawColor(colour) % cache_.size()];
    if (slot.Index >= 0 && slot.Colour == colour)
        return slot.Index;
    const int count = Palette ? std::min<int>(Palette->NumberOfEntries, 256) : 0;
    const int16_t index =
        static_cast<int16_t>(count > 0 ? NearestColorIndex(reinterpret_cast<const uint32_t*>(Palette->Entries.data()),
                                                 count, RawColor(colour))
                  : 0);
    slot.Colour = colour;
    slot.Index = index;
    return index;
}

// ---------------------------------------------------------------------------
// TDibGraphic

TDibGraphic::TDibGraphic() : canvas_(this), frameTimer_(std::make_unique<QTimer>()) {
    frameTimer_->setSingleShot(false);
    QObject::connect(frameTimer_.get(), &QTimer::timeout, Guard([this] { FrameStep(); }));
}

TDibGraphic::~TDibGraphic() {
    frameTimer_->stop();
    frameTimer_.reset();
    Frames.clear();
    FreeImage();
}

std::unique_ptr<TDibGraphic> TDibGraphic::NewInstance() const {
    return std::make_unique<TDibGraphic>();
}

void TDibGraphic::FreeImage() {
    converter_.reset();
    paletteHandle_.reset();
    pixels_.reset();
    pixelGetter_ = nullptr;
    pixelSetter_ = nullptr;
    infoHeader_ = BITMAPINFOHEADER{};
    infoHeader_.biSize = 0;
    infoHeader_.biPlanes = 0;
}

void TDibGraphic::NewImage(int width, int height, uint8_t format, const TPaletteRecord* palette,
                           uint16_t xDpi, uint16_t yDpi) {
    try {
        FreeImage();
        const int bits = ImageFormatBits(format);
        if (width < 1 || height < 1)
            throw ERuvezevoError(FormatInt2(SInvalidImageSize, width, height));
        if (!PictureSizeAllowed(width, height))
            throw ERuvezevoError(FormatInt2(SImageTooLarge, width, height));
        if (format != ifTrueColor && !palette)
            palette = DefaultPalette(format);

        // Copy the palette before anything else: the caller may pass our own record.
        TPaletteRecord record;
        if (format != ifTrueColor) {
            record.NumberOfEntries = std::min<uint16_t>(palette->NumberOfEntries, uint16_t(1u << bits));
            std::copy_n(palette->Entries.begin(), record.NumberOfEntries, record.Entries.begin());
        }

        auto pixels = std::make_unique<TPixelBuffer>(width, height, bits);
        imageFormat_ = format;
        BITMAPINFOHEADER h;
        h.biWidth = width;
        h.biHeight = height;
        h.biBitCount = static_cast<uint16_t>(bits);
        h.biSizeImage = static_cast<uint32_t>(pixels->ByteCount());
        h.biClrUsed = format == ifTrueColor ? 0 : record.NumberOfEntries;
        infoHeader_ = h;
        paletteRecord_ = record;
        paletteRecord_.Version = 0x300;
        if (format != ifTrueColor) {
            for (int i = 0; i < record.NumberOfEntries; ++i)
                pixels->ColorTable[size_t(i)] = RawColor(record.Entries[size_t(i)]);
            converter_ = std::make_unique<TRgbToPaletteConverter>(&paletteRecord_);
        }
        pixels_ = std::move(pixels);
        SetXDpi(xDpi > 0 ? xDpi : ScreenDpi);
        SetYDpi(yDpi > 0 ? yDpi : ScreenDpi);
        switch (bits) {
        case 1: pixelGetter_ = Get1; pixelSetter_ = Set1; break;
        case 4: pixelGetter_ = Get4; pixelSetter_ = Set4; break;
        case 8: pixelGetter_ = Get8; pixelSetter_ = Set8; break;
        default: pixelGetter_ = Get24; pixelSetter_ = Set24; break;
        }
    } catch (const std::bad_alloc&) {
        FreeImage();
        throw ERuvezevoError(SCreateDibSectionFailed);
    } catch (const EOutOfMemory&) {
        FreeImage();
        throw ERuvezevoError(SCreateDibSectionFailed);
    } catch (...) {
        FreeImage();
        throw;
    }
}

void TDibGraphic::SetWidth(int) { throw ERuvezevoError(SDimensionsWithNewImage); }
void TDibGraphic::SetHeight(int) { throw ERuvezevoError(SDimensionsWithNewImage); }

uint8_t* TDibGraphic::ScanLine(int row) {
    if (!pixels_ || row < 0 || row >= pixels_->Height())
        return nullptr;
    return pixels_->ScanLine(row);
}

const uint8_t* TDibGraphic::ScanLine(int row) const {
    if (!pixels_ || row < 0 || row >= pixels_->Height())
        return nullptr;
    return pixels_->ScanLine(row);
}

TColorValue TDibGraphic::GetPixel(int x, int y) const {
    if (!pixels_ || x < 0 || y < 0 || x >= pixels_->Width() || y >= pixels_->Height())
        return TColorValue{0};
    const uint32_t value = pixelGetter_(pixels_->ScanLine(y), x);
    if (imageFormat_ == ifTrueColor)
        return TColorValue{value};
    return TColorValue{RawColor(paletteRecord_.Entries[value & 0xFF]) & 0xFFFFFF};
}

void TDibGraphic::SetPixel(int x, int y, TColorValue colour) {
    if (!pixels_ || x < 0 || y < 0 || x >= pixels_->Width() || y >= pixels_->Height())
        return;
    if (imageFormat_ == ifTrueColor)
        pixelSetter_(pixels_->ScanLine(y), x, RawColor(colour));
    else
        pixelSetter_(pixels_->ScanLine(y), x, static_cast<uint32_t>(converter_->Lookup(colour)));
}

uint8_t TDibGraphic::GetPixelIndex(int x, int y) const {
    if (pixels_ && imageFormat_ == ifTrueColor)
        throw ERuvezevoError(SNoPalette);
    if (!pixels_ || x < 0 || y < 0 || x >= pixels_->Width() || y >= pixels_->Height())
        return 0;
    return static_cast<uint8_t>(pixelGetter_(pixels_->ScanLine(y), x));
}

void TDibGraphic::SetPixelIndex(int x, int y, uint8_t index) {
    if (pixels_ && imageFormat_ == ifTrueColor)
        throw ERuvezevoError(SNoPalette);
    if (!pixels_ || x < 0 || y < 0 || x >= pixels_->Width() || y >= pixels_->Height())
        return;
    pixelSetter_(pixels_->ScanLine(y), x, index);
}

int TDibGraphic::GetXDpi() const {
    return static_cast<int>(RoundHalfEven(infoHeader_.biXPelsPerMeter * 0.0254));
}

int TDibGraphic::GetYDpi() const {
    return static_cast<int>(RoundHalfEven(infoHeader_.biYPelsPerMeter * 0.0254));
}

void TDibGraphic::SetXDpi(uint16_t dpi) {
    infoHeader_.biXPelsPerMeter = static_cast<int32_t>(RoundHalfEven(dpi * 39.37007874015748));
    SyncResolution();
}

void TDibGraphic::SetYDpi(uint16_t dpi) {
    infoHeader_.biYPelsPerMeter = static_cast<int32_t>(RoundHalfEven(dpi * 39.37007874015748));
    SyncResolution();
}

void TDibGraphic::SyncResolution() {
    if (pixels_) {
        pixels_->XPelsPerMeter = infoHeader_.biXPelsPerMeter;
        pixels_->YPelsPerMeter = infoHeader_.biYPelsPerMeter;
    }
}

HPALETTE TDibGraphic::DIBPalette() {
    if (!pixels_ || imageFormat_ == ifTrueColor)
        return nullptr;
    if (!paletteHandle_) {
        // Entries as stored: the palette's red field receives the blue byte.
        std::vector<PALETTEENTRY> entries(paletteRecord_.NumberOfEntries);
        for (size_t i = 0; i < entries.size(); ++i) {
            const uint32_t v = RawColor(paletteRecord_.Entries[i]);
            entries[i] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                          static_cast<uint8_t>(v >> 16), 0};
        }
        paletteHandle_ = CreatePalette(entries);
    }
    return paletteHandle_;
}

void TDibGraphic::ImportPalette(const HPALETTE& palette) {
    if (!palette || palette->Entries.empty())
        return;
    const size_t count = std::min<size_t>(palette->Entries.size(), 256);
    paletteRecord_.Version = 0x300;
    paletteRecord_.NumberOfEntries = static_cast<uint16_t>(count);
    for (size_t i = 0; i < count; ++i) {
        const PALETTEENTRY& e = palette->Entries[i];
        paletteRecord_.Entries[i] = Entry(e.peBlue, e.peGreen, e.peRed);
    }
    // Keep the pixels' colour table, the converter and the palette object in step.
    if (pixels_ && pixels_->Indexed()) {
        for (size_t i = 0; i < pixels_->ColorTable.size(); ++i)
            pixels_->ColorTable[i] = i < count ? RawColor(paletteRecord_.Entries[i]) : 0;
    }
    if (converter_)
        converter_->ClearCache();
    paletteHandle_.reset();
}

void TDibGraphic::ImportBitmapHandle(const HBITMAP& handle) {
    if (!handle || handle->Empty())
        throw EInvalidGraphic(SInvalidBitmap);
    const TPixelBuffer& source = *handle;
    uint8_t format;
    switch (source.BitsPerPixel()) {
    case 1: format = ifBlackWhite; break;
    case 4: format = ifColor16; break;
    case 8: format = ifColor256; break;
    case 16:
    case 24:
    case 32: format = ifTrueColor; break;
    default: throw ERuvezevoError(SUnsupportedBitCount);
    }
    TPaletteRecord palette;
    const TPaletteRecord* paletteArg = nullptr;
    if (source.Indexed() && !source.ColorTable.empty()) {
        palette.NumberOfEntries = static_cast<uint16_t>(std::min<size_t>(source.ColorTable.size(), 256));
        for (int i = 0; i < palette.NumberOfEntries; ++i)
            palette.Entries[size_t(i)] = TColorValue{source.ColorTable[size_t(i)] & 0xFFFFFF};
        paletteArg = &palette;
    }
    auto dpiOf = [](int32_t pelsPerMeter) -> uint16_t {
        if (pelsPerMeter <= 0)
            return 0;
        const int64_t dpi = RoundHalfEven(pelsPerMeter * 0.0254);
        return dpi < 0 || dpi > 65535 ? 0 : static_cast<uint16_t>(dpi);
    };
    NewImage(source.Width(), source.Height(), format, paletteArg, dpiOf(source.XPelsPerMeter),
             dpiOf(source.YPelsPerMeter));
    if (source.Depth() == pixels_->Depth()) {
        std::memcpy(pixels_->Bits(), source.Bits(), static_cast<size_t>(source.ByteCount()));
        return;
    }
    for (int y = 0; y < source.Height(); ++y) {
        uint8_t* row = pixels_->ScanLine(y);
        for (int x = 0; x < source.Width(); ++x)
            Set24(row, x, source.GetColor(x, y));
    }
}

void TDibGraphic::ImportNewBitmap(TBitmap& bitmap) {
    uint8_t format;
    switch (bitmap.PixelFormat()) {
    case pf1bit: format = ifBlackWhite; break;
    case pf4bit: format = ifColor16; break;
    case pf8bit: format = ifColor256; break;
    default: format = ifTrueColor; break;
    }
    try {
        NewImage(bitmap.Width(), bitmap.Height(), format, nullptr, 0, 0);
    } catch (const Exception&) {
        throw ERuvezevoError(SImportNewBitmapFailed);
    }
    // Copy the colours, mapped to the picture's colour table.
    const TPixelBuffer* source = bitmap.Handle().get();
    for (int y = 0; y < source->Height(); ++y)
        for (int x = 0; x < source->Width(); ++x)
            SetPixel(x, y, TColorValue{source->GetColor(x, y)});
}

TPackedDib TDibGraphic::ExportDIB() const { return TPackedDib::FromPixelsOrNone(pixels_.get()); }

void TDibGraphic::Assign(const TPersistent* source) {
    if (source == this)
        return;
    if (!source || dynamic_cast<const TDibGraphic*>(source)) {
        const auto* dib = static_cast<const TDibGraphic*>(source);
        FreeImage();
        if (dib && dib->GetWidth() > 0 && dib->GetHeight() > 0 && dib->pixels_) {
            NewImage(dib->GetWidth(), dib->GetHeight(), dib->imageFormat_, &dib->paletteRecord_,
                     static_cast<uint16_t>(dib->GetXDpi()), static_cast<uint16_t>(dib->GetYDpi()));
            infoHeader_.biXPelsPerMeter = dib->infoHeader_.biXPelsPerMeter;
            infoHeader_.biYPelsPerMeter = dib->infoHeader_.biYPelsPerMeter;
            SyncResolution();
            FrameInterval = dib->FrameInterval;
            std::memcpy(pixels_->Bits(), dib->pixels_->Bits(), static_cast<size_t>(pixels_->ByteCount()));
        }
        return;
    }
    if (const auto* clipboard = dynamic_cast<const TClipboard*>(source)) {
        auto& board = const_cast<TClipboard&>(*clipboard);
        board.Open();
        try {
            LoadFromClipboardFormat(CF_BITMAP, board.GetAsHandle(CF_BITMAP), board.GetPalette());
        } catch (...) {
            board.Close();
            throw;
        }
        board.Close();
        return;
    }
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        ImportBitmapHandle(bitmap->Handle());
        return;
    }
    if (const auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        NewImage(graphic->Width(), graphic->Height(), ifTrueColor, nullptr, 0, 0);
        std::memset(pixels_->Bits(), 0, static_cast<size_t>(pixels_->ByteCount()));
        graphic->Draw(canvas_, Rect(0, 0, GetWidth(), GetHeight()));
        return;
    }
    TGraphic::Assign(source);
}

void TDibGraphic::AssignTo(TPersistent* dest) const {
    if (auto* dib = dynamic_cast<TDibGraphic*>(dest)) {
        dib->Assign(this);
        return;
    }
    if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
        bitmap->SetPixelFormat(pf24bit);
        bitmap->SetSize(GetWidth(), GetHeight());
        if (!GetEmpty())
            Draw(bitmap->Canvas(), Rect(0, 0, GetWidth(), GetHeight()));
        return;
    }
    if (auto* icon = dynamic_cast<TIcon*>(dest)) {
        // The icon takes the picture in icon file form, written by the icon codec.
        TMemoryStream stream;
        if (const auto* self = dynamic_cast<const TIconGraphic*>(this)) {
            const_cast<TIconGraphic*>(self)->SaveToStream(stream);
        } else {
            TIconGraphic temporary;
            temporary.Assign(this);
            temporary.SaveToStream(stream);
        }
        stream.SetPosition(0);
        icon->LoadFromStream(stream);
        return;
    }
    throw ERuvezevoError(FormatStr(FormatStr(SCannotAssign, "TDibGraphic").c_str(),
                                   dest ? dest->ClassName() : std::string("nil")));
}

QImage TDibGraphic::ToQImage() const { return pixels_ ? pixels_->View() : QImage(); }

void TDibGraphic::Draw(TCanvas& canvas, const TRect& rect) const {
    if (!pixels_)
        return;
    canvas.DrawImage(rect, pixels_->View(), Rect(0, 0, GetWidth(), GetHeight()),
                     imageFormat_ != ifTrueColor);
}

int TDibGraphic::CanvasColorIndex(uint32_t colour) {
    return converter_ ? converter_->Lookup(TColorValue{colour}) : 0;
}

void TDibGraphic::LoadFromClipboardFormat(uint16_t format, HBITMAP data, HPALETTE) {
    if (format != CF_BITMAP || !data)
        throw EInvalidGraphic(FormatInt(SUnknownClipboardFormat, format));
    ImportBitmapHandle(data);
}

void TDibGraphic::SaveToClipboardFormat(uint16_t& format, HBITMAP& data, HPALETTE&) {
    format = CF_BITMAP;
    if (!pixels_)
        throw ERuvezevoError(SCreateBitmapFailed);
    const int depth = imageFormat_ == ifBlackWhite ? 1 : 24;
    auto bitmap = std::make_shared<TPixelBuffer>(
        ConvertPixels(*pixels_, depth, DefaultBitmapColorTable(depth)));
    data = std::move(bitmap);
}

int TDibGraphic::GetImageCount(TStream&) { return 1; }

void TDibGraphic::ReadImage(TStream&, int) {}

void TDibGraphic::AppendToStream(TStream&) {
    throw ERuvezevoError(FormatStr(SNoMultipleImages, ClassName()));
}

void TDibGraphic::SaveToStream(TStream&) {}

void TDibGraphic::LoadFromStream(TStream& stream) {
    const bool wasAnimating = animate_;
    SetAnimate(false);
    int count = 1;
    int64_t start = 0;
    if (LoadAllFrames) {
        start = stream.Position();
        count = GetImageCount(stream);
        if (count == 1)
            LoadAllFrames = false;
    }
    if (LoadAllFrames) {
        for (int index = 1; index <= count; ++index) {
            std::unique_ptr<TDibGraphic> frame = NewInstance();
            stream.Seek(start, soBeginning);
            frame->ReadImage(stream, index);
            Frames.push_back(std::move(frame));
        }
        // A load appends frames; show the first of the list.
        currentFrame_ = -1;
        SetCurrentFrame(1);
    } else {
        ReadImage(stream, ImageIndex);
    }
    SetAnimate(wasAnimating);
}

void TDibGraphic::SetCurrentFrame(int frame) {
    if (frame == currentFrame_)
        return;
    if (frame < 1 || frame > FrameCount())
        throw ERuvezevoError(FormatInt(SFrameDoesNotExist, frame));
    Assign(Frames[size_t(frame - 1)].get());
    Changed();
    Application.ProcessMessages();
    currentFrame_ = frame;
}

void TDibGraphic::SetAnimate(bool animate) {
    animate_ = animate;
    if (animate && !Frames.empty()) {
        frameTimer_->setInterval(FrameInterval);
        frameTimer_->start();
    } else {
        frameTimer_->stop();
    }
}

void TDibGraphic::FrameStep() {
    if (Frames.empty())
        return;
    frameTimer_->stop();
    SetCurrentFrame(currentFrame_ >= FrameCount() ? 1 : currentFrame_ + 1);
    frameTimer_->setInterval(FrameInterval);
    frameTimer_->start();
}

}  // namespace lumvor
