#include "zephalon/openapi_lint/registry.h"

#include <fmt/format.h>

#include <map>
#include <stdexcept>

#include "standard.h"

namespace zephalon::openapi_lint {

namespace {

template <class Factory>
using Table = std::map<std::string, Factory, std::less<>>;

struct Registries {
    Table<FormatterFactory> formatters;
    Table<RulesetFactory> rulesets;
    Table<RuleFactory> rules;
};

// Filled on first use rather than by registrars in every source file: a static library drops object files that
// nothing references, and their registrars with them.
Registries& registries() {
    static Registries* instance = [] {
        static Registries tables;
        for (auto& [id, factory] : standardFormatters()) tables.formatters.emplace(id, std::move(factory));
        for (auto& [id, factory] : standardRulesets()) tables.rulesets.emplace(id, std::move(factory));
        for (auto& [id, factory] : standardRules()) tables.rules.emplace(id, std::move(factory));
        return &tables;
    }();
    return *instance;
}

template <class Factory>
std::vector<std::string> idsOf(const Table<Factory>& table) {
    std::vector<std::string> ids;
    ids.reserve(table.size());
    for (const auto& entry : table) ids.push_back(entry.first);
    return ids;
}

template <class Factory>
const Factory& lookup(const Table<Factory>& table, std::string_view id, std::string_view what) {
    auto it = table.find(id);
    if (it == table.end()) throw std::runtime_error(fmt::format("{} not found: {}", what, id));
    return it->second;
}

}  // namespace

void registerFormatter(std::string_view id, FormatterFactory factory) {
    registries().formatters.insert_or_assign(std::string(id), std::move(factory));
}

void registerRuleset(std::string_view id, RulesetFactory factory) {
    registries().rulesets.insert_or_assign(std::string(id), std::move(factory));
}

void registerRule(std::string_view id, RuleFactory factory) {
    registries().rules.insert_or_assign(std::string(id), std::move(factory));
}

std::vector<std::string> registeredFormatterIds() { return idsOf(registries().formatters); }
std::vector<std::string> registeredRulesetIds() { return idsOf(registries().rulesets); }
std::vector<std::string> registeredRuleIds() { return idsOf(registries().rules); }

std::unique_ptr<Formatter> createFormatter(std::string_view id, std::ostream& out) {
    return lookup(registries().formatters, id, "Formatter")(out);
}

std::unique_ptr<Ruleset> createRuleset(std::string_view id) { return lookup(registries().rulesets, id, "Ruleset")(); }

std::unique_ptr<Rule> createRule(std::string_view id, Severity severity) {
    return lookup(registries().rules, id, "Rule")(severity);
}

}  // namespace zephalon::openapi_lint
