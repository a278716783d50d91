#include <fmt/format.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>

#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi/visitor.h"

namespace zephalon::openapi {
namespace {

TEST(NodeType, NamesAndNormalisation) {
    EXPECT_EQ(nodeTypeToString(NodeType::OpenAPI), "OpenAPI");
    EXPECT_EQ(nodeTypeToString(NodeType::CookieParameter), "CookieParameter");
    EXPECT_EQ(nodeTypeToString(NodeType::HttpSecurityScheme), "HttpSecurityScheme");
    EXPECT_EQ(nodeTypeToString(NodeType::SecurityRequirement), "SecurityRequirement");

    for (int i = 0; i <= static_cast<int>(NodeType::SecurityRequirement); ++i) {
        auto type = static_cast<NodeType>(i);
        NodeType expected = type;
        if (i >= 12 && i <= 15) {
            expected = NodeType::Parameter;
        } else if (i >= 31 && i <= 35) {
            expected = NodeType::SecurityScheme;
        } else if (i >= 38 && i <= 41) {
            expected = NodeType::OAuthFlow;
        }
        EXPECT_EQ(normalizeSubtypes(type), expected) << nodeTypeToString(type);
    }
}

TEST(NodeTypeDeathTest, OutOfRangeValueStopsTheProcessNamingTheSource) {
    EXPECT_DEATH(nodeTypeToString(static_cast<NodeType>(43)), "Unknown node type.*src/openapi/src/node:");
    EXPECT_DEATH(normalizeSubtypes(static_cast<NodeType>(200)), "Unknown node type");
}

// The kind-based casts must agree with the classes: a cast that trusted a wrong kind would be undefined behaviour.
class KindsAgreeWithClasses : public NodeVisitHandler {
  public:
    template <class... Classes>
    void check(const Node* node) {
        (expectSame<Classes>(node), ...);
    }
    template <class T>
    void expectSame(const Node* node) {
        EXPECT_EQ(nodeCast<T>(node), dynamic_cast<const T*>(node)) << nodeTypeToString(node->type());
    }
    void handleNode(const Node* node) override {
        ++count;
        for (const Reference* reference : node->references()) checkAll(reference);
        checkAll(node);
    }
    void checkAll(const Node* node) {
        check<Node, OpenAPI, Info, Contact, License, Server, ServerVariable, Components, Paths, PathItem, Operation,
              ExternalDocumentation, Parameter, PathParameter, QueryParameter, HeaderParameter, CookieParameter,
              RequestBody, MediaType, Encoding, Responses, Response, Callback, Example, Link, Header, Tag, Reference,
              Schema, Discriminator, XML, SecurityScheme, ApiKeySecurityScheme, HTTPSecurityScheme,
              MutualTLSSecurityScheme, OAuth2SecurityScheme, OpenIdConnectSecurityScheme, OAuthFlows, OAuthFlow,
              ImplicitOAuthFlow, PasswordOAuthFlow, ClientCredentialsOAuthFlow, AuthorizationCodeOAuthFlow,
              SecurityRequirement>(node);
    }
    std::size_t count = 0;
};

TEST(NodeCast, AgreesWithTheClassOfEveryNodeOfTheSharedDocuments) {
    for (const auto& entry : std::filesystem::directory_iterator(std::string(ZEPHALON_TESTDATA_DIR) + "/openapi")) {
        SCOPED_TRACE(entry.path().filename().string());
        auto result = checkedReadFromFile(entry.path());
        KindsAgreeWithClasses handler;
        visitNodes(result->model(), handler);
        EXPECT_GT(handler.count, 1u);
    }
    EXPECT_EQ(nodeCast<Schema>(static_cast<const Node*>(nullptr)), nullptr);
    Components components(nullptr);
    Parameter* query = components.addQueryParameter("q", "q");
    Reference* alias = components.addParameterRef("alias", query);
    EXPECT_EQ(alias->resolveNodeAs<Parameter>(), query);
    EXPECT_EQ(alias->resolveNodeAs<QueryParameter>(), query);
    EXPECT_EQ(alias->resolveNodeAs<PathParameter>(), nullptr);
    EXPECT_EQ(alias->resolveNodeAs<Schema>(), nullptr);
}

TEST(OpenAPI, NewModelIsEmpty) {
    OpenAPI document;
    EXPECT_EQ(document.specVersion(), "3.1.0");
    EXPECT_EQ(document.parent(), nullptr);
    ASSERT_NE(document.info(), nullptr);
    EXPECT_EQ(document.info()->title(), "");
    EXPECT_TRUE(document.paths()->items().empty());
    EXPECT_TRUE(document.components()->isEmpty());
    EXPECT_EQ(document.components()->root(), &document);
}

TEST(Reference, DestroyingASharedTargetLeavesReferencesDangling) {
    OpenAPI document;
    Components* components = document.components();
    Schema* pet = components->addSchema("Pet", SchemaType::object);
    Schema* owner = components->addSchema("Owner");
    Reference* first = owner->addPropertyRef("pet", pet);
    Reference* second = components->addSchemaRef("Alias", pet);
    ASSERT_EQ(pet->references().size(), 2U);
    EXPECT_EQ(components->schema("Alias"), pet);

    components->removeSchema("Pet");

    EXPECT_EQ(first->node(), nullptr);
    EXPECT_EQ(second->node(), nullptr);
    EXPECT_EQ(owner->property("pet"), nullptr);
    EXPECT_EQ(components->schema("Alias"), nullptr);
    EXPECT_EQ(components->schemaNode("Alias"), second);
}

TEST(Reference, NeverPointsAtAReference) {
    OpenAPI document;
    Schema* pet = document.components()->addSchema("Pet");
    Reference* alias = document.components()->addSchemaRef("Alias", pet);

    std::unique_ptr<Reference> viaAlias = alias->addReference(document.components());
    EXPECT_EQ(viaAlias->node(), pet);

    Schema* holder = document.components()->addSchema("Holder");
    Reference* item = holder->setItemsRef(alias);
    EXPECT_EQ(item->node(), pet);
    EXPECT_EQ(pet->references().size(), 3U);

    viaAlias.reset();
    EXPECT_EQ(pet->references().size(), 2U);
}

TEST(Reference, SetNodeMovesBetweenTargets) {
    OpenAPI document;
    Components* components = document.components();
    Schema* a = components->addSchema("A");
    Schema* b = components->addSchema("B");
    Reference* ref = components->addSchemaRef("R", a);

    ref->setNode(b);
    EXPECT_TRUE(a->references().empty());
    EXPECT_EQ(b->references().count(ref), 1U);
    EXPECT_EQ(components->schema("R"), b);

    Reference* other = components->addSchemaRef("S", a);
    ref->setNode(other);
    EXPECT_EQ(ref->node(), a);
    EXPECT_TRUE(b->references().empty());

    ref->removeNode();
    EXPECT_EQ(ref->node(), nullptr);
    EXPECT_EQ(a->references().size(), 1U);

    // A detached reference can be destroyed and its former target still can be too.
    components->removeSchema("R");
    components->removeSchema("A");
    EXPECT_EQ(other->node(), nullptr);
}

TEST(Reference, ClearReferencesDetachesEveryReference) {
    OpenAPI document;
    Schema* placeholder = document.components()->addSchema("Placeholder");
    Schema* holder = document.components()->addSchema("Holder");
    Reference* a = holder->addPropertyRef("a", placeholder);
    Reference* b = holder->setItemsRef(placeholder);

    placeholder->clearReferences();

    EXPECT_EQ(a->node(), nullptr);
    EXPECT_EQ(b->node(), nullptr);
    // Destroying the former target must not touch the detached references.
    document.components()->removeSchema("Placeholder");
    EXPECT_EQ(holder->property("a"), nullptr);
}

// Builds a document whose references cross subtrees in every direction, so that tearing it down destroys some
// targets before their references and some after. The sanitizers check that nothing freed is touched.
std::unique_ptr<OpenAPI> crossLinkedDocument() {
    auto document = std::make_unique<OpenAPI>();
    Components* components = document->components();
    Schema* pet = components->addSchema("Pet", SchemaType::object);
    pet->addPropertyRef("parent", pet);
    Schema* list = pet->addProperty("children");
    list->setItemsRef(pet);
    components->addSchemaRef("Alias", pet);
    Parameter* limit = components->addQueryParameter("limit", "limit");
    limit->schemaOrContent().setSchemaRef(pet);
    Response* ok = components->addResponse("Ok");
    ok->addMediaType("application/json")->setSchemaRef(pet);

    PathItem* item = document->paths()->addItem("/pets");
    Operation* get = item->addOperation(HttpMethod::get);
    get->setOperationId("listPets");
    get->addParameterRef(limit);
    get->responses()->addResponseRef("200", ok);
    get->setRequestBody()->addMediaType("application/json")->setSchemaRef(pet);
    PathItem* shared = components->addPathItem("Shared");
    shared->addOperation(HttpMethod::post)->setOperationId("shared");
    document->paths()->addItemRef("/shared", shared);
    document->addWebhookRef("hook", shared);
    return document;
}

TEST(Reference, AnyTeardownOrderIsSafe) {
    crossLinkedDocument().reset();

    {
        auto document = crossLinkedDocument();
        document->components()->clearSchemas();
        PathItem* item = document->paths()->item("/pets");
        Operation* get = item->operation(HttpMethod::get);
        EXPECT_EQ(get->requestBody()->mediaType("application/json")->schema(), nullptr);
        EXPECT_EQ(get->parameter(0)->schemaOrContent().schema(), nullptr);
    }
    {
        auto document = crossLinkedDocument();
        document->paths()->clearItems();
        document->clearWebhooks();
        EXPECT_TRUE(document->components()->pathItem("Shared")->references().empty());
        EXPECT_TRUE(document->components()->parameter("limit")->references().empty());
        EXPECT_EQ(document->operationById("listPets"), nullptr);
        EXPECT_NE(document->operationById("shared"), nullptr);
    }
    {
        auto document = crossLinkedDocument();
        document->components()->clearPathItems();
        EXPECT_EQ(document->paths()->item("/shared"), nullptr);
        EXPECT_EQ(document->webhook("hook"), nullptr);
        EXPECT_EQ(document->operationById("shared"), nullptr);
    }
}

TEST(Components, AliasEntriesAndNodeKeys) {
    OpenAPI document;
    Components* components = document.components();
    Schema* pet = components->addSchema("Pet");
    Reference* alias = components->addSchemaRef("Alias", pet);

    EXPECT_EQ(components->nodeKey(pet), "Pet");
    EXPECT_EQ(components->nodeKey(alias), "Alias");
    EXPECT_EQ(components->nodeKey(pet->addProperty("name")), "");

    // An occupied key keeps its entry: the first definition wins.
    EXPECT_EQ(components->addSchemaRef("Pet", pet), nullptr);
    EXPECT_EQ(components->addSchema("Pet"), pet);
    EXPECT_EQ(components->addSchema("Alias"), nullptr);
    EXPECT_EQ(components->schemaNode("Alias"), alias);
    EXPECT_FALSE(components->isEmpty());
}

TEST(Node, Extensions) {
    OpenAPI document;
    Info* info = document.info();
    jv::JV* added = info->addExtension("x-b");
    EXPECT_TRUE(added->isNull());
    info->setExtension("x-a", std::make_unique<jv::JV>("first"));
    info->setExtension("x-a", std::make_unique<jv::JV>("second"));

    ASSERT_EQ(info->extensions().size(), 2U);
    EXPECT_EQ(info->extensions().begin()->first, "x-a");
    EXPECT_EQ(info->extension("x-a")->stringValue(), "second");
    EXPECT_EQ(info->extension("x-missing"), nullptr);

    info->removeExtension("x-a");
    info->removeExtension("x-missing");
    EXPECT_EQ(info->extension("x-a"), nullptr);
    info->clearExtensions();
    EXPECT_TRUE(info->extensions().empty());
}

TEST(NodeEvent, Printing) {
    OpenAPI document;
    Operation* operation = document.paths()->addItem("/a")->addOperation(HttpMethod::get);
    std::ostringstream out;
    NodeEvent event = OperationRemovedEvent{operation, "id"};
    out << event;
    EXPECT_EQ(out.str(), fmt::format("OperationRemovedEvent({})", fmt::ptr(operation)));
    EXPECT_TRUE(toString(OperationAddedEvent{operation}).starts_with("OperationAddedEvent(0x"));
    EXPECT_TRUE(toString(OperationIdChangedEvent{operation, {}, {}}).starts_with("OperationIdChangedEvent("));
}

TEST(Tag, RemovingARootTagUnlinksItFromOperations) {
    OpenAPI document;
    document.addTag("pets");
    document.addTag("store");
    Operation* get = document.paths()->addItem("/pets")->addOperation(HttpMethod::get);
    ASSERT_NE(get->addTag("pets"), nullptr);
    ASSERT_NE(get->addTag("store"), nullptr);
    // A name the root does not declare is kept, unlinked.
    EXPECT_EQ(get->addTag("undeclared"), nullptr);
    EXPECT_EQ(get->addTag("undeclared"), nullptr);
    EXPECT_EQ(get->tags().size(), 2U);
    EXPECT_EQ(get->tagNames(), (std::vector<std::string_view>{"pets", "store", "undeclared"}));

    // The operation still carries the name of a tag the root no longer declares.
    document.removeTagAt(0);
    ASSERT_EQ(get->tags().size(), 1U);
    EXPECT_EQ(get->tags()[0]->name(), "store");
    EXPECT_EQ(get->findTag("pets"), nullptr);
    EXPECT_EQ(get->tagNames(), (std::vector<std::string_view>{"pets", "store", "undeclared"}));
    get->removeTag(0);
    EXPECT_TRUE(get->tags().empty());
    EXPECT_EQ(get->tagNames(), (std::vector<std::string_view>{"pets", "undeclared"}));

    // And the other way round: a removed operation no longer shows up in its tags' bookkeeping.
    document.paths()->removeItem("/pets");
    document.clearTags();
    EXPECT_TRUE(document.tags().empty());
}

TEST(OpenAPI, SortTags) {
    OpenAPI document;
    document.addTag("b");
    document.addTag("c");
    document.addTag("a");
    EXPECT_EQ(document.addTag("a"), document.findTag("a"));
    document.sortTags([](const Tag* x, const Tag* y) { return x->name() < y->name(); });
    ASSERT_EQ(document.tags().size(), 3U);
    EXPECT_EQ(document.tags()[0]->name(), "a");
    EXPECT_EQ(document.tags()[2]->name(), "c");
}

}  // namespace
}  // namespace zephalon::openapi
