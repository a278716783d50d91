#pragma once

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

}  // namespace zephalon::jv
