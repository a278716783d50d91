#include <gtest/gtest.h>

#include "zephalon/openapi/model.h"

namespace zephalon::openapi {
namespace {

TEST(Components, EveryMapResolvesAliasesAndKeepsTheFirstEntry) {
    OpenAPI document;
    Components* c = document.components();

    Response* response = c->addResponse("Ok");
    Parameter* parameter = c->addPathParameter("Id", "id");
    Example* example = c->addExample("Sample");
    RequestBody* body = c->addRequestBody("Body");
    Header* header = c->addHeader("Rate");
    Link* link = c->addLink("Next");
    Callback* callback = c->addCallback("Hook");
    PathItem* pathItem = c->addPathItem("Item");

    c->addResponseRef("OkAlias", response);
    c->addParameterRef("IdAlias", parameter);
    c->addExampleRef("SampleAlias", example);
    c->addRequestBodyRef("BodyAlias", body);
    c->addHeaderRef("RateAlias", header);
    c->addLinkRef("NextAlias", link);
    c->addCallbackRef("HookAlias", callback);
    c->addPathItemRef("ItemAlias", pathItem);

    EXPECT_EQ(c->response("OkAlias"), response);
    EXPECT_EQ(c->parameter("IdAlias"), parameter);
    EXPECT_EQ(c->example("SampleAlias"), example);
    EXPECT_EQ(c->requestBody("BodyAlias"), body);
    EXPECT_EQ(c->header("RateAlias"), header);
    EXPECT_EQ(c->link("NextAlias"), link);
    EXPECT_EQ(c->callback("HookAlias"), callback);
    EXPECT_EQ(c->pathItem("ItemAlias"), pathItem);
    EXPECT_EQ(c->responseNode("OkAlias")->type(), NodeType::Reference);

    // The first definition wins, whatever is added later under its name.
    EXPECT_EQ(c->addQueryParameter("Id", "other"), parameter);
    EXPECT_EQ(c->parameter("Id")->location(), Parameter::Location::path);
    EXPECT_EQ(c->addHeaderRef("Rate", header), nullptr);

    // A lookup of the wrong kind, or of a missing key, yields null; removing a missing key does nothing.
    EXPECT_EQ(c->schema("Ok"), nullptr);
    EXPECT_EQ(c->link("missing"), nullptr);
    c->removeLink("missing");

    c->clearResponses();
    c->clearParameters();
    c->clearExamples();
    c->clearRequestBodies();
    c->clearHeaders();
    c->clearLinks();
    c->clearCallbacks();
    c->clearPathItems();
    EXPECT_TRUE(c->isEmpty());
}

TEST(Response, HeadersContentAndLinks) {
    OpenAPI document;
    Header* shared = document.components()->addHeader("Rate");
    Operation* get = document.paths()->addItem("/a")->addOperation(HttpMethod::get);
    Response* ok = get->responses()->addResponse("200");
    ok->setDescription("fine");
    Header* own = ok->addHeader("X-Own");
    ok->addHeaderRef("X-Rate", shared);
    EXPECT_EQ(ok->addHeader("X-Rate"), nullptr);
    EXPECT_EQ(ok->header("X-Rate"), shared);
    EXPECT_EQ(ok->header("X-Own"), own);

    MediaType* json = ok->addMediaType("application/json");
    EXPECT_EQ(ok->addMediaType("application/json"), json);
    EXPECT_EQ(ok->mediaTypeKey(json), "application/json");
    EXPECT_EQ(ok->mediaTypeKey(nullptr), "");

    Link* next = ok->addLink("next");
    next->setOperationId("getNext");
    EXPECT_EQ(ok->link("next"), next);
    EXPECT_EQ(ok->linkNode("missing"), nullptr);

    Response* sharedResponse = document.components()->addResponse("NotFound");
    get->responses()->addResponseRef("404", sharedResponse);
    EXPECT_EQ(get->responses()->responseKey(sharedResponse), "404");
    EXPECT_EQ(get->responses()->responseKey(ok), "200");

    ok->removeHeader("X-Rate");
    EXPECT_TRUE(shared->references().empty());
}

TEST(MediaType, SchemaSlotEncodingAndExamples) {
    OpenAPI document;
    RequestBody* body = document.paths()->addItem("/upload")->addOperation(HttpMethod::post)->setRequestBody();
    body->setRequired(true);
    MediaType* form = body->addMediaType("multipart/form-data");
    EXPECT_EQ(body->mediaTypeKey(form), "multipart/form-data");

    Schema* object = form->setSchema(SchemaType::object);
    EXPECT_EQ(form->schema(), object);
    Schema* shared = document.components()->addSchema("Upload");
    form->setSchemaRef(shared);
    EXPECT_EQ(form->schema(), shared);
    EXPECT_EQ(form->schemaNode()->type(), NodeType::Reference);
    form->removeSchema();
    EXPECT_TRUE(shared->references().empty());

    Encoding* file = form->addEncoding("file");
    file->setStyle("spaceDelimited");
    EXPECT_EQ(file->style(), Encoding::Style::spaceDelimited);
    file->addHeader("X-Checksum")->setRequired(true);
    EXPECT_TRUE(file->header("X-Checksum")->required());
    EXPECT_EQ(form->encoding("file"), file);
    form->removeEncoding("file");
    EXPECT_EQ(form->encoding("file"), nullptr);

    jv::JV sample("data");
    form->examples().setEmbeddedExample(&sample);
    EXPECT_EQ(form->examples().embeddedExample()->stringValue(), "data");
}

TEST(Values, CopiesAreIndependentOfTheirSource) {
    OpenAPI document;
    Example* example = document.components()->addExample("E");
    jv::JV value(jv::JV::ObjectTag{});
    value.setIntProperty("n", 1);
    example->setValue(&value);
    value.setIntProperty("n", 2);
    EXPECT_EQ(example->value()->property("n")->numberValue().compare(number::Number(std::int64_t{1})), 0);
    example->removeValue();
    EXPECT_EQ(example->value(), nullptr);

    Link* link = document.components()->addLink("L");
    jv::JV* id = link->addParameter("id");
    EXPECT_EQ(link->addParameter("id"), id);
    jv::JV expression("$response.body#/id");
    link->setParameter("id", &expression);
    EXPECT_EQ(link->parameter("id")->stringValue(), "$response.body#/id");
    EXPECT_TRUE(link->setRequestBody()->isNull());
    link->setRequestBody(&value);
    EXPECT_TRUE(link->requestBody()->equal(value));
    link->removeParameter("id");
    EXPECT_EQ(link->parameter("id"), nullptr);

    Schema* schema = document.components()->addSchema("S");
    schema->setDefaultValue(&value);
    value.setIntProperty("n", 3);
    EXPECT_FALSE(schema->defaultValue()->equal(value));
}

TEST(Info, OptionalPartsAreCreatedOnce) {
    OpenAPI document;
    document.setTitle("Pets");
    document.setVersion("1.0.0");
    Info* info = document.info();
    EXPECT_EQ(info->title(), "Pets");
    EXPECT_EQ(info->version(), "1.0.0");
    EXPECT_FALSE(info->summary().has_value());
    info->setSummary("");
    EXPECT_EQ(info->summary(), "");  // empty differs from absent
    info->removeSummary();
    EXPECT_FALSE(info->summary().has_value());

    Contact* contact = info->addContact();
    EXPECT_EQ(info->addContact(), contact);
    License* license = info->addLicense("MIT");
    EXPECT_EQ(info->addLicense("Apache-2.0"), license);
    EXPECT_EQ(license->name(), "MIT");
    info->removeLicense();
    EXPECT_EQ(info->license(), nullptr);

    ExternalDocumentation* docs = document.addExternalDocs("https://example.com");
    EXPECT_EQ(document.addExternalDocs("https://other.example.com"), docs);
    EXPECT_EQ(docs->url(), "https://example.com");
}

TEST(Schema, SubschemaShapes) {
    OpenAPI document;
    Schema* shared = document.components()->addSchema("Shared");
    Schema* schema = document.components()->addSchema("S");

    Schema* first = schema->addAllOf();
    schema->addAllOfRef(shared);
    EXPECT_EQ(schema->allOf(0), first);
    EXPECT_EQ(schema->allOf(1), shared);
    EXPECT_EQ(schema->allOf(2), nullptr);
    schema->removeAllOf(0);
    EXPECT_EQ(schema->allOf(0), shared);

    Schema* name = schema->addProperty("name");
    EXPECT_EQ(schema->addProperty("name"), name);
    EXPECT_EQ(schema->addPropertyRef("name", shared), nullptr);
    schema->addPropertyRef("other", shared);
    EXPECT_EQ(schema->property("other"), shared);
    EXPECT_EQ(shared->references().size(), 2U);

    Schema* items = schema->setItems();
    EXPECT_EQ(schema->items(), items);
    schema->setItemsRef(shared);  // replacing the slot destroys the previous schema
    EXPECT_EQ(schema->items(), shared);

    schema->addDefinition("Local");
    schema->setIfRef(shared);
    EXPECT_EQ(schema->ifSchema(), shared);
    EXPECT_EQ(schema->definition("Local")->parent(), schema);

    document.components()->removeSchema("S");
    EXPECT_TRUE(shared->references().empty());
}

}  // namespace
}  // namespace zephalon::openapi
