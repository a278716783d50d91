#pragma once

// Compares two trees read from one text in two ways: kinds, values, the positions of collections and the source
// order of keys.

#include <string>

#include "zephalon/jv/jv.h"

namespace zephalon::jv::testing {

namespace detail {

inline std::string differenceBelow(const JVDoc& docA, const JV& a, const JVDoc& docB, const JV& b) {
    auto at = [&](std::string_view what) { return "'" + a.pointer() + "': " + std::string(what); };
    if (a.type() != b.type()) return at("kind");
    if (!a.isArray() && !a.isObject()) return a.equal(b) ? "" : at("value");
    if (a.pos.line != b.pos.line || a.pos.column != b.pos.column) {
        return at("position " + std::to_string(a.pos.line) + ":" + std::to_string(a.pos.column) + " against " +
                  std::to_string(b.pos.line) + ":" + std::to_string(b.pos.column));
    }
    if (a.size() != b.size()) return at("size");
    if (a.isArray()) {
        for (std::size_t i = 0; i < a.size(); ++i) {
            std::string difference = differenceBelow(docA, *a.at(i), docB, *b.at(i));
            if (!difference.empty()) return difference;
        }
        return "";
    }
    if (docA.propOrder(a) != docB.propOrder(b)) return at("key order");
    for (auto [key, value] : a.properties()) {
        const JV* other = b.property(key);
        if (other == nullptr) return at("key '" + std::string(key) + "'");
        std::string difference = differenceBelow(docA, *value, docB, *other);
        if (!difference.empty()) return difference;
    }
    return "";
}

}  // namespace detail

// Where the trees first differ, and how; empty when they are the same.
inline std::string treeDifference(const JVDoc& a, const JVDoc& b) {
    return detail::differenceBelow(a, *a.root(), b, *b.root());
}

}  // namespace zephalon::jv::testing
