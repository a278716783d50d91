// A document split over several files written back file by file: every part goes back to the file it was read
// from, references keep their text, and only a changed file is written again.

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>

#include "reader_test_util.h"
#include "zephalon/foundation/file_system.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/writer.h"

namespace zephalon::openapi {
namespace {

namespace fs = std::filesystem;

const fs::path kTree = fs::path(ZEPHALON_TESTDATA_DIR) / "multi-file";

// Through one writer, so that values and key order are compared and spelling is not.
std::string text(const jv::JVDoc& doc) { return jv::toString(doc, FileFormat::YAML); }
// The same for a YAML source, as it reads.
std::string textOf(const std::string& yaml) { return text(*jv::readString(yaml, FileFormat::YAML)); }

// The written document of the file with this name (files come in the order the reader reached them).
const jv::JVDoc& fileNamed(const std::vector<WrittenFile>& files, std::string_view name) {
    for (const WrittenFile& file : files) {
        if (file.path.filename() == name) return *file.doc;
    }
    throw std::runtime_error("no written file " + std::string(name));
}

std::unique_ptr<OpenAPIReadResult> readMemory(const MemoryFileSystem& files, const std::string& root) {
    SchemaFormatRegistry formats;
    Parser parser(nullptr, &formats);
    parser.setReadOptions(ReadOptions{&files, false});
    parser.fromFile(root);
    return parser.result();
}

TEST(WriterFiles, AnUnchangedTreeGoesBackAsItWasRead) {
    auto result = uncheckedReadFromFile(kTree / "openapi.yaml");
    ASSERT_TRUE(result->issues().empty()) << formatIssues(*result);
    std::vector<WrittenFile> files = writeToFiles(*result);
    ASSERT_EQ(files.size(), result->otherFiles().size() + 1);
    // The root keeps its references to files and its own components, and gets none of the other files' parts.
    EXPECT_EQ(files[0].path, kTree / "openapi.yaml");
    EXPECT_EQ(text(*files[0].doc), text(*result->doc()));
    // The other files: whole-file targets, parts in the middle of a file (owner.yaml's address is referred to on
    // its own as well), chains and references back into the root.
    for (std::size_t i = 0; i < result->otherFiles().size(); ++i) {
        EXPECT_EQ(files[i + 1].path, result->otherFiles()[i].path);
        EXPECT_EQ(text(*files[i + 1].doc), text(*result->otherFiles()[i].doc)) << files[i + 1].path;
    }

    // That address is written twice into the same place, once for each copy: a change to either copy stays.
    Components* components = result->model()->components();
    auto* inner = components->schema("owner")->property("address");
    ASSERT_NE(inner, components->schema("address"));
    inner->setDescription("inner");
    files = writeToFiles(*result);
    EXPECT_EQ(fileNamed(files, "owner.yaml").findNode("/properties/address/description")->stringValue(), "inner");
    inner->setDescription("");
    components->schema("address")->setDescription("component");
    files = writeToFiles(*result);
    EXPECT_EQ(fileNamed(files, "owner.yaml").findNode("/properties/address/description")->stringValue(), "component");
}

TEST(WriterFiles, ACallbackAWebhookAndComponentsTheRootNeverHadGoBack) {
    MemoryFileSystem files;
    files.mkdirp("/api");
    const std::string root = R"(openapi: 3.1.0
info: {title: t, version: '1'}
paths:
  /orders:
    post:
      callbacks:
        onDone:
          '{$request.body#/url}': {$ref: 'hooks.yaml#/done'}
      responses:
        '200':
          description: ok
          content:
            application/json:
              schema: {$ref: 'schemas.yaml#/Order'}
webhooks:
  ping: {$ref: 'hooks.yaml#/ping'}
)";
    const std::string hooks = R"(done:
  post:
    responses:
      '200': {description: done}
ping:
  post:
    requestBody:
      content:
        application/json:
          schema: {$ref: 'schemas.yaml#/Order'}
    responses:
      '200': {description: pong}
)";
    const std::string schemas = R"(Order:
  type: object
  properties:
    id: {type: string}
    next: {$ref: '#/Order'}
Unused: {type: string}
)";
    files.write("/api/openapi.yaml", root);
    files.write("/api/hooks.yaml", hooks);
    files.write("/api/schemas.yaml", schemas);
    auto result = readMemory(files, "/api/openapi.yaml");
    ASSERT_TRUE(result->issues().empty()) << formatIssues(*result);
    std::vector<WrittenFile> written = writeToFiles(*result);
    ASSERT_EQ(written.size(), 3u);
    EXPECT_EQ(text(*written[0].doc), textOf(root));
    EXPECT_EQ(text(fileNamed(written, "hooks.yaml")), textOf(hooks));
    EXPECT_EQ(text(fileNamed(written, "schemas.yaml")), textOf(schemas));

    // A change to a part read from another file shows in that file only.
    Schema* order = result->model()->components()->schema("Order");
    ASSERT_NE(order, nullptr);
    order->setDescription("An order");
    written = writeToFiles(*result);
    EXPECT_EQ(text(*written[0].doc), textOf(root));
    EXPECT_EQ(text(fileNamed(written, "hooks.yaml")), textOf(hooks));
    const jv::JVDoc& changed = fileNamed(written, "schemas.yaml");
    EXPECT_EQ(changed.findNode("/Order/description")->stringValue(), "An order");
    EXPECT_EQ(changed.findNode("/Order/properties/next/$ref")->stringValue(), "#/Order");
    EXPECT_NE(changed.findNode("/Unused"), nullptr);
}

// A `false` schema is written as a schema whose `not` is dropped once written. Parts of other files written after
// it must not be taken for that dropped value (in a build that reuses freed memory at once, they were).
TEST(WriterFiles, FalseSchemasAndThePartsAfterThemGoBackWhereTheyWere) {
    MemoryFileSystem files;
    files.mkdirp("/api");
    std::string root = "openapi: 3.1.0\ninfo: {title: t, version: '1'}\npaths:\n";
    std::string schemas;
    for (int i = 0; i < 20; ++i) {
        root += fmt::format(
            "  /s{0}:\n    get:\n      responses:\n        '200':\n          description: ok\n"
            "          content:\n            application/json:\n"
            "              schema: {{$ref: 'schemas.yaml#/S{0}'}}\n",
            i);
        schemas += fmt::format(
            "S{0}:\n  type: object\n  additionalProperties: false\n  properties:\n"
            "    never: false\n    next: {{$ref: '#/S{1}'}}\n",
            i, (i + 1) % 20);
    }
    files.write("/api/openapi.yaml", root);
    files.write("/api/schemas.yaml", schemas);
    auto result = readMemory(files, "/api/openapi.yaml");
    ASSERT_TRUE(result->issues().empty()) << formatIssues(*result);
    std::vector<WrittenFile> written = writeToFiles(*result);
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(text(*written[0].doc), textOf(root));
    EXPECT_EQ(text(fileNamed(written, "schemas.yaml")), textOf(schemas));
}

class WriterFilesOnDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("zephalon-writer-files-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        fs::remove_all(dir_);
        fs::copy(kTree, dir_, fs::copy_options::recursive);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string bytes(const fs::path& relative) const {
        LocalFileSystem local;
        return local.read((dir_ / relative).string());
    }

    fs::path dir_;
};

TEST_F(WriterFilesOnDisk, OnlyTheFilesWhosePartsChangedAreWritten) {
    auto result = uncheckedReadFromFile(dir_ / "openapi.yaml");
    ASSERT_TRUE(result->issues().empty()) << formatIssues(*result);
    std::map<fs::path, std::string> before;
    for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
        if (entry.is_regular_file()) before[entry.path()] = bytes(fs::relative(entry.path(), dir_));
    }

    FileWriteBack unchanged(*result);
    EXPECT_TRUE(unchanged.writeChanged(dir_ / "openapi.yaml").empty());

    // The address schema stands in owner.yaml twice over: inside the owner and as a component of its own.
    FileWriteBack writeBack(*result);
    result->model()->components()->schema("address")->setDescription("Where the owner lives");
    result->model()->info()->setTitle("Pet clinic, fixed");
    const std::vector<fs::path> written = writeBack.writeChanged(dir_ / "openapi.yaml");
    EXPECT_EQ(written, (std::vector<fs::path>{dir_ / "openapi.yaml", dir_ / "schemas" / "owner.yaml"}));
    for (const auto& [path, content] : before) {
        if (path == dir_ / "openapi.yaml" || path == dir_ / "schemas" / "owner.yaml") continue;
        EXPECT_EQ(bytes(fs::relative(path, dir_)), content) << path;
    }
    auto owner = jv::readFile(dir_ / "schemas" / "owner.yaml");
    EXPECT_EQ(owner->findNode("/properties/address/description")->stringValue(), "Where the owner lives");
    auto reread = uncheckedReadFromFile(dir_ / "openapi.yaml");
    ASSERT_TRUE(reread->issues().empty()) << formatIssues(*reread);
    EXPECT_EQ(reread->model()->info()->title(), "Pet clinic, fixed");
    EXPECT_EQ(reread->model()->components()->schema("address")->description(), "Where the owner lives");
    EXPECT_EQ(reread->otherFiles().size(), result->otherFiles().size());
}

TEST_F(WriterFilesOnDisk, TheChangedFilesGoBackAllOrNone) {
    auto result = uncheckedReadFromFile(dir_ / "openapi.yaml");
    ASSERT_TRUE(result->issues().empty()) << formatIssues(*result);
    const std::string root = bytes("openapi.yaml");
    FileWriteBack writeBack(*result);
    result->model()->components()->schema("address")->setDescription("Where the owner lives");
    result->model()->info()->setTitle("Pet clinic, fixed");
    // The second changed file cannot be replaced: the first keeps its bytes.
    fs::remove(dir_ / "schemas" / "owner.yaml");
    fs::create_directory(dir_ / "schemas" / "owner.yaml");
    EXPECT_THROW(writeBack.writeChanged(dir_ / "openapi.yaml"), FileError);
    EXPECT_EQ(bytes("openapi.yaml"), root);
}

}  // namespace
}  // namespace zephalon::openapi
