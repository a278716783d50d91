#include "zephalon/jv/pointer.h"

#include <fmt/format.h>

#include <algorithm>
#include <istream>
#include <ostream>

namespace zephalon::jv {

namespace {

// Unescapes one token; false for a tilde that is last or not followed by 0 or 1.
bool unescapeToken(std::string_view raw, std::string& out) {
    out.clear();
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        char c = raw[i];
        if (c != '~') {
            out.push_back(c);
            continue;
        }
        if (i + 1 >= raw.size()) return false;
        char next = raw[++i];
        if (next == '0') {
            out.push_back('~');
        } else if (next == '1') {
            out.push_back('/');
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

JVPointer& JVPointer::assign(std::string_view text) {
    std::vector<std::string> tokens;
    if (!text.empty()) {
        if (text.front() != '/') {
            throw JVPointerError(fmt::format("{} does not represent a valid JSON pointer", text));
        }
        std::size_t begin = 1;
        for (;;) {
            std::size_t slash = text.find('/', begin);
            std::string_view raw =
                text.substr(begin, slash == std::string_view::npos ? std::string_view::npos : slash - begin);
            std::string token;
            if (!unescapeToken(raw, token)) throw JVPointerError("Invalid JSON pointer");
            tokens.push_back(std::move(token));
            if (slash == std::string_view::npos) break;
            begin = slash + 1;
        }
    }
    tokens_ = std::move(tokens);
    return *this;
}

JVPointer& JVPointer::assign(std::vector<std::string> tokens) {
    tokens_ = std::move(tokens);
    return *this;
}

JVPointer& JVPointer::append(char token) {
    tokens_.emplace_back(1, token);
    return *this;
}

JVPointer& JVPointer::append(std::string_view token) {
    tokens_.emplace_back(token);
    return *this;
}

JVPointer& JVPointer::append(const std::vector<std::string>& tokens) {
    tokens_.insert(tokens_.end(), tokens.begin(), tokens.end());
    return *this;
}

JVPointer& JVPointer::appendIndex(std::size_t index) {
    tokens_.push_back(fmt::format("{}", index));
    return *this;
}

JVPointer JVPointer::concat(char token) const {
    JVPointer copy(*this);
    copy.append(token);
    return copy;
}

JVPointer JVPointer::concat(std::string_view token) const {
    JVPointer copy(*this);
    copy.append(token);
    return copy;
}

JVPointer JVPointer::parent() const {
    if (tokens_.empty()) throw JVPointerError("JSON pointer has no parent");
    return JVPointer(std::vector<std::string>(tokens_.begin(), tokens_.end() - 1));
}

std::string JVPointer::string() const {
    std::string out;
    for (const std::string& token : tokens_) {
        out.push_back('/');
        appendEscapedToken(out, token);
    }
    return out;
}

int JVPointer::compare(const JVPointer& other) const {
    std::size_t n = std::min(tokens_.size(), other.tokens_.size());
    for (std::size_t i = 0; i < n; ++i) {
        int c = tokens_[i].compare(other.tokens_[i]);
        if (c != 0) return c < 0 ? -1 : 1;
    }
    if (tokens_.size() == other.tokens_.size()) return 0;
    return tokens_.size() < other.tokens_.size() ? -1 : 1;
}

std::size_t JVPointer::hash() const { return std::hash<std::string>{}(string()); }

std::ostream& operator<<(std::ostream& out, const JVPointer& pointer) { return out << pointer.string(); }

std::istream& operator>>(std::istream& in, JVPointer& pointer) {
    std::string word;
    if (in >> word) pointer.assign(word);
    return in;
}

void appendEscapedToken(std::string& out, std::string_view token) {
    for (char c : token) {
        if (c == '~') {
            out += "~0";
        } else if (c == '/') {
            out += "~1";
        } else {
            out.push_back(c);
        }
    }
}

std::string escapeToken(std::string_view token) {
    std::string out;
    out.reserve(token.size());
    appendEscapedToken(out, token);
    return out;
}

void jpointerMake(std::string& out, std::string_view parent, std::string_view key) {
    std::string text;
    text.reserve(parent.size() + key.size() + 1);
    text.append(parent);
    text.push_back('/');
    appendEscapedToken(text, key);
    out = std::move(text);
}

void jpointerMake(std::string& out, std::string_view parent, std::size_t index) {
    out = fmt::format("{}/{}", parent, index);
}

namespace {

// The segments of a text split at a separator, one at a time and without allocating: pattern matching runs for
// every object a formatter writes.
class Segments {
  public:
    Segments(std::string_view text, char separator) : rest_(text), separator_(separator) {}

    // Sets `segment` to the next segment; false when the text is exhausted. n separators give n + 1 segments.
    bool next(std::string_view& segment) {
        if (done_) return false;
        std::size_t at = rest_.find(separator_);
        if (at == std::string_view::npos) {
            segment = rest_;
            done_ = true;
        } else {
            segment = rest_.substr(0, at);
            rest_.remove_prefix(at + 1);
        }
        return true;
    }

  private:
    std::string_view rest_;
    char separator_;
    bool done_ = false;
};

bool segmentMatches(std::string_view segment, std::string_view pattern) {
    if (pattern == "*") return true;
    if (pattern.size() >= 2 && pattern.front() == '{' && pattern.back() == '}') {
        Segments alternatives(pattern.substr(1, pattern.size() - 2), ',');
        for (std::string_view alternative; alternatives.next(alternative);) {
            if (alternative == segment) return true;
        }
        return false;
    }
    return segment == pattern;
}

}  // namespace

bool jpointerMatch(std::string_view pointer, std::string_view pattern) {
    Segments segments(pointer, '/');
    Segments patterns(pattern, '/');
    for (;;) {
        std::string_view segment;
        std::string_view patternSegment;
        bool hasSegment = segments.next(segment);
        bool hasPattern = patterns.next(patternSegment);
        if (hasSegment != hasPattern) return false;
        if (!hasSegment) return true;
        if (!segmentMatches(segment, patternSegment)) return false;
    }
}

std::vector<std::string> split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    Segments segments(text, separator);
    for (std::string_view part; segments.next(part);) parts.emplace_back(part);
    return parts;
}

}  // namespace zephalon::jv
