// Documents split over several files: what the reader follows, what it refuses, where it says things stand, and the
// single document the files bundle into.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "reader_test_util.h"
#include "zephalon/foundation/file_system.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/bundle.h"

namespace zephalon::openapi {
namespace {

using testing::messages;

const std::filesystem::path kTree = std::filesystem::path(ZEPHALON_TESTDATA_DIR) / "multi-file";

std::unique_ptr<OpenAPIReadResult> readTree(const std::filesystem::path& root, const ReadOptions& options = {}) {
    SchemaFormatRegistry formats;
    return uncheckedReadFromFile(root, &formats, options);
}

std::unique_ptr<OpenAPIReadResult> readMemory(const MemoryFileSystem& files, const std::string& root,
                                              bool allowOutside = false) {
    SchemaFormatRegistry formats;
    Parser parser(nullptr, &formats);
    parser.setReadOptions(ReadOptions{&files, allowOutside});
    parser.fromFile(root);
    return parser.result();
}

const char* const kRoot = R"(openapi: 3.1.0
info: {title: t, version: '1'}
paths: {}
components:
  schemas:
    Pet:
      $ref: )";

TEST(ReaderFiles, ReadsTheTreeAsOneModelWithEveryFileOnce) {
    auto result = readTree(kTree / "openapi.yaml");
    ASSERT_TRUE(result->issues().empty()) << formatIssues(*result);
    // common.yaml, two path files, three schema files: each read once although most are referenced many times.
    EXPECT_EQ(result->otherFiles().size(), 6u);

    const Components* components = result->model()->components();
    const Schema* pet = components->schema("Pet");
    const Schema* owner = components->schema("owner");
    const Schema* error = components->schema("Error");
    ASSERT_NE(pet, nullptr);
    ASSERT_NE(owner, nullptr);
    ASSERT_NE(error, nullptr);
    // The component entry that only pointed to pet.yaml holds pet.yaml itself, not a reference to a copy.
    EXPECT_NE(components->schemaNode("Pet")->type(), NodeType::Reference);
    // A cycle across two files: pet -> owner -> pet.
    EXPECT_EQ(pet->property("owner"), owner);
    ASSERT_NE(owner->property("pets"), nullptr);
    EXPECT_EQ(owner->property("pets")->items(), pet);
    // A chain across three files: paths/pets.yaml -> schemas/pet-list.json -> schemas/pet.yaml.
    const Schema* list = components->schema("pet-list");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->items(), pet);
    // A reference into the middle of another file becomes a component of its own.
    const Schema* address = components->schema("address");
    ASSERT_NE(address, nullptr);
    EXPECT_EQ(pet->property("address"), address);
    EXPECT_NE(address->property("city"), nullptr);
    // common.yaml leads back into the root document.
    const Response* notFound = components->response("NotFound");
    ASSERT_NE(notFound, nullptr);
    EXPECT_EQ(result->sourceFile(notFound), kTree / "common.yaml");
    ASSERT_NE(components->parameter("PetId"), nullptr);
    ASSERT_NE(components->parameter("Limit"), nullptr);
    // A reference inside the root to a root entry that points into another file leads to what was read there.
    const PathItem* ownerPets = result->model()->paths()->item("/owners/{ownerId}/pets");
    ASSERT_NE(ownerPets, nullptr);
    const Schema* ownerList =
        ownerPets->operation(HttpMethod::get)->responses()->response("200")->mediaType("application/json")->schema();
    ASSERT_NE(ownerList, nullptr);
    EXPECT_EQ(ownerList->items(), pet);
    // Paths that only pointed to a file hold the path item read from it.
    const PathItem* byId = result->model()->paths()->item("/pets/{petId}");
    ASSERT_NE(byId, nullptr);
    EXPECT_EQ(byId->parameters().size(), 1u);
    EXPECT_EQ(result->sourceFile(byId), kTree / "paths" / "pet by id.yaml");

    // Positions are those inside the node's own file.
    EXPECT_EQ(result->sourceFile(pet->property("name")), kTree / "schemas" / "pet.yaml");
    EXPECT_EQ(result->nodePos(pet->property("name")).line, 9);  // YAML lines count from 0
    EXPECT_EQ(result->sourceFile(error), kTree / "openapi.yaml");
    EXPECT_EQ(result->nodePos(error).line, 46);
    EXPECT_EQ(result->jsonPointer(pet->property("name")), "/properties/name");
}

TEST(ReaderFiles, BundlesIntoTheExpectedDocument) {
    auto result = readTree(kTree / "openapi.yaml");
    ASSERT_TRUE(result->issues().empty()) << formatIssues(*result);
    auto bundled = bundleDocument(*result);
    auto expected = jv::readFile(kTree / "bundled.yaml");
    // Through the same writer, so that values and key order are compared, not spelling.
    EXPECT_EQ(jv::toString(*bundled, FileFormat::YAML), jv::toString(*expected, FileFormat::YAML));

    // The bundle is a document of its own: it reads without issues and without other files.
    auto again = checkedReadFromString(jv::toString(*bundled, FileFormat::JSON), FileFormat::JSON);
    EXPECT_FALSE(again->isMultiFile());
    EXPECT_EQ(again->model()->components()->schema("Pet")->property("owner"),
              again->model()->components()->schema("owner"));
}

TEST(ReaderFiles, ABundleMadeByMovingEqualsTheCopiedOne) {
    // The tree refers into the middle of owner.yaml as well as to all of it: copied, as one value goes to two places.
    auto copied = bundleDocument(*readTree(kTree / "openapi.yaml"));
    auto moved = bundleDocument(readTree(kTree / "openapi.yaml"));
    EXPECT_EQ(jv::toString(*moved, FileFormat::YAML), jv::toString(*copied, FileFormat::YAML));

    // Every target once: a file of several schemas referring to each other, a root entry and a path that only point
    // to a file, a callback item and a webhook of another file, a root without components.
    MemoryFileSystem files;
    files.mkdirp("/api/parts");
    files.write("/api/openapi.yaml", R"(openapi: 3.1.0
info: {title: t, version: '1'}
paths:
  /orders: {$ref: 'parts/orders.yaml'}
webhooks:
  ping: {$ref: 'parts/hooks.yaml#/ping'}
)");
    files.write("/api/parts/orders.yaml", R"(post:
  callbacks:
    done:
      '{$request.body#/url}': {$ref: 'hooks.yaml#/done'}
  requestBody:
    content:
      application/json:
        schema: {$ref: 'schemas.json#/Order'}
  responses:
    '200':
      description: ok
      content:
        application/json:
          schema: {type: array, items: {$ref: 'schemas.json#/Line'}}
)");
    files.write("/api/parts/hooks.yaml", R"(done: {post: {responses: {'200': {description: done}}}}
ping: {post: {responses: {'200': {description: pong}}}}
)");
    files.write(
        "/api/parts/schemas.json",
        R"({"Order": {"type": "object", "properties": {"lines": {"type": "array", "items": {"$ref": "#/Line"}}}},
                    "Line": {"type": "object", "properties": {"order": {"$ref": "#/Order"}}}})");
    auto copiedParts = bundleDocument(*readMemory(files, "/api/openapi.yaml"));
    auto readParts = readMemory(files, "/api/openapi.yaml");
    ASSERT_TRUE(readParts->issues().empty()) << formatIssues(*readParts);
    auto movedParts = bundleDocument(std::move(readParts));
    const std::string text = jv::toString(*movedParts, FileFormat::YAML);
    EXPECT_EQ(text, jv::toString(*copiedParts, FileFormat::YAML));
    EXPECT_NE(text.find("$ref: '#/components/schemas/Line'"), std::string::npos) << text;
    EXPECT_EQ(text.find("schemas.json"), std::string::npos) << text;
    // The bundle stands on its own.
    auto again = checkedReadFromString(jv::toString(*movedParts, FileFormat::JSON), FileFormat::JSON);
    EXPECT_FALSE(again->isMultiFile());
}

TEST(ReaderFiles, NamesOfMovedTargetsAvoidEveryNameTheRootUses) {
    MemoryFileSystem files;
    files.mkdirp("/api");
    files.write("/api/openapi.yaml", R"(openapi: 3.1.0
info: {title: t, version: '1'}
paths:
  /a:
    get:
      responses:
        '200':
          description: ok
          content:
            application/json:
              schema: {$ref: 'a.yaml#/Pet'}
        '201':
          description: ok
          content:
            application/json:
              schema: {$ref: 'b.yaml#/Pet'}
components:
  schemas:
    Pet: {type: string}
    Pet_2: {type: string}
)");
    files.write("/api/a.yaml", "Pet: {type: integer}\n");
    files.write("/api/b.yaml", "Pet: {type: boolean}\n");
    auto result = readMemory(files, "/api/openapi.yaml");
    ASSERT_TRUE(result->issues().empty()) << formatIssues(*result);
    const Components* components = result->model()->components();
    ASSERT_NE(components->schema("Pet_3"), nullptr);
    ASSERT_NE(components->schema("Pet_4"), nullptr);
    EXPECT_EQ(components->schema("Pet_3")->types(), std::vector<SchemaType>{SchemaType::integer});
    EXPECT_EQ(components->schema("Pet_4")->types(), std::vector<SchemaType>{SchemaType::boolean});
    auto bundled = bundleDocument(*result);
    EXPECT_EQ(bundled->findNode("/paths/~1a/get/responses/201/content/application~1json/schema/$ref")->stringValue(),
              "#/components/schemas/Pet_4");
}

TEST(ReaderFiles, ARootThatListsItsSchemasByReferenceKeepsTheirNames) {
    // The usual layout: every schema in a file of its own, listed by the root, referring to each other by file.
    MemoryFileSystem files;
    files.mkdirp("/api/schemas");
    files.write("/api/openapi.yaml", R"(openapi: 3.1.0
info: {title: t, version: '1'}
paths: {}
components:
  schemas:
    Order: {$ref: 'schemas/order.yaml'}
    Line: {$ref: 'schemas/line.yaml'}
)");
    files.write("/api/schemas/order.yaml", R"(type: object
properties:
  lines: {type: array, items: {$ref: line.yaml}}
)");
    files.write("/api/schemas/line.yaml", R"(type: object
properties:
  order: {$ref: order.yaml}
)");
    auto result = readMemory(files, "/api/openapi.yaml");
    ASSERT_TRUE(result->issues().empty()) << formatIssues(*result);
    const Components* components = result->model()->components();
    EXPECT_EQ(components->schemas().size(), 2u);
    const Schema* order = components->schema("Order");
    const Schema* line = components->schema("Line");
    ASSERT_NE(order, nullptr);
    ASSERT_NE(line, nullptr);
    EXPECT_NE(components->schemaNode("Line")->type(), NodeType::Reference);
    EXPECT_EQ(order->property("lines")->items(), line);
    EXPECT_EQ(line->property("order"), order);
    auto bundled = bundleDocument(*result);
    auto expected = jv::readString(
        R"({"Order": {"type": "object", "properties": {"lines": {"type": "array",
                                                            "items": {"$ref": "#/components/schemas/Line"}}}},
            "Line": {"type": "object", "properties": {"order": {"$ref": "#/components/schemas/Order"}}}})",
        FileFormat::JSON);
    EXPECT_TRUE(bundled->findNode("/components/schemas")->equal(*expected->root()))
        << jv::toString(*bundled, FileFormat::JSON);
}

TEST(ReaderFiles, RefusesReferencesItMustNotFollow) {
    MemoryFileSystem files;
    files.mkdirp("/api/sub");
    files.write("/outside.yaml", "type: string\n");
    files.write("/api/sub/broken.yaml", "type: [string\n");
    files.write("/api/sub/wrong.yaml", "type: object\nrequired: 5\n");
    files.write("/api/sub/self.yaml", "A: {$ref: '#/B'}\nB: {$ref: '#/A'}\n");
    const std::pair<std::string, std::string> cases[] = {
        {"../outside.yaml", "Reference leaves the document's directory: ../outside.yaml"},
        {"sub/../../outside.yaml", "Reference leaves the document's directory: sub/../../outside.yaml"},
        {"https://example.com/pet.yaml",
         "Remote references are not followed (no network access): "
         "https://example.com/pet.yaml"},
        {"file:///etc/passwd", "Unsupported reference (only relative file paths are followed): file:///etc/passwd"},
        {"sub/self.yaml#/A", "Circular reference: sub/self.yaml#/A"},
        {"sub/self.yaml#/C", "Unresolved reference: sub/self.yaml#/C"},
        {"sub/missing.yaml", "Cannot read the file of reference sub/missing.yaml: "},
        {"sub/broken.yaml", "Cannot read the file of reference sub/broken.yaml: /api/sub/broken.yaml:"},
        {"sub/notes.txt", "Cannot read the file of reference sub/notes.txt: Unsupported file format: "},
    };
    for (const auto& [ref, message] : cases) {
        files.write("/api/openapi.yaml", std::string(kRoot) + "'" + ref + "'\n");
        auto result = readMemory(files, "/api/openapi.yaml");
        ASSERT_FALSE(result->issues().empty()) << ref;
        EXPECT_EQ(result->issues().front().message.substr(0, message.size()), message) << ref;
        // Reported at the reference, in the root file.
        EXPECT_EQ(result->issuePos(result->issues().front()).line, 6) << ref;
        EXPECT_EQ(result->issueFile(result->issues().front()), std::filesystem::path("/api/openapi.yaml")) << ref;
    }

    // With leave to go outside, the same reference is followed.
    files.write("/api/openapi.yaml", std::string(kRoot) + "'../outside.yaml'\n");
    auto allowed = readMemory(files, "/api/openapi.yaml", true);
    EXPECT_TRUE(allowed->issues().empty()) << formatIssues(*allowed);

    // An issue inside another file names that file and the position there.
    files.write("/api/openapi.yaml", std::string(kRoot) + "sub/wrong.yaml\n");
    auto wrong = readMemory(files, "/api/openapi.yaml");
    ASSERT_EQ(wrong->issues().size(), 1u);
    EXPECT_EQ(wrong->issueFile(wrong->issues().front()), std::filesystem::path("/api/sub/wrong.yaml"));
    EXPECT_NE(formatIssues(*wrong).find(" in /api/sub/wrong.yaml"), std::string::npos) << formatIssues(*wrong);

    // A document read from text has no directory to resolve against.
    auto fromText = readFromString(std::string(kRoot) + "pet.yaml\n", FileFormat::YAML);
    EXPECT_EQ(messages(*fromText).front(),
              "Reference to another file in a document that was not read from a file: pet.yaml");
}

TEST(ReaderFiles, ASymbolicLinkInTheTreeDoesNotLeadOutOfIt) {
    const std::filesystem::path base =
        std::filesystem::temp_directory_path() / ("zephalon-reader-links-" + std::to_string(::getpid()));
    std::filesystem::remove_all(base);
    std::filesystem::create_directories(base / "api");
    std::filesystem::create_directories(base / "private");
    const auto write = [](const std::filesystem::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    };
    write(base / "private" / "secret.yaml", "type: string\n");
    write(base / "api" / "inside.yaml", "type: integer\n");
    std::filesystem::create_directory_symlink(base / "private", base / "api" / "linked");
    // The root itself reached through a link to its directory keeps its own tree.
    std::filesystem::create_directory_symlink(base / "api", base / "alias");
    const auto read = [&](const std::filesystem::path& root, const std::string& ref) {
        write(base / "api" / "openapi.yaml", std::string(kRoot) + ref + "\n");
        return readTree(root);
    };

    auto linked = read(base / "api" / "openapi.yaml", "linked/secret.yaml");
    ASSERT_FALSE(linked->issues().empty());
    EXPECT_EQ(linked->issues().front().message, "Reference leaves the document's directory: linked/secret.yaml");
    EXPECT_TRUE(read(base / "alias" / "openapi.yaml", "inside.yaml")->issues().empty());
    EXPECT_TRUE(read(base / "api" / "openapi.yaml", "inside.yaml")->issues().empty());
    std::filesystem::remove_all(base);
}

TEST(ReaderFiles, StopsAtTheFileLimit) {
    MemoryFileSystem files;
    files.mkdirp("/api");
    std::string root = "openapi: 3.1.0\ninfo: {title: t, version: '1'}\npaths: {}\ncomponents:\n  schemas:\n";
    for (std::size_t i = 0; i <= kMaxReferencedFiles; ++i) {
        root += "    S" + std::to_string(i) + ": {$ref: 's" + std::to_string(i) + ".json'}\n";
        files.write("/api/s" + std::to_string(i) + ".json", "{\"type\": \"string\"}");
    }
    files.write("/api/openapi.yaml", root);
    auto result = readMemory(files, "/api/openapi.yaml");
    EXPECT_EQ(result->otherFiles().size(), kMaxReferencedFiles);
    ASSERT_EQ(result->issues().size(), 1u);
    EXPECT_NE(result->issues().front().message.find("references more than 1000 files"), std::string::npos);
}

}  // namespace
}  // namespace zephalon::openapi
