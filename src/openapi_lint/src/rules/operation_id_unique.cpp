#include <string>
#include <string_view>
#include <unordered_map>

#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

// Reports every operation whose id an earlier one already took, so the first keeps it and the others stand out.
// Operations are told apart by where the document declares them: a path item under components that is used from
// several places can be read into more than one node, and is still one operation with one id.
class OperationIdUniqueHandler : public RuleHandler<OperationIdUnique> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Operation* operation) override {
        const auto& id = operation->operationId();
        if (!id) return;
        const auto [first, isNew] = firstDeclaration_.try_emplace(*id, operation);
        if (isNew) return;
        if (context().nodeToJsonPointer(first->second) == context().nodeToJsonPointer(operation)) return;
        if (!rule().isDisabled(operation)) report("Operation ID is not unique " + *id, operation);
    }

  private:
    // Keyed by the ids the model holds, which outlive the walk.
    std::unordered_map<std::string_view, const openapi::Operation*> firstDeclaration_;
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> OperationIdUnique::createHandler(Context& context) {
    return std::make_unique<OperationIdUniqueHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
