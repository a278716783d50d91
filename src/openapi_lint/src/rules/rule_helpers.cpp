// Helpers that several rules share.

#include <fmt/format.h>

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "rules.h"
#include "zephalon/foundation/strings.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader_result.h"

namespace zephalon::openapi_lint {

// With its own stack: allOf chains can be as long as a document makes them.
const openapi::Schema* findInAllOf(const openapi::Schema* schema,
                                   const std::function<bool(const openapi::Schema&)>& predicate) {
    std::set<const openapi::Schema*> seen;
    std::vector<const openapi::Schema*> pending{schema};
    while (!pending.empty()) {
        const openapi::Schema* next = pending.back();
        pending.pop_back();
        if (next == nullptr || !seen.insert(next).second) continue;
        if (predicate(*next)) return next;
        for (std::size_t i = next->allOf().size(); i > 0; --i) pending.push_back(next->allOf(i - 1));
    }
    return nullptr;
}

void collectProperties(const openapi::Schema* schema, std::set<std::string, std::less<>>& names) {
    findInAllOf(schema, [&](const openapi::Schema& next) {
        for (const auto& entry : next.properties()) names.insert(entry.first);
        return false;
    });
}

std::uint64_t positiveIntegerOption(const jv::JV& options, const char* notPositive) {
    if (options.isNull()) throw RuleConfigurationError("Options must not be null");
    if (!options.isNumber()) throw RuleConfigurationError("Options must be a number");
    const number::Number& value = options.numberValue();
    if (!value.isInteger() || value <= number::Number(0) || value > number::Number(UINT64_MAX)) {
        throw RuleConfigurationError(notPositive);
    }
    return value.toULong();
}

bool isMediaType(std::string_view key, std::string_view essence) {
    return asciiCompareNoCase(trim(key.substr(0, key.find(';'))), essence);
}

NamingConvention namingConventionFromString(std::string_view name) {
    static constexpr std::pair<std::string_view, NamingConvention> kNames[] = {
        {"camel", NamingConvention::CamelCase},   {"const", NamingConvention::ConstCase},
        {"kebab", NamingConvention::KebabCase},   {"pascal", NamingConvention::PascalCase},
        {"header", NamingConvention::HeaderCase}, {"snake", NamingConvention::SnakeCase},
    };
    for (const auto& [text, convention] : kNames) {
        if (text == name) return convention;
    }
    throw RuleConfigurationError(fmt::format("Unknown naming convention: {}", name));
}

NamingConvention namingConventionOption(const jv::JV& options) {
    if (options.isNull()) throw RuleConfigurationError("Options must not be null");
    if (!options.isString()) throw RuleConfigurationError("Options must be a string");
    return namingConventionFromString(options.stringValue());
}

std::vector<std::string_view> pathTemplateParameters(std::string_view path) {
    std::vector<std::string_view> names;
    for (std::size_t open = path.find('{'); open != std::string_view::npos; open = path.find('{', open + 1)) {
        const std::size_t close = path.find('}', open + 1);
        if (close == std::string_view::npos) break;
        names.push_back(path.substr(open + 1, close - open - 1));
        open = close;
    }
    return names;
}

std::vector<openapi::Parameter*> resolvedParameters(const openapi::NodeList& slots) {
    std::vector<openapi::Parameter*> parameters;
    for (const auto& slot : slots) {
        if (auto* parameter = slot->resolveNodeAs<openapi::Parameter>()) parameters.push_back(parameter);
    }
    return parameters;
}

bool declaresPathParameters(const std::vector<openapi::Parameter*>& parameters,
                            const std::vector<std::string_view>& names) {
    return std::all_of(names.begin(), names.end(), [&](std::string_view name) {
        return std::any_of(parameters.begin(), parameters.end(), [&](const openapi::Parameter* parameter) {
            return parameter->location() == openapi::Parameter::Location::path && parameter->name() == name;
        });
    });
}

void PathTemplates::collect(const openapi::Paths& paths) {
    entries_.clear();
    for (const auto& [path, slot] : paths.items()) {
        if (const auto* item = slot->resolveNodeAs<openapi::PathItem>()) {
            entries_.push_back(Entry{item, path, slot.get()});
        }
    }
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const Entry& a, const Entry& b) { return std::less<>{}(a.item, b.item); });
}

std::span<const PathTemplates::Entry> PathTemplates::of(const openapi::PathItem* item) const {
    const auto byItem = [](const Entry& entry, const openapi::PathItem* wanted) {
        return std::less<>{}(entry.item, wanted);
    };
    const auto first = std::lower_bound(entries_.begin(), entries_.end(), item, byItem);
    auto last = first;
    while (last != entries_.end() && last->item == item) ++last;
    return {first, last};
}

std::string normalizeUrl(std::string_view path) {
    std::string result;
    result.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        const std::size_t close = path[i] == '{' ? path.find('}', i + 1) : std::string_view::npos;
        if (close != std::string_view::npos) {
            result += "{}";
            i = close;
        } else {
            result += path[i];
        }
    }
    return result;
}

std::vector<std::string> pathOrder(const Context& context) {
    const openapi::NodeMap& items = context.model()->paths()->items();
    std::vector<std::string> order;
    order.reserve(items.size());
    // Several rules ask for the order of documents with tens of thousands of paths: hashed, not searched in a tree.
    std::unordered_set<std::string_view> listed;
    listed.reserve(items.size());
    if (const openapi::OpenAPIReadResult* result = context.readResult()) {
        for (std::string_view key : result->propOrder(context.model()->paths())) {
            if (items.contains(key) && listed.insert(key).second) order.emplace_back(key);
        }
    }
    // Usually the source lists every path.
    if (listed.size() == items.size()) return order;
    for (const auto& entry : items) {
        if (!listed.contains(entry.first)) order.push_back(entry.first);
    }
    return order;
}

void setPathOrder(const Context& context, const std::vector<std::string>& order) {
    openapi::OpenAPIReadResult* result = context.readResult();
    if (result == nullptr || result->doc() == nullptr) return;
    const jv::JV* source = result->value(context.model()->paths());
    if (source == nullptr || !source->isObject()) return;
    // Extensions of the paths object follow the paths, in the order they had.
    std::vector<std::string> extensions;
    for (std::string_view key : result->propOrder(context.model()->paths())) {
        if (key.starts_with("x-")) extensions.emplace_back(key);
    }
    // The document owns its values; the read result only hands them out read-only.
    auto& object = const_cast<jv::JV&>(*source);
    result->doc()->clearPropOrder(object);
    for (const std::string& key : order) result->doc()->addProp(object, key);
    for (const std::string& key : extensions) result->doc()->addProp(object, key);
}

}  // namespace zephalon::openapi_lint
