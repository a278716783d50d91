#include "identifiers.h"

namespace zephalon::code_morph {

std::string identifierFrom(std::string_view name, NamingConvention convention, std::string_view fallback) {
    std::string words(name);
    for (char& c : words) {
        const bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alnum) c = ' ';
    }
    std::string result = toConvention(words, convention);
    if (result.empty()) return std::string(fallback);
    if (result.front() >= '0' && result.front() <= '9') result.insert(result.begin(), '_');
    return result;
}

}  // namespace zephalon::code_morph
