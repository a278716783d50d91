#pragma once

// A hash map keyed by non-null pointers, for the large one-way associations of a document (model node -> source
// value and back). Open addressing with linear probing in one array: a large document maps hundreds of thousands of
// nodes, and a node-based map spends most of its time allocating. Entries are never removed one by one.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace zephalon {

template <class Key, class Value>
class PointerMap {
  public:
    // The value stored for `key`; null when there is none.
    Value* find(const Key* key) { return const_cast<Value*>(std::as_const(*this).find(key)); }
    const Value* find(const Key* key) const {
        if (size_ == 0) return nullptr;
        for (std::size_t i = slotOf(key);; i = (i + 1) & (slots_.size() - 1)) {
            if (slots_[i].key == key) return &slots_[i].value;
            if (slots_[i].key == nullptr) return nullptr;
        }
    }

    // Keeps an existing entry; true when the key was new. `key` must not be null.
    bool insert(const Key* key, Value value) {
        if ((size_ + 1) * 2 > slots_.size()) grow();
        for (std::size_t i = slotOf(key);; i = (i + 1) & (slots_.size() - 1)) {
            if (slots_[i].key == key) return false;
            if (slots_[i].key == nullptr) {
                slots_[i] = Slot{key, std::move(value)};
                ++size_;
                return true;
            }
        }
    }

    // Room for `count` entries without growing.
    void reserve(std::size_t count) {
        std::size_t capacity = slots_.empty() ? 64 : slots_.size();
        while (count * 2 > capacity) capacity *= 2;
        if (capacity != slots_.size()) rehash(capacity);
    }

    void clear() {
        slots_.clear();
        size_ = 0;
        shift_ = 64;
    }

    std::size_t size() const { return size_; }

    // Calls f(key, value) for every entry, in no particular order.
    template <class F>
    void forEach(F&& f) const {
        for (const Slot& slot : slots_) {
            if (slot.key != nullptr) f(slot.key, slot.value);
        }
    }

  private:
    struct Slot {
        const Key* key = nullptr;
        Value value{};
    };

    // Fibonacci hashing: the high bits of the product spread addresses that differ only in their low bits.
    std::size_t slotOf(const Key* key) const {
        return static_cast<std::size_t>((reinterpret_cast<std::uintptr_t>(key) * 0x9E3779B97F4A7C15ull) >> shift_);
    }

    void grow() { rehash(slots_.empty() ? 64 : slots_.size() * 2); }

    // Moves the entries into a table of `capacity` slots (a power of two).
    void rehash(std::size_t capacity) {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(capacity, Slot{});
        shift_ = 64 - static_cast<unsigned>(std::countr_zero(capacity));
        size_ = 0;
        for (Slot& slot : old) {
            if (slot.key != nullptr) insert(slot.key, std::move(slot.value));
        }
    }

    std::vector<Slot> slots_;
    std::size_t size_ = 0;
    unsigned shift_ = 64;
};

}  // namespace zephalon
