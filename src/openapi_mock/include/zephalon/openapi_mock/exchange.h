#pragma once

// One HTTP exchange as the mock sees it, independent of the HTTP library that carries it.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zephalon::openapi_mock {

// A request as received. The views belong to the caller and stay valid while the request is handled.
struct Request {
    std::string_view method;  // as sent: "GET", "POST", ...
    std::string_view target;  // the request target, normally a path with an optional query
    std::vector<std::pair<std::string_view, std::string_view>> headers;
    std::string_view body;

    // The value of the first header of that name (names compare without regard to letter case).
    std::optional<std::string_view> header(std::string_view name) const;
};

struct Response {
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    // Replaces every header of that name by one with this value.
    void setHeader(std::string_view name, std::string value);
    // Null when the response has no such header.
    const std::string* header(std::string_view name) const;
};

}  // namespace zephalon::openapi_mock
