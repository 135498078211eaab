#include "imaging/vo_Decoders.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace lumvor {

size_t DecodeGifLzw(const uint8_t* input, size_t inputSize, int minCodeSize, uint8_t* output,
                    size_t outputSize) {
    constexpr int kTableSize = 4096;
    constexpr int kMaxWidth = 12;
    if (minCodeSize < 1 || minCodeSize > 11)
        return 0;
    std::array<uint16_t, kTableSize> prefix{};
    std::array<uint8_t, kTableSize> suffix{};
    std::array<uint8_t, kTableSize> stack{};

    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    for (int i = 0; i < clear; ++i)
        suffix[i] = static_cast<uint8_t>(i);
    int width = minCodeSize + 1;
    int mask = (1 << width) - 1;
    int next = clear + 2;
    int previous = -1;
    uint8_t first = 0;

    uint64_t accumulator = 0;
    int held = 0;
    size_t out = 0;
    for (size_t in = 0; in < inputSize && out < outputSize; ++in) {
        // Pauses after end codes and stray codes leave bits behind; on data that
        // pauses at every byte, the oldest pending codes are dropped unread.
        while (held > 56) {
            accumulator >>= width;
            held -= width;
        }
        accumulator |= uint64_t{input[in]} << held;
        held += 8;
        while (held >= width) {
            const int code = static_cast<int>(accumulator & static_cast<uint32_t>(mask));
            accumulator >>= width;
            held -= width;
            if (code == end || code > next)
                break;  // wait for the next input byte
            if (code == clear) {
                width = minCodeSize + 1;
                mask = (1 << width) - 1;
                next = clear + 2;
                previous = -1;
                continue;
            }
            if (previous < 0) {
                first = suffix[code];
                previous = code;
                output[out++] = first;
                if (out == outputSize)
                    return out;
                continue;
            }
            int sp = 0;
            int current = code;
            if (code == next) {
                stack[sp++] = first;
                current = previous;
            }
            // Entries may chain into themselves once the table is full and the
            // last slot is rewritten; a string longer than the table is corrupt.
            while (current > clear) {
                if (sp >= kTableSize - 1)
                    return out;
                stack[sp++] = suffix[current];
                current = prefix[current];
            }
            first = suffix[current];
            stack[sp++] = first;
            prefix[next] = static_cast<uint16_t>(previous);
            suffix[next] = first;
            if (next == mask && width < kMaxWidth) {
                ++width;
                mask = (1 << width) - 1;
            }
            if (next < kTableSize - 1)
                ++next;
            previous = code;
            const size_t n = std::min<size_t>(static_cast<size_t>(sp), outputSize - out);
            for (size_t k = 0; k < n; ++k)
                output[out++] = stack[sp - 1 - k];
            if (out == outputSize)
                return out;
        }
    }
    return out;
}

size_t UnpackBits(const uint8_t* input, size_t inputSize, uint8_t* output, size_t outputSize,
                  size_t* consumed) {
    size_t in = 0;
    size_t out = 0;
    while (in < inputSize && out < outputSize) {
        const int n = static_cast<int8_t>(input[in++]);
        if (n >= 0) {
            // A literal run: the source advances by the whole run even when the
            // output room cuts it.
            const size_t run = std::min<size_t>(static_cast<size_t>(n) + 1, inputSize - in);
            const size_t copy = std::min(run, outputSize - out);
            std::memcpy(output + out, input + in, copy);
            in += run;
            out += copy;
        } else if (n != -128) {
            if (in >= inputSize)
                break;
            const size_t run = std::min<size_t>(static_cast<size_t>(1 - n), outputSize - out);
            std::memset(output + out, input[in++], run);
            out += run;
        }
    }
    if (consumed != nullptr)
        *consumed = in;
    return out;
}

}  // namespace lumvor
