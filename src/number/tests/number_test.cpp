#include "zephalon/number/number.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>

#include "bf.h"

using zephalon::number::bf_t;
using zephalon::number::Number;
using Type = Number::Type;

static_assert(sizeof(Number) == 16, "the value tree stores one Number per numeric node");

namespace {

Number num(const char* text) { return Number(std::string_view(text)); }

std::string repeat(char c, std::size_t n) { return std::string(n, c); }

// A computed Dynamic value equal to v (exact: both factors are integers far inside 1000 bits).
Number dynamic(std::int64_t v) { return num("1e400") * Number(v) / num("1e400"); }

}  // namespace

TEST(NumberKinds, IntegersAtThe64BitAndTwentyDigitBoundaries) {
    struct Case {
        const char* text;
        Type type;
        const char* printed;
    };
    const Case cases[] = {
        {"9", Type::ULong, "9"},
        {"+9", Type::ULong, "9"},
        {"-9", Type::Long, "-9"},
        {"-0", Type::Long, "0"},
        {"00000000000000000042", Type::ULong, "42"},
        {"18446744073709551615", Type::ULong, "18446744073709551615"},
        {"-9223372036854775808", Type::Long, "-9223372036854775808"},
        // Beyond the 64-bit range, within 20 digits: kept exactly instead of saturating.
        {"18446744073709551616", Type::Dynamic, "18446744073709551616"},
        {"99999999999999999999", Type::Dynamic, "99999999999999999999"},
        {"-9223372036854775809", Type::Dynamic, "-9223372036854775809"},
        {"123456789012345678901", Type::Dynamic, "123456789012345678901"},
        // Leading zeros carry no precision.
        {"000000000000000000000000001", Type::ULong, "1"},
        {"-000000000000000000000000001", Type::Long, "-1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Number n = num(c.text);
        EXPECT_EQ(n.type(), c.type);
        EXPECT_EQ(n.string(), c.printed);
        EXPECT_TRUE(n.isInteger());
        EXPECT_FALSE(n.isFloat());
    }
    EXPECT_EQ(num("18446744073709551615").toULong(), std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(num("-9223372036854775808").toLong(), std::numeric_limits<std::int64_t>::min());
}

TEST(NumberKinds, ShortDecimalsAreDoublesWrittenInShortestForm) {
    EXPECT_EQ(num("1.5").type(), Type::Double);
    EXPECT_EQ(num("1.5").string(), "1.5");
    EXPECT_EQ(num("1e3").type(), Type::Double);
    EXPECT_EQ(num("1e3").string(), "1000");
    EXPECT_EQ(num("100.0").string(), "100");
    EXPECT_EQ(num("1e20").string(), "1e+20");
    EXPECT_EQ(num("0.1").string(), "0.1");
    // Except a negative zero, which keeps its sign through a round trip.
    EXPECT_EQ(num("-0.0").string(), "-0.0");
    EXPECT_EQ(num(num("-0.0").string().c_str()).type(), Type::Double);
    EXPECT_EQ(num("0.30000000000000004").type(), Type::Double);
    EXPECT_EQ(num("1.7976931348623157e308").type(), Type::Double);
    EXPECT_EQ(num("5e-324").type(), Type::Double);
    EXPECT_EQ(num("-0.00011911560612140261").type(), Type::Double);
    // Zeros that carry no precision do not decide the kind: equal texts give equal kinds.
    EXPECT_EQ(num("2.5000000000000000000000").type(), Type::Double);
    EXPECT_EQ(num("2.5000000000000000000000").string(), "2.5");
    EXPECT_EQ(num("2.5000000800000000000000").compare(num("2.50000008")), 0);
    EXPECT_EQ(num("100000000000000000000000.000").string(), "1e+23");
    EXPECT_EQ(num("0.000000000000000000000000000000000000001").type(), Type::Double);
}

TEST(NumberKinds, DecimalsADoubleCannotHoldStayExact) {
    // Overflow, underflow and lost digits would each change the number when a document is written back.
    struct Case {
        const char* text;
        const char* printed;
    };
    const Case cases[] = {
        {"1e400", nullptr},
        {"1e-400", nullptr},
        {"-2.5e-330", nullptr},
        {"1.8e308",
         "180000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
         "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
         "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
         "000000000000"},
        {"0.12345678901234567891", "0.12345678901234567891"},
        {"9007199254740993.0", "9007199254740993"},
        {"4.9e-324", nullptr},
        {"1.234567890123456789e-320", nullptr},
        {"2.50000000000000000000001", "2.50000000000000000000001"},
        {"100000000000000000000000000000000000000000.5", "100000000000000000000000000000000000000000.5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Number n = num(c.text);
        EXPECT_EQ(n.type(), Type::Dynamic);
        EXPECT_FALSE(n.isInfinity());
        EXPECT_TRUE(static_cast<bool>(n));
        if (c.printed != nullptr) {
            EXPECT_EQ(n.string(), c.printed);
        }
        Number back = num(n.string().c_str());
        EXPECT_EQ(back.compare(n), 0);
        EXPECT_EQ(back.string(), n.string());
    }
    EXPECT_EQ(num("1e400").string(), "1" + repeat('0', 400));
    EXPECT_EQ(num("1e-400").string(), "0." + repeat('0', 399) + "1");
    EXPECT_EQ(num("-2.5e-330").string(), "-0." + repeat('0', 329) + "25");
    EXPECT_EQ(num("4.9e-324").string(), "0." + repeat('0', 323) + "49");
    EXPECT_EQ(num("1e400").compare(std::numeric_limits<double>::max()), 1);
    EXPECT_EQ(num("-2.5e-330").compare(0), -1);
    EXPECT_EQ(num("-2.5e-330").compare(-std::numeric_limits<double>::denorm_min()), 1);
}

TEST(NumberKinds, HugeExponentsAreWrittenInExponentForm) {
    Number big = num("1e999999999");
    EXPECT_EQ(big.type(), Type::Dynamic);
    EXPECT_EQ(big.string(), "1e+999999999");
    EXPECT_FALSE(big.isInfinity());
    EXPECT_TRUE(big.isInteger());
    EXPECT_EQ(big.compare(num("1e400")), 1);
    EXPECT_EQ(num("-12.5e-999999999").string(), "-1.25e-999999998");
    EXPECT_EQ(num("1e1000000000000000").string(), "1e+1000000000000000");
    EXPECT_EQ(num("-7e1388000000000000000").string(), "-7e+1388000000000000000");
    EXPECT_EQ(num("7e-1388000000000000000").string(), "7e-1388000000000000000");
    // A computed value far beyond what any text said still writes a text that reads back.
    Number huge = num("9e1000000000000000000") * num("9e300000000000000000");
    Number again = num(huge.string().c_str());
    EXPECT_EQ(again.compare(huge), 0);
    EXPECT_EQ(huge.string(), "8.1e+1300000000000000001");
    // The switch to exponent form sits at the documented limit.
    EXPECT_EQ(num("1e1000").string(), "1" + repeat('0', 1000));
    EXPECT_EQ(num("1e1001").string(), "1e+1001");
    EXPECT_EQ(num("1e-1000").string(), "0." + repeat('0', 999) + "1");
    EXPECT_EQ(num("1e-1001").string(), "1e-1001");
}

TEST(NumberKinds, LongMantissasRoundTripExactlyInLinearTime) {
    std::mt19937 rng(7);
    std::string digits;
    for (int i = 0; i < 200000; ++i) digits += static_cast<char>('0' + rng() % 10);
    digits.front() = '7';
    digits.back() = '3';
    std::string text = "-" + digits.substr(0, 1000) + "." + digits.substr(1000);

    auto start = std::chrono::steady_clock::now();
    Number n = num(text.c_str());
    std::string out = n.string();
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(out, text);
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 2000);
    EXPECT_FALSE(n.isInteger());
    // Digits beyond the 1000 bits still decide integrality.
    EXPECT_FALSE(num(("1." + repeat('0', 400) + "1").c_str()).isInteger());
    EXPECT_TRUE(num(("1" + repeat('0', 400) + ".000").c_str()).isInteger());
}

TEST(NumberArithmetic, IntegerOverflowContinuesAtFullPrecision) {
    Number a(std::numeric_limits<std::int64_t>::max());
    a += 1;
    EXPECT_EQ(a.type(), Type::Dynamic);
    EXPECT_EQ(a.string(), "9223372036854775808");

    Number b(std::numeric_limits<std::uint64_t>::max());
    b += 1u;
    EXPECT_EQ(b.string(), "18446744073709551616");

    Number c(std::numeric_limits<std::int64_t>::min());
    c -= 1;
    EXPECT_EQ(c.string(), "-9223372036854775809");

    Number d(std::int64_t{4294967296});
    d *= std::int64_t{4294967296};
    EXPECT_EQ(d.type(), Type::Dynamic);
    EXPECT_EQ(d.string(), "18446744073709551616");

    Number e(std::numeric_limits<std::uint64_t>::max());
    e *= std::numeric_limits<std::uint64_t>::max();
    EXPECT_EQ(e.string(), "340282366920938463426481119284349108225");

    Number f(std::numeric_limits<std::int64_t>::min());
    f /= -1;
    EXPECT_EQ(f.string(), "9223372036854775808");

    Number g(std::int64_t{3037000499});
    g *= std::int64_t{3037000499};  // just below 2^63: stays a Long
    EXPECT_EQ(g.type(), Type::Long);
    EXPECT_EQ(g.string(), "9223372030926249001");

    Number h(5u);
    h -= 7u;
    EXPECT_EQ(h.compare(-2), 0);
    EXPECT_EQ(h.string(), "-2");
}

TEST(NumberArithmetic, DivisionRemainderAndMixedKinds) {
    EXPECT_EQ((Number(-7) / Number(2)).compare(-3), 0);
    EXPECT_EQ((Number(-7) % Number(2)).compare(-1), 0);
    EXPECT_EQ((Number(7.5) % Number(2)).compare(1.5), 0);
    EXPECT_EQ((Number(1) / Number(4.0)).string(), "0.25");
    EXPECT_EQ((Number(5) + Number(0.5)).type(), Type::Double);
    EXPECT_TRUE((Number(1.0) / Number(0.0)).isInfinity());
    EXPECT_TRUE((Number(0.0) / Number(0.0)).isNaN());
    EXPECT_THROW(Number(1) / Number(0), std::domain_error);
    EXPECT_THROW(Number(1u) % Number(0), std::domain_error);

    // A Dynamic side keeps the whole computation at 1000 bits, even with a double operand.
    Number big = num("1e400");
    Number twice = big * Number(2.0);
    EXPECT_EQ(twice.type(), Type::Dynamic);
    EXPECT_EQ(twice.string(), "2" + repeat('0', 400));
    EXPECT_EQ((twice - big).compare(big), 0);
    EXPECT_EQ((num("1e-400") / Number(4)).string(), "0." + repeat('0', 400) + "25");

    Number third = dynamic(1) / Number(3);
    ASSERT_EQ(third.type(), Type::Dynamic);
    EXPECT_EQ(third.string(5), "0.333333");
    EXPECT_EQ((dynamic(2) / Number(3)).string(5), "0.666667");
    std::string full = third.string();
    EXPECT_GT(full.size(), 290u);
    EXPECT_EQ(num(full.c_str()).compare(third), 0);  // shortest text that reads back at 1000 bits
    EXPECT_EQ((dynamic(7) % Number(2.5)).string(), "2");
}

TEST(NumberArithmetic, NegationAndSelfOperands) {
    EXPECT_EQ((-Number(std::numeric_limits<std::int64_t>::min())).string(), "9223372036854775808");
    EXPECT_EQ((-Number(std::numeric_limits<std::uint64_t>::max())).string(), "-18446744073709551615");
    EXPECT_EQ((-Number(5u)).type(), Type::Long);
    EXPECT_EQ((-num("0.12345678901234567891")).string(), "-0.12345678901234567891");
    EXPECT_EQ((+num("2.50000000000000000000000000")).string(), "2.5");

    Number d = num("123456789012345678901234567890");
    d += d;
    EXPECT_EQ(d.string(), "246913578024691357802469135780");
    d *= d;
    EXPECT_EQ(d.string(), "60966315012955347001981406250144795150007620799500076208400");
}

TEST(NumberCompare, MathematicalValuesAcrossKinds) {
    EXPECT_EQ(Number(1).compare(1.0), 0);
    EXPECT_EQ(Number(-1).compare(0u), -1);
    EXPECT_EQ(Number(std::numeric_limits<std::uint64_t>::max()).compare(-1), 1);
    // No rounding of the integer to binary64.
    EXPECT_EQ(Number(std::int64_t{9007199254740993}).compare(9007199254740992.0), 1);
    EXPECT_EQ(Number(std::numeric_limits<std::uint64_t>::max()).compare(18446744073709551616.0), -1);
    EXPECT_EQ(Number(std::numeric_limits<std::int64_t>::min()).compare(-9223372036854775808.0), 0);
    EXPECT_EQ(Number(3).compare(2.5), 1);
    EXPECT_EQ(Number(-3).compare(-2.5), -1);
    EXPECT_EQ(Number(1).compare(std::numeric_limits<double>::infinity()), -1);
    EXPECT_EQ(num("1e400").compare(std::numeric_limits<double>::infinity()), -1);
    EXPECT_EQ(num("123456789012345678901").compare(std::numeric_limits<std::uint64_t>::max()), 1);
    EXPECT_EQ(num("-123456789012345678901").compare(std::numeric_limits<std::int64_t>::min()), -1);

    double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(Number(nan).compare(1), 2);
    EXPECT_EQ(Number(1).compare(nan), -2);
    EXPECT_FALSE(Number(nan) == Number(nan));
    EXPECT_TRUE(Number(1) < Number(1.5));
    EXPECT_TRUE(num("1e400") > Number(1e300));
}

TEST(NumberHash, EqualValuesHashAlikeAcrossKinds) {
    EXPECT_EQ(Number(1), Number(1.0));
    EXPECT_EQ(Number(1).hash(), Number(1.0).hash());
    EXPECT_EQ(Number(1u).hash(), Number(1).hash());
    EXPECT_EQ(Number(-1).hash(), Number(-1.0).hash());
    EXPECT_EQ(Number(0.0).hash(), Number(-0.0).hash());
    EXPECT_EQ(Number(std::numeric_limits<std::int64_t>::min()).hash(), Number(-9223372036854775808.0).hash());
    EXPECT_EQ(Number(std::uint64_t{1} << 63).hash(), Number(9223372036854775808.0).hash());

    Number dynamicOne = dynamic(1);
    ASSERT_EQ(dynamicOne.type(), Type::Dynamic);
    EXPECT_EQ(dynamicOne, Number(1));
    EXPECT_EQ(dynamicOne.hash(), Number(1).hash());

    Number overflowed = Number(std::numeric_limits<std::uint64_t>::max() - 1) + Number(0u);
    Number grown = Number(std::numeric_limits<std::int64_t>::max()) + Number(std::int64_t{0x7fffffffffffffff});
    EXPECT_EQ(grown.type(), Type::Dynamic);
    EXPECT_EQ(grown, overflowed);
    EXPECT_EQ(grown.hash(), overflowed.hash());
    EXPECT_EQ((dynamic(1) / Number(2)).hash(), Number(0.5).hash());
    EXPECT_EQ(num("1e400").hash(), num("1e400").hash());
    EXPECT_NE(num("1e400").hash(), num("2e400").hash());
    EXPECT_NE(Number(1.5).hash(), Number(1.25).hash());
}

TEST(NumberPredicates, IntegerFloatNanInfinityBool) {
    EXPECT_TRUE(Number(1.0).isInteger());
    EXPECT_FALSE(Number(1.5).isInteger());
    EXPECT_FALSE(Number(std::numeric_limits<double>::infinity()).isInteger());
    EXPECT_TRUE(Number(1.0).isFloat());
    EXPECT_FALSE(Number(1).isFloat());
    EXPECT_TRUE(num("0.12345678901234567891").isFloat());
    EXPECT_FALSE(num("1e400").isFloat());
    EXPECT_FALSE(Number(1).isNaN());
    EXPECT_FALSE(Number(1).isInfinity());
    Number nanDynamic = num("1e400") * Number(0) / Number(0);
    ASSERT_EQ(nanDynamic.type(), Type::Dynamic);
    EXPECT_TRUE(nanDynamic.isNaN());
    EXPECT_FALSE(nanDynamic.isFloat());
    Number infDynamic = dynamic(1) / Number(0);
    EXPECT_TRUE(infDynamic.isInfinity());
    EXPECT_EQ(infDynamic.string(), "inf");
    EXPECT_TRUE(static_cast<bool>(Number(std::numeric_limits<double>::quiet_NaN())));
    EXPECT_FALSE(static_cast<bool>(Number(0u)));
    EXPECT_FALSE(static_cast<bool>(num("-0.000000000000000000000")));
    EXPECT_FALSE(static_cast<bool>(dynamic(0)));
    EXPECT_TRUE(static_cast<bool>(num("1e-400")));
}

TEST(NumberMultipleOf, DecimalValuesAndZeroDivisor) {
    EXPECT_TRUE(Number(0.2).isMultipleOf(0.1));
    // The decimal 0.3 is three times 0.1, although the binary64 quotient is 2.9999999999999996.
    EXPECT_TRUE(Number(0.3).isMultipleOf(0.1));
    EXPECT_FALSE(Number(0.30000000000000004).isMultipleOf(0.1));
    EXPECT_TRUE(Number(0.0075).isMultipleOf(0.0001));
    EXPECT_FALSE(Number(0.00751).isMultipleOf(0.0001));
    EXPECT_TRUE(Number(7.5).isMultipleOf(2.5));
    EXPECT_FALSE(Number(7).isMultipleOf(0.5 + 1.5 + 1.0 / 3.0));
    EXPECT_TRUE(Number(10).isMultipleOf(2.5));
    EXPECT_FALSE(Number(10).isMultipleOf(3));
    EXPECT_TRUE(Number(-9).isMultipleOf(3u));
    EXPECT_TRUE(Number(std::numeric_limits<std::uint64_t>::max()).isMultipleOf(5));
    EXPECT_TRUE(Number(0).isMultipleOf(0.7));
    EXPECT_FALSE(Number(1e308).isMultipleOf(0.123456789));
    EXPECT_TRUE(Number(1e308).isMultipleOf(1e-308));
    EXPECT_TRUE(Number(12391239123.0).isMultipleOf(1e-8));
    EXPECT_FALSE(Number(1e-8).isMultipleOf(3e-8));
    EXPECT_TRUE(num("1e400").isMultipleOf(5));
    EXPECT_FALSE(num("1e400").isMultipleOf(7));
    EXPECT_TRUE(num("0.30000000000000000000003").isMultipleOf(num("0.00000000000000000000001")));
    EXPECT_FALSE(num("0.30000000000000000000003").isMultipleOf(num("0.00000000000000000000002")));
    // Computed values have no decimal text: judged at 1000 bits.
    EXPECT_TRUE((num("1e400") * Number(3)).isMultipleOf(3));
    EXPECT_FALSE((num("1e100") * Number(3) + Number(1)).isMultipleOf(num("1e100")));
    EXPECT_TRUE((num("1e100") * Number(3) + num("1e100")).isMultipleOf(num("1e100")));
    EXPECT_FALSE(Number(std::numeric_limits<double>::quiet_NaN()).isMultipleOf(1));
    EXPECT_FALSE(Number(std::numeric_limits<double>::infinity()).isMultipleOf(1));

    EXPECT_THROW(Number(1).isMultipleOf(0), std::domain_error);
    EXPECT_THROW(Number(1.5).isMultipleOf(0.0), std::domain_error);
    EXPECT_THROW(num("1e400").isMultipleOf(num("1e400") * Number(0)), std::domain_error);
}

TEST(NumberConversions, ToLongToULongToDouble) {
    try {
        Number(1.5).toLong();
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Cannot cast double to long");
    }
    EXPECT_THROW(Number(-1.0).toULong(), std::runtime_error);
    EXPECT_THROW(Number(1e19).toLong(), std::runtime_error);
    EXPECT_EQ(Number(3.0).toLong(), 3);
    EXPECT_EQ(Number(1e19).toULong(), 10000000000000000000ULL);
    EXPECT_EQ(Number(std::numeric_limits<std::uint64_t>::max()).toLong(), -1);
    EXPECT_EQ(Number(-1).toULong(), std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(num("18446744073709551615.000").toULong(), std::numeric_limits<std::uint64_t>::max());
    EXPECT_THROW(num("1e400").toLong(), std::runtime_error);
    EXPECT_THROW(num("0.12345678901234567891").toULong(), std::runtime_error);
    EXPECT_EQ(Number(std::numeric_limits<std::uint64_t>::max()).toDouble(), 18446744073709551616.0);
    EXPECT_EQ(num("0.12345678901234567891").toDouble(), 0.12345678901234567891);
    EXPECT_TRUE(std::isinf(num("1e400").toDouble()));
    EXPECT_EQ(num("-1e-400").toDouble(), 0.0);
    // Just above the midpoint between 1 and the next double: must round up, although the 1000-bit value of
    // the text is rounded to the midpoint itself.
    std::string aboveMidpoint = "1.00000000000000011102230246251565404236316680908203125" + repeat('0', 400) + "1";
    EXPECT_EQ(num(aboveMidpoint.c_str()).toDouble(), std::nextafter(1.0, 2.0));
}

TEST(NumberText, DumpNamesTheStorage) {
    EXPECT_EQ(Number(-3).dump(), "Storage type: Long\nValue: -3");
    EXPECT_EQ(Number(3u).dump(), "Storage type: ULong\nValue: 3");
    EXPECT_EQ(Number(0.5).dump(), "Storage type: Double\nValue: 0.5");
    std::string dynamic = num("-1e400").dump();
    EXPECT_EQ(dynamic.rfind("Storage type: Dynamic\nSign: 1\nExponent: 1329\nMax digits count: 16\nDigits: ", 0), 0u)
        << dynamic;
    EXPECT_EQ(fmt::format("[{}]", num("2.50000000000000000000001")), "[2.50000000000000000000001]");
}

TEST(NumberText, RandomTextsRoundTrip) {
    std::mt19937_64 rng(42);
    auto digitsOf = [&](std::size_t n) {
        std::string s;
        for (std::size_t i = 0; i < n; ++i) s += static_cast<char>('0' + rng() % 10);
        return s;
    };
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        if (rng() % 2) text += '-';
        text += digitsOf(1 + rng() % 30);
        if (rng() % 2) text += "." + digitsOf(1 + rng() % 30) + (rng() % 4 == 0 ? repeat('0', 25) : "");
        if (rng() % 2) text += fmt::format("e{}", static_cast<int>(rng() % 1400) - 700);
        SCOPED_TRACE(text);
        Number n = num(text.c_str());
        std::string once = n.string();
        Number back = num(once.c_str());
        EXPECT_EQ(back.compare(n), 0);
        if (n) {
            EXPECT_EQ(back.string(), once);
        }
        EXPECT_EQ(back.hash(), n.hash());
    }
    for (int i = 0; i < 3000; ++i) {
        double d = std::bit_cast<double>(rng());
        if (!std::isfinite(d)) continue;
        std::string text = Number(d).string();
        SCOPED_TRACE(text);
        Number back = num(text.c_str());
        EXPECT_NE(back.type(), Type::Dynamic);  // the shortest form of a double stays on the fast path
        EXPECT_EQ(std::bit_cast<std::uint64_t>(back.toDouble()), std::bit_cast<std::uint64_t>(d));
    }
}

TEST(NumberLifetime, CopiesAreIndependentAndTheContextIsReleased) {
    {
        Number a = num("123456789012345678901.5");
        Number b = a;
        b += 1;
        EXPECT_EQ(a.string(), "123456789012345678901.5");
        EXPECT_EQ(b.string(), "123456789012345678902.5");
        Number& self = a;
        a = self;
        EXPECT_EQ(a.string(), "123456789012345678901.5");
        Number c = std::move(a);
        EXPECT_EQ(a.type(), Type::Long);
        EXPECT_EQ(c.string(), "123456789012345678901.5");
        c = Number(2);
        EXPECT_EQ(c.type(), Type::Long);
        EXPECT_GT(bf_t::liveCount(), 0);
        b = c;
        EXPECT_EQ(b.string(), "2");
    }
    EXPECT_EQ(bf_t::liveCount(), 0);
}
