#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <typeinfo>

#include "comparison.h"
#include "formatter.h"
#include "reports/changelog_report.h"
#include "reports/detailed_report.h"

namespace zephalon::openapi_diff {
namespace {

using testing::compareInto;

// One change of every kind the changelog tells apart: metadata, servers added, modified and removed, operations
// added, removed, deprecated and modified (parameters, request body, responses, security), and a path whose name
// is markup.
constexpr std::string_view kSource = R"(openapi: 3.1.0
info:
  title: Pets
  version: 1.0.0
servers:
  - url: https://kept.example.com
    description: Kept
  - url: https://old.example.com
paths:
  /pets:
    get:
      summary: List pets
      parameters:
        - name: limit
          in: query
          schema:
            type: integer
        - name: tag
          in: query
          schema:
            type: string
      responses:
        '200':
          description: The pets.
        '404':
          description: No pets.
      security:
        - key: []
    post:
      requestBody:
        content:
          application/json:
            schema:
              type: object
      responses:
        '201':
          description: Created.
  /pets/{id}:
    delete:
      responses:
        '204':
          description: Gone.
components:
  securitySchemes:
    key:
      type: apiKey
      in: header
      name: X-Key
)";

constexpr std::string_view kDest = R"(openapi: 3.1.0
info:
  title: Pet Store
  description: All the pets.
  version: 1.0.0
servers:
  - url: https://kept.example.com
    description: Kept server
  - url: https://new.example.com
paths:
  /pets:
    get:
      summary: List all pets
      parameters:
        - name: limit
          in: query
          required: true
          schema:
            type: integer
        - name: sort
          in: query
          schema:
            type: string
      responses:
        '200':
          description: All the pets.
        '400':
          description: Bad query.
    post:
      deprecated: true
      requestBody:
        content:
          application/json:
            schema:
              type: array
      responses:
        '201':
          description: Created.
  /pets/{id}:
    put:
      responses:
        '204':
          description: Replaced.
  /<b>bold</b>:
    get:
      responses:
        '200':
          description: Bold.
components:
  securitySchemes:
    key:
      type: apiKey
      in: header
      name: X-Key
)";

// Positions count from zero. The line formats name the file each position is in: what was removed is found in the
// source document.
constexpr std::string_view kChangelogStylish = R"(pets-v2.yaml
Metadata
   2   2        breaking  Metadata changed
Servers
   8   4    non-breaking  Added server https://new.example.com
   7   4        breaking  Removed server https://old.example.com
   6   4  non-functional  Modified server https://kept.example.com
Operations Added
  45   6    non-breaking  Added operation GET /<b>bold</b>
  40   6    non-breaking  Added operation PUT /pets/{id}
Operations Removed
  39   6        breaking  Removed operation DELETE /pets/{id}
Operations Deprecated
  29   6        breaking  Deprecated operation POST /pets
Operations Modified
  12   6        breaking  Modified operation GET /pets
  12   6  non-functional    Operation metadata changed
  19  10    non-breaking    Added parameter sort in query
  17  10        breaking    Removed parameter tag in query
  14  10        breaking    Modified parameter limit in query
  27  10        breaking    Added response code 400
  25  10        breaking    Removed response code 404
  25  10  non-functional    Modified response code 200
  27  10        breaking    Security requirements changed
  29   6        breaking  Modified operation POST /pets
  31   8        breaking    Request body changed
)";

constexpr std::string_view kChangelogUnix = R"(pets-v2.yaml:2:2: Metadata changed [breaking].
pets-v2.yaml:8:4: Server added https://new.example.com. [non-breaking]
pets-v1.yaml:7:4: Server removed https://old.example.com. [breaking]
pets-v2.yaml:6:4: Server modified https://kept.example.com. [non-functional]
pets-v2.yaml:45:6: Operation added GET /<b>bold</b>. [non-breaking]
pets-v2.yaml:40:6: Operation added PUT /pets/{id}. [non-breaking]
pets-v1.yaml:39:6: Operation removed DELETE /pets/{id}. [breaking]
pets-v2.yaml:29:6: Operation deprecated POST /pets. [breaking]
pets-v2.yaml:12:6: Operation modified GET /pets. [breaking]
pets-v2.yaml:12:6: Operation metadata changed. [non-functional]
pets-v2.yaml:19:10: Added parameter sort in query. [non-breaking]
pets-v1.yaml:17:10: Removed parameter tag in query. [breaking]
pets-v2.yaml:14:10: Modified parameter limit in query. [breaking]
pets-v2.yaml:27:10: Added response code 400. [breaking]
pets-v1.yaml:25:10: Removed response code 404. [breaking]
pets-v2.yaml:25:10: Modified response code 200. [non-functional]
pets-v1.yaml:27:10: Security requirements changed. [breaking]
pets-v2.yaml:29:6: Operation modified POST /pets. [breaking]
pets-v2.yaml:31:8: Request body changed. [breaking]
)";

constexpr std::string_view kChangelogVisualStudio = R"(pets-v2.yaml(2,2): breaking: Metadata changed.
pets-v2.yaml(8,4): non-breaking: Added server https://new.example.com.
pets-v1.yaml(7,4): breaking: Removed server https://old.example.com.
pets-v2.yaml(6,4): non-functional: Modified server https://kept.example.com.
pets-v2.yaml(45,6): non-breaking: Added operation GET /<b>bold</b>.
pets-v2.yaml(40,6): non-breaking: Added operation PUT /pets/{id}.
pets-v1.yaml(39,6): breaking: Removed operation DELETE /pets/{id}.
pets-v2.yaml(29,6): breaking: Deprecated operation POST /pets.
pets-v2.yaml(12,6): breaking: Operation modified.
pets-v2.yaml(12,6): non-functional: Operation metadata changed.
pets-v2.yaml(19,10): non-breaking: Added parameter sort in query.
pets-v1.yaml(17,10): breaking: Removed parameter tag in query.
pets-v2.yaml(14,10): breaking: Modified parameter limit in query.
pets-v2.yaml(27,10): breaking: Added response code 400.
pets-v1.yaml(25,10): breaking: Removed response code 404.
pets-v2.yaml(25,10): non-functional: Modified response code 200.
pets-v1.yaml(27,10): breaking: Security requirements changed.
pets-v2.yaml(29,6): breaking: Operation modified.
pets-v2.yaml(31,8): breaking: Request body changed.
)";

constexpr std::string_view kDetailsStylish = R"(pets-v2.yaml
   2   2        breaking  property_modified info
   2   2        breaking  property_modified info.title
   2   2  non-functional  property_added info.description
   8   4    non-breaking  element_added openapi.servers [1]
   8   4    non-breaking  property_added server.url
   7   4        breaking  element_removed openapi.servers [1]
   7   4        breaking  property_removed server.url
   6   4  non-functional  element_modified openapi.servers [0]
   6   4  non-functional  property_modified server.description
  44   4    non-breaking  key_added paths '/<b>bold</b>'
  45   6    non-breaking  key_added path_item.operations 'get'
  47  10    non-breaking  key_added responses '200'
  47  10  non-functional  property_added response.description
  11   4        breaking  key_modified paths '/pets'
  12   6        breaking  key_modified path_item.operations 'get'
  12   6  non-functional  property_modified operation.summary
  19  10    non-breaking  element_added operation.parameters [1]
  19  10            none  property_added parameter.name
  19  10            none  property_added parameter.in
  22  12    non-breaking  property_added schema
  22  12    non-breaking  element_added schema.type [0]
  17  10        breaking  element_removed operation.parameters [1]
  17  10            none  property_removed parameter.name
  17  10            none  property_removed parameter.in
  20  12        breaking  property_removed schema
  20  12        breaking  element_removed schema.type [0]
  14  10        breaking  element_modified operation.parameters [0]
  14  10        breaking  property_modified parameter.required
  27  10        breaking  key_added responses '400'
  27  10  non-functional  property_added response.description
  25  10        breaking  key_removed responses '404'
  25  10  non-functional  property_removed response.description
  25  10  non-functional  key_modified responses '200'
  25  10  non-functional  property_modified response.description
  27  10        breaking  element_removed operation.security [0]
  27  10        breaking  key_removed security_requirement 'key'
  29   6        breaking  key_modified path_item.operations 'post'
  31   8        breaking  property_modified request_body.requestBody
  33  12        breaking  key_modified request_body.content 'application/json'
  34  14        breaking  property_modified schema
  34  14        breaking  element_added schema.type [0]
  33  14        breaking  element_removed schema.type [0]
  29   6        breaking  property_modified operation.deprecated
  39   4        breaking  key_modified paths '/pets/{id}'
  40   6    non-breaking  key_added path_item.operations 'put'
  42  10    non-breaking  key_added responses '204'
  42  10  non-functional  property_added response.description
  39   6        breaking  key_removed path_item.operations 'delete'
  41  10        breaking  key_removed responses '204'
  41  10  non-functional  property_removed response.description
)";

constexpr std::string_view kDetailsUnix = R"(<unknown>:2:2: [breaking] property_modified info
<unknown>:2:2: [breaking] property_modified info.title
<unknown>:2:2: [non-functional] property_added info.description
<unknown>:8:4: [non-breaking] element_added openapi.servers [1]
<unknown>:8:4: [non-breaking] property_added server.url
<unknown>:7:4: [breaking] element_removed openapi.servers [1]
<unknown>:7:4: [breaking] property_removed server.url
<unknown>:6:4: [non-functional] element_modified openapi.servers [0]
<unknown>:6:4: [non-functional] property_modified server.description
<unknown>:44:4: [non-breaking] key_added paths '/<b>bold</b>'
<unknown>:45:6: [non-breaking] key_added path_item.operations 'get'
<unknown>:47:10: [non-breaking] key_added responses '200'
<unknown>:47:10: [non-functional] property_added response.description
<unknown>:11:4: [breaking] key_modified paths '/pets'
<unknown>:12:6: [breaking] key_modified path_item.operations 'get'
<unknown>:12:6: [non-functional] property_modified operation.summary
<unknown>:19:10: [non-breaking] element_added operation.parameters [1]
<unknown>:19:10: [none] property_added parameter.name
<unknown>:19:10: [none] property_added parameter.in
<unknown>:22:12: [non-breaking] property_added schema
<unknown>:22:12: [non-breaking] element_added schema.type [0]
<unknown>:17:10: [breaking] element_removed operation.parameters [1]
<unknown>:17:10: [none] property_removed parameter.name
<unknown>:17:10: [none] property_removed parameter.in
<unknown>:20:12: [breaking] property_removed schema
<unknown>:20:12: [breaking] element_removed schema.type [0]
<unknown>:14:10: [breaking] element_modified operation.parameters [0]
<unknown>:14:10: [breaking] property_modified parameter.required
<unknown>:27:10: [breaking] key_added responses '400'
<unknown>:27:10: [non-functional] property_added response.description
<unknown>:25:10: [breaking] key_removed responses '404'
<unknown>:25:10: [non-functional] property_removed response.description
<unknown>:25:10: [non-functional] key_modified responses '200'
<unknown>:25:10: [non-functional] property_modified response.description
<unknown>:27:10: [breaking] element_removed operation.security [0]
<unknown>:27:10: [breaking] key_removed security_requirement 'key'
<unknown>:29:6: [breaking] key_modified path_item.operations 'post'
<unknown>:31:8: [breaking] property_modified request_body.requestBody
<unknown>:33:12: [breaking] key_modified request_body.content 'application/json'
<unknown>:34:14: [breaking] property_modified schema
<unknown>:34:14: [breaking] element_added schema.type [0]
<unknown>:33:14: [breaking] element_removed schema.type [0]
<unknown>:29:6: [breaking] property_modified operation.deprecated
<unknown>:39:4: [breaking] key_modified paths '/pets/{id}'
<unknown>:40:6: [non-breaking] key_added path_item.operations 'put'
<unknown>:42:10: [non-breaking] key_added responses '204'
<unknown>:42:10: [non-functional] property_added response.description
<unknown>:39:6: [breaking] key_removed path_item.operations 'delete'
<unknown>:41:10: [breaking] key_removed responses '204'
<unknown>:41:10: [non-functional] property_removed response.description
)";

constexpr std::string_view kDetailsVisualStudio = R"(<unknown>(2,2): breaking: property_modified info.
<unknown>(2,2): breaking: property_modified info.title.
<unknown>(2,2): non-functional: property_added info.description.
<unknown>(8,4): non-breaking: element_added openapi.servers [1].
<unknown>(8,4): non-breaking: property_added server.url.
<unknown>(7,4): breaking: element_removed openapi.servers [1].
<unknown>(7,4): breaking: property_removed server.url.
<unknown>(6,4): non-functional: element_modified openapi.servers [0].
<unknown>(6,4): non-functional: property_modified server.description.
<unknown>(44,4): non-breaking: key_added paths '/<b>bold</b>'.
<unknown>(45,6): non-breaking: key_added path_item.operations 'get'.
<unknown>(47,10): non-breaking: key_added responses '200'.
<unknown>(47,10): non-functional: property_added response.description.
<unknown>(11,4): breaking: key_modified paths '/pets'.
<unknown>(12,6): breaking: key_modified path_item.operations 'get'.
<unknown>(12,6): non-functional: property_modified operation.summary.
<unknown>(19,10): non-breaking: element_added operation.parameters [1].
<unknown>(19,10): none: property_added parameter.name.
<unknown>(19,10): none: property_added parameter.in.
<unknown>(22,12): non-breaking: property_added schema.
<unknown>(22,12): non-breaking: element_added schema.type [0].
<unknown>(17,10): breaking: element_removed operation.parameters [1].
<unknown>(17,10): none: property_removed parameter.name.
<unknown>(17,10): none: property_removed parameter.in.
<unknown>(20,12): breaking: property_removed schema.
<unknown>(20,12): breaking: element_removed schema.type [0].
<unknown>(14,10): breaking: element_modified operation.parameters [0].
<unknown>(14,10): breaking: property_modified parameter.required.
<unknown>(27,10): breaking: key_added responses '400'.
<unknown>(27,10): non-functional: property_added response.description.
<unknown>(25,10): breaking: key_removed responses '404'.
<unknown>(25,10): non-functional: property_removed response.description.
<unknown>(25,10): non-functional: key_modified responses '200'.
<unknown>(25,10): non-functional: property_modified response.description.
<unknown>(27,10): breaking: element_removed operation.security [0].
<unknown>(27,10): breaking: key_removed security_requirement 'key'.
<unknown>(29,6): breaking: key_modified path_item.operations 'post'.
<unknown>(31,8): breaking: property_modified request_body.requestBody.
<unknown>(33,12): breaking: key_modified request_body.content 'application/json'.
<unknown>(34,14): breaking: property_modified schema.
<unknown>(34,14): breaking: element_added schema.type [0].
<unknown>(33,14): breaking: element_removed schema.type [0].
<unknown>(29,6): breaking: property_modified operation.deprecated.
<unknown>(39,4): breaking: key_modified paths '/pets/{id}'.
<unknown>(40,6): non-breaking: key_added path_item.operations 'put'.
<unknown>(42,10): non-breaking: key_added responses '204'.
<unknown>(42,10): non-functional: property_added response.description.
<unknown>(39,6): breaking: key_removed path_item.operations 'delete'.
<unknown>(41,10): breaking: key_removed responses '204'.
<unknown>(41,10): non-functional: property_removed response.description.
)";

constexpr std::string_view kEmpty = "openapi: 3.1.0\ninfo:\n  title: Pets\n  version: 1.0.0\npaths: {}\n";

// Compares two documents into the named report and writes it with the named formatter. The documents are called
// "pets-v1.yaml" and `destFile` when that is given, as if they had been read from those files.
std::string render(std::string_view reportName, std::string_view formatterName, std::string_view source,
                   std::string_view dest, const char* destFile = "pets-v2.yaml") {
    auto sourceDoc = openapi::checkedReadFromString(source, FileFormat::YAML);
    auto destDoc = openapi::checkedReadFromString(dest, FileFormat::YAML);
    std::unique_ptr<Report> report = createReport(reportName);
    compareInto(*sourceDoc, *destDoc, *report);
    if (destFile != nullptr) {
        report->setSourceFile("pets-v1.yaml");
        report->setDestFile(destFile);
    }
    std::ostringstream out;
    createFormatter(reportName, formatterName, out)->format(*report);
    return out.str();
}

std::string changelog(std::string_view formatter, const char* destFile = "pets-v2.yaml") {
    return render("changelog", formatter, kSource, kDest, destFile);
}

std::string details(std::string_view formatter, const char* destFile = "pets-v2.yaml") {
    return render("detailed", formatter, kSource, kDest, destFile);
}

bool contains(std::string_view text, std::string_view piece) { return text.find(piece) != std::string_view::npos; }

TEST(StatusFormatters, DescribeTheHighestSeverity) {
    for (const char* formatter : {"stylish", "unix", "visualstudio"}) {
        EXPECT_EQ(render("status", formatter, kEmpty, kEmpty), "No changes\n") << formatter;
        EXPECT_EQ(render("status", formatter, kSource, kDest), "Breaking changes\n") << formatter;
    }
    EXPECT_EQ(nlohmann::json::parse(render("status", "json", kEmpty, kEmpty)), nlohmann::json({{"status", "none"}}));
    EXPECT_EQ(nlohmann::json::parse(render("status", "json", kSource, kDest)),
              nlohmann::json({{"status", "breaking"}}));
    EXPECT_EQ(render("status", "markdown", kSource, kDest), "## Severity\n\nBreaking changes\n");
    std::string html = render("status", "html", kSource, kDest);
    EXPECT_EQ(html.rfind("<!DOCTYPE html>\n<html lang=\"en\">", 0), 0u) << html;
    EXPECT_TRUE(contains(html, "<title>Status report</title>")) << html;
    EXPECT_TRUE(contains(html, "font-family: Arial")) << html;
    EXPECT_TRUE(contains(html, "<h1><div class=\"status\">Breaking changes</div></h1>")) << html;
}

TEST(ChangelogFormatters, LineFormatsListEveryItemInOrder) {
    EXPECT_EQ(changelog("stylish"), kChangelogStylish);
    EXPECT_EQ(changelog("unix"), kChangelogUnix);
    EXPECT_EQ(changelog("visualstudio"), kChangelogVisualStudio);
}

TEST(ChangelogFormatters, JsonReadsBackWithEveryItem) {
    nlohmann::json json = nlohmann::json::parse(changelog("json"));
    EXPECT_EQ(json["metadata"], nlohmann::json::parse(R"({"title": true, "summary": false, "description": true,
        "termsOfService": false, "contact": false, "license": false, "severity": "breaking"})"));
    EXPECT_EQ(json["servers"]["added"], nlohmann::json::parse(R"([{"url": "https://new.example.com",
        "severity": "non-breaking", "line": 8, "column": 4}])"));
    EXPECT_EQ(json["servers"]["removed"][0]["url"], "https://old.example.com");
    EXPECT_EQ(json["servers"]["modified"][0]["url"], "https://kept.example.com");
    EXPECT_EQ(json["added"], nlohmann::json::parse(R"([
        {"url": "/<b>bold</b>", "method": "get", "severity": "non-breaking", "line": 45, "column": 6},
        {"url": "/pets/{id}", "method": "put", "severity": "non-breaking", "line": 40, "column": 6}])"));
    EXPECT_EQ(json["removed"], nlohmann::json::parse(R"([
        {"url": "/pets/{id}", "method": "delete", "severity": "breaking", "line": 39, "column": 6}])"));
    EXPECT_EQ(json["deprecated"], nlohmann::json::parse(R"([
        {"url": "/pets", "method": "post", "severity": "breaking", "line": 29, "column": 6}])"));
    ASSERT_EQ(json["modified"].size(), 2u);
    EXPECT_EQ(json["modified"][0], nlohmann::json::parse(R"({
        "url": "/pets", "method": "get", "severity": "breaking", "line": 12, "column": 6,
        "metadata": {"summary": true, "description": false, "operationId": false},
        "parameters": {"added": [{"name": "sort", "location": "query"}],
                       "removed": [{"name": "tag", "location": "query"}],
                       "modified": [{"name": "limit", "location": "query", "required": true}]},
        "request_body": false,
        "responses": {"added": ["400"], "removed": ["404"], "modified": ["200"]},
        "security": {"added": 0, "removed": 1, "modified": 0}})"));
    EXPECT_EQ(json["modified"][1]["method"], "post");
    EXPECT_EQ(json["modified"][1]["request_body"], true);
}

TEST(ChangelogFormatters, MarkupFormatsListTheItemsAndEscapeTheDocumentsText) {
    std::string markdown = changelog("markdown");
    for (std::string_view item : {
             "## Metadata\n\n- **breaking** Metadata changed at (2, 2): title, description\n",
             "## Servers\n\n- **non-breaking** Added server https://new.example.com at (8, 4)\n",
             "## Operations Added\n\n- GET /\\<b\\>bold\\</b\\> at (45, 6)\n- PUT /pets/{id} at (40, 6)\n",
             "## Operations Removed\n\n- DELETE /pets/{id} at (39, 6)\n",
             "## Operations Deprecated\n\n- POST /pets at (29, 6)\n",
             "## Operations Modified\n\n- **breaking** GET /pets at (12, 6)\n"
             "  - **non-functional** Operation metadata changed at (12, 6)\n"
             "  - **non-breaking** Added parameter sort in query at (19, 10)\n",
             "  - **breaking** Security requirements changed at (27, 10)\n"
             "- **breaking** POST /pets at (29, 6)\n  - **breaking** Request body changed at (31, 8)\n",
         }) {
        EXPECT_TRUE(contains(markdown, item)) << item << "\nin:\n" << markdown;
    }

    std::string html = changelog("html");
    for (std::string_view item : {
             "<title>Status report</title>",
             "<li>Total: 50</li>",
             "<li>Breaking changes: 25</li>",
             "<li>Non-breaking changes: 10</li>",
             "<p class=\"breaking\">The following fields has changed: title, description</p>",
             "<li class=\"breaking\">Removed server https://old.example.com at (7, 4)</li>",
             "<section id=\"added\">",
             "<li class=\"non-breaking\">GET /&lt;b&gt;bold&lt;/b&gt; at (45, 6)</li>",
             "<section id=\"removed\">",
             "<li class=\"breaking\">POST /pets at (29, 6)</li>",
             "<h3>GET /pets</h3>",
             "<li>Modified: limit in query</li>",
             "<li>Added: 400</li>",
             "<p>Security requirements: 0 added, 1 removed, 0 modified.</p>",
             "<p>Request body changed</p>",
         }) {
        EXPECT_TRUE(contains(html, item)) << item << "\nin:\n" << html;
    }
    EXPECT_FALSE(contains(html, "<b>")) << html;
}

TEST(ChangelogFormatters, NoChangesWriteNoItems) {
    for (const char* formatter : {"stylish", "unix", "visualstudio", "markdown"}) {
        EXPECT_EQ(render("changelog", formatter, kSource, kSource), "") << formatter;
    }
    nlohmann::json json = nlohmann::json::parse(render("changelog", "json", kSource, kSource));
    EXPECT_EQ(json["added"], nlohmann::json::array());
    EXPECT_EQ(json["modified"], nlohmann::json::array());
    EXPECT_FALSE(contains(render("changelog", "html", kSource, kSource), "<section id=\"added\">"));
}

TEST(ChangelogFormatters, ADestinationWithoutAFileIsUnknown) {
    std::string unix = changelog("unix", nullptr);
    EXPECT_EQ(unix.rfind("<unknown>:", 0), 0u) << unix;
    std::string visualStudio = changelog("visualstudio", nullptr);
    EXPECT_EQ(visualStudio.rfind("<unknown>(", 0), 0u) << visualStudio;
    EXPECT_FALSE(contains(changelog("stylish", nullptr), "<unknown>"));
}

TEST(DetailsFormatters, LineFormatsDescribeEveryChange) {
    EXPECT_EQ(details("stylish"), kDetailsStylish);
    EXPECT_EQ(details("unix", nullptr), kDetailsUnix);
    EXPECT_EQ(details("visualstudio", nullptr), kDetailsVisualStudio);
}

TEST(DetailsFormatters, LineFormatsNameTheSourceFileForWhatWasRemoved) {
    for (const char* formatter : {"unix", "visualstudio"}) {
        std::istringstream lines(details(formatter));
        int removals = 0;
        for (std::string line; std::getline(lines, line);) {
            bool removal = contains(line, "_removed ");
            removals += removal ? 1 : 0;
            EXPECT_EQ(line.rfind(removal ? "pets-v1.yaml" : "pets-v2.yaml", 0), 0u) << formatter << ": " << line;
        }
        EXPECT_EQ(removals, 15) << formatter;
    }
}

TEST(DetailsFormatters, JsonReadsBackWithTheSpecifiedMembers) {
    nlohmann::ordered_json json = nlohmann::ordered_json::parse(details("json"));
    ASSERT_EQ(json.size(), 50u);
    EXPECT_EQ(json[1], nlohmann::ordered_json::parse(R"({"type": "property_modified", "severity": "breaking",
        "target": "info", "config_key": "title", "line": 2, "column": 2})"));
    EXPECT_EQ(json[3], nlohmann::ordered_json::parse(R"({"type": "element_added", "severity": "non-breaking",
        "target": "openapi", "config_key": "servers", "index": 1, "line": 8, "column": 4})"));
    EXPECT_EQ(json[9], nlohmann::ordered_json::parse(R"({"type": "key_added", "severity": "non-breaking",
        "target": "paths", "config_key": "paths", "key": "/<b>bold</b>", "line": 44, "column": 4})"));
}

TEST(DetailsFormatters, MarkupFormatsListEveryChangeAndEscapeKeys) {
    std::string markdown = details("markdown");
    EXPECT_EQ(std::count(markdown.begin(), markdown.end(), '\n'), 50);
    for (std::string_view line : {
             "- **breaking** property_modified info.title at (2, 2)\n",
             "- **non-breaking** key_added paths '/\\<b\\>bold\\</b\\>' at (44, 4)\n",
             "- **breaking** key_removed path_item.operations 'delete' at (39, 6)\n",
         }) {
        EXPECT_TRUE(contains(markdown, line)) << line << "\nin:\n" << markdown;
    }

    std::string html = details("html");
    for (std::string_view item : {
             "<title>Detailed report</title>",
             "<li>Total: 50</li>",
             "<li>Non-functional changes: 11</li>",
             "<tr class=\"breaking\"><td>2</td><td>2</td><td>breaking</td><td>property_modified info.title</td></tr>",
             "<td>key_added paths '/&lt;b&gt;bold&lt;/b&gt;'</td>",
         }) {
        EXPECT_TRUE(contains(html, item)) << item << "\nin:\n" << html;
    }
    EXPECT_FALSE(contains(html, "<b>")) << html;
}

TEST(DetailsFormatters, StylishRightAlignsEachColumnToItsWidestCell) {
    DetailedReport report;
    Change shallow;
    shallow.type = ChangeType::propertyModified;
    shallow.severity = ChangeSeverity::nonFunctional;
    shallow.configKey = ConfigKey::info_description;
    shallow.pos = Pos{7, 3};
    Change deep = shallow;
    deep.severity = ChangeSeverity::breaking;
    deep.configKey = ConfigKey::info_title;
    deep.pos = Pos{123, 11};
    report.add(shallow);
    report.add(deep);
    std::ostringstream out;
    createFormatter("detailed", "stylish", out)->format(report);
    EXPECT_EQ(out.str(),
              "    7   3  non-functional  property_modified openapi.description\n"
              "  123  11        breaking  property_modified openapi.title\n");
}

TEST(Formatters, RefuseAnotherKindOfReport) {
    ChangelogReport changelogReport;
    DetailedReport detailedReport;
    std::ostringstream out;
    for (const char* formatter : {"html", "json", "markdown", "stylish", "unix", "visualstudio"}) {
        EXPECT_THROW(createFormatter("changelog", formatter, out)->format(detailedReport), std::bad_cast);
        EXPECT_THROW(createFormatter("detailed", formatter, out)->format(changelogReport), std::bad_cast);
        // The status formatters read only what every report has.
        EXPECT_NO_THROW(createFormatter("status", formatter, out)->format(changelogReport));
    }
}

TEST(ChangelogReportTest, AChangeItCannotPlaceCountsAsMetadata) {
    ChangelogReport report;
    Change change;
    change.type = ChangeType::keyAdded;
    change.severity = ChangeSeverity::breaking;
    change.configKey = ConfigKey::openapi_servers;
    change.key = "https://example.com";
    EXPECT_NO_THROW(report.add(change));
    change.configKey = ConfigKey::pathItem_operations;
    EXPECT_NO_THROW(report.add(change));
    EXPECT_EQ(report.unplacedCount(), 2u);
    EXPECT_FALSE(report.metadata().empty());
    EXPECT_EQ(report.metadata().mark.severity, ChangeSeverity::breaking);
    EXPECT_EQ(report.count(), 2u);
}

// Consecutive releases of realistic APIs go through every report and format; the changelog places every change.
TEST(RealWorldReleases, EveryReportAndFormatterWritesThem) {
    const std::filesystem::path dir = std::filesystem::path(ZEPHALON_TESTDATA_DIR) / "diff";
    const std::pair<const char*, const char*> releases[] = {
        {"bookstore-1.0.yaml", "bookstore-1.1.yaml"}, {"payments-2.3.json", "payments-3.0.json"},
        {"weather-4.2.yaml", "weather-5.0.yaml"},     {"tasks-0.9.yaml", "tasks-1.0.yaml"},
        {"inventory-1.4.json", "inventory-2.0.json"}, {"messaging-1.7.yaml", "messaging-1.8.yaml"},
    };
    for (const auto& [before, after] : releases) {
        SCOPED_TRACE(after);
        auto source = openapi::checkedReadFromFile(dir / before);
        auto dest = openapi::checkedReadFromFile(dir / after);
        for (const char* reportName : {"status", "changelog", "detailed"}) {
            std::unique_ptr<Report> report = createReport(reportName);
            compareInto(*source, *dest, *report);
            EXPECT_GT(report->count(), 0u) << reportName;
            if (const auto* changelogReport = dynamic_cast<const ChangelogReport*>(report.get())) {
                EXPECT_EQ(changelogReport->unplacedCount(), 0u);
            }
            for (const char* formatter : {"html", "json", "markdown", "stylish", "unix", "visualstudio"}) {
                std::ostringstream out;
                createFormatter(reportName, formatter, out)->format(*report);
                EXPECT_FALSE(out.str().empty()) << reportName << " " << formatter;
                if (std::string_view(formatter) == "json") {
                    EXPECT_TRUE(nlohmann::json::accept(out.str())) << reportName;
                }
            }
        }
    }
}

}  // namespace
}  // namespace zephalon::openapi_diff
