#include "zephalon/foundation/uri.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace zephalon {
namespace {

TEST(Uri, ComponentsDistinguishAbsentFromEmpty) {
    Uri uri = Uri::parse("https://user:pw@Example.COM:8443/a/b?x=1#frag");
    EXPECT_TRUE(uri.isAbsolute());
    EXPECT_EQ(uri.scheme(), "https");
    EXPECT_EQ(uri.authority(), "user:pw@Example.COM:8443");
    EXPECT_EQ(uri.userInfo(), "user:pw");
    EXPECT_EQ(uri.host(), "Example.COM");
    EXPECT_EQ(uri.port(), "8443");
    EXPECT_EQ(uri.path(), "/a/b");
    EXPECT_EQ(uri.query(), "x=1");
    EXPECT_EQ(uri.fragment(), "frag");
    EXPECT_EQ(uri.toString(), "https://user:pw@Example.COM:8443/a/b?x=1#frag");

    Uri empties = Uri::parse("http://h?#");
    EXPECT_EQ(empties.query(), "");
    EXPECT_EQ(empties.fragment(), "");
    Uri none = Uri::parse("http://h");
    EXPECT_FALSE(none.query().has_value());
    EXPECT_FALSE(none.fragment().has_value());
    EXPECT_FALSE(none.port().has_value());

    Uri urn = Uri::parse("urn:example:a:b");
    EXPECT_FALSE(urn.authority().has_value());
    EXPECT_EQ(urn.path(), "example:a:b");

    Uri ipv6 = Uri::parse("http://[2001:db8::7]:80/");
    EXPECT_EQ(ipv6.host(), "2001:db8::7");
    EXPECT_TRUE(ipv6.hostIsIpLiteral());
}

TEST(Uri, RelativeReferences) {
    for (std::string_view text : {"", "#f", "?q", "a/b", "../x", "//host/p", "./this:that"}) {
        auto uri = Uri::tryParse(text);
        ASSERT_TRUE(uri.has_value()) << text;
        EXPECT_FALSE(uri->isAbsolute()) << text;
        EXPECT_EQ(uri->toString(), text);
    }
    EXPECT_EQ(Uri::parse("//host/p").authority(), "host");
    EXPECT_EQ(Uri::parse("//").authority(), "");
}

TEST(Uri, RejectsMalformedTextWithOffset) {
    for (std::string_view text :
         {"http://exa mple.com", "http://example.com/a\\b", "/%zz", "1:b", "//a@b@example.com/", "http://h:abc/",
          "http://[::ffff:192.168.0.01]/", "http:/[::1]", "https://[@example.org/", "/a\"b", "/\xC3\xA9"}) {
        EXPECT_FALSE(Uri::tryParse(text).has_value()) << text;
    }
    try {
        Uri::parse("http://exa mple.com");
        FAIL() << "expected UriError";
    } catch (const UriError& e) {
        EXPECT_NE(std::string(e.what()).find("http://exa mple.com"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("offset 10"), std::string::npos) << e.what();
    }
}

// The examples of RFC 3986 section 5.4.
TEST(Uri, ResolvesTheReferenceExamples) {
    Uri base = Uri::parse("http://a/b/c/d;p?q");
    std::vector<std::pair<std::string_view, std::string_view>> cases{
        {"g:h", "g:h"},
        {"g", "http://a/b/c/g"},
        {"./g", "http://a/b/c/g"},
        {"g/", "http://a/b/c/g/"},
        {"/g", "http://a/g"},
        {"//g", "http://g"},
        {"?y", "http://a/b/c/d;p?y"},
        {"g?y", "http://a/b/c/g?y"},
        {"#s", "http://a/b/c/d;p?q#s"},
        {"g#s", "http://a/b/c/g#s"},
        {"g?y#s", "http://a/b/c/g?y#s"},
        {";x", "http://a/b/c/;x"},
        {"g;x", "http://a/b/c/g;x"},
        {"g;x?y#s", "http://a/b/c/g;x?y#s"},
        {"", "http://a/b/c/d;p?q"},
        {".", "http://a/b/c/"},
        {"./", "http://a/b/c/"},
        {"..", "http://a/b/"},
        {"../", "http://a/b/"},
        {"../g", "http://a/b/g"},
        {"../..", "http://a/"},
        {"../../", "http://a/"},
        {"../../g", "http://a/g"},
        // Abnormal examples (section 5.4.2).
        {"../../../g", "http://a/g"},
        {"../../../../g", "http://a/g"},
        {"/./g", "http://a/g"},
        {"/../g", "http://a/g"},
        {"g.", "http://a/b/c/g."},
        {".g", "http://a/b/c/.g"},
        {"g..", "http://a/b/c/g.."},
        {"..g", "http://a/b/c/..g"},
        {"./../g", "http://a/b/g"},
        {"./g/.", "http://a/b/c/g/"},
        {"g/./h", "http://a/b/c/g/h"},
        {"g/../h", "http://a/b/c/h"},
        {"g;x=1/./y", "http://a/b/c/g;x=1/y"},
        {"g;x=1/../y", "http://a/b/c/y"},
        {"g?y/./x", "http://a/b/c/g?y/./x"},
        {"g?y/../x", "http://a/b/c/g?y/../x"},
        {"g#s/./x", "http://a/b/c/g#s/./x"},
        {"g#s/../x", "http://a/b/c/g#s/../x"},
        {"http:g", "http:g"},
    };
    for (const auto& [reference, expected] : cases) {
        EXPECT_EQ(base.resolve(reference).toString(), expected) << reference;
    }
}

TEST(Uri, ResolutionEdgeCases) {
    // The base's fragment never leaks into the result.
    EXPECT_EQ(Uri::parse("https://x/a/b#top").resolve("c").toString(), "https://x/a/c");
    EXPECT_EQ(Uri::parse("https://x/a/b#top").resolve("").toString(), "https://x/a/b");
    // A base with an authority and an empty path merges as if the path were "/".
    EXPECT_EQ(Uri::parse("https://x").resolve("c").toString(), "https://x/c");
    // Schema identifiers are often URNs.
    EXPECT_EQ(Uri::parse("urn:example:root").resolve("#/definitions/a").toString(), "urn:example:root#/definitions/a");
    // A relative base gives a relative result; excess ".." segments are dropped as for absolute bases, and a first
    // segment that would read as a scheme is kept a path.
    EXPECT_EQ(Uri::parse("a/b").resolve("c").toString(), "a/c");
    EXPECT_EQ(Uri::parse("a/b").resolve("../../x").toString(), "x");
    EXPECT_EQ(Uri::parse("a/b").resolve("../c:d").toString(), "./c:d");
    EXPECT_EQ(Uri::parse("/a/b?q").resolve("?r#f").toString(), "/a/b?r#f");
    EXPECT_EQ(Uri::parse("//h/a/b").resolve("../x").toString(), "//h/x");
    EXPECT_EQ(Uri::parse("").resolve("x").toString(), "x");
    EXPECT_EQ(Uri::parse("a/b").resolve("urn:x:y").toString(), "urn:x:y");
    EXPECT_THROW(Uri::parse("http://x/").resolve("http://exa mple/"), UriError);
}

TEST(Uri, NormalizationGivesOneSpellingPerUri) {
    EXPECT_EQ(Uri::parse("HTTP://Example.COM/a/./b/../c/%7euser/%3f?%5a#%4a").normalized().toString(),
              "http://example.com/a/c/~user/%3F?Z#J");
    // Equal after normalisation, different before.
    Uri a = Uri::parse("http://h/%7Ex");
    Uri b = Uri::parse("http://h/~x");
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(a.normalized() == b.normalized());
}

TEST(Uri, FragmentSplitAndReplace) {
    Uri uri = Uri::parse("https://x/s.json#/definitions/a");
    EXPECT_EQ(uri.withoutFragment().toString(), "https://x/s.json");
    EXPECT_FALSE(uri.withoutFragment().fragment().has_value());
    EXPECT_EQ(uri.withFragment("/b").toString(), "https://x/s.json#/b");
    EXPECT_EQ(uri.withFragment(std::nullopt).toString(), "https://x/s.json");
    EXPECT_EQ(Uri::parse("https://x/s.json#").withoutFragment().toString(), "https://x/s.json");
    // A fragment that needs escaping is not silently accepted.
    EXPECT_THROW(uri.withFragment("a b"), UriError);
}

TEST(Uri, LenientParsingEncodesWhatAUriCannotHold) {
    EXPECT_EQ(Uri::parseLenient("./My Pet.yaml#/a b").toString(), "./My%20Pet.yaml#/a%20b");
    EXPECT_EQ(Uri::parseLenient("#/components/schemas/Gr\xC3\xB6\xC3\x9F"
                                "e")
                  .toString(),
              "#/components/schemas/Gr%C3%B6%C3%9Fe");
    EXPECT_EQ(Uri::parseLenient("a%zz%41#x#y{\"|}").toString(), "a%25zz%41#x%23y%7B%22%7C%7D");
    // Already valid text is left alone, escapes included.
    EXPECT_EQ(Uri::parseLenient("https://x/a%20b?q=1#f").toString(), "https://x/a%20b?q=1#f");
    // The decoded fragment gives the original characters back.
    EXPECT_EQ(percentDecode(*Uri::parseLenient("#/a b/\xC3\xA9").fragment()), "/a b/\xC3\xA9");
    // Structural errors are still errors.
    EXPECT_THROW(Uri::parseLenient("1:b"), UriError);
    EXPECT_THROW(Uri::parseLenient("http://[::1/"), UriError);
}

TEST(Uri, PercentDecodeKeepsMalformedEscapes) {
    EXPECT_EQ(percentDecode("a%20b%2Fc"), "a b/c");
    EXPECT_EQ(percentDecode("%zz%4"), "%zz%4");
    EXPECT_EQ(percentDecode("%C3%A9"), "\xC3\xA9");
    EXPECT_EQ(percentDecode("100%"), "100%");
}

}  // namespace
}  // namespace zephalon
