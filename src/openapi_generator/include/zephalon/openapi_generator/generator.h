#pragma once

// The generator framework: a Generator reads the configuration and the document, prepares the Context that all
// plugins share, and runs each Plugin through its lifecycle. A plugin splits its output into Parts, each of which
// collects what it needs from the model and then writes its files.
//
//     Generator generator;
//     generator.setInputPath("api.yaml");
//     auto* plugin = generator.addPlugin(std::make_unique<data::DataPlugin>(generator.context()));
//     plugin->setOutputPath("samples.json");
//     generator.run();
//
// Plugin lifecycle, each step in a telemetry span of its name: configureSelf, configureParts, collectData,
// generateCode. Configuration comes first: setDefaultConfig without a configuration file, setConfig with its root.

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "zephalon/foundation/file_system.h"
#include "zephalon/jv/jv.h"
#include "zephalon/jv/pos.h"
#include "zephalon/openapi/schema_format.h"
#include "zephalon/openapi_generator/issue.h"
#include "zephalon/openapi_i18n/translator.h"

namespace zephalon::openapi {
class Node;
class OpenAPI;
}  // namespace zephalon::openapi

namespace zephalon::openapi_generator {

// Bad plugin options or configuration.
class ConfigError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// What the generator and its plugins share.
class Context {
  public:
    // The translation key of one text of a node (the JSON Pointer of that member in the source).
    using TranslationKeyFunc = std::function<std::string(const openapi::Node*, std::string_view key)>;
    using NodeFindFunc = std::function<const openapi::Node*(std::string_view pointer)>;
    using NodePosFunc = std::function<Pos(const openapi::Node*)>;
    using NodeFileFunc = std::function<std::string(const openapi::Node*)>;

    // Output goes to the local file system until setFS replaces it.
    Context();
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    // Where plugins write. While a generator runs, a stage over the output file system that the generator puts in
    // place when every plugin has finished.
    FileSystem& fs() { return staged_ ? *staged_ : *fs_; }
    void setFS(std::unique_ptr<FileSystem> fs) { fs_ = std::move(fs); }

    const std::string& inputPath() const { return inputPath_; }
    void setInputPath(std::string path) { inputPath_ = std::move(path); }
    const std::optional<std::string>& configPath() const { return configPath_; }
    // Whether references may lead out of the input document's directory tree.
    bool allowRefsOutside() const { return allowRefsOutside_; }
    void setAllowRefsOutside(bool allow) { allowRefsOutside_ = allow; }
    void setConfigPath(std::string path) { configPath_ = std::move(path); }

    // The built-in formats and the custom formats of the configuration.
    openapi::SchemaFormatRegistry& formatRegistry() { return formatRegistry_; }
    const openapi::SchemaFormatRegistry& formatRegistry() const { return formatRegistry_; }

    openapi_i18n::Translator& translator() { return translator_; }
    const openapi_i18n::Translator& translator() const { return translator_; }
    // Reads a translation file (JSON or YAML) for the locale; reader errors propagate.
    void addTranslationFile(std::string_view locale, const std::string& file);

    void setTranslationKeyFunc(TranslationKeyFunc func) { translationKeyFunc_ = std::move(func); }
    void setNodeFindFunc(NodeFindFunc func) { nodeFindFunc_ = std::move(func); }
    void setNodePosFunc(NodePosFunc func) { nodePosFunc_ = std::move(func); }
    void setNodeFileFunc(NodeFileFunc func) { nodeFileFunc_ = std::move(func); }

    // Bound to the document being generated while the generator runs; empty, null and unknown otherwise.
    std::string translationKey(const openapi::Node* node, std::string_view key) const;
    const openapi::Node* findNode(std::string_view pointer) const;
    Pos nodePos(const openapi::Node* node) const;
    // The file a node stands in when that is another file than the input document (a document split over several
    // files); empty otherwise.
    std::string nodeFile(const openapi::Node* node) const;
    // An issue at the node's place: its position and, for a node of another file, that file.
    Issue issueAt(IssueSeverity severity, std::string message, const openapi::Node* node) const;

  private:
    friend class Generator;

    std::unique_ptr<FileSystem> fs_;
    std::unique_ptr<StagedFileSystem> staged_;
    std::string inputPath_;
    std::optional<std::string> configPath_;
    bool allowRefsOutside_ = false;
    openapi::SchemaFormatRegistry formatRegistry_;
    openapi_i18n::Translator translator_;
    TranslationKeyFunc translationKeyFunc_;
    NodeFindFunc nodeFindFunc_;
    NodePosFunc nodePosFunc_;
    NodeFileFunc nodeFileFunc_;
};

// One unit of a plugin's output. Parts must not keep pointers into the model after generateCode.
class Part {
  public:
    virtual ~Part() = default;
    virtual void collectData() {}
    virtual void generateCode() {}
};

// The base of every generator.
class Plugin {
  public:
    explicit Plugin(Context& context) : context_(context) {}
    virtual ~Plugin();
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    // "outputPath", "packageName" and "packageVersion" set the matching field; other names are ignored here.
    virtual void setOption(std::string_view name, std::string_view value);
    // The root of the configuration file; each plugin takes its own section.
    virtual void setConfig(const jv::JV* root);
    virtual void setDefaultConfig();
    // Keeps the document and runs the lifecycle. An exception ends the run and reaches the caller.
    virtual void run(const openapi::OpenAPI* openapi);
    virtual void configureSelf();
    virtual void configureParts();
    // Each part in the order added.
    virtual void collectData();
    virtual void generateCode();

    // setOption with the matching name, so that a plugin overriding setOption sees these too.
    void setOutputPath(std::string_view value) { setOption("outputPath", value); }
    void setPackageName(std::string_view value) { setOption("packageName", value); }
    void setPackageVersion(std::string_view value) { setOption("packageVersion", value); }

    Context& context() const { return context_; }
    const std::string& outputPath() const { return outputPath_; }
    const std::string& packageName() const { return packageName_; }
    const std::string& packageVersion() const { return packageVersion_; }
    // The document being generated; null outside run.
    const openapi::OpenAPI* openapi() const { return openapi_; }

    const std::vector<std::unique_ptr<Part>>& parts() const { return parts_; }
    Part* addPart(std::unique_ptr<Part> part);

  private:
    Context& context_;
    std::string outputPath_;
    std::string packageName_;
    std::string packageVersion_;
    std::vector<std::unique_ptr<Part>> parts_;
    const openapi::OpenAPI* openapi_ = nullptr;
};

class Generator {
  public:
    Generator();
    ~Generator();
    Generator(const Generator&) = delete;
    Generator& operator=(const Generator&) = delete;

    Context& context() { return context_; }

    void setInputPath(std::string path) { context_.setInputPath(std::move(path)); }
    void setConfigFilePath(std::string path) { context_.setConfigPath(std::move(path)); }
    void addTranslationFile(std::string_view locale, const std::string& file) {
        context_.addTranslationFile(locale, file);
    }

    // Takes the plugin and hands it back for further set-up; plugins run in the order added.
    template <class T>
    T* addPlugin(std::unique_ptr<T> plugin) {
        T* added = plugin.get();
        plugins_.push_back(std::move(plugin));
        return added;
    }

    // Configures every plugin (span "config"), reads the document (span "read") and runs every plugin on it
    // (span "run"). What the plugins write reaches the output file system only when all of them have finished, in
    // one step: a run that fails leaves the output as it was. Configuration problems raise "Error reading configuration
    // file: ..." (with "(line N)" when the problem has a place); a document with issues raises the reader's text.
    void run();

  private:
    void configure();

    Context context_;
    std::vector<std::unique_ptr<Plugin>> plugins_;
};

}  // namespace zephalon::openapi_generator
