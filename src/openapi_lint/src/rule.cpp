#include "zephalon/openapi_lint/rule.h"

#include "zephalon/openapi_lint/context.h"

namespace zephalon::openapi_lint {

void Rule::setOptions(const jv::JV&) {}

bool Rule::autoFix(Context&) { return false; }

void Rule::addIssue(Context& context, std::string message, const openapi::Node* node) const {
    context.addIssue(*this, std::move(message), node);
}

void Ruleset::addRule(std::string_view ruleId, Severity severity) { addRule(ruleId, severity, nullptr); }

void Ruleset::addRule(std::string_view ruleId, Severity severity, std::unique_ptr<jv::JV> options) {
    rules_.push_back(Entry{std::string(ruleId), severity, std::move(options)});
}

}  // namespace zephalon::openapi_lint
