// The decoder against the plain step-by-step reading of the format: random
// streams of every kind, cut into reads of random sizes, through a work area
// that is reused between streams as the launcher reuses its own.
#include "implode/implode_decoder.h"
#include "reference_decoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <random>
#include <vector>

namespace {

// The work area as a callback sees it: the decoder keeps its state there as
// if every field were updated in place.
struct Snapshot {
    std::uint32_t window_pos, bit_buffer, spare_bits, input_pos, input_count;
    bool operator==(const Snapshot &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Snapshot &s) {
    return out << "{window_pos " << s.window_pos << ", bit_buffer " << s.bit_buffer
               << ", spare_bits " << s.spare_bits << ", input_pos " << s.input_pos
               << ", input_count " << s.input_count << "}";
}

struct Source {
    const std::vector<std::uint8_t> *data;
    const implode_work_area *work;
    size_t offset = 0;
    std::mt19937 sizes;
    std::vector<std::uint8_t> output;
    std::vector<long> calls;      // reads as -(delivered + 1), writes as their size
    std::vector<Snapshot> states; // the work area at each call
};

void record_state(Source &s) {
    const implode_work_area &w = *s.work;
    s.states.push_back({w.window_pos, w.bit_buffer, w.spare_bits, w.input_pos, w.input_count});
}

std::uint32_t on_read(std::uint8_t *buffer, std::uint32_t *, void *param) {
    auto &s = *static_cast<Source *>(param);
    record_state(s);
    size_t wanted = s.sizes() % 3 != 0 ? 2048 : 1 + s.sizes() % 2048;
    size_t n = std::min(s.data->size() - s.offset, wanted);
    std::memcpy(buffer, s.data->data() + s.offset, n);
    s.offset += n;
    s.calls.push_back(-static_cast<long>(n) - 1);
    return static_cast<std::uint32_t>(n);
}

int on_write(std::uint8_t *buffer, std::uint32_t *size, void *param) {
    auto &s = *static_cast<Source *>(param);
    record_state(s);
    s.output.insert(s.output.end(), buffer, buffer + *size);
    s.calls.push_back(*size);
    return 0;
}

// Random bits decode to random tokens; skewing the bits makes literal runs
// (mostly zero bits) or long copies (mostly one bits) more common.
std::vector<std::uint8_t> random_stream(std::mt19937 &rng) {
    std::vector<std::uint8_t> d(5 + rng() % 30000);
    const unsigned skew = rng() % 4;
    for (auto &byte : d) {
        byte = static_cast<std::uint8_t>(rng());
        if (skew == 1)
            byte &= static_cast<std::uint8_t>(rng());
        else if (skew == 2)
            byte |= static_cast<std::uint8_t>(rng());
    }
    d[0] = static_cast<std::uint8_t>(rng() % 2);     // binary or ASCII literals
    d[1] = static_cast<std::uint8_t>(4 + rng() % 3); // dictionary bits 4 to 6
    d[2] &= 0xFE;                                    // a literal first, not an early end
    return d;
}

TEST(DecoderAgainstReference, SameResultOutputCallbacksAndStateOnRandomStreams) {
    static implode_work_area fast_work, plain_work; // zero-filled, then reused
    std::mt19937 rng(20261211);
    for (int i = 0; i < 1000; ++i) {
        const std::vector<std::uint8_t> stream = random_stream(rng);
        const auto seed = static_cast<std::uint32_t>(rng());
        Source fast{&stream, &fast_work, 0, std::mt19937(seed), {}, {}, {}};
        Source plain{&stream, &plain_work, 0, std::mt19937(seed), {}, {}, {}};
        const int result = implode_decode(on_read, on_write, &fast_work, &fast);
        const int expected = reference::implode_decode(on_read, on_write, &plain_work, &plain);
        ASSERT_EQ(result, expected) << "stream " << i;
        ASSERT_EQ(fast.output, plain.output) << "stream " << i;
        ASSERT_EQ(fast.calls, plain.calls) << "stream " << i;
        for (size_t c = 0; c < fast.states.size(); ++c) {
            ASSERT_EQ(fast.states[c], plain.states[c]) << "stream " << i << ", callback " << c;
        }
        ASSERT_EQ(fast_work.bit_buffer, plain_work.bit_buffer) << "stream " << i;
        ASSERT_EQ(fast_work.spare_bits, plain_work.spare_bits) << "stream " << i;
        ASSERT_EQ(fast_work.input_pos, plain_work.input_pos) << "stream " << i;
        ASSERT_EQ(fast_work.input_count, plain_work.input_count) << "stream " << i;
        ASSERT_EQ(fast_work.window_pos, plain_work.window_pos) << "stream " << i;
        // History the next stream reads, and the block in progress.
        ASSERT_EQ(std::memcmp(fast_work.window, plain_work.window, fast_work.window_pos), 0)
            << "stream " << i;
    }
}

} // namespace
