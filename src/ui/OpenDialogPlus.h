// The image window's open dialog: the file list with a picture preview.
//
// Right of the standard controls a column shows the selected picture reduced
// to fit, with its size and colour depth above it ("640x480 (24bpp)", or
// "768x512 base" for Photo CD) and a button that turns automatic preview on
// and off; below them are "Help" and "Recent". Selecting a file reads its
// header; with automatic preview on, the picture is decoded at once unless it
// is a large true-colour one (wider than 2048 or 3073 rows or more), which
// waits for a click on the preview ("Click for preview."). A file that cannot
// be read shows its icon and an empty caption; nothing is ever raised to the
// user.
//
// After Execute the caller reads what the preview found (ImageWidth,
// ImageHeight, ImageBitsPixel, ImageFilename, ImagePreload) and may take over
// the decoded picture (ImageBitmap, ImageJPEG, ImageManHandle: the imaging
// library's handle of the whole picture) instead of decoding the file again.
// "Recent" ends Execute with false and ExecuteRecent true.
//
// GUI thread only; the picture size fields are shared by every instance.
#pragma once

#include "imaging/vo_BMP.h"
#include "imaging/vo_PCX.h"
#include "imaging/vo_PNG.h"
#include "imaging/vo_TGA.h"
#include "imaging/vo_TIF.h"
#include "platform/Jpeg.h"
#include "platform/Streams.h"
#include "ui/MeDialogs.h"

#include <QFrame>
#include <QLabel>
#include <QToolButton>

#include <memory>
#include <string>

namespace lumvor {

namespace OpenDialogPlus {
// Size of the last header read (shared by every instance).
inline int ImageWidth = 0;
inline int ImageHeight = 0;
// Client size of the preview box when the dialog last opened.
inline int BoxWidth = 0;
inline int BoxHeight = 0;
// The extensions the preview reads.
inline constexpr const char* PictureExtensions = ".JPG.JPEG.PNG.DCX.PCX.BMP.DIB.TIF.TIFF.TGA.PCD.PSD.FPX.GIF";
}  // namespace OpenDialogPlus

class TOpenDialogPlus;

// The filter of every picture type the preview reads: "All (...)" first,
// then one entry per type.
std::string PictureFilter();

// The preview box: paints the preview; a click asks for it.
class TPreviewPaintBox : public QWidget {
public:
    TPreviewPaintBox(TOpenDialogPlus& owner, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TOpenDialogPlus& owner_;
};

class TOpenDialogPlus : public TMeOpenDialog {
public:
    explicit TOpenDialogPlus(QObject* owner = nullptr);
    ~TOpenDialogPlus() override;

    bool ShowRecent98 = false;
    bool ExecuteRecent = false;
    bool AllowFlashpix = true;

    bool Execute() override;

    // Results, read after Execute.
    int ImageWidth() const { return OpenDialogPlus::ImageWidth; }
    int ImageHeight() const { return OpenDialogPlus::ImageHeight; }
    // -1 for Photo CD files and for previews made from a reduced black-and-white copy.
    int ImageBitsPixel() const;
    // The selected file when its header was read; "-" after an unreadable one.
    const std::string& ImageFilename() const { return imageFilename_; }
    // True when the preview picture belongs to ImageFilename.
    bool ImagePreload() const { return !previewName_.empty() && previewName_ == imageFilename_; }
    // The preview; null when empty.
    TBitmap* ImageBitmap() { return previewBitmap_.Empty() ? nullptr : &previewBitmap_; }
    // The JPEG image object while the preview holds a picture.
    TJPEGImage* ImageJPEG() { return previewBitmap_.Empty() ? nullptr : &jpeg_; }
    // Frees the preview picture; true.
    bool ImageClear();
    // Never filled by the dialog.
    const std::string& ImageType() const { return imageType_; }
    const std::string& ImageCompress() const { return imageCompress_; }
    // The imaging library's handle of the picture the last preview was made
    // from (0 = none). It stays open for the caller to take over after Execute.
    int ImageManHandle() const { return imageManHandle_; }
    // The conversion buffer handed in by the owner (cleared by the owner first).
    void SetConversionStream(TMemoryStream* stream) { conversionStream_ = stream; }

    // Controls.
    std::unique_ptr<QFrame> PicturePanel;
    QLabel* PictureLabel;
    QToolButton* PreviewButton;
    QFrame* PaintPanel;
    TPreviewPaintBox* PaintBox;
    std::unique_ptr<QWidget> NavPanel;
    QPushButton* FRecent() const { return buttons_.FRecent; }
    QPushButton* FHelp() const { return buttons_.FHelp; }

    // The preview's click: decodes the selected picture into the preview.
    void Preview();
    // Paints the preview box.
    void PaintPreview(QWidget& box);

protected:
    void CustomizeDialog(THookedFileDialog& dialog) override;
    void ReleaseDialog(THookedFileDialog& dialog) override;
    void DialogResized() override;
    void DoShow() override;
    void DoClose() override;
    void DoSelectionChange() override;
    void DoFolderChange() override;

private:
    // Reads width, height and depth of the selected file; false when it cannot.
    bool ReadHeader();
    bool ReadHeaderByLibrary(const std::string& name);
    // Opens the selected picture as an imaging-library handle; 0 on failure.
    int LoadPreviewPicture();
    // Reduces, fits and draws the picture of handle into the preview bitmap.
    void DrawPreviewFrom(int handle);
    void EmptyPreview(const std::string& text);
    void ShowFileIcon(bool pictureExtension);
    // The failure of a header read or preview: icon, empty caption, "-".
    void ShowUnreadable();
    void ReplaceLibraryHandle(int handle);

    TRecentHelpButtons buttons_;

    std::string ext_;          // upper-case extension of the selected file
    std::string lastPreviewed_;
    std::string imageFilename_;
    std::string previewName_;  // the file the preview picture belongs to
    std::string selected_;
    std::string imageType_;
    std::string imageCompress_;
    int16_t bitsPixel_ = 0;
    int imageManHandle_ = 0;
    bool reducedMono_ = false;
    bool busy_ = false;
    bool tiffByLibrary_ = false;
    std::string previewText_;
    TMemoryStream* conversionStream_ = nullptr;

    TJPEGImage jpeg_;
    TBitmap previewBitmap_;
    TPcxGraphic pcx_;
    TBmpGraphic bmp_;
    TTgaGraphic tga_;
    TPngGraphic png_;
    TTiffGraphic tiff_;
};

}  // namespace lumvor
