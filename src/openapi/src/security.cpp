#include "zephalon/openapi/security.h"

#include <algorithm>
#include <stdexcept>

#include "slots.h"
#include "zephalon/openapi/components.h"
#include "zephalon/openapi/openapi.h"

namespace zephalon::openapi {

SecurityScheme::SecurityScheme(Node* parent, Type type) : Node(parent, schemaTypeToNodeType(type)), type_(type) {}

OAuthFlow::OAuthFlow(Node* parent, Type type) : Node(parent, flowTypeToNodeType(type)), type_(type) {}

void OAuthFlow::addScope(std::string_view name, std::string description) {
    if (scopes_.find(name) == scopes_.end()) {
        scopes_.emplace(std::string(name), std::move(description));
    }
}

void OAuthFlow::removeScope(std::string_view name) {
    if (auto it = scopes_.find(name); it != scopes_.end()) {
        scopes_.erase(it);
    }
}

OAuthFlows::~OAuthFlows() = default;

ImplicitOAuthFlow* OAuthFlows::addImplicit(std::string authorizationUrl) {
    if (!implicit_) {
        implicit_ = std::make_unique<ImplicitOAuthFlow>(this, std::move(authorizationUrl));
    }
    return implicit_.get();
}

void OAuthFlows::removeImplicit() { detail::resetOwned(implicit_); }

PasswordOAuthFlow* OAuthFlows::addPassword(std::string tokenUrl) {
    if (!password_) {
        password_ = std::make_unique<PasswordOAuthFlow>(this, std::move(tokenUrl));
    }
    return password_.get();
}

void OAuthFlows::removePassword() { detail::resetOwned(password_); }

ClientCredentialsOAuthFlow* OAuthFlows::addClientCredentials(std::string tokenUrl) {
    if (!clientCredentials_) {
        clientCredentials_ = std::make_unique<ClientCredentialsOAuthFlow>(this, std::move(tokenUrl));
    }
    return clientCredentials_.get();
}

void OAuthFlows::removeClientCredentials() { detail::resetOwned(clientCredentials_); }

AuthorizationCodeOAuthFlow* OAuthFlows::addAuthorizationCode(std::string authorizationUrl, std::string tokenUrl) {
    if (!authorizationCode_) {
        authorizationCode_ =
            std::make_unique<AuthorizationCodeOAuthFlow>(this, std::move(authorizationUrl), std::move(tokenUrl));
    }
    return authorizationCode_.get();
}

void OAuthFlows::removeAuthorizationCode() { detail::resetOwned(authorizationCode_); }

OAuth2SecurityScheme::OAuth2SecurityScheme(Node* parent)
    : SecurityScheme(parent, Type::oauth2), flows_(std::make_unique<OAuthFlows>(this)) {}

OAuth2SecurityScheme::~OAuth2SecurityScheme() = default;

void SecurityRequirement::addItem(std::string_view name) {
    const auto* document = nodeCast<OpenAPI>(root());
    if (document == nullptr || document->components()->securityScheme(name) == nullptr) {
        throw std::runtime_error("Security scheme not found: " + std::string(name));
    }
    if (items_.find(name) == items_.end()) {
        items_.emplace(std::string(name), std::vector<std::string>{});
    }
}

void SecurityRequirement::addItem(std::string_view name, std::string_view scope) {
    auto it = items_.find(name);
    if (it == items_.end()) {
        it = items_.emplace(std::string(name), std::vector<std::string>{}).first;
    }
    auto& scopes = it->second;
    if (std::find(scopes.begin(), scopes.end(), scope) == scopes.end()) {
        scopes.emplace_back(scope);
    }
}

bool SecurityRequirement::hasItem(std::string_view name, std::string_view scope) const {
    auto it = items_.find(name);
    return it != items_.end() && std::find(it->second.begin(), it->second.end(), scope) != it->second.end();
}

std::size_t SecurityRequirement::itemScopeCount(std::string_view name) const {
    auto it = items_.find(name);
    return it == items_.end() ? 0 : it->second.size();
}

void SecurityRequirement::removeItem(std::string_view name) {
    if (auto it = items_.find(name); it != items_.end()) {
        items_.erase(it);
    }
}

void SecurityRequirement::removeItem(std::string_view name, std::string_view scope) {
    if (auto it = items_.find(name); it != items_.end()) {
        auto& scopes = it->second;
        scopes.erase(std::remove(scopes.begin(), scopes.end(), scope), scopes.end());
    }
}

}  // namespace zephalon::openapi
