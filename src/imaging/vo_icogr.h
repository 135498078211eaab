// Icon pictures: an icon file read into a 24-bit picture, and a picture
// written as an icon of one image at the system icon size.
#pragma once

#include "imaging/vo_DIB.h"

namespace lumvor {

class TIconGraphic : public TDibGraphic {
public:
    std::string ClassName() const override { return "TIconGraphic"; }
    std::unique_ptr<TDibGraphic> NewInstance() const override;

    // Writes the picture as an icon of the system icon size (32 x 32): the
    // picture's top-left part, unscaled, fully opaque; area beyond a smaller
    // picture is black.
    void SaveToStream(TStream& stream) override;
    // Reads the icon that the class library's icon takes from the stream (index
    // is not used) as a 24-bit picture; transparent pixels are black.
    void ReadImage(TStream& stream, int index) override;
};

}  // namespace lumvor
