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

// The essence of a media type key, without parameters ("application/problem+json; charset=utf-8").
bool isProblemJson(std::string_view key) {
    return asciiCompareNoCase(trim(key.substr(0, key.find(';'))), kProblemJson);
}

// The properties a schema declares itself or through allOf, where a problem schema usually extends a shared one.
void collectProperties(const openapi::Schema* schema, std::set<std::string, std::less<>>& names,
                       std::set<const openapi::Schema*>& seen) {
    if (schema == nullptr || !seen.insert(schema).second) return;
    for (const auto& entry : schema->properties()) names.insert(entry.first);
    for (std::size_t i = 0; i < schema->allOf().size(); ++i) collectProperties(schema->allOf(i), names, seen);
}

bool isProblemSchema(const openapi::Schema* schema) {
    std::set<std::string, std::less<>> names;
    std::set<const openapi::Schema*> seen;
    collectProperties(schema, names, seen);
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
                if (isProblemJson(key)) problem = mediaType.get();
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
    return std::make_unique<StandardResponseErrorsHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
