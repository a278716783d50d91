#include <fmt/format.h>

#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

// String values only: numbers and booleans have no naming convention. A const is a single value, not a list of
// names, and is left alone.
class SchemaEnumNamingHandler : public RuleHandler<SchemaEnumNaming> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Schema* schema) override {
        if (schema->isConst()) return;
        for (const auto& value : schema->enumValues()) {
            if (!value->isString()) continue;
            const std::string_view text = value->stringValue();
            if (toConvention(text, rule().convention()) == text || rule().isDisabled(schema)) continue;
            report(fmt::format("Schema enum value '{}' is not in the '{}' convention", text,
                               conventionName(rule().convention())),
                   schema);
        }
    }
};

}  // namespace

void SchemaEnumNaming::setOptions(const jv::JV& options) { convention_ = namingConventionOption(options); }

std::unique_ptr<openapi::NodeVisitHandler> SchemaEnumNaming::createHandler(Context& context) {
    return makeKindHandler<SchemaEnumNamingHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
