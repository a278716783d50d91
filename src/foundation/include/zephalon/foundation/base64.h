#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zephalon {

// Base64 with the standard alphabet of RFC 4648 ("A-Za-z0-9+/") and "="
// padding. Decoding is strict, so that a check of contentEncoding "base64"
// means what it says: the length must be a multiple of four, padding may only
// stand at the end (one or two "="), the bits that padding leaves over must be
// zero, and no other character (whitespace included) is allowed.
std::string encodeBase64(std::string_view data);

struct Base64DecodeResult {
    std::optional<std::string> data;  // the decoded bytes, or std::nullopt on error
    std::size_t errorOffset = 0;      // offset of the offending character when data is absent
    std::string error;                // what is wrong, empty on success
};

Base64DecodeResult decodeBase64(std::string_view text);

inline bool isValidBase64(std::string_view text) { return decodeBase64(text).data.has_value(); }

}  // namespace zephalon
