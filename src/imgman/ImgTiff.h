// TIFF files in the imaging library: every page, through the TIFF codec where
// it reads the page and through libtiff's RGBA reader where it refuses it (LZW,
// JPEG compression). Errors of libtiff are caught on each handle alone.
#pragma once

#include "imgman/ImgFormats.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace lumvor::imgman {

// Opens a TIFF file image and counts its pages; raises EImgError when libtiff
// cannot read its first directory. No page is decoded yet.
std::unique_ptr<TImgImage> OpenTiffImage(std::vector<uint8_t> data);

}  // namespace lumvor::imgman
