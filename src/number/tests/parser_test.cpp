#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "zephalon/number/number.h"

using zephalon::number::Number;
using zephalon::number::NumberParser;

namespace {

struct StatusCase {
    const char* text;
    int status;
};

}  // namespace

TEST(NumberParser, StatusCodesAndMessagesOfTheTextConstructor) {
    const std::vector<StatusCase> cases = {
        {"", NumberParser::EmptyString},
        {"x", NumberParser::ExpectedSignOrDigit},
        {".5", NumberParser::ExpectedSignOrDigit},
        {" 1", NumberParser::ExpectedSignOrDigit},
        {"-", NumberParser::ExpectedDigit},
        {"+x", NumberParser::ExpectedDigit},
        {"--1", NumberParser::ExpectedDigit},
        {"-.5", NumberParser::NoIntegralDigits},
        {"1.", NumberParser::NoFractionalDigits},
        {"1.e5", NumberParser::NoFractionalDigits},
        {"1e", NumberParser::ExpectedExponentSign},
        {"1ex", NumberParser::ExpectedExponentSignOrDigit},
        {"1e+", NumberParser::ExpectedDigit},
        {"1e-x", NumberParser::ExpectedDigit},
        {"1x", NumberParser::ExpectedEndOfString},
        {"1 ", NumberParser::ExpectedEndOfString},
        {"1.5.5", NumberParser::ExpectedEndOfString},
        {"0x10", NumberParser::ExpectedEndOfString},
        {"1e5e5", NumberParser::ExpectedEndOfString},
        // Beyond the range of the 1000-bit layer (about 10^+-1.388e18), and beyond any exponent considered.
        {"1e1400000000000000000", NumberParser::InvalidFormat},
        {"-1e-1400000000000000000", NumberParser::InvalidFormat},
        {"1e99999999999999999999999", NumberParser::InvalidFormat},
        {"0.1e-99999999999999999999999", NumberParser::InvalidFormat},
    };
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(c.text);
        int status = -1;
        EXPECT_FALSE(Number::parse(c.text, &status).has_value());
        EXPECT_EQ(status, c.status);
        EXPECT_FALSE(Number::parse(std::string(c.text)).has_value());
        try {
            Number n(c.text);
            ADD_FAILURE() << "no exception";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), std::string(NumberParser::message(c.status)));
        }
    }
    EXPECT_EQ(NumberParser::message(1), "empty string");
    EXPECT_EQ(NumberParser::message(5), "Invalid number format");
    EXPECT_EQ(NumberParser::message(9), "Invalid number format - expected end of string");
}

TEST(NumberParser, AcceptsTheWholeGrammar) {
    for (const char* text : {"0", "-0", "+7", "007", "1.5", "1E5", "1e+5", "1e-5", "-0.0e-0", "123.456E+789"}) {
        SCOPED_TRACE(text);
        int status = -1;
        EXPECT_TRUE(Number::parse(text, &status).has_value());
        EXPECT_EQ(status, NumberParser::Valid);
    }
}

TEST(NumberParser, RecordsThePartsOfTheText) {
    std::string text = "-012.340e-05";
    NumberParser p(text);
    ASSERT_TRUE(p.valid());
    EXPECT_TRUE(p.negative);
    EXPECT_EQ(std::string(p.intBegin, p.intEnd), "012");
    EXPECT_EQ(std::string(p.fracBegin, p.fracEnd), "340");
    EXPECT_TRUE(p.expNegative);
    EXPECT_EQ(std::string(p.expBegin, p.expEnd), "05");

    NumberParser plain("42");
    ASSERT_TRUE(plain.valid());
    EXPECT_FALSE(plain.negative);
    EXPECT_EQ(plain.fracBegin, nullptr);
    EXPECT_EQ(plain.expBegin, nullptr);
}

TEST(NumberParser, ZeroAcceptsAnyExponentAndEmbeddedNulIsRejected) {
    // A zero has no magnitude to overflow, however large its exponent.
    auto zero = Number::parse("0e99999999999999999999999999");
    ASSERT_TRUE(zero.has_value());
    EXPECT_EQ(zero->compare(0), 0);
    EXPECT_FALSE(static_cast<bool>(*zero));

    std::string withNul(
        "12\0"
        "3",
        4);
    int status = -1;
    EXPECT_FALSE(Number::parse(withNul, &status).has_value());
    EXPECT_EQ(status, NumberParser::ExpectedEndOfString);
}
