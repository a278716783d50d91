#include "diff_command.h"

#include "unavailable.h"
#include "zephalon/telemetry/telemetry.h"

namespace zephalon::cli {

DiffCommand::DiffCommand() : Command("diff") {}

void DiffCommand::setUp(CLI::App& parent) {
    parser().description("Compares two OpenAPI files and prints the differences.");
    acceptAnyArguments(parser());
    attachTo(parent);
}

int DiffCommand::execute() {
    auto scope = telemetry::getSpanScope("cli_command_diff");
    throw CommandUnavailableError(name());
}

}  // namespace zephalon::cli
