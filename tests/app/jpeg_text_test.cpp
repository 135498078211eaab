// The JPEG text reader and editor without a window: EXIF lines and comments
// against exiftool and rdjpgcom, hostile and mutated files under the
// sanitizers, stripping and inserting comments checked with djpeg, jpeginfo
// and the segment order.
#include <gtest/gtest.h>

#include "imaging/JpegText.h"
#include "platform/Folders.h"
#include "platform/SysUtils.h"
#include "support/file_helpers.h"

#include <QFile>

#include <cstdlib>
#include <string>
#include <vector>

using namespace lumvor;

namespace {

std::string Fixture(const std::string& name) { return std::string(LUMVOR_FIXTURES) + "/" + name; }

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }
std::string Text(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }
std::vector<uint8_t> FixtureBytes(const std::string& name) { return Bytes(test::ReadFileText(Fixture(name))); }

std::string Quoted(const std::string& name) { return "'" + name + "'"; }

// Writes bytes to a file in the test's home folder and answers its name.
std::string WriteTemp(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = ProgramFolder() + "jpegtext/" + name;
    test::WriteFileText(path, Text(bytes));
    return path;
}

// jpeginfo -c finds no fault in the file (its exit status).
bool JpeginfoPasses(const std::string& file) {
    return test::CommandOutput("jpeginfo -c " + Quoted(file) + " > /dev/null 2>&1 && echo pass") == "pass\n";
}

std::string Djpeg(const std::string& file) { return test::CommandOutput("djpeg -pnm " + Quoted(file) + " 2>/dev/null"); }

// The markers of a file's segments from SOI up to the first SOS, and the
// offset of that SOS (an independent walk: marker, length, skip).
struct TLayout {
    std::vector<int> Markers;
    size_t ScanOffset = 0;
};
TLayout Layout(const std::vector<uint8_t>& b) {
    TLayout layout;
    size_t p = 2;
    while (p + 4 <= b.size() && b[p] == 0xFF) {
        layout.Markers.push_back(b[p + 1]);
        if (b[p + 1] == 0xDA) {
            layout.ScanOffset = p;
            break;
        }
        p += 2 + size_t(b[p + 2] << 8 | b[p + 3]);
    }
    return layout;
}
// Everything from the first SOS on: scan header and entropy-coded data.
std::string ScanData(const std::vector<uint8_t>& b) { return Text(b).substr(Layout(b).ScanOffset); }

std::vector<std::string> Lines(const std::vector<uint8_t>& bytes) {
    return ExifDisplayLines(ReadJpegTextData(bytes, JpegTextNames()).ExifLines);
}

const std::vector<std::string> kExifLines = {
    "Make = ABC",
    "Model = Lumen X100",
    "Orientation = 6",
    "XResolution = 72/1",
    "YResolution = 72/1",
    "ResolutionUnit = 2",
    "Software = Film 1.0",
    "DateTime = 2021:07:05 08:30:00",
    "YCbCrPositioning = 1",
    "ExposureTime = 1/125",
    "FNumber = 28/5",
    "ISOSpeedRatings = 200",
    "DateTimeOriginal = 2021:07:04 12:00:00",
    "ColorSpace = 65535",
    "ExifImageWidth = 160",
};

}  // namespace

// Both byte orders give the same lines; the type-7 tags (ExifVersion,
// UserComment, FlashPixVersion, ComponentConfiguration) are hidden.
TEST(JpegTextRead, MotorolaAndIntelLines) {
    for (const char* name : {"exif/exif_motorola.jpg", "exif/exif_intel.jpg"}) {
        SCOPED_TRACE(name);
        const TJpegTextData found = ReadJpegTextData(FixtureBytes(name), JpegTextNames());
        EXPECT_TRUE(found.ExifFound);
        EXPECT_FALSE(found.CommentFound);
        EXPECT_EQ(ExifDisplayLines(found.ExifLines), kExifLines);
    }
}

// The values agree with what exiftool reads (rationals as their quotient).
TEST(JpegTextRead, ValuesAgreeWithExiftool) {
    struct Tag {
        const char* ours;
        const char* exiftool;
    } tags[] = {{"Make", "Make"}, {"Model", "Model"}, {"Orientation", "Orientation"},
                {"ResolutionUnit", "ResolutionUnit"}, {"Software", "Software"}, {"DateTime", "ModifyDate"},
                {"YCbCrPositioning", "YCbCrPositioning"}, {"ISOSpeedRatings", "ISO"},
                {"DateTimeOriginal", "DateTimeOriginal"}, {"ColorSpace", "ColorSpace"},
                {"ExifImageWidth", "ExifImageWidth"}, {"XResolution", "XResolution"},
                {"ExposureTime", "ExposureTime"}, {"FNumber", "FNumber"}};
    for (const char* name : {"exif/exif_motorola.jpg", "exif/exif_intel.jpg"}) {
        const std::vector<std::string> lines = Lines(FixtureBytes(name));
        for (const Tag& tag : tags) {
            SCOPED_TRACE(std::string(name) + " " + tag.ours);
            std::string theirs = test::CommandOutput("exiftool -s3 -n -EXIF:" + std::string(tag.exiftool) + " " +
                                                     Quoted(Fixture(name)));
            theirs = theirs.substr(0, theirs.find('\n'));
            const std::string prefix = std::string(tag.ours) + " = ";
            std::string ours;
            for (const std::string& line : lines)
                if (line.rfind(prefix, 0) == 0)
                    ours = line.substr(prefix.size());
            ASSERT_FALSE(ours.empty());
            const size_t slash = ours.find('/');
            if (slash != std::string::npos && ours.find(':') == std::string::npos)
                EXPECT_NEAR(std::stod(ours.substr(0, slash)) / std::stod(ours.substr(slash + 1)), std::stod(theirs),
                            1e-9);
            else
                EXPECT_EQ(ours, theirs);
        }
    }
}

// Tag 0x0103 in the EXIF sub-IFD brings a blank line and "Thumbnail detected";
// the maker note is hidden; IFD0 is found where the header says (not at 8).
// A thumbnail in IFD1 gives no line: the chain after IFD0 is not read.
TEST(JpegTextRead, ThumbnailTagsOfTheSubIfdAndOfIfd1) {
    EXPECT_EQ(Lines(FixtureBytes("exif/subifd_thumbnail.jpg")),
              (std::vector<std::string>{"Make = ABC", "DateTimeOriginal = 2021:07:04 12:00:00", "",
                                        "Thumbnail detected", "**Compression = 6", "**JpegIFOffset = 1234",
                                        "**JpegIFByteCount = 567", "Flash = 16"}));
    EXPECT_EQ(Lines(FixtureBytes("exif/exif_thumb.jpg")), kExifLines);
}

// Comments before and after the EXIF block are both read, each line ending
// with CR LF.
TEST(JpegTextRead, CommentsBeforeAndAfterTheExifBlock) {
    const TJpegTextData found = ReadJpegTextData(FixtureBytes("exif/comments_around_exif.jpg"), JpegTextNames());
    EXPECT_TRUE(found.CommentFound);
    EXPECT_EQ(found.Comments, "Before the EXIF block\r\nAfter the EXIF block\r\n");
    EXPECT_EQ(ExifDisplayLines(found.ExifLines), kExifLines);
    const std::string rdjpgcom = test::CommandOutput("rdjpgcom " + Quoted(Fixture("exif/comments_around_exif.jpg")));
    EXPECT_EQ(rdjpgcom, "Before the EXIF block\nAfter the EXIF block\n");
}

// Hostile files show only their valid entries.
TEST(JpegTextRead, HostileFilesShowOnlyValidEntries) {
    const std::vector<std::string> makeAndOrientation = {"Make = ABC", "Orientation = 6"};
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        const char* comments;
    } cases[] = {
        {"entry_count_65535.jpg", {"Make = ABC", "Orientation = 6", "XResolution = 72/1"}, ""},
        {"offset_past_segment.jpg", makeAndOrientation, ""},
        {"count_size_over_4g.jpg", makeAndOrientation, ""},
        {"subifd_points_at_itself.jpg", makeAndOrientation, ""},
        {"truncated_app1.jpg", makeAndOrientation, ""},
        {"com_length_1.jpg", {}, "First comment\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> bytes = FixtureBytes(std::string("exif/") + c.name);
        const TJpegTextData found = ReadJpegTextData(bytes, JpegTextNames());
        EXPECT_EQ(ExifDisplayLines(found.ExifLines), c.lines);
        EXPECT_EQ(found.Comments, c.comments);
    }
    // A file cut inside the scan data reads as the whole file.
    std::vector<uint8_t> cut = FixtureBytes("exif/exif_motorola.jpg");
    cut.resize(cut.size() - 1500);
    EXPECT_EQ(Lines(cut), kExifLines);
    EXPECT_EQ(JpegDateLine(cut), "Taken = 2021:07:04 12:00:00");
    EXPECT_EQ(ScanData(StripJpegSegments(cut, TJpegStrip::AllExtra)), ScanData(cut));
}

// Deterministic mutations and truncations of every fixture: no routine reads
// or writes outside its bytes (the sanitizers watch), and the edits never grow
// or lose more than they should.
TEST(JpegTextRead, MutatedFilesNeverCrash) {
    const char* names[] = {"exif/exif_motorola.jpg", "exif/exif_intel.jpg", "exif/subifd_thumbnail.jpg",
                           "exif/exif_thumb.jpg", "exif/all_segments.jpg", "exif/comments_around_exif.jpg",
                           "exif/com_length_1.jpg", "jpeg/cmyk.jpg"};
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (const char* name : names) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> original = FixtureBytes(name);
        const size_t header = std::min<size_t>(original.size(), 2048);
        for (int round = 0; round < 400; ++round) {
            std::vector<uint8_t> bytes = original;
            const int changes = 1 + int(next() % 4);
            for (int i = 0; i < changes; ++i) {
                const uint32_t pick = next();
                const uint8_t values[] = {0x00, 0xFF, 0x7F, 0x80, uint8_t(pick >> 16)};
                bytes[pick % header] = values[(pick >> 12) % 5];
            }
            if (round % 5 == 0)
                bytes.resize(next() % bytes.size());
            const TJpegTextData found = ReadJpegTextData(bytes, JpegTextNames());
            (void)ExifDisplayLines(found.ExifLines);
            (void)JpegDateLine(bytes);
            (void)JpegLeadingJunk(bytes);
            for (TJpegStrip kind : {TJpegStrip::Comments, TJpegStrip::AllExtra})
                EXPECT_LE(StripJpegSegments(bytes, kind).size(), bytes.size());
            if (StartsWithSoi(bytes)) {
                EXPECT_EQ(InsertJpegComment(bytes, "note").size(), bytes.size() + 8);
            }
        }
    }
}

TEST(JpegTextDate, TakenElseEditedElseNothing) {
    EXPECT_EQ(JpegDateLine(FixtureBytes("exif/exif_motorola.jpg")), "Taken = 2021:07:04 12:00:00");
    EXPECT_EQ(JpegDateLine(FixtureBytes("exif/exif_intel.jpg")), "Taken = 2021:07:04 12:00:00");
    EXPECT_EQ(JpegDateLine(FixtureBytes("exif/exif_edited_only.jpg")), "Edited = 2021:07:05 08:30:00");
    EXPECT_EQ(JpegDateLine(FixtureBytes("exif/bare.jpg")), "");
    EXPECT_EQ(JpegDateLine(FixtureBytes("png/rgb8.png")), "");
}

// The head of a large file is enough for its text; segments before the scan
// that go beyond the first read bring the rest of the file.
TEST(JpegTextDate, HeadOfAFileHoldsItsSegments) {
    std::vector<uint8_t> big = FixtureBytes("exif/exif_motorola.jpg");
    const std::vector<uint8_t> noise(300 * 1024, 0x55);
    std::vector<uint8_t> padded(big.begin(), big.begin() + 2);
    for (int i = 0; i < 6; ++i) {  // six APP15 segments of 60000 bytes in front of the EXIF block
        padded.insert(padded.end(), {0xFF, 0xEF, 0xEA, 0x62});
        padded.insert(padded.end(), noise.begin(), noise.begin() + 60000);
    }
    padded.insert(padded.end(), big.begin() + 2, big.end());
    const std::string name = WriteTemp("padded.jpg", padded);
    EXPECT_EQ(ReadJpegHead(name).size(), padded.size());
    EXPECT_EQ(JpegDateLine(ReadJpegHead(name)), "Taken = 2021:07:04 12:00:00");

    big.insert(big.end(), noise.begin(), noise.end());  // a long scan: only the head is read
    const std::string longScan = WriteTemp("long_scan.jpg", big);
    EXPECT_EQ(ReadJpegHead(longScan).size(), 256u * 1024);
    EXPECT_EQ(Lines(ReadJpegHead(longScan)), kExifLines);
    EXPECT_THROW(ReadJpegHead(ProgramFolder() + "jpegtext/missing.jpg"), EFOpenError);
}

// Stripping comments leaves the picture's data byte for byte: djpeg decodes
// the same, jpeginfo finds no fault, rdjpgcom finds no comment, exiftool
// still reads the EXIF block.
TEST(JpegTextEdit, StripCommentsKeepsEverythingElse) {
    const std::vector<uint8_t> original = FixtureBytes("exif/all_segments.jpg");
    const std::vector<uint8_t> stripped = StripJpegSegments(original, TJpegStrip::Comments);
    EXPECT_EQ(original.size() - stripped.size(), 14u + 2);
    EXPECT_EQ(Layout(stripped).Markers, (std::vector<int>{0xE0, 0xE1, 0xE2, 0xDB, 0xDB, 0xC0, 0xC4, 0xC4, 0xC4,
                                                          0xC4, 0xDA}));
    EXPECT_EQ(ScanData(stripped), ScanData(original));
    const std::string file = WriteTemp("stripped.jpg", stripped);
    EXPECT_EQ(test::CommandOutput("rdjpgcom " + Quoted(file)), "");
    EXPECT_EQ(Djpeg(file), Djpeg(Fixture("exif/all_segments.jpg")));
    EXPECT_TRUE(JpeginfoPasses(file));
    EXPECT_EQ(test::CommandOutput("exiftool -s3 -Make -DateTimeOriginal " + Quoted(file)),
              "ABC\n2021:07:04 12:00:00\n");
}

// "All extra info" removes APP0, APP1, APP2 and comments, and keeps the Adobe
// segment that tells how a CMYK file's colours are coded.
TEST(JpegTextEdit, StripAllKeepsTheAdobeSegment) {
    const std::vector<uint8_t> original = FixtureBytes("exif/all_segments.jpg");
    const std::vector<uint8_t> stripped = StripJpegSegments(original, TJpegStrip::AllExtra);
    EXPECT_EQ(Layout(stripped).Markers, (std::vector<int>{0xDB, 0xDB, 0xC0, 0xC4, 0xC4, 0xC4, 0xC4, 0xDA}));
    EXPECT_EQ(ScanData(stripped), ScanData(original));
    EXPECT_EQ(Djpeg(WriteTemp("all.jpg", stripped)), Djpeg(Fixture("exif/all_segments.jpg")));

    const std::vector<uint8_t> cmyk = FixtureBytes("jpeg/cmyk.jpg");
    const std::vector<uint8_t> cmykStripped = StripJpegSegments(cmyk, TJpegStrip::AllExtra);
    std::vector<int> markers = Layout(cmykStripped).Markers;
    EXPECT_NE(std::find(markers.begin(), markers.end(), 0xEE), markers.end());
    EXPECT_EQ(Djpeg(WriteTemp("cmyk.jpg", cmykStripped)), Djpeg(Fixture("jpeg/cmyk.jpg")));

    // Bytes after EOI go; a file without anything to strip stays as it is.
    std::vector<uint8_t> trailing = FixtureBytes("exif/bare.jpg");
    trailing.insert(trailing.end(), {'t', 'a', 'i', 'l'});
    EXPECT_EQ(StripJpegSegments(trailing, TJpegStrip::Comments), FixtureBytes("exif/bare.jpg"));
}

// The new comment follows an APP0 or APP1 segment directly after SOI, else
// SOI; the rest of the file follows unchanged.
TEST(JpegTextEdit, InsertedCommentPlace) {
    struct Case {
        const char* name;
        std::vector<int> markers;
    } cases[] = {
        {"exif/jfif.jpg", {0xE0, 0xFE, 0xDB, 0xDB, 0xC0, 0xC4, 0xC4, 0xC4, 0xC4, 0xDA}},
        {"exif/exif_motorola.jpg", {0xE1, 0xFE, 0xDB, 0xDB, 0xC0, 0xC4, 0xC4, 0xC4, 0xC4, 0xDA}},
        {"exif/bare.jpg", {0xFE, 0xDB, 0xDB, 0xC0, 0xC4, 0xC4, 0xC4, 0xC4, 0xDA}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> original = FixtureBytes(c.name);
        const std::vector<uint8_t> inserted = InsertJpegComment(original, "Line one\r\nLine two");
        EXPECT_EQ(Layout(inserted).Markers, c.markers);
        EXPECT_EQ(ScanData(inserted), ScanData(original));
        const std::string file = WriteTemp("inserted.jpg", inserted);
        EXPECT_EQ(test::CommandOutput("rdjpgcom -raw " + Quoted(file)), "Line one\r\nLine two\n");
        EXPECT_EQ(Djpeg(file), Djpeg(Fixture(c.name)));
        EXPECT_TRUE(JpeginfoPasses(file));
    }
    EXPECT_EQ(test::CommandOutput("exiftool -s3 -Make " +
                                  Quoted(WriteTemp("exif.jpg", InsertJpegComment(FixtureBytes("exif/exif_motorola.jpg"),
                                                                                  "x")))),
              "ABC\n");
    EXPECT_NO_THROW(InsertJpegComment(FixtureBytes("exif/bare.jpg"), std::string(32000, 'a')));
    EXPECT_THROW(InsertJpegComment(FixtureBytes("exif/bare.jpg"), std::string(32001, 'a')), EInvalidGraphic);
    EXPECT_THROW(InsertJpegComment(FixtureBytes("png/rgb8.png"), "x"), EInvalidGraphic);
}

// Only bytes in front of the first FF D8 FF are junk; a file that starts with
// SOI is never trimmed, even when its EXIF thumbnail carries "JFIF".
TEST(JpegTextEdit, LeadingJunkEndsAtTheJpegStart) {
    const std::vector<uint8_t> photo = FixtureBytes("exif/exif_thumb.jpg");
    EXPECT_EQ(JpegLeadingJunk(photo), 0u);
    std::vector<uint8_t> junk(60 * 1024);
    for (size_t i = 0; i < junk.size(); ++i)
        junk[i] = uint8_t('a' + i % 26);
    junk.insert(junk.end(), photo.begin(), photo.end());
    EXPECT_EQ(JpegLeadingJunk(junk), 60u * 1024);
    EXPECT_EQ(JpegLeadingJunk(Bytes("no picture here")), 0u);
}
