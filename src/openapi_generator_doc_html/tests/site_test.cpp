// Whole sites generated into memory from small documents: which files there are, what data the pages get, how
// texts of the document are kept out of the page source, and the request examples.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdio.h>

#include <nlohmann/json.hpp>

#include "context.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi_generator/testing/test_files.h"

namespace zephalon::openapi_generator::doc_html {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;
using testing::TestFiles;

constexpr std::string_view kZoo = R"(openapi: 3.1.0
info: {title: Zoo, version: "2"}
servers: [{url: "https://zoo.example/v1"}]
tags: [{name: animals, description: "All **animals**"}]
paths:
  /animals/{id}:
    get:
      tags: [animals]
      operationId: getAnimal
      summary: "Fetch {one} <script>alert(1)</script>"
      description: "See [the list](</a b?x=1&y=2>)."
      parameters:
        - {name: id, in: path, required: true, schema: {type: integer}, example: 7}
        - {name: X-Trace, in: header, required: true, schema: {type: string}, example: "it's"}
      responses:
        "200":
          description: The animal.
          content:
            application/json:
              schema: {$ref: '#/components/schemas/Animal'}
              example: {name: "O'Hara", legs: 4}
  /animals:
    post:
      summary: Add
      requestBody:
        required: true
        content:
          application/json:
            schema: {$ref: '#/components/schemas/Animal'}
            example: {name: "Rock 'n' roll"}
      responses:
        "201": {description: Added.}
  /a-b:
    get: {responses: {"204": {description: x}}}
  /a_b:
    get: {responses: {"204": {description: y}}}
components:
  schemas:
    Animal:
      type: object
      description: A beast.
      required: [name]
      properties:
        name: {type: string}
        legs: {type: integer, format: int32}
        tags: {type: array, items: {type: string, format: date}}
)";

struct SiteRun {
    TestFiles files;
    Generator generator;
    MemoryFileSystem* memory = nullptr;
    Plugin* plugin = nullptr;

    explicit SiteRun(std::string_view config = "", std::string_view document = kZoo) {
        auto fs = memoryFileSystem();
        memory = fs.get();
        generator.context().setFS(std::move(fs));
        generator.setInputPath(files.write("zoo.yaml", document));
        if (!config.empty()) {
            generator.setConfigFilePath(
                files.write("config.yaml", "commands:\n  generate:\n    doc_html:\n" + std::string(config)));
        }
        plugin = generator.addPlugin(std::make_unique<Plugin>(generator.context()));
        plugin->setOutputPath("site");
    }

    std::vector<std::string> files_() const { return memory->files(); }
    std::string read(const std::string& path) const { return memory->read("site/" + path); }
    bool has(const std::string& path) const { return memory->exists("site/" + path); }

    // The JSON of `const <name> = ...;` in an Astro file's script part.
    nlohmann::ordered_json constant(const std::string& path, const std::string& name) const {
        const std::string text = read(path);
        const std::string start = "const " + name + " = ";
        const auto at = text.find(start);
        if (at == std::string::npos) throw std::runtime_error("no constant " + name + " in " + path);
        const auto end = text.find(";\n", at);
        return nlohmann::ordered_json::parse(text.substr(at + start.size(), end - at - start.size()));
    }
};

// The markup of an Astro file: what follows the closing fence of its script part.
std::string markupOf(const std::string& text) { return text.substr(text.find("---\n", 4) + 4); }

TEST(SiteTest, TheDefaultSiteIsOneIndexPageAndASearchPage) {
    SiteRun run;
    run.generator.run();
    EXPECT_TRUE(run.has("src/pages/index.astro"));
    EXPECT_TRUE(run.has("src/pages/search.astro"));
    EXPECT_FALSE(run.has("src/pages/operations.astro"));
    EXPECT_FALSE(run.has("src/pages/changelog.astro"));
    EXPECT_FALSE(run.has("src/middleware/index.ts"));
    for (std::string path :
         {"src/components/Sidebar.astro", "src/components/sidebar/Operations.astro",
          "src/components/sidebar/Resources.astro", "src/components/Overview.astro",
          "src/components/schemas/Resource_Animal.astro", "src/components/schemas/ResourceUsage_Animal.astro",
          "src/components/operations/Operation_get_animals_id.astro",
          "src/components/operations/OperationUsage_get_animals_id.astro", "package.json", "tsconfig.json",
          "astro.config.mjs", "tailwind.config.cjs"}) {
        EXPECT_TRUE(run.has(path)) << path;
    }
    // Paths that collapse to the same name get files of their own.
    EXPECT_TRUE(run.has("src/components/operations/Operation_get_a_b.astro"));
    EXPECT_TRUE(run.has("src/components/operations/Operation_get_a_b_2.astro"));

    const auto package = nlohmann::json::parse(run.read("package.json"));
    EXPECT_EQ(package["name"], "@tarnwell/api-html-doc");
    EXPECT_EQ(package["dependencies"]["@tarnwell/zephalon-doc-html-template"], "^0.1.0");

    const std::string index = run.read("src/pages/index.astro");
    EXPECT_THAT(index,
                HasSubstr("import Layout from \"@tarnwell/zephalon-doc-html-template/src/layouts/Layout.astro\""));
    EXPECT_THAT(index, HasSubstr("import Operation_get_animals_id from "
                                 "\"../components/operations/Operation_get_animals_id.astro\""));
    const auto page = run.constant("src/pages/index.astro", "page");
    EXPECT_EQ(page["html"]["title"], "Index");
    EXPECT_EQ(page["path"], "/");
    EXPECT_EQ(page["groups"][0]["name"], "animals");
    EXPECT_EQ(page["groups"][0]["description"], "<p>All <strong>animals</strong></p>\n");
}

TEST(SiteTest, OperationPageDataForASmallDocument) {
    SiteRun run("      request_code_examples: false\n");
    run.generator.run();
    const auto data = run.constant("src/components/operations/Operation_get_animals_id.astro", "data");
    const auto expected = nlohmann::ordered_json::parse(R"json({
      "id": "operation_get/_animals_{id}",
      "method": "get",
      "path": "/animals/{id}",
      "summary": "Fetch {one} <script>alert(1)</script>",
      "description": "<p>See <a href=\"/a%20b?x=1&amp;y=2\">the list</a>.</p>\n",
      "operationId": "getAnimal",
      "deprecated": false,
      "requirements": [],
      "security": [],
      "path_parameters": [{"name": "id", "type": "integer", "required": true, "deprecated": false, "slot": ""}],
      "query_parameters": [],
      "header_parameters": [{"name": "X-Trace", "type": "string", "required": true, "deprecated": false, "slot": ""}],
      "cookie_parameters": [],
      "requestBody": null,
      "responses": [{"status": "200", "mediaType": "application/json", "code": "<p>The animal.</p>\n"}],
      "responseSchemas": [{"status": "200", "mediaType": "application/json", "type": "object", "properties": [
        {"name": "legs", "type": "integer(int32)", "required": false, "description": ""},
        {"name": "name", "type": "string", "required": true, "description": ""},
        {"name": "tags", "type": "array of strings(date)", "required": false, "description": ""}]}],
      "jsonResponses": [{"status": "200", "mediaType": "application/json",
                         "code": "{\n  \"legs\": 4,\n  \"name\": \"O'Hara\"\n}"}],
      "usageComponentName": "OperationUsage_get_animals_id",
      "imports": [
        {"name": "Operation", "from": "@tarnwell/zephalon-doc-html-template/src/components/Operation.astro"},
        {"name": "OperationUsage_get_animals_id", "from": "./OperationUsage_get_animals_id.astro"}]
    })json");
    EXPECT_EQ(data, expected) << data.dump(2);

    const auto usage = run.constant("src/components/operations/OperationUsage_get_animals_id.astro", "entries");
    EXPECT_EQ(usage, nlohmann::ordered_json::parse(R"([{"name": "Animal", "href": "/#resource_Animal"}])"));
    const auto resource = run.constant("src/components/schemas/Resource_Animal.astro", "data");
    EXPECT_EQ(resource["description"], "<p>A beast.</p>\n");
    EXPECT_EQ(resource["required"], nlohmann::ordered_json::parse(R"(["name"])"));
}

TEST(SiteTest, DocumentTextsStayOutOfThePageSource) {
    SiteRun run;
    run.generator.run();
    for (const std::string& file : run.files_()) {
        if (!file.ends_with(".astro")) continue;
        const std::string markup = markupOf(run.memory->read(file));
        EXPECT_THAT(markup, Not(HasSubstr("Fetch"))) << file;
        EXPECT_THAT(markup, Not(HasSubstr("<script>"))) << file;
        EXPECT_THAT(markup, Not(HasSubstr("{one}"))) << file;
        EXPECT_THAT(markup, Not(HasSubstr("beast"))) << file;
    }
}

// Runs the curl command with a `curl` that prints its arguments one per line, as the shell passes them.
std::string shellArguments(const std::string& command) {
    TestFiles files;
    const std::string script =
        files.write("run.sh", "curl() { for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done; }\n" + command + "\n");
    FILE* pipe = popen(("sh " + script).c_str(), "r");
    std::string out;
    char buffer[256];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    pclose(pipe);
    return out;
}

TEST(SiteTest, RequestExamplesQuoteTheirArguments) {
    SiteRun run;
    run.generator.run();
    const auto get = run.constant("src/components/operations/Operation_get_animals_id.astro", "data");
    EXPECT_EQ(shellArguments(get["curlRequest"]),
              "[-X]\n[GET]\n[-H]\n[X-Trace: it's]\n[-g]\n[https://zoo.example/v1/animals/7]\n");
    EXPECT_EQ(get["vanillaJsRequest"],
              "const json = await fetch('https://zoo.example/v1/animals/7', {\n"
              "  method: 'GET',\n"
              "  headers: {\n"
              "    'X-Trace': 'it\\'s',\n"
              "  },\n"
              "});");

    const auto post = run.constant("src/components/operations/Operation_post_animals.astro", "data");
    EXPECT_EQ(shellArguments(post["curlRequest"]),
              "[-X]\n[POST]\n[-H]\n[Content-Type: application/json]\n[-g]\n[https://zoo.example/v1/animals]\n"
              "[-d]\n[{\n  \"name\": \"Rock 'n' roll\"\n}]\n");
    EXPECT_THAT(post["vanillaJsRequest"].get<std::string>(),
                HasSubstr("  body: JSON.stringify({\n  \"name\": \"Rock 'n' roll\"\n})\n});"));

    EXPECT_EQ(jsStringLiteral("a\\b'\n\x01"), "'a\\\\b\\'\\n\\x01'");
}

TEST(SiteTest, SeparatePagesInTwoLocalesWithTranslatedTexts) {
    SiteRun run(
        "      operations: separate\n"
        "      resources: separate\n"
        "      changelog: true\n"
        "      openapi_schema: true\n"
        "      i18n: {locales: [en, pl], default_locale: en, prefix_default_locale: true}\n");
    const std::string pl = run.files.write("pl.json", R"({"/paths/~1animals/post/summary": "Dodaj"})");
    run.generator.addTranslationFile("pl", pl);
    run.generator.run();
    for (std::string locale : {"en", "pl"}) {
        for (std::string page : {"index", "search", "changelog", "operations/post_animals", "resources/Animal"}) {
            EXPECT_TRUE(run.has("src/pages/" + locale + "/" + page + ".astro")) << locale << " " << page;
        }
        EXPECT_TRUE(run.has("src/components/" + locale + "/Sidebar.astro"));
    }
    EXPECT_TRUE(run.has("src/pages/index.astro"));
    EXPECT_TRUE(run.has("src/middleware/index.ts"));
    EXPECT_EQ(run.read("public/openapi.yaml"), std::string(kZoo));
    EXPECT_THAT(run.read("astro.config.mjs"), HasSubstr("locales: [\"en\",\"pl\"]"));

    const auto english = run.constant("src/components/en/operations/Operation_post_animals.astro", "data");
    const auto polish = run.constant("src/components/pl/operations/Operation_post_animals.astro", "data");
    EXPECT_EQ(english["summary"], "Add");
    EXPECT_EQ(polish["summary"], "Dodaj");
    const auto page = run.constant("src/pages/pl/operations/post_animals.astro", "page");
    EXPECT_EQ(page["html"]["lang"], "pl");
    EXPECT_EQ(page["path"], "/pl/operations/post_animals");
    EXPECT_EQ(page["localeSelectorData"]["options"][0]["href"], "/en/operations/post_animals");
    const auto items = run.constant("src/components/pl/sidebar/Operations.astro", "groups");
    EXPECT_EQ(items[0]["items"][0]["href"], "/pl/operations/get_animals_id");
}

TEST(SiteTest, NamingRulesOfTheContext) {
    auto result = openapi::checkedReadFromString(kZoo, FileFormat::YAML);
    openapi_generator::Context generator;
    auto fs = memoryFileSystem();
    code_morph::astro::Project project(*fs);
    Configuration config;
    Context single(generator, config, *result->model(), project);
    EXPECT_THROW(
        {
            try {
                single.localePrefix(Locale{});
            } catch (const std::runtime_error& error) {
                EXPECT_STREQ(error.what(), "Not in multi-language mode");
                throw;
            }
        },
        std::runtime_error);
    EXPECT_EQ(Context::relativeImport("src/pages/pl/operations/x.astro", "src/components/pl/Sidebar.astro"),
              "../../../components/pl/Sidebar.astro");
    EXPECT_EQ(Context::relativeImport("src/components/Sidebar.astro", "src/components/sidebar/Operations.astro"),
              "./sidebar/Operations.astro");

    config.locales = {"en", "pl"};
    config.defaultLocale = "en";
    Context multi(generator, config, *result->model(), project);
    const auto locales = multi.locales();
    EXPECT_FALSE(locales[0].prefixed);
    EXPECT_TRUE(locales[1].prefixed);
    EXPECT_EQ(multi.localePrefix(locales[0]), "");
    EXPECT_EQ(multi.pageUrl(locales[1], "index"), "/pl/");
    EXPECT_EQ(multi.resourceHref(locales[1], 0), "/pl/#resource_Animal");

    std::map<std::string, int> taken;
    EXPECT_EQ(uniqueKey("../etc/passwd", taken), "etc_passwd");
    EXPECT_EQ(uniqueKey("ETC passwd", taken), "ETC_passwd_2");
    EXPECT_EQ(uniqueKey("{}", taken), "unnamed");
}

TEST(SiteTest, GeneratorIssuesFailTheRunOnlyWhenAskedTo) {
    const std::string impossible = std::string(kZoo) + "    Never: {type: integer, minimum: 10, maximum: 1}\n";
    {
        SiteRun run("      fail_on_generator_error: true\n", impossible);
        EXPECT_THROW(run.generator.run(), std::runtime_error);
        EXPECT_TRUE(run.files_().empty());
    }
    {
        SiteRun run("      fail_on_generator_error: false\n", impossible);
        run.generator.run();
        EXPECT_TRUE(run.has("src/components/schemas/Resource_Never.astro"));
        EXPECT_FALSE(run.constant("src/components/schemas/Resource_Never.astro", "data").contains("example"));
    }
}

}  // namespace
}  // namespace zephalon::openapi_generator::doc_html
