#pragma once

// RFC 3986 reference resolution, just what "$ref" and "id" need: split a URL into its five components and
// resolve a reference against an absolute base (section 5.2, with dot-segment removal).

#include <optional>
#include <string>
#include <string_view>

namespace zephalon::jv::schema::url {

struct Parts {
    std::optional<std::string_view> scheme;
    std::optional<std::string_view> authority;
    std::string_view path;
    std::optional<std::string_view> query;
    std::optional<std::string_view> fragment;
};

Parts split(std::string_view text);
std::string removeDotSegments(std::string_view path);
// Resolves `reference` against `base`. A base without scheme is treated as a relative path, so the result is
// then relative as well.
std::string resolve(std::string_view reference, std::string_view base);
// The URL without its fragment.
std::string_view withoutFragment(std::string_view text);
// Percent-decoding of %XX sequences; anything else (including a malformed "%") is kept as is.
std::string percentDecode(std::string_view text);

}  // namespace zephalon::jv::schema::url
