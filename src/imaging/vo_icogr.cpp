#include "imaging/vo_icogr.h"

#include <cstring>

namespace lumvor {

std::unique_ptr<TDibGraphic> TIconGraphic::NewInstance() const { return std::make_unique<TIconGraphic>(); }

void TIconGraphic::ReadImage(TStream& stream, int /*index*/) {
    TIcon icon;
    icon.LoadFromStream(stream);
    const int width = icon.Width();
    const int height = icon.Height();
    NewImage(width, height, 5, nullptr, 0, 0);
    // Start from black so that the icon's transparent pixels stay black.
    std::memset(ScanLine(0), 0, static_cast<size_t>(height) * static_cast<size_t>(RowBytes()));
    icon.Draw(Canvas(), Rect(0, 0, width, height));
}

void TIconGraphic::SaveToStream(TStream& stream) {
    ICONINFO info;
    info.fIcon = true;
    info.xHotspot = 0;
    info.yHotspot = 0;
    const int width = GetSystemMetrics(SM_CXICON);
    const int height = GetSystemMetrics(SM_CYICON);
    TBitmap colour;
    TBitmap mask;
    colour.SetPixelFormat(pf24bit);
    colour.SetSize(width, height);
    mask.SetPixelFormat(pf1bit);
    mask.SetSize(width, height);
    // Every pixel of the icon is opaque.
    mask.Canvas().Brush.Color = clBlack;
    mask.Canvas().FillRect(Rect(0, 0, width, height));
    // A picture smaller than the icon leaves black, not whatever the new
    // bitmap held.
    colour.Canvas().Brush.Color = clBlack;
    colour.Canvas().FillRect(Rect(0, 0, width, height));
    colour.Canvas().Draw(0, 0, *this);
    info.hbmMask = mask.Handle();
    info.hbmColor = colour.Handle();
    TIcon icon;
    icon.SetHandle(CreateIconIndirect(info));
    icon.SaveToStream(stream);
}

}  // namespace lumvor
