// What the explorer's file list draws in a thumbnail cell, without a widget:
// the cell size of each thumbnail-size step, the shrink of a cache picture to
// a smaller cell, the dimension caption, and the cache of decoded cells.
//
// A cache file always holds a 168 x 126 picture; the steps 1 to 7 show it
// shrunk, step 8 as it is. Painting reads cells through ThumbCells(), so a
// repaint or a scroll back never reads a cache file again; whoever rewrites,
// deletes or clears cache files invalidates their cells there.
// GUI thread only.
#pragma once

#include <QImage>

#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>

namespace lumvor {

struct FileRec;
struct TThumbFile;

// The width and height of a thumbnail cell at a step: 1: 64 x 48, 2: 80 x 60,
// 3: 96 x 72, 4: 120 x 90, 5: 132 x 99, 6: 144 x 108, 7: 152 x 114; 8 and
// every other value 168 x 126.
struct TCellSize {
    int Width = 168;
    int Height = 126;
};
TCellSize ThumbCellOfStep(int Step);

// Width, "x", height, "(", bits, ")": "640x480(24)".
std::string DimensionText(int Width, int Height, int Bits);

// Whether an upper-case extension with its dot is one of the picture
// extensions whose caption carries the picture's dimensions.
bool IsCaptionPictureExt(std::string_view Ext);

// Nearest-neighbour reduction of a 168 x 126 cache picture to a cell: target
// row y takes source row y x 125 / Height, target column x source column
// x x 167 / (Width - 1), each clamped to the picture. A cell of 168 x 126 (or
// larger) is the picture itself.
QImage ShrinkThumbnail(const QImage& Picture, int Width, int Height);

// Decoded cache pictures by cache path, the least recently used dropped first.
class TThumbCellCache {
public:
    explicit TThumbCellCache(size_t Capacity = 320) : capacity_(Capacity) {}

    // The picture of a cache file: from memory when it was read before, else
    // read once when ThumbFilePresent accepts it for Row. A null image when the
    // file is missing, cut, or belongs to another picture.
    QImage Cell(const TThumbFile& File, const FileRec& Row);
    // The same picture shrunk to a Width x Height cell (ShrinkThumbnail); the
    // shrunk picture of the last size asked is kept beside it, so a repaint
    // shrinks nothing.
    QImage Cell(const TThumbFile& File, const FileRec& Row, int Width, int Height);
    // Whether a path's picture is held (no file is touched).
    bool Holds(const std::string& Path) const { return index_.count(Path) != 0; }
    // Forgets one path's picture, or every picture.
    void Invalidate(const std::string& Path);
    void Clear();
    size_t Size() const { return index_.size(); }
    // Cache files read since the start (a test counts them).
    int64_t FileReads = 0;

private:
    struct Entry {
        std::string Path;
        QImage Picture;
        QImage Shrunk;
    };
    Entry* Find(const TThumbFile& File, const FileRec& Row);
    size_t capacity_;
    std::list<Entry> order_;  // most recent first
    std::unordered_map<std::string, std::list<Entry>::iterator> index_;
};

// The explorer's cell cache.
TThumbCellCache& ThumbCells();

// The selection overlay of a Width x Height cell: white where both
// coordinates are odd, transparent elsewhere (made once per size).
const QImage& SelectionDots(int Width, int Height);

}  // namespace lumvor
