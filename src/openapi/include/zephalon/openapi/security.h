#pragma once

// Security schemes (one class per scheme type), OAuth flows, and the requirements that name schemes.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zephalon/openapi/node.h"

namespace zephalon::openapi {

class SecurityScheme : public Node {
  public:
    enum class Type : std::uint8_t { apiKey, http, mutualTLS, oauth2, openIdConnect };

    Type schemeType() const { return type_; }

    const std::optional<std::string>& description() const { return description_; }
    void setDescription(std::string description) { description_ = std::move(description); }
    void removeDescription() { description_.reset(); }

  protected:
    SecurityScheme(Node* parent, Type type);

  private:
    Type type_;
    std::optional<std::string> description_;
};

std::string_view securitySchemeTypeToString(SecurityScheme::Type type);
// The node kind of a scheme type (ApiKeySecurityScheme ... OpenIdConnectSecurityScheme).
NodeType schemaTypeToNodeType(SecurityScheme::Type type);

class ApiKeySecurityScheme final : public SecurityScheme {
  public:
    enum class Location : std::uint8_t { query, header, cookie };

    ApiKeySecurityScheme(Node* parent, std::string name, Location location)
        : SecurityScheme(parent, Type::apiKey), name_(std::move(name)), location_(location) {}

    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }
    Location location() const { return location_; }
    void setLocation(Location location) { location_ = location; }

  private:
    std::string name_;
    Location location_;
};

std::string_view apiKeySchemeLocationToString(ApiKeySecurityScheme::Location location);
ApiKeySecurityScheme::Location stringToApiKeySchemeLocation(std::string_view text);

class HTTPSecurityScheme final : public SecurityScheme {
  public:
    enum class Scheme : std::uint8_t {
        basic,
        bearer,
        digest,
        dpop,
        hoba,
        mutual,
        negotiate,
        oauth,
        scramSha1,
        scramSha256,
        vapid
    };

    HTTPSecurityScheme(Node* parent, Scheme scheme) : SecurityScheme(parent, Type::http), scheme_(scheme) {}

    Scheme scheme() const { return scheme_; }
    void setScheme(Scheme scheme) { scheme_ = scheme; }

    const std::optional<std::string>& bearerFormat() const { return bearerFormat_; }
    void setBearerFormat(std::string format) { bearerFormat_ = std::move(format); }
    void removeBearerFormat() { bearerFormat_.reset(); }

  private:
    Scheme scheme_;
    std::optional<std::string> bearerFormat_;
};

// The registered spelling, e.g. "Bearer", "SCRAM-SHA-256".
std::string_view httpSchemeSchemeToString(HTTPSecurityScheme::Scheme scheme);
// Case-insensitive (ASCII); `text` must name one of the schemes.
HTTPSecurityScheme::Scheme stringToHttpSchemeScheme(std::string_view text);
// Whether stringToHttpSchemeScheme accepts `text`.
bool isValidHttpSchemeScheme(std::string_view text);

class MutualTLSSecurityScheme final : public SecurityScheme {
  public:
    explicit MutualTLSSecurityScheme(Node* parent) : SecurityScheme(parent, Type::mutualTLS) {}
};

class OAuthFlow : public Node {
  public:
    enum class Type : std::uint8_t { implicit, password, clientCredentials, authorizationCode };
    using Scopes = std::map<std::string, std::string, std::less<>>;

    Type flowType() const { return type_; }

    const std::optional<std::string>& refreshUrl() const { return refreshUrl_; }
    void setRefreshUrl(std::string url) { refreshUrl_ = std::move(url); }
    void removeRefreshUrl() { refreshUrl_.reset(); }

    // Scope descriptions by scope name. addScope keeps an existing description.
    const Scopes& scopes() const { return scopes_; }
    void addScope(std::string_view name, std::string description);
    bool hasScope(std::string_view name) const { return scopes_.find(name) != scopes_.end(); }
    void removeScope(std::string_view name);
    void clearScopes() { scopes_.clear(); }

  protected:
    OAuthFlow(Node* parent, Type type);

  private:
    Type type_;
    std::optional<std::string> refreshUrl_;
    Scopes scopes_;
};

NodeType flowTypeToNodeType(OAuthFlow::Type type);

class ImplicitOAuthFlow final : public OAuthFlow {
  public:
    ImplicitOAuthFlow(Node* parent, std::string authorizationUrl)
        : OAuthFlow(parent, Type::implicit), authorizationUrl_(std::move(authorizationUrl)) {}

    const std::string& authorizationUrl() const { return authorizationUrl_; }
    void setAuthorizationUrl(std::string url) { authorizationUrl_ = std::move(url); }

  private:
    std::string authorizationUrl_;
};

class PasswordOAuthFlow final : public OAuthFlow {
  public:
    PasswordOAuthFlow(Node* parent, std::string tokenUrl)
        : OAuthFlow(parent, Type::password), tokenUrl_(std::move(tokenUrl)) {}

    const std::string& tokenUrl() const { return tokenUrl_; }
    void setTokenUrl(std::string url) { tokenUrl_ = std::move(url); }

  private:
    std::string tokenUrl_;
};

class ClientCredentialsOAuthFlow final : public OAuthFlow {
  public:
    ClientCredentialsOAuthFlow(Node* parent, std::string tokenUrl)
        : OAuthFlow(parent, Type::clientCredentials), tokenUrl_(std::move(tokenUrl)) {}

    const std::string& tokenUrl() const { return tokenUrl_; }
    void setTokenUrl(std::string url) { tokenUrl_ = std::move(url); }

  private:
    std::string tokenUrl_;
};

class AuthorizationCodeOAuthFlow final : public OAuthFlow {
  public:
    AuthorizationCodeOAuthFlow(Node* parent, std::string authorizationUrl, std::string tokenUrl)
        : OAuthFlow(parent, Type::authorizationCode),
          authorizationUrl_(std::move(authorizationUrl)),
          tokenUrl_(std::move(tokenUrl)) {}

    const std::string& authorizationUrl() const { return authorizationUrl_; }
    void setAuthorizationUrl(std::string url) { authorizationUrl_ = std::move(url); }
    const std::string& tokenUrl() const { return tokenUrl_; }
    void setTokenUrl(std::string url) { tokenUrl_ = std::move(url); }

  private:
    std::string authorizationUrl_;
    std::string tokenUrl_;
};

// At most one flow of each kind; add returns the existing flow when there is one.
class OAuthFlows final : public Node {
  public:
    explicit OAuthFlows(Node* parent) : Node(parent, NodeType::OAuthFlows) {}
    ~OAuthFlows() override;

    ImplicitOAuthFlow* implicit() const { return implicit_.get(); }
    ImplicitOAuthFlow* addImplicit(std::string authorizationUrl);
    void removeImplicit();

    PasswordOAuthFlow* password() const { return password_.get(); }
    PasswordOAuthFlow* addPassword(std::string tokenUrl);
    void removePassword();

    ClientCredentialsOAuthFlow* clientCredentials() const { return clientCredentials_.get(); }
    ClientCredentialsOAuthFlow* addClientCredentials(std::string tokenUrl);
    void removeClientCredentials();

    AuthorizationCodeOAuthFlow* authorizationCode() const { return authorizationCode_.get(); }
    AuthorizationCodeOAuthFlow* addAuthorizationCode(std::string authorizationUrl, std::string tokenUrl);
    void removeAuthorizationCode();

  private:
    std::unique_ptr<ImplicitOAuthFlow> implicit_;
    std::unique_ptr<PasswordOAuthFlow> password_;
    std::unique_ptr<ClientCredentialsOAuthFlow> clientCredentials_;
    std::unique_ptr<AuthorizationCodeOAuthFlow> authorizationCode_;
};

class OAuth2SecurityScheme final : public SecurityScheme {
  public:
    explicit OAuth2SecurityScheme(Node* parent);
    ~OAuth2SecurityScheme() override;

    OAuthFlows* flows() const { return flows_.get(); }

  private:
    std::unique_ptr<OAuthFlows> flows_;
};

class OpenIdConnectSecurityScheme final : public SecurityScheme {
  public:
    OpenIdConnectSecurityScheme(Node* parent, std::string url)
        : SecurityScheme(parent, Type::openIdConnect), openIdConnectUrl_(std::move(url)) {}

    const std::string& openIdConnectUrl() const { return openIdConnectUrl_; }
    void setOpenIdConnectUrl(std::string url) { openIdConnectUrl_ = std::move(url); }

  private:
    std::string openIdConnectUrl_;
};

// Scheme names with the scopes each needs. The empty requirement (no items) makes security optional.
class SecurityRequirement final : public Node {
  public:
    using Items = std::map<std::string, std::vector<std::string>, std::less<>>;

    explicit SecurityRequirement(Node* parent) : Node(parent, NodeType::SecurityRequirement) {}

    const Items& items() const { return items_; }
    // Requires that the root's components define a scheme of that name, else throws std::runtime_error "Security
    // scheme not found: " plus the name and adds nothing. Keeps an existing entry.
    void addItem(std::string_view name);
    // Appends a scope not yet listed, creating the entry when needed.
    void addItem(std::string_view name, std::string_view scope);
    bool hasItem(std::string_view name) const { return items_.find(name) != items_.end(); }
    bool hasItem(std::string_view name, std::string_view scope) const;
    std::size_t itemScopeCount(std::string_view name) const;
    void removeItem(std::string_view name);
    void removeItem(std::string_view name, std::string_view scope);
    void clearItems() { items_.clear(); }

  private:
    Items items_;
};

}  // namespace zephalon::openapi
