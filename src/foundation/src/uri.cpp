#include "zephalon/foundation/uri.h"

#include <fmt/format.h>
#include <uriparser/Uri.h>

#include <memory>
#include <string>

#include "zephalon/foundation/validators.h"

namespace zephalon {

namespace {

// Owns the members of a parsed UriUriA; the text ranges inside point into the
// parsed string, which must outlive this object.
class ParsedUri {
  public:
    ParsedUri() = default;
    ParsedUri(const ParsedUri&) = delete;
    ParsedUri& operator=(const ParsedUri&) = delete;
    ~ParsedUri() {
        if (valid_) {
            uriFreeUriMembersA(&uri_);
        }
    }

    // Returns the offset of the first bad character on failure.
    std::optional<std::size_t> parse(std::string_view text) {
        const char* first = text.data() != nullptr ? text.data() : "";
        const char* errorPos = nullptr;
        int rc = uriParseSingleUriExA(&uri_, first, first + text.size(), &errorPos);
        if (rc != URI_SUCCESS) {
            // uriparser leaves nothing to free on failure.
            return errorPos != nullptr ? static_cast<std::size_t>(errorPos - first) : 0;
        }
        valid_ = true;
        return std::nullopt;
    }

    UriUriA* get() { return &uri_; }
    const UriUriA* get() const { return &uri_; }
    void markValid() { valid_ = true; }

    std::string toString() const {
        int chars = 0;
        if (uriToStringCharsRequiredA(&uri_, &chars) != URI_SUCCESS) {
            throw UriError("cannot convert a URI to text");
        }
        std::string out(static_cast<std::size_t>(chars) + 1, '\0');
        if (uriToStringA(out.data(), &uri_, chars + 1, nullptr) != URI_SUCCESS) {
            throw UriError("cannot convert a URI to text");
        }
        out.resize(static_cast<std::size_t>(chars));
        return out;
    }

  private:
    UriUriA uri_{};
    bool valid_ = false;
};

std::optional<std::string> rangeText(const UriTextRangeA& range) {
    if (range.first == nullptr) {
        return std::nullopt;
    }
    return std::string(range.first, static_cast<std::size_t>(range.afterLast - range.first));
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool isUnreserved(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

// Decodes %XX escapes of unreserved characters and upper-cases the hex digits
// of the others; both spell the same URI (RFC 3986 section 6.2.2).
std::string normalizePercentEncoding(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    static constexpr std::string_view hex = "0123456789ABCDEF";
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            int value = hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]);
            auto c = static_cast<char>(value);
            if (value < 0x80 && isUnreserved(c)) {
                out.push_back(c);
            } else {
                out.push_back('%');
                out.push_back(hex[static_cast<std::size_t>(value >> 4)]);
                out.push_back(hex[static_cast<std::size_t>(value & 0xF)]);
            }
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

}  // namespace

std::optional<Uri> Uri::parseImpl(std::string_view text, std::string* error) {
    ParsedUri parsed;
    if (auto bad = parsed.parse(text)) {
        if (error != nullptr) {
            *error = fmt::format("'{}' is not a valid URI: unexpected character at offset {}", text, *bad);
        }
        return std::nullopt;
    }
    const UriUriA& u = *parsed.get();
    Uri uri;
    uri.text_ = std::string(text);
    uri.scheme_ = rangeText(u.scheme);
    uri.userInfo_ = rangeText(u.userInfo);
    uri.host_ = rangeText(u.hostText).value_or("");
    uri.hostIsIpLiteral_ = u.hostData.ip6 != nullptr || u.hostData.ipFuture.first != nullptr;
    uri.port_ = rangeText(u.portText);
    uri.query_ = rangeText(u.query);
    uri.fragment_ = rangeText(u.fragment);

    // uriparser accepts an IPv4 part with leading zeros inside an IPv6 literal
    // and letters in the port; RFC 3986 allows neither.
    if (u.hostData.ip6 != nullptr && !isValidIPv6(uri.host_)) {
        if (error != nullptr) {
            *error = fmt::format("'{}' is not a valid URI: invalid IPv6 address '{}'", text, uri.host_);
        }
        return std::nullopt;
    }
    if (uri.port_ && uri.port_->find_first_not_of("0123456789") != std::string::npos) {
        if (error != nullptr) {
            *error = fmt::format("'{}' is not a valid URI: invalid port '{}'", text, *uri.port_);
        }
        return std::nullopt;
    }

    // The generic syntax splits cleanly on the first delimiters (RFC 3986
    // appendix B), which gives the raw authority and path.
    std::string_view rest = text;
    if (uri.scheme_) {
        rest.remove_prefix(uri.scheme_->size() + 1);
    }
    std::size_t end = rest.find_first_of("?#");
    std::string_view hierarchy = rest.substr(0, end);
    if (hierarchy.substr(0, 2) == "//") {
        std::size_t slash = hierarchy.find('/', 2);
        uri.authority_ = std::string(hierarchy.substr(2, slash == std::string_view::npos ? slash : slash - 2));
        hierarchy = slash == std::string_view::npos ? std::string_view() : hierarchy.substr(slash);
    }
    uri.path_ = std::string(hierarchy);
    return uri;
}

Uri Uri::parse(std::string_view text) {
    std::string error;
    auto uri = parseImpl(text, &error);
    if (!uri) {
        throw UriError(error);
    }
    return std::move(*uri);
}

std::optional<Uri> Uri::tryParse(std::string_view text) { return parseImpl(text, nullptr); }

Uri Uri::parseLenient(std::string_view text) {
    static constexpr std::string_view hex = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size());
    bool fragment = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        bool escape = c <= 0x20 || c >= 0x7F ||
                      std::string_view("\"<>\\^`{|}").find(static_cast<char>(c)) != std::string_view::npos;
        if (c == '%') {
            escape = !(i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0);
        } else if (c == '#') {
            escape = fragment;
            fragment = true;
        }
        if (escape) {
            encoded.push_back('%');
            encoded.push_back(hex[c >> 4]);
            encoded.push_back(hex[c & 0xF]);
        } else {
            encoded.push_back(static_cast<char>(c));
        }
    }
    auto uri = parseImpl(encoded, nullptr);
    if (!uri) {
        throw UriError(fmt::format("'{}' is not a valid URI reference", text));
    }
    return std::move(*uri);
}

Uri Uri::resolve(const Uri& reference) const {
    if (isAbsolute()) {
        return resolveAgainstAbsolute(reference);
    }
    // A relative base resolves the same way with the scheme left out, so the result stays relative. The algorithm is
    // run under a placeholder scheme that is taken off again.
    static constexpr std::string_view placeholder = "zephalon-relative-base:";
    Uri absolute = parse(std::string(placeholder) + text_).resolveAgainstAbsolute(reference);
    if (reference.isAbsolute()) {
        return absolute;
    }
    std::string resolved = absolute.text_.substr(placeholder.size());
    // A relative path whose first segment holds a ':' would read as a scheme (RFC 3986 section 4.2).
    std::size_t firstSegmentEnd = resolved.find_first_of("/?#");
    if (!resolved.starts_with('/') && resolved.substr(0, firstSegmentEnd).find(':') != std::string::npos) {
        resolved.insert(0, "./");
    }
    return parse(resolved);
}

Uri Uri::resolveAgainstAbsolute(const Uri& reference) const {
    ParsedUri base;
    ParsedUri relative;
    if (base.parse(text_) || relative.parse(reference.text_)) {
        throw UriError(fmt::format("cannot resolve '{}' against '{}'", reference.toString(), text_));
    }
    ParsedUri resolved;
    if (uriAddBaseUriExA(resolved.get(), relative.get(), base.get(), URI_RESOLVE_STRICTLY) != URI_SUCCESS) {
        throw UriError(fmt::format("cannot resolve '{}' against '{}'", reference.toString(), text_));
    }
    resolved.markValid();
    return parse(resolved.toString());
}

Uri Uri::resolve(std::string_view reference) const { return resolve(parse(reference)); }

Uri Uri::normalized() const {
    ParsedUri parsed;
    if (parsed.parse(text_)) {
        throw UriError(fmt::format("'{}' is not a valid URI", text_));
    }
    if (uriNormalizeSyntaxA(parsed.get()) != URI_SUCCESS) {
        throw UriError(fmt::format("cannot normalise '{}'", text_));
    }
    return parse(normalizePercentEncoding(parsed.toString()));
}

Uri Uri::withoutFragment() const {
    if (!fragment_) {
        return *this;
    }
    Uri copy = *this;
    copy.text_.resize(text_.find('#'));
    copy.fragment_.reset();
    return copy;
}

Uri Uri::withFragment(std::optional<std::string_view> fragment) const {
    Uri base = withoutFragment();
    if (!fragment) {
        return base;
    }
    return parse(base.text_ + "#" + std::string(*fragment));
}

std::string percentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2])));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

}  // namespace zephalon
