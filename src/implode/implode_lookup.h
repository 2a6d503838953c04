// Byte-indexed lookups over the fixed implode codes, built into a decoder
// work area at the start of every decode.
#pragma once

#include <cstdint>

#include "implode/implode_decoder.h"

namespace implode {

// Fills a 256-entry lookup indexed by the low 8 bits of the bit buffer with
// the symbol whose code those bits begin with.  Symbols are stored from the
// last to the first, so where two codes claim an index the lower symbol wins.
void build_code_lookup(std::int32_t symbol_count, const std::uint8_t *code_bits,
                       const std::uint8_t *codes, std::uint8_t *lookup);

// Fills the four ASCII lookups of `work` from work->ascii_bits and
// ascii_codes, and reduces the bit count of every code longer than 8 bits in
// work->ascii_bits to the bits that remain after the second lookup.  Must run
// on a fresh copy of ascii_code_bits in work->ascii_bits.
void build_ascii_lookups(implode_work_area *work);

// Marker in ascii_lookup_low8: the low 8 bits belong to a longer code.
inline constexpr std::uint8_t ascii_long_code_marker = 255;

} // namespace implode
