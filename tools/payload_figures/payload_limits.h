// The largest payloads that a launcher can carry. A payload's compressed and
// decoded sizes are 32-bit figures, and the progress meter counts the
// compressed bytes that the decoder requests, over both payloads, in a 32-bit
// signed integer.
#pragma once

#include <cstdint>
#include <string>

struct payload_sizes {
    std::uint64_t installer_decoded;
    std::uint64_t installer_stream;
    std::uint64_t data_decoded;
    std::uint64_t data_stream;
};

// The most bytes the decoder can request for a stream of `stream_size` bytes:
// one 2048-byte request per started block, and one more that finds the
// input ended.
std::uint64_t most_bytes_requested(std::uint64_t stream_size);

// Empty when a launcher can carry payloads of these sizes; otherwise what is
// too large, in a sentence for the packager.
std::string payload_size_problem(const payload_sizes &sizes);

// The same for one file that is to become a payload, before it is compressed:
// its size must fit the launcher's 32-bit decoded size. `what` names it.
std::string input_size_problem(const char *what, std::uint64_t size);
