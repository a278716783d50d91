#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zephalon {

// Raised for text that is not an RFC 3986 URI (or reference) and for operations
// that need an absolute URI but were given a relative one.
class UriError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// An RFC 3986 URI reference: either an absolute URI ("https://host/p?q#f",
// "urn:x:y") or a relative reference ("../a", "#frag", ""). Values are
// immutable; every operation returns a new Uri. The text is kept exactly as
// given (or as produced by resolution or normalisation), so toString() of a
// parsed Uri returns the input.
class Uri {
  public:
    // Throws UriError naming the text and the offset of the first bad character.
    static Uri parse(std::string_view text);
    // std::nullopt instead of an exception.
    static std::optional<Uri> tryParse(std::string_view text);
    // For references written by hand ("./My Pet.yaml", "#/components/schemas/Größe"):
    // percent-encodes the characters a URI can never contain (controls, space,
    // non-ASCII, '"', '<', '>', '\\', '^', '`', '{', '|', '}', a '%' that does not
    // start an escape, and every '#' after the first), then parses. Throws
    // UriError when the text is still not a URI reference.
    static Uri parseLenient(std::string_view text);

    // True when the reference has a scheme.
    bool isAbsolute() const { return scheme_.has_value(); }

    // Components; an absent component is std::nullopt, which differs from an
    // empty one ("http://h?" has an empty query, "http://h" none).
    const std::optional<std::string>& scheme() const { return scheme_; }
    const std::optional<std::string>& authority() const { return authority_; }
    const std::optional<std::string>& userInfo() const { return userInfo_; }
    // The host as written, without the brackets of an IP literal; empty when
    // there is no authority.
    const std::string& host() const { return host_; }
    bool hostIsIpLiteral() const { return hostIsIpLiteral_; }
    const std::optional<std::string>& port() const { return port_; }
    const std::string& path() const { return path_; }
    const std::optional<std::string>& query() const { return query_; }
    const std::optional<std::string>& fragment() const { return fragment_; }

    // Resolves `reference` against this URI as base (RFC 3986 section 5.2,
    // strict: a reference with a scheme keeps it). The base's own fragment is
    // ignored. A relative base gives a relative result ("a/b" and "../c" give
    // "c"), as the same algorithm without a scheme would.
    Uri resolve(const Uri& reference) const;
    Uri resolve(std::string_view reference) const;

    // Syntax-based normalisation (RFC 3986 section 6.2.2): lower-case scheme and
    // host, upper-case percent-encoding hex digits, decode percent-encoded
    // unreserved characters, remove dot segments.
    Uri normalized() const;

    // The same reference without its fragment ("a#b" -> "a"); `fragment()` gives
    // the part that was split off.
    Uri withoutFragment() const;
    // The same reference with the given fragment (std::nullopt removes it).
    Uri withFragment(std::optional<std::string_view> fragment) const;

    const std::string& toString() const { return text_; }

    friend bool operator==(const Uri& a, const Uri& b) { return a.text_ == b.text_; }

  private:
    Uri() = default;
    static std::optional<Uri> parseImpl(std::string_view text, std::string* error);
    Uri resolveAgainstAbsolute(const Uri& reference) const;

    std::string text_;
    std::optional<std::string> scheme_;
    std::optional<std::string> authority_;
    std::optional<std::string> userInfo_;
    std::string host_;
    bool hostIsIpLiteral_ = false;
    std::optional<std::string> port_;
    std::string path_;
    std::optional<std::string> query_;
    std::optional<std::string> fragment_;
};

// Decodes %XX escapes; malformed escapes are kept as they are.
std::string percentDecode(std::string_view text);

}  // namespace zephalon
