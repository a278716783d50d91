#pragma once

// The one random engine behind every sample: the minimal-standard linear congruential engine, with the uniform
// integer, canonical real and discrete draws of the standard library reproduced step for step. Writing them out
// here (instead of using <random>) keeps a seed's values the same whatever standard library the program is built
// with.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zephalon::jv_generator {

class RNG {
  public:
    static constexpr std::uint32_t modulus = 2147483647;
    static constexpr std::uint32_t multiplier = 48271;
    // The engine yields values in [1, modulus - 1].
    static constexpr std::uint32_t min = 1;
    static constexpr std::uint32_t max = modulus - 1;

    RNG() = default;
    // The seed is reduced modulo 2147483647; a result of 0 becomes 1.
    explicit RNG(std::uint64_t seed) { reseed(seed); }

    void reseed(std::uint64_t seed);
    std::uint32_t state() const { return state_; }

    // One engine step: the new state. The product has at most 47 bits, so folding its high bits onto its low 31
    // bits once, and subtracting the modulus at most once, is the remainder without a division.
    std::uint32_t next() {
        const std::uint64_t product = std::uint64_t{state_} * multiplier;
        std::uint64_t folded = (product & modulus) + (product >> 31);
        if (folded >= modulus) folded -= modulus;
        state_ = static_cast<std::uint32_t>(folded);
        return state_;
    }

    // A range [0, range] below the engine's own, prepared once for many draws (such as letter after letter); each
    // draw gives what uniform(0, range) gives.
    class SmallRange {
      public:
        explicit SmallRange(std::uint64_t range);

      private:
        friend class RNG;
        std::uint64_t scaling_;
        std::uint64_t past_;
    };
    std::uint64_t uniform(const SmallRange& range) {
        std::uint64_t value = 0;
        do {
            value = next() - min;
        } while (value >= range.past_);
        return value / range.scaling_;
    }

    // Uniform integers in [lo, hi], both included; lo must not exceed hi.
    std::uint64_t uniform(std::uint64_t lo, std::uint64_t hi);
    std::int64_t uniformSigned(std::int64_t lo, std::int64_t hi);
    // A real in [0, 1) from two engine steps.
    double canonical();
    // An index chosen with probability proportional to its weight, from one canonical draw. Fewer than two
    // weights take no draw and give 0.
    std::size_t discrete(std::span<const double> weights);
    // The same in two steps, for callers that draw from one table many times: the table, then a draw from it.
    static std::vector<double> cumulativeWeights(std::span<const double> weights);
    std::size_t pick(std::span<const double> cumulative);
    // discrete() over `count` equal weights.
    std::size_t pickIndex(std::size_t count);

  private:
    // Uniform in [0, range].
    std::uint64_t draw(std::uint64_t range);

    std::uint32_t state_ = 1;
};

}  // namespace zephalon::jv_generator
