#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

class UnusedRequestBodyHandler : public RuleHandler<UnusedRequestBody> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::PathItem* item) override {
        for (const auto& [method, operation] : item->operations()) {
            const bool bodyless = method == openapi::HttpMethod::get || method == openapi::HttpMethod::head ||
                                  method == openapi::HttpMethod::trace;
            if (bodyless && operation->requestBodyNode() != nullptr && !rule().isDisabled(operation.get())) {
                report("Unused request body", operation.get());
            }
        }
    }
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> UnusedRequestBody::createHandler(Context& context) {
    return makeKindHandler<UnusedRequestBodyHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
