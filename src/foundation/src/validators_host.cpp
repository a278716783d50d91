// Host names (plain and internationalised) and e-mail addresses.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "validators_internal.h"
#include "zephalon/foundation/regex.h"
#include "zephalon/foundation/validators.h"

namespace zephalon {

namespace {

using validators_detail::appendUtf8;
using validators_detail::decodeUtf8;
using validators_detail::isAlnum;
using validators_detail::isAlpha;
using validators_detail::isDigit;
using validators_detail::punycodeDecode;
using validators_detail::punycodeEncode;

constexpr std::size_t maxLabelLength = 63;
constexpr std::size_t maxNameLength = 253;

// Unicode properties come from PCRE2's tables, which the program carries anyway;
// each class is one compiled single-character pattern.
bool hasProperty(char32_t cp, const Regex& property) {
    std::string text;
    appendUtf8(text, cp);
    return property.fullMatch(text);
}

const Regex& letterOrMarkOrDigit() {
    static const Regex re(R"([\p{Ll}\p{Lo}\p{Lm}\p{Mn}\p{Mc}\p{Nd}])");
    return re;
}
const Regex& combiningMark() {
    static const Regex re(R"(\p{M})");
    return re;
}
const Regex& greek() {
    static const Regex re(R"(\p{Greek})");
    return re;
}
const Regex& hebrew() {
    static const Regex re(R"(\p{Hebrew})");
    return re;
}
const Regex& hiraganaKatakanaHan() {
    static const Regex re(R"([\p{Hiragana}\p{Katakana}\p{Han}])");
    return re;
}
// Letters of the cursive scripts in which a zero width non-joiner can break a
// join; stands in for the Joining_Type property that PCRE2 does not expose.
const Regex& joiningLetter() {
    static const Regex re(R"((?=\p{L})[\p{Arabic}\p{Syriac}\p{Nko}\p{Mongolian}\p{Mandaic}\p{Manichaean})"
                          R"(\p{Psalter_Pahlavi}\p{Adlam}\p{Hanifi_Rohingya}\p{Sogdian}])");
    return re;
}
const Regex& transparent() {
    static const Regex re(R"([\p{Mn}\p{Me}\p{Cf}])");
    return re;
}

// Characters with canonical combining class 9 (virama), which make a following
// zero width joiner or non-joiner valid.
bool isVirama(char32_t cp) {
    static constexpr std::array<char32_t, 62> viramas{
        0x094D,  0x09CD,  0x0A4D,  0x0ACD,  0x0B4D,  0x0BCD,  0x0C4D,  0x0CCD,  0x0D3B,  0x0D3C,  0x0D4D,
        0x0DCA,  0x0E3A,  0x0EBA,  0x0F84,  0x1039,  0x103A,  0x1714,  0x1715,  0x1734,  0x17D2,  0x1A60,
        0x1B44,  0x1BAA,  0x1BAB,  0x1BF2,  0x1BF3,  0x2D7F,  0xA806,  0xA82C,  0xA8C4,  0xA953,  0xA9C0,
        0xAAF6,  0xABED,  0x10A3F, 0x11046, 0x11070, 0x1107F, 0x110B9, 0x11133, 0x11134, 0x111C0, 0x11235,
        0x112EA, 0x1134D, 0x11442, 0x114C2, 0x115BF, 0x1163F, 0x116B6, 0x1172B, 0x11839, 0x1193D, 0x1193E,
        0x119E0, 0x11A34, 0x11A47, 0x11A99, 0x11C3F, 0x11D44, 0x11D97};
    return std::find(viramas.begin(), viramas.end(), cp) != viramas.end();
}

enum class Bidi { L, R, AL, AN, EN, ES, CS, ET, ON, BN, NSM, Other };

Bidi bidiClass(char32_t cp) {
    if (cp < 0x80) {
        if (isAlpha(static_cast<char>(cp))) {
            return Bidi::L;
        }
        if (isDigit(static_cast<char>(cp))) {
            return Bidi::EN;
        }
        if (cp == '-') {
            return Bidi::ES;
        }
    }
    struct Entry {
        Bidi bidi;
        Regex regex;
    };
    static const std::array<Entry, 11> table{
        Entry{Bidi::L, Regex(R"(\p{bc=L})")},    Entry{Bidi::R, Regex(R"(\p{bc=R})")},
        Entry{Bidi::AL, Regex(R"(\p{bc=AL})")},  Entry{Bidi::AN, Regex(R"(\p{bc=AN})")},
        Entry{Bidi::EN, Regex(R"(\p{bc=EN})")},  Entry{Bidi::ES, Regex(R"(\p{bc=ES})")},
        Entry{Bidi::CS, Regex(R"(\p{bc=CS})")},  Entry{Bidi::ET, Regex(R"(\p{bc=ET})")},
        Entry{Bidi::ON, Regex(R"(\p{bc=ON})")},  Entry{Bidi::BN, Regex(R"(\p{bc=BN})")},
        Entry{Bidi::NSM, Regex(R"(\p{bc=NSM})")}};
    for (const Entry& entry : table) {
        if (hasProperty(cp, entry.regex)) {
            return entry.bidi;
        }
    }
    return Bidi::Other;
}

bool isRightToLeft(Bidi b) { return b == Bidi::R || b == Bidi::AL || b == Bidi::AN; }

// The Bidi rule for one label of a domain name that contains right-to-left text.
bool satisfiesBidiRule(const std::u32string& label) {
    std::vector<Bidi> classes;
    classes.reserve(label.size());
    for (char32_t cp : label) {
        classes.push_back(bidiClass(cp));
    }
    Bidi first = classes.front();
    if (first != Bidi::L && first != Bidi::R && first != Bidi::AL) {
        return false;
    }
    auto last = std::find_if(classes.rbegin(), classes.rend(), [](Bidi b) { return b != Bidi::NSM; });
    if (last == classes.rend()) {
        return false;
    }
    if (first == Bidi::L) {
        for (Bidi b : classes) {
            if (b != Bidi::L && b != Bidi::EN && b != Bidi::ES && b != Bidi::CS && b != Bidi::ET && b != Bidi::ON &&
                b != Bidi::BN && b != Bidi::NSM) {
                return false;
            }
        }
        return *last == Bidi::L || *last == Bidi::EN;
    }
    bool en = false;
    bool an = false;
    for (Bidi b : classes) {
        if (b == Bidi::L || b == Bidi::Other) {
            return false;
        }
        en = en || b == Bidi::EN;
        an = an || b == Bidi::AN;
    }
    if (en && an) {
        return false;
    }
    return *last == Bidi::R || *last == Bidi::AL || *last == Bidi::EN || *last == Bidi::AN;
}

bool isDisallowedException(char32_t cp) {
    return cp == 0x0640 || cp == 0x07FA || cp == 0x302E || cp == 0x302F || (cp >= 0x3031 && cp <= 0x3035) ||
           cp == 0x303B;
}

bool isPvalidException(char32_t cp) {
    return cp == 0x00DF || cp == 0x03C2 || cp == 0x06FD || cp == 0x06FE || cp == 0x0F0B || cp == 0x3007;
}

bool isOldHangulJamo(char32_t cp) {
    return (cp >= 0x1100 && cp <= 0x11FF) || (cp >= 0xA960 && cp <= 0xA97F) || (cp >= 0xD7B0 && cp <= 0xD7FF);
}

// Zero width non-joiner outside a virama context: valid only inside a cursive
// join, i.e. a joining letter, then transparent marks, the ZWNJ, marks, and a
// joining letter again.
bool zwnjInJoin(const std::u32string& label, std::size_t index) {
    std::size_t before = index;
    while (before > 0 && hasProperty(label[before - 1], transparent())) {
        --before;
    }
    if (before == 0 || !hasProperty(label[before - 1], joiningLetter())) {
        return false;
    }
    std::size_t after = index + 1;
    while (after < label.size() && hasProperty(label[after], transparent())) {
        ++after;
    }
    return after < label.size() && hasProperty(label[after], joiningLetter());
}

// One label as Unicode code points, checked against the IDNA code point
// categories and contextual rules. ASCII labels only need the LDH rule.
bool isValidULabel(const std::u32string& label) {
    if (label.empty() || label.front() == '-' || label.back() == '-') {
        return false;
    }
    bool ascii = std::all_of(label.begin(), label.end(), [](char32_t c) { return c < 0x80; });
    if (ascii) {
        return std::all_of(label.begin(), label.end(),
                           [](char32_t c) { return isAlnum(static_cast<char>(c)) || c == '-'; });
    }
    // "ab--" style labels are reserved for ASCII-compatible encodings.
    if (label.size() >= 4 && label[2] == '-' && label[3] == '-') {
        return false;
    }
    if (hasProperty(label.front(), combiningMark())) {
        return false;
    }
    bool arabicIndic = false;
    bool extendedArabicIndic = false;
    bool hasKana = false;
    for (char32_t cp : label) {
        arabicIndic = arabicIndic || (cp >= 0x0660 && cp <= 0x0669);
        extendedArabicIndic = extendedArabicIndic || (cp >= 0x06F0 && cp <= 0x06F9);
        hasKana = hasKana || (cp != 0x30FB && hasProperty(cp, hiraganaKatakanaHan()));
    }
    if (arabicIndic && extendedArabicIndic) {
        return false;
    }
    for (std::size_t i = 0; i < label.size(); ++i) {
        char32_t cp = label[i];
        char32_t previous = i > 0 ? label[i - 1] : 0;
        char32_t next = i + 1 < label.size() ? label[i + 1] : 0;
        if (cp < 0x80) {
            if (!isAlnum(static_cast<char>(cp)) && cp != '-') {
                return false;
            }
            continue;
        }
        switch (cp) {
            case 0x200C:  // zero width non-joiner
                if (!isVirama(previous) && !zwnjInJoin(label, i)) {
                    return false;
                }
                continue;
            case 0x200D:  // zero width joiner
                if (!isVirama(previous)) {
                    return false;
                }
                continue;
            case 0x00B7:  // middle dot, as in Catalan "l·l"
                if (previous != 'l' || next != 'l') {
                    return false;
                }
                continue;
            case 0x0375:  // Greek keraia
                if (next == 0 || !hasProperty(next, greek())) {
                    return false;
                }
                continue;
            case 0x05F3:  // Hebrew geresh and gershayim
            case 0x05F4:
                if (previous == 0 || !hasProperty(previous, hebrew())) {
                    return false;
                }
                continue;
            case 0x30FB:  // katakana middle dot
                if (!hasKana) {
                    return false;
                }
                continue;
            default:
                break;
        }
        if (isPvalidException(cp)) {
            continue;
        }
        if (isDisallowedException(cp) || isOldHangulJamo(cp) || !hasProperty(cp, letterOrMarkOrDigit())) {
            return false;
        }
    }
    return true;
}

bool isLdhLabel(std::string_view label) {
    if (label.empty() || label.size() > maxLabelLength || label.front() == '-' || label.back() == '-') {
        return false;
    }
    return std::all_of(label.begin(), label.end(), [](char c) { return isAlnum(c) || c == '-'; });
}

bool startsWithAcePrefix(std::string_view label) {
    return label.size() >= 4 && (label[0] | 0x20) == 'x' && (label[1] | 0x20) == 'n' && label[2] == '-' &&
           label[3] == '-';
}

// The A-label form of a Unicode label ("xn--..."), or the label itself when it
// is plain ASCII.
std::optional<std::string> toAsciiLabel(const std::u32string& label) {
    if (std::all_of(label.begin(), label.end(), [](char32_t c) { return c < 0x80; })) {
        std::string ascii;
        for (char32_t c : label) {
            ascii.push_back(static_cast<char>(c));
        }
        return ascii;
    }
    auto encoded = punycodeEncode(label);
    if (!encoded) {
        return std::nullopt;
    }
    return "xn--" + *encoded;
}

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

// Decodes an A-label and checks that it is the canonical encoding of a valid,
// genuinely internationalised U-label.
std::optional<std::u32string> decodeALabel(std::string_view label) {
    auto decoded = punycodeDecode(label.substr(4));
    if (!decoded || decoded->empty() ||
        std::all_of(decoded->begin(), decoded->end(), [](char32_t c) { return c < 0x80; })) {
        return std::nullopt;
    }
    auto reencoded = punycodeEncode(*decoded);
    if (!reencoded || *reencoded != lowerAscii(label.substr(4))) {
        return std::nullopt;
    }
    return decoded;
}

// Checks a name given as labels of code points: per-label rules, the lengths of
// the ASCII form, and the Bidi rule when any label holds right-to-left text.
bool checkLabels(const std::vector<std::u32string>& labels) {
    std::size_t total = 0;
    bool bidiDomain = false;
    for (const std::u32string& label : labels) {
        // Every code point takes at least one character of the A-label, so a
        // longer label cannot fit; checking first keeps Punycode encoding cheap.
        if (label.size() > maxLabelLength || !isValidULabel(label)) {
            return false;
        }
        auto ascii = toAsciiLabel(label);
        if (!ascii || ascii->size() > maxLabelLength) {
            return false;
        }
        total += ascii->size() + 1;
        if (!bidiDomain) {
            bidiDomain = std::any_of(label.begin(), label.end(),
                                     [](char32_t c) { return c >= 0x80 && isRightToLeft(bidiClass(c)); });
        }
    }
    if (total - 1 > maxNameLength) {
        return false;
    }
    return !bidiDomain || std::all_of(labels.begin(), labels.end(), satisfiesBidiRule);
}

std::u32string widen(std::string_view ascii) { return {ascii.begin(), ascii.end()}; }

}  // namespace

bool isValidHostname(std::string_view text) {
    if (text.empty() || text.size() > maxNameLength) {
        return false;
    }
    auto forEachLabel = [text](auto&& visit) {
        std::size_t pos = 0;
        while (true) {
            std::size_t end = text.find('.', pos);
            if (!visit(text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos))) {
                return false;
            }
            if (end == std::string_view::npos) {
                return true;
            }
            pos = end + 1;
        }
    };
    // Plain LDH names, by far the most common, need no Unicode work.
    bool international = false;
    if (!forEachLabel([&](std::string_view label) {
            international = international || startsWithAcePrefix(label);
            return isLdhLabel(label);
        })) {
        return false;
    }
    if (!international) {
        return true;
    }
    std::vector<std::u32string> labels;
    return forEachLabel([&](std::string_view label) {
               if (!startsWithAcePrefix(label)) {
                   labels.push_back(widen(label));
                   return true;
               }
               auto decoded = decodeALabel(label);
               if (decoded) {
                   labels.push_back(std::move(*decoded));
               }
               return decoded.has_value();
           }) &&
           checkLabels(labels);
}

bool isValidIdnHostname(std::string_view text) {
    auto codePoints = decodeUtf8(text);
    if (!codePoints || codePoints->empty() || codePoints->size() > maxNameLength) {
        return false;
    }
    std::vector<std::u32string> labels(1);
    for (char32_t cp : *codePoints) {
        if (cp == '.' || cp == 0x3002 || cp == 0xFF0E || cp == 0xFF61) {
            labels.emplace_back();
        } else {
            labels.back().push_back(cp);
        }
    }
    for (std::u32string& label : labels) {
        std::string ascii;
        bool isAscii = std::all_of(label.begin(), label.end(), [](char32_t c) { return c < 0x80; });
        if (isAscii) {
            for (char32_t c : label) {
                ascii.push_back(static_cast<char>(c));
            }
            if (startsWithAcePrefix(ascii)) {
                if (!isLdhLabel(ascii)) {
                    return false;
                }
                auto decoded = decodeALabel(ascii);
                if (!decoded) {
                    return false;
                }
                label = std::move(*decoded);
            }
        }
    }
    return checkLabels(labels);
}

namespace {

bool isAtext(char c) { return isAlnum(c) || std::string_view("!#$%&'*+-/=?^_`{|}~").find(c) != std::string_view::npos; }

// Parses the local part of an address and returns the position of the "@", or
// npos when the local part is malformed. With `international`, any non-ASCII
// byte of (already validated) UTF-8 counts as a text character.
std::size_t parseLocalPart(std::string_view text, bool international) {
    auto isText = [&](char c) { return isAtext(c) || (international && static_cast<unsigned char>(c) >= 0x80); };
    std::size_t pos = 0;
    if (!text.empty() && text[0] == '"') {
        pos = 1;
        while (pos < text.size() && text[pos] != '"') {
            auto c = static_cast<unsigned char>(text[pos]);
            if (c == '\\') {
                if (pos + 1 >= text.size()) {
                    return std::string_view::npos;
                }
                auto escaped = static_cast<unsigned char>(text[pos + 1]);
                if (escaped < 0x20 && escaped != '\t') {
                    return std::string_view::npos;
                }
                pos += 2;
                continue;
            }
            bool printable = (c >= 0x20 && c < 0x7F) || (international && c >= 0x80);
            if (!printable) {
                return std::string_view::npos;
            }
            ++pos;
        }
        if (pos >= text.size()) {
            return std::string_view::npos;
        }
        ++pos;
    } else {
        bool expectText = true;
        while (pos < text.size() && text[pos] != '@') {
            if (text[pos] == '.') {
                if (expectText) {
                    return std::string_view::npos;  // leading or doubled dot
                }
                expectText = true;
            } else if (isText(text[pos])) {
                expectText = false;
            } else {
                return std::string_view::npos;
            }
            ++pos;
        }
        if (expectText) {
            return std::string_view::npos;  // empty, or a trailing dot
        }
    }
    if (pos >= text.size() || text[pos] != '@') {
        return std::string_view::npos;
    }
    return pos;
}

bool isValidAddressLiteral(std::string_view literal) {
    constexpr std::string_view ipv6Tag = "ipv6:";
    if (literal.size() > ipv6Tag.size() && lowerAscii(literal.substr(0, ipv6Tag.size())) == ipv6Tag) {
        return isValidIPv6(literal.substr(ipv6Tag.size()));
    }
    return isValidIPv4(literal);
}

bool isValidMailbox(std::string_view text, bool international) {
    if (international && !decodeUtf8(text)) {
        return false;
    }
    std::size_t at = parseLocalPart(text, international);
    // 64 octets for the local part, as in SMTP.
    if (at == std::string_view::npos || at > 64) {
        return false;
    }
    std::string_view domain = text.substr(at + 1);
    if (domain.size() >= 2 && domain.front() == '[' && domain.back() == ']') {
        return isValidAddressLiteral(domain.substr(1, domain.size() - 2));
    }
    return international ? isValidIdnHostname(domain) : isValidHostname(domain);
}

}  // namespace

bool isValidEmail(std::string_view text) { return isValidMailbox(text, false); }

bool isValidIdnEmail(std::string_view text) { return isValidMailbox(text, true); }

}  // namespace zephalon
