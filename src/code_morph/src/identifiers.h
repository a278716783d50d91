#pragma once

#include <string>
#include <string_view>

#include "zephalon/foundation/naming_convention.h"

namespace zephalon::code_morph {

// The words of a name in a naming convention, as an identifier of ASCII letters, digits and "_": every other byte
// separates words, a leading digit gets "_" before it, and a name with no letter or digit gives `fallback`.
std::string identifierFrom(std::string_view name, NamingConvention convention, std::string_view fallback);

}  // namespace zephalon::code_morph
