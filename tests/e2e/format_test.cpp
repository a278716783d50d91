#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "run_zephalon.h"

namespace zephalon::e2e {
namespace {

constexpr std::string_view kPetstore = R"({
  "paths": {
    "/pets": {
      "get": {
        "responses": {"default": {"description": "error"}, "404": {"description": "missing"},
                      "200": {"description": "ok"}},
        "summary": "List pets",
        "x-owner": "pets-team",
        "operationId": "listPets"
      }
    }
  },
  "openapi": "3.0.3",
  "info": {"version": "1.0.0", "title": "Pets", "x-id": "0042"}
})";

constexpr std::string_view kVersionOnly = "version: \"1.0\"\n";

TEST(FormatTest, WithoutConfigurationWritesAYamlSiblingAndKeepsTheJson) {
    Workspace workspace;
    workspace.write("api.json", kPetstore);
    const auto result = workspace.run({"format", "api.json"});
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(workspace.read("api.json"), kPetstore);
    const std::string yaml = workspace.read("api.yaml");
    // Source order, and a string that looks like a number stays a string.
    EXPECT_EQ(yaml.find("paths:"), 0u) << yaml;
    EXPECT_NE(yaml.find("x-id: '0042'"), std::string::npos) << yaml;
    // Status codes are strings; YAML 1.1 readers would take them plain for integers.
    EXPECT_NE(yaml.find("        '404':\n"), std::string::npos) << yaml;
}

TEST(FormatTest, ConfigurationWithoutFormatSectionRewritesJsonInPlace) {
    Workspace workspace;
    workspace.write("api.json", R"({"openapi":"3.1.0","info":{"version":"1","title":"T"},"paths":{}})");
    workspace.write("zephalon.yaml", kVersionOnly);
    const auto result = workspace.run({"format", "--config", "zephalon.yaml", "api.json"});
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(workspace.read("api.json"),
              "{\n  \"openapi\": \"3.1.0\",\n  \"info\": {\n    \"version\": \"1\",\n    \"title\": \"T\"\n  },\n"
              "  \"paths\": {}\n}\n");
    EXPECT_FALSE(workspace.exists("api.yaml"));
}

TEST(FormatTest, RecommendedOrderAndFixedListsWithByteWiseRest) {
    Workspace workspace;
    workspace.write("api.json", kPetstore);
    workspace.write("zephalon.json", R"({"version": "1.0", "commands": {"format": {
        "extends": ["recommended"],
        "openapi": {"format": "json", "property_order": {"info": ["version"]}}}}})");
    const auto result = workspace.run({"format", "--config", "zephalon.json", "api.json"});
    ASSERT_EQ(result.status, 0) << result.out;
    const std::string json = workspace.read("api.json");
    auto at = [&](std::string_view text) { return json.find(text); };
    EXPECT_LT(at("\"openapi\""), at("\"info\""));
    EXPECT_LT(at("\"info\""), at("\"paths\""));
    EXPECT_LT(at("\"summary\""), at("\"operationId\""));
    EXPECT_LT(at("\"operationId\""), at("\"responses\""));
    EXPECT_LT(at("\"responses\""), at("\"x-owner\""));
    EXPECT_LT(at("\"200\""), at("\"404\""));
    EXPECT_LT(at("\"404\""), at("\"default\""));
    // A fixed list, then the unlisted keys in byte-wise order.
    EXPECT_LT(at("\"version\""), at("\"title\""));
    EXPECT_LT(at("\"title\""), at("\"x-id\""));
}

TEST(FormatTest, OutputFileTakesItsFormatFromItsExtension) {
    Workspace workspace;
    workspace.write("api.json", kPetstore);
    auto result = workspace.run({"format", "--output", "out/api.yml", "api.json"});
    EXPECT_NE(result.status, 0) << "the output directory does not exist";
    workspace.write("out/.keep", "");
    result = workspace.run({"format", "--output", "out/api.yml", "api.json"});
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(workspace.read("out/api.yml").find("paths:"), 0u);
    EXPECT_EQ(workspace.read("api.json"), kPetstore);

    result = workspace.run({"format", "--output", "api.txt", "api.json"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "Unknown file format: api.txt\n");
    EXPECT_FALSE(workspace.exists("api.txt"));
}

TEST(FormatTest, RejectsBadInvocationsAndConfigurations) {
    Workspace workspace;
    workspace.write("a.json", kPetstore);
    workspace.write("b.json", kPetstore);
    auto result = workspace.run({"format", "--output", "c.json", "a.json", "b.json"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "Only one input file is allowed when using --output.\n");
    EXPECT_FALSE(workspace.exists("c.json"));

    workspace.write("indent.yaml", "version: \"1.0\"\ncommands:\n  format:\n    openapi:\n      indent: 1\n");
    result = workspace.run({"format", "--config", "indent.yaml", "a.json"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "indent.yaml: commands.format.openapi.indent: Invalid indent size (2 to 9)\n");

    workspace.write("noopenapi.yaml", "version: \"1.0\"\ncommands:\n  format:\n    extends: [recommended]\n");
    result = workspace.run({"format", "--config", "noopenapi.yaml", "a.json"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "noopenapi.yaml: commands.format.openapi is required\n");

    result = workspace.run({"format"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "");

    EXPECT_EQ(workspace.read("a.json"), kPetstore);
    EXPECT_EQ(workspace.read("b.json"), kPetstore);
    EXPECT_FALSE(workspace.exists("a.yaml"));
}

TEST(FormatTest, AFailedFileStopsTheRunAndLeavesEveryFileWholeOrUntouched) {
    Workspace workspace;
    for (const char* name : {"a.json", "b.json", "c.json"}) workspace.write(name, kPetstore);
    // Where b.yaml should go there is a directory, so writing it must fail.
    std::filesystem::create_directories(workspace.path() / "b.yaml" / "inside");

    const auto result = workspace.run({"format", "a.json", "b.json", "c.json"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "b.json: Failed to open file for writing: b.yaml\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(workspace.read("a.yaml").find("paths:"), 0u);
    EXPECT_FALSE(workspace.exists("c.yaml"));
    for (const char* name : {"a.json", "b.json", "c.json"}) EXPECT_EQ(workspace.read(name), kPetstore);
    // No temporary file is left behind.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(workspace.path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{".zephalon.telemetry", "a.json", "a.yaml", "b.json", "b.yaml", "c.json"}));
}

TEST(FormatTest, ReplacesAnExistingSiblingOnlyWhenTheNewTextIsComplete) {
    Workspace workspace;
    workspace.write("api.json", kPetstore);
    workspace.write("api.yaml", "old: content\n");
    const auto result = workspace.run({"format", "api.json"});
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(workspace.read("api.yaml").find("paths:"), 0u);

    workspace.write("broken.json", R"({"openapi": )");
    workspace.write("broken.yaml", "old: content\n");
    const auto failed = workspace.run({"format", "broken.json"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(workspace.read("broken.yaml"), "old: content\n");
}

}  // namespace
}  // namespace zephalon::e2e
