#include "zephalon/foundation/uri_template.h"

#include <fmt/format.h>

#include <algorithm>

#include "validators_internal.h"

namespace zephalon {

namespace {

using validators_detail::isAlnum;
using validators_detail::isHexDigit;

bool isPercentTriplet(std::string_view text, std::size_t pos) {
    return pos + 2 < text.size() && text[pos] == '%' && isHexDigit(text[pos + 1]) && isHexDigit(text[pos + 2]);
}

// ASCII characters that may stand in a literal. The apostrophe is allowed: it is
// a sub-delimiter in URIs and templates use it in practice.
bool isLiteralAscii(unsigned char c) {
    if (c <= 0x20 || c >= 0x7F) {
        return false;
    }
    return std::string_view("\"%<>\\^`{|}").find(static_cast<char>(c)) == std::string_view::npos;
}

// Length of the UTF-8 sequence at `pos` if it encodes a character that an IRI
// allows (ucschar or iprivate), else 0.
std::size_t nonAsciiLiteralLength(std::string_view text, std::size_t pos) {
    auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 0 || pos + length > text.size()) {
        return 0;
    }
    auto decoded = validators_detail::decodeUtf8(text.substr(pos, length));
    if (!decoded || decoded->size() != 1) {
        return 0;
    }
    char32_t cp = (*decoded)[0];
    bool nonCharacter = (cp >= 0xFDD0 && cp <= 0xFDEF) || (cp & 0xFFFE) == 0xFFFE;
    return cp >= 0xA0 && !nonCharacter ? length : 0;
}

std::optional<UriTemplateOperator> operatorFor(char c) {
    switch (c) {
        case '+':
            return UriTemplateOperator::Reserved;
        case '#':
            return UriTemplateOperator::Fragment;
        case '.':
            return UriTemplateOperator::Label;
        case '/':
            return UriTemplateOperator::PathSegment;
        case ';':
            return UriTemplateOperator::PathParameter;
        case '?':
            return UriTemplateOperator::Query;
        case '&':
            return UriTemplateOperator::QueryContinuation;
        default:
            return std::nullopt;
    }
}

class Parser {
  public:
    explicit Parser(std::string_view text) : text_(text) {}

    std::vector<UriTemplate::Part> run() {
        std::vector<UriTemplate::Part> parts;
        std::string literal;
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            if (c == '{') {
                if (!literal.empty()) {
                    parts.emplace_back(std::move(literal));
                    literal.clear();
                }
                parts.emplace_back(expression());
                continue;
            }
            if (c == '}') {
                fail("'}' without a matching '{'");
            }
            if (c == '%') {
                if (!isPercentTriplet(text_, pos_)) {
                    fail("'%' is not followed by two hex digits");
                }
                literal.append(text_.substr(pos_, 3));
                pos_ += 3;
                continue;
            }
            auto byte = static_cast<unsigned char>(c);
            if (byte < 0x80) {
                if (!isLiteralAscii(byte)) {
                    fail(fmt::format("character {:#04x} is not allowed in a URI template", byte));
                }
                literal.push_back(c);
                ++pos_;
                continue;
            }
            std::size_t length = nonAsciiLiteralLength(text_, pos_);
            if (length == 0) {
                fail("invalid UTF-8 or a character that is not allowed in a URI template");
            }
            literal.append(text_.substr(pos_, length));
            pos_ += length;
        }
        if (!literal.empty()) {
            parts.emplace_back(std::move(literal));
        }
        return parts;
    }

  private:
    [[noreturn]] void fail(const std::string& message) const {
        throw UriTemplateError(fmt::format("invalid URI template at offset {}: {}", pos_, message), pos_);
    }

    bool atEnd() const { return pos_ >= text_.size(); }

    UriTemplateExpression expression() {
        UriTemplateExpression expr;
        expr.position = pos_;
        ++pos_;  // '{'
        if (atEnd()) {
            fail("unterminated expression");
        }
        if (auto op = operatorFor(text_[pos_])) {
            expr.op = *op;
            ++pos_;
        } else if (std::string_view("=,!@|").find(text_[pos_]) != std::string_view::npos) {
            fail(fmt::format("operator '{}' is reserved", text_[pos_]));
        }
        while (true) {
            expr.variables.push_back(varSpec());
            if (atEnd()) {
                fail("unterminated expression");
            }
            if (text_[pos_] == '}') {
                ++pos_;
                return expr;
            }
            if (text_[pos_] != ',') {
                fail(fmt::format("unexpected '{}' in expression", text_[pos_]));
            }
            ++pos_;
        }
    }

    // varchar = ALPHA / DIGIT / "_" / pct-encoded; a name is varchars with
    // single dots between them.
    bool varchar() {
        if (atEnd()) {
            return false;
        }
        char c = text_[pos_];
        if (isAlnum(c) || c == '_') {
            ++pos_;
            return true;
        }
        if (isPercentTriplet(text_, pos_)) {
            pos_ += 3;
            return true;
        }
        return false;
    }

    UriTemplateVarSpec varSpec() {
        UriTemplateVarSpec spec;
        std::size_t start = pos_;
        if (!varchar()) {
            fail(atEnd() || text_[pos_] == '}' || text_[pos_] == ',' ? "empty variable name"
                                                                     : "invalid character in variable name");
        }
        while (true) {
            while (varchar()) {
            }
            if (!atEnd() && text_[pos_] == '.') {
                ++pos_;
                if (!varchar()) {
                    fail("a '.' in a variable name must be followed by a name character");
                }
                continue;
            }
            break;
        }
        spec.name = std::string(text_.substr(start, pos_ - start));
        if (atEnd()) {
            return spec;
        }
        if (text_[pos_] == '*') {
            spec.explode = true;
            ++pos_;
        } else if (text_[pos_] == ':') {
            ++pos_;
            std::size_t digits = pos_;
            unsigned value = 0;
            while (!atEnd() && text_[pos_] >= '0' && text_[pos_] <= '9' && pos_ - digits < 5) {
                value = value * 10 + static_cast<unsigned>(text_[pos_] - '0');
                ++pos_;
            }
            if (pos_ == digits || text_[digits] == '0' || value > 9999) {
                pos_ = digits;
                fail("a prefix length must be a number from 1 to 9999");
            }
            spec.prefixLength = value;
        }
        return spec;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

struct OperatorRules {
    std::string_view first;
    std::string_view separator;
    bool named;
    std::string_view ifEmpty;
    bool allowReserved;
};

OperatorRules rulesFor(UriTemplateOperator op) {
    switch (op) {
        case UriTemplateOperator::Simple:
            return {"", ",", false, "", false};
        case UriTemplateOperator::Reserved:
            return {"", ",", false, "", true};
        case UriTemplateOperator::Fragment:
            return {"#", ",", false, "", true};
        case UriTemplateOperator::Label:
            return {".", ".", false, "", false};
        case UriTemplateOperator::PathSegment:
            return {"/", "/", false, "", false};
        case UriTemplateOperator::PathParameter:
            return {";", ";", true, "", false};
        case UriTemplateOperator::Query:
            return {"?", "&", true, "=", false};
        case UriTemplateOperator::QueryContinuation:
            return {"&", "&", true, "=", false};
    }
    return {"", ",", false, "", false};
}

bool isUnreserved(char c) { return isAlnum(c) || c == '-' || c == '.' || c == '_' || c == '~'; }
bool isReserved(char c) { return std::string_view(":/?#[]@!$&'()*+,;=").find(c) != std::string_view::npos; }

// Percent-encodes what the operator does not allow; with allowReserved,
// reserved characters and existing percent-encoded triplets pass unchanged.
void appendEncoded(std::string& out, std::string_view value, bool allowReserved) {
    static constexpr std::string_view hex = "0123456789ABCDEF";
    for (std::size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        if (isUnreserved(c) || (allowReserved && isReserved(c))) {
            out.push_back(c);
        } else if (allowReserved && isPercentTriplet(value, i)) {
            out.append(value.substr(i, 3));
            i += 2;
        } else {
            auto b = static_cast<unsigned char>(c);
            out.push_back('%');
            out.push_back(hex[b >> 4]);
            out.push_back(hex[b & 0xF]);
        }
    }
}

// The first `length` characters (code points, not bytes) of a UTF-8 string.
std::string_view prefixOf(std::string_view value, unsigned length) {
    std::size_t pos = 0;
    for (unsigned count = 0; count < length && pos < value.size(); ++count) {
        ++pos;
        while (pos < value.size() && (static_cast<unsigned char>(value[pos]) & 0xC0) == 0x80) {
            ++pos;
        }
    }
    return value.substr(0, pos);
}

void expandExpression(std::string& out, const UriTemplateExpression& expr,
                      const std::map<std::string, UriTemplate::Value, std::less<>>& variables) {
    OperatorRules rules = rulesFor(expr.op);
    bool first = true;
    auto startItem = [&]() {
        out.append(first ? rules.first : rules.separator);
        first = false;
    };
    auto appendName = [&](std::string_view name, std::string_view value) {
        out.append(name);
        out.append(value.empty() ? rules.ifEmpty : "=");
    };
    for (const UriTemplateVarSpec& spec : expr.variables) {
        auto it = variables.find(spec.name);
        if (it == variables.end()) {
            continue;
        }
        const UriTemplate::Value& value = it->second;
        if (const auto* text = std::get_if<std::string>(&value)) {
            startItem();
            std::string_view shown = spec.prefixLength ? prefixOf(*text, *spec.prefixLength) : *text;
            if (rules.named) {
                appendName(spec.name, *text);
            }
            appendEncoded(out, shown, rules.allowReserved);
            continue;
        }
        if (const auto* list = std::get_if<std::vector<std::string>>(&value)) {
            if (list->empty()) {
                continue;
            }
            startItem();
            if (!spec.explode) {
                if (rules.named) {
                    out.append(spec.name);
                    out.push_back('=');
                }
                for (std::size_t i = 0; i < list->size(); ++i) {
                    if (i > 0) {
                        out.push_back(',');
                    }
                    appendEncoded(out, (*list)[i], rules.allowReserved);
                }
                continue;
            }
            for (std::size_t i = 0; i < list->size(); ++i) {
                if (i > 0) {
                    out.append(rules.separator);
                }
                if (rules.named) {
                    appendName(spec.name, (*list)[i]);
                }
                appendEncoded(out, (*list)[i], rules.allowReserved);
            }
            continue;
        }
        const auto& pairs = std::get<std::vector<std::pair<std::string, std::string>>>(value);
        if (pairs.empty()) {
            continue;
        }
        startItem();
        if (!spec.explode) {
            if (rules.named) {
                out.append(spec.name);
                out.push_back('=');
            }
            for (std::size_t i = 0; i < pairs.size(); ++i) {
                if (i > 0) {
                    out.push_back(',');
                }
                appendEncoded(out, pairs[i].first, rules.allowReserved);
                out.push_back(',');
                appendEncoded(out, pairs[i].second, rules.allowReserved);
            }
            continue;
        }
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            if (i > 0) {
                out.append(rules.separator);
            }
            appendEncoded(out, pairs[i].first, rules.allowReserved);
            if (rules.named && pairs[i].second.empty()) {
                out.append(rules.ifEmpty);
            } else {
                out.push_back('=');
                appendEncoded(out, pairs[i].second, rules.allowReserved);
            }
        }
    }
}

}  // namespace

UriTemplate UriTemplate::parse(std::string_view text) {
    UriTemplate result;
    result.parts_ = Parser(text).run();
    return result;
}

std::optional<UriTemplate> UriTemplate::tryParse(std::string_view text) {
    try {
        return parse(text);
    } catch (const UriTemplateError&) {
        return std::nullopt;
    }
}

std::vector<std::string> UriTemplate::variableNames() const {
    std::vector<std::string> names;
    for (const Part& part : parts_) {
        if (const auto* expr = std::get_if<UriTemplateExpression>(&part)) {
            for (const UriTemplateVarSpec& spec : expr->variables) {
                if (std::find(names.begin(), names.end(), spec.name) == names.end()) {
                    names.push_back(spec.name);
                }
            }
        }
    }
    return names;
}

std::string UriTemplate::expand(const std::map<std::string, Value, std::less<>>& variables) const {
    std::string out;
    for (const Part& part : parts_) {
        if (const auto* literal = std::get_if<std::string>(&part)) {
            // Literals were validated when parsing; characters a URI cannot hold
            // (non-ASCII) are percent-encoded, triplets are kept.
            appendEncoded(out, *literal, true);
        } else {
            expandExpression(out, std::get<UriTemplateExpression>(part), variables);
        }
    }
    return out;
}

}  // namespace zephalon
