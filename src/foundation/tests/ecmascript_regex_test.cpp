#include "zephalon/foundation/ecmascript_regex.h"

#include <gtest/gtest.h>

#include <string>

namespace zephalon {
namespace {

bool searches(std::string_view pattern, std::string_view subject) {
    return createEcmaScriptRegex(pattern).search(subject);
}

TEST(EcmaScriptRegex, ClassEscapesHaveEcmaScriptMeaning) {
    // \d and \w are ASCII only.
    EXPECT_TRUE(searches(R"(^\d+$)", "42"));
    EXPECT_FALSE(searches(R"(^\d+$)", "\xE0\xA7\xAA\xE0\xA7\xA8"));  // Bengali digits
    EXPECT_FALSE(searches(R"(^\w$)", "\xC3\xA9"));
    EXPECT_TRUE(searches(R"(^\W$)", "\xC3\xA9"));
    EXPECT_TRUE(searches(R"(^\D$)", "\xDF\x80"));  // NKO digit zero
    // \s covers Unicode spaces and line terminators, \S is its exact complement.
    for (std::string_view space :
         {" ", "\t", "\v", "\f", "\n", "\xC2\xA0", "\xEF\xBB\xBF", "\xE2\x80\xA9", "\xE2\x80\x83", "\xE3\x80\x80"}) {
        EXPECT_TRUE(searches(R"(^\s$)", space)) << space;
        EXPECT_FALSE(searches(R"(^\S$)", space)) << space;
        EXPECT_FALSE(searches(R"(^[a\S]$)", space)) << space;
        EXPECT_TRUE(searches(R"(^[^a\S]$)", space)) << space;
    }
    for (std::string_view other : {"\x01", "\xE2\x80\x93", "a"}) {
        EXPECT_FALSE(searches(R"(^\s$)", other)) << other;
        EXPECT_TRUE(searches(R"(^\S$)", other)) << other;
    }
    // A class mixing members with a complemented escape.
    EXPECT_TRUE(searches(R"(^[\sx]+$)", "x \xC2\xA0x"));
    EXPECT_FALSE(searches(R"(^[^a\S]$)", "a"));
    EXPECT_FALSE(searches(R"(^[^a\S]$)", "b"));
}

TEST(EcmaScriptRegex, AnchorsDotAndEmptyClasses) {
    // "$" does not match before a trailing newline.
    EXPECT_TRUE(searches("^abc$", "abc"));
    EXPECT_FALSE(searches("^abc$", "abc\n"));
    // "." stops at every line terminator, also U+2028.
    EXPECT_TRUE(searches("^a.c$",
                         "a\xC3\xA9"
                         "c"));
    EXPECT_FALSE(searches("^a.c$", "a\nc"));
    EXPECT_FALSE(searches("^a.c$", "a\rc"));
    EXPECT_FALSE(searches("^a.c$",
                          "a\xE2\x80\xA8"
                          "c"));
    // "[]" never matches, "[^]" matches anything, newlines included.
    EXPECT_FALSE(searches("a[]", "a"));
    EXPECT_TRUE(searches("^a[^]c$", "a\nc"));
    // Non-BMP characters are single characters.
    EXPECT_TRUE(searches("^\xF0\x9F\x90\xB2*$", "\xF0\x9F\x90\xB2\xF0\x9F\x90\xB2"));
    EXPECT_FALSE(searches("^\xF0\x9F\x90\xB2*$", "\xF0\x9F\x90\x89"));
    EXPECT_TRUE(searches("^.$", "\xF0\x9F\x90\xB2"));
}

TEST(EcmaScriptRegex, EscapesTranslateToTheSameCharacters) {
    EXPECT_TRUE(searches(R"(^\cC$)", "\x03"));
    EXPECT_TRUE(searches(R"(^\cc$)", "\x03"));
    EXPECT_FALSE(searches(R"(^\cC$)", "\\cC"));
    EXPECT_TRUE(searches(R"(^\t$)", "\t"));
    EXPECT_FALSE(searches(R"(^\t$)", "\\t"));
    EXPECT_TRUE(searches(R"(^\u00e9\x41\0$)", std::string_view("\xC3\xA9"
                                                               "A\0",
                                                               4)));
    EXPECT_TRUE(searches(R"(^\u{1F432}$)", "\xF0\x9F\x90\xB2"));
    EXPECT_TRUE(searches(R"(^\uD83D\uDC32$)", "\xF0\x9F\x90\xB2"));
    EXPECT_TRUE(searches(R"(^\/\.\-\@$)", "/.-@"));
    EXPECT_TRUE(searches(R"(^[\b]$)", "\b"));
    // Literal punctuation that PCRE2 would read as syntax.
    EXPECT_TRUE(searches(R"(^[[:alpha:]]$)", "[]"));
    EXPECT_TRUE(searches(R"(^a{,2}$)", "a{,2}"));
    EXPECT_TRUE(searches("^#x $", "#x "));
    // A backreference followed by a digit stays a backreference.
    EXPECT_TRUE(searches(R"(^(a)\1\x30$)", "aa0"));
    EXPECT_TRUE(searches(R"(^(?<n>a)\k<n>$)", "aa"));
    EXPECT_TRUE(searches(R"((?<=a)b)", "ab"));
    EXPECT_TRUE(searches(R"(^[\w-.]+$)", "a-b.c"));
}

TEST(EcmaScriptRegex, PropertyEscapesAcceptLongNames) {
    EXPECT_TRUE(searches(R"(\p{Letter}cole)",
                         "l'\xC3\xA9"
                         "cole"));
    EXPECT_FALSE(searches(R"(\p{Letter}cole)",
                          "L'\xC3\x89"
                          "COLE"));
    EXPECT_TRUE(searches(R"(^\p{digit}+$)", "\xE0\xA7\xAA\xE0\xA7\xA8"));
    EXPECT_FALSE(searches(R"(^\p{digit}+$)", "-%#"));
    EXPECT_TRUE(searches(R"(^\p{Lu}\p{Lowercase_Letter}$)", "Ab"));
    EXPECT_TRUE(searches(R"(^\p{General_Category=Decimal_Number}$)", "7"));
    EXPECT_TRUE(searches(R"(^\p{Script=Greek}+$)", "\xCE\xB1\xCE\xB2"));
    EXPECT_TRUE(searches(R"(^\P{sc=Greek}$)", "a"));
    EXPECT_TRUE(searches(R"(^[\p{L}\d]+$)", "a1\xC3\xA9"));
    EXPECT_TRUE(searches(R"(^\p{Assigned}$)", "a"));
    EXPECT_THROW(createEcmaScriptRegex(R"(\p{NoSuchProperty})"), RegexError);
    EXPECT_THROW(createEcmaScriptRegex(R"(\p{gc=Nope})"), RegexError);
    // Without the u flag \p is just "p".
    EXPECT_TRUE(createEcmaScriptRegex(R"(^\p{2}$)", {.unicode = false}).search("pp"));
}

TEST(EcmaScriptRegex, RejectsWhatEcmaScriptRejects) {
    for (std::string_view bad : {R"(\a)",
                                 "(?P<name>x)",
                                 "(?P<n>a)(?P=n)",
                                 "(?#comment)a",
                                 "(?i)abc",
                                 "(?ims)abc",
                                 "(?>a)",
                                 "a++",
                                 "a**",
                                 "a{2}{3}",
                                 "*a",
                                 "a|*",
                                 "^*",
                                 "(?=a)*",
                                 "(?<=a)+",
                                 "(abc",
                                 "abc)",
                                 "[abc",
                                 "[z-a]",
                                 "a{3,2}",
                                 R"(\)",
                                 R"(\2(a))",
                                 R"((a)\10)",
                                 R"(\k<x>(?<n>a))",
                                 R"(\u{110000})",
                                 R"(\ud800)",
                                 R"(\cx\c1)",
                                 R"(\A)",
                                 R"(\z)",
                                 R"(\Q)",
                                 "(?<n>a)(?<n>b)",
                                 "(?<1a>x)",
                                 "\xC3"}) {
        EXPECT_FALSE(isValidEcmaScriptRegex(bad)) << bad;
        EXPECT_THROW(createEcmaScriptRegex(bad), RegexError) << bad;
    }
    try {
        createEcmaScriptRegex("ab(c");
        FAIL() << "expected RegexError";
    } catch (const RegexError& e) {
        EXPECT_NE(std::string(e.what()).find("'ab(c'"), std::string::npos) << e.what();
    }
}

TEST(EcmaScriptRegex, ValidityIncludesUnboundedLookbehind) {
    for (std::string_view good : {"([abc])+\\s+$", "(?<name>x)", "(?<n>a)\\k<n>", "[]", "[^]", "\\cA", "(?<=a+)b",
                                  "a{2,}?", "(?:a|b)*?c", "(?!x)y", "\\b\\B", "x{2,3}", "^$", ""}) {
        EXPECT_TRUE(isValidEcmaScriptRegex(good)) << good;
    }
    // Valid ECMAScript, but PCRE2 cannot run it: refused with a clear error
    // rather than silently matching something else.
    EXPECT_THROW(createEcmaScriptRegex("(?<=a+)b"), RegexError);
}

TEST(EcmaScriptRegex, IgnoreCaseAndLegacyMode) {
    EXPECT_TRUE(createEcmaScriptRegex("^abc$", {.ignoreCase = true}).search("ABC"));
    EXPECT_FALSE(createEcmaScriptRegex("^abc$").search("ABC"));
    EcmaScriptRegexOptions legacy{.unicode = false};
    // Annex B: identity escapes of letters, octal escapes, "\c" without a letter.
    EXPECT_TRUE(createEcmaScriptRegex(R"(^\a\101\c1$)", legacy).search("aA\\c1"));
    EXPECT_TRUE(createEcmaScriptRegex(R"(^\u{2}$)", legacy).search("uu"));
}

TEST(EcmaScriptRegex, PathologicalPatternsEndQuickly) {
    auto re = createEcmaScriptRegex("^(a+)+$");
    std::string subject(40, 'a');
    subject.push_back('!');
    EXPECT_EQ(re.searchOutcome(subject), Regex::Outcome::LimitExceeded);
}

}  // namespace
}  // namespace zephalon
