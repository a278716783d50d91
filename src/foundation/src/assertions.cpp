#include "zephalon/foundation/assertions.h"

#include <fmt/format.h>

#include <cstdio>
#include <cstdlib>

namespace zephalon {

namespace {

[[noreturn]] void report(std::string_view what, std::optional<std::string_view> message, std::string_view file,
                         int line) {
    std::string text(what);
    if (message) {
        text += fmt::format(": ({})", *message);
    }
    text += fmt::format(" at {}:{}\n", file, line);
    // One unbuffered write, so the report survives the abort below intact.
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
    std::abort();
}

}  // namespace

void precondition_failed(std::string_view condition, std::optional<std::string_view> message, std::string_view file,
                         int line) {
    report(fmt::format("Precondition failed {}", condition), message, file, line);
}

void postcondition_failed(std::string_view condition, std::optional<std::string_view> message, std::string_view file,
                          int line) {
    report(fmt::format("Postcondition failed {}", condition), message, file, line);
}

void unreachable(std::optional<std::string_view> message, std::string_view file, int line) {
    report("Unreachable code", message, file, line);
}

}  // namespace zephalon
