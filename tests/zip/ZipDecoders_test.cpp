// The inflater's frame over memory, the buffered stream and the sorted list.
#include "zip/ZipContainers.h"
#include "zip/ZipDecoders.h"
#include "zip/ZipStreams.h"

#include <gtest/gtest.h>

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

}  // namespace
