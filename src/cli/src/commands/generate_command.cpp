#include "generate_command.h"

#include "unavailable.h"
#include "zephalon/telemetry/telemetry.h"

namespace zephalon::cli {

GenerateCommand::GenerateCommand() : Command("generate") {}

void GenerateCommand::setUp(CLI::App& parent) {
    parser().description("Generate code and documentation from an OpenAPI file.");
    acceptAnyArguments(parser());
    attachTo(parent);
}

int GenerateCommand::execute() {
    auto scope = telemetry::getSpanScope("cli_command_generate");
    throw CommandUnavailableError(name());
}

}  // namespace zephalon::cli
