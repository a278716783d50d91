// The parser's own messages and positions, version-dependent keywords, and the read result's mappings.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "reader_test_util.h"

namespace zephalon::openapi {
namespace {

using testing::document;
using testing::messages;
using testing::readJson;

const Schema* componentSchema(const OpenAPIReadResult& result, std::string_view name) {
    return result.model()->components()->schema(name);
}

TEST(Reader, RootThatIsNotAnObjectGivesOneIssueAndAnEmptyModel) {
    for (std::string_view text : {"[1, 2]", "\"text\"", "42", "null"}) {
        auto result = readJson(text);
        ASSERT_EQ(messages(*result), std::vector<std::string>{"OpenAPI object must be an object"}) << text;
        EXPECT_EQ(result->issuePos(result->issues()[0]), (Pos{1, 1})) << text;
        EXPECT_TRUE(result->model()->paths()->items().empty());
        EXPECT_TRUE(result->model()->components()->isEmpty());
        EXPECT_EQ(formatIssues(*result), "OpenAPI object must be an object at (1, 1)\n");
    }
}

TEST(Reader, AFailedStepDoesNotStopTheOthers) {
    auto result =
        readJson(R"({"openapi": "3.0.3", "info": "not an object", "servers": [{"url": 7}, {"url": "https://a"}],
        "tags": [{"description": "no name"}, {"name": "pets"}],
        "paths": {"/p": {"get": {"tags": ["pets", "", 3, "undeclared"], "operationId": "listPets", "responses": {}}}}})");
    EXPECT_EQ(messages(*result), (std::vector<std::string>{
                                     "Info object must be an object",
                                     "A string value is expected for 'url'.",
                                     "Required property 'name' is missing.",
                                 }));
    const OpenAPI* model = result->model();
    EXPECT_EQ(model->specVersion(), "3.0.3");
    ASSERT_EQ(model->servers().size(), 2u);
    EXPECT_EQ(model->servers()[1]->url(), "https://a");
    ASSERT_EQ(model->tags().size(), 1u);
    const Operation* get = model->paths()->item("/p")->operation(HttpMethod::get);
    EXPECT_EQ(model->operationById("listPets"), get);
    ASSERT_EQ(get->tags().size(), 1u);
    EXPECT_EQ(get->tags()[0]->name(), "pets");
}

TEST(Reader, ObjectReadersReportTheirOwnProblems) {
    auto result = readJson(R"({"openapi": "3.1.0",
  "info": {"title": "t", "version": "1", "contact": [], "license": {"name": "L", "identifier": "MIT", "url": "https://l"}},
  "servers": [{"url": "https://{region}.example.com", "variables": {"region": {"default": "eu"}, "port": {"default": "1"}}}],
  "components": {"parameters": {
      "Body": {"name": "b", "in": "body"},
      "Id": {"name": "id", "in": "path", "required": false},
      "Q": {"name": "q", "in": "query", "style": "sideways"}},
    "securitySchemes": {"Odd": {"type": "magic"}, "Key": {"type": "apiKey", "name": "k", "in": "body"},
      "Web": {"type": "http", "scheme": "nonsense"}}},
  "security": [{"Unknown": []}],
  "paths": {}})");
    EXPECT_EQ(messages(*result), (std::vector<std::string>{
                                     "Expected object",
                                     "License object must have either identifier or url, not both",
                                     "Invalid server variable: port",
                                     "Invalid parameter location: body",
                                     "Path parameters must be required",
                                     "Invalid parameter style: sideways",
                                     "Invalid security scheme type: magic",
                                     "Invalid API key location: body",
                                     "Invalid HTTP authentication scheme: nonsense",
                                     "Invalid security scheme name: Unknown",
                                 }));
    for (const Issue& issue : result->issues()) EXPECT_TRUE(result->issuePos(issue).known()) << issue.message;
    const Components* components = result->model()->components();
    EXPECT_EQ(components->parameterNode("Body"), nullptr);
    ASSERT_NE(components->parameter("Id"), nullptr);
    EXPECT_TRUE(components->parameter("Id")->required());
    EXPECT_TRUE(components->securitySchemes().empty());
    // The server keeps what was read before the bad variable.
    EXPECT_EQ(result->model()->servers()[0]->variable("region")->defaultValue(), "eu");
    ASSERT_EQ(result->model()->security().size(), 1u);
    EXPECT_TRUE(result->model()->security()[0]->items().empty());
}

TEST(Reader, OperationSecurityInheritsOnlyWhenAbsent) {
    auto result = readJson(document("3.0.3", R"("securitySchemes": {"basic": {"type": "http", "scheme": "BASIC"}})",
                                    R"("/a": {"get": {"responses": {}}, "put": {"security": [], "responses": {}},
                                        "post": {"security": [{"basic": []}, {}], "responses": {}}})"));
    ASSERT_TRUE(result->issues().empty()) << messages(*result).front();
    const PathItem* item = result->model()->paths()->item("/a");
    EXPECT_TRUE(item->operation(HttpMethod::get)->inheritsSecurity());
    EXPECT_FALSE(item->operation(HttpMethod::put)->inheritsSecurity());
    EXPECT_TRUE(item->operation(HttpMethod::put)->security().empty());
    const Operation* post = item->operation(HttpMethod::post);
    ASSERT_EQ(post->security().size(), 2u);
    EXPECT_TRUE(post->security()[0]->hasItem("basic"));
    EXPECT_TRUE(post->security()[1]->items().empty());
    auto* scheme = dynamic_cast<const HTTPSecurityScheme*>(result->model()->components()->securityScheme("basic"));
    ASSERT_NE(scheme, nullptr);
    EXPECT_EQ(scheme->scheme(), HTTPSecurityScheme::Scheme::basic);
}

TEST(Reader, NullableDependsOnVersionAndParserSetting) {
    const std::string schemas = R"("schemas": {"S": {"type": "string", "nullable": true},
                                               "Loose": {"nullable": true, "allOf": [{"type": "string"}]},
                                               "Off": {"type": "string", "nullable": false}})";
    for (std::string_view version : {"3.0.3", "3.1.0"}) {
        auto result = readJson(document(version, schemas));
        ASSERT_TRUE(result->issues().empty()) << version;
        EXPECT_EQ(componentSchema(*result, "S")->types(),
                  (std::vector<SchemaType>{SchemaType::string, SchemaType::null}));
        // Without a type list the schema already admits null; adding null alone would forbid everything else.
        EXPECT_TRUE(componentSchema(*result, "Loose")->types().empty());
        EXPECT_EQ(componentSchema(*result, "Off")->types(), std::vector<SchemaType>{SchemaType::string});
    }
    SchemaFormatRegistry formats;
    Parser strict(nullptr, &formats, false);
    strict.fromString(document("3.1.0", schemas), FileFormat::JSON);
    EXPECT_EQ(messages(*strict.result()), std::vector<std::string>(3, "Nullable is only supported in OpenAPI 3.0"));
}

TEST(Reader, ConstEnumAndExclusiveBoundsFollowTheVersion) {
    const std::string schemas = R"("schemas": {
        "C": {"const": "x"}, "Both": {"const": 1, "enum": [1, 2]},
        "Bool": {"exclusiveMaximum": true, "maximum": 3}, "Num": {"exclusiveMinimum": 0}})";
    auto v30 = readJson(document("3.0.3", schemas));
    EXPECT_EQ(messages(*v30),
              (std::vector<std::string>{"const keyword is only supported in OpenAPI 3.1",
                                        "const keyword is only supported in OpenAPI 3.1", "Expected boolean value"}));
    EXPECT_TRUE(componentSchema(*v30, "C")->enumValues().empty());
    EXPECT_EQ(componentSchema(*v30, "Both")->enumValues().size(), 2u);
    EXPECT_EQ(std::get<bool>(componentSchema(*v30, "Bool")->exclusiveMaximum()), true);

    auto v31 = readJson(document("3.1.0", schemas));
    EXPECT_EQ(messages(*v31),
              (std::vector<std::string>{"const and enum keywords are mutually exclusive", "Expected numeric value"}));
    const Schema* c = componentSchema(*v31, "C");
    ASSERT_EQ(c->enumValues().size(), 1u);
    EXPECT_TRUE(c->isConst());
    EXPECT_EQ(c->enumValues()[0]->stringValue(), "x");
    EXPECT_FALSE(componentSchema(*v31, "Both")->isConst());
    EXPECT_EQ(std::get<number::Number>(componentSchema(*v31, "Num")->exclusiveMinimum()), number::Number(0));
}

// A 3.1 document may keep draft-04 schemas, through jsonSchemaDialect or a schema's own "$schema"; the keyword
// forms follow the dialect that governs each schema.
TEST(Reader, ExclusiveBoundsFollowTheSchemasDialect) {
    const std::string schemas = R"("schemas": {
        "Flag": {"minimum": 0, "exclusiveMinimum": true, "properties": {"inner": {"maximum": 1, "exclusiveMaximum": false}}},
        "Later": {"$schema": "https://json-schema.org/draft/2020-12/schema#", "exclusiveMinimum": 0,
                  "properties": {"inner": {"exclusiveMaximum": 1}}},
        "Bad": {"$schema": "https://json-schema.org/draft/2020-12/schema", "exclusiveMinimum": true}})";
    auto result = readJson(R"({"openapi": "3.1.0", "info": {"title": "t", "version": "1"}, "paths": {},
        "jsonSchemaDialect": "http://json-schema.org/draft-04/schema#", "components": {)" +
                           schemas + "}}");
    EXPECT_EQ(messages(*result), (std::vector<std::string>{"Expected numeric value"}));
    const Schema* flag = componentSchema(*result, "Flag");
    EXPECT_EQ(std::get<bool>(flag->exclusiveMinimum()), true);
    EXPECT_EQ(std::get<bool>(flag->property("inner")->exclusiveMaximum()), false);
    EXPECT_EQ(flag->effectiveMinimum()->exclusive, true);
    const Schema* later = componentSchema(*result, "Later");
    EXPECT_EQ(later->dialect(), &SchemaDialect::Draft2020_12);
    EXPECT_EQ(std::get<number::Number>(later->property("inner")->exclusiveMaximum()), number::Number(1));

    // Without the dialect the same flags are refused in 3.1, and the number form under draft 4.
    auto plain = readJson(document("3.1.0", schemas));
    EXPECT_EQ(messages(*plain),
              (std::vector<std::string>{"Expected numeric value", "Expected numeric value", "Expected numeric value"}));
    auto draft4 = readJson(document("3.1.0", R"("schemas": {
        "S": {"$schema": "http://json-schema.org/draft-04/schema", "exclusiveMinimum": 3}})"));
    EXPECT_EQ(messages(*draft4), (std::vector<std::string>{"Expected boolean value"}));
    auto unknown = readJson(document("3.1.0", R"("schemas": {"S": {"$schema": "urn:custom:dialect"}})"));
    EXPECT_EQ(messages(*unknown), (std::vector<std::string>{"Unknown schema dialect: urn:custom:dialect"}));

    // The model's own guard agrees: the flag form is for schemas under draft 4.
    Components* components = result->model()->components();
    EXPECT_THROW(components->schema("Later")->addProperty("edited")->setExclusiveMinimum(true), std::runtime_error);
    EXPECT_NO_THROW(components->schema("Flag")->setExclusiveMaximum(true));
}

TEST(Reader, ExampleAndExamplesFormsReadWithoutIssues) {
    auto v30 = readJson(document("3.0.3", R"("schemas": {"S": {"type": "string", "example": "abc"}})"));
    ASSERT_TRUE(v30->issues().empty());
    EXPECT_EQ(componentSchema(*v30, "S")->exampleValue()->stringValue(), "abc");

    auto v31 = readJson(document("3.1.0", R"("schemas": {"L": {"examples": [1, "two"]}, "N": {"examples": {"a": 1}},
                                               "Bad": {"examples": 5}})"));
    EXPECT_EQ(messages(*v31), std::vector<std::string>{"An array or object value is expected for 'examples'."});
    ASSERT_EQ(componentSchema(*v31, "L")->exampleList().size(), 2u);
    EXPECT_EQ(componentSchema(*v31, "L")->exampleList()[1]->stringValue(), "two");
    EXPECT_NE(componentSchema(*v31, "N")->example("a"), nullptr);
}

TEST(Reader, SchemaKeywordProblemsAreReportedOneByOne) {
    auto result = readJson(document("3.1.0", R"("schemas": {"S": {
        "type": 5, "required": "id", "format": "not-a-format", "$schema": "urn:unknown", "maxLength": -1,
        "properties": {"bad": 3, "ok": {"type": ["string", 1, "nonsense"]}},
        "$defs": {"a": {}}, "definitions": {"b": {}}, "title": "kept"}})"));
    EXPECT_EQ(messages(*result), (std::vector<std::string>{
                                     "Unknown schema dialect: urn:unknown",
                                     "Expected string or array value for schema type",
                                     "Unknown format: not-a-format",
                                     "definitions and $defs are mutually exclusive",
                                     "A non-negative integer value is expected for 'maxLength'.",
                                     "Expected array value",
                                     "Schema must be an object or boolean",
                                     "Expected string value for schema type",
                                     "Invalid schema type",
                                 }));
    const Schema* s = componentSchema(*result, "S");
    EXPECT_EQ(s->title(), "kept");
    EXPECT_NE(s->definition("a"), nullptr);
    EXPECT_EQ(s->definition("b"), nullptr);
    EXPECT_EQ(s->property("ok")->types(), std::vector<SchemaType>{SchemaType::string});
}

TEST(Reader, BooleanSchemasAndDeepNesting) {
    auto result = readJson(document("3.1.0", R"("schemas": {"T": true, "F": false,
        "O": {"additionalProperties": false, "items": true}})"));
    ASSERT_TRUE(result->issues().empty());
    EXPECT_TRUE(isTruthy(*componentSchema(*result, "T")));
    EXPECT_TRUE(isFalsy(*componentSchema(*result, "F")));
    EXPECT_TRUE(isFalsy(*componentSchema(*result, "O")->additionalProperties()));

    std::string deep = "{}";
    for (int i = 0; i < 400; ++i) deep = "{\"items\": " + deep + "}";
    auto nested = readJson(document("3.1.0", "\"schemas\": {\"Deep\": " + deep + "}"));
    EXPECT_EQ(messages(*nested), std::vector<std::string>{"Nesting is too deep"});
    EXPECT_TRUE(nested->issuePos(nested->issues()[0]).known());
}

TEST(Reader, ParameterAndHeaderPreferSchemaAndExample) {
    auto result = readJson(document("3.0.3", R"("headers": {"H": {"content": {"text/plain": {}, "application/json": {}},
                                                                   "examples": {}}})",
                                    R"("/a/{id}": {"parameters": [{"name": "id", "in": "path", "required": true,
        "schema": {"type": "string"}, "content": {"application/json": {}}, "example": "x", "examples": {"e": {}}}]})"));
    ASSERT_TRUE(result->issues().empty());
    const Parameter* id = result->model()->paths()->item("/a/{id}")->parameter(0);
    EXPECT_EQ(id->schemaOrContent().schemaMode(), SchemaOrMediaType::Mode::schema);
    EXPECT_EQ(id->examples().exampleMode(), Examples::Mode::embedded);
    const Header* h = result->model()->components()->header("H");
    EXPECT_EQ(h->schemaOrContent().schemaMode(), SchemaOrMediaType::Mode::content);
    EXPECT_EQ(h->schemaOrContent().mediaTypeKey(), "application/json");
    EXPECT_EQ(h->examples().exampleMode(), Examples::Mode::none);
}

TEST(Reader, QueryParametersExplodeByDefaultOnlyInFormStyle) {
    auto result = readJson(document("3.0.3", "", R"("/a": {"parameters": [
        {"name": "plain", "in": "query"},
        {"name": "form", "in": "query", "style": "form"},
        {"name": "pipes", "in": "query", "style": "pipeDelimited"},
        {"name": "pipesExploded", "in": "query", "style": "pipeDelimited", "explode": true},
        {"name": "formFlat", "in": "query", "style": "form", "explode": false}]})"));
    ASSERT_TRUE(result->issues().empty());
    const PathItem* item = result->model()->paths()->item("/a");
    EXPECT_TRUE(item->parameter(0)->explode());
    EXPECT_TRUE(item->parameter(1)->explode());
    EXPECT_FALSE(item->parameter(2)->explode());
    EXPECT_TRUE(item->parameter(3)->explode());
    EXPECT_FALSE(item->parameter(4)->explode());
}

TEST(Reader, CheckedReadAggregatesIssuesAndAdvisesOnCustomFormats) {
    const std::string text = document("3.1.0", R"("schemas": {"S": {"type": "string", "format": "sku"}})");
    auto unchecked = readJson(text);
    ASSERT_EQ(messages(*unchecked), std::vector<std::string>{"Unknown format: sku"});
    try {
        checkedReadFromString(text, FileFormat::JSON);
        FAIL() << "expected an error";
    } catch (const std::runtime_error& e) {
        std::string what = e.what();
        EXPECT_TRUE(
            what.starts_with("Unknown format: sku at (2, 33)\n\nWARNING: Looks like this schema uses custom "
                             "schema formats. Define them in "))
            << what;
        EXPECT_NE(what.find("option. You can find more information about custom formats in the docs: "),
                  std::string::npos);
    }
    SchemaFormatRegistry formats;
    formats.add("sku", SchemaType::string);
    auto custom = readFromString(text, FileFormat::JSON, &formats);
    EXPECT_TRUE(custom->issues().empty());
    EXPECT_EQ(componentSchema(*custom, "S")->format(), formats.get("sku"));
    EXPECT_THROW(readFromString(text, FileFormat::JSON, nullptr), std::invalid_argument);
    EXPECT_THROW(checkedReadFromFile("x.json", nullptr), std::invalid_argument);
}

TEST(Reader, YamlIssuesFallBackToThePositionOfTheEnclosingCollection) {
    auto result = readFromString(
        "openapi: 3.0.3\ninfo: {title: t, version: '1'}\npaths: {}\ncomponents:\n"
        "  schemas:\n    S:\n      type: string\n      format: nope\n"
        "      properties:\n        bad: 3\nsecurity:\n  - oops\n",
        FileFormat::YAML);
    ASSERT_EQ(messages(*result), (std::vector<std::string>{"Unknown format: nope",
                                                           "Schema must be an object or boolean", "Expected object"}));
    for (const Issue& issue : result->issues()) EXPECT_TRUE(result->issuePos(issue).known()) << issue.message;
    // The scalar at fault has no position of its own; the sequence that holds it has (0-based lines in YAML).
    EXPECT_EQ(result->issuePos(result->issues()[2]).line, 11);
}

TEST(ReadResult, MappingsPointersOrderAndLookup) {
    auto result = readJson(document("3.0.3", R"("schemas": {"Pet": {"type": "object",
        "properties": {"zeta": {"type": "string"}, "alpha": {"type": "integer"}}}})",
                                    R"("/pets": {"get": {"responses": {"200": {"description": "ok"}}}})"));
    ASSERT_TRUE(result->issues().empty());
    const Schema* pet = componentSchema(*result, "Pet");
    EXPECT_EQ(result->jsonPointer(pet), "/components/schemas/Pet");
    EXPECT_EQ(result->jsonPointer(pet, "properties"), "/components/schemas/Pet/properties");
    EXPECT_EQ(result->jsonPointer(pet, "nothing"), std::nullopt);
    EXPECT_EQ(result->propOrder(pet, "properties"), (std::vector<std::string_view>{"zeta", "alpha"}));
    EXPECT_EQ(result->jsonPointer(result->model()->components(), "schemas"), "/components/schemas");
    EXPECT_EQ(result->findNode("/components/schemas/Pet/properties/alpha"), pet->property("alpha"));
    EXPECT_EQ(result->findNode("/paths/~1pets/get"),
              result->model()->paths()->item("/pets")->operation(HttpMethod::get));
    EXPECT_EQ(result->findNode("/nowhere"), nullptr);
    EXPECT_EQ(result->nodePos(pet).line, 2);

    Schema unmapped(nullptr);
    EXPECT_THROW(result->jsonPointer(&unmapped), std::out_of_range);
    EXPECT_EQ(result->nodePos(&unmapped), Pos{});
    EXPECT_TRUE(result->propOrder(&unmapped).empty());

    result->clearPropOrder(pet);
    EXPECT_TRUE(result->propOrder(pet).empty());

    std::ostringstream dump;
    result->dumpMappings(dump);
    std::string text = dump.str();
    EXPECT_EQ(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')), result->mappingCount());
    EXPECT_NE(text.find("object@0x"), std::string::npos);
    EXPECT_NE(text.find(" -> Schema@0x"), std::string::npos);

    // Dropped mappings stay dropped; mapped again, a node is found again, also from its value.
    const jv::JV* petValue = result->value(pet);
    ASSERT_NE(petValue, nullptr);
    result->clearMappings();
    EXPECT_EQ(result->value(pet), nullptr);
    EXPECT_EQ(result->mappingCount(), 0u);
    EXPECT_EQ(result->nodeOf(petValue), nullptr);
    result->addMapping(pet, petValue);
    EXPECT_EQ(result->value(pet), petValue);
    EXPECT_EQ(result->nodeOf(petValue), pet);
    // A node belongs to one result's mapping at a time: mapped in another, it is found there only.
    OpenAPIReadResult other;
    other.addMapping(pet, petValue->property("properties"));
    EXPECT_EQ(other.value(pet), petValue->property("properties"));
    EXPECT_EQ(result->value(pet), nullptr);
}

TEST(ReadResult, SourceLocationsOfNodesAndMembers) {
    auto result = readFromString(
        "openapi: 3.1.0\ninfo: {title: t, version: '1'}\npaths:\n  /a~b/{id}:\n    get:\n"
        "      description: Reads one.\n      responses:\n        '200':\n          description: ok\n"
        "          content:\n            application/json:\n              schema: false\n",
        FileFormat::YAML);
    ASSERT_TRUE(result->issues().empty());
    const Operation* get = result->model()->paths()->item("/a~b/{id}")->operation(HttpMethod::get);
    auto operation = result->sourceLocation(get);
    ASSERT_TRUE(operation.has_value());
    EXPECT_EQ(operation->pointer, "/paths/~1a~0b~1{id}/get");
    EXPECT_EQ(operation->pos, (Pos{5, 6}));  // YAML: 0-based, where the mapping's first key is
    auto description = result->sourceLocation(get, "description");
    ASSERT_TRUE(description.has_value());
    EXPECT_EQ(description->pointer, "/paths/~1a~0b~1{id}/get/description");
    EXPECT_EQ(description->value->stringValue(), "Reads one.");
    // A YAML scalar has no position of its own: it stands where its object does.
    EXPECT_EQ(description->pos, operation->pos);
    const Node* never = get->responses()->response("200")->mediaType("application/json")->schemaNode();
    auto schema = result->sourceLocation(never);
    ASSERT_TRUE(schema.has_value());
    EXPECT_TRUE(schema->value->isBoolean());
    EXPECT_TRUE(schema->pos.known());

    EXPECT_EQ(result->sourceLocation(get, "summary"), std::nullopt);
    EXPECT_EQ(result->sourceLocation(get->responses(), "200")->pointer, "/paths/~1a~0b~1{id}/get/responses/200");
    // A node the model holds without a source, and one made after the read.
    EXPECT_EQ(result->sourceLocation(result->model()->components()), std::nullopt);
    EXPECT_EQ(result->sourceLocation(result->model()->addTag("new")), std::nullopt);
    EXPECT_EQ(result->sourceLocation(result->model())->pointer, "");
}

TEST(ReadResult, FilesKeepTheirPathAndFailuresOfTheFilePropagate) {
    auto dir = std::filesystem::temp_directory_path() / "zephalon_reader_test";
    std::filesystem::create_directories(dir);
    auto path = dir / "doc.yaml";
    std::ofstream(path) << "openapi: 3.1.0\ninfo: {title: t, version: '1'}\npaths: {}\n";
    auto result = checkedReadFromFile(path);
    EXPECT_EQ(result->filePath(), path);
    EXPECT_EQ(result->model()->info()->title(), "t");
    EXPECT_THROW(uncheckedReadFromFile(dir / "missing.json"), std::exception);
    std::ofstream(dir / "broken.json") << "{\"openapi\": ";
    EXPECT_THROW(uncheckedReadFromFile(dir / "broken.json"), std::exception);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zephalon::openapi
