#include "zephalon/openapi_generator/generator.h"

#include <fmt/format.h>

#include <filesystem>
#include <optional>

#include "zephalon/jv/file_io.h"
#include "zephalon/jv/pointer.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi/reader_result.h"
#include "zephalon/telemetry/telemetry.h"

namespace zephalon::openapi_generator {

// ---- context ----

Context::Context() : fs_(localFileSystem()) {}
Context::~Context() = default;

void Context::addTranslationFile(std::string_view locale, const std::string& file) {
    auto doc = jv::readFile(file);
    translator_.addTranslations(locale, *doc->root());
}

std::string Context::translationKey(const openapi::Node* node, std::string_view key) const {
    return translationKeyFunc_ ? translationKeyFunc_(node, key) : std::string();
}

const openapi::Node* Context::findNode(std::string_view pointer) const {
    return nodeFindFunc_ ? nodeFindFunc_(pointer) : nullptr;
}

Pos Context::nodePos(const openapi::Node* node) const { return nodePosFunc_ ? nodePosFunc_(node) : Pos{}; }

std::string Context::nodeFile(const openapi::Node* node) const {
    return nodeFileFunc_ && node != nullptr ? nodeFileFunc_(node) : std::string();
}

Issue Context::issueAt(IssueSeverity severity, std::string message, const openapi::Node* node) const {
    if (node == nullptr) return Issue{severity, std::move(message), Pos{}, {}};
    return Issue{severity, std::move(message), nodePos(node), nodeFile(node)};
}

// ---- plugin ----

Plugin::~Plugin() = default;

void Plugin::setOption(std::string_view name, std::string_view value) {
    if (name == "outputPath") {
        outputPath_ = value;
    } else if (name == "packageName") {
        packageName_ = value;
    } else if (name == "packageVersion") {
        packageVersion_ = value;
    }
}

void Plugin::setConfig(const jv::JV*) {}
void Plugin::setDefaultConfig() {}
void Plugin::configureSelf() {}
void Plugin::configureParts() {}

void Plugin::collectData() {
    for (auto& part : parts_) part->collectData();
}

void Plugin::generateCode() {
    for (auto& part : parts_) part->generateCode();
}

Part* Plugin::addPart(std::unique_ptr<Part> part) {
    parts_.push_back(std::move(part));
    return parts_.back().get();
}

void Plugin::run(const openapi::OpenAPI* openapi) {
    openapi_ = openapi;
    // The document lives only while the generator runs.
    struct Forget {
        const openapi::OpenAPI*& document;
        ~Forget() { document = nullptr; }
    } forget{openapi_};
    {
        auto scope = telemetry::getSpanScope("configureSelf");
        configureSelf();
    }
    {
        auto scope = telemetry::getSpanScope("configureParts");
        configureParts();
    }
    {
        auto scope = telemetry::getSpanScope("collectData");
        collectData();
    }
    {
        auto scope = telemetry::getSpanScope("generateCode");
        generateCode();
    }
}

// ---- generator ----

Generator::Generator() = default;
Generator::~Generator() = default;

void Generator::configure() {
    if (!context_.configPath()) {
        for (auto& plugin : plugins_) plugin->setDefaultConfig();
        return;
    }
    // Declared outside the handlers: an error's node lies in the document, which must outlive the handling.
    std::unique_ptr<jv::JVDoc> doc;
    try {
        doc = jv::readFile(*context_.configPath());
        const jv::JV* root = doc->root();
        if (root != nullptr && root->isObject()) {
            if (const jv::JV* formats = root->find(jv::JVPointer("/openapi/custom_formats"))) {
                context_.formatRegistry().fromJV(formats);
            }
        }
        for (auto& plugin : plugins_) plugin->setConfig(root);
    } catch (const jv::JVError& error) {
        if (error.node != nullptr && error.node->pos.known()) {
            throw std::runtime_error(
                fmt::format("Error reading configuration file (line {}): {}", error.node->pos.line, error.what()));
        }
        throw std::runtime_error(fmt::format("Error reading configuration file: {}", error.what()));
    } catch (const std::exception& error) {
        throw std::runtime_error(fmt::format("Error reading configuration file: {}", error.what()));
    }
}

void Generator::run() {
    {
        auto scope = telemetry::getSpanScope("config");
        configure();
    }
    std::unique_ptr<openapi::OpenAPIReadResult> result;
    {
        auto scope = telemetry::getSpanScope("read");
        openapi::ReadOptions options;
        options.allowRefsOutside = context_.allowRefsOutside();
        result = openapi::checkedReadFromFile(context_.inputPath(), &context_.formatRegistry(), options);
    }
    // Output written over the document it came from would destroy the document.
    for (const auto& plugin : plugins_) {
        if (!plugin->outputPath().empty()) openapi::refuseToOverwrite(*result, plugin->outputPath(), "output file");
    }
    const openapi::OpenAPIReadResult* read = result.get();
    // A text's key is the pointer of its member in the source, as the i18n extraction writes it.
    context_.setTranslationKeyFunc([read](const openapi::Node* node, std::string_view key) -> std::string {
        const jv::JV* value = read->value(node);
        if (value == nullptr) return "";
        if (key.empty()) return value->pointer();
        const jv::JV* member = value->isObject() ? value->property(key) : nullptr;
        if (member != nullptr) return member->pointer();
        return read->jsonPointer(node, key).value_or("");
    });
    context_.setNodeFindFunc(
        [read](std::string_view pointer) -> const openapi::Node* { return read->findNode(pointer); });
    context_.setNodePosFunc([read](const openapi::Node* node) { return read->nodePos(node); });
    context_.setNodeFileFunc([read](const openapi::Node* node) -> std::string {
        if (!read->isMultiFile()) return "";
        std::optional<std::filesystem::path> file = read->sourceFile(node);
        if (!file || file == read->filePath()) return "";
        return file->string();
    });
    context_.staged_ = std::make_unique<StagedFileSystem>(*context_.fs_);
    // The functions point into the read result, which ends with this run; what a failed run staged is dropped.
    struct Unbind {
        Context& context;
        ~Unbind() {
            context.setTranslationKeyFunc(nullptr);
            context.setNodeFindFunc(nullptr);
            context.setNodePosFunc(nullptr);
            context.setNodeFileFunc(nullptr);
            context.staged_.reset();
        }
    } unbind{context_};
    auto scope = telemetry::getSpanScope("run");
    for (auto& plugin : plugins_) plugin->run(result->model());
    context_.staged_->commit();
}

}  // namespace zephalon::openapi_generator
