#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zephalon::code_morph::base {

// normalizeSourcePath without the error: nothing for a path no project may hold.
std::optional<std::string> normalizedSourcePath(std::string_view path);

}  // namespace zephalon::code_morph::base
