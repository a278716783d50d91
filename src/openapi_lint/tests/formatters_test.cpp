#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "zephalon/openapi_lint/context.h"
#include "zephalon/openapi_lint/formatter.h"
#include "zephalon/openapi_lint/registry.h"

namespace zephalon::openapi_lint {
namespace {

const std::string kDim = "\x1b[2;37m";
const std::string kRed = "\x1b[0;31m";
const std::string kYellow = "\x1b[0;33m";
const std::string kReset = "\x1b[0m";

Issue makeIssue(const std::string& file, std::int64_t line, std::int64_t column, Severity severity,
                const std::string& ruleId, const std::string& message, const std::string& pointer,
                bool fixable = false) {
    Issue issue;
    issue.setFile(file);
    issue.setLine(line);
    issue.setColumn(column);
    issue.setSeverity(severity);
    issue.setRuleId(ruleId);
    issue.setMessage(message);
    issue.setJsonPointer(pointer);
    issue.setAutoFixable(fixable);
    return issue;
}

class FormattersTest : public ::testing::Test {
  protected:
    // Two files, reported out of order: b.yaml with issues on lines 12 and 3, a.json with one issue on line 2 and
    // one without a position.
    FormattersTest() {
        const std::string cwd = std::filesystem::current_path().string();
        a = cwd + "/api/a.json";
        b = cwd + "/api/b.yaml";
        Result result;
        result.addIssue(makeIssue(b, 12, 3, Severity::Error, "test/rule-b", "Quoted <&\"'>", "/paths/~1a"));
        result.addIssue(makeIssue(b, 3, 10, Severity::Warning, "test/rule-a", "First", "/info"));
        result.addIssue(makeIssue(a, -1, -1, Severity::Error, "test/root", "No servers defined", ""));
        result.addIssue(makeIssue(a, 2, 5, Severity::Warning, "test/rule-a", "Tag 'x' bad", "/tags/0", true));
        context.setResult(std::move(result));
    }

    std::string render(std::string_view id, const Context& from) {
        std::ostringstream out;
        createFormatter(id, out)->format(from);
        return out.str();
    }
    std::string render(std::string_view id) { return render(id, context); }

    std::string a;
    std::string b;
    Context context;
    Context empty;
};

TEST_F(FormattersTest, GroupsByFileAndOrdersByPositionWithUnknownPositionsLast) {
    const auto groups = sortIssues(context.result());
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_THAT(groups.at(a), ::testing::ElementsAre(3u, 2u));
    EXPECT_THAT(groups.at(b), ::testing::ElementsAre(1u, 0u));
    EXPECT_EQ(groups.begin()->first, a);
}

TEST_F(FormattersTest, OrdersByLineThenColumnAndKeepsTheReportedOrderOfTies) {
    Result result;
    result.addIssue(makeIssue("f", 4, 9, Severity::Error, "r", "late column", ""));
    result.addIssue(makeIssue("f", 4, 2, Severity::Error, "r", "first tie", ""));
    result.addIssue(makeIssue("f", 4, 2, Severity::Error, "r", "second tie", ""));
    result.addIssue(makeIssue("f", 10, 1, Severity::Error, "r", "line 10", ""));
    EXPECT_THAT(sortIssues(result).at("f"), ::testing::ElementsAre(1u, 2u, 0u, 3u));

    // Numbers that differ in higher bytes only, or in several; unknown positions last, in the reported order.
    Result large;
    large.addIssue(makeIssue("f", 256, 1, Severity::Error, "r", "", ""));
    large.addIssue(makeIssue("f", -1, -1, Severity::Error, "r", "", ""));
    large.addIssue(makeIssue("f", 70000, 2, Severity::Error, "r", "", ""));
    large.addIssue(makeIssue("f", 1, 300, Severity::Error, "r", "", ""));
    large.addIssue(makeIssue("f", 256, 1, Severity::Error, "r", "", ""));
    large.addIssue(makeIssue("f", 1, 45, Severity::Error, "r", "", ""));
    large.addIssue(makeIssue("f", -1, -1, Severity::Error, "r", "", ""));
    large.addIssue(makeIssue("f", 255, 7, Severity::Error, "r", "", ""));
    large.addIssue(makeIssue("f", 4294967296, 1, Severity::Error, "r", "", ""));
    EXPECT_THAT(sortIssues(large).at("f"), ::testing::ElementsAre(5u, 3u, 7u, 0u, 4u, 2u, 8u, 1u, 6u));
}

TEST_F(FormattersTest, Stylish) {
    EXPECT_EQ(render("stylish"),
              a + "\n" +                                                                                          //
                  "  " + kDim + "2:5" + "  " + kYellow + "warning" + kReset + "  Tag 'x' bad       " + "  " +     //
                  kDim + "test/rule-a\n" +                                                                        //
                  "    " + kRed + "error  " + kReset + "  No servers defined" + "  " + kDim + "test/root  \n" +   //
                  b + "\n" +                                                                                      //
                  "  " + kDim + " 3:10" + "  " + kYellow + "warning" + kReset + "  First       " + "  " + kDim +  //
                  "test/rule-a\n" +                                                                               //
                  "  " + kDim + "12:3 " + "  " + kRed + "error  " + kReset + "  Quoted <&\"'>" + "  " + kDim +    //
                  "test/rule-b\n" +                                                                               //
                  "\n  " + kReset + "4 issues (2 errors, 2 warnings)\n" +                                         //
                  "  0 errors, 1 warnings are potentially auto-fixable\n");
}

TEST_F(FormattersTest, StylishSeverityColumnIsNarrowWhenAllAreErrors) {
    Result result;
    result.addIssue(makeIssue("f", 1, 1, Severity::Error, "r", "m", ""));
    Context only;
    only.setResult(std::move(result));
    EXPECT_EQ(render("stylish", only), "f\n  " + kDim + "1:1  " + kRed + "error" + kReset + "  m  " + kDim + "r\n\n  " +
                                           kReset + "1 issues (1 errors, 0 warnings)\n");
}

// Widths count characters: a message quoting non-ASCII text is padded by what a terminal shows, and a line of many
// multi-byte characters still fits in the room made for it.
TEST_F(FormattersTest, StylishPadsNonAsciiTextByCharacters) {
    Result result;
    const std::string wide = "Nom '" + std::string(40, 'x') + "\u00e9\u00e9\u00e9' \u65e5\u672c";
    result.addIssue(makeIssue("f", 1, 1, Severity::Warning, "r\u00e9gle", "Caf\u00e9", ""));
    result.addIssue(makeIssue("f", 2, 1, Severity::Warning, "rule", wide, ""));
    Context only;
    only.setResult(std::move(result));
    const std::string pad(52 - 4, ' ');  // the long message has 52 characters, "Café" 4
    EXPECT_EQ(render("stylish", only), "f\n  " + kDim + "1:1" + "  " + kYellow + "warning" + kReset + "  Caf\u00e9" +
                                           pad + "  " + kDim + "r\u00e9gle\n" + "  " + kDim + "2:1" + "  " + kYellow +
                                           "warning" + kReset + "  " + wide + "  " + kDim + "rule \n\n  " + kReset +
                                           "2 issues (0 errors, 2 warnings)\n");
}

TEST_F(FormattersTest, LineFormats) {
    EXPECT_EQ(render("compact"), a + ": line 2, col 5, Warning - Tag 'x' bad. (test/rule-a)\n" +  //
                                     a + ": line 0, col 0, Error - No servers defined. (test/root)\n" + b +
                                     ": line 3, col 10, Warning - First. (test/rule-a)\n" + b +
                                     ": line 12, col 3, Error - Quoted <&\"'>. (test/rule-b)\n" +  //
                                     "\n4 problems\n");
    EXPECT_EQ(render("unix"), a + ":2:5: Tag 'x' bad. [Warning/test/rule-a]\n" +  //
                                  a + ":0:0: No servers defined. [Error/test/root]\n" + b +
                                  ":3:10: First. [Warning/test/rule-a]\n" +  //
                                  b + ":12:3: Quoted <&\"'>. [Error/test/rule-b]\n" + "\n4 problems\n");
    EXPECT_EQ(render("visualstudio"), a + "(2,5): warning test/rule-a : Tag 'x' bad.\n" +  //
                                          a + "(0,0): error test/root : No servers defined.\n" + b +
                                          "(3,10): warning test/rule-a : First.\n" +  //
                                          b + "(12,3): error test/rule-b : Quoted <&\"'>.\n");
    EXPECT_EQ(render("github"),
              "::warning file=api/a.json,line=2,col=5,title=test/rule-a::Tag 'x' bad\n"
              "::error file=api/a.json,title=test/root::No servers defined\n"
              "::warning file=api/b.yaml,line=3,col=10,title=test/rule-a::First\n"
              "::error file=api/b.yaml,line=12,col=3,title=test/rule-b::Quoted <&\"'>\n");
}

TEST_F(FormattersTest, GithubEscapesWhatWouldEndOrSplitACommand) {
    Result result;
    result.addIssue(makeIssue("/x/a,b:c.yaml", 1, 1, Severity::Error, "r", "100% sure\r\n::error::forged, a:b", ""));
    Context only;
    only.setResult(std::move(result));
    EXPECT_EQ(render("github", only),
              "::error file=/x/a%2Cb%3Ac.yaml,line=1,col=1,title=r::100%25 sure%0D%0A::error::forged, a:b\n");
    // The same file for SARIF: outside the working directory, so a file URI.
    const auto sarif = nlohmann::json::parse(render("sarif", only));
    EXPECT_EQ(sarif["runs"][0]["results"][0]["locations"][0]["physicalLocation"]["artifactLocation"]["uri"],
              "file:///x/a%2Cb%3Ac.yaml");
}

TEST_F(FormattersTest, Json) {
    const auto json = nlohmann::json::parse(render("json"));
    const auto expected = nlohmann::json::parse(R"([
      {"filePath": ")" + a + R"(", "messages": [
        {"line": 2, "column": 5, "severity": "warning", "rule": "test/rule-a", "message": "Tag 'x' bad",
         "jsonPointer": "/tags/0"},
        {"line": 0, "column": 0, "severity": "error", "rule": "test/root", "message": "No servers defined",
         "jsonPointer": ""}]},
      {"filePath": ")" + b + R"(", "messages": [
        {"line": 3, "column": 10, "severity": "warning", "rule": "test/rule-a", "message": "First",
         "jsonPointer": "/info"},
        {"line": 12, "column": 3, "severity": "error", "rule": "test/rule-b", "message": "Quoted <&\"'>",
         "jsonPointer": "/paths/~1a"}]}])");
    EXPECT_EQ(json, expected);
    // The members come in the documented order.
    const std::string text = render("json");
    EXPECT_LT(text.find("\"filePath\""), text.find("\"messages\""));
    EXPECT_LT(text.find("\"message\""), text.find("\"jsonPointer\""));
    EXPECT_LT(text.find("\"line\""), text.find("\"column\""));
    EXPECT_EQ(text.back(), '\n');
}

TEST_F(FormattersTest, Tap) {
    EXPECT_EQ(render("tap"),
              "TAP version 14\n1..2\n"
              "not ok - " +
                  a +
                  "\n"
                  "  ---\n"
                  "  severity: error\n"
                  "  errorCount: 1\n"
                  "  warningCount: 1\n"
                  "  issues:\n"
                  "  - line: 2\n"
                  "    column: 5\n"
                  "    severity: warning\n"
                  "    rule: test/rule-a\n"
                  "    message: Tag 'x' bad\n"
                  "  - severity: error\n"
                  "    rule: test/root\n"
                  "    message: No servers defined\n"
                  "  ...\n"
                  "not ok - " +
                  b +
                  "\n"
                  "  ---\n"
                  "  severity: error\n"
                  "  errorCount: 1\n"
                  "  warningCount: 1\n"
                  "  issues:\n"
                  "  - line: 3\n"
                  "    column: 10\n"
                  "    severity: warning\n"
                  "    rule: test/rule-a\n"
                  "    message: First\n"
                  "  - line: 12\n"
                  "    column: 3\n"
                  "    severity: error\n"
                  "    rule: test/rule-b\n"
                  "    message: Quoted <&\"'>\n"
                  "  ...\n");
}

TEST_F(FormattersTest, Sarif) {
    const auto sarif = nlohmann::json::parse(render("sarif"));
    EXPECT_EQ(sarif["version"], "2.1.0");
    ASSERT_EQ(sarif["runs"].size(), 1u);
    const auto& run = sarif["runs"][0];
    EXPECT_EQ(run["tool"]["driver"]["name"], "zephalon");
    EXPECT_EQ(run["tool"]["driver"]["version"], "0.8.0");
    const auto& rules = run["tool"]["driver"]["rules"];
    ASSERT_EQ(rules.size(), 3u);
    EXPECT_EQ(rules[0]["id"], "test/root");
    EXPECT_EQ(rules[2]["id"], "test/rule-b");
    EXPECT_EQ(rules[2]["helpUri"], "https://zephalon.dev/techdocs/linter/rules/test/rule-b");
    EXPECT_EQ(rules[2]["shortDescription"]["text"], "test/rule-b");

    const auto& results = run["results"];
    ASSERT_EQ(results.size(), 4u);
    EXPECT_EQ(results[0]["ruleId"], "test/rule-a");
    EXPECT_EQ(results[0]["ruleIndex"], 1);
    EXPECT_EQ(results[0]["level"], "warning");
    EXPECT_EQ(results[0]["message"]["text"], "Tag 'x' bad");
    const auto& location = results[0]["locations"][0];
    EXPECT_EQ(location["physicalLocation"]["artifactLocation"]["uri"], "api/a.json");
    EXPECT_EQ(location["physicalLocation"]["region"]["startLine"], 2);
    EXPECT_EQ(location["physicalLocation"]["region"]["startColumn"], 5);
    EXPECT_EQ(location["logicalLocations"][0]["fullyQualifiedName"], "/tags/0");
    // Without a position there is no region: SARIF lines start at 1.
    EXPECT_FALSE(results[1]["locations"][0]["physicalLocation"].contains("region"));
    EXPECT_EQ(results[1]["level"], "error");
    EXPECT_EQ(results[3]["message"]["text"], "Quoted <&\"'>");
}

TEST_F(FormattersTest, Checkstyle) {
    EXPECT_EQ(
        render("checkstyle"),
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<checkstyle version=\"1.0.0\">\n"
        "  <file name=\"" +
            a +
            "\">\n"
            "    \n"
            "      <error line=\"2\" severity=\"warning\" message=\"Tag &#39;x&#39; bad\" source=\"test/rule-a\"/>\n"
            "    \n"
            "      <error line=\"0\" severity=\"error\" message=\"No servers defined\" source=\"test/root\"/>\n"
            "    \n"
            "  </file>\n"
            "\n"
            "  <file name=\"" +
            b +
            "\">\n"
            "    \n"
            "      <error line=\"3\" severity=\"warning\" message=\"First\" source=\"test/rule-a\"/>\n"
            "    \n"
            "      <error line=\"12\" severity=\"error\" message=\"Quoted &lt;&amp;&quot;&#39;&gt;\" "
            "source=\"test/rule-b\"/>\n"
            "    \n"
            "  </file>\n"
            "</checkstyle>");
}

TEST_F(FormattersTest, JUnitDescribesEachFindingAsAFailedTest) {
    const std::string junit = render("junit");
    EXPECT_NE(junit.find("<testsuite package=\"zephalon\" time=\"0\" tests=\"2\" errors=\"2\" name=\"" + a + "\">"),
              std::string::npos);
    EXPECT_NE(junit.find("<testcase name=\"zephalon.test/root\" classname=\"zephalon.test/root\" time=\"0\">\n"
                         "        <failure message=\"No servers defined\">Error - No servers defined. (test/root)"
                         "</failure>"),
              std::string::npos)
        << junit;
    EXPECT_NE(junit.find("<failure message=\"Quoted &lt;&amp;&quot;&#39;&gt;\">line 12, col 3, Error - Quoted "
                         "&lt;&amp;&quot;&#39;&gt;. (test/rule-b)</failure>"),
              std::string::npos)
        << junit;
    EXPECT_EQ(junit.rfind("</testsuites>"), junit.size() - 13);
}

TEST_F(FormattersTest, HtmlShowsCountsAndEscapesEveryValue) {
    const std::string html = render("html");
    EXPECT_NE(html.find("<li>Total: 4</li>\n      <li>Errors: 2</li>\n      <li>Warnings: 2</li>"), std::string::npos);
    EXPECT_NE(html.find("<td class=\"pos\">0:0</td>\n          <td class=\"error\">Error</td>\n          "
                        "<td>No servers defined</td>"),
              std::string::npos)
        << html;
    EXPECT_NE(html.find("<td>Quoted &lt;&amp;&quot;&#39;&gt;</td>"), std::string::npos);
    EXPECT_NE(html.find("<td><a href=\"https://zephalon.dev/techdocs/linter/rules/test/rule-b\">test/rule-b</a></td>"),
              std::string::npos);
    EXPECT_EQ(html.find("<&"), std::string::npos);
    EXPECT_EQ(html.substr(html.size() - 7), "</html>");
}

TEST_F(FormattersTest, NoIssues) {
    for (const char* id : {"stylish", "compact", "unix", "visualstudio", "github"}) {
        EXPECT_EQ(render(id, empty), "") << id;
    }
    EXPECT_EQ(render("json", empty), "[]\n");
    EXPECT_EQ(render("tap", empty), "TAP version 14\n1..0\n");
    EXPECT_EQ(render("checkstyle", empty),
              "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<checkstyle version=\"1.0.0\"></checkstyle>");
    EXPECT_EQ(render("junit", empty), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<testsuites></testsuites>");
    const std::string html = render("html", empty);
    EXPECT_NE(html.find("<li>Total: 0</li>"), std::string::npos);
    EXPECT_NE(html.find("<section id=\"issues\">\n    \n  </section>"), std::string::npos) << html;
    const auto sarif = nlohmann::json::parse(render("sarif", empty));
    EXPECT_TRUE(sarif["runs"][0]["results"].empty());
    EXPECT_TRUE(sarif["runs"][0]["tool"]["driver"]["rules"].empty());
}

TEST(RuleDocUrlTest, PointsIntoTheRuleDocumentation) {
    EXPECT_EQ(ruleDocUrl("paths-well-formed"), "https://zephalon.dev/techdocs/linter/rules/paths-well-formed");
}

}  // namespace
}  // namespace zephalon::openapi_lint
