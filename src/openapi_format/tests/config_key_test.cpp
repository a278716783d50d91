#include "config_key.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "zephalon/jv/file_io.h"

namespace zephalon::openapi_format {
namespace {

TEST(ConfigKey, RecognisesEveryKindWhereItCanOccur) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "openapi"},
        {"/info", "info"},
        {"/info/contact", "contact"},
        {"/info/license", "license"},
        {"/servers/0", "server"},
        {"/servers/0/variables/port", "serverVariable"},
        {"/paths/~1pets~1{id}", "pathItem"},
        {"/paths/~1pets/servers/1", "server"},
        {"/paths/~1pets/get/servers/0", "server"},
        {"/webhooks/newPet", "pathItem"},
        {"/components/pathItems/shared", "pathItem"},
        {"/components/callbacks/onEvent/{$request.body#~1url}", "pathItem"},
        {"/paths/~1pets/get", "operation"},
        {"/paths/~1pets/trace", "operation"},
        {"/components", "components"},
        {"/externalDocs", "externalDocumentation"},
        {"/paths/~1pets/post/externalDocs", "externalDocumentation"},
        {"/tags/0/externalDocs", "externalDocumentation"},
        {"/components/parameters/limit", "parameter"},
        {"/paths/~1pets/parameters/0", "parameter"},
        {"/paths/~1pets/get/parameters/2", "parameter"},
        {"/paths/~1pets/post/requestBody", "requestBody"},
        {"/components/requestBodies/Pet", "requestBody"},
        {"/paths/~1pets/post/requestBody/content/application~1json", "mediaType"},
        {"/paths/~1pets/get/parameters/0/content/text~1plain", "mediaType"},
        {"/paths/~1pets/get/responses/200/content/application~1json", "mediaType"},
        {"/paths/~1pets/get/responses", "responses"},
        {"/components/responses", "responses"},
        {"/paths/~1pets/get/responses/default", "response"},
        {"/components/responses/NotFound", "response"},
        {"/tags/3", "tag"},
        {"/paths/~1pets/post/requestBody/content/multipart~1form-data/encoding/file", "encoding"},
        {"/components/examples/cat", "example"},
        {"/paths/~1pets/get/parameters/0/examples/one", "example"},
        {"/paths/~1pets/post/requestBody/content/application~1json/examples/dog", "example"},
        {"/components/links/self", "link"},
        {"/paths/~1pets/get/responses/200/links/next", "link"},
        {"/components/headers/X-Rate", "header"},
        {"/paths/~1pets/get/responses/200/headers/X-Rate", "header"},
        {"/paths/~1pets/post/requestBody/content/multipart~1form-data/encoding/file/headers/X-Id", "header"},
        {"/components/schemas/Pet", "schema"},
        {"/components/parameters/limit/schema", "schema"},
        {"/paths/~1pets/post/requestBody/content/application~1json/schema", "schema"},
        {"/components/schemas/Pet/discriminator", "discriminator"},
        {"/components/schemas/Pet/xml", "xml"},
        {"/components/securitySchemes/oauth", "securityScheme"},
        {"/components/securitySchemes/oauth/flows", "oauthFlows"},
    };
    for (const auto& [pointer, kind] : cases) {
        EXPECT_EQ(jpointerToConfigKey(pointer), kind) << pointer;
    }
}

TEST(ConfigKey, LeavesMapsNestedSchemasAndLookAlikesWithoutKind) {
    const std::vector<std::string> none = {
        "/paths",
        "/components/schemas",
        "/components/schemas/Pet/properties",
        "/components/schemas/Pet/properties/name",
        "/components/schemas/Pet/items/discriminator",
        "/components/callbacks/onEvent",
        "/paths/~1pets/get/callbacks/onEvent/{$url}",
        "/info/title",
        "/x-servers/0",
        "/paths/~1pets/get/responses/200/content",
        "/paths/~1pets/parameters",
        "/servers/0/variables",
        "/paths/~1pets/get/requestBody/content/application~1json/schema/properties",
        "/tags/0/name/x",
        "not a pointer",
    };
    for (const auto& pointer : none) {
        EXPECT_EQ(jpointerToConfigKey(pointer), "") << pointer;
    }
}

TEST(ConfigKey, MethodsCountOnlyUnderPathItems) {
    EXPECT_EQ(jpointerToConfigKey("/components/schemas/get"), "schema");
    EXPECT_EQ(jpointerToConfigKey("/webhooks/newPet/post"), "operation");
    EXPECT_EQ(jpointerToConfigKey("/paths/~1pets/connect"), "");
    EXPECT_EQ(jpointerToConfigKey("/paths/~1pets/get/get"), "");
}

TEST(ConfigKey, DeepPointersAreCheap) {
    // The kinds of all prefixes are found in one pass, so a pointer thousands of tokens deep is no problem.
    std::string pointer = "/components/schemas/Pet";
    for (int i = 0; i < 5000; ++i) pointer += "/properties/child";
    EXPECT_EQ(jpointerToConfigKey(pointer), "");
    EXPECT_EQ(jpointerToConfigKey(pointer + "/xml"), "");
}

// Writers find kinds one step at a time from the root; that must agree with the pointer text for every object of
// every test document, and for keys that only look like OpenAPI names once escaped or unescaped.
TEST(ConfigKey, StepwiseRecognitionAgreesWithThePointer) {
    auto check = [](const jv::JV& root) {
        std::size_t objects = 0;
        std::vector<std::pair<const jv::JV*, KindPlace>> pending{{&root, rootKindPlace()}};
        while (!pending.empty()) {
            auto [node, place] = pending.back();
            pending.pop_back();
            if (node->isObject()) {
                ++objects;
                EXPECT_EQ(kindNameAt(kindIndex(place)), jpointerToConfigKey(node->pointer())) << node->pointer();
                for (auto property : node->properties()) {
                    pending.emplace_back(property.value, childKindPlace(place, property.key));
                }
            } else if (node->isArray()) {
                for (const jv::JV* item : node->items()) pending.emplace_back(item, elementKindPlace(place));
            }
        }
        return objects;
    };
    std::size_t objects = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(ZEPHALON_TESTDATA_DIR)) {
        if (!entry.is_regular_file() || !jv::guessFormat(entry.path())) continue;
        SCOPED_TRACE(entry.path().string());
        objects += check(*jv::readFile(entry.path())->root());
    }
    EXPECT_GT(objects, 1000u);

    auto tricky = jv::readString(R"({
        "paths": {"/a": {"get": {"responses": {"200": {"content": {"x/y": {"schema": {"xml": {}}}}}}}},
                  "": {"servers": [{"variables": {"v": {}}}]}},
        "pa/ths": {"/a": {"get": {}}}, "in~fo": {"contact": {}},
        "components": {"callbacks": {"c": {"{$url}": {"post": {"requestBody": {}}}}}, "schemas": {"s": {}}},
        "tags": [{"externalDocs": {}}, [{"externalDocs": {}}]],
        "webhooks": {"w": {"parameters": [{"examples": {"e": {}}, "schema": {"discriminator": {}}}]}}
    })",
                                 FileFormat::JSON);
    EXPECT_EQ(check(*tricky->root()), 38u);
}

}  // namespace
}  // namespace zephalon::openapi_format
