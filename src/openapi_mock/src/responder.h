#pragma once

// Builds the answer to a request the mock accepted: the response the client prefers or the operation's first
// success, the media type the client accepts, and a body taken from the description's examples or generated from
// the schema.

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "http_text.h"
#include "zephalon/openapi_mock/exchange.h"

namespace zephalon::openapi {
class Header;
class MediaType;
class Node;
class OpenAPIReadResult;
class Operation;
class Schema;
}  // namespace zephalon::openapi

namespace zephalon::jv {
class JV;
}

namespace zephalon::openapi_mock {

class Responder {
  public:
    explicit Responder(const openapi::OpenAPIReadResult& document) : document_(document) {}

    // `seed` fixes every generated value of this answer.
    Response respond(const openapi::Operation& operation, const Request& request, const Preferences& preferences,
                     std::uint64_t seed);

  private:
    struct Body {
        std::string text;
        std::string contentType;
        bool generated = false;
    };

    // The body for a media type: a described example (serialised once and kept) or a generated sample.
    Body body(const openapi::MediaType& mediaType, std::string_view key, const Preferences& preferences,
              std::uint64_t seed, bool& exampleApplied);
    std::string headerValue(const openapi::Header& header, std::uint64_t seed);
    // Keys of a map the document wrote as an object, in the document's order.
    template <class Map>
    std::vector<std::string> keysInSourceOrder(const openapi::Node& owner, std::string_view member,
                                               const Map& map) const;

    const openapi::OpenAPIReadResult& document_;
    // Serialised examples by media type and example name ("" for the default choice).
    std::map<std::pair<const openapi::MediaType*, std::string>, std::string> examples_;
};

}  // namespace zephalon::openapi_mock
