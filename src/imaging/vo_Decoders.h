// The two decompressors of the GIF and Photoshop readers. Both are bounded by
// their input and output sizes: hostile data is cut, never written past the
// output.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lumvor {

// Decodes GIF variable-width LZW data (codes least significant bit first) into
// output and returns the number of bytes written (at most outputSize). The
// data is consumed as the reader gathered it, with the sub-block lengths
// already removed. A minimum code size above 11 (or below 1) gives no output.
// An end code pauses decoding until the next input byte; codes beyond the next
// free code are ignored the same way.
size_t DecodeGifLzw(const uint8_t* input, size_t inputSize, int minCodeSize, uint8_t* output,
                    size_t outputSize);

// Unpacks PackBits run-length data: a count byte n of 0..127 copies the next
// n + 1 bytes, -127..-1 repeats the next byte 1 - n times, -128 is skipped.
// Stops when either the input or the output room is used up. Returns the bytes
// written; consumed, when given, receives the input bytes used.
size_t UnpackBits(const uint8_t* input, size_t inputSize, uint8_t* output, size_t outputSize,
                  size_t* consumed = nullptr);

}  // namespace lumvor
