#include "rules/rules.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "lint_test_util.h"
#include "rule_test_util.h"
#include "standard.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi_lint/linter.h"

namespace zephalon::openapi_lint {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using testing::findings;
using testing::optionError;

constexpr std::string_view kOperations = R"(openapi: 3.1.0
info: {title: t, version: '1'}
paths:
  /a:
    get: {operationId: getA, responses: {'200': {description: ok}}}
    post: {responses: {'200': {description: ok}}}
  /b:
    x-lint-disable: [operation-id-defined]
    get: {responses: {'200': {description: ok}}}
  /c:
    get:
      x-zephalon-lint-disable: [other-rule, operation-id-defined]
      responses: {'200': {description: ok}}
    put:
      x-zephalon-lint-disable: operation-id-defined
      responses: {'200': {description: ok}}
webhooks:
  ping:
    post: {responses: {'200': {description: ok}}}
)";

TEST(OperationIdDefinedTest, ReportsOperationsWithoutIdUnlessSwitchedOffAtThemOrAbove) {
    EXPECT_THAT(findings("operation-id-defined", kOperations),
                ElementsAre("Operation ID is not defined @ /paths/~1a/post",
                            // Only an array switches a rule off.
                            "Operation ID is not defined @ /paths/~1c/put",
                            "Operation ID is not defined @ /webhooks/ping/post"));
}

TEST(PathsMaxCountTest, CountsPathsAgainstTheLimit) {
    std::string yaml = "openapi: 3.1.0\ninfo: {title: t, version: '1'}\npaths:\n";
    for (int i = 0; i < 9; ++i) yaml += fmt::format("  /p{}: {{}}\n", i);
    EXPECT_THAT(findings("paths-max-count", yaml),
                ElementsAre("Too many paths found (9), maximum number is 8 @ /paths"));
    EXPECT_THAT(findings("paths-max-count", yaml, "9"), IsEmpty());
    EXPECT_THAT(findings("paths-max-count", yaml, "3"),
                ElementsAre("Too many paths found (9), maximum number is 3 @ /paths"));
    EXPECT_THAT(findings("paths-max-count",
                         "openapi: 3.1.0\ninfo: {title: t, version: '1'}\n"
                         "paths: {x-lint-disable: [paths-max-count], /a: {}, /b: {}}\n",
                         "1"),
                IsEmpty());
}

TEST(PathsMaxCountTest, RefusesLimitsThatAreNotPositiveNumbers) {
    const std::string prefix = "Rule 'paths-max-count': ";
    EXPECT_EQ(optionError("paths-max-count", "null"), prefix + "Options must not be null");
    EXPECT_EQ(optionError("paths-max-count", "\"8\""), prefix + "Options must be a number");
    for (const char* bad : {"0", "-1", "2.5", "1e30"}) {
        EXPECT_EQ(optionError("paths-max-count", bad), prefix + "Max path count must be a positive number") << bad;
    }
}

constexpr std::string_view kUnsortedTags = R"(openapi: 3.1.0
info: {title: t, version: '1'}
tags: [{name: pets}, {name: admin}, {name: users}]
paths: {}
)";

TEST(TagsSortedTest, ListsTheTagsInDocumentOrder) {
    EXPECT_THAT(findings("tags-sorted", kUnsortedTags), ElementsAre("Tags are not sorted: pets, admin, users @ "));
    EXPECT_THAT(findings("tags-sorted",
                         "openapi: 3.1.0\ninfo: {title: t, version: '1'}\n"
                         "tags: [{name: a}, {name: b}]\npaths: {}\n"),
                IsEmpty());
    EXPECT_THAT(findings("tags-sorted", std::string(kUnsortedTags) + "x-lint-disable: [tags-sorted]\n"), IsEmpty());
}

TEST(TagsSortedTest, FixSortsTheTagsAndReportsWhetherItChangedAnything) {
    auto result = openapi::checkedReadFromString(kUnsortedTags, FileFormat::YAML);
    Context context;
    context.setReadResult(result.get());
    TagsSorted rule(Severity::Error);
    EXPECT_TRUE(rule.autoFix(context));
    std::vector<std::string> names;
    for (const auto& tag : result->model()->tags()) names.push_back(tag->name());
    EXPECT_THAT(names, ElementsAre("admin", "pets", "users"));
    EXPECT_FALSE(rule.autoFix(context));
    rule.run(context);
    EXPECT_THAT(context.result().issues(), IsEmpty());
}

TEST(RulesetsTest, DefaultConfigurationIsTheRecommendedSet) {
    std::ostringstream out;
    Linter linter(out);
    linter.setDefaultConfig();
    EXPECT_EQ(out.str(), "");
    auto recommended = createRuleset("recommended");
    ASSERT_EQ(linter.rules().size(), recommended->rules().size());
    for (const Ruleset::Entry& entry : recommended->rules()) {
        ASSERT_TRUE(linter.rules().contains(entry.ruleId)) << entry.ruleId;
        EXPECT_EQ(linter.rules().at(entry.ruleId)->severity(), entry.severity) << entry.ruleId;
    }
    EXPECT_EQ(linter.rules().at("operation-id-defined")->severity(), Severity::Error);
    EXPECT_EQ(linter.rules().at("paths-max-count")->severity(), Severity::Warning);
    EXPECT_FALSE(linter.rules().contains("tags-sorted"));
}

TEST(RulesetsTest, EveryEntryNamesARegisteredRule) {
    const auto rules = registeredRuleIds();
    for (const char* id : {"all", "json-api", "recommended", "strict"}) {
        const auto ruleset = createRuleset(id);
        for (const Ruleset::Entry& entry : ruleset->rules()) {
            EXPECT_TRUE(std::binary_search(rules.begin(), rules.end(), entry.ruleId)) << id << ": " << entry.ruleId;
        }
    }
}

// A misspelt id in the catalogue would leave its rule out of every set.
TEST(RulesetsTest, AllHoldsEveryRuleAndJsonApiOnlyItsOwn) {
    std::set<std::string> all, jsonApi;
    const auto allSet = createRuleset("all");
    const auto jsonApiSet = createRuleset("json-api");
    for (const Ruleset::Entry& entry : allSet->rules()) all.insert(entry.ruleId);
    for (const Ruleset::Entry& entry : jsonApiSet->rules()) jsonApi.insert(entry.ruleId);
    for (const auto& [id, factory] : standardRules()) {
        const bool ownSet = std::string_view(id).starts_with("json-api/");
        EXPECT_EQ(all.contains(std::string(id)), !ownSet) << id;
        EXPECT_EQ(jsonApi.contains(std::string(id)), ownSet) << id;
    }
}

}  // namespace
}  // namespace zephalon::openapi_lint
