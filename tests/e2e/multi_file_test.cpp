// Documents split over several files: lint, diff and bundle on the tree in testdata/multi-file, copied into the
// workspace so that the tests can change it.

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "run_zephalon.h"

namespace zephalon::e2e {
namespace {

const std::filesystem::path kTree = std::filesystem::path(ZEPHALON_TESTDATA_DIR) / "multi-file";

class MultiFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::copy(kTree, workspace.path() / "api", std::filesystem::copy_options::recursive);
    }

    // Every file of the copied tree with its bytes, to show what a command left alone.
    std::map<std::string, std::string> snapshot() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(workspace.path() / "api")) {
            if (!entry.is_regular_file()) continue;
            const auto relative = std::filesystem::relative(entry.path(), workspace.path());
            files[relative.string()] = workspace.read(relative);
        }
        return files;
    }

    Workspace workspace;
};

TEST_F(MultiFileTest, BundleWritesTheExpectedDocument) {
    RunResult result = workspace.run({"bundle", "api/openapi.yaml", "--output", "out/bundled.yaml"});
    ASSERT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(workspace.read("out/bundled.yaml"), workspace.read("api/bundled.yaml"));

    // Without an output file the document goes to standard output, in the root's format.
    RunResult printed = workspace.run({"bundle", "api/openapi.yaml"});
    EXPECT_EQ(printed.status, 0);
    EXPECT_EQ(printed.out, workspace.read("api/bundled.yaml"));

    // JSON by the output's extension.
    RunResult json = workspace.run({"bundle", "api/openapi.yaml", "--output", "bundled.json"});
    ASSERT_EQ(json.status, 0) << json.out;
    auto tree = nlohmann::json::parse(workspace.read("bundled.json"));
    EXPECT_EQ(tree["components"]["schemas"]["pet-list"]["items"]["$ref"], "#/components/schemas/Pet");
}

TEST_F(MultiFileTest, BundleRefusesWhatItMustNotReadAndWritesNothing) {
    const auto before = snapshot();
    struct Case {
        std::string file;
        std::string message;
    };
    const Case cases[] = {
        {"api/bad/outside.yaml",
         "api/bad/outside.yaml: Reference leaves the document's directory: ../schemas/pet.yaml at (8, 6)\n"},
        {"api/bad/remote.yaml",
         "api/bad/remote.yaml: Remote references are not followed (no network access): "
         "https://example.com/schemas/pet.yaml at (8, 6)\n"},
        {"api/bad/alias-a.yaml", "api/bad/alias-a.yaml: Circular reference: ./alias-b.yaml#/Next at (8, 6)\n"},
    };
    for (const Case& c : cases) {
        RunResult result = workspace.run({"bundle", c.file, "--output", "out.yaml"});
        EXPECT_EQ(result.status, 1) << c.file;
        EXPECT_EQ(result.out, c.message + "\n");
        EXPECT_EQ(result.err, "");
        EXPECT_FALSE(workspace.exists("out.yaml")) << c.file;
    }
    RunResult unknown = workspace.run({"bundle", "api/openapi.yaml", "--output", "out.txt"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.out, "Unsupported file format: out.txt\n");
    EXPECT_FALSE(workspace.exists("out.txt"));

    // Given leave, the reference out of the directory is followed.
    RunResult allowed =
        workspace.run({"bundle", "api/bad/outside.yaml", "--allow-external-refs-outside", "--output", "out.yaml"});
    EXPECT_EQ(allowed.status, 0) << allowed.out;
    EXPECT_NE(workspace.read("out.yaml").find("$ref: '#/components/schemas/owner'"), std::string::npos);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(MultiFileTest, NoCommandWritesOverAFileOfTheDocument) {
    const auto before = snapshot();
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"bundle", "api/openapi.yaml", "--output", "api/schemas/pet.yaml"},
         "The output file api/schemas/pet.yaml is a file of the input document"},
        {{"bundle", "api/openapi.yaml", "--output", "./api/openapi.yaml"},
         "The output file ./api/openapi.yaml is the input document"},
        {{"i18n", "api/openapi.yaml", "--output", "api/schemas/pet-list.json"},
         "The output file api/schemas/pet-list.json is a file of the input document"},
        {{"generate", "data", "api/openapi.yaml", "-p", "/components/schemas/Error", "-o", "api/common.yaml"},
         "The output file api/common.yaml is a file of the input document"},
        {{"lint", "api/openapi.yaml", "--write-baseline", "api/paths/pets.yaml"},
         "The baseline file api/paths/pets.yaml is a file of the input document"},
    };
    for (const Case& c : cases) {
        RunResult result = workspace.run(c.args);
        EXPECT_EQ(result.status, 1) << c.message;
        EXPECT_EQ(result.out, c.message + "\n");
    }
    EXPECT_EQ(snapshot(), before);
}

TEST_F(MultiFileTest, DiffOfTheTreeAndItsBundleFindsNoChange) {
    RunResult result = workspace.run({"diff", "--report", "status", "api/openapi.yaml", "api/bundled.yaml"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "No changes\n");
    RunResult reverse = workspace.run({"diff", "--report", "status", "api/bundled.yaml", "api/openapi.yaml"});
    EXPECT_EQ(reverse.out, "No changes\n");
    EXPECT_EQ(result.err, "");
}

TEST_F(MultiFileTest, DiffLinesNameTheFileOfEachChange) {
    std::string pet = workspace.read("api/schemas/pet.yaml");
    pet.replace(pet.find("format: int64"), 13, "format: int32");
    workspace.write("api/schemas/pet.yaml", pet);
    RunResult result =
        workspace.run({"diff", "--report", "detailed", "--formatter", "unix", "api/bundled.yaml", "api/openapi.yaml"});
    EXPECT_EQ(result.err, "");
    // The format of pet.yaml's id, at its place in pet.yaml (YAML lines and columns as the reader counts them);
    // the paths around it stand in the root file.
    EXPECT_NE(result.out.find("\napi/schemas/pet.yaml:6:4: [breaking] property_modified schema.format\n"),
              std::string::npos)
        << result.out;
    EXPECT_EQ(result.out.find("api/openapi.yaml:10:4: [breaking] key_modified paths '/owners'\n"), 0u) << result.out;
}

TEST_F(MultiFileTest, EveryDiffFormatNamesTheFileOfAChangeInAnotherFile) {
    // A new operation in a path file, and a changed format in a schema file.
    workspace.write("api/paths/pets.yaml", workspace.read("api/paths/pets.yaml") + R"(post:
  operationId: addPet
  responses:
    '201':
      description: Added
)");
    std::string pet = workspace.read("api/schemas/pet.yaml");
    pet.replace(pet.find("format: int64"), 13, "format: int32");
    workspace.write("api/schemas/pet.yaml", pet);

    RunResult unix = workspace.run({"diff", "--formatter", "unix", "api/bundled.yaml", "api/openapi.yaml"});
    EXPECT_EQ(unix.err, "");
    // The added operation comes first; the operations around the changed schema stand in the root file.
    EXPECT_EQ(unix.out.find("api/paths/pets.yaml:12:2: Operation added POST /pets. [non-breaking]\n"
                            "api/openapi.yaml:11:6: Operation modified GET /owners. [breaking]\n"),
              0u)
        << unix.out;
    RunResult studio = workspace.run({"diff", "--formatter", "visualstudio", "api/bundled.yaml", "api/openapi.yaml"});
    EXPECT_EQ(studio.out.find("api/paths/pets.yaml(12,2): non-breaking: Added operation POST /pets.\n"), 0u)
        << studio.out;
    RunResult stylish = workspace.run({"diff", "api/bundled.yaml", "api/openapi.yaml"});
    EXPECT_NE(stylish.out.find("Added operation POST /pets in api/paths/pets.yaml\n"), std::string::npos)
        << stylish.out;
    RunResult json = workspace.run({"diff", "--formatter", "json", "api/bundled.yaml", "api/openapi.yaml"});
    const auto added = nlohmann::json::parse(json.out)["added"];
    ASSERT_EQ(added.size(), 1u) << json.out;
    EXPECT_EQ(added[0]["file"], "api/paths/pets.yaml");
    // Changes in the compared file itself carry no file member, as for a document of one file.
    EXPECT_FALSE(nlohmann::json::parse(json.out)["modified"][0].contains("file")) << json.out;

    // The other formats and the detailed report: the change's file stands next to its position.
    for (const std::string formatter : {"markdown", "html"}) {
        RunResult changelog = workspace.run({"diff", "--formatter", formatter, "api/bundled.yaml", "api/openapi.yaml"});
        EXPECT_NE(changelog.out.find("at (12, 2) in api/paths/pets.yaml"), std::string::npos) << changelog.out;
    }
    for (const std::string formatter : {"stylish", "markdown", "html", "json"}) {
        RunResult detailed = workspace.run(
            {"diff", "--report", "detailed", "--formatter", formatter, "api/bundled.yaml", "api/openapi.yaml"});
        EXPECT_NE(detailed.out.find("api/schemas/pet.yaml"), std::string::npos) << formatter << detailed.out;
    }
}

TEST_F(MultiFileTest, GeneratorIssuesNameTheFileOfTheirNode) {
    workspace.write("api/paths/pets.yaml", workspace.read("api/paths/pets.yaml") + R"(post:
  operationId: addPet
  requestBody:
    content:
      application/xml:
        schema: {type: string}
  responses:
    '201':
      description: Added
)");
    RunResult result =
        workspace.run({"generate", "server", "spring", "api/openapi.yaml", "-o", "server", "--package-name", "pets"});
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.err, "");
    EXPECT_NE(result.out.find("api/paths/pets.yaml:14:4 Warning Request body has no application/json media type, "
                              "skipping"),
              std::string::npos)
        << result.out;
}

TEST_F(MultiFileTest, UpdateVersionWritesOnlyTheFileThatHoldsTheVersion) {
    // A new operation in a path file is a minor change; the version stands in the root file.
    workspace.write("api/paths/pets.yaml", workspace.read("api/paths/pets.yaml") + R"(post:
  operationId: addPet
  responses:
    '201':
      description: Added
)");
    auto expected = snapshot();
    RunResult result =
        workspace.run({"diff", "--report", "status", "--update-version", "api/bundled.yaml", "api/openapi.yaml"});
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.err, "");
    auto after = snapshot();
    std::string& root = expected["api/openapi.yaml"];
    root.replace(root.find("version: 1.0.0"), 14, "version: 1.1.0");
    EXPECT_EQ(after, expected);
}

TEST_F(MultiFileTest, LintNamesTheFileOfEveryFinding) {
    RunResult result = workspace.run({"lint", "--formatter", "json", "api/openapi.yaml"});
    ASSERT_EQ(result.status, 0) << result.out;
    auto report = nlohmann::json::parse(result.out);
    std::map<std::string, std::vector<nlohmann::json>> byFile;
    for (const auto& group : report) {
        const std::string file = group["filePath"];
        const std::string relative = std::filesystem::relative(file, std::filesystem::canonical(workspace.path()));
        for (const auto& message : group["messages"]) byFile[relative].push_back(message);
    }
    std::set<std::string> files;
    for (const auto& [file, messages] : byFile) files.insert(file);
    EXPECT_EQ(files, (std::set<std::string>{"api/common.yaml", "api/openapi.yaml", "api/paths/pet by id.yaml",
                                            "api/paths/pets.yaml", "api/schemas/owner.yaml",
                                            "api/schemas/pet-list.json", "api/schemas/pet.yaml"}));
    // The string schema of pet.yaml's "name" (lines count from 1 in reports).
    bool nameConstraint = false;
    for (const auto& message : byFile["api/schemas/pet.yaml"]) {
        if (message["rule"] == "schema-constraints" && message["line"] == 10 && message["column"] == 5) {
            nameConstraint = true;
            EXPECT_EQ(message["jsonPointer"], "/properties/name");
        }
    }
    EXPECT_TRUE(nameConstraint) << result.out;
    // Components used only from other files are used all the same.
    for (const auto& [file, messages] : byFile) {
        for (const auto& message : messages) EXPECT_NE(message["rule"], "unused-shared-component") << file;
    }
}

TEST_F(MultiFileTest, LintFixWritesOnlyTheFilesItsFixesChanged) {
    workspace.write("fix.yaml",
                    "version: \"1.0\"\ncommands: {lint: {rules: {schema-enum-no-duplicates: error, "
                    "paths-sorted: error}}}\n");
    // A fix inside a referenced file: only that file is written, in the layout a fixed single file gets.
    workspace.write("api/schemas/owner.yaml",
                    workspace.read("api/schemas/owner.yaml") + "  kind:\n    enum: [cat, dog, cat]\n");
    std::string root = workspace.read("api/openapi.yaml");
    // Sorted already, so that the root has nothing to fix.
    const std::string owners =
        root.substr(root.find("  /owners:\n"), root.find("components:\n") - root.find("  /owners:\n"));
    root.erase(root.find(owners), owners.size());
    root.insert(root.find("  /pets:\n"), owners);
    workspace.write("api/openapi.yaml", root);
    auto expected = snapshot();
    RunResult fixed = workspace.run({"lint", "--config", "fix.yaml", "--fix", "api/openapi.yaml"});
    ASSERT_EQ(fixed.status, 0) << fixed.out;
    EXPECT_EQ(fixed.err, "");
    EXPECT_EQ(fixed.out.find("schema-enum-no-duplicates"), std::string::npos) << fixed.out;
    auto after = snapshot();
    EXPECT_EQ(after["api/schemas/owner.yaml"], R"(type: object
properties:
  name:
    type: string
  address:
    type: object
    properties:
      street:
        type: string
      city:
        type: string
  pets:
    type: array
    items:
      $ref: ./pet.yaml
  kind:
    enum:
    - cat
    - dog
)");
    after.erase("api/schemas/owner.yaml");
    expected.erase("api/schemas/owner.yaml");
    EXPECT_EQ(after, expected);

    // A fix in the root: the root is written, with its references to other files as they were.
    std::string unsorted = workspace.read("api/openapi.yaml");
    unsorted.erase(unsorted.find(owners), owners.size());
    unsorted.insert(unsorted.find("components:\n"), owners);
    workspace.write("api/openapi.yaml", unsorted);
    expected = snapshot();
    fixed = workspace.run({"lint", "--config", "fix.yaml", "--fix", "api/openapi.yaml"});
    ASSERT_EQ(fixed.status, 0) << fixed.out;
    EXPECT_EQ(fixed.out.find("paths-sorted"), std::string::npos) << fixed.out;
    after = snapshot();
    EXPECT_EQ(after["api/openapi.yaml"], root);
    after.erase("api/openapi.yaml");
    expected.erase("api/openapi.yaml");
    EXPECT_EQ(after, expected);
}

}  // namespace
}  // namespace zephalon::e2e
