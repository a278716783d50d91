#include "node_diff_config.h"

#include <array>

#include "zephalon/foundation/assertions.h"

namespace zephalon::openapi_diff {
namespace {

constexpr std::uint64_t kSlotMask = 0b111;
constexpr std::array<std::string_view, 5> kOptionNames{"none", "non_functional", "non_breaking", "breaking", "nested"};

unsigned shift(NodeDiffConfig::Slot slot) { return static_cast<unsigned>(slot); }

}  // namespace

Option NodeDiffConfig::get(Slot slot) const { return static_cast<Option>((bits_ >> shift(slot)) & kSlotMask); }

void NodeDiffConfig::set(Slot slot, Option option) {
    bits_ = (bits_ & ~(kSlotMask << shift(slot))) | (static_cast<std::uint64_t>(option) << shift(slot));
}

void NodeDiffConfig::setForAdded(Option option) {
    set(Slot::added, option);
    set(Slot::addedWhenTrue, option);
    set(Slot::addedWhenFalse, option);
}

void NodeDiffConfig::setForRemoved(Option option) {
    set(Slot::removed, option);
    set(Slot::removedWhenTrue, option);
    set(Slot::removedWhenFalse, option);
}

void NodeDiffConfig::setForModified(Option option) {
    set(Slot::modified, option);
    set(Slot::modifiedWhenTrue, option);
    set(Slot::modifiedWhenFalse, option);
}

void NodeDiffConfig::setConditional(Slot plain, Slot whenTrue, Slot whenFalse, bool condition, Option then,
                                    Option otherwise) {
    set(plain, otherwise);
    set(whenTrue, condition ? then : otherwise);
    set(whenFalse, condition ? otherwise : then);
}

void NodeDiffConfig::setForAdded(bool condition, Option then, Option otherwise) {
    setConditional(Slot::added, Slot::addedWhenTrue, Slot::addedWhenFalse, condition, then, otherwise);
}

void NodeDiffConfig::setForRemoved(bool condition, Option then, Option otherwise) {
    setConditional(Slot::removed, Slot::removedWhenTrue, Slot::removedWhenFalse, condition, then, otherwise);
}

void NodeDiffConfig::setForModified(bool condition, Option then, Option otherwise) {
    setConditional(Slot::modified, Slot::modifiedWhenTrue, Slot::modifiedWhenFalse, condition, then, otherwise);
}

Option NodeDiffConfig::forType(ChangeType type, std::optional<bool> newValue) const {
    auto pick = [&](Slot plain, Slot whenTrue, Slot whenFalse) {
        return get(!newValue ? plain : *newValue ? whenTrue : whenFalse);
    };
    switch (type) {
        case ChangeType::propertyAdded:
            return pick(Slot::added, Slot::addedWhenTrue, Slot::addedWhenFalse);
        case ChangeType::propertyRemoved:
            return pick(Slot::removed, Slot::removedWhenTrue, Slot::removedWhenFalse);
        case ChangeType::propertyModified:
            return pick(Slot::modified, Slot::modifiedWhenTrue, Slot::modifiedWhenFalse);
        case ChangeType::keyAdded:
        case ChangeType::elementAdded:
            return get(Slot::itemAdded);
        case ChangeType::keyRemoved:
        case ChangeType::elementRemoved:
            return get(Slot::itemRemoved);
        case ChangeType::keyModified:
        case ChangeType::elementModified:
            return get(Slot::itemModified);
        case ChangeType::extensionAdded:
            return get(Slot::added);
        case ChangeType::extensionRemoved:
            return get(Slot::removed);
        case ChangeType::extensionModified:
            return get(Slot::modified);
        default:
            ZEPHALON_UNREACHABLE("Unsupported change type for a rule");
    }
}

bool NodeDiffConfig::isConditional(ChangeType type) const {
    switch (type) {
        case ChangeType::propertyAdded:
            return get(Slot::addedWhenTrue) != get(Slot::addedWhenFalse);
        case ChangeType::propertyRemoved:
            return get(Slot::removedWhenTrue) != get(Slot::removedWhenFalse);
        case ChangeType::propertyModified:
            return get(Slot::modifiedWhenTrue) != get(Slot::modifiedWhenFalse);
        default:
            return false;
    }
}

ChangeSeverity nodeDiffConfigOptionToSeverity(Option option) {
    if (option == Option::nested) ZEPHALON_UNREACHABLE("A nested option has no severity");
    if (static_cast<std::uint8_t>(option) > 3) ZEPHALON_UNREACHABLE("Unsupported option");
    return static_cast<ChangeSeverity>(option);
}

std::optional<Option> optionFromString(std::string_view text) {
    for (std::size_t i = 0; i < kOptionNames.size(); ++i) {
        if (kOptionNames[i] == text) return static_cast<Option>(i);
    }
    return std::nullopt;
}

}  // namespace zephalon::openapi_diff
