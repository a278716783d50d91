#include "format_command.h"

#include "unavailable.h"
#include "zephalon/telemetry/telemetry.h"

namespace zephalon::cli {

FormatCommand::FormatCommand() : Command("format") {}

void FormatCommand::setUp(CLI::App& parent) {
    parser().description("Format one or more OpenAPI files.");
    acceptAnyArguments(parser());
    attachTo(parent);
}

int FormatCommand::execute() {
    auto scope = telemetry::getSpanScope("cli_command_format");
    throw CommandUnavailableError(name());
}

}  // namespace zephalon::cli
