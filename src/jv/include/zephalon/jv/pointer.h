#pragma once

#include <compare>
#include <cstddef>
#include <exception>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace zephalon::jv {

class JVPointerError : public std::exception {
  public:
    explicit JVPointerError(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }

  private:
    std::string message_;
};

// A parsed JSON Pointer: a list of reference tokens, each held unescaped.
class JVPointer {
  public:
    JVPointer() = default;
    // Parses pointer text; raises JVPointerError when the text is not a pointer.
    explicit JVPointer(std::string_view text) { assign(text); }
    explicit JVPointer(std::vector<std::string> tokens) : tokens_(std::move(tokens)) {}

    // The empty text gives the empty pointer; any other text must begin with a slash. "~0" stands for a tilde and
    // "~1" for a slash; any other use of a tilde is refused.
    JVPointer& assign(std::string_view text);
    JVPointer& assign(std::vector<std::string> tokens);

    // Each of these adds one token (a whole list for the vector form).
    JVPointer& append(char token);
    JVPointer& append(const char* token) { return append(std::string_view(token)); }
    JVPointer& append(std::string_view token);
    JVPointer& append(const std::string& token) { return append(std::string_view(token)); }
    JVPointer& append(const std::vector<std::string>& tokens);
    JVPointer& appendIndex(std::size_t index);

    // Copies of this pointer extended by one token.
    JVPointer concat(char token) const;
    JVPointer concat(const char* token) const { return concat(std::string_view(token)); }
    JVPointer concat(std::string_view token) const;
    JVPointer concat(const std::string& token) const { return concat(std::string_view(token)); }

    // This pointer without its last token; raises JVPointerError for the empty pointer.
    JVPointer parent() const;

    // The pointer text, tokens escaped; the empty pointer gives "".
    std::string string() const;

    // Token by token, byte-wise; a pointer that is a prefix of another sorts first. Negative, zero or positive.
    int compare(const JVPointer& other) const;
    std::size_t hash() const;

    bool empty() const { return tokens_.empty(); }
    std::size_t size() const { return tokens_.size(); }
    const std::string& operator[](std::size_t i) const { return tokens_[i]; }
    const std::string& back() const { return tokens_.back(); }
    const std::vector<std::string>& tokens() const { return tokens_; }
    auto begin() const { return tokens_.begin(); }
    auto end() const { return tokens_.end(); }

    friend bool operator==(const JVPointer& a, const JVPointer& b) { return a.tokens_ == b.tokens_; }
    friend std::strong_ordering operator<=>(const JVPointer& a, const JVPointer& b) { return a.compare(b) <=> 0; }

  private:
    std::vector<std::string> tokens_;
};

// Writes the pointer text.
std::ostream& operator<<(std::ostream& out, const JVPointer& pointer);
// Reads one white-space delimited word and assigns it (may raise JVPointerError).
std::istream& operator>>(std::istream& in, JVPointer& pointer);

// Appends a reference token to pointer text, writing "~" as "~0" and "/" as "~1".
void appendEscapedToken(std::string& out, std::string_view token);
std::string escapeToken(std::string_view token);

// Sets `out` to the parent's pointer text extended by a property key or an array index.
void jpointerMake(std::string& out, std::string_view parent, std::string_view key);
void jpointerMake(std::string& out, std::string_view parent, std::size_t index);

// Matches pointer text against a pattern of the same number of slash-separated segments. A pattern segment "*"
// matches any segment; "{a,b,c}" matches any of the listed alternatives; any other segment must be equal.
bool jpointerMatch(std::string_view pointer, std::string_view pattern);

// Splits text at every separator; n separators give n+1 parts.
std::vector<std::string> split(std::string_view text, char separator);

}  // namespace zephalon::jv

template <>
struct std::hash<zephalon::jv::JVPointer> {
    std::size_t operator()(const zephalon::jv::JVPointer& p) const noexcept { return p.hash(); }
};
