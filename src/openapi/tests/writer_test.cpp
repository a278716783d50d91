#include "zephalon/openapi/writer.h"

#include <gtest/gtest.h>

#include <string>

#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader.h"

namespace zephalon::openapi {
namespace {

using jv::JV;

// The written document, re-read from its JSON text so that key order is what a consumer sees.
std::unique_ptr<jv::JVDoc> written(const OpenAPI& model) {
    std::string text;
    writeToString(model, text, FileFormat::JSON);
    return jv::readString(text, FileFormat::JSON);
}

std::vector<std::string> keysInOrder(const jv::JVDoc& doc, const JV& object) {
    std::vector<std::string> keys;
    for (std::string_view key : doc.propOrder(object)) keys.emplace_back(key);
    return keys;
}

std::string json(const JV* value) {
    if (value == nullptr) return "<absent>";
    std::string text;
    jv::StreamWriteOptions options;
    options.indentSize = 0;
    jv::writeString(*value, text, options);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

TEST(Writer, EmptyModelWritesPathsButNoComponentsInTheWritersOrder) {
    OpenAPI model;
    model.setTitle("T");
    model.setVersion("1");
    model.info()->setDescription("d");
    model.info()->addContact()->setName("n");
    auto doc = written(model);
    const JV& root = *doc->root();
    EXPECT_EQ(keysInOrder(*doc, root), (std::vector<std::string>{"openapi", "info", "paths"}));
    EXPECT_EQ(root.property("openapi")->stringValue(), "3.1.0");
    EXPECT_EQ(root.property("paths")->size(), 0u);
    EXPECT_EQ(keysInOrder(*doc, *root.property("info")),
              (std::vector<std::string>{"title", "description", "contact", "version"}));
}

TEST(Writer, OperationSecurityIsWrittenOnlyWhenItsOwn) {
    OpenAPI model;
    PathItem* item = model.paths()->addItem("/a");
    Operation* inherits = item->addOperation(HttpMethod::get);
    Operation* none = item->addOperation(HttpMethod::post);
    none->setInheritsSecurity(false);
    inherits->responses()->addResponse("200")->setDescription("ok");

    auto doc = written(model);
    const JV* path = doc->root()->property("paths")->property("/a");
    EXPECT_FALSE(path->property("get")->hasProperty("security"));
    const JV* security = path->property("post")->property("security");
    ASSERT_NE(security, nullptr);
    EXPECT_TRUE(security->isArray());
    EXPECT_EQ(security->size(), 0u);
    // An operation without responses writes none; one with responses always writes the response description.
    EXPECT_FALSE(path->property("post")->hasProperty("responses"));
    EXPECT_EQ(json(path->property("get")->property("responses")), R"({"200":{"description":"ok"}})");
}

TEST(Writer, ParameterMembersAtTheirDefaultsAreLeftOut) {
    OpenAPI model;
    PathItem* item = model.paths()->addItem("/items/{id}");
    auto* plain = static_cast<QueryParameter*>(item->addQueryParameter("plain"));
    plain->setExplode(true);
    auto* spaced = static_cast<QueryParameter*>(item->addQueryParameter("spaced"));
    spaced->setStyle(QueryParameter::Style::spaceDelimited);
    spaced->setExplode(false);
    auto* exploded = static_cast<QueryParameter*>(item->addQueryParameter("exploded"));
    exploded->setStyle(QueryParameter::Style::pipeDelimited);
    exploded->setExplode(true);
    Parameter* id = item->addPathParameter("id");
    id->setRequired(false);  // a path parameter is required whatever the model says
    auto* label = static_cast<PathParameter*>(item->addPathParameter("label"));
    label->setStyle(PathParameter::Style::label);

    auto doc = written(model);
    const JV* parameters = doc->root()->property("paths")->property("/items/{id}")->property("parameters");
    ASSERT_EQ(parameters->size(), 5u);
    EXPECT_EQ(json(parameters->at(0)), R"({"in":"query","name":"plain"})");
    EXPECT_EQ(json(parameters->at(1)), R"({"in":"query","name":"spaced","style":"spaceDelimited"})");
    EXPECT_EQ(json(parameters->at(2)), R"({"explode":true,"in":"query","name":"exploded","style":"pipeDelimited"})");
    EXPECT_EQ(json(parameters->at(3)), R"({"in":"path","name":"id","required":true})");
    EXPECT_EQ(json(parameters->at(4)), R"({"in":"path","name":"label","required":true,"style":"label"})");
    EXPECT_EQ(keysInOrder(*doc, *parameters->at(2)), (std::vector<std::string>{"name", "in", "style", "explode"}));
}

TEST(Writer, SchemaTypesRequiredAndBooleanForms) {
    OpenAPI model;
    Components* components = model.components();
    Schema* single = components->addSchema("Single", SchemaType::string);
    Schema* pair = components->addSchema("Pair");
    pair->addType(SchemaType::string);
    pair->addType(SchemaType::null);
    pair->addRequired("b");
    pair->addRequired("a");
    components->addSchema("Anything");
    components->addSchema("Nothing")->setNot();
    // Accepts everything, but its description and properties are content worth keeping.
    Schema* described = components->addSchema("Described");
    described->setDescription("free form");
    described->addProperty("x");
    (void)single;

    auto doc = written(model);
    const JV* schemas = doc->root()->property("components")->property("schemas");
    EXPECT_EQ(json(schemas->property("Single")), R"({"type":"string"})");
    EXPECT_EQ(json(schemas->property("Pair")), R"({"required":["a","b"],"type":["string","null"]})");
    EXPECT_EQ(json(schemas->property("Anything")), "true");
    EXPECT_EQ(json(schemas->property("Nothing")), "false");
    EXPECT_EQ(json(schemas->property("Described")), R"({"description":"free form","properties":{"x":true}})");
}

TEST(Writer, BooleanSchemasStayObjectsIn30ExceptForAdditionalProperties) {
    OpenAPI model;
    model.setSpecVersion("3.0.3");
    Schema* schema = model.components()->addSchema("Map", SchemaType::object);
    schema->setAdditionalProperties(false);
    schema->setItems();
    schema->setNot()->setNot();
    auto doc = written(model);
    EXPECT_EQ(json(doc->root()->property("components")->property("schemas")->property("Map")),
              R"({"additionalProperties":false,"items":{},"not":{"not":{}},"type":"object"})");
}

TEST(Writer, ReferencesPointIntoComponentsOrAtWhereTheTargetWasWritten) {
    OpenAPI model;
    Components* components = model.components();
    Schema* pet = components->addSchema("Pet", SchemaType::object);
    components->addSchemaRef("Alias", pet);
    components->addSchema("a/b~c")->addPropertyRef("self", components->schema("a/b~c"));
    Operation* get = model.paths()->addItem("/pets")->addOperation(HttpMethod::get);
    Response* ok = get->responses()->addResponse("200");
    ok->setDescription("ok");
    Schema* inline_ = ok->addMediaType("application/json")->setSchema(SchemaType::array);
    inline_->setItemsRef(pet);
    // A reference to a schema that lives inside an operation rather than in components.
    Schema* other = get->responses()->addResponse("201")->addMediaType("application/json")->setSchema();
    Reference* toInline = other->setItemsRef(inline_);
    toInline->setSummary("same as 200");
    // A dangling reference has nothing to point at.
    components->addSchema("Doomed");
    other->setNotRef(components->schema("Doomed"));
    components->removeSchema("Doomed");

    auto doc = written(model);
    const JV* schemas = doc->root()->property("components")->property("schemas");
    EXPECT_EQ(json(schemas->property("Alias")), R"({"$ref":"#/components/schemas/Pet"})");
    // Component keys are escaped as pointer tokens, as the reader decodes them.
    EXPECT_EQ(json(schemas->property("a/b~c")), R"({"properties":{"self":{"$ref":"#/components/schemas/a~1b~0c"}}})");
    const JV* responses = doc->root()->property("paths")->property("/pets")->property("get")->property("responses");
    const JV* okSchema =
        responses->property("200")->property("content")->property("application/json")->property("schema");
    EXPECT_EQ(json(okSchema->property("items")), R"({"$ref":"#/components/schemas/Pet"})");
    const JV* otherSchema =
        responses->property("201")->property("content")->property("application/json")->property("schema");
    EXPECT_EQ(
        json(otherSchema->property("items")),
        R"({"$ref":"#/paths/~1pets/get/responses/200/content/application~1json/schema","summary":"same as 200"})");
    EXPECT_EQ(json(otherSchema->property("not")), "{}");
    EXPECT_EQ(keysInOrder(*doc, *otherSchema->property("items")), (std::vector<std::string>{"$ref", "summary"}));
}

// References are written back as the source wrote them while that text still leads to the target; a reference
// retargeted by an edit gets a pointer of the writer's own.
TEST(Writer, ReferencesKeepTheirSourceTextWhileItStillLeadsToTheTarget) {
    const std::string text = R"({"openapi": "3.1.0", "info": {"title": "t", "version": "1"},
"paths": {"/a": {"get": {"parameters": [{"name": "q", "in": "query"}], "responses": {}}},
          "/b": {"get": {"parameters": [{"$ref": "#/paths/~1a/get/parameters/0"}], "responses": {}}},
          "/c": {"$ref": "#/paths/%7E1a"},
          "/d": {"get": {"parameters": [{"$ref": "#/paths/~1b/get/parameters/0"}], "responses": {}}}},
"components": {"schemas": {"Pet": {"type": "object"}, "Alias": {"$ref": "#/components/schemas/Pet"},
    "UsesAlias": {"items": {"$ref": "#/components/schemas/Alias"}},
    "Dialect": {"$schema": "https://json-schema.org/draft/2020-12/schema#"}}}})";
    auto result = readFromString(text, FileFormat::JSON);
    ASSERT_TRUE(result->issues().empty()) << formatIssues(*result);
    std::string out;
    writeToString(result.get(), out, FileFormat::JSON);
    auto doc = jv::readString(out, FileFormat::JSON);
    auto refAt = [&](std::string_view pointer) { return std::string(doc->findNode(pointer)->stringValue()); };
    EXPECT_EQ(refAt("/paths/~1b/get/parameters/0/$ref"), "#/paths/~1a/get/parameters/0");
    EXPECT_EQ(refAt("/paths/~1c/$ref"), "#/paths/%7E1a");
    EXPECT_EQ(refAt("/paths/~1d/get/parameters/0/$ref"), "#/paths/~1b/get/parameters/0");
    EXPECT_EQ(refAt("/components/schemas/UsesAlias/items/$ref"), "#/components/schemas/Alias");
    EXPECT_EQ(refAt("/components/schemas/Dialect/$schema"), "https://json-schema.org/draft/2020-12/schema#");

    // Once the alias goes, its text would lead nowhere: the reference points at its target directly.
    result->model()->components()->removeSchema("Alias");
    // And a path renamed under a reference's feet is followed to where its path item now stands.
    result->model()->paths()->replaceUrl("/a", "/renamed");
    writeToString(result.get(), out, FileFormat::JSON);
    doc = jv::readString(out, FileFormat::JSON);
    EXPECT_EQ(refAt("/components/schemas/UsesAlias/items/$ref"), "#/components/schemas/Pet");
    EXPECT_EQ(refAt("/paths/~1c/$ref"), "#/paths/~1renamed");
    EXPECT_EQ(refAt("/paths/~1b/get/parameters/0/$ref"), "#/paths/~1renamed/get/parameters/0");
    EXPECT_EQ(refAt("/paths/~1d/get/parameters/0/$ref"), "#/paths/~1b/get/parameters/0");
}

TEST(Writer, SchemaExamplesInEitherFormAndThe30Example) {
    OpenAPI model;
    Schema* list = model.components()->addSchema("List", SchemaType::string);
    JV first("a");
    JV second(2);
    list->addListExample(&first);
    list->addListExample(&second);
    Schema* named = model.components()->addSchema("Named", SchemaType::string);
    named->setExample("one", &first);
    JV single(JV::ObjectTag{});
    single.setStringProperty("z", "last");
    single.setStringProperty("a", "first");
    named->setExampleValue(&single);

    auto doc = written(model);
    const JV* schemas = doc->root()->property("components")->property("schemas");
    EXPECT_EQ(json(schemas->property("List")), R"({"examples":["a",2],"type":"string"})");
    EXPECT_EQ(json(schemas->property("Named")),
              R"({"example":{"a":"first","z":"last"},"examples":{"one":"a"},"type":"string"})");
}

TEST(Writer, ExtensionsAndSecuritySchemes) {
    OpenAPI model;
    model.setExtension("x-b", std::make_unique<JV>(1));
    model.setExtension("x-a", std::make_unique<JV>("s"));
    Components* components = model.components();
    components->addHttpScheme("basic", HTTPSecurityScheme::Scheme::scramSha256);
    auto* oauth = components->addOAuth2Scheme("oauth");
    oauth->flows()->addClientCredentials("https://t");
    model.addSecurityRequirement()->addItem("oauth", "read");

    auto doc = written(model);
    const JV& root = *doc->root();
    EXPECT_EQ(keysInOrder(*doc, root),
              (std::vector<std::string>{"openapi", "info", "components", "paths", "security", "x-a", "x-b"}));
    const JV* schemes = root.property("components")->property("securitySchemes");
    EXPECT_EQ(json(schemes->property("basic")), R"({"scheme":"SCRAM-SHA-256","type":"http"})");
    EXPECT_EQ(json(schemes->property("oauth")),
              R"({"flows":{"clientCredentials":{"scopes":{},"tokenUrl":"https://t"}},"type":"oauth2"})");
    EXPECT_EQ(json(root.property("security")), R"([{"oauth":["read"]}])");
}

TEST(Writer, StandaloneSchemaWritesItsSubset) {
    OpenAPI model;
    Schema* schema = model.components()->addSchema("S", SchemaType::object);
    schema->setTitle("S");
    schema->setDeprecated(true);
    schema->setComment("not shown");
    schema->addProperty("id")->addType(SchemaType::integer);
    schema->addExternalDocs("https://docs")->setDescription("more");
    schema->addRequired("id");
    std::string text;
    writeToString(schema, text, FileFormat::JSON);
    auto doc = jv::readString(text, FileFormat::JSON);
    EXPECT_EQ(json(doc->root()),
              R"({"externalDocs":{"description":"more"},"properties":{"id":{"type":"integer"}},"required":["id"],)"
              R"("title":"S","type":"object"})");
    EXPECT_EQ(keysInOrder(*doc, *doc->root()),
              (std::vector<std::string>{"title", "type", "required", "properties", "externalDocs"}));
}

// A chain far deeper than any document ends in an error, not in a stack overflow.
TEST(Writer, PathologicalNestingIsRefused) {
    OpenAPI model;
    Schema* schema = model.components()->addSchema("Deep");
    for (int i = 0; i < Writer::kMaxDepth + 10; ++i) schema = schema->setItems();
    Writer writer;
    EXPECT_THROW(writer.toJV(&model), std::runtime_error);
}

}  // namespace
}  // namespace zephalon::openapi
