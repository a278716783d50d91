#include <set>
#include <string>

#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

// The top level of a JSON:API document holds data or errors (never both), or at least meta. The schema's properties
// are those it declares and those of its allOf members, references followed.
class JSONAPISchemaValidationHandler : public RuleHandler<JSONAPISchemaValidation> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::RequestBody* body) override { check(body->content()); }
    void handle(const openapi::Response* response) override { check(response->content()); }

  private:
    void check(const openapi::OwnedMap<openapi::MediaType>& content) const {
        for (const auto& [key, mediaType] : content) {
            const openapi::Schema* schema = mediaType->schema();
            if (!isMediaType(key, kJsonApiMediaType) || schema == nullptr) continue;
            std::set<std::string, std::less<>> names;
            collectProperties(schema, names);
            const bool data = names.contains("data");
            const bool errors = names.contains("errors");
            const char* message = nullptr;
            if (!data && !errors && !names.contains("meta")) {
                message = "JSON:API document must define data, errors or meta";
            } else if (data && errors) {
                message = "JSON:API document must not define both data and errors";
            }
            if (message != nullptr && !rule().isDisabled(mediaType.get())) report(message, mediaType.get());
        }
    }
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> JSONAPISchemaValidation::createHandler(Context& context) {
    return makeKindHandler<JSONAPISchemaValidationHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
