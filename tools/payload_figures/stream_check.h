// Checks that a compressed payload decodes, with the launcher's own decoder,
// to exactly the file it was made from, and measures what it decodes to.
#pragma once

#include <cstdint>
#include <string>

struct decoded_figures {
    std::uint64_t size = 0;
    std::uint32_t crc32 = 0;
};

// Size and CRC-32 of a file, read in blocks. False (with `error` set) when it
// cannot be read.
bool measure_file(const std::string &path, decoded_figures &figures, std::string &error);

// Decodes the implode stream `stream_path` and compares the result with
// `input_path`. True when they are identical; `figures` then describes them.
// Otherwise `error` says where they part.
bool check_stream_decodes_to(const std::string &stream_path, const std::string &input_path,
                             decoded_figures &figures, std::string &error);
