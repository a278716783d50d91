#include <gtest/gtest.h>

#include <string>

#include "run_zephalon.h"

namespace zephalon::e2e {
namespace {

size_t count(const std::string& text, const std::string& needle) {
    size_t n = 0;
    for (auto pos = text.find(needle); pos != std::string::npos; pos = text.find(needle, pos + 1)) {
        ++n;
    }
    return n;
}

TEST(ServerTest, RecordsItsSpanWithTheResourceAttributes) {
    Workspace workspace;
    const auto result =
        workspace.run({"server"}, {{"OTEL_RESOURCE_ATTRIBUTES", "service.name=zephalon-e2e,team=api%20tools"}});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    ASSERT_TRUE(workspace.exists(".zephalon.telemetry"));
    const std::string telemetry = workspace.read(".zephalon.telemetry");
    EXPECT_EQ(count(telemetry, "name          : cli_command_server\n"), 1u) << telemetry;
    EXPECT_EQ(count(telemetry, "parent_span_id: 0000000000000000\n"), 1u);
    EXPECT_EQ(count(telemetry, "status        : Unset\n"), 1u);
    EXPECT_EQ(count(telemetry, "    service.name: zephalon-e2e\n"), 1u);
    EXPECT_EQ(count(telemetry, "    team: api tools\n"), 1u);
}

TEST(ServerTest, EachRunStartsAFreshTelemetryFile) {
    Workspace workspace;
    workspace.write(".zephalon.telemetry", "left over from an earlier run\n");
    ASSERT_EQ(workspace.run({"server"}).status, 0);
    ASSERT_EQ(workspace.run({"server"}).status, 0);
    const std::string telemetry = workspace.read(".zephalon.telemetry");
    EXPECT_EQ(count(telemetry, "cli_command_server"), 1u) << telemetry;
    EXPECT_EQ(count(telemetry, "left over"), 0u);

    // Commands without a span leave an empty file behind.
    ASSERT_EQ(workspace.run({"credits"}).status, 0);
    EXPECT_EQ(workspace.read(".zephalon.telemetry"), "");
}

TEST(ServerTest, FailedCommandKeepsItsSpanMarkedAsError) {
    Workspace workspace;
    const auto result = workspace.run({"lint", "api.yaml"});
    EXPECT_EQ(result.status, 1);
    const std::string telemetry = workspace.read(".zephalon.telemetry");
    EXPECT_EQ(count(telemetry, "name          : cli_command_lint\n"), 1u) << telemetry;
    // The command's span, and the read step inside it that failed, both end as errors.
    const std::string command = telemetry.substr(telemetry.find("name          : cli_command_lint\n"));
    EXPECT_NE(command.substr(0, command.find('}')).find("status        : Error"), std::string::npos) << telemetry;
}

TEST(ServerTest, UnwritableTelemetryFileDoesNotFailTheCommand) {
    Workspace workspace;
    // A directory where the file should be: opening it fails, and the spans are dropped quietly.
    std::filesystem::create_directory(workspace.path() / ".zephalon.telemetry");
    const auto result = workspace.run({"server"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
}

}  // namespace
}  // namespace zephalon::e2e
