// Implode stream encoder: LZ77 over hash chains with a fixed-code bit writer.
#include "implode_encoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "implode/implode_tables.h"

namespace implode {
namespace {

constexpr unsigned min_match = 2;
constexpr unsigned max_match = 518;
constexpr unsigned max_short_distance = 256; // repeat length 2 has 2 low distance bits
// Chain links kept for the last 8192 positions: twice the largest window, so
// a link is never overwritten while its position can still be reached.
constexpr std::uint32_t chain_size = 8192;
constexpr std::int32_t no_pos = -1;

// Fixed code costs in bits, and the length symbol of every repeat length.
struct code_costs {
    std::array<std::uint8_t, max_match + 1> length_symbol{};
    std::array<std::uint32_t, max_match + 1> length_bits{}; // flag + code + extra
    std::array<std::uint32_t, 256> literal_bits{};          // flag + literal code
    unsigned dict_bits;

    code_costs(literal_coding coding, unsigned k) : dict_bits(k) {
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

    std::uint32_t distance_bits(unsigned length, unsigned distance) const {
        const unsigned low = length == 2 ? 2 : dict_bits;
        return distance_code_bits[(distance - 1) >> low] + low;
    }
    std::uint32_t copy_bits(unsigned length, unsigned distance) const {
        return length_bits[length] + distance_bits(length, distance);
    }
};

class bit_sink {
  public:
    // `capacity` must cover the whole stream: at most 14 bits per input byte
    // plus header, end marker and padding.
    explicit bit_sink(std::size_t capacity) : out_(capacity) {}

    void put(std::uint32_t value, unsigned count) {
        acc_ |= static_cast<std::uint64_t>(value) << fill_;
        fill_ += count;
        if (fill_ >= 32) {
            for (int i = 0; i < 4; ++i) {
                out_[size_++] = static_cast<std::uint8_t>(acc_ >> (8 * i));
            }
            acc_ >>= 32;
            fill_ -= 32;
        }
    }
    std::vector<std::uint8_t> finish() {
        while (fill_ > 0) {
            out_[size_++] = static_cast<std::uint8_t>(acc_);
            acc_ >>= 8;
            fill_ = fill_ > 8 ? fill_ - 8 : 0;
        }
        out_.resize(size_);
        // The decoder needs more than 4 bytes in its first read.
        while (out_.size() < 5) {
            out_.push_back(0);
        }
        return std::move(out_);
    }

  private:
    std::vector<std::uint8_t> out_;
    std::size_t size_ = 0;
    std::uint64_t acc_ = 0;
    unsigned fill_ = 0;
};

class token_writer {
  public:
    token_writer(const code_costs& costs, literal_coding coding, std::size_t input_size)
        : costs_(costs), ascii_(coding == literal_coding::ascii),
          sink_(input_size * 2 + 16) {
        sink_.put(static_cast<std::uint32_t>(coding), 8);
        sink_.put(costs.dict_bits, 8);
    }

    void literal(std::uint8_t byte) {
        if (ascii_) {
            sink_.put(static_cast<std::uint32_t>(ascii_codes[byte]) << 1, 1u + ascii_code_bits[byte]);
        } else {
            sink_.put(static_cast<std::uint32_t>(byte) << 1, 9);
        }
    }

    void copy(unsigned length, unsigned distance) {
        const unsigned s = costs_.length_symbol[length];
        sink_.put(1u | (static_cast<std::uint32_t>(length_codes[s]) << 1), 1u + length_code_bits[s]);
        sink_.put(length - 2 - length_bases[s], length_extra_bits[s]);
        const unsigned low = length == 2 ? 2 : costs_.dict_bits;
        const unsigned d = distance - 1;
        sink_.put(distance_codes[d >> low], distance_code_bits[d >> low]);
        sink_.put(d & ((1u << low) - 1), low);
    }

    std::vector<std::uint8_t> finish() {
        sink_.put(1u | (static_cast<std::uint32_t>(length_codes[end_marker_symbol]) << 1),
                  1u + length_code_bits[end_marker_symbol]);
        sink_.put(end_marker_extra, length_extra_bits[end_marker_symbol]);
        return sink_.finish();
    }

  private:
    const code_costs& costs_;
    bool ascii_;
    bit_sink sink_;
};

struct match {
    unsigned length = 0;
    unsigned distance = 0;
};

// Hash chains over 3-byte prefixes, plus a table of the latest position of
// each 2-byte pair for repeat length 2: indexed by the pair itself, or by a
// hash of it when smaller (a smaller table stays in the first-level cache but
// forgets a pair when another one with the same hash comes later).
class match_finder {
  public:
    // The search stops at the first candidate of `nice_length` or more.  The
    // chains start from 2^hash_bits heads; the pair table has 2^pair_bits
    // entries (at most 16).
    match_finder(std::span<const std::uint8_t> data, unsigned window, unsigned chain_depth,
                 unsigned hash_bits, unsigned pair_bits, unsigned nice_length = max_match)
        : data_(data), n_(static_cast<std::uint32_t>(data.size())), window_(window),
          depth_(chain_depth), nice_(nice_length), hash_shift_(32 - hash_bits),
          pair_shift_(32 - pair_bits), pair_hashed_(pair_bits < 16),
          head_(1u << hash_bits, no_pos), prev_(chain_size, no_pos),
          last_pair_(1u << pair_bits, no_pos) {}

    // Leaves the positions from the next one to insert up to below `pos` out
    // of the chains and the pair table.
    void skip_to(std::uint32_t pos) { inserted_ = std::max(inserted_, pos); }

    // Adds every position below `pos` that is not yet in the chains.
    void insert_up_to(std::uint32_t pos) {
        for (; inserted_ < pos; ++inserted_) {
            if (inserted_ + 1 < n_) {
                last_pair_[pair_slot(inserted_)] = static_cast<std::int32_t>(inserted_);
            }
            if (inserted_ + 2 < n_) {
                const std::uint32_t h = hash3(inserted_);
                prev_[inserted_ & (chain_size - 1)] = head_[h];
                head_[h] = static_cast<std::int32_t>(inserted_);
            }
        }
    }

    std::uint32_t max_length_at(std::uint32_t pos) const {
        return std::min<std::uint32_t>(max_match, n_ - pos);
    }

    // Distance to the latest earlier occurrence of the 2 bytes at pos that
    // the pair table holds, when within 256; otherwise 0.
    unsigned short_distance(std::uint32_t pos) const {
        if (pos + 1 >= n_) {
            return 0;
        }
        const std::int32_t p = last_pair_[pair_slot(pos)];
        if (p == no_pos || pos - static_cast<std::uint32_t>(p) > max_short_distance ||
            pair(static_cast<std::uint32_t>(p)) != pair(pos)) {
            return 0;
        }
        return pos - static_cast<std::uint32_t>(p);
    }

    // Calls visit(length, distance) for candidates of length 3 or more in
    // order of increasing distance, each one longer than all before it.
    // Positions below pos must have been inserted.  Returns the longest.
    template <typename Visit> match search(std::uint32_t pos, Visit&& visit) const {
        match best;
        const std::uint32_t limit = max_length_at(pos);
        if (limit < 3) {
            return best;
        }
        const std::uint8_t* cur = data_.data() + pos;
        std::int32_t cand = head_[hash3(pos)];
        unsigned best_len = 2;
        for (unsigned tries = depth_; cand != no_pos && tries != 0;
             --tries, cand = prev_[static_cast<std::uint32_t>(cand) & (chain_size - 1)]) {
            const std::uint32_t distance = pos - static_cast<std::uint32_t>(cand);
            if (distance > window_) {
                break;
            }
            const std::uint8_t* ref = data_.data() + cand;
            if (ref[best_len] != cur[best_len] || ref[0] != cur[0] || ref[1] != cur[1]) {
                continue;
            }
            const unsigned len = common_length(ref, cur, limit);
            if (len > best_len) {
                best_len = len;
                best = {len, distance};
                visit(len, distance);
                if (len >= limit || len >= nice_) {
                    break;
                }
            }
        }
        return best;
    }

  private:
    std::uint32_t hash3(std::uint32_t pos) const {
        const std::uint8_t* p = data_.data() + pos;
        const std::uint32_t v = (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
        return (v * 2654435761u) >> hash_shift_;
    }
    std::uint32_t pair(std::uint32_t pos) const {
        return (std::uint32_t{data_[pos]} << 8) | data_[pos + 1];
    }
    std::uint32_t pair_slot(std::uint32_t pos) const {
        const std::uint32_t v = pair(pos);
        return pair_hashed_ ? (v * 2654435761u) >> pair_shift_ : v;
    }
    static unsigned common_length(const std::uint8_t* a, const std::uint8_t* b, unsigned limit) {
        unsigned len = 0;
        while (len + 8 <= limit) {
            std::uint64_t x;
            std::uint64_t y;
            std::memcpy(&x, a + len, 8);
            std::memcpy(&y, b + len, 8);
            if (x != y) {
                return len + static_cast<unsigned>(__builtin_ctzll(x ^ y) >> 3);
            }
            len += 8;
        }
        while (len < limit && a[len] == b[len]) {
            ++len;
        }
        return len;
    }

    std::span<const std::uint8_t> data_;
    std::uint32_t n_;
    unsigned window_;
    unsigned depth_;
    unsigned nice_;
    unsigned hash_shift_;
    unsigned pair_shift_;
    bool pair_hashed_;
    std::vector<std::int32_t> head_;
    std::vector<std::int32_t> prev_;
    std::vector<std::int32_t> last_pair_;
    std::uint32_t inserted_ = 0;
};

// The better copy starting at pos: the longest from the chains, or a length-2
// copy when that is all there is.
match best_match_at(match_finder& finder, std::uint32_t pos) {
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
long literal_run_bits(std::span<const std::uint8_t> data, const code_costs& costs,
                      bool ascii, std::uint32_t from, std::uint32_t to) {
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
void encode_fast(std::span<const std::uint8_t> data, const code_costs& costs, bool ascii,
                 token_writer& out) {
    const auto n = static_cast<std::uint32_t>(data.size());
    constexpr unsigned chain_depth = 4;
    constexpr unsigned hash_bits = 15;
    constexpr unsigned pair_bits = 12;  // 16 KiB, beside the chain links in the first-level cache
    constexpr unsigned nice_length = 16; // the search stops at such a candidate
    constexpr unsigned lazy_below = 8;   // only shorter copies look one byte ahead
    // Longer copies put only their first and last positions into the chains:
    // the bytes between are already there at the copy's source.
    constexpr unsigned insert_within = 8;
    match_finder finder(data, 64u << costs.dict_bits, chain_depth, hash_bits, pair_bits,
                        nice_length);

    // Bits saved by a copy at pos against coding its bytes as literals.
    auto savings = [&](std::uint32_t pos, match m) {
        if (m.length < min_match) {
            return std::numeric_limits<long>::min();
        }
        return literal_run_bits(data, costs, ascii, pos, pos + m.length) -
               static_cast<long>(costs.copy_bits(m.length, m.distance));
    };

    std::uint32_t pos = 0;
    match cur = n > 0 ? best_match_at(finder, 0) : match{};
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

// Shortest path over positions, with edges for a literal and for every copy
// length that the match finder offers, weighted by their exact bit counts.
void encode_best(std::span<const std::uint8_t> data, const code_costs& costs,
                 token_writer& out) {
    const auto n = static_cast<std::uint32_t>(data.size());
    match_finder finder(data, 64u << costs.dict_bits, 256, 15, 16);
    constexpr std::uint32_t unreached = std::numeric_limits<std::uint32_t>::max();
    constexpr unsigned take_whole = 200; // a copy this long is taken as is

    std::vector<std::uint32_t> cost(n + 1, unreached);
    std::vector<std::uint16_t> step_length(n + 1, 0); // 1 = literal
    std::vector<std::uint16_t> step_distance(n + 1, 0);
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
        relax(pos + 1, here + costs.literal_bits[data[pos]], 1, 0);
        finder.insert_up_to(pos);
        if (const unsigned d = finder.short_distance(pos); d != 0) {
            relax(pos + 2, here + costs.copy_bits(2, d), 2, d);
        }
        unsigned covered = 2; // lengths up to this one already have a nearer copy
        const match longest = finder.search(pos, [&](unsigned length, unsigned distance) {
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

    std::vector<std::uint32_t> path;
    for (std::uint32_t at = n; at > 0; at -= step_length[at]) {
        path.push_back(at);
    }
    for (auto it = path.rbegin(); it != path.rend(); ++it) {
        const std::uint32_t end = *it;
        const unsigned length = step_length[end];
        if (length == 1) {
            out.literal(data[end - 1]);
        } else {
            out.copy(length, step_distance[end]);
        }
    }
}

} // namespace

std::vector<std::uint8_t> implode_encode(std::span<const std::uint8_t> input,
                                         const encode_options& options) {
    if (options.dict_bits < 4 || options.dict_bits > 6) {
        throw std::invalid_argument("dictionary bits must be 4, 5 or 6");
    }
    // Bit counts of the whole stream must fit in 32 bits.
    if (input.size() > (std::size_t{1} << 28)) {
        throw std::invalid_argument("input larger than 256 MiB");
    }
    const code_costs costs(options.literals, options.dict_bits);
    token_writer out(costs, options.literals, input.size());
    if (options.level == encode_level::fast) {
        encode_fast(input, costs, options.literals == literal_coding::ascii, out);
    } else {
        encode_best(input, costs, out);
    }
    return out.finish();
}

} // namespace implode
