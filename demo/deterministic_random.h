// A small pseudo-random generator (SplitMix64) for generated demo content: the
// same seed gives the same bytes on every machine and with every compiler,
// which the standard library's distributions do not promise.
#pragma once

#include <cstdint>

namespace demo {

class deterministic_random {
  public:
    explicit deterministic_random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }

    // A value in [0, bound); bound > 0. The slight bias of the remainder does
    // not matter for demo content.
    std::uint32_t below(std::uint32_t bound) { return static_cast<std::uint32_t>(next() % bound); }

    // A value in [low, high].
    std::uint32_t between(std::uint32_t low, std::uint32_t high) {
        return low + below(high - low + 1);
    }

    // Small values much more often than large ones, as word and opcode
    // frequencies are in real files.
    std::uint32_t skewed_below(std::uint32_t bound) { return below(below(bound) + 1); }

  private:
    std::uint64_t state_;
};

} // namespace demo
