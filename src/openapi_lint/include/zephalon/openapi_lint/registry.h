#pragma once

// The process-wide registries of formatters, rule sets and rules, by id. The standard entries are registered the
// first time any registry is used; callers may register more.

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zephalon/openapi_lint/formatter.h"
#include "zephalon/openapi_lint/issue.h"
#include "zephalon/openapi_lint/rule.h"

namespace zephalon::openapi_lint {

using FormatterFactory = std::function<std::unique_ptr<Formatter>(std::ostream& out)>;
using RulesetFactory = std::function<std::unique_ptr<Ruleset>()>;
using RuleFactory = std::function<std::unique_ptr<Rule>(Severity severity)>;

// Registering an id again replaces its factory.
void registerFormatter(std::string_view id, FormatterFactory factory);
void registerRuleset(std::string_view id, RulesetFactory factory);
void registerRule(std::string_view id, RuleFactory factory);

// A rule class with a static `Id` and a constructor taking the severity.
template <class R>
void registerRule() {
    registerRule(R::Id, [](Severity severity) { return std::make_unique<R>(severity); });
}

// The registered ids in byte-wise order.
std::vector<std::string> registeredFormatterIds();
std::vector<std::string> registeredRulesetIds();
std::vector<std::string> registeredRuleIds();

// New instances; an unknown id throws std::runtime_error "Formatter not found: <id>", "Ruleset not found: <id>" or
// "Rule not found: <id>".
std::unique_ptr<Formatter> createFormatter(std::string_view id, std::ostream& out);
std::unique_ptr<Ruleset> createRuleset(std::string_view id);
std::unique_ptr<Rule> createRule(std::string_view id, Severity severity);

}  // namespace zephalon::openapi_lint
