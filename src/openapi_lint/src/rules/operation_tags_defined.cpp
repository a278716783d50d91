#include "rules.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader_result.h"

namespace zephalon::openapi_lint {

namespace {

class OperationTagsDefinedHandler : public RuleHandler<OperationTagsDefined> {
  public:
    using RuleHandler::RuleHandler;

    // The model links only tags that the root declares, so the source tells whether the operation names any.
    void handle(const openapi::Operation* operation) override {
        if (!operation->tags().empty()) return;
        const auto tags = context().readResult()->sourceLocation(operation, "tags");
        if (tags && tags->value->isArray() && tags->value->size() > 0) return;
        if (!rule().isDisabled(operation)) report("Operation has no tags defined", operation);
    }
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> OperationTagsDefined::createHandler(Context& context) {
    return makeKindHandler<OperationTagsDefinedHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
