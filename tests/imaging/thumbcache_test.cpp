// CRC-32, base-32 names and thumbnail cache files.
#include "imaging/ThumbCache.h"

#include "platform/Graphics.h"
#include "platform/Streams.h"
#include "platform/SysUtils.h"

#include "support/file_helpers.h"
#include "support/thumb_cells.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <fstream>
#include <string>

namespace lumvor {
namespace {

std::string Home() { return IncludeTrailingPathDelimiter(std::getenv("LUMVOR_HOME")); }

void WriteBytes(const std::string& name, size_t count) {
    std::ofstream out(name, std::ios::binary);
    for (size_t i = 0; i < count; ++i) out.put(static_cast<char>(i & 0x7F));
}

TEST(Crc32, SeedWithoutFinalInversion) {
    EXPECT_EQ(UpdateCrc32("abc", 3, 0xFFFFFFFFu), 0xCADBBE3Du);
    EXPECT_EQ(UpdateCrc32("abc", 0, 0x1234u), 0x1234u);
    EXPECT_EQ(UpdateCrc32("abc", -5, 0x1234u), 0x1234u);
    // Two calls in a row give the CRC of the joined bytes.
    EXPECT_EQ(UpdateCrc32("c", 1, UpdateCrc32("ab", 2, 0xFFFFFFFFu)), 0xCADBBE3Du);
}

// Expected values: Python zlib.crc32 of the fixture, complemented.
TEST(Crc32, FileAndStreamAgreeWithZlib) {
    const std::string fixture = std::string(LUMVOR_FIXTURES) + "/crc-2049.bin";
    EXPECT_EQ(FileCrc32(fixture), 0x8EF8C45Eu);

    TMemoryStream stream;
    stream.LoadFromFile(fixture);
    stream.SetSize(2048);  // exactly one block: a second read returns nothing
    stream.SetPosition(0);
    EXPECT_EQ(StreamCrc32(stream, 0xFFFFFFFFu), 0x462BA79Eu);
    EXPECT_EQ(stream.Position(), 2048);

    TMemoryStream empty;
    EXPECT_EQ(StreamCrc32(empty, 0xFFFFFFFFu), 0xFFFFFFFFu);
    EXPECT_THROW(FileCrc32(Home() + "missing.bin"), EFOpenError);
}

TEST(Crc32, IntToBase32) {
    struct Case {
        uint32_t n;
        const char* text;
    } cases[] = {{0, "000000"},         {32, "000010"},          {1023, "0000VV"},
                 {31, "00000V"},         {0x3FFFFFFF, "VVVVVV"}, {0x40000000, "40000000"},
                 {0xFFFFFFFF, "FFFFFFFF"}};
    for (const Case& c : cases) EXPECT_EQ(IntToBase32(c.n), c.text) << c.n;
}

TEST(FileRec, FieldsSitAtTheirOffsetsLittleEndian) {
    FileRec rec;
    EXPECT_EQ(rec.Bytes, (std::array<uint8_t, 440>{}));  // starts as zeros
    rec.SetName("IMG_0001.JPG");
    rec.SetCacheName("800B5F8402A.rec");
    rec.SetExt(".JPG");
    rec.SetCaption(".JPG 1024x768(24)");
    rec.SetFlags(FileRecFolderFlags);
    rec.SetState(fsPresent);
    rec.SetImageIndex(0x1234);
    rec.SetSizeHigh(1);
    rec.SetSizeLow(0xC0000000u);
    rec.SetFileDate(1488020572);
    rec.SetTimeMs(45296789);
    rec.SetMark(FileRecMarkRetry);
    rec.SetWasSelected(1);
    rec.SetWidth(1024);
    rec.SetHeight(768);
    rec.SetBitsPerPixel(24);
    rec.SetKind(FileRecJpegKind);
    rec.SetListPosition(-7);
    const auto word = [&](int at) { return rec.Bytes[at] | rec.Bytes[at + 1] << 8; };
    const auto dword = [&](int at) { return uint32_t(word(at)) | uint32_t(word(at + 2)) << 16; };
    EXPECT_EQ(rec.Bytes[0], 12);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&rec.Bytes[1]), 12), "IMG_0001.JPG");
    EXPECT_EQ(rec.Bytes[273], 15);
    EXPECT_EQ(rec.Bytes[274], '8');
    EXPECT_EQ(rec.Bytes[298], 4);
    EXPECT_EQ(rec.Bytes[299], '.');
    EXPECT_EQ(rec.Bytes[311], 17);
    EXPECT_EQ(word(336), 0x2001);
    EXPECT_EQ(word(338), 100);
    EXPECT_EQ(word(340), 0x1234);
    EXPECT_EQ(dword(344), 1u);
    EXPECT_EQ(dword(348), 0xC0000000u);
    EXPECT_EQ(dword(352), 1488020572u);
    EXPECT_EQ(dword(356), 45296789u);
    EXPECT_EQ(word(360), 8);
    EXPECT_EQ(word(362), 1);
    EXPECT_EQ(word(364), 1024);
    EXPECT_EQ(word(366), 768);
    EXPECT_EQ(word(368), 24);
    EXPECT_EQ(word(370), 128);
    EXPECT_EQ(dword(388), 0xFFFFFFF9u);
    EXPECT_EQ(rec.Name(), "IMG_0001.JPG");
    EXPECT_EQ(rec.Caption(), ".JPG 1024x768(24)");
    for (int at : {256, 342, 343, 372, 387, 392, 439}) EXPECT_EQ(rec.Bytes[at], 0) << at;
}

TEST(FileRec, StringsKeepToTheirFields) {
    FileRec rec;
    // A Linux file name of 255 bytes fits whole; longer text is cut.
    const std::string longest(255, 'n');
    rec.SetName(longest);
    EXPECT_EQ(rec.Name(), longest);
    rec.SetName(std::string(300, 'm'));
    EXPECT_EQ(rec.Name(), std::string(255, 'm'));
    EXPECT_EQ(rec.Bytes[256], 0);  // the next field is untouched
    // A cut never splits a UTF-8 character; a shorter text clears the old tail.
    rec.SetCaption(std::string(23, 'x') + "\xC3\xBC");
    EXPECT_EQ(rec.Caption(), std::string(23, 'x'));
    rec.SetCaption("ab");
    EXPECT_EQ(rec.Bytes[311 + 3], 0);
    // A length byte beyond the field reads as the field's capacity.
    rec.Bytes[298] = 200;
    EXPECT_EQ(rec.Ext().size(), 12u);
}

TEST(FileRec, FileStampIsTheListingsSizeAndLocalTime) {
    FileRec rec;
    rec.SetFileStamp((int64_t(5) << 32) + 7, test::LocalTime(2024, 5, 17, 12, 34, 56), 789000000);
    EXPECT_EQ(rec.SizeHigh(), 5u);
    EXPECT_EQ(rec.SizeLow(), 7u);
    EXPECT_EQ(rec.FileDate(), 1488020572);  // 2024-05-17 12:34:56
    EXPECT_EQ(rec.TimeMs(), 45296789);
    // DOS dates run from 1980 to 2107; moments outside are clamped to the ends.
    rec.SetFileStamp(0, test::LocalTime(1979, 12, 31, 23, 59, 59), 0);
    EXPECT_EQ(rec.FileDate(), 0x00210000);  // 1980-01-01 00:00:00
    rec.SetFileStamp(0, 0, 0);
    EXPECT_EQ(rec.FileDate(), 0x00210000);
    rec.SetFileStamp(0, test::LocalTime(2110, 6, 1, 8, 0, 0), 0);
    EXPECT_EQ(static_cast<uint32_t>(rec.FileDate()), 0xFF9FBF7Du);  // 2107-12-31 23:59:58
    EXPECT_EQ(rec.TimeMs(), 8 * 3600 * 1000);
    EXPECT_FALSE(rec.SetFileStamp((Home() + "missing").c_str()));
}

TEST(ThumbCache, FileHasDataNeedsMoreThan256Bytes) {
    WriteBytes(Home() + "256.rec", 256);
    WriteBytes(Home() + "257.rec", 257);
    EXPECT_FALSE(FileHasData(Home() + "256.rec"));
    EXPECT_TRUE(FileHasData(Home() + "257.rec"));
    EXPECT_FALSE(FileHasData(Home() + "missing.rec"));
    EXPECT_FALSE(FileHasData(Home()));
}

std::array<uint8_t, 440> MakeRecord(uint16_t width, uint16_t height, uint8_t fill) {
    std::array<uint8_t, 440> record{};
    for (size_t i = 0; i < record.size(); ++i) record[i] = static_cast<uint8_t>(fill + i);
    std::memcpy(record.data() + 364, &width, 2);
    std::memcpy(record.data() + 366, &height, 2);
    return record;
}

// Measures the record offset as the explorer does: a blank thumbnail saved to
// "_.rec", its size minus 440. Leaves blank as a 168 x 126 24-bit bitmap.
void MeasureRecordOffset(TBitmap& blank, TMemoryStream& measured) {
    blank.SetPixelFormat(pf24bit);
    blank.SetSize(168, 126);
    const auto zero = MakeRecord(0, 0, 0);
    ASSERT_TRUE(SaveThumbFile(zero.data(), blank, Home() + "_.rec"));
    measured.LoadFromFile(Home() + "_.rec");
    ThumbRecOffset = static_cast<int32_t>(measured.Size() - 440);
}

TEST(ThumbCache, SaveLoadAndReadInfo) {
    TBitmap blank;
    TMemoryStream measured;
    MeasureRecordOffset(blank, measured);
    // The picture part is a BMP file image whose header gives its own length.
    uint32_t bmpSize = 0;
    std::memcpy(&bmpSize, measured.Memory() + 2, 4);
    EXPECT_EQ(measured.Memory()[0], 'B');
    EXPECT_EQ(measured.Memory()[1], 'M');
    EXPECT_EQ(static_cast<int32_t>(bmpSize), ThumbRecOffset);
    EXPECT_EQ(ThumbRecOffset, 54 + 126 * 504);

    TBitmap thumb;
    test::FillThumbCell(thumb, 5);
    const auto record = MakeRecord(160, 120, 9);
    const std::string name = Home() + "0000VV.rec";
    ASSERT_TRUE(SaveThumbFile(record.data(), thumb, name));

    std::array<uint8_t, 440> loaded{};
    TBitmap back;
    ASSERT_TRUE(LoadThumbFile(loaded.data(), back, name));
    EXPECT_EQ(loaded, record);
    ASSERT_EQ(back.Width(), 168);
    ASSERT_EQ(back.Height(), 126);
    for (int y = 0; y < 126; ++y) ASSERT_EQ(std::memcmp(back.ScanLine(y), thumb.ScanLine(y), 504), 0) << y;

    std::array<uint8_t, 440> info{};
    ASSERT_TRUE(ReadThumbInfo(info.data(), name));
    EXPECT_EQ(info, record);

    // The record words move to and from the slide record's words at 130 and 132.
    std::array<uint8_t, 136> slide{};
    CopyThumbDimensions(info.data(), slide.data());
    uint16_t w = 0, h = 0;
    std::memcpy(&w, slide.data() + 130, 2);
    std::memcpy(&h, slide.data() + 132, 2);
    EXPECT_EQ(w, 160);
    EXPECT_EQ(h, 120);
    std::array<uint8_t, 440> fresh{};
    StoreThumbDimensions(fresh.data(), slide.data());
    EXPECT_EQ(std::memcmp(fresh.data() + 364, record.data() + 364, 4), 0);
}

TEST(ThumbCache, BadFilesGiveFalse) {
    TBitmap blank;
    TMemoryStream measured;
    MeasureRecordOffset(blank, measured);
    const auto record = MakeRecord(1, 2, 3);

    std::array<uint8_t, 440> out{};
    EXPECT_FALSE(ReadThumbInfo(out.data(), Home() + "missing.rec"));
    EXPECT_FALSE(LoadThumbFile(out.data(), blank, Home() + "missing.rec"));

    // A cut file and one whose picture part has another length.
    TMemoryStream whole;
    whole.LoadFromFile(Home() + "_.rec");
    whole.SetSize(whole.Size() - 1);
    whole.SaveToFile(Home() + "short.rec");
    EXPECT_FALSE(ReadThumbInfo(out.data(), Home() + "short.rec"));
    EXPECT_FALSE(LoadThumbFile(out.data(), blank, Home() + "short.rec"));

    TBitmap other;
    other.SetPixelFormat(pf24bit);
    other.SetSize(64, 48);
    ASSERT_TRUE(SaveThumbFile(record.data(), other, Home() + "other.rec"));
    EXPECT_FALSE(ReadThumbInfo(out.data(), Home() + "other.rec"));

    // Not a picture at all.
    WriteBytes(Home() + "junk.rec", 2000);
    EXPECT_FALSE(LoadThumbFile(out.data(), blank, Home() + "junk.rec"));

    // A folder in the way of the file to write.
    ForceDirectories(Home() + "taken.rec");
    EXPECT_FALSE(SaveThumbFile(record.data(), blank, Home() + "taken.rec"));
}

// Cache files are not forced to disk, but a failed write still leaves the old
// file whole and no scratch file behind.
TEST(ThumbCache, FailedWriteKeepsTheOldFile) {
    const std::string folder = Home() + "failing/";
    ForceDirectories(folder);
    TBitmap thumb;
    test::FillThumbCell(thumb, 3);
    const auto record = MakeRecord(160, 120, 9);
    ASSERT_TRUE(SaveThumbFile(record.data(), thumb, folder + "0000VV.rec"));
    TMemoryStream before;
    before.LoadFromFile(folder + "0000VV.rec");

    WriteFaultHook = [](const std::string&) { return ENOSPC; };
    TBitmap other;
    test::FillThumbCell(other, 7);
    const bool written = SaveThumbFile(MakeRecord(1, 2, 3).data(), other, folder + "0000VV.rec");
    WriteFaultHook = nullptr;

    EXPECT_FALSE(written);
    TMemoryStream after;
    after.LoadFromFile(folder + "0000VV.rec");
    ASSERT_EQ(after.GetSize(), before.GetSize());
    EXPECT_EQ(std::memcmp(after.Memory(), before.Memory(), size_t(before.GetSize())), 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1);
}

}  // namespace
}  // namespace lumvor
