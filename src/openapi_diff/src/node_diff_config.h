#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "zephalon/openapi_diff/change.h"

namespace zephalon::openapi_diff {

// The classification rule of one configurable property: twelve 3-bit options packed into one word. All zero means
// "none" everywhere.
class NodeDiffConfig {
  public:
    enum class Option : std::uint8_t { none = 0, nonFunctional = 1, nonBreaking = 2, breaking = 3, nested = 4 };

    // Bit positions, three bits each.
    enum class Slot : std::uint8_t {
        added = 0,
        removed = 3,
        modified = 6,
        itemAdded = 9,
        itemRemoved = 12,
        itemModified = 15,
        addedWhenTrue = 18,
        addedWhenFalse = 21,
        removedWhenTrue = 24,
        removedWhenFalse = 27,
        modifiedWhenTrue = 30,
        modifiedWhenFalse = 33,
    };

    constexpr NodeDiffConfig() = default;
    constexpr explicit NodeDiffConfig(std::uint64_t bits) : bits_(bits) {}

    std::uint64_t bits() const { return bits_; }
    Option get(Slot slot) const;
    void set(Slot slot, Option option);

    // The plain slot and both conditional slots.
    void setForAdded(Option option);
    void setForRemoved(Option option);
    void setForModified(Option option);
    // The plain slot takes `otherwise`; the conditional slot matching `condition` takes `then`, the other one
    // `otherwise`.
    void setForAdded(bool condition, Option then, Option otherwise);
    void setForRemoved(bool condition, Option then, Option otherwise);
    void setForModified(bool condition, Option then, Option otherwise);
    void setForItemAdded(Option option) { set(Slot::itemAdded, option); }
    void setForItemRemoved(Option option) { set(Slot::itemRemoved, option); }
    void setForItemModified(Option option) { set(Slot::itemModified, option); }

    // The option for a change of that type: the property slots (or their conditional slots when the new value is
    // given) for property types, the item slots for key and element types, the plain slots for extensions.
    Option forType(ChangeType type, std::optional<bool> newValue = std::nullopt) const;
    // Whether the option for a property change of that type depends on the new value.
    bool isConditional(ChangeType type) const;

    friend bool operator==(NodeDiffConfig, NodeDiffConfig) = default;

  private:
    void setConditional(Slot plain, Slot whenTrue, Slot whenFalse, bool condition, Option then, Option otherwise);

    std::uint64_t bits_ = 0;
};

using Option = NodeDiffConfig::Option;

// Options 0 to 3 are severities; "nested" never reaches a change.
ChangeSeverity nodeDiffConfigOptionToSeverity(Option option);
// "none", "non_functional", "non_breaking", "breaking", "nested"; nothing for any other text.
std::optional<Option> optionFromString(std::string_view text);

}  // namespace zephalon::openapi_diff
