#include <set>
#include <string>

#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

// Reports every operation whose id an earlier one already took, so the first keeps it and the others stand out.
class OperationIdUniqueHandler : public RuleHandler<OperationIdUnique> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Operation* operation) override {
        const auto& id = operation->operationId();
        if (!id || seen_.insert(*id).second || rule().isDisabled(operation)) return;
        report("Operation ID is not unique " + *id, operation);
    }

  private:
    std::set<std::string, std::less<>> seen_;
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> OperationIdUnique::createHandler(Context& context) {
    return std::make_unique<OperationIdUniqueHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
