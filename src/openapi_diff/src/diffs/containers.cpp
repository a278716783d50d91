#include "containers.h"

namespace zephalon::openapi_diff {

ValueIndex::ValueIndex(std::span<const jv::JV* const> values) {
    byHash_.reserve(values.size());
    for (const jv::JV* value : values) byHash_.emplace(value->hash(), value);
}

bool ValueIndex::contains(const jv::JV& value) const {
    auto [begin, end] = byHash_.equal_range(value.hash());
    for (auto it = begin; it != end; ++it) {
        if (it->second->equal(value)) return true;
    }
    return false;
}

}  // namespace zephalon::openapi_diff
