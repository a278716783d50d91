#pragma once

#include "../node_diff.h"
#include "zephalon/openapi/security.h"

namespace zephalon::openapi_diff {

// Security requirements, paired by position: any one requirement of a list is enough, so the list is compared
// requirement by requirement under the list's rule (`key`).
class SecurityRequirementListDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::Node* sourceOwner, const openapi::OwnedList<openapi::SecurityRequirement>* source,
                 const openapi::Node* destOwner, const openapi::OwnedList<openapi::SecurityRequirement>* dest,
                 ConfigKey key, Context& context);
};

// The schemes a requirement names, paired by name, each with its scopes paired by value.
class SecurityRequirementDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::SecurityRequirement* source, const openapi::SecurityRequirement* dest,
                 Context& context);
};

// What schemes of every type have; each type's comparison compares its own fields first.
class SecuritySchemeDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::SecurityScheme* source, const openapi::SecurityScheme* dest, Context& context);
};

class ApiKeySecuritySchemeDiff : public SecuritySchemeDiff {
  public:
    using SecuritySchemeDiff::SecuritySchemeDiff;
    void process(const openapi::ApiKeySecurityScheme* source, const openapi::ApiKeySecurityScheme* dest,
                 Context& context);
};

class HTTPSecuritySchemeDiff : public SecuritySchemeDiff {
  public:
    using SecuritySchemeDiff::SecuritySchemeDiff;
    void process(const openapi::HTTPSecurityScheme* source, const openapi::HTTPSecurityScheme* dest, Context& context);
};

class MutualTLSSecuritySchemeDiff : public SecuritySchemeDiff {
  public:
    using SecuritySchemeDiff::SecuritySchemeDiff;
    void process(const openapi::MutualTLSSecurityScheme* source, const openapi::MutualTLSSecurityScheme* dest,
                 Context& context);
};

class OAuth2SecuritySchemeDiff : public SecuritySchemeDiff {
  public:
    using SecuritySchemeDiff::SecuritySchemeDiff;
    void process(const openapi::OAuth2SecurityScheme* source, const openapi::OAuth2SecurityScheme* dest,
                 Context& context);
};

class OpenIDConnectSecuritySchemeDiff : public SecuritySchemeDiff {
  public:
    using SecuritySchemeDiff::SecuritySchemeDiff;
    void process(const openapi::OpenIdConnectSecurityScheme* source, const openapi::OpenIdConnectSecurityScheme* dest,
                 Context& context);
};

// Compares two schemes of the same type (either may be null) in the current scope, through the comparison of
// their type.
void processSecurityScheme(const NodeDiff* parent, const openapi::SecurityScheme* source,
                           const openapi::SecurityScheme* dest, Context& context);

class OAuthFlowsDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::OAuthFlows* source, const openapi::OAuthFlows* dest, Context& context);
};

// What flows of every kind have: the refresh URL and the scopes, paired by name.
class OAuthFlowDiff : public NodeDiff {
  public:
    using NodeDiff::NodeDiff;
    void process(const openapi::OAuthFlow* source, const openapi::OAuthFlow* dest, Context& context);
};

class ImplicitOAuthFlowDiff : public OAuthFlowDiff {
  public:
    using OAuthFlowDiff::OAuthFlowDiff;
    void process(const openapi::ImplicitOAuthFlow* source, const openapi::ImplicitOAuthFlow* dest, Context& context);
};

class PasswordOAuthFlowDiff : public OAuthFlowDiff {
  public:
    using OAuthFlowDiff::OAuthFlowDiff;
    void process(const openapi::PasswordOAuthFlow* source, const openapi::PasswordOAuthFlow* dest, Context& context);
};

class ClientCredentialsOAuthFlowDiff : public OAuthFlowDiff {
  public:
    using OAuthFlowDiff::OAuthFlowDiff;
    void process(const openapi::ClientCredentialsOAuthFlow* source, const openapi::ClientCredentialsOAuthFlow* dest,
                 Context& context);
};

class AuthorizationCodeOAuthFlowDiff : public OAuthFlowDiff {
  public:
    using OAuthFlowDiff::OAuthFlowDiff;
    void process(const openapi::AuthorizationCodeOAuthFlow* source, const openapi::AuthorizationCodeOAuthFlow* dest,
                 Context& context);
};

}  // namespace zephalon::openapi_diff
