#include "zephalon/openapi/visitor.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "zephalon/openapi/model.h"

namespace zephalon::openapi {
namespace {

// Records the order of handled nodes and how often each was handled.
class Recorder : public NodeVisitHandler {
  public:
    void handle(const Schema* schema) override { schemas.push_back(schema); }
    void handle(const Operation* operation) override { operations.push_back(operation); }
    void handleNode(const Node* node) override {
        order.push_back(node);
        ++counts[node];
        EXPECT_NE(node->type(), NodeType::Reference);
        EXPECT_EQ(nodesWhenVisited, -1) << "a node came after the end of the walk";
    }
    void documentVisited() override {
        EXPECT_EQ(nodesWhenVisited, -1) << "the end of the walk came twice";
        nodesWhenVisited = static_cast<int>(order.size());
    }

    std::vector<const Node*> order;
    std::vector<const Schema*> schemas;
    std::vector<const Operation*> operations;
    std::map<const Node*, int> counts;
    // How many nodes had been handled when the end of the walk was announced; -1 before.
    int nodesWhenVisited = -1;
};

std::size_t position(const std::vector<const Node*>& order, const Node* node) {
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (order[i] == node) return i;
    }
    return order.size();
}

Operation* addOperation(OpenAPI& model, const char* path, HttpMethod method, Schema* responseSchema) {
    Operation* operation = model.paths()->addItem(path)->addOperation(method);
    Response* response = operation->responses()->addResponse("200");
    if (responseSchema != nullptr) response->addMediaType("application/json")->setSchemaRef(responseSchema);
    return operation;
}

TEST(NodeVisitor, SharedSchemaIsHandledOnceWhereFirstReached) {
    OpenAPI model;
    Schema* pet = model.components()->addSchema("Pet", SchemaType::object);
    Operation* first = addOperation(model, "/a", HttpMethod::get, pet);
    addOperation(model, "/b", HttpMethod::get, pet);
    addOperation(model, "/c", HttpMethod::get, pet);

    Recorder recorder;
    visitNodes(&model, recorder);
    for (const auto& [node, count] : recorder.counts) EXPECT_EQ(count, 1) << nodeTypeToString(node->type());
    EXPECT_EQ(recorder.counts[pet], 1);
    // Reached through the first operation's response, long before components.
    const std::size_t petAt = position(recorder.order, pet);
    EXPECT_GT(petAt, position(recorder.order, first));
    EXPECT_LT(petAt, position(recorder.order, model.components()));
    EXPECT_LT(petAt, position(recorder.order, model.paths()->item("/b")));
    EXPECT_EQ(recorder.nodesWhenVisited, static_cast<int>(recorder.order.size()));
}

TEST(NodeVisitor, CyclesOfReferencesEnd) {
    OpenAPI model;
    Schema* node = model.components()->addSchema("Node", SchemaType::object);
    node->addPropertyRef("next", node);
    Schema* a = model.components()->addSchema("A");
    Schema* b = model.components()->addSchema("B");
    a->setItemsRef(b);
    b->addAllOfRef(a);
    b->setNotRef(b);

    Recorder recorder;
    visitNodes(&model, recorder);
    EXPECT_EQ(recorder.schemas.size(), 3u);
    for (const auto& [visited, count] : recorder.counts) EXPECT_EQ(count, 1);
    // Components are walked in key order: A, then B through A, then Node.
    EXPECT_EQ(recorder.schemas, (std::vector<const Schema*>{a, b, node}));
}

TEST(NodeVisitor, OperationsOfPathsWebhooksAndCallbacksInMethodOrder) {
    OpenAPI model;
    PathItem* item = model.paths()->addItem("/x");
    Operation* post = item->addOperation(HttpMethod::post);
    Operation* get = item->addOperation(HttpMethod::get);
    Operation* hook = model.addWebhook("changed")->addOperation(HttpMethod::put);
    Operation* called = post->addCallback("done")->addItem("{$request.body#/url}")->addOperation(HttpMethod::post);
    // A path item reached twice: through paths and through components.
    PathItem* shared = model.components()->addPathItem("Shared");
    Operation* sharedGet = shared->addOperation(HttpMethod::get);
    model.paths()->addItemRef("/shared", shared);

    Recorder recorder;
    visitNodes(&model, recorder);
    EXPECT_EQ(recorder.operations, (std::vector<const Operation*>{sharedGet, get, post, called, hook}));
}

TEST(NodeVisitor, ChildrenFollowTheirOwnersInDocumentOrder) {
    OpenAPI model;
    Tag* tag = model.addTag("t");
    Operation* operation = model.paths()->addItem("/x")->addOperation(HttpMethod::get);
    operation->addTag("t");
    Parameter* parameter = operation->addQueryParameter("q");
    Schema* parameterSchema = parameter->schemaOrContent().setSchema();
    Example* example = parameter->examples().addExternalExample("e");
    RequestBody* body = operation->setRequestBody();
    MediaType* mediaType = body->addMediaType("application/json");
    Schema* bodySchema = mediaType->setSchema(SchemaType::object);
    Schema* property = bodySchema->addProperty("p");
    bodySchema->setDiscriminator("kind");

    Recorder recorder;
    visitNodes(&model, recorder);
    const std::vector<const Node*> expected{operation, tag,       parameter,  example,  parameterSchema,
                                            body,      mediaType, bodySchema, property, bodySchema->discriminator()};
    std::size_t last = 0;
    for (const Node* node : expected) {
        std::size_t at = position(recorder.order, node);
        ASSERT_LT(at, recorder.order.size()) << nodeTypeToString(node->type());
        EXPECT_GT(at, last) << nodeTypeToString(node->type());
        last = at;
    }
    // The tag was handled inside the operation, so the root's tag list does not handle it again.
    EXPECT_EQ(recorder.counts[tag], 1);
}

// Visits that start inside or above what earlier visits of the same visitor walked, in either order.
TEST(NodeVisitor, LaterVisitsSkipWhatEarlierOnesHandled) {
    OpenAPI model;
    Parameter* parameter = model.paths()->addItem("/x")->addOperation(HttpMethod::get)->addQueryParameter("q");
    Example* example = parameter->examples().addExternalExample("e");
    Schema* shared = model.components()->addSchema("Shared", SchemaType::object);
    Schema* inner = shared->addProperty("inner");
    Schema* deep = inner->addProperty("deep");
    parameter->schemaOrContent().setSchemaRef(shared);

    Recorder recorder;
    NodeVisitor visitor(recorder);
    visitor.visit(parameter->examples());
    visitor.visit(deep);
    visitor.visit(parameter);
    EXPECT_EQ(recorder.counts[example], 1);
    EXPECT_EQ(recorder.counts[deep], 1);
    EXPECT_EQ(recorder.counts[inner], 1);
    // Below a node an earlier visit handled, through its owners: nothing is handled again.
    const std::size_t handled = recorder.order.size();
    visitor.visit(inner);
    visitor.visit(deep);
    visitor.visit(&model);
    for (const auto& [node, count] : recorder.counts) EXPECT_EQ(count, 1) << nodeTypeToString(node->type());
    EXPECT_GT(recorder.order.size(), handled);
}

TEST(NodeVisitor, DeepNestingDoesNotExhaustTheStack) {
    OpenAPI model;
    Schema* schema = model.components()->addSchema("Deep");
    std::vector<Schema*> chain{schema};
    for (int i = 0; i < 20000; ++i) chain.push_back(chain.back()->setItems());
    Recorder recorder;
    visitNodes(&model, recorder);
    EXPECT_EQ(recorder.schemas.size(), chain.size());
    EXPECT_EQ(recorder.schemas.back(), chain.back());
    // Tear the chain down from the bottom: the model's own destruction recurses.
    for (auto it = chain.rbegin() + 1; it != chain.rend(); ++it) (*it)->removeItems();
}

TEST(NodeVisitor, ASecondVisitorHandlesEverythingAgain) {
    OpenAPI model;
    model.components()->addSchema("S");
    Recorder first;
    visitNodes(&model, first);
    Recorder second;
    visitNodes(&model, second);
    EXPECT_EQ(first.order, second.order);
    EXPECT_FALSE(first.order.empty());
}

TEST(OperationIterator, PathsOnlyInPathAndMethodOrder) {
    OpenAPI model;
    EXPECT_TRUE(OperationIterator(&model).begin() == OperationIterator(&model).end());

    model.paths()->addItem("/empty");
    PathItem* b = model.paths()->addItem("/b");
    Operation* bPost = b->addOperation(HttpMethod::post);
    Operation* bGet = b->addOperation(HttpMethod::get);
    Operation* aDelete = model.paths()->addItem("/a")->addOperation(HttpMethod::delete_);
    model.addWebhook("hook")->addOperation(HttpMethod::get);
    PathItem* shared = model.components()->addPathItem("Shared");
    Operation* sharedPatch = shared->addOperation(HttpMethod::patch);
    model.paths()->addItemRef("/c", shared);
    // A dangling path entry is skipped.
    PathItem* doomed = model.components()->addPathItem("Doomed");
    doomed->addOperation(HttpMethod::get);
    model.paths()->addItemRef("/d", doomed);
    model.components()->removePathItem("Doomed");

    std::vector<std::tuple<std::string, HttpMethod, const Operation*>> seen;
    OperationIterator operations(&model);
    for (auto it = operations.begin(); it != operations.end(); it++) {
        seen.emplace_back(it->path, it->method, it->operation);
        EXPECT_EQ(it->pathItem, model.paths()->item(it->path));
    }
    const std::vector<std::tuple<std::string, HttpMethod, const Operation*>> expected{
        {"/a", HttpMethod::delete_, aDelete},
        {"/b", HttpMethod::get, bGet},
        {"/b", HttpMethod::post, bPost},
        {"/c", HttpMethod::patch, sharedPatch},
    };
    EXPECT_EQ(seen, expected);
}

}  // namespace
}  // namespace zephalon::openapi
