#include "credits_command.h"

#include <fmt/format.h>

#include <iostream>

#include "zephalon/cli/dependencies.h"

namespace zephalon::cli {

CreditsCommand::CreditsCommand() : Command("credits") {}

void CreditsCommand::setUp(CLI::App& parent) {
    parser().description("Show credits to 3rd party libraries used in this project.");
    attachTo(parent);
}

int CreditsCommand::execute() {
    std::string text = "Zephalon uses the following open-source libraries:\n\n";
    for (const auto& dependency : get3rdPartyDependencies()) {
        text += fmt::format("- {0} ({1})\n    {2}\n\n", dependency.name, dependency.url, dependency.description);
    }
    std::cout << text;
    return 0;
}

}  // namespace zephalon::cli
