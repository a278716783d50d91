#pragma once

#include <CLI/CLI.hpp>
#include <stdexcept>
#include <string_view>

namespace zephalon::cli {

// Raised by a command whose work this build does not contain.
class CommandUnavailableError : public std::runtime_error {
  public:
    explicit CommandUnavailableError(std::string_view command);
};

// Lets a command that cannot run accept any arguments, so its users learn that the command is missing rather than
// that one of their options is unknown.
void acceptAnyArguments(CLI::App& parser);

}  // namespace zephalon::cli
