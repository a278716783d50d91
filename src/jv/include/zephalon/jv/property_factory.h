#pragma once

#include <functional>

#include "zephalon/jv/jv.h"

namespace zephalon::jv {

// Chooses the order in which the writers emit the properties of one object.
using PropertyFactory = std::function<SortedProperties(const JV& object)>;

// Byte-wise key order, whatever the source said.
PropertyFactory keyOrderPropertyFactory();

// The source key order recorded in `doc` for each object, followed by keys without a recorded place in byte-wise
// order; objects with no recorded order come in byte-wise order. The factory refers to `doc`, which must outlive it.
PropertyFactory documentPropertyFactory(const JVDoc& doc);

}  // namespace zephalon::jv
