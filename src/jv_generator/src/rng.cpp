#include "rng.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "zephalon/foundation/assertions.h"

namespace zephalon::jv_generator {

void RNG::reseed(std::uint64_t seed) {
    state_ = static_cast<std::uint32_t>(seed % modulus);
    if (state_ == 0) state_ = 1;
}

// The rejection method on the engine's range of 2147483646 values: a smaller range keeps the largest whole number
// of copies of itself and rejects the rest; a larger range combines a draw for the high part with one for the low
// part, and starts over when the sum leaves the range or wraps.
std::uint64_t RNG::draw(std::uint64_t range) {
    constexpr std::uint64_t engineRange = max - min;
    if (engineRange > range) {
        const std::uint64_t extent = range + 1;
        const std::uint64_t scaling = engineRange / extent;
        const std::uint64_t past = extent * scaling;
        std::uint64_t value = 0;
        do {
            value = next() - min;
        } while (value >= past);
        return value / scaling;
    }
    if (engineRange < range) {
        constexpr std::uint64_t engineExtent = engineRange + 1;
        std::uint64_t high = 0;
        std::uint64_t value = 0;
        do {
            high = engineExtent * draw(range / engineExtent);
            value = high + (next() - min);
        } while (value > range || value < high);
        return value;
    }
    return next() - min;
}

RNG::SmallRange::SmallRange(std::uint64_t range) {
    constexpr std::uint64_t engineRange = max - min;
    ZEPHALON_PRECONDITION(range < engineRange);
    scaling_ = engineRange / (range + 1);
    past_ = (range + 1) * scaling_;
}

std::uint64_t RNG::uniform(std::uint64_t lo, std::uint64_t hi) {
    ZEPHALON_PRECONDITION(lo <= hi);
    return lo + draw(hi - lo);
}

std::int64_t RNG::uniformSigned(std::int64_t lo, std::int64_t hi) {
    ZEPHALON_PRECONDITION(lo <= hi);
    // Unsigned arithmetic wraps exactly as the distance between two signed values needs.
    const std::uint64_t offset = draw(static_cast<std::uint64_t>(hi) - static_cast<std::uint64_t>(lo));
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(lo) + offset);
}

double RNG::canonical() {
    constexpr double radix = static_cast<double>(max - min) + 1.0;
    double sum = static_cast<double>(next() - min);
    double scale = radix;
    sum += static_cast<double>(next() - min) * scale;
    scale *= radix;
    const double value = sum / scale;
    return value >= 1.0 ? std::nextafter(1.0, 0.0) : value;
}

std::vector<double> RNG::cumulativeWeights(std::span<const double> weights) {
    std::vector<double> cumulative;
    if (weights.size() < 2) return cumulative;
    double total = 0;
    for (double weight : weights) total += weight;
    cumulative.reserve(weights.size());
    double running = 0;
    for (double weight : weights) {
        running += weight / total;
        cumulative.push_back(running);
    }
    // Rounding must not leave the last entry below a draw.
    cumulative.back() = 1.0;
    return cumulative;
}

std::size_t RNG::pick(std::span<const double> cumulative) {
    if (cumulative.empty()) return 0;
    const double p = canonical();
    return static_cast<std::size_t>(std::lower_bound(cumulative.begin(), cumulative.end(), p) - cumulative.begin());
}

std::size_t RNG::discrete(std::span<const double> weights) { return pick(cumulativeWeights(weights)); }

std::size_t RNG::pickIndex(std::size_t count) {
    if (count < 2) return 0;
    // The cumulative table of equal weights, walked without building it.
    const double p = canonical();
    const double share = 1.0 / static_cast<double>(count);
    double running = 0;
    for (std::size_t i = 0; i + 1 < count; ++i) {
        running += share;
        if (running >= p) return i;
    }
    return count - 1;
}

}  // namespace zephalon::jv_generator
