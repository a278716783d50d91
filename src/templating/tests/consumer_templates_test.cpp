// The templates of the lint and diff reports and of the generated Java sources, rendered with small data and
// compared to the exact text they must produce.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "template_test_support.h"

namespace zephalon::templating::testing {
namespace {

// Lines joined by single newlines, without a final one.
std::string lines(std::initializer_list<std::string_view> list) {
    std::string text;
    bool first = true;
    for (std::string_view line : list) {
        if (!first) {
            text += '\n';
        }
        first = false;
        text += line;
    }
    return text;
}

const std::string kCheckstyle = lines({
    R"(<?xml version="1.0" encoding="utf-8"?>)",
    R"(<checkstyle version="1.0.0">{% for file in files %})",
    R"(  <file name="{{file.path}}">)",
    R"(    {% for issue in file.issues %})",
    R"(      <error line="{{issue.line}}" severity="{{issue.severity}}" message="{{issue.message}}" source="{{issue.ruleId}}"/>)",
    R"(    {% endfor %})",
    R"(  </file>)",
    R"({% endfor %}</checkstyle>)",
});

TEST(LintTemplates, Checkstyle) {
    Json data = {{"files",
                  {{{"path", "api.yaml"},
                    {"issues",
                     {{{"line", 3u},
                       {"column", 7u},
                       {"severity", "error"},
                       {"message", "Path must not end with '/' & use <names>"},
                       {"ruleId", "path-keys-no-trailing-slash"}},
                      {{"line", 12u},
                       {"column", 1u},
                       {"severity", "warning"},
                       {"message", "Operation must have a description"},
                       {"ruleId", "operation-description"}}}}},
                   {{"path", "b.json"},
                    {"issues",
                     {{{"line", 4294967295u},
                       {"column", 4294967295u},
                       {"severity", "warning"},
                       {"message", "Document has no servers"},
                       {"ruleId", "oas3-api-servers"}}}}}}}};
    EXPECT_EQ(
        render(kCheckstyle, data),
        lines({
            R"(<?xml version="1.0" encoding="utf-8"?>)",
            R"(<checkstyle version="1.0.0">)",
            R"(  <file name="api.yaml">)",
            R"(    )",
            R"(      <error line="3" severity="error" message="Path must not end with '/' & use <names>" source="path-keys-no-trailing-slash"/>)",
            R"(    )",
            R"(      <error line="12" severity="warning" message="Operation must have a description" source="operation-description"/>)",
            R"(    )",
            R"(  </file>)",
            R"()",
            R"(  <file name="b.json">)",
            R"(    )",
            R"(      <error line="4294967295" severity="warning" message="Document has no servers" source="oas3-api-servers"/>)",
            R"(    )",
            R"(  </file>)",
            R"(</checkstyle>)",
        }));
    EXPECT_EQ(render(kCheckstyle, {{"files", Json::array()}}),
              "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<checkstyle version=\"1.0.0\"></checkstyle>");
}

TEST(LintTemplates, JUnit) {
    std::string junit = lines({
        R"(<?xml version="1.0" encoding="utf-8"?>)",
        R"(<testsuites>{% for file in files %})",
        R"(  <testsuite package="zephalon" time="0" tests="{{file.totalCount}}" errors="{{file.issueCount}}" name="{{file.name}}">)",
        R"(    {% for issue in file.issues %})",
        R"(      <testcase name="{{issue.name}}" classname="{{issue.ruleId}}" time="0">)",
        R"(        <failure message="{{issue.message}}">{{issue.description}}</failure>)",
        R"(      </testcase>)",
        R"(    {% endfor %})",
        R"(  </testsuite>)",
        R"({% endfor %}</testsuites>)",
    });
    Json data = {
        {"title", "Linter report"},
        {"files",
         {{{"name", "api.yaml"},
           {"totalCount", 1},
           {"issueCount", 1},
           {"issues",
            {{{"name", "zephalon.info-contact"},
              {"ruleId", "zephalon.info-contact"},
              {"message", "Info object must have \"contact\""},
              {"description", "line 2, col 1, Warning - Info object must have \"contact\". (info-contact)"}}}}}}}};
    EXPECT_EQ(
        render(junit, data),
        lines({
            R"(<?xml version="1.0" encoding="utf-8"?>)",
            R"(<testsuites>)",
            R"(  <testsuite package="zephalon" time="0" tests="1" errors="1" name="api.yaml">)",
            R"(    )",
            R"(      <testcase name="zephalon.info-contact" classname="zephalon.info-contact" time="0">)",
            R"(        <failure message="Info object must have "contact"">line 2, col 1, Warning - Info object must have "contact". (info-contact)</failure>)",
            R"(      </testcase>)",
            R"(    )",
            R"(  </testsuite>)",
            R"(</testsuites>)",
        }));
    EXPECT_EQ(render(junit, {{"files", Json::array()}}),
              "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<testsuites></testsuites>");
}

TEST(LintTemplates, Html) {
    std::string html = lines({
        R"(<!DOCTYPE html>)",
        R"(<html lang="en">)",
        R"(<head>)",
        R"(  <meta charset="utf-8">)",
        R"(  <title>{{title}}</title>)",
        R"(  <style>)",
        R"(    body {)",
        R"(      font-family: Arial, "Helvetica Neue", Helvetica, sans-serif;)",
        R"(      font-size: 16px;)",
        R"(      font-weight: normal;)",
        R"(      margin: 0;)",
        R"(      padding: 0;)",
        R"(      color: #333;)",
        R"(    })",
        R"(    .pos { color: #ddd; })",
        R"(    .error { color: #b94a48; })",
        R"(    .warning { color: #f0ad4e; })",
        R"(  </style>)",
        R"(</head>)",
        R"(<body>)",
        R"(  <section id="overview">)",
        R"(    <h1>Zephalon Report</h1>)",
        R"(    <ul>)",
        R"(      <li>Total: {{counts.total}}</li>)",
        R"(      <li>Errors: {{counts.errors}}</li>)",
        R"(      <li>Warnings: {{counts.warnings}}</li>)",
        R"(    </ul>)",
        R"(  </section>)",
        R"(  <section id="issues">)",
        R"(    {% for file in files %}<table>)",
        R"(      <caption>{{file.path}}</caption>)",
        R"(      <tbody>)",
        R"(        {% for issue in file.issues %})",
        R"(        <tr>)",
        R"(          <td class="pos">{{issue.pos}}</td>)",
        R"(          {% if issue.severity == "error" %}<td class="error">Error</td>{% else %}<td class="warning">Warning</td>{% endif %})",
        R"(          <td>{{issue.message}}</td>)",
        R"(          <td>{{issue.ruleId}}</td>)",
        R"(          <td><a href="{{issue.ruleDocUrl}}">{{issue.ruleId}}</a></td>)",
        R"(        </tr>)",
        R"(        {% endfor %})",
        R"(      </tbody>)",
        R"(    </table>{% endfor %})",
        R"(  </section>)",
        R"(</body>)",
        R"(</html>)",
    });
    Json data = {{"title", "Linter report"},
                 {"counts", {{"total", 2}, {"errors", 1}, {"warnings", 1}}},
                 {"files",
                  {{{"path", "api.yaml"},
                    {"issues",
                     {{{"pos", "3:7"},
                       {"severity", "error"},
                       {"message", "a < b & c"},
                       {"ruleId", "r1"},
                       {"ruleDocUrl", "https://docs.example/techdocs/linter/rules/r1"}},
                      {{"pos", "12:1"},
                       {"severity", "warning"},
                       {"message", "m2"},
                       {"ruleId", "r2"},
                       {"ruleDocUrl", "https://docs.example/techdocs/linter/rules/r2"}}}}},
                   {{"path", "b.json"}, {"issues", Json::array()}}}}};
    std::string expected = lines({
        R"(<!DOCTYPE html>)",
        R"(<html lang="en">)",
        R"(<head>)",
        R"(  <meta charset="utf-8">)",
        R"(  <title>Linter report</title>)",
        R"(  <style>)",
        R"(    body {)",
        R"(      font-family: Arial, "Helvetica Neue", Helvetica, sans-serif;)",
        R"(      font-size: 16px;)",
        R"(      font-weight: normal;)",
        R"(      margin: 0;)",
        R"(      padding: 0;)",
        R"(      color: #333;)",
        R"(    })",
        R"(    .pos { color: #ddd; })",
        R"(    .error { color: #b94a48; })",
        R"(    .warning { color: #f0ad4e; })",
        R"(  </style>)",
        R"(</head>)",
        R"(<body>)",
        R"(  <section id="overview">)",
        R"(    <h1>Zephalon Report</h1>)",
        R"(    <ul>)",
        R"(      <li>Total: 2</li>)",
        R"(      <li>Errors: 1</li>)",
        R"(      <li>Warnings: 1</li>)",
        R"(    </ul>)",
        R"(  </section>)",
        R"(  <section id="issues">)",
        R"(    <table>)",
        R"(      <caption>api.yaml</caption>)",
        R"(      <tbody>)",
        R"(        )",
        R"(        <tr>)",
        R"(          <td class="pos">3:7</td>)",
        R"(          <td class="error">Error</td>)",
        R"(          <td>a < b & c</td>)",
        R"(          <td>r1</td>)",
        R"(          <td><a href="https://docs.example/techdocs/linter/rules/r1">r1</a></td>)",
        R"(        </tr>)",
        R"(        )",
        R"(        <tr>)",
        R"(          <td class="pos">12:1</td>)",
        R"(          <td class="warning">Warning</td>)",
        R"(          <td>m2</td>)",
        R"(          <td>r2</td>)",
        R"(          <td><a href="https://docs.example/techdocs/linter/rules/r2">r2</a></td>)",
        R"(        </tr>)",
        R"(        )",
        R"(      </tbody>)",
        R"(    </table><table>)",
        R"(      <caption>b.json</caption>)",
        R"(      <tbody>)",
        R"(        )",
        R"(      </tbody>)",
        R"(    </table>)",
        R"(  </section>)",
        R"(</body>)",
        R"(</html>)",
    });
    EXPECT_EQ(render(html, data), expected);
}

// The diff reports' Markdown changelog, built from its four blocks as the diff formatter writes it.
std::string markdownChangelog() {
    std::string text;
    for (auto [list, heading] : {std::pair{"added", "Added"}, {"removed", "Removed"}, {"deprecated", "Deprecated"}}) {
        text += std::string("{% if length(") + list + ") > 0 -%}\n## Operations " + heading + "\n\n{% for op in " +
                list + " %}- {{upper(op.method)}} {{op.url}} at ({{op.line}}, {{op.column}})\n{% endfor %}\n" +
                "{% endif -%}\n\n";
    }
    return text +
           "{% if length(modified) > 0 %}\n## Operations Modified\n\n{% for op in modified %}- {{op.severity}}\n"
           "{% endfor %}\n{% endif -%}";
}

TEST(DiffTemplates, MarkdownChangelog) {
    Json data = {{"added", {{{"method", "get"}, {"url", "/pets"}, {"line", 10}, {"column", 5}}}},
                 {"removed", Json::array()},
                 {"deprecated", {{{"method", "delete"}, {"url", "/pets/{id}"}, {"line", 40}, {"column", 7}}}},
                 {"modified", {{{"severity", "breaking"}}, {{"severity", "non-breaking"}}}}};
    EXPECT_EQ(render(markdownChangelog(), data),
              "## Operations Added\n\n- GET /pets at (10, 5)\n\n"
              "## Operations Deprecated\n\n- DELETE /pets/{id} at (40, 7)\n\n"
              "\n## Operations Modified\n\n- breaking\n- non-breaking\n\n");
    Json none = {{"added", Json::array()},
                 {"removed", Json::array()},
                 {"deprecated", Json::array()},
                 {"modified", Json::array()}};
    EXPECT_EQ(render(markdownChangelog(), none), "");
    EXPECT_EQ(render("## Severity\n\n{{severity}}\n", {{"severity", "Breaking changes"}}),
              "## Severity\n\nBreaking changes\n");
}

class DiffHtml : public ::testing::Test {
  protected:
    void SetUp() override {
        env.addTemplate("html.jinja",
                        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n  <meta charset=\"utf-8\"/>\n  "
                        "<title>{{title}}</title>\n  {% include \"html_styles.jinja\" %}\n</head>\n<body>\n  "
                        "{% block body %}{% endblock %}\n</body>\n</html>");
        env.addTemplate("html_styles.jinja", "<style>.pos { color: #ddd; }</style>");
    }

    std::string page(std::string_view body) {
        return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n  <meta charset=\"utf-8\"/>\n  "
               "<title>Status report</title>\n  <style>.pos { color: #ddd; }</style>\n</head>\n<body>\n  " +
               std::string(body) + "\n</body>\n</html>";
    }

    Environment env;
};

TEST_F(DiffHtml, StatusPageFillsTheBodyBlock) {
    Template status = env.parse("status",
                                "{% extends \"html.jinja\" %}\n{% block body %}<h1><div class=\"status\">"
                                "{{description}}</div></h1>{% endblock %}");
    EXPECT_EQ(env.render(status, {{"title", "Status report"}, {"description", "No changes"}}),
              page("<h1><div class=\"status\">No changes</div></h1>"));
}

TEST_F(DiffHtml, ChangelogIncludesAPartPerModifiedOperation) {
    env.addTemplate("html_changelog_modified_operation.jinja",
                    "<div class=\"{{change.class}}\"><h3>{{upper(change.method)}} {{change.url}}</h3> at "
                    "({{change.line}}, {{change.column}})"
                    "{% if length(change.parameters.added) > 0 %}<p>Added: "
                    "{{join(change.parameters.added, \", \")}}</p>{% endif %}"
                    "{% if change.security.added + change.security.removed + change.security.modified > 0 %}"
                    "<p>Security requirements: {{change.security.added}} added, {{change.security.removed}} removed, "
                    "{{change.security.modified}} modified.</p>{% endif %}</div>");
    Template changelog =
        env.parse("changelog",
                  "{% extends \"html.jinja\" %}{% block body %}<ul><li>Total: {{counts.total}}</li></ul>"
                  "<section id=\"modified\">{% for change in modified %}"
                  "{% include \"html_changelog_modified_operation.jinja\" %}{% endfor %}</section>"
                  "{% endblock %}");
    Json security = {{"added", 1}, {"removed", 0}, {"modified", 2}};
    Json noSecurity = {{"added", 0}, {"removed", 0}, {"modified", 0}};
    Json data = {{"title", "Status report"},
                 {"counts", {{"total", 2}}},
                 {"modified",
                  {{{"class", "breaking"},
                    {"method", "put"},
                    {"url", "/pets"},
                    {"line", 9},
                    {"column", 3},
                    {"parameters", {{"added", {"limit", "offset"}}}},
                    {"security", security}},
                   {{"class", "none"},
                    {"method", "get"},
                    {"url", "/a"},
                    {"line", 1},
                    {"column", 1},
                    {"parameters", {{"added", Json::array()}}},
                    {"security", noSecurity}}}}};
    EXPECT_EQ(env.render(changelog, data),
              page("<ul><li>Total: 2</li></ul><section id=\"modified\">"
                   "<div class=\"breaking\"><h3>PUT /pets</h3> at (9, 3)<p>Added: limit, offset</p>"
                   "<p>Security requirements: 1 added, 0 removed, 2 modified.</p></div>"
                   "<div class=\"none\"><h3>GET /a</h3> at (1, 1)</div></section>"));
}

class SpringTemplates : public ::testing::Test {
  protected:
    void SetUp() override {
        env.addCallback("toJsonLiteral", 1, [](const Arguments& args) { return args[0].dump(); });
        env.addTemplate("import_list.jinja", "{% for import in imports %}import {{import}};\n{% endfor %}");
        env.addTemplate("function_decl_param_list.jinja",
                        "{% for arg in args %}{% if length(arg.annotation) > 0 %}{{arg.annotation}} {% endif %}"
                        "{{arg.type}} {{arg.name}}{% if not loop.is_last %}, {% endif %}{% endfor %}");
    }
    Environment env;
};

TEST_F(SpringTemplates, Application) {
    Template app = env.parse("application",
                             "package {{packageName}};\n\nimport org.springframework.boot.SpringApplication;\n"
                             "import org.springframework.boot.autoconfigure.SpringBootApplication;\n\n"
                             "@SpringBootApplication\npublic class {{className}} {\n"
                             "    public static void main(String[] args) {\n"
                             "        SpringApplication.run({{className}}.class, args);\n    }\n}");
    EXPECT_EQ(env.render(app, {{"packageName", "com.zephalon"}, {"className", "Application"}}),
              lines({
                  "package com.zephalon;",
                  "",
                  "import org.springframework.boot.SpringApplication;",
                  "import org.springframework.boot.autoconfigure.SpringBootApplication;",
                  "",
                  "@SpringBootApplication",
                  "public class Application {",
                  "    public static void main(String[] args) {",
                  "        SpringApplication.run(Application.class, args);",
                  "    }",
                  "}",
              }));
}

TEST_F(SpringTemplates, ControllerWithImportsAndMethods) {
    Template method = env.parse(
        "controller_method",
        "@{{mapping}}({{toJsonLiteral(methodUrl)}})\n{% if length(resultAnnotation) > 0 %}{{resultAnnotation}}\n"
        "{% endif %}public {{resultType}} {{methodName}}({% include \"function_decl_param_list.jinja\" %}) {\n"
        "    {% if resultType != \"void\" %}return {% endif %}this.service.{{serviceMethodName}}("
        "{{join(argNames, \", \")}});\n}\n");
    Json get = {{"mapping", "GetMapping"},
                {"methodUrl", "/pets/{petId}"},
                {"resultAnnotation", ""},
                {"resultType", "PetDTO"},
                {"methodName", "handle_getPet"},
                {"args",
                 {{{"annotation", "@PathVariable(\"petId\")"}, {"type", "Integer"}, {"name", "petId"}},
                  {{"annotation", ""}, {"type", "String"}, {"name", "filter"}}}},
                {"serviceMethodName", "getPet"},
                {"argNames", {"petId", "filter"}}};
    Json remove = {{"mapping", "DeleteMapping"},
                   {"methodUrl", "/pets/{petId}"},
                   {"resultAnnotation", "@ResponseStatus(HttpStatus.NO_CONTENT)"},
                   {"resultType", "void"},
                   {"methodName", "handle_deletePet"},
                   {"args", {{{"annotation", "@PathVariable(\"petId\")"}, {"type", "Integer"}, {"name", "petId"}}}},
                   {"serviceMethodName", "deletePet"},
                   {"argNames", {"petId"}}};
    std::string getBody = env.render(method, get);
    std::string removeBody = env.render(method, remove);
    EXPECT_EQ(getBody,
              "@GetMapping(\"/pets/{petId}\")\npublic PetDTO handle_getPet(@PathVariable(\"petId\") Integer petId, "
              "String filter) {\n    return this.service.getPet(petId, filter);\n}\n");
    EXPECT_EQ(removeBody,
              "@DeleteMapping(\"/pets/{petId}\")\n@ResponseStatus(HttpStatus.NO_CONTENT)\npublic void "
              "handle_deletePet(@PathVariable(\"petId\") Integer petId) {\n    this.service.deletePet(petId);\n}\n");

    Template controller = env.parse(
        "controller",
        "package {{packageName}};\n\n{% include \"import_list.jinja\" %}\n\n@RestController\nclass {{className}} {\n"
        "    private final {{serviceInterfaceName}} {{serviceNameVar}};\n\n"
        "    {{className}}({{serviceInterfaceName}} {{serviceNameVar}}) {\n"
        "        this.{{serviceNameVar}} = {{serviceNameVar}};\n    }\n\n"
        "    {% for methodBody in methodBodies %}{{methodBody}}{% endfor %}\n}");
    Json data = {
        {"packageName", "com.zephalon.web.pets"},
        {"imports", {"org.springframework.web.bind.annotation.RestController", "com.zephalon.pets.PetsService"}},
        {"className", "PetsController"},
        {"serviceInterfaceName", "PetsService"},
        {"serviceNameVar", "service"},
        {"methodBodies", {getBody, removeBody}}};
    EXPECT_EQ(env.render(controller, data),
              "package com.zephalon.web.pets;\n\n"
              "import org.springframework.web.bind.annotation.RestController;\n"
              "import com.zephalon.pets.PetsService;\n"
              "\n\n@RestController\nclass PetsController {\n"
              "    private final PetsService service;\n\n"
              "    PetsController(PetsService service) {\n"
              "        this.service = service;\n    }\n\n    " +
                  getBody + removeBody + "\n}");
    // Without imports the include writes nothing.
    data["imports"] = Json::array();
    EXPECT_EQ(env.render(controller, data).substr(0, 50), "package com.zephalon.web.pets;\n\n\n\n@RestController\n");
}

}  // namespace
}  // namespace zephalon::templating::testing
