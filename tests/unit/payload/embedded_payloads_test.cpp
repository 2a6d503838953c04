// The payloads a host build carries, as the build made them: each decodes to
// exactly the file it was made from, and the generated figures describe them.
#include "embedded_payloads.h"
#include "implode/implode_decoder.h"
#include "payload/payload_figures.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <vector>

namespace {

struct memory_stream {
    const unsigned char *bytes;
    uint32_t length;
    uint32_t consumed = 0;
    std::vector<uint8_t> decoded;
};

uint32_t read_memory(uint8_t *buffer, uint32_t *size, void *param) {
    auto *s = static_cast<memory_stream *>(param);
    const uint32_t n = std::min(*size, s->length - s->consumed);
    std::memcpy(buffer, s->bytes + s->consumed, n);
    s->consumed += n;
    return n;
}

int keep_output(uint8_t *buffer, uint32_t *size, void *param) {
    auto *s = static_cast<memory_stream *>(param);
    s->decoded.insert(s->decoded.end(), buffer, buffer + *size);
    return static_cast<int>(*size);
}

std::vector<uint8_t> read_file(const char *path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct EmbeddedCase {
    const char *name;
    const unsigned char *bytes;
    uint32_t length;
    const char *input_path;
    uint32_t decoded_size;
    uint32_t decoded_crc32;
};

void PrintTo(const EmbeddedCase &c, std::ostream *out) {
    *out << c.name;
}

class EmbeddedPayload : public testing::TestWithParam<EmbeddedCase> {};

TEST_P(EmbeddedPayload, DecodesToItsInputFileAsTheFiguresSay) {
    const EmbeddedCase &c = GetParam();
    memory_stream stream{c.bytes, c.length, 0, {}};
    auto work = std::make_unique<implode_work_area>();
    ASSERT_EQ(implode_decode(read_memory, keep_output, work.get(), &stream), implode_ok);
    // The launcher decodes with binary literals and a 4096-byte dictionary.
    EXPECT_EQ(c.bytes[0], 0);
    EXPECT_EQ(c.bytes[1], 6);

    const std::vector<uint8_t> input = read_file(c.input_path);
    ASSERT_FALSE(input.empty());
    EXPECT_TRUE(stream.decoded == input)
        << "decoded " << stream.decoded.size() << " bytes, the input has " << input.size();
    EXPECT_EQ(c.decoded_size, input.size());
    EXPECT_EQ(c.decoded_crc32,
              static_cast<uint32_t>(crc32(0, input.data(), static_cast<uInt>(input.size()))));
}

INSTANTIATE_TEST_SUITE_P(
    Build, EmbeddedPayload,
    testing::Values(EmbeddedCase{"installer", installer_payload_bytes, installer_payload_length,
                                 installer_input_path, installer_decoded_size,
                                 installer_decoded_crc32},
                    EmbeddedCase{"data", data_payload_bytes, data_payload_length, data_input_path,
                                 data_decoded_size, data_decoded_crc32}),
    [](const testing::TestParamInfo<EmbeddedCase> &info) { return std::string(info.param.name); });

} // namespace
