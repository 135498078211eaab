#include "platform/Crc32.h"

namespace lumvor {

namespace {

using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

// Eight tables: the first is the classic byte table; table k advances a byte
// through k further zero bytes, so eight bytes fold in at once.
constexpr CrcTables MakeCrcTables() {
    CrcTables tables{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        tables[0][n] = c;
    }
    for (uint32_t n = 0; n < 256; ++n)
        for (int t = 1; t < 8; ++t)
            tables[t][n] = (tables[t - 1][n] >> 8) ^ tables[0][tables[t - 1][n] & 0xFF];
    return tables;
}

constexpr CrcTables kCrcTables = MakeCrcTables();

uint32_t LoadLittle32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

constinit const std::array<uint32_t, 256> Crc32Table = kCrcTables[0];

uint32_t Crc32Update(uint32_t crc, const void* data, size_t count) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    const auto& t = kCrcTables;
    while (count >= 8) {
        uint32_t lo = crc ^ LoadLittle32(bytes);
        uint32_t hi = LoadLittle32(bytes + 4);
        crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
              t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
        bytes += 8;
        count -= 8;
    }
    for (size_t i = 0; i < count; ++i)
        crc = t[0][(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}

}  // namespace lumvor
