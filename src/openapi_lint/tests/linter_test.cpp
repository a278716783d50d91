#include "zephalon/openapi_lint/linter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "lint_test_util.h"
#include "shared_walk.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi/writer.h"

namespace zephalon::openapi_lint {
namespace {

using namespace testing;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class LinterTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { registerTestRules(); }

    void configure(std::string_view json) {
        auto doc = jv::readString(json, FileFormat::JSON);
        linter.setConfig(doc->root());
    }
    std::vector<std::string> configuredRules() const {
        std::vector<std::string> out;
        for (const auto& [id, rule] : linter.rules()) {
            out.push_back(id + "=" + std::string(severityToString(rule->severity())));
        }
        return out;
    }
    std::string configError(std::string_view json) {
        try {
            configure(json);
        } catch (const std::exception& e) {
            return e.what();
        }
        return "no error";
    }
    std::unique_ptr<openapi::OpenAPIReadResult> readFile(const std::string& path) {
        return openapi::checkedReadFromFile(path);
    }

    std::ostringstream out;
    Linter linter{out};
    TempDir dir;
};

TEST_F(LinterTest, ExtendsRulesetsAndAppliesRuleEntriesOnTop) {
    configure(R"({"extends": ["test/basic"], "rules": {"test/missing-operation-id": "warn",
                 "test/sort-tags": ["err"], "test/max-paths": "off"}})");
    EXPECT_THAT(configuredRules(), ElementsAre("test/missing-operation-id=warning", "test/sort-tags=error"));
    EXPECT_EQ(out.str(), "");
}

TEST_F(LinterTest, RuleOptionsComeFromTheRulesetOrTheRuleEntry) {
    configure(R"({"extends": ["test/basic"]})");
    EXPECT_EQ(dynamic_cast<const testing::MaxPaths&>(*linter.rules().at("test/max-paths")).max(), 3);
    // A new severity keeps the options; new options replace them.
    configure(R"({"rules": {"test/max-paths": "error"}})");
    EXPECT_EQ(dynamic_cast<const testing::MaxPaths&>(*linter.rules().at("test/max-paths")).max(), 3);
    configure(R"({"rules": {"test/max-paths": ["warning", 7]}})");
    const auto& rule = dynamic_cast<const testing::MaxPaths&>(*linter.rules().at("test/max-paths"));
    EXPECT_EQ(rule.max(), 7);
    EXPECT_EQ(rule.severity(), Severity::Warning);
}

TEST_F(LinterTest, LaterRulesetReplacesAnEarlierEntryAndUnknownIdsAreNotedAndSkipped) {
    configure(R"({"extends": ["test/basic", "test/nope", "test/stricter"], "rules": {"test/unknown": "error"}})");
    EXPECT_THAT(configuredRules(), ElementsAre("test/max-paths=error", "test/missing-operation-id=error"));
    // The later set gave no options, so the rule is back at its default.
    EXPECT_EQ(dynamic_cast<const testing::MaxPaths&>(*linter.rules().at("test/max-paths")).max(), 1);
    EXPECT_EQ(out.str(),
              "Cannot load ruleset: Ruleset not found: test/nope\n"
              "Cannot load rule: Rule not found: test/not-registered\n"
              "Cannot load rule: Rule not found: test/unknown\n");
}

TEST_F(LinterTest, MalformedConfigurationsNameWhatIsWrong) {
    EXPECT_EQ(configError(R"({"extends": "test/basic"})"), "An array value is expected for 'extends'.");
    EXPECT_EQ(configError(R"({"extends": [1]})"), "A string value is expected for 'extends'.");
    EXPECT_EQ(configError(R"({"rules": []})"), "An object value is expected for 'rules'.");
    EXPECT_EQ(configError(R"({"rules": {"test/max-paths": "fatal"}})"), "Rule 'test/max-paths': Invalid severity");
    EXPECT_EQ(configError(R"({"rules": {"test/max-paths": 2}})"), "Rule 'test/max-paths': Invalid rule configuration");
    EXPECT_EQ(configError(R"({"rules": {"test/max-paths": []}})"), "Rule 'test/max-paths': Invalid rule configuration");
    EXPECT_EQ(configError(R"({"rules": {"test/max-paths": ["error", 1, 2]}})"),
              "Rule 'test/max-paths': Invalid rule configuration");
    EXPECT_EQ(configError(R"({"rules": {"test/max-paths": ["error", 0]}})"),
              "Rule 'test/max-paths': Max path count must be a positive number");
    EXPECT_THROW(configure("[]"), jv::JVError);
    linter.setConfig(nullptr);
    EXPECT_EQ(out.str(), "");
}

TEST_F(LinterTest, FixersRunFirstThenEveryRuleByIdAndChecksSeeTheFixedModel) {
    configure(R"({"rules": {"test/b-check": "error", "test/d-fix": "error", "test/a-check": "error",
                 "test/c-fix": "error"}})");
    auto result = readFile(dir.write("api.json", std::string(kPetstoreJson)));
    linter.setAutoFix(true);
    callLog().clear();
    linter.process(*result);
    EXPECT_THAT(callLog(), ElementsAre("fix test/c-fix", "fix test/d-fix", "run test/c-fix", "run test/d-fix",
                                       "run test/a-check", "run test/b-check"));
    callLog().clear();
    linter.setAutoFix(false);
    linter.process(*result);
    EXPECT_THAT(callLog(), ElementsAre("run test/c-fix", "run test/d-fix", "run test/a-check", "run test/b-check"));
}

TEST_F(LinterTest, RulesWithHandlersShareOneWalkThatShowsEachOfThemEveryNode) {
    auto result = readFile(dir.write("api.json", std::string(kPetstoreJson)));
    Context alone;
    alone.setReadResult(result.get());
    nodeLog().clear();
    NodeRecorder("test/nodes-a", Severity::Error).run(alone);
    const auto expected = nodeLog()["test/nodes-a"];
    ASSERT_GT(expected.size(), 10u);

    configure(R"({"rules": {"test/nodes-a": "error", "test/nodes-b": "error", "test/missing-operation-id": "error"}})");
    nodeLog().clear();
    linter.process(*result);
    EXPECT_EQ(nodeLog()["test/nodes-a"], expected);
    EXPECT_EQ(nodeLog()["test/nodes-b"], expected);
    // A rule without a handler still runs.
    EXPECT_EQ(linter.context().result().issues().size(), 1u);
}

TEST_F(LinterTest, IssuesCarryTheSourcePositionAndPointer) {
    configure(R"({"rules": {"test/missing-operation-id": "warn"}})");
    auto json = readFile(dir.write("api.json", std::string(kPetstoreJson)));
    auto yaml = readFile(dir.write("api.yaml", std::string(kPetstoreYaml)));
    linter.setKeepPointers(true);
    linter.process(*json, dir.file("sub/../api.json"));
    linter.process(*yaml);

    const auto& issues = linter.context().result().issues();
    ASSERT_EQ(issues.size(), 2u);
    EXPECT_EQ(issues[0].file(), dir.file("api.json"));
    EXPECT_EQ(issues[0].ruleId(), "test/missing-operation-id");
    EXPECT_EQ(issues[0].severity(), Severity::Warning);
    EXPECT_EQ(issues[0].message(), "Operation ID is not defined");
    EXPECT_EQ(issues[0].jsonPointer(), "/paths/~1pets/post");
    EXPECT_EQ(issues[0].line(), 8);
    EXPECT_EQ(issues[0].column(), 15);
    EXPECT_FALSE(issues[0].autoFixable());
    // YAML positions are counted from 1 too: "responses:" on the eighth line, after six spaces.
    EXPECT_EQ(issues[1].file(), dir.file("api.yaml"));
    EXPECT_EQ(issues[1].jsonPointer(), "/paths/~1pets/get");
    EXPECT_EQ(issues[1].line(), 8);
    EXPECT_EQ(issues[1].column(), 7);
    EXPECT_EQ(linter.context().result().warningCount(), 2u);
    // Nothing refers to a read result once its document is done.
    EXPECT_EQ(linter.context().readResult(), nullptr);
}

TEST_F(LinterTest, PointersAreRecordedWhenTheReportOrTheCallerReadsThem) {
    configure(R"({"rules": {"test/missing-operation-id": "warn"}})");
    auto json = readFile(dir.write("api.json", std::string(kPetstoreJson)));
    linter.process(*json);
    linter.setFormatter("json");
    linter.process(*json);
    const auto& issues = linter.context().result().issues();
    ASSERT_EQ(issues.size(), 2u);
    EXPECT_EQ(issues[0].jsonPointer(), "");
    EXPECT_EQ(issues[1].jsonPointer(), "/paths/~1pets/post");
    // The first document's finding would be reported without its pointer.
    EXPECT_THROW(linter.report(), std::logic_error);
}

TEST_F(LinterTest, ReportPrintsEveryDocumentOnceAfterTheRun) {
    configure(R"({"rules": {"test/missing-operation-id": "error"}})");
    auto first = readFile(dir.write("b.yaml", std::string(kPetstoreYaml)));
    auto second = readFile(dir.write("a.json", std::string(kPetstoreJson)));
    linter.setFormatter("unix");
    linter.process(*first);
    linter.process(*second);
    EXPECT_EQ(out.str(), "");
    linter.report();
    EXPECT_EQ(out.str(), dir.file("a.json") +
                             ":8:15: Operation ID is not defined. [Error/test/missing-operation-id]\n" +
                             dir.file("b.yaml") +
                             ":8:7: Operation ID is not defined. [Error/test/missing-operation-id]\n\n2 problems\n");
    EXPECT_THROW(linter.setFormatter("nope"), std::runtime_error);
}

TEST_F(LinterTest, AutoFixRewritesOnlyADocumentThatAFixChanged) {
    configure(R"({"rules": {"test/sort-tags": "error"}})");
    linter.setAutoFix(true);

    // Already sorted: the file keeps every byte, even its own layout.
    const std::string sorted = R"({"openapi": "3.1.0", "info": {"title": "t", "version": "1"},
        "tags": [{"name": "a"}, {"name": "b"}], "paths": {}})";
    auto clean = readFile(dir.write("sorted.json", sorted));
    linter.process(*clean);
    EXPECT_EQ(dir.read("sorted.json"), sorted);

    auto unsorted = readFile(dir.write("api.json", std::string(kPetstoreJson)));
    linter.process(*unsorted);
    auto reread = readFile(dir.file("api.json"));
    ASSERT_EQ(reread->model()->tags().size(), 2u);
    EXPECT_EQ(reread->model()->tags()[0]->name(), "admin");
    // The checks ran on the fixed model, so nothing is left to report.
    EXPECT_TRUE(linter.context().result().issues().empty());
}

TEST_F(LinterTest, FixesRunAgainWhileOneUndoesAnother) {
    // Sorted by the paths as they are, then made well-formed: "a" becomes "/a", which sorts before "/b".
    configure(R"({"rules": {"paths-sorted": "error", "paths-well-formed": "error"}})");
    linter.setAutoFix(true);
    auto result = readFile(dir.write("api.json", R"({"openapi": "3.1.0", "info": {"title": "t", "version": "1"},
        "paths": {"/b": {}, "a": {}}})"));
    linter.process(*result);
    EXPECT_TRUE(linter.context().result().issues().empty());
    auto reread = readFile(dir.file("api.json"));
    std::vector<std::string> paths;
    for (const auto& [path, item] : reread->model()->paths()->items()) paths.push_back(path);
    EXPECT_EQ(paths, (std::vector<std::string>{"/a", "/b"}));
}

TEST_F(LinterTest, AutoFixWithoutAFileIsRefusedBeforeAnythingChanges) {
    configure(R"({"rules": {"test/sort-tags": "error"}})");
    linter.setAutoFix(true);
    auto result = openapi::readFromString(kPetstoreJson, FileFormat::JSON);
    try {
        linter.process(*result);
        FAIL() << "expected an error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Cannot auto-fix: filename is not set");
    }
    EXPECT_EQ(result->model()->tags()[0]->name(), "pets");
}

TEST_F(LinterTest, ANodeWithoutSourceIsPlacedAtItsNearestReadAncestor) {
    auto result = readFile(dir.write("api.json", std::string(kPetstoreJson)));
    Context& context = linter.context();
    context.setReadResult(result.get());
    openapi::Operation* added = result->model()->paths()->item("/pets")->addOperation(openapi::HttpMethod::put);
    EXPECT_EQ(context.nodeToJsonPointer(added), "/paths/~1pets");
    Issue issue;
    context.setPos(issue, added);
    EXPECT_EQ(issue.line(), 6);
    EXPECT_EQ(context.nodeToJsonPointer(result->model()), "");
    context.setPos(issue, nullptr);
    EXPECT_FALSE(issue.hasPos());
    EXPECT_EQ(issue.column(), -1);
    context.setReadResult(nullptr);
}

TEST(ResultTest, CountsBySeverityAndFixability) {
    Result result;
    Issue issue;
    result.addIssue(issue);
    issue.setSeverity(Severity::Error);
    issue.setAutoFixable(true);
    result.addIssue(issue);
    result.addIssue(issue);
    EXPECT_EQ(result.warningCount(), 1u);
    EXPECT_EQ(result.errorCount(), 2u);
    EXPECT_EQ(result.fixableErrorCount(), 2u);
    EXPECT_EQ(result.fixableWarningCount(), 0u);
    EXPECT_TRUE(result.isFailure());

    EXPECT_FALSE(Result().isFailure());
    Result warnings(2);
    warnings.addIssue(Issue());
    EXPECT_FALSE(warnings.isFailure());
    warnings.addIssue(Issue());
    EXPECT_TRUE(warnings.isFailure());
}

TEST(SeverityTest, ParsesTheLongAndShortSpellings) {
    EXPECT_EQ(severityFromString("err"), Severity::Error);
    EXPECT_EQ(severityFromString("error"), Severity::Error);
    EXPECT_EQ(severityFromString("warn"), Severity::Warning);
    EXPECT_EQ(severityFromString("warning"), Severity::Warning);
    for (const char* text : {"Error", "off", "", "errors"}) {
        EXPECT_THROW(severityFromString(text), std::runtime_error) << text;
    }
}

TEST(RegistryTest, UnknownIdsAreErrorsNamingTheId) {
    std::ostringstream out;
    auto message = [](auto&& create) -> std::string {
        try {
            create();
        } catch (const std::runtime_error& e) {
            return e.what();
        }
        return "no error";
    };
    EXPECT_EQ(message([&] { createFormatter("xml", out); }), "Formatter not found: xml");
    EXPECT_EQ(message([] { createRuleset("nope"); }), "Ruleset not found: nope");
    EXPECT_EQ(message([] { createRule("nope", Severity::Error); }), "Rule not found: nope");
}

TEST(RegistryTest, ListsTheFormattersInIdOrder) {
    EXPECT_THAT(registeredFormatterIds(),
                ::testing::ElementsAre("checkstyle", "compact", "github", "html", "json", "junit", "sarif", "stylish",
                                       "tap", "unix", "visualstudio"));
    const auto ids = registeredRuleIds();
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
}

// Counts what it is handed, for the shared walk's tests.
class SchemaAndParameterCounter : public KindHandler {
  public:
    void handle(const openapi::Schema*) override { ++schemas; }
    void handle(const openapi::Parameter*) override { ++parameters; }
    int schemas = 0;
    int parameters = 0;
};

class OperationCounter : public KindHandler {
  public:
    void handle(const openapi::Operation*) override { ++operations; }
    int operations = 0;
};

// Takes its one kind from its base.
class DerivedOperationCounter : public OperationCounter {};

class EveryNodeCounter : public openapi::NodeVisitHandler {
  public:
    void handle(const openapi::Schema*) override { ++schemas; }
    void handle(const openapi::Parameter*) override { ++parameters; }
    void handle(const openapi::Operation*) override { ++operations; }
    void handleNode(const openapi::Node*) override { ++nodes; }
    int schemas = 0;
    int parameters = 0;
    int operations = 0;
    int nodes = 0;
};

TEST(SharedWalkTest, HandsEachHandlerTheKindsItHasAHandleFor) {
    KindSet schemaAndParameter;
    schemaAndParameter[kindIndex<openapi::Schema>] = true;
    schemaAndParameter[kindIndex<openapi::Parameter>] = true;
    KindSet operation;
    operation[kindIndex<openapi::Operation>] = true;
    EXPECT_EQ(makeKindHandler<SchemaAndParameterCounter>()->kinds(), schemaAndParameter);
    EXPECT_EQ(makeKindHandler<DerivedOperationCounter>()->kinds(), operation);
    // Made otherwise, a handler is handed every kind.
    EXPECT_TRUE(std::make_unique<OperationCounter>()->kinds().all());

    auto result = openapi::readFromString(kPetstoreJson, FileFormat::JSON);
    EveryNodeCounter expected;
    openapi::visitNodes(result->model(), expected);
    ASSERT_GT(expected.schemas, 0);
    ASSERT_GT(expected.parameters, 0);
    ASSERT_GT(expected.operations, 0);

    SharedWalk walk;
    auto schemas = makeKindHandler<SchemaAndParameterCounter>();
    auto operations = makeKindHandler<DerivedOperationCounter>();
    auto everything = std::make_unique<EveryNodeCounter>();
    const auto* schemasSeen = schemas.get();
    const auto* operationsSeen = operations.get();
    const auto* everythingSeen = everything.get();
    walk.add(std::move(schemas));
    walk.add(std::move(operations));
    walk.add(std::move(everything));
    openapi::visitNodes(result->model(), walk);
    EXPECT_EQ(schemasSeen->schemas, expected.schemas);
    EXPECT_EQ(schemasSeen->parameters, expected.parameters);
    EXPECT_EQ(operationsSeen->operations, expected.operations);
    EXPECT_EQ(everythingSeen->nodes, expected.nodes);
    EXPECT_EQ(everythingSeen->schemas, expected.schemas);
}

}  // namespace
}  // namespace zephalon::openapi_lint
