// CRC-32 of the reflected polynomial 0xEDB88320 (the CRC of zip, PNG and the
// thumbnail cache files). Crc32Update only advances the register: callers choose
// the start value and whether to complement the result (zip starts with
// 0xFFFFFFFF and complements; the cache files start with 0xFFFFFFFF and do not).
// No state; any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace lumvor {

// Entry n: the register after shifting the byte n through it.
extern const std::array<uint32_t, 256> Crc32Table;

// The register after `count` bytes of `data`, starting from `crc`.
uint32_t Crc32Update(uint32_t crc, const void* data, size_t count);

}  // namespace lumvor
