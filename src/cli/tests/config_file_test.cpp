#include "zephalon/cli/config_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace zephalon::cli {
namespace {

struct Failure {
    std::string message;
    Pos pos;
};

template <typename F>
Failure failureOf(F&& action) {
    try {
        action();
    } catch (const ConfigFileError& error) {
        return {error.what(), error.pos};
    }
    return {"(no error)", {}};
}

void loadText(ConfigFile& config, std::string_view text, FileFormat format) {
    std::istringstream in{std::string(text)};
    config.load(in, format);
}

TEST(ConfigFile, VersionOnlyFileLoadsWithoutSections) {
    ConfigFile config;
    loadText(config, "version: \"1.0\"\n", FileFormat::YAML);
    EXPECT_TRUE(config.loaded());
    EXPECT_EQ(config.commandConfig("lint"), nullptr);
    EXPECT_EQ(config.formatRegistryConfig(), nullptr);
}

TEST(ConfigFile, VersionChecksReportTheirPositions) {
    ConfigFile config;
    Failure missing = failureOf([&] { loadText(config, "\n  {\"commands\": {}}", FileFormat::JSON); });
    EXPECT_EQ(missing.message, "2:3: Missing configuration version.");
    EXPECT_EQ(missing.pos, (Pos{2, 3}));

    Failure number = failureOf([&] { loadText(config, R"({"version": 1.0})", FileFormat::JSON); });
    EXPECT_EQ(number.message, "version must be the string \"1.0\"");
    EXPECT_EQ(number.pos, (Pos{1, 13}));

    Failure other = failureOf([&] { loadText(config, "{\n  \"version\": \"2.0\"\n}", FileFormat::JSON); });
    EXPECT_EQ(other.message, "2:14: Unsupported configuration version: '2.0'.");
    EXPECT_EQ(other.pos, (Pos{2, 14}));

    // YAML gives positions to collections only.
    Failure yaml = failureOf([&] { loadText(config, "commands:\n  lint: {}\n", FileFormat::YAML); });
    EXPECT_EQ(yaml.message, "Missing configuration version.");
    EXPECT_EQ(yaml.pos, (Pos{0, 0}));

    Failure array = failureOf([&] { loadText(config, "- version: '1.0'\n", FileFormat::YAML); });
    EXPECT_EQ(array.message, "Missing configuration version.");
    Failure empty = failureOf([&] { loadText(config, "", FileFormat::YAML); });
    EXPECT_EQ(empty.message, "Missing configuration version.");
    EXPECT_FALSE(config.loaded());
}

TEST(ConfigFile, HandsOutSectionsAndRefusesMisshapenOnes) {
    ConfigFile config;
    loadText(config,
             "version: '1.0'\n"
             "commands:\n"
             "  lint: {ruleset: strict}\n"
             "  diff: [1]\n"
             "  unknown-command: {x: 1}\n"
             "openapi:\n"
             "  custom_formats:\n"
             "    - name: money\n",
             FileFormat::YAML);
    const jv::JV* lint = config.commandConfig("lint");
    ASSERT_NE(lint, nullptr);
    EXPECT_EQ(lint->property("ruleset")->stringValue(), "strict");
    EXPECT_EQ(config.commandConfig("format"), nullptr);
    Failure diff = failureOf([&] { config.commandConfig("diff"); });
    EXPECT_EQ(diff.message, "commands.diff: An object is expected for 'diff'");
    EXPECT_FALSE(diff.pos.known());
    ASSERT_NE(config.formatRegistryConfig(), nullptr);
    EXPECT_EQ(config.formatRegistryConfig()->size(), 1u);

    loadText(config, "{\"version\": \"1.0\", \"openapi\": {\"custom_formats\": {}}, \"commands\": []}",
             FileFormat::JSON);
    Failure formats = failureOf([&] { config.formatRegistryConfig(); });
    EXPECT_EQ(formats.message, "1:50: An array is expected for 'custom_formats'");
    EXPECT_EQ(formats.pos, (Pos{1, 50}));
    EXPECT_EQ(failureOf([&] { config.commandConfig("lint"); }).message, "1:67: An object is expected for 'commands'");
}

TEST(ConfigFile, FailedLoadKeepsThePreviousConfiguration) {
    ConfigFile config;
    loadText(config, "version: '1.0'\ncommands: {lint: {a: 1}}\n", FileFormat::YAML);
    EXPECT_THROW(loadText(config, "version: '0.9'\n", FileFormat::YAML), ConfigFileError);
    EXPECT_THROW(loadText(config, "version: [", FileFormat::YAML), std::runtime_error);
    ASSERT_NE(config.commandConfig("lint"), nullptr);
}

TEST(ConfigFile, LoadsFilesByExtensionAndPassesFileErrorsThrough) {
    auto dir = std::filesystem::temp_directory_path() / fmt::format("zephalon-config-{}", ::getpid());
    std::filesystem::create_directories(dir);
    auto file = dir / "zephalon.yml";
    std::ofstream(file) << "version: '1.0'\ncommands:\n  format: {indent: 4}\n";
    ConfigFile config;
    config.load(file);
    EXPECT_EQ(config.commandConfig("format")->property("indent")->numberValue().string(0), "4");
    // YAML scalars have no position; the member path finds them.
    EXPECT_EQ(config.describe(config.commandConfig("format")->property("indent"), "Invalid indent size"),
              file.string() + ": commands.format.indent: Invalid indent size");
    EXPECT_EQ(config.describe(config.commandConfig("format"), "is required", "openapi"),
              file.string() + ": commands.format.openapi is required");

    auto numeric = dir / "numeric.yaml";
    std::ofstream(numeric) << "version: 1.0\n";
    EXPECT_EQ(failureOf([&] { config.load(numeric); }).message,
              numeric.string() + ": version must be the string \"1.0\"");
    auto json = dir / "zephalon.json";
    std::ofstream(json) << "{\"version\": \"1.0\",\n \"commands\": {\"format\": {\"openapi\": {\"indent\": 1}}}}";
    config.load(json);
    const jv::JV* indent = config.commandConfig("format")->property("openapi")->property("indent");
    EXPECT_EQ(config.describe(indent, "Invalid indent size"), json.string() + ":2:48: Invalid indent size");

    auto missing = dir / "absent.json";
    try {
        config.load(missing);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open file: " + missing.string());
    }
    auto unsupported = dir / "config.toml";
    EXPECT_THROW(config.load(unsupported), std::runtime_error);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zephalon::cli
