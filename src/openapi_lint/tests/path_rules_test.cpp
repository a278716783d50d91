#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "rule_test_util.h"
#include "rules/rules.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/writer.h"

namespace zephalon::openapi_lint {
namespace {

using ::testing::ElementsAre;
using testing::findings;
using testing::findingsAfterFix;
using ::testing::IsEmpty;
using testing::optionError;

// The keys of "paths" in the document the read result writes, in their order.
std::vector<std::string> writtenPaths(const openapi::OpenAPIReadResult& result) {
    std::string text;
    openapi::writeToString(&result, text, FileFormat::JSON);
    auto doc = jv::readString(text, FileFormat::JSON);
    std::vector<std::string> keys;
    for (std::string_view key : doc->propOrder(doc->root()->objectProperty("paths"))) keys.emplace_back(key);
    return keys;
}

std::string document(std::string_view paths, std::string_view rest = "") {
    return fmt::format("openapi: 3.1.0\ninfo: {{title: t, version: '1'}}\npaths:\n{}{}", paths, rest);
}

TEST(ParameterDescriptionDefinedTest, ReportsEveryParameterOnceWhereverDeclared) {
    const std::string yaml =
        document(R"(  /a/{id}:
    parameters:
      - {name: id, in: path, required: true, description: The item to work on.}
    get:
      parameters:
        - {name: q, in: query}
        - {$ref: '#/components/parameters/Page'}
        - {name: trace, in: header, description: short, x-lint-disable: [parameter-description-defined]}
      responses: {'200': {description: ok}}
    put:
      parameters: [{$ref: '#/components/parameters/Page'}]
      responses: {'200': {description: ok}}
)",
                 "components:\n  parameters:\n    Page: {name: page, in: query, description: Page}\n");
    EXPECT_THAT(findings("parameter-description-defined", yaml),
                ElementsAre("Parameter 'q' has no meaningful description @ /paths/~1a~1{id}/get/parameters/0",
                            "Parameter 'page' has no meaningful description @ /components/parameters/Page"));
    EXPECT_THAT(findings("parameter-description-defined", yaml, R"({"minLength": 2})"),
                ElementsAre("Parameter 'q' has no meaningful description @ /paths/~1a~1{id}/get/parameters/0"));
}

TEST(ParameterNamingTest, FollowsTheConventionOfEachLocation) {
    const std::string yaml = document(R"(  /a/{itemId}:
    parameters:
      - {name: itemId, in: path, required: true}
    get:
      parameters:
        - {name: page_size, in: query}
        - {name: sort-by, in: query}
        - {name: x-request-id, in: header}
        - {name: X-Trace, in: header}
        - {name: sessionToken, in: cookie, x-lint-disable: [parameter-naming]}
      responses: {'200': {description: ok}}
)");
    EXPECT_THAT(findings("parameter-naming", yaml),
                ElementsAre("Parameter should be named page-size @ /paths/~1a~1{itemId}/get/parameters/0",
                            "Parameter should be named X-Request-Id @ /paths/~1a~1{itemId}/get/parameters/2",
                            "Parameter should be named item_id @ /paths/~1a~1{itemId}/parameters/0"));
    // One convention for every location.
    EXPECT_THAT(findings("parameter-naming", yaml, R"("camel")"),
                ElementsAre("Parameter should be named pageSize @ /paths/~1a~1{itemId}/get/parameters/0",
                            "Parameter should be named sortBy @ /paths/~1a~1{itemId}/get/parameters/1",
                            "Parameter should be named xRequestId @ /paths/~1a~1{itemId}/get/parameters/2",
                            "Parameter should be named xTrace @ /paths/~1a~1{itemId}/get/parameters/3"));
    // Path and cookie parameters follow the object's default.
    EXPECT_THAT(findings("parameter-naming", yaml, R"({"default": "camel", "query": "snake", "header": "header"})"),
                ElementsAre("Parameter should be named sort_by @ /paths/~1a~1{itemId}/get/parameters/1",
                            "Parameter should be named X-Request-Id @ /paths/~1a~1{itemId}/get/parameters/2"));
}

TEST(ParameterNamingTest, RefusesUnknownConventions) {
    const std::string prefix = "Rule 'parameter-naming': ";
    EXPECT_EQ(optionError("parameter-naming", "null"), prefix + "Invalid default convention");
    EXPECT_EQ(optionError("parameter-naming", "3"), prefix + "Invalid default convention");
    EXPECT_EQ(optionError("parameter-naming", R"({"default": 1})"), prefix + "Invalid default convention");
    EXPECT_EQ(optionError("parameter-naming", R"({"query": true})"), prefix + "Invalid query convention");
    EXPECT_EQ(optionError("parameter-naming", R"("camelCase")"), prefix + "Unknown naming convention: camelCase");
    EXPECT_EQ(optionError("parameter-naming", R"({"cookie": "title"})"), prefix + "Unknown naming convention: title");
}

TEST(ParametersUniqueTest, ReportsRepeatsWithinEachListThroughReferences) {
    const std::string yaml = document(R"(  /a:
    parameters:
      - {name: id, in: query}
      - {$ref: '#/components/parameters/Id'}
    get:
      parameters:
        - {name: id, in: query}
        - {name: id, in: header}
        - {name: ID, in: header}
        - {name: id, in: cookie}
      responses: {'200': {description: ok}}
    put:
      parameters:
        - {name: id, in: query}
        - {name: id, in: query, x-lint-disable: [parameters-unique]}
      responses: {'200': {description: ok}}
)",
                                      R"(webhooks:
  hook:
    post:
      parameters: [{name: a, in: query}, {name: a, in: query}]
      responses: {'200': {description: ok}}
components:
  parameters:
    Id: {name: id, in: query}
)");
    // An operation's own parameter may redefine one of its path item: only repeats within one list count.
    EXPECT_THAT(findings("parameters-unique", yaml),
                ElementsAre("Duplicate parameter name 'id' in location 'query' @ /paths/~1a/parameters/1",
                            "Duplicate parameter name 'ID' in location 'header' @ /paths/~1a/get/parameters/2",
                            "Duplicate parameter name 'a' in location 'query' @ /webhooks/hook/post/parameters/1"));
}

TEST(PathParametersDefinedTest, EachOperationSeesItsOwnAndItsPathItemsParameters) {
    const std::string yaml = document(R"(  /a/{id}/b/{sub}:
    parameters: [{name: id, in: path, required: true}]
    get:
      parameters: [{name: sub, in: path, required: true}]
      responses: {'200': {description: ok}}
    put:
      parameters: [{name: sub, in: query}]
      responses: {'200': {description: ok}}
    delete:
      x-lint-disable: [path-parameters-defined]
      responses: {'200': {description: ok}}
  /c/{id}:
    parameters: [{$ref: '#/components/parameters/Id'}]
  /d/{id}: {}
  /e: {get: {responses: {'200': {description: ok}}}}
)",
                                      "components:\n  parameters:\n    Id: {name: id, in: path, required: true}\n");
    EXPECT_THAT(findings("path-parameters-defined", yaml),
                ElementsAre("One or more path parameters are missing @ /paths/~1a~1{id}~1b~1{sub}/put",
                            "One or more path parameters are missing @ /paths/~1d~1{id}"));
}

TEST(PathParametersOnItemsTest, AsksForPathParametersOnThePathItem) {
    const std::string yaml = document(R"(  /a/{id}:
    get:
      parameters: [{name: id, in: path, required: true}]
      responses: {'200': {description: ok}}
  /b/{id}:
    parameters: [{name: id, in: path, required: true}]
  /c/{id}:
    x-lint-disable: [path-parameters-on-items]
  /d: {}
)");
    EXPECT_THAT(findings("path-parameters-on-items", yaml),
                ElementsAre("One or more path parameters are missing or not defined in path item @ /paths/~1a~1{id}"));
    EXPECT_FALSE(createRule("path-parameters-on-items", Severity::Error)->autoFixable());
}

TEST(PathsMaxDepthTest, CountsSegmentsAgainstTheLimit) {
    const std::string yaml = document(R"(  /a/b/c/d: {}
  /a/b/c/d/{e}: {}
  //a//b/c/d/: {}
  /a/b/c/d/e/f: {x-lint-disable: [paths-max-depth]}
)");
    EXPECT_THAT(findings("paths-max-depth", yaml),
                ElementsAre("Path URL is too much nested (/a/b/c/d/{e}) @ /paths/~1a~1b~1c~1d~1{e}"));
    EXPECT_THAT(findings("paths-max-depth", yaml, "5"), IsEmpty());
    EXPECT_THAT(findings("paths-max-depth", yaml, "3"), ::testing::SizeIs(3));
    const std::string prefix = "Rule 'paths-max-depth': ";
    EXPECT_EQ(optionError("paths-max-depth", "null"), prefix + "Options must not be null");
    EXPECT_EQ(optionError("paths-max-depth", R"("4")"), prefix + "Options must be a number");
    for (const char* bad : {"0", "-2", "1.5"}) {
        EXPECT_EQ(optionError("paths-max-depth", bad), prefix + "Max path depth must be a positive number") << bad;
    }
}

constexpr std::string_view kUnsortedPaths = R"(openapi: 3.1.0
info: {title: t, version: '1'}
paths:
  /users: {get: {description: all users, responses: {'200': {description: ok}}}}
  /accounts: {}
  /users/{id}: {}
  /orders: {}
  x-note: kept
)";

TEST(PathsSortedTest, NamesThePathsWhereTheOrderBreaks) {
    EXPECT_THAT(findings("paths-sorted", kUnsortedPaths),
                ElementsAre("Paths are not sorted: /accounts, /orders @ /paths"));
    EXPECT_THAT(findings("paths-sorted", document("  /a: {}\n  /a/{id}: {}\n  /b: {}\n")), IsEmpty());
    // A long document keeps the message short.
    std::string many;
    for (int i = 30; i > 0; --i) many += fmt::format("  /p{:02}: {{}}\n", i);
    EXPECT_THAT(findings("paths-sorted", document(many)),
                ElementsAre("Paths are not sorted: /p29, /p28, /p27, /p26, /p25, /p24, /p23, /p22, /p21, /p20 and 19 "
                            "more @ /paths"));
    EXPECT_THAT(findings("paths-sorted", document("  x-lint-disable: [paths-sorted]\n  /b: {}\n  /a: {}\n")),
                IsEmpty());
}

TEST(PathsSortedTest, FixWritesThePathsInOrderAndKeepsEverythingElse) {
    EXPECT_THAT(findingsAfterFix("paths-sorted", kUnsortedPaths), IsEmpty());
    auto result = openapi::checkedReadFromString(kUnsortedPaths, FileFormat::YAML);
    Context context;
    context.setReadResult(result.get());
    ASSERT_TRUE(createRule("paths-sorted", Severity::Error)->autoFix(context));
    EXPECT_THAT(writtenPaths(*result), ElementsAre("/accounts", "/orders", "/users", "/users/{id}", "x-note"));
}

TEST(PathsUniqueTest, ComparesPathsWithTheirParametersLeftOut) {
    const std::string yaml = document(R"(  /users/{id}: {}
  /users/{name}: {}
  /users/{id}/posts: {}
  /users/me: {}
  /users/{key}: {x-lint-disable: [paths-unique]}
)");
    EXPECT_THAT(findings("paths-unique", yaml), ElementsAre("Duplicate path found @ /paths/~1users~1{name}"));
}

TEST(PathsWellFormedTest, ReportsPathsOutOfShapeButNotParameterNames) {
    const std::string yaml = document(R"(  /Users//{Id}/: {}
  /users/{Id}: {}
  /: {}
  items: {}
  /a/{B}/C: {}
  /b/: {x-lint-disable: [paths-well-formed]}
)");
    EXPECT_THAT(findings("paths-well-formed", yaml),
                ElementsAre("Path is not well-formed /Users//{Id}/ @ /paths/~1Users~1~1{Id}~1",
                            "Path is not well-formed /a/{B}/C @ /paths/~1a~1{B}~1C",
                            "Path is not well-formed items @ /paths/items"));
    EXPECT_EQ(wellFormedPath("/Users//{Id}/"), "/users/{Id}");
    EXPECT_EQ(wellFormedPath("items"), "/items");
    EXPECT_EQ(wellFormedPath("/"), "/");
    EXPECT_EQ(wellFormedPath("//"), "/");
    EXPECT_EQ(wellFormedPath("/A/{x//Y}/"), "/a/{x//Y}");
}

TEST(PathsWellFormedTest, FixRenamesPathsInPlaceUnlessTheNameIsTaken) {
    const std::string yaml = document(R"(  /Zoo/: {get: {description: the zoo, responses: {'200': {description: ok}}}}
  /b: {}
  /Users/{Id}: {}
  /users/{Id}: {}
)");
    auto result = openapi::checkedReadFromString(yaml, FileFormat::YAML);
    Context context;
    context.setReadResult(result.get());
    auto rule = createRule("paths-well-formed", Severity::Error);
    ASSERT_TRUE(rule->autoFix(context));
    EXPECT_FALSE(rule->autoFix(context));
    EXPECT_THAT(writtenPaths(*result), ElementsAre("/zoo", "/b", "/Users/{Id}", "/users/{Id}"));
    EXPECT_NE(result->model()->paths()->item("/zoo")->operation(openapi::HttpMethod::get), nullptr);
    // Merging the two path items could lose operations: the path stays, and so does its finding.
    rule->run(context);
    EXPECT_THAT(testing::describe(context.result()),
                ElementsAre("Path is not well-formed /Users/{Id} @ /paths/~1Users~1{Id}"));
}

}  // namespace
}  // namespace zephalon::openapi_lint
