// The engine and its draws against values computed without it: the recurrence written out by hand, and the
// standard library's engine and distributions, whose algorithms the engine reproduces.

#include "rng.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <stdexcept>
#include <vector>

#include "zephalon/jv/json_reader.h"
#include "zephalon/jv_generator/generator.h"

namespace zephalon::jv_generator {
namespace {

std::vector<std::uint32_t> steps(RNG rng, int count) {
    std::vector<std::uint32_t> values;
    for (int i = 0; i < count; ++i) values.push_back(rng.next());
    return values;
}

TEST(RNGTest, FollowsTheMinimalStandardRecurrenceForTheDocumentedSeeds) {
    // x <- x * 48271 mod (2^31 - 1), from the seed reduced modulo 2^31 - 1 (0 standing for 1).
    const std::vector<std::uint32_t> fromOne{48271, 182605794, 1291394886, 1914720637, 2078669041};
    EXPECT_EQ(steps(RNG(), 5), fromOne);
    EXPECT_EQ(steps(RNG(1), 5), fromOne);
    EXPECT_EQ(steps(RNG(0), 5), fromOne);
    EXPECT_EQ(steps(RNG(2147483647), 5), fromOne);
    EXPECT_EQ(steps(RNG(42), 3), (std::vector<std::uint32_t>{2027382, 1226992407, 551494037}));
    // A seed beyond 32 bits is reduced, not truncated.
    EXPECT_EQ(RNG(std::uint64_t{2147483647} * 3 + 42).state(), 42u);

    for (std::uint64_t seed : {std::uint64_t{1}, std::uint64_t{0}, std::uint64_t{2147483647}, std::uint64_t{42}}) {
        std::minstd_rand reference(static_cast<std::minstd_rand::result_type>(seed));
        RNG rng(seed);
        std::uint64_t x = seed % 2147483647 == 0 ? 1 : seed % 2147483647;
        for (int i = 0; i < 1000; ++i) {
            x = x * 48271 % 2147483647;
            const std::uint32_t next = rng.next();
            ASSERT_EQ(next, x) << "seed " << seed << " step " << i;
            ASSERT_EQ(next, reference()) << "seed " << seed << " step " << i;
        }
    }
}

TEST(RNGTest, UniformIntegersMatchTheStandardDistributionOnEveryRangeSize) {
    struct Range {
        std::int64_t lo;
        std::int64_t hi;
    };
    // Below, at and above the engine's own range, and the whole 64-bit range, where two and three draws combine.
    const std::vector<Range> ranges{
        {0, 0},          {0, 1},
        {-10, 10},       {0, 51},
        {0, 2147483645}, {0, 2147483646},
        {5, 1LL << 40},  {std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()}};
    for (const Range& range : ranges) {
        for (std::uint64_t seed : {1u, 42u, 7777u}) {
            std::minstd_rand engine(static_cast<std::minstd_rand::result_type>(seed));
            std::uniform_int_distribution<std::int64_t> distribution(range.lo, range.hi);
            RNG rng(seed);
            for (int i = 0; i < 200; ++i) {
                ASSERT_EQ(rng.uniformSigned(range.lo, range.hi), distribution(engine))
                    << "[" << range.lo << ", " << range.hi << "] seed " << seed << " draw " << i;
            }
            // The engine states agree afterwards, so both consumed the same number of steps.
            ASSERT_EQ(rng.next(), engine());
        }
    }
    std::minstd_rand engine(3);
    std::uniform_int_distribution<std::uint64_t> wide(0, std::numeric_limits<std::uint64_t>::max());
    RNG rng(3);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(rng.uniform(0, std::numeric_limits<std::uint64_t>::max()), wide(engine));
}

TEST(RNGTest, CanonicalRealsAndDiscreteChoicesMatchTheStandardLibrary) {
    std::minstd_rand engine(42);
    RNG rng(42);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(rng.canonical(), (std::generate_canonical<double, std::numeric_limits<double>::digits>(engine)));
    }
    // The two steps of one real, combined by hand: the first is the low part.
    RNG fresh(1);
    const double radix = 2147483646.0;
    EXPECT_EQ(fresh.canonical(), ((48271.0 - 1) + (182605794.0 - 1) * radix) / (radix * radix));

    const std::vector<double> weights{1.0, 1.0, 1.0, 1.0, 1.0};
    std::discrete_distribution<std::size_t> discrete(weights.begin(), weights.end());
    std::minstd_rand discreteEngine(9);
    RNG discreteRng(9);
    RNG equalRng(9);
    for (int i = 0; i < 500; ++i) {
        const std::size_t expected = discrete(discreteEngine);
        ASSERT_EQ(discreteRng.discrete(weights), expected);
        ASSERT_EQ(equalRng.pickIndex(weights.size()), expected);
    }
    // A single choice takes no draw.
    RNG single(5);
    EXPECT_EQ(single.pickIndex(1), 0u);
    EXPECT_EQ(single.state(), 5u);
}

TEST(ConfigurationTest, PairsStayOrderedAndRefusalsChangeNothing) {
    Configuration config;
    EXPECT_EQ(config.minimum(), number::Number(0));
    EXPECT_EQ(config.maximum(), number::Number(10));
    EXPECT_EQ(config.maxLength(), 10u);
    EXPECT_EQ(config.maxProperties(), 10u);

    config.setNumericRange(-5, 5);
    try {
        config.setMinimum(6);
        FAIL() << "no error";
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(), "Min must be less than or equal to max");
    }
    EXPECT_EQ(config.minimum(), number::Number(-5));
    config.setLengthRange(3, 5);
    EXPECT_THROW(config.setMaxLength(2), std::invalid_argument);
    EXPECT_THROW(config.setItemCountRange(2, 1), std::invalid_argument);
    EXPECT_EQ(config.maxLength(), 5u);
    EXPECT_EQ(config.minItems(), 0u);
}

TEST(ConfigurationTest, ReadsEveryKeyAndChecksThePairs) {
    auto doc = jv::readJsonString(R"({"minimum": -2.5, "maxLength": 4, "minItems": 1, "maxItems": 2,
                                      "minProperties": 3, "maxProperties": 3})");
    Configuration config = Configuration::fromJV(*doc->root());
    EXPECT_EQ(config.minimum(), number::Number(-2.5));
    EXPECT_EQ(config.maximum(), number::Number(10));
    EXPECT_EQ(config.minLength(), 0u);
    EXPECT_EQ(config.maxLength(), 4u);
    EXPECT_EQ(config.minItems(), 1u);
    EXPECT_EQ(config.maxItems(), 2u);
    EXPECT_EQ(config.minProperties(), 3u);

    EXPECT_THROW(Configuration::fromJV(*jv::readJsonString(R"({"minLength": 11})")->root()), std::invalid_argument);
    EXPECT_THROW(Configuration::fromJV(*jv::readJsonString(R"({"maximum": "ten"})")->root()), jv::JVError);
    EXPECT_THROW(Configuration::fromJV(*jv::readJsonString(R"({"maxItems": -1})")->root()), jv::JVError);
    EXPECT_THROW(Configuration::fromJV(*jv::readJsonString(R"({"maxItems": 1.5})")->root()), jv::JVError);
    EXPECT_THROW(Configuration::fromJV(*jv::readJsonString(R"([1])")->root()), jv::JVError);
}

}  // namespace
}  // namespace zephalon::jv_generator
