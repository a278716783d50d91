#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_zephalon.h"

namespace zephalon::e2e {
namespace {

// The registry order, which the help listing must keep.
const std::vector<std::pair<std::string, std::string>> kCommands{
    {"credits", "Show credits to 3rd party libraries used in this project."},
    {"format", "Format one or more OpenAPI files."},
    {"license", "Show licenses of 3rd party libraries used in this project."},
    {"lint", "Lint one or more OpenAPI files."},
    {"diff", "Compares two OpenAPI files and prints the differences."},
    {"generate", "Generate code and documentation from an OpenAPI file."},
    {"i18n", "Extract i18n data from an OpenAPI spec."},
    {"server", "Starts mock server."},
};

TEST(AppTest, NoCommandPrintsTheHelpAndExits255) {
    const auto result = runZephalon({});
    EXPECT_EQ(result.status, 255);
    EXPECT_EQ(result.out, runZephalon({"--help"}).out);
    EXPECT_NE(result.out.find("format"), std::string::npos);
    EXPECT_EQ(result.err, "");
}

TEST(AppTest, ProgramAndCommandsReportTheirOwnVersions) {
    for (const std::string flag : {"--version", "-v"}) {
        const auto result = runZephalon({flag});
        EXPECT_EQ(result.status, 0) << flag;
        EXPECT_EQ(result.out, "0.8.0\n") << flag;
        EXPECT_EQ(result.err, "") << flag;
    }
    for (const auto& [command, description] : kCommands) {
        const auto result = runZephalon({command, "--version"});
        EXPECT_EQ(result.status, 0) << command;
        EXPECT_EQ(result.out, "1.0\n") << command;
        EXPECT_EQ(result.err, "") << command;
    }
}

TEST(AppTest, TelemetryFileInTheWorkingDirectoryNamesTheProgramVersion) {
    Workspace workspace;
    workspace.write("api.yaml", "openapi: 3.1.0\ninfo: {title: T, version: '1'}\npaths: {}\n");
    const auto result = workspace.run({"i18n", "api.yaml"});
    EXPECT_EQ(result.status, 0) << result.out;
    const std::string telemetry = workspace.read(".zephalon.telemetry");
    EXPECT_NE(telemetry.find("tracer        : zephalon 0.8.0\n"), std::string::npos) << telemetry;
}

TEST(AppTest, HelpListsTheCommandsInRegistryOrder) {
    for (const std::string flag : {"--help", "-h"}) {
        const auto result = runZephalon({flag});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, "");
        EXPECT_NE(result.out.find("shows help message and exits"), std::string::npos);
        EXPECT_NE(result.out.find("prints version information and exits"), std::string::npos);
        size_t previous = 0;
        for (const auto& [command, description] : kCommands) {
            const auto line = result.out.find("  " + command + " ", previous);
            ASSERT_NE(line, std::string::npos) << command << " missing or out of order in:\n" << result.out;
            const auto text = result.out.find(description, line);
            ASSERT_NE(text, std::string::npos) << description;
            EXPECT_EQ(result.out.find('\n', line), text + description.size()) << command;
            previous = text;
        }
    }
}

TEST(AppTest, CommandHelpShowsTheCommandNotTheProgram) {
    const auto result = runZephalon({"license", "--help"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_NE(result.out.find("zephalon license"), std::string::npos);
    EXPECT_NE(result.out.find("--list"), std::string::npos);
    EXPECT_NE(result.out.find("Name of the library to show license for."), std::string::npos);
    // The root listing of commands must not appear.
    EXPECT_EQ(result.out.find("Starts mock server."), std::string::npos);
}

TEST(AppTest, CommandLineErrorsPrintOneMessageOnStandardOutputAndExit1) {
    const std::vector<std::vector<std::string>> cases{
        {"frobnicate"},                  // no such command
        {"--frobnicate"},                // no such option
        {"credits", "license"},          // a second command
        {"credits", "--list"},           // another command's option
        {"license", "--library"},        // a missing value
        {"license", "--list", "extra"},  // a stray positional
        {"server", "now"},
    };
    for (const auto& args : cases) {
        const auto result = runZephalon(args);
        const std::string label = args.front() + (args.size() > 1 ? " " + args[1] : "");
        EXPECT_EQ(result.status, 1) << label;
        EXPECT_EQ(result.err, "") << label;
        ASSERT_FALSE(result.out.empty()) << label;
        EXPECT_EQ(splitLines(result.out).size(), 1u) << label << ":\n" << result.out;
        // Nothing of a command's own output may precede the error.
        EXPECT_EQ(result.out.find("Zephalon uses"), std::string::npos) << label;
    }
    EXPECT_NE(runZephalon({"frobnicate"}).out.find("frobnicate"), std::string::npos);
}

TEST(AppTest, OutputThatCannotBeWrittenFailsTheRun) {
    Workspace workspace;
    workspace.write("api.yaml",
                    "openapi: 3.1.0\ninfo: {title: T, version: '1'}\npaths: {}\ncomponents:\n"
                    "  schemas: {Pet: {type: object, required: [id], properties: {id: {type: integer}}}}\n");
    // Commands that succeed, and one that fails, each with their output going to a full disk.
    const std::vector<std::vector<std::string>> cases{
        {"generate", "data", "api.yaml", "-p", "/components/schemas/Pet"},
        {"lint", "api.yaml"},
        {"i18n", "api.yaml"},
        {"credits"},
        {"generate", "data", "api.yaml", "-p", "/components/schemas/Dog"},
    };
    for (const auto& args : cases) {
        const auto result = workspace.run(args, {}, "/dev/full");
        EXPECT_EQ(result.status, 1) << args.front();
        EXPECT_EQ(result.err, "Failed to write to standard output\n") << args.front();
    }
}

}  // namespace
}  // namespace zephalon::e2e
