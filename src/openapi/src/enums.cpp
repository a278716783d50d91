// Conversions between the model's enumerations and their document spellings.

#include "zephalon/openapi/enums.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <stdexcept>

#include "zephalon/foundation/assertions.h"
#include "zephalon/openapi/media_type.h"
#include "zephalon/openapi/parameter.h"
#include "zephalon/openapi/security.h"

namespace zephalon::openapi {

namespace {

template <class Enum, std::size_t N>
std::string_view nameOf(Enum value, const std::array<std::string_view, N>& names) {
    auto index = static_cast<std::size_t>(value);
    if (index >= N) {
        ZEPHALON_UNREACHABLE("Enumeration value out of range");
    }
    return names[index];
}

// The callers check document values before converting, so an unknown text is a broken invariant.
template <class Enum, std::size_t N>
Enum valueOf(std::string_view text, const std::array<std::string_view, N>& names) {
    auto it = std::find(names.begin(), names.end(), text);
    if (it == names.end()) {
        ZEPHALON_UNREACHABLE(fmt::format("Unexpected enumeration text '{}'", text));
    }
    return static_cast<Enum>(it - names.begin());
}

constexpr std::array<std::string_view, 7> schemaTypeNames{"null",   "boolean", "object", "array",
                                                          "number", "string",  "integer"};
constexpr std::array<std::string_view, 4> locationNames{"path", "query", "header", "cookie"};
constexpr std::array<std::string_view, 3> pathStyleNames{"matrix", "label", "simple"};
constexpr std::array<std::string_view, 4> queryStyleNames{"form", "spaceDelimited", "pipeDelimited", "deepObject"};
constexpr std::array<std::string_view, 5> schemeTypeNames{"apiKey", "http", "mutualTLS", "oauth2", "openIdConnect"};
constexpr std::array<std::string_view, 3> apiKeyLocationNames{"query", "header", "cookie"};
constexpr std::array<std::string_view, 11> httpSchemeNames{"Basic",       "Bearer",        "Digest",    "DPoP",
                                                           "HOBA",        "Mutual",        "Negotiate", "OAuth",
                                                           "SCRAM-SHA-1", "SCRAM-SHA-256", "vapid"};

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

std::optional<HTTPSecurityScheme::Scheme> findHttpScheme(std::string_view text) {
    for (std::size_t i = 0; i < httpSchemeNames.size(); ++i) {
        if (equalsIgnoringAsciiCase(text, httpSchemeNames[i])) {
            return static_cast<HTTPSecurityScheme::Scheme>(i);
        }
    }
    return std::nullopt;
}

}  // namespace

std::string_view operationMethodToString(HttpMethod method) {
    for (const auto& [value, name] : operationMethods) {
        if (value == method) {
            return name;
        }
    }
    throw std::runtime_error(fmt::format("invalid operation key {}", static_cast<int>(method)));
}

std::optional<HttpMethod> operationMethodFromString(std::string_view text) {
    for (const auto& [value, name] : operationMethods) {
        if (name == text) {
            return value;
        }
    }
    return std::nullopt;
}

bool isValidOperationMethod(std::string_view text) { return operationMethodFromString(text).has_value(); }

std::string_view schemaTypeToString(SchemaType type) { return nameOf(type, schemaTypeNames); }

SchemaType schemaTypeFromString(std::string_view text) {
    auto it = std::find(schemaTypeNames.begin(), schemaTypeNames.end(), text);
    if (it == schemaTypeNames.end()) {
        throw std::runtime_error("Invalid schema type");
    }
    return static_cast<SchemaType>(it - schemaTypeNames.begin());
}

std::string_view parameterLocationToString(Parameter::Location location) { return nameOf(location, locationNames); }

Parameter::Location parameterLocationFromString(std::string_view text) {
    return valueOf<Parameter::Location>(text, locationNames);
}

std::string_view pathParameterStyleToString(PathParameter::Style style) { return nameOf(style, pathStyleNames); }

PathParameter::Style stringToPathParameterStyle(std::string_view text) {
    return valueOf<PathParameter::Style>(text, pathStyleNames);
}

std::string_view queryParameterStyleToString(QueryParameter::Style style) { return nameOf(style, queryStyleNames); }

QueryParameter::Style stringToQueryParameterStyle(std::string_view text) {
    return valueOf<QueryParameter::Style>(text, queryStyleNames);
}

std::string_view encodingStyleToString(Encoding::Style style) { return nameOf(style, queryStyleNames); }

Encoding::Style stringToEncodingStyle(std::string_view text) { return valueOf<Encoding::Style>(text, queryStyleNames); }

std::string_view securitySchemeTypeToString(SecurityScheme::Type type) { return nameOf(type, schemeTypeNames); }

std::string_view apiKeySchemeLocationToString(ApiKeySecurityScheme::Location location) {
    return nameOf(location, apiKeyLocationNames);
}

ApiKeySecurityScheme::Location stringToApiKeySchemeLocation(std::string_view text) {
    return valueOf<ApiKeySecurityScheme::Location>(text, apiKeyLocationNames);
}

std::string_view httpSchemeSchemeToString(HTTPSecurityScheme::Scheme scheme) { return nameOf(scheme, httpSchemeNames); }

HTTPSecurityScheme::Scheme stringToHttpSchemeScheme(std::string_view text) {
    auto scheme = findHttpScheme(text);
    if (!scheme) {
        ZEPHALON_UNREACHABLE(fmt::format("Unexpected HTTP authentication scheme '{}'", text));
    }
    return *scheme;
}

bool isValidHttpSchemeScheme(std::string_view text) { return findHttpScheme(text).has_value(); }

NodeType schemaTypeToNodeType(SecurityScheme::Type type) {
    nameOf(type, schemeTypeNames);
    return static_cast<NodeType>(static_cast<int>(NodeType::ApiKeySecurityScheme) + static_cast<int>(type));
}

NodeType flowTypeToNodeType(OAuthFlow::Type type) {
    if (static_cast<std::size_t>(type) > static_cast<std::size_t>(OAuthFlow::Type::authorizationCode)) {
        ZEPHALON_UNREACHABLE("Enumeration value out of range");
    }
    return static_cast<NodeType>(static_cast<int>(NodeType::ImplicitOAuthFlow) + static_cast<int>(type));
}

}  // namespace zephalon::openapi
