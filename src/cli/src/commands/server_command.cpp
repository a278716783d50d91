#include "server_command.h"

#include "zephalon/telemetry/telemetry.h"

namespace zephalon::cli {

ServerCommand::ServerCommand() : Command("server") {}

void ServerCommand::setUp(CLI::App& parent) {
    parser().description("Starts mock server.");
    attachTo(parent);
}

int ServerCommand::execute() {
    auto scope = telemetry::getSpanScope("cli_command_server");
    return 0;
}

}  // namespace zephalon::cli
