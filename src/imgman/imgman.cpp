#include "imgman/imgman.h"

#include "imgman/ImgEffects.h"
#include "imgman/ImgFormats.h"
#include "imgman/ImgReduce.h"
#include "imgman/ImgResample.h"
#include "imgman/ImgTransform.h"
#include "platform/MessageHook.h"
#include "platform/Streams.h"

#include <QPainter>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

namespace lumvor {

namespace imgman {

namespace {

std::mutex tableLock;
std::map<int, std::shared_ptr<TImgImage>> images;
int lastHandle = 0;
std::string lastError;

void SetError(const std::string& text) {
    std::lock_guard lock(tableLock);
    lastError = text;
}

int Register(std::unique_ptr<TImgImage> image) {
    std::lock_guard lock(tableLock);
    // Handles are never reused while the library runs, so a stale handle
    // cannot reach a later picture.
    do {
        lastHandle = lastHandle == INT32_MAX ? 1 : lastHandle + 1;
    } while (images.count(lastHandle));
    images.emplace(lastHandle, std::move(image));
    return lastHandle;
}

std::shared_ptr<TImgImage> Find(int handle) {
    std::unique_lock lock(tableLock);
    auto it = images.find(handle);
    if (it == images.end() || !it->second) {
        lastError = SInvalidHandle;
        return nullptr;
    }
    return it->second;
}

// Runs body; an exception becomes the last error text and the result `failed`.
template <typename F, typename R>
R Protect(R failed, F&& body) noexcept {
    try {
        return body();
    } catch (const Exception& e) {
        SetError(e.Message());
    } catch (const std::bad_alloc&) {
        SetError("Out of memory.");
    } catch (const std::exception& e) {
        SetError(e.what());
    } catch (...) {
        SetError("Unexpected failure.");
    }
    return failed;
}

// Stores one number of the picture at `out`; 1 on success.
int StoreField(int handle, int32_t* out, int TImgImage::*field) {
    auto image = Find(handle);
    if (!image || !out)
        return 0;
    *out = (*image).*field;
    return 1;
}

int OpenData(std::vector<uint8_t> data, const std::string& type) {
    return Protect(0, [&] { return Register(ReadImage(std::move(data), type)); });
}

std::unique_ptr<TImgImage> ImageOf(TPixelBuffer pixels) {
    auto image = std::make_unique<TImgImage>();
    image->Pixels = NormalizeDepth(std::move(pixels));
    return image;
}

// The destination rectangle of ImgPrintImage (right and bottom inclusive)
// with exclusive right and bottom.
TRect Exclusive(const TRect& r) {
    return Rect(std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right) + 1,
                std::max(r.Top, r.Bottom) + 1);
}

// Copies the picture unchanged into pixels at (left, top), clipped.
void CopyInto(const TPixelBuffer& picture, TPixelBuffer& target, int left, int top) {
    const int x0 = std::max(0, -left), y0 = std::max(0, -top);
    const int x1 = std::min(picture.Width(), target.Width() - left);
    const int y1 = std::min(picture.Height(), target.Height() - top);
    const int bytes = picture.Depth() >= 8 ? picture.BitsPerPixel() / 8 : 0;
    for (int y = y0; y < y1; ++y) {
        if (bytes > 0) {
            std::copy_n(picture.ScanLine(y) + int64_t(x0) * bytes, int64_t(x1 - x0) * bytes,
                        target.ScanLine(y + top) + int64_t(x0 + left) * bytes);
        } else {
            for (int x = x0; x < x1; ++x)
                target.SetIndex(x + left, y + top, picture.GetIndex(x, y));
        }
    }
}

// Runs paint(picture, source rectangle) for the handle's picture; 1 on success.
template <typename Paint>
int Draw(int handle, const TRect* source, Paint&& paint) {
    auto image = Find(handle);
    if (!image)
        return 0;
    return Protect(0, [&] {
        const TPixelBuffer& picture = image->Pixels;
        paint(picture, source ? *source : Rect(0, 0, picture.Width(), picture.Height()));
        return 1;
    });
}

int Draw(int handle, TCanvas& canvas, const TRect& dest, const TRect* source) {
    return Draw(handle, source, [&](const TPixelBuffer& picture, const TRect& src) {
        TPixelBuffer* target = canvas.Pixels();
        if (!target || target->Empty())
            throw EInvalidGraphic(SNoSurface);
        if (!source && target->Depth() == picture.Depth() && target->ColorTable == picture.ColorTable &&
            dest.Width() == picture.Width() && dest.Height() == picture.Height()) {
            CopyInto(picture, *target, dest.Left, dest.Top);
        } else {
            canvas.DrawImage(dest, picture.ToRgbImage(), src, false);
        }
    });
}

int Draw(int handle, QPainter& painter, const TRect& dest, const TRect* source) {
    return Draw(handle, source, [&](const TPixelBuffer& picture, const TRect& src) {
        if (!painter.isActive())
            throw EInvalidGraphic("The device is not ready for drawing.");
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(QRectF(dest.Left, dest.Top, dest.Width(), dest.Height()), picture.ToRgbImage(),
                          QRectF(src.Left, src.Top, src.Width(), src.Height()));
        painter.restore();
    });
}

}  // namespace

std::string LastErrorText() {
    std::lock_guard lock(tableLock);
    return lastError;
}

void SetLastError(const std::string& text) { SetError(text); }

}  // namespace imgman

using namespace imgman;

int ImgInit() {
    SetError("");
    return 1;
}

int ImgShutdown() {
    {
        std::lock_guard lock(tableLock);
        images.clear();
    }
    ShutdownScanner();
    return 1;
}

int ImgOpenSolo(const std::string& fileName, int) {
    return Protect(0, [&] {
        TMemoryStream file;
        file.LoadFromFile(fileName);
        std::vector<uint8_t> data(file.Memory(), file.Memory() + file.Size());
        file.Clear();
        const size_t dot = fileName.find_last_of("./");
        return OpenData(std::move(data),
                        dot != std::string::npos && fileName[dot] == '.' ? fileName.substr(dot) : "");
    });
}

int ImgOpenMem(const uint8_t* data, int64_t size, const std::string& type) {
    if (!data || size <= 0) {
        SetError(SUnknownFormat);
        return 0;
    }
    return Protect(0, [&] { return OpenData(std::vector<uint8_t>(data, data + size), type); });
}

int ImgFromDIB(const TPackedDib& dib) {
    return Protect(0, [&] { return Register(ImageOf(dib.ToPixels())); });
}

int ImgClose(int handle) {
    std::lock_guard lock(tableLock);
    if (images.erase(handle) == 0) {
        lastError = SInvalidHandle;
        return 0;
    }
    return 1;
}

int ImgGetInfoStruct(int handle, IMGINFO* info) {
    auto image = Find(handle);
    if (!image || !info)
        return 0;
    const TPixelBuffer& p = image->Pixels;
    IMGINFO result;
    result.Header.biWidth = p.Width();
    result.Header.biHeight = p.Height();
    result.Header.biPlanes = 1;
    result.Header.biBitCount = static_cast<uint16_t>(p.BitsPerPixel());
    result.Header.biSizeImage = static_cast<uint32_t>(std::min<int64_t>(p.ByteCount(), UINT32_MAX));
    result.Header.biXPelsPerMeter = p.XPelsPerMeter;
    result.Header.biYPelsPerMeter = p.YPelsPerMeter;
    result.Header.biClrUsed = static_cast<uint32_t>(p.Indexed() ? p.ColorTable.size() : 0);
    result.PageCount = image->PageCount;
    result.Page = image->Page;
    *info = result;
    return 1;
}

int ImgPageCount(int handle, int32_t* count) { return StoreField(handle, count, &TImgImage::PageCount); }

int ImgSetPage(int handle, int page) {
    auto image = Find(handle);
    if (!image)
        return 0;
    if (page == image->Page)
        return 1;
    return Protect(0, [&] {
        image->LoadPage(page);
        return 1;
    });
}

int ImgGetPage(int handle, int32_t* page) { return StoreField(handle, page, &TImgImage::Page); }

int ImgCopy(int handle, int width, int height, const TRect* source, int32_t flags) {
    auto image = Find(handle);
    if (!image)
        return 0;
    return Protect(0, [&] {
        const TPixelBuffer& p = image->Pixels;
        TRect rect = source ? *source : Rect(0, 0, p.Width(), p.Height());
        rect = Rect(std::max(rect.Left, 0), std::max(rect.Top, 0), std::min(rect.Right, p.Width()),
                    std::min(rect.Bottom, p.Height()));
        if (rect.Width() <= 0 || rect.Height() <= 0 || width <= 0 || height <= 0)
            throw EImgError(Format(SInvalidCopySize, width, height));
        return Register(ImageOf(ResamplePixels(p, rect, width, height, flags)));
    });
}

HPALETTE ImgGetPalette(int handle) {
    auto image = Find(handle);
    if (!image || !image->Pixels.Indexed())
        return nullptr;
    return PaletteFromColorTable(image->Pixels.ColorTable);
}

int ImgPrintImage(int handle, TCanvas& canvas, const TRect& rect, int) {
    return Draw(handle, canvas, Exclusive(rect), nullptr);
}

int ImgPrintImage(int handle, QPainter& painter, const TRect& rect, int) {
    return Draw(handle, painter, Exclusive(rect), nullptr);
}

int ImgDrawImage(int handle, TCanvas& canvas, const TRect& dest, const TRect& source) {
    return Draw(handle, canvas, dest, &source);
}

int ImgDrawImage(int handle, QPainter& painter, const TRect& dest, const TRect& source) {
    return Draw(handle, painter, dest, &source);
}

namespace {

bool EmptyRect(const TRect& r) { return r.Width() <= 0 || r.Height() <= 0; }

// The surface's pixels; none (with the error text set) when it has none or a
// rectangle is empty.
TPixelBuffer* SurfacePixels(const TImgSurface& surface, const TRect& dest, const TRect& source) {
    TPixelBuffer* pixels = surface.Bitmap ? surface.Bitmap->Canvas().Pixels() : nullptr;
    if (!pixels || pixels->Empty()) {
        SetError(SNoSurface);
        return nullptr;
    }
    if (EmptyRect(dest) || EmptyRect(source)) {
        SetError(SEmptyRectangle);
        return nullptr;
    }
    return pixels;
}

// The part of dest inside the surface (may be empty).
TRect VisiblePart(const TPixelBuffer& pixels, const TRect& dest) {
    return Rect(std::max(dest.Left, 0), std::max(dest.Top, 0), std::min(dest.Right, pixels.Width()),
                std::min(dest.Bottom, pixels.Height()));
}

void ShowPart(const TImgSurface& surface, const TRect& part) {
    if (surface.Show && !EmptyRect(part))
        surface.Show(part);
}

// What ImgDrawImage draws into `area` of a surface of this size and format,
// as pixels of the area's size; empty when the picture could not be drawn.
TPixelBuffer DrawnPixels(int handle, const TBitmap& like, const TRect& dest, const TRect& source, const TRect& area) {
    TBitmap scratch;
    scratch.SetPixelFormat(like.PixelFormat());
    scratch.SetSize(like.Width(), like.Height());
    if (!Draw(handle, scratch.Canvas(), dest, &source))
        return {};
    const TPixelBuffer& drawn = *scratch.Canvas().Pixels();
    TPixelBuffer pixels(area.Width(), area.Height(), drawn.Depth());
    const int64_t bytes = int64_t(area.Width()) * (drawn.BitsPerPixel() / 8);
    for (int y = 0; y < area.Height(); ++y)
        std::copy_n(drawn.ScanLine(area.Top + y) + int64_t(area.Left) * (drawn.BitsPerPixel() / 8), bytes,
                    pixels.ScanLine(y));
    return pixels;
}

}  // namespace

int ImgDrawImage(int handle, const TImgSurface& surface, const TRect& dest, const TRect& source) {
    TPixelBuffer* pixels = SurfacePixels(surface, dest, source);
    if (!pixels)
        return 0;
    if (!ImgDrawImage(handle, surface.Bitmap->Canvas(), dest, source))
        return 0;
    ShowPart(surface, VisiblePart(*pixels, dest));
    return 1;
}

int ImgDrawImageFX(int handle, const TImgSurface& surface, const TRect& dest, const TRect& source, int effect,
                   int variant, int parameter, const TImgFxCallback& callback, int pause, int granularity, int) {
    if (!Find(handle))
        return 0;
    TPixelBuffer* pixels = SurfacePixels(surface, dest, source);
    if (!pixels)
        return 0;
    const TRect area = VisiblePart(*pixels, dest);
    if (EmptyRect(area))
        return 1;  // none of it shows
    if (pixels->BitsPerPixel() < 24)
        return ImgDrawImage(handle, surface, dest, source);
    return Protect(0, [&] {
        TPixelBuffer drawn = DrawnPixels(handle, *surface.Bitmap, dest, source, area);
        if (drawn.Empty())
            return 0;
        auto transition = MakeTransition(*pixels, area, std::move(drawn), effect, variant, parameter, granularity);
        const int steps = transition->StepCount();
        const bool waits = callback && pause != 255;
        for (int k = 1; k <= steps; ++k) {
            ShowPart(surface, transition->Step(k));
            if (k < steps && waits && callback(k, steps, pause)) {
                ShowPart(surface, transition->Finish());
                break;
            }
        }
        return 1;
    });
}

int ImgRotate(int handle, int angle, uint32_t fill) {
    auto image = Find(handle);
    if (!image)
        return 0;
    return Protect(0, [&] { return Register(ImageOf(RotatePixels(image->Pixels, angle, fill))); });
}

int ImgMirror(int handle, int vertical, int horizontal) {
    auto image = Find(handle);
    if (!image)
        return 0;
    return Protect(0, [&] {
        MirrorPixels(image->Pixels, vertical != 0, horizontal != 0);
        return 1;
    });
}

int ImgReduceColors(int handle, int colours, int32_t flags) {
    if (ReduceObserver)
        ReduceObserver(colours, flags);
    auto image = Find(handle);
    if (!image)
        return 0;
    return Protect(0, [&] { return Register(ImageOf(ReducePixels(image->Pixels, colours, flags))); });
}

int ImgIncreaseColors(int handle, int bits) {
    auto image = Find(handle);
    if (!image)
        return 0;
    return Protect(0, [&] {
        const TPixelBuffer& p = image->Pixels;
        if ((bits != 4 && bits != 8 && bits != 24) || bits < p.Depth())
            throw EImgError(Format(SInvalidPromotion, p.Depth(), bits));
        return Register(ImageOf(ChangeDepth(p, bits)));
    });
}

int ImgErrBox(QWidget*) {
    std::string text = LastErrorText();
    if (text.empty())
        text = "No error.";
    ShowHookedMessage(text, TMessageKind::Error);
    return 1;
}

}  // namespace lumvor
