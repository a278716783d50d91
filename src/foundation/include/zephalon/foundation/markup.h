#pragma once

#include <string>
#include <string_view>

namespace zephalon {

// Text safe inside HTML or XML content and quoted attribute values: & < > " and '
// become entities, every other byte (UTF-8 included) is copied unchanged.
std::string toMarkupText(std::string_view text);

}  // namespace zephalon
