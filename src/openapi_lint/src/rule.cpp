#include "zephalon/openapi_lint/rule.h"

#include <string_view>

#include "zephalon/openapi/node.h"
#include "zephalon/openapi/visitor.h"
#include "zephalon/openapi_lint/context.h"

namespace zephalon::openapi_lint {

void Rule::setOptions(const jv::JV&) {}

bool Rule::autoFix(Context&) { return false; }

std::unique_ptr<openapi::NodeVisitHandler> Rule::createHandler(Context&) { return nullptr; }

void Rule::run(Context& context) {
    if (auto handler = createHandler(context)) openapi::visitNodes(context.model(), *handler);
}

bool Rule::isDisabled(const openapi::Node* node) const {
    static constexpr std::string_view kSwitches[] = {"x-zephalon-lint-disable", "x-lint-disable"};
    // Asked for nearly every finding and node, of the node and all its ancestors, most of which carry no extension.
    for (; node != nullptr; node = node->parent()) {
        if (node->extensions().empty()) continue;
        for (std::string_view key : kSwitches) {
            const jv::JV* list = node->extension(key);
            if (list != nullptr && isDisabled(*list, *id_)) return true;
        }
    }
    return false;
}

bool Rule::isDisabled(const openapi::Node* first, const openapi::Node* second) const {
    return isDisabled(first) || isDisabled(second);
}

bool Rule::isDisabled(const openapi::Node* first, const openapi::Node* second, const openapi::Node* third) const {
    return isDisabled(first) || isDisabled(second) || isDisabled(third);
}

bool Rule::isDisabled(const jv::JV& list, std::string_view id) {
    if (!list.isArray()) return false;
    for (const jv::JV* item : list.items()) {
        if (item->isString() && item->stringValue() == id) return true;
    }
    return false;
}

void Rule::addIssue(Context& context, std::string_view message, const openapi::Node* node) const {
    context.addIssue(*this, message, node);
}

void Rule::addIssue(Context& context, std::string_view message, const jv::JV* value) const {
    context.addIssue(*this, message, value);
}

void Ruleset::addRule(std::string_view ruleId, Severity severity) { addRule(ruleId, severity, nullptr); }

void Ruleset::addRule(std::string_view ruleId, Severity severity, std::unique_ptr<jv::JV> options) {
    rules_.push_back(Entry{std::string(ruleId), severity, std::move(options)});
}

}  // namespace zephalon::openapi_lint
