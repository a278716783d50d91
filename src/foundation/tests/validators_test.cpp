#include "zephalon/foundation/validators.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "zephalon/foundation/base64.h"
#include "zephalon/foundation/ecmascript_regex.h"
#include "zephalon/foundation/uri.h"
#include "zephalon/foundation/uri_template.h"

namespace zephalon {
namespace {

using Check = std::function<bool(std::string_view)>;

void expectAll(const Check& check, std::initializer_list<std::string_view> texts, bool expected) {
    for (std::string_view text : texts) {
        EXPECT_EQ(check(text), expected) << '"' << text << '"';
    }
}

// isValidDateTime is overloaded; this is the one-argument form.
const Check dateTime = [](std::string_view text) { return isValidDateTime(text); };

TEST(Validators, CalendarArithmetic) {
    EXPECT_TRUE(isLeapYear(2020));
    EXPECT_TRUE(isLeapYear(2000));
    EXPECT_TRUE(isLeapYear(400));
    EXPECT_FALSE(isLeapYear(1900));
    EXPECT_FALSE(isLeapYear(2021));
    EXPECT_EQ(daysInMonth(2020, 2), 29);
    EXPECT_EQ(daysInMonth(2100, 2), 28);
    EXPECT_EQ(daysInMonth(2021, 4), 30);
    EXPECT_EQ(daysInMonth(2021, 12), 31);
    EXPECT_EQ(daysInMonth(2021, 0), 0);
    EXPECT_EQ(daysInMonth(2021, 13), 0);
}

TEST(Validators, Dates) {
    expectAll(isValidDate, {"2020-02-29", "0400-02-29", "0001-01-01", "2021-12-31", "1582-10-10"}, true);
    expectAll(isValidDate, {"2020-02-30",  "2021-02-29",      "2100-02-29",
                            "2020-04-31",  "2020-00-10",      "2020-13-01",
                            "2020-01-00",  "2020-01-32",      "20-01-01",
                            "12020-01-01", "+2020-01-01",     "2020-1-01",
                            "2020-01-1",   "2020/01/01",      "2020-01-01T00:00:00Z",
                            "2020-01-01 ", " 2020-01-01",     "",
                            "2020-01-0:",  "\u09E8020-01-01", std::string_view("2020-01-01\0", 11)},
              false);
}

TEST(Validators, Times) {
    expectAll(isValidTime,
              {"08:30:06Z", "08:30:06z", "23:20:50.52Z", "12:34:56-00:00", "08:30:06+00:20", "00:00:00.000000001Z"},
              true);
    expectAll(isValidTime,
              {"12:00:00", "12:00:00.52", "24:00:00Z", "00:60:00Z", "00:00:61Z", "01:02:03+24:00", "01:02:03+00:60",
               "01:02:03Z+00:30", "08:30:06 PST", "01:01:01,1111", "8:3:6Z", "08:30:06.Z", "08:30:06+01",
               "08:30:06-8:00", "2020-11-28T23:55:45Z"},
              false);
}

TEST(Validators, LeapSecondsAreUtcAndDateBound) {
    // A time alone only needs 23:59 UTC.
    expectAll(isValidTime,
              {"23:59:60Z", "23:59:60+00:00", "01:29:60+01:30", "15:59:60-08:00", "00:29:60-23:30", "23:29:60+23:30"},
              true);
    expectAll(isValidTime, {"22:59:60Z", "23:58:60Z", "23:59:60+01:00", "23:59:60-00:30"}, false);
    // A date-time must also fall on a day that had a leap second.
    expectAll(dateTime,
              {"2016-12-31T23:59:60Z", "1998-12-31T15:59:60.123-08:00", "1972-06-30T23:59:60Z", "2015-06-30T23:59:60z",
               // The UTC date decides, not the local one.
               "2017-01-01T00:59:60+01:00", "1998-12-31T22:59:60-01:00"},
              true);
    expectAll(dateTime,
              {"2017-12-31T23:59:60Z", "2016-12-30T23:59:60Z", "1998-12-31T23:58:60Z", "2016-12-31T23:59:60+01:00",
               "2016-12-31T24:59:60+01:00", "2017-01-01T00:59:60+00:00"},
              false);
}

TEST(Validators, DateTimes) {
    expectAll(dateTime, {"1963-06-19T08:30:06.283185Z", "1963-06-19t08:30:06z", "1937-01-01T12:00:27.87+00:20"}, true);
    expectAll(dateTime,
              {"1990-02-31T15:59:59.123-08:00", "1990-12-31T15:59:59-24:00", "1963-06-19T08:30:06.28123+01:00Z",
               "1963-06-19 08:30:06Z", "2013-350T01:01:01", "1985-04-12T23:20:50Z\n", "1963-06-19", "08:30:06Z"},
              false);
    EXPECT_TRUE(isValidDateTime("2020-01-01", DateTimeKind::Date));
    EXPECT_FALSE(isValidDateTime("2020-01-01", DateTimeKind::DateTime));
}

TEST(Validators, Durations) {
    expectAll(isValidDuration,
              {"P1W", "P1Y2M", "P4DT12H30M5S", "PT0S", "P0D", "PT36H", "P1Y2M3DT4H5M6S", "PT1M2S", "P01D",
               // Components may be skipped: the duration grammar here is ISO 8601's, not RFC 3339's stricter one.
               "P1Y2D", "PT1H2S", "P99999999999999999999999999D"},
              true);
    expectAll(isValidDuration,
              {"P",      "PT",    "P1DT",        "P1YT",    "PT1D",   "P2D1Y",  "P1D2H", "P2S",   "P1Y2W",
               "P1WT1H", "P0Y1W", "P1",          "PT0.5S",  "PT0,5S", "-P1D",   "P-1D",  "P1e2D", " P1D",
               "P1D ",   "",      "4DT12H30M5S", "P1D2T3H", "P1YY",   "PT1H1H", "P1W2W"},
              false);
}

TEST(Validators, Hostnames) {
    expectAll(
        isValidHostname,
        {"www.example.com", "hostname", "1host", "hostnam3", "a--b.com", "ab--cd.example", "xn--nw2a",
         "xn--9n2bp8q.xn--9t4b11yi5a", "XN--9N2BP8Q.xn--9t4b11yi5a", std::string(63, 'a') + ".com",
         std::string(63, 'a') + "." + std::string(63, 'b') + "." + std::string(63, 'c') + "." + std::string(61, 'd')},
        true);
    expectAll(
        isValidHostname,
        {"", ".", ".example", "example.", "a..b", "-hostname", "hostname-", "host_name", "example.com\n",
         "\u212Aelvin.example.com", "example\uFF0Ecom", std::string(64, 'a') + ".com",
         std::string(63, 'a') + "." + std::string(63, 'b') + "." + std::string(63, 'c') + "." + std::string(62, 'd'),
         // Punycode labels must decode to a valid, canonically encoded Unicode label.
         "xn--X", "xn--example-", "xn---9uc", "xn--07jt112bpxg.xn--9t4b11yi5a", "XN--aa---o47jg78q"},
        false);
}

TEST(Validators, InternationalisedHostnames) {
    expectAll(isValidIdnHostname,
              {"\xEC\x8B\xA4\xEB\xA1\x80.\xED\x85\x8C\xEC\x8A\xA4\xED\x8A\xB8", "hostname", "1host", "a\u3002b",
               "a\uFF0Eb", "l\xC2\xB7l", "\xD7\x90\xD7\xB3\xD7\x91", "xn--ihqwcrb4cv8a8dqg056pqjye",
               "\xE0\xA4\x95\xE0\xA5\x8D\xE2\x80\x8D\xE0\xA4\xB7"},
              true);
    expectAll(isValidIdnHostname,
              {"", ".", "\xE3\x80\x82", "example\xE3\x80\x82", "-hello", "hello-",
               "\xCC\x80hello",                         // begins with a combining mark
               "a\xC2\xB7l",                            // middle dot without "l" before it
               "\xE3\x80\xB1\xE3\x80\xB2",              // disallowed code points
               "A\xD7\xB3\xD7\x91",                     // geresh after a non-Hebrew letter
               "\xE0\xA4\x95\xE2\x80\x8D\xE0\xA4\xB7",  // zero width joiner without virama
               "a\xD7\x90",                             // right-to-left letter in a left-to-right label
               "0a.\xD7\x90",                           // bidi domain with a digit-first label
               "\xD8\xA8\xD9\xA0\xDB\xB0",              // Arabic-Indic digits of both kinds
               "\xFF", "xn--X"},
              false);
}

TEST(Validators, IpAddresses) {
    expectAll(isValidIPv4, {"1.2.3.4", "0.0.0.0", "255.255.255.255", "192.168.0.1"}, true);
    expectAll(isValidIPv4,
              {"01.2.3.4", "256.1.1.1", "1.2.3", "1.2.3.4.5", "1.2.3.4.", ".1.2.3.4", "1..2.3", "0x7f.0.0.1",
               "1.2.3.4 ", "1.2.3.04", "1.2.3.1000", "", "+1.2.3.4", "127.1", "2130706433", "1.2.3.4/24"},
              false);
    expectAll(isValidIPv6,
              {"::", "::1", "1:2:3:4:5:6:7:8", "1::8", "d6::", "1:d6::42", "::ffff:192.168.0.1", "1:2::192.168.0.1",
               "1000:1000:1000:1000:1000:1000:255.255.255.255", "1:2:3:4:5:6:7::", "::2:3:4:5:6:7:8", "ABCD:ef::1"},
              true);
    expectAll(isValidIPv6,
              {"",
               "1",
               ":",
               ":::",
               "1:2:3:4:5:6:7",
               "1:2:3:4:5:6:7:8:9",
               "1::2::3",
               ":2:3:4:5:6:7:8",
               "1:2:3:4:5:6:7:",
               "12345::",
               "::abcef",
               "::laptop",
               "1::2:192.168.256.1",
               "::ffff:192.168.0.01",
               "1:2:3:4:1.2.3",
               "1.2.3.4",
               "1:2:3:4:5:6:7:1.2.3.4",
               "::1.2.3.4:5",
               "fe80::a%eth1",
               "fe80::/64",
               "[::1]",
               " ::1",
               "1:2:3:4:5:6:7:8::"},
              false);
}

TEST(Validators, UuidsAndPointers) {
    expectAll(isValidUuid,
              {"2eb8aa08-aa98-11ea-b4aa-73b441d16380", "2EB8AA08-AA98-11EA-B4AA-73B441D16380",
               "00000000-0000-0000-0000-000000000000", "99c17cbb-656f-f64a-940f-1a4568f03487"},
              true);
    expectAll(isValidUuid,
              {"2eb8aa08-aa98-11ea-b4aa-73b441d1638", "2eb8aa08aa9811eab4aa73b441d16380",
               "2eb8aa08-aa98-11ea-b4ga-73b441d16380", "2eb8aa0-8aa98-11e-ab4aa7-3b441d16380",
               "2eb8aa08-aa98-11ea-c4aa-73b441d16380", "urn:uuid:2eb8aa08-aa98-11ea-b4aa-73b441d16380"},
              false);

    expectAll(isValidJsonPointer, {"", "/", "/foo//bar", "/a~1b/m~0n", "/ ", "/foo/-", "/%a/\\"}, true);
    expectAll(isValidJsonPointer, {"a", "#/a", "/~", "/~2", "/~0~", "/~-1"}, false);

    expectAll(isValidRelativeJsonPointer,
              {"0", "1", "100", "0#", "1/a", "0/foo/bar", "0//", "2/0/baz/1/zip", "0+1/a", "1-1#", "3+10"}, true);
    expectAll(isValidRelativeJsonPointer,
              {"", "+1/a", "-1/a", "01/a", "01#", "00", "0##", "1#/foo", "/foo", "0/~2", "1\n", "1a", "0+", "0+01", "#",
               "\xD9\xA1/foo"},
              false);
}

TEST(Validators, UrisAndIris) {
    expectAll(isValidUri,
              {"http://foo.bar/?baz=qux#quux", "mailto:John.Doe@example.com", "urn:oasis:names:docbook",
               "ldap://[2001:db8::7]/c=GB?objectClass?one", "http://-.~_!$&'()*+,;=:%40:80%2f::::::@example.com",
               "http://087.10.0.1/", "tel:+1-816-555-1212"},
              true);
    expectAll(isValidUri,
              {"//foo.bar/", "/abc", "abc", "", "http:// shouldfail.com", "bar,baz:foo", "1http://x",
               "https://example.org/foobar\xC2\xAE.txt", "http://example.com/%6G", "http://example.com/%",
               "http://example.com:abc/", "http://[::ffff:01.2.3.4]", "https://x/a\\b", "https://x/{}"},
              false);
    expectAll(isValidUriReference, {"", "#fragment", "//foo.bar/", "/abc", "abc", "?q=1", "./this:that"}, true);
    expectAll(isValidUriReference, {"\\\\WINDOWS\\share", "#frag\\ment", "/%zz", "1:b", "/[::1]"}, false);

    expectAll(isValidIri,
              {"http://\xC6\x92\xC3\xB8\xC3\xB8.\xC3\x9F\xC3\xA5r/?\xE2\x88\x82=x#\xCF\x80", "http://[2001:db8::1]",
               "urn:example:resource", "http://x/\xF0\x90\x8C\x80"},
              true);
    expectAll(isValidIri,
              {"/\xC3\xA2", "http://2001:0db8:85a3::7334", "http://x/\n", "http://x/\xC2\x85", "http://x/\xFF",
               "http://x/\xE2\x80\x8F"},
              false);
    expectAll(isValidIriReference, {"\xC3\xA2\xCF\x80\xCF\x80", "#\xC6\x92r", "//\xC6\x92/x"}, true);
    expectAll(isValidIriReference, {"#\xC6\x92r\\", "\xC3"}, false);
}

TEST(Validators, EmailAddresses) {
    expectAll(isValidEmail,
              {"joe.bloggs@example.com", "te~st@example.com", "~test@example.com", "\"joe bloggs\"@example.com",
               "\"joe@bloggs\"@example.com", "\"a\\\"b\"@example.com", "joe@[127.0.0.1]", "joe@[IPv6:::1]",
               "a!#$%&'*+-/=?^_`{|}~@x.org", std::string(64, 'a') + "@example.com"},
              true);
    expectAll(isValidEmail,
              {"2962", "@example.com", "joe@", ".test@example.com", "test.@example.com", "te..st@example.com",
               "joe bloggs@example.com", "joe@invalid=domain.com", "joe@[127.0.0.300]", "joe@[IPv6:1::2::3]",
               "a@b@example.com", "\"unterminated@example.com", "user1@oceania.org, user2@oceania.org",
               std::string(65, 'a') + "@example.com", "\xC3\xA9@example.com"},
              false);
    expectAll(isValidIdnEmail,
              {"\xEC\x8B\xA4\xEB\xA1\x80@\xEC\x8B\xA4\xEB\xA1\x80.\xED\x85\x8C\xEC\x8A\xA4\xED\x8A\xB8",
               "\xC3\xA9@example.com", "\"\xCE\xB4\"@example.com", "user@cafe\xCC\x81.com"},
              true);
    expectAll(isValidIdnEmail,
              {"user\xEF\xBC\xA0"
               "example.com",
               "\xFF@example.com", "2962"},
              false);
}

TEST(Validators, MediaTypesLanguagesEncodings) {
    expectAll(isValidMediaType,
              {"application/json", "text/plain; charset=utf-8", "application/vnd.api+json",
               "multipart/form-data;boundary=\"a b;c\"", "text/plain ;a=b ; c=d"},
              true);
    expectAll(isValidMediaType,
              {"", "application", "application/", "/json", "text/plain;", "text/plain; charset", "text/plain; =x",
               "text/plain; a=\"unterminated", "text /plain", "text/plain/x", "te(x)t/plain"},
              false);
    expectAll(isValidLanguage, {"en", "de", "zh", "aa", "zu"}, true);
    expectAll(isValidLanguage, {"", "e", "EN", "eng", "xx", "en-US"}, false);
    expectAll(isValidEncoding, {"7bit", "8bit", "binary", "quoted-printable", "base16", "base32", "base64"}, true);
    expectAll(isValidEncoding, {"base64url", "BASE64", "", "utf-8"}, false);
}

TEST(Validators, TemplatesAndRegexes) {
    expectAll(isValidUriTemplate, {"", "http://example.com/dictionary/{term:1}/{term}", "{?x,y}", "a%41b"}, true);
    expectAll(isValidUriTemplate, {"{term", "{}", "foo}bar", "a b"}, false);
    expectAll(isValidRegex, {"([abc])+\\s+$", "(?<=a+)b", "[^]"}, true);
    expectAll(isValidRegex, {"^(abc]", "\\a", "(?i)abc"}, false);
}

// Texts built from the characters that matter to these grammars, plus invalid
// UTF-8, must never crash a check, throw from a non-throwing function or break
// a round trip.
TEST(Validators, ArbitraryTextIsHandled) {
    static const std::vector<std::string> pieces{"a",
                                                 "Z",
                                                 "0",
                                                 "9",
                                                 "-",
                                                 ".",
                                                 ":",
                                                 "/",
                                                 "?",
                                                 "#",
                                                 "[",
                                                 "]",
                                                 "@",
                                                 "%",
                                                 "%4",
                                                 "%41",
                                                 "{",
                                                 "}",
                                                 ",",
                                                 "*",
                                                 "+",
                                                 "(",
                                                 ")",
                                                 "|",
                                                 "^",
                                                 "$",
                                                 "\\",
                                                 "\\u",
                                                 "\\c",
                                                 "\\p{",
                                                 "\\k<",
                                                 "(?<",
                                                 "=",
                                                 "~",
                                                 "~0",
                                                 "\"",
                                                 " ",
                                                 "T",
                                                 "Z",
                                                 "P",
                                                 "W",
                                                 "xn--",
                                                 "::",
                                                 "\xC3\xA9",
                                                 "\xE3\x80\x82",
                                                 "\xF0\x9F\x90\xB2",
                                                 "\xFF",
                                                 "\xC3",
                                                 "\xD7\x90",
                                                 "\xE2\x80\x8C",
                                                 std::string(1, '\0')};
    const std::vector<std::function<bool(std::string_view)>> checks{isValidDate,        isValidTime,
                                                                    isValidDuration,    isValidHostname,
                                                                    isValidIdnHostname, isValidIPv4,
                                                                    isValidIPv6,        isValidUuid,
                                                                    isValidJsonPointer, isValidRelativeJsonPointer,
                                                                    isValidUri,         isValidUriReference,
                                                                    isValidIri,         isValidIriReference,
                                                                    isValidEmail,       isValidIdnEmail,
                                                                    isValidMediaType,   isValidLanguage,
                                                                    isValidEncoding,    isValidUriTemplate,
                                                                    isValidRegex,       dateTime};
    std::mt19937 random(12345);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 24);
    std::map<std::string, UriTemplate::Value, std::less<>> vars{{"a", std::string("x y")},
                                                                {"Z", std::vector<std::string>{"1", "2"}}};
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (int n = length(random); n > 0; --n) {
            text += pieces[pick(random)];
        }
        for (const auto& check : checks) {
            (void)check(text);
        }
        try {
            std::string translated = translateEcmaScriptRegex(text);
            EXPECT_FALSE(translated.empty() && !text.empty()) << text;
        } catch (const RegexError&) {
        }
        if (auto uri = Uri::tryParse(text)) {
            EXPECT_EQ(Uri::parse(uri->toString()).toString(), text);
            Uri base = Uri::parse("http://h/a/b?q");
            EXPECT_NO_THROW((void)base.resolve(*uri)) << text;
            EXPECT_NO_THROW((void)uri->normalized()) << text;
        }
        if (auto parsed = UriTemplate::tryParse(text)) {
            std::string expanded = parsed->expand(vars);
            EXPECT_EQ(expanded.find_first_of("{} \""), std::string::npos) << text << " -> " << expanded;
        }
        auto decoded = decodeBase64(text);
        if (decoded.data) {
            EXPECT_EQ(encodeBase64(*decoded.data), text);
        }
    }
}

// Checks run on untrusted documents: long inputs must stay cheap.
TEST(Validators, LongInputsStayLinear) {
    auto start = std::chrono::steady_clock::now();
    std::string longLabel(200000, 'a');
    std::string unicodeLabel;
    for (int i = 0; i < 100000; ++i) {
        unicodeLabel += "\xC3\xA9";
    }
    EXPECT_FALSE(isValidHostname(longLabel));
    EXPECT_FALSE(isValidIdnHostname(unicodeLabel));
    EXPECT_FALSE(isValidIdnHostname("xn--" + longLabel));
    EXPECT_FALSE(isValidEmail(longLabel + "@example.com"));
    EXPECT_TRUE(isValidJsonPointer("/" + longLabel));
    EXPECT_TRUE(isValidUriReference("/" + longLabel));
    EXPECT_TRUE(isValidUriTemplate("{" + longLabel + "}"));
    EXPECT_TRUE(isValidDuration("P" + std::string(100000, '9') + "D"));
    EXPECT_FALSE(isValidRegex(std::string(100000, '(') + std::string(100000, ')')));
    EXPECT_TRUE(isValidRegex(std::string(200, '(') + std::string(200, ')')));
    EXPECT_TRUE(isValidBase64(encodeBase64(longLabel)));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

}  // namespace
}  // namespace zephalon
