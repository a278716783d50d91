#include <fmt/format.h>

#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

class SchemaDatetimeSuffixHandler : public RuleHandler<SchemaDatetimeSuffix> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Schema* schema) override {
        for (const auto& [name, slot] : schema->properties()) {
            const auto* property = slot->resolveNodeAs<openapi::Schema>();
            if (property == nullptr || property->format() == nullptr ||
                property->format()->name() != openapi::SchemaFormat::DateTime.name() ||
                name.ends_with(rule().suffix()) || rule().isDisabled(slot.get(), property)) {
                continue;
            }
            report(fmt::format("Property name {} should end with {}", name, rule().suffix()), slot.get());
        }
    }
};

}  // namespace

void SchemaDatetimeSuffix::setOptions(const jv::JV& options) {
    if (options.isNull()) throw RuleConfigurationError("Options must not be null");
    if (!options.isString()) throw RuleConfigurationError("Options must be a string");
    if (options.stringValue().empty()) throw RuleConfigurationError("Options must not be empty");
    suffix_ = options.stringValue();
}

std::unique_ptr<openapi::NodeVisitHandler> SchemaDatetimeSuffix::createHandler(Context& context) {
    return makeKindHandler<SchemaDatetimeSuffixHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
