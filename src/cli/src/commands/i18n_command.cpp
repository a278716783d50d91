#include "i18n_command.h"

#include "unavailable.h"
#include "zephalon/telemetry/telemetry.h"

namespace zephalon::cli {

I18NCommand::I18NCommand() : Command("i18n") {}

void I18NCommand::setUp(CLI::App& parent) {
    parser().description("Extract i18n data from an OpenAPI spec.");
    acceptAnyArguments(parser());
    attachTo(parent);
}

int I18NCommand::execute() {
    auto scope = telemetry::getSpanScope("cli_command_i18n");
    throw CommandUnavailableError(name());
}

}  // namespace zephalon::cli
