#include <gtest/gtest.h>

#include <stdexcept>

#include "zephalon/openapi/model.h"

namespace zephalon::openapi {
namespace {

TEST(SecurityRequirement, AddItemNeedsADefinedScheme) {
    OpenAPI document;
    SecurityRequirement* requirement = document.addSecurityRequirement();
    try {
        requirement->addItem("oauth");
        FAIL() << "an undefined scheme must be refused";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Security scheme not found: oauth");
    }
    EXPECT_TRUE(requirement->items().empty());

    OAuth2SecurityScheme* oauth = document.components()->addOAuth2Scheme("oauth");
    requirement->addItem("oauth", "read");
    requirement->addItem("oauth");  // keeps the scopes already listed
    requirement->addItem("oauth", "write");
    requirement->addItem("oauth", "read");
    EXPECT_EQ(requirement->itemScopeCount("oauth"), 2U);
    EXPECT_TRUE(requirement->hasItem("oauth", "write"));
    requirement->removeItem("oauth", "read");
    EXPECT_FALSE(requirement->hasItem("oauth", "read"));
    requirement->removeItem("oauth");
    EXPECT_FALSE(requirement->hasItem("oauth"));
    EXPECT_EQ(oauth->type(), NodeType::OAuth2SecurityScheme);
}

TEST(SecuritySchemes, KindsAndFlows) {
    OpenAPI document;
    Components* components = document.components();
    auto* key = components->addApiKeyScheme("key", "X-Key", ApiKeySecurityScheme::Location::header);
    auto* http = components->addHttpScheme("basic", HTTPSecurityScheme::Scheme::basic);
    auto* mtls = components->addMutualTlsScheme("mtls");
    auto* oidc = components->addOpenIdConnectScheme("oidc", "https://example.com/.well-known");
    auto* oauth = components->addOAuth2Scheme("oauth");

    EXPECT_EQ(key->type(), NodeType::ApiKeySecurityScheme);
    EXPECT_EQ(http->type(), NodeType::HttpSecurityScheme);
    EXPECT_EQ(mtls->type(), NodeType::MutualTlsSecurityScheme);
    EXPECT_EQ(oidc->type(), NodeType::OpenIdConnectSecurityScheme);
    EXPECT_EQ(securitySchemeTypeToString(oidc->schemeType()), "openIdConnect");
    EXPECT_EQ(components->securityScheme("key"), key);
    EXPECT_EQ(components->nodeKey(http), "basic");
    // A name already taken keeps its scheme, whatever kind is asked for.
    EXPECT_EQ(components->addMutualTlsScheme("key"), nullptr);
    EXPECT_EQ(components->securityScheme("key"), key);

    OAuthFlows* flows = oauth->flows();
    ASSERT_NE(flows, nullptr);
    EXPECT_EQ(flows->parent(), oauth);
    auto* code = flows->addAuthorizationCode("https://a", "https://t");
    EXPECT_EQ(flows->addAuthorizationCode("https://other", "https://other"), code);
    EXPECT_EQ(code->type(), NodeType::AuthorizationCodeOAuthFlow);
    EXPECT_EQ(flows->addImplicit("https://a")->type(), NodeType::ImplicitOAuthFlow);
    EXPECT_EQ(flows->addPassword("https://t")->flowType(), OAuthFlow::Type::password);
    code->addScope("read", "Read access");
    code->addScope("read", "ignored");
    EXPECT_EQ(code->scopes().at("read"), "Read access");
    flows->removeAuthorizationCode();
    EXPECT_EQ(flows->authorizationCode(), nullptr);
}

TEST(SecuritySchemes, HttpSchemeNames) {
    EXPECT_EQ(stringToHttpSchemeScheme("bearer"), HTTPSecurityScheme::Scheme::bearer);
    EXPECT_EQ(stringToHttpSchemeScheme("SCRAM-sha-256"), HTTPSecurityScheme::Scheme::scramSha256);
    EXPECT_EQ(stringToHttpSchemeScheme("DPOP"), HTTPSecurityScheme::Scheme::dpop);
    EXPECT_EQ(httpSchemeSchemeToString(HTTPSecurityScheme::Scheme::scramSha1), "SCRAM-SHA-1");
    EXPECT_EQ(httpSchemeSchemeToString(HTTPSecurityScheme::Scheme::vapid), "vapid");
    EXPECT_FALSE(isValidHttpSchemeScheme("kerberos"));
    EXPECT_EQ(stringToApiKeySchemeLocation("cookie"), ApiKeySecurityScheme::Location::cookie);
}

TEST(Enumerations, DocumentSpellingsRoundTrip) {
    for (auto style : {QueryParameter::Style::form, QueryParameter::Style::spaceDelimited,
                       QueryParameter::Style::pipeDelimited, QueryParameter::Style::deepObject}) {
        EXPECT_EQ(stringToQueryParameterStyle(queryParameterStyleToString(style)), style);
    }
    for (auto style : {PathParameter::Style::matrix, PathParameter::Style::label, PathParameter::Style::simple}) {
        EXPECT_EQ(stringToPathParameterStyle(pathParameterStyleToString(style)), style);
    }
    EXPECT_EQ(encodingStyleToString(Encoding::Style::deepObject), "deepObject");
    EXPECT_EQ(parameterLocationFromString("header"), Parameter::Location::header);
    EXPECT_EQ(schemaTypeToString(SchemaType::integer), "integer");
    EXPECT_EQ(schemaTypeFromString("null"), SchemaType::null);
    EXPECT_THROW(schemaTypeFromString("Integer"), std::runtime_error);
}

TEST(EnumerationsDeathTest, UncheckedTextStopsTheProcess) {
    EXPECT_DEATH(stringToPathParameterStyle("form"), "");
    EXPECT_DEATH(stringToHttpSchemeScheme("kerberos"), "");
}

}  // namespace
}  // namespace zephalon::openapi
