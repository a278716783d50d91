#include "zephalon/openapi/model.h"
#include "zephalon/openapi/visitor.h"
#include "zephalon/openapi_lint/context.h"
#include "rules.h"

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

void OperationIdDefined::run(Context& context) {
    OperationIdDefinedHandler handler(*this, context);
    openapi::visitNodes(context.model(), handler);
}

}  // namespace zephalon::openapi_lint
