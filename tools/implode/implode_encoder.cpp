// Implode stream encoder: reads the input in chunks, parses each with the
// match finder and writes the tokens with the fixed codes.
#include "implode_encoder.h"

#include <cstring>
#include <limits>
#include <optional>
#include <stdexcept>

#include "implode_match_finder.h"
#include "implode_token_writer.h"

namespace implode {
namespace {

// The buffer keeps at least the largest dictionary before the chunk being
// parsed; it drops older bytes in steps of the match finder's chain size so
// that chain links keep their slots.
constexpr std::uint32_t largest_window = 4096;
constexpr std::uint32_t drop_step = match_finder::chain_size;
// Bytes read past a chunk's end before it is parsed: the match finder hashes
// 3 bytes from every position of the chunk.
constexpr std::uint32_t lookahead = 2;

// The input as the parsers see it: data[0, available) with the chunk to
// parse at [start, end).
struct chunk_view {
    const std::uint8_t *data;
    std::uint32_t start;
    std::uint32_t end;
};

// The better copy starting at pos: the longest from the chains, or a length-2
// copy when that is all there is.
match best_match_at(match_finder &finder, std::uint32_t pos) {
    finder.insert_up_to(pos);
    match m = finder.search(pos, [](unsigned, unsigned) {});
    if (m.length < 3) {
        if (const unsigned d = finder.short_distance(pos); d != 0) {
            m = {2, d};
        }
    }
    return m;
}

// Bits of the bytes [from, to) coded as literals.
long literal_run_bits(const std::uint8_t *data, const code_costs &costs, bool ascii,
                      std::uint32_t from, std::uint32_t to) {
    if (!ascii) {
        return 9L * static_cast<long>(to - from);
    }
    long bits = 0;
    for (std::uint32_t i = from; i < to; ++i) {
        bits += costs.literal_bits[data[i]];
    }
    return bits;
}

// Greedy parse with one step of lazy evaluation for short copies.
void encode_fast(const chunk_view &in, match_finder &finder, const code_costs &costs, bool ascii,
                 token_writer &out) {
    constexpr unsigned lazy_below = 8; // only shorter copies look one byte ahead
    // Longer copies put only their first and last positions into the chains:
    // the bytes between are already there at the copy's source.
    constexpr unsigned insert_within = 8;
    const std::uint8_t *const data = in.data;
    const std::uint32_t n = in.end;

    // Bits saved by a copy at pos against coding its bytes as literals.
    auto savings = [&](std::uint32_t pos, match m) {
        if (m.length < 2) {
            return std::numeric_limits<long>::min();
        }
        return literal_run_bits(data, costs, ascii, pos, pos + m.length) -
               static_cast<long>(costs.copy_bits(m.length, m.distance));
    };

    std::uint32_t pos = in.start;
    match cur = pos < n ? best_match_at(finder, pos) : match{};
    while (pos < n) {
        const long gain = savings(pos, cur);
        if (gain <= 0) {
            out.literal(data[pos]);
            ++pos;
            if (pos < n) {
                cur = best_match_at(finder, pos);
            }
            continue;
        }
        if (cur.length < lazy_below && pos + 1 < n) {
            const match next = best_match_at(finder, pos + 1);
            // A literal now and the next copy, against this copy now.
            if (next.length > cur.length && savings(pos + 1, next) > gain) {
                out.literal(data[pos]);
                ++pos;
                cur = next;
                continue;
            }
        }
        out.copy(cur.length, cur.distance);
        if (cur.length > insert_within) {
            finder.insert_up_to(pos + 1);
            finder.skip_to(pos + cur.length - 1);
        }
        pos += cur.length;
        if (pos < n) {
            cur = best_match_at(finder, pos);
        }
    }
}

// The arrays of the shortest-path parse, kept between chunks and inputs.
struct parse_arrays {
    std::vector<std::uint32_t> cost;        // bits to reach each position; then the path
    std::vector<std::uint16_t> step_length; // 1 = literal
    std::vector<std::uint16_t> step_distance;
};

// Shortest path over positions, with edges for a literal and for every copy
// length that the match finder offers, weighted by their exact bit counts.
void encode_best(const chunk_view &in, match_finder &finder, const code_costs &costs,
                 parse_arrays &arrays, token_writer &out) {
    const std::uint8_t *const data = in.data;
    const std::uint32_t base = in.start;
    const std::uint32_t n = in.end - in.start; // positions relative to base
    constexpr std::uint32_t unreached = std::numeric_limits<std::uint32_t>::max();
    constexpr unsigned take_whole = 200; // a copy this long is taken as is

    std::vector<std::uint32_t> &cost = arrays.cost;
    std::vector<std::uint16_t> &step_length = arrays.step_length;
    std::vector<std::uint16_t> &step_distance = arrays.step_distance;
    cost.assign(n + 1, unreached);
    step_length.assign(n + 1, 0);
    step_distance.assign(n + 1, 0);
    cost[0] = 0;

    auto relax = [&](std::uint32_t to, std::uint32_t c, unsigned length, unsigned distance) {
        if (c < cost[to]) {
            cost[to] = c;
            step_length[to] = static_cast<std::uint16_t>(length);
            step_distance[to] = static_cast<std::uint16_t>(distance);
        }
    };

    std::uint32_t pos = 0;
    while (pos < n) {
        const std::uint32_t here = cost[pos];
        if (here == unreached) {
            ++pos;
            continue;
        }
        relax(pos + 1, here + costs.literal_bits[data[base + pos]], 1, 0);
        finder.insert_up_to(base + pos);
        if (const unsigned d = finder.short_distance(base + pos); d != 0) {
            relax(pos + 2, here + costs.copy_bits(2, d), 2, d);
        }
        unsigned covered = 2; // lengths up to this one already have a nearer copy
        const match longest = finder.search(base + pos, [&](unsigned length, unsigned distance) {
            for (unsigned len = covered + 1; len <= length; ++len) {
                relax(pos + len, here + costs.copy_bits(len, distance), len, distance);
            }
            covered = length;
        });
        if (longest.length >= take_whole) {
            // Long repeats: follow the copy instead of searching every
            // position inside it.
            pos += longest.length;
            continue;
        }
        ++pos;
    }

    // The path, from the end back, into the cost array (no longer needed).
    std::uint32_t steps = 0;
    for (std::uint32_t at = n; at > 0; at -= step_length[at]) {
        cost[steps++] = at;
    }
    while (steps > 0) {
        const std::uint32_t end = cost[--steps];
        const unsigned length = step_length[end];
        if (length == 1) {
            out.literal(data[base + end - 1]);
        } else {
            out.copy(length, step_distance[end]);
        }
    }
}

} // namespace

code_costs::code_costs(literal_coding coding, unsigned k) : dict_bits(k) {
    for (unsigned s = 0; s < 16; ++s) {
        for (unsigned x = 0; x < (1u << length_extra_bits[s]); ++x) {
            const unsigned len = length_bases[s] + x + 2;
            if (len <= max_match) {
                length_symbol[len] = static_cast<std::uint8_t>(s);
                length_bits[len] = 1u + length_code_bits[s] + length_extra_bits[s];
            }
        }
    }
    for (unsigned c = 0; c < 256; ++c) {
        literal_bits[c] = coding == literal_coding::ascii ? 1u + ascii_code_bits[c] : 9u;
    }
}

token_writer::token_writer(const code_costs &costs, literal_coding coding,
                           const write_function &write)
    : costs_(costs), ascii_(coding == literal_coding::ascii), sink_(write) {
    sink_.put(static_cast<std::uint32_t>(coding), 8);
    sink_.put(costs.dict_bits, 8);
}

void token_writer::copy(unsigned length, unsigned distance) {
    const unsigned s = costs_.length_symbol[length];
    sink_.put(1u | (static_cast<std::uint32_t>(length_codes[s]) << 1), 1u + length_code_bits[s]);
    sink_.put(length - 2 - length_bases[s], length_extra_bits[s]);
    const unsigned low = length == 2 ? 2 : costs_.dict_bits;
    const unsigned d = distance - 1;
    sink_.put(distance_codes[d >> low], distance_code_bits[d >> low]);
    sink_.put(d & ((1u << low) - 1), low);
}

bool token_writer::finish() {
    sink_.put(1u | (static_cast<std::uint32_t>(length_codes[end_marker_symbol]) << 1),
              1u + length_code_bits[end_marker_symbol]);
    sink_.put(end_marker_extra, length_extra_bits[end_marker_symbol]);
    return sink_.finish();
}

struct encoder::workspace {
    std::vector<std::uint8_t> buffer;
    parse_arrays arrays;
    // The fast level keeps the pair table small enough to stay in the
    // first-level cache beside the chain links; the best level searches
    // deeper and keeps every pair.
    std::optional<match_finder> fast_finder;
    std::optional<match_finder> best_finder;
};

encoder::encoder() : work_(std::make_unique<workspace>()) {}
encoder::~encoder() = default;

bool encoder::encode(const encode_options &options, const read_function &read,
                     const write_function &write) {
    if (options.dict_bits < 4 || options.dict_bits > 6) {
        throw std::invalid_argument("dictionary bits must be 4, 5 or 6");
    }
    const bool fast = options.level == encode_level::fast;
    std::optional<match_finder> &slot = fast ? work_->fast_finder : work_->best_finder;
    if (!slot) {
        if (fast) {
            slot.emplace(4, 15, 12, 16); // depth, hash bits, pair bits, nice length
        } else {
            slot.emplace(256, 15, 16);
        }
    }
    match_finder &finder = *slot;
    std::vector<std::uint8_t> &buffer = work_->buffer;
    const code_costs costs(options.literals, options.dict_bits);
    token_writer out(costs, options.literals, write);
    const bool ascii = options.literals == literal_coding::ascii;

    // The buffer grows to the largest size it needs (a chunk, the history
    // before it, the lookahead after it), then its bytes move down.
    constexpr std::size_t read_step = 1u << 16;
    std::uint32_t available = 0;
    std::uint32_t start = 0;
    bool input_ended = false;
    auto fill_to = [&](std::size_t wanted) {
        while (!input_ended && available < wanted) {
            const std::size_t want = std::min(wanted - available, read_step);
            if (buffer.size() < available + want) {
                buffer.resize(available + want);
            }
            const std::size_t got = read(buffer.data() + available, want);
            if (got == 0) {
                input_ended = true;
            }
            available += static_cast<std::uint32_t>(got);
        }
    };

    fill_to(parse_chunk_size + lookahead);
    finder.start(64u << options.dict_bits);
    for (;;) {
        const std::uint32_t end = available - start <= parse_chunk_size && input_ended
                                      ? available
                                      : start + static_cast<std::uint32_t>(parse_chunk_size);
        finder.set_extent(buffer.data(), available, end);
        const chunk_view chunk{buffer.data(), start, end};
        if (fast) {
            encode_fast(chunk, finder, costs, ascii, out);
        } else {
            encode_best(chunk, finder, costs, work_->arrays, out);
        }
        if (!out.ok()) {
            finder.finish();
            return false;
        }
        if (end == available && input_ended) {
            break;
        }
        start = end;
        if (start >= largest_window + drop_step) {
            const std::uint32_t shift = (start - largest_window) / drop_step * drop_step;
            std::memmove(buffer.data(), buffer.data() + shift, available - shift);
            available -= shift;
            start -= shift;
            finder.rebase(shift);
        }
        fill_to(start + parse_chunk_size + lookahead);
    }
    finder.finish();
    return out.finish();
}

std::vector<std::uint8_t> encoder::encode(std::span<const std::uint8_t> input,
                                          const encode_options &options) {
    std::size_t offset = 0;
    auto read = [&](std::uint8_t *buffer, std::size_t capacity) {
        const std::size_t n = std::min(capacity, input.size() - offset);
        if (n != 0) {
            std::memcpy(buffer, input.data() + offset, n);
        }
        offset += n;
        return n;
    };
    std::vector<std::uint8_t> stream;
    auto write = [&](const std::uint8_t *data, std::size_t size) {
        stream.insert(stream.end(), data, data + size);
        return true;
    };
    encode(options, read, write);
    return stream;
}

std::vector<std::uint8_t> implode_encode(std::span<const std::uint8_t> input,
                                         const encode_options &options) {
    encoder e;
    return e.encode(input, options);
}

} // namespace implode
