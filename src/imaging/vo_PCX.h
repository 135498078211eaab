// PC Paintbrush pictures (PCX) through the bitmap module.
//
// Reads 1-bit (format 0), 4-bit packed or in four planes (format 3, the file's
// 16-entry palette), 8-bit (format 4, the palette behind the data) and 24-bit
// files in three planes (format 5), and the resolution words at offsets 12
// and 14 (dots per inch). Writes format 0 as 1 bit, 1 and 3 as 4 bits, 2 and 4
// as 8 bits with the 769-byte palette trailer, 5 as three 8-bit planes, with
// GetXDpi/GetYDpi in the resolution words. One picture per file. Errors of the
// module raise EGbmError (see vo_GBM); a failed read leaves the picture empty.
#pragma once

#include "imaging/vo_Codec.h"

namespace lumvor {

class TPcxGraphic : public TCodecGraphic {
public:
    std::string ClassName() const override { return "TPcxGraphic"; }
    std::unique_ptr<TDibGraphic> NewInstance() const override { return std::make_unique<TPcxGraphic>(); }

    // Header of the named file into InfoWidth, InfoHeight, InfoBitCount (1, 4, 8, 24).
    void ReadFileInfo(const std::string& fileName);
    // Reads the picture that starts at the stream's position; index is not used.
    void ReadImage(TStream& stream, int index) override;
    // Writes the file at the stream's position and leaves the stream at its end.
    void SaveToStream(TStream& stream) override;
};

}  // namespace lumvor
