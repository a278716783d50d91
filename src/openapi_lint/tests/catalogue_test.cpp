#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "zephalon/foundation/strings.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi/reader_result.h"
#include "zephalon/openapi_lint/linter.h"

namespace zephalon::openapi_lint {
namespace {

// The ids of the rules of "all" that report something on a document of the test data.
std::set<std::string> firingRules(const std::filesystem::path& file) {
    std::ostringstream out;
    Linter linter(out);
    auto config = jv::readString(R"({"extends": ["all"]})", FileFormat::JSON);
    linter.setConfig(config->root());
    auto result = openapi::checkedReadFromFile(file);
    linter.process(*result);
    std::set<std::string> ids;
    for (const Issue& issue : linter.context().result().issues()) ids.insert(issue.ruleId());
    return ids;
}

std::string joined(const std::set<std::string>& ids) {
    std::string text;
    for (const std::string& id : ids) text += (text.empty() ? "" : " ") + id;
    return text;
}

// Every rule runs on every test document without failing, and reports what these documents are known to break. A
// change to a rule that makes it fire on a document where it did not (or stop firing) shows up here.
TEST(CatalogueTest, AllRulesRunOnEveryTestDocument) {
    const std::map<std::string, std::string> expected{
        {"bookshop-3.1.yaml",
         "audience-defined id-defined operation-description-defined operation-id-defined "
         "operation-rate-limiting-defined operation-tags-defined parameter-description-defined "
         "schema-constraints schema-example-defined schema-format-defined schema-no-additional-properties "
         "schema-property-naming standard-response-errors tag-description-defined"},
        {"callbacks-webhooks-3.1.yaml",
         "audience-defined contact-defined id-defined info-defined json-schema-validation license-defined "
         "operation-description-defined operation-id-defined operation-rate-limiting-defined "
         "operation-security-defined operation-tags-defined parameter-description-defined schema-constraints "
         "schema-datetime-suffix schema-example-defined schema-no-additional-properties schema-property-naming"},
        {"dialects-3.1.json",
         "audience-defined contact-defined id-defined info-defined license-defined "
         "operation-description-defined operation-rate-limiting-defined operation-security-defined "
         "operation-tags-defined parameter-description-defined schema-constraints schema-example-defined "
         "schema-format-defined schema-no-additional-properties servers-defined unused-shared-component"},
        {"discriminator-3.0.yaml",
         "audience-defined contact-defined id-defined info-defined license-defined "
         "operation-description-defined operation-rate-limiting-defined operation-security-defined "
         "schema-constraints schema-enum-naming schema-example-defined schema-format-defined "
         "schema-no-additional-properties schema-property-naming servers-defined"},
        {"edge-values-3.0.json",
         "audience-defined contact-defined id-defined license-defined openapi-json-schema-validation "
         "operation-description-defined "
         "operation-rate-limiting-defined operation-security-defined operation-tags-defined "
         "parameter-description-defined path-parameters-on-items schema-constraints schema-format-defined "
         "schema-no-additional-properties servers-defined unused-shared-component"},
        {"extensions-3.1.json",
         "audience-defined contact-defined id-defined info-defined operation-description-defined "
         "operation-rate-limiting-defined operation-security-defined parameter-description-defined "
         "schema-constraints schema-example-defined schema-format-defined schema-no-additional-properties "
         "tag-description-defined unused-shared-component"},
        {"json-schema-3.1.json",
         "audience-defined contact-defined id-defined info-defined schema-constraints schema-datetime-suffix "
         "schema-enum-naming schema-example-defined schema-format-defined schema-no-additional-properties "
         "schema-property-naming servers-defined unused-shared-component"},
        {"minimal-3.1.json",
         "audience-defined contact-defined id-defined info-defined license-defined "
         "operation-description-defined operation-id-defined operation-rate-limiting-defined "
         "operation-security-defined operation-tags-defined servers-defined"},
        {"parameters-3.0.yaml",
         "audience-defined contact-defined id-defined info-defined license-defined "
         "operation-description-defined operation-document-not-primitive operation-rate-limiting-defined "
         "operation-security-defined operation-tags-defined parameter-description-defined schema-constraints "
         "schema-format-defined schema-no-additional-properties servers-defined"},
        {"petstore-3.0.json",
         "audience-defined contact-defined id-defined info-defined license-defined "
         "operation-description-defined operation-rate-limiting-defined operation-security-defined "
         "parameter-naming path-parameters-on-items paths-sorted schema-constraints schema-example-defined "
         "schema-no-additional-properties server-urls"},
        {"references-3.0.json",
         "audience-defined id-defined info-defined license-defined operation-description-defined "
         "operation-id-defined operation-rate-limiting-defined operation-security-defined "
         "operation-tags-defined parameter-description-defined parameter-naming schema-constraints "
         "schema-enum-naming schema-example-defined schema-format-defined schema-no-additional-properties "
         "standard-response-errors"},
        {"references-anywhere-3.1.yaml",
         "audience-defined contact-defined id-defined info-defined json-schema-validation license-defined "
         "operation-description-defined operation-rate-limiting-defined operation-security-defined "
         "operation-tags-defined parameter-description-defined path-parameters-on-items paths-sorted "
         "schema-constraints schema-example-defined schema-format-defined schema-no-additional-properties "
         "schema-property-naming servers-defined unused-shared-component"},
        {"security-schemes-3.0.json",
         "audience-defined contact-defined id-defined info-defined license-defined "
         "operation-description-defined operation-rate-limiting-defined operation-security-defined "
         "operation-tags-defined paths-sorted servers-defined unused-shared-component"},
        {"security-schemes-3.1.yaml",
         "audience-defined contact-defined id-defined info-defined operation-description-defined "
         "operation-rate-limiting-defined operation-tags-defined servers-defined unused-shared-component"},
    };
    std::set<std::string> seen;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(ZEPHALON_TESTDATA_DIR) + "/openapi")) {
        const std::string name = entry.path().filename().string();
        seen.insert(name);
        const std::string actual = joined(firingRules(entry.path()));
        const auto it = expected.find(name);
        if (it == expected.end()) {
            ADD_FAILURE() << "no expectation for " << name << ": " << actual;
            continue;
        }
        EXPECT_EQ(actual, it->second) << name;
    }
    EXPECT_EQ(seen.size(), expected.size());
}

}  // namespace
}  // namespace zephalon::openapi_lint
