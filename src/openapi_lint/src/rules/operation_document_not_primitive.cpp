#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

// A schema that says nothing about its type may still describe an object, so only a declared type is judged.
bool isPrimitive(const openapi::Schema& schema) {
    if (schema.typeCount() == 0) return false;
    return !schema.hasType(openapi::SchemaType::object) && !schema.hasType(openapi::SchemaType::array);
}

class OperationDocumentNotPrimitiveHandler : public RuleHandler<OperationDocumentNotPrimitive> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Operation* operation) override {
        if (const openapi::RequestBody* body = operation->requestBody()) check(body->content());
        if (const openapi::Responses* responses = operation->responses()) {
            for (const auto& [code, slot] : responses->responses()) {
                if (const auto* response = slot->resolveNodeAs<openapi::Response>()) check(response->content());
            }
        }
    }

  private:
    void check(const openapi::OwnedMap<openapi::MediaType>& content) {
        for (const auto& [name, mediaType] : content) {
            const openapi::Schema* schema = mediaType->schema();
            if (schema != nullptr && isPrimitive(*schema) && !rule().isDisabled(mediaType.get(), schema)) {
                report("Operation request or response body is not an object or array", mediaType.get());
            }
        }
    }
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> OperationDocumentNotPrimitive::createHandler(Context& context) {
    return makeKindHandler<OperationDocumentNotPrimitiveHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
