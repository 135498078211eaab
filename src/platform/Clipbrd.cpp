#include "platform/Clipbrd.h"

#include "platform/SysUtils.h"

#include <QClipboard>
#include <QGuiApplication>

namespace lumvor {

namespace {

QClipboard* Board() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard()
                                                                      : nullptr;
}

}  // namespace

bool TClipboard::HasFormat(uint16_t format) const {
    QClipboard* board = Board();
    return board && (format == CF_BITMAP || format == CF_DIB) && !board->image().isNull();
}

HBITMAP TClipboard::GetAsHandle(uint16_t format) const {
    QClipboard* board = Board();
    if (!board || format != CF_BITMAP)
        return nullptr;
    const QImage image = board->image();
    if (image.isNull())
        return nullptr;
    return std::make_shared<TPixelBuffer>(PixelBufferFromImage(image));
}

HPALETTE TClipboard::GetPalette() const {
    const HBITMAP bitmap = GetAsHandle(CF_BITMAP);
    return bitmap && bitmap->Indexed() ? PaletteFromColorTable(bitmap->ColorTable) : nullptr;
}

void TClipboard::Assign(const TPersistent* source) {
    auto* graphic = dynamic_cast<const TGraphic*>(source);
    if (!graphic) {
        TPersistent::Assign(source);
        return;
    }
    uint16_t format = 0;
    HBITMAP data;
    HPALETTE palette;
    const_cast<TGraphic*>(graphic)->SaveToClipboardFormat(format, data, palette);
    SetAsHandle(format, data);
}

void TClipboard::SetAsHandle(uint16_t format, const HBITMAP& bitmap) {
    QClipboard* board = Board();
    if (!board || format != CF_BITMAP || !bitmap || bitmap->Empty())
        return;
    // Qt answers a null image when it cannot allocate one.
    const QImage image = bitmap->ToRgbImage();
    if (image.isNull())
        throw EOutOfMemory("Not enough memory for the clipboard image.");
    if (ClipboardImageWriter)
        ClipboardImageWriter(image);
    else
        board->setImage(image);
}

void TClipboard::Clear() {
    if (QClipboard* board = Board())
        board->clear();
}

TClipboard& Clipboard() {
    static TClipboard clipboard;
    return clipboard;
}

}  // namespace lumvor
