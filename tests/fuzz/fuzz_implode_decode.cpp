// Decodes any bytes as an implode stream, delivered in reads of sizes derived
// from the bytes themselves, and checks the callback contract, that the way
// the input is cut into reads does not change the outcome, and that the
// decoder does exactly what the plain step-by-step reading of the format does.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "implode/implode_decoder.h"
#include "reference_decoder.h"

namespace {

struct source {
    const std::uint8_t *data;
    std::size_t size;
    std::size_t offset;
    std::uint32_t rng; // read sizes; 0 = always 2048
    bool ended;
    std::vector<std::uint8_t> output;
    std::vector<std::uint32_t> writes;
    std::uint32_t first_read;
    int reads;
};

[[noreturn]] void fail() {
    std::abort();
}

std::uint32_t next_size(source &s) {
    if (s.rng == 0) {
        return 2048;
    }
    s.rng ^= s.rng << 13;
    s.rng ^= s.rng >> 17;
    s.rng ^= s.rng << 5;
    switch (s.rng % 4) {
    case 0:
        return 1 + s.rng % 8;
    case 1:
        return 1 + (s.rng >> 8) % 2048;
    default:
        return 2048;
    }
}

std::uint32_t on_read(std::uint8_t *buffer, std::uint32_t *size, void *param) {
    auto &s = *static_cast<source *>(param);
    if (s.ended || *size != 2048) {
        fail(); // no read after the input ended; always 2048 wanted
    }
    std::uint32_t n = next_size(s);
    if (s.size - s.offset < n) {
        n = static_cast<std::uint32_t>(s.size - s.offset);
    }
    if (n != 0) {
        std::memcpy(buffer, s.data + s.offset, n);
    }
    s.offset += n;
    if (s.reads++ == 0) {
        s.first_read = n;
    }
    if (n == 0) {
        s.ended = true;
        return 0;
    }
    // Now and then overstate a full read: the decoder must clamp to 2048.
    return (n == 2048 && (s.rng & 0x100) != 0) ? 0xFFFFFFF0u : n;
}

int on_write(std::uint8_t *buffer, std::uint32_t *size, void *param) {
    auto &s = *static_cast<source *>(param);
    if (*size > 4096) {
        fail();
    }
    s.writes.push_back(*size);
    s.output.insert(s.output.end(), buffer, buffer + *size);
    return 0;
}

using decoder = int (*)(implode_read_callback, implode_write_callback, implode_work_area *, void *);

int decode(source &s, implode_work_area &work, decoder run = implode_decode) {
    // Zero-filled as for a first use, except for the lookup the decoder
    // keeps between streams of one literal mode and dictionary size (which
    // a work area reused by the launcher keeps too).
    std::memset(&work, 0, offsetof(implode_work_area, token_table_key));
    const int result = run(on_read, on_write, &work, &s);
    if (result < 0 || result > 4) {
        fail();
    }
    if (result >= 1 && result <= 3) {
        if (!s.writes.empty() || s.reads != 1) {
            fail();
        }
    } else {
        // Full blocks, then one final write of 0 to 4095 bytes.
        if (s.writes.empty() || s.writes.back() >= 4096) {
            fail();
        }
        for (std::size_t i = 0; i + 1 < s.writes.size(); ++i) {
            if (s.writes[i] != 4096) {
                fail();
            }
        }
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    std::uint32_t seed = 2166136261u;
    for (std::size_t i = 0; i < size; ++i) {
        seed = (seed ^ data[i]) * 16777619u;
    }
    static implode_work_area work, plain_work;
    source varied{data, size, 0, seed | 1u, false, {}, {}, 0, 0};
    const int result = decode(varied, work);

    // The same reads through the step-by-step decoder: the same result,
    // output, writes and final state of the work area.
    source plain{data, size, 0, seed | 1u, false, {}, {}, 0, 0};
    const int plain_result = decode(plain, plain_work, reference::implode_decode);
    if (result != plain_result || varied.output != plain.output || varied.writes != plain.writes ||
        varied.reads != plain.reads || work.bit_buffer != plain_work.bit_buffer ||
        work.spare_bits != plain_work.spare_bits || work.input_pos != plain_work.input_pos ||
        work.input_count != plain_work.input_count || work.window_pos != plain_work.window_pos ||
        std::memcmp(work.window, plain_work.window, work.window_pos) != 0) {
        fail();
    }

    source whole{data, size, 0, 0, false, {}, {}, 0, 0};
    const int whole_result = decode(whole, work);
    if (varied.first_read > 4 && whole.first_read > 4 &&
        (result != whole_result || varied.output != whole.output)) {
        fail(); // the cut into reads changed the outcome
    }
    return 0;
}
