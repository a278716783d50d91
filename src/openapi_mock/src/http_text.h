#pragma once

// The small pieces of HTTP text the mock reads and writes itself: media types, Accept, Prefer, query strings,
// cookies, and problem details. Message framing is the HTTP library's job, never done here.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zephalon::jv {
class JV;
}

namespace zephalon::openapi_mock {

// "Application/JSON; charset=utf-8" -> "application/json"; empty when the text is no type/subtype pair.
std::string mediaTypeEssence(std::string_view text);
// Whether a media type (or a range such as "application/*") matches a concrete type; both in essence form.
bool mediaRangeMatches(std::string_view range, std::string_view type);
// JSON text: application/json and every "+json" type.
bool isJsonMediaType(std::string_view essence);

// Picks from `offered` (media type keys in preference order) what an Accept header asks for: the highest
// quality, then the most specific range, then the earlier offer. Nothing when no offer is acceptable. An absent
// or empty header accepts the first offer.
std::optional<std::size_t> negotiate(std::optional<std::string_view> accept, const std::vector<std::string>& offered);

// The preferences of Prefer headers ("code=404, example=cat" or separated by ";"), names in lower case.
struct Preferences {
    std::optional<int> code;
    std::optional<std::string> example;
    bool dynamic = false;
};
Preferences parsePreferences(const std::vector<std::string_view>& values);

// Decodes a query component: "+" is a space, "%XX" a byte, any other "%" stays as it is.
std::string formDecode(std::string_view text);
// Decodes "%XX" only (path segments).
std::string percentDecode(std::string_view text);

// "a=1&b=2&a=3" in order, names decoded and values as sent (a style splits a value before decoding it, so that an
// encoded delimiter stays part of an item). A part without "=" has an empty value.
using Pairs = std::vector<std::pair<std::string, std::string>>;
Pairs parseQuery(std::string_view query);
// "a=1; b=2" from Cookie headers, in order; values undecoded, as cookies carry them.
Pairs parseCookies(const std::vector<std::string_view>& headers);

// Splits at every occurrence of the separator; an empty text gives one empty part.
std::vector<std::string_view> split(std::string_view text, char separator);
std::string_view trimSpaces(std::string_view text);

// The reason phrase for the status codes the mock answers with; "Unknown" otherwise.
std::string_view statusTitle(int status);

// One finding of request validation, for the "errors" member of a problem document.
struct Violation {
    std::string detail;
    // Where the request carries the value: "path", "query", "header", "cookie" or "body".
    std::string in;
    // The parameter's name; empty for the body.
    std::string name;
    // JSON Pointer into the value; empty for the value itself.
    std::string pointer;
};

// An application/problem+json document: type "about:blank", the status's title, the detail and the violations.
std::string problemJson(int status, std::string_view detail, const std::vector<Violation>& violations = {});

// Compact JSON text of a value.
std::string toJsonText(const jv::JV& value);

}  // namespace zephalon::openapi_mock
