#include "explorer/PictureMatch.h"

#include "imaging/HLS.h"
#include "platform/Graphics.h"
#include "platform/Streams.h"
#include "processing/spatial/StructureFilters.h"

#include <cstdlib>

namespace lumvor {

int MatchBlockSize(int ThumbWidth) { return ThumbWidth > 84 ? ThumbWidth / 28 : 3; }

TMatchPicture MatchPictureOf(TBitmap& Bitmap, int BlockSize) {
    TMatchPicture picture;
    if (Bitmap.Width() <= 0 || Bitmap.Height() <= 0) return picture;
    if (Bitmap.PixelFormat() != pf24bit) Bitmap.SetPixelFormat(pf24bit);
    TileBitmap(Bitmap, BlockSize);
    picture.Width = Bitmap.Width();
    picture.Height = Bitmap.Height();
    picture.HLS.resize(size_t(picture.Width) * size_t(picture.Height) * 3);
    uint8_t* out = picture.HLS.data();
    for (int y = 0; y < picture.Height; ++y) {
        const uint8_t* row = Bitmap.ScanLine(y);
        for (int x = 0; x < picture.Width; ++x, row += 3, out += 3) {
            THLS hls;
            RGBToHLS240(row[2], row[1], row[0], hls);
            out[0] = uint8_t(hls.Hue);
            out[1] = uint8_t(hls.Lightness);
            out[2] = uint8_t(hls.Saturation);
        }
    }
    return picture;
}

bool LoadMatchPicture(const TThumbFile& File, const FileRec& Row, int BlockSize, TMatchPicture& Picture) {
    Picture = {};
    std::vector<uint8_t> bytes;
    if (!ReadThumbFileBytes(File, Row, bytes)) return false;
    try {
        TMemoryStream stream;
        stream.Write(bytes.data(), ThumbRecOffset);
        stream.SetPosition(0);
        TBitmap bitmap;
        bitmap.LoadFromStream(stream);
        Picture = MatchPictureOf(bitmap, BlockSize);
    } catch (const Exception&) {
        // A bitmap part that does not decode makes the file unusable, as a cut one.
        Picture = {};
    }
    return !Picture.Empty();
}

int64_t MatchDistance(const TMatchPicture& Reference, const TMatchPicture& Candidate, int64_t Best) {
    if (Reference.Width != Candidate.Width || Reference.Height != Candidate.Height || Reference.Empty())
        return Best + 1;
    const uint8_t* a = Reference.HLS.data();
    const uint8_t* b = Candidate.HLS.data();
    const size_t rowBytes = size_t(Reference.Width) * 3;
    int64_t sum = 0;
    // Row by row from the bottom, each from its last pixel; the bound is
    // checked once a row, which keeps the inner loop free of branches.
    for (size_t row = size_t(Reference.Height); row-- > 0;) {
        const size_t start = row * rowBytes;
        int32_t rowSum = 0;
        for (size_t i = start + rowBytes; i > start; i -= 3)
            rowSum += 8 * std::abs(a[i - 3] - b[i - 3]) + 4 * std::abs(a[i - 2] - b[i - 2]) +
                      2 * std::abs(a[i - 1] - b[i - 1]);
        sum += rowSum;
        if (sum > Best) return sum;
    }
    return sum;
}

bool TPictureMatch::SetReference(const TThumbFile& File, const FileRec& Row) {
    return LoadMatchPicture(File, Row, blockSize_, reference_);
}

bool TPictureMatch::Compare(const TThumbFile& File, const FileRec& Row, int Key) {
    if (!LoadMatchPicture(File, Row, blockSize_, candidate_)) return false;
    const int64_t distance = MatchDistance(reference_, candidate_, bestDistance_);
    if (distance < bestDistance_) {
        bestDistance_ = distance;
        best_ = Key;
    }
    return true;
}

}  // namespace lumvor
