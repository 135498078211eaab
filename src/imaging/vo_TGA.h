// Targa pictures (TGA) through the bitmap module.
//
// Reads colour-mapped, true-colour and grey files, raw or run-length coded,
// with either row origin: 8-bit files (grey ones with a grey palette) become
// format 4, 16-, 24- and 32-bit files format 5. Writes formats 2 and 4 as
// 8-bit colour-mapped files and 5 as 24-bit true colour, uncompressed, top row
// first with the descriptor's top-left origin bit (0x20) set; other formats
// raise ETgaError "TGA image must have 256 colors or true color". A file holds
// one picture; ImageIndex and LoadAllFrames do not apply. Errors of the module
// raise EGbmError (see vo_GBM); a failed load leaves the picture empty.
#pragma once

#include "imaging/vo_Codec.h"

namespace lumvor {

namespace vo_TGA {
inline constexpr const char* STgaColors = "TGA image must have 256 colors or true color";
}

class TTgaGraphic : public TCodecGraphic {
public:
    std::string ClassName() const override { return "TTgaGraphic"; }
    std::unique_ptr<TDibGraphic> NewInstance() const override { return std::make_unique<TTgaGraphic>(); }

    // Header of the named file into InfoWidth, InfoHeight, InfoBitCount (8 or 24).
    void ReadFileInfo(const std::string& fileName);
    // Reads the picture that starts at the stream's position.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
};

}  // namespace lumvor
