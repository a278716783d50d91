#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "zephalon/number/number.h"

namespace zephalon::jv {

// How the reader types a plain (unquoted, untagged) scalar, and which strings the writer must therefore quote
// so that they read back as strings. Both sides use these functions, so a written string never changes kind.

inline bool yamlPlainIsNull(std::string_view text) { return text.empty() || text == "null" || text == "~"; }

inline std::optional<bool> yamlPlainBoolean(std::string_view text) {
    if (text == "true") return true;
    if (text == "false") return false;
    return std::nullopt;
}

inline bool yamlMayBeNumber(std::string_view text) {
    if (text.empty()) return false;
    char first = text.front();
    return (first >= '0' && first <= '9') || first == '-' || first == '+';
}

inline std::optional<number::Number> yamlPlainNumber(std::string_view text) {
    if (!yamlMayBeNumber(text)) return std::nullopt;
    return number::Number::parse(text.data(), text.size());
}

// Besides what this reader types as non-strings, the spellings other YAML readers take for null, booleans and
// special floats are quoted too, so written documents mean the same to them.
inline bool yamlStringNeedsQuotes(std::string_view text) {
    if (text.empty()) return true;
    switch (text.front()) {
        case '#':
        case '*':
            return true;
        case 'n':
        case 'N':
            return text == "null" || text == "Null" || text == "NULL";
        case 't':
        case 'T':
            return text == "true" || text == "True" || text == "TRUE";
        case 'f':
        case 'F':
            return text == "false" || text == "False" || text == "FALSE";
        case '~':
            return text.size() == 1;
        case '.':
            return text == ".inf" || text == ".Inf" || text == ".INF" || text == ".nan" || text == ".NaN" ||
                   text == ".NAN";
        default:
            break;
    }
    if (!yamlMayBeNumber(text)) return false;
    if (text.size() > 1 && text[1] == '.' && (text[0] == '-' || text[0] == '+')) {
        std::string_view rest = text.substr(1);
        if (rest == ".inf" || rest == ".Inf" || rest == ".INF") return true;
    }
    return number::Number::parse(text.data(), text.size()).has_value();
}

// The length of the UTF-8 sequence at `i`; 0 for ill-formed UTF-8 and for a character that YAML cannot hold as it is
// (C0 and C1 controls but tab and LF, DEL, the byte order mark, surrogates and non-characters) or that a YAML 1.1
// reader takes for a line break (NEL, LS, PS).
std::size_t yamlPrintableLength(std::string_view text, std::size_t i);

// The characters that start something other than a plain scalar ("-", "?" and ":" only before a space).
bool yamlIsIndicator(char c);

// How the writer puts a string down. Plain where every reader takes it for the same string; single quotes where a
// reader could take it for something else (a number, a boolean, a date...) or the YAML syntax forbids it plain;
// double quotes where only escapes can say it; a literal block for multi-line text in block layout.
enum class YamlStringStyle { Plain, SingleQuoted, DoubleQuoted, Literal };

// Whether a YAML 1.1 reader or a YAML 1.2 core-schema reader (this reader included) would read the plain scalar
// as anything but this string.
bool yamlPlainIsAmbiguous(std::string_view text);

// `flow` for flow collections, where ",[]{}" end a plain scalar; `key` for mapping keys, which are never blocks.
YamlStringStyle yamlStringStyle(std::string_view text, bool flow, bool key);

}  // namespace zephalon::jv
