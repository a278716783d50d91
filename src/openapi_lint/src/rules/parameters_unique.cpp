#include <fmt/format.h>

#include <set>
#include <string>
#include <utility>

#include "rules.h"
#include "zephalon/foundation/strings.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

// Reports every parameter of a list whose name and location an earlier one of the same list already took. Header
// names are case-insensitive in HTTP, so "X-Trace" and "x-trace" are one header.
class ParametersUniqueHandler : public RuleHandler<ParametersUnique> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::PathItem* item) override { check(item->parameters()); }
    void handle(const openapi::Operation* operation) override { check(operation->parameters()); }

  private:
    void check(const openapi::NodeList& parameters) const {
        std::set<std::pair<openapi::Parameter::Location, std::string>> seen;
        for (const auto& slot : parameters) {
            const auto* parameter = slot->resolveNodeAs<openapi::Parameter>();
            if (parameter == nullptr) continue;
            const auto location = parameter->location();
            std::string key =
                location == openapi::Parameter::Location::header ? asciiToLower(parameter->name()) : parameter->name();
            if (seen.emplace(location, std::move(key)).second || rule().isDisabled(slot.get(), parameter)) continue;
            report(fmt::format("Duplicate parameter name '{}' in location '{}'", parameter->name(),
                               openapi::parameterLocationToString(location)),
                   slot.get());
        }
    }
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> ParametersUnique::createHandler(Context& context) {
    return makeKindHandler<ParametersUniqueHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
