#include <fmt/format.h>

#include <array>
#include <set>
#include <string>

#include "rules.h"
#include "zephalon/foundation/strings.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

constexpr std::string_view kProblemJson = "application/problem+json";
constexpr std::array<std::string_view, 5> kProblemMembers{"type", "title", "status", "detail", "instance"};

bool isError(std::string_view code) { return code.starts_with('4') || code.starts_with('5'); }

bool isProblemSchema(const openapi::Schema* schema) {
    std::set<std::string, std::less<>> names;
    collectProperties(schema, names);
    return std::all_of(kProblemMembers.begin(), kProblemMembers.end(),
                       [&](std::string_view member) { return names.contains(member); });
}

class StandardResponseErrorsHandler : public RuleHandler<StandardResponseErrors> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Responses* responses) override {
        for (const auto& [code, slot] : responses->responses()) {
            const auto* response = slot->resolveNodeAs<openapi::Response>();
            if (!isError(code) || response == nullptr || rule().isDisabled(slot.get(), response)) continue;
            const openapi::MediaType* problem = nullptr;
            for (const auto& [key, mediaType] : response->content()) {
                if (isMediaType(key, kProblemJson)) problem = mediaType.get();
            }
            if (problem == nullptr) {
                report("Response must use Problem JSON format", slot.get());
            } else if (!isProblemSchema(problem->schema()) && !rule().isDisabled(problem)) {
                report("Response must use correct Problem JSON schema", problem);
            }
        }
    }
};

}  // namespace

void StandardResponseErrors::setOptions(const jv::JV& options) {
    if (options.isNull()) throw RuleConfigurationError("Options cannot be null");
    if (!options.isString()) throw RuleConfigurationError("Options must be a string");
    if (options.stringValue() != "problem-json") {
        throw RuleConfigurationError(fmt::format("Unknown convention: {}", options.stringValue()));
    }
}

std::unique_ptr<openapi::NodeVisitHandler> StandardResponseErrors::createHandler(Context& context) {
    return makeKindHandler<StandardResponseErrorsHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
