#include "imgman/ImgResample.h"

#include "imgman/ImgFormats.h"
#include "imgman/imgman.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <utility>
#include <vector>

namespace lumvor::imgman {

namespace {

// Source positions of each target pixel along one axis: the source pixel
// under the target pixel's centre.
std::vector<int> NearestTable(int origin, int sourceLength, int targetLength) {
    std::vector<int> table(static_cast<size_t>(targetLength));
    for (int t = 0; t < targetLength; ++t)
        table[size_t(t)] =
            origin + static_cast<int>((int64_t(2) * t + 1) * sourceLength / (int64_t(2) * targetLength));
    return table;
}

TPixelBuffer Nearest(const TPixelBuffer& source, const TRect& rect, int width, int height) {
    TPixelBuffer target(width, height, source.Depth());
    target.ColorTable = source.ColorTable;
    target.XPelsPerMeter = source.XPelsPerMeter;
    target.YPelsPerMeter = source.YPelsPerMeter;
    const std::vector<int> xs = NearestTable(rect.Left, rect.Width(), width);
    const std::vector<int> ys = NearestTable(rect.Top, rect.Height(), height);
    const int bytes = source.Depth() >= 8 ? source.BitsPerPixel() / 8 : 0;
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = source.ScanLine(ys[size_t(y)]);
        uint8_t* out = target.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            const int sx = xs[size_t(x)];
            if (bytes > 0)
                std::copy_n(in + int64_t(sx) * bytes, bytes, out + int64_t(x) * bytes);
            else
                target.SetIndex(x, y, source.GetIndex(sx, ys[size_t(y)]));
        }
    }
    return target;
}

// The source pixels [First, Last] one target pixel looks at along one axis:
// the area it covers when shrinking, the pixel under its centre otherwise.
struct Span {
    int First = 0;
    int Last = 0;
};

std::vector<Span> SpanTable(int origin, int sourceLength, int targetLength) {
    std::vector<Span> table(static_cast<size_t>(targetLength));
    if (targetLength >= sourceLength) {
        const std::vector<int> nearest = NearestTable(origin, sourceLength, targetLength);
        for (size_t t = 0; t < table.size(); ++t)
            table[t] = {nearest[t], nearest[t]};
        return table;
    }
    for (int t = 0; t < targetLength; ++t) {
        const int64_t first = int64_t(t) * sourceLength / targetLength;
        const int64_t end = (int64_t(t + 1) * sourceLength + targetLength - 1) / targetLength;
        table[size_t(t)] = {origin + int(first), origin + int(end) - 1};
    }
    return table;
}

// The colour-table index of the darker (or the lighter) of a black-and-white
// picture's two colours.
uint32_t KeptIndex(const TPixelBuffer& source, bool keepDark) {
    auto luminance = [&](size_t i) {
        const uint32_t c = i < source.ColorTable.size() ? source.ColorTable[i] : (i ? 0xFFFFFFu : 0u);
        return 11 * (c & 0xFF) + 59 * ((c >> 8) & 0xFF) + 30 * ((c >> 16) & 0xFF);
    };
    const bool firstDarker = luminance(0) <= luminance(1);
    return firstDarker == keepDark ? 0 : 1;
}

// A black-and-white copy in which a target pixel takes the kept colour when
// any pixel of its source block holds it.
TPixelBuffer Preserve(const TPixelBuffer& source, const TRect& rect, int width, int height, bool keepDark) {
    TPixelBuffer target(width, height, 1);
    target.ColorTable = source.ColorTable;
    target.XPelsPerMeter = source.XPelsPerMeter;
    target.YPelsPerMeter = source.YPelsPerMeter;
    const uint32_t kept = KeptIndex(source, keepDark);
    const std::vector<Span> across = SpanTable(rect.Left, rect.Width(), width);
    const std::vector<Span> down = SpanTable(rect.Top, rect.Height(), height);
    // Per source column: whether a row of the current block holds the kept colour.
    std::vector<uint8_t> holds(size_t(rect.Width()));
    for (int y = 0; y < height; ++y) {
        std::fill(holds.begin(), holds.end(), uint8_t(0));
        for (int sy = down[size_t(y)].First; sy <= down[size_t(y)].Last; ++sy)
            for (int x = 0; x < rect.Width(); ++x)
                holds[size_t(x)] |= source.GetIndex(rect.Left + x, sy) == kept;
        for (int x = 0; x < width; ++x) {
            const Span& span = across[size_t(x)];
            bool found = false;
            for (int sx = span.First; sx <= span.Last && !found; ++sx)
                found = holds[size_t(sx - rect.Left)] != 0;
            target.SetIndex(x, y, found ? kept : 1 - kept);
        }
    }
    return target;
}

// The source pixels that make one target pixel, with their weights (sum 1).
struct Contribution {
    int First = 0;
    std::vector<float> Weights;
};

std::vector<Contribution> Contributions(int sourceLength, int targetLength) {
    std::vector<Contribution> list(static_cast<size_t>(targetLength));
    const double scale = double(sourceLength) / double(targetLength);
    for (int t = 0; t < targetLength; ++t) {
        Contribution& c = list[size_t(t)];
        if (scale > 1) {
            // Shrinking: the share of each source pixel in the target pixel's area.
            const double start = t * scale, end = (t + 1) * scale;
            c.First = static_cast<int>(std::floor(start));
            const int last = std::min(sourceLength - 1, static_cast<int>(std::ceil(end)) - 1);
            for (int s = c.First; s <= last; ++s) {
                const double w = std::min(end, double(s + 1)) - std::max(start, double(s));
                c.Weights.push_back(static_cast<float>(std::max(w, 0.0) / scale));
            }
        } else {
            // Enlarging: linear between the two nearest source pixel centres.
            const double centre = std::clamp((t + 0.5) * scale - 0.5, 0.0, double(sourceLength - 1));
            c.First = static_cast<int>(std::floor(centre));
            const double f = centre - c.First;
            c.Weights.push_back(static_cast<float>(1 - f));
            if (c.First + 1 < sourceLength && f > 0)
                c.Weights.push_back(static_cast<float>(f));
        }
    }
    return list;
}

bool GreyTable(const TPixelBuffer& pixels) {
    if (!pixels.Indexed() || pixels.ColorTable.empty())
        return false;
    return std::all_of(pixels.ColorTable.begin(), pixels.ColorTable.end(), [](uint32_t c) {
        return (c & 0xFF) == ((c >> 8) & 0xFF) && (c & 0xFF) == ((c >> 16) & 0xFF);
    });
}

// The smooth copy at the rectangle's own size: every weight is 1, so each
// pixel is taken over at the smooth copy's depth.
TPixelBuffer SmoothSameSize(const TPixelBuffer& source, const TRect& rect, TPixelBuffer target) {
    for (int y = 0; y < rect.Height(); ++y) {
        uint8_t* out = target.ScanLine(y);
        if (source.Depth() == 24) {
            std::copy_n(source.ScanLine(rect.Top + y) + int64_t(rect.Left) * 3, size_t(rect.Width()) * 3, out);
            continue;
        }
        for (int x = 0; x < rect.Width(); ++x) {
            const uint32_t c = source.GetColor(rect.Left + x, rect.Top + y);
            if (target.Depth() == 8) {
                out[x] = uint8_t(c);
            } else {
                out[3 * x] = uint8_t(c), out[3 * x + 1] = uint8_t(c >> 8), out[3 * x + 2] = uint8_t(c >> 16);
            }
        }
    }
    return target;
}

TPixelBuffer Smooth(const TPixelBuffer& source, const TRect& rect, int width, int height, bool grey) {
    const int channels = grey ? 1 : 3;
    TPixelBuffer target = BlackWhiteOrGrey(width, height, grey ? 8 : 24);
    target.XPelsPerMeter = source.XPelsPerMeter;
    target.YPelsPerMeter = source.YPelsPerMeter;
    if (width == rect.Width() && height == rect.Height())
        return SmoothSameSize(source, rect, std::move(target));

    const std::vector<Contribution> across = Contributions(rect.Width(), width);
    const std::vector<Contribution> down = Contributions(rect.Height(), height);

    // One source row of the rectangle as channel values (blue, green, red or grey).
    std::vector<float> values(size_t(rect.Width()) * channels);
    auto sourceRow = [&](int row) {
        const int y = rect.Top + row;
        const uint8_t* in = source.ScanLine(y);
        for (int x = 0; x < rect.Width(); ++x) {
            float* v = values.data() + size_t(x) * channels;
            if (source.Depth() == 24) {
                const uint8_t* p = in + int64_t(rect.Left + x) * 3;
                v[0] = p[0], v[1] = p[1], v[2] = p[2];
            } else {
                const uint32_t c = source.GetColor(rect.Left + x, y);
                if (grey) {
                    v[0] = float(c & 0xFF);
                } else {
                    v[0] = float(c & 0xFF), v[1] = float((c >> 8) & 0xFF), v[2] = float((c >> 16) & 0xFF);
                }
            }
        }
    };
    // Source rows resampled across, kept while target rows still need them.
    std::deque<std::pair<int, std::vector<float>>> rows;
    auto acrossRow = [&](int row) -> const std::vector<float>& {
        for (const auto& r : rows)
            if (r.first == row)
                return r.second;
        sourceRow(row);
        std::vector<float> out(size_t(width) * channels, 0.0f);
        for (int x = 0; x < width; ++x) {
            const Contribution& c = across[size_t(x)];
            for (size_t k = 0; k < c.Weights.size(); ++k)
                for (int ch = 0; ch < channels; ++ch)
                    out[size_t(x) * channels + ch] += c.Weights[k] * values[(size_t(c.First) + k) * channels + ch];
        }
        rows.emplace_back(row, std::move(out));
        return rows.back().second;
    };

    std::vector<float> sum(size_t(width) * channels);
    for (int y = 0; y < height; ++y) {
        const Contribution& c = down[size_t(y)];
        while (!rows.empty() && rows.front().first < c.First)
            rows.pop_front();
        std::fill(sum.begin(), sum.end(), 0.0f);
        for (size_t k = 0; k < c.Weights.size(); ++k) {
            const std::vector<float>& row = acrossRow(c.First + static_cast<int>(k));
            for (size_t i = 0; i < sum.size(); ++i)
                sum[i] += c.Weights[k] * row[i];
        }
        uint8_t* out = target.ScanLine(y);
        for (size_t i = 0; i < sum.size(); ++i)
            out[i] = static_cast<uint8_t>(std::clamp(std::lround(sum[i]), 0L, 255L));
    }
    return target;
}

}  // namespace

TPixelBuffer ResamplePixels(const TPixelBuffer& source, const TRect& rect, int width, int height, int32_t flags) {
    if (!PictureSizeAllowed(width, height))
        throw EInvalidGraphic(Format(SInvalidCopySize, width, height));
    const bool grey = GreyTable(source);
    if (flags & (IMG_COPY_GRAY | IMG_COPY_SMOOTH))
        return Smooth(source, rect, width, height, grey);
    if (source.Depth() == 1 && (flags & (IMG_COPY_PRESERVE_BLACK | IMG_COPY_PRESERVE_WHITE)))
        return Preserve(source, rect, width, height, (flags & IMG_COPY_PRESERVE_BLACK) != 0);
    return Nearest(source, rect, width, height);
}

}  // namespace lumvor::imgman
