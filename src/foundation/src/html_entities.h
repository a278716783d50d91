#pragma once

#include <optional>
#include <string_view>

namespace zephalon {

// The characters (UTF-8, one or two code points) that the HTML5 named character reference `name` stands for, given
// without "&" and ";"; std::nullopt for a name HTML does not define. Names are case-sensitive.
std::optional<std::string_view> findHtmlEntity(std::string_view name);

}  // namespace zephalon
