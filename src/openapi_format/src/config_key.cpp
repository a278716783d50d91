// Recognises the kind of OpenAPI object at a JSON Pointer. The recognisers are tried in a fixed order and the first
// that accepts the pointer gives the kind. Most of them look at the kinds of the parent and grandparent, so the
// kinds of all prefixes of a pointer are found in one pass from the root down.

#include "config_key.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <initializer_list>
#include <vector>

#include "zephalon/jv/pointer.h"

namespace zephalon::openapi_format {
namespace {

enum class Kind {
    None,
    OpenAPI,
    Info,
    Contact,
    License,
    Server,
    ServerVariable,
    PathItem,
    Operation,
    Components,
    ExternalDocumentation,
    Parameter,
    RequestBody,
    MediaType,
    Responses,
    Response,
    Tag,
    Encoding,
    Example,
    Link,
    Header,
    Schema,
    Discriminator,
    Xml,
    SecurityScheme,
    OAuthFlows,
};

std::string_view kindName(Kind kind) {
    switch (kind) {
        case Kind::None:
            return "";
        case Kind::OpenAPI:
            return "openapi";
        case Kind::Info:
            return "info";
        case Kind::Contact:
            return "contact";
        case Kind::License:
            return "license";
        case Kind::Server:
            return "server";
        case Kind::ServerVariable:
            return "serverVariable";
        case Kind::PathItem:
            return "pathItem";
        case Kind::Operation:
            return "operation";
        case Kind::Components:
            return "components";
        case Kind::ExternalDocumentation:
            return "externalDocumentation";
        case Kind::Parameter:
            return "parameter";
        case Kind::RequestBody:
            return "requestBody";
        case Kind::MediaType:
            return "mediaType";
        case Kind::Responses:
            return "responses";
        case Kind::Response:
            return "response";
        case Kind::Tag:
            return "tag";
        case Kind::Encoding:
            return "encoding";
        case Kind::Example:
            return "example";
        case Kind::Link:
            return "link";
        case Kind::Header:
            return "header";
        case Kind::Schema:
            return "schema";
        case Kind::Discriminator:
            return "discriminator";
        case Kind::Xml:
            return "xml";
        case Kind::SecurityScheme:
            return "securityScheme";
        case Kind::OAuthFlows:
            return "oauthFlows";
    }
    return "";
}

// What a recogniser may look at: the pointer text of the prefix, its last two tokens (still escaped, which is
// harmless because the names compared against contain neither "~" nor "/"), and the kinds already found for the
// parent and the grandparent.
struct Prefix {
    std::string_view text;
    std::size_t depth = 0;
    std::string_view last;
    std::string_view beforeLast;
    Kind parent = Kind::None;
    Kind grandparent = Kind::None;

    // Patterns are only tried at their own depth, which keeps deep pointers linear.
    bool matches(std::size_t patternDepth, std::string_view pattern) const {
        return depth == patternDepth && jv::jpointerMatch(text, pattern);
    }
    bool lastTwoAre(std::string_view container) const { return depth >= 2 && beforeLast == container; }
    bool lastIs(std::string_view token) const { return depth >= 1 && last == token; }
    bool parentIs(std::initializer_list<Kind> kinds) const {
        return depth >= 1 && std::find(kinds.begin(), kinds.end(), parent) != kinds.end();
    }
    bool grandparentIs(std::initializer_list<Kind> kinds) const {
        return depth >= 2 && std::find(kinds.begin(), kinds.end(), grandparent) != kinds.end();
    }
};

bool isOperationMethod(std::string_view token) {
    static constexpr std::array<std::string_view, 8> kMethods = {"get",     "put",  "post",  "delete",
                                                                 "options", "head", "patch", "trace"};
    return std::find(kMethods.begin(), kMethods.end(), token) != kMethods.end();
}

Kind recognise(const Prefix& p) {
    if (p.depth == 0) return Kind::OpenAPI;
    if (p.text == "/info") return Kind::Info;
    if (p.text == "/info/contact") return Kind::Contact;
    if (p.text == "/info/license") return Kind::License;
    if (p.lastTwoAre("servers") && p.grandparentIs({Kind::OpenAPI, Kind::PathItem, Kind::Operation})) {
        return Kind::Server;
    }
    if (p.lastTwoAre("variables") && p.grandparentIs({Kind::Server})) return Kind::ServerVariable;
    if (p.matches(2, "/paths/*") || p.matches(2, "/webhooks/*") || p.matches(3, "/components/pathItems/*") ||
        p.matches(4, "/components/callbacks/*/*")) {
        return Kind::PathItem;
    }
    if (p.parentIs({Kind::PathItem}) && isOperationMethod(p.last)) return Kind::Operation;
    if (p.text == "/components") return Kind::Components;
    if (p.lastIs("externalDocs") && p.parentIs({Kind::OpenAPI, Kind::Operation, Kind::Tag})) {
        return Kind::ExternalDocumentation;
    }
    if (p.lastTwoAre("parameters") && p.grandparentIs({Kind::Components, Kind::PathItem, Kind::Operation})) {
        return Kind::Parameter;
    }
    if ((p.lastIs("requestBody") && p.parentIs({Kind::Operation})) ||
        (p.lastTwoAre("requestBodies") && p.grandparentIs({Kind::Components}))) {
        return Kind::RequestBody;
    }
    if (p.lastTwoAre("content") && p.grandparentIs({Kind::RequestBody, Kind::Parameter, Kind::Response})) {
        return Kind::MediaType;
    }
    if (p.lastIs("responses") && p.parentIs({Kind::Operation, Kind::Components})) return Kind::Responses;
    if (p.parentIs({Kind::Responses})) return Kind::Response;
    if (p.matches(2, "/tags/*")) return Kind::Tag;
    if (p.lastTwoAre("encoding") && p.grandparentIs({Kind::MediaType})) return Kind::Encoding;
    if (p.lastTwoAre("examples") && p.grandparentIs({Kind::Components, Kind::Parameter, Kind::MediaType})) {
        return Kind::Example;
    }
    if (p.lastTwoAre("links") && p.grandparentIs({Kind::Components, Kind::Response})) return Kind::Link;
    if (p.lastTwoAre("headers") &&
        p.grandparentIs({Kind::Components, Kind::Response, Kind::Encoding, Kind::Parameter})) {
        return Kind::Header;
    }
    // References have a kind name for configurations but no pointer is recognised as one.
    if ((p.lastTwoAre("schemas") && p.grandparentIs({Kind::Components})) ||
        (p.lastIs("schema") && p.parentIs({Kind::Parameter, Kind::MediaType}))) {
        return Kind::Schema;
    }
    if (p.lastIs("discriminator") && p.parentIs({Kind::Schema})) return Kind::Discriminator;
    if (p.lastIs("xml") && p.parentIs({Kind::Schema})) return Kind::Xml;
    if (p.lastTwoAre("securitySchemes") && p.grandparentIs({Kind::Components})) return Kind::SecurityScheme;
    if (p.lastIs("flows") && p.parentIs({Kind::SecurityScheme})) return Kind::OAuthFlows;
    return Kind::None;
}

}  // namespace

std::string_view jpointerToConfigKey(std::string_view pointer) {
    if (!pointer.empty() && pointer.front() != '/') return "";

    // Token boundaries: token i runs from slashes[i] + 1 to slashes[i + 1] (or the end).
    std::vector<std::size_t> slashes;
    for (std::size_t i = 0; i < pointer.size(); ++i) {
        if (pointer[i] == '/') slashes.push_back(i);
    }
    auto token = [&](std::size_t i) {
        std::size_t begin = slashes[i] + 1;
        std::size_t end = i + 1 < slashes.size() ? slashes[i + 1] : pointer.size();
        return pointer.substr(begin, end - begin);
    };

    Kind parent = Kind::None;
    Kind grandparent = Kind::None;
    Kind kind = Kind::None;
    for (std::size_t depth = 0; depth <= slashes.size(); ++depth) {
        Prefix prefix;
        prefix.text = depth < slashes.size() ? pointer.substr(0, slashes[depth]) : pointer;
        prefix.depth = depth;
        if (depth >= 1) prefix.last = token(depth - 1);
        if (depth >= 2) prefix.beforeLast = token(depth - 2);
        prefix.parent = parent;
        prefix.grandparent = grandparent;
        kind = recognise(prefix);
        grandparent = parent;
        parent = kind;
    }
    return kindName(kind);
}

}  // namespace zephalon::openapi_format
