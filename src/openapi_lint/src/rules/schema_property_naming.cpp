#include <fmt/format.h>

#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

class SchemaPropertyNamingHandler : public RuleHandler<SchemaPropertyNaming> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Schema* schema) override {
        for (const auto& [name, slot] : schema->properties()) {
            if (toConvention(name, rule().convention()) == name || rule().isDisabled(slot.get())) continue;
            report(fmt::format("Schema property '{}' is not in the '{}' convention", name,
                               conventionName(rule().convention())),
                   slot.get());
        }
    }
};

}  // namespace

void SchemaPropertyNaming::setOptions(const jv::JV& options) { convention_ = namingConventionOption(options); }

std::unique_ptr<openapi::NodeVisitHandler> SchemaPropertyNaming::createHandler(Context& context) {
    return makeKindHandler<SchemaPropertyNamingHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
