// A fixed-size record kept as raw bytes, with little-endian accessors.
//
// The program stores several option sets as binary values of a fixed length
// (the viewer's 168-byte record, the explorer's 140-byte record, the JPEG
// settings). Fields are read and written at their byte offsets, so bytes that no
// field names keep whatever a stored record held, and a stored value shorter than
// the record fills only its leading bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace lumvor {

template <std::size_t N>
struct TByteRecord {
    static constexpr std::size_t Size = N;
    std::array<uint8_t, N> Bytes{};

    uint8_t Byte(std::size_t offset) const { return Bytes.at(offset); }
    void SetByte(std::size_t offset, uint8_t value) { Bytes.at(offset) = value; }
    // A one-byte flag: any nonzero byte reads as true; true is stored as 1.
    bool Flag(std::size_t offset) const { return Bytes.at(offset) != 0; }
    void SetFlag(std::size_t offset, bool value) { Bytes.at(offset) = value ? 1 : 0; }

    // Unsigned 16-bit word, little-endian.
    uint16_t Word(std::size_t offset) const {
        Check(offset, 2);
        return static_cast<uint16_t>(Bytes[offset] | Bytes[offset + 1] << 8);
    }
    void SetWord(std::size_t offset, uint16_t value) {
        Check(offset, 2);
        Bytes[offset] = uint8_t(value);
        Bytes[offset + 1] = uint8_t(value >> 8);
    }

    // Signed 32-bit integer, little-endian.
    int32_t Int(std::size_t offset) const {
        Check(offset, 4);
        uint32_t v = uint32_t(Bytes[offset]) | uint32_t(Bytes[offset + 1]) << 8 |
                     uint32_t(Bytes[offset + 2]) << 16 | uint32_t(Bytes[offset + 3]) << 24;
        return static_cast<int32_t>(v);
    }
    void SetInt(std::size_t offset, int32_t value) {
        Check(offset, 4);
        const auto v = static_cast<uint32_t>(value);
        for (int i = 0; i < 4; ++i)
            Bytes[offset + i] = uint8_t(v >> (8 * i));
    }

    // Copies at most N bytes of a stored value over the leading bytes; the rest
    // of the record stays as it is.
    void Load(const uint8_t* data, std::size_t length) {
        if (length > N)
            length = N;
        if (length > 0)
            std::memcpy(Bytes.data(), data, length);
    }

private:
    static void Check(std::size_t offset, std::size_t width) {
        if (offset + width > N)
            throw std::out_of_range("record offset");
    }
};

}  // namespace lumvor
