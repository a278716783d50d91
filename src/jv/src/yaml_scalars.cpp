#include "yaml_scalars.h"

#include <array>
#include <cctype>

#include "zephalon/foundation/regex.h"

namespace zephalon::jv {

namespace {

bool equalsIgnoringCase(std::string_view text, std::string_view lower) {
    if (text.size() != lower.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != lower[i]) return false;
    }
    return true;
}

// The words YAML 1.1 types as null or boolean, and those YAML 1.2 does, taken in any letter case: some readers
// are more lenient about case than the type definitions, and quoting one word too many costs nothing.
constexpr std::array<std::string_view, 10> kWords = {"null", "y", "n", "yes", "no", "true", "false", "on", "off", "~"};

// Numbers in every notation of YAML 1.1 (binary, octal, hex, underscores, sexagesimal, ".inf", ".nan") and of the
// YAML 1.2 core schema ("0o17", "1e3"), digits grouped by commas (which some readers drop), and the YAML 1.1
// timestamp forms. Matched only against texts that start like a number.
const Regex& numberLike() {
    static const Regex regex(
        "^[-+]?(?:"
        "0b[01_]+"
        "|0o?[0-7_]+"
        "|0x[0-9a-f_]+"
        "|[0-9][0-9_,]*"
        "|[0-9][0-9_]*(?::[0-5]?[0-9])+(?:\\.[0-9_]*)?"
        "|[0-9][0-9_,]*\\.[0-9_]*(?:e[-+]?[0-9]+)?"
        "|\\.[0-9_]*(?:e[-+]?[0-9]+)?"
        "|[0-9][0-9_]*e[-+]?[0-9]+"
        "|\\.inf|\\.nan"
        ")$"
        "|^[0-9]{4}-[0-9]{1,2}-[0-9]{1,2}"
        "(?:(?:t|[ \\t]+)[0-9]{1,2}:[0-9]{2}:[0-9]{2}(?:\\.[0-9]*)?(?:[ \\t]*(?:z|[-+][0-9]{1,2}(?::[0-9]{2})?))?)?$",
        true);
    return regex;
}

bool startsLikeANumber(std::string_view text) {
    std::size_t i = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (i >= text.size()) return false;
    return std::isdigit(static_cast<unsigned char>(text[i])) != 0 || text[i] == '.';
}

// Whether the text reads back as itself when written plain, syntax only (typing is checked apart).
bool plainSyntaxAllows(std::string_view text, bool flow) {
    char first = text.front();
    char last = text.back();
    if (first == ' ' || first == '\t' || last == ' ' || last == '\t' || last == ':') return false;
    // "-x" is a plain scalar everywhere; "- x", "?", ":" and the other indicators start something else.
    if (yamlIsIndicator(first) && !(first == '-' && text.size() > 1 && text[1] != ' ' && text[1] != '\t')) return false;
    if (text.starts_with("---") || text.starts_with("...")) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\t' || c == '\n') return false;
        if (c == ':' &&
            (text[i + 1] == ' ' || (flow && (text[i + 1] == ',' || text[i + 1] == ']' || text[i + 1] == '}')))) {
            return false;
        }
        if (c == '#' && text[i - 1] == ' ') return false;
        if (flow && (c == ',' || c == '[' || c == ']' || c == '{' || c == '}')) return false;
    }
    return true;
}

}  // namespace

std::size_t yamlPrintableLength(std::string_view text, std::size_t i) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    unsigned char c = byte(0);
    if (c < 0x80) return (c >= 0x20 && c != 0x7F) || c == '\t' || c == '\n' ? 1 : 0;
    std::size_t n = c >= 0xF8 ? 0 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
    if (n == 0 || i + n > text.size()) return 0;
    std::uint32_t cp = c & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(k) & 0x3F);
    }
    static constexpr std::uint32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMinimum[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    if (cp <= 0x9F || cp == 0x2028 || cp == 0x2029 || cp == 0xFEFF || cp == 0xFFFE || cp == 0xFFFF) return 0;
    return n;
}

bool yamlIsIndicator(char c) {
    switch (c) {
        case '-':
        case '?':
        case ':':
        case ',':
        case '[':
        case ']':
        case '{':
        case '}':
        case '#':
        case '&':
        case '*':
        case '!':
        case '|':
        case '>':
        case '\'':
        case '"':
        case '%':
        case '@':
        case '`':
            return true;
        default:
            return false;
    }
}

bool yamlPlainIsAmbiguous(std::string_view text) {
    if (text.empty() || text == "<<" || text == "=") return true;
    if (text.size() <= 5) {
        for (std::string_view word : kWords) {
            if (equalsIgnoringCase(text, word)) return true;
        }
    }
    if (text.front() == '.' || ((text.front() == '-' || text.front() == '+') && text.size() > 1 && text[1] == '.')) {
        std::string_view rest = text.substr(text.front() == '.' ? 1 : 2);
        if (equalsIgnoringCase(rest, "inf") || equalsIgnoringCase(rest, "nan")) return true;
    }
    if (!startsLikeANumber(text)) return false;
    return yamlStringNeedsQuotes(text) || numberLike().fullMatch(text);
}

YamlStringStyle yamlStringStyle(std::string_view text, bool flow, bool key) {
    bool multiLine = false;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = yamlPrintableLength(text, i);
        if (n == 0) return YamlStringStyle::DoubleQuoted;
        multiLine = multiLine || text[i] == '\n';
        i += n;
    }
    if (multiLine) {
        // A literal block keeps every line as it is, but its first line decides the indentation, so it must start
        // with text; and a block needs a line of its own, which neither keys nor flow collections give it.
        char first = text.front();
        bool blockFits = !key && !flow && first != ' ' && first != '\t' && first != '\n' &&
                         text.find_first_not_of(" \t\n") != std::string_view::npos;
        return blockFits ? YamlStringStyle::Literal : YamlStringStyle::DoubleQuoted;
    }
    if (yamlPlainIsAmbiguous(text) || !plainSyntaxAllows(text, flow)) return YamlStringStyle::SingleQuoted;
    return YamlStringStyle::Plain;
}

}  // namespace zephalon::jv
