#include "payload_limits.h"

#include <cstdio>
#include <limits>

namespace {

constexpr std::uint64_t largest_32_bit_size = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint64_t largest_request_total = std::numeric_limits<std::int32_t>::max();
constexpr std::uint64_t request_size = 2048;

std::string sentence(const char *format, const char *what, unsigned long long size,
                     unsigned long long limit) {
    char text[256];
    std::snprintf(text, sizeof text, format, what, size, limit);
    return text;
}

} // namespace

std::uint64_t most_bytes_requested(std::uint64_t stream_size) {
    return (stream_size / request_size + 2) * request_size;
}

std::string input_size_problem(const char *what, std::uint64_t size) {
    if (size <= largest_32_bit_size)
        return {};
    return sentence("the %s file is %llu bytes; a launcher carries files of at most %llu bytes "
                    "(32-bit sizes)",
                    what, size, largest_32_bit_size);
}

std::string payload_size_problem(const payload_sizes &sizes) {
    if (std::string problem = input_size_problem("installer", sizes.installer_decoded);
        !problem.empty())
        return problem;
    if (std::string problem = input_size_problem("data", sizes.data_decoded); !problem.empty())
        return problem;
    const char *const stream_format = "the %s payload compresses to %llu bytes; a payload's length "
                                      "is at most %llu bytes (32 bits)";
    if (sizes.installer_stream > largest_32_bit_size)
        return sentence(stream_format, "installer", sizes.installer_stream, largest_32_bit_size);
    if (sizes.data_stream > largest_32_bit_size)
        return sentence(stream_format, "data", sizes.data_stream, largest_32_bit_size);
    const std::uint64_t requested =
        most_bytes_requested(sizes.installer_stream) + most_bytes_requested(sizes.data_stream);
    if (requested <= largest_request_total)
        return {};
    char text[256];
    std::snprintf(
        text, sizeof text,
        "the two payloads compress to %llu bytes together, for which the decoder may request "
        "up to %llu bytes; the progress meter counts at most %llu (32-bit signed)",
        static_cast<unsigned long long>(sizes.installer_stream + sizes.data_stream),
        static_cast<unsigned long long>(requested),
        static_cast<unsigned long long>(largest_request_total));
    return text;
}
