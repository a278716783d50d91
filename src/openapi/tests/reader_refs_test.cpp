// Reference resolution: schema forward links, component aliases, unresolved references of every kind.

#include <gtest/gtest.h>

#include "reader_test_util.h"

namespace zephalon::openapi {
namespace {

using testing::document;
using testing::messages;
using testing::readJson;

TEST(ReaderRefs, ForwardSelfAndMutualSchemaReferencesResolve) {
    auto result = readJson(document("3.1.0", R"("schemas": {
        "A": {"properties": {"b": {"$ref": "#/components/schemas/B"}, "self": {"$ref": "#/components/schemas/A"}}},
        "B": {"items": {"$ref": "#/components/schemas/A"}}
    })"));
    EXPECT_TRUE(result->issues().empty()) << messages(*result).front();
    const Components* components = result->model()->components();
    const Schema* a = components->schema("A");
    const Schema* b = components->schema("B");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->property("b"), b);
    EXPECT_EQ(a->property("self"), a);
    EXPECT_EQ(b->items(), a);
    // The stand-in target is gone: every reference now points at a schema stored in the components.
    auto* ref = dynamic_cast<const Reference*>(a->propertyNode("b"));
    ASSERT_NE(ref, nullptr);
    EXPECT_EQ(ref->node(), b);
    EXPECT_EQ(b->references().size(), 1u);
}

TEST(ReaderRefs, UnresolvedSchemaReferencesAreReportedInTextOrderWithPositions) {
    auto result = readJson(document("3.0.3", R"("schemas": {
        "A": {"properties": {"z": {"$ref": "#/components/schemas/Zed"}, "m": {"$ref": "#/components/schemas/Missing"}}},
        "B": {"$ref": "#/definitions/Elsewhere"}
    })"));
    EXPECT_EQ(messages(*result), (std::vector<std::string>{
                                     "Unresolved references found",
                                     "Unresolved reference: #/components/schemas/Missing",
                                     "Unresolved reference: #/components/schemas/Zed",
                                     "Unresolved reference: #/definitions/Elsewhere",
                                 }));
    for (const Issue& issue : result->issues()) {
        EXPECT_TRUE(result->issuePos(issue).known()) << issue.message;
    }
    EXPECT_EQ(result->issuePos(result->issues()[1]).line, 3);
    // The slot keeps its reference, now without a target, and resolving it is harmless.
    const Schema* a = result->model()->components()->schema("A");
    auto* dangling = dynamic_cast<const Reference*>(a->propertyNode("m"));
    ASSERT_NE(dangling, nullptr);
    EXPECT_EQ(dangling->node(), nullptr);
    EXPECT_EQ(a->property("m"), nullptr);
    EXPECT_THROW(checkedReadFromString(document("3.0.3", R"("schemas": {"A": {"$ref": "#/x"}})"), FileFormat::JSON),
                 std::runtime_error);
}

TEST(ReaderRefs, ComponentAliasesAreReferencesWhateverTheOrder) {
    auto result = readJson(document("3.1.0", R"(
        "schemas": {
            "Alias": {"$ref": "#/components/schemas/Middle", "description": "an alias"},
            "Middle": {"$ref": "#/components/schemas/Pet"},
            "Pet": {"type": "object"},
            "User": {"properties": {"pet": {"$ref": "#/components/schemas/Alias"}}}
        },
        "responses": {
            "Early": {"$ref": "#/components/responses/Late"},
            "Late": {"description": "late"}
        })"));
    ASSERT_TRUE(result->issues().empty()) << messages(*result).front();
    const Components* components = result->model()->components();
    const Schema* pet = components->schema("Pet");
    auto* alias = dynamic_cast<const Reference*>(components->schemaNode("Alias"));
    ASSERT_NE(alias, nullptr);
    EXPECT_EQ(alias->node(), pet);
    EXPECT_EQ(alias->description(), "an alias");
    EXPECT_EQ(components->schema("Middle"), pet);
    EXPECT_EQ(components->schema("User")->property("pet"), pet);
    auto* early = dynamic_cast<const Reference*>(components->responseNode("Early"));
    ASSERT_NE(early, nullptr);
    EXPECT_EQ(early->node(), components->response("Late"));
}

TEST(ReaderRefs, AliasCyclesEndInIssuesNotHangs) {
    auto result = readJson(document("3.1.0", R"(
        "schemas": {"A": {"$ref": "#/components/schemas/B"}, "B": {"$ref": "#/components/schemas/A"},
                    "Self": {"$ref": "#/components/schemas/Self"}},
        "responses": {"R": {"$ref": "#/components/responses/S"}, "S": {"$ref": "#/components/responses/R"}})"));
    std::vector<std::string> found = messages(*result);
    EXPECT_NE(std::find(found.begin(), found.end(), "Unresolved reference: #/components/responses/S"), found.end());
    EXPECT_NE(std::find(found.begin(), found.end(), "Unresolved reference: #/components/schemas/Self"), found.end());
    EXPECT_NE(std::find(found.begin(), found.end(), "Unresolved references found"), found.end());
}

TEST(ReaderRefs, PointerEscapesAndPercentEncodingAreDecoded) {
    auto result = readJson(document("3.1.0", R"("schemas": {
        "a/b~c": {"type": "string"},
        "Escaped": {"$ref": "#/components/schemas/a~1b~0c"},
        "Encoded": {"$ref": "#/components/schemas/a~1b%7E0c"},
        "Literal": {"$ref": "#/components/schemas/a/b~c"}
    })"));
    EXPECT_EQ(messages(*result), (std::vector<std::string>{"Unresolved references found",
                                                           "Unresolved reference: #/components/schemas/a/b~c"}));
    const Components* components = result->model()->components();
    EXPECT_EQ(components->schema("Escaped"), components->schema("a/b~c"));
    EXPECT_EQ(components->schema("Encoded"), components->schema("a/b~c"));
}

// One unresolved reference per kind, each in a slot of its own kind.
TEST(ReaderRefs, UnresolvedReferencesOfEveryOtherKindLeaveTheSlotEmpty) {
    auto result = readJson(document("3.1.0", R"(
        "responses": {"Ok": {"description": "ok", "links": {"l": {"$ref": "#/components/links/NoLink"}},
                             "headers": {"h": {"$ref": "#/components/headers/NoHeader"}}}},
        "pathItems": {"P": {"get": {"responses": {}}}})",
                                    R"(
        "/a": {"get": {
            "parameters": [{"$ref": "#/components/parameters/NoParam"}],
            "requestBody": {"$ref": "#/components/requestBodies/NoBody"},
            "responses": {"200": {"$ref": "#/components/responses/NoResponse"},
                          "201": {"description": "c", "content": {"application/json": {
                              "examples": {"e": {"$ref": "#/components/examples/NoExample"}}}}}},
            "callbacks": {"cb": {"$ref": "#/components/callbacks/NoCallback"}}}},
        "/b": {"$ref": "#/components/pathItems/NoItem"},
        "/c": {"$ref": "#/components/pathItems/P"})"));
    EXPECT_EQ(messages(*result), (std::vector<std::string>{
                                     "Unresolved reference: #/components/headers/NoHeader",
                                     "Unresolved reference: #/components/links/NoLink",
                                     "Unresolved reference: #/components/parameters/NoParam",
                                     "Unresolved reference: #/components/requestBodies/NoBody",
                                     "Unresolved reference: #/components/responses/NoResponse",
                                     "Unresolved reference: #/components/examples/NoExample",
                                     "Unresolved reference: #/components/callbacks/NoCallback",
                                     "Unresolved reference: #/components/pathItems/NoItem",
                                 }));
    for (const Issue& issue : result->issues()) EXPECT_TRUE(result->issuePos(issue).known()) << issue.message;
    const Paths* paths = result->model()->paths();
    const Operation* get = paths->item("/a")->operation(HttpMethod::get);
    EXPECT_TRUE(get->parameters().empty());
    EXPECT_EQ(get->requestBodyNode(), nullptr);
    EXPECT_EQ(get->responses()->responseNode("200"), nullptr);
    EXPECT_EQ(get->callbackNode("cb"), nullptr);
    EXPECT_EQ(paths->itemNode("/b"), nullptr);
    EXPECT_EQ(paths->item("/c"), result->model()->components()->pathItem("P"));
    const Response* ok = result->model()->components()->response("Ok");
    EXPECT_TRUE(ok->links().empty());
    EXPECT_TRUE(ok->headers().empty());
}

TEST(ReaderRefs, AReferenceToANodeOfAnotherKindIsReportedAsSuch) {
    auto result = readJson(document("3.0.3", R"("schemas": {"S": {}}, "responses": {"R": {"description": "r"}})",
                                    R"("/a": {"get": {"responses": {
        "200": {"$ref": "#/components/schemas/S"},
        "201": {"$ref": "#/paths/~1a/get/responses/202"},
        "202": {"description": "ok", "content": {"application/json": {
            "schema": {"$ref": "#/components/responses/R"}, "example": {"x": 1}}}},
        "203": {"description": "ok", "content": {"application/json": {
            "schema": {"$ref": "#/paths/~1a/get/responses/202/content/application~1json/example"}}}}}}})"));
    EXPECT_EQ(messages(*result), (std::vector<std::string>{
                                     "Reference target is not a response: #/components/schemas/S",
                                     "Reference target is not a schema: #/components/responses/R",
                                     "Reference target is not a schema: "
                                     "#/paths/~1a/get/responses/202/content/application~1json/example",
                                 }));
    for (const Issue& issue : result->issues()) EXPECT_TRUE(result->issuePos(issue).known()) << issue.message;
    const Responses* responses = result->model()->paths()->item("/a")->operation(HttpMethod::get)->responses();
    EXPECT_EQ(responses->responseNode("200"), nullptr);
    // A forward reference to a response read later in the same map.
    EXPECT_EQ(responses->response("201"), responses->response("202"));
}

// References into any place of the document: the target is the node read there, of the kind the slot expects,
// whether it comes before or after the reference.
TEST(ReaderRefs, ReferencesToAnyPlaceResolve) {
    auto result = readJson(document("3.1.0", R"("schemas": {
        "Pet": {"type": "object", "properties": {"owner": {"type": "object", "properties": {
            "pets": {"type": "array", "items": {"$ref": "#/components/schemas/Pet"}}}}}},
        "Owner": {"$ref": "#/components/schemas/Pet/properties/owner"},
        "Friends": {"$ref": "#/components/schemas/Pet/properties/owner/properties/pets/items"},
        "Later": {"$ref": "#/paths/~1z/get/responses/200/content/application~1json/schema"}})",
                                    R"(
        "/a": {"get": {"parameters": [{"$ref": "#/paths/~1z/get/parameters/0"}], "responses": {}}},
        "/b": {"$ref": "#/paths/~1z"},
        "/c": {"$ref": "#/paths/~1b"},
        "/z": {"get": {"parameters": [{"name": "q", "in": "query"}], "responses": {"200": {"description": "ok",
            "content": {"application/json": {"schema": {"type": "object", "properties": {
                "loop": {"type": "array", "items": {
                    "$ref": "#/paths/~1z/get/responses/200/content/application~1json/schema/properties/loop"}}}}}}}}}})"));
    ASSERT_EQ(messages(*result), std::vector<std::string>{});
    const OpenAPI* model = result->model();
    const Components* components = model->components();
    const Schema* pet = components->schema("Pet");
    EXPECT_EQ(components->schema("Owner"), pet->property("owner"));
    EXPECT_EQ(components->schema("Friends"), pet);
    const PathItem* z = model->paths()->item("/z");
    EXPECT_EQ(model->paths()->item("/b"), z);
    EXPECT_EQ(model->paths()->item("/c"), z);
    const Operation* get = z->operation(HttpMethod::get);
    EXPECT_EQ(model->paths()->item("/a")->operation(HttpMethod::get)->parameter(0), get->parameter(0));
    const Schema* body = get->responses()->response("200")->mediaType("application/json")->schema();
    EXPECT_EQ(components->schema("Later"), body);
    const Schema* loop = body->property("loop");
    EXPECT_EQ(loop->items(), loop);
}

TEST(ReaderRefs, ReferencesThatLeadNowhereOrAroundACycleAreUnresolved) {
    auto result = readJson(document("3.1.0", R"("parameters": {"P": {"name": "p", "in": "query"}})",
                                    R"(
        "/a": {"parameters": [{"$ref": "#/paths/~1a/parameters/1"}, {"$ref": "#/paths/~1a/parameters/0"},
                              {"$ref": "#/paths/~1nowhere/parameters/0"}, {"$ref": "other.yaml#/x"}]},
        "/b": {"$ref": "#/paths/~1c"},
        "/c": {"$ref": "#/paths/~1b"})"));
    EXPECT_EQ(messages(*result),
              (std::vector<std::string>{
                  "Unresolved reference: #/paths/~1nowhere/parameters/0",
                  "Reference to another file in a document that was not read from a file: other.yaml#/x",
                  "Unresolved reference: #/paths/~1a/parameters/0",
                  "Unresolved reference: #/paths/~1a/parameters/1",
                  "Unresolved reference: #/paths/~1b",
                  "Unresolved reference: #/paths/~1c",
              }));
    for (const Issue& issue : result->issues()) EXPECT_TRUE(result->issuePos(issue).known()) << issue.message;
    const PathItem* a = result->model()->paths()->item("/a");
    ASSERT_EQ(a->parameters().size(), 2u);
    EXPECT_EQ(a->parameter(0), nullptr);
    EXPECT_EQ(a->parameter(1), nullptr);
    EXPECT_EQ(result->model()->paths()->item("/b"), nullptr);
}

TEST(ReaderRefs, CallbackPathItemReferencesAreReadInPlaceAndCyclesStop) {
    auto result = readJson(document("3.1.0", R"(
        "pathItems": {
            "Hook": {"post": {"responses": {"200": {"description": "ok"}}}},
            "Loop": {"post": {"callbacks": {"again": {"{$request.body#/url}": {"$ref": "#/components/pathItems/Loop"}}},
                              "responses": {}}}
        })",
                                    R"("/s": {"post": {"responses": {},
        "callbacks": {"done": {"{$request.body#/cb}": {"$ref": "#/components/pathItems/Hook"}}}}})"));
    // The loop is cut where it closes, inside the components entry, with an issue instead of endless recursion.
    EXPECT_EQ(messages(*result), (std::vector<std::string>{"Circular reference: #/components/pathItems/Loop"}));
    const Callback* done = result->model()->paths()->item("/s")->operation(HttpMethod::post)->callback("done");
    ASSERT_NE(done, nullptr);
    const PathItem* hook = done->item("{$request.body#/cb}");
    ASSERT_NE(hook, nullptr);
    EXPECT_NE(hook->operation(HttpMethod::post), nullptr);
}

TEST(ReaderRefs, ReferenceSummaryDescriptionAndExtensionsAreKept) {
    auto result = readJson(document("3.1.0", R"("parameters": {"P": {"name": "p", "in": "query"}})",
                                    R"("/a": {"parameters": [{"$ref": "#/components/parameters/P",
        "summary": "s", "description": "d", "x-note": 1}]})"));
    ASSERT_TRUE(result->issues().empty());
    const PathItem* item = result->model()->paths()->item("/a");
    auto* ref = dynamic_cast<const Reference*>(item->parameters().at(0).get());
    ASSERT_NE(ref, nullptr);
    EXPECT_EQ(ref->summary(), "s");
    EXPECT_EQ(ref->description(), "d");
    ASSERT_NE(ref->extension("x-note"), nullptr);
    EXPECT_EQ(item->parameter(0), result->model()->components()->parameter("P"));
}

}  // namespace
}  // namespace zephalon::openapi
