#pragma once

// The "$ref" values a reader noted as it built a tree are exactly those a walk of a copy of the tree finds.

#include <algorithm>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "zephalon/jv/jv.h"

namespace zephalon::fuzz {

inline std::vector<std::string> referencePointers(const jv::JVDoc& doc) {
    std::vector<std::string> pointers;
    for (const jv::JV* value : doc.references()) {
        require(value->isString() && value->parent() != nullptr && value->parent()->property("$ref") == value);
        pointers.push_back(value->pointer());
    }
    std::sort(pointers.begin(), pointers.end());
    return pointers;
}

inline void requireReferencesAsFound(const jv::JVDoc& read) {
    const jv::JVDoc walked(read.root()->clone());
    const std::vector<std::string> noted = referencePointers(read);
    require(std::adjacent_find(noted.begin(), noted.end()) == noted.end());
    require(noted == referencePointers(walked));
}

}  // namespace zephalon::fuzz
