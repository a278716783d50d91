#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "ast.h"
#include "output.h"
#include "zephalon/templating/environment.h"

namespace zephalon::templating {

struct Environment::Impl {
    std::map<std::string, std::unique_ptr<Template>, std::less<>> templates;
    // By name, then by number of arguments.
    std::map<std::string, std::map<std::size_t, Callback>, std::less<>> callbacks;
    Limits limits;

    const TemplateData* findTemplate(std::string_view name) const;
};

// Renders a template with the data into `out` (appending); throws RenderError.
void renderTemplate(const Environment::Impl& env, const TemplateData& tmpl, const nlohmann::json& data, Output& out);

}  // namespace zephalon::templating
