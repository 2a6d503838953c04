// Implode stream encoder (host tooling).
//
// Produces streams that implode_decode expands to exactly the input, ending
// with the end marker.  Every stream is padded so that the decoder's first
// read sees more than 4 bytes and every token is followed by at least 8 more
// bits of stream (the end marker's own extra bits do that for the last real
// token).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace implode {

enum class literal_coding : std::uint8_t {
    binary = 0, // literals as 8 plain bits
    ascii = 1,  // literals through the fixed ASCII code
};

enum class encode_level {
    fast, // hash chains, short search, one-step lazy matching
    best, // deeper search and a shortest-path parse over the fixed code lengths
};

struct encode_options {
    literal_coding literals = literal_coding::binary;
    unsigned dict_bits = 6; // 4, 5 or 6: dictionary of 1024, 2048 or 4096 bytes
    encode_level level = encode_level::best;
};

// Throws std::invalid_argument when dict_bits is not 4, 5 or 6.
std::vector<std::uint8_t> implode_encode(std::span<const std::uint8_t> input,
                                         const encode_options& options = {});

} // namespace implode
