#pragma once

// The parts of the site: one per generated file. Each builds its data from the model in collectData and writes its
// file in generateCode; data from the document only ever appears in a page's script part, as JSON.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "context.h"

namespace zephalon::openapi_generator::doc_html {

class Part : public openapi_generator::Part {
  public:
    Part(Context& context, Locale locale) : context_(context), locale_(std::move(locale)) {}

  protected:
    Context& context_;
    Locale locale_;
};

// What the site's files take from the plugin rather than from the configuration.
struct SiteFiles {
    std::string packageName;
    std::string packageVersion;
    std::optional<std::string> documentCopy;  // project path of the copy of the document
};

// Every part of the configured site, in the order they are written.
std::vector<std::unique_ptr<Part>> createParts(Context& context, const SiteFiles& files);

// The text of an Astro file: imports, constants holding data, then the markup.
struct AstroSource {
    std::vector<std::pair<std::string, std::string>> imports;  // component name, module specifier
    std::vector<std::pair<std::string, json>> constants;
    std::string markup;

    std::string text() const;
};

}  // namespace zephalon::openapi_generator::doc_html
