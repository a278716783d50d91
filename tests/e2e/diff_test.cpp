#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "run_zephalon.h"

namespace zephalon::e2e {
namespace {

// A small API in JSON; `info` members are spliced in so that each test changes only what it means to.
std::string api(std::string_view version, std::string_view infoExtra = "", std::string_view title = "Pets") {
    std::string text = R"({
  "openapi": "3.1.0",
  "info": {"title": ")";
    text += title;
    text += R"(", "version": ")";
    text += version;
    text += "\"";
    text += infoExtra;
    text += R"(},
  "paths": {
    "/pets": {
      "get": {
        "operationId": "listPets",
        "responses": {"200": {"description": "The pets."}}
      }
    }
  },
  "x-owner": "pets-team"
}
)";
    return text;
}

constexpr std::string_view kDescribed = R"(, "description": "All the pets.")";
constexpr std::string_view kContact = R"(, "contact": {"name": "Pets team"})";

void expectClean(const RunResult& result) { EXPECT_EQ(result.err, ""); }

TEST(DiffTest, IdenticalDocumentsHaveNoChangesAndAreNotWritten) {
    Workspace workspace;
    workspace.write("a.json", api("1.0.0"));
    workspace.write("b.json", api("1.0.0"));
    auto modified = std::filesystem::last_write_time(workspace.path() / "b.json");

    RunResult status = workspace.run({"diff", "--report", "status", "a.json", "b.json"});
    EXPECT_EQ(status.status, 0);
    EXPECT_EQ(status.out, "No changes\n");
    expectClean(status);

    RunResult update = workspace.run({"diff", "--report", "status", "--update-version", "a.json", "b.json"});
    EXPECT_EQ(update.status, 0);
    EXPECT_EQ(update.out, "");
    expectClean(update);
    EXPECT_EQ(workspace.read("b.json"), api("1.0.0"));
    EXPECT_EQ(std::filesystem::last_write_time(workspace.path() / "b.json"), modified);
}

TEST(DiffTest, ABreakingChangeEndsWithStatusOneInEveryFormat) {
    Workspace workspace;
    workspace.write("a.json", api("1.0.0"));
    workspace.write("b.yaml", "openapi: 3.1.0\ninfo: {title: Cats, version: 1.0.0}\npaths: {}\n");
    for (const char* formatter : {"stylish", "unix", "visualstudio", "json"}) {
        RunResult result = workspace.run({"diff", "--report", "status", "--formatter", formatter, "a.json", "b.yaml"});
        EXPECT_EQ(result.status, 1) << formatter;
        if (std::string_view(formatter) == "json") {
            EXPECT_EQ(nlohmann::json::parse(result.out), nlohmann::json({{"status", "breaking"}})) << result.out;
        } else {
            EXPECT_EQ(result.out, "Breaking changes\n") << formatter;
        }
        expectClean(result);
    }
}

TEST(DiffTest, UpdateVersionRaisesOnlyTheDestinationsVersion) {
    struct Case {
        std::string dest;
        const char* version;
        int status;
    };
    const Case cases[] = {
        {api("1.2.3", kDescribed), "1.2.4", 0},
        {api("1.2.3", kContact), "1.3.0", 0},
        {api("1.2.3", "", "Cats"), "2.0.0", 1},
    };
    for (const Case& c : cases) {
        Workspace workspace;
        workspace.write("a.json", api("1.2.3"));
        workspace.write("b.json", c.dest);
        RunResult result = workspace.run({"diff", "--report", "status", "--update-version", "a.json", "b.json"});
        EXPECT_EQ(result.status, c.status) << c.version;
        EXPECT_EQ(result.out, "");
        expectClean(result);
        nlohmann::json expected = nlohmann::json::parse(c.dest);
        expected["info"]["version"] = c.version;
        EXPECT_EQ(nlohmann::json::parse(workspace.read("b.json")), expected) << workspace.read("b.json");
    }
}

TEST(DiffTest, UpdateVersionKeepsADestinationVersionThatIsHighEnough) {
    Workspace workspace;
    workspace.write("a.json", api("1.2.3"));
    workspace.write("b.json", api("1.4.0", kContact));
    RunResult result = workspace.run({"diff", "--report", "status", "--update-version", "a.json", "b.json"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(workspace.read("b.json"), api("1.4.0", kContact));
}

TEST(DiffTest, AnInvalidVersionLeavesTheDestinationUntouched) {
    for (auto [from, to] : {std::pair{"1.0", "1.0.0"}, std::pair{"1.0.0", "2024-06-01"}}) {
        Workspace workspace;
        workspace.write("a.json", api(from));
        workspace.write("b.json", api(to, kDescribed));
        RunResult result = workspace.run({"diff", "--report", "status", "--update-version", "a.json", "b.json"});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "semver::version::from_string invalid version.\n");
        expectClean(result);
        EXPECT_EQ(workspace.read("b.json"), api(to, kDescribed));
    }
}

TEST(DiffTest, CheckVersionFailsWhenTheDestinationVersionIsTooLow) {
    Workspace workspace;
    workspace.write("a.json", api("1.2.3"));
    workspace.write("low.json", api("1.2.4", kContact));
    workspace.write("high.json", api("1.3.0", kContact));

    RunResult low = workspace.run({"diff", "--report", "status", "--check-version", "a.json", "low.json"});
    EXPECT_EQ(low.status, 1);
    EXPECT_EQ(low.out,
              "Non-breaking changes\nVersion 1.2.4 is lower than the required 1.3.0 for Non-breaking changes\n");
    expectClean(low);
    EXPECT_EQ(workspace.read("low.json"), api("1.2.4", kContact));

    RunResult high = workspace.run({"diff", "--report", "status", "--check-version", "a.json", "high.json"});
    EXPECT_EQ(high.status, 0);
    EXPECT_EQ(high.out, "Non-breaking changes\n");

    RunResult both =
        workspace.run({"diff", "--report", "status", "--check-version", "--update-version", "a.json", "low.json"});
    EXPECT_EQ(both.status, 1);
    EXPECT_EQ(workspace.read("low.json"), api("1.2.4", kContact));
}

TEST(DiffTest, ConfigurationFilesChooseTheRules) {
    Workspace workspace;
    workspace.write("a.json", api("1.0.0"));
    workspace.write("renamed.json", api("1.0.0", "", "Cats"));
    workspace.write("bumped.json", api("1.0.1"));
    workspace.write("bare.yaml", "version: \"1.0\"\n");
    workspace.write("noextends.yaml",
                    "version: \"1.0\"\ncommands:\n  diff:\n    rules:\n      info: {version: breaking}\n");
    workspace.write("strict.yaml",
                    "version: \"1.0\"\ncommands:\n  diff:\n    extends: [recommended]\n"
                    "    rules:\n      info: {version: breaking}\n");

    // Without a diff section, or without "extends", the built-in rules do not apply.
    for (const char* config : {"bare.yaml", "noextends.yaml"}) {
        RunResult result = workspace.run({"diff", "--config", config, "--report", "status", "a.json", "renamed.json"});
        EXPECT_EQ(result.status, 0) << config;
        EXPECT_EQ(result.out, "No changes\n") << config;
    }
    RunResult strict =
        workspace.run({"diff", "--config", "strict.yaml", "--report", "status", "a.json", "bumped.json"});
    EXPECT_EQ(strict.status, 1);
    EXPECT_EQ(strict.out, "Breaking changes\n");
    RunResult recommended = workspace.run({"diff", "--report", "status", "a.json", "bumped.json"});
    EXPECT_EQ(recommended.status, 0);
    EXPECT_EQ(recommended.out, "No changes\n");
}

TEST(DiffTest, ConfigurationErrorsNameTheFileAndTheSetting) {
    Workspace workspace;
    workspace.write("a.json", api("1.0.0"));
    workspace.write("b.json", api("1.0.0"));
    workspace.write("extra.json", R"({"version": "1.0", "commands": {"diff": {"rules": {
        "info": {"description": {"add": "breaking", "foo": "none"}}}}}})");
    workspace.write("ruleset.yaml", "version: \"1.0\"\ncommands:\n  diff:\n    extends: [strict]\n");
    workspace.write("formats.json", R"({"version": "1.0", "openapi": {"custom_formats": [{"name": "x"}]}})");

    RunResult extra = workspace.run({"diff", "--config", "extra.json", "a.json", "b.json"});
    EXPECT_EQ(extra.status, 1);
    EXPECT_EQ(extra.out, "extra.json: Unexpected properties at '/commands/diff/rules/info/description/foo' (2, 60)\n");
    RunResult ruleset = workspace.run({"diff", "--config", "ruleset.yaml", "a.json", "b.json"});
    EXPECT_EQ(ruleset.status, 1);
    EXPECT_EQ(ruleset.out, "ruleset.yaml: Unknown ruleset: strict at '/commands/diff/extends/0'\n");
    RunResult formats = workspace.run({"diff", "--config", "formats.json", "a.json", "b.json"});
    EXPECT_EQ(formats.status, 1);
    EXPECT_EQ(formats.out.rfind("formats.json: ", 0), 0u) << formats.out;
    expectClean(formats);
}

TEST(DiffTest, DocumentErrorsNameTheirFile) {
    Workspace workspace;
    workspace.write("a.json", api("1.0.0"));
    workspace.write(
        "broken.json",
        R"({"openapi": "3.1.0", "info": {"title": "T", "version": "1"}, "paths": {"/a": {"get": {"responses": 5}}}})");
    RunResult broken = workspace.run({"diff", "--report", "status", "a.json", "broken.json"});
    EXPECT_EQ(broken.status, 1);
    EXPECT_EQ(broken.out.rfind("broken.json: ", 0), 0u) << broken.out;
    RunResult missing = workspace.run({"diff", "--report", "status", "missing.json", "a.json"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "Cannot open file: missing.json\n");
    expectClean(missing);
}

// Each report in each format, on a release that removes a path (breaking) and adds an operation. The line formats
// name the file each position is in: the removed path is found in the source.
TEST(DiffTest, EveryReportIsWrittenInEveryFormat) {
    Workspace workspace;
    workspace.write("v1.yaml",
                    "openapi: 3.0.3\ninfo: {title: Pets, version: 1.0.0}\npaths:\n"
                    "  /pets:\n    get:\n      responses: {'200': {description: Pets.}}\n"
                    "  /old:\n    get:\n      responses: {'200': {description: Old.}}\n");
    workspace.write("v2.yaml",
                    "openapi: 3.0.3\ninfo: {title: Pets, version: 2.0.0}\npaths:\n"
                    "  /pets:\n    get:\n      responses: {'200': {description: Pets.}}\n"
                    "    post:\n      responses: {'201': {description: Added.}}\n");
    auto run = [&](const char* report, const char* formatter) {
        RunResult result = workspace.run({"diff", "--report", report, "--formatter", formatter, "v1.yaml", "v2.yaml"});
        EXPECT_EQ(result.status, 1) << report << " " << formatter;
        expectClean(result);
        return result.out;
    };

    for (const char* formatter : {"stylish", "unix", "visualstudio"}) {
        EXPECT_EQ(run("status", formatter), "Breaking changes\n") << formatter;
    }
    EXPECT_EQ(nlohmann::json::parse(run("status", "json")), nlohmann::json({{"status", "breaking"}}));
    EXPECT_EQ(run("status", "markdown"), "## Severity\n\nBreaking changes\n");
    EXPECT_NE(run("status", "html").find("<div class=\"status\">Breaking changes</div>"), std::string::npos);

    EXPECT_EQ(run("changelog", "stylish"),
              "v2.yaml\nOperations Added\n  7  6  non-breaking  Added operation POST /pets\n"
              "Operations Removed\n  8  6      breaking  Removed operation GET /old\n");
    EXPECT_EQ(workspace.run({"diff", "v1.yaml", "v2.yaml"}).out, run("changelog", "stylish"));
    EXPECT_EQ(run("changelog", "unix"),
              "v2.yaml:7:6: Operation added POST /pets. [non-breaking]\n"
              "v1.yaml:8:6: Operation removed GET /old. [breaking]\n");
    EXPECT_EQ(run("changelog", "visualstudio"),
              "v2.yaml(7,6): non-breaking: Added operation POST /pets.\n"
              "v1.yaml(8,6): breaking: Removed operation GET /old.\n");
    nlohmann::json changelog = nlohmann::json::parse(run("changelog", "json"));
    EXPECT_EQ(changelog["added"], nlohmann::json::parse(
                                      R"([{"url": "/pets", "method": "post", "severity": "non-breaking",
                                           "line": 7, "column": 6}])"));
    EXPECT_EQ(changelog["removed"],
              nlohmann::json::parse(R"([{"url": "/old", "method": "get", "severity": "breaking", "line": 8,
                                         "column": 6}])"));
    EXPECT_EQ(run("changelog", "markdown"),
              "## Operations Added\n\n- POST /pets at (7, 6)\n\n## Operations Removed\n\n- GET /old at (8, 6)\n\n");
    std::string changelogPage = run("changelog", "html");
    EXPECT_NE(changelogPage.find("<li class=\"breaking\">GET /old at (8, 6)</li>"), std::string::npos) << changelogPage;

    const std::string stylish = run("detailed", "stylish");
    EXPECT_EQ(stylish.substr(0, stylish.find('\n', stylish.find('\n') + 1) + 1),
              "v2.yaml\n  7   4        breaking  key_removed paths '/old'\n");
    const std::string unix = run("detailed", "unix");
    EXPECT_EQ(unix.substr(0, unix.find('\n') + 1), "v1.yaml:7:4: [breaking] key_removed paths '/old'\n");
    const std::string visualStudio = run("detailed", "visualstudio");
    EXPECT_EQ(visualStudio.substr(0, visualStudio.find('\n') + 1),
              "v1.yaml(7,4): breaking: key_removed paths '/old'.\n");
    nlohmann::json details = nlohmann::json::parse(run("detailed", "json"));
    ASSERT_EQ(details.size(), 8u);
    EXPECT_EQ(details[0], nlohmann::json::parse(R"({"type": "key_removed", "severity": "breaking", "target": "paths",
        "config_key": "paths", "key": "/old", "line": 7, "column": 4})"));
    const std::string markdown = run("detailed", "markdown");
    EXPECT_EQ(markdown.substr(0, markdown.find('\n') + 1), "- **breaking** key_removed paths '/old' at (7, 4)\n");
    std::string detailsPage = run("detailed", "html");
    EXPECT_NE(detailsPage.find("<td>key_added path_item.operations 'post'</td>"), std::string::npos) << detailsPage;
}

}  // namespace
}  // namespace zephalon::e2e
