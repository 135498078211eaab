// The pictures behind the imaging library's handles, and the readers that
// make them from file images.
//
// A file image is recognised by its signature (TIFF, BMP, PNG, GIF, PSD, JPEG,
// DCX, PCX, FlashPix); TGA, which has none, by the type or extension given.
// Single-picture formats are decoded once. DCX and TIFF keep the file image
// and decode the selected page on demand. Failures raise EImgError (or the
// codec's exception) with the reason; nothing is left half-made.
#pragma once

#include "platform/PixelBuffer.h"
#include "platform/SysUtils.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lumvor::imgman {

LUMVOR_EXCEPTION(EImgError, Exception);

// One picture of the library: its pages and the selected page's pixels
// (depth 1, 4, 8 with colour table, or 24).
class TImgImage {
public:
    virtual ~TImgImage() = default;
    int PageCount = 1;
    int Page = 0;
    TPixelBuffer Pixels;
    // Decodes `page` (0-based) into Pixels and selects it; raises on failure
    // with the selection and Pixels unchanged.
    virtual void LoadPage(int page);
};

// Reads the first page of a file image. `typeHint` is an extension or type
// name (".TGA", "TIF", "BMP"; any case) used when the signature says nothing.
std::unique_ptr<TImgImage> ReadImage(std::vector<uint8_t> data, const std::string& typeHint);

// Sets the text ImgErrBox shows.
void SetLastError(const std::string& text);
// Releases SANE when it was started (ImgShutdown).
void ShutdownScanner();

// A new picture of depth 1 (black and white table), 8 (grey ramp) or 24.
TPixelBuffer BlackWhiteOrGrey(int width, int height, int depth);

// The pixels at a depth the library keeps: 1, 4, 8 and 24 stay, 15, 16 and
// 32 become 24.
TPixelBuffer NormalizeDepth(TPixelBuffer pixels);

}  // namespace lumvor::imgman
