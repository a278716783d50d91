#pragma once

#include <optional>
#include <string_view>

namespace zephalon {

// Report a broken internal invariant on standard error and abort the process.
// These are the only functions that write to standard error: they exist for
// programming errors, never for anything a user's input can cause.
[[noreturn]] void precondition_failed(std::string_view condition, std::optional<std::string_view> message,
                                      std::string_view file, int line);
[[noreturn]] void postcondition_failed(std::string_view condition, std::optional<std::string_view> message,
                                       std::string_view file, int line);
[[noreturn]] void unreachable(std::optional<std::string_view> message, std::string_view file, int line);

namespace detail {

// Turns __FILE__ into the form used in reports: relative to the repository and
// without extension ("src/openapi/src/writer"). The repository root is found
// from this header's own path, which the build passes as an absolute include
// directory; a path outside the repository is kept whole, minus its extension.
constexpr std::string_view sourceName(std::string_view file) {
    constexpr std::string_view self = __FILE__;
    constexpr std::string_view selfInRepo = "src/foundation/include/zephalon/foundation/assertions.h";
    if (self.size() >= selfInRepo.size() && self.substr(self.size() - selfInRepo.size()) == selfInRepo) {
        const std::string_view root = self.substr(0, self.size() - selfInRepo.size());
        if (!root.empty() && file.substr(0, root.size()) == root) {
            file.remove_prefix(root.size());
        }
    }
    const std::size_t slash = file.rfind('/');
    const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const std::size_t dot = file.rfind('.');
    // A leading dot marks a hidden file, not an extension.
    if (dot != std::string_view::npos && dot > nameStart) {
        file = file.substr(0, dot);
    }
    return file;
}

constexpr std::optional<std::string_view> optionalMessage() { return std::nullopt; }
constexpr std::optional<std::string_view> optionalMessage(std::string_view message) { return message; }

}  // namespace detail
}  // namespace zephalon

// ZEPHALON_PRECONDITION(cond) or ZEPHALON_PRECONDITION(cond, "why"); likewise for
// postconditions. ZEPHALON_UNREACHABLE() or ZEPHALON_UNREACHABLE("why"). The checks
// stay active in release builds: they guard memory safety, not just debugging.
#define ZEPHALON_PRECONDITION(cond, ...)                                                               \
    ((cond) ? static_cast<void>(0)                                                                     \
            : ::zephalon::precondition_failed(#cond, ::zephalon::detail::optionalMessage(__VA_ARGS__), \
                                              ::zephalon::detail::sourceName(__FILE__), __LINE__))
#define ZEPHALON_POSTCONDITION(cond, ...)                                                               \
    ((cond) ? static_cast<void>(0)                                                                      \
            : ::zephalon::postcondition_failed(#cond, ::zephalon::detail::optionalMessage(__VA_ARGS__), \
                                               ::zephalon::detail::sourceName(__FILE__), __LINE__))
#define ZEPHALON_UNREACHABLE(...)                                             \
    ::zephalon::unreachable(::zephalon::detail::optionalMessage(__VA_ARGS__), \
                            ::zephalon::detail::sourceName(__FILE__), __LINE__)
