#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

// Media type parameters (JSON:API's "ext" and "profile") are allowed.
class JSONAPIContentTypeHandler : public RuleHandler<JSONAPIContentType> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::RequestBody* body) override {
        check(body->content(), "Request body media type is not application/vnd.api+json");
    }
    void handle(const openapi::Response* response) override {
        check(response->content(), "Response media type is not application/vnd.api+json");
    }

  private:
    void check(const openapi::OwnedMap<openapi::MediaType>& content, const char* message) const {
        for (const auto& [key, mediaType] : content) {
            if (!isMediaType(key, kJsonApiMediaType) && !rule().isDisabled(mediaType.get())) {
                report(message, mediaType.get());
            }
        }
    }
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> JSONAPIContentType::createHandler(Context& context) {
    return makeKindHandler<JSONAPIContentTypeHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
