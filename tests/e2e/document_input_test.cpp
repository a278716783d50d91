// How format and i18n treat hand-written input: errors that say where, documents that are not documents, and the
// YAML features (merge keys, unique keys) that decide what a document means.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "run_zephalon.h"

namespace zephalon::e2e {
namespace {

// Every file in the workspace except the telemetry file, sorted.
std::vector<std::string> filesIn(const Workspace& workspace) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(workspace.path())) {
        std::string name = entry.path().filename().string();
        if (name != ".zephalon.telemetry") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Refusal {
    std::string file;
    std::string contents;
    std::string message;
};

// A refused input ends the run with status 1 and one line naming the file and the fault; the input stays as it
// was and nothing is written beside it.
void expectRefused(const Refusal& refusal, const std::vector<std::string>& args) {
    Workspace workspace;
    workspace.write(refusal.file, refusal.contents);
    const auto result = workspace.run(args);
    EXPECT_EQ(result.status, 1) << refusal.file << ": " << result.out;
    EXPECT_EQ(result.out, refusal.message + "\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(workspace.read(refusal.file), refusal.contents);
    EXPECT_EQ(filesIn(workspace), std::vector<std::string>{refusal.file});
}

TEST(DocumentInputTest, SyntaxErrorsNameFileLineColumnAndReason) {
    const Refusal refusals[] = {
        {"api.json", "{\n  \"openapi\": \"3.1.0\",\n  \"info\": {}\n  \"paths\": {}\n}\n",
         "api.json:4:3: JSON parse error: expected ',' or '}' after an object member, found a string"},
        {"api.json", "{\"openapi\": \"3.1.0\", \"info\": {\"title\": \"caf\xC3\x28\"}}",
         "api.json:1:44: JSON parse error: invalid UTF-8 at byte 43"},
        {"api.json", std::string(1001, '[') + std::string(1001, ']'),
         "api.json:1:1001: JSON parse error: nesting deeper than 1000 levels"},
        {"api.yaml", "openapi: 3.1.0\ninfo:\n  title: T\n\tversion: '1'\n",
         "api.yaml:4:1: Failed to parse YAML: found a tab character where indentation is expected"},
        {"api.yaml", "openapi: 3.1.0\ninfo:\n  title: T\n  version: '1'\n  title: U\n",
         "api.yaml:5:3: Failed to parse YAML: duplicate key 'title'"},
        {"api.yaml", "openapi: 3.1.0\ntags: [a, b\n",
         "api.yaml:3:1: Failed to parse YAML: did not find expected ',' or ']' (while parsing a flow sequence that "
         "starts at 2:7)"},
    };
    for (const Refusal& refusal : refusals) {
        expectRefused(refusal, {"format", refusal.file});
        expectRefused(refusal, {"i18n", refusal.file, "--output", "texts.json"});
    }
}

TEST(DocumentInputTest, InputThatIsNoDocumentIsRefused) {
    const std::string reason = ": not an OpenAPI document (the root must be an object)";
    const Refusal refusals[] = {
        {"empty.yaml", "", "empty.yaml" + reason},
        {"empty.json", "", "empty.json" + reason},
        {"comments.yaml", "# to be written\n\n# later\n", "comments.yaml" + reason},
        {"list.json", "[{\"openapi\": \"3.1.0\"}]", "list.json" + reason},
        {"scalar.yaml", "openapi 3.1.0\n", "scalar.yaml" + reason},
        {"null.json", "null", "null.json" + reason},
    };
    for (const Refusal& refusal : refusals) {
        expectRefused(refusal, {"format", refusal.file});
        expectRefused(refusal, {"format", refusal.file, "--output", "out.json"});
        expectRefused(refusal, {"i18n", refusal.file, "--output", "texts.json"});
    }
}

TEST(DocumentInputTest, ByteOrderMarkBeforeJsonIsSkipped) {
    Workspace workspace;
    workspace.write("api.json",
                    "\xEF\xBB\xBF{\"openapi\": \"3.1.0\", \"info\": {\"title\": \"T\", \"version\": \"1\"}}");
    const auto format = workspace.run({"format", "api.json", "--output", "out.json"});
    EXPECT_EQ(format.status, 0) << format.out;
    EXPECT_EQ(workspace.read("out.json"),
              "{\n  \"openapi\": \"3.1.0\",\n  \"info\": {\n    \"title\": \"T\",\n    \"version\": \"1\"\n  }\n}\n");
    const auto i18n = workspace.run({"i18n", "api.json"});
    EXPECT_EQ(i18n.status, 0) << i18n.out;
    EXPECT_EQ(i18n.out, "{\n  \"/info/title\": \"T\"\n}\n");
}

TEST(DocumentInputTest, MergeKeysAreAppliedBeforeFormattingAndExtracting) {
    Workspace workspace;
    workspace.write("api.yaml",
                    "openapi: 3.1.0\n"
                    "info: {title: Pets, version: '1'}\n"
                    "x-bases:\n"
                    "  named: &named\n"
                    "    type: object\n"
                    "    description: Something with a name\n"
                    "    properties:\n"
                    "      name: {type: string}\n"
                    "components:\n"
                    "  schemas:\n"
                    "    Pet:\n"
                    "      <<: *named\n"
                    "      description: A pet\n");
    const auto format = workspace.run({"format", "api.yaml", "--output", "out.json"});
    EXPECT_EQ(format.status, 0) << format.out;
    const std::string json = workspace.read("out.json");
    EXPECT_NE(json.find("    \"schemas\": {\n      \"Pet\": {\n        \"type\": \"object\",\n"
                        "        \"description\": \"A pet\",\n        \"properties\": {\n"),
              std::string::npos)
        << json;
    EXPECT_EQ(json.find("<<"), std::string::npos) << json;

    const auto i18n = workspace.run({"i18n", "api.yaml"});
    EXPECT_EQ(i18n.status, 0) << i18n.out;
    EXPECT_NE(i18n.out.find("\"/components/schemas/Pet/description\": \"A pet\""), std::string::npos) << i18n.out;
}

TEST(DocumentInputTest, OneBadFileAmongSeveralIsNamedOnce) {
    Workspace workspace;
    workspace.write("a.json", "{\"openapi\": \"3.1.0\"}");
    workspace.write("b.json", "{\"openapi\" \"3.1.0\"}");
    const auto result = workspace.run({"format", "a.json", "b.json"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "b.json:1:12: JSON parse error: expected ':' after an object key, found a string\n");
    EXPECT_EQ(workspace.read("b.json"), "{\"openapi\" \"3.1.0\"}");
    EXPECT_FALSE(workspace.exists("b.yaml"));
}

// Strings that YAML readers could mistake for other types come out quoted, and the round trip through YAML gives
// back the same document byte for byte once written as JSON again.
TEST(DocumentInputTest, YamlOutputKeepsLookAlikeStringsStrings) {
    const std::string source = readText(std::filesystem::path(ZEPHALON_TESTDATA_DIR) / "format" / "mistypable.json");
    Workspace workspace;
    workspace.write("api.json", source);
    auto result = workspace.run({"format", "api.json"});
    ASSERT_EQ(result.status, 0) << result.out;
    const std::string yaml = workspace.read("api.yaml");
    for (const char* line : {"  title: 'yes'\n", "  version: '1.10'\n", "  summary: 'on'\n",
                             "  description: |\n    Line one\n    Line two:\n      - not a list\n    # not a comment\n",
                             "  x-release-date: '2024-01-01'\n", "  x-letter: 'y'\n", "  x-merge: '<<'\n",
                             "  x-emoji: Launch 🚀 — café\n", "        '200':\n", "                'on': 'off'\n",
                             "          description: \"error\\r\\nwith a CR LF\"\n"}) {
        EXPECT_NE(yaml.find(line), std::string::npos) << line << "\n" << yaml;
    }
    workspace.write("zephalon.yaml", "version: '1.0'\ncommands:\n  format:\n    openapi: {format: json}\n");
    result = workspace.run({"format", "--config", "zephalon.yaml", "api.yaml"});
    ASSERT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(workspace.read("api.json"), source);
}

TEST(DocumentInputTest, ConfigurationErrorsNameFileAndMember) {
    const std::string api = "{\"openapi\": \"3.1.0\", \"info\": {\"title\": \"T\", \"version\": \"1\"}}";
    struct Case {
        std::string file;
        std::string contents;
        std::string message;
    };
    const Case cases[] = {
        {"z.yaml", "version: '1.0'\ncommands:\n  format:\n    extends: [recommended]\n",
         "z.yaml: commands.format.openapi is required"},
        {"i.json", "{\"version\": \"1.0\",\n \"commands\": {\n  \"format\": {\n   \"openapi\": {\"indent\": 12}}}}",
         "i.json:4:26: Invalid indent size (2 to 9)"},
        {"i.yaml", "version: '1.0'\ncommands:\n  format:\n    openapi:\n      indent: 1\n",
         "i.yaml: commands.format.openapi.indent: Invalid indent size (2 to 9)"},
        {"n.yaml", "version: 1.0\n", "n.yaml: version must be the string \"1.0\""},
        {"x.yaml", "version: '1.0'\ncommands:\n  format:\n    openapi: {format: xml}\n",
         "x.yaml: commands.format.openapi.format: Unknown file format: xml"},
    };
    for (const Case& c : cases) {
        Workspace workspace;
        workspace.write("api.json", api);
        workspace.write(c.file, c.contents);
        const auto result = workspace.run({"format", "--config", c.file, "api.json"});
        EXPECT_EQ(result.status, 1) << c.file;
        EXPECT_EQ(result.out, c.message + "\n");
        EXPECT_EQ(workspace.read("api.json"), api);
    }
}

TEST(DocumentInputTest, UnknownLibraryIsAnError) {
    const auto result = runZephalon({"license", "--library", "no-such-lib"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "Unknown library: no-such-lib\n");
    EXPECT_EQ(result.err, "");
}

TEST(DocumentInputTest, OutputHelpSaysWhatTheOptionTakes) {
    const auto format = runZephalon({"format", "--help"});
    EXPECT_NE(format.out.find("Path to the output file (one input only)"), std::string::npos) << format.out;
    EXPECT_EQ(format.out.find("directory"), std::string::npos) << format.out;
    const auto i18n = runZephalon({"i18n", "--help"});
    EXPECT_NE(i18n.out.find("standard output when absent"), std::string::npos) << i18n.out;
}

}  // namespace
}  // namespace zephalon::e2e
