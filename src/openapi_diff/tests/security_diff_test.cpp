#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "comparison.h"

namespace zephalon::openapi_diff {
namespace {

using testing::compareDocuments;
using testing::edited;
using Strings = std::vector<std::string>;

constexpr std::string_view kSecured = R"(
openapi: 3.1.0
info: {title: Secured, version: 1.0.0}
security:
  - api_key: []
paths:
  /items:
    get:
      responses:
        '200': {description: Items.}
components:
  securitySchemes:
    api_key: {type: apiKey, name: key, in: header}
    oauth:
      type: oauth2
      flows:
        clientCredentials: {tokenUrl: 'https://t.example.com', scopes: {read: Read.}}
)";

TEST(SecurityDiffTest, ASchemeOfAnotherTypeUnderTheSameNameIsOneRemovedAndOneAdded) {
    auto comparison = compareDocuments(kSecured, edited(kSecured, "api_key: {type: apiKey, name: key, in: header}",
                                                        "api_key: {type: http, scheme: bearer}"));
    EXPECT_EQ(comparison.described(ConfigKey::components_securitySchemes),
              (Strings{"key_added components.securitySchemes 'api_key' non-breaking",
                       "key_removed components.securitySchemes 'api_key' breaking"}));
    auto renamed = compareDocuments(kSecured, edited(kSecured, "name: key,", "name: token,"));
    EXPECT_EQ(renamed.described(ConfigKey::securityScheme_name),
              Strings{"property_modified securityScheme.name breaking"});
}

TEST(SecurityDiffTest, RequirementsChangeWithTheirSchemesAndScopes) {
    auto anded = compareDocuments(kSecured, edited(kSecured, "  - api_key: []", "  - api_key: []\n    oauth: [read]"));
    // The operation that inherits the document's requirements changes with them.
    EXPECT_EQ(anded.described(), (Strings{
                                     "key_modified paths '/items' breaking",
                                     "key_modified pathItem.operations 'get' breaking",
                                     "element_modified operation.security [0] breaking",
                                     "key_added securityRequirement 'oauth' breaking",
                                     "element_modified openapi.security [0] breaking",
                                     "key_added securityRequirement 'oauth' breaking",
                                 }));
    std::string oauth = edited(kSecured, "  - api_key: []", "  - oauth: [read]");
    auto scoped = compareDocuments(oauth, edited(oauth, "oauth: [read]", "oauth: [read, write]"));
    EXPECT_EQ(
        scoped.described(ConfigKey::securityRequirement),
        (Strings{"key_modified securityRequirement 'oauth' breaking", "element_added securityRequirement [1] breaking",
                 "key_modified securityRequirement 'oauth' breaking",
                 "element_added securityRequirement [1] breaking"}));
}

TEST(SecurityDiffTest, LiftingOrRequiringAuthenticationIsAChange) {
    // An empty requirement makes authentication optional: removing it requires authentication again.
    auto optional = compareDocuments(edited(kSecured, "  - api_key: []", "  - api_key: []\n  - {}"), kSecured);
    EXPECT_EQ(optional.described(ConfigKey::openapi_security),
              Strings{"element_removed openapi.security [1] breaking"});
    // An operation that stops inheriting the document's requirements.
    auto open = compareDocuments(kSecured, edited(kSecured, "    get:\n", "    get:\n      security: []\n"));
    EXPECT_EQ(open.described(ConfigKey::operation_security),
              Strings{"element_removed operation.security [0] breaking"});
    EXPECT_TRUE(open.described(ConfigKey::openapi_security).empty());
}

TEST(SecurityDiffTest, FlowsAndTheirScopes) {
    auto comparison = compareDocuments(
        kSecured, edited(kSecured, "scopes: {read: Read.}", "scopes: {read: Read all., write: Write.}"));
    EXPECT_EQ(comparison.described(), (Strings{
                                          "key_modified components.securitySchemes 'oauth' breaking",
                                          "property_modified securityScheme.flows breaking",
                                          "property_modified oauthFlows.clientCredentials breaking",
                                          "key_added oauthFlow.scopes 'write' breaking",
                                          "key_modified oauthFlow.scopes 'read' non-functional",
                                      }));
}

}  // namespace
}  // namespace zephalon::openapi_diff
