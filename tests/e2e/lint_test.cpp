#include <gtest/gtest.h>
#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>

#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "run_zephalon.h"

namespace zephalon::e2e {
namespace {

using nlohmann::json;

// One operation without an id (line 6) and tags out of order, one of them named with markup characters.
constexpr std::string_view kFirst = R"({
  "openapi": "3.1.0",
  "info": {"title": "First", "version": "1"},
  "tags": [{"name": "z"}, {"name": "<&\"'>"}],
  "paths": {
    "/a": {"get": {"responses": {"200": {"description": "ok"}}}},
    "/b": {"get": {"operationId": "getB", "responses": {"200": {"description": "ok"}}}}
  }
}
)";

// Nine paths (more than the recommended eight), one operation without an id.
constexpr std::string_view kSecond = R"(openapi: 3.0.3
info:
  title: Second
  version: "1"
paths:
  /p1: {}
  /p2: {}
  /p3: {}
  /p4: {}
  /p5: {}
  /p6: {}
  /p7: {}
  /p8:
    post:
      responses:
        "201":
          description: created
  /p9: {}
)";

constexpr std::string_view kClean = R"({"openapi": "3.1.0", "info": {"title": "t", "version": "1"},
  "tags": [{"name": "a"}, {"name": "b"}], "paths": {}})";

// A report read back with a real XML or HTML parser; the XML parser refuses text that is not well-formed.
class Markup {
  public:
    static Markup xml(const std::string& text) {
        return Markup(
            xmlReadMemory(text.data(), static_cast<int>(text.size()), "report.xml", nullptr, XML_PARSE_NONET));
    }
    static Markup html(const std::string& text) {
        return Markup(htmlReadMemory(text.data(), static_cast<int>(text.size()), "report.html", "utf-8",
                                     HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET));
    }

    bool parsed() const { return doc_ != nullptr; }

    // The string values of the nodes an XPath expression selects, in document order.
    std::vector<std::string> select(const std::string& path) const {
        std::vector<std::string> values;
        if (!doc_) return values;
        std::unique_ptr<xmlXPathContext, decltype(&xmlXPathFreeContext)> context(xmlXPathNewContext(doc_.get()),
                                                                                 xmlXPathFreeContext);
        std::unique_ptr<xmlXPathObject, decltype(&xmlXPathFreeObject)> result(
            xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(path.c_str()), context.get()), xmlXPathFreeObject);
        if (!result || result->nodesetval == nullptr) return values;
        for (int i = 0; i < result->nodesetval->nodeNr; ++i) {
            xmlChar* text = xmlNodeGetContent(result->nodesetval->nodeTab[i]);
            values.emplace_back(text == nullptr ? "" : reinterpret_cast<const char*>(text));
            xmlFree(text);
        }
        return values;
    }

  private:
    explicit Markup(xmlDocPtr doc) : doc_(doc, xmlFreeDoc) {}
    std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc_;
};

using Strings = std::vector<std::string>;

const std::string kDim = "\x1b[2;37m";
const std::string kRed = "\x1b[0;31m";
const std::string kYellow = "\x1b[0;33m";
const std::string kReset = "\x1b[0m";

class LintTest : public ::testing::Test {
  protected:
    LintTest() : root(std::filesystem::canonical(workspace.path()).string() + "/") {
        workspace.write("b.yaml", kSecond);
        workspace.write("a.json", kFirst);
        // The rules these documents break, named one by one so that the reports stay put as the catalogue grows.
        workspace.write("ids.yaml", R"(version: "1.0"
commands:
  lint:
    rules: {operation-id-defined: error, paths-max-count: warn}
)");
        // Both files, every rule of this test, tags-sorted as a warning.
        workspace.write("lint.yaml", R"(version: "1.0"
commands:
  lint:
    rules: {operation-id-defined: error, paths-max-count: warn, tags-sorted: warn}
)");
    }

    RunResult lint(std::vector<std::string> args) {
        args.insert(args.begin(), "lint");
        RunResult result = workspace.run(args);
        EXPECT_EQ(result.err, "");
        return result;
    }
    RunResult lintBoth(const std::string& formatter) {
        return lint({"--config", "lint.yaml", "--formatter", formatter, "b.yaml", "a.json"});
    }

    Workspace workspace;
    std::string root;
};

TEST_F(LintTest, WithoutConfigurationTheRecommendedRulesApply) {
    const auto result = lint({"--formatter", "unix", "b.yaml", "a.json"});
    EXPECT_EQ(result.status, 0);
    for (const std::string& line :
         {root + "a.json:6:19: Operation ID is not defined. [Error/operation-id-defined]\n",
          root + "b.yaml:6:3: Too many paths found (9), maximum number is 8. "
                 "[Warning/paths-max-count]\n",
          root + "b.yaml:15:7: Operation ID is not defined. [Error/operation-id-defined]\n"}) {
        EXPECT_NE(result.out.find(line), std::string::npos) << line << result.out;
    }
    // Not in "recommended".
    EXPECT_EQ(result.out.find("tags-sorted"), std::string::npos) << result.out;
}

TEST_F(LintTest, AConfigurationWithoutALintSectionRunsNoRule) {
    workspace.write("empty.yaml", "version: \"1.0\"\ncommands: {format: {}}\n");
    const auto result = lint({"--config", "empty.yaml", "b.yaml", "a.json"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
}

TEST_F(LintTest, RulesAreSwitchedOffAddedAndGivenOptions) {
    workspace.write("rules.json", R"({"version": "1.0", "commands": {"lint": {"extends": ["recommended"], "rules": {
        "operation-id-defined": "off", "tags-sorted": "warn", "paths-max-count": ["error", 4]}}}})");
    const auto result = lint({"--config", "rules.json", "--formatter", "compact", "a.json", "b.yaml"});
    EXPECT_EQ(result.out.find("operation-id-defined"), std::string::npos) << result.out;
    for (const std::string& line :
         {root + "a.json: line 1, col 1, Warning - Tags are not sorted: z, <&\"'>. (tags-sorted)\n",
          root + "b.yaml: line 6, col 3, Error - Too many paths found (9), maximum number is 4. (paths-max-count)\n"}) {
        EXPECT_NE(result.out.find(line), std::string::npos) << line << result.out;
    }
}

TEST_F(LintTest, UnknownRulesetsAndRulesAreNotedAndSkipped) {
    workspace.write("unknown.yaml", R"(version: "1.0"
commands:
  lint:
    extends: [nope]
    rules: {no-such-rule: error, operation-id-defined: error}
)");
    const auto result = lint({"--config", "unknown.yaml", "--formatter", "unix", "a.json"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out,
              "Cannot load ruleset: Ruleset not found: nope\n"
              "Cannot load rule: Rule not found: no-such-rule\n" +
                  root + "a.json:6:19: Operation ID is not defined. [Error/operation-id-defined]\n" + "\n1 problems\n");
}

TEST_F(LintTest, ConfigurationErrorsNameTheFileAndTheRule) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"rules: {tags-sorted: fatal}", "bad.yaml: Rule 'tags-sorted': Invalid severity"},
        {"rules: {tags-sorted: 1}", "bad.yaml: Rule 'tags-sorted': Invalid rule configuration"},
        {"rules: {paths-max-count: [warn, 0]}",
         "bad.yaml: Rule 'paths-max-count': Max path count must be a positive number"},
        {"extends: recommended", "bad.yaml: An array value is expected for 'extends'."},
    };
    for (const auto& [section, message] : cases) {
        workspace.write("bad.yaml", "version: \"1.0\"\ncommands:\n  lint:\n    " + section + "\n");
        const auto result = lint({"--config", "bad.yaml", "a.json"});
        EXPECT_EQ(result.status, 1) << section;
        EXPECT_EQ(result.out, message + "\n") << section;
    }
    const auto unknown = lint({"--formatter", "xml", "a.json"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.out, "Formatter not found: xml\n");
}

TEST_F(LintTest, AnUnreadableFileEndsTheRunWithoutAReport) {
    workspace.write("broken.json", "{\"openapi\": ");
    for (const std::string bad : {"missing.yaml", "broken.json"}) {
        const auto result = lint({"a.json", bad, "b.yaml"});
        EXPECT_EQ(result.status, 1) << bad;
        EXPECT_EQ(result.out.rfind(bad + ":", 0), 0u) << result.out;
        EXPECT_EQ(splitLines(result.out).size(), 1u) << result.out;
    }
    EXPECT_EQ(lint({"missing.yaml"}).out, "missing.yaml: Cannot open file: missing.yaml\n");
    // A parse error names its file once.
    EXPECT_EQ(lint({"broken.json"}).out,
              "broken.json:1:13: JSON parse error: expected a value, found the end of the text\n");
}

TEST_F(LintTest, FailSeverityTurnsFindingsIntoAFailingStatus) {
    workspace.write("warnings.yaml", "version: \"1.0\"\ncommands: {lint: {rules: {tags-sorted: warn}}}\n");
    EXPECT_EQ(lint({"--config", "warnings.yaml", "a.json"}).status, 0);
    EXPECT_EQ(lint({"--config", "warnings.yaml", "--fail-severity", "error", "a.json"}).status, 0);
    EXPECT_EQ(lint({"--config", "warnings.yaml", "--fail-severity", "warning", "a.json"}).status, 1);
    EXPECT_EQ(lint({"--fail-severity", "error", "a.json"}).status, 1);
    EXPECT_EQ(lint({"--fail-severity", "warning", "--config", "warnings.yaml", "b.yaml"}).status, 0);
    const auto invalid = lint({"--fail-severity", "fatal", "a.json"});
    EXPECT_EQ(invalid.status, 1);
    EXPECT_NE(invalid.out.find("fatal"), std::string::npos);
}

TEST_F(LintTest, FixRewritesOnlyDocumentsAFixChanged) {
    workspace.write("fix.yaml", "version: \"1.0\"\ncommands: {lint: {rules: {tags-sorted: error}}}\n");
    workspace.write("clean.json", kClean);
    const auto result = lint({"--config", "fix.yaml", "--fix", "a.json", "clean.json"});
    EXPECT_EQ(result.status, 0);
    // Fixed before the checks, so nothing is left to report.
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(workspace.read("clean.json"), kClean);
    const json fixed = json::parse(workspace.read("a.json"));
    EXPECT_EQ(fixed["tags"], json::parse(R"([{"name": "<&\"'>"}, {"name": "z"}])"));
}

TEST_F(LintTest, ABaselineHidesAcceptedFindingsAndKeepsNewOnes) {
    const auto written = lint(
        {"--config", "ids.yaml", "--write-baseline", "baseline.yaml", "--fail-severity", "error", "a.json", "b.yaml"});
    EXPECT_EQ(written.status, 1);
    EXPECT_EQ(workspace.read("baseline.yaml"),
              "version: '1.0'\n"
              "findings:\n"
              "  a.json:\n"
              "    operation-id-defined:\n"
              "    - /paths/~1a/get\n"
              "  b.yaml:\n"
              "    operation-id-defined:\n"
              "    - /paths/~1p8/post\n"
              "    paths-max-count:\n"
              "    - /paths\n");
    const auto accepted =
        lint({"--config", "ids.yaml", "--baseline", "baseline.yaml", "--fail-severity", "warning", "a.json", "b.yaml"});
    EXPECT_EQ(accepted.status, 0);
    EXPECT_EQ(accepted.out, "");

    // Lines above the accepted finding move it; a new operation without an id is reported.
    std::string edited(kFirst);
    edited.replace(edited.find("\"paths\": {"), 10,
                   "\"paths\": {\n    \"/c\": {\"put\": {\"responses\": {\"200\": {\"description\": \"ok\"}}}},");
    workspace.write("a.json", "\n\n" + edited);
    const auto fresh =
        lint({"--config", "ids.yaml", "--baseline", "baseline.yaml", "--formatter", "unix", "a.json", "b.yaml"});
    EXPECT_EQ(fresh.out,
              root + "a.json:8:19: Operation ID is not defined. [Error/operation-id-defined]\n\n1 problems\n");

    workspace.write("broken-baseline.yaml", "findings: []\n");
    const auto broken = lint({"--baseline", "broken-baseline.yaml", "a.json"});
    EXPECT_EQ(broken.status, 1);
    EXPECT_EQ(broken.out, "broken-baseline.yaml: not a lint baseline (version must be the string \"1.0\")\n");
}

TEST_F(LintTest, ADocumentNamedTwiceIsLintedOnce) {
    const auto result = lint({"--config", "ids.yaml", "--formatter", "unix", "a.json", "./a.json", root + "a.json"});
    EXPECT_EQ(result.out,
              root + "a.json:6:19: Operation ID is not defined. [Error/operation-id-defined]\n\n1 problems\n");
}

TEST_F(LintTest, LineFormatsPrintEachFindingOnceInFileOrder) {
    EXPECT_EQ(lintBoth("stylish").out,
              root + "a.json\n" +                                                                                    //
                  "  " + kDim + "1:1 " + "  " + kYellow + "warning" + kReset + "  Tags are not sorted: z, <&\"'>" +  //
                  "  " + kDim + "tags-sorted         \n" +                                                           //
                  "  " + kDim + "6:19" + "  " + kRed + "error  " + kReset + "  Operation ID is not defined  " +      //
                  "  " + kDim + "operation-id-defined\n" +                                                           //
                  root + "b.yaml\n" +                                                                                //
                  "  " + kDim + " 6:3" + "  " + kYellow + "warning" + kReset +                                       //
                  "  Too many paths found (9), maximum number is 8" + "  " + kDim + "paths-max-count     \n" +       //
                  "  " + kDim + "15:7" + "  " + kRed + "error  " + kReset +                                          //
                  "  Operation ID is not defined                  " + "  " + kDim + "operation-id-defined\n" +       //
                  "\n  " + kReset + "4 issues (2 errors, 2 warnings)\n" +                                            //
                  "  0 errors, 1 warnings are potentially auto-fixable\n");
    EXPECT_EQ(lintBoth("compact").out,
              root + "a.json: line 1, col 1, Warning - Tags are not sorted: z, <&\"'>. (tags-sorted)\n" +           //
                  root + "a.json: line 6, col 19, Error - Operation ID is not defined. (operation-id-defined)\n" +  //
                  root +
                  "b.yaml: line 6, col 3, Warning - Too many paths found (9), maximum number is 8. "
                  "(paths-max-count)\n" +
                  root + "b.yaml: line 15, col 7, Error - Operation ID is not defined. (operation-id-defined)\n" +
                  "\n4 problems\n");
    EXPECT_EQ(lintBoth("visualstudio").out,
              root + "a.json(1,1): warning tags-sorted : Tags are not sorted: z, <&\"'>.\n" +           //
                  root + "a.json(6,19): error operation-id-defined : Operation ID is not defined.\n" +  //
                  root + "b.yaml(6,3): warning paths-max-count : Too many paths found (9), maximum number is 8.\n" +
                  root + "b.yaml(15,7): error operation-id-defined : Operation ID is not defined.\n");
    EXPECT_EQ(
        lintBoth("github").out,
        "::warning file=a.json,line=1,col=1,title=tags-sorted::Tags are not sorted: z, <&\"'>\n"
        "::error file=a.json,line=6,col=19,title=operation-id-defined::Operation ID is not defined\n"
        "::warning file=b.yaml,line=6,col=3,title=paths-max-count::Too many paths found (9), maximum number is 8\n"
        "::error file=b.yaml,line=15,col=7,title=operation-id-defined::Operation ID is not defined\n");
    EXPECT_EQ(lintBoth("tap").out,
              "TAP version 14\n1..2\n"
              "not ok - " +
                  root +
                  "a.json\n"
                  "  ---\n"
                  "  severity: error\n"
                  "  errorCount: 1\n"
                  "  warningCount: 1\n"
                  "  issues:\n"
                  "  - line: 1\n"
                  "    column: 1\n"
                  "    severity: warning\n"
                  "    rule: tags-sorted\n"
                  "    message: 'Tags are not sorted: z, <&\"''>'\n"
                  "  - line: 6\n"
                  "    column: 19\n"
                  "    severity: error\n"
                  "    rule: operation-id-defined\n"
                  "    message: Operation ID is not defined\n"
                  "  ...\n"
                  "not ok - " +
                  root +
                  "b.yaml\n"
                  "  ---\n"
                  "  severity: error\n"
                  "  errorCount: 1\n"
                  "  warningCount: 1\n"
                  "  issues:\n"
                  "  - line: 6\n"
                  "    column: 3\n"
                  "    severity: warning\n"
                  "    rule: paths-max-count\n"
                  "    message: Too many paths found (9), maximum number is 8\n"
                  "  - line: 15\n"
                  "    column: 7\n"
                  "    severity: error\n"
                  "    rule: operation-id-defined\n"
                  "    message: Operation ID is not defined\n"
                  "  ...\n");
}

TEST_F(LintTest, JsonAndSarifReadBackWithAJsonParser) {
    const auto report = json::parse(lintBoth("json").out);
    ASSERT_EQ(report.size(), 2u);
    EXPECT_EQ(report[0]["filePath"], root + "a.json");
    EXPECT_EQ(report[0]["messages"][0],
              json::parse(R"({"line": 1, "column": 1, "severity": "warning", "rule": "tags-sorted",
                              "message": "Tags are not sorted: z, <&\"'>", "jsonPointer": ""})"));
    EXPECT_EQ(report[1]["messages"][1]["jsonPointer"], "/paths/~1p8/post");

    const auto sarif = json::parse(lintBoth("sarif").out);
    const auto& run = sarif["runs"][0];
    std::vector<std::string> rules;
    for (const auto& rule : run["tool"]["driver"]["rules"]) rules.push_back(rule["id"]);
    EXPECT_EQ(rules, (std::vector<std::string>{"operation-id-defined", "paths-max-count", "tags-sorted"}));
    ASSERT_EQ(run["results"].size(), 4u);
    const auto& last = run["results"][3];
    EXPECT_EQ(last["ruleId"], "operation-id-defined");
    EXPECT_EQ(last["level"], "error");
    EXPECT_EQ(last["locations"][0]["physicalLocation"]["artifactLocation"]["uri"], "b.yaml");
    EXPECT_EQ(last["locations"][0]["physicalLocation"]["region"]["startLine"], 15);
    EXPECT_EQ(last["locations"][0]["logicalLocations"][0]["fullyQualifiedName"], "/paths/~1p8/post");
    EXPECT_EQ(run["results"][0]["message"]["text"], "Tags are not sorted: z, <&\"'>");
}

TEST_F(LintTest, XmlAndHtmlReportsReadBackWithTheMessagesAsWritten) {
    const std::string message = "Tags are not sorted: z, <&\"'>";

    const Markup checkstyle = Markup::xml(lintBoth("checkstyle").out);
    ASSERT_TRUE(checkstyle.parsed());
    EXPECT_EQ(checkstyle.select("/checkstyle/file/@name"), (Strings{root + "a.json", root + "b.yaml"}));
    EXPECT_EQ(checkstyle.select("//error/@line"), (Strings{"1", "6", "6", "15"}));
    EXPECT_EQ(checkstyle.select("//error/@message")[0], message);
    EXPECT_EQ(checkstyle.select("//error/@source")[3], "operation-id-defined");

    const Markup junit = Markup::xml(lintBoth("junit").out);
    ASSERT_TRUE(junit.parsed());
    EXPECT_EQ(junit.select("//testsuite/@name"), (Strings{root + "a.json", root + "b.yaml"}));
    EXPECT_EQ(junit.select("//testsuite/@tests"), (Strings{"2", "2"}));
    EXPECT_EQ(junit.select("//testcase/@classname")[0], "zephalon.tags-sorted");
    EXPECT_EQ(junit.select("//failure/@message")[0], message);
    EXPECT_EQ(junit.select("//failure")[0], "line 1, col 1, Warning - " + message + ". (tags-sorted)");

    const Markup html = Markup::html(lintBoth("html").out);
    ASSERT_TRUE(html.parsed());
    EXPECT_EQ(html.select("//caption"), (Strings{root + "a.json", root + "b.yaml"}));
    EXPECT_EQ(html.select("//li"), (Strings{"Total: 4", "Errors: 2", "Warnings: 2"}));
    // The quoted markup stays text in its cell: no element was injected.
    EXPECT_EQ(html.select("//tr").size(), 4u);
    EXPECT_EQ(html.select("//td").size(), 20u);
    EXPECT_EQ(html.select("//table[1]//tr[1]/td[3]"), (Strings{message}));
    EXPECT_EQ(html.select("//a/@href")[0], "https://zephalon.dev/techdocs/linter/rules/tags-sorted");
}

TEST_F(LintTest, StructuredReportsStayReadableWhateverBytesAFileNameHolds) {
    // A Linux file name is bytes, not necessarily UTF-8; JSON, XML and HTML hold only UTF-8.
    const std::string name = "sp ace\xff.json";
    workspace.write(name, workspace.read("a.json"));
    const std::string shown = root + "sp ace\xef\xbf\xbd.json";
    const auto report = lint({"--config", "lint.yaml", "--formatter", "json", name});
    EXPECT_EQ(json::parse(report.out)[0]["filePath"], shown);
    for (const std::string formatter : {"checkstyle", "junit"}) {
        const Markup xml = Markup::xml(lint({"--config", "lint.yaml", "--formatter", formatter, name}).out);
        ASSERT_TRUE(xml.parsed()) << formatter;
        EXPECT_EQ(xml.select(formatter == "junit" ? "//testsuite/@name" : "/checkstyle/file/@name"), Strings{shown});
    }
    const Markup html = Markup::html(lint({"--config", "lint.yaml", "--formatter", "html", name}).out);
    EXPECT_EQ(html.select("//caption"), Strings{shown});
}

}  // namespace
}  // namespace zephalon::e2e
