// The likeness of two thumbnails, for the explorer's "&Match": which picture
// of a folder looks most like a chosen one.
//
// Both cache pictures are coarsened alike by the mosaic tile filter
// (TileBitmap) with a block of MatchBlockSize pixels, then every pixel becomes
// hue, lightness and saturation on 0..240 (RGBToHLS240). The distance of two
// pictures is the sum over all pixels of 8 |dH| + 4 |dL| + 2 |dS|, summed from
// the last pixel backwards; the sum stops as soon as it exceeds the best
// distance found so far, so most candidates are left after a few rows.
//
// A candidate is read with one read of its cache file, which must be a usable
// cache file of that very picture (the size of a complete file, a bitmap, a
// trailer naming the candidate): a missing, cut or foreign file is never
// compared. Nothing here touches a widget; GUI thread or any one thread.
#pragma once

#include "imaging/FileRec.h"
#include "imaging/ThumbCache.h"

#include <cstdint>
#include <vector>

namespace lumvor {

class TBitmap;

// The distance every run starts from: 2 to the 30th power, less 1.
constexpr int64_t MatchStartDistance = 1073741823;

// The block of the coarsening: ThumbWidth / 28 for cells wider than 84
// pixels (6 for the 168-pixel cell), else 3.
int MatchBlockSize(int ThumbWidth);

// A coarsened thumbnail as hue, lightness and saturation, three bytes a pixel,
// rows top-down.
struct TMatchPicture {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> HLS;
    bool Empty() const { return HLS.empty(); }
};

// Coarsens Bitmap in place (made 24-bit first) and converts it.
TMatchPicture MatchPictureOf(TBitmap& Bitmap, int BlockSize);

// Reads the cache file of the list entry Row in one read and converts its
// picture; false when the file is missing, cut, not a bitmap or belongs to
// another picture (ThumbRecOffset must be measured).
bool LoadMatchPicture(const TThumbFile& File, const FileRec& Row, int BlockSize, TMatchPicture& Picture);

// The distance of two pictures of one size, summed from the last pixel
// backwards; once the sum exceeds Best the sum so far is returned (then
// larger than Best). Pictures of different sizes are never alike: the answer
// is then above Best.
int64_t MatchDistance(const TMatchPicture& Reference, const TMatchPicture& Candidate, int64_t Best);

// One run: a reference and the best candidate so far.
class TPictureMatch {
public:
    explicit TPictureMatch(int BlockSize) : blockSize_(BlockSize) {}

    // Reads the reference's cache file; false when it cannot be used.
    bool SetReference(const TThumbFile& File, const FileRec& Row);
    // Compares one candidate, known by Key to the caller; false when its
    // cache file cannot be used (the candidate is then skipped).
    bool Compare(const TThumbFile& File, const FileRec& Row, int Key);

    // The Key of the best candidate, -1 while none was closer than the start.
    int Best() const { return best_; }
    int64_t BestDistance() const { return bestDistance_; }

private:
    int blockSize_;
    TMatchPicture reference_;
    TMatchPicture candidate_;
    int best_ = -1;
    int64_t bestDistance_ = MatchStartDistance;
};

}  // namespace lumvor
