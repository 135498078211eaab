#include "imgman/ImgReduce.h"

#include "imaging/vo_DIB.h"
#include "imgman/ImgFormats.h"
#include "platform/Graphics.h"
#include "platform/SysUtils.h"

#include <algorithm>
#include <array>
#include <unordered_set>
#include <utility>

namespace lumvor::imgman {

namespace {

constexpr int32_t BwOrdered = 2;
constexpr int32_t Dithered = 4;  // also error diffusion for black and white
constexpr int32_t GreyOutput = 8;
constexpr int32_t Refined = 0x40;
constexpr int32_t Diffused = 0x20;

enum class TDither { None, Ordered, Diffusion };

struct TRgb {
    int r = 0, g = 0, b = 0;
};

TRgb RgbOf(uint32_t colour) { return {int((colour >> 16) & 0xFF), int((colour >> 8) & 0xFF), int(colour & 0xFF)}; }
uint32_t ColourOf(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

int Luminance(int r, int g, int b) { return r * 3 / 10 + g * 6 / 10 + b / 10; }

std::vector<uint32_t> TableOf(const TPaletteRecord* record) {
    std::vector<uint32_t> table;
    for (int i = 0; i < record->NumberOfEntries; ++i)
        table.push_back(RawColor(record->Entries[size_t(i)]));
    return table;
}

// The exact nearest palette entry of a colour. The colour cube is cut into
// 16 x 16 x 16 cells; each cell keeps, once asked, the entries that can be
// nearest to some colour inside it (those whose least distance to the cell
// is not beyond the smallest greatest distance of any entry), in palette
// order, so a search stays short and still finds the first entry on a tie.
// Recent answers are remembered by colour.
class TNearest {
public:
    explicit TNearest(const std::vector<uint32_t>& table) {
        for (uint32_t colour : table)
            entries_.push_back(RgbOf(colour));
        cellFirst_.assign(CellCount, -1);
        cellSize_.assign(CellCount, 0);
        cacheKey_.assign(CacheSize, NoKey);
        cacheIndex_.assign(CacheSize, 0);
    }

    int Count() const { return int(entries_.size()); }
    const TRgb& Entry(int index) const { return entries_[size_t(index)]; }

    int Index(int r, int g, int b) {
        const uint32_t key = ColourOf(r, g, b);
        const uint32_t slot = (key * 2654435761u) >> (32 - CacheBits);
        if (cacheKey_[slot] == key)
            return cacheIndex_[slot];
        const int cell = (r >> 4) << 8 | (g >> 4) << 4 | (b >> 4);
        if (cellFirst_[size_t(cell)] < 0)
            FillCell(cell);
        const uint8_t* candidate = candidates_.data() + cellFirst_[size_t(cell)];
        const uint8_t* end = candidate + cellSize_[size_t(cell)];
        int best = *candidate;
        int bestDistance = INT32_MAX;
        for (; candidate != end; ++candidate) {
            const TRgb& e = entries_[*candidate];
            const int dr = e.r - r, dg = e.g - g, db = e.b - b;
            const int distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = *candidate;
            }
        }
        cacheKey_[slot] = key;
        cacheIndex_[slot] = uint8_t(best);
        return best;
    }

private:
    static constexpr int CellCount = 16 * 16 * 16;
    static constexpr int CacheBits = 16;
    static constexpr uint32_t CacheSize = 1u << CacheBits;
    static constexpr uint32_t NoKey = 0xFF000000u;

    // Least and greatest squared distance of v to the values lo..lo+15.
    static std::pair<int, int> AxisDistances(int v, int lo) {
        const int hi = lo + 15;
        const int least = v < lo ? lo - v : v > hi ? v - hi : 0;
        const int greatest = std::max(std::abs(v - lo), std::abs(v - hi));
        return {least * least, greatest * greatest};
    }

    void FillCell(int cell) {
        const int lo[3] = {(cell >> 8) << 4, ((cell >> 4) & 15) << 4, (cell & 15) << 4};
        std::vector<int> least(entries_.size());
        int smallestGreatest = INT32_MAX;
        for (size_t i = 0; i < entries_.size(); ++i) {
            const int v[3] = {entries_[i].r, entries_[i].g, entries_[i].b};
            int l = 0, g = 0;
            for (int axis = 0; axis < 3; ++axis) {
                const auto [axisLeast, axisGreatest] = AxisDistances(v[axis], lo[axis]);
                l += axisLeast;
                g += axisGreatest;
            }
            least[i] = l;
            smallestGreatest = std::min(smallestGreatest, g);
        }
        cellFirst_[size_t(cell)] = int(candidates_.size());
        for (size_t i = 0; i < entries_.size(); ++i)
            if (least[i] <= smallestGreatest)
                candidates_.push_back(uint8_t(i));
        cellSize_[size_t(cell)] = int(candidates_.size()) - cellFirst_[size_t(cell)];
    }

    std::vector<TRgb> entries_;
    std::vector<int> cellFirst_;
    std::vector<int> cellSize_;
    std::vector<uint8_t> candidates_;
    std::vector<uint32_t> cacheKey_;
    std::vector<uint8_t> cacheIndex_;
};

// Reads the source a row at a time as red, green, blue triples (or the
// luminance three times).
class TRowReader {
public:
    TRowReader(const TPixelBuffer& source, bool grey) : grey_(grey) {
        if (source.Depth() == 24) {
            picture_ = &source;
        } else {
            converted_ = ConvertPixels(source, 24, {});
            picture_ = &converted_;
        }
    }

    const TPixelBuffer& Picture() const { return *picture_; }

    void Read(int y, int* out) const {
        const uint8_t* p = picture_->ScanLine(y);
        for (int x = 0, w = picture_->Width(); x < w; ++x, p += 3, out += 3) {
            if (grey_) {
                const int l = Luminance(p[2], p[1], p[0]);
                out[0] = out[1] = out[2] = l;
            } else {
                out[0] = p[2];
                out[1] = p[1];
                out[2] = p[0];
            }
        }
    }

private:
    bool grey_;
    const TPixelBuffer* picture_ = nullptr;
    TPixelBuffer converted_;
};

void PutIndex(uint8_t* row, int x, int bits, int index) {
    if (bits == 8) {
        row[x] = uint8_t(index);
    } else if (bits == 4) {
        uint8_t& b = row[x >> 1];
        b = (x & 1) ? uint8_t((b & 0xF0) | index) : uint8_t((b & 0x0F) | (index << 4));
    } else if (index != 0) {
        row[x >> 3] |= uint8_t(0x80 >> (x & 7));
    } else {
        row[x >> 3] &= uint8_t(~(0x80 >> (x & 7)));
    }
}

constexpr uint8_t Bayer8[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26}, {12, 44, 4, 36, 14, 46, 6, 38},
    {60, 28, 52, 20, 62, 30, 54, 22}, {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37},  {63, 31, 55, 23, 61, 29, 53, 21}};

// The typical step between palette neighbours: the mean, over the entries,
// of the largest channel difference to the closest other entry.
int PaletteStep(const TNearest& nearest) {
    const int n = nearest.Count();
    if (n < 2)
        return 0;
    int64_t total = 0;
    for (int i = 0; i < n; ++i) {
        int closest = 255;
        for (int j = 0; j < n; ++j) {
            if (j == i)
                continue;
            const TRgb& a = nearest.Entry(i);
            const TRgb& b = nearest.Entry(j);
            const int d = std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
            if (d > 0)
                closest = std::min(closest, d);
        }
        total += closest;
    }
    return int(total / n);
}

int Clamp255(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

void MapPlain(const TRowReader& reader, TNearest& nearest, TPixelBuffer& out, int bits) {
    std::vector<int> line(size_t(out.Width()) * 3);
    for (int y = 0; y < out.Height(); ++y) {
        reader.Read(y, line.data());
        uint8_t* row = out.ScanLine(y);
        for (int x = 0; x < out.Width(); ++x)
            PutIndex(row, x, bits, nearest.Index(line[3 * x], line[3 * x + 1], line[3 * x + 2]));
    }
}

// Ordered dithering: each pixel moves by up to half a palette step, by the
// Bayer matrix, before it takes the nearest entry.
void MapOrdered(const TRowReader& reader, TNearest& nearest, TPixelBuffer& out, int bits) {
    const int step = PaletteStep(nearest);
    std::vector<int> line(size_t(out.Width()) * 3);
    for (int y = 0; y < out.Height(); ++y) {
        reader.Read(y, line.data());
        uint8_t* row = out.ScanLine(y);
        for (int x = 0; x < out.Width(); ++x) {
            const int offset = (2 * Bayer8[y & 7][x & 7] + 1 - 64) * step / 128;
            PutIndex(row, x, bits,
                     nearest.Index(Clamp255(line[3 * x] + offset), Clamp255(line[3 * x + 1] + offset),
                                   Clamp255(line[3 * x + 2] + offset)));
        }
    }
}

// Floyd-Steinberg error diffusion, rows alternately left to right and right
// to left. Errors are kept in sixteenths so none is lost to rounding on the way.
void MapDiffused(const TRowReader& reader, TNearest& nearest, TPixelBuffer& out, int bits) {
    const int w = out.Width();
    std::vector<int> line(size_t(w) * 3);
    std::vector<int> here(size_t(w + 2) * 3, 0), next(size_t(w + 2) * 3, 0);
    for (int y = 0; y < out.Height(); ++y) {
        reader.Read(y, line.data());
        uint8_t* row = out.ScanLine(y);
        const bool forward = (y & 1) == 0;
        const int dir = forward ? 3 : -3;
        for (int i = 0; i < w; ++i) {
            const int x = forward ? i : w - 1 - i;
            const int at = 3 * (x + 1);
            int wanted[3];
            for (int c = 0; c < 3; ++c)
                wanted[c] = Clamp255(line[3 * x + c] + ((here[at + c] + 8) >> 4));
            const int index = nearest.Index(wanted[0], wanted[1], wanted[2]);
            PutIndex(row, x, bits, index);
            const TRgb& e = nearest.Entry(index);
            const int error[3] = {wanted[0] - e.r, wanted[1] - e.g, wanted[2] - e.b};
            for (int c = 0; c < 3; ++c) {
                here[at + dir + c] += 7 * error[c];
                next[at - dir + c] += 3 * error[c];
                next[at + c] += 5 * error[c];
                next[at + dir + c] += error[c];
            }
        }
        here.swap(next);
        std::fill(next.begin(), next.end(), 0);
    }
}

// ---- Adaptive palettes

// Histogram of the colours at 5 bits per channel: pixel count and channel sums.
struct TCell {
    uint32_t Count = 0;
    uint64_t Sum[3] = {0, 0, 0};
};
constexpr int HistSide = 32;
using THistogram = std::vector<TCell>;

int CellAt(int r, int g, int b) { return (r * HistSide + g) * HistSide + b; }

THistogram BuildHistogram(const TPixelBuffer& picture) {
    THistogram cells(size_t(HistSide) * HistSide * HistSide);
    for (int y = 0; y < picture.Height(); ++y) {
        const uint8_t* p = picture.ScanLine(y);
        for (int x = 0; x < picture.Width(); ++x, p += 3) {
            TCell& cell = cells[size_t(CellAt(p[2] >> 3, p[1] >> 3, p[0] >> 3))];
            ++cell.Count;
            cell.Sum[0] += p[2];
            cell.Sum[1] += p[1];
            cell.Sum[2] += p[0];
        }
    }
    return cells;
}

// The distinct colours when there are at most `limit` of them; else none.
std::vector<uint32_t> FewColours(const TPixelBuffer& picture, int limit) {
    std::unordered_set<uint32_t> seen;
    for (int y = 0; y < picture.Height(); ++y) {
        const uint8_t* p = picture.ScanLine(y);
        for (int x = 0; x < picture.Width(); ++x, p += 3) {
            seen.insert(ColourOf(p[2], p[1], p[0]));
            if (int(seen.size()) > limit)
                return {};
        }
    }
    std::vector<uint32_t> colours(seen.begin(), seen.end());
    std::sort(colours.begin(), colours.end());
    return colours;
}

// A box of histogram cells, inclusive bounds per channel.
struct TBox {
    int Lo[3] = {0, 0, 0};
    int Hi[3] = {HistSide - 1, HistSide - 1, HistSide - 1};
    uint64_t Count = 0;
};

template <typename Visit>
void ForCells(const TBox& box, Visit&& visit) {
    for (int r = box.Lo[0]; r <= box.Hi[0]; ++r)
        for (int g = box.Lo[1]; g <= box.Hi[1]; ++g)
            for (int b = box.Lo[2]; b <= box.Hi[2]; ++b)
                visit(r, g, b);
}

// Shrinks the box to its occupied cells and counts its pixels.
void Shrink(const THistogram& cells, TBox& box) {
    int lo[3] = {HistSide, HistSide, HistSide}, hi[3] = {-1, -1, -1};
    uint64_t count = 0;
    ForCells(box, [&](int r, int g, int b) {
        const uint32_t n = cells[size_t(CellAt(r, g, b))].Count;
        if (n == 0)
            return;
        count += n;
        const int v[3] = {r, g, b};
        for (int c = 0; c < 3; ++c) {
            lo[c] = std::min(lo[c], v[c]);
            hi[c] = std::max(hi[c], v[c]);
        }
    });
    box.Count = count;
    if (count == 0)
        return;
    for (int c = 0; c < 3; ++c) {
        box.Lo[c] = lo[c];
        box.Hi[c] = hi[c];
    }
}

// Green weighs most and blue least in how far apart colours look.
constexpr int AxisWeight[3] = {2, 3, 1};

int LongestAxis(const TBox& box) {
    int axis = 0, longest = -1;
    for (int c = 0; c < 3; ++c) {
        const int side = (box.Hi[c] - box.Lo[c]) * AxisWeight[c];
        if (side > longest) {
            longest = side;
            axis = c;
        }
    }
    return axis;
}

double SplitScore(const TBox& box) {
    const int axis = LongestAxis(box);
    const double side = double(box.Hi[axis] - box.Lo[axis]) * AxisWeight[axis];
    return side <= 0 ? -1.0 : double(box.Count) * side * side;
}

// Cuts the box at the median of its pixels along its longest axis.
std::pair<TBox, TBox> Split(const THistogram& cells, const TBox& box) {
    const int axis = LongestAxis(box);
    std::vector<uint64_t> plane(size_t(HistSide), 0);
    ForCells(box, [&](int r, int g, int b) {
        const int v[3] = {r, g, b};
        plane[size_t(v[axis])] += cells[size_t(CellAt(r, g, b))].Count;
    });
    uint64_t running = 0;
    int cut = box.Lo[axis];
    for (int v = box.Lo[axis]; v < box.Hi[axis]; ++v) {
        running += plane[size_t(v)];
        cut = v;
        if (2 * running >= box.Count)
            break;
    }
    TBox low = box, high = box;
    low.Hi[axis] = cut;
    high.Lo[axis] = cut + 1;
    Shrink(cells, low);
    Shrink(cells, high);
    return {low, high};
}

uint32_t BoxMean(const THistogram& cells, const TBox& box) {
    uint64_t sum[3] = {0, 0, 0};
    ForCells(box, [&](int r, int g, int b) {
        const TCell& cell = cells[size_t(CellAt(r, g, b))];
        for (int c = 0; c < 3; ++c)
            sum[c] += cell.Sum[c];
    });
    int mean[3];
    for (int c = 0; c < 3; ++c)
        mean[c] = int((sum[c] + box.Count / 2) / box.Count);
    return ColourOf(mean[0], mean[1], mean[2]);
}

std::vector<TBox> MedianCut(const THistogram& cells, int colours) {
    std::vector<TBox> boxes(1);
    Shrink(cells, boxes[0]);
    while (int(boxes.size()) < colours) {
        size_t best = 0;
        double bestScore = -1;
        for (size_t i = 0; i < boxes.size(); ++i) {
            const double score = SplitScore(boxes[i]);
            if (score > bestScore) {
                bestScore = score;
                best = i;
            }
        }
        if (bestScore <= 0)
            break;  // every box is a single cell
        auto [low, high] = Split(cells, boxes[best]);
        boxes[best] = low;
        boxes.push_back(high);
    }
    return boxes;
}

// Lloyd iterations over the occupied cells: each cell goes to its nearest
// entry, each entry moves to the mean of its cells' pixels.
void Refine(const THistogram& cells, std::vector<uint32_t>& palette) {
    constexpr int Rounds = 6;
    std::vector<int> occupied;
    for (size_t i = 0; i < cells.size(); ++i)
        if (cells[i].Count)
            occupied.push_back(int(i));
    for (int round = 0; round < Rounds; ++round) {
        TNearest nearest(palette);
        std::vector<std::array<uint64_t, 4>> sums(palette.size(), {0, 0, 0, 0});
        for (int i : occupied) {
            const TCell& cell = cells[size_t(i)];
            int mean[3];
            for (int c = 0; c < 3; ++c)
                mean[c] = int((cell.Sum[c] + cell.Count / 2) / cell.Count);
            auto& s = sums[size_t(nearest.Index(mean[0], mean[1], mean[2]))];
            for (int c = 0; c < 3; ++c)
                s[size_t(c)] += cell.Sum[c];
            s[3] += cell.Count;
        }
        bool moved = false;
        for (size_t k = 0; k < palette.size(); ++k) {
            const auto& s = sums[k];
            if (s[3] == 0)
                continue;
            const uint32_t colour = ColourOf(int((s[0] + s[3] / 2) / s[3]), int((s[1] + s[3] / 2) / s[3]),
                                             int((s[2] + s[3] / 2) / s[3]));
            moved = moved || colour != palette[k];
            palette[k] = colour;
        }
        if (!moved)
            break;
    }
}

TDither DitherOf(int colours, int32_t flags) {
    if (colours == 2)
        return (flags & Dithered) ? TDither::Diffusion : (flags & BwOrdered) ? TDither::Ordered : TDither::None;
    if (!(flags & Dithered))
        return TDither::None;
    return (flags & (Refined | Diffused)) ? TDither::Diffusion : TDither::Ordered;
}

}  // namespace

std::vector<uint32_t> AdaptivePalette(const TPixelBuffer& picture24, int colours, bool refine) {
    std::vector<uint32_t> palette = FewColours(picture24, colours);
    if (!palette.empty())
        return palette;
    const THistogram cells = BuildHistogram(picture24);
    for (const TBox& box : MedianCut(cells, colours))
        palette.push_back(BoxMean(cells, box));
    if (refine)
        Refine(cells, palette);
    return palette;
}

TPixelBuffer ReducePixels(const TPixelBuffer& source, int colours, int32_t flags) {
    if (colours != 2 && colours != 16 && colours != 256)
        throw EImgError(Format(SInvalidColourCount, colours));
    const int bits = colours == 2 ? 1 : colours == 16 ? 4 : 8;
    const bool grey = colours == 2 || (flags & GreyOutput);
    TDither dither = DitherOf(colours, flags);
    TRowReader reader(source, grey);

    std::vector<uint32_t> palette;
    if (colours == 2)
        palette = TableOf(DefaultPalette(ifBlackWhite));
    else if (grey)
        palette = TableOf(DefaultPalette(colours == 16 ? ifGray16 : ifGray256));
    else if (!(flags & Dithered))
        palette = TableOf(DefaultPalette(colours == 16 ? ifColor16 : ifColor256));
    else if (!(palette = FewColours(reader.Picture(), colours)).empty())
        dither = TDither::None;  // every colour has its own entry
    else
        palette = AdaptivePalette(reader.Picture(), colours, (flags & Refined) != 0);

    TPixelBuffer out(source.Width(), source.Height(), bits);
    out.XPelsPerMeter = source.XPelsPerMeter;
    out.YPelsPerMeter = source.YPelsPerMeter;
    std::fill(out.ColorTable.begin(), out.ColorTable.end(), 0);
    std::copy(palette.begin(), palette.end(), out.ColorTable.begin());

    TNearest nearest(palette);
    switch (dither) {
    case TDither::None: MapPlain(reader, nearest, out, bits); break;
    case TDither::Ordered: MapOrdered(reader, nearest, out, bits); break;
    case TDither::Diffusion: MapDiffused(reader, nearest, out, bits); break;
    }
    return out;
}

TPixelBuffer ChangeDepth(const TPixelBuffer& source, int bits) {
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
        throw EImgError(Format("A picture cannot have %d bits per pixel.", bits));
    if (bits == 24)
        return ConvertPixels(source, 24, {});
    if (source.Indexed() && bits >= source.Depth())
        return ConvertPixels(source, bits, source.ColorTable);
    return ConvertPixels(source, bits, DefaultBitmapColorTable(bits));
}

}  // namespace lumvor::imgman
