#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "zephalon/openapi_lint/registry.h"

namespace zephalon::openapi_lint {
namespace {

// The published severities of every rule in each set, written out independently of the table the sets are built
// from: "E" error, "W" warning, "-" not in the set. Columns: all, recommended, strict.
constexpr const char* kTable[][2] = {
    {"audience-defined", "E-E"},
    {"contact-defined", "E-E"},
    {"id-defined", "E-E"},
    {"info-defined", "EEE"},
    {"license-defined", "E-E"},
    {"json-schema-validation", "E-E"},
    {"openapi-json-schema-validation", "EEE"},
    {"servers-defined", "EWE"},
    {"server-urls", "EWE"},
    {"safe-markdown", "EWE"},
    {"spell-check", "WWW"},
    {"tag-description-defined", "WWW"},
    {"tags-sorted", "E-E"},
    {"tags-unique", "EWE"},
    {"unused-shared-component", "EWE"},
    {"no-content-response-defined", "EEE"},
    {"operation-description-defined", "EEE"},
    {"operation-document-not-primitive", "W-W"},
    {"operation-id-defined", "EEE"},
    {"operation-id-unique", "EEE"},
    {"operation-rate-limiting-defined", "WWW"},
    {"operation-security-defined", "EWW"},
    {"operation-success-response", "EEE"},
    {"operation-tags-defined", "EWW"},
    {"standard-media-types", "EWE"},
    {"standard-response-codes", "EEE"},
    {"standard-response-errors", "W-W"},
    {"unambiguous-response-codes", "EEE"},
    {"unused-request-body", "EWE"},
    {"parameter-description-defined", "EWW"},
    {"parameter-naming", "EWW"},
    {"parameters-unique", "EEE"},
    {"path-parameters-defined", "EEE"},
    {"path-parameters-on-items", "EWW"},
    {"paths-max-count", "EWW"},
    {"paths-max-depth", "EWW"},
    {"paths-sorted", "E-E"},
    {"paths-unique", "E-E"},
    {"paths-well-formed", "EWE"},
    {"schema-constraints", "WWW"},
    {"schema-datetime-suffix", "EWE"},
    {"schema-discriminator-defined", "EWE"},
    {"schema-enum-naming", "E-E"},
    {"schema-enum-no-duplicates", "EEE"},
    {"schema-enum-types", "EEE"},
    {"schema-example-defined", "EWE"},
    {"schema-format-defined", "EEE"},
    {"schema-format-type-mismatch", "EEE"},
    {"schema-no-additional-properties", "EEE"},
    {"schema-property-naming", "E-E"},
    {"json-api/content-type", "---"},
    {"json-api/schema-validation", "---"},
    {"json-api/resource-type-unique", "---"},
};

using Severities = std::map<std::string, char>;

bool registered(std::string_view id) {
    static const auto ids = registeredRuleIds();
    return std::binary_search(ids.begin(), ids.end(), id);
}

Severities expected(std::size_t column) {
    Severities result;
    for (const auto& row : kTable) {
        const char severity = row[1][column];
        if (severity != '-' && registered(row[0])) result.emplace(row[0], severity);
    }
    return result;
}

Severities actual(std::string_view rulesetId) {
    Severities result;
    const auto ruleset = createRuleset(rulesetId);
    for (const Ruleset::Entry& entry : ruleset->rules()) {
        const bool added = result.emplace(entry.ruleId, entry.severity == Severity::Error ? 'E' : 'W').second;
        EXPECT_TRUE(added) << rulesetId << " lists " << entry.ruleId << " twice";
    }
    return result;
}

TEST(RulesetTableTest, EveryRuleOfTheCatalogueIsRegistered) {
    std::vector<std::string> missing;
    for (const auto& row : kTable) {
        if (!registered(row[0])) missing.emplace_back(row[0]);
    }
    EXPECT_EQ(std::size(kTable), 53U);
    const auto ids = registeredRuleIds();
    // Tests register rules of their own, under "test/".
    EXPECT_EQ(std::count_if(ids.begin(), ids.end(), [](const std::string& id) { return !id.starts_with("test/"); }),
              53);
    EXPECT_THAT(missing, ::testing::IsEmpty());
}

TEST(RulesetTableTest, EachSetHoldsExactlyItsRulesWithTheirSeverities) {
    EXPECT_EQ(actual("all"), expected(0));
    EXPECT_EQ(actual("recommended"), expected(1));
    EXPECT_EQ(actual("strict"), expected(2));
    EXPECT_EQ(actual("json-api"), (Severities{{"json-api/content-type", 'E'},
                                              {"json-api/schema-validation", 'E'},
                                              {"json-api/resource-type-unique", 'E'}}));
}

}  // namespace
}  // namespace zephalon::openapi_lint
