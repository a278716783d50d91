#include "zephalon/foundation/strings.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <string>

namespace zephalon {
namespace {

template <typename Exception, typename Fn>
std::string errorOf(Fn fn) {
    try {
        fn();
    } catch (const Exception& e) {
        return e.what();
    }
    return "<no error>";
}

TEST(Strings, Utf8LengthCountsCodePointsAndEachStrayByte) {
    EXPECT_EQ(utf8Length(""), 0u);
    EXPECT_EQ(utf8Length("abc"), 3u);
    EXPECT_EQ(utf8Length("\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80"), 3u);  // 2-, 3- and 4-byte sequences
    EXPECT_EQ(utf8Length("a\xff"
                         "b"),
              3u);
    EXPECT_EQ(utf8Length("\xe2\x82"), 2u);            // truncated sequence at the end
    EXPECT_EQ(utf8Length("\xc3(\xc3\xa9"), 3u);       // stray lead byte, then valid text
    EXPECT_EQ(utf8Length("\xed\xa0\x80"), 3u);        // encoded surrogate
    EXPECT_EQ(utf8Length(std::string(3, '\0')), 3u);  // NUL is a code point too
    // Long ASCII runs are counted a word at a time: non-ASCII text before, across and after a word's end.
    EXPECT_EQ(utf8Length("abcdefghijklmnop"), 16u);
    EXPECT_EQ(utf8Length("abcdefg\xc3\xa9xyz"), 11u);
    EXPECT_EQ(utf8Length("abcdefgh\xc3\xa9"), 9u);
    EXPECT_EQ(utf8Length("abcdefghijklmnop\xff"), 17u);
}

TEST(Strings, ToValidUtf8ReplacesEachStrayByteAsUtf8LengthCountsIt) {
    EXPECT_EQ(toValidUtf8("abc\xc3\xa9\xf0\x9f\x98\x80"), "abc\xc3\xa9\xf0\x9f\x98\x80");
    EXPECT_EQ(toValidUtf8("/tmp/sp ace\xff.json"), "/tmp/sp ace\xef\xbf\xbd.json");
    for (const std::string_view text : {"\xe2\x82", "\xc3(\xc3\xa9", "\xed\xa0\x80", "a\xff\xfe\xfd", ""}) {
        const std::string valid = toValidUtf8(text);
        EXPECT_EQ(utf8Length(valid), utf8Length(text)) << text;
        EXPECT_EQ(toValidUtf8(valid), valid) << text;
    }
}

TEST(Strings, CaseAndComparison) {
    EXPECT_EQ(asciiToUpper("abc-\xc3\xa9z"), "ABC-\xc3\xa9Z");
    EXPECT_EQ(asciiToLower("ABC-\xc3\x89Z"), "abc-\xc3\x89z");
    EXPECT_TRUE(asciiCompareNoCase("Content-Type", "content-TYPE"));
    EXPECT_TRUE(asciiCompareNoCase(std::string("X"), std::string("x")));
    EXPECT_FALSE(asciiCompareNoCase("abc", "abcd"));
    EXPECT_FALSE(asciiCompareNoCase("[", "{"));  // differ by 0x20 but are not letters
    EXPECT_TRUE(asciiCompareNoCase("", static_cast<const char*>(nullptr)));
    EXPECT_TRUE(startsWith("openapi: 3.1", "openapi"));
    EXPECT_FALSE(startsWith("open", "openapi"));
    EXPECT_TRUE(endsWith("doc.yaml", std::string(".yaml")));
    EXPECT_FALSE(endsWith("yaml", ".yaml"));
    EXPECT_TRUE(endsWith("x", static_cast<const char*>(nullptr)));
}

TEST(Strings, ReplaceDoesNotRescanInsertedText) {
    std::string text = "aaa";
    replace(text, "a", "aa");
    EXPECT_EQ(text, "aaaaaa");
    text = "abab";
    replace(text, "aba", "X");
    EXPECT_EQ(text, "Xb");
    text = "unchanged";
    replace(text, "", "X");
    EXPECT_EQ(text, "unchanged");
    replace(text, "n", "");
    EXPECT_EQ(text, "uchaged");
    text = "a/b\\c";
    replaceAnyOf(text, "/\\", "::");
    EXPECT_EQ(text, "a::b::c");
}

TEST(Strings, TrimmingAndClassification) {
    EXPECT_EQ(trim(" \t\n\v\f\rx y\r\n"), "x y");
    EXPECT_EQ(trimLeft("  x  "), "x  ");
    EXPECT_EQ(trimRight("  x  "), "  x");
    EXPECT_EQ(trim("\xa0x\xa0"), "\xa0x\xa0");  // high bytes are not spaces and must not crash isspace
    EXPECT_EQ(trim("   "), "");
    EXPECT_TRUE(isBlank(""));
    EXPECT_TRUE(isBlank(" \n\t"));
    EXPECT_FALSE(isBlank(" x "));
    EXPECT_TRUE(isIdentifier("_a1"));
    EXPECT_TRUE(isIdentifier("Pet"));
    EXPECT_FALSE(isIdentifier(""));
    EXPECT_FALSE(isIdentifier("1a"));
    EXPECT_FALSE(isIdentifier("a-b"));
    EXPECT_FALSE(isIdentifier("caf\xc3\xa9"));
}

TEST(Strings, NumberConversionsMustConsumeEverything) {
    EXPECT_EQ(toInt("-42"), -42);
    EXPECT_EQ(toInt(" +7"), 7);
    EXPECT_EQ(toInt("9223372036854775807"), std::numeric_limits<long>::max());
    EXPECT_EQ(toUInt("18446744073709551615"), std::numeric_limits<unsigned long>::max());
    EXPECT_EQ(toUInt("-0"), 0u);
    EXPECT_DOUBLE_EQ(toDouble("1.5e3"), 1500.0);
    EXPECT_GT(toDouble("1e-320"), 0.0);  // subnormal, not an error

    for (const char* bad : {"", "12a", "1 ", "0x10", "abc", " "}) {
        EXPECT_EQ(errorOf<std::invalid_argument>([&] { (void)toInt(bad); }), "strtol: whole string is not converted")
            << bad;
        EXPECT_EQ(errorOf<std::invalid_argument>([&] { (void)toUInt(bad); }), "strtoul: whole string is not converted")
            << bad;
    }
    EXPECT_EQ(errorOf<std::invalid_argument>([&] {
                  (void)toInt(
                      std::string("1\0"
                                  "2",
                                  3));
              }),
              "strtol: whole string is not converted");
    EXPECT_EQ(errorOf<std::invalid_argument>([&] { (void)toDouble("1.5x"); }), "strtod: whole string is not converted");
    EXPECT_EQ(errorOf<std::invalid_argument>([&] { (void)toDouble(""); }), "strtod: whole string is not converted");

    EXPECT_THROW((void)toInt("9223372036854775808"), std::out_of_range);
    EXPECT_THROW((void)toInt("-9223372036854775809"), std::out_of_range);
    EXPECT_THROW((void)toUInt("18446744073709551616"), std::out_of_range);
    // strtoul would wrap these around to huge positive values.
    EXPECT_THROW((void)toUInt("-1"), std::out_of_range);
    EXPECT_THROW((void)toUInt(" -18446744073709551615"), std::out_of_range);
    EXPECT_THROW((void)toDouble("1e400"), std::out_of_range);
    EXPECT_THROW((void)toDouble("-1e400"), std::out_of_range);
}

TEST(Strings, Literals) {
    EXPECT_EQ(toJsonLiteral("a\"b\\c\b\t\n\f\r'"), R"("a\"b\\c\b\t\n\f\r'")");
    EXPECT_EQ(toJavaScriptLiteral("it's \"x\"\n"), R"('it\'s "x"\n')");
    EXPECT_EQ(toJsonLiteral(std::string("\x01\x1f\0", 3)), R"("\u0001\u001f\u0000")");
    EXPECT_EQ(toJsonLiteral("\xc3\xa9\x7f"), "\"\xc3\xa9\x7f\"");
    EXPECT_EQ(toJsonLiteral(""), "\"\"");
    EXPECT_EQ(toAstroText("<a href=\"x\">{a & b}</a>"), "&lt;a href=&quot;x&quot;&gt;&lcub;a &amp; b&rcub;&lt;/a&gt;");
    EXPECT_EQ(toAstroText("&amp;"), "&amp;amp;");  // already-escaped text is escaped again, not trusted
    EXPECT_EQ(toAstroAttribute("say \"{hi}\"\n"), "\"say &quot;&lcub;hi&rcub;&quot;\\n\"");
}

TEST(Strings, UrlEncodingRoundTripsEveryByte) {
    EXPECT_EQ(urlEncode("a b/c"), "a%20b%2Fc");
    EXPECT_EQ(urlEncode("AZaz09-._~"), "AZaz09-._~");
    EXPECT_EQ(urlEncode("\xc3\xa9+"), "%C3%A9%2B");
    std::string all;
    for (int i = 0; i < 256; ++i) {
        all += static_cast<char>(i);
    }
    const std::string encoded = urlEncode(all);
    EXPECT_EQ(encoded.size(), 66 + (256 - 66) * 3u);
    EXPECT_EQ(urlDecode(encoded), all);

    EXPECT_EQ(urlDecode("100%"), "100%");
    EXPECT_EQ(urlDecode("%4"), "%4");
    EXPECT_EQ(urlDecode("%zz%41"), "%zzA");
    EXPECT_EQ(urlDecode("%%41"), "%A");
    EXPECT_EQ(urlDecode("%c3%A9"), "\xc3\xa9");
    EXPECT_EQ(urlDecode("a+b"), "a+b");  // "+" is not a space outside form encoding
    EXPECT_EQ(urlDecode("%00"), std::string(1, '\0'));
}

TEST(Strings, TrimLinesRemovesSharedIndentationAndBlankEdges) {
    EXPECT_EQ(trimLines("\n    first\n      second  \n\n    third\n  \n"), "first\n  second\n\nthird");
    EXPECT_EQ(trimLines("no indent\n  more"), "no indent\n  more");
    EXPECT_EQ(trimLines("\t\tx\n\t y"), "\tx\n y");  // a tab never pairs with a space
    EXPECT_EQ(trimLines("  \r\n  a\r\n  b\r\n"), "a\nb");
    EXPECT_EQ(trimLines(""), "");
    EXPECT_EQ(trimLines(" \n\t\n"), "");
}

TEST(Strings, IndentLinesLeavesEmptyLinesAlone) {
    EXPECT_EQ(indentLines("a\n\nb\n", 2), "  a\n\n  b\n");
    EXPECT_EQ(indentLines("a", 4), "    a");
    EXPECT_EQ(indentLines("", 4), "");
    EXPECT_EQ(indentLines("a\nb", 0), "a\nb");
    EXPECT_EQ(trimLines(indentLines("x\n  y\n", 6)), "x\n  y");
}

}  // namespace
}  // namespace zephalon
