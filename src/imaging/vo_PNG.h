// PNG pictures through libpng.
//
// TPngGraphic reads every colour type and bit depth PNG allows into the six
// picture formats and writes the picture as PNG:
//   grey 1 bit -> 0; grey 2 and 4 bits -> 1 (2-bit values become 0, 5, 10, 15);
//   grey 8/16 bits and grey+alpha -> 2; palette 1 bit -> 0; palette 2 and 4
//   bits -> 3; palette 8 bits -> 4; RGB and RGBA -> 5 (16-bit samples cut to 8).
// Transparency is composited against the file's bKGD colour, or against
// BackgroundColor when the file has none or UseBackground is set. pHYs in
// pixels per metre gives the resolution; other units give the screen's.
// Writing: grey for formats 0-2, palette for 3 and 4, RGB for 5; Adam7 while
// Interlaced is set; gAMA from Gamma; deflate level from CompressionLevel
// (0 -> 1, 1 -> 5, 2 -> 9); pHYs in pixels per metre.
//
// Errors raise EPNGError (libpng's own text for its fatal errors); libpng's
// warnings are dropped. A failed read leaves the picture empty. Pictures wider
// or taller than the program's limit are refused from the header, before any
// pixel memory is taken. An instance belongs to one thread; instances on
// different threads work independently.
#pragma once

#include "imaging/vo_Codec.h"

#include <cstdint>
#include <string>

namespace lumvor {

namespace vo_PNG {
inline constexpr const char* SInvalidPngFile = "Invalid PNG file";
inline constexpr const char* SCreateReadFailed = "png_create_read_struct failed";
inline constexpr const char* SCreateWriteFailed = "png_create_write_struct failed";
inline constexpr const char* SCreateInfoFailed = "png_create_info_struct failed";
inline constexpr const char* SInvalidColorType = "Invalid color type for bit depth";
inline constexpr const char* SInvalidBitDepth = "Invalid bit depth";
inline constexpr const char* SInvalidInterlace = "Interlace type not valid";
inline constexpr const char* SGetPlteFailed = "png_get_PLTE failed";
}  // namespace vo_PNG

class TPngGraphic : public TCodecGraphic {
public:
    std::string ClassName() const override { return "TPngGraphic"; }
    std::unique_ptr<TDibGraphic> NewInstance() const override { return std::make_unique<TPngGraphic>(); }

    // Reads the PNG that starts at the stream's position (index is not used).
    void ReadImage(TStream& stream, int index) override;
    // Writes the picture as PNG at the stream's position.
    void SaveToStream(TStream& stream) override;
    // The named file's header into the Info fields; unless headerOnly, also
    // its picture, exactly as ReadImage reads it.
    void ReadFileInfo(const std::string& fileName, bool headerOnly);

    double Gamma = 0.5;
    // Colour value with red in bits 0-7, green 8-15, blue 16-23.
    uint32_t BackgroundColor = 0;
    bool UseBackground = false;
    uint8_t CompressionLevel = 1;
    bool Interlaced = true;
    int InfoColorType = 0;
    int InfoInterlace = 0;
    int InfoCompression = 0;
    int InfoFilter = 0;

private:
    void Read(TStream& stream, bool fileInfo, bool headerOnly);
};

}  // namespace lumvor
