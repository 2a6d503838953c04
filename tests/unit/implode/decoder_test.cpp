// implode_decode on hand-made streams: one case per line with its input,
// intent, expected output, result and write sizes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "bit_writer.h"
#include "decode_harness.h"
#include "implode/implode_decoder.h"

namespace {

using implode_test::bit_writer;
using implode_test::decode;
using implode_test::from_hex;
using bytes = std::vector<std::uint8_t>;

bytes repeat(std::size_t n, std::uint8_t value) {
    return bytes(n, value);
}

// Distinct-looking bytes, so that a copy from a wrong place shows.
bytes pattern(std::size_t n) {
    bytes out(n);
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = static_cast<std::uint8_t>((i * 31 + i / 251 + 7) & 0xFF);
    }
    return out;
}

bytes truncated(bytes stream, std::size_t size) {
    stream.resize(size);
    return stream;
}

// 'A' followed by distance-1 copies: n bytes of 0x41.
bytes run_of_a(std::size_t n) {
    bit_writer w(0, 6);
    w.literal('A');
    std::size_t left = n - 1;
    while (left > 0) {
        std::size_t take = left > 518 ? 518 : left;
        if (left - take == 1) {
            take -= 2;
        }
        w.copy(static_cast<unsigned>(take), 1);
        left -= take;
    }
    return w.end_marker().bytes();
}

// The given bytes as binary literals, then one copy, then the end marker.
bytes literals_then_copy(unsigned k, const bytes &lits, unsigned length, unsigned distance) {
    bit_writer w(0, static_cast<std::uint8_t>(k));
    for (auto b : lits) {
        w.literal(b);
    }
    return w.copy(length, distance).end_marker().bytes();
}

// Expected result of literals followed by one copy (byte by byte, so that
// overlapping copies repeat a pattern; before the start reads zeros).
bytes with_copy(bytes out, unsigned length, unsigned distance) {
    for (unsigned i = 0; i < length; ++i) {
        const std::size_t at = out.size();
        out.push_back(at >= distance ? out[at - distance] : 0);
    }
    return out;
}

struct decoder_case {
    const char *intent;
    bytes input;
    std::vector<std::uint32_t> chunks; // bytes per read, last repeats; {} = 2048
    int result;
    bytes output;
    std::vector<std::uint32_t> writes;
};

std::vector<decoder_case> decoder_cases() {
    const bytes lit_a_end = from_hex("00 04 82 02 FE 01");
    const bytes ab_end = bit_writer(0, 4).literals("AB").end_marker().bytes();
    const bytes a_copy_end = bit_writer(0, 4).literal('A').copy(10, 1).end_marker().bytes();
    const bytes p4095 = pattern(4095);
    const bytes long_copy = literals_then_copy(6, p4095, 518, 4095);
    // clang-format off
    return {
        {"empty input", {}, {}, 3, {}, {}},
        {"end marker only, 4 bytes: first read too short", from_hex("00 04 01 FF"), {}, 3, {}, {}},
        {"end marker and one more byte: empty output", from_hex("00 04 01 FF 00"), {}, 0, {}, {0}},
        {"end marker's extra bits end in the last byte", lit_a_end, {}, 0, from_hex("41"), {1}},
        {"ASCII mode literal 0x41 (6-bit code)", from_hex("01 04 E2 80 7F"), {}, 0, from_hex("41"), {1}},
        {"dictionary bits 3", from_hex("00 03 01 FF 00"), {}, 1, {}, {}},
        {"dictionary bits 7 and mode 2: dictionary tested first", from_hex("02 07 01 FF 00"), {}, 1, {}, {}},
        {"literal mode 2", from_hex("02 06 01 FF 00"), {}, 2, {}, {}},
        {"first read of 4 bytes though more would follow", lit_a_end, {4}, 3, {}, {}},
        {"first read of 5 bytes, then one byte per read", lit_a_end, {5, 1}, 0, from_hex("41"), {1}},
        {"cut inside the end marker's code", truncated(lit_a_end, 5), {}, 4, from_hex("41"), {1}},
        {"literal followed by fewer than 8 bits is dropped", truncated(ab_end, 5), {}, 4, from_hex("41"), {1}},
        {"cut inside a copy's distance: no part of it written", truncated(a_copy_end, 5), {}, 4, from_hex("41"), {1}},
        {"end marker cut short", truncated(ab_end, 6), {}, 4, from_hex("41 42"), {2}},
        {"distance 1 repeats one byte", a_copy_end, {}, 0, repeat(11, 0x41), {11}},
        {"distance 2 repeats a pattern", literals_then_copy(4, from_hex("41 42"), 20, 2), {}, 0, with_copy(from_hex("41 42"), 20, 2), {22}},
        {"copy from before the start reads zero history", literals_then_copy(4, from_hex("41"), 3, 5), {}, 0, from_hex("41 00 00 00"), {4}},
        {"largest distance at k=6 from the start: zeros", literals_then_copy(6, from_hex("41"), 4, 4096), {}, 0, from_hex("41 00 00 00 00"), {5}},
        {"output of 4095 bytes: one write", run_of_a(4095), {}, 0, repeat(4095, 0x41), {4095}},
        {"output of 4096 bytes: a block and an empty write", run_of_a(4096), {}, 0, repeat(4096, 0x41), {4096, 0}},
        {"output of 8192 bytes: two blocks and an empty write", run_of_a(8192), {}, 0, repeat(8192, 0x41), {4096, 4096, 0}},
        {"518-byte copy starting at window index 8191", long_copy, {}, 0, with_copy(p4095, 518, 4095), {4096, 517}},
        {"same stream in reads of 5, 1 and 3 bytes", long_copy, {5, 1, 3}, 0, with_copy(p4095, 518, 4095), {4096, 517}},
        {"largest distance k=4: 1024", literals_then_copy(4, pattern(1024), 3, 1024), {}, 0, with_copy(pattern(1024), 3, 1024), {1027}},
        {"largest distance k=5: 2048", literals_then_copy(5, pattern(2048), 3, 2048), {}, 0, with_copy(pattern(2048), 3, 2048), {2051}},
        {"largest distance k=6: 4096", literals_then_copy(6, pattern(4096), 3, 4096), {}, 0, with_copy(pattern(4096), 3, 4096), {4096, 3}},
        {"largest distance k=6 after a flush", literals_then_copy(6, pattern(5000), 300, 4096), {}, 0, with_copy(pattern(5000), 300, 4096), {4096, 1204}},
        {"largest distance for length 2: 256", literals_then_copy(6, pattern(256), 2, 256), {}, 0, with_copy(pattern(256), 2, 256), {258}},
    };
    // clang-format on
}

TEST(ImplodeDecoder, CaseTable) {
    for (const auto &c : decoder_cases()) {
        SCOPED_TRACE(c.intent);
        const auto run = decode(c.input, c.chunks);
        EXPECT_EQ(run.result, c.result);
        EXPECT_EQ(run.output, c.output);
        EXPECT_EQ(run.write_sizes, c.writes);
        EXPECT_FALSE(run.read_after_end);
        EXPECT_FALSE(run.bad_read_request);
        EXPECT_FALSE(run.bad_write_buffer);
        if (c.result == 1 || c.result == 2 || c.result == 3) {
            EXPECT_EQ(run.read_sizes.size(), 1u); // only the first read
        }
    }
}

TEST(ImplodeDecoder, AsciiModeDecodesEveryLiteral) {
    bit_writer w(1, 4);
    bytes all(256);
    for (unsigned i = 0; i < 256; ++i) {
        all[i] = static_cast<std::uint8_t>(i);
        w.literal(all[i]);
    }
    // A copy in ASCII mode uses the same length and distance codes.
    w.copy(100, 200);
    const auto run = decode(w.end_marker().bytes(), {7});
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.output, with_copy(all, 100, 200));
}

TEST(ImplodeDecoder, ReadsAfterTheBufferIsUsedUpAndStopAfterTheEnd) {
    // 3000 literals take 3377 bytes: a full read, a partial one, then a read
    // returning 0 only because the end marker's extra bits end the stream.
    const bytes lits = pattern(3000);
    bit_writer w(0, 6);
    for (auto b : lits) {
        w.literal(b);
    }
    const bytes stream = w.end_marker().bytes();
    ASSERT_EQ(stream.size(), 2 + (3000 * 9 + 16 + 7) / 8);
    const auto run = decode(stream);
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.output, lits);
    EXPECT_EQ(run.read_sizes, (std::vector<std::uint32_t>{
                                  2048, static_cast<std::uint32_t>(stream.size() - 2048), 0}));
    EXPECT_FALSE(run.read_after_end);
}

TEST(ImplodeDecoder, ReadResultAbove2048IsClamped) {
    const bytes lits = pattern(6000);
    bit_writer w(0, 6);
    for (auto b : lits) {
        w.literal(b);
    }
    const auto run = decode(w.end_marker().bytes(), {}, /*overstate=*/100000);
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.output, lits);
}

TEST(ImplodeDecoder, ReusedWorkAreaKeepsThePreviousStreamAsHistory) {
    auto work = implode_test::fresh_work_area();
    const bytes first = pattern(5000);
    const auto run1 = implode_test::decode_with(*work, literals_then_copy(6, first, 2, 1));
    ASSERT_EQ(run1.result, 0);
    // The second stream's copy reaches 10 bytes back from its second byte:
    // indices 4087.. of the window, which hold the first stream's bytes 4087..
    const auto run2 =
        implode_test::decode_with(*work, literals_then_copy(6, from_hex("41"), 3, 10));
    EXPECT_EQ(run2.result, 0);
    EXPECT_EQ(run2.output, (bytes{0x41, first[4087], first[4088], first[4089]}));
}

} // namespace
