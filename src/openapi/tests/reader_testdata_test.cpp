// Every shared test document: the valid ones read without issues, the invalid ones report issues with positions.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "reader_test_util.h"
#include "zephalon/openapi/visitor.h"

namespace zephalon::openapi {
namespace {

std::vector<std::filesystem::path> documentsIn(std::string_view dir) {
    std::vector<std::filesystem::path> out;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(ZEPHALON_TESTDATA_DIR) / dir)) {
        if (jv::guessFormat(entry.path())) out.push_back(entry.path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

TEST(ReaderTestdata, ValidDocumentsReadWithoutIssuesAndEveryNodeHasAPosition) {
    auto paths = documentsIn("openapi");
    ASSERT_FALSE(paths.empty());
    for (const auto& path : paths) {
        SCOPED_TRACE(path.filename().string());
        std::unique_ptr<OpenAPIReadResult> result;
        ASSERT_NO_THROW(result = checkedReadFromFile(path));
        EXPECT_TRUE(result->model()->specVersion().starts_with("3."));
        // Every node the parser mapped points back into the document it came from.
        EXPECT_GT(result->mappingCount(), 0u);
        EXPECT_EQ(result->jsonPointer(result->model()), "");
    }
}

// Collects every node the traversal reaches, with the node that owns it.
class AllNodes : public NodeVisitHandler {
  public:
    void handleNode(const Node* node) override { nodes.push_back(node); }
    std::vector<const Node*> nodes;
};

// The nodes the model holds whether or not the document has them, by the member they stand for in their parent.
std::optional<std::string_view> alwaysPresentMember(const Node& node) {
    switch (node.type()) {
        case NodeType::Info:
            return "info";
        case NodeType::Paths:
            return "paths";
        case NodeType::Components:
            return "components";
        case NodeType::Responses:
            return "responses";
        default:
            return std::nullopt;
    }
}

TEST(ReaderTestdata, EveryNodeTheTraversalReachesStandsAtAPositionAndAPointerToItsValue) {
    for (const auto& path : documentsIn("openapi")) {
        SCOPED_TRACE(path.filename().string());
        auto result = checkedReadFromFile(path);
        AllNodes all;
        visitNodes(result->model(), all);
        ASSERT_GT(all.nodes.size(), 1u);
        for (const Node* node : all.nodes) {
            SCOPED_TRACE(nodeTypeToString(node->type()));
            std::optional<SourceLocation> location = result->sourceLocation(node);
            if (!location) {
                // Only a part the model always holds may lack a source, and only where the document leaves it out.
                std::optional<std::string_view> member = alwaysPresentMember(*node);
                ASSERT_TRUE(member.has_value());
                EXPECT_EQ(result->sourceLocation(node->parent(), *member), std::nullopt);
                continue;
            }
            EXPECT_TRUE(location->pos.known()) << location->pointer;
            EXPECT_EQ(location->value, result->value(node));
            EXPECT_EQ(result->doc()->findNode(location->pointer), location->value) << location->pointer;
            // The value leads back to a node read from it: this one, or one sharing the value (the `not` that
            // stores a `false` schema, a path item that a callback holds in place of a reference).
            EXPECT_EQ(result->value(result->findNode(location->pointer)), location->value) << location->pointer;
            // The texts a node holds stand at its members' pointers.
            if (const auto* operation = dynamic_cast<const Operation*>(node); operation && operation->description()) {
                std::optional<SourceLocation> text = result->sourceLocation(node, "description");
                ASSERT_TRUE(text.has_value());
                EXPECT_EQ(text->pointer, location->pointer + "/description");
                EXPECT_EQ(text->value->stringValue(), *operation->description());
                EXPECT_TRUE(text->pos.known());
            }
        }
    }
}

TEST(ReaderTestdata, SharedDocumentsBuildTheExpectedShapes) {
    const std::filesystem::path dir = std::filesystem::path(ZEPHALON_TESTDATA_DIR) / "openapi";
    auto security = checkedReadFromFile(dir / "security-schemes-3.0.json");
    const Components* components = security->model()->components();
    EXPECT_EQ(components->securitySchemes().size(), 8u);
    auto* oauth = dynamic_cast<const OAuth2SecurityScheme*>(components->securityScheme("oauth"));
    ASSERT_NE(oauth, nullptr);
    ASSERT_NE(oauth->flows()->authorizationCode(), nullptr);
    EXPECT_TRUE(oauth->flows()->authorizationCode()->hasScope("write"));
    EXPECT_NE(oauth->flows()->authorizationCode()->extension("x-pkce"), nullptr);
    EXPECT_EQ(oauth->flows()->password()->refreshUrl(), "https://auth.example.com/refresh");

    auto hooks = checkedReadFromFile(dir / "callbacks-webhooks-3.1.yaml");
    const OpenAPI* model = hooks->model();
    EXPECT_NE(model->webhook("newEvent"), nullptr);
    EXPECT_EQ(model->webhook("ping"), model->components()->pathItem("Ping"));
    EXPECT_EQ(model->paths()->item("/subscriptions/{id}"), model->components()->pathItem("Subscription"));
    EXPECT_NE(model->operationById("unsubscribe"), nullptr);
    const Operation* subscribe = model->operationById("subscribe");
    ASSERT_NE(subscribe, nullptr);
    EXPECT_NE(subscribe->callback("onPing")->item("{$request.body#/callbackUrl}/ping")->operation(HttpMethod::head),
              nullptr);

    auto extensions = checkedReadFromFile(dir / "extensions-3.1.json");
    const OpenAPI* ext = extensions->model();
    EXPECT_NE(ext->extension("x-root"), nullptr);
    EXPECT_NE(ext->paths()->extension("x-paths-note"), nullptr);
    EXPECT_EQ(ext->paths()->items().size(), 1u);
    const Operation* list = ext->operationById("listItems");
    EXPECT_NE(list->responses()->extension("x-responses-note"), nullptr);
    EXPECT_EQ(list->responses()->responses().size(), 1u);
    EXPECT_EQ(extensions::stringExtension(*list, jv::JVPointer("/codegen/name")), "listItems");
}

TEST(ReaderTestdata, InvalidDocumentsReportIssuesWithPositions) {
    auto paths = documentsIn("openapi-invalid");
    ASSERT_FALSE(paths.empty());
    for (const auto& path : paths) {
        SCOPED_TRACE(path.filename().string());
        auto result = uncheckedReadFromFile(path);
        ASSERT_FALSE(result->issues().empty());
        for (const Issue& issue : result->issues()) {
            EXPECT_TRUE(result->issuePos(issue).known()) << issue.message;
        }
        EXPECT_THROW(checkedReadFromFile(path), std::runtime_error);
    }
}

}  // namespace
}  // namespace zephalon::openapi

namespace zephalon::openapi {
namespace {

void collectPointers(const jv::JV& node, std::vector<std::string>& out) {
    out.push_back(node.pointer());
    if (node.isArray()) {
        for (const jv::JV* item : node.items()) collectPointers(*item, out);
    } else if (node.isObject()) {
        for (auto [key, value] : node.properties()) collectPointers(*value, out);
    }
}

// Every value of real documents, replaced in turn by a value of each other shape: the parser must neither crash nor
// report a problem it cannot place.
TEST(ReaderTestdata, EveryValueOfTheWrongShapeIsReportedWithAPosition) {
    const std::filesystem::path dir = std::filesystem::path(ZEPHALON_TESTDATA_DIR) / "openapi";
    for (const char* name : {"references-3.0.json", "json-schema-3.1.json", "callbacks-webhooks-3.1.yaml"}) {
        SCOPED_TRACE(name);
        std::vector<std::string> pointers;
        collectPointers(*jv::readFile(dir / name)->root(), pointers);
        for (const std::string& pointer : pointers) {
            for (int shape = 0; shape < 3; ++shape) {
                auto doc = jv::readFile(dir / name);
                jv::JV* target = doc->findNode(pointer);
                ASSERT_NE(target, nullptr) << pointer;
                if (shape == 0) target->setNumericValue(std::int64_t{42});
                if (shape == 1) target->setArray();
                if (shape == 2) target->setString("$ref");
                SchemaFormatRegistry formats;
                Parser parser(nullptr, &formats);
                parser.fromDoc(std::move(doc));
                auto result = parser.result();
                for (const Issue& issue : result->issues()) {
                    EXPECT_TRUE(result->issuePos(issue).known()) << pointer << ": " << issue.message;
                }
                EXPECT_NO_THROW(formatIssues(*result));
            }
        }
    }
}

}  // namespace
}  // namespace zephalon::openapi
