#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Helpers shared by the format checks, kept out of the public header.
namespace zephalon::validators_detail {

// Locale-independent ASCII classification (<cctype> depends on the locale and
// is undefined for negative chars).
constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
constexpr bool isAlnum(char c) { return isDigit(c) || isAlpha(c); }
constexpr bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Decodes UTF-8 into code points; std::nullopt for malformed input (overlong
// forms, surrogates and values above U+10FFFF included).
std::optional<std::u32string> decodeUtf8(std::string_view text);
void appendUtf8(std::string& out, char32_t cp);

// RFC 3492 Punycode for IDNA labels (without the "xn--" prefix).
std::optional<std::u32string> punycodeDecode(std::string_view input);
std::optional<std::string> punycodeEncode(std::u32string_view input);

}  // namespace zephalon::validators_detail
