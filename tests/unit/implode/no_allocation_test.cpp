// implode_decode takes nothing from the heap.  This test binary counts every
// allocation (heap_watch).
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "heap_watch.h"
#include "implode/implode_decoder.h"

namespace {

// A stream that exercises literals, copies of every kind, ASCII lookups,
// several reads and several block writes; built before counting starts.
// ASCII mode: 'A' (6-bit code), copies distance 1, then the end marker.
struct fixed_source {
    const std::uint8_t *data;
    std::uint32_t size;
    std::uint32_t offset;
    std::uint32_t chunk;
    std::uint64_t written;
};

std::uint32_t read_fixed(std::uint8_t *buffer, std::uint32_t *size, void *param) {
    auto *src = static_cast<fixed_source *>(param);
    std::uint32_t n = src->size - src->offset;
    if (n > *size) {
        n = *size;
    }
    if (n > src->chunk) {
        n = src->chunk;
    }
    std::memcpy(buffer, src->data + src->offset, n);
    src->offset += n;
    return n;
}

int write_fixed(std::uint8_t *, std::uint32_t *size, void *param) {
    static_cast<fixed_source *>(param)->written += *size;
    return 0;
}

TEST(ImplodeDecoderAllocation, DecodeTakesNothingFromTheHeap) {
    ASSERT_TRUE(heap_watch::installed());
    // The counter must see an ordinary allocation, or the check below means
    // nothing.
    const long long before_probe = heap_watch::allocations();
    auto *probe = new std::vector<int>(100);
    EXPECT_GT(heap_watch::allocations(), before_probe);
    delete probe;

    // Binary mode, k = 6: 20000 bytes of mixed literals and copies, made of a
    // repeated 19-byte unit: literals then a copy of length 518 (distance 19).
    std::vector<std::uint8_t> stream = {0, 6};
    std::uint32_t bit = 0;
    auto put = [&](std::uint32_t value, unsigned count) {
        for (unsigned i = 0; i < count; ++i, ++bit) {
            if (bit % 8 == 0) {
                stream.push_back(0);
            }
            stream.back() =
                static_cast<std::uint8_t>(stream.back() | (((value >> i) & 1u) << (bit % 8)));
        }
    };
    for (int unit = 0; unit < 40; ++unit) {
        for (unsigned i = 0; i < 19; ++i) {
            put(0, 1);
            put((i * 37 + static_cast<unsigned>(unit)) & 0xFF, 8);
        }
        put(1, 1);
        put(0x00, 7);    // length symbol 15
        put(255 - 1, 8); // extra 254: repeat length 518
        put(0x03, 2);    // distance symbol 0
        put(18, 6);      // low bits: distance 19
    }
    put(1, 1);
    put(0x00, 7);
    put(255, 8);
    static implode_work_area work; // static storage, zero-filled like the launcher's
    fixed_source src{stream.data(), static_cast<std::uint32_t>(stream.size()), 0, 700, 0};

    const long long before = heap_watch::allocations();
    const int result = implode_decode(read_fixed, write_fixed, &work, &src);
    const long long during = heap_watch::allocations() - before;

    EXPECT_EQ(result, 0);
    EXPECT_EQ(src.written, 40u * (19 + 518));
    EXPECT_EQ(during, 0);
}

} // namespace
