#include <map>
#include <set>
#include <string_view>
#include <vector>

#include "rules.h"
#include "zephalon/jv_schema/schema.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader_result.h"

namespace zephalon::openapi_lint {

namespace {

// The values of the document by source position, outer values first, so that a finding at a position can be traced
// back to its value (a YAML scalar has no position of its own and is found as the value around it).
std::map<std::pair<std::int32_t, std::int32_t>, const jv::JV*> valuesByPosition(const jv::JV& root) {
    std::map<std::pair<std::int32_t, std::int32_t>, const jv::JV*> index;
    std::vector<const jv::JV*> stack{&root};
    while (!stack.empty()) {
        const jv::JV* value = stack.back();
        stack.pop_back();
        if (value->pos.known()) index.emplace(std::pair(value->pos.line, value->pos.column), value);
        if (value->isArray()) {
            for (const jv::JV* item : value->items()) stack.push_back(item);
        } else if (value->isObject()) {
            for (const auto [key, child] : value->properties()) stack.push_back(child);
        }
    }
    return index;
}

// The name of the member that a summary finding ("property NAME is invalid", which every object around a failing member
// gets) is about; empty for other findings.
std::string_view summarisedMember(std::string_view message) {
    constexpr std::string_view prefix = "property ";
    constexpr std::string_view suffix = " is invalid";
    if (!message.starts_with(prefix) || !message.ends_with(suffix) || message.size() <= prefix.size() + suffix.size())
        return {};
    return message.substr(prefix.size(), message.size() - prefix.size() - suffix.size());
}

// Marks the value and every value around it.
void markWithAncestors(std::set<const jv::JV*>& marked, const jv::JV* value) {
    for (; value != nullptr && marked.insert(value).second; value = value->parent()) {
    }
}

}  // namespace

void JSONSchemaValidation::run(Context& context) {
    const openapi::OpenAPI* model = context.model();
    const jv::JVDoc* doc = context.readResult()->doc();
    if (doc == nullptr || doc->root() == nullptr) return;
    const jv::schema::JVSchema* schema =
        model->is30() ? jv::schema::openapi30MetaSchema() : jv::schema::openapi31MetaSchema();
    jv::schema::JVValidationResult result;
    if (schema->validate(*doc, result)) return;
    if (result.issues.empty()) {
        if (!isDisabled(model)) addIssue(context, "JSON schema validation failed", model);
        return;
    }
    // The validator adds a member's findings before the summaries of the objects around it. A summary whose member
    // holds only switched-off findings is switched off with them: otherwise a document could silence a finding only
    // by switching the rule off at the root.
    const auto index = valuesByPosition(*doc->root());
    std::set<const jv::JV*> reported;
    std::set<const jv::JV*> silenced;
    for (jv::schema::Issue& issue : result.issues) {
        const auto it = index.find(std::pair(issue.pos.line, issue.pos.column));
        const jv::JV* value = it == index.end() ? doc->root() : it->second;
        bool disabled = isDisabled(context.nearestNode(value));
        if (!disabled && value->isObject()) {
            const std::string_view name = summarisedMember(issue.message);
            const jv::JV* member = name.empty() ? nullptr : value->property(name);
            disabled = member != nullptr && silenced.contains(member) && !reported.contains(member);
        }
        markWithAncestors(disabled ? silenced : reported, value);
        if (!disabled) context.addIssue(*this, issue.message, value);
    }
}

}  // namespace zephalon::openapi_lint
