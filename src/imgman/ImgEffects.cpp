#include "imgman/ImgEffects.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <random>
#include <vector>

namespace lumvor::imgman {

namespace {

constexpr int MaxSteps = 256;
constexpr int MinSteps = 8;

// Steps to uncover `units` pixels or blocks at `perStep` a step.
int StepsFor(int64_t units, int64_t perStep) {
    perStep = std::max<int64_t>(perStep, 1);
    int64_t n = (units + perStep - 1) / perStep;
    n = std::min<int64_t>(n, MaxSteps);
    n = std::max<int64_t>(n, std::min<int64_t>(units, MinSteps));
    return static_cast<int>(std::max<int64_t>(n, 1));
}

// Each transition shuffles with its own seed, so two slides in a row do not
// show the same pattern.
uint32_t NextSeed() {
    static uint32_t counter = 0x2545F491u;
    counter = counter * 1664525u + 1013904223u;
    return counter;
}

TRect Union(const TRect& a, const TRect& b) {
    if (a.Width() <= 0 || a.Height() <= 0)
        return b;
    if (b.Width() <= 0 || b.Height() <= 0)
        return a;
    return Rect(std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                std::max(a.Bottom, b.Bottom));
}

// ---- Wipes, curtains and blinds: strips along one axis

// A stretch of the axis that the new picture enters from one of its ends.
struct TSegment {
    int Start;
    int Length;
    bool EntryHigh;  // the new picture comes in at the right or bottom end
};

class TStripTransition : public TImgTransition {
public:
    TStripTransition(TPixelBuffer& surface, const TRect& area, TPixelBuffer newPixels, bool horizontal,
                     std::vector<TSegment> segments, int mode, int advance)
        : TImgTransition(surface, area, std::move(newPixels)),
          horizontal_(horizontal),
          segments_(std::move(segments)),
          newMoves_(mode == 0 || mode == 2),
          oldMoves_(mode == 0 || mode == 1),
          bands_(segments_.size(), 0) {
        int longest = 0;
        for (const TSegment& s : segments_) longest = std::max(longest, s.Length);
        steps_ = StepsFor(longest, advance);
    }

    TRect Step(int k) override {
        runs_.clear();
        for (size_t i = 0; i < segments_.size(); ++i) {
            const TSegment& s = segments_[i];
            const int band = static_cast<int>(int64_t(s.Length) * std::min(k, steps_) / steps_);
            if (band != bands_[i])
                AddRuns(s, band, bands_[i]);
            bands_[i] = band;
        }
        return DrawRuns();
    }

private:
    // A stretch of the axis copied from one layer; positions along the axis.
    struct TRun {
        int Dest;
        int Length;
        const TPixelBuffer* Layer;
        int Source;
    };

    void Add(int dest, int length, const TPixelBuffer& layer, int source) {
        if (length > 0)
            runs_.push_back({dest, length, &layer, source});
    }

    // The runs of one segment whose band of new picture grew from `previous`
    // to `band` pixels.
    void AddRuns(const TSegment& s, int band, int previous) {
        const int rest = s.Length - band;
        if (!newMoves_ && !oldMoves_) {  // only the newly uncovered strip changes
            const int from = s.EntryHigh ? rest : previous;
            Add(s.Start + from, band - previous, new_, s.Start + from);
            return;
        }
        if (s.EntryHigh) {
            Add(s.Start + rest, band, new_, s.Start + (newMoves_ ? 0 : rest));
            Add(s.Start, rest, old_, s.Start + (oldMoves_ ? band : 0));
        } else {
            Add(s.Start, band, new_, s.Start + (newMoves_ ? rest : 0));
            Add(s.Start + band, rest, old_, s.Start + (oldMoves_ ? 0 : band));
        }
    }

    TRect DrawRuns() {
        if (runs_.empty())
            return {};
        int low = runs_.front().Dest, high = low;
        for (const TRun& r : runs_) {
            low = std::min(low, r.Dest);
            high = std::max(high, r.Dest + r.Length);
        }
        const int width = area_.Width(), height = area_.Height();
        if (!horizontal_) {
            for (const TRun& r : runs_)
                for (int i = 0; i < r.Length; ++i) CopyPixels(*r.Layer, 0, r.Source + i, 0, r.Dest + i, width);
            return ToSurface(Rect(0, low, width, high));
        }
        if (int64_t(runs_.size()) * 8 <= width) {
            for (int y = 0; y < height; ++y)
                for (const TRun& r : runs_) CopyPixels(*r.Layer, r.Source, y, r.Dest, y, r.Length);
        } else if (bytesPerPixel_ == 3) {
            CopyColumns<3>();
        } else {
            CopyColumns<4>();
        }
        return ToSurface(Rect(low, 0, high, height));
    }

    // Many short runs (narrow slats): one column map, then pixel by pixel.
    template <int Bytes>
    void CopyColumns() {
        std::vector<int32_t> dest, source;
        std::vector<uint8_t> layer;
        for (const TRun& r : runs_)
            for (int i = 0; i < r.Length; ++i) {
                dest.push_back((area_.Left + r.Dest + i) * Bytes);
                source.push_back((r.Source + i) * Bytes);
                layer.push_back(r.Layer == &new_ ? 1 : 0);
            }
        const size_t count = dest.size();
        for (int y = 0; y < area_.Height(); ++y) {
            const uint8_t* rows[2] = {old_.ScanLine(y), new_.ScanLine(y)};
            uint8_t* target = surface_.ScanLine(area_.Top + y);
            for (size_t j = 0; j < count; ++j) std::memcpy(target + dest[j], rows[layer[j]] + source[j], Bytes);
        }
    }

    bool horizontal_;
    std::vector<TSegment> segments_;
    bool newMoves_, oldMoves_;
    std::vector<int> bands_;
    std::vector<TRun> runs_;
};

// ---- Tiles, mosaics and random lines: blocks uncovered in place

class TBlockTransition : public TImgTransition {
public:
    // sweep: -1 random order, else the side the front starts from (0 right,
    // 1 left, 2 bottom, 3 top).
    TBlockTransition(TPixelBuffer& surface, const TRect& area, TPixelBuffer newPixels, int blockWidth,
                     int blockHeight, int perStep, int sweep)
        : TImgTransition(surface, area, std::move(newPixels)),
          blockWidth_(std::clamp(blockWidth, 1, area.Width())),
          blockHeight_(std::clamp(blockHeight, 1, area.Height())),
          columns_((area.Width() + blockWidth_ - 1) / blockWidth_),
          rows_((area.Height() + blockHeight_ - 1) / blockHeight_) {
        const int64_t count = int64_t(columns_) * rows_;
        order_.resize(size_t(count));
        std::iota(order_.begin(), order_.end(), 0u);
        std::minstd_rand random(NextSeed());
        std::shuffle(order_.begin(), order_.end(), random);
        if (sweep >= 0)
            SortIntoFront(sweep, random);
        steps_ = StepsFor(count, perStep);
    }

    TRect Step(int k) override {
        const int64_t count = int64_t(order_.size());
        const int64_t first = count * (k - 1) / steps_, last = count * std::min(k, steps_) / steps_;
        TRect changed;
        for (int64_t i = first; i < last; ++i) {
            const uint32_t block = order_[size_t(i)];
            const int x = int(block % uint32_t(columns_)) * blockWidth_, y = int(block / uint32_t(columns_)) * blockHeight_;
            const TRect r = Rect(x, y, std::min(x + blockWidth_, area_.Width()), std::min(y + blockHeight_, area_.Height()));
            CopyBlock(new_, r);
            changed = Union(changed, r);
        }
        return ToSurface(changed);
    }

private:
    // Orders the (shuffled) blocks by their line counted from the starting
    // side plus a random lag, so the front sweeps across with a ragged edge.
    void SortIntoFront(int side, std::minstd_rand& random) {
        const bool byColumn = side < 2;
        const int lines = byColumn ? columns_ : rows_;
        const int lag = std::max(1, lines / 4);
        std::vector<uint32_t> key(order_.size());
        std::vector<uint32_t> bucketStart(size_t(lines + lag) + 1, 0);
        for (size_t i = 0; i < order_.size(); ++i) {
            const uint32_t block = order_[i];
            int line = byColumn ? int(block % uint32_t(columns_)) : int(block / uint32_t(columns_));
            if (side == 0 || side == 2)
                line = lines - 1 - line;
            key[i] = uint32_t(line) + uint32_t(random() % uint32_t(lag));
            ++bucketStart[key[i] + 1];
        }
        std::partial_sum(bucketStart.begin(), bucketStart.end(), bucketStart.begin());
        std::vector<uint32_t> sorted(order_.size());
        for (size_t i = 0; i < order_.size(); ++i) sorted[bucketStart[key[i]]++] = order_[i];
        order_ = std::move(sorted);
    }

    int blockWidth_, blockHeight_;
    int columns_, rows_;
    std::vector<uint32_t> order_;
};

// ---- Implode and explode: a shape around the centre

enum class TShape { Rectangle, RoundedRectangle, Ellipse };

class TShapeTransition : public TImgTransition {
public:
    TShapeTransition(TPixelBuffer& surface, const TRect& area, TPixelBuffer newPixels, bool explode, TShape shape,
                     int steps)
        : TImgTransition(surface, area, std::move(newPixels)), explode_(explode), shape_(shape) {
        steps_ = steps;
    }

    TRect Step(int k) override {
        k = std::min(k, steps_);
        const double before = Scale(k - 1), now = Scale(k);
        // Explode uncovers what the grown shape adds; implode what the shrunk
        // shape gives up.
        const double outer = explode_ ? now : before, inner = explode_ ? before : now;
        TRect changed;
        for (int y = 0; y < area_.Height(); ++y) {
            const TSpan wide = Span(outer, y), narrow = Span(inner, y);
            if (wide.Left >= wide.Right)
                continue;
            if (narrow.Left >= narrow.Right) {
                Uncover(wide.Left, wide.Right, y, changed);
            } else {
                Uncover(wide.Left, std::min(narrow.Left, wide.Right), y, changed);
                Uncover(std::max(narrow.Right, wide.Left), wide.Right, y, changed);
            }
        }
        return ToSurface(changed);
    }

private:
    struct TSpan {
        int Left = 0;
        int Right = 0;
    };

    double Scale(int k) const {
        const double p = double(k) / steps_;
        return explode_ ? p : 1.0 - p;
    }

    void Uncover(int left, int right, int y, TRect& changed) {
        if (left >= right)
            return;
        CopyPixels(new_, left, y, left, y, right - left);
        changed = Union(changed, Rect(left, y, right, y + 1));
    }

    // The shape's pixels in row y at scale s (the whole row from scale 1 on,
    // none at 0): the pixels whose centres lie inside.
    TSpan Span(double s, int y) const {
        const int width = area_.Width(), height = area_.Height();
        if (s >= 1.0)
            return {0, width};
        if (s <= 0.0)
            return {};
        // At scale 1 each shape covers the whole area.
        const double grow = shape_ == TShape::Rectangle ? 1.0 : shape_ == TShape::Ellipse ? std::sqrt(2.0) : 1.2;
        const double ax = s * grow * width / 2, ay = s * grow * height / 2;
        const double cx = width / 2.0, dy = std::abs(y + 0.5 - height / 2.0);
        if (dy > ay)
            return {};
        double half = ax;
        if (shape_ == TShape::Ellipse) {
            const double q = dy / ay;
            half = ax * std::sqrt(std::max(0.0, 1.0 - q * q));
        } else if (shape_ == TShape::RoundedRectangle) {
            const double corner = 0.35 * std::min(ax, ay), straight = ay - corner;
            if (dy > straight) {
                const double d = dy - straight;
                half = ax - corner + std::sqrt(std::max(0.0, corner * corner - d * d));
            }
        }
        const int left = std::max(0, int(std::ceil(cx - half - 0.5)));
        const int right = std::min(width, int(std::floor(cx + half - 0.5)) + 1);
        return {left, std::max(left, right)};
    }

    bool explode_;
    TShape shape_;
};

// ---- Blur intro

class TBlurTransition : public TImgTransition {
public:
    TBlurTransition(TPixelBuffer& surface, const TRect& area, TPixelBuffer newPixels, int steps)
        : TImgTransition(surface, area, std::move(newPixels)), blurred_(new_) {
        steps_ = std::max(2, steps);
        const int radius = std::max(1, std::min(area.Width(), area.Height()) / 60);
        for (int round = 0; round < 2; ++round) {
            BlurRows(radius);
            BlurColumns(radius);
        }
    }

    TRect Step(int k) override {
        const int half = steps_ / 2;
        if (k >= steps_) {
            CopyBlock(new_, Rect(0, 0, area_.Width(), area_.Height()));
        } else if (k <= half) {
            Mix(old_, blurred_, k * 256 / half);
        } else {
            Mix(blurred_, new_, (k - half) * 256 / (steps_ - half));
        }
        return area_;
    }

private:
    // Each byte of the area := from + (to - from) x weight / 256.
    void Mix(const TPixelBuffer& from, const TPixelBuffer& to, int weight) {
        const uint32_t w = uint32_t(std::clamp(weight, 0, 256)), rest = 256 - w;
        const int64_t bytes = int64_t(area_.Width()) * bytesPerPixel_;
        for (int y = 0; y < area_.Height(); ++y) {
            const uint8_t* a = from.ScanLine(y);
            const uint8_t* b = to.ScanLine(y);
            uint8_t* target = surface_.ScanLine(area_.Top + y) + int64_t(area_.Left) * bytesPerPixel_;
            for (int64_t i = 0; i < bytes; ++i) target[i] = uint8_t((a[i] * rest + b[i] * w) >> 8);
        }
    }

    // Box averages over 2 x radius + 1 pixels, the edge pixels repeated.
    void BlurRows(int radius) {
        const int width = area_.Width(), bpp = bytesPerPixel_, span = 2 * radius + 1;
        const uint32_t scale = (1u << 16) / uint32_t(span);
        std::vector<uint8_t> line(size_t(width) * bpp);
        for (int y = 0; y < blurred_.Height(); ++y) {
            uint8_t* row = blurred_.ScanLine(y);
            std::memcpy(line.data(), row, line.size());
            for (int c = 0; c < bpp; ++c) {
                auto at = [&](int x) { return uint32_t(line[size_t(std::clamp(x, 0, width - 1)) * bpp + c]); };
                uint32_t sum = 0;
                for (int x = -radius; x <= radius; ++x) sum += at(x);
                for (int x = 0; x < width; ++x) {
                    row[size_t(x) * bpp + c] = uint8_t(std::min<uint32_t>(255, (sum * scale + 0x8000) >> 16));
                    sum += at(x + radius + 1);
                    sum -= at(x - radius);
                }
            }
        }
    }

    void BlurColumns(int radius) {
        const int height = area_.Height(), span = 2 * radius + 1;
        const size_t bytes = size_t(area_.Width()) * bytesPerPixel_;
        const uint32_t scale = (1u << 16) / uint32_t(span);
        TPixelBuffer source = blurred_;
        auto row = [&](int y) { return source.ScanLine(std::clamp(y, 0, height - 1)); };
        std::vector<uint32_t> sums(bytes, 0);
        for (int y = -radius; y <= radius; ++y) {
            const uint8_t* r = row(y);
            for (size_t i = 0; i < bytes; ++i) sums[i] += r[i];
        }
        for (int y = 0; y < height; ++y) {
            uint8_t* target = blurred_.ScanLine(y);
            const uint8_t* entering = row(y + radius + 1);
            const uint8_t* leaving = row(y - radius);
            for (size_t i = 0; i < bytes; ++i) {
                target[i] = uint8_t(std::min<uint32_t>(255, (sums[i] * scale + 0x8000) >> 16));
                sums[i] += entering[i];
                sums[i] -= leaving[i];
            }
        }
    }

    TPixelBuffer blurred_;
};

// ---- Everything else: the new picture at once

class TCutTransition : public TImgTransition {
public:
    TCutTransition(TPixelBuffer& surface, const TRect& area, TPixelBuffer newPixels)
        : TImgTransition(surface, area, std::move(newPixels)) {}
    TRect Step(int) override { return Finish(); }
};

std::vector<TSegment> Slats(int extent, int size, bool entryHigh) {
    std::vector<TSegment> slats;
    for (int start = 0; start < extent; start += size) slats.push_back({start, std::min(size, extent - start), entryHigh});
    return slats;
}

}  // namespace

TImgTransition::TImgTransition(TPixelBuffer& surface, const TRect& area, TPixelBuffer newPixels)
    : surface_(surface),
      area_(area),
      bytesPerPixel_(surface.BitsPerPixel() / 8),
      old_(area.Width(), area.Height(), surface.Depth()),
      new_(std::move(newPixels)) {
    for (int y = 0; y < area.Height(); ++y)
        std::memcpy(old_.ScanLine(y), surface.ScanLine(area.Top + y) + int64_t(area.Left) * bytesPerPixel_,
                    size_t(area.Width()) * bytesPerPixel_);
}

TRect TImgTransition::Finish() {
    CopyBlock(new_, Rect(0, 0, area_.Width(), area_.Height()));
    return area_;
}

void TImgTransition::CopyPixels(const TPixelBuffer& layer, int from, int row, int x, int y, int count) {
    std::memcpy(surface_.ScanLine(area_.Top + y) + int64_t(area_.Left + x) * bytesPerPixel_,
                layer.ScanLine(row) + int64_t(from) * bytesPerPixel_, size_t(count) * bytesPerPixel_);
}

void TImgTransition::CopyBlock(const TPixelBuffer& layer, const TRect& r) {
    for (int y = r.Top; y < r.Bottom; ++y) CopyPixels(layer, r.Left, y, r.Left, y, r.Width());
}

TRect TImgTransition::ToSurface(const TRect& r) const {
    if (r.Width() <= 0 || r.Height() <= 0)
        return {};
    return Rect(r.Left + area_.Left, r.Top + area_.Top, r.Right + area_.Left, r.Bottom + area_.Top);
}

std::unique_ptr<TImgTransition> MakeTransition(TPixelBuffer& surface, const TRect& area, TPixelBuffer newPixels,
                                               int effect, int variant, int parameter, int granularity) {
    const int g = std::max(1, granularity);
    const int low = parameter & 0xFFFF, high = int(uint32_t(parameter) >> 16);
    const int width = area.Width(), height = area.Height();
    const int mode = variant & 3;
    auto strips = [&](bool horizontal, std::vector<TSegment> segments, int advance) {
        return std::make_unique<TStripTransition>(surface, area, std::move(newPixels), horizontal,
                                                  std::move(segments), mode, advance);
    };
    auto blocks = [&](int blockWidth, int blockHeight, int sweep) {
        return std::make_unique<TBlockTransition>(surface, area, std::move(newPixels), blockWidth, blockHeight, g,
                                                  sweep);
    };
    if (effect >= 1 && effect <= 4) {  // wipes
        const int side = effect - 1;
        const bool horizontal = side < 2;
        return strips(horizontal, {{0, horizontal ? width : height, side % 2 == 0}}, g * std::max(1, low));
    }
    if (effect >= 5 && effect <= 8) {  // curtains: two halves that open or close
        const bool horizontal = effect <= 6, out = effect % 2 == 1;
        const int extent = horizontal ? width : height, middle = extent / 2;
        std::vector<TSegment> halves;
        if (middle > 0)
            halves.push_back({0, middle, out});
        halves.push_back({middle, extent - middle, !out});
        return strips(horizontal, std::move(halves), g * std::max(1, low));
    }
    if (effect >= 18 && effect <= 21) {  // blinds
        const int side = effect - 18;
        const bool horizontal = side < 2;
        const int extent = horizontal ? width : height;
        const int size = std::clamp(high > 0 ? high : low, 1, extent);
        return strips(horizontal, Slats(extent, size, side % 2 == 0), high > 0 ? std::max(1, low) : 1);
    }
    if (effect == 9) {
        if (mode == 3)
            return blocks(low, high, -1);
        return blocks(low, low, -1);
    }
    if (effect >= 10 && effect <= 13)
        return blocks(low, low, effect - 10);
    if (effect == 32)
        return blocks(width, 1, -1);
    if (effect == 33)
        return blocks(1, height, -1);
    if (effect == 14)
        return std::make_unique<TBlurTransition>(surface, area, std::move(newPixels), std::clamp(g, MinSteps, 64));
    if (effect == 16 || effect == 17) {
        const TShape shape = variant == 5 ? TShape::RoundedRectangle
                             : variant == 6 ? TShape::Ellipse
                                            : TShape::Rectangle;
        const int steps = std::clamp(4 * g / std::max(1, low), MinSteps, MaxSteps);
        return std::make_unique<TShapeTransition>(surface, area, std::move(newPixels), effect == 17, shape, steps);
    }
    return std::make_unique<TCutTransition>(surface, area, std::move(newPixels));
}

}  // namespace lumvor::imgman
