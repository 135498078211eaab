// The class library's clipboard over QClipboard's image.
//
// A bitmap on the clipboard is exchanged as a bitmap object (HBITMAP): 1-bit
// and 8-bit indexed images keep their depth, anything else becomes 24 bits.
#pragma once

#include "platform/Graphics.h"

#include <functional>

namespace lumvor {

class TClipboard : public TPersistent {
public:
    std::string ClassName() const override { return "TClipboard"; }
    void Open() { ++openCount_; }
    void Close() {
        if (openCount_ > 0)
            --openCount_;
    }
    // True for CF_BITMAP (and CF_DIB) while the clipboard holds an image.
    bool HasFormat(uint16_t format) const;
    // The clipboard's image as a bitmap object (CF_BITMAP), or none.
    HBITMAP GetAsHandle(uint16_t format) const;
    // The palette of an indexed clipboard image, or none.
    HPALETTE GetPalette() const;
    // Puts a graphic on the clipboard through its SaveToClipboardFormat.
    void Assign(const TPersistent* source) override;
    // Puts a bitmap object on the clipboard as an image; raises EOutOfMemory
    // when the image cannot be made (too large for the memory at hand).
    void SetAsHandle(uint16_t format, const HBITMAP& bitmap);
    void Clear();

private:
    int openCount_ = 0;
};

// When set, the images the clipboard is given go here instead of the system
// clipboard; an exception raised here is a failed write. For tests.
inline std::function<void(const QImage&)> ClipboardImageWriter;

// The application's clipboard object.
TClipboard& Clipboard();

}  // namespace lumvor
