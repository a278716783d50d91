#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

bool isSuccess(std::string_view code) { return code.starts_with('2') || code.starts_with('3') || code == "default"; }

class OperationSuccessResponseHandler : public RuleHandler<OperationSuccessResponse> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Operation* operation) override {
        const openapi::Responses* responses = operation->responses();
        if (responses != nullptr) {
            for (const auto& entry : responses->responses()) {
                if (isSuccess(entry.first)) return;
            }
        }
        if (!rule().isDisabled(operation)) report("Operation must have at least one success response", operation);
    }
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> OperationSuccessResponse::createHandler(Context& context) {
    return makeKindHandler<OperationSuccessResponseHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
