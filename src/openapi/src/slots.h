#pragma once

// Shared mechanics of the model's keyed and indexed children, so every node class handles slots the same way.
//
// Removal always detaches a child from its container before destroying it: a dying subtree raises events and
// unlinks references, and none of that may observe a container in the middle of an update.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "zephalon/openapi/node.h"

namespace zephalon::openapi::detail {

// Creates a T under `key` unless the key is taken. Returns the stored entry when it is a Result (so an existing entry
// wins), null when the key holds something else, such as a reference.
template <class T, class Result = T, class Map, class... Args>
Result* addEntry(Map& map, std::string_view key, Node* parent, Args&&... args) {
    if (auto it = map.find(key); it != map.end()) {
        return nodeCast<Result>(it->second.get());
    }
    auto node = std::make_unique<T>(parent, std::forward<Args>(args)...);
    T* raw = node.get();
    map.emplace(std::string(key), std::move(node));
    return raw;
}

// Stores a new Reference to `target` under `key`; null and no change when the key is taken.
inline Reference* addEntryRef(NodeMap& map, std::string_view key, Node* parent, Node* target) {
    if (map.find(key) != map.end()) {
        return nullptr;
    }
    auto ref = std::make_unique<Reference>(parent, target);
    Reference* raw = ref.get();
    map.emplace(std::string(key), std::move(ref));
    return raw;
}

template <class Map>
Node* entryNode(const Map& map, std::string_view key) {
    auto it = map.find(key);
    return it == map.end() ? nullptr : it->second.get();
}

// The entry under `key`, resolved and cast; null when absent, dangling or of another class.
template <class T, class Map>
T* resolvedEntry(const Map& map, std::string_view key) {
    Node* node = entryNode(map, key);
    return node == nullptr ? nullptr : nodeCast<T>(node->resolveNode());
}

template <class Map, class Key>
void removeEntry(Map& map, const Key& key) {
    if (auto it = map.find(key); it != map.end()) {
        auto doomed = map.extract(it);
    }
}

template <class Container>
void clearAll(Container& container) {
    Container doomed;
    doomed.swap(container);
}

// Lists.
template <class T, class List, class... Args>
T* appendItem(List& list, Node* parent, Args&&... args) {
    auto node = std::make_unique<T>(parent, std::forward<Args>(args)...);
    T* raw = node.get();
    list.push_back(std::move(node));
    return raw;
}

inline Reference* appendRef(NodeList& list, Node* parent, Node* target) {
    auto ref = std::make_unique<Reference>(parent, target);
    Reference* raw = ref.get();
    list.push_back(std::move(ref));
    return raw;
}

template <class List>
auto* itemAt(const List& list, std::size_t index) {
    return index < list.size() ? list[index].get() : nullptr;
}

template <class T>
T* resolvedItem(const NodeList& list, std::size_t index) {
    Node* node = itemAt(list, index);
    return node == nullptr ? nullptr : nodeCast<T>(node->resolveNode());
}

template <class List>
void removeItemAt(List& list, std::size_t index) {
    if (index >= list.size()) {
        return;
    }
    auto doomed = std::move(list[index]);
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
}

// Single slots: replacing a slot destroys the previous content only after the new one is in place.
template <class T, class... Args>
T* setSlot(std::unique_ptr<Node>& slot, Node* parent, Args&&... args) {
    auto node = std::make_unique<T>(parent, std::forward<Args>(args)...);
    T* raw = node.get();
    std::unique_ptr<Node> doomed = std::exchange(slot, std::move(node));
    return raw;
}

inline Reference* setSlotRef(std::unique_ptr<Node>& slot, Node* parent, Node* target) {
    return setSlot<Reference>(slot, parent, target);
}

template <class T>
T* resolvedSlot(const std::unique_ptr<Node>& slot) {
    return slot == nullptr ? nullptr : nodeCast<T>(slot->resolveNode());
}

template <class T>
void resetOwned(std::unique_ptr<T>& owned) {
    std::unique_ptr<T> doomed = std::move(owned);
}

}  // namespace zephalon::openapi::detail
