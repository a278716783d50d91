#pragma once

// Static web sites built with Astro: pages, components and the configuration files, each file holding its text.

#include <string_view>

#include "zephalon/code_morph/base.h"

namespace zephalon::code_morph::astro {

class SourceFile : public base::SourceFile {
  public:
    using base::SourceFile::SourceFile;
};

class Project : public base::ProjectOf<SourceFile> {
  public:
    using ProjectOf::ProjectOf;

    // "src/pages/<name>.astro"; the name may hold "/" for nested routes.
    SourceFile* addPageFile(std::string_view name);
    // "src/components/<name>.astro"
    SourceFile* addComponentFile(std::string_view name);
    SourceFile* tsConfigFile() { return addSourceFile("tsconfig.json"); }
    SourceFile* packageJsonFile() { return addSourceFile("package.json"); }
    SourceFile* astroConfigFile() { return addSourceFile("astro.config.mjs"); }
    SourceFile* tailwindConfigFile() { return addSourceFile("tailwind.config.cjs"); }
    SourceFile* readmeFile() { return addSourceFile("README.md"); }
};

}  // namespace zephalon::code_morph::astro
