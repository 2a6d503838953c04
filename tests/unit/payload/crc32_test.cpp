// The launcher's CRC-32 against zlib's, whole and block by block.
#include "payload/crc32.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

uint32_t zlib_crc(const std::vector<uint8_t> &bytes) {
    return static_cast<uint32_t>(crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
}

TEST(Crc32, KnownValues) {
    const uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(crc32_update(0, check, sizeof check), 0xCBF43926u); // the standard check value
    EXPECT_EQ(crc32_update(0, nullptr, 0), 0u);
}

TEST(Crc32, MatchesZlibInAnySplitOfTheBytes) {
    std::mt19937 random(7);
    std::vector<uint8_t> bytes(100000);
    for (uint8_t &b : bytes)
        b = static_cast<uint8_t>(random());
    const uint32_t expected = zlib_crc(bytes);
    EXPECT_EQ(crc32_update(0, bytes.data(), static_cast<uint32_t>(bytes.size())), expected);
    // In blocks of the decoder's output size and of random sizes, 0 included.
    for (uint32_t block : {4096u, 1u, 0u}) {
        uint32_t crc = 0;
        size_t at = 0;
        while (at < bytes.size()) {
            uint32_t n = block ? block : static_cast<uint32_t>(random() % 5000);
            n = static_cast<uint32_t>(std::min<size_t>(n, bytes.size() - at));
            crc = crc32_update(crc, bytes.data() + at, n);
            at += n;
        }
        EXPECT_EQ(crc, expected) << "blocks of "
                                 << (block ? std::to_string(block) : "random sizes");
    }
}

} // namespace
