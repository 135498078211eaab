// The slide album's record of one slide and the album's module globals that
// other windows and layers read and write; the album window owns them.
// GUI thread only.
#pragma once

#include "platform/ByteRecord.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace lumvor {

class TStream;

// The album's record of one slide: 136 bytes, little-endian, as kept in memory
// and in the catalog's record file. Short strings are a length byte followed by
// the characters. 16-bit properties hold 65535 when they do not apply to the
// slide and 65534 when they are not set.
#pragma pack(push, 1)
struct TSlideRec {
    uint8_t ThumbName[25];     // short string [24]; empty = none
    uint8_t FileExt[13];       // short string [12]: upper case, with its dot
    uint16_t DimState;         // 1 new, 3 no usable dimensions, 100 known
    uint16_t IconIndex;        // system icon index of the file type
    uint16_t Reserved1;
    int32_t NameIndex;
    int32_t FolderIndex;
    int32_t Tag;
    uint32_t FileSize;
    int32_t FileDate;          // DOS date-time of the last write, local time
    int32_t FileTime;          // the same time of day in milliseconds
    int32_t Sequence;
    uint32_t FileCrc;          // 0xFFFFFFFF = not computed
    int32_t CommentIndex;
    uint8_t ThumbFolder[17];   // short string [16]
    uint8_t Reserved2[3];
    int32_t UserIdx;
    int32_t ExtraIdx;
    int32_t BackColor;         // -1 does not apply, -2 not set
    uint16_t Wait;
    uint16_t Effect;
    uint16_t Gamma;
    uint16_t Zoom;
    uint16_t PosX, PosY, PanelW, PanelH;
    uint16_t Rotate;
    uint16_t ImageWidth;
    uint16_t ImageHeight;
    uint16_t Reserved3;
};
#pragma pack(pop)
static_assert(sizeof(TSlideRec) == 136);
static_assert(offsetof(TSlideRec, NameIndex) == 44 && offsetof(TSlideRec, FileCrc) == 72 &&
              offsetof(TSlideRec, BackColor) == 108 && offsetof(TSlideRec, ImageWidth) == 130);
static_assert(std::endian::native == std::endian::little, "records are stored as they are in memory");

namespace show8900 {

// The album's settings record, stored as "SControls7700". A first start fills
// it from the explorer's defaults.
inline TByteRecord<140> ShowSettings;

inline bool ShowFormActive = false;
// The album's contents changed since it was last saved.
inline bool AlbumChanged = false;
// The album's run command started the current slide show.
inline bool AlbumSlideshow = false;
inline int32_t SlideCount = 0;
// The album's thumbnail cache folder ("" until first used).
inline std::string ThumbPath;
// Size of one slide record, read by every writer of records.
inline int32_t SlideRecSize = 136;
// While a folder listing fills the album: the catalog record file.
inline std::unique_ptr<TStream> SlideStream;

}  // namespace show8900

}  // namespace lumvor
