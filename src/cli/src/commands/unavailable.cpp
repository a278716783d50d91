#include "unavailable.h"

#include <fmt/format.h>

namespace zephalon::cli {

CommandUnavailableError::CommandUnavailableError(std::string_view command)
    : std::runtime_error(fmt::format("The command '{}' is not available in this build yet.", command)) {}

void acceptAnyArguments(CLI::App& parser) { parser.allow_extras(); }

}  // namespace zephalon::cli
