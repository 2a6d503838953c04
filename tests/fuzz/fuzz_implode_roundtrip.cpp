// Encodes any bytes with options taken from the first byte, decodes the
// stream in reads of varying sizes and requires exactly the input back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "implode/implode_decoder.h"
#include "implode_encoder.h"

namespace {

struct source {
    const std::vector<std::uint8_t> *stream;
    std::size_t offset;
    std::uint32_t step;
    std::vector<std::uint8_t> output;
};

std::uint32_t on_read(std::uint8_t *buffer, std::uint32_t *size, void *param) {
    auto &s = *static_cast<source *>(param);
    // First read at least 5 bytes (the whole stream is at least 5).
    std::uint32_t n = s.offset == 0 ? 5 + s.step : 1 + s.step;
    n = n > *size ? *size : n;
    const std::size_t left = s.stream->size() - s.offset;
    if (left < n) {
        n = static_cast<std::uint32_t>(left);
    }
    if (n != 0) {
        std::memcpy(buffer, s.stream->data() + s.offset, n);
    }
    s.offset += n;
    return n;
}

int on_write(std::uint8_t *buffer, std::uint32_t *size, void *param) {
    auto &s = *static_cast<source *>(param);
    s.output.insert(s.output.end(), buffer, buffer + *size);
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t control = data[0];
    const std::span<const std::uint8_t> input(data + 1, size - 1);
    implode::encode_options options;
    options.literals =
        (control & 1) != 0 ? implode::literal_coding::ascii : implode::literal_coding::binary;
    options.dict_bits = 4 + (control >> 1) % 3;
    options.level =
        (control & 0x08) != 0 ? implode::encode_level::fast : implode::encode_level::best;
    // One encoder for every run, as a packager encoding many files keeps one:
    // what it keeps between inputs must not change a stream.
    static implode::encoder encoder;
    const std::vector<std::uint8_t> stream = encoder.encode(input, options);
    if (stream.size() < 5) {
        std::abort();
    }

    static implode_work_area work;
    source s{&stream, 0, static_cast<std::uint32_t>(control >> 4) * 137u, {}};
    const int result = implode_decode(on_read, on_write, &work, &s);
    if (result != 0 || s.output.size() != input.size() ||
        (!input.empty() && std::memcmp(s.output.data(), input.data(), input.size()) != 0)) {
        std::abort();
    }
    return 0;
}
