#include "assertion.h"

#include <fmt/format.h>

#include <cstdio>
#include <cstdlib>

namespace zephalon::openapi::detail {

void unreachable(std::string_view message, std::string_view file, int line) {
    // Standard output is the program's only channel; flush it so the message survives the abort.
    fmt::print("Unreachable code: ({}) at {}:{}\n", message, file, line);
    std::fflush(stdout);
    std::abort();
}

}  // namespace zephalon::openapi::detail
