// Builds the whole-token lookup.
#include "implode/implode_token_table.h"

#include "implode/implode_tables.h"

namespace implode {
namespace {

constexpr std::uint32_t table_bits = implode_token_table_bits;

// Stores `entry` at every index whose low `bits` bits equal `code`.
void fill_code(std::uint32_t *table, std::uint32_t code, std::uint32_t bits, std::uint32_t entry) {
    for (std::uint32_t i = code; i < implode_token_table_size; i += 1u << bits) {
        table[i] = entry;
    }
}

void build_literals(implode_work_area *work) {
    std::uint32_t *const table = work->token_table;
    if (work->literal_mode == 0) {
        // Flag 0 and 8 plain bits; a second literal when bit 9 is 0 too.
        const std::uint32_t one = token_entry({9, 1, literal_distance_base, 1});
        const std::uint32_t two = token_entry({18, 2, literal_distance_base, 1});
        for (std::uint32_t i = 0; i < implode_token_table_size; i += 2) {
            table[i] = (i & 0x200) != 0 ? one : two;
        }
        return;
    }
    for (std::uint32_t i = 0; i < implode_token_table_size; i += 2) {
        table[i] = 0;
    }
    for (std::uint32_t ch = 0; ch < 256; ++ch) {
        const std::uint32_t bits = 1 + ascii_code_bits[ch];
        if (bits <= table_bits) {
            fill_code(table, static_cast<std::uint32_t>(ascii_codes[ch]) << 1, bits,
                      ascii_entry(bits, ch));
        }
    }
}

void build_copies(implode_work_area *work) {
    std::uint32_t *const table = work->token_table;
    for (std::uint32_t i = 1; i < implode_token_table_size; i += 2) {
        table[i] = 0;
    }
    for (std::uint32_t s = 0; s < 16; ++s) {
        const std::uint32_t code_bits = work->length_bits[s];
        const std::uint32_t extra_bits = work->length_extra[s];
        const std::uint32_t header_bits = 1 + code_bits + extra_bits;
        if (header_bits > table_bits) {
            continue;
        }
        for (std::uint32_t x = 0; x < (1u << extra_bits); ++x) {
            const std::uint32_t length = work->length_base[s] + x + 2;
            if (length > token_table_max_length) {
                break;
            }
            const std::uint32_t low_bits = length == 2 ? 2 : work->dict_bits;
            const std::uint32_t header = 1 | length_codes[s] << 1 | x << (1 + code_bits);
            // First the copy with its distance code still to resolve, then
            // every distance code that fits over it.
            fill_code(table, header, header_bits, token_entry({0, length, header_bits, low_bits}));
            for (std::uint32_t h = 0; h < 64; ++h) {
                const std::uint32_t low_at = header_bits + work->distance_bits[h];
                if (low_at > table_bits) {
                    continue;
                }
                fill_code(table,
                          header | static_cast<std::uint32_t>(distance_codes[h]) << header_bits,
                          low_at,
                          token_entry({low_at + low_bits, length, h << (low_bits - 2), low_bits}));
            }
        }
    }
}

} // namespace

void build_token_table(implode_work_area *work) {
    // The table follows from the literal mode and the dictionary bits alone:
    // the working copies of the code tables are set from the fixed tables at
    // every start.
    const std::uint32_t key = 0x100 | work->literal_mode << 4 | work->dict_bits;
    if (work->token_table_key == key) {
        return;
    }
    build_literals(work);
    build_copies(work);
    work->token_table_key = key;
}

} // namespace implode
