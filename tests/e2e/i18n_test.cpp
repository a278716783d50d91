#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "run_zephalon.h"

namespace zephalon::e2e {
namespace {

using nlohmann::json;

// RFC 6901, written out here so the program's own pointer code is not what checks its output.
const json* resolve(const json& document, const std::string& pointer) {
    if (pointer.empty()) return &document;
    if (pointer.front() != '/') return nullptr;
    const json* node = &document;
    std::size_t start = 1;
    while (true) {
        const std::size_t slash = pointer.find('/', start);
        std::string token = pointer.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        std::string decoded;
        for (std::size_t i = 0; i < token.size(); ++i) {
            if (token[i] != '~') {
                decoded.push_back(token[i]);
                continue;
            }
            if (i + 1 >= token.size() || (token[i + 1] != '0' && token[i + 1] != '1')) return nullptr;
            decoded.push_back(token[i + 1] == '0' ? '~' : '/');
            ++i;
        }
        if (node->is_object()) {
            auto it = node->find(decoded);
            if (it == node->end()) return nullptr;
            node = &*it;
        } else if (node->is_array()) {
            if (decoded.empty() || decoded.find_first_not_of("0123456789") != std::string::npos) return nullptr;
            if (decoded.size() > 1 && decoded.front() == '0') return nullptr;
            const std::size_t index = std::stoul(decoded);
            if (index >= node->size()) return nullptr;
            node = &(*node)[index];
        } else {
            return nullptr;
        }
        if (slash == std::string::npos) return node;
        start = slash + 1;
    }
}

std::string escape(const std::string& token) {
    std::string out;
    for (char c : token) {
        if (c == '~') {
            out += "~0";
        } else if (c == '/') {
            out += "~1";
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// Only texts are compared, so numbers outside strings become 0: a plain parser may refuse numbers beyond double
// that the documents use on purpose.
std::string neutraliseNumbers(const std::string& text) {
    std::string out;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            out.push_back(c);
            if (c == '\\' && i + 1 < text.size()) {
                out.push_back(text[++i]);
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
            out.push_back(c);
        } else if (c == '-' || (c >= '0' && c <= '9')) {
            while (i + 1 < text.size() && std::string_view("0123456789+-.eE").find(text[i + 1]) != std::string::npos) {
                ++i;
            }
            out.push_back('0');
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// The source document as plain JSON: YAML documents go through the program's own converter first.
json loadSource(const Workspace& workspace, const std::filesystem::path& name) {
    if (name.extension() == ".json") return json::parse(neutraliseNumbers(workspace.read(name)));
    const auto converted = workspace.run({"format", name.string(), "--output", "source.json"});
    EXPECT_EQ(converted.status, 0) << converted.out;
    return json::parse(neutraliseNumbers(workspace.read("source.json")));
}

TEST(I18nTest, EveryKeyResolvesToItsTextAndOperationAndInfoTextsAreAllThere) {
    std::size_t documents = 0;
    for (const auto& entry : std::filesystem::directory_iterator(ZEPHALON_TESTDATA_DIR "/openapi")) {
        const auto name = entry.path().filename();
        SCOPED_TRACE(name.string());
        Workspace workspace;
        std::filesystem::copy_file(entry.path(), workspace.path() / name);
        const auto result = workspace.run({"i18n", name.string(), "--output", "texts.json"});
        ASSERT_EQ(result.status, 0) << result.out;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "");
        const json texts = json::parse(workspace.read("texts.json"));
        const json source = loadSource(workspace, name);
        ASSERT_TRUE(texts.is_object());
        ++documents;

        for (const auto& [key, value] : texts.items()) {
            const json* target = resolve(source, key);
            ASSERT_NE(target, nullptr) << key;
            EXPECT_EQ(*target, value) << key;
            EXPECT_TRUE(value.is_string()) << key;
        }

        auto expectText = [&](const std::string& pointer) {
            const json* text = resolve(source, pointer);
            if (text == nullptr || !text->is_string()) return;
            ASSERT_TRUE(texts.contains(pointer)) << pointer;
            EXPECT_EQ(texts[pointer], *text) << pointer;
        };
        expectText("/info/title");
        expectText("/info/description");
        if (!source.contains("paths")) continue;
        for (const auto& [path, item] : source["paths"].items()) {
            if (!item.is_object() || path.starts_with("x-")) continue;
            for (const char* method : {"get", "put", "post", "delete", "options", "head", "patch", "trace"}) {
                if (!item.contains(method)) continue;
                const std::string operation = "/paths/" + escape(path) + "/" + method;
                expectText(operation + "/summary");
                expectText(operation + "/description");
            }
        }
    }
    EXPECT_GE(documents, 10u);
}

constexpr std::string_view kPets = R"({
  "openapi": "3.1.0",
  "info": {"title": "Pets", "version": "1"},
  "paths": {"/pets/{id}": {"get": {"summary": "Show a pet", "responses": {"200": {"description": "The pet"}}}}}
})";

TEST(I18nTest, StandardOutputAndOutputFileCarryTheSameSortedText) {
    Workspace workspace;
    workspace.write("pets.json", kPets);
    const auto toStdout = workspace.run({"i18n", "pets.json"});
    EXPECT_EQ(toStdout.status, 0);
    EXPECT_EQ(toStdout.err, "");
    EXPECT_EQ(toStdout.out,
              "{\n"
              "  \"/info/title\": \"Pets\",\n"
              "  \"/paths/~1pets~1{id}/get/responses/200/description\": \"The pet\",\n"
              "  \"/paths/~1pets~1{id}/get/summary\": \"Show a pet\"\n"
              "}\n");

    const auto toFile = workspace.run({"i18n", "--output", "out/texts.json", "pets.json"});
    EXPECT_EQ(toFile.status, 1);
    EXPECT_EQ(toFile.out, "Failed to open output file out/texts.json\n");
    EXPECT_FALSE(workspace.exists("out"));

    std::filesystem::create_directory(workspace.path() / "out");
    const auto written = workspace.run({"i18n", "--output", "out/texts.json", "pets.json"});
    EXPECT_EQ(written.status, 0);
    EXPECT_EQ(written.out, "");
    EXPECT_EQ(workspace.read("out/texts.json"), toStdout.out);
}

TEST(I18nTest, UnreadableInputsFailWithTheReadersMessageAndWriteNothing) {
    Workspace workspace;
    workspace.write("broken.json", "{\"openapi\": ");
    workspace.write("api.txt", "{}");
    for (const std::string input : {"missing.yaml", "broken.json", "api.txt"}) {
        const auto result = workspace.run({"i18n", input, "--output", "texts.json"});
        EXPECT_EQ(result.status, 1) << input;
        EXPECT_NE(result.out, "") << input;
        EXPECT_EQ(result.err, "") << input;
        EXPECT_FALSE(workspace.exists("texts.json")) << input;
    }
    EXPECT_EQ(workspace.run({"i18n", "missing.yaml"}).out, "Cannot open file: missing.yaml\n");
    // An earlier result survives a failed run.
    workspace.write("texts.json", "{}\n");
    EXPECT_EQ(workspace.run({"i18n", "broken.json", "--output", "texts.json"}).status, 1);
    EXPECT_EQ(workspace.read("texts.json"), "{}\n");
    EXPECT_EQ(workspace.run({"i18n", "api.txt"}).out, "Unsupported file format: api.txt\n");
}

TEST(I18nTest, DocumentWithProblemsStillYieldsItsTexts) {
    Workspace workspace;
    workspace.write("api.yaml",
                    "openapi: 3.0.3\n"
                    "info: {title: Shop, version: '1'}\n"
                    "paths:\n"
                    "  /a:\n"
                    "    get:\n"
                    "      summary: Fetch\n"
                    "      responses:\n"
                    "        '200':\n"
                    "          description: ok\n"
                    "          content: {application/json: {schema: {$ref: '#/components/schemas/Nope'}}}\n");
    const auto result = workspace.run({"i18n", "api.yaml"});
    EXPECT_EQ(result.status, 0) << result.out;
    const json texts = json::parse(result.out);
    EXPECT_EQ(texts, json::parse(R"({"/info/title": "Shop", "/paths/~1a/get/summary": "Fetch",
                                     "/paths/~1a/get/responses/200/description": "ok"})"));
}

TEST(I18nTest, NeverWritesOverItsInputAndTracesItsSteps) {
    Workspace workspace;
    workspace.write("pets.json", kPets);
    std::filesystem::create_symlink("pets.json", workspace.path() / "link.json");
    for (const std::string output : {"pets.json", "./pets.json", "link.json"}) {
        const auto result = workspace.run({"i18n", "pets.json", "--output", output});
        EXPECT_EQ(result.status, 1) << output;
        EXPECT_EQ(result.out, "The output file " + output + " is the input document\n");
    }
    EXPECT_EQ(workspace.read("pets.json"), kPets);

    ASSERT_EQ(workspace.run({"i18n", "pets.json", "--output", "texts.json"}).status, 0);
    const std::string telemetry = workspace.read(".zephalon.telemetry");
    for (const char* span : {"cli_command_i18n", "read", "extract", "write"}) {
        EXPECT_NE(telemetry.find(std::string("name          : ") + span + "\n"), std::string::npos) << span;
    }
}

TEST(I18nTest, OnlyOneInputIsAccepted) {
    Workspace workspace;
    workspace.write("a.json", kPets);
    workspace.write("b.json", kPets);
    const auto result = workspace.run({"i18n", "a.json", "b.json", "--output", "texts.json"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "Only one input file is allowed.\n");
    EXPECT_FALSE(workspace.exists("texts.json"));

    const auto none = workspace.run({"i18n"});
    EXPECT_NE(none.status, 0);
    EXPECT_EQ(none.err, "");
}

}  // namespace
}  // namespace zephalon::e2e
