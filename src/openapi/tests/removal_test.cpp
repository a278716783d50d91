// Clearing and removing children: every container of the model detaches what it removes before destroying it, so
// that whoever hears the events of a dying subtree sees a consistent model, and no Reference outlives its target.
// Run under the sanitizers, a half-cleared container or a dangling Reference read by the walks below is an error.

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi/visitor.h"

namespace zephalon::openapi {
namespace {

// Reads every node it reaches, and every Reference that claims to point at it.
class ConsistencyCheck : public NodeVisitHandler {
  public:
    void handleNode(const Node* node) override {
        ++nodes;
        for (const Reference* reference : node->references()) EXPECT_EQ(reference->node(), node);
    }
    std::size_t nodes = 0;
};

// A node above the subtrees under test that hears their events, as any ancestor does, and walks everything below
// it each time. Its kind does not matter: nothing in the model looks for a Tag above itself.
class Listener final : public Node {
  public:
    Listener() : Node(nullptr, NodeType::Tag) {}
    ~Listener() override { listening_ = false; }

    void handleEvent(NodeEvent& event) override {
        if (!listening_) return;
        if (const auto* removed = std::get_if<OperationRemovedEvent>(&event)) {
            removed_.insert(removed->operationId.value_or("?"));
        }
        walk();
    }

    void walk() const {
        ConsistencyCheck check;
        NodeVisitor visitor(check);
        visitor.visit(&components);
        visitor.visit(&paths);
        EXPECT_GT(check.nodes, 1u);
    }

    std::set<std::string> takeRemoved() { return std::exchange(removed_, {}); }

    Components components{this};
    Paths paths{this};

  private:
    bool listening_ = true;
    std::set<std::string> removed_;
};

Operation* addOperation(PathItem* item, HttpMethod method, std::string id) {
    Operation* operation = item->addOperation(method);
    operation->setOperationId(std::move(id));
    return operation;
}

// Every kind of container holds nodes that references elsewhere point at, references to nodes elsewhere, and (up
// the chain to the listener) operations.
void build(Listener& top) {
    Components& c = top.components;
    Schema* owner = c.addSchema("Owner", SchemaType::object);
    Schema* pet = c.addSchema("Pet", SchemaType::object);
    pet->addProperty("name")->addType(SchemaType::string);
    pet->addPropertyRef("owner", owner);
    pet->addPrefixItem();
    pet->addPrefixItemRef(owner);
    pet->addAllOfRef(owner);
    pet->addAnyOf();
    pet->addOneOfRef(pet);
    pet->addPatternPropertyRef("^x-", owner);
    pet->addDependentSchema("name")->addRequired("owner");
    pet->addDefinition("Inner")->setItemsRef(pet);
    c.addSchemaRef("Alias", pet);

    Header* rate = c.addHeader("Rate");
    rate->schemaOrContent().setSchemaRef(owner);
    Example* sample = c.addExample("Sample");
    Link* self = c.addLink("Self");
    self->setServer("https://example.com");
    c.addApiKeyScheme("key", "X-Key", ApiKeySecurityScheme::Location::header);

    Response* ok = c.addResponse("Ok");
    ok->addHeaderRef("X-Rate", rate);
    ok->addHeader("X-Own")->examples().addExternalExampleRef("s", sample);
    MediaType* json = ok->addMediaType("application/json");
    json->setSchemaRef(pet);
    json->addEncoding("part")->addHeaderRef("X-Part", rate);
    json->examples().addExternalExample("inline");
    ok->addLinkRef("self", self);

    Parameter* id = c.addPathParameter("Id", "id");
    id->schemaOrContent().setSchemaRef(owner);
    c.addParameterRef("IdAlias", id);
    RequestBody* body = c.addRequestBody("Body");
    body->addMediaType("application/json")->setSchemaRef(pet);

    Callback* hook = c.addCallback("Hook");
    addOperation(hook->addItem("{$request.body#/url}"), HttpMethod::post, "hookPost");
    PathItem* shared = c.addPathItem("Shared");
    addOperation(shared, HttpMethod::get, "sharedGet");
    shared->addServer("https://{region}.example.com");
    shared->addParameterRef(id);

    PathItem* pets = top.paths.addItem("/pets/{id}");
    pets->addParameterRef(id);
    pets->addServer("https://example.com");
    Operation* get = addOperation(pets, HttpMethod::get, "getPet");
    get->addParameterRef(id);
    get->addQueryParameter("q")->schemaOrContent().setMediaType("text/plain")->setSchemaRef(pet);
    get->setRequestBodyRef(body);
    get->responses()->addResponseRef("200", ok);
    get->responses()->addResponse("default")->addMediaType("application/json")->setSchema(SchemaType::string);
    get->addCallbackRef("onHook", hook);
    addOperation(get->addCallback("inline")->addItem("{$url}"), HttpMethod::put, "inlinePut");
    get->addSecurityRequirement();
    get->addServer("https://example.com");
    addOperation(pets, HttpMethod::post, "createPet")->setRequestBody()->addMediaType("a/b");
    top.paths.addItemRef("/shared", shared);
}

struct Case {
    std::string name;
    std::function<void(Listener&)> change;
    std::set<std::string> removedOperations;
};

PathItem* pets(Listener& top) { return top.paths.item("/pets/{id}"); }
Operation* getPet(Listener& top) { return pets(top)->operation(HttpMethod::get); }
Schema* pet(Listener& top) { return top.components.schema("Pet"); }
Response* ok(Listener& top) { return top.components.response("Ok"); }

TEST(Removal, EveryClearDetachesBeforeDestroyingAndTellsTheListeners) {
    const std::set<std::string> none;
    const std::vector<Case> cases = {
        {"Components::clearSchemas", [](Listener& t) { t.components.clearSchemas(); }, none},
        {"Components::clearResponses", [](Listener& t) { t.components.clearResponses(); }, none},
        {"Components::clearParameters", [](Listener& t) { t.components.clearParameters(); }, none},
        {"Components::clearExamples", [](Listener& t) { t.components.clearExamples(); }, none},
        {"Components::clearRequestBodies", [](Listener& t) { t.components.clearRequestBodies(); }, none},
        {"Components::clearHeaders", [](Listener& t) { t.components.clearHeaders(); }, none},
        {"Components::clearSecuritySchemes", [](Listener& t) { t.components.clearSecuritySchemes(); }, none},
        {"Components::clearLinks", [](Listener& t) { t.components.clearLinks(); }, none},
        {"Components::clearCallbacks", [](Listener& t) { t.components.clearCallbacks(); }, {"hookPost"}},
        {"Components::clearPathItems", [](Listener& t) { t.components.clearPathItems(); }, {"sharedGet"}},
        {"Paths::clearItems", [](Listener& t) { t.paths.clearItems(); }, {"getPet", "createPet", "inlinePut"}},
        {"Paths::removeItem", [](Listener& t) { t.paths.removeItem("/pets/{id}"); },
         {"getPet", "createPet", "inlinePut"}},
        {"PathItem::clearOperations", [](Listener& t) { pets(t)->clearOperations(); },
         {"getPet", "createPet", "inlinePut"}},
        {"PathItem::removeOperation", [](Listener& t) { pets(t)->removeOperation(HttpMethod::get); },
         {"getPet", "inlinePut"}},
        {"PathItem::clearServers", [](Listener& t) { pets(t)->clearServers(); }, none},
        {"PathItem::clearParameters", [](Listener& t) { pets(t)->clearParameters(); }, none},
        {"Callback::clearItems", [](Listener& t) { t.components.callback("Hook")->clearItems(); }, {"hookPost"}},
        {"Operation::clearParameters", [](Listener& t) { getPet(t)->clearParameters(); }, none},
        {"Operation::clearCallbacks", [](Listener& t) { getPet(t)->clearCallbacks(); }, {"inlinePut"}},
        {"Operation::clearSecurityRequirements", [](Listener& t) { getPet(t)->clearSecurityRequirements(); }, none},
        {"Operation::clearServers", [](Listener& t) { getPet(t)->clearServers(); }, none},
        {"Operation::removeRequestBody", [](Listener& t) { getPet(t)->removeRequestBody(); }, none},
        {"Responses::clearResponses", [](Listener& t) { getPet(t)->responses()->clearResponses(); }, none},
        {"Response::clearHeaders", [](Listener& t) { ok(t)->clearHeaders(); }, none},
        {"Response::clearMediaTypes", [](Listener& t) { ok(t)->clearMediaTypes(); }, none},
        {"Response::clearLinks", [](Listener& t) { ok(t)->clearLinks(); }, none},
        {"RequestBody::clearMediaTypes", [](Listener& t) { t.components.requestBody("Body")->clearMediaTypes(); },
         none},
        {"MediaType::clearEncoding", [](Listener& t) { ok(t)->mediaType("application/json")->clearEncoding(); },
         none},
        {"Encoding::clearHeaders",
         [](Listener& t) { ok(t)->mediaType("application/json")->encoding("part")->clearHeaders(); }, none},
        {"Examples::clearExamples", [](Listener& t) { ok(t)->header("X-Own")->examples().clearExamples(); }, none},
        {"SchemaOrMediaType::clearSchemaAndMediaType",
         [](Listener& t) { getPet(t)->parameter("q", Parameter::Location::query)->schemaOrContent().clearSchemaAndMediaType(); },
         none},
        {"Schema::clearProperties", [](Listener& t) { pet(t)->clearProperties(); }, none},
        {"Schema::clearPatternProperties", [](Listener& t) { pet(t)->clearPatternProperties(); }, none},
        {"Schema::clearDependentSchemas", [](Listener& t) { pet(t)->clearDependentSchemas(); }, none},
        {"Schema::clearDefinitions", [](Listener& t) { pet(t)->clearDefinitions(); }, none},
        {"Schema::clearPrefixItems", [](Listener& t) { pet(t)->clearPrefixItems(); }, none},
        {"Schema::clearAllOf", [](Listener& t) { pet(t)->clearAllOf(); }, none},
        {"Schema::clearAnyOf", [](Listener& t) { pet(t)->clearAnyOf(); }, none},
        {"Schema::clearOneOf", [](Listener& t) { pet(t)->clearOneOf(); }, none},
        {"Schema::removeItems", [](Listener& t) { pet(t)->definition("Inner")->removeItems(); }, none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Listener top;
        build(top);
        top.walk();
        c.change(top);
        EXPECT_EQ(top.takeRemoved(), c.removedOperations);
        top.walk();
    }
}

TEST(Removal, ReferencesToARemovedTargetDangleInsteadOfPointingIntoFreedMemory) {
    Listener top;
    build(top);
    Operation* get = getPet(top);
    const Node* responseSlot = get->responses()->responseNode("200");
    const Node* hookSlot = get->callbackNode("onHook");
    top.components.removeResponse("Ok");
    top.components.removeCallback("Hook");
    EXPECT_EQ(top.takeRemoved(), (std::set<std::string>{"hookPost"}));
    // The slots keep their Reference, now without a target.
    EXPECT_EQ(get->responses()->responseNode("200"), responseSlot);
    EXPECT_EQ(responseSlot->resolveNode(), nullptr);
    EXPECT_EQ(get->responses()->response("200"), nullptr);
    EXPECT_EQ(hookSlot->resolveNode(), nullptr);
    top.components.clearSchemas();
    EXPECT_EQ(top.components.requestBody("Body")->mediaType("application/json")->schema(), nullptr);
    top.walk();
}

TEST(Removal, TheDocumentRootKeepsItsOperationIndexWhatEverIsCleared) {
    auto result = checkedReadFromFile(std::string(ZEPHALON_TESTDATA_DIR) + "/openapi/callbacks-webhooks-3.1.yaml");
    OpenAPI* model = result->model();
    std::vector<std::string> ids;
    for (const auto& [name, slot] : model->webhooks()) {
        if (const PathItem* item = slot->resolveNodeAs<PathItem>(); item != nullptr && slot->type() != NodeType::Reference) {
            for (const auto& [method, operation] : item->operations()) {
                if (operation->operationId()) ids.push_back(*operation->operationId());
            }
        }
    }
    ASSERT_FALSE(ids.empty());
    model->clearWebhooks();
    for (const std::string& id : ids) EXPECT_EQ(model->operationById(id), nullptr) << id;
    model->clearTags();
    model->clearServers();
    model->clearSecurityRequirements();
    model->components()->clearPathItems();
    model->paths()->clearItems();
    EXPECT_EQ(model->operationById("subscribe"), nullptr);
    EXPECT_EQ(model->operationById("unsubscribe"), nullptr);
    ConsistencyCheck check;
    visitNodes(model, check);
}

}  // namespace
}  // namespace zephalon::openapi
