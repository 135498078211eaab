#include "imaging/vo_TGA.h"

#include "imaging/vo_GBM.h"

namespace lumvor {

namespace {
constexpr const char* kName = "File.tga";
}

void TTgaGraphic::ReadFileInfo(const std::string& fileName) {
    ReadHeaderFile(fileName, [this](TStream& header) {
        GbmReadHeader(header, *this, kName, InfoWidth, InfoHeight, InfoBitCount, "");
    });
}

void TTgaGraphic::LoadFromStream(TStream& stream) {
    ReadGuarded([&] {
        TRebasedStream rebased(stream);
        rebased.Stream().SetPosition(0);
        GbmReadImage(rebased.Stream(), *this, kName, "");
    });
}

void TTgaGraphic::SaveToStream(TStream& stream) {
    uint8_t format = ImageFormat();
    if (IsEmpty() || (format != ifGray256 && format != ifColor256 && format != ifTrueColor))
        throw ETgaError(vo_TGA::STgaColors);
    // Top row first with the origin bit saying so: readers that ignore the bit
    // and take the first row as the top then agree with those that heed it.
    GbmWriteImage(stream, *this, kName, "ydown");
}

}  // namespace lumvor
