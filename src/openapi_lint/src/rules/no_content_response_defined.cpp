#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

class NoContentResponseDefinedHandler : public RuleHandler<NoContentResponseDefined> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Responses* responses) override {
        const auto it = responses->responses().find("204");
        if (it == responses->responses().end()) return;
        const openapi::Node* slot = it->second.get();
        const auto* response = slot->resolveNodeAs<openapi::Response>();
        if (response != nullptr && !response->content().empty() && !rule().isDisabled(slot, response)) {
            report("204 response may not have a body defined", slot);
        }
    }
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> NoContentResponseDefined::createHandler(Context& context) {
    return makeKindHandler<NoContentResponseDefinedHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
