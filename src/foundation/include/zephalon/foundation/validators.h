#pragma once

#include <string_view>

// Checks for the string formats that JSON Schema's "format" keyword and several
// lint rules refer to. Every check takes UTF-8 text, never throws, and runs in
// time linear in the length of the text.
namespace zephalon {

// Which part of an RFC 3339 timestamp a text must be.
enum class DateTimeKind { Date, DateTime, Time };

// RFC 3339 full-date ("2020-02-29"), date-time ("1998-12-31T23:59:60Z") or
// full-time ("23:59:60+00:00"). Second 60 is a leap second: it is accepted only
// at 23:59 UTC, and for a date-time only on a day that actually had one.
bool isValidDateTime(std::string_view text, DateTimeKind kind);
bool isValidDateTime(std::string_view text);
bool isValidDate(std::string_view text);
bool isValidTime(std::string_view text);

// Proleptic Gregorian calendar.
bool isLeapYear(int year);
// 0 for a month outside 1-12.
int daysInMonth(int year, int month);

// ISO 8601 duration: "P1Y2M3DT4H5M6S" style (integer components in order, at
// least one, and at least one after "T") or weeks alone ("P2W").
bool isValidDuration(std::string_view text);

// RFC 1123 host name: dot-separated labels of 1-63 letters, digits and hyphens
// that neither start nor end with a hyphen, 253 characters at most. Labels that
// begin with "xn--" must be well-formed Punycode of an internationalised label.
bool isValidHostname(std::string_view text);
// Internationalised host name: as above, but labels may hold Unicode letters
// (checked against the IDNA rules this program knows), and the ideographic and
// full-width full stops separate labels as well.
bool isValidIdnHostname(std::string_view text);

// Dotted quad of decimal octets 0-255 without leading zeros.
bool isValidIPv4(std::string_view text);
// RFC 4291 text form: eight groups of 1-4 hex digits, at most one "::", and an
// optional trailing dotted IPv4 address. No zone index, no prefix length.
bool isValidIPv6(std::string_view text);

// 8-4-4-4-12 hex digits, any case; the variant nibble is one of 0, 8, 9, a, b.
bool isValidUuid(std::string_view text);

// RFC 6901; the empty string is the whole document.
bool isValidJsonPointer(std::string_view text);
// Non-negative integer (optionally with a "+n"/"-n" index adjustment), followed
// by nothing, by "#", or by a JSON Pointer.
bool isValidRelativeJsonPointer(std::string_view text);

// RFC 3986 absolute URI (a scheme is required; a fragment is allowed).
bool isValidUri(std::string_view text);
// RFC 3986 URI reference (relative references included).
bool isValidUriReference(std::string_view text);
// RFC 3987: as the two above, but non-ASCII characters are allowed where an IRI
// allows them.
bool isValidIri(std::string_view text);
bool isValidIriReference(std::string_view text);

// RFC 5321 mailbox: a dot-atom or quoted local part, "@", and a domain name or an
// address literal ("[127.0.0.1]", "[IPv6:::1]").
bool isValidEmail(std::string_view text);
// RFC 6531: as above, with non-ASCII characters in the local part and an
// internationalised domain.
bool isValidIdnEmail(std::string_view text);

// RFC 6838 "type/subtype" with optional ";name=value" parameters.
bool isValidMediaType(std::string_view text);

// A two-letter ISO 639-1 language code in lower case ("en", "de").
bool isValidLanguage(std::string_view text);

// A content encoding that JSON Schema's contentEncoding names: "7bit", "8bit",
// "binary", "quoted-printable", "base16", "base32", "base64".
bool isValidEncoding(std::string_view text);

// RFC 6570 URI template (levels 1-4).
bool isValidUriTemplate(std::string_view text);

// A regular expression in ECMAScript syntax.
bool isValidRegex(std::string_view text);

}  // namespace zephalon
