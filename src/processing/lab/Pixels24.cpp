#include "processing/lab/Pixels24.h"

#include "platform/SysUtils.h"

namespace lumvor {

bool LabEmpty(const TBitmap& Bitmap) { return Bitmap.GetEmpty() || Bitmap.Width() <= 0 || Bitmap.Height() <= 0; }

void Require24Bit(const TBitmap& Bitmap) {
    if (LabEmpty(Bitmap))
        return;
    if (PixelFormatDepth(Bitmap.PixelFormat()) != 24 || Bitmap.RowBytes() < 3 * int64_t(Bitmap.Width()))
        throw EInvalidGraphic("The picture must have 24 bits per pixel for this command.");
}

}  // namespace lumvor
