#pragma once

// How the comparisons walk maps and lists. Every entry is compared in a scope of its own, on the owners of the
// container with the entry's key or index: first the entries only the destination has, then those only the source
// has, then those both have. The scope of an entry that exists on one side only holds that side's owner alone, so
// the change stands in the document that has the entry (a removed parameter is looked up in the source operation,
// where its index is valid).

#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <span>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "../context.h"
#include "zephalon/jv/jv.h"
#include "zephalon/openapi/node.h"

namespace zephalon::openapi_diff {

inline constexpr std::size_t kNoPartner = std::numeric_limits<std::size_t>::max();

// The node an entry of a container stands for: a Reference's target, or the owned entry itself.
template <class T>
const T* entryNode(const std::unique_ptr<openapi::Node>& slot) {
    return slot != nullptr ? slot->resolveNodeAs<T>() : nullptr;
}
template <class T, class U>
const T* entryNode(const std::unique_ptr<U>& slot) {
    return slot.get();
}

// The entries of a list slot by slot, resolved; an entry whose reference dangles is null.
template <class T, class List>
std::vector<const T*> resolvedList(const List* list) {
    std::vector<const T*> out;
    if (list == nullptr) return out;
    out.reserve(list->size());
    for (const auto& slot : *list) out.push_back(entryNode<T>(slot));
    return out;
}

// Maps whose entries are nodes. `paired` decides whether two entries under the same key are the same thing (a
// component parameter whose location changed is another parameter); `compare` runs on (source entry, destination
// entry), either null.
template <class T, class Map, class Paired, class Compare>
void compareMap(Context& context, ConfigKey key, const openapi::Node* sourceOwner, const Map* source,
                const openapi::Node* destOwner, const Map* dest, Paired paired, Compare compare) {
    auto partner = [&](const Map* other, std::string_view name) -> const T* {
        if (other == nullptr) return nullptr;
        auto it = other->find(name);
        return it != other->end() ? entryNode<T>(it->second) : nullptr;
    };
    if (dest != nullptr) {
        for (const auto& [name, slot] : *dest) {
            const T* entry = entryNode<T>(slot);
            const T* before = partner(source, name);
            if (entry == nullptr || (before != nullptr && paired(*before, *entry))) continue;
            auto scope = context.enterScope(nullptr, destOwner, key, name);
            compare(nullptr, entry);
        }
    }
    if (source == nullptr) return;
    for (const auto& [name, slot] : *source) {
        const T* entry = entryNode<T>(slot);
        const T* after = partner(dest, name);
        if (entry == nullptr || (after != nullptr && paired(*entry, *after))) continue;
        auto scope = context.enterScope(sourceOwner, nullptr, key, name);
        compare(entry, nullptr);
    }
    if (dest == nullptr) return;
    for (const auto& [name, slot] : *source) {
        const T* entry = entryNode<T>(slot);
        const T* after = partner(dest, name);
        if (entry == nullptr || after == nullptr || !paired(*entry, *after)) continue;
        auto scope = context.enterScope(sourceOwner, destOwner, key, name);
        compare(entry, after);
    }
}

template <class T, class Map, class Compare>
void compareMap(Context& context, ConfigKey key, const openapi::Node* sourceOwner, const Map* source,
                const openapi::Node* destOwner, const Map* dest, Compare compare) {
    compareMap<T>(
        context, key, sourceOwner, source, destOwner, dest, [](const T&, const T&) { return true; }, compare);
}

// Maps whose entries are plain values (link parameters, discriminator mappings, scopes): each entry is one
// property change under the container's rule. `value` turns an entry into what Context::maybeEmitProperty* takes.
template <class Map, class Value>
void compareValueMap(Context& context, ConfigKey key, const openapi::Node* sourceOwner, const Map* source,
                     const openapi::Node* destOwner, const Map* dest, Value value) {
    if (dest != nullptr) {
        for (const auto& [name, entry] : *dest) {
            if (source != nullptr && source->find(name) != source->end()) continue;
            auto scope = context.enterScope(nullptr, destOwner, key, name);
            context.maybeEmitPropertyAdd(key, destOwner, value(entry));
        }
    }
    if (source == nullptr) return;
    for (const auto& [name, entry] : *source) {
        if (dest != nullptr && dest->find(name) != dest->end()) continue;
        auto scope = context.enterScope(sourceOwner, nullptr, key, name);
        context.maybeEmitPropertyRemove(key, sourceOwner, value(entry));
    }
    if (dest == nullptr) return;
    for (const auto& [name, entry] : *source) {
        auto after = dest->find(name);
        if (after == dest->end()) continue;
        auto scope = context.enterScope(sourceOwner, destOwner, key, name);
        context.maybeEmitPropertyModify(key, destOwner, value(entry), value(after->second));
    }
}

// Lists: `sourcePartner(i)` is the index in the source of the destination's element i (kNoPartner when none),
// `hasDestPartner(j)` whether the source's element j has one; `compare` runs on (source index, destination index),
// either kNoPartner.
template <class SourcePartner, class HasDestPartner, class Compare>
void compareList(Context& context, ConfigKey key, const openapi::Node* sourceOwner, std::size_t sourceCount,
                 const openapi::Node* destOwner, std::size_t destCount, SourcePartner sourcePartner,
                 HasDestPartner hasDestPartner, Compare compare) {
    for (std::size_t i = 0; i < destCount; ++i) {
        if (sourcePartner(i) != kNoPartner) continue;
        auto scope = context.enterScope(nullptr, destOwner, key, std::uint64_t{i});
        compare(kNoPartner, i);
    }
    for (std::size_t j = 0; j < sourceCount; ++j) {
        if (hasDestPartner(j)) continue;
        auto scope = context.enterScope(sourceOwner, nullptr, key, std::uint64_t{j});
        compare(j, kNoPartner);
    }
    for (std::size_t i = 0; i < destCount; ++i) {
        std::size_t partner = sourcePartner(i);
        if (partner == kNoPartner) continue;
        auto scope = context.enterScope(sourceOwner, destOwner, key, std::uint64_t{i});
        compare(partner, i);
    }
}

// Lists of nodes paired by position (allOf members, prefix items).
template <class T, class Compare>
void compareByPosition(Context& context, ConfigKey key, const openapi::Node* sourceOwner,
                       const std::vector<const T*>& source, const openapi::Node* destOwner,
                       const std::vector<const T*>& dest, Compare compare) {
    compareList(
        context, key, sourceOwner, source.size(), destOwner, dest.size(),
        [&](std::size_t i) { return i < source.size() ? i : kNoPartner; },
        [&](std::size_t j) { return j < dest.size(); },
        [&](std::size_t j, std::size_t i) {
            compare(j != kNoPartner ? source[j] : nullptr, i != kNoPartner ? dest[i] : nullptr);
        });
}

// Two lists paired by a key (a name, a URL) without comparing every element with every other: the k-th element of a
// key in the destination pairs with the k-th element of that key in the source, so that a list that repeats a key
// still pairs each element with its counterpart, and a document compared with itself shows no change. `keyOf` is
// asked only about elements that are not null; a null element has no partner.
template <class Key>
class KeyPairing {
  public:
    template <class SourceList, class DestList, class KeyOf>
    KeyPairing(const SourceList& source, const DestList& dest, KeyOf keyOf)
        : sourceOf_(dest.size(), kNoPartner), hasDestPartner_(source.size(), false) {
        // Per key: the source's elements in order, and how many of them the destination has taken.
        std::map<Key, std::pair<std::vector<std::size_t>, std::size_t>> byKey;
        for (std::size_t j = 0; j < source.size(); ++j) {
            if (source[j] != nullptr) byKey[keyOf(source[j])].first.push_back(j);
        }
        for (std::size_t i = 0; i < dest.size(); ++i) {
            if (dest[i] == nullptr) continue;
            auto found = byKey.find(keyOf(dest[i]));
            if (found == byKey.end()) continue;
            auto& [indices, taken] = found->second;
            if (taken == indices.size()) continue;
            sourceOf_[i] = indices[taken++];
            hasDestPartner_[sourceOf_[i]] = true;
        }
    }
    // The index in the source of the destination's element i, kNoPartner when it has none.
    std::size_t sourceOf(std::size_t i) const { return sourceOf_[i]; }
    bool hasDestPartner(std::size_t j) const { return hasDestPartner_[j]; }

  private:
    std::vector<std::size_t> sourceOf_;
    std::vector<bool> hasDestPartner_;
};

// The same for free-form values, which are equal by structure.
class ValueIndex {
  public:
    explicit ValueIndex(std::span<const jv::JV* const> values);
    bool contains(const jv::JV& value) const;

  private:
    std::unordered_multimap<std::size_t, const jv::JV*> byHash_;
};

// Lists of plain values paired by equality: a value only the destination has is added, one only the source has is
// removed, each reported under the container's rule in a scope with its index. `value` turns an element into what
// Context::maybeEmitProperty* takes; `inSource` / `inDest` say whether an element has an equal one on the other side.
template <class List, class InSource, class InDest, class Value>
void compareValueList(Context& context, ConfigKey key, const openapi::Node* sourceOwner, const List& source,
                      const openapi::Node* destOwner, const List& dest, InSource inSource, InDest inDest, Value value) {
    for (std::size_t i = 0; i < dest.size(); ++i) {
        if (inSource(dest[i])) continue;
        auto scope = context.enterScope(nullptr, destOwner, key, std::uint64_t{i});
        context.maybeEmitPropertyAdd(key, destOwner, value(dest[i]));
    }
    for (std::size_t j = 0; j < source.size(); ++j) {
        if (inDest(source[j])) continue;
        auto scope = context.enterScope(sourceOwner, nullptr, key, std::uint64_t{j});
        context.maybeEmitPropertyRemove(key, sourceOwner, value(source[j]));
    }
}

}  // namespace zephalon::openapi_diff
