#include "platform/MetafileRecords.h"

#include "platform/Classes.h"
#include "platform/PackedDib.h"
#include "platform/SysUtils.h"

#include <algorithm>
#include <cstdlib>

namespace lumvor::metafile {

namespace {

// The length of a packed DIB's header block (info header, masks, colour table).
size_t DibHeaderBlockSize(const TBytes& dib, size_t at) {
    const uint32_t headerSize = dib.U32(at);
    if (headerSize == 12) {
        const uint16_t bits = dib.U16(at + 10);
        return 12 + (bits <= 8 ? size_t(3) << bits : 0);
    }
    if (headerSize < 40 || headerSize > 1024)
        return 0;
    const uint16_t bits = dib.U16(at + 14);
    const uint32_t compression = dib.U32(at + 16);
    uint32_t colours = dib.U32(at + 32);
    if (bits <= 8 && (colours == 0 || colours > (1u << bits)))
        colours = 1u << bits;
    if (bits > 8 && colours > 256)
        colours = 0;
    size_t size = headerSize + size_t(colours) * 4;
    if (headerSize == 40 && (compression == 3 || compression == 6))
        size += compression == 3 ? 12 : 16;
    return size;
}

QString FaceName(std::span<const uint8_t> bytes, bool wide) {
    if (wide) {
        QString face;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
            const char16_t c = static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
            if (c == 0)
                break;
            face += QChar(c);
        }
        return face;
    }
    return AnsiText(bytes);
}

}  // namespace

// A DIB whose header block and bits lie in the metafile; a null picture when
// it is malformed or too large.
QImage DibImage(std::span<const uint8_t> header, std::span<const uint8_t> bits) {
    TBytes h(header);
    if (!h.Has(0, 16))
        return {};
    const uint32_t headerSize = h.U32(0);
    int64_t width = 0, height = 0;
    if (headerSize == 12) {
        width = h.U16(4);
        height = h.U16(6);
    } else {
        width = h.I32(4);
        height = h.I32(8);
    }
    if (width <= 0 || height == 0 || width * std::abs(height) > kMaxEmbeddedPixels)
        return {};
    try {
        TPixelBuffer pixels = DecodeDib(header, bits);
        return pixels.ToRgbImage();
    } catch (const Exception&) {
        return {};
    }
}


QImage PackedDibImage(const TBytes& record, size_t at) {
    const size_t headerBlock = DibHeaderBlockSize(record, at);
    if (headerBlock == 0 || !record.Has(at, headerBlock))
        return {};
    return DibImage(record.Sub(at, headerBlock), record.Sub(at + headerBlock, record.Size() - at - headerBlock));
}

// Text of an ANSI record as the font's character set reads it.
QString AnsiText(std::span<const uint8_t> bytes) {
    std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return QString::fromStdString(Cp1252ToUtf8(raw.substr(0, raw.find('\0'))));
}


TFontObject ReadLogFont(const TBytes& r, size_t at, bool wide, bool thirtyTwoBit) {
    // LOGFONT: the numbers are 16 bits wide in a WMF and 32 bits in an EMF.
    const size_t step = thirtyTwoBit ? 4 : 2;
    auto number = [&](int index) {
        return thirtyTwoBit ? r.I32(at + step * index) : static_cast<int32_t>(r.I16(at + step * index));
    };
    TFontObject font;
    font.Height = number(0);
    font.Escapement = number(2) % 3600;
    font.Weight = number(4);
    const size_t flags = at + step * 5;
    font.Italic = r.U8(flags) != 0;
    font.Underline = r.U8(flags + 1) != 0;
    font.StrikeOut = r.U8(flags + 2) != 0;
    const size_t faceAt = flags + 8;
    const size_t faceBytes = wide ? 64 : 32;
    font.Face = FaceName(r.Sub(faceAt, std::min(faceBytes, r.Size() > faceAt ? r.Size() - faceAt : 0)), wide);
    return font;
}

// A pen, brush or font record's object, or an object that selects nothing.
TGdiObject PenObject(uint32_t style, double width, uint32_t colour) {
    TGdiObject object;
    object.Kind = TObjectKind::Pen;
    object.Pen = TPenObject{style, width, ColorRef(colour)};
    return object;
}

TGdiObject BrushObject(uint32_t style, uint32_t colour, uint32_t hatch, QImage pattern) {
    TGdiObject object;
    object.Kind = TObjectKind::Brush;
    object.Brush = TBrushObject{style, hatch, ColorRef(colour), std::move(pattern)};
    return object;
}

TGdiObject FontObject(const TFontObject& font) {
    TGdiObject object;
    object.Kind = TObjectKind::Font;
    object.Font = font;
    return object;
}

TGdiObject OtherObject() {
    TGdiObject object;
    object.Kind = TObjectKind::Other;
    return object;
}

}  // namespace lumvor::metafile
