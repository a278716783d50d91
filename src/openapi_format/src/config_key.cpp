// Recognises the kind of OpenAPI object at a JSON Pointer. The recognisers are tried in a fixed order and the first
// that accepts the pointer gives the kind. Most of them look at the kinds of the parent and grandparent, so kinds
// are found one step at a time from the root down: by a writer as it descends, or over a pointer's tokens.

#include "config_key.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <utility>

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

static_assert(static_cast<std::size_t>(Kind::OAuthFlows) + 1 == kKindCount);

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

// The names that recognisers compare tokens with; every other token is Other. A token is compared in its escaped
// pointer form or as a raw key, which is the same thing for these names: none holds "~" or "/".
enum class Name : std::uint8_t {
    Other,
    Method,  // get, put, post, delete, options, head, patch, trace
    Info,
    Contact,
    License,
    Servers,
    Variables,
    Paths,
    Webhooks,
    Components,
    PathItems,
    Callbacks,
    ExternalDocs,
    Parameters,
    RequestBody,
    RequestBodies,
    Content,
    Responses,
    Tags,
    Encoding,
    Examples,
    Links,
    Headers,
    Schemas,
    Schema,
    Discriminator,
    Xml,
    SecuritySchemes,
    Flows,
};

Name classify(std::string_view token) {
    static constexpr std::pair<std::string_view, Name> kNames[] = {
        {"get", Name::Method},
        {"put", Name::Method},
        {"post", Name::Method},
        {"delete", Name::Method},
        {"options", Name::Method},
        {"head", Name::Method},
        {"patch", Name::Method},
        {"trace", Name::Method},
        {"info", Name::Info},
        {"contact", Name::Contact},
        {"license", Name::License},
        {"servers", Name::Servers},
        {"variables", Name::Variables},
        {"paths", Name::Paths},
        {"webhooks", Name::Webhooks},
        {"components", Name::Components},
        {"pathItems", Name::PathItems},
        {"callbacks", Name::Callbacks},
        {"externalDocs", Name::ExternalDocs},
        {"parameters", Name::Parameters},
        {"requestBody", Name::RequestBody},
        {"requestBodies", Name::RequestBodies},
        {"content", Name::Content},
        {"responses", Name::Responses},
        {"tags", Name::Tags},
        {"encoding", Name::Encoding},
        {"examples", Name::Examples},
        {"links", Name::Links},
        {"headers", Name::Headers},
        {"schemas", Name::Schemas},
        {"schema", Name::Schema},
        {"discriminator", Name::Discriminator},
        {"xml", Name::Xml},
        {"securitySchemes", Name::SecuritySchemes},
        {"flows", Name::Flows},
    };
    // Most keys of a document are none of these; their length and first letter rule them out cheaply.
    if (token.size() < 3 || token.size() > 15) return Name::Other;
    for (const auto& [name, value] : kNames) {
        if (name.size() == token.size() && name.front() == token.front() && name == token) return value;
    }
    return Name::Other;
}

// What a recogniser may look at: the depth of the prefix, the first two tokens of the whole pointer, the last two
// tokens of the prefix, and the kinds already found for the parent and the grandparent. Fields past the depth are
// Other/None.
struct Prefix {
    std::size_t depth = 0;
    Name first = Name::Other;
    Name second = Name::Other;
    Name last = Name::Other;
    Name beforeLast = Name::Other;
    Kind parent = Kind::None;
    Kind grandparent = Kind::None;

    bool is(Name token0) const { return depth == 1 && first == token0; }
    bool is(Name token0, Name token1) const { return depth == 2 && first == token0 && second == token1; }
    // "/<token0>/*", "/<token0>/<token1>/*" and "/<token0>/<token1>/*/*".
    bool under(std::size_t patternDepth, Name token0) const { return depth == patternDepth && first == token0; }
    bool under(std::size_t patternDepth, Name token0, Name token1) const {
        return depth == patternDepth && first == token0 && second == token1;
    }
    bool lastTwoAre(Name container) const { return depth >= 2 && beforeLast == container; }
    bool lastIs(Name token) const { return depth >= 1 && last == token; }
    bool parentIs(std::initializer_list<Kind> kinds) const {
        return depth >= 1 && std::find(kinds.begin(), kinds.end(), parent) != kinds.end();
    }
    bool grandparentIs(std::initializer_list<Kind> kinds) const {
        return depth >= 2 && std::find(kinds.begin(), kinds.end(), grandparent) != kinds.end();
    }
};

Kind recognise(const Prefix& p) {
    if (p.depth == 0) return Kind::OpenAPI;
    if (p.is(Name::Info)) return Kind::Info;
    if (p.is(Name::Info, Name::Contact)) return Kind::Contact;
    if (p.is(Name::Info, Name::License)) return Kind::License;
    if (p.lastTwoAre(Name::Servers) && p.grandparentIs({Kind::OpenAPI, Kind::PathItem, Kind::Operation})) {
        return Kind::Server;
    }
    if (p.lastTwoAre(Name::Variables) && p.grandparentIs({Kind::Server})) return Kind::ServerVariable;
    if (p.under(2, Name::Paths) || p.under(2, Name::Webhooks) || p.under(3, Name::Components, Name::PathItems) ||
        p.under(4, Name::Components, Name::Callbacks)) {
        return Kind::PathItem;
    }
    if (p.parentIs({Kind::PathItem}) && p.last == Name::Method) return Kind::Operation;
    if (p.is(Name::Components)) return Kind::Components;
    if (p.lastIs(Name::ExternalDocs) && p.parentIs({Kind::OpenAPI, Kind::Operation, Kind::Tag})) {
        return Kind::ExternalDocumentation;
    }
    if (p.lastTwoAre(Name::Parameters) && p.grandparentIs({Kind::Components, Kind::PathItem, Kind::Operation})) {
        return Kind::Parameter;
    }
    if ((p.lastIs(Name::RequestBody) && p.parentIs({Kind::Operation})) ||
        (p.lastTwoAre(Name::RequestBodies) && p.grandparentIs({Kind::Components}))) {
        return Kind::RequestBody;
    }
    if (p.lastTwoAre(Name::Content) && p.grandparentIs({Kind::RequestBody, Kind::Parameter, Kind::Response})) {
        return Kind::MediaType;
    }
    if (p.lastIs(Name::Responses) && p.parentIs({Kind::Operation, Kind::Components})) return Kind::Responses;
    if (p.parentIs({Kind::Responses})) return Kind::Response;
    if (p.under(2, Name::Tags)) return Kind::Tag;
    if (p.lastTwoAre(Name::Encoding) && p.grandparentIs({Kind::MediaType})) return Kind::Encoding;
    if (p.lastTwoAre(Name::Examples) && p.grandparentIs({Kind::Components, Kind::Parameter, Kind::MediaType})) {
        return Kind::Example;
    }
    if (p.lastTwoAre(Name::Links) && p.grandparentIs({Kind::Components, Kind::Response})) return Kind::Link;
    if (p.lastTwoAre(Name::Headers) &&
        p.grandparentIs({Kind::Components, Kind::Response, Kind::Encoding, Kind::Parameter})) {
        return Kind::Header;
    }
    // References have a kind name for configurations but no pointer is recognised as one.
    if ((p.lastTwoAre(Name::Schemas) && p.grandparentIs({Kind::Components})) ||
        (p.lastIs(Name::Schema) && p.parentIs({Kind::Parameter, Kind::MediaType}))) {
        return Kind::Schema;
    }
    if (p.lastIs(Name::Discriminator) && p.parentIs({Kind::Schema})) return Kind::Discriminator;
    if (p.lastIs(Name::Xml) && p.parentIs({Kind::Schema})) return Kind::Xml;
    if (p.lastTwoAre(Name::SecuritySchemes) && p.grandparentIs({Kind::Components})) return Kind::SecurityScheme;
    if (p.lastIs(Name::Flows) && p.parentIs({Kind::SecurityScheme})) return Kind::OAuthFlows;
    return Kind::None;
}

// A place packs what its children's recognisers need: the place's own kind and last token, its parent's kind, the
// depth (saturated: recognisers only tell depths up to 4 apart) and the pointer's first two tokens.
struct Unpacked {
    Kind kind = Kind::None;
    Kind parent = Kind::None;
    Name last = Name::Other;
    Name first = Name::Other;
    Name second = Name::Other;
    std::size_t depth = 0;
};

constexpr std::size_t kMaxTrackedDepth = 15;

KindPlace pack(const Unpacked& u) {
    return static_cast<KindPlace>(u.kind) | static_cast<KindPlace>(u.parent) << 8 |
           static_cast<KindPlace>(u.last) << 16 | static_cast<KindPlace>(u.first) << 24 |
           static_cast<KindPlace>(u.second) << 32 | static_cast<KindPlace>(u.depth) << 40;
}

Unpacked unpack(KindPlace place) {
    Unpacked u;
    u.kind = static_cast<Kind>(place & 0xFF);
    u.parent = static_cast<Kind>(place >> 8 & 0xFF);
    u.last = static_cast<Name>(place >> 16 & 0xFF);
    u.first = static_cast<Name>(place >> 24 & 0xFF);
    u.second = static_cast<Name>(place >> 32 & 0xFF);
    u.depth = static_cast<std::size_t>(place >> 40 & 0xFF);
    return u;
}

KindPlace step(KindPlace parentPlace, Name token) {
    Unpacked parent = unpack(parentPlace);
    Prefix p;
    p.depth = std::min(parent.depth + 1, kMaxTrackedDepth);
    p.first = parent.depth == 0 ? token : parent.first;
    p.second = parent.depth == 1 ? token : parent.second;
    p.last = token;
    p.beforeLast = parent.depth >= 1 ? parent.last : Name::Other;
    p.parent = parent.kind;
    p.grandparent = parent.parent;
    Unpacked child;
    child.kind = recognise(p);
    child.parent = parent.kind;
    child.last = token;
    child.first = p.first;
    child.second = p.second;
    child.depth = p.depth;
    return pack(child);
}

}  // namespace

KindPlace rootKindPlace() {
    Unpacked root;
    root.kind = Kind::OpenAPI;
    return pack(root);
}

KindPlace childKindPlace(KindPlace parent, std::string_view key) { return step(parent, classify(key)); }

KindPlace elementKindPlace(KindPlace parent) { return step(parent, Name::Other); }

std::size_t kindIndex(KindPlace place) { return place & 0xFF; }

std::string_view kindNameAt(std::size_t index) {
    return index < kKindCount ? kindName(static_cast<Kind>(index)) : std::string_view();
}

std::string_view jpointerToConfigKey(std::string_view pointer) {
    if (!pointer.empty() && pointer.front() != '/') return "";
    KindPlace place = rootKindPlace();
    if (pointer.empty()) return kindName(Kind::OpenAPI);
    // Each token, still escaped, is one step down from the root.
    std::size_t begin = 1;
    for (;;) {
        std::size_t end = pointer.find('/', begin);
        place = childKindPlace(place, pointer.substr(begin, end == std::string_view::npos ? end : end - begin));
        if (end == std::string_view::npos) break;
        begin = end + 1;
    }
    return kindName(static_cast<Kind>(kindIndex(place)));
}

}  // namespace zephalon::openapi_format
