// Windows metafiles played by our record player: sizes from the placeable
// header and the EMF frame, pixels over the background colour, the drawing
// compared with the reference renderers of libwmf (wmf2gd) and libemf2svg
// (emf2svg-conv, drawn by rsvg-convert), and hostile files.
#include "platform/Metafile.h"
#include "platform/PixelBuffer.h"
#include "platform/SysUtils.h"

#include "support/case_names.h"
#include "support/file_helpers.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

namespace lumvor {
namespace {

std::string Fixture(const std::string& name) { return std::string(LUMVOR_FIXTURES) + "/metafile/" + name; }

std::vector<uint8_t> FixtureBytes(const std::string& name) {
    const std::string text = test::ReadFileText(Fixture(name));
    return {text.begin(), text.end()};
}

// 0xRRGGBB of a pixel.
uint32_t Rgb(const TPixelBuffer& picture, int x, int y) { return picture.GetColor(x, y) & 0xFFFFFF; }

// Runs a tool; true when it ran and exited with 0.
bool RunTool(const QString& program, const QStringList& arguments) {
    QProcess tool;
    tool.start(program, arguments);
    return tool.waitForFinished(30000) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

bool Near(uint32_t a, uint32_t b) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)) > 64)
            return false;
    return true;
}

// The share of our pixels that match no reference pixel at most one pixel
// away: the renderers place outlines and smooth edges apart by a pixel.
double DifferingShare(const TPixelBuffer& ours, const QImage& reference) {
    if (reference.width() != ours.Width() || reference.height() != ours.Height())
        return 1.0;
    int64_t differing = 0;
    for (int y = 0; y < ours.Height(); ++y)
        for (int x = 0; x < ours.Width(); ++x) {
            bool matched = false;
            for (int dy = -1; dy <= 1 && !matched; ++dy)
                for (int dx = -1; dx <= 1 && !matched; ++dx)
                    if (reference.valid(x + dx, y + dy))
                        matched = Near(Rgb(ours, x, y), reference.pixel(x + dx, y + dy) & 0xFFFFFF);
            differing += matched ? 0 : 1;
        }
    return double(differing) / (double(ours.Width()) * ours.Height());
}

struct HalfCase {
    const char* name;
    const char* file;
};

class RedHalf : public ::testing::TestWithParam<HalfCase> {};

// Two inches by one at 96 pixels an inch; the undrawn half keeps the
// background colour exactly.
TEST_P(RedHalf, IsSizedByItsHeaderAndLeavesTheBackground) {
    const TColor background = RGB(10, 200, 30);
    const TPixelBuffer picture = RenderMetafile(Fixture(GetParam().file), background);
    ASSERT_EQ(picture.Width(), 192);
    ASSERT_EQ(picture.Height(), 96);
    EXPECT_EQ(picture.Depth(), 24);
    int wrong = 0;
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 192; ++x)
            if (Rgb(picture, x, y) != (x < 96 ? 0xFF0000u : 0x0AC81Eu) && wrong++ == 0)
                ADD_FAILURE() << "first wrong pixel at " << x << ", " << y << ": " << std::hex << Rgb(picture, x, y);
    EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(Metafile, RedHalf,
                         ::testing::Values(HalfCase{"Placeable_WMF", "red_left_half.wmf"},
                                           HalfCase{"EMF_frame", "red_left_half.emf"}),
                         test::CaseNames<&HalfCase::name>);

TEST(Metafile, FixturesAreAcceptedByTheReferenceReaders) {
    QTemporaryDir folder;
    for (const char* name : {"red_left_half.wmf", "shapes.wmf", "records.wmf"})
        EXPECT_TRUE(RunTool("wmf2svg", {"-o", folder.filePath("out.svg"), QString::fromStdString(Fixture(name))})) << name;
    for (const char* name : {"red_left_half.emf", "shapes.emf", "records.emf"})
        EXPECT_TRUE(RunTool("emf2svg-conv", {"-i", QString::fromStdString(Fixture(name)), "-o", folder.filePath("out.svg")}))
            << name;
}

// One of every record the player reads: all of it is drawn, none of it faults.
TEST(Metafile, EveryRecordKindIsPlayed) {
    const struct {
        const char* file;
        int width, height;
    } cases[] = {{"records.wmf", 192, 96}, {"records.emf", 384, 192}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const TPixelBuffer picture = RenderMetafile(Fixture(c.file), clWhite);
        ASSERT_EQ(picture.Width(), c.width);
        ASSERT_EQ(picture.Height(), c.height);
        int drawn = 0;
        for (int y = 0; y < picture.Height(); ++y)
            for (int x = 0; x < picture.Width(); ++x)
                drawn += Rgb(picture, x, y) != 0xFFFFFFu ? 1 : 0;
        EXPECT_GT(drawn, picture.Width() * picture.Height() / 10);
    }
}

TEST(Metafile, WmfShapesMatchLibwmfsRendering) {
    QTemporaryDir folder;
    const QString png = folder.filePath("reference.png");
    ASSERT_TRUE(RunTool("wmf2gd", {"-t", "png", "--maxwidth=384", "--maxheight=288", "--maxsize", "-o", png,
                               QString::fromStdString(Fixture("shapes.wmf"))}));
    const TPixelBuffer ours = RenderMetafile(Fixture("shapes.wmf"), clWhite);
    ASSERT_EQ(ours.Width(), 384);  // four inches by three
    ASSERT_EQ(ours.Height(), 288);
    EXPECT_LT(DifferingShare(ours, QImage(png).convertToFormat(QImage::Format_RGB32)), 0.01);
}

TEST(Metafile, EmfShapesMatchLibemf2svgsRendering) {
    QTemporaryDir folder;
    const QString svg = folder.filePath("reference.svg"), png = folder.filePath("reference.png");
    ASSERT_TRUE(RunTool("emf2svg-conv", {"-i", QString::fromStdString(Fixture("shapes.emf")), "-o", svg}));
    ASSERT_TRUE(RunTool("rsvg-convert", {"-w", "384", "-h", "288", "-b", "white", "-o", png, svg}));
    const TPixelBuffer ours = RenderMetafile(Fixture("shapes.emf"), clWhite);
    ASSERT_EQ(ours.Width(), 384);
    ASSERT_EQ(ours.Height(), 288);
    EXPECT_LT(DifferingShare(ours, QImage(png).convertToFormat(QImage::Format_RGB32)), 0.01);
}

// ---- Hostile and damaged files

void ExpectInvalid(std::vector<uint8_t> bytes) {
    TMetafile metafile;
    EXPECT_THROW(metafile.LoadFromBytes(std::move(bytes)), EInvalidGraphic);
    EXPECT_TRUE(metafile.Empty());
}

// Loads and plays whatever loads; a file that loads is drawn without fault.
void LoadAndPlay(std::vector<uint8_t> bytes) {
    TMetafile metafile;
    try {
        metafile.LoadFromBytes(std::move(bytes));
    } catch (const EInvalidGraphic&) {
        return;
    }
    QImage canvas(std::min(metafile.Width(), 512), std::min(metafile.Height(), 512), QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    metafile.Play(painter, QRectF(0, 0, canvas.width(), canvas.height()));
}

void Put16(std::vector<uint8_t>& bytes, size_t at, uint16_t value) {
    bytes[at] = value & 0xFF;
    bytes[at + 1] = value >> 8;
}

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = value >> (8 * i) & 0xFF;
}

TEST(MetafileDamage, TruncatedFilesAreRefused) {
    for (const char* name : {"red_left_half.wmf", "red_left_half.emf", "shapes.wmf", "shapes.emf", "records.wmf",
                             "records.emf"}) {
        const std::vector<uint8_t> whole = FixtureBytes(name);
        for (size_t length : {size_t(0), size_t(1), size_t(21), size_t(30), whole.size() / 2, whole.size() - 1}) {
            SCOPED_TRACE(std::string(name) + " cut to " + std::to_string(length));
            ExpectInvalid(std::vector<uint8_t>(whole.begin(), whole.begin() + long(length)));
        }
    }
}

struct DamageCase {
    const char* name;
    const char* file;
    void (*damage)(std::vector<uint8_t>&);
};

class HeaderDamage : public ::testing::TestWithParam<DamageCase> {};

TEST_P(HeaderDamage, IsRefused) {
    std::vector<uint8_t> bytes = FixtureBytes(GetParam().file);
    GetParam().damage(bytes);
    ExpectInvalid(bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Metafile, HeaderDamage,
    ::testing::Values(
        DamageCase{"Garbage", "red_left_half.wmf",
                   [](std::vector<uint8_t>& b) {
                       for (size_t i = 0; i < b.size(); ++i)
                           b[i] = uint8_t(i * 37 + 11);
                   }},
        DamageCase{"WmfZeroUnitsPerInch", "red_left_half.wmf", [](std::vector<uint8_t>& b) { Put16(b, 14, 0); }},
        DamageCase{"WmfBeyondPictureLimit", "red_left_half.wmf",
                   [](std::vector<uint8_t>& b) {
                       Put16(b, 10, 32767);  // right
                       Put16(b, 12, 32767);  // bottom
                       Put16(b, 14, 1);      // one unit an inch
                   }},
        DamageCase{"WmfSizeBeyondFile", "red_left_half.wmf", [](std::vector<uint8_t>& b) { Put32(b, 22 + 6, 0x7FFFFFFF); }},
        DamageCase{"WmfRecordOfSizeZero", "red_left_half.wmf", [](std::vector<uint8_t>& b) { Put32(b, 22 + 18, 0); }},
        DamageCase{"WmfRecordBeyondEnd", "red_left_half.wmf",
                   [](std::vector<uint8_t>& b) { Put32(b, 22 + 18, 0x40000000); }},
        DamageCase{"EmfEmptyFrame", "red_left_half.emf", [](std::vector<uint8_t>& b) { Put32(b, 32, 0); }},
        DamageCase{"EmfFrameBeyondPictureLimit", "red_left_half.emf",
                   [](std::vector<uint8_t>& b) {
                       Put32(b, 32, 0x7FFFFFFF);
                       Put32(b, 36, 0x7FFFFFFF);
                   }},
        DamageCase{"EmfNoDeviceSize", "red_left_half.emf", [](std::vector<uint8_t>& b) { Put32(b, 80, 0); }},
        DamageCase{"EmfSizeBeyondFile", "red_left_half.emf", [](std::vector<uint8_t>& b) { Put32(b, 48, 1 << 20); }},
        DamageCase{"EmfRecordOfSizeZero", "red_left_half.emf", [](std::vector<uint8_t>& b) { Put32(b, 108 + 4, 0); }},
        DamageCase{"EmfRecordSizeUnaligned", "red_left_half.emf",
                   [](std::vector<uint8_t>& b) { Put32(b, 108 + 4, 14); }}),
    test::CaseNames<&DamageCase::name>);

// Records whose counts and offsets point past their end are skipped; the
// rest of the file is still drawn.
TEST(MetafileDamage, RecordsClaimingMoreThanTheyHoldAreSkipped) {
    std::vector<uint8_t> bytes = FixtureBytes("shapes.emf");
    const size_t polygon = 108 + [&] {
        // Find the POLYGON16 record (type 86) after the header.
        size_t at = 0;
        while (108 + at + 8 <= bytes.size() && bytes[108 + at] != 86)
            at += bytes[108 + at + 4] | bytes[108 + at + 5] << 8;
        return at;
    }();
    ASSERT_EQ(bytes[polygon], 86);
    Put32(bytes, polygon + 24, 0x7FFFFFFF);  // the point count
    LoadAndPlay(bytes);
}

// Deterministic mutations of every fixture: bytes changed, bytes set to 0 or
// 0xFF, words set to extremes. Under the sanitizers none may read
// outside the file or crash.
TEST(MetafileDamage, MutatedFilesNeverFault) {
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    for (const char* name : {"red_left_half.wmf", "red_left_half.emf", "shapes.wmf", "shapes.emf", "records.wmf",
                             "records.emf"}) {
        const std::vector<uint8_t> whole = FixtureBytes(name);
        for (int round = 0; round < 150; ++round) {
            std::vector<uint8_t> bytes = whole;
            const int changes = 1 + int(next() % 6);
            for (int c = 0; c < changes; ++c) {
                const size_t at = next() % bytes.size();
                switch (next() % 3) {
                case 0: bytes[at] = uint8_t(next()); break;
                case 1: bytes[at] = next() % 2 ? 0xFF : 0x00; break;
                default:
                    if (at + 4 <= bytes.size())
                        Put32(bytes, at, next() % 2 ? 0x7FFFFFFF : 0x80000000);
                    break;
                }
            }
            SCOPED_TRACE(std::string(name) + " round " + std::to_string(round));
            LoadAndPlay(bytes);
        }
    }
}

TEST(MetafileDamage, PlayingThatRunsOutOfTimeIsRefused) {
    // Many records that each fill the picture; no time at all to play them.
    const int savedLimit = MetafilePlayLimitMs;
    MetafilePlayLimitMs = -1;
    std::vector<uint8_t> bytes = FixtureBytes("red_left_half.emf");
    ASSERT_GT(bytes.size(), 108u + 44u);
    const std::vector<uint8_t> tail(bytes.end() - 20, bytes.end());  // the EOF record
    const std::vector<uint8_t> rectangle(bytes.end() - 44, bytes.end() - 20);
    bytes.erase(bytes.end() - 20, bytes.end());
    for (int i = 0; i < 1000; ++i)
        bytes.insert(bytes.end(), rectangle.begin(), rectangle.end());
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    Put32(bytes, 48, uint32_t(bytes.size()));
    QTemporaryDir folder;
    const std::string path = folder.filePath("busy.emf").toStdString();
    test::WriteFileText(path, std::string(bytes.begin(), bytes.end()));
    EXPECT_THROW(RenderMetafile(path, clWhite), EInvalidGraphic);
    MetafilePlayLimitMs = savedLimit;
    EXPECT_NO_THROW(RenderMetafile(path, clWhite));
}

// ---- Records of empty or degenerate geometry, and records of much work

// An EMF assembled in memory: a 108-byte header whose frame is one inch
// square on a reference device of 4 pixels a millimetre (so one logical unit
// is nearly one pixel of the 96-pixel picture), the records, then EOF.
struct TEmfRecord {
    uint32_t type;
    std::vector<int32_t> words;  // after the type and size
};

void Append32(std::vector<uint8_t>& bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes.push_back(uint8_t(value >> (8 * i)));
}

// 16-bit values packed in pairs into words, as POLYGON16 and its kin hold their points.
std::vector<int32_t> Pairs16(const std::vector<int16_t>& values) {
    std::vector<int32_t> words;
    for (size_t i = 0; i < values.size(); i += 2)
        words.push_back(int32_t(uint16_t(values[i]) | uint32_t(i + 1 < values.size() ? uint16_t(values[i + 1]) : 0) << 16));
    return words;
}

std::vector<uint8_t> Emf(const std::vector<TEmfRecord>& records) {
    std::vector<uint8_t> bytes;
    for (uint32_t v : {1u, 108u, 0u, 0u, 95u, 95u, 0u, 0u, 2540u, 2540u, 0x464D4520u, 0x10000u, 0u, 0u, 1u, 0u, 0u,
                       0u, 1000u, 1000u, 250u, 250u, 0u, 0u, 0u, 0u, 0u})
        Append32(bytes, v);
    for (const TEmfRecord& record : records) {
        Append32(bytes, record.type);
        Append32(bytes, uint32_t(8 + 4 * record.words.size()));
        for (int32_t w : record.words)
            Append32(bytes, uint32_t(w));
    }
    for (uint32_t v : {14u, 20u, 0u, 16u, 20u})  // EOF: no palette
        Append32(bytes, v);
    Put32(bytes, 48, uint32_t(bytes.size()));
    Put32(bytes, 52, uint32_t(records.size() + 2));
    return bytes;
}

// Record types.
enum : uint32_t {
    POLYBEZIER = 2, POLYGON = 3, POLYLINE = 4, POLYBEZIERTO = 5, POLYLINETO = 6, POLYPOLYLINE = 7,
    POLYPOLYGON = 8, MOVETOEX = 27, SELECTOBJECT = 37, ANGLEARC = 41, ELLIPSE = 42, RECTANGLE = 43,
    ROUNDRECT = 44, ARC = 45, CHORD = 46, PIE = 47, LINETO = 54, ARCTO = 55, BEGINPATH = 59, ENDPATH = 60,
    CLOSEFIGURE = 61, FILLPATH = 62, STROKEANDFILLPATH = 63, STROKEPATH = 64, FLATTENPATH = 65, WIDENPATH = 66,
    SELECTCLIPPATH = 67, FILLRGN = 71, PAINTRGN = 74, EXTSELECTCLIPRGN = 75, POLYGON16 = 86, POLYLINE16 = 87,
    POLYPOLYLINE16 = 90, POLYPOLYGON16 = 91,
};
constexpr int32_t kBlackBrush = int32_t(0x80000004u);

// An RGNDATA of the given rectangles, with its size in front, for
// EXTSELECTCLIPRGN (then the mode) and PAINTRGN (bounds first).
std::vector<int32_t> RegionData(const std::vector<std::vector<int32_t>>& rects) {
    std::vector<int32_t> words = {32, 1, int32_t(rects.size()), int32_t(rects.size() * 16), 0, 0, 0, 0};
    for (const auto& rect : rects)
        words.insert(words.end(), rect.begin(), rect.end());
    return words;
}

std::vector<int32_t> ClipRegion(const std::vector<std::vector<int32_t>>& rects, int32_t mode) {
    std::vector<int32_t> words = {int32_t(32 + rects.size() * 16), mode};
    const std::vector<int32_t> data = RegionData(rects);
    words.insert(words.end(), data.begin(), data.end());
    return words;
}

// PAINTRGN of the given rectangles: bounds, the size of the region, the region.
std::vector<int32_t> PaintRegion(const std::vector<std::vector<int32_t>>& rects) {
    std::vector<int32_t> words = {0, 0, 0, 0, int32_t(32 + rects.size() * 16)};
    const std::vector<int32_t> data = RegionData(rects);
    words.insert(words.end(), data.begin(), data.end());
    return words;
}

// A polyline of Count points zig-zagging over the whole 16-bit range.
std::vector<int32_t> ZigZag16(int count) {
    std::vector<int16_t> values;
    for (int i = 0; i < count; ++i) {
        values.push_back(int16_t(i % 2 ? 32000 : -32000));
        values.push_back(int16_t(-32000 + int64_t(i) * 64000 / count));
    }
    std::vector<int32_t> words = {0, 0, 0, 0, count};
    const std::vector<int32_t> points = Pairs16(values);
    words.insert(words.end(), points.begin(), points.end());
    return words;
}

// Count lines of two points each.
std::vector<int32_t> ManyLines16(int count) {
    std::vector<int32_t> words = {0, 0, 0, 0, count, 2 * count};
    words.insert(words.end(), size_t(count), 2);
    for (int i = 0; i < count; ++i) {
        const std::vector<int32_t> points = Pairs16({int16_t(i % 90), 0, int16_t(90 - i % 90), 90});
        words.insert(words.end(), points.begin(), points.end());
    }
    return words;
}

std::vector<std::vector<int32_t>> ManyRects(int count) {
    std::vector<std::vector<int32_t>> rects;
    for (int i = 0; i < count; ++i)
        rects.push_back({i % 300 * 3, i / 300 * 3, i % 300 * 3 + 2, i / 300 * 3 + 2});
    return rects;
}

// Sets MetafilePlayLimitMs for one test.
class TPlayLimit {
public:
    explicit TPlayLimit(int ms) : saved_(MetafilePlayLimitMs) { MetafilePlayLimitMs = ms; }
    ~TPlayLimit() { MetafilePlayLimitMs = saved_; }

private:
    int saved_;
};

struct TPlayed {
    bool finished = false;
    qint64 ms = 0;
    QImage picture;
};

// Plays a metafile into a Size-pixel square; a limit far beyond the bound the
// tests set, so a record that runs long shows as time, not as a cut.
TPlayed PlayBytes(std::vector<uint8_t> bytes, int size = 96) {
    const TPlayLimit limit(120000);
    TMetafile metafile;
    metafile.LoadFromBytes(std::move(bytes));
    TPlayed played;
    played.picture = QImage(size, size, QImage::Format_RGB32);
    played.picture.fill(Qt::white);
    QElapsedTimer clock;
    clock.start();
    {
        QPainter painter(&played.picture);
        played.finished = metafile.Play(painter, QRectF(0, 0, size, size));
    }
    played.ms = clock.elapsed();
    return played;
}

struct DegenerateCase {
    const char* name;
    std::vector<uint8_t> file;
};

void PrintTo(const DegenerateCase& c, std::ostream* out) { *out << c.name; }

class DegenerateRecords : public ::testing::TestWithParam<DegenerateCase> {};

// Each plays to its end without a sanitizer report and in bounded time.
TEST_P(DegenerateRecords, PlayWithoutFaultInBoundedTime) {
    const TPlayed played = PlayBytes(GetParam().file);
    EXPECT_TRUE(played.finished);
    EXPECT_LT(played.ms, 10000);
}

const std::vector<int32_t> kPointBox = {40, 40, 40, 40};

INSTANTIATE_TEST_SUITE_P(
    Emf, DegenerateRecords,
    ::testing::Values(
        DegenerateCase{"ArcToOfPointBox", Emf({{ARCTO, {40, 40, 40, 40, 0, 0, 90, 90}}})},
        DegenerateCase{"ArcToOfPointBoxInPath",
                       Emf({{BEGINPATH, {}},
                            {ARCTO, {40, 40, 40, 40, 0, 0, 90, 90}},
                            {ENDPATH, {}},
                            {STROKEPATH, {0, 0, 95, 95}}})},
        DegenerateCase{"ArcChordPieOfPointBox",
                       Emf({{ARC, {40, 40, 40, 40, 0, 0, 90, 90}},
                            {CHORD, {40, 40, 40, 40, 40, 40, 40, 40}},
                            {PIE, {40, 40, 40, 40, 0, 0, 0, 0}}})},
        DegenerateCase{"ArcsOfLineBoxes",
                       Emf({{ARC, {40, 10, 40, 80, 0, 0, 90, 90}},
                            {ARCTO, {10, 40, 80, 40, 0, 0, 90, 90}},
                            {PIE, {10, 40, 80, 40, 0, 0, 90, 90}}})},
        DegenerateCase{"ShapesOfPointBox",
                       Emf({{SELECTOBJECT, {kBlackBrush}},
                            {ELLIPSE, kPointBox},
                            {RECTANGLE, kPointBox},
                            {ROUNDRECT, {40, 40, 40, 40, 0, 0}},
                            {ROUNDRECT, {10, 10, 80, 80, 0, 0}}})},
        DegenerateCase{"AngleArcOfZeroRadius",
                       Emf({{MOVETOEX, {10, 10}}, {ANGLEARC, {40, 40, 0, 0, 0}}, {LINETO, {20, 20}}})},
        DegenerateCase{"PolylinesOfNoOrOnePoint",
                       Emf({{POLYLINE, {0, 0, 0, 0, 0}},
                            {POLYLINE, {0, 0, 0, 0, 1, 5, 5}},
                            {POLYLINETO, {0, 0, 0, 0, 0}},
                            {POLYBEZIER, {0, 0, 0, 0, 1, 5, 5}},
                            {POLYBEZIERTO, {0, 0, 0, 0, 0}},
                            {POLYGON, {0, 0, 0, 0, 1, 5, 5}},
                            {POLYLINE16, {0, 0, 0, 0, 0}},
                            {POLYGON16, {0, 0, 0, 0, 0}}})},
        DegenerateCase{"PolyPolygonsOfNoneOrEmpty",
                       Emf({{POLYPOLYGON, {0, 0, 0, 0, 0, 0}},
                            {POLYPOLYGON, {0, 0, 0, 0, 2, 0, 0, 0}},
                            {POLYPOLYLINE, {0, 0, 0, 0, 1, 1, 1, 5, 5}},
                            {POLYPOLYGON16, {0, 0, 0, 0, 0, 0}},
                            {POLYPOLYLINE16, {0, 0, 0, 0, 3, 0, 0, 0, 0}}})},
        DegenerateCase{"EmptyPathBrackets",
                       Emf({{CLOSEFIGURE, {}}, {BEGINPATH, {}}, {CLOSEFIGURE, {}}, {ENDPATH, {}},
                            {STROKEPATH, {0, 0, 95, 95}},
                            {BEGINPATH, {}}, {ENDPATH, {}}, {FILLPATH, {0, 0, 95, 95}},
                            {BEGINPATH, {}}, {ENDPATH, {}}, {STROKEANDFILLPATH, {0, 0, 95, 95}},
                            {BEGINPATH, {}}, {ENDPATH, {}}, {FLATTENPATH, {}}, {WIDENPATH, {}},
                            {STROKEPATH, {0, 0, 95, 95}},
                            {STROKEPATH, {0, 0, 95, 95}}, {FILLPATH, {0, 0, 95, 95}}, {ENDPATH, {}}})},
        DegenerateCase{"ClipToEmptyPath",
                       Emf({{BEGINPATH, {}}, {ENDPATH, {}},
                            {SELECTCLIPPATH, {1}}, {SELECTCLIPPATH, {5}}, {SELECTCLIPPATH, {4}},
                            {RECTANGLE, {10, 10, 80, 80}}})},
        DegenerateCase{"ClipToPathOfPointShapes",
                       Emf({{BEGINPATH, {}}, {ELLIPSE, kPointBox}, {ARCTO, {40, 40, 40, 40, 0, 0, 9, 9}},
                            {CLOSEFIGURE, {}}, {ENDPATH, {}}, {SELECTCLIPPATH, {5}},
                            {RECTANGLE, {10, 10, 80, 80}}})},
        DegenerateCase{"ZeroSizeRegions",
                       Emf({{EXTSELECTCLIPRGN, ClipRegion({}, 1)},
                            {EXTSELECTCLIPRGN, ClipRegion({{5, 5, 5, 5}}, 2)},
                            {EXTSELECTCLIPRGN, ClipRegion({{5, 5, 5, 90}, {30, 30, 10, 10}}, 3)},
                            {PAINTRGN, PaintRegion({{7, 7, 7, 7}})},
                            {RECTANGLE, {10, 10, 80, 80}}})},
        DegenerateCase{"RegionOfFarRectangles",
                       Emf({{EXTSELECTCLIPRGN, ClipRegion({{-2147483647, -2147483647, 2147483647, 2147483647},
                                                           {2000000000, 0, 2100000000, 10}},
                                                          5)},
                            {RECTANGLE, {10, 10, 80, 80}}})},
        DegenerateCase{"ManyPointsInOneRecord",
                       Emf({{POLYLINE16, ZigZag16(100000)}, {POLYGON16, ZigZag16(100000)}})},
        DegenerateCase{"ManyPointsInAPath",
                       Emf({{BEGINPATH, {}},
                            {POLYLINE16, ZigZag16(100000)},
                            {POLYLINE16, ZigZag16(100000)},
                            {ENDPATH, {}},
                            {STROKEANDFILLPATH, {0, 0, 95, 95}}})},
        DegenerateCase{"ManyLinesInOneRecord", Emf({{POLYPOLYLINE16, ManyLines16(50000)}})},
        DegenerateCase{"RegionOfManyRectangles",
                       Emf({{EXTSELECTCLIPRGN, ClipRegion(ManyRects(30000), 5)}, {RECTANGLE, {0, 0, 95, 95}}})}),
    test::CaseNames<&DegenerateCase::name>);

// A placeable WMF assembled in memory: one inch square (96 pixels) of 1440
// units, the 16-bit records, then EOF.
struct TWmfRecord {
    uint16_t function;
    std::vector<int16_t> params;
};

std::vector<uint8_t> Wmf(const std::vector<TWmfRecord>& records) {
    std::vector<uint8_t> bytes;
    auto append16 = [&bytes](uint16_t v) {
        bytes.push_back(uint8_t(v));
        bytes.push_back(uint8_t(v >> 8));
    };
    Append32(bytes, 0x9AC6CDD7u);
    for (uint16_t v : {0, 0, 0, 1440, 1440, 1440, 0, 0, 0})  // handle, box, units an inch, reserved, checksum
        append16(v);
    for (uint16_t v : {1, 9, 0x300, 0, 0, 0, 0, 0, 0})  // type, header words, version, sizes filled in below
        append16(v);
    for (const TWmfRecord& record : records) {
        Append32(bytes, uint32_t(3 + record.params.size()));
        append16(record.function);
        for (int16_t v : record.params)
            append16(uint16_t(v));
    }
    Append32(bytes, 3);
    append16(0);
    Put32(bytes, 22 + 6, uint32_t((bytes.size() - 22) / 2));
    return bytes;
}

// Functions; a box is bottom, right, top, left and a point y, x.
enum : uint16_t {
    WMF_POLYGON = 0x0324, WMF_POLYLINE = 0x0325, WMF_ELLIPSE = 0x0418, WMF_RECTANGLE = 0x041B,
    WMF_POLYPOLYGON = 0x0538, WMF_ROUNDRECT = 0x061C, WMF_ARC = 0x0817, WMF_PIE = 0x081A, WMF_CHORD = 0x0830,
};

INSTANTIATE_TEST_SUITE_P(
    Wmf, DegenerateRecords,
    ::testing::Values(
        DegenerateCase{"ArcsOfPointBox",
                          Wmf({{WMF_ARC, {0, 0, 900, 900, 500, 500, 500, 500}},
                               {WMF_PIE, {500, 500, 500, 500, 500, 500, 500, 500}},
                               {WMF_CHORD, {0, 0, 0, 0, 500, 500, 500, 500}}})},
        DegenerateCase{"ShapesOfPointBox",
                          Wmf({{WMF_ELLIPSE, {500, 500, 500, 500}}, {WMF_RECTANGLE, {500, 500, 500, 500}},
                               {WMF_ROUNDRECT, {0, 0, 500, 500, 500, 500}}})},
        DegenerateCase{"PolygonsOfNoOrOnePoint",
                          Wmf({{WMF_POLYGON, {0}}, {WMF_POLYGON, {1, 5, 5}}, {WMF_POLYLINE, {0}}, {WMF_POLYLINE, {1, 5, 5}},
                               {WMF_POLYLINE, {-5}}, {WMF_POLYPOLYGON, {0}}, {WMF_POLYPOLYGON, {3, 0, 0, 0}},
                               {WMF_POLYPOLYGON, {2, 1, 0, 5, 5}}})}),
    test::CaseNames<&DegenerateCase::name>);

// The 168-byte file of a single ARCTO whose box is one point opens as any
// picture does, whatever its name says it is.
TEST(Metafile, ArcToOfAPointBoxOpens) {
    const std::vector<uint8_t> bytes = Emf({{ARCTO, {40, 40, 40, 40, 0, 0, 90, 90}}});
    ASSERT_EQ(bytes.size(), 168u);
    QTemporaryDir folder;
    for (const char* name : {"point.emf", "point.wmf"}) {
        SCOPED_TRACE(name);
        const std::string path = folder.filePath(name).toStdString();
        test::WriteFileText(path, std::string(bytes.begin(), bytes.end()));
        const TPixelBuffer picture = RenderMetafile(path, clWhite);
        EXPECT_EQ(picture.Width(), 96);
        EXPECT_EQ(picture.Height(), 96);
    }
}

// A rectangle of one point draws nothing at all.
TEST(Metafile, RectangleOfAPointDrawsNothing) {
    const TPlayed played = PlayBytes(Emf({{SELECTOBJECT, {kBlackBrush}}, {RECTANGLE, kPointBox}}));
    ASSERT_TRUE(played.finished);
    int drawn = 0;
    for (int y = 0; y < played.picture.height(); ++y)
        for (int x = 0; x < played.picture.width(); ++x)
            drawn += (played.picture.pixel(x, y) & 0xFFFFFF) != 0xFFFFFFu ? 1 : 0;
    EXPECT_EQ(drawn, 0);
}

// A clip path of very many edges, each crossing the whole 16-bit range, into
// a small picture: the region is made within the picture only.
TEST(Metafile, ClipPathOfManyPointsIsBounded) {
    std::vector<int16_t> star;
    const int count = 40000;
    for (int i = 0; i < count; ++i) {
        star.push_back(int16_t(-32000 + int64_t(i) * 64000 / count));
        star.push_back(int16_t(i % 2 ? 32000 : -32000));
    }
    std::vector<int32_t> polygon = {0, 0, 0, 0, count};
    const std::vector<int32_t> points = Pairs16(star);
    polygon.insert(polygon.end(), points.begin(), points.end());
    const TPlayed played = PlayBytes(Emf({{BEGINPATH, {}}, {POLYGON16, polygon}, {ENDPATH, {}}, {SELECTCLIPPATH, {5}},
                                        {SELECTOBJECT, {kBlackBrush}}, {RECTANGLE, {0, 0, 95, 95}}}),
                                   64);
    EXPECT_TRUE(played.finished);
    EXPECT_LT(played.ms, 10000);
}

// A record that alone runs past the limit is cut short inside, not after
// it: the lines drawn before the cut stay, the last one is never drawn.
TEST(MetafileDamage, LongRecordIsCutShortInside) {
    const int count = 300000;
    std::vector<int32_t> lines = {0, 0, 0, 0, count, 2 * count};
    lines.insert(lines.end(), size_t(count), 2);
    for (int i = 0; i + 1 < count; ++i) {
        const std::vector<int32_t> points = Pairs16({2, 2, 5, 5});
        lines.insert(lines.end(), points.begin(), points.end());
    }
    const std::vector<int32_t> last = Pairs16({60, 60, 90, 90});
    lines.insert(lines.end(), last.begin(), last.end());
    TMetafile metafile;
    metafile.LoadFromBytes(Emf({{POLYPOLYLINE16, lines}}));
    QImage picture(96, 96, QImage::Format_RGB32);
    picture.fill(Qt::white);
    bool finished = true;
    {
        const TPlayLimit limit(50);
        QPainter painter(&picture);
        finished = metafile.Play(painter, QRectF(0, 0, 96, 96));
    }
    EXPECT_FALSE(finished);
    int first = 0, lastDrawn = 0;
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 96; ++x)
            if ((picture.pixel(x, y) & 0xFFFFFF) != 0xFFFFFFu)
                ++(x < 20 && y < 20 ? first : lastDrawn);
    EXPECT_GT(first, 0);
    EXPECT_EQ(lastDrawn, 0);
}

}  // namespace
}  // namespace lumvor
