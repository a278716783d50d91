#include "zephalon/code_morph/astro.h"

#include <fmt/format.h>

namespace zephalon::code_morph::astro {

SourceFile* Project::addPageFile(std::string_view name) {
    return addSourceFile(fmt::format("src/pages/{}.astro", name));
}

SourceFile* Project::addComponentFile(std::string_view name) {
    return addSourceFile(fmt::format("src/components/{}.astro", name));
}

}  // namespace zephalon::code_morph::astro
