#include "context.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <stdexcept>

#include "zephalon/foundation/markdown.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/jv_generator/generator.h"
#include "zephalon/openapi/node_error.h"
#include "zephalon/openapi/schema_format.h"
#include "zephalon/openapi/visitor.h"
#include "zephalon/openapi_generator/operation_grouper.h"

namespace zephalon::openapi_generator::doc_html {
namespace {

// Past this depth a type is described by its name alone, so self-referencing schemas end.
constexpr int kMaxTypeDepth = 4;

std::string lower(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

std::string plainType(openapi::SchemaType type, bool plural) {
    switch (type) {
        case openapi::SchemaType::null:
            return "null";
        case openapi::SchemaType::boolean:
            return plural ? "booleans" : "boolean";
        case openapi::SchemaType::object:
            return plural ? "objects" : "object";
        case openapi::SchemaType::array:
            return plural ? "arrays" : "array";
        case openapi::SchemaType::number:
            return plural ? "numbers" : "number";
        case openapi::SchemaType::string:
            return plural ? "strings" : "string";
        case openapi::SchemaType::integer:
            return plural ? "integers" : "integer";
    }
    return "any";
}

}  // namespace

std::string uniqueKey(std::string_view text, std::map<std::string, int>& taken) {
    std::string key;
    bool gap = false;
    for (char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            if (gap && !key.empty()) key += '_';
            gap = false;
            key += c;
        } else {
            gap = true;
        }
    }
    if (key.empty()) key = "unnamed";
    std::string candidate = key;
    for (int n = 2; taken.contains(lower(candidate)); ++n) candidate = fmt::format("{}_{}", key, n);
    taken.emplace(lower(candidate), 1);
    return candidate;
}

Context::Context(openapi_generator::Context& generator, const Configuration& config, const openapi::OpenAPI& document,
                 code_morph::astro::Project& project)
    : generator_(generator), config_(config), document_(document), project_(project) {
    collectOperations();
    collectResources();
    collectGroups();
    collectUsage();
}

void Context::collectUsage() {
    usedResources_.resize(operations_.size());
    usingOperations_.resize(resources_.size());
    for (std::size_t i = 0; i < operations_.size(); ++i) {
        const openapi::Operation& operation = *operations_[i].info.operation;
        std::set<const openapi::Schema*> seen;
        std::set<std::size_t> used;
        std::vector<const openapi::Node*> pending;
        for (const openapi::Parameter* parameter : operation.effectiveParameters()) {
            if (parameter != nullptr) pending.push_back(parameter->schemaOrContent().effectiveSchema());
        }
        auto addContent = [&](const openapi::OwnedMap<openapi::MediaType>& content) {
            for (const auto& [key, mediaType] : content) pending.push_back(mediaType->schemaNode());
        };
        if (const openapi::RequestBody* body = operation.requestBody()) addContent(body->content());
        if (const openapi::Responses* responses = operation.responses()) {
            for (const auto& [status, node] : responses->responses()) {
                if (const auto* response = node->resolveNodeAs<openapi::Response>()) addContent(response->content());
            }
        }
        while (!pending.empty()) {
            const openapi::Node* node = pending.back();
            pending.pop_back();
            const auto* schema = node != nullptr ? node->resolveNodeAs<openapi::Schema>() : nullptr;
            if (schema == nullptr || !seen.insert(schema).second) continue;
            if (auto found = resourceBySchema_.find(schema); found != resourceBySchema_.end())
                used.insert(found->second);
            for (const auto& [name, property] : schema->properties()) pending.push_back(property.get());
            for (const auto* list : {&schema->allOf(), &schema->anyOf(), &schema->oneOf()}) {
                for (const auto& branch : *list) pending.push_back(branch.get());
            }
            pending.push_back(schema->itemsNode());
            pending.push_back(schema->additionalPropertiesNode());
        }
        for (std::size_t resource : used) {
            usedResources_[i].push_back(resource);
            usingOperations_[resource].push_back(i);
        }
    }
}

void Context::collectOperations() {
    std::map<std::string, int> taken;
    for (const openapi::OperationInfo& info : openapi::OperationIterator(&document_)) {
        const std::string name = fmt::format("{}_{}", openapi::operationMethodToString(info.method), info.path);
        operations_.push_back({info, uniqueKey(name, taken)});
    }
}

void Context::collectResources() {
    const openapi::Components* components = document_.components();
    if (components == nullptr) return;
    std::map<std::string, int> taken;
    for (const auto& [name, node] : components->schemas()) {
        const auto* schema = node->resolveNodeAs<openapi::Schema>();
        if (schema == nullptr) continue;
        resourceBySchema_.emplace(schema, resources_.size());
        resources_.push_back({name, schema, uniqueKey(name, taken)});
    }
}

void Context::collectGroups() {
    OperationGrouper grouper;
    grouper.addCriterium(GroupingCriterium::tag);
    grouper.run(&document_);
    std::map<const openapi::Operation*, std::size_t> index;
    for (std::size_t i = 0; i < operations_.size(); ++i) index.emplace(operations_[i].info.operation, i);
    std::map<std::string, int> taken;
    for (const auto& [name, infos] : grouper.groups) {
        GroupEntry group{name, uniqueKey(name, taken), {}};
        for (const auto& info : infos) group.operations.push_back(index.at(info.operation));
        groups_.push_back(std::move(group));
    }
    for (const auto& info : grouper.ungrouped) ungrouped_.push_back(index.at(info.operation));
}

const ResourceEntry* Context::resourceOf(const openapi::Schema* schema) const {
    auto found = resourceBySchema_.find(schema);
    return found == resourceBySchema_.end() ? nullptr : &resources_[found->second];
}

std::vector<Locale> Context::locales() const {
    if (config_.locales.empty()) return {Locale{}};
    if (!multiLanguage()) return {Locale{config_.locales.front(), false}};
    const std::string fallback = defaultLocale();
    std::vector<Locale> result;
    for (const std::string& code : config_.locales) {
        // Without a default locale every locale has its prefix, so no two of them claim the same pages.
        const bool isDefault = config_.defaultLocale && code == fallback;
        result.push_back({code, !isDefault || config_.prefixDefaultLocale});
    }
    return result;
}

std::string Context::defaultLocale() const {
    if (config_.defaultLocale) return *config_.defaultLocale;
    return config_.locales.empty() ? std::string() : config_.locales.front();
}

std::string Context::localePrefix(const Locale& locale) const {
    if (!multiLanguage()) throw std::runtime_error("Not in multi-language mode");
    return locale.prefixed ? "/" + locale.code : std::string();
}

std::string Context::operationId(const openapi::OperationInfo& info) {
    std::string path = info.path;
    std::replace(path.begin(), path.end(), '/', '_');
    return fmt::format("operation_{}/{}", openapi::operationMethodToString(info.method), path);
}

std::string Context::tagId(std::string_view tag) { return fmt::format("tag_{}", tag); }
std::string Context::resourceId(std::string_view resource) { return fmt::format("resource_{}", resource); }

std::string Context::pageUrl(const Locale& locale, std::string_view page) const {
    const std::string prefix = multiLanguage() ? localePrefix(locale) : std::string();
    if (page == "index") return prefix.empty() ? "/" : prefix + "/";
    return fmt::format("{}/{}", prefix, page);
}

std::string Context::overviewHref(const Locale& locale, std::string_view anchor) const {
    return fmt::format("{}#{}", pageUrl(locale, "index"), anchor);
}

std::string Context::operationHref(const Locale& locale, std::size_t operation) const {
    const OperationEntry& entry = operations_[operation];
    const std::string anchor = operationId(entry.info);
    const bool single =
        config_.operations == OperationGranularity::merge && config_.resources == ResourceGranularity::merge;
    if (single) return fmt::format("{}#{}", pageUrl(locale, "index"), anchor);
    switch (config_.operations) {
        case OperationGranularity::merge:
            return fmt::format("{}#{}", pageUrl(locale, "operations"), anchor);
        case OperationGranularity::separate:
            return pageUrl(locale, "operations/" + entry.key);
        case OperationGranularity::group:
            for (const GroupEntry& group : groups_) {
                if (std::find(group.operations.begin(), group.operations.end(), operation) != group.operations.end()) {
                    return fmt::format("{}#{}", pageUrl(locale, "groups/" + group.key), anchor);
                }
            }
            return fmt::format("{}#{}", pageUrl(locale, "operations"), anchor);
    }
    return pageUrl(locale, "index");
}

std::string Context::resourceHref(const Locale& locale, std::size_t resource) const {
    const ResourceEntry& entry = resources_[resource];
    const bool single =
        config_.operations == OperationGranularity::merge && config_.resources == ResourceGranularity::merge;
    if (single) return fmt::format("{}#{}", pageUrl(locale, "index"), resourceId(entry.name));
    if (config_.resources == ResourceGranularity::separate) return pageUrl(locale, "resources/" + entry.key);
    return fmt::format("{}#{}", pageUrl(locale, "resources"), resourceId(entry.name));
}

std::string Context::pagePath(const Locale& locale, std::string_view directory, std::string_view name) {
    std::string path = "src/pages/";
    if (locale.prefixed) path += locale.code + "/";
    if (!directory.empty()) path += fmt::format("{}/", directory);
    return fmt::format("{}{}.astro", path, name);
}

std::string Context::componentPath(const Locale& locale, std::string_view directory, std::string_view name) {
    std::string path = "src/components/";
    if (!locale.code.empty()) path += locale.code + "/";
    if (!directory.empty()) path += fmt::format("{}/", directory);
    return fmt::format("{}{}.astro", path, name);
}

std::string Context::relativeImport(std::string_view from, std::string_view to) {
    // Both are project paths; walk up from the importing file's directory to the common prefix.
    auto split = [](std::string_view path) {
        std::vector<std::string_view> parts;
        std::size_t start = 0;
        for (std::size_t slash; (slash = path.find('/', start)) != std::string_view::npos; start = slash + 1) {
            parts.push_back(path.substr(start, slash - start));
        }
        parts.push_back(path.substr(start));
        return parts;
    };
    auto source = split(from);
    source.pop_back();
    const auto target = split(to);
    std::size_t common = 0;
    while (common < source.size() && common + 1 < target.size() && source[common] == target[common]) ++common;
    std::string result;
    for (std::size_t i = common; i < source.size(); ++i) result += "../";
    if (result.empty()) result = "./";
    for (std::size_t i = common; i < target.size(); ++i) {
        result += target[i];
        if (i + 1 < target.size()) result += '/';
    }
    return result;
}

std::string Context::templateImport(std::string_view component) const {
    return fmt::format("{}/{}", config_.templatePackage, templateImports().at(std::string(component)));
}

std::string Context::text(const Locale& locale, const openapi::Node* node, std::string_view key,
                          std::string_view original) const {
    if (!locale.code.empty()) {
        const std::string translationKey = generator_.translationKey(node, key);
        if (!translationKey.empty()) {
            if (auto translated = generator_.translator().translate(locale.code, translationKey)) return *translated;
        }
    }
    return std::string(original);
}

std::string Context::markdown(const Locale& locale, const openapi::Node* node, std::string_view key,
                              std::string_view original) const {
    return markdown::markdownToHtml(text(locale, node, key, original));
}

std::string Context::typeText(const openapi::Node* schema) const { return typeText(schema, false, 0); }

std::string Context::typeText(const openapi::Node* node, bool plural, int depth) const {
    if (node == nullptr) return "any";
    const auto* schema = node->resolveNodeAs<openapi::Schema>();
    if (schema == nullptr) return "any";
    // A shared schema is named rather than spelled out, so readers follow the link to its resource.
    if (const ResourceEntry* resource = resourceOf(schema); resource != nullptr && depth > 0) return resource->name;
    if (depth > kMaxTypeDepth) return plural ? "values" : "value";
    std::vector<std::string> words;
    for (openapi::SchemaType type : schema->types()) {
        std::string word;
        if (type == openapi::SchemaType::array) {
            word = plural ? "arrays of " : "array of ";
            word += schema->itemsNode() != nullptr ? typeText(schema->itemsNode(), true, depth + 1) : "values";
        } else {
            word = plainType(type, plural);
            if (schema->format() != nullptr &&
                (type == openapi::SchemaType::string || type == openapi::SchemaType::integer ||
                 type == openapi::SchemaType::number)) {
                word += fmt::format("({})", schema->format()->name());
            }
        }
        words.push_back(std::move(word));
    }
    if (words.empty()) {
        for (const auto* list : {&schema->oneOf(), &schema->anyOf(), &schema->allOf()}) {
            if (list->empty()) continue;
            for (const auto& branch : *list) words.push_back(typeText(branch.get(), plural, depth + 1));
            if (list == &schema->allOf()) return fmt::format("{}", fmt::join(words, " and "));
            break;
        }
    }
    if (words.empty()) {
        if (!schema->properties().empty()) return plural ? "objects" : "object";
        return plural ? "values" : "any";
    }
    return fmt::format("{}", fmt::join(words, " or "));
}

std::optional<std::string> Context::sample(const openapi::Schema* schema) const {
    if (schema == nullptr) return std::nullopt;
    try {
        // A fixed seed: generating the same document twice gives the same site.
        jv_generator::Generator generator(schema, 1);
        generator.configuration().setNumericRange(0, 100);
        generator.configuration().setLengthRange(3, 12);
        generator.configuration().setItemCountRange(1, 2);
        generator.configuration().setPropertyCountRange(0, 3);
        jv::JVDoc doc;
        doc.setRoot(jv::JV::Type::Null);
        generator.generate(*doc.root());
        return exampleText(*doc.root());
    } catch (const openapi::NodeError& error) {
        addIssue(IssueSeverity::Warning, fmt::format("No sample could be made: {}", error.what()),
                 error.node() != nullptr ? error.node() : schema);
    } catch (const std::exception& error) {
        addIssue(IssueSeverity::Warning, fmt::format("No sample could be made: {}", error.what()), schema);
    }
    return std::nullopt;
}

std::string Context::exampleText(const jv::JV& value) {
    std::string text = jv::toString(value, FileFormat::JSON);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

void Context::addIssue(IssueSeverity severity, std::string message, const openapi::Node* node) const {
    issues_.push_back(generator_.issueAt(severity, std::move(message), node));
}

json Context::htmlData(const Locale& locale, std::string_view title) const {
    json html = json::object();
    html["title"] = config_.htmlTitlePrefix ? *config_.htmlTitlePrefix + std::string(title) : std::string(title);
    html["lang"] = locale.code.empty() ? "en" : locale.code;
    auto optional = [](const std::optional<std::string>& value) { return value ? json(*value) : json(nullptr); };
    html["keywords"] = optional(config_.metaKeywords);
    html["generator"] = optional(config_.metaGenerator);
    html["description"] = optional(config_.metaDescription);
    html["author"] = optional(config_.metaAuthor);
    return html;
}

json Context::localeSelectorData(const Locale& locale, std::string_view page) const {
    json data = json::object();
    data["current"] = locale.code;
    data["options"] = json::array();
    if (!multiLanguage()) return data;
    for (const Locale& option : locales()) {
        data["options"].push_back({{"value", option.code}, {"href", pageUrl(option, page)}, {"label", option.code}});
    }
    return data;
}

}  // namespace zephalon::openapi_generator::doc_html
