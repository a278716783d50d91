#include <string_view>
#include <unordered_set>
#include <vector>

#include "rules.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/visitor.h"

namespace zephalon::openapi_lint {

// Enums of names can be long, so strings are matched through a hash set; the other values, few as a rule, are
// compared with every earlier one.
std::vector<std::size_t> duplicateEnumValues(const openapi::Schema& schema) {
    std::vector<std::size_t> duplicates;
    std::unordered_set<std::string_view> strings;
    std::vector<const jv::JV*> others;
    const auto& values = schema.enumValues();
    for (std::size_t i = 0; i < values.size(); ++i) {
        const jv::JV& value = *values[i];
        if (value.isString()) {
            if (!strings.insert(value.stringValue()).second) duplicates.push_back(i);
            continue;
        }
        bool seen = false;
        for (const jv::JV* other : others) {
            if (other->equal(value)) {
                seen = true;
                break;
            }
        }
        if (seen) {
            duplicates.push_back(i);
        } else {
            others.push_back(&value);
        }
    }
    return duplicates;
}

namespace {

class SchemaEnumNoDuplicatesHandler : public RuleHandler<SchemaEnumNoDuplicates> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Schema* schema) override {
        const std::size_t count = duplicateEnumValues(*schema).size();
        if (count == 0 || rule().isDisabled(schema)) return;
        for (std::size_t i = 0; i < count; ++i) report("Duplicate enum value", schema);
    }
};

class SchemaCollector : public openapi::NodeVisitHandler {
  public:
    std::vector<const openapi::Schema*> schemas;
    void handle(const openapi::Schema* schema) override { schemas.push_back(schema); }
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> SchemaEnumNoDuplicates::createHandler(Context& context) {
    return makeKindHandler<SchemaEnumNoDuplicatesHandler>(*this, context);
}

bool SchemaEnumNoDuplicates::autoFix(Context& context) {
    SchemaCollector collector;
    openapi::visitNodes(context.model(), collector);
    bool changed = false;
    for (const openapi::Schema* found : collector.schemas) {
        const std::vector<std::size_t> duplicates = duplicateEnumValues(*found);
        if (duplicates.empty() || isDisabled(found)) continue;
        // The walk hands out read-only nodes of the model this fix may change.
        auto* schema = const_cast<openapi::Schema*>(found);
        for (auto it = duplicates.rbegin(); it != duplicates.rend(); ++it) schema->removeEnum(*it);
        changed = true;
    }
    return changed;
}

}  // namespace zephalon::openapi_lint
