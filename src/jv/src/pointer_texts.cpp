#include "zephalon/jv/pointer_texts.h"

#include "tree_ops.h"

namespace zephalon::jv {

std::string PointerTexts::of(const JV& value) {
    const JV* container = value.parent();
    if (container == nullptr) return {};
    std::string text = containerText(*container);
    detail::TreeOps::appendToken(text, value);
    return text;
}

const std::string& PointerTexts::containerText(const JV& container) {
    for (const Kept& kept : kept_) {
        if (kept.container == &container) return kept.text;
    }
    // Computed before a slot is taken: the container's own container may be kept in the slot that would be reused.
    std::string text = of(container);
    Kept& slot = kept_[next_];
    next_ = (next_ + 1) % kept_.size();
    slot.container = &container;
    slot.text = std::move(text);
    return slot.text;
}

void PointerTexts::clear() {
    for (Kept& kept : kept_) kept = Kept{};
    next_ = 0;
}

}  // namespace zephalon::jv
