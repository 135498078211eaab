// Windows and OS/2 bitmap pictures (BMP).
//
// Reads through the bitmap module: 1-, 4-, 8- and 24-bit files with Windows or
// OS/2 headers, RLE8 and RLE4 data; 1-bit files keep their palette order. The
// resolution comes from the Windows info header (pixels per metre). A file
// the module cannot read (16 or 32 bits, bit fields, rows stored top down) is
// read by the class library's bitmap reader instead, and `LoadedByBitmap` is
// set; when that fails too its exception passes on and the picture is empty.
// Writes every format itself: file header, the picture's info header, the
// colour table (4 x entries bytes) and the rows bottom first; an 8-bit file has
// its bits at offset 1,078. One picture per file.
#pragma once

#include "imaging/vo_Codec.h"

namespace lumvor {

class TBmpGraphic : public TCodecGraphic {
public:
    std::string ClassName() const override { return "TBmpGraphic"; }
    std::unique_ptr<TDibGraphic> NewInstance() const override { return std::make_unique<TBmpGraphic>(); }

    // Header of the named file into InfoWidth, InfoHeight, InfoBitCount; clears LoadedByBitmap.
    void ReadFileInfo(const std::string& fileName);
    // Reads the picture that starts at the stream's position; index is not used.
    void ReadImage(TStream& stream, int index) override;
    void SaveToStream(TStream& stream) override;

    // True when the last ReadImage used the class library's reader.
    bool LoadedByBitmap = false;
};

}  // namespace lumvor
