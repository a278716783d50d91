#include "rulesets.h"

#include <array>
#include <optional>
#include <set>
#include <string>

#include "standard.h"
#include "zephalon/jv/file_io.h"

namespace zephalon::openapi_lint {

namespace {

constexpr std::optional<Severity> E = Severity::Error;
constexpr std::optional<Severity> W = Severity::Warning;
constexpr std::optional<Severity> Off = std::nullopt;

// One row per rule: its severity in "all", "recommended" and "strict" (none where the set leaves it out), and the
// options "recommended" gives it (JSON; empty for the rule's defaults).
struct Row {
    std::string_view id;
    std::optional<Severity> all;
    std::optional<Severity> recommended;
    std::optional<Severity> strict;
    std::string_view recommendedOptions = {};
};

constexpr std::array kCatalogue{
    // Document and info.
    Row{"audience-defined", E, Off, E},
    Row{"contact-defined", E, Off, E},
    Row{"id-defined", E, Off, E},
    Row{"info-defined", E, E, E},
    Row{"license-defined", E, Off, E},
    Row{"json-schema-validation", E, Off, E},
    Row{"openapi-json-schema-validation", E, E, E},
    Row{"servers-defined", E, W, E},
    Row{"server-urls", E, W, E},
    Row{"safe-markdown", E, W, E},
    Row{"spell-check", W, W, W},
    Row{"tag-description-defined", W, W, W},
    Row{"tags-sorted", E, Off, E},
    Row{"tags-unique", E, W, E},
    Row{"unused-shared-component", E, W, E},
    // Operations.
    Row{"no-content-response-defined", E, E, E},
    Row{"operation-description-defined", E, E, E},
    Row{"operation-document-not-primitive", W, Off, W},
    Row{"operation-id-defined", E, E, E},
    Row{"operation-id-unique", E, E, E},
    Row{"operation-rate-limiting-defined", W, W, W},
    Row{"operation-security-defined", E, W, W},
    Row{"operation-success-response", E, E, E},
    Row{"operation-tags-defined", E, W, W},
    Row{"standard-media-types", E, W, E},
    Row{"standard-response-codes", E, E, E},
    Row{"standard-response-errors", W, Off, W},
    Row{"unambiguous-response-codes", E, E, E},
    Row{"unused-request-body", E, W, E},
    // Parameters and paths.
    Row{"parameter-description-defined", E, W, W},
    Row{"parameter-naming", E, W, W},
    Row{"parameters-unique", E, E, E},
    Row{"path-parameters-defined", E, E, E},
    Row{"path-parameters-on-items", E, W, W},
    Row{"paths-max-count", E, W, W},
    Row{"paths-max-depth", E, W, W},
    Row{"paths-sorted", E, Off, E},
    Row{"paths-unique", E, Off, E},
    Row{"paths-well-formed", E, W, E},
    // Schemas.
    Row{"schema-constraints", W, W, W,
        R"({"integer": false, "number": true, "string": true, "array": false, "object": false})"},
    Row{"schema-datetime-suffix", E, W, E},
    Row{"schema-discriminator-defined", E, W, E},
    Row{"schema-enum-naming", E, Off, E},
    Row{"schema-enum-no-duplicates", E, E, E},
    Row{"schema-enum-types", E, E, E},
    Row{"schema-example-defined", E, W, E},
    Row{"schema-format-defined", E, E, E},
    Row{"schema-format-type-mismatch", E, E, E},
    Row{"schema-no-additional-properties", E, E, E},
    Row{"schema-property-naming", E, Off, E},
};

constexpr std::array kJsonApi{
    std::string_view("json-api/content-type"),
    std::string_view("json-api/schema-validation"),
    std::string_view("json-api/resource-type-unique"),
};

// The catalogue names every rule the program defines; a build holds the rules that have been written so far, and a
// rule set offers only those, so that loading it never fails over a rule that does not exist.
bool available(std::string_view ruleId) {
    static const std::set<std::string, std::less<>> ids = [] {
        std::set<std::string, std::less<>> result;
        for (const auto& entry : standardRules()) result.emplace(entry.first);
        return result;
    }();
    return ids.contains(ruleId);
}

template <auto Row::*Column>
void fill(Ruleset& ruleset) {
    for (const Row& row : kCatalogue) {
        const std::optional<Severity>& severity = row.*Column;
        if (!severity || !available(row.id)) continue;
        if (Column == &Row::recommended && !row.recommendedOptions.empty()) {
            auto options = jv::readString(row.recommendedOptions, FileFormat::JSON);
            ruleset.addRule(row.id, *severity, options->root()->clone());
        } else {
            ruleset.addRule(row.id, *severity);
        }
    }
}

}  // namespace

AllRuleset::AllRuleset() : Ruleset(Id) { fill<&Row::all>(*this); }

RecommendedRuleset::RecommendedRuleset() : Ruleset(Id) { fill<&Row::recommended>(*this); }

StrictRuleset::StrictRuleset() : Ruleset(Id) { fill<&Row::strict>(*this); }

JsonApiRuleset::JsonApiRuleset() : Ruleset(Id) {
    for (std::string_view id : kJsonApi) {
        if (available(id)) addRule(id, Severity::Error);
    }
}

}  // namespace zephalon::openapi_lint
