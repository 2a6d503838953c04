// The encoder's streams decode to exactly their input, in every literal
// coding, dictionary size and level, for contents of every kind.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "decode_harness.h"
#include "implode_encoder.h"

namespace {

using bytes = std::vector<std::uint8_t>;
using implode::encode_level;
using implode::encode_options;
using implode::literal_coding;

bytes random_bytes(std::size_t n, std::uint32_t seed) {
    std::mt19937 rng(seed);
    bytes out(n);
    for (auto &b : out) {
        b = static_cast<std::uint8_t>(rng());
    }
    return out;
}

bytes text(std::size_t n, std::uint32_t seed) {
    static const char *words[] = {"the ",    "launcher ", "writes ", "installer ", "data ",
                                  "file ",   "into ",     "a ",      "temporary ", "folder, ",
                                  "and ",    "waits ",    "for ",    "it.\n",      "Progress ",
                                  "window ", "shows ",    "status ", "of ",        "payload "};
    std::mt19937 rng(seed);
    bytes out;
    while (out.size() < n) {
        const char *w = words[rng() % 20];
        out.insert(out.end(), w, w + std::char_traits<char>::length(w));
    }
    out.resize(n);
    return out;
}

// Random blocks of the dictionary size, each repeated: copies at exactly the
// largest distance, and one byte further (which must not be used).
bytes repeated_blocks(std::size_t block, std::size_t count, std::uint32_t seed) {
    bytes out;
    for (std::size_t i = 0; i < count; ++i) {
        const bytes b = random_bytes(block, seed + static_cast<std::uint32_t>(i));
        out.insert(out.end(), b.begin(), b.end());
        out.insert(out.end(), b.begin(), b.end());
    }
    return out;
}

// Byte pairs recurring at distances around 256 (length-2 copies and their
// distance limit) amid noise.
bytes pairs_near_256(std::size_t n) {
    bytes out = random_bytes(n, 99);
    for (std::size_t i = 300; i + 1 < n; i += 97) {
        out[i] = out[i - 256];
        out[i + 1] = out[i - 255];
        if (i + 260 < n) {
            out[i + 257] = out[i];
            out[i + 258] = out[i + 1];
        }
    }
    return out;
}

bytes mixed(std::size_t n) {
    bytes out = text(n / 4, 5);
    const bytes r = random_bytes(n / 4, 6);
    out.insert(out.end(), r.begin(), r.end());
    out.insert(out.end(), n / 8, 0);
    for (std::uint32_t i = 0; out.size() < n; ++i) { // little-endian counters
        for (int b = 0; b < 4 && out.size() < n; ++b) {
            out.push_back(static_cast<std::uint8_t>(i >> (8 * b)));
        }
    }
    return out;
}

struct content {
    const char *name;
    bytes data;
};

std::vector<content> contents() {
    return {
        {"empty", {}},
        {"one byte", {0x41}},
        {"one zero byte", {0x00}},
        {"two equal bytes", {0xFF, 0xFF}},
        {"long run of one byte", bytes(100000, 0)},
        {"run of 0xFF", bytes(5000, 0xFF)},
        {"random", random_bytes(70000, 1)},
        {"text", text(60000, 2)},
        {"mixed", mixed(80000)},
        {"blocks repeated at 1024", repeated_blocks(1024, 3, 10)},
        {"blocks repeated at 2048", repeated_blocks(2048, 3, 20)},
        {"blocks repeated at 4096", repeated_blocks(4096, 3, 30)},
        {"blocks repeated at 4097", repeated_blocks(4097, 2, 40)},
        {"pairs near distance 256", pairs_near_256(20000)},
    };
}

void expect_round_trip(const bytes &data, const encode_options &options,
                       std::vector<std::uint32_t> chunks = {}) {
    const bytes stream = implode::implode_encode(data, options);
    ASSERT_GE(stream.size(), 5u);
    EXPECT_EQ(stream[0], static_cast<std::uint8_t>(options.literals));
    EXPECT_EQ(stream[1], options.dict_bits);
    const auto run = implode_test::decode(stream, std::move(chunks));
    ASSERT_EQ(run.result, 0);
    ASSERT_EQ(run.output.size(), data.size());
    EXPECT_TRUE(run.output == data);
}

TEST(ImplodeEncoder, RoundTripsEveryContentCodingDictionaryAndLevel) {
    for (const auto &c : contents()) {
        for (auto coding : {literal_coding::binary, literal_coding::ascii}) {
            for (unsigned k : {4u, 5u, 6u}) {
                for (auto level : {encode_level::fast, encode_level::best}) {
                    SCOPED_TRACE(std::string(c.name) + " k=" + std::to_string(k) +
                                 (coding == literal_coding::ascii ? " ascii" : " binary") +
                                 (level == encode_level::fast ? " fast" : " best"));
                    expect_round_trip(c.data, {coding, k, level});
                }
            }
        }
    }
}

TEST(ImplodeEncoder, EveryTailAlignmentEndsWithAnAcceptedEndMarker) {
    // Sizes 0..40 of a short repeating text shift the end marker through every
    // bit position of the last byte; one-byte reads after the first make each
    // byte of the stream count.
    const bytes source = text(64, 7);
    for (std::size_t n = 0; n <= 40; ++n) {
        const bytes data(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(n));
        for (auto coding : {literal_coding::binary, literal_coding::ascii}) {
            for (auto level : {encode_level::fast, encode_level::best}) {
                SCOPED_TRACE("size " + std::to_string(n));
                expect_round_trip(data, {coding, 4, level}, {5, 1});
            }
        }
    }
}

TEST(ImplodeEncoder, CompressesRepetitiveInputAndBestIsNoWorseThanFast) {
    const bytes t = text(60000, 3);
    const auto fast = implode::implode_encode(t, {literal_coding::binary, 6, encode_level::fast});
    const auto best = implode::implode_encode(t, {literal_coding::binary, 6, encode_level::best});
    EXPECT_LT(fast.size(), t.size() / 2);
    EXPECT_LE(best.size(), fast.size());
    // 100000 zero bytes: copies of 518 bytes, about 20 bits each.
    const auto run = implode::implode_encode(bytes(100000, 0), {});
    EXPECT_LT(run.size(), 600u);
}

// Over 1 MiB, the input is parsed in chunks: the blocks repeated at the
// dictionary's distance straddle the chunk boundaries, where a copy must
// stop, and the encoder's buffer drops its oldest bytes in between.
TEST(ImplodeEncoder, RoundTripsAnInputOfSeveralParseChunks) {
    bytes data = mixed(implode::parse_chunk_size - 3000);
    const bytes blocks = repeated_blocks(4096, 2, 50);
    data.insert(data.end(), blocks.begin(), blocks.end());
    const bytes more = text(100000, 8);
    data.insert(data.end(), more.begin(), more.end());
    for (auto level : {encode_level::fast, encode_level::best}) {
        SCOPED_TRACE(level == encode_level::fast ? "fast" : "best");
        expect_round_trip(data, {literal_coding::binary, 6, level});
    }
    expect_round_trip(data, {literal_coding::ascii, 4, encode_level::fast});
}

// One encoder serves input after input; what it keeps between them must not
// change a stream: short inputs are forgotten position by position, longer
// ones by clearing the tables, inputs of several chunks after moving them.
TEST(ImplodeEncoder, AReusedEncoderWritesWhatAFreshOneWrites) {
    const std::vector<content> inputs = {
        {"short text", text(3000, 11)},
        {"longer text", text(70000, 12)},
        {"short text again", text(3000, 11)},
        {"two chunks", text(implode::parse_chunk_size + 20000, 13)},
        {"pairs", pairs_near_256(5000)},
        {"short text once more", text(3000, 11)},
    };
    for (auto level : {encode_level::fast, encode_level::best}) {
        implode::encoder reused;
        for (const auto &in : inputs) {
            SCOPED_TRACE(std::string(in.name) + (level == encode_level::fast ? " fast" : " best"));
            const encode_options options{literal_coding::binary, 5, level};
            EXPECT_TRUE(reused.encode(in.data, options) ==
                        implode::implode_encode(in.data, options));
        }
    }
}

// A failed write stops the encoder, also on an input that never ends.
TEST(ImplodeEncoder, StopsAndSaysSoWhenTheOutputFails) {
    std::size_t read_calls = 0;
    std::size_t written = 0;
    implode::encoder encoder;
    const bool ok = encoder.encode(
        {literal_coding::binary, 6, encode_level::fast},
        [&](std::uint8_t *buffer, std::size_t capacity) {
            ++read_calls;
            for (std::size_t i = 0; i < capacity; ++i) {
                buffer[i] = static_cast<std::uint8_t>(i * 7919 >> 3);
            }
            return capacity;
        },
        [&](const std::uint8_t *, std::size_t size) {
            written += size;
            return written < 100000;
        });
    EXPECT_FALSE(ok);
    EXPECT_LT(read_calls, 200u);
}

TEST(ImplodeEncoder, RejectsUnsupportedDictionarySizes) {
    EXPECT_THROW(
        implode::implode_encode(bytes{1, 2, 3}, {literal_coding::binary, 3, encode_level::fast}),
        std::invalid_argument);
    EXPECT_THROW(
        implode::implode_encode(bytes{1, 2, 3}, {literal_coding::binary, 7, encode_level::best}),
        std::invalid_argument);
}

} // namespace
