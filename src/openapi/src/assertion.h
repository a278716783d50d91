#pragma once

// Broken internal invariants (an enumeration value outside its range, a document string that its caller should
// have checked) stop the process with the source file and line. No input may lead here.

#include <string_view>

namespace zephalon::openapi::detail {

[[noreturn]] void unreachable(std::string_view message, std::string_view file, int line);

}  // namespace zephalon::openapi::detail

#define ZEPHALON_OPENAPI_UNREACHABLE(message, file) ::zephalon::openapi::detail::unreachable(message, file, __LINE__)
