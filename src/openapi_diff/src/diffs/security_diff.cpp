#include "security_diff.h"

#include <algorithm>
#include <string>
#include <vector>

#include "containers.h"

namespace zephalon::openapi_diff {

using openapi::SecurityRequirement;
using openapi::SecurityScheme;

void SecurityRequirementListDiff::process(const openapi::Node* sourceOwner,
                                          const openapi::OwnedList<SecurityRequirement>* source,
                                          const openapi::Node* destOwner,
                                          const openapi::OwnedList<SecurityRequirement>* dest, ConfigKey key,
                                          Context& context) {
    std::vector<const SecurityRequirement*> before = resolvedList<SecurityRequirement>(source);
    std::vector<const SecurityRequirement*> after = resolvedList<SecurityRequirement>(dest);
    for (std::size_t i = 0; i < std::max(before.size(), after.size()); ++i) {
        const SecurityRequirement* a = i < before.size() ? before[i] : nullptr;
        const SecurityRequirement* b = i < after.size() ? after[i] : nullptr;
        auto scope = context.enterScope(a != nullptr ? sourceOwner : nullptr, b != nullptr ? destOwner : nullptr, key,
                                        std::uint64_t{i});
        SecurityRequirementDiff(this).process(a, b, context);
    }
}

void SecurityRequirementDiff::process(const SecurityRequirement* source, const SecurityRequirement* dest,
                                      Context& context) {
    context.emitSelf(source, dest);
    // A requirement without schemes makes authentication optional: it matters most when it has nothing to show.
    const SecurityRequirement* only = source == nullptr ? dest : dest == nullptr ? source : nullptr;
    if (only != nullptr && only->items().empty()) context.keepItem();

    const SecurityRequirement::Items* before = source != nullptr ? &source->items() : nullptr;
    const SecurityRequirement::Items* after = dest != nullptr ? &dest->items() : nullptr;
    constexpr ConfigKey key = ConfigKey::securityRequirement;
    if (after != nullptr) {
        for (const auto& [name, scopes] : *after) {
            if (before != nullptr && before->contains(name)) continue;
            auto scope = context.enterScope(nullptr, dest, key, name);
            context.maybeEmitPropertyAdd(key, dest, name);
        }
    }
    if (before != nullptr) {
        for (const auto& [name, scopes] : *before) {
            if (after != nullptr && after->contains(name)) continue;
            auto scope = context.enterScope(source, nullptr, key, name);
            context.maybeEmitPropertyRemove(key, source, name);
        }
    }
    if (before != nullptr && after != nullptr) {
        // A scheme on both sides changes when its scopes do: each scope added or removed is an element of it.
        for (const auto& entry : *before) {
            // Named, not bound: the comparisons below capture the scopes, and clang 14 (the fuzz build's compiler)
            // does not let a lambda capture a structured binding.
            const std::string& name = entry.first;
            const std::vector<std::string>& scopesBefore = entry.second;
            auto partner = after->find(name);
            if (partner == after->end()) continue;
            const std::vector<std::string>& scopesAfter = partner->second;
            auto scope = context.enterScope(source, dest, key, name);
            context.emitSelf(source, dest);
            auto contains = [](const std::vector<std::string>& list, const std::string& value) {
                return std::find(list.begin(), list.end(), value) != list.end();
            };
            compareValueList(
                context, key, source, scopesBefore, dest, scopesAfter,
                [&](const std::string& value) { return contains(scopesBefore, value); },
                [&](const std::string& value) { return contains(scopesAfter, value); },
                [](const std::string& value) -> const std::string& { return value; });
        }
    }
    NodeDiff::process(source, dest, context);
}

namespace {

template <class T>
const T* as(const SecurityScheme* scheme) {
    return static_cast<const T*>(scheme);
}

}  // namespace

void processSecurityScheme(const NodeDiff* parent, const SecurityScheme* source, const SecurityScheme* dest,
                           Context& context) {
    const SecurityScheme* present = dest != nullptr ? dest : source;
    switch (present->schemeType()) {
        case SecurityScheme::Type::apiKey:
            ApiKeySecuritySchemeDiff(parent).process(as<openapi::ApiKeySecurityScheme>(source),
                                                     as<openapi::ApiKeySecurityScheme>(dest), context);
            break;
        case SecurityScheme::Type::http:
            HTTPSecuritySchemeDiff(parent).process(as<openapi::HTTPSecurityScheme>(source),
                                                   as<openapi::HTTPSecurityScheme>(dest), context);
            break;
        case SecurityScheme::Type::mutualTLS:
            MutualTLSSecuritySchemeDiff(parent).process(as<openapi::MutualTLSSecurityScheme>(source),
                                                        as<openapi::MutualTLSSecurityScheme>(dest), context);
            break;
        case SecurityScheme::Type::oauth2:
            OAuth2SecuritySchemeDiff(parent).process(as<openapi::OAuth2SecurityScheme>(source),
                                                     as<openapi::OAuth2SecurityScheme>(dest), context);
            break;
        case SecurityScheme::Type::openIdConnect:
            OpenIDConnectSecuritySchemeDiff(parent).process(as<openapi::OpenIdConnectSecurityScheme>(source),
                                                            as<openapi::OpenIdConnectSecurityScheme>(dest), context);
            break;
    }
}

void SecuritySchemeDiff::process(const SecurityScheme* source, const SecurityScheme* dest, Context& context) {
    compareProperty(
        context, ConfigKey::securityScheme_description, source, dest,
        [](const SecurityScheme& n) -> auto& { return n.description(); });
    NodeDiff::process(source, dest, context);
}

void ApiKeySecuritySchemeDiff::process(const openapi::ApiKeySecurityScheme* source,
                                       const openapi::ApiKeySecurityScheme* dest, Context& context) {
    context.emitSelf(source, dest);
    compareProperty(
        context, ConfigKey::securityScheme_name, source, dest,
        [](const openapi::ApiKeySecurityScheme& n) -> auto& { return n.name(); });
    compareProperty(context, ConfigKey::securityScheme_in, source, dest, [](const openapi::ApiKeySecurityScheme& n) {
        return std::string(openapi::apiKeySchemeLocationToString(n.location()));
    });
    SecuritySchemeDiff::process(source, dest, context);
}

void HTTPSecuritySchemeDiff::process(const openapi::HTTPSecurityScheme* source, const openapi::HTTPSecurityScheme* dest,
                                     Context& context) {
    context.emitSelf(source, dest);
    compareProperty(context, ConfigKey::securityScheme_scheme, source, dest, [](const openapi::HTTPSecurityScheme& n) {
        return std::string(openapi::httpSchemeSchemeToString(n.scheme()));
    });
    compareProperty(
        context, ConfigKey::securityScheme_bearerFormat, source, dest,
        [](const openapi::HTTPSecurityScheme& n) -> auto& { return n.bearerFormat(); });
    SecuritySchemeDiff::process(source, dest, context);
}

void MutualTLSSecuritySchemeDiff::process(const openapi::MutualTLSSecurityScheme* source,
                                          const openapi::MutualTLSSecurityScheme* dest, Context& context) {
    context.emitSelf(source, dest);
    SecuritySchemeDiff::process(source, dest, context);
}

void OAuth2SecuritySchemeDiff::process(const openapi::OAuth2SecurityScheme* source,
                                       const openapi::OAuth2SecurityScheme* dest, Context& context) {
    context.emitSelf(source, dest);
    auto flows = [](const openapi::OAuth2SecurityScheme& n) -> const openapi::OAuthFlows* { return n.flows(); };
    compareNested<OAuthFlowsDiff>(this, context, ConfigKey::securityScheme_flows, subNode(source, flows),
                                  subNode(dest, flows));
    SecuritySchemeDiff::process(source, dest, context);
}

void OpenIDConnectSecuritySchemeDiff::process(const openapi::OpenIdConnectSecurityScheme* source,
                                              const openapi::OpenIdConnectSecurityScheme* dest, Context& context) {
    context.emitSelf(source, dest);
    compareProperty(
        context, ConfigKey::securityScheme_openIdConnectUrl, source, dest,
        [](const openapi::OpenIdConnectSecurityScheme& n) -> auto& { return n.openIdConnectUrl(); });
    SecuritySchemeDiff::process(source, dest, context);
}

void OAuthFlowsDiff::process(const openapi::OAuthFlows* source, const openapi::OAuthFlows* dest, Context& context) {
    context.emitSelf(source, dest);
    auto authorizationCode = [](const openapi::OAuthFlows& n) -> const openapi::AuthorizationCodeOAuthFlow* {
        return n.authorizationCode();
    };
    compareNested<AuthorizationCodeOAuthFlowDiff>(this, context, ConfigKey::oauthFlows_authorizationCode,
                                                  subNode(source, authorizationCode), subNode(dest, authorizationCode));
    auto clientCredentials = [](const openapi::OAuthFlows& n) -> const openapi::ClientCredentialsOAuthFlow* {
        return n.clientCredentials();
    };
    compareNested<ClientCredentialsOAuthFlowDiff>(this, context, ConfigKey::oauthFlows_clientCredentials,
                                                  subNode(source, clientCredentials), subNode(dest, clientCredentials));
    auto implicit = [](const openapi::OAuthFlows& n) -> const openapi::ImplicitOAuthFlow* { return n.implicit(); };
    compareNested<ImplicitOAuthFlowDiff>(this, context, ConfigKey::oauthFlows_implicit, subNode(source, implicit),
                                         subNode(dest, implicit));
    auto password = [](const openapi::OAuthFlows& n) -> const openapi::PasswordOAuthFlow* { return n.password(); };
    compareNested<PasswordOAuthFlowDiff>(this, context, ConfigKey::oauthFlows_password, subNode(source, password),
                                         subNode(dest, password));
    NodeDiff::process(source, dest, context);
}

void OAuthFlowDiff::process(const openapi::OAuthFlow* source, const openapi::OAuthFlow* dest, Context& context) {
    compareProperty(
        context, ConfigKey::oauthFlow_refreshUrl, source, dest,
        [](const openapi::OAuthFlow& n) -> auto& { return n.refreshUrl(); });
    compareValueMap(context, ConfigKey::oauthFlow_scopes, source, source != nullptr ? &source->scopes() : nullptr, dest,
                    dest != nullptr ? &dest->scopes() : nullptr,
                    [](const std::string& description) -> const std::string& { return description; });
    NodeDiff::process(source, dest, context);
}

void ImplicitOAuthFlowDiff::process(const openapi::ImplicitOAuthFlow* source, const openapi::ImplicitOAuthFlow* dest,
                                    Context& context) {
    context.emitSelf(source, dest);
    compareProperty(
        context, ConfigKey::oauthFlow_authorizationUrl, source, dest,
        [](const openapi::ImplicitOAuthFlow& n) -> auto& { return n.authorizationUrl(); });
    OAuthFlowDiff::process(source, dest, context);
}

void PasswordOAuthFlowDiff::process(const openapi::PasswordOAuthFlow* source, const openapi::PasswordOAuthFlow* dest,
                                    Context& context) {
    context.emitSelf(source, dest);
    compareProperty(
        context, ConfigKey::oauthFlow_tokenUrl, source, dest,
        [](const openapi::PasswordOAuthFlow& n) -> auto& { return n.tokenUrl(); });
    OAuthFlowDiff::process(source, dest, context);
}

void ClientCredentialsOAuthFlowDiff::process(const openapi::ClientCredentialsOAuthFlow* source,
                                             const openapi::ClientCredentialsOAuthFlow* dest, Context& context) {
    context.emitSelf(source, dest);
    compareProperty(
        context, ConfigKey::oauthFlow_tokenUrl, source, dest,
        [](const openapi::ClientCredentialsOAuthFlow& n) -> auto& { return n.tokenUrl(); });
    OAuthFlowDiff::process(source, dest, context);
}

void AuthorizationCodeOAuthFlowDiff::process(const openapi::AuthorizationCodeOAuthFlow* source,
                                             const openapi::AuthorizationCodeOAuthFlow* dest, Context& context) {
    context.emitSelf(source, dest);
    compareProperty(
        context, ConfigKey::oauthFlow_authorizationUrl, source, dest,
        [](const openapi::AuthorizationCodeOAuthFlow& n) -> auto& { return n.authorizationUrl(); });
    compareProperty(
        context, ConfigKey::oauthFlow_tokenUrl, source, dest,
        [](const openapi::AuthorizationCodeOAuthFlow& n) -> auto& { return n.tokenUrl(); });
    OAuthFlowDiff::process(source, dest, context);
}

}  // namespace zephalon::openapi_diff
