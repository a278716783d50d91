#include <algorithm>
#include <cstddef>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

// The operation that took each id first, in one array with linear probing: a large document has thousands of
// operations, and a map of nodes would allocate one for each and scatter them over memory. The ids are the model's,
// which outlive the walk.
class FirstDeclarations {
  public:
    // The operation that took `id` first: `operation` itself when no other did.
    const openapi::Operation* claim(std::string_view id, const openapi::Operation* operation) {
        if ((size_ + 1) * 2 > slots_.size()) grow();
        const std::size_t hash = std::hash<std::string_view>{}(id);
        for (std::size_t i = hash & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1)) {
            Slot& slot = slots_[i];
            if (slot.operation == nullptr) {
                slot = Slot{hash, id, operation};
                ++size_;
                return operation;
            }
            if (slot.hash == hash && slot.id == id) return slot.operation;
        }
    }

  private:
    struct Slot {
        std::size_t hash = 0;
        std::string_view id;
        const openapi::Operation* operation = nullptr;
    };

    void grow() {
        std::vector<Slot> old = std::exchange(slots_, std::vector<Slot>(std::max<std::size_t>(64, slots_.size() * 2)));
        for (const Slot& slot : old) {
            if (slot.operation == nullptr) continue;
            std::size_t i = slot.hash & (slots_.size() - 1);
            while (slots_[i].operation != nullptr) i = (i + 1) & (slots_.size() - 1);
            slots_[i] = slot;
        }
    }

    std::vector<Slot> slots_;
    std::size_t size_ = 0;
};

// Reports every operation whose id an earlier one already took, so the first keeps it and the others stand out.
// Operations are told apart by where the document declares them: a path item under components that is used from
// several places can be read into more than one node, and is still one operation with one id.
class OperationIdUniqueHandler : public RuleHandler<OperationIdUnique> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Operation* operation) override {
        const auto& id = operation->operationId();
        if (!id) return;
        const openapi::Operation* first = firstDeclarations_.claim(*id, operation);
        if (first == operation) return;
        if (context().nodeToJsonPointer(first) == context().nodeToJsonPointer(operation)) return;
        if (!rule().isDisabled(operation)) report("Operation ID is not unique " + *id, operation);
    }

  private:
    FirstDeclarations firstDeclarations_;
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> OperationIdUnique::createHandler(Context& context) {
    return makeKindHandler<OperationIdUniqueHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
