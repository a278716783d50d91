// Parsing in two passes: the scanner cuts the source into text and tags (tokenizing the inside of each tag and
// applying the whitespace control of its '-' markers), then a recursive-descent parser builds the node tree.

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <set>
#include <utility>

#include "ast.h"
#include "builtins.h"
#include "zephalon/templating/environment.h"

namespace zephalon::templating {

TemplateData::Position TemplateData::position(std::size_t offset) const {
    auto it = std::upper_bound(lineStarts.begin(), lineStarts.end(), offset);
    auto line = static_cast<std::size_t>(it - lineStarts.begin());
    return {static_cast<int>(line), static_cast<int>(offset - lineStarts[line - 1] + 1)};
}

std::string TemplateData::message(std::size_t offset, std::string_view what, std::string_view detail) const {
    Position p = position(offset);
    std::string text = fmt::format("[templating] {} at {}:{}:{}", what, name, p.line, p.column);
    if (!detail.empty()) {
        text += ", ";
        text += detail;
    }
    return text;
}

namespace {

struct Token {
    enum class Kind : std::uint8_t { Name, Number, String, Punct, End };
    Kind kind;
    std::size_t begin;
    std::size_t end;
    std::string_view text;  // Name, Punct, End: the source text
    nlohmann::json value;   // Number, String
};

struct Segment {
    enum class Kind : std::uint8_t { Text, Output, Statement, Ignored };
    Kind kind;
    std::size_t begin;
    std::string text;           // Text
    std::vector<Token> tokens;  // Output, Statement; the last one is the End token
    bool trimBefore = false;
    bool trimAfter = false;
};

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isNameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool isNameChar(char c) { return isNameStart(c) || isDigit(c); }

bool isReserved(std::string_view name) {
    return name == "and" || name == "or" || name == "not" || name == "in" || name == "true" || name == "false" ||
           name == "null";
}

std::string describeToken(const Token& token, std::string_view source) {
    return fmt::format("'{}'", source.substr(token.begin, token.end - token.begin));
}

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Negates a number literal; folded at parse time so that -9223372036854775808 stays an integer.
void negate(nlohmann::json& value) {
    if (value.is_number_unsigned()) {
        auto u = value.get<std::uint64_t>();
        constexpr auto limit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + 1;
        value = u == limit ? nlohmann::json(std::numeric_limits<std::int64_t>::min())
                           : nlohmann::json(-static_cast<double>(u));
    } else if (value.is_number_integer() && value.get<std::int64_t>() != std::numeric_limits<std::int64_t>::min()) {
        value = -value.get<std::int64_t>();
    } else if (value.is_number_integer()) {
        value = -static_cast<double>(value.get<std::int64_t>());
    } else {
        value = -value.get<double>();
    }
}

class Parser {
  public:
    explicit Parser(TemplateData& t) : t_(t), s_(t.source) {}

    void run() {
        scan();
        trim();
        Body body = parseBody({}, nullptr);
        t_.body = std::move(body);
        collectBlocks(t_.body);
    }

  private:
    // --- errors ---

    [[noreturn]] void fail(std::size_t offset, std::string_view what, std::string_view detail = {}) const {
        TemplateData::Position p = t_.position(offset);
        throw SyntaxError(t_.message(offset, what, detail), t_.name, p.line, p.column);
    }

    [[noreturn]] void unexpected(const Token& token, std::string_view expected) const {
        if (token.begin >= s_.size()) {
            fail(s_.size(), "unexpected end of template", expected);
        }
        fail(token.begin, fmt::format("unexpected {}", describeToken(token, s_)), expected);
    }

    // --- scanner ---

    void scan() {
        std::size_t pos = 0;
        while (pos < s_.size()) {
            std::size_t open = findOpener(pos);
            segments_.push_back({Segment::Kind::Text, pos, std::string(s_.substr(pos, open - pos)), {}});
            if (open == s_.size()) {
                return;
            }
            pos = scanTag(open);
        }
    }

    std::size_t findOpener(std::size_t from) const {
        for (std::size_t i = s_.find('{', from); i != std::string_view::npos; i = s_.find('{', i + 1)) {
            if (i + 1 < s_.size() && (s_[i + 1] == '{' || s_[i + 1] == '%' || s_[i + 1] == '#')) {
                return i;
            }
        }
        return s_.size();
    }

    // Scans the tag that opens at `open`; returns the offset after it.
    std::size_t scanTag(std::size_t open) {
        char kind = s_[open + 1];
        std::size_t pos = open + 2;
        bool trimBefore = pos < s_.size() && s_[pos] == '-';
        if (trimBefore) {
            ++pos;
        }
        if (kind == '#') {
            std::size_t close = s_.find("#}", pos);
            if (close == std::string_view::npos) {
                fail(s_.size(), "unexpected end of template",
                     "expected '#}' to close the comment at " + shortPlace(open));
            }
            bool trimAfter = close > pos && s_[close - 1] == '-';
            segments_.push_back({Segment::Kind::Ignored, open, {}, {}, trimBefore, trimAfter});
            return close + 2;
        }
        Segment segment{kind == '{' ? Segment::Kind::Output : Segment::Kind::Statement, open, {}, {}, trimBefore};
        pos = tokenize(pos, kind == '{' ? '}' : '%', segment);
        bool raw = segment.kind == Segment::Kind::Statement && segment.tokens.size() == 2 &&
                   segment.tokens[0].kind == Token::Kind::Name && segment.tokens[0].text == "raw";
        if (!raw) {
            segments_.push_back(std::move(segment));
            return pos;
        }
        segment.kind = Segment::Kind::Ignored;
        segments_.push_back(std::move(segment));
        return scanRaw(open, pos);
    }

    // The text after {% raw %} up to {% endraw %} is one text segment.
    std::size_t scanRaw(std::size_t rawOpen, std::size_t pos) {
        for (std::size_t i = s_.find("{%", pos); i != std::string_view::npos; i = s_.find("{%", i + 1)) {
            std::size_t j = i + 2;
            bool trimBefore = j < s_.size() && s_[j] == '-';
            j += trimBefore ? 1 : 0;
            while (j < s_.size() && isSpace(s_[j])) {
                ++j;
            }
            if (s_.compare(j, 6, "endraw") != 0) {
                continue;
            }
            j += 6;
            while (j < s_.size() && isSpace(s_[j])) {
                ++j;
            }
            bool trimAfter = j < s_.size() && s_[j] == '-';
            j += trimAfter ? 1 : 0;
            if (s_.compare(j, 2, "%}") != 0) {
                continue;
            }
            segments_.push_back({Segment::Kind::Text, pos, std::string(s_.substr(pos, i - pos)), {}});
            segments_.push_back({Segment::Kind::Ignored, i, {}, {}, trimBefore, trimAfter});
            return j + 2;
        }
        fail(s_.size(), "unexpected end of template", "expected 'endraw' for the 'raw' at " + shortPlace(rawOpen));
    }

    // Tokenizes the inside of a tag up to its closing "}}" or "%}"; returns the offset after the tag.
    std::size_t tokenize(std::size_t pos, char closer, Segment& segment) {
        int braces = 0;  // open '{' of object literals, inside which "}}" closes two objects rather than the tag
        std::vector<Token>& tokens = segment.tokens;
        while (true) {
            while (pos < s_.size() && isSpace(s_[pos])) {
                ++pos;
            }
            if (pos >= s_.size()) {
                fail(s_.size(), "unexpected end of template",
                     fmt::format("expected '{}}}' to close the tag at {}", closer, shortPlace(segment.begin)));
            }
            char c = s_[pos];
            if (braces == 0) {
                std::size_t at = c == '-' ? pos + 1 : pos;
                if (at + 1 < s_.size() && s_[at] == closer && s_[at + 1] == '}') {
                    segment.trimAfter = c == '-';
                    tokens.push_back({Token::Kind::End, pos, at + 2, s_.substr(pos, at + 2 - pos), {}});
                    return at + 2;
                }
            }
            bool afterDot = !tokens.empty() && tokens.back().kind == Token::Kind::Punct && tokens.back().text == ".";
            if (isNameStart(c) || (afterDot && isDigit(c))) {
                std::size_t end = pos;
                while (end < s_.size() && isNameChar(s_[end])) {
                    ++end;
                }
                tokens.push_back({Token::Kind::Name, pos, end, s_.substr(pos, end - pos), {}});
                pos = end;
            } else if (isDigit(c)) {
                pos = numberLiteral(pos, tokens);
            } else if (c == '"' || c == '\'') {
                pos = stringLiteral(pos, tokens);
            } else {
                std::size_t length = 1;
                if (pos + 1 < s_.size() && s_[pos + 1] == '=' && (c == '=' || c == '!' || c == '<' || c == '>')) {
                    length = 2;
                } else if (std::string_view("()[]{},.:<>+-*/%=").find(c) == std::string_view::npos) {
                    fail(pos, fmt::format("unexpected character '{}'", s_.substr(pos, 1)));
                }
                if (c == '{') {
                    ++braces;
                } else if (c == '}' && braces > 0) {
                    --braces;
                }
                tokens.push_back({Token::Kind::Punct, pos, pos + length, s_.substr(pos, length), {}});
                pos += length;
            }
        }
    }

    std::size_t numberLiteral(std::size_t pos, std::vector<Token>& tokens) const {
        std::size_t end = pos;
        bool integral = true;
        while (end < s_.size() && isDigit(s_[end])) {
            ++end;
        }
        if (end + 1 < s_.size() && s_[end] == '.' && isDigit(s_[end + 1])) {
            integral = false;
            for (++end; end < s_.size() && isDigit(s_[end]);) {
                ++end;
            }
        }
        if (end < s_.size() && (s_[end] == 'e' || s_[end] == 'E')) {
            std::size_t exp = end + 1;
            if (exp < s_.size() && (s_[exp] == '+' || s_[exp] == '-')) {
                ++exp;
            }
            if (exp < s_.size() && isDigit(s_[exp])) {
                integral = false;
                for (end = exp; end < s_.size() && isDigit(s_[end]);) {
                    ++end;
                }
            }
        }
        const char* first = s_.data() + pos;
        const char* last = s_.data() + end;
        nlohmann::json value;
        if (integral) {
            std::int64_t i = 0;
            std::uint64_t u = 0;
            if (std::from_chars(first, last, i).ec == std::errc()) {
                value = i;
            } else if (std::from_chars(first, last, u).ec == std::errc()) {
                value = u;
            } else {
                integral = false;
            }
        }
        if (!integral) {
            double d = 0;
            if (std::from_chars(first, last, d).ec != std::errc()) {
                fail(pos, fmt::format("number '{}' out of range", s_.substr(pos, end - pos)));
            }
            value = d;
        }
        tokens.push_back({Token::Kind::Number, pos, end, s_.substr(pos, end - pos), std::move(value)});
        return end;
    }

    std::size_t stringLiteral(std::size_t pos, std::vector<Token>& tokens) const {
        char quote = s_[pos];
        std::string text;
        std::size_t i = pos + 1;
        while (true) {
            if (i >= s_.size()) {
                fail(s_.size(), "unexpected end of template",
                     fmt::format("expected {} to close the string at {}", quote, shortPlace(pos)));
            }
            char c = s_[i];
            if (c == quote) {
                break;
            }
            if (c != '\\') {
                text += c;
                ++i;
                continue;
            }
            char e = i + 1 < s_.size() ? s_[i + 1] : '\0';
            switch (e) {
                case '"':
                case '\'':
                case '\\':
                case '/':
                    text += e;
                    break;
                case 'b':
                    text += '\b';
                    break;
                case 'f':
                    text += '\f';
                    break;
                case 'n':
                    text += '\n';
                    break;
                case 'r':
                    text += '\r';
                    break;
                case 't':
                    text += '\t';
                    break;
                case 'u': {
                    std::uint32_t cp = hex4(i);
                    if (cp >= 0xD800 && cp <= 0xDBFF && i + 8 <= s_.size() && s_.compare(i + 6, 2, "\\u") == 0) {
                        std::uint32_t low = hex4(i + 6);
                        if (low >= 0xDC00 && low <= 0xDFFF) {
                            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                            i += 6;
                        }
                    }
                    // A lone surrogate cannot be written as UTF-8.
                    appendUtf8(text, cp >= 0xD800 && cp <= 0xDFFF ? 0xFFFD : cp);
                    i += 4;
                    break;
                }
                default:
                    fail(i, fmt::format("invalid escape '{}'", s_.substr(i, e == '\0' ? 1 : 2)),
                         "expected one of \\\" \\' \\\\ \\/ \\b \\f \\n \\r \\t \\uXXXX");
            }
            i += 2;
        }
        tokens.push_back({Token::Kind::String, pos, i + 1, s_.substr(pos, i + 1 - pos), std::move(text)});
        return i + 1;
    }

    // The four hex digits of the \u escape at `at`.
    std::uint32_t hex4(std::size_t at) const {
        std::uint32_t value = 0;
        auto digits = s_.substr(std::min(at + 2, s_.size()), 4);
        auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
        if (ec != std::errc() || ptr != digits.data() + 4) {
            auto hexDigits = static_cast<std::size_t>(ec == std::errc() ? ptr - digits.data() : 0);
            fail(at, fmt::format("invalid escape '{}'", s_.substr(at, 2 + hexDigits)),
                 "expected four hexadecimal digits after \\u");
        }
        return value;
    }

    // Applies the '-' markers: strips the whitespace of the neighbouring text segments.
    void trim() {
        for (std::size_t i = 0; i < segments_.size(); ++i) {
            const Segment& segment = segments_[i];
            if (segment.trimBefore && i > 0 && segments_[i - 1].kind == Segment::Kind::Text) {
                std::string& text = segments_[i - 1].text;
                std::size_t end = text.size();
                while (end > 0 && isSpace(text[end - 1])) {
                    --end;
                }
                text.resize(end);
            }
            if (segment.trimAfter && i + 1 < segments_.size() && segments_[i + 1].kind == Segment::Kind::Text) {
                std::string& text = segments_[i + 1].text;
                std::size_t begin = 0;
                while (begin < text.size() && isSpace(text[begin])) {
                    ++begin;
                }
                text.erase(0, begin);
            }
        }
    }

    std::string shortPlace(std::size_t offset) const {
        TemplateData::Position p = t_.position(offset);
        return fmt::format("{}:{}", p.line, p.column);
    }

    // --- statements ---

    struct Opener {
        std::string_view keyword;
        std::size_t begin;
        std::string_view expected;  // the statements that may follow, as messages list them
    };

    class DepthGuard {
      public:
        DepthGuard(int& depth, const Parser& parser, std::size_t offset) : depth_(depth) {
            if (++depth_ > kMaxDepth) {
                parser.fail(offset, fmt::format("nesting deeper than {} levels", kMaxDepth));
            }
        }
        ~DepthGuard() { --depth_; }
        DepthGuard(const DepthGuard&) = delete;
        DepthGuard& operator=(const DepthGuard&) = delete;

      private:
        int& depth_;
    };

    // Parses nodes up to a statement whose keyword is in `stops` (left as the current token, the keyword consumed)
    // or, without an opener, to the end of the template.
    Body parseBody(std::initializer_list<std::string_view> stops, const Opener* opener) {
        Body body;
        stop_ = {};
        while (next_ < segments_.size()) {
            Segment& segment = segments_[next_++];
            switch (segment.kind) {
                case Segment::Kind::Ignored:
                    break;
                case Segment::Kind::Text:
                    if (!segment.text.empty()) {
                        Node node;
                        node.kind = Node::Kind::Text;
                        node.begin = segment.begin;
                        node.text = std::move(segment.text);
                        body.push_back(std::move(node));
                    }
                    break;
                case Segment::Kind::Output: {
                    startTokens(segment);
                    Node node;
                    node.kind = Node::Kind::Output;
                    node.begin = segment.begin;
                    node.expr = parseExpression();
                    expectEnd();
                    body.push_back(std::move(node));
                    break;
                }
                case Segment::Kind::Statement: {
                    startTokens(segment);
                    const Token& keyword = peek();
                    if (keyword.kind != Token::Kind::Name) {
                        unexpected(keyword, "expected a statement");
                    }
                    if (std::find(stops.begin(), stops.end(), keyword.text) != stops.end()) {
                        ++token_;
                        stop_ = keyword.text;
                        return body;
                    }
                    if (keyword.text == "extends") {
                        parseExtends(segment, opener);
                    } else {
                        body.push_back(parseStatement(segment, opener));
                    }
                    break;
                }
            }
        }
        stop_ = {};
        if (opener != nullptr) {
            fail(s_.size(), "unexpected end of template",
                 fmt::format("expected {} for the '{}' at {}", opener->expected, opener->keyword,
                             shortPlace(opener->begin)));
        }
        return body;
    }

    Node parseStatement(const Segment& segment, const Opener* opener) {
        const Token& keyword = next();
        std::string_view k = keyword.text;
        Node node;
        node.begin = segment.begin;
        if (k == "if") {
            parseIf(node);
        } else if (k == "for") {
            parseFor(node);
        } else if (k == "set") {
            node.kind = Node::Kind::Set;
            node.text = expectVariableName();
            expectPunct("=", "expected '='");
            node.expr = parseExpression();
            expectEnd();
        } else if (k == "include") {
            node.kind = Node::Kind::Include;
            node.text = expectString("expected the name of a template in quotes");
            expectEnd();
        } else if (k == "block") {
            parseBlock(node);
        } else {
            static const std::map<std::string_view, std::string_view> closes = {
                {"else", "if"},    {"elif", "if"},        {"endif", "if"},
                {"endfor", "for"}, {"endblock", "block"}, {"endraw", "raw"}};
            auto it = closes.find(k);
            if (it == closes.end()) {
                unexpected(keyword, "expected a statement (if, for, set, include, extends, block, raw)");
            }
            if (opener != nullptr) {
                unexpected(keyword, fmt::format("expected {} for the '{}' at {}", opener->expected, opener->keyword,
                                                shortPlace(opener->begin)));
            }
            unexpected(keyword, fmt::format("no '{}' is open", it->second));
        }
        return node;
    }

    void parseIf(Node& node) {
        DepthGuard guard(statementDepth_, *this, node.begin);
        node.kind = Node::Kind::If;
        Opener opener{"if", node.begin, "'else', 'else if' or 'endif'"};
        Opener afterElse{"if", node.begin, "'endif'"};
        ExprPtr condition = parseExpression();
        expectEnd();
        while (true) {
            Body body = parseBody({"else", "elif", "endif"}, &opener);
            node.branches.push_back({std::move(condition), std::move(body)});
            if (stop_ == "endif") {
                expectEnd();
                return;
            }
            if (stop_ == "elif" || (peek().kind == Token::Kind::Name && peek().text == "if")) {
                if (stop_ == "else") {
                    ++token_;
                }
                condition = parseExpression();
                expectEnd();
                continue;
            }
            expectEnd();
            Body elseBody = parseBody({"endif"}, &afterElse);
            expectEnd();
            node.branches.push_back({nullptr, std::move(elseBody)});
            return;
        }
    }

    void parseFor(Node& node) {
        DepthGuard guard(statementDepth_, *this, node.begin);
        node.kind = Node::Kind::For;
        node.text = expectVariableName();
        if (peek().kind == Token::Kind::Punct && peek().text == ",") {
            ++token_;
            node.keyName = std::move(node.text);
            node.text = expectVariableName();
        }
        const Token& in = next();
        if (in.kind != Token::Kind::Name || in.text != "in") {
            unexpected(in, node.keyName.empty() ? "expected ',' or 'in'" : "expected 'in'");
        }
        node.expr = parseExpression();
        expectEnd();
        Opener opener{"for", node.begin, "'endfor'"};
        node.body = parseBody({"endfor"}, &opener);
        expectEnd();
    }

    void parseBlock(Node& node) {
        DepthGuard guard(statementDepth_, *this, node.begin);
        node.kind = Node::Kind::Block;
        std::size_t nameAt = peek().begin;
        node.text = expectName("expected the name of the block");
        if (!blockNames_.insert(node.text).second) {
            fail(nameAt, fmt::format("duplicate block '{}'", node.text));
        }
        expectEnd();
        Opener opener{"block", node.begin, "'endblock'"};
        node.body = parseBody({"endblock"}, &opener);
        if (peek().kind == Token::Kind::Name && peek().text != node.text) {
            unexpected(peek(), fmt::format("expected '%}}' or the block's name '{}'", node.text));
        }
        if (peek().kind == Token::Kind::Name) {
            ++token_;
        }
        expectEnd();
    }

    void parseExtends(const Segment& segment, const Opener* opener) {
        if (opener != nullptr) {
            fail(segment.begin, "'extends' inside another statement", "it belongs at the top level of the template");
        }
        if (t_.hasParent) {
            fail(segment.begin, "second 'extends'", "a template extends one template only");
        }
        ++token_;
        t_.parent = expectString("expected the name of a template in quotes");
        t_.hasParent = true;
        t_.parentBegin = segment.begin;
        expectEnd();
    }

    void collectBlocks(const Body& body) {
        for (const Node& node : body) {
            if (node.kind == Node::Kind::Block) {
                t_.blocks.emplace(node.text, &node);
            }
            collectBlocks(node.body);
            for (const Branch& branch : node.branches) {
                collectBlocks(branch.body);
            }
        }
    }

    // --- tokens ---

    void startTokens(const Segment& segment) {
        tokens_ = &segment.tokens;
        token_ = 0;
        closer_ = segment.kind == Segment::Kind::Output ? "}}" : "%}";
    }
    const Token& peek() const { return (*tokens_)[token_]; }
    const Token& peekAt(std::size_t ahead) const { return (*tokens_)[std::min(token_ + ahead, tokens_->size() - 1)]; }
    const Token& next() {
        const Token& token = (*tokens_)[token_];
        if (token.kind != Token::Kind::End) {
            ++token_;
        }
        return token;
    }
    bool atPunct(std::string_view text) const { return peek().kind == Token::Kind::Punct && peek().text == text; }
    bool atName(std::string_view text) const { return peek().kind == Token::Kind::Name && peek().text == text; }

    void expectEnd() {
        if (peek().kind != Token::Kind::End) {
            unexpected(peek(), fmt::format("expected '{}'", closer_));
        }
    }

    void expectPunct(std::string_view text, std::string_view expected) {
        if (!atPunct(text)) {
            unexpected(peek(), expected);
        }
        ++token_;
    }

    std::string expectName(std::string_view expected) {
        const Token& token = peek();
        if (token.kind != Token::Kind::Name || isDigit(token.text[0])) {
            unexpected(token, expected);
        }
        ++token_;
        return std::string(token.text);
    }

    std::string expectVariableName() {
        const Token& token = peek();
        if (token.kind != Token::Kind::Name || isReserved(token.text) || isDigit(token.text[0])) {
            unexpected(token, "expected a variable name");
        }
        ++token_;
        return std::string(token.text);
    }

    std::string expectString(std::string_view expected) {
        const Token& token = peek();
        if (token.kind != Token::Kind::String) {
            unexpected(token, expected);
        }
        ++token_;
        return token.value.get<std::string>();
    }

    // --- expressions ---

    ExprPtr make(Expr::Kind kind, std::size_t begin) {
        auto e = std::make_unique<Expr>();
        e->kind = kind;
        e->begin = begin;
        return e;
    }
    ExprPtr binary(Op op, ExprPtr left, ExprPtr right) {
        ExprPtr e = make(Expr::Kind::Binary, left->begin);
        e->op = op;
        e->end = right->end;
        e->operands.push_back(std::move(left));
        e->operands.push_back(std::move(right));
        return e;
    }

    ExprPtr parseExpression() {
        DepthGuard guard(expressionDepth_, *this, peek().begin);
        return parseOr();
    }

    ExprPtr parseOr() {
        ExprPtr left = parseAnd();
        while (atName("or")) {
            ++token_;
            left = binary(Op::Or, std::move(left), parseAnd());
        }
        return left;
    }

    ExprPtr parseAnd() {
        ExprPtr left = parseNot();
        while (atName("and")) {
            ++token_;
            left = binary(Op::And, std::move(left), parseNot());
        }
        return left;
    }

    ExprPtr parseNot() {
        if (!atName("not")) {
            return parseComparison();
        }
        DepthGuard guard(expressionDepth_, *this, peek().begin);
        ExprPtr e = make(Expr::Kind::Unary, next().begin);
        e->op = Op::Not;
        e->operands.push_back(parseNot());
        e->end = e->operands[0]->end;
        return e;
    }

    ExprPtr parseComparison() {
        ExprPtr left = parseAdditive();
        while (true) {
            Op op;
            const Token& token = peek();
            if (token.kind == Token::Kind::Name && token.text == "in") {
                op = Op::In;
            } else if (token.kind == Token::Kind::Name && token.text == "not" && peekAt(1).kind == Token::Kind::Name &&
                       peekAt(1).text == "in") {
                op = Op::NotIn;
                ++token_;
            } else if (token.kind != Token::Kind::Punct) {
                return left;
            } else if (token.text == "==") {
                op = Op::Eq;
            } else if (token.text == "!=") {
                op = Op::Ne;
            } else if (token.text == "<") {
                op = Op::Lt;
            } else if (token.text == "<=") {
                op = Op::Le;
            } else if (token.text == ">") {
                op = Op::Gt;
            } else if (token.text == ">=") {
                op = Op::Ge;
            } else {
                return left;
            }
            ++token_;
            left = binary(op, std::move(left), parseAdditive());
        }
    }

    ExprPtr parseAdditive() {
        ExprPtr left = parseMultiplicative();
        while (atPunct("+") || atPunct("-")) {
            Op op = next().text == "+" ? Op::Add : Op::Sub;
            left = binary(op, std::move(left), parseMultiplicative());
        }
        return left;
    }

    ExprPtr parseMultiplicative() {
        ExprPtr left = parseUnary();
        while (atPunct("*") || atPunct("/") || atPunct("%")) {
            std::string_view text = next().text;
            Op op = text == "*" ? Op::Mul : text == "/" ? Op::Div : Op::Mod;
            left = binary(op, std::move(left), parseUnary());
        }
        return left;
    }

    ExprPtr parseUnary() {
        if (!atPunct("-")) {
            return parsePostfix();
        }
        DepthGuard guard(expressionDepth_, *this, peek().begin);
        std::size_t begin = next().begin;
        ExprPtr operand = parseUnary();
        if (operand->kind == Expr::Kind::Literal && operand->literal.is_number()) {
            negate(operand->literal);
            operand->begin = begin;
            return operand;
        }
        ExprPtr e = make(Expr::Kind::Unary, begin);
        e->op = Op::Negate;
        e->end = operand->end;
        e->operands.push_back(std::move(operand));
        return e;
    }

    ExprPtr parsePostfix() {
        ExprPtr e = parsePrimary();
        while (true) {
            if (atPunct(".")) {
                ++token_;
                const Token& name = peek();
                if (name.kind != Token::Kind::Name) {
                    unexpected(name, "expected a member name");
                }
                ++token_;
                ExprPtr member = make(Expr::Kind::Member, e->begin);
                member->name = std::string(name.text);
                member->end = name.end;
                if (std::all_of(name.text.begin(), name.text.end(), isDigit)) {
                    std::size_t index = 0;
                    if (std::from_chars(name.text.data(), name.text.data() + name.text.size(), index).ec ==
                        std::errc()) {
                        member->index = index;
                    }
                }
                member->operands.push_back(std::move(e));
                e = std::move(member);
            } else if (atPunct("[")) {
                ++token_;
                ExprPtr index = make(Expr::Kind::Index, e->begin);
                index->operands.push_back(std::move(e));
                index->operands.push_back(parseExpression());
                if (!atPunct("]")) {
                    unexpected(peek(), "expected ']'");
                }
                index->end = next().end;
                e = std::move(index);
            } else {
                return e;
            }
        }
    }

    ExprPtr parsePrimary() {
        const Token& token = peek();
        switch (token.kind) {
            case Token::Kind::Number:
            case Token::Kind::String: {
                ExprPtr e = make(Expr::Kind::Literal, token.begin);
                e->literal = token.value;
                e->end = next().end;
                return e;
            }
            case Token::Kind::Name:
                return parseName();
            case Token::Kind::Punct:
                if (token.text == "(") {
                    ++token_;
                    ExprPtr e = parseExpression();
                    if (!atPunct(")")) {
                        unexpected(peek(), "expected ')'");
                    }
                    ++token_;
                    return e;
                }
                if (token.text == "[" || token.text == "{") {
                    ExprPtr e = make(Expr::Kind::Literal, token.begin);
                    e->literal = parseConstant();
                    e->end = (*tokens_)[token_ - 1].end;
                    return e;
                }
                break;
            case Token::Kind::End:
                break;
        }
        unexpected(token, "expected an expression");
    }

    ExprPtr parseName() {
        const Token& token = next();
        if (token.text == "true" || token.text == "false" || token.text == "null") {
            ExprPtr e = make(Expr::Kind::Literal, token.begin);
            e->literal = token.text == "null" ? nlohmann::json() : nlohmann::json(token.text == "true");
            e->end = token.end;
            return e;
        }
        if (isReserved(token.text) || isDigit(token.text[0])) {
            unexpected(token, "expected an expression");
        }
        if (!atPunct("(")) {
            ExprPtr e = make(Expr::Kind::Variable, token.begin);
            e->name = std::string(token.text);
            e->end = token.end;
            return e;
        }
        ++token_;
        ExprPtr call = make(Expr::Kind::Call, token.begin);
        call->name = std::string(token.text);
        while (!atPunct(")")) {
            if (!call->operands.empty()) {
                if (!atPunct(",")) {
                    unexpected(peek(), "expected ',' or ')'");
                }
                ++token_;
            }
            call->operands.push_back(parseExpression());
        }
        call->end = next().end;
        if (const BuiltinSignature* builtin = findBuiltin(call->name)) {
            std::size_t argc = call->operands.size();
            if (argc < builtin->minArgs || argc > builtin->maxArgs) {
                std::string expected = builtin->minArgs == builtin->maxArgs
                                           ? fmt::format("expected {}", builtin->minArgs)
                                           : fmt::format("expected {} or {}", builtin->minArgs, builtin->maxArgs);
                fail(call->begin, fmt::format("wrong number of arguments to '{}'", call->name), expected);
            }
            call->builtin = builtin->builtin;
        }
        return call;
    }

    // Lists and objects written in a template hold literals only, so that no value can grow by referring to itself.
    nlohmann::json parseConstant() {
        DepthGuard guard(expressionDepth_, *this, peek().begin);
        const Token& token = next();
        switch (token.kind) {
            case Token::Kind::Number:
            case Token::Kind::String:
                return token.value;
            case Token::Kind::Name:
                if (token.text == "true" || token.text == "false") {
                    return token.text == "true";
                }
                if (token.text == "null") {
                    return nullptr;
                }
                break;
            case Token::Kind::Punct:
                if (token.text == "-" && peek().kind == Token::Kind::Number) {
                    nlohmann::json value = next().value;
                    negate(value);
                    return value;
                }
                if (token.text == "[") {
                    nlohmann::json array = nlohmann::json::array();
                    while (!atPunct("]")) {
                        if (!array.empty()) {
                            expectPunct(",", "expected ',' or ']'");
                        }
                        array.push_back(parseConstant());
                    }
                    ++token_;
                    return array;
                }
                if (token.text == "{") {
                    nlohmann::json object = nlohmann::json::object();
                    bool first = true;
                    while (!atPunct("}")) {
                        if (!first) {
                            expectPunct(",", "expected ',' or '}'");
                        }
                        first = false;
                        std::string key = expectString("expected a member name in quotes");
                        expectPunct(":", "expected ':'");
                        object[key] = parseConstant();
                    }
                    ++token_;
                    return object;
                }
                break;
            case Token::Kind::End:
                break;
        }
        unexpected(token, "expected a literal (lists and objects written in a template hold literals only)");
    }

    TemplateData& t_;
    std::string_view s_;
    std::vector<Segment> segments_;
    std::size_t next_ = 0;  // the next segment to parse
    const std::vector<Token>* tokens_ = nullptr;
    std::size_t token_ = 0;
    std::string_view closer_;
    std::string_view stop_;  // the keyword that ended the last parseBody
    int statementDepth_ = 0;
    int expressionDepth_ = 0;
    std::set<std::string, std::less<>> blockNames_;
};

}  // namespace

std::unique_ptr<TemplateData> parseTemplate(std::string name, std::string_view text) {
    auto t = std::make_unique<TemplateData>();
    t->name = std::move(name);
    t->source = std::string(text);
    t->lineStarts.push_back(0);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            t->lineStarts.push_back(i + 1);
        }
    }
    Parser(*t).run();
    return t;
}

}  // namespace zephalon::templating
