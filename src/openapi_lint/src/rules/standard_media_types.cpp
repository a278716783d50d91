#include "rules.h"
#include "zephalon/foundation/validators.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

class StandardMediaTypesHandler : public RuleHandler<StandardMediaTypes> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Parameter* parameter) override { check(parameter->schemaOrContent()); }
    void handle(const openapi::Header* header) override { check(header->schemaOrContent()); }
    void handle(const openapi::RequestBody* body) override { check(body->content()); }
    void handle(const openapi::Response* response) override { check(response->content()); }

  private:
    void check(const openapi::SchemaOrMediaType& value) {
        if (const openapi::MediaType* mediaType = value.mediaType()) check(value.mediaTypeKey(), mediaType);
    }
    void check(const openapi::OwnedMap<openapi::MediaType>& content) {
        for (const auto& [key, mediaType] : content) check(key, mediaType.get());
    }
    void check(const std::string& key, const openapi::MediaType* mediaType) {
        if (!isValidMediaType(key) && !rule().isDisabled(mediaType)) {
            report("Non-standard media type is used (" + key + ")", mediaType);
        }
    }
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> StandardMediaTypes::createHandler(Context& context) {
    return makeKindHandler<StandardMediaTypesHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
