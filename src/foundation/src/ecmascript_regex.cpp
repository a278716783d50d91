#define PCRE2_CODE_UNIT_WIDTH 8
#include "zephalon/foundation/ecmascript_regex.h"

#include <fmt/format.h>
#include <pcre2.h>

#include <algorithm>
#include <array>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "validators_internal.h"

namespace zephalon {

namespace {

using validators_detail::appendUtf8;
using validators_detail::isAlnum;
using validators_detail::isDigit;
using validators_detail::isHexDigit;

// ECMAScript WhiteSpace and LineTerminator, as the body of a PCRE2 class. The
// non-ASCII members are written as UTF-8 so that the translation does not
// depend on the escape options of the compiler.
const std::string& whitespaceClassBody() {
    static const std::string body = [] {
        std::string s = R"(\x09-\x0D\x20)";
        for (char32_t cp : {char32_t{0xA0}, char32_t{0x1680}, char32_t{0x2028}, char32_t{0x2029}, char32_t{0x202F},
                            char32_t{0x205F}, char32_t{0x3000}, char32_t{0xFEFF}}) {
            appendUtf8(s, cp);
        }
        appendUtf8(s, 0x2000);
        s.push_back('-');
        appendUtf8(s, 0x200A);
        return s;
    }();
    return body;
}

// "." outside dotAll mode: anything but a line terminator.
const std::string& dotTranslation() {
    static const std::string dot = [] {
        std::string s = R"([^\x0A\x0D)";
        appendUtf8(s, 0x2028);
        appendUtf8(s, 0x2029);
        s.push_back(']');
        return s;
    }();
    return dot;
}

std::string looseName(std::string_view name) {
    std::string out;
    for (char c : name) {
        if (c == '_' || c == '-' || c == ' ') {
            continue;
        }
        out.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    }
    return out;
}

// General categories by long name (and the aliases people write), keyed
// loosely: lower case without separators.
std::optional<std::string_view> generalCategory(std::string_view name) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 49> table{{
        {"letter", "L"},
        {"casedletter", "L&"},
        {"lc", "L&"},
        {"uppercaseletter", "Lu"},
        {"lowercaseletter", "Ll"},
        {"titlecaseletter", "Lt"},
        {"modifierletter", "Lm"},
        {"otherletter", "Lo"},
        {"mark", "M"},
        {"combiningmark", "M"},
        {"nonspacingmark", "Mn"},
        {"spacingmark", "Mc"},
        {"enclosingmark", "Me"},
        {"number", "N"},
        {"decimalnumber", "Nd"},
        {"digit", "Nd"},
        {"letternumber", "Nl"},
        {"othernumber", "No"},
        {"punctuation", "P"},
        {"punct", "P"},
        {"connectorpunctuation", "Pc"},
        {"dashpunctuation", "Pd"},
        {"openpunctuation", "Ps"},
        {"closepunctuation", "Pe"},
        {"initialpunctuation", "Pi"},
        {"finalpunctuation", "Pf"},
        {"otherpunctuation", "Po"},
        {"symbol", "S"},
        {"mathsymbol", "Sm"},
        {"currencysymbol", "Sc"},
        {"modifiersymbol", "Sk"},
        {"othersymbol", "So"},
        {"separator", "Z"},
        {"spaceseparator", "Zs"},
        {"lineseparator", "Zl"},
        {"paragraphseparator", "Zp"},
        {"other", "C"},
        {"control", "Cc"},
        {"cntrl", "Cc"},
        {"format", "Cf"},
        {"surrogate", "Cs"},
        {"privateuse", "Co"},
        {"unassigned", "Cn"},
        {"l", "L"},
        {"m", "M"},
        {"n", "N"},
        {"p", "P"},
        {"s", "S"},
        {"z", "Z"},
    }};
    static constexpr std::array<std::string_view, 31> shortNames{
        "Lu", "Ll", "Lt", "Lm", "Lo", "Mn", "Mc", "Me", "Nd", "Nl", "No", "Pc", "Pd", "Ps", "Pe", "Pi",
        "Pf", "Po", "Sm", "Sc", "Sk", "So", "Zs", "Zl", "Zp", "Cc", "Cf", "Cs", "Co", "Cn", "C"};
    if (auto it = std::find(shortNames.begin(), shortNames.end(), name); it != shortNames.end()) {
        return *it;
    }
    std::string key = looseName(name);
    for (const auto& [longName, shortName] : table) {
        if (key == longName) {
            return shortName;
        }
    }
    return std::nullopt;
}

bool isNameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$'; }
bool isNameChar(char c) { return isNameStart(c) || isDigit(c); }

// A class under construction: members PCRE2 can hold directly, plus sets that
// must be negated as a whole ("\S" inside a class).
struct ClassBody {
    std::string members;
    std::vector<std::string> negatedSets;
};

class Translator {
  public:
    Translator(std::string_view pattern, EcmaScriptRegexOptions options) : p_(pattern), options_(options) {}

    std::string run() {
        if (!validators_detail::decodeUtf8(p_)) {
            fail("the pattern is not valid UTF-8");
        }
        countGroups();
        out_.reserve(p_.size() * 2);
        disjunction();
        if (!atEnd()) {
            fail("unmatched ')'");
        }
        return std::move(out_);
    }

  private:
    [[noreturn]] void fail(std::string_view message) const {
        throw RegexError(fmt::format("invalid regular expression '{}': {} at offset {}", p_, message, i_));
    }

    bool atEnd() const { return i_ >= p_.size(); }
    char peek(std::size_t ahead = 0) const { return i_ + ahead < p_.size() ? p_[i_ + ahead] : '\0'; }
    bool lookingAt(std::string_view s) const { return p_.substr(i_, s.size()) == s; }

    // Capture groups are numbered in order of their "(", and names must be known
    // before a "\k<name>" that precedes its group can be checked.
    void countGroups() {
        bool inClass = false;
        for (std::size_t k = 0; k < p_.size(); ++k) {
            char c = p_[k];
            if (c == '\\') {
                ++k;
            } else if (inClass) {
                inClass = c != ']';
            } else if (c == '[') {
                inClass = true;
            } else if (c == '(') {
                if (k + 1 < p_.size() && p_[k + 1] == '?') {
                    if (k + 2 < p_.size() && p_[k + 2] == '<' && k + 3 < p_.size() && p_[k + 3] != '=' &&
                        p_[k + 3] != '!') {
                        ++groupCount_;
                        std::size_t end = p_.find('>', k + 3);
                        if (end != std::string_view::npos) {
                            groupNames_.insert(std::string(p_.substr(k + 3, end - k - 3)));
                        }
                    }
                } else {
                    ++groupCount_;
                }
            }
        }
    }

    void disjunction() {
        alternative();
        while (peek() == '|' && !atEnd()) {
            out_.push_back('|');
            ++i_;
            alternative();
        }
    }

    void alternative() {
        while (!atEnd() && peek() != '|' && peek() != ')') {
            term();
        }
    }

    void term() {
        char c = peek();
        switch (c) {
            case '^':
                ++i_;
                out_.push_back('^');
                rejectQuantifier();
                return;
            case '$':
                ++i_;
                out_.append(R"(\z)");
                rejectQuantifier();
                return;
            case '\\':
                if (peek(1) == 'b' || peek(1) == 'B') {
                    out_.push_back('\\');
                    out_.push_back(peek(1));
                    i_ += 2;
                    rejectQuantifier();
                    return;
                }
                atomEscape();
                break;
            case '(':
                if (group()) {
                    return;  // lookbehind, or lookahead in unicode mode: no quantifier
                }
                break;
            case '[':
                characterClass();
                break;
            case '.':
                ++i_;
                out_.append(dotTranslation());
                break;
            case '*':
            case '+':
            case '?':
                fail("nothing to repeat");
            case '{':
                if (quantifierAhead()) {
                    fail("nothing to repeat");
                }
                ++i_;
                emitLiteral('{');
                break;
            default:
                literalCharacter();
                break;
        }
        quantifier();
    }

    void rejectQuantifier() {
        char c = peek();
        if (!atEnd() && (c == '*' || c == '+' || c == '?' || (c == '{' && quantifierAhead()))) {
            fail("nothing to repeat");
        }
    }

    // "{n}", "{n,}" or "{n,m}" at the current position.
    bool quantifierAhead() const {
        std::size_t k = i_ + 1;
        std::size_t start = k;
        while (k < p_.size() && isDigit(p_[k])) {
            ++k;
        }
        if (k == start) {
            return false;
        }
        if (k < p_.size() && p_[k] == ',') {
            ++k;
            while (k < p_.size() && isDigit(p_[k])) {
                ++k;
            }
        }
        return k < p_.size() && p_[k] == '}';
    }

    void quantifier() {
        if (atEnd()) {
            return;
        }
        char c = peek();
        if (c == '*' || c == '+' || c == '?') {
            out_.push_back(c);
            ++i_;
        } else if (c == '{' && quantifierAhead()) {
            std::size_t close = p_.find('}', i_);
            std::string_view body = p_.substr(i_ + 1, close - i_ - 1);
            std::size_t comma = body.find(',');
            auto number = [&](std::string_view digits) {
                std::size_t value = 0;
                for (char d : digits) {
                    value = std::min<std::size_t>(value * 10 + static_cast<std::size_t>(d - '0'), 1'000'000'000);
                }
                return value;
            };
            if (comma != std::string_view::npos && comma + 1 < body.size() &&
                number(body.substr(0, comma)) > number(body.substr(comma + 1))) {
                fail("numbers out of order in {} quantifier");
            }
            out_.push_back('{');
            out_.append(body);
            out_.push_back('}');
            i_ = close + 1;
        } else {
            return;
        }
        if (peek() == '?' && !atEnd()) {
            out_.push_back('?');
            ++i_;
        }
        // ECMAScript has no possessive quantifiers and no double quantifiers.
        rejectQuantifier();
    }

    // Returns true when the group may not be quantified.
    bool group() {
        // The translator recurses once per group; PCRE2 refuses deeper nesting
        // anyway, and the limit keeps hostile patterns from exhausting the stack.
        if (++depth_ > maxGroupDepth) {
            fail("groups are nested too deeply");
        }
        ++i_;  // '('
        bool unquantifiable = false;
        if (peek() != '?') {
            out_.push_back('(');
        } else if (lookingAt("?:")) {
            out_.append("(?:");
            i_ += 2;
        } else if (lookingAt("?=") || lookingAt("?!")) {
            out_.push_back('(');
            out_.append(p_.substr(i_, 2));
            i_ += 2;
            unquantifiable = options_.unicode;
        } else if (lookingAt("?<=") || lookingAt("?<!")) {
            out_.push_back('(');
            out_.append(p_.substr(i_, 3));
            i_ += 3;
            unquantifiable = true;
        } else if (lookingAt("?<")) {
            i_ += 2;
            std::size_t start = i_;
            if (!isNameStart(peek())) {
                fail("invalid capture group name");
            }
            while (!atEnd() && isNameChar(peek())) {
                ++i_;
            }
            if (peek() != '>' || atEnd()) {
                fail("invalid capture group name");
            }
            std::string name(p_.substr(start, i_ - start));
            if (!definedNames_.insert(name).second) {
                fail("duplicate capture group name");
            }
            ++i_;
            // PCRE2 names may not start with '$'; such names are rare enough to refuse.
            if (name[0] == '$') {
                fail("capture group names starting with '$' are not supported");
            }
            out_.append("(?<").append(name).append(">");
        } else {
            fail("invalid group");
        }
        disjunction();
        if (peek() != ')' || atEnd()) {
            fail("missing ')'");
        }
        ++i_;
        out_.push_back(')');
        --depth_;
        if (unquantifiable) {
            rejectQuantifier();
        }
        return unquantifiable;
    }

    void literalCharacter() {
        auto lead = static_cast<unsigned char>(peek());
        if (lead < 0x80) {
            ++i_;
            emitLiteral(lead);
            return;
        }
        std::size_t length = (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : 4;
        out_.append(p_.substr(i_, length));
        i_ += length;
    }

    // A literal code point in a form that means the same character anywhere in
    // a PCRE2 pattern, inside or outside a class.
    static void appendLiteral(std::string& out, char32_t cp) {
        if (cp >= 0x80) {
            appendUtf8(out, cp);
        } else if (isAlnum(static_cast<char>(cp))) {
            out.push_back(static_cast<char>(cp));
        } else if (cp > 0x20 && cp < 0x7F) {
            out.push_back('\\');
            out.push_back(static_cast<char>(cp));
        } else {
            out.append(fmt::format(R"(\x{:02X})", static_cast<unsigned>(cp)));
        }
    }
    void emitLiteral(char32_t cp) { appendLiteral(out_, cp); }

    unsigned hexDigits(std::size_t at, std::size_t count) const {
        unsigned value = 0;
        for (std::size_t k = 0; k < count; ++k) {
            char c = p_[at + k];
            value = value * 16 + static_cast<unsigned>(isDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10);
        }
        return value;
    }
    bool hexAhead(std::size_t at, std::size_t count) const {
        if (at + count > p_.size()) {
            return false;
        }
        return std::all_of(p_.begin() + static_cast<std::ptrdiff_t>(at),
                           p_.begin() + static_cast<std::ptrdiff_t>(at + count), isHexDigit);
    }

    // "\u" escapes after the backslash and the 'u' were consumed. Returns the
    // code point, or std::nullopt when the text is not a \u escape (a literal
    // 'u' outside unicode mode).
    std::optional<char32_t> unicodeEscape() {
        if (options_.unicode && peek() == '{') {
            std::size_t close = p_.find('}', i_);
            if (close == std::string_view::npos || close == i_ + 1 || !hexAhead(i_ + 1, close - i_ - 1)) {
                fail("invalid Unicode escape");
            }
            std::string_view digits = p_.substr(i_ + 1, close - i_ - 1);
            std::size_t significant = std::min(digits.find_first_not_of('0'), digits.size());
            if (digits.size() - significant > 6) {
                fail("Unicode escape out of range");
            }
            unsigned value = hexDigits(i_ + 1 + significant, digits.size() - significant);
            if (value > 0x10FFFF) {
                fail("Unicode escape out of range");
            }
            i_ = close + 1;
            return surrogateCheck(value);
        }
        if (!hexAhead(i_, 4)) {
            if (options_.unicode) {
                fail("invalid Unicode escape");
            }
            return std::nullopt;
        }
        unsigned value = hexDigits(i_, 4);
        i_ += 4;
        // A surrogate pair written as two escapes is one character.
        if (value >= 0xD800 && value <= 0xDBFF && lookingAt("\\u") && hexAhead(i_ + 2, 4)) {
            unsigned low = hexDigits(i_ + 2, 4);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                i_ += 6;
                return 0x10000 + ((value - 0xD800) << 10) + (low - 0xDC00);
            }
        }
        return surrogateCheck(value);
    }

    char32_t surrogateCheck(unsigned value) const {
        if (value >= 0xD800 && value <= 0xDFFF) {
            fail("lone surrogate escapes cannot match UTF-8 text and are not supported");
        }
        return static_cast<char32_t>(value);
    }

    // "\p{...}"/"\P{...}" after the backslash; returns the PCRE2 form.
    std::string propertyEscape() {
        bool negated = peek() == 'P';
        ++i_;
        if (peek() != '{') {
            fail("invalid property name");
        }
        std::size_t close = p_.find('}', i_);
        if (close == std::string_view::npos) {
            fail("invalid property name");
        }
        std::string_view body = p_.substr(i_ + 1, close - i_ - 1);
        i_ = close + 1;
        std::string translated;
        std::size_t eq = body.find('=');
        if (eq != std::string_view::npos) {
            std::string key = looseName(body.substr(0, eq));
            std::string_view value = body.substr(eq + 1);
            if (key == "generalcategory" || key == "gc") {
                auto gc = generalCategory(value);
                if (!gc) {
                    fail("invalid property name");
                }
                translated = *gc;
            } else if (key == "script" || key == "sc") {
                translated = fmt::format("sc={}", value);
            } else if (key == "scriptextensions" || key == "scx") {
                translated = fmt::format("scx={}", value);
            } else {
                fail("invalid property name");
            }
        } else if (auto gc = generalCategory(body)) {
            translated = *gc;
        } else if (looseName(body) == "assigned") {
            negated = !negated;
            translated = "Cn";
        } else {
            // Binary properties and script names PCRE2 knows by the same name
            // ("ASCII", "Any", "Alphabetic", "Greek"); an unknown name fails
            // when the pattern is compiled.
            if (body.empty() || !std::all_of(body.begin(), body.end(), [](char c) { return isNameChar(c); })) {
                fail("invalid property name");
            }
            translated = std::string(body);
        }
        return fmt::format(R"(\{}{{{}}})", negated ? 'P' : 'p', translated);
    }

    // Control escape "\cX" after the backslash; false when X is not a letter.
    bool controlEscape(char32_t& cp) {
        char letter = peek(1);
        if ((letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z')) {
            cp = static_cast<char32_t>(letter % 32);
            i_ += 2;
            return true;
        }
        return false;
    }

    // Escapes that denote one character, shared by atoms and classes. Returns
    // std::nullopt when the escape is something else; the position is then
    // unchanged (still on the letter after the backslash).
    std::optional<char32_t> characterEscape() {
        char c = peek();
        switch (c) {
            case 't':
                ++i_;
                return 0x09;
            case 'n':
                ++i_;
                return 0x0A;
            case 'v':
                ++i_;
                return 0x0B;
            case 'f':
                ++i_;
                return 0x0C;
            case 'r':
                ++i_;
                return 0x0D;
            case 'c': {
                char32_t cp = 0;
                if (controlEscape(cp)) {
                    return cp;
                }
                if (options_.unicode) {
                    fail("invalid control escape");
                }
                return std::nullopt;
            }
            case 'x':
                if (hexAhead(i_ + 1, 2)) {
                    char32_t cp = hexDigits(i_ + 1, 2);
                    i_ += 3;
                    return cp;
                }
                if (options_.unicode) {
                    fail("invalid hexadecimal escape");
                }
                ++i_;
                return U'x';
            case 'u': {
                ++i_;
                if (auto cp = unicodeEscape()) {
                    return cp;
                }
                return U'u';
            }
            case '0':
                if (!isDigit(peek(1))) {
                    ++i_;
                    return 0;
                }
                if (options_.unicode) {
                    fail("invalid decimal escape");
                }
                return legacyOctal();
            default:
                break;
        }
        return std::nullopt;
    }

    // Annex B octal escapes outside unicode mode: up to three octal digits, value
    // at most 0377.
    char32_t legacyOctal() {
        unsigned value = 0;
        std::size_t count = 0;
        while (count < 3 && peek() >= '0' && peek() <= '7' && !atEnd()) {
            unsigned next = value * 8 + static_cast<unsigned>(peek() - '0');
            if (next > 0377) {
                break;
            }
            value = next;
            ++i_;
            ++count;
        }
        return value;
    }

    // Identity escapes: syntax characters and '/' always; other ASCII
    // punctuation is accepted as a literal. Letters and digits without a
    // meaning (\a, \e, \z, \A, \Q ...) are errors in unicode mode, where
    // they are almost always another regex flavour's escapes, and plain
    // letters otherwise, as browsers treat them.
    char32_t identityEscape() {
        auto c = static_cast<unsigned char>(peek());
        if (c >= 0x80) {
            if (options_.unicode) {
                fail("invalid escape");
            }
            std::size_t length = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : 4;
            auto decoded = validators_detail::decodeUtf8(p_.substr(i_, length));
            i_ += length;
            return (*decoded)[0];
        }
        if (isAlnum(static_cast<char>(c)) && options_.unicode) {
            fail("invalid escape");
        }
        ++i_;
        return c;
    }

    void atomEscape() {
        ++i_;  // backslash
        if (atEnd()) {
            fail("\\ at end of pattern");
        }
        char c = peek();
        switch (c) {
            case 'd':
            case 'D':
            case 'w':
            case 'W':
                // PCRE2 without Unicode properties gives these their ASCII
                // meaning, which is ECMAScript's.
                out_.push_back('\\');
                out_.push_back(c);
                ++i_;
                return;
            case 's':
                out_.append("[").append(whitespaceClassBody()).append("]");
                ++i_;
                return;
            case 'S':
                out_.append("[^").append(whitespaceClassBody()).append("]");
                ++i_;
                return;
            case 'p':
            case 'P':
                if (options_.unicode) {
                    out_.append(propertyEscape());
                    return;
                }
                break;
            case 'k':
                if (options_.unicode || !groupNames_.empty()) {
                    ++i_;
                    if (peek() != '<') {
                        fail("invalid named reference");
                    }
                    std::size_t close = p_.find('>', i_);
                    if (close == std::string_view::npos) {
                        fail("invalid named reference");
                    }
                    std::string name(p_.substr(i_ + 1, close - i_ - 1));
                    if (groupNames_.count(name) == 0) {
                        fail("invalid named reference");
                    }
                    i_ = close + 1;
                    out_.append(R"(\k<)").append(name).append(">");
                    return;
                }
                break;
            default:
                break;
        }
        if (c >= '1' && c <= '9') {
            std::size_t start = i_;
            std::size_t number = 0;
            while (!atEnd() && isDigit(peek())) {
                number = std::min<std::size_t>(number * 10 + static_cast<std::size_t>(peek() - '0'), 100000);
                ++i_;
            }
            if (number <= groupCount_) {
                // \g{n} keeps a following literal digit from joining the number.
                out_.append(fmt::format(R"(\g{{{}}})", number));
                return;
            }
            if (options_.unicode) {
                fail("reference to a capture group that does not exist");
            }
            i_ = start;
            if (c <= '7') {
                emitLiteral(legacyOctal());
            } else {
                ++i_;
                emitLiteral(static_cast<char32_t>(c));
            }
            return;
        }
        if (auto cp = characterEscape()) {
            emitLiteral(*cp);
            return;
        }
        if (c == 'c') {
            // "\c" not followed by a letter is a literal backslash outside unicode mode.
            emitLiteral('\\');
            return;
        }
        emitLiteral(identityEscape());
    }

    // One class atom: a single character (returned) or a class escape (added to
    // `body`, std::nullopt returned).
    std::optional<char32_t> classAtom(ClassBody& body) {
        if (peek() != '\\') {
            auto lead = static_cast<unsigned char>(peek());
            std::size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : 4;
            auto decoded = validators_detail::decodeUtf8(p_.substr(i_, length));
            i_ += length;
            return (*decoded)[0];
        }
        ++i_;
        if (atEnd()) {
            fail("\\ at end of pattern");
        }
        char c = peek();
        switch (c) {
            case 'd':
            case 'D':
            case 'w':
            case 'W':
                body.members.push_back('\\');
                body.members.push_back(c);
                ++i_;
                return std::nullopt;
            case 's':
                body.members.append(whitespaceClassBody());
                ++i_;
                return std::nullopt;
            case 'S':
                body.negatedSets.push_back(whitespaceClassBody());
                ++i_;
                return std::nullopt;
            case 'p':
            case 'P':
                if (options_.unicode) {
                    body.members.append(propertyEscape());
                    return std::nullopt;
                }
                break;
            case 'b':
                ++i_;
                return 0x08;
            case '-':
                ++i_;
                return U'-';
            default:
                break;
        }
        if (c >= '1' && c <= '9') {
            if (options_.unicode) {
                fail("invalid class escape");
            }
            if (c <= '7') {
                return legacyOctal();
            }
            ++i_;
            return static_cast<char32_t>(c);
        }
        if (auto cp = characterEscape()) {
            return cp;
        }
        if (c == 'c') {
            return U'\\';
        }
        return identityEscape();
    }

    void characterClass() {
        ++i_;  // '['
        bool negated = false;
        if (peek() == '^' && !atEnd()) {
            negated = true;
            ++i_;
        }
        ClassBody body;
        while (true) {
            if (atEnd()) {
                fail("missing terminating ] for character class");
            }
            if (peek() == ']') {
                ++i_;
                break;
            }
            std::optional<char32_t> low = classAtom(body);
            // A range needs single characters on both sides; next to a class
            // escape ("[\w-.]") the hyphen is a literal.
            if (peek() == '-' && peek(1) != ']' && i_ + 1 < p_.size()) {
                std::size_t hyphen = i_;
                ++i_;
                ClassBody probe;
                std::optional<char32_t> high = classAtom(probe);
                if (low && high) {
                    if (*low > *high) {
                        fail("range out of order in character class");
                    }
                    appendLiteral(body.members, *low);
                    body.members.push_back('-');
                    appendLiteral(body.members, *high);
                    continue;
                }
                if (low) {
                    appendLiteral(body.members, *low);
                }
                appendLiteral(body.members, '-');
                i_ = hyphen + 1;
                continue;
            }
            if (low) {
                appendLiteral(body.members, *low);
            }
        }
        out_.append(renderClass(body, negated));
    }

    static std::string renderClass(const ClassBody& body, bool negated) {
        if (body.negatedSets.empty()) {
            if (body.members.empty()) {
                return negated ? "(?s:.)" : "(?!)";
            }
            return fmt::format("[{}{}]", negated ? "^" : "", body.members);
        }
        std::string alternatives;
        if (!body.members.empty()) {
            alternatives = fmt::format("[{}]", body.members);
        }
        for (const std::string& set : body.negatedSets) {
            if (!alternatives.empty()) {
                alternatives.push_back('|');
            }
            alternatives.append(fmt::format("[^{}]", set));
        }
        return negated ? fmt::format("(?:(?!{})(?s:.))", alternatives) : fmt::format("(?:{})", alternatives);
    }

    std::string_view p_;
    EcmaScriptRegexOptions options_;
    std::size_t i_ = 0;
    static constexpr std::size_t maxGroupDepth = 250;
    std::size_t depth_ = 0;
    std::size_t groupCount_ = 0;
    std::set<std::string> groupNames_;
    std::set<std::string> definedNames_;
    std::string out_;
};

}  // namespace

std::string translateEcmaScriptRegex(std::string_view pattern, EcmaScriptRegexOptions options) {
    return Translator(pattern, options).run();
}

Regex createEcmaScriptRegex(std::string_view pattern, EcmaScriptRegexOptions options) {
    std::string translated = translateEcmaScriptRegex(pattern, options);
    try {
        return Regex(translated, options.ignoreCase);
    } catch (const RegexError& e) {
        throw RegexError(fmt::format("invalid regular expression '{}': {}", pattern, e.what()));
    }
}

bool isValidEcmaScriptRegex(std::string_view pattern, EcmaScriptRegexOptions options) {
    std::string translated;
    try {
        translated = translateEcmaScriptRegex(pattern, options);
    } catch (const RegexError&) {
        return false;
    }
    // Compile with the options zephalon::Regex uses, so that what passes here
    // also compiles there, apart from unbounded lookbehind, which ECMAScript
    // allows and PCRE2 cannot run.
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    uint32_t compileOptions = PCRE2_UTF | PCRE2_DOLLAR_ENDONLY | PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS;
    if (options.ignoreCase) {
        compileOptions |= PCRE2_CASELESS;
    }
    pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
    pcre2_set_compile_extra_options(context, PCRE2_EXTRA_ALT_BSUX);
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(translated.data()), translated.size(), compileOptions,
                                     &errorCode, &errorOffset, context);
    pcre2_compile_context_free(context);
    if (code != nullptr) {
        pcre2_code_free(code);
        return true;
    }
    return errorCode == PCRE2_ERROR_LOOKBEHIND_NOT_FIXED_LENGTH;
}

}  // namespace zephalon
