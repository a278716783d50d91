#include "rules.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/visitor.h"
#include "zephalon/openapi_lint/context.h"

namespace zephalon::openapi_lint {

namespace {

// Operations of paths, webhooks and callbacks alike.
class OperationIdDefinedHandler : public openapi::NodeVisitHandler {
  public:
    OperationIdDefinedHandler(const OperationIdDefined& rule, Context& context) : rule_(rule), context_(context) {}

    void handle(const openapi::Operation* operation) override {
        if (!operation->operationId() && !rule_.isDisabled(operation)) {
            context_.addIssue(rule_, "Operation ID is not defined", operation);
        }
    }

  private:
    const OperationIdDefined& rule_;
    Context& context_;
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> OperationIdDefined::createHandler(Context& context) {
    return std::make_unique<OperationIdDefinedHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
