#include "platform/Crc32.h"

namespace lumvor {

namespace {

constexpr std::array<uint32_t, 256> MakeCrc32Table() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

}  // namespace

constinit const std::array<uint32_t, 256> Crc32Table = MakeCrc32Table();

uint32_t Crc32Update(uint32_t crc, const void* data, size_t count) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < count; ++i)
        crc = Crc32Table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}

}  // namespace lumvor
