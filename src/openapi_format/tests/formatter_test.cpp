#include "zephalon/openapi_format/formatter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "zephalon/jv/file_io.h"

namespace zephalon::openapi_format {
namespace {

std::unique_ptr<jv::JVDoc> json(std::string_view text) { return jv::readString(text, FileFormat::JSON); }

// The keys of the object at `pointer` in the order the formatted text lists them.
std::vector<std::string> keysAfterFormatting(const Formatter& formatter, std::string_view source,
                                             std::string_view pointer) {
    auto doc = json(source);
    auto reread = json(formatter.process(*doc, FileFormat::JSON));
    const jv::JV* object = reread->findNode(jv::JVPointer(pointer));
    std::vector<std::string> keys;
    for (std::string_view key : reread->propOrder(*object)) keys.emplace_back(key);
    return keys;
}

constexpr std::string_view kDocument = R"({
  "paths": {
    "/pets": {
      "get": {
        "responses": {"default": {"description": "error"}, "404": {"description": "missing"},
                      "200": {"description": "ok"}},
        "x-internal": true,
        "summary": "List pets",
        "operationId": "listPets"
      }
    }
  },
  "info": {"version": "1", "title": "Pets"},
  "openapi": "3.0.3",
  "components": {"schemas": {"Pet": {"properties": {"zeta": {"type": "string", "title": "Z"}, "alpha": {}},
                                     "type": "object", "title": "Pet"}}}
})";

TEST(Formatter, RecommendedOrderSortsResponsesAndOrdersOperations) {
    Formatter formatter;
    formatter.setConfig(json(R"({"extends": ["recommended"], "openapi": {}})")->root());
    EXPECT_EQ(keysAfterFormatting(formatter, kDocument, ""),
              (std::vector<std::string>{"openapi", "info", "paths", "components"}));
    // Unlisted keys follow the listed ones in byte-wise order.
    EXPECT_EQ(keysAfterFormatting(formatter, kDocument, "/paths/~1pets/get"),
              (std::vector<std::string>{"summary", "operationId", "responses", "x-internal"}));
    EXPECT_EQ(keysAfterFormatting(formatter, kDocument, "/paths/~1pets/get/responses"),
              (std::vector<std::string>{"200", "404", "default"}));
    EXPECT_EQ(keysAfterFormatting(formatter, kDocument, "/components/schemas/Pet"),
              (std::vector<std::string>{"title", "type", "properties"}));
    // A schema's properties map and the schemas inside it have no kind and keep the source order.
    EXPECT_EQ(keysAfterFormatting(formatter, kDocument, "/components/schemas/Pet/properties"),
              (std::vector<std::string>{"zeta", "alpha"}));
    EXPECT_EQ(keysAfterFormatting(formatter, kDocument, "/components/schemas/Pet/properties/zeta"),
              (std::vector<std::string>{"type", "title"}));
}

TEST(Formatter, DefaultOrderAppliesToKindsWithoutEntries) {
    Formatter formatter;
    formatter.setConfig(json(R"({"openapi": {"property_order": {"default": "sorted", "info": "original"}}})")->root());
    EXPECT_EQ(keysAfterFormatting(formatter, kDocument, "/paths/~1pets/get"),
              (std::vector<std::string>{"operationId", "responses", "summary", "x-internal"}));
    EXPECT_EQ(keysAfterFormatting(formatter, kDocument, "/info"), (std::vector<std::string>{"version", "title"}));
    // Objects without a kind are not affected by the default.
    EXPECT_EQ(keysAfterFormatting(formatter, kDocument, "/components/schemas/Pet/properties"),
              (std::vector<std::string>{"zeta", "alpha"}));
}

TEST(Formatter, OriginalOrderPutsKeysAddedByCodeLastInByteOrder) {
    auto doc = json(R"({"info": {"version": "1", "title": "T"}, "openapi": "3.1.0"})");
    jv::JV* info = doc->findNode(jv::JVPointer("/info"));
    info->setStringProperty("summary", "added");
    info->setStringProperty("description", "added");
    Formatter formatter;
    auto reread = json(formatter.process(*doc, FileFormat::JSON));
    std::vector<std::string> keys;
    for (std::string_view key : reread->propOrder(*reread->findNode(jv::JVPointer("/info")))) keys.emplace_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"version", "title", "description", "summary"}));
}

TEST(Formatter, IndentAndFormatOfTheConfiguration) {
    Formatter formatter;
    formatter.setConfig(json(R"({"openapi": {"indent": 4}})")->root());
    auto doc = json(R"({"info": {"title": "T"}})");
    EXPECT_EQ(formatter.process(*doc, FileFormat::JSON), "{\n    \"info\": {\n        \"title\": \"T\"\n    }\n}\n");
    EXPECT_EQ(formatter.process(*doc, FileFormat::YAML), "info:\n    title: T\n");

    formatter.setDefaultConfig();
    EXPECT_EQ(formatter.config().format(), FileFormat::YAML);
    EXPECT_EQ(formatter.config().indentSize(), 2u);
}

}  // namespace
}  // namespace zephalon::openapi_format

namespace zephalon::openapi_format {
namespace {

// Formatting changes the layout only: every document the project keeps for tests survives JSON -> YAML -> JSON
// with the recommended order, with the same values (numbers exact, look-alike strings still strings).
TEST(Formatter, NeverChangesContent) {
    Formatter formatter;
    formatter.setConfig(json(R"({"extends": ["recommended"], "openapi": {}})")->root());
    std::size_t documents = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(ZEPHALON_TESTDATA_DIR)) {
        if (!entry.is_regular_file() || !jv::guessFormat(entry.path())) continue;
        SCOPED_TRACE(entry.path().string());
        auto original = jv::readFile(entry.path());
        auto asYaml = jv::readString(formatter.process(*original, FileFormat::YAML), FileFormat::YAML);
        auto backToJson = jv::readString(formatter.process(*asYaml, FileFormat::JSON), FileFormat::JSON);
        EXPECT_TRUE(original->root()->equal(*asYaml->root()));
        EXPECT_TRUE(original->root()->equal(*backToJson->root()));
        ++documents;
    }
    EXPECT_GE(documents, 3u);
}

// The formatter carries kinds down while it writes; a writer handed its per-object property factory derives each
// kind from the object's pointer instead. Both must give the same bytes for every test document, in every layout.
TEST(Formatter, WritesWhatItsPropertyFactoryGives) {
    const char* configs[] = {
        R"({"extends": ["recommended"], "openapi": {}})",
        R"({"extends": ["recommended"], "openapi": {"indent": 4, "property_order": {"default": "sorted",
            "schema": "original", "operation": ["responses", "tags", "responses"], "info": []}}})",
        R"({"openapi": {"property_order": {"default": "sorted"}}})",
    };
    std::vector<std::unique_ptr<jv::JVDoc>> documents;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(ZEPHALON_TESTDATA_DIR)) {
        if (entry.is_regular_file() && jv::guessFormat(entry.path())) documents.push_back(jv::readFile(entry.path()));
    }
    // Keys added by code have no recorded place; a repeated key is recorded twice.
    documents.push_back(json(kDocument));
    documents.back()->findNode(jv::JVPointer("/paths/~1pets/get"))->setStringProperty("description", "added");
    documents.push_back(json(R"({"info": {"title": "a", "title": "b"}, "openapi": "3.1.0", "openapi": "3.0.0"})"));
    ASSERT_GE(documents.size(), 10u);

    for (const char* config : configs) {
        Formatter formatter;
        formatter.setConfig(json(config)->root());
        for (const auto& doc : documents) {
            for (FileFormat format : {FileFormat::JSON, FileFormat::YAML}) {
                std::string expected;
                jv::writeString(*doc, expected,
                                jv::StreamWriteOptions{format, static_cast<int>(formatter.config().indentSize()),
                                                       formatter.propertyFactory(*doc)});
                ASSERT_EQ(formatter.process(*doc, format), expected) << config;
            }
        }
    }
}

}  // namespace
}  // namespace zephalon::openapi_format
