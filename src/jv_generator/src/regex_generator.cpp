#include "regex_generator.h"

#include <fmt/format.h>
#include <utf8.h>

#include <algorithm>
#include <iterator>
#include <limits>

#include "zephalon/foundation/ecmascript_regex.h"

namespace zephalon::jv_generator {
namespace {

// Characters tried against sets that the pattern text alone does not list: all of printable ASCII, the usual
// white space, and a few representatives of the scripts and general categories that property escapes name, so
// that "\p{Lu}", "\p{Script=Greek}" or "[^\x00-\x7F]" find members.
constexpr char32_t kPoolBeyondAscii[] = {
    U'\t',  U'\n',  U'\r',  U'\v',  U'\f',  0x00A0,  0x2003,  0x3000,  0x2028,  0x2029,  // spaces and line separators
    0x00E9, 0x00F1, 0x00DF, 0x00D8, 0x00C5, 0x0142,  0x0151,  0x01C5,  0x02B0,           // Latin, titlecase, modifier
    0x00AA, 0x03B1, 0x03A9, 0x0436, 0x0414, 0x0561,  0x05D0,  0x0628,  0x0915,           // Lo, Greek, Cyrillic, ...
    0x0995, 0x0E01, 0x10D0, 0x1200, 0xD55C, 0x3042,  0x30AB,  0x4E2D,  0x6587,           // ..., Hangul, kana, Han
    0x0660, 0x0663, 0x0966, 0x0967, 0x0E51, 0xFF11,  0x216B,  0x2167,  0x00BD,   // digits, letter numbers, fractions
    0x00B2, 0x2460, 0x00A1, 0x00BF, 0x00AB, 0x00BB,  0x2014,  0x2013,  0x201C,   // other numbers, punctuation
    0x201D, 0x2018, 0x2019, 0x2026, 0x00B7, 0x203F,  0x3001,  0x300C,  0x300D,   // quotes, connectors, CJK marks
    0x20AC, 0x00A3, 0x00A5, 0x00A9, 0x00AE, 0x00B1,  0x00D7,  0x00F7,  0x221A,   // currency and math symbols
    0x221E, 0x2665, 0x2605, 0x02C6, 0x00B4, 0x1F600, 0x1F44D, 0x1D400, 0x20000,  // modifiers, emoji, astral
    0x0301, 0x0308, 0x0903, 0x20DD, 0x00AD, 0x200B,  0x200D,  0xFEFF,  0xE000,   // marks, format, private use
    0x0080, 0x009F, 0x0600, 0x2070, 0x2080, 0x1E00,  0x1F00,  0x0400,  0x0531,   // controls, superscripts, Latin Ext.
    0x05E9, 0x0646, 0x0E40, 0xAC00, 0xFF21, 0xFF41,  0x2C00,  0xA000,            // more letters
};

constexpr char32_t kMaxCodePoint = 0x10FFFF;
constexpr std::size_t kMaxNesting = 256;
// Work done for one candidate (nodes visited), so that repetitions of empty groups end too.
constexpr std::size_t kMaxSteps = 1 << 20;

void appendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
        return;
    }
    utf8::append(static_cast<std::uint32_t>(codePoint), std::back_inserter(out));
}

// Sorted, merged, without surrogates (which have no UTF-8 form) and without values beyond Unicode.
std::vector<std::pair<char32_t, char32_t>> normalise(std::vector<std::pair<char32_t, char32_t>> ranges) {
    std::vector<std::pair<char32_t, char32_t>> clipped;
    for (auto [lo, hi] : ranges) {
        hi = std::min(hi, kMaxCodePoint);
        if (lo > hi) continue;
        if (lo < 0xD800 && hi >= 0xD800) {
            clipped.emplace_back(lo, 0xD7FF);
            if (hi > 0xDFFF) clipped.emplace_back(0xE000, hi);
        } else if (lo >= 0xD800 && lo <= 0xDFFF) {
            if (hi > 0xDFFF) clipped.emplace_back(0xE000, hi);
        } else {
            clipped.emplace_back(lo, hi);
        }
    }
    std::sort(clipped.begin(), clipped.end());
    std::vector<std::pair<char32_t, char32_t>> merged;
    for (const auto& range : clipped) {
        if (!merged.empty() && range.first <= merged.back().second + 1) {
            merged.back().second = std::max(merged.back().second, range.second);
        } else {
            merged.push_back(range);
        }
    }
    return merged;
}

std::uint64_t countOf(const std::vector<std::pair<char32_t, char32_t>>& ranges) {
    std::uint64_t total = 0;
    for (auto [lo, hi] : ranges) total += std::uint64_t{hi} - lo + 1;
    return total;
}

}  // namespace

// ---- parsing ----

class RegexGenerator::Parser {
  public:
    Parser(RegexGenerator& owner, std::string_view text) : owner_(owner), text_(text) {}

    std::size_t parse() {
        std::size_t root = disjunction(0);
        if (!atEnd()) fail("unmatched ')'");
        for (const auto& [node, name] : namedReferences_) {
            auto found = names_.find(name);
            if (found == names_.end()) fail(fmt::format("no group named '{}'", name));
            owner_.nodes_[node].group = found->second;
        }
        return root;
    }

  private:
    using Kind = Node::Kind;
    using Ranges = std::vector<Range>;

    [[noreturn]] void fail(const std::string& what) const {
        throw RegexError(
            fmt::format("Cannot generate strings for the pattern '{}': {} at offset {}", text_, what, pos_));
    }

    bool atEnd() const { return pos_ >= text_.size(); }
    char peekByte(std::size_t ahead = 0) const { return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0'; }
    bool accept(char c) {
        if (peekByte() != c || atEnd()) return false;
        ++pos_;
        return true;
    }
    void expect(char c) {
        if (!accept(c)) fail(fmt::format("'{}' expected", c));
    }
    char32_t takeCodePoint() {
        if (atEnd()) fail("unexpected end of pattern");
        auto it = text_.begin() + static_cast<std::ptrdiff_t>(pos_);
        try {
            const char32_t codePoint = utf8::next(it, text_.end());
            pos_ = static_cast<std::size_t>(it - text_.begin());
            return codePoint;
        } catch (const utf8::exception&) {
            fail("invalid UTF-8");
        }
    }

    std::size_t node(Kind kind, std::vector<std::size_t> children = {}) {
        Node made;
        made.kind = kind;
        made.children = std::move(children);
        return owner_.addNode(std::move(made));
    }
    std::size_t literal(char32_t codePoint) {
        Node made;
        made.kind = Kind::Literal;
        made.codePoint = codePoint;
        return owner_.addNode(std::move(made));
    }
    std::size_t set(Ranges ranges) {
        Node made;
        made.kind = Kind::Set;
        made.set = owner_.addSet(std::move(ranges));
        return owner_.addNode(std::move(made));
    }

    std::size_t disjunction(std::size_t depth) {
        if (depth > kMaxNesting) fail("groups nest too deeply");
        std::vector<std::size_t> alternatives{alternative(depth)};
        while (accept('|')) alternatives.push_back(alternative(depth));
        if (alternatives.size() == 1) return alternatives.front();
        return node(Kind::Alternation, std::move(alternatives));
    }

    std::size_t alternative(std::size_t depth) {
        std::vector<std::size_t> terms;
        while (!atEnd() && peekByte() != '|' && peekByte() != ')') terms.push_back(term(depth));
        if (terms.size() == 1) return terms.front();
        return node(Kind::Sequence, std::move(terms));
    }

    std::size_t term(std::size_t depth) {
        std::size_t made = atom(depth);
        std::uint32_t min = 0;
        std::optional<std::uint32_t> max;
        if (!quantifier(min, max)) return made;
        accept('?');  // a lazy quantifier matches the same strings
        Node repeat;
        repeat.kind = Kind::Repeat;
        repeat.children = {made};
        repeat.min = min;
        repeat.max = max;
        return owner_.addNode(std::move(repeat));
    }

    bool quantifier(std::uint32_t& min, std::optional<std::uint32_t>& max) {
        switch (peekByte()) {
            case '*':
                ++pos_;
                min = 0;
                max.reset();
                return true;
            case '+':
                ++pos_;
                min = 1;
                max.reset();
                return true;
            case '?':
                ++pos_;
                min = 0;
                max = 1;
                return true;
            case '{': {
                const std::size_t start = pos_;
                ++pos_;
                auto first = number();
                if (first) {
                    min = *first;
                    if (accept('}')) {
                        max = min;
                        return true;
                    }
                    if (accept(',')) {
                        auto second = number();
                        if (accept('}')) {
                            max = second;
                            return true;
                        }
                    }
                }
                // Not a quantifier: outside the strict grammar the brace is a plain character.
                pos_ = start;
                return false;
            }
            default:
                return false;
        }
    }

    std::optional<std::uint32_t> number() {
        const std::size_t start = pos_;
        std::uint64_t value = 0;
        while (!atEnd() && peekByte() >= '0' && peekByte() <= '9') {
            value = std::min<std::uint64_t>(value * 10 + static_cast<std::uint64_t>(peekByte() - '0'),
                                            std::numeric_limits<std::uint32_t>::max());
            ++pos_;
        }
        if (pos_ == start) return std::nullopt;
        return static_cast<std::uint32_t>(value);
    }

    std::size_t atom(std::size_t depth) {
        const char c = peekByte();
        switch (c) {
            case '^':
            case '$':
                ++pos_;
                return node(Kind::Assertion);
            case '(':
                return group(depth);
            case '[':
                return characterClass();
            case '.':
                ++pos_;
                return set(owner_.poolMembers("."));
            case '\\':
                return escape();
            default:
                return literal(takeCodePoint());
        }
    }

    std::size_t group(std::size_t depth) {
        expect('(');
        std::size_t index = 0;
        bool assertion = false;
        if (accept('?')) {
            if (accept(':')) {
            } else if (accept('=') || accept('!')) {
                assertion = true;
            } else if (accept('<')) {
                if (accept('=') || accept('!')) {
                    assertion = true;
                } else {
                    const std::size_t nameStart = pos_;
                    while (!atEnd() && peekByte() != '>') ++pos_;
                    std::string name(text_.substr(nameStart, pos_ - nameStart));
                    expect('>');
                    index = ++owner_.groupCount_;
                    names_.emplace(std::move(name), index);
                }
            } else {
                fail("unknown group kind");
            }
        } else {
            index = ++owner_.groupCount_;
        }
        std::size_t inner = disjunction(depth + 1);
        expect(')');
        if (assertion) return node(Kind::Assertion, {inner});
        Node made;
        made.kind = Kind::Group;
        made.children = {inner};
        made.group = index;
        return owner_.addNode(std::move(made));
    }

    // The escapes that stand for a set of characters; true when one was read. Sets whose members the text
    // does not list need the pool and are reported through `needsPool`.
    bool setEscape(Ranges& ranges, bool& needsPool) {
        const char c = peekByte(1);
        switch (c) {
            case 'd':
                ranges.emplace_back(U'0', U'9');
                break;
            case 'w':
                ranges.emplace_back(U'0', U'9');
                ranges.emplace_back(U'A', U'Z');
                ranges.emplace_back(U'_', U'_');
                ranges.emplace_back(U'a', U'z');
                break;
            case 's':
            case 'D':
            case 'W':
            case 'S':
                needsPool = true;
                break;
            case 'p':
            case 'P':
                if (peekByte(2) != '{') return false;
                needsPool = true;
                pos_ += 2;
                while (!atEnd() && peekByte() != '}') ++pos_;
                expect('}');
                return true;
            default:
                return false;
        }
        pos_ += 2;
        return true;
    }

    std::uint32_t hexDigits(std::size_t count) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const char c = peekByte();
            int digit = -1;
            if (c >= '0' && c <= '9') digit = c - '0';
            if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
            if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
            if (digit < 0 || atEnd()) fail("hexadecimal digit expected");
            value = value * 16 + static_cast<std::uint32_t>(digit);
            ++pos_;
        }
        return value;
    }

    // A character escape after the backslash has been read; `inClass` gives "\b" its class meaning (backspace).
    char32_t characterEscape(bool inClass) {
        const char c = peekByte();
        switch (c) {
            case 't':
                ++pos_;
                return U'\t';
            case 'n':
                ++pos_;
                return U'\n';
            case 'v':
                ++pos_;
                return U'\v';
            case 'f':
                ++pos_;
                return U'\f';
            case 'r':
                ++pos_;
                return U'\r';
            case '0':
                ++pos_;
                return 0;
            case 'b':
                if (inClass) {
                    ++pos_;
                    return 0x08;
                }
                break;
            case 'c': {
                const char letter = peekByte(1);
                if ((letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z')) {
                    pos_ += 2;
                    return static_cast<char32_t>(letter % 32);
                }
                break;
            }
            case 'x':
                ++pos_;
                return hexDigits(2);
            case 'u': {
                ++pos_;
                if (accept('{')) {
                    std::uint32_t value = 0;
                    std::size_t digits = 0;
                    while (!atEnd() && peekByte() != '}') {
                        value = std::min<std::uint32_t>(value * 16 + hexDigits(1), kMaxCodePoint + 1);
                        ++digits;
                    }
                    expect('}');
                    if (digits == 0 || value > kMaxCodePoint) fail("invalid code point");
                    return value;
                }
                char32_t unit = hexDigits(4);
                // A surrogate pair written as two escapes is one character.
                if (unit >= 0xD800 && unit <= 0xDBFF && peekByte() == '\\' && peekByte(1) == 'u') {
                    const std::size_t save = pos_;
                    pos_ += 2;
                    const char32_t low = hexDigits(4);
                    if (low >= 0xDC00 && low <= 0xDFFF) return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                    pos_ = save;
                }
                return unit;
            }
            default:
                break;
        }
        // Any other escaped character stands for itself.
        return takeCodePoint();
    }

    std::size_t escape() {
        const std::size_t start = pos_;
        Ranges ranges;
        bool needsPool = false;
        if (setEscape(ranges, needsPool)) {
            if (needsPool) ranges = owner_.poolMembers(text_.substr(start, pos_ - start));
            return set(std::move(ranges));
        }
        ++pos_;  // the backslash
        const char c = peekByte();
        if (c == 'b' || c == 'B') {
            ++pos_;
            return node(Kind::Assertion);
        }
        if (c >= '1' && c <= '9') {
            Node made;
            made.kind = Kind::Backref;
            made.group = *number();
            return owner_.addNode(std::move(made));
        }
        if (c == 'k' && peekByte(1) == '<') {
            pos_ += 2;
            const std::size_t nameStart = pos_;
            while (!atEnd() && peekByte() != '>') ++pos_;
            std::string name(text_.substr(nameStart, pos_ - nameStart));
            expect('>');
            Node made;
            made.kind = Kind::Backref;
            const std::size_t index = owner_.addNode(std::move(made));
            namedReferences_.emplace_back(index, std::move(name));
            return index;
        }
        return literal(characterEscape(false));
    }

    // One class atom: a character, or a set escape merged into `ranges`. Nothing for a set escape.
    std::optional<char32_t> classAtom(Ranges& ranges, bool& needsPool) {
        if (peekByte() != '\\') return takeCodePoint();
        if (setEscape(ranges, needsPool)) return std::nullopt;
        ++pos_;
        if (atEnd()) fail("unexpected end of pattern");
        return characterEscape(true);
    }

    std::size_t characterClass() {
        const std::size_t start = pos_;
        expect('[');
        const bool negated = accept('^');
        Ranges ranges;
        bool needsPool = negated;
        while (!atEnd() && peekByte() != ']') {
            auto first = classAtom(ranges, needsPool);
            if (!first) continue;
            if (peekByte() == '-' && peekByte(1) != ']' && pos_ + 1 < text_.size()) {
                ++pos_;
                auto last = classAtom(ranges, needsPool);
                if (last) {
                    if (*last < *first) fail("class range out of order");
                    ranges.emplace_back(*first, *last);
                } else {
                    // "[\d-x]" outside the strict grammar: the hyphen is a plain character.
                    ranges.emplace_back(*first, *first);
                    ranges.emplace_back(U'-', U'-');
                }
                continue;
            }
            ranges.emplace_back(*first, *first);
        }
        expect(']');
        if (needsPool) {
            Ranges pooled = owner_.poolMembers(text_.substr(start, pos_ - start));
            if (negated) return set(std::move(pooled));
            ranges.insert(ranges.end(), pooled.begin(), pooled.end());
        }
        return set(std::move(ranges));
    }

    RegexGenerator& owner_;
    std::string_view text_;
    std::size_t pos_ = 0;
    std::map<std::string, std::size_t, std::less<>> names_;
    std::vector<std::pair<std::size_t, std::string>> namedReferences_;
};

RegexGenerator::RegexGenerator(std::string_view pattern) : pattern_(pattern), regex_(createEcmaScriptRegex(pattern)) {
    Parser parser(*this, pattern_);
    root_ = parser.parse();
}

std::size_t RegexGenerator::addNode(Node node) {
    nodes_.push_back(std::move(node));
    return nodes_.size() - 1;
}

std::size_t RegexGenerator::addSet(std::vector<Range> ranges) {
    CharSet made;
    made.ranges = normalise(std::move(ranges));
    for (auto [lo, hi] : made.ranges) {
        const char32_t from = std::max<char32_t>(lo, 0x20);
        const char32_t to = std::min<char32_t>(hi, 0x7E);
        if (from <= to) made.preferred.emplace_back(from, to);
    }
    made.drawnCount = countOf(made.preferred.empty() ? made.ranges : made.preferred);
    if (made.drawnCount > 0 && made.drawnCount - 1 < RNG::max - RNG::min) made.draw.emplace(made.drawnCount - 1);
    sets_.push_back(std::move(made));
    return sets_.size() - 1;
}

std::vector<RegexGenerator::Range> RegexGenerator::poolMembers(std::string_view setText) const {
    const Regex members = createEcmaScriptRegex(setText);
    std::vector<Range> found;
    std::string text;
    auto test = [&](char32_t codePoint) {
        text.clear();
        appendUtf8(text, codePoint);
        if (members.fullMatch(text)) found.emplace_back(codePoint, codePoint);
    };
    for (char32_t c = 0x20; c <= 0x7E; ++c) test(c);
    for (char32_t c : kPoolBeyondAscii) test(c);
    return found;
}

// ---- generating ----

struct RegexGenerator::Walk {
    RNG& rng;
    std::uint32_t spread;
    std::string& out;
    std::vector<std::optional<std::string>> captures;
    std::size_t steps = 0;
    bool failed = false;
};

void RegexGenerator::emit(std::size_t index, Walk& walk) const {
    if (walk.failed) return;
    if (++walk.steps > kMaxSteps || walk.out.size() > maxCandidateBytes) {
        walk.failed = true;
        return;
    }
    const Node& node = nodes_[index];
    switch (node.kind) {
        case Node::Kind::Empty:
        case Node::Kind::Assertion:
            return;
        case Node::Kind::Literal:
            appendUtf8(walk.out, node.codePoint);
            return;
        case Node::Kind::Set: {
            const CharSet& set = sets_[node.set];
            const auto& ranges = set.preferred.empty() ? set.ranges : set.preferred;
            const std::uint64_t total = set.drawnCount;
            if (total == 0) {
                walk.failed = true;
                return;
            }
            std::uint64_t pick = set.draw ? walk.rng.uniform(*set.draw) : walk.rng.uniform(0, total - 1);
            for (auto [lo, hi] : ranges) {
                const std::uint64_t size = std::uint64_t{hi} - lo + 1;
                if (pick < size) {
                    appendUtf8(walk.out, static_cast<char32_t>(lo + pick));
                    return;
                }
                pick -= size;
            }
            return;
        }
        case Node::Kind::Sequence:
            for (std::size_t child : node.children) emit(child, walk);
            return;
        case Node::Kind::Alternation:
            emit(node.children[walk.rng.uniform(0, node.children.size() - 1)], walk);
            return;
        case Node::Kind::Group: {
            const std::size_t start = walk.out.size();
            emit(node.children.front(), walk);
            if (node.group != 0) {
                if (walk.captures.size() <= node.group) walk.captures.resize(node.group + 1);
                walk.captures[node.group] = walk.out.substr(start);
            }
            return;
        }
        case Node::Kind::Repeat: {
            const std::uint64_t ceiling = std::uint64_t{node.min} + walk.spread;
            const std::uint64_t top = node.max ? std::min<std::uint64_t>(*node.max, ceiling) : ceiling;
            const std::uint64_t count = walk.rng.uniform(node.min, std::max<std::uint64_t>(top, node.min));
            for (std::uint64_t i = 0; i < count && !walk.failed; ++i) emit(node.children.front(), walk);
            return;
        }
        case Node::Kind::Backref:
            if (node.group < walk.captures.size() && walk.captures[node.group]) {
                walk.out += *walk.captures[node.group];
            }
            return;
    }
}

bool RegexGenerator::candidate(RNG& rng, std::uint32_t spread, std::string& out) const {
    out.clear();
    Walk walk{rng, spread, out, {}, 0, false};
    emit(root_, walk);
    return !walk.failed && out.size() <= maxCandidateBytes;
}

std::optional<std::string> RegexGenerator::candidate(RNG& rng, std::uint32_t spread) const {
    std::string out;
    if (!candidate(rng, spread, out)) return std::nullopt;
    return out;
}

}  // namespace zephalon::jv_generator
