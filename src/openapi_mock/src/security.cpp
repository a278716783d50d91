#include "security.h"

#include <fmt/format.h>

#include <algorithm>

#include "zephalon/foundation/strings.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_mock {

namespace {

using openapi::SecurityScheme;

// Whether the Authorization header names this scheme ("Bearer abc" for "bearer"), with some credentials.
bool hasAuthorization(const Request& request, std::string_view scheme) {
    auto value = request.header("Authorization");
    if (!value) return false;
    std::string_view text = trimSpaces(*value);
    auto space = text.find(' ');
    if (space == std::string_view::npos) return false;
    return asciiCompareNoCase(text.substr(0, space), scheme) && !trimSpaces(text.substr(space + 1)).empty();
}

bool hasPair(const Pairs& pairs, std::string_view name) {
    return std::any_of(pairs.begin(), pairs.end(), [&](const auto& pair) { return pair.first == name; });
}

struct SchemeCheck {
    bool present = false;
    std::string description;
    std::string challenge;
};

SchemeCheck checkScheme(const std::string& key, const SecurityScheme* scheme, const RequestParts& parts) {
    SchemeCheck check;
    if (!scheme) {
        // The reader refuses requirements naming unknown schemes; nothing can be presented for one anyway.
        check.description = fmt::format("security scheme '{}'", key);
        return check;
    }
    switch (scheme->schemeType()) {
        case SecurityScheme::Type::apiKey: {
            const auto& apiKey = static_cast<const openapi::ApiKeySecurityScheme&>(*scheme);
            auto location = apiKey.location();
            std::string_view in = openapi::apiKeySchemeLocationToString(location);
            check.description = fmt::format("the API key '{}' ({} {})", key, in, apiKey.name());
            check.challenge = fmt::format(R"(ApiKey realm="mock", name="{}", in="{}")", apiKey.name(), in);
            if (location == openapi::ApiKeySecurityScheme::Location::header) {
                check.present = parts.request->header(apiKey.name()).has_value();
            } else if (location == openapi::ApiKeySecurityScheme::Location::query) {
                check.present = hasPair(parts.query, apiKey.name());
            } else {
                check.present = hasPair(parts.cookies, apiKey.name());
            }
            break;
        }
        case SecurityScheme::Type::http: {
            auto name =
                openapi::httpSchemeSchemeToString(static_cast<const openapi::HTTPSecurityScheme&>(*scheme).scheme());
            check.description = fmt::format("an Authorization header with the {} scheme ('{}')", name, key);
            check.challenge = fmt::format(R"({} realm="mock")", name);
            check.present = hasAuthorization(*parts.request, name);
            break;
        }
        case SecurityScheme::Type::oauth2:
        case SecurityScheme::Type::openIdConnect:
            check.description = fmt::format("an Authorization header with a Bearer token ('{}')", key);
            check.challenge = R"(Bearer realm="mock")";
            check.present = hasAuthorization(*parts.request, "Bearer");
            break;
        case SecurityScheme::Type::mutualTLS:
            // Client certificates belong to TLS, which the mock does not speak: nothing to look for.
            check.present = true;
            break;
    }
    return check;
}

}  // namespace

SecurityCheck checkSecurity(const openapi::OpenAPI& document, const openapi::Operation& operation,
                            const RequestParts& parts) {
    const auto& requirements = operation.inheritsSecurity() ? document.security() : operation.security();
    SecurityCheck result;
    if (requirements.empty()) return result;
    const openapi::Components* components = document.components();
    std::vector<std::string> missing;
    for (const auto& requirement : requirements) {
        // Requirements are alternatives; the schemes of one requirement are all needed.
        bool all = true;
        std::vector<std::string> lacking;
        for (const auto& [key, scopes] : requirement->items()) {
            (void)scopes;
            SchemeCheck check = checkScheme(key, components ? components->securityScheme(key) : nullptr, parts);
            if (check.present) continue;
            all = false;
            lacking.push_back(std::move(check.description));
            if (!check.challenge.empty() && std::find(result.challenges.begin(), result.challenges.end(),
                                                      check.challenge) == result.challenges.end()) {
                result.challenges.push_back(std::move(check.challenge));
            }
        }
        if (all) {
            result.challenges.clear();
            return result;
        }
        std::string alternative;
        for (std::size_t i = 0; i < lacking.size(); ++i) {
            if (i > 0) alternative += " and ";
            alternative += lacking[i];
        }
        missing.push_back(std::move(alternative));
    }
    result.satisfied = false;
    std::string needs;
    for (std::size_t i = 0; i < missing.size(); ++i) {
        if (i > 0) needs += ", or ";
        needs += missing[i];
    }
    result.detail = fmt::format("The request lacks credentials: it needs {}.", needs);
    return result;
}

}  // namespace zephalon::openapi_mock
