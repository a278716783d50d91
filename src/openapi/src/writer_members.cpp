// What each kind of node makes of the members of the object it was read from. The writer asks only about members
// it did not write, to tell a member the model has no place for (kept as read) from one the model no longer holds.

#include <algorithm>
#include <span>
#include <string_view>

#include "writer_impl.h"
#include "zephalon/openapi/schema_keywords.h"

namespace zephalon::openapi::detail {

namespace {

struct Member {
    std::string_view key;
    MemberRole role;
};

constexpr MemberRole V = MemberRole::value;
constexpr MemberRole F = MemberRole::flag;
constexpr MemberRole C = MemberRole::collection;

constexpr Member kOpenAPI[] = {{"openapi", V},    {"info", V},        {"jsonSchemaDialect", V}, {"servers", C},
                               {"components", C}, {"paths", V},       {"webhooks", C},          {"security", C},
                               {"tags", C},       {"externalDocs", V}};
constexpr Member kInfo[] = {{"title", V},   {"summary", V}, {"description", V}, {"termsOfService", V},
                            {"contact", V}, {"license", V}, {"version", V}};
constexpr Member kContact[] = {{"name", V}, {"url", V}, {"email", V}};
constexpr Member kLicense[] = {{"name", V}, {"identifier", V}, {"url", V}};
constexpr Member kServer[] = {{"url", V}, {"description", V}, {"variables", C}};
constexpr Member kServerVariable[] = {{"default", V}, {"description", V}, {"enum", C}};
constexpr Member kComponents[] = {{"schemas", C},       {"responses", C}, {"parameters", C},      {"examples", C},
                                  {"requestBodies", C}, {"headers", C},   {"securitySchemes", C}, {"links", C},
                                  {"callbacks", C},     {"pathItems", C}};
constexpr Member kPathItem[] = {{"summary", V}, {"description", V}, {"get", V},        {"put", V},
                                {"post", V},    {"delete", V},      {"options", V},    {"head", V},
                                {"patch", V},   {"trace", V},       {"parameters", C}, {"servers", C}};
constexpr Member kOperation[] = {{"tags", C},        {"summary", V},    {"description", V}, {"externalDocs", V},
                                 {"operationId", V}, {"parameters", C}, {"requestBody", V}, {"responses", C},
                                 {"callbacks", C},   {"deprecated", F}, {"security", V},    {"servers", C}};
constexpr Member kExternalDocs[] = {{"description", V}, {"url", V}};
// Members of every parameter, then those of each location.
constexpr Member kParameter[] = {{"name", V},   {"in", V},      {"description", V}, {"deprecated", F},
                                 {"schema", V}, {"content", V}, {"example", V},     {"examples", C}};
constexpr Member kPathParameter[] = {{"required", V}, {"style", V}, {"explode", F}};
constexpr Member kQueryParameter[] = {
    {"required", F}, {"allowEmptyValue", F}, {"style", V}, {"explode", V}, {"allowReserved", F}};
constexpr Member kHeaderOrCookieParameter[] = {{"required", F}, {"explode", F}};
constexpr Member kRequestBody[] = {{"description", V}, {"content", V}, {"required", F}};
constexpr Member kMediaType[] = {{"schema", V}, {"example", V}, {"examples", C}, {"encoding", C}};
constexpr Member kEncoding[] = {{"contentType", V}, {"headers", C}, {"style", V}, {"explode", F}, {"allowReserved", F}};
constexpr Member kResponse[] = {{"description", V}, {"headers", C}, {"content", C}, {"links", C}};
constexpr Member kExample[] = {{"summary", V}, {"description", V}, {"value", V}, {"externalValue", V}};
constexpr Member kLink[] = {{"operationRef", V}, {"operationId", V}, {"parameters", C},
                            {"requestBody", V},  {"description", V}, {"server", V}};
constexpr Member kHeader[] = {{"description", V}, {"required", F}, {"deprecated", F}, {"explode", F},
                              {"schema", V},      {"content", V},  {"example", V},    {"examples", C}};
constexpr Member kTag[] = {{"name", V}, {"description", V}, {"externalDocs", V}};
constexpr Member kReference[] = {{"$ref", V}, {"summary", V}, {"description", V}};
constexpr Member kDiscriminator[] = {{"propertyName", V}, {"mapping", C}};
constexpr Member kXml[] = {{"name", V}, {"namespace", V}, {"prefix", V}, {"attribute", F}, {"wrapped", F}};
// Members of every security scheme, then those of each type.
constexpr Member kSecurityScheme[] = {{"type", V}, {"description", V}};
constexpr Member kApiKey[] = {{"name", V}, {"in", V}};
constexpr Member kHttp[] = {{"scheme", V}, {"bearerFormat", V}};
constexpr Member kOAuth2[] = {{"flows", V}};
constexpr Member kOpenIdConnect[] = {{"openIdConnectUrl", V}};
constexpr Member kOAuthFlows[] = {{"implicit", V}, {"password", V}, {"clientCredentials", V}, {"authorizationCode", V}};
// Members of every flow, then those of each kind.
constexpr Member kOAuthFlow[] = {{"refreshUrl", V}, {"scopes", V}};
constexpr Member kAuthorizationUrl[] = {{"authorizationUrl", V}};
constexpr Member kTokenUrl[] = {{"tokenUrl", V}};
constexpr Member kAuthorizationCode[] = {{"authorizationUrl", V}, {"tokenUrl", V}};

#define ZEPHALON_VALUE(name, ...) {name, MemberRole::value},
#define ZEPHALON_FLAG(name, ...) {name, MemberRole::flag},
#define ZEPHALON_COLLECTION(name, ...) {name, MemberRole::collection},
constexpr Member kSchema[] = {ZEPHALON_SCHEMA_KEYWORDS(ZEPHALON_VALUE, ZEPHALON_FLAG, ZEPHALON_VALUE, ZEPHALON_VALUE,
                                                       ZEPHALON_VALUE, ZEPHALON_COLLECTION, ZEPHALON_COLLECTION,
                                                       ZEPHALON_VALUE)};
#undef ZEPHALON_VALUE
#undef ZEPHALON_FLAG
#undef ZEPHALON_COLLECTION
// Schema keywords of their own shape that hold lists or maps.
constexpr Member kSchemaCollections[] = {{"enum", C},  {"required", C},    {"dependentRequired", C},
                                         {"$defs", C}, {"definitions", C}, {"examples", C}};

std::optional<MemberRole> find(std::span<const Member> members, std::string_view key) {
    auto it = std::find_if(members.begin(), members.end(), [&](const Member& member) { return member.key == key; });
    if (it == members.end()) return std::nullopt;
    return it->role;
}

MemberRole either(std::span<const Member> common, std::span<const Member> own, std::string_view key) {
    if (auto role = find(common, key)) return *role;
    return find(own, key).value_or(MemberRole::unknown);
}

MemberRole in(std::span<const Member> members, std::string_view key) {
    return find(members, key).value_or(MemberRole::unknown);
}

}  // namespace

MemberRole memberRole(NodeType type, std::string_view key) {
    // Extensions are the model's own.
    if (key.starts_with("x-")) return MemberRole::value;
    switch (type) {
        case NodeType::OpenAPI:
            return in(kOpenAPI, key);
        case NodeType::Info:
            return in(kInfo, key);
        case NodeType::Contact:
            return in(kContact, key);
        case NodeType::License:
            return in(kLicense, key);
        case NodeType::Server:
            return in(kServer, key);
        case NodeType::ServerVariable:
            return in(kServerVariable, key);
        case NodeType::Components:
            return in(kComponents, key);
        case NodeType::PathItem:
            return in(kPathItem, key);
        case NodeType::Operation:
            return in(kOperation, key);
        case NodeType::ExternalDocumentation:
            return in(kExternalDocs, key);
        case NodeType::Parameter:
            return in(kParameter, key);
        case NodeType::PathParameter:
            return either(kParameter, kPathParameter, key);
        case NodeType::QueryParameter:
            return either(kParameter, kQueryParameter, key);
        case NodeType::HeaderParameter:
        case NodeType::CookieParameter:
            return either(kParameter, kHeaderOrCookieParameter, key);
        case NodeType::RequestBody:
            return in(kRequestBody, key);
        case NodeType::MediaType:
            return in(kMediaType, key);
        case NodeType::Encoding:
            return in(kEncoding, key);
        case NodeType::Response:
            return in(kResponse, key);
        case NodeType::Example:
            return in(kExample, key);
        case NodeType::Link:
            return in(kLink, key);
        case NodeType::Header:
            return in(kHeader, key);
        case NodeType::Tag:
            return in(kTag, key);
        case NodeType::Reference:
            return in(kReference, key);
        case NodeType::Schema:
            return either(kSchemaCollections, kSchema, key);
        case NodeType::Discriminator:
            return in(kDiscriminator, key);
        case NodeType::XML:
            return in(kXml, key);
        case NodeType::SecurityScheme:
        case NodeType::MutualTlsSecurityScheme:
            return in(kSecurityScheme, key);
        case NodeType::ApiKeySecurityScheme:
            return either(kSecurityScheme, kApiKey, key);
        case NodeType::HttpSecurityScheme:
            return either(kSecurityScheme, kHttp, key);
        case NodeType::OAuth2SecurityScheme:
            return either(kSecurityScheme, kOAuth2, key);
        case NodeType::OpenIdConnectSecurityScheme:
            return either(kSecurityScheme, kOpenIdConnect, key);
        case NodeType::OAuthFlows:
            return in(kOAuthFlows, key);
        case NodeType::OAuthFlow:
            return in(kOAuthFlow, key);
        case NodeType::ImplicitOAuthFlow:
            return either(kOAuthFlow, kAuthorizationUrl, key);
        case NodeType::PasswordOAuthFlow:
        case NodeType::ClientCredentialsOAuthFlow:
            return either(kOAuthFlow, kTokenUrl, key);
        case NodeType::AuthorizationCodeOAuthFlow:
            return either(kOAuthFlow, kAuthorizationCode, key);
        case NodeType::Paths:
        case NodeType::Responses:
        case NodeType::Callback:
        case NodeType::SecurityRequirement:
            // Every member is an entry of the map.
            return MemberRole::value;
    }
    return MemberRole::value;
}

}  // namespace zephalon::openapi::detail
