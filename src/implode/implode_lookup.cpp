// Byte-indexed lookup tables over the fixed implode codes.
#include "implode/implode_lookup.h"

#include "implode/implode_tables.h"

namespace implode {
namespace {

// Stores `value` at `index`, index + step, index + 2*step, ... below `limit`.
// With the fixed tables every first index lies inside its table; the bound is
// still tested first so that a table built from anything else cannot write
// past the end.
void fill_strided(std::uint8_t *table, std::uint32_t limit, std::uint32_t index, std::uint32_t step,
                  std::uint8_t value) {
    while (index < limit) {
        table[index] = value;
        index += step;
    }
}

} // namespace

void build_code_lookup(std::int32_t symbol_count, const std::uint8_t *code_bits,
                       const std::uint8_t *codes, std::uint8_t *lookup) {
    // From the last symbol to the first, so that the lower symbol keeps an
    // index two codes would share.  Each index whose low n bits equal the code
    // gets the symbol.
    for (std::int32_t i = symbol_count - 1; i >= 0; --i) {
        fill_strided(lookup, 256, codes[i], 1u << code_bits[i], static_cast<std::uint8_t>(i));
    }
}

void build_ascii_lookups(implode_work_area *work) {
    for (std::int32_t ch = 255; ch >= 0; --ch) {
        const auto literal = static_cast<std::uint8_t>(ch);
        const std::uint32_t n = work->ascii_bits[ch];
        const std::uint32_t c = ascii_codes[ch];
        if (n <= 8) {
            // Whole code within the low 8 bits: resolved by the first lookup.
            fill_strided(work->ascii_lookup_low8, 256, c, 1u << n, literal);
        } else if ((c & 0xFF) != 0) {
            // Longer code with a nonzero low byte: the first lookup finds the
            // marker, the second one runs after dropping 4 or 6 bits.
            work->ascii_lookup_low8[c & 0xFF] = ascii_long_code_marker;
            if ((c & 0x3F) != 0) {
                const std::uint32_t rest = n - 4;
                work->ascii_bits[ch] = static_cast<std::uint8_t>(rest);
                fill_strided(work->ascii_lookup_skip4, 256, c >> 4, 1u << rest, literal);
            } else {
                const std::uint32_t rest = n - 6;
                work->ascii_bits[ch] = static_cast<std::uint8_t>(rest);
                fill_strided(work->ascii_lookup_skip6, 128, c >> 6, 1u << rest, literal);
            }
        } else {
            // Zero low byte: 8 bits are dropped before the second lookup.
            const std::uint32_t rest = n - 8;
            work->ascii_bits[ch] = static_cast<std::uint8_t>(rest);
            fill_strided(work->ascii_lookup_skip8, 256, c >> 8, 1u << rest, literal);
        }
    }
}

} // namespace implode
