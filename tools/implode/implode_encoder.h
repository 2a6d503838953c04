// Implode stream encoder (host tooling).
//
// Produces streams that implode_decode expands to exactly the input, ending
// with the end marker.  Every stream is padded so that the decoder's first
// read sees more than 4 bytes and every token is followed by at least 8 more
// bits of stream (the end marker's own extra bits do that for the last real
// token).
//
// The encoder reads its input as a stream and parses it in chunks of
// parse_chunk_size bytes (a copy never reaches across the end of a chunk),
// so its memory stays bounded whatever the input size: about 11 MiB at the
// best level, less at the fast one.  An input of at most one chunk is parsed
// whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
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

inline constexpr std::size_t parse_chunk_size = std::size_t{1} << 20;

// Input: places up to `capacity` bytes at `buffer` and returns how many; 0
// at the end of the input.  Output: takes `size` bytes, false on failure.
using read_function = std::function<std::size_t(std::uint8_t *buffer, std::size_t capacity)>;
using write_function = std::function<bool(const std::uint8_t *data, std::size_t size)>;

// Encodes one input after another; keeps its buffers and tables between
// them, so that many short inputs cost little.
class encoder {
  public:
    encoder();
    ~encoder();
    encoder(const encoder &) = delete;
    encoder &operator=(const encoder &) = delete;

    // Encodes everything `read` delivers and writes the stream through
    // `write`.  Returns false when a write failed (the stream is then
    // incomplete and encoding stopped).  Throws std::invalid_argument when
    // dict_bits is not 4, 5 or 6.
    bool encode(const encode_options &options, const read_function &read,
                const write_function &write);

    std::vector<std::uint8_t> encode(std::span<const std::uint8_t> input,
                                     const encode_options &options);

  private:
    struct workspace;
    std::unique_ptr<workspace> work_;
};

// Encodes one input with an encoder of its own.
std::vector<std::uint8_t> implode_encode(std::span<const std::uint8_t> input,
                                         const encode_options &options = {});

} // namespace implode
