#pragma once

// What every part of the site shares: the model, the configuration, the translator and the naming rules (ids,
// component names, URLs and file paths), plus the data that several parts hand to the pages.

#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zephalon/code_morph/astro.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi_generator/issue.h"
#include "zephalon/openapi_generator_doc_html/doc_html.h"

namespace zephalon::openapi_generator::doc_html {

using json = nlohmann::ordered_json;

// The language a set of pages is written in; an empty code on a single-language site.
struct Locale {
    std::string code;
    bool prefixed = false;  // pages live under "/<code>/"
};

struct OperationEntry {
    openapi::OperationInfo info;
    std::string key;  // file, component and page name: unique, safe, ASCII
};

struct ResourceEntry {
    std::string name;  // the schema's key in components
    const openapi::Schema* schema = nullptr;
    std::string key;
};

struct GroupEntry {
    std::string name;
    std::string key;
    std::vector<std::size_t> operations;  // indices into operations()
};

class Context {
  public:
    Context(openapi_generator::Context& generator, const Configuration& config, const openapi::OpenAPI& document,
            code_morph::astro::Project& project);

    const Configuration& config() const { return config_; }
    const openapi::OpenAPI& document() const { return document_; }
    code_morph::astro::Project& project() const { return project_; }
    openapi_generator::Context& generator() const { return generator_; }

    const std::vector<OperationEntry>& operations() const { return operations_; }
    const std::vector<ResourceEntry>& resources() const { return resources_; }
    const std::vector<GroupEntry>& groups() const { return groups_; }
    const std::vector<std::size_t>& ungrouped() const { return ungrouped_; }
    // Which resources an operation's parameters, body and responses use (through any depth of schemas), and the
    // other way round; both in index order.
    const std::vector<std::size_t>& resourcesUsedBy(std::size_t operation) const { return usedResources_[operation]; }
    const std::vector<std::size_t>& operationsUsing(std::size_t resource) const { return usingOperations_[resource]; }
    // The resource for a component schema, or null when the schema is not one of them.
    const ResourceEntry* resourceOf(const openapi::Schema* schema) const;

    bool multiLanguage() const { return config_.locales.size() > 1; }
    // One entry on a single-language site (empty code).
    std::vector<Locale> locales() const;
    // The locale whose pages are not prefixed when it has no prefix; the first locale when none is configured.
    std::string defaultLocale() const;
    // "/<code>" for a prefixed locale; std::runtime_error "Not in multi-language mode" on a single-language site.
    std::string localePrefix(const Locale& locale) const;

    // Ids (page anchors).
    static std::string operationId(const openapi::OperationInfo& info);
    static std::string tagId(std::string_view tag);
    static std::string resourceId(std::string_view resource);

    // Component names.
    std::string operationComponent(std::size_t operation) const { return "Operation_" + operations_[operation].key; }
    std::string operationUsageComponent(std::size_t operation) const {
        return "OperationUsage_" + operations_[operation].key;
    }
    std::string resourceComponent(std::size_t resource) const { return "Resource_" + resources_[resource].key; }
    std::string resourceUsageComponent(std::size_t resource) const {
        return "ResourceUsage_" + resources_[resource].key;
    }

    // URLs of pages ("/", "/operations", "/groups/<key>", ...) and of items on them.
    std::string pageUrl(const Locale& locale, std::string_view page) const;
    std::string overviewHref(const Locale& locale, std::string_view anchor) const;
    std::string operationHref(const Locale& locale, std::size_t operation) const;
    std::string resourceHref(const Locale& locale, std::size_t resource) const;

    // Project paths: "src/pages/[<locale>/][<directory>/]<name>.astro", and likewise under "src/components".
    static std::string pagePath(const Locale& locale, std::string_view directory, std::string_view name);
    static std::string componentPath(const Locale& locale, std::string_view directory, std::string_view name);
    // The module specifier that imports `to` from the file `from` (both project paths).
    static std::string relativeImport(std::string_view from, std::string_view to);
    // The specifier of a shared component of the template package.
    std::string templateImport(std::string_view component) const;

    // A text of the document in the locale: its translation when the translator has one, else the text itself.
    std::string text(const Locale& locale, const openapi::Node* node, std::string_view key,
                     std::string_view original) const;
    // The same, rendered from Markdown to HTML.
    std::string markdown(const Locale& locale, const openapi::Node* node, std::string_view key,
                         std::string_view original) const;

    // What the pages show of a schema's type: "string", "array of integers", "Pet", "string or null".
    std::string typeText(const openapi::Node* schema) const;
    // A sample value of a schema as indented JSON text; nothing (and an issue) when none can be made.
    std::optional<std::string> sample(const openapi::Schema* schema) const;
    // Indented JSON text of an example value of the document.
    static std::string exampleText(const jv::JV& value);

    void addIssue(IssueSeverity severity, std::string message, const openapi::Node* node) const;
    const std::vector<Issue>& issues() const { return issues_; }

    // "html" of every page: title (with the configured prefix), lang and the meta texts.
    json htmlData(const Locale& locale, std::string_view title) const;
    // "localeSelectorData": one option per locale, linking to the same page there.
    json localeSelectorData(const Locale& locale, std::string_view page) const;

  private:
    void collectOperations();
    void collectResources();
    void collectGroups();
    void collectUsage();
    std::string typeText(const openapi::Node* schema, bool plural, int depth) const;

    openapi_generator::Context& generator_;
    const Configuration& config_;
    const openapi::OpenAPI& document_;
    code_morph::astro::Project& project_;
    std::vector<OperationEntry> operations_;
    std::vector<ResourceEntry> resources_;
    std::map<const openapi::Schema*, std::size_t> resourceBySchema_;
    std::vector<GroupEntry> groups_;
    std::vector<std::size_t> ungrouped_;
    std::vector<std::vector<std::size_t>> usedResources_;
    std::vector<std::vector<std::size_t>> usingOperations_;
    mutable std::vector<Issue> issues_;
};

// Names of files and components from any text: ASCII letters and digits, "_" for runs of anything else, never
// empty, unique among `taken` (compared without case, as some file systems do), which it joins.
std::string uniqueKey(std::string_view text, std::map<std::string, int>& taken);

// Request examples. The curl command quotes every argument for a POSIX shell; the JavaScript example writes
// strings as literals and the body through JSON.stringify of a JSON literal.
struct RequestExample {
    std::string method;  // upper case
    std::string url;
    std::vector<std::pair<std::string, std::string>> headers;
    std::optional<std::string> jsonBody;  // JSON text
};
std::string curlRequest(const RequestExample& example);
std::string vanillaJsRequest(const RequestExample& example);
std::string shellQuote(std::string_view text);
std::string jsStringLiteral(std::string_view text);

// Page data.
json operationData(const Context& context, const Locale& locale, std::size_t operation);
json resourceData(const Context& context, const Locale& locale, std::size_t resource);
json overviewData(const Context& context, const Locale& locale);
RequestExample requestExample(const Context& context, const openapi::OperationInfo& info);

}  // namespace zephalon::openapi_generator::doc_html
