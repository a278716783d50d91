#pragma once

// Key orders chosen by where an object stands in a document. A property factory sees one object at a time, so a
// caller whose order depends on the object's place had to derive that place from the object's pointer text, for
// every object. A placed key order is handed each container's place by the writer instead, which carries places
// down as it descends: a child's place is computed once, from its container's place and its key.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zephalon::jv {

// How the keys of one object are written.
struct KeyOrder {
    enum class Rule : std::uint8_t {
        Source,    // the order the reader recorded, then keys without a recorded place in byte-wise order
        Bytewise,  // byte-wise key order
        Listed,    // the keys of `listed` that the object has, in that order (once each), then the others byte-wise
    };
    Rule rule = Rule::Source;
    const std::vector<std::string>* listed = nullptr;
};

class PlacedKeyOrder {
  public:
    // What the implementation needs to know of a container's place; opaque to the writers.
    using Place = std::uint64_t;

    virtual ~PlacedKeyOrder() = default;

    // The place of the value written at the top.
    virtual Place rootPlace() const = 0;
    // The place of a container held by the object at `parent` under `key`.
    virtual Place memberPlace(Place parent, std::string_view key) const = 0;
    // The place of a container held by the array at `parent` (every element has the same place).
    virtual Place elementPlace(Place parent) const = 0;
    // How the keys of the object at `place` are written.
    virtual KeyOrder keyOrder(Place place) const = 0;
};

}  // namespace zephalon::jv
