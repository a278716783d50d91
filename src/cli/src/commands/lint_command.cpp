#include "lint_command.h"

#include "unavailable.h"
#include "zephalon/telemetry/telemetry.h"

namespace zephalon::cli {

LintCommand::LintCommand() : Command("lint") {}

void LintCommand::setUp(CLI::App& parent) {
    parser().description("Lint one or more OpenAPI files.");
    acceptAnyArguments(parser());
    attachTo(parent);
}

int LintCommand::execute() {
    auto scope = telemetry::getSpanScope("cli_command_lint");
    throw CommandUnavailableError(name());
}

}  // namespace zephalon::cli
