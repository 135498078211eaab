// The shared CRC-32 register: the check value of the standard CRC-32 and a run
// split over several calls.
#include "platform/Crc32.h"

#include <gtest/gtest.h>

#include <string>

namespace lumvor {
namespace {

TEST(Crc32, StandardCheckValueAndSplitRuns) {
    EXPECT_EQ(Crc32Table[1], 0x77073096u);
    EXPECT_EQ(Crc32Table[255], 0x2D02EF8Du);
    const std::string text = "123456789";
    EXPECT_EQ(Crc32Update(0xFFFFFFFFu, text.data(), text.size()) ^ 0xFFFFFFFFu, 0xCBF43926u);
    const uint32_t head = Crc32Update(0xFFFFFFFFu, text.data(), 4);
    EXPECT_EQ(Crc32Update(head, text.data() + 4, 5) ^ 0xFFFFFFFFu, 0xCBF43926u);
    EXPECT_EQ(Crc32Update(0x1234u, nullptr, 0), 0x1234u);
}

}  // namespace
}  // namespace lumvor
