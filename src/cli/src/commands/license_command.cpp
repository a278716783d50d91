#include "license_command.h"

#include <fmt/format.h>

#include <iostream>
#include <stdexcept>
#include <string_view>

#include "zephalon/cli/dependencies.h"

namespace zephalon::cli {

namespace {

constexpr std::size_t kMaxLineLength = 80;

// A licence text followed by one blank line.
void printLicense(std::string_view text) {
    std::cout << text;
    if (!text.empty() && text.back() != '\n') {
        std::cout << '\n';
    }
    std::cout << '\n';
}

void printList() {
    const auto& dependencies = get3rdPartyDependencies();
    std::string text = "Zephalon uses the following open-source libraries:\n\n";
    std::string line;
    for (std::size_t i = 0; i < dependencies.size(); ++i) {
        std::string piece = dependencies[i].name;
        if (i + 1 < dependencies.size()) {
            piece += ", ";
        }
        // A name that does not fit starts the next line; a line never starts empty, even for an overlong name.
        if (!line.empty() && line.size() + piece.size() > kMaxLineLength) {
            text += line + '\n';
            line.clear();
        }
        line += piece;
    }
    text += line + "\n\n";
    std::cout << text;
}

}  // namespace

LicenseCommand::LicenseCommand() : Command("license") {}

void LicenseCommand::setUp(CLI::App& parent) {
    parser().description("Show licenses of 3rd party libraries used in this project.");
    auto* list = parser().add_flag("--list")->description("List all 3rd party libraries used in this project.");
    auto* library = parser().add_option("--library", "Name of the library to show license for.");
    // Asking for both would leave one request silently unanswered.
    list->excludes(library);
    attachTo(parent);
}

int LicenseCommand::execute() {
    if (parser().count("--list") > 0) {
        printList();
        return 0;
    }
    const auto* library = parser().get_option("--library");
    if (library->count() == 0) {
        printLicense(productLicense());
        return 0;
    }
    const auto name = library->as<std::string>();
    for (const auto& dependency : get3rdPartyDependencies()) {
        if (name == dependency.name) {
            // The embedded texts are the libraries' own files, printed as they are: stripping indentation would
            // mangle their nested sections.
            printLicense(dependency.license);
            if (dependency.license2 != nullptr) {
                printLicense(dependency.license2);
            }
            return 0;
        }
    }
    // A name that matches nothing is a mistake to report, not an answer: a script must not take it for a licence.
    throw std::runtime_error(fmt::format("Unknown library: {}", name));
}

}  // namespace zephalon::cli
