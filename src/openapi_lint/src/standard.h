#pragma once

// The formatters, rule sets and rules that ship with the program, as the registries load them on first use.

#include <string_view>
#include <utility>
#include <vector>

#include "zephalon/openapi_lint/registry.h"

namespace zephalon::openapi_lint {

template <class Factory>
using StandardEntries = std::vector<std::pair<std::string_view, Factory>>;

StandardEntries<FormatterFactory> standardFormatters();
StandardEntries<RulesetFactory> standardRulesets();
StandardEntries<RuleFactory> standardRules();

}  // namespace zephalon::openapi_lint
