// The formatters that fill a template: checkstyle and JUnit XML for CI servers, and an HTML page.
//
// The template engine writes values as they are, so every value taken from the findings is escaped for markup
// before it goes into the data: messages quote document text, which must neither break the XML nor inject markup
// into the page.

#include <fmt/format.h>

#include <nlohmann/json.hpp>
#include <ostream>

#include "formatters.h"
#include "report_text.h"
#include "zephalon/foundation/markup.h"
#include "zephalon/foundation/strings.h"
#include "zephalon/openapi_lint/context.h"
#include "zephalon/templating/environment.h"

namespace zephalon::openapi_lint {

namespace {

using nlohmann::json;

constexpr std::string_view kCheckstyle = R"(<?xml version="1.0" encoding="utf-8"?>
<checkstyle version="1.0.0">{% for file in files %}
  <file name="{{file.path}}">
    {% for issue in file.issues %}
      <error line="{{issue.line}}" severity="{{issue.severity}}" message="{{issue.message}}" source="{{issue.ruleId}}"/>
    {% endfor %}
  </file>
{% endfor %}</checkstyle>)";

constexpr std::string_view kJUnit = R"(<?xml version="1.0" encoding="utf-8"?>
<testsuites>{% for file in files %}
  <testsuite package="zephalon" time="0" tests="{{file.totalCount}}" errors="{{file.issueCount}}" name="{{file.name}}">
    {% for issue in file.issues %}
      <testcase name="{{issue.name}}" classname="{{issue.ruleId}}" time="0">
        <failure message="{{issue.message}}">{{issue.description}}</failure>
      </testcase>
    {% endfor %}
  </testsuite>
{% endfor %}</testsuites>)";

constexpr std::string_view kHtml = R"(<!DOCTYPE html>
<html lang="en">
<head>
  <meta charset="utf-8">
  <title>{{title}}</title>
  <style>
    body {
      font-family: Arial, "Helvetica Neue", Helvetica, sans-serif;
      font-size: 16px;
      font-weight: normal;
      margin: 0;
      padding: 0;
      color: #333;
    }
    .pos { color: #ddd; }
    .error { color: #b94a48; }
    .warning { color: #f0ad4e; }
  </style>
</head>
<body>
  <section id="overview">
    <h1>Zephalon Report</h1>
    <ul>
      <li>Total: {{counts.total}}</li>
      <li>Errors: {{counts.errors}}</li>
      <li>Warnings: {{counts.warnings}}</li>
    </ul>
  </section>
  <section id="issues">
    {% for file in files %}<table>
      <caption>{{file.path}}</caption>
      <tbody>
        {% for issue in file.issues %}
        <tr>
          <td class="pos">{{issue.pos}}</td>
          {% if issue.severity == "error" %}<td class="error">Error</td>{% else %}<td class="warning">Warning</td>{% endif %}
          <td>{{issue.message}}</td>
          <td>{{issue.ruleId}}</td>
          <td><a href="{{issue.ruleDocUrl}}">{{issue.ruleId}}</a></td>
        </tr>
        {% endfor %}
      </tbody>
    </table>{% endfor %}
  </section>
</body>
</html>)";

const templating::Environment& environment() {
    static const templating::Environment instance;
    return instance;
}

// Parsed once per process.
const templating::Template& checkstyleTemplate() {
    static const templating::Template parsed = environment().parse("checkstyle.xml", kCheckstyle);
    return parsed;
}
const templating::Template& junitTemplate() {
    static const templating::Template parsed = environment().parse("junit.xml", kJUnit);
    return parsed;
}
const templating::Template& htmlTemplate() {
    static const templating::Template parsed = environment().parse("report.html", kHtml);
    return parsed;
}

// One object per file in report order: the escaped path under `pathKey`, and "issues" made by `entry` per finding.
template <class Entry>
json eachFile(const Result& result, const char* pathKey, Entry entry) {
    json files = json::array();
    for (const auto& [file, indices] : sortIssues(result)) {
        json issues = json::array();
        for (std::size_t index : indices) issues.push_back(entry(result.issues()[index]));
        // A path is bytes; the report is XML or HTML, which hold UTF-8 only.
        files.push_back(json{{pathKey, toMarkupText(toValidUtf8(file))}, {"issues", std::move(issues)}});
    }
    return files;
}

}  // namespace

void CheckstyleFormatter::format(const Context& context) {
    const json files = eachFile(context.result(), "path", [](const Issue& issue) {
        return json{{"line", shownLine(issue)},
                    {"column", shownColumn(issue)},
                    {"severity", severityToString(issue.severity())},
                    {"message", toMarkupText(issue.message())},
                    {"ruleId", toMarkupText(issue.ruleId())}};
    });
    environment().render(out(), checkstyleTemplate(), json{{"files", files}});
}

void JUnitFormatter::format(const Context& context) {
    json files = eachFile(context.result(), "name", [](const Issue& issue) {
        std::string description;
        if (issue.hasPos()) description = fmt::format("line {}, col {}, ", issue.line(), issue.column());
        description +=
            fmt::format("{} - {}. ({})", capitalisedSeverity(issue.severity()), issue.message(), issue.ruleId());
        const std::string name = toMarkupText("zephalon." + issue.ruleId());
        return json{{"name", name},
                    {"ruleId", name},
                    {"message", toMarkupText(issue.message())},
                    {"description", toMarkupText(description)}};
    });
    // A test suite per file, with as many failed tests as the file has findings.
    for (json& file : files) {
        const std::size_t count = file["issues"].size();
        file["totalCount"] = count;
        file["issueCount"] = count;
    }
    environment().render(out(), junitTemplate(), json{{"title", "Linter report"}, {"files", std::move(files)}});
}

void HTMLFormatter::format(const Context& context) {
    const Result& result = context.result();
    const json files = eachFile(result, "path", [](const Issue& issue) {
        return json{{"pos", fmt::format("{}:{}", shownLine(issue), shownColumn(issue))},
                    {"severity", severityToString(issue.severity())},
                    {"message", toMarkupText(issue.message())},
                    {"ruleId", toMarkupText(issue.ruleId())},
                    {"ruleDocUrl", toMarkupText(ruleDocUrl(issue.ruleId()))}};
    });
    const json counts{
        {"total", result.issues().size()}, {"errors", result.errorCount()}, {"warnings", result.warningCount()}};
    environment().render(out(), htmlTemplate(), json{{"title", "Linter report"}, {"counts", counts}, {"files", files}});
}

}  // namespace zephalon::openapi_lint
