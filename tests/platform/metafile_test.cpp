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

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
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

}  // namespace
}  // namespace lumvor
