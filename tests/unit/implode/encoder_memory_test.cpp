// The encoder's memory stays bounded whatever the input size: it reads the
// input as a stream and parses it chunk by chunk.  This test binary follows
// the heap's live size for the whole process (heap_watch).
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "heap_watch.h"
#include "implode_encoder.h"

namespace {

// Text-like bytes with some noise, made as they are read: the test itself
// holds none of the input.
class generated_input {
  public:
    explicit generated_input(std::size_t size) : left_(size), rng_(7) {
        for (auto &b : words_) {
            b = static_cast<std::uint8_t>("abcdefghijklmnop "[rng_() % 17]);
        }
    }
    std::size_t read(std::uint8_t *buffer, std::size_t capacity) {
        const std::size_t n = capacity < left_ ? capacity : left_;
        for (std::size_t i = 0; i < n; ++i, ++at_) {
            buffer[i] = rng_() % 8 == 0 ? static_cast<std::uint8_t>(rng_()) : words_[at_ % 4096];
        }
        left_ -= n;
        return n;
    }

  private:
    std::size_t left_;
    std::size_t at_ = 0;
    std::mt19937 rng_;
    std::uint8_t words_[4096];
};

struct level_case {
    const char *name;
    implode::encode_level level;
    std::size_t input_size;
};

void PrintTo(const level_case &c, std::ostream *out) {
    *out << c.name;
}

class EncoderMemory : public ::testing::TestWithParam<level_case> {};

TEST_P(EncoderMemory, StaysBelow16MiBForAnInputOfManyChunks) {
    ASSERT_TRUE(heap_watch::installed());
    // The counter must see an ordinary allocation, or the check means nothing.
    heap_watch::restart_peak();
    const long long before_probe = heap_watch::peak_bytes();
    auto *probe = new std::vector<char>(40u << 20);
    EXPECT_GE(heap_watch::peak_bytes() - before_probe, 40ll << 20);
    delete probe;

    const long long base = heap_watch::live_bytes();
    heap_watch::restart_peak();
    generated_input input(GetParam().input_size);
    std::size_t written = 0;
    implode::encoder encoder;
    ASSERT_TRUE(encoder.encode(
        {implode::literal_coding::binary, 6, GetParam().level},
        [&](std::uint8_t *buffer, std::size_t capacity) { return input.read(buffer, capacity); },
        [&](const std::uint8_t *, std::size_t size) {
            written += size;
            return true;
        }));
    EXPECT_GT(written, GetParam().input_size / 4);
    EXPECT_LT(heap_watch::peak_bytes() - base, 16ll << 20) << "input of " << GetParam().input_size;
}

INSTANTIATE_TEST_SUITE_P(
    Levels, EncoderMemory,
    ::testing::Values(level_case{"fast_8MiB", implode::encode_level::fast, 8u << 20},
                      level_case{"best_3MiB", implode::encode_level::best, 3u << 20}),
    [](const ::testing::TestParamInfo<level_case> &info) { return std::string(info.param.name); });

} // namespace
