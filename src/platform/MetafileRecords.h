// The record readers of the metafile player (Metafile.cpp): what the WMF and
// EMF players share, and each player's record dispatcher. Every read goes
// through TBytes, so a record never leads outside its own bytes.
#pragma once

#include "platform/MetafileCanvas.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <span>

namespace lumvor::metafile {

constexpr uint32_t kSourceCopy = 0x00CC0020;  // SRCCOPY
// Bitmaps inside a metafile are decoded only up to this many pixels.
constexpr int64_t kMaxEmbeddedPixels = int64_t(1) << 26;

// A DIB given as its header block (info header, masks, colour table) and its
// bits; a null picture when it is malformed or too large.
QImage DibImage(std::span<const uint8_t> header, std::span<const uint8_t> bits);
// A packed DIB (header block, then bits) that starts at `at` of the record.
QImage PackedDibImage(const TBytes& record, size_t at);
// ANSI text (Windows-1252) up to its first NUL.
QString AnsiText(std::span<const uint8_t> bytes);
// A LOGFONT at `at`: 16-bit numbers in a WMF, 32-bit in an EMF; the face
// name in ANSI or UTF-16.
TFontObject ReadLogFont(const TBytes& r, size_t at, bool wide, bool thirtyTwoBit);
TGdiObject PenObject(uint32_t style, double width, uint32_t colour);
TGdiObject BrushObject(uint32_t style, uint32_t colour, uint32_t hatch, QImage pattern = {});
TGdiObject FontObject(const TFontObject& font);
// A palette or region: it takes a slot but selects nothing.
TGdiObject OtherObject();

namespace wmf {

enum : uint16_t {
    EOF_ = 0x0000, SAVEDC = 0x001E, REALIZEPALETTE = 0x0035, CREATEPALETTE = 0x00F7, SETBKMODE = 0x0102,
    SETMAPMODE = 0x0103, SETROP2 = 0x0104, SETPOLYFILLMODE = 0x0106, RESTOREDC = 0x0127, SELECTOBJECT = 0x012D,
    SETTEXTALIGN = 0x012E, DIBCREATEPATTERNBRUSH = 0x0142, DELETEOBJECT = 0x01F0, SETBKCOLOR = 0x0201,
    SETTEXTCOLOR = 0x0209, SETWINDOWORG = 0x020B, SETWINDOWEXT = 0x020C, OFFSETWINDOWORG = 0x020F,
    LINETO = 0x0213, MOVETO = 0x0214, CREATEPENINDIRECT = 0x02FA, CREATEFONTINDIRECT = 0x02FB,
    CREATEBRUSHINDIRECT = 0x02FC, POLYGON = 0x0324, POLYLINE = 0x0325, SCALEWINDOWEXT = 0x0410,
    EXCLUDECLIPRECT = 0x0415, INTERSECTCLIPRECT = 0x0416, ELLIPSE = 0x0418, RECTANGLE = 0x041B,
    SETPIXEL = 0x041F, TEXTOUT = 0x0521, POLYPOLYGON = 0x0538, PATBLT = 0x061D, ROUNDRECT = 0x061C,
    CREATEREGION = 0x06FF, ARC = 0x0817, PIE = 0x081A, CHORD = 0x0830, DIBBITBLT = 0x0940,
    EXTTEXTOUT = 0x0A32, DIBSTRETCHBLT = 0x0B41, STRETCHDIB = 0x0F43,
};

// Plays one record (its 6-byte head included) onto the canvas.
void PlayRecord(TMetaCanvas& canvas, const TBytes& record, uint16_t function);

}  // namespace wmf

namespace emf {

enum : uint32_t {
    HEADER = 1, POLYBEZIER, POLYGON, POLYLINE, POLYBEZIERTO, POLYLINETO, POLYPOLYLINE, POLYPOLYGON,
    SETWINDOWEXTEX, SETWINDOWORGEX, SETVIEWPORTEXTEX, SETVIEWPORTORGEX, SETBRUSHORGEX, EOF_, SETPIXELV,
    SETMAPPERFLAGS, SETMAPMODE, SETBKMODE, SETPOLYFILLMODE, SETROP2, SETSTRETCHBLTMODE, SETTEXTALIGN,
    SETCOLORADJUSTMENT, SETTEXTCOLOR, SETBKCOLOR, OFFSETCLIPRGN, MOVETOEX, SETMETARGN, EXCLUDECLIPRECT,
    INTERSECTCLIPRECT, SCALEVIEWPORTEXTEX, SCALEWINDOWEXTEX, SAVEDC, RESTOREDC, SETWORLDTRANSFORM,
    MODIFYWORLDTRANSFORM, SELECTOBJECT, CREATEPEN, CREATEBRUSHINDIRECT, DELETEOBJECT, ANGLEARC, ELLIPSE,
    RECTANGLE, ROUNDRECT, ARC, CHORD, PIE, SELECTPALETTE, CREATEPALETTE, SETPALETTEENTRIES, RESIZEPALETTE,
    REALIZEPALETTE, EXTFLOODFILL, LINETO, ARCTO, POLYDRAW, SETARCDIRECTION, SETMITERLIMIT, BEGINPATH,
    ENDPATH, CLOSEFIGURE, FILLPATH, STROKEANDFILLPATH, STROKEPATH, FLATTENPATH, WIDENPATH, SELECTCLIPPATH,
    ABORTPATH, GDICOMMENT = 70, FILLRGN, FRAMERGN, INVERTRGN, PAINTRGN, EXTSELECTCLIPRGN, BITBLT, STRETCHBLT,
    MASKBLT, PLGBLT, SETDIBITSTODEVICE, STRETCHDIBITS, EXTCREATEFONTINDIRECTW, EXTTEXTOUTA, EXTTEXTOUTW,
    POLYBEZIER16, POLYGON16, POLYLINE16, POLYBEZIERTO16, POLYLINETO16, POLYPOLYLINE16, POLYPOLYGON16,
    POLYDRAW16, CREATEMONOBRUSH, CREATEDIBPATTERNBRUSHPT, EXTCREATEPEN,
};

// Plays one record (its 8-byte head included) onto the canvas.
void PlayRecord(TMetaCanvas& canvas, const TBytes& r, uint32_t type);

}  // namespace emf

}  // namespace lumvor::metafile
