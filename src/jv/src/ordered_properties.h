#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "tree_ops.h"
#include "zephalon/jv/jv.h"
#include "zephalon/jv/placed_key_order.h"

namespace zephalon::jv::detail {

// Calls `visit(key, value)` for every property of `object` in the order that `order` gives, without building a view
// of the object. `taken` is scratch space that nested calls share: each call uses a slice past the slices of the
// calls it is nested in and gives it back, so `visit` may write nested objects through the same space.
template <typename Visit>
void visitInOrder(const JV& object, const KeyOrder& order, std::vector<std::uint8_t>& taken, Visit&& visit) {
    const ObjectRep& rep = TreeOps::object(object);
    const std::span<const Entry> entries(rep.entries(), rep.size);
    const bool listed = order.rule == KeyOrder::Rule::Listed && order.listed != nullptr && !order.listed->empty();
    const bool byAddress = order.rule == KeyOrder::Rule::Source && TreeOps::orderedByAddress(object);
    const bool source = order.rule == KeyOrder::Rule::Source && (rep.orderSize != 0 || byAddress);
    // A single member comes first in every order.
    if ((!listed && !source) || entries.size() <= 1) {
        for (const Entry& e : entries) visit(e.key->view(), *e.value);
        return;
    }
    if (byAddress) {
        TreeOps::forEachByAddress(rep, [&](const Entry& e) { visit(e.key->view(), *e.value); });
        return;
    }

    // Which entries have been written: bits of a word for the objects most documents are made of, a slice of
    // `taken` past the slices of the calls this one is nested in for larger ones.
    const bool wide = entries.size() > 64;
    std::uint64_t mask = 0;
    const std::size_t base = taken.size();
    if (wide) taken.resize(base + entries.size(), 0);
    auto isTaken = [&](std::size_t index) { return wide ? taken[base + index] != 0 : ((mask >> index) & 1) != 0; };
    auto markTaken = [&](std::size_t index) {
        if (wide) {
            taken[base + index] = 1;
        } else {
            mask |= std::uint64_t{1} << index;
        }
    };
    // Most objects have a few keys while a listed order may name thirty: a scan that compares lengths first finds
    // a key in a small object with hardly any byte comparisons, where a binary search would compare bytes each step.
    const bool small = entries.size() <= 16;
    auto find = [&](std::string_view key) -> std::size_t {
        if (small) {
            for (std::size_t i = 0; i < entries.size(); ++i) {
                const Text* k = entries[i].key;
                if (k->size == key.size() && k->view() == key) return i;
            }
            return entries.size();
        }
        auto found = std::lower_bound(entries.begin(), entries.end(), key,
                                      [](const Entry& e, std::string_view k) { return e.key->view() < k; });
        if (found == entries.end() || found->key->view() != key) return entries.size();
        return static_cast<std::size_t>(found - entries.begin());
    };
    // A key listed twice (in the source: a repeated key) is written once, at its first place.
    auto visitAt = [&](std::size_t index) {
        if (index == entries.size() || isTaken(index)) return;
        markTaken(index);
        visit(entries[index].key->view(), *entries[index].value);
    };
    if (listed) {
        for (const std::string& key : *order.listed) visitAt(find(key));
    } else {
        // The reader records the very texts that key the entries, so a recorded key is usually found by its address:
        // in a small object by a scan, in a large one by a search among the addresses, which keeps a large object
        // (a document's paths, its schemas) from comparing the bytes of a dozen keys, each elsewhere in memory, for
        // every member it writes.
        std::vector<std::pair<const Text*, std::uint32_t>> byAddress;
        if (!small) {
            byAddress.reserve(entries.size());
            for (std::size_t i = 0; i < entries.size(); ++i) {
                byAddress.emplace_back(entries[i].key, static_cast<std::uint32_t>(i));
            }
            std::sort(byAddress.begin(), byAddress.end(),
                      [](const auto& a, const auto& b) { return std::less<const Text*>()(a.first, b.first); });
        }
        for (const Text* key : std::span<Text* const>(rep.order(), rep.orderSize)) {
            std::size_t index = 0;
            if (small) {
                while (index < entries.size() && entries[index].key != key) ++index;
            } else {
                auto found =
                    std::lower_bound(byAddress.begin(), byAddress.end(), key,
                                     [](const auto& e, const Text* k) { return std::less<const Text*>()(e.first, k); });
                index = found != byAddress.end() && found->first == key ? found->second : entries.size();
            }
            visitAt(index < entries.size() ? index : find(key->view()));
        }
    }
    if (!wide && mask == (entries.size() == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << entries.size()) - 1)) return;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!isTaken(i)) visit(entries[i].key->view(), *entries[i].value);
    }
    if (wide) taken.resize(base);
}

inline bool isContainer(const JV& node) { return node.isObject() || node.isArray(); }

}  // namespace zephalon::jv::detail
