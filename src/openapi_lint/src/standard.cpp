#include "standard.h"

#include "formatters/formatters.h"

namespace zephalon::openapi_lint {

namespace {

template <class F>
FormatterFactory formatter() {
    return [](std::ostream& out) { return std::make_unique<F>(out); };
}

}  // namespace

StandardEntries<FormatterFactory> standardFormatters() {
    return {
        {"compact", formatter<CompactFormatter>()}, {"github", formatter<GithubFormatter>()},
        {"json", formatter<JSONFormatter>()},       {"sarif", formatter<SarifFormatter>()},
        {"stylish", formatter<StylishFormatter>()}, {"tap", formatter<TAPFormatter>()},
        {"unix", formatter<UnixFormatter>()},       {"visualstudio", formatter<VisualStudioFormatter>()},
    };
}

StandardEntries<RulesetFactory> standardRulesets() { return {}; }

StandardEntries<RuleFactory> standardRules() { return {}; }

}  // namespace zephalon::openapi_lint
