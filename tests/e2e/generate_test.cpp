#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "run_zephalon.h"

namespace zephalon::e2e {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;

constexpr std::string_view kDocument = R"(openapi: 3.0.3
info: {title: Pets, version: "1"}
paths:
  /pets:
    get:
      responses:
        "200":
          description: The pets.
          content:
            application/json:
              schema:
                type: array
                items: {$ref: '#/components/schemas/Pet'}
components:
  schemas:
    Pet:
      type: object
      required: [id, name, tag]
      properties:
        id: {type: integer, format: int64, minimum: 1}
        name: {type: string, minLength: 2, maxLength: 12}
        tag: {type: string, enum: [cat, dog, bird]}
        weight: {type: number, minimum: 0, exclusiveMinimum: true, maximum: 100}
)";

std::vector<std::string> dataArgs(std::vector<std::string> extra) {
    std::vector<std::string> args{"generate", "data", "api.yaml", "--pointer", "/components/schemas/Pet"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

TEST(GenerateDataTest, WritesOneSampleOrAnArrayOfThem) {
    Workspace workspace;
    workspace.write("api.yaml", kDocument);
    auto result = workspace.run(dataArgs({"-o", "pet.json"}));
    ASSERT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    const json pet = json::parse(workspace.read("pet.json"));
    ASSERT_TRUE(pet.is_object());
    EXPECT_GE(pet["id"].get<std::int64_t>(), 1);
    EXPECT_THAT((std::vector<std::string>{"cat", "dog", "bird"}), ::testing::Contains(pet["tag"].get<std::string>()));

    result = workspace.run(dataArgs({"--number", "25", "--output", "pets.yaml", "--mime-type", "application/json"}));
    ASSERT_EQ(result.status, 0) << result.out;
    const std::string yaml = workspace.read("pets.yaml");
    // One top-level item per sample; the same run written as JSON (the seed fixes every value) gives the values.
    std::size_t items = yaml.starts_with("- ") ? 1 : 0;
    for (std::size_t at = yaml.find("\n- "); at != std::string::npos; at = yaml.find("\n- ", at + 1)) ++items;
    EXPECT_EQ(items, 25u) << yaml;
    result = workspace.run(dataArgs({"--number", "25", "--output", "pets.json", "--mime-type", "application/json"}));
    ASSERT_EQ(result.status, 0) << result.out;
    const json pets = json::parse(workspace.read("pets.json"));
    ASSERT_TRUE(pets.is_array());
    EXPECT_EQ(pets.size(), 25u);
    for (const json& each : pets) {
        const auto name = each["name"].get<std::string>();
        EXPECT_GE(name.size(), 2u);
        EXPECT_LE(name.size(), 12u);
        if (each.contains("weight")) {
            EXPECT_GT(each["weight"].get<double>(), 0.0);
            EXPECT_LE(each["weight"].get<double>(), 100.0);
        }
    }
}

TEST(GenerateDataTest, TheSameRunGivesTheSameBytesAndWithoutOutputPrintsJson) {
    Workspace workspace;
    workspace.write("api.yaml", kDocument);
    ASSERT_EQ(workspace.run(dataArgs({"-n", "10", "-o", "a.json"})).status, 0);
    ASSERT_EQ(workspace.run(dataArgs({"-n", "10", "-o", "b.json"})).status, 0);
    EXPECT_EQ(workspace.read("a.json"), workspace.read("b.json"));
    auto result = workspace.run(dataArgs({"-n", "10"}));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, workspace.read("a.json"));
}

TEST(GenerateDataTest, ConfiguredRangesApplyAndDefaultsStandWithoutAFile) {
    Workspace workspace;
    workspace.write("api.yaml", R"(openapi: 3.1.0
info: {title: T, version: "1"}
paths: {}
components:
  schemas:
    Reading: {type: object, properties: {value: {type: integer}, label: {type: string}}, required: [value, label]}
)");
    workspace.write("config.yaml", R"(version: "1.0"
commands:
  generate:
    data: {minimum: 1000, maximum: 1005, minLength: 4, maxLength: 4}
)");
    const std::vector<std::string> base{"generate", "data", "api.yaml", "-p",      "/components/schemas/Reading",
                                        "-n",       "40",   "-o",       "out.json"};
    auto withConfig = base;
    withConfig.insert(withConfig.end(), {"-c", "config.yaml"});
    ASSERT_EQ(workspace.run(withConfig).status, 0);
    for (const json& each : json::parse(workspace.read("out.json"))) {
        EXPECT_GE(each["value"].get<int>(), 1000);
        EXPECT_LE(each["value"].get<int>(), 1005);
        EXPECT_EQ(each["label"].get<std::string>().size(), 4u);
    }
    ASSERT_EQ(workspace.run(base).status, 0);
    bool negative = false;
    for (const json& each : json::parse(workspace.read("out.json"))) {
        EXPECT_GE(each["value"].get<int>(), -10);
        EXPECT_LE(each["value"].get<int>(), 10);
        negative = negative || each["value"].get<int>() < 0;
    }
    EXPECT_TRUE(negative);
}

TEST(GenerateDataTest, ErrorsNameTheProblemAndLeaveNoFile) {
    Workspace workspace;
    workspace.write("api.yaml", kDocument);
    workspace.write("bad-config.yaml",
                    "version: \"1.0\"\ncommands:\n  generate:\n    data: {minItems: 5, maxItems: 2}\n");
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Case> cases{
        {dataArgs({"-n", "0", "-o", "x.json"}), "Quantity is not a positive number"},
        {dataArgs({"-n", "-3", "-o", "x.json"}), "Quantity is not a positive number"},
        {dataArgs({"-n", "lots", "-o", "x.json"}), "Quantity is not a positive number"},
        {dataArgs({"-n", "1000001", "-o", "x.json"}), "Quantity is too large (at most 1000000)"},
        {dataArgs({"-m", "not a type", "-o", "x.json"}), "Invalid MIME type"},
        {{"generate", "data", "api.yaml", "-p", "components", "-o", "x.json"}, "Invalid JSON pointer"},
        {{"generate", "data", "api.yaml", "-p", "/paths/~1pets/get/responses/200", "-o", "x.json"},
         "Node at /paths/~1pets/get/responses/200 is not a schema"},
        {{"generate", "data", "api.yaml", "-p", "/components/schemas/Dog", "-o", "x.json"},
         "Schema not found at /components/schemas/Dog"},
        {dataArgs({"-o", "x.txt"}), "Cannot guess format for x.txt"},
        {dataArgs({"-o", "x.json", "-c", "bad-config.yaml"}),
         "Error reading configuration file: Min must be less than or equal to max"},
        {{"generate", "data", "missing.yaml", "-o", "x.json"}, "Cannot open file: missing.yaml"},
    };
    for (const Case& each : cases) {
        auto result = workspace.run(each.args);
        EXPECT_EQ(result.status, 1) << each.message;
        EXPECT_EQ(result.out, each.message + "\n");
        EXPECT_EQ(result.err, "");
        EXPECT_FALSE(workspace.exists("x.json"));
        EXPECT_FALSE(workspace.exists("x.txt"));
    }
    // Samples written over the document they come from would destroy it, however the document is named.
    std::filesystem::create_symlink("api.yaml", workspace.path() / "link.yaml");
    for (const std::string output : {"api.yaml", "./api.yaml", "link.yaml"}) {
        const auto result = workspace.run(dataArgs({"-o", output}));
        EXPECT_EQ(result.status, 1) << output;
        EXPECT_EQ(result.out, "The output file " + output + " is the input document\n");
    }
    EXPECT_EQ(workspace.read("api.yaml"), kDocument);
}

TEST(GenerateTest, StubGeneratorsPrintTheirLineAndFail) {
    Workspace workspace;
    workspace.write("api.yaml", kDocument);
    auto result = workspace.run({"generate", "server", "go", "api.yaml", "-o", "out"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out,
              "Running ServerGoPlugin\nThe generator 'server go' is not available yet; nothing was written.\n");
    EXPECT_FALSE(workspace.exists("out"));
    result = workspace.run({"generate", "client", "python", "api.yaml"});
    EXPECT_EQ(result.out,
              "Running ClientPythonPluin\nThe generator 'client python' is not available yet; nothing was written.\n");
    result = workspace.run({"generate", "mock", "msw", "api.yaml"});
    EXPECT_THAT(result.out, HasSubstr("Running MockMSW plugin\n"));
}

TEST(GenerateTest, AnI18nArgumentNeedsALocaleAndAFile) {
    Workspace workspace;
    auto result = workspace.run({"generate", "doc", "html", "api.yaml", "--i18n", "de"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "Invalid --i18n argument\n");
}

TEST(GenerateTest, DocHtmlWritesTheSiteWithThePackageNameGiven) {
    Workspace workspace;
    workspace.write("api.yaml", kDocument);
    auto result = workspace.run({"generate", "doc", "html", "api.yaml", "-o", "site", "--package-name", "pets-doc"});
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(workspace.exists("site/src/pages/index.astro"));
    EXPECT_TRUE(workspace.exists("site/src/components/schemas/Resource_Pet.astro"));
    EXPECT_EQ(json::parse(workspace.read("site/package.json"))["name"], "pets-doc");
}

TEST(GenerateTest, SpringWritesAMavenProjectWithTheCommandsPackage) {
    Workspace workspace;
    workspace.write("api.yaml", kDocument);
    auto result = workspace.run({"generate", "server", "spring", "api.yaml", "-o", "server", "--package-name",
                                 "org.shop", "--package-version", "3"});
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(workspace.exists("server/pom.xml"));
    EXPECT_TRUE(workspace.exists("server/README.md"));
    EXPECT_TRUE(workspace.exists("server/src/main/java/org/shop/Application.java"));
    EXPECT_THAT(workspace.read("server/pom.xml"), HasSubstr("<version>3</version>"));

    result = workspace.run({"generate", "server", "spring", "api.yaml", "-o", "bad", "--package-name", "Org.Shop"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "Invalid package name: 'Org.Shop'\n");
    EXPECT_FALSE(workspace.exists("bad"));
}

TEST(GenerateTest, TheTreeHasItsHelpVersionAndOptions) {
    auto result = runZephalon({"generate", "--help"});
    EXPECT_EQ(result.status, 0);
    for (const char* text : {"Generate code and documentation from an OpenAPI file.", "data", "doc", "client", "mock",
                             "server", "Generate a client from an OpenAPI file."}) {
        EXPECT_THAT(result.out, HasSubstr(text));
    }
    result = runZephalon({"generate", "data", "--help"});
    EXPECT_EQ(result.status, 0);
    for (const char* text : {"Path to the OpenAPI spec.", "Path to the output file.", "JSON Pointer to the schema.",
                             "MIME type of the output.", "Number of items to generate.", "INPUT", "POINTER"}) {
        EXPECT_THAT(result.out, HasSubstr(text));
    }
    result = runZephalon({"generate", "server", "spring", "--help"});
    for (const char* text : {"Generate a Java Spring server.", "Path to the OpenAPI file.",
                             "Path to the output directory.", "Name of the generated package.", "PACKAGE_VERSION"}) {
        EXPECT_THAT(result.out, HasSubstr(text));
    }
    result = runZephalon({"generate", "client", "kotlin", "--version"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "1.0\n");
    // Options belong to the generators that have them.
    result = runZephalon({"generate", "server", "go", "api.yaml", "--config", "c.yaml"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "");
    result = runZephalon({"generate", "doc"});
    EXPECT_EQ(result.status, 1);
    result = runZephalon({"generate", "data"});
    EXPECT_EQ(result.status, 1);
}

}  // namespace
}  // namespace zephalon::e2e
