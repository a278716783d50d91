#include "zephalon/foundation/strings.h"

#include <fmt/format.h>
#include <utf8.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "zephalon/foundation/uri.h"

namespace zephalon {

namespace {

// The "C" locale classes, without the undefined behaviour of passing a negative
// char to the <cctype> functions.
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view orEmpty(const char* text) { return text != nullptr ? std::string_view(text) : std::string_view(); }

std::string quoted(std::string_view text, char quote) {
    std::string out;
    out.reserve(text.size() + 2);
    out += quote;
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                if (c == quote) {
                    out += '\\';
                    out += c;
                } else if (static_cast<unsigned char>(c) < 0x20) {
                    // A raw control character would make the literal invalid JSON.
                    out += fmt::format("\\u{:04x}", static_cast<unsigned>(static_cast<unsigned char>(c)));
                } else {
                    out += c;
                }
        }
    }
    out += quote;
    return out;
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (true) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::string_view rightTrimmed(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && isSpace(text[end - 1])) {
        --end;
    }
    return text.substr(0, end);
}

// strtol and friends need a terminated copy; an embedded NUL then shows up as
// text left unconverted.
template <typename T, typename Convert>
T convert(std::string_view text, const char* name, Convert convertFn) {
    const std::string copy(text);
    char* end = nullptr;
    errno = 0;
    T value = convertFn(copy.c_str(), &end);
    if (end == copy.c_str() || end != copy.c_str() + copy.size()) {
        throw std::invalid_argument(fmt::format("{}: whole string is not converted", name));
    }
    if (errno == ERANGE) {
        throw std::out_of_range(fmt::format("{}: value out of range", name));
    }
    return value;
}

}  // namespace

std::size_t utf8Length(std::string_view text) {
    // ASCII bytes are a character each, and most texts are ASCII throughout: count them eight at a time.
    std::size_t count = 0;
    while (count + 8 <= text.size()) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + count, sizeof word);
        if ((word & 0x8080808080808080ULL) != 0) break;
        count += 8;
    }
    while (count < text.size() && static_cast<unsigned char>(text[count]) < 0x80) ++count;
    auto it = text.begin() + static_cast<std::ptrdiff_t>(count);
    while (it != text.end()) {
        auto invalid = utf8::find_invalid(it, text.end());
        count += static_cast<std::size_t>(utf8::unchecked::distance(it, invalid));
        if (invalid == text.end()) {
            break;
        }
        ++count;
        it = invalid + 1;
    }
    return count;
}

std::string toValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    auto it = text.begin();
    while (it != text.end()) {
        auto invalid = utf8::find_invalid(it, text.end());
        out.append(it, invalid);
        if (invalid == text.end()) break;
        out += "\xEF\xBF\xBD";
        it = invalid + 1;
    }
    return out;
}

char asciiToUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

char asciiToLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string asciiToUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = asciiToUpper(c);
    }
    return out;
}

std::string asciiToLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = asciiToLower(c);
    }
    return out;
}

bool asciiCompareNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiToLower(a[i]) != asciiToLower(b[i])) {
            return false;
        }
    }
    return true;
}

bool asciiCompareNoCase(std::string_view a, const char* b) { return asciiCompareNoCase(a, orEmpty(b)); }

void replace(std::string& text, std::string_view search, std::string_view replacement) {
    if (search.empty()) {
        return;
    }
    std::size_t pos = text.find(search);
    if (pos == std::string::npos) {
        return;
    }
    // One pass into a new string keeps many replacements linear.
    std::string out;
    out.reserve(text.size());
    std::size_t start = 0;
    while (pos != std::string::npos) {
        out.append(text, start, pos - start);
        out.append(replacement);
        start = pos + search.size();
        pos = text.find(search, start);
    }
    out.append(text, start);
    text = std::move(out);
}

void replaceAnyOf(std::string& text, std::string_view characters, std::string_view replacement) {
    if (text.find_first_of(characters) == std::string::npos) {
        return;
    }
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (characters.find(c) != std::string_view::npos) {
            out.append(replacement);
        } else {
            out += c;
        }
    }
    text = std::move(out);
}

bool startsWith(std::string_view text, std::string_view prefix) { return text.starts_with(prefix); }
bool startsWith(std::string_view text, const char* prefix) { return text.starts_with(orEmpty(prefix)); }
bool endsWith(std::string_view text, std::string_view suffix) { return text.ends_with(suffix); }
bool endsWith(std::string_view text, const char* suffix) { return text.ends_with(orEmpty(suffix)); }

std::string trimLeft(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && isSpace(text[start])) {
        ++start;
    }
    return std::string(text.substr(start));
}

std::string trimRight(std::string_view text) { return std::string(rightTrimmed(text)); }

std::string trim(std::string_view text) { return trimLeft(rightTrimmed(text)); }

bool isBlank(std::string_view text) {
    for (char c : text) {
        if (!isSpace(c)) {
            return false;
        }
    }
    return true;
}

bool isIdentifier(std::string_view text) {
    if (text.empty() || !(isAsciiLetter(text[0]) || text[0] == '_')) {
        return false;
    }
    for (char c : text.substr(1)) {
        if (!(isAsciiLetter(c) || isAsciiDigit(c) || c == '_')) {
            return false;
        }
    }
    return true;
}

long toInt(std::string_view text) {
    return convert<long>(text, "strtol", [](const char* s, char** end) { return std::strtol(s, end, 10); });
}

unsigned long toUInt(std::string_view text) {
    unsigned long value =
        convert<unsigned long>(text, "strtoul", [](const char* s, char** end) { return std::strtoul(s, end, 10); });
    // strtoul negates "-5" into a huge positive number; a negative count is an error, not 2^64 - 5.
    std::size_t first = 0;
    while (first < text.size() && isSpace(text[first])) {
        ++first;
    }
    if (value != 0 && first < text.size() && text[first] == '-') {
        throw std::out_of_range("strtoul: value out of range");
    }
    return value;
}

double toDouble(std::string_view text) {
    const std::string copy(text);
    char* end = nullptr;
    errno = 0;
    double value = std::strtod(copy.c_str(), &end);
    if (end == copy.c_str() || end != copy.c_str() + copy.size()) {
        throw std::invalid_argument("strtod: whole string is not converted");
    }
    // ERANGE also signals underflow, where strtod still returns the nearest
    // (possibly subnormal) value; only overflow has no usable result.
    if (errno == ERANGE && std::isinf(value)) {
        throw std::out_of_range("strtod: value out of range");
    }
    return value;
}

std::string toJsonLiteral(std::string_view text) { return quoted(text, '"'); }

std::string toJavaScriptLiteral(std::string_view text) { return quoted(text, '\''); }

std::string toAstroText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '"':
                out += "&quot;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '{':
                out += "&lcub;";
                break;
            case '}':
                out += "&rcub;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string toAstroAttribute(std::string_view text) { return toJsonLiteral(toAstroText(text)); }

std::string urlEncode(std::string_view text) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (isAsciiLetter(c) || isAsciiDigit(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += c;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 0x0f];
        }
    }
    return out;
}

std::string urlDecode(std::string_view text) { return percentDecode(text); }

std::string trimLines(std::string_view text) {
    std::vector<std::string_view> lines = splitLines(text);
    for (auto& line : lines) {
        line = rightTrimmed(line);
    }
    std::size_t first = 0;
    while (first < lines.size() && lines[first].empty()) {
        ++first;
    }
    std::size_t last = lines.size();
    while (last > first && lines[last - 1].empty()) {
        --last;
    }
    // The indentation shared by all non-blank lines, compared character by
    // character so that a tab never matches a space.
    std::string_view common;
    bool haveCommon = false;
    for (std::size_t i = first; i < last; ++i) {
        std::string_view line = lines[i];
        if (line.empty()) {
            continue;
        }
        std::string_view indent = line.substr(0, line.find_first_not_of(" \t"));
        if (!haveCommon) {
            common = indent;
            haveCommon = true;
            continue;
        }
        std::size_t n = 0;
        while (n < common.size() && n < indent.size() && common[n] == indent[n]) {
            ++n;
        }
        common = common.substr(0, n);
    }
    std::string out;
    for (std::size_t i = first; i < last; ++i) {
        if (i > first) {
            out += '\n';
        }
        if (!lines[i].empty()) {
            out.append(lines[i].substr(common.size()));
        }
    }
    return out;
}

std::string indentLines(std::string_view text, std::size_t count) {
    const std::string indent(count, ' ');
    std::string out;
    out.reserve(text.size() + count * 4);
    bool atLineStart = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (atLineStart && text[i] != '\n') {
            out += indent;
        }
        out += text[i];
        atLineStart = text[i] == '\n';
    }
    return out;
}

}  // namespace zephalon
