#pragma once

#include <string>
#include <string_view>

namespace zephalon {

// Number of code points in a UTF-8 text. Each byte that does not belong to a
// valid UTF-8 sequence counts as one code point (as it would once replaced by
// U+FFFD), so the function never throws and never under-counts garbage.
std::size_t utf8Length(std::string_view text);
// The text with each byte that does not belong to a valid UTF-8 sequence
// replaced by U+FFFD, the code points utf8Length counts. For names from outside
// the documents (file paths) written into formats that must be UTF-8.
std::string toValidUtf8(std::string_view text);

// ASCII-only case mapping; other bytes, including UTF-8 sequences, are unchanged.
char asciiToUpper(char c);
char asciiToLower(char c);
std::string asciiToUpper(std::string_view text);
std::string asciiToLower(std::string_view text);
// Equality ignoring ASCII case. A null C string counts as empty.
bool asciiCompareNoCase(std::string_view a, std::string_view b);
bool asciiCompareNoCase(std::string_view a, const char* b);

// Replaces every non-overlapping occurrence of `search`, left to right; text
// inserted by a replacement is not searched again. An empty `search` changes nothing.
void replace(std::string& text, std::string_view search, std::string_view replacement);
// Replaces every byte that occurs in `characters`.
void replaceAnyOf(std::string& text, std::string_view characters, std::string_view replacement);

// A null C string counts as empty.
bool startsWith(std::string_view text, std::string_view prefix);
bool startsWith(std::string_view text, const char* prefix);
bool endsWith(std::string_view text, std::string_view suffix);
bool endsWith(std::string_view text, const char* suffix);

// Whitespace is what C's isspace accepts in the "C" locale: space, \t, \n, \v, \f, \r.
std::string trimLeft(std::string_view text);
std::string trimRight(std::string_view text);
std::string trim(std::string_view text);
bool isBlank(std::string_view text);

// Non-empty, an ASCII letter or "_" first, then ASCII letters, digits or "_".
bool isIdentifier(std::string_view text);

// Decimal conversions that must consume the whole text (leading whitespace and
// a sign are accepted, as by strtol). A text that is not entirely a number
// raises std::invalid_argument; a value out of range raises std::out_of_range.
// toUInt refuses negative numbers as out of range instead of wrapping them.
long toInt(std::string_view text);
unsigned long toUInt(std::string_view text);
double toDouble(std::string_view text);

// Quoted literals. Backslash, the quote character, \b, \t, \n, \f and \r become
// two-character escapes; other control characters become \u00XX so the literal
// stays valid; all other bytes are copied unchanged.
std::string toJsonLiteral(std::string_view text);        // "..."
std::string toJavaScriptLiteral(std::string_view text);  // '...'
// Text safe inside an Astro template: " & < > { } become entities.
std::string toAstroText(std::string_view text);
// A double-quoted attribute value for an Astro template.
std::string toAstroAttribute(std::string_view text);

// Percent-encoding of every byte except ASCII letters, digits and "-._~".
std::string urlEncode(std::string_view text);
// Decodes "%" followed by two hex digits; any other "%" is kept as it is.
std::string urlDecode(std::string_view text);

// Tidies a block of text written inline in source code: drops the blank lines
// at the start and the end, the trailing whitespace of every line and the
// indentation (spaces and tabs) that all non-blank lines share. Blank lines
// inside become empty. Lines are separated by "\n"; the result has no final "\n".
std::string trimLines(std::string_view text);
// Prefixes every non-empty line with `count` spaces (empty lines stay empty, so
// no trailing whitespace appears). Line feeds, including a final one, are kept.
std::string indentLines(std::string_view text, std::size_t count);

}  // namespace zephalon
