// The fixed codes and the lookup tables built from them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <set>
#include <vector>

#include "decode_harness.h"
#include "implode/implode_decoder.h"
#include "implode/implode_lookup.h"
#include "implode/implode_tables.h"

namespace {

using namespace implode;

// Re-derives code values from bit counts: symbols by bit count, longest first,
// equal counts from the highest symbol down; code 0 first, then previous + 1,
// shifted right when the count drops; stored bit-reversed.
template <typename Bits> std::vector<unsigned> canonical_codes(const Bits &bits, unsigned count) {
    std::vector<unsigned> order(count);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](unsigned a, unsigned b) {
        return bits[a] != bits[b] ? bits[a] > bits[b] : a > b;
    });
    std::vector<unsigned> result(count);
    unsigned code = 0;
    for (unsigned i = 0; i < count; ++i) {
        const unsigned sym = order[i];
        if (i > 0) {
            code = (code + 1) >> (bits[order[i - 1]] - bits[sym]);
        }
        unsigned reversed = 0;
        for (unsigned b = 0; b < bits[sym]; ++b) {
            reversed |= ((code >> b) & 1u) << (bits[sym] - 1 - b);
        }
        result[sym] = reversed;
    }
    return result;
}

TEST(ImplodeCodeTables, CodeValuesFollowTheCanonicalRule) {
    const auto length = canonical_codes(length_code_bits, 16);
    const auto distance = canonical_codes(distance_code_bits, 64);
    const auto ascii = canonical_codes(ascii_code_bits, 256);
    for (unsigned s = 0; s < 16; ++s) {
        EXPECT_EQ(length[s], length_codes[s]) << "length symbol " << s;
    }
    for (unsigned s = 0; s < 64; ++s) {
        EXPECT_EQ(distance[s], distance_codes[s]) << "distance symbol " << s;
    }
    for (unsigned s = 0; s < 256; ++s) {
        EXPECT_EQ(ascii[s], ascii_codes[s]) << "literal " << s;
    }
}

TEST(ImplodeCodeTables, BitCountHistogramsAndLengthBases) {
    auto histogram = [](const auto &bits) {
        std::vector<int> h(14, 0);
        for (auto b : bits) {
            ++h[b];
        }
        return h;
    };
    EXPECT_EQ(histogram(distance_code_bits),
              (std::vector<int>{0, 0, 1, 0, 2, 4, 15, 26, 16, 0, 0, 0, 0, 0}));
    EXPECT_EQ(histogram(ascii_code_bits),
              (std::vector<int>{0, 0, 0, 0, 1, 11, 20, 21, 16, 7, 5, 10, 91, 74}));
    unsigned base = 0;
    for (unsigned s = 0; s < 16; ++s) {
        EXPECT_EQ(length_bases[s], base) << "symbol " << s;
        base += 1u << length_extra_bits[s];
    }
    EXPECT_EQ(length_bases[15] + 255u + 2u, 519u); // x = 255 is the end marker, not 519
}

TEST(ImplodeCodeTables, LengthAndDistanceLookupsResolveEveryCode) {
    std::uint8_t length_lookup[256];
    std::uint8_t distance_lookup[256];
    build_code_lookup(16, length_code_bits, length_codes, length_lookup);
    build_code_lookup(64, distance_code_bits, distance_codes, distance_lookup);

    // Every index is claimed by exactly one code, and holds that code's symbol.
    auto check = [](const std::uint8_t *lookup, const std::uint8_t *bits, const std::uint8_t *codes,
                    unsigned count) {
        std::vector<int> claims(256, 0);
        for (unsigned s = 0; s < count; ++s) {
            for (unsigned follow = 0; follow < (256u >> bits[s]); ++follow) {
                const unsigned index = codes[s] | (follow << bits[s]);
                ++claims[index];
                EXPECT_EQ(lookup[index], s) << "index " << index;
            }
        }
        EXPECT_TRUE(std::all_of(claims.begin(), claims.end(), [](int c) { return c == 1; }));
    };
    check(length_lookup, length_code_bits, length_codes, 16);
    check(distance_lookup, distance_code_bits, distance_codes, 64);

    EXPECT_EQ(length_lookup[0x00], 15);
    EXPECT_EQ(length_lookup[0x80], 15);
    EXPECT_EQ(length_lookup[0x40], 14);
    EXPECT_EQ(length_lookup[0x05], 0);
    EXPECT_EQ(distance_lookup[0x00], 63);
    EXPECT_EQ(distance_lookup[0x80], 62);
    for (unsigned i = 3; i < 256; i += 4) {
        EXPECT_EQ(length_lookup[i], 1) << i;
        EXPECT_EQ(distance_lookup[i], 0) << i;
    }
}

// Builds the ASCII lookups in a work area prefilled with `fill`.
std::unique_ptr<implode_work_area> ascii_build(std::uint8_t fill) {
    auto work = std::make_unique<implode_work_area>();
    std::memset(work.get(), fill, sizeof(implode_work_area));
    std::memcpy(work->ascii_bits, ascii_code_bits, sizeof work->ascii_bits);
    build_ascii_lookups(work.get());
    return work;
}

TEST(ImplodeCodeTables, AsciiLookupsResolveEveryLiteralFollowedByAnyBits) {
    const auto work = ascii_build(0);
    for (unsigned literal = 0; literal < 256; ++literal) {
        const unsigned n = ascii_code_bits[literal];
        for (unsigned follow = 0; follow < (1u << (16 - n)); ++follow) {
            // The same steps as the decoder, on a 16-bit window of the stream.
            const unsigned buffer = ascii_codes[literal] | (follow << n);
            const unsigned b = buffer & 0xFF;
            unsigned dropped = 0;
            unsigned v;
            if (b != 0) {
                v = work->ascii_lookup_low8[b];
                if (v == ascii_long_code_marker) {
                    dropped = (b & 0x3F) != 0 ? 4 : 6;
                    v = dropped == 4 ? work->ascii_lookup_skip4[(buffer >> 4) & 0xFF]
                                     : work->ascii_lookup_skip6[(buffer >> 6) & 0x7F];
                }
            } else {
                dropped = 8;
                v = work->ascii_lookup_skip8[(buffer >> 8) & 0xFF];
            }
            dropped += work->ascii_bits[v];
            ASSERT_EQ(v, literal) << "follow bits " << follow;
            ASSERT_EQ(dropped, n) << "literal " << literal;
        }
    }
}

TEST(ImplodeCodeTables, AsciiBuildFillsTheDescribedEntries) {
    // Entries that come out the same from two different prefills were written.
    const auto a = ascii_build(0x00);
    const auto b = ascii_build(0xFF);
    auto written = [](const std::uint8_t *x, const std::uint8_t *y, unsigned size) {
        std::vector<bool> w(size);
        for (unsigned i = 0; i < size; ++i) {
            w[i] = x[i] == y[i];
        }
        return w;
    };
    const auto low8 = written(a->ascii_lookup_low8, b->ascii_lookup_low8, 256);
    const auto skip4 = written(a->ascii_lookup_skip4, b->ascii_lookup_skip4, 256);
    const auto skip6 = written(a->ascii_lookup_skip6, b->ascii_lookup_skip6, 128);
    const auto skip8 = written(a->ascii_lookup_skip8, b->ascii_lookup_skip8, 256);

    EXPECT_EQ(std::count_if(std::begin(ascii_code_bits), std::end(ascii_code_bits),
                            [](auto n) { return n <= 8; }),
              69);
    std::vector<unsigned> markers;
    int literal_entries = 0;
    for (unsigned i = 0; i < 256; ++i) {
        if (!low8[i]) {
            continue;
        }
        if (a->ascii_lookup_low8[i] == ascii_long_code_marker) {
            markers.push_back(i);
        } else {
            ++literal_entries;
            EXPECT_LE(ascii_code_bits[a->ascii_lookup_low8[i]], 8);
        }
    }
    EXPECT_EQ(literal_entries, 242);
    EXPECT_EQ(markers, (std::vector<unsigned>{0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x80, 0x90, 0xA0,
                                              0xB0, 0xC0, 0xD0, 0xE0}));
    EXPECT_FALSE(low8[0]);

    // Literals reached through each second lookup, with their remaining counts.
    auto literals_in = [&](const std::uint8_t *table, const std::vector<bool> &w) {
        std::set<unsigned> s;
        for (unsigned i = 0; i < w.size(); ++i) {
            if (w[i]) {
                s.insert(table[i]);
            }
        }
        return s;
    };
    auto remaining = [&](const std::set<unsigned> &lits) {
        std::set<unsigned> r;
        for (unsigned l : lits) {
            r.insert(a->ascii_bits[l]);
        }
        return r;
    };
    const auto via4 = literals_in(a->ascii_lookup_skip4, skip4);
    const auto via6 = literals_in(a->ascii_lookup_skip6, skip6);
    const auto via8 = literals_in(a->ascii_lookup_skip8, skip8);
    EXPECT_EQ(via4.size(), 86u);
    EXPECT_EQ(via6.size(), 69u);
    EXPECT_EQ(via8.size(), 32u);
    EXPECT_EQ(remaining(via4), (std::set<unsigned>{5, 6, 7, 8}));
    EXPECT_EQ(remaining(via6), (std::set<unsigned>{6, 7}));
    EXPECT_EQ(remaining(via8), (std::set<unsigned>{5}));
    EXPECT_EQ(std::count(skip4.begin(), skip4.end(), false), 96);
    EXPECT_EQ(std::count(skip6.begin(), skip6.end(), false), 32);
    EXPECT_EQ(std::count(skip8.begin(), skip8.end(), false), 0);
    EXPECT_LE(*std::max_element(std::begin(a->ascii_bits), std::end(a->ascii_bits)), 8);

    // Entries named for particular literals.
    for (unsigned i = 0x0F; i < 256; i += 16) {
        EXPECT_EQ(a->ascii_lookup_low8[i], 0x20) << i;
    }
    EXPECT_EQ(a->ascii_lookup_low8[0x90], ascii_long_code_marker); // literal 0x00, code 0x0490
    EXPECT_EQ(a->ascii_lookup_skip4[0x49], 0x00);
    EXPECT_EQ(a->ascii_lookup_skip4[0xC9], 0x00);
    EXPECT_EQ(a->ascii_bits[0x00], 7);
    EXPECT_EQ(a->ascii_lookup_low8[0x40], ascii_long_code_marker); // literal 0x1A, code 0x1240
    EXPECT_EQ(a->ascii_lookup_skip6[0x49], 0x1A);
    EXPECT_EQ(a->ascii_bits[0x1A], 7);
    for (unsigned i = 0x00; i < 256; i += 0x20) { // literal 0xFF, code 0x0000
        EXPECT_EQ(a->ascii_lookup_skip8[i], 0xFF) << i;
    }
    EXPECT_EQ(a->ascii_bits[0xFF], 5);
}

} // namespace
