// Strings for the patterns that real API descriptions use, each checked by the program's own regular expressions.

#include "regex_generator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "zephalon/foundation/ecmascript_regex.h"
#include "zephalon/foundation/strings.h"
#include "zephalon/jv_generator/generator.h"
#include "zephalon/openapi/node_error.h"
#include "zephalon/openapi/schema.h"

namespace zephalon::jv_generator {
namespace {

const std::vector<std::string> kApiPatterns = {
    // dates, times and durations
    R"(^\d{4}-\d{2}-\d{2}$)",
    R"(^[0-9]{4}-(0[1-9]|1[0-2])-(0[1-9]|[12][0-9]|3[01])$)",
    R"(^([01]\d|2[0-3]):[0-5]\d(:[0-5]\d)?$)",
    R"(^P(?!$)(\d+Y)?(\d+M)?(\d+W)?(\d+D)?(T(?=\d)(\d+H)?(\d+M)?(\d+S)?)?$)",
    R"(^(?<year>\d{4})-(?<month>0[1-9]|1[0-2])$)",
    // identifiers and keys
    R"(^[a-zA-Z0-9_-]{3,32}$)",
    R"(^[a-z][a-z0-9-]*[a-z0-9]$)",
    R"(^[0-9a-f]{8}-[0-9a-f]{4}-[1-5][0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}$)",
    R"(^[0-9a-fA-F]{24}$)",
    R"(^[a-f0-9]{40}$)",
    R"(^sk_(test|live)_[A-Za-z0-9]{24}$)",
    R"(^arn:aws:[a-z0-9-]+:[a-z0-9-]*:\d{12}:.+$)",
    R"(^[A-Z0-9]{8}-[A-Z0-9]{4}$)",
    R"(^\w+$)",
    R"(^\S+$)",
    R"(^(\w)\w*\1$)",
    R"(^[A-Za-z0-9+/]+={0,2}$)",
    R"(^#(?:[0-9a-fA-F]{3}){1,2}$)",
    // codes
    R"(^[A-Z]{2}$)",
    R"(^[A-Z]{3}$)",
    R"(^[a-z]{2}(-[A-Z]{2})?$)",
    R"(^[A-Z]{2}[0-9]{2}[A-Z0-9]{1,30}$)",
    R"(^[A-Z]{6}[A-Z2-9][A-NP-Z0-9]([A-Z0-9]{3})?$)",
    R"(^\d{5}(-\d{4})?$)",
    R"(^[A-Z]{1,2}\d[A-Z\d]? ?\d[A-Z]{2}$)",
    R"(^\d{3}-\d{2}-\d{4}$)",
    // phone numbers
    R"(^\+?[1-9]\d{1,14}$)",
    R"(^\(\d{3}\) \d{3}-\d{4}$)",
    R"(^(\+\d{1,3}[- ]?)?\d{10}$)",
    // versions and numbers
    R"(^(0|[1-9]\d*)\.(0|[1-9]\d*)\.(0|[1-9]\d*)(?:-((?:0|[1-9]\d*|\d*[a-zA-Z-][0-9a-zA-Z-]*)(?:\.(?:0|[1-9]\d*|\d*[a-zA-Z-][0-9a-zA-Z-]*))*))?(?:\+([0-9a-zA-Z-]+(?:\.[0-9a-zA-Z-]+)*))?$)",
    R"(^v?\d+\.\d+\.\d+$)",
    R"(^\d+(\.\d{1,2})?$)",
    R"(^-?\d+(\.\d+)?$)",
    R"(^(\d{1,3}\.){3}\d{1,3}$)",
    // alternations
    R"(^(GET|POST|PUT|PATCH|DELETE)$)",
    R"(^(active|inactive|pending)$)",
    R"(^(?:image|video)/(?:png|jpeg|mp4)$)",
    // addresses
    R"(^[^@\s]+@[^@\s]+\.[^@\s]+$)",
    R"(^https?://[^\s/$.?#].[^\s]*$)",
    R"(^([a-z0-9]+(-[a-z0-9]+)*\.)+[a-z]{2,}$)",
    R"(^(?:[a-z0-9!#$%&'*+/=?^_`{|}~-]+(?:\.[a-z0-9!#$%&'*+/=?^_`{|}~-]+)*)$)",
    // free text with rules
    R"(^(?!\s*$).+)",
    R"(^(?=.*[A-Z])(?=.*[a-z])(?=.*\d).{8,}$)",
    R"(^[a-zA-Z]+(?:\s[a-zA-Z]+)*$)",
    R"(^[A-Z][a-z]+(?: [A-Z][a-z]+)*$)",
    R"(^[^<>]*$)",
    R"(^[^\x00-\x1F\x7F]*$)",
    R"(^.{1,5}$)",
    R"(\d)",
    // Unicode
    R"(^\p{Lu}\p{Ll}+$)",
    R"(^[\p{L}\p{M}' -]+$)",
    R"(^\p{L}[\p{L}\p{N}_]*$)",
    R"(^[\u4e00-\u9fa5]+$)",
    R"(^\p{Script=Greek}+$)",
    R"(^[\p{N}]{2,4}$)",
    R"(^[^\p{L}]+$)",
    R"(^\u00e9t\u00e9$)",
    R"(^\u{1F600}+$)",
    R"(^\P{ASCII}$)",
    R"(^[^]$)",
};

TEST(RegexGeneratorTest, EveryStringMatchesPatternsOfRealApis) {
    for (const std::string& pattern : kApiPatterns) {
        openapi::Schema schema(nullptr);
        schema.addType(openapi::SchemaType::string);
        schema.setPattern(pattern);
        const Regex regex = createEcmaScriptRegex(pattern);
        for (std::uint64_t seed = 1; seed <= 20; ++seed) {
            Generator generator(&schema, seed);
            std::unique_ptr<jv::JV> value;
            ASSERT_NO_THROW(value = generator.generate()) << pattern << " seed " << seed;
            ASSERT_TRUE(value->isString());
            EXPECT_TRUE(regex.search(value->stringValue())) << pattern << " gave " << value->stringValue();
        }
    }
}

TEST(RegexGeneratorTest, UnicodeClassesYieldCharactersBeyondAscii) {
    RNG rng(7);
    RegexGenerator greek(R"(^\p{Script=Greek}{3}$)");
    auto text = greek.candidate(rng, 8);
    ASSERT_TRUE(text);
    EXPECT_EQ(utf8Length(*text), 3u);
    EXPECT_GT(text->size(), 3u);
    RegexGenerator astral(R"(^\uD83D\uDE00$)");
    EXPECT_EQ(astral.candidate(rng, 8), "\xF0\x9F\x98\x80");
}

TEST(RegexGeneratorTest, BadAndUnmatchablePatternsFailClearly) {
    EXPECT_THROW(RegexGenerator("(unclosed"), RegexError);

    openapi::Schema impossible(nullptr);
    impossible.addType(openapi::SchemaType::string);
    impossible.setPattern("a^b");
    Generator generator(&impossible);
    try {
        generator.generate();
        FAIL() << "no error";
    } catch (const openapi::NodeError& error) {
        EXPECT_STREQ(error.what(), "Cannot generate a string that matches the pattern 'a^b'");
        EXPECT_EQ(error.node(), &impossible);
    }

    openapi::Schema invalid(nullptr);
    invalid.setPattern("[z-a]");
    EXPECT_THROW(Generator{&invalid}, openapi::NodeError);

    // A candidate beyond the length limit is abandoned, not built.
    RegexGenerator huge(R"(^(?:a{60000}){2}$)");
    RNG rng(1);
    EXPECT_FALSE(huge.candidate(rng, 8));
}

TEST(RegexGeneratorTest, LengthBoundsOnAPatternAreMet) {
    openapi::Schema schema(nullptr);
    schema.addType(openapi::SchemaType::string);
    schema.setPattern("^[a-z]+$");
    schema.setMinLength(20);
    schema.setMaxLength(24);
    for (std::uint64_t seed = 1; seed <= 50; ++seed) {
        Generator generator(&schema, seed * 7919);
        const std::size_t length = generator.generate()->stringValue().size();
        EXPECT_GE(length, 20u);
        EXPECT_LE(length, 24u);
    }
}

}  // namespace
}  // namespace zephalon::jv_generator
