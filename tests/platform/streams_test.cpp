// Memory and file streams: seeks, buffered reads and writes, copies and files.
#include "platform/Streams.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <string>

using namespace lumvor;

namespace {

std::string Home() { return std::getenv("LUMVOR_HOME"); }

std::string ReadBytes(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Fill(TStream& stream, const std::string& bytes) {
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

std::string Contents(TMemoryStream& stream) {
    return std::string(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

// A memory stream and a file stream with the same ten bytes.
std::unique_ptr<TStream> MakeStream(bool file) {
    std::unique_ptr<TStream> stream;
    if (file)
        stream = std::make_unique<TFileStream>(Home() + "/stream.bin", fmCreate);
    else
        stream = std::make_unique<TMemoryStream>();
    Fill(*stream, "0123456789");
    return stream;
}

}  // namespace

TEST(Streams, SeekFromEachOrigin) {
    struct Case {
        int64_t start;
        int64_t offset;
        TSeekOrigin origin;
        int64_t expected;
    };
    const Case cases[] = {
        {7, 3, soBeginning, 3},  {7, -2, soCurrent, 5},   {2, 4, soCurrent, 6},   {0, -4, soEnd, 6},
        {0, 0, soEnd, 10},       {0, 5, soEnd, 15},       {4, -9, soCurrent, 0},  {4, -20, soEnd, 0},
    };
    for (bool file : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << (file ? "file " : "memory ") << c.start << " " << c.offset << " "
                                            << c.origin);
            auto stream = MakeStream(file);
            stream->SetPosition(c.start);
            EXPECT_EQ(stream->Seek(c.offset, c.origin), c.expected);
            EXPECT_EQ(stream->Position(), c.expected);
            if (c.expected < 10) {
                char byte = 0;
                stream->ReadBuffer(&byte, 1);
                EXPECT_EQ(byte, '0' + c.expected);
            }
        }
    }
}

TEST(Streams, ReadBufferPastTheEndRaisesAndReadReturnsWhatThereIs) {
    for (bool file : {false, true}) {
        SCOPED_TRACE(file);
        auto stream = MakeStream(file);
        char buffer[16] = {};
        stream->SetPosition(6);
        EXPECT_THROW(stream->ReadBuffer(buffer, 5), EReadError);
        stream->SetPosition(6);
        EXPECT_EQ(stream->Read(buffer, 16), 4);
        EXPECT_EQ(std::string(buffer, 4), "6789");
        EXPECT_EQ(stream->Read(buffer, 16), 0);
        stream->SetPosition(20);
        EXPECT_THROW(stream->ReadBuffer(buffer, 1), EReadError);
        stream->ReadBuffer(buffer, 0);  // nothing asked, nothing raised
    }
}

TEST(Streams, CopyFromCopiesFromThePositionOrTheWholeSource) {
    for (bool file : {false, true}) {
        SCOPED_TRACE(file);
        auto source = MakeStream(file);
        TMemoryStream target;
        source->SetPosition(3);
        EXPECT_EQ(target.CopyFrom(*source, 4), 4);
        EXPECT_EQ(Contents(target), "3456");
        EXPECT_EQ(source->Position(), 7);

        target.Clear();
        EXPECT_EQ(target.CopyFrom(*source, 0), 10);  // 0: the whole source from its start
        EXPECT_EQ(Contents(target), "0123456789");

        source->SetPosition(8);
        EXPECT_THROW(target.CopyFrom(*source, 5), EReadError);
    }
    // Larger than one copy block.
    TMemoryStream big, copy;
    std::string bytes(200000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7);
    Fill(big, bytes);
    copy.CopyFrom(big, 0);
    EXPECT_EQ(Contents(copy), bytes);
}

TEST(Streams, MemoryStreamGrowsWithZerosAndSurvivesHostileSeeks) {
    TMemoryStream stream;
    stream.SetPosition(4);
    Fill(stream, "ab");
    EXPECT_EQ(Contents(stream), std::string("\0\0\0\0ab", 6));
    stream.SetSize(3);
    EXPECT_EQ(stream.Position(), 3);
    stream.Seek(std::numeric_limits<int64_t>::max(), soBeginning);
    EXPECT_EQ(stream.Seek(std::numeric_limits<int64_t>::max(), soCurrent), std::numeric_limits<int64_t>::max());
    EXPECT_THROW(Fill(stream, "x"), EWriteError);
    EXPECT_EQ(stream.Seek(std::numeric_limits<int64_t>::min(), soEnd), 0);
    EXPECT_THROW(stream.SetSize(int64_t{1} << 40), EOutOfMemory);
    EXPECT_EQ(stream.Size(), 3);
}

// A reserve changes neither size nor content, also one asking for too much;
// the content handed over leaves an empty stream that takes new writes.
TEST(Streams, MemoryStreamReservesAndHandsItsBytesOver) {
    TMemoryStream stream;
    Fill(stream, "abc");
    stream.Reserve(1 << 20);
    stream.Reserve(int64_t{1} << 40);
    stream.Reserve(-1);
    EXPECT_EQ(Contents(stream), "abc");
    EXPECT_EQ(stream.Position(), 3);

    const std::vector<uint8_t> bytes = stream.TakeBytes();
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "abc");
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_EQ(stream.Position(), 0);
    Fill(stream, "xy");
    EXPECT_EQ(Contents(stream), "xy");
}

TEST(Streams, FilesLoadSaveAndRaiseTheirErrors) {
    TMemoryStream stream;
    Fill(stream, std::string("a\0b\r\n", 5));
    std::string name = Home() + "/saved.bin";
    stream.SaveToFile(name);
    EXPECT_EQ(ReadBytes(name), std::string("a\0b\r\n", 5));

    TMemoryStream loaded;
    loaded.LoadFromFile(name);
    EXPECT_EQ(Contents(loaded), std::string("a\0b\r\n", 5));
    EXPECT_EQ(loaded.Position(), 0);

    EXPECT_THROW(loaded.LoadFromFile(Home() + "/missing.bin"), EFOpenError);
    EXPECT_THROW(loaded.LoadFromFile(Home()), EFOpenError);  // a folder
    EXPECT_THROW(stream.SaveToFile(Home() + "/no/such/folder/x.bin"), EFCreateError);
    EXPECT_THROW(TFileStream(Home() + "/no/such/x.bin", fmCreate), EFCreateError);

    // fmCreate with a share mode still creates (and empties) the file.
    {
        TFileStream created(name, fmCreate | fmShareExclusive);
        EXPECT_EQ(created.Size(), 0);
        Fill(created, "xyz");
    }
    EXPECT_EQ(ReadBytes(name), "xyz");

    TFileStream readOnly(name, fmOpenRead);
    EXPECT_THROW(Fill(readOnly, "q"), EWriteError);
}

TEST(Streams, FileStreamSetSizeTruncatesAndExtends) {
    std::string name = Home() + "/size.bin";
    TFileStream file(name, fmCreate);
    Fill(file, "0123456789");
    file.SetSize(4);
    EXPECT_EQ(file.Size(), 4);
    EXPECT_EQ(file.Position(), 4);
    file.SetSize(6);
    EXPECT_EQ(file.Size(), 6);
    file.Flush();
    EXPECT_EQ(ReadBytes(name), std::string("0123\0\0", 6));
}
