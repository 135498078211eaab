// The inflater's frame over memory, the buffered stream and the sorted list.
#include "zip/reader/ZipContainers.h"
#include "zip/reader/ZipDecoders.h"
#include "zip/reader/ZipStreams.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace lumvor;

namespace {

class MemoryFrame : public TUnZipFrame {
public:
    explicit MemoryFrame(std::vector<uint8_t> input, uint64_t limit = 1 << 20) : input_(std::move(input)) {
        BeginEntry(limit);
    }
    bool FillInput() override {
        if (done_)
            return false;
        done_ = true;
        InPtr = input_.data();
        InEnd = InPtr + input_.size();
        return !input_.empty();
    }
    void WriteChunk(const uint8_t* data, size_t count) override { Output.insert(Output.end(), data, data + count); }
    void ShowMessage(const std::string&, const std::string&) override {}
    std::vector<uint8_t> Output;

private:
    std::vector<uint8_t> input_;
    bool done_ = false;
};

int InflateBytes(std::vector<uint8_t> input, std::vector<uint8_t>& output) {
    MemoryFrame frame(std::move(input));
    int rc = Inflate(frame);
    frame.FlushOutput();
    output = frame.Output;
    return rc;
}

TEST(Inflate, BlockEdgeCases) {
    std::vector<uint8_t> out;
    // A final stored block of 0 bytes: empty output.
    EXPECT_EQ(InflateBytes({0x01, 0x00, 0x00, 0xFF, 0xFF}, out), 0);
    EXPECT_TRUE(out.empty());
    // A stored block of 3 bytes.
    EXPECT_EQ(InflateBytes({0x01, 0x03, 0x00, 0xFC, 0xFF, 'a', 'b', 'c'}, out), 0);
    EXPECT_EQ(std::string(out.begin(), out.end()), "abc");
    // NLEN not the complement of LEN.
    EXPECT_NE(InflateBytes({0x01, 0x03, 0x00, 0xFC, 0xFE, 'a', 'b', 'c'}, out), 0);
    // Block type 3.
    EXPECT_EQ(InflateBytes({0x07}, out), 2);
    // Fixed block "a" (raw deflate of "a" by zlib: 4b 04 00).
    EXPECT_EQ(InflateBytes({0x4B, 0x04, 0x00}, out), 0);
    EXPECT_EQ(std::string(out.begin(), out.end()), "a");
    // A fixed block cut short before its end code ends without looping.
    EXPECT_NE(InflateBytes({0x4B}, out), 0);
    EXPECT_NE(InflateBytes({}, out), 0);
    // A distance reaching before the first byte (length 3, distance 1 at the start).
    EXPECT_NE(InflateBytes({0x03, 0x02, 0x00}, out), 0);
}

TEST(Inflate, OutputLimitStops) {
    std::vector<uint8_t> zeros(100000, 0);
    // Raw deflate of 100000 zero bytes (zlib level 9).
    std::vector<uint8_t> stream = {
        0xED, 0xC1, 0x31, 0x01, 0x00, 0x00, 0x00, 0xC2, 0xA0, 0xF5, 0x4F, 0x6D, 0x0D,
        0x0F, 0xA0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x57, 0x03,
    };
    std::vector<uint8_t> out;
    ASSERT_EQ(InflateBytes(stream, out), 0);
    EXPECT_EQ(out, zeros);
    MemoryFrame bounded(stream, 1000);
    EXPECT_THROW(Inflate(bounded), TZipOutputOverrun);
    bounded.FlushOutput();
    EXPECT_EQ(bounded.Output.size(), 1000u);
}

TEST(ZipCrc, StandardValue) {
    const std::string text = "123456789";
    EXPECT_EQ(ZipCrcUpdate(0xFFFFFFFF, reinterpret_cast<const uint8_t*>(text.data()), text.size()) ^ 0xFFFFFFFF,
              0xCBF43926u);
}

TEST(ZipStreams, BufferedReadAndSeek) {
    TMemoryStream memory;
    std::vector<uint8_t> data(20000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7);
    memory.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
    memory.SetPosition(0);
    TS_BufferStream stream(&memory);
    int refills = 0;
    stream.OnAfterRefill = [&] { ++refills; };
    std::vector<uint8_t> back(data.size());
    EXPECT_EQ(stream.Read(back.data(), 20000), 20000);
    EXPECT_EQ(back, data);
    EXPECT_EQ(refills, 3);

    TMemoryStream hundred;
    hundred.SetSize(100);
    TS_BufferStream small(&hundred);
    EXPECT_EQ(small.Seek(5, soEnd), 95);
    EXPECT_EQ(small.Seek(-5, soEnd), 95);
    EXPECT_THROW(small.Seek(0, static_cast<TSeekOrigin>(7)), EStreamError);
    uint8_t byte;
    small.Read(&byte, 1);
    small.PutBack(42);
    small.Read(&byte, 1);
    EXPECT_EQ(byte, 42);
}

struct Item {
    int key, order;
};

class ItemList : public TSortedObjectList<Item> {
public:
    using TSortedObjectList::TSortedObjectList;
    int Compare(const Item* a, const Item* b) const override { return a->key - b->key; }
};

TEST(ZipContainers, SortedListPolicies) {
    ItemList accept(dupAccept);
    int order = 0;
    for (int key : {5, 1, 5, 3, 5, 1})
        accept.Add(new Item{key, order++});
    std::vector<std::pair<int, int>> seen;
    for (int i = 0; i < accept.Count(); ++i)
        seen.emplace_back(accept.Items(i)->key, accept.Items(i)->order);
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{1, 1}, {1, 5}, {3, 3}, {5, 0}, {5, 2}, {5, 4}}));

    ItemList raise(dupError);
    raise.Add(new Item{1, 0});
    Item dup{1, 1};
    EXPECT_THROW(raise.Add(&dup), EListError);

    ItemList ignore(dupIgnore);
    ignore.Add(new Item{1, 0});
    Item same{1, 1};
    EXPECT_EQ(ignore.Add(&same), -1);
    EXPECT_EQ(ignore.Count(), 1);
}

// --- the old methods, fed their raw streams straight from the fixtures

struct RawEntry {
    std::string name;
    uint16_t method = 0, flags = 0;
    uint32_t size = 0;
    std::vector<uint8_t> data;
};

uint32_t Le(const std::string& s, size_t pos, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | static_cast<uint8_t>(s[pos + i]);
    return v;
}

// The entries of an archive written without data descriptors, in file order.
std::vector<RawEntry> RawEntries(const std::string& name) {
    std::ifstream in(std::string(LUMVOR_FIXTURES) + "/zip/" + name, std::ios::binary);
    std::string s(std::istreambuf_iterator<char>(in), {});
    std::vector<RawEntry> entries;
    size_t pos = 0;
    while (pos + 30 <= s.size() && Le(s, pos, 4) == 0x04034B50) {
        RawEntry e;
        e.flags = static_cast<uint16_t>(Le(s, pos + 6, 2));
        e.method = static_cast<uint16_t>(Le(s, pos + 8, 2));
        uint32_t packed = Le(s, pos + 18, 4);
        e.size = Le(s, pos + 22, 4);
        size_t nameLength = Le(s, pos + 26, 2), extraLength = Le(s, pos + 28, 2);
        e.name = s.substr(pos + 30, nameLength);
        size_t start = pos + 30 + nameLength + extraLength;
        e.data.assign(s.begin() + start, s.begin() + start + packed);
        entries.push_back(std::move(e));
        pos = start + packed;
    }
    return entries;
}

// Runs the decoder of `method` over `data` with the output bounded by `limit`.
int DecodeOld(uint16_t method, uint16_t flags, uint64_t size, std::vector<uint8_t> data, uint64_t limit,
              std::vector<uint8_t>& out) {
    const uint64_t packed = data.size();
    MemoryFrame frame(std::move(data), limit);
    int rc = -1;
    try {
        if (method == 1)
            rc = Unshrink(frame);
        else if (method >= 2 && method <= 5)
            rc = Unreduce(frame, method - 1, size);
        else
            rc = Explode(frame, flags, packed, size);
    } catch (const TZipOutputOverrun&) {
        frame.FlushOutput();
        rc = -2;
    }
    out = frame.Output;
    return rc;
}

const char* const kOldMethodFixtures[] = {"shrunk.zip", "shrunk_clear.zip", "reduced.zip",
                                          "imploding-4Kdict-2trees.zip", "imploding-8Kdict-3trees.zip",
                                          "imploded_variants.zip", "moby-imploded-part.zip"};

// Flipped bytes and cut-offs of every old-method stream: each decoder ends,
// within the entry's bound, without touching memory outside its tables.
TEST(OldMethods, MutatedStreamsEndWithinTheBound) {
    uint32_t seed = 2024;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    int decoded = 0;
    for (const char* name : kOldMethodFixtures) {
        for (const RawEntry& entry : RawEntries(name)) {
            if (entry.method < 1 || entry.method > 6)
                continue;
            SCOPED_TRACE(std::string(name) + " " + entry.name);
            std::vector<uint8_t> out;
            ASSERT_EQ(DecodeOld(entry.method, entry.flags, entry.size, entry.data, entry.size, out), 0);
            ASSERT_EQ(out.size(), entry.size);
            ++decoded;
            for (int round = 0; round < 100; ++round) {
                std::vector<uint8_t> data = entry.data;
                if (round % 4 == 3)
                    data.resize(next() % data.size());
                else
                    for (int k = 0; k <= round % 3; ++k)
                        data[next() % data.size()] = static_cast<uint8_t>(next() >> 16);
                DecodeOld(entry.method, entry.flags, entry.size, std::move(data), entry.size, out);
                EXPECT_LE(out.size(), entry.size);
            }
        }
    }
    EXPECT_GE(decoded, 12);
}

// LSB-first bit packing for hand-made streams.
class BitWriter {
public:
    void Put(unsigned value, unsigned bits) {
        for (unsigned i = 0; i < bits; ++i) {
            if (count_ % 8 == 0)
                bytes_.push_back(0);
            bytes_.back() |= static_cast<uint8_t>(((value >> i) & 1) << (count_ % 8));
            ++count_;
        }
    }
    std::vector<uint8_t> Bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    unsigned count_ = 0;
};

TEST(OldMethods, HostileShrinkCodes) {
    std::vector<uint8_t> out;
    // Only the first code: one byte.
    BitWriter one;
    one.Put('A', 9);
    EXPECT_EQ(DecodeOld(1, 0, 1, one.Bytes(), 100, out), 0);
    EXPECT_EQ(out, std::vector<uint8_t>{'A'});
    // Nothing at all.
    EXPECT_EQ(DecodeOld(1, 0, 0, {}, 100, out), 0);
    EXPECT_TRUE(out.empty());
    // The code size raised past 13 bits.
    BitWriter wide;
    wide.Put('A', 9);
    unsigned size = 9;
    for (int i = 0; i < 5; ++i) {
        wide.Put(256, size);
        wide.Put(1, size);
        ++size;
    }
    wide.Put('B', size);
    EXPECT_EQ(DecodeOld(1, 0, 2, wide.Bytes(), 100, out), 1);
    // An unused code whose chain leads back to itself ends instead of looping.
    BitWriter loop;
    loop.Put(300, 9);
    loop.Put(300, 9);
    EXPECT_EQ(DecodeOld(1, 0, 2, loop.Bytes(), 1 << 20, out), 1);
    EXPECT_LE(out.size(), 1u);
    // A code that repeats the previous string plus its first byte.
    BitWriter kwk;
    kwk.Put('a', 9);
    kwk.Put(257, 9);
    kwk.Put(258, 9);
    EXPECT_EQ(DecodeOld(1, 0, 6, kwk.Bytes(), 100, out), 0);
    EXPECT_EQ(std::string(out.begin(), out.end()), "aaaaaa");
}

TEST(OldMethods, HostileTreesAndMissingData) {
    std::vector<uint8_t> out;
    // Trees whose lengths overrun the 64 codes or leave some without a length.
    EXPECT_EQ(DecodeOld(6, 0, 10, {0x04, 0xF5, 0xF5, 0xF5, 0xF5, 0xF5}, 10, out), 4);
    EXPECT_EQ(DecodeOld(6, 0, 10, {0x02, 0xF5, 0xF5, 0xF5}, 10, out), 4);
    // A length tree that claims more codes than bits allow (64 codes of 1 bit).
    EXPECT_EQ(DecodeOld(6, 0, 10, {0x03, 0xF0, 0xF0, 0xF0, 0xF0, 0x03, 0xF5, 0xF5, 0xF5, 0xF5}, 10, out), 4);
    // Valid trees, then no data for a huge declared size: the decoders stop
    // soon after the data end instead of producing zeros up to that size.
    const std::vector<uint8_t> trees = {0x03, 0xF5, 0xF5, 0xF5, 0xF5, 0x03, 0xF5, 0xF5, 0xF5, 0xF5};
    EXPECT_EQ(DecodeOld(6, 0, 4000000000u, trees, 4000000000u, out), 5);
    EXPECT_LT(out.size(), 1000u);
    EXPECT_NE(DecodeOld(5, 0, 4000000000u, {}, 4000000000u, out), 0);
    EXPECT_LT(out.size(), 1000u);
    EXPECT_EQ(DecodeOld(6, 0, 4000000000u, {}, 4000000000u, out), 4);
}

}  // namespace
