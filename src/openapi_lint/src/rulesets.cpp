#include "rulesets.h"

#include <array>
#include <optional>

#include "rules/rules.h"

namespace zephalon::openapi_lint {

namespace {

constexpr std::optional<Severity> E = Severity::Error;
constexpr std::optional<Severity> W = Severity::Warning;
constexpr std::optional<Severity> Off = std::nullopt;

// One row per rule: its severity in "all", "recommended" and "strict" (none where the set leaves it out).
struct Row {
    std::string_view id;
    std::optional<Severity> all;
    std::optional<Severity> recommended;
    std::optional<Severity> strict;
};

constexpr std::array kCatalogue{
    Row{OperationIdDefined::Id, E, E, E},
    Row{PathsMaxCount::Id, E, W, W},
    Row{TagsSorted::Id, E, Off, E},
};

template <auto Row::*Column>
void fill(Ruleset& ruleset) {
    for (const Row& row : kCatalogue) {
        if (const std::optional<Severity>& severity = row.*Column) ruleset.addRule(row.id, *severity);
    }
}

}  // namespace

AllRuleset::AllRuleset() : Ruleset(Id) { fill<&Row::all>(*this); }

RecommendedRuleset::RecommendedRuleset() : Ruleset(Id) { fill<&Row::recommended>(*this); }

StrictRuleset::StrictRuleset() : Ruleset(Id) { fill<&Row::strict>(*this); }

JsonApiRuleset::JsonApiRuleset() : Ruleset(Id) {}

}  // namespace zephalon::openapi_lint
