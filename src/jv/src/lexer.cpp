#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "zephalon/jv/json_reader.h"

namespace zephalon::jv {

namespace {

// Byte classes inside a string: 0 plain, 1 ends the fast scan (quote, backslash, control byte or non-ASCII).
constexpr auto kStringStop = [] {
    std::array<std::uint8_t, 256> table{};
    for (int c = 0; c < 0x20; ++c) table[c] = 1;
    table['"'] = 1;
    table['\\'] = 1;
    for (int c = 0x80; c < 0x100; ++c) table[c] = 1;
    return table;
}();

// Words are loaded from the text as they lie in memory; counting trailing zero bits finds the first byte of one.
static_assert(std::endian::native == std::endian::little);

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// Whether any of the eight bytes ends the fast scan of a string: a control byte, a double quote, a backslash or a
// non-ASCII byte. Word-wide byte tests: a subtraction sets a byte's high bit where the byte is below the subtrahend,
// and a borrow only ever spills past a byte that matched itself, so the answer is exact.
inline bool anyStringStop(std::uint64_t word) {
    std::uint64_t quote = word ^ (kOnes * '"');
    std::uint64_t backslash = word ^ (kOnes * '\\');
    std::uint64_t below = (word - kOnes * 0x20) | (quote - kOnes) | (backslash - kOnes);
    return ((word | (below & ~word)) & kHighBits) != 0;
}

constexpr bool isHex(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

constexpr bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Length of the well-formed UTF-8 sequence at `p` (lead byte >= 0x80), or 0 when it is ill-formed: no overlong
// forms, no surrogates, nothing above U+10FFFF.
std::size_t utf8Sequence(const unsigned char* p, const unsigned char* end) {
    unsigned char c = p[0];
    auto cont = [&](std::size_t i) { return p + i < end && (p[i] & 0xC0) == 0x80; };
    if (c >= 0xC2 && c <= 0xDF) return cont(1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (p + 1 >= end) return 0;
        unsigned char c1 = p[1];
        if (c == 0xE0 && c1 < 0xA0) return 0;
        if (c == 0xED && c1 > 0x9F) return 0;
        return cont(1) && cont(2) ? 3 : 0;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (p + 1 >= end) return 0;
        unsigned char c1 = p[1];
        if (c == 0xF0 && c1 < 0x90) return 0;
        if (c == 0xF4 && c1 > 0x8F) return 0;
        return cont(1) && cont(2) && cont(3) ? 4 : 0;
    }
    return 0;
}

}  // namespace

void Lexer::reset(std::string_view text) {
    text_ = text;
    cur_ = start_ = end_ = 0;
    line_ = 1;
    lineStart_ = 0;
    error_ = Error::None;
}

Lexer::Token Lexer::fail(Error error, std::size_t at) {
    error_ = error;
    end_ = at;
    cur_ = at;
    return Token::Error;
}

Lexer::Token Lexer::next() {
    const char* data = text_.data();
    const std::size_t size = text_.size();
    for (;;) {
        // White space; newlines only ever occur here (and in comments), which is what lets the lexer count lines.
        while (cur_ < size) {
            char c = data[cur_];
            if (c == ' ') {
                // Indentation comes in runs of spaces: skip them eight at a time.
                ++cur_;
                while (cur_ + 8 <= size) {
                    std::uint64_t word;
                    std::memcpy(&word, data + cur_, sizeof word);
                    std::uint64_t other = word ^ (kOnes * ' ');
                    if (other != 0) {
                        cur_ += static_cast<std::size_t>(std::countr_zero(other)) / 8;
                        break;
                    }
                    cur_ += 8;
                }
            } else if (c == '\t') {
                ++cur_;
            } else if (c == '\n') {
                ++cur_;
                newLine();
            } else if (c == '\r') {
                ++cur_;
                if (cur_ < size && data[cur_] == '\n') continue;
                newLine();
            } else if (c == '\v' || c == '\f') {
                ++cur_;
            } else {
                break;
            }
        }
        start_ = cur_;
        if (cur_ >= size) {
            end_ = cur_;
            return Token::Eof;
        }
        char c = data[cur_];
        switch (c) {
            case '{':
                end_ = ++cur_;
                return Token::LeftBrace;
            case '}':
                end_ = ++cur_;
                return Token::RightBrace;
            case '[':
                end_ = ++cur_;
                return Token::LeftBracket;
            case ']':
                end_ = ++cur_;
                return Token::RightBracket;
            case ':':
                end_ = ++cur_;
                return Token::Colon;
            case ',':
                end_ = ++cur_;
                return Token::Comma;
            case '"':
                return lexString();
            case 't':
                if (text_.substr(cur_, 4) == "true") {
                    boolean_ = true;
                    end_ = cur_ += 4;
                    return Token::Boolean;
                }
                return fail(Error::InvalidChar, cur_);
            case 'f':
                if (text_.substr(cur_, 5) == "false") {
                    boolean_ = false;
                    end_ = cur_ += 5;
                    return Token::Boolean;
                }
                return fail(Error::InvalidChar, cur_);
            case 'n':
                if (text_.substr(cur_, 4) == "null") {
                    end_ = cur_ += 4;
                    return Token::Null;
                }
                return fail(Error::InvalidChar, cur_);
            case '/':
                if (!allowComments_) return fail(Error::UnallowedComment, cur_);
                if (!skipComment()) return fail(Error::InvalidChar, cur_);
                end_ = cur_;
                return Token::Comment;
            default:
                if (c == '-' || isDigit(static_cast<unsigned char>(c))) return lexNumber();
                return fail(Error::InvalidChar, cur_);
        }
    }
}

bool Lexer::skipComment() {
    const std::size_t size = text_.size();
    if (cur_ + 1 >= size) return false;
    if (text_[cur_ + 1] == '/') {
        cur_ += 2;
        while (cur_ < size && text_[cur_] != '\n' && text_[cur_] != '\r') ++cur_;
        return true;
    }
    if (text_[cur_ + 1] != '*') return false;
    cur_ += 2;
    while (cur_ + 1 < size) {
        char c = text_[cur_];
        if (c == '*' && text_[cur_ + 1] == '/') {
            cur_ += 2;
            return true;
        }
        ++cur_;
        if (c == '\n' || (c == '\r' && (cur_ >= size || text_[cur_] != '\n'))) newLine();
    }
    return false;
}

Lexer::Token Lexer::lexString() {
    const auto* data = reinterpret_cast<const unsigned char*>(text_.data());
    const std::size_t size = text_.size();
    std::size_t i = cur_ + 1;
    bool escapes = false;
    for (;;) {
        // Most string bytes are plain ASCII: pass them eight at a time.
        while (i + 8 <= size) {
            std::uint64_t word;
            std::memcpy(&word, data + i, sizeof word);
            if (anyStringStop(word)) break;
            i += 8;
        }
        while (i < size && kStringStop[data[i]] == 0) ++i;
        if (i >= size) return fail(Error::InvalidString, i);
        unsigned char c = data[i];
        if (c == '"') {
            end_ = cur_ = i + 1;
            return escapes ? Token::StringWithEscapes : Token::String;
        }
        if (c == '\\') {
            escapes = true;
            if (i + 1 >= size) return fail(Error::InvalidString, i + 1);
            unsigned char e = data[i + 1];
            switch (e) {
                case '"':
                case '\\':
                case '/':
                case 'b':
                case 'f':
                case 'n':
                case 'r':
                case 't':
                    i += 2;
                    break;
                case 'u':
                    for (std::size_t k = 2; k < 6; ++k) {
                        if (i + k >= size) return fail(Error::InvalidString, i + k);
                        if (!isHex(data[i + k])) return fail(Error::StringInvalidHexChar, i + k);
                    }
                    i += 6;
                    break;
                default:
                    return fail(Error::StringInvalidEscapedChar, i + 1);
            }
            continue;
        }
        if (c < 0x20) return fail(Error::StringInvalidJsonChar, i);
        // Non-ASCII byte.
        if (validateUtf8_) {
            std::size_t n = utf8Sequence(data + i, data + size);
            if (n == 0) return fail(Error::StringInvalidUtf8, i);
            i += n;
        } else {
            ++i;
        }
    }
}

Lexer::Token Lexer::lexNumber() {
    const char* data = text_.data();
    const std::size_t size = text_.size();
    std::size_t i = cur_;
    auto digit = [&](std::size_t at) { return at < size && isDigit(static_cast<unsigned char>(data[at])); };
    if (data[i] == '-') {
        ++i;
        if (!digit(i)) return fail(Error::MissingIntegerAfterMinus, i);
    }
    if (data[i] == '0') {
        // A leading zero ends the integer part; a digit after it starts another token and fails the parse.
        ++i;
    } else {
        while (digit(i)) ++i;
    }
    bool fraction = false;
    if (i < size && data[i] == '.') {
        ++i;
        if (!digit(i)) return fail(Error::MissingIntegerAfterDecimal, i);
        while (digit(i)) ++i;
        fraction = true;
    }
    if (i < size && (data[i] == 'e' || data[i] == 'E')) {
        ++i;
        if (i < size && (data[i] == '+' || data[i] == '-')) ++i;
        if (!digit(i)) return fail(Error::MissingIntegerAfterExponent, i);
        while (digit(i)) ++i;
        fraction = true;
    }
    end_ = cur_ = i;
    return fraction ? Token::Double : Token::Integer;
}

}  // namespace zephalon::jv
