// Preparing a slide picture: loading it into the imaging library by its
// extension, then sizing, turning and gamma-correcting it for the slide show
// and for the open with a display aspect.
#include "app/lumv8900.h"

#include "imaging/OpenPicture.h"
#include "app/SlideSizing.h"
#include "imaging/AvlScript.h"
#include "imaging/Helpers.h"
#include "imaging/vo_GraphicX.h"
#include "imgman/imgman.h"
#include "platform/Menus.h"
#include "platform/Metafile.h"

#include <exception>
#include <memory>

namespace lumvor {

using namespace lumv8900;
using namespace OpenPicture;

namespace {

// The colour a slide is drawn over: the slide's own, or the window colour
// when it has none.
TColor SlideBackground() { return ColorToRGB(SlideColor == -1 ? clWindow : TColor{SlideColor}); }

bool ScriptSlide() { return ScriptMode && SlideshowRunning; }

// The picture of a codec, or of a bitmap, as the library's picture; the
// packed DIB carries the depth and the colour table across.
bool HandOver(const TPackedDib& dib) {
    if (dib.Empty())
        return false;
    ImgHandle = ImgFromDIB(dib);
    return ImgHandle != 0;
}
bool HandOver(const TDibGraphic& picture) { return !picture.IsEmpty() && HandOver(picture.ExportDIB()); }
bool HandOver(const TBitmap& bitmap) { return !bitmap.GetEmpty() && HandOver(CreatePackedDIB(bitmap)); }

bool LoadJpegSlide(TWebForm& form) {
    if (!JPEGImage)
        JPEGImage = std::make_unique<TJPEGImage>();
    form.LoadSlideJPEG();
    // The JPEG slides of a script are shown as decoded.
    SlideGamma = 100;
    return form.ExportBitmapToImg() != 0;
}

bool LoadBitmapSlide(TWebForm& form) {
    form.CloseImgHandle();
    if (ImageBitCount == 4) {
        // A 4-bit file stays 4-bit: the bitmap reader keeps its 16 colours.
        TBitmap& shown = form.DisplayBitmap();
        shown.LoadFromFile(FileName);
        form.SetBitmap4();
        return HandOver(shown);
    }
    if (ImageBitCount == 8) {
        ImgHandle = ImgOpenSolo(FileName, 0);
        return ImgHandle != 0;
    }
    TBmpGraphic bmp;
    bmp.LoadFromFile(FileName);
    return HandOver(bmp);
}

bool LoadPngSlide() {
    TPngGraphic png;
    png.BackgroundColor = static_cast<uint32_t>(SlideBackground()) & 0xFFFFFF;
    png.UseBackground = true;
    png.LoadFromFile(FileName);
    return png.GetWidth() >= 2 && HandOver(png);
}

bool LoadGraphicXSlide() {
    std::unique_ptr<TGraphicX> reader;
    if (FileExt == ".GIF")
        reader = std::make_unique<TGIFGraphic>();
    else
        reader = std::make_unique<TPSDGraphic>();
    reader->LoadFromFile(FileName);
    return HandOver(*reader);
}

template <typename Codec>
bool LoadCodecSlide() {
    Codec codec;
    codec.LoadFromFile(FileName);
    return HandOver(codec);
}

// A metafile drawn over the slide colour at its own size, at 24 bits.
bool LoadMetafileSlide(TWebForm& form) {
    TBitmap& shown = form.DisplayBitmap();
    try {
        shown.SetHandle(std::make_shared<TPixelBuffer>(RenderMetafile(FileName, SlideBackground())));
    } catch (const Exception&) {
        return false;
    }
    ImageWidth = shown.GetWidth();
    ImageHeight = shown.GetHeight();
    ImageBitCount = 24;
    return form.ExportBitmapToImg() != 0;
}

// DCX, FlashPix, PCX and the TIFF kinds our codec leaves to the library.
bool LoadLibrarySlide() {
    ImgHandle = ImgOpenSolo(FileName, 0);
    if (ImgHandle == 0)
        return false;
    ImgPageCount(ImgHandle, &PageCount);
    if (FileExt == ".FPX" && PageCount > 2)
        return ImgSetPage(ImgHandle, PageCount - 2) != 0;
    return true;
}

// Loads FileName into ImgHandle by its extension; false when nothing came out.
bool LoadSlide(TWebForm& form) {
    if (ExtInList(FileExt, VectorList, ""))
        return LoadMetafileSlide(form);
    if (ExtInList(FileExt, JpegList, ""))
        return LoadJpegSlide(form);
    if (FileExt == ".PCD")
        return !form.ImportPCD(&form.DisplayBitmap(), true);
    if (ExtInList(FileExt, BitmapList, ""))
        return LoadBitmapSlide(form);
    if (FileExt == ".PNG")
        return LoadPngSlide();
    if (FileExt == ".TGA")
        return LoadCodecSlide<TTgaGraphic>();
    if (FileExt == ".PSD" || FileExt == ".GIF")
        return LoadGraphicXSlide();
    if (FileExt == ".TIF" && !ImgLibDecode)
        return LoadCodecSlide<TTiffGraphic>();
    if (FileExt == ".PCX")
        ImgLibDecode = true;
    if (ExtInString(FileExt, LibraryList) || ImgLibDecode)
        return LoadLibrarySlide();
    return false;
}

// Puts a new picture of the library in place of ImgHandle and reads its
// size and depth; false when the library made none.
bool Replace(TWebForm& form, int picture) {
    if (picture == 0)
        return false;
    form.CloseImgHandle();
    ImgHandle = picture;
    return form.ImagemanInfo(false);
}

bool Resample(TWebForm& form, const TSize& size) {
    return Replace(form, ImgCopy(ImgHandle, size.cx, size.cy, nullptr, slidesize::SlideCopyFlags(ImageBitCount)));
}

// The gamma of a slide: through the display bitmap at 24 bits.
bool ApplySlideGamma(TWebForm& form) {
    if (ImageBitCount < 15 && !Replace(form, ImgIncreaseColors(ImgHandle, 24)))
        return false;
    if (!form.ImportImgToBitmap(false, false))
        return false;
    for (int channel = 0; channel < 3; ++channel)
        form.SetGammaLUT(SlideGamma, channel, 0);
    form.ColorFilterBitmap(form.DisplayBitmap());
    return form.ExportBitmapToImg() != 0;
}

bool GammaWanted(int gamma) { return gamma != 100 && gamma > 0; }

bool PrepareSlide(TWebForm& form, int width, int height) {
    if (!LoadSlide(form) || ImgHandle == 0 || !form.ImagemanInfo(false))
        return false;

    slidesize::TSlideSizing sizing;
    sizing.Width = ImageWidth;
    sizing.Height = ImageHeight;
    sizing.WindowWidth = width;
    sizing.WindowHeight = height;
    sizing.AspectMode = form.mnuAspect ? form.mnuAspect->Tag : slidesize::AspectNatural;
    sizing.AspectFactor = form.mnuAspectCustom ? form.mnuAspectCustom->Tag : 1000;
    sizing.AspectChanged = AspectChanged;
    sizing.ScriptSlide = ScriptSlide();
    sizing.ShowRunning = SlideshowRunning;
    sizing.PanelWidth = SlideTextSize;
    sizing.PanelHeight = SlideTextHeight;
    sizing.Zoom = SlideZoom;
    const slidesize::TSlideTarget target = slidesize::SlideResizeTarget(sizing);
    if (target.Resample && !Resample(form, target.Size))
        return false;

    if (ScriptSlide() && SlideRotate > 0) {
        const auto fill = static_cast<uint32_t>(ToColorValue(SlideBackground()));
        if (!Replace(form, ImgRotate(ImgHandle, slidesize::SlideRotation(SlideRotate), fill)))
            return false;
    }

    const slidesize::TSlideTarget fit =
        slidesize::SlideFinalFit(ImageWidth, ImageHeight, width, height, sizing.AspectMode, SlideshowRunning);
    if (fit.Resample && !Resample(form, fit.Size))
        return false;

    const int viewGamma = form.mnuViewGamma ? form.mnuViewGamma->Tag : 100;
    if (!ScriptSlide() && GammaWanted(viewGamma))
        SlideGamma = viewGamma;
    if (GammaWanted(ScriptSlide() ? SlideGamma : viewGamma))
        return ApplySlideGamma(form);
    return true;
}

}  // namespace

bool TWebForm::SlideImage(int Width, int Height) {
    CloseImgHandle();
    ImageLoaded = false;
    bool prepared = false;
    try {
        prepared = PrepareSlide(*this, Width, Height);
    } catch (const std::exception&) {
        // Codec, decoder and memory failures alike: the slide cannot be shown.
        prepared = false;
    }
    if (!prepared)
        CloseImgHandle();
    return prepared;
}

}  // namespace lumvor
