#include "zephalon/foundation/naming_convention.h"

#include <array>
#include <utility>

#include "zephalon/foundation/assertions.h"
#include "zephalon/foundation/strings.h"

namespace zephalon {

namespace {

bool isSeparator(char c) { return c == ' ' || c == '-' || c == '/' || c == '_' || c == '{' || c == '}'; }
bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool isLower(char c) { return c >= 'a' && c <= 'z'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isAlnum(char c) { return isUpper(c) || isLower(c) || isDigit(c); }

constexpr std::array<std::pair<NamingConvention, std::string_view>, 6> names = {{
    {NamingConvention::CamelCase, "camelCase"},
    {NamingConvention::ConstCase, "CONST_CASE"},
    {NamingConvention::KebabCase, "kebab-case"},
    {NamingConvention::PascalCase, "PascalCase"},
    {NamingConvention::HeaderCase, "Header-Case"},
    {NamingConvention::SnakeCase, "snake_case"},
}};

// The words of toKebabCase joined by `glue`: a word starts at any letter or digit and continues through lower-case
// letters and digits only. Each word is in lower case, but for its first character when `capitalised`.
std::string joinKebabWords(std::string_view text, char glue, bool capitalised) {
    std::string out;
    out.reserve(text.size() + 4);
    bool inWord = false;
    for (char c : text) {
        if (!isAlnum(c)) {
            inWord = false;
            continue;
        }
        if (!inWord || isUpper(c)) {
            if (!out.empty()) out += glue;
            out += capitalised ? asciiToUpper(c) : asciiToLower(c);
            inWord = true;
            continue;
        }
        out += asciiToLower(c);
    }
    return out;
}

}  // namespace

std::string_view conventionName(NamingConvention convention) {
    for (const auto& [value, name] : names) {
        if (value == convention) {
            return name;
        }
    }
    ZEPHALON_UNREACHABLE("unknown naming convention");
}

std::optional<NamingConvention> conventionFromName(std::string_view name) {
    for (const auto& [value, candidate] : names) {
        if (candidate == name) {
            return value;
        }
    }
    return std::nullopt;
}

std::string toCamelCase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool wordStart = true;
    for (char c : text) {
        if (isSeparator(c)) {
            wordStart = true;
            continue;
        }
        if (wordStart) {
            c = out.empty() ? asciiToLower(c) : asciiToUpper(c);
            wordStart = false;
        }
        out += c;
    }
    return out;
}

std::string toPascalCase(std::string_view text) {
    std::string out = toCamelCase(text);
    if (!out.empty()) {
        out[0] = asciiToUpper(out[0]);
    }
    return out;
}

std::string toKebabCase(std::string_view text) { return joinKebabWords(text, '-', false); }

std::string toSnakeCase(std::string_view text) { return joinKebabWords(text, '_', false); }

std::string toHeaderCase(std::string_view text) { return joinKebabWords(text, '-', true); }

std::string toConstCase(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 4);
    bool inWord = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (isSeparator(c)) {
            inWord = false;
            continue;
        }
        const char previous = i > 0 ? text[i - 1] : '\0';
        if (inWord) {
            // An upper-case letter after a lower-case letter or digit opens the next word;
            // inside a run of capitals it does not, so "HTTPServer" stays one word.
            if (isUpper(c) && (isLower(previous) || isDigit(previous))) out += '_';
            out += asciiToUpper(c);
            continue;
        }
        // Outside a word (at the start or after a separator) a letter or digit opens one.
        // Other characters are dropped there: they would make a word of punctuation.
        if (isAlnum(c)) {
            if (!out.empty()) out += '_';
            out += asciiToUpper(c);
            inWord = true;
        }
    }
    return out;
}

std::string toConvention(std::string_view text, NamingConvention convention) {
    switch (convention) {
        case NamingConvention::CamelCase:
            return toCamelCase(text);
        case NamingConvention::ConstCase:
            return toConstCase(text);
        case NamingConvention::KebabCase:
            return toKebabCase(text);
        case NamingConvention::PascalCase:
            return toPascalCase(text);
        case NamingConvention::HeaderCase:
            return toHeaderCase(text);
        case NamingConvention::SnakeCase:
            return toSnakeCase(text);
    }
    ZEPHALON_UNREACHABLE("unknown naming convention");
}

}  // namespace zephalon
