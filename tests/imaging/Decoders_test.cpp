// The LZW and PackBits decoders on their own: known streams, and hostile input
// that must stay inside the output buffer.
#include "imaging/vo_Decoders.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace lumvor;

namespace {

// Packs codes of the given widths least significant bit first.
std::vector<uint8_t> PackCodes(const std::vector<std::pair<int, int>>& codes) {
    std::vector<uint8_t> out;
    uint32_t acc = 0;
    int held = 0;
    for (auto [code, width] : codes) {
        acc |= static_cast<uint32_t>(code) << held;
        held += width;
        while (held >= 8) {
            out.push_back(static_cast<uint8_t>(acc));
            acc >>= 8;
            held -= 8;
        }
    }
    if (held > 0)
        out.push_back(static_cast<uint8_t>(acc));
    return out;
}

TEST(GifLzw, DecodesStringsAndTheCodeNotYetInTheTable) {
    // Minimum size 2: clear 4, end 5. Codes: clear, 1, 6 (=1,1, the KwKwK case),
    // 6 again (after which codes are 4 bits wide), 2, end.
    auto data = PackCodes({{4, 3}, {1, 3}, {6, 3}, {6, 3}, {2, 4}, {5, 4}});
    std::vector<uint8_t> out(16, 0xEE);
    size_t n = DecodeGifLzw(data.data(), data.size(), 2, out.data(), out.size());
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + static_cast<long>(n)),
              (std::vector<uint8_t>{1, 1, 1, 1, 1, 2}));
}

TEST(GifLzw, WidensCodesAsTheTableGrows) {
    // Minimum size 2; after entries 6 and 7 the width grows to 4 bits.
    auto data = PackCodes({{4, 3}, {0, 3}, {1, 3}, {2, 3}, {6, 4}, {5, 4}});
    std::vector<uint8_t> out(8);
    size_t n = DecodeGifLzw(data.data(), data.size(), 2, out.data(), out.size());
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + static_cast<long>(n)),
              (std::vector<uint8_t>{0, 1, 2, 0, 1}));
}

TEST(GifLzw, OutOfRangeCodesAndSizesNeverWritePastTheOutput) {
    // Code sizes beyond the table give nothing.
    const uint8_t some[] = {0xFF, 0xFF};
    uint8_t out[4] = {9, 9, 9, 9};
    EXPECT_EQ(DecodeGifLzw(some, 2, 12, out, 4), 0u);
    EXPECT_EQ(DecodeGifLzw(some, 2, 0, out, 4), 0u);
    // A long run that expands beyond the room is cut at the room.
    std::vector<std::pair<int, int>> codes = {{256, 9}, {7, 9}};
    for (int c = 258; c < 500; ++c)
        codes.push_back({c, c < 511 ? 9 : 10});
    auto data = PackCodes(codes);
    for (size_t room : {1u, 5u, 100u, 1000u}) {
        std::vector<uint8_t> buffer(room);
        size_t n = DecodeGifLzw(data.data(), data.size(), 8, buffer.data(), buffer.size());
        EXPECT_LE(n, room);
        for (size_t i = 0; i < n; ++i)
            ASSERT_EQ(buffer[i], 7);
    }
    // Random data at every code size stays inside a heap buffer of exactly the
    // room (the address sanitizer catches any write past it).
    std::mt19937 random(5);
    for (int size = 1; size <= 11; ++size) {
        for (int round = 0; round < 20; ++round) {
            std::vector<uint8_t> input(1 + random() % 3000);
            for (auto& b : input)
                b = static_cast<uint8_t>(random());
            std::vector<uint8_t> buffer(1 + random() % 700);
            size_t n = DecodeGifLzw(input.data(), input.size(), size, buffer.data(), buffer.size());
            EXPECT_LE(n, buffer.size());
        }
    }
}

TEST(GifLzw, AFullTableKeepsDecodingWithoutRunningAway) {
    // 4096 codes without a clear: the table fills, the last slot is rewritten
    // and may refer to itself.
    std::vector<std::pair<int, int>> codes = {{256, 9}};
    int next = 258, width = 9;
    codes.push_back({1, width});
    for (int i = 0; i < 6000; ++i) {
        int code = next <= 4095 ? next : 4095;
        codes.push_back({code, width});
        if (next == (1 << width) - 1 && width < 12)
            ++width;
        if (next < 4095)
            ++next;
    }
    auto data = PackCodes(codes);
    std::vector<uint8_t> buffer(1 << 22);
    size_t n = DecodeGifLzw(data.data(), data.size(), 8, buffer.data(), buffer.size());
    EXPECT_GT(n, 0u);
    EXPECT_LE(n, buffer.size());
}

TEST(PackBits, LiteralRepeatAndNoOp) {
    const uint8_t data[] = {2, 'a', 'b', 'c', 0xFE, 'x', 0x80, 0, 'z'};
    uint8_t out[16];
    size_t consumed = 0;
    size_t n = UnpackBits(data, sizeof data, out, sizeof out, &consumed);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), n), "abcxxxz");
    EXPECT_EQ(consumed, sizeof data);
}

TEST(PackBits, HostileRunsStayInsideTheOutput) {
    struct Case {
        std::vector<uint8_t> data;
        size_t room;
        std::string expected;
    } cases[] = {
        {{0x81, 'r'}, 4, "rrrr"},             // over-long repeat
        {{127, 'a', 'b'}, 10, "ab"},          // literal longer than the input
        {{5, 'a', 'b', 'c', 'd', 'e', 'f'}, 3, "abc"},  // literal longer than the room
        {{0xFD}, 10, ""},                     // repeat without its byte
        {{0x80, 0x80}, 10, ""},               // only no-ops
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> out(c.room);
        size_t n = UnpackBits(c.data.data(), c.data.size(), out.data(), out.size());
        EXPECT_EQ(std::string(out.begin(), out.begin() + static_cast<long>(n)), c.expected);
    }
}

}  // namespace
