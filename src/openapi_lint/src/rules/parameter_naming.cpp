#include <fmt/format.h>

#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

class ParameterNamingHandler : public RuleHandler<ParameterNaming> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Parameter* parameter) override {
        const std::string expected = toConvention(parameter->name(), rule().convention(parameter->location()));
        if (expected != parameter->name() && !rule().isDisabled(parameter)) {
            report("Parameter should be named " + expected, parameter);
        }
    }
};

NamingConvention conventionMember(const jv::JV& options, std::string_view key, std::string_view what) {
    const jv::JV* value = options.property(key);
    if (!value->isString()) throw RuleConfigurationError(fmt::format("Invalid {} convention", what));
    return namingConventionFromString(value->stringValue());
}

}  // namespace

void ParameterNaming::setOptions(const jv::JV& options) {
    if (options.isString()) {
        default_ = namingConventionFromString(options.stringValue());
        byLocation_.fill(std::nullopt);
        return;
    }
    if (!options.isObject()) throw RuleConfigurationError("Invalid default convention");
    // Checked as a whole before anything changes, so a refused object leaves the rule as it was.
    NamingConvention fallback = default_;
    auto byLocation = byLocation_;
    if (options.hasProperty("default")) fallback = conventionMember(options, "default", "default");
    for (auto location : {openapi::Parameter::Location::path, openapi::Parameter::Location::query,
                          openapi::Parameter::Location::header, openapi::Parameter::Location::cookie}) {
        const std::string_view name = openapi::parameterLocationToString(location);
        if (options.hasProperty(name)) {
            byLocation[static_cast<std::size_t>(location)] = conventionMember(options, name, name);
        }
    }
    default_ = fallback;
    byLocation_ = byLocation;
}

NamingConvention ParameterNaming::convention(openapi::Parameter::Location location) const {
    return byLocation_[static_cast<std::size_t>(location)].value_or(default_);
}

std::unique_ptr<openapi::NodeVisitHandler> ParameterNaming::createHandler(Context& context) {
    return makeKindHandler<ParameterNamingHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
