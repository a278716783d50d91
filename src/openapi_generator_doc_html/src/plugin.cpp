#include <fmt/format.h>

#include <filesystem>
#include <stdexcept>

#include "context.h"
#include "parts.h"
#include "zephalon/code_morph/base.h"
#include "zephalon/jv/pointer.h"
#include "zephalon/openapi_generator/issue.h"

namespace zephalon::openapi_generator::doc_html {

// The project and the shared context live from configureParts to the end of generateCode.
struct Plugin::State {
    std::unique_ptr<code_morph::astro::Project> project;
    std::unique_ptr<Context> context;
};

Plugin::Plugin(openapi_generator::Context& context) : openapi_generator::Plugin(context) {}
Plugin::~Plugin() = default;

void Plugin::setOption(std::string_view name, std::string_view value) {
    openapi_generator::Plugin::setOption(name, value);
    // The command's options win over the configuration file, which is read later.
    if (name == "packageName") packageNameOption_ = std::string(value);
    if (name == "packageVersion") packageVersionOption_ = std::string(value);
}

void Plugin::setDefaultConfig() { configuration_ = Configuration(); }

void Plugin::setConfig(const jv::JV* root) {
    configuration_ = Configuration();
    if (root == nullptr || !root->isObject()) return;
    const jv::JV* section = root->find(jv::JVPointer("/commands/generate/doc_html"));
    if (section != nullptr) configuration_ = Configuration::fromJV(*section);
}

void Plugin::configureSelf() {
    if (outputPath().empty()) throw ConfigError("The output directory is missing: pass it with --output");
    if (packageNameOption_) configuration_.packageName = *packageNameOption_;
    if (packageVersionOption_) configuration_.packageVersion = *packageVersionOption_;
    state_ = std::make_unique<State>();
    state_->project = std::make_unique<code_morph::astro::Project>(context().fs());
    state_->project->setPath(outputPath());
}

void Plugin::configureParts() {
    state_->context = std::make_unique<Context>(context(), configuration_, *openapi(), *state_->project);
    SiteFiles files{configuration_.packageName, configuration_.packageVersion, std::nullopt};
    if (configuration_.openapiSchema) {
        std::string name;
        if (configuration_.openapiSchemaFileName) {
            name = code_morph::base::safeFileName(*configuration_.openapiSchemaFileName);
        } else {
            const std::string extension = std::filesystem::path(context().inputPath()).extension().string();
            name = code_morph::base::safeFileName("openapi" + (extension.empty() ? std::string(".json") : extension));
        }
        // Under public/, so the built site serves it as it is.
        files.documentCopy = "public/" + name;
    }
    for (auto& part : createParts(*state_->context, files)) addPart(std::move(part));
}

void Plugin::generateCode() {
    openapi_generator::Plugin::generateCode();
    const std::vector<Issue>& issues = state_->context->issues();
    if (!issues.empty()) {
        if (configuration_.failOnGeneratorError) {
            // Nothing is saved: a failed run leaves no half-built site behind.
            print(issues);
            throw std::runtime_error(fmt::format("The documentation site was not written: {} generator issue{}",
                                                 issues.size(), issues.size() == 1 ? "" : "s"));
        }
        print(issues);
    }
    state_->project->save();
    state_.reset();
}

}  // namespace zephalon::openapi_generator::doc_html
