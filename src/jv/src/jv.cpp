#include "zephalon/jv/jv.h"

#include <fmt/format.h>
#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <variant>

#include "arena.h"
#include "tree_ops.h"

namespace zephalon::jv {

// The layout promised in the header: position, kind, slot hint, container link and one word of payload.
static_assert(sizeof(JV) == 32);

namespace detail {

Text* Text::make(std::string_view bytes) {
    void* block = ::operator new(sizeof(Text) + bytes.size());
    Text* text = new (block) Text{1, bytes.size()};
    if (!bytes.empty()) std::memcpy(text->data(), bytes.data(), bytes.size());
    return text;
}

Text* Text::make(Arena& arena, std::string_view bytes) {
    Text* text = new (arena.allocate(sizeof(Text) + bytes.size())) Text{kArenaRefs, bytes.size()};
    if (!bytes.empty()) std::memcpy(text->data(), bytes.data(), bytes.size());
    return text;
}

void Text::unref(Text* text) {
    if (--text->refs == 0) {
        text->~Text();
        ::operator delete(static_cast<void*>(text));
    }
}

namespace {

// The block of every object that has no room for anything. Adding to an object first gives it a block of its own,
// so this one is never written; being constant, it lies in read-only memory, where a stray write would fault instead
// of changing every empty object (of every thread) at once.
constinit const ObjectRep emptyObject{0, 0, 0, 0, 0};

std::size_t objectBytes(std::uint32_t capacity, std::uint32_t orderCapacity) {
    return sizeof(ObjectRep) + std::size_t{capacity} * sizeof(Entry) + std::size_t{orderCapacity} * sizeof(Text*);
}

}  // namespace

ObjectRep* ObjectRep::make(std::uint32_t capacity, std::uint32_t orderCapacity) {
    if (capacity == 0 && orderCapacity == 0) return const_cast<ObjectRep*>(&emptyObject);
    void* block = std::malloc(objectBytes(capacity, orderCapacity));
    if (block == nullptr) throw std::bad_alloc();
    return new (block) ObjectRep{0, capacity, 0, orderCapacity, 0};
}

ObjectRep* ObjectRep::make(Arena& arena, std::uint32_t capacity, std::uint32_t orderCapacity) {
    if (capacity == 0 && orderCapacity == 0) return const_cast<ObjectRep*>(&emptyObject);
    return new (arena.allocate(objectBytes(capacity, orderCapacity))) ObjectRep{0, capacity, 0, orderCapacity, 1};
}

ObjectRep* ObjectRep::resize(ObjectRep* rep, std::uint32_t capacity, std::uint32_t orderCapacity) {
    if (rep == &emptyObject) return make(capacity, orderCapacity);
    if (rep->inArena) {
        // The arena keeps its block; the contents move to one on the heap.
        ObjectRep* moved = make(capacity, orderCapacity);
        if (moved == &emptyObject) return moved;
        std::memcpy(moved->entries(), rep->entries(), rep->size * sizeof(Entry));
        std::memcpy(moved->order(), rep->order(), rep->orderSize * sizeof(Text*));
        moved->size = rep->size;
        moved->orderSize = rep->orderSize;
        return moved;
    }
    if (capacity == 0 && orderCapacity == 0) {
        destroy(rep);
        return const_cast<ObjectRep*>(&emptyObject);
    }
    const std::uint32_t oldCapacity = rep->capacity;
    const std::size_t oldBytes = objectBytes(oldCapacity, rep->orderCapacity);
    if (capacity < oldCapacity) {
        // The source order sits after the entries' room: move it down while the block still holds it.
        std::memmove(rep->entries() + capacity, rep->order(), rep->orderSize * sizeof(Text*));
        rep->capacity = capacity;
    }
    const std::size_t bytes = objectBytes(capacity, orderCapacity);
    auto* moved = static_cast<ObjectRep*>(std::realloc(rep, bytes));
    if (moved == nullptr) {
        // A block that was to shrink is still valid as it is, with room to spare.
        if (bytes <= oldBytes) return rep;
        throw std::bad_alloc();
    }
    if (capacity > oldCapacity) {
        std::memmove(moved->entries() + capacity, moved->entries() + oldCapacity, moved->orderSize * sizeof(Text*));
        moved->capacity = capacity;
    }
    moved->orderCapacity = orderCapacity;
    return moved;
}

void ObjectRep::destroy(ObjectRep* rep) {
    if (rep != &emptyObject && !rep->inArena) std::free(rep);
}

namespace {

// As emptyObject, for arrays.
constinit const ArrayRep emptyArray{0, 0, 0};

}  // namespace

ArrayRep* ArrayRep::make(std::uint32_t capacity) {
    if (capacity == 0) return const_cast<ArrayRep*>(&emptyArray);
    void* block = std::malloc(sizeof(ArrayRep) + std::size_t{capacity} * sizeof(JV*));
    if (block == nullptr) throw std::bad_alloc();
    return new (block) ArrayRep{0, capacity, 0};
}

ArrayRep* ArrayRep::make(Arena& arena, std::uint32_t capacity) {
    if (capacity == 0) return const_cast<ArrayRep*>(&emptyArray);
    return new (arena.allocate(sizeof(ArrayRep) + std::size_t{capacity} * sizeof(JV*))) ArrayRep{0, capacity, 1};
}

ArrayRep* ArrayRep::resize(ArrayRep* rep, std::uint32_t capacity) {
    if (rep == &emptyArray) return make(capacity);
    if (rep->inArena) {
        // As for objects: the contents move to the heap.
        ArrayRep* moved = make(capacity);
        if (moved == &emptyArray) return moved;
        std::memcpy(moved->data(), rep->data(), rep->count * sizeof(JV*));
        moved->count = rep->count;
        return moved;
    }
    if (capacity == 0) {
        destroy(rep);
        return const_cast<ArrayRep*>(&emptyArray);
    }
    const std::size_t bytes = sizeof(ArrayRep) + std::size_t{capacity} * sizeof(JV*);
    auto* moved = static_cast<ArrayRep*>(std::realloc(rep, bytes));
    if (moved == nullptr) {
        if (capacity <= rep->capacity) return rep;
        throw std::bad_alloc();
    }
    moved->capacity = capacity;
    return moved;
}

void ArrayRep::destroy(ArrayRep* rep) {
    if (rep != &emptyArray && !rep->inArena) std::free(rep);
}

namespace {

// The next room for a block that is full: twice as much, at least 4, within `limit`.
std::uint32_t grownCapacity(std::uint32_t capacity, std::uint32_t limit) {
    if (capacity >= limit) throw std::length_error("Too many members in one value");
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(std::max<std::uint64_t>(4, std::uint64_t{capacity} * 2), limit));
}

}  // namespace

void TreeOps::destroyNodes(std::vector<JV*>& pending) {
    while (!pending.empty()) {
        JV* node = pending.back();
        pending.pop_back();
        const std::uint8_t flags = node->flags_;
        // An anchor takes its own subtree down before it lets go of its arena.
        if ((flags & JV::kAnchor) != 0) {
            delete node;
            continue;
        }
        // A subtree wholly in its arena holds nothing to free.
        if ((flags & (JV::kInArena | JV::kForeign)) == JV::kInArena) continue;
        // Children go onto `pending`, so the node's own destructor finds nothing left to recurse into.
        node->dropPayload(pending);
        delete node;
    }
}

void TreeOps::setNumber(JV& node, Arena& arena, const number::Number& value) {
    auto* number = new (arena.allocate(sizeof(number::Number))) number::Number(value);
    if (number->isDynamic()) arena.keep(number);
    node.type_ = JV::Type::Number;
    node.u_.number = number;
    node.flags_ |= JV::kArenaNumber;
}

}  // namespace detail

namespace {

using detail::Entry;
using detail::Text;

constexpr std::size_t kHashSeed = 0x9e3779b9;

void combine(std::size_t& h, std::size_t v) { h ^= v + kHashSeed + (h << 6) + (h >> 2); }

bool entryKeyLess(const Entry& e, std::string_view key) { return e.key->view() < key; }

[[noreturn]] void wrongKind() { throw std::bad_variant_access(); }

}  // namespace

// ---- construction and destruction ----

JV::JV(double value) { initNumber(new number::Number(value)); }

JV::JV(const number::Number& value) { initNumber(new number::Number(value)); }

JV::JV(std::string_view value) : type_(Type::String) { u_.text = Text::make(value); }

JV::JV(ArrayTag) : type_(Type::Array) { u_.array = detail::ArrayRep::make(0); }

JV::JV(ObjectTag) : type_(Type::Object) { u_.object = detail::ObjectRep::make(0, 0); }

JV::JV(Type type) {
    switch (type) {
        case Type::Null:
            break;
        case Type::Boolean:
            type_ = Type::Boolean;
            u_.boolean = false;
            break;
        case Type::Number:
            initSigned(0);
            break;
        case Type::String:
            type_ = Type::String;
            u_.text = Text::make({});
            break;
        case Type::Array:
            type_ = Type::Array;
            u_.array = detail::ArrayRep::make(0);
            break;
        case Type::Object:
            type_ = Type::Object;
            u_.object = detail::ObjectRep::make(0, 0);
            break;
    }
}

JV::~JV() {
    if (type_ == Type::Null || type_ == Type::Boolean) return;
    // A subtree wholly in its arena holds nothing to free.
    if ((flags_ & (kInArena | kForeign)) == kInArena) return;
    std::vector<JV*> pending;
    dropPayload(pending);
    detail::TreeOps::destroyNodes(pending);
}

// Out of line, so that the compiler pairs the class's own allocation and deallocation functions.
void* JV::operator new(std::size_t bytes) { return ::operator new(bytes); }

void JV::operator delete(void* memory) { ::operator delete(memory); }

void JV::operator delete(JV* node, std::destroying_delete_t) {
    const std::uint8_t flags = node->flags_;
    if ((flags & kInArena) == 0) {
        node->~JV();
        ::operator delete(node);
        return;
    }
    detail::Arena* arena = (flags & kArenaRoot) != 0  ? detail::Arena::ofRoot(node)
                           : (flags & kReleased) != 0 ? detail::Arena::dropReleased(node)
                                                      : nullptr;
    node->~JV();
    // The node's memory stays with the arena: the address sanitizer still reports a late use of it.
    ASAN_POISON_MEMORY_REGION(node, sizeof(JV));
    if (arena != nullptr) detail::Arena::unref(arena);
}

void JV::initSigned(std::int64_t value) { initNumber(new number::Number(value)); }

void JV::initUnsigned(std::uint64_t value) { initNumber(new number::Number(value)); }

void JV::initNumber(number::Number* value) {
    type_ = Type::Number;
    u_.number = value;
    noteForeign();
}

void JV::dropPayload(std::vector<JV*>& orphans) {
    switch (type_) {
        case Type::Null:
        case Type::Boolean:
            break;
        case Type::Number:
            // A number in an arena is destroyed with it.
            if ((flags_ & kArenaNumber) == 0) delete u_.number;
            flags_ &= static_cast<std::uint8_t>(~kArenaNumber);
            break;
        case Type::String:
            Text::unref(u_.text);
            break;
        case Type::Array:
            for (JV* child : *u_.array) {
                child->parent_ = nullptr;
                orphans.push_back(child);
            }
            detail::ArrayRep::destroy(u_.array);
            break;
        case Type::Object: {
            detail::ObjectRep* rep = u_.object;
            for (const Entry* e = rep->entries(); e != rep->entriesEnd(); ++e) {
                Text::unref(e->key);
                e->value->parent_ = nullptr;
                orphans.push_back(e->value);
            }
            for (std::uint32_t i = 0; i < rep->orderSize; ++i) Text::unref(rep->order()[i]);
            detail::ObjectRep::destroy(rep);
            flags_ &= static_cast<std::uint8_t>(~kOrderByAddress);
            break;
        }
    }
    type_ = Type::Null;
    u_ = {};
}

void JV::adopt(JV* child, std::uint32_t slot) {
    child->parent_ = this;
    child->slot_ = slot;
}

void JV::noteForeign() {
    // Ancestors of a marked node are marked already.
    for (JV* node = this; node != nullptr && (node->flags_ & (kInArena | kForeign)) == kInArena; node = node->parent_) {
        node->flags_ |= kForeign;
        if ((node->flags_ & kAnchor) != 0) break;
    }
}

void JV::listSourceOrder() {
    detail::ObjectRep* rep = detail::ObjectRep::resize(u_.object, u_.object->capacity, u_.object->size);
    u_.object = rep;
    detail::TreeOps::forEachByAddress(*rep,
                                      [rep](const Entry& e) { rep->order()[rep->orderSize++] = Text::ref(e.key); });
    flags_ &= static_cast<std::uint8_t>(~kOrderByAddress);
    noteForeign();
}

std::unique_ptr<JV> JV::handOut(JV* child) {
    child->parent_ = nullptr;
    if ((child->flags_ & (kInArena | kAnchor)) == kInArena) {
        // The child stays where it is in the arena, and holds the arena from now on: find it through the anchor
        // above.
        const JV* anchor = this;
        while ((anchor->flags_ & kAnchor) == 0) anchor = anchor->parent_;
        detail::Arena* arena =
            (anchor->flags_ & kArenaRoot) != 0 ? detail::Arena::ofRoot(anchor) : detail::Arena::released(anchor);
        detail::Arena::addReleased(child, arena);
        detail::Arena::ref(arena);
        child->flags_ |= kReleased;
    }
    return std::unique_ptr<JV>(child);
}

void JV::clear() {
    if (type_ == Type::Null) return;
    std::vector<JV*> pending;
    dropPayload(pending);
    detail::TreeOps::destroyNodes(pending);
}

// ---- scalars ----

bool JV::isInteger() const { return type_ == Type::Number && u_.number->isInteger(); }

bool JV::booleanValue() const {
    if (type_ != Type::Boolean) wrongKind();
    return u_.boolean;
}

const number::Number& JV::numberValue() const {
    if (type_ != Type::Number) wrongKind();
    return *u_.number;
}

std::string_view JV::stringValue() const {
    if (type_ != Type::String) wrongKind();
    return u_.text->view();
}

void JV::setBoolean(bool value) {
    clear();
    type_ = Type::Boolean;
    u_.boolean = value;
}

void JV::setNumericValue(double value) {
    auto* n = new number::Number(value);
    clear();
    initNumber(n);
}

void JV::setNumericValue(const number::Number& value) {
    // Copy first: `value` may be this node's own number.
    auto* n = new number::Number(value);
    clear();
    initNumber(n);
}

void JV::setString(std::string_view value) {
    // Copy first: `value` may view this node's own text.
    Text* text = Text::make(value);
    clear();
    type_ = Type::String;
    u_.text = text;
    noteForeign();
}

void JV::setArray() {
    if (type_ == Type::Array) return;
    clear();
    u_.array = detail::ArrayRep::make(0);
    type_ = Type::Array;
}

void JV::setObject() {
    if (type_ == Type::Object) return;
    clear();
    u_.object = detail::ObjectRep::make(0, 0);
    type_ = Type::Object;
}

std::size_t JV::size() const {
    switch (type_) {
        case Type::Array:
            return u_.array->size();
        case Type::Object:
            return u_.object->size;
        default:
            return 0;
    }
}

// ---- arrays ----

detail::ArrayRep& JV::arrayRep() const {
    if (type_ != Type::Array) wrongKind();
    return *u_.array;
}

std::span<JV* const> JV::items() {
    auto& rep = arrayRep();
    return {rep.data(), rep.size()};
}

std::span<const JV* const> JV::items() const {
    auto& rep = arrayRep();
    return {static_cast<const JV* const*>(rep.data()), rep.size()};
}

JV* JV::at(std::size_t index) {
    auto& rep = arrayRep();
    return index < rep.size() ? rep[index] : nullptr;
}

const JV* JV::at(std::size_t index) const {
    auto& rep = arrayRep();
    return index < rep.size() ? rep[index] : nullptr;
}

JV* JV::add(std::unique_ptr<JV> child) {
    detail::ArrayRep* rep = &arrayRep();
    if (!child) child = std::make_unique<JV>();
    if (rep->count == rep->capacity) {
        u_.array = rep =
            detail::ArrayRep::resize(rep, detail::grownCapacity(rep->capacity, detail::ArrayRep::kMaxCount));
    }
    JV* added = child.release();
    rep->data()[rep->count] = added;
    adopt(added, rep->count++);
    noteForeign();
    return added;
}

JV* JV::addNull() { return add(std::make_unique<JV>()); }
JV* JV::addBool(bool value) { return add(std::make_unique<JV>(value)); }
JV* JV::addFloat(double value) { return add(std::make_unique<JV>(value)); }
JV* JV::addNumber(const number::Number& value) { return add(std::make_unique<JV>(value)); }
JV* JV::addString(std::string_view value) { return add(std::make_unique<JV>(value)); }
JV* JV::addArray() { return add(std::make_unique<JV>(ArrayTag{})); }
JV* JV::addObject() { return add(std::make_unique<JV>(ObjectTag{})); }

JV* JV::takeAt(std::size_t index) {
    auto& rep = arrayRep();
    if (index >= rep.size()) return nullptr;
    JV* child = rep[index];
    std::memmove(rep.data() + index, rep.data() + index + 1, (rep.size() - index - 1) * sizeof(JV*));
    --rep.count;
    for (std::size_t i = index; i < rep.size(); ++i) rep[i]->slot_ = static_cast<std::uint32_t>(i);
    return child;
}

std::unique_ptr<JV> JV::releaseAt(std::size_t index) {
    JV* child = takeAt(index);
    return child != nullptr ? handOut(child) : nullptr;
}

bool JV::removeAt(std::size_t index) {
    JV* child = takeAt(index);
    delete child;
    return child != nullptr;
}

// ---- objects ----

detail::ObjectRep& JV::objectRep() const {
    if (type_ != Type::Object) wrongKind();
    return *u_.object;
}

PropertyRange<JV*> JV::objectRange() const {
    const auto& rep = objectRep();
    return {rep.entries(), rep.entriesEnd()};
}

PropertyRange<const JV*> JV::properties() const {
    const auto& rep = objectRep();
    return {rep.entries(), rep.entriesEnd()};
}

const Entry* JV::findEntry(std::string_view key) const {
    const auto& rep = objectRep();
    // Most objects are small, and most keys asked of them (a schema is asked for every keyword it might hold) differ
    // from each member's key in length: a scan settles those without comparing bytes, where a binary search compares
    // them at every step.
    constexpr std::uint32_t kScanned = 8;
    if (rep.size <= kScanned) {
        for (const Entry* e = rep.entries(); e != rep.entriesEnd(); ++e) {
            if (e->key->view() == key) return e;
        }
        return nullptr;
    }
    const Entry* it = std::lower_bound(rep.entries(), rep.entriesEnd(), key, entryKeyLess);
    return it != rep.entriesEnd() && it->key->view() == key ? it : nullptr;
}

JV* JV::property(std::string_view key) {
    const Entry* e = findEntry(key);
    return e ? e->value : nullptr;
}

const JV* JV::property(std::string_view key) const {
    const Entry* e = findEntry(key);
    return e ? e->value : nullptr;
}

JV* JV::setProperty(std::string_view key, std::unique_ptr<JV> child) {
    if ((flags_ & kOrderByAddress) != 0) listSourceOrder();
    detail::ObjectRep* rep = &objectRep();
    Entry* it = std::lower_bound(rep->entries(), rep->entriesEnd(), key, entryKeyLess);
    auto index = static_cast<std::uint32_t>(it - rep->entries());
    if (!child) child = std::make_unique<JV>();
    if (it != rep->entriesEnd() && it->key->view() == key) {
        // The container owns what it holds, so the value it replaces is destroyed here.
        std::unique_ptr<JV> previous(it->value);
        previous->parent_ = nullptr;
        JV* added = child.release();
        it->value = added;
        adopt(added, index);
        noteForeign();
        return added;
    }
    // Everything that may throw comes before the new entry takes its place.
    Text* text = Text::make(key);
    if (rep->size == rep->capacity) {
        try {
            rep = detail::ObjectRep::resize(
                rep, detail::grownCapacity(rep->capacity, std::numeric_limits<std::uint32_t>::max()),
                rep->orderCapacity);
        } catch (...) {
            Text::unref(text);
            throw;
        }
        u_.object = rep;
    }
    Entry* at = rep->entries() + index;
    std::memmove(at + 1, at, (rep->size - index) * sizeof(Entry));
    JV* added = child.release();
    *at = Entry{text, added};
    ++rep->size;
    adopt(added, index);
    for (std::uint32_t i = index + 1; i < rep->size; ++i) rep->entries()[i].value->slot_ = i;
    noteForeign();
    return added;
}

JV* JV::setNullProperty(std::string_view key) { return setProperty(key, std::make_unique<JV>()); }
JV* JV::setBoolProperty(std::string_view key, bool value) { return setProperty(key, std::make_unique<JV>(value)); }
JV* JV::setIntProperty(std::string_view key, std::int64_t value) {
    return setProperty(key, std::make_unique<JV>(value));
}
JV* JV::setUIntProperty(std::string_view key, std::uint64_t value) {
    return setProperty(key, std::make_unique<JV>(value));
}
JV* JV::setFloatProperty(std::string_view key, double value) { return setProperty(key, std::make_unique<JV>(value)); }
JV* JV::setNumberProperty(std::string_view key, const number::Number& value) {
    return setProperty(key, std::make_unique<JV>(value));
}
JV* JV::setStringProperty(std::string_view key, std::string_view value) {
    return setProperty(key, std::make_unique<JV>(value));
}
JV* JV::setArrayProperty(std::string_view key) { return setProperty(key, std::make_unique<JV>(ArrayTag{})); }
JV* JV::setObjectProperty(std::string_view key) { return setProperty(key, std::make_unique<JV>(ObjectTag{})); }

JV* JV::takeProperty(std::string_view key) {
    if ((flags_ & kOrderByAddress) != 0) listSourceOrder();
    detail::ObjectRep& rep = objectRep();
    Entry* it = std::lower_bound(rep.entries(), rep.entriesEnd(), key, entryKeyLess);
    if (it == rep.entriesEnd() || it->key->view() != key) return nullptr;
    JV* child = it->value;
    Text::unref(it->key);
    auto index = static_cast<std::uint32_t>(it - rep.entries());
    std::memmove(it, it + 1, (rep.size - index - 1) * sizeof(Entry));
    --rep.size;
    for (std::uint32_t i = index; i < rep.size; ++i) rep.entries()[i].value->slot_ = i;
    return child;
}

std::unique_ptr<JV> JV::releaseProperty(std::string_view key) {
    JV* child = takeProperty(key);
    return child != nullptr ? handOut(child) : nullptr;
}

bool JV::removeProperty(std::string_view key) {
    JV* child = takeProperty(key);
    delete child;
    return child != nullptr;
}

std::string_view JV::keyOf(const JV* child) const {
    const detail::ObjectRep& rep = *u_.object;
    const Entry* entries = rep.entries();
    if (child->slot_ < rep.size && entries[child->slot_].value == child) return entries[child->slot_].key->view();
    for (const Entry* e = entries; e != rep.entriesEnd(); ++e) {
        if (e->value == child) return e->key->view();
    }
    return {};
}

// ---- typed property access ----

namespace {

[[noreturn]] void missing(const JV* object, std::string_view key) {
    throw JVError(fmt::format("Required property '{}' is missing.", key), object);
}

const JV* typed(const JV* object, const JV* child, std::string_view key, JV::Type type, const char* message) {
    if (child != nullptr && child->type() != type) throw JVError(fmt::format(fmt::runtime(message), key), object);
    return child;
}

constexpr const char* kBooleanExpected = "A boolean value is expected for '{}'.";
constexpr const char* kIntegerExpected = "An integer value is expected for '{}'.";
constexpr const char* kNumberExpected = "A numeric value is expected for '{}'.";
constexpr const char* kStringExpected = "A string value is expected for '{}'.";
constexpr const char* kArrayExpected = "An array value is expected for '{}'.";
constexpr const char* kObjectExpected = "An object value is expected for '{}'.";

}  // namespace

JV& JV::requiredProperty(std::string_view key) {
    JV* child = property(key);
    if (child == nullptr) missing(this, key);
    return *child;
}

const JV& JV::requiredProperty(std::string_view key) const {
    const JV* child = property(key);
    if (child == nullptr) missing(this, key);
    return *child;
}

const JV* JV::optionalBooleanProperty(std::string_view key) const {
    return typed(this, property(key), key, Type::Boolean, kBooleanExpected);
}

const JV* JV::optionalIntegerProperty(std::string_view key) const {
    const JV* child = property(key);
    if (child != nullptr && !child->isInteger()) throw JVError(fmt::format(kIntegerExpected, key), this);
    return child;
}

const JV* JV::optionalNumericProperty(std::string_view key) const {
    return typed(this, property(key), key, Type::Number, kNumberExpected);
}

const JV* JV::optionalStringProperty(std::string_view key) const {
    return typed(this, property(key), key, Type::String, kStringExpected);
}

const JV* JV::optionalArrayProperty(std::string_view key) const {
    return typed(this, property(key), key, Type::Array, kArrayExpected);
}

const JV* JV::optionalObjectProperty(std::string_view key) const {
    return typed(this, property(key), key, Type::Object, kObjectExpected);
}

JV* JV::optionalArrayProperty(std::string_view key) {
    return const_cast<JV*>(std::as_const(*this).optionalArrayProperty(key));
}

JV* JV::optionalObjectProperty(std::string_view key) {
    return const_cast<JV*>(std::as_const(*this).optionalObjectProperty(key));
}

const JV& JV::booleanProperty(std::string_view key) const {
    const JV* child = optionalBooleanProperty(key);
    if (child == nullptr) missing(this, key);
    return *child;
}

const JV& JV::numericProperty(std::string_view key) const {
    const JV* child = optionalNumericProperty(key);
    if (child == nullptr) missing(this, key);
    return *child;
}

const JV& JV::stringProperty(std::string_view key) const {
    const JV* child = optionalStringProperty(key);
    if (child == nullptr) missing(this, key);
    return *child;
}

const JV& JV::arrayProperty(std::string_view key) const {
    const JV* child = optionalArrayProperty(key);
    if (child == nullptr) missing(this, key);
    return *child;
}

const JV& JV::objectProperty(std::string_view key) const {
    const JV* child = optionalObjectProperty(key);
    if (child == nullptr) missing(this, key);
    return *child;
}

JV& JV::arrayProperty(std::string_view key) { return const_cast<JV&>(std::as_const(*this).arrayProperty(key)); }

JV& JV::objectProperty(std::string_view key) { return const_cast<JV&>(std::as_const(*this).objectProperty(key)); }

bool JV::booleanPropertyValue(std::string_view key) const { return booleanProperty(key).booleanValue(); }

std::int64_t JV::integerPropertyValue(std::string_view key) const {
    const JV* child = optionalIntegerProperty(key);
    if (child == nullptr) missing(this, key);
    const number::Number& n = child->numberValue();
    // toLong would hand back the raw bits of a large unsigned value; refuse instead of wrapping.
    if (n.compare(number::Number(std::numeric_limits<std::int64_t>::min())) < 0 ||
        n.compare(number::Number(std::numeric_limits<std::int64_t>::max())) > 0) {
        throw JVError(fmt::format("The integer value of '{}' is out of range.", key), this);
    }
    return n.toLong();
}

std::string_view JV::stringPropertyValue(std::string_view key) const { return stringProperty(key).stringValue(); }

// ---- pointers ----

std::string JV::pointer() const {
    std::vector<const JV*> path;
    for (const JV* n = this; n->parent_ != nullptr; n = n->parent_) path.push_back(n);
    std::string out;
    for (auto it = path.rbegin(); it != path.rend(); ++it) detail::TreeOps::appendToken(out, **it);
    return out;
}

void detail::TreeOps::appendToken(std::string& out, const JV& child) {
    const JV* container = child.parent_;
    out.push_back('/');
    if (container->type_ == JV::Type::Array) {
        const auto& rep = *container->u_.array;
        std::size_t index = child.slot_;
        if (index >= rep.size() || rep[index] != &child) {
            index = static_cast<std::size_t>(std::find(rep.begin(), rep.end(), &child) - rep.begin());
        }
        fmt::format_to(std::back_inserter(out), "{}", index);
    } else {
        appendEscapedToken(out, container->keyOf(&child));
    }
}

const JV* JV::find(const JVPointer& pointer) const {
    const JV* node = this;
    for (const std::string& token : pointer) {
        if (node->type_ == Type::Object) {
            node = node->property(token);
        } else if (node->type_ == Type::Array) {
            unsigned long long index = 0;
            try {
                index = std::stoull(token);
            } catch (const std::out_of_range&) {
                return nullptr;
            }
            node = node->at(static_cast<std::size_t>(index));
        } else {
            return nullptr;
        }
        if (node == nullptr) return nullptr;
    }
    return node;
}

JV* JV::find(const JVPointer& pointer) { return const_cast<JV*>(std::as_const(*this).find(pointer)); }

// ---- equality and hashing ----

namespace {

bool scalarEqual(const JV& a, const JV& b) {
    switch (a.type()) {
        case JV::Type::Null:
            return true;
        case JV::Type::Boolean:
            return a.booleanValue() == b.booleanValue();
        case JV::Type::Number:
            return a.numberValue().compare(b.numberValue()) == 0;
        case JV::Type::String:
            return a.stringValue() == b.stringValue();
        default:
            return true;
    }
}

bool deepEqual(const JV& left, const JV& right, bool coalesceTop) {
    std::vector<std::pair<const JV*, const JV*>> pending{{&left, &right}};
    bool top = true;
    while (!pending.empty()) {
        auto [a, b] = pending.back();
        pending.pop_back();
        bool atTop = top;
        top = false;
        if (a == b) continue;
        if (a->type() != b->type()) return false;
        switch (a->type()) {
            case JV::Type::Array: {
                auto x = a->items();
                auto y = b->items();
                if (x.size() != y.size()) return false;
                for (std::size_t i = 0; i < x.size(); ++i) pending.emplace_back(x[i], y[i]);
                break;
            }
            case JV::Type::Object: {
                auto x = a->properties();
                auto y = b->properties();
                if (x.size() != y.size()) return false;
                for (auto i = x.begin(), j = y.begin(); i != x.end(); ++i, ++j) {
                    if ((*i).key != (*j).key) return false;
                    pending.emplace_back((*i).value, (*j).value);
                }
                break;
            }
            case JV::Type::Number:
                if (atTop && coalesceTop) {
                    number::Number diff = a->numberValue() - b->numberValue();
                    if (!(std::fabs(diff.toDouble()) < 2.220446049250313e-16)) return false;
                    break;
                }
                if (!scalarEqual(*a, *b)) return false;
                break;
            default:
                if (!scalarEqual(*a, *b)) return false;
                break;
        }
    }
    return true;
}

std::size_t scalarHash(const JV& n) {
    auto h = static_cast<std::size_t>(n.type());
    switch (n.type()) {
        case JV::Type::Null:
            combine(h, 0);
            break;
        case JV::Type::Boolean:
            combine(h, n.booleanValue() ? 1 : 0);
            break;
        case JV::Type::Number:
            combine(h, n.numberValue().hash());
            break;
        case JV::Type::String:
            combine(h, std::hash<std::string_view>{}(n.stringValue()));
            break;
        default:
            break;
    }
    return h;
}

bool isContainer(const JV& n) { return n.isArray() || n.isObject(); }

std::size_t containerSeed(const JV& n) {
    auto h = static_cast<std::size_t>(n.type());
    combine(h, n.size());
    return h;
}

}  // namespace

bool JV::equal(const JV& other) const { return deepEqual(*this, other, false); }

bool JV::equalCoalesceInt(const JV& other) const { return deepEqual(*this, other, true); }

std::size_t JV::hash() const {
    if (!isContainer(*this)) return scalarHash(*this);
    struct Frame {
        const JV* node;
        std::size_t h;
        std::size_t next;
    };
    std::vector<Frame> stack{{this, containerSeed(*this), 0}};
    for (;;) {
        Frame& f = stack.back();
        if (f.next < f.node->size()) {
            const JV* child;
            if (f.node->isArray()) {
                child = (*f.node->u_.array)[f.next];
            } else {
                const Entry& e = f.node->u_.object->entries()[f.next];
                combine(f.h, std::hash<std::string_view>{}(e.key->view()));
                child = e.value;
            }
            ++f.next;
            if (isContainer(*child)) {
                stack.push_back({child, containerSeed(*child), 0});
            } else {
                combine(f.h, scalarHash(*child));
            }
        } else {
            std::size_t h = f.h;
            stack.pop_back();
            if (stack.empty()) return h;
            combine(stack.back().h, h);
        }
    }
}

// ---- cloning ----

namespace {

// A copy of a scalar, or an empty container of the same kind.
JV* shallowCopy(const JV& n) {
    switch (n.type()) {
        case JV::Type::Null:
            return new JV();
        case JV::Type::Boolean:
            return new JV(n.booleanValue());
        case JV::Type::Number:
            return new JV(n.numberValue());
        case JV::Type::String:
            return detail::TreeOps::sharedString(n);
        case JV::Type::Array:
            return new JV(JV::ArrayTag{});
        case JV::Type::Object:
            return new JV(JV::ObjectTag{});
    }
    return new JV();
}

}  // namespace

JV* detail::TreeOps::sharedString(const JV& n) {
    auto* copy = new JV();
    copy->type_ = JV::Type::String;
    copy->u_.text = Text::share(n.u_.text);
    return copy;
}

std::unique_ptr<JV> JV::clone() const {
    std::unique_ptr<JV> root(shallowCopy(*this));
    std::vector<std::pair<const JV*, JV*>> pending;
    if (isContainer(*this)) pending.emplace_back(this, root.get());
    while (!pending.empty()) {
        auto [src, dst] = pending.back();
        pending.pop_back();
        if (src->type_ == Type::Array) {
            const detail::ArrayRep& from = *src->u_.array;
            detail::ArrayRep* to = detail::ArrayRep::resize(dst->u_.array, from.count);
            dst->u_.array = to;
            for (const JV* child : from) {
                JV* copy = shallowCopy(*child);
                to->data()[to->count] = copy;
                dst->adopt(copy, to->count++);
                if (isContainer(*child)) pending.emplace_back(child, copy);
            }
        } else {
            const detail::ObjectRep& from = *src->u_.object;
            // Copies are exactly sized, as read objects are; the source order is not copied.
            detail::ObjectRep* to = detail::ObjectRep::resize(dst->u_.object, from.size, 0);
            dst->u_.object = to;
            for (const Entry* e = from.entries(); e != from.entriesEnd(); ++e) {
                JV* copy = shallowCopy(*e->value);
                to->entries()[to->size] = Entry{Text::share(e->key), copy};
                dst->adopt(copy, to->size++);
                if (isContainer(*e->value)) pending.emplace_back(e->value, copy);
            }
        }
    }
    return root;
}

void JV::cloneTo(JV& target) const {
    if (&target == this) return;
    // Copy completely before touching the target: the target may lie inside this tree or hold it.
    std::unique_ptr<JV> copy = clone();
    target.clear();
    target.type_ = copy->type_;
    target.u_ = copy->u_;
    copy->type_ = Type::Null;
    copy->u_ = {};
    if (target.type_ == Type::Array) {
        for (JV* child : *target.u_.array) child->parent_ = &target;
    } else if (target.type_ == Type::Object) {
        const detail::ObjectRep& rep = *target.u_.object;
        for (const Entry* e = rep.entries(); e != rep.entriesEnd(); ++e) e->value->parent_ = &target;
    }
    target.noteForeign();
}

const char* jvNodeType(JV::Type type) {
    switch (type) {
        case JV::Type::Null:
            return "null";
        case JV::Type::Boolean:
            return "boolean";
        case JV::Type::Number:
            return "number";
        case JV::Type::String:
            return "string";
        case JV::Type::Array:
            return "array";
        case JV::Type::Object:
            return "object";
    }
    return "unknown";
}

}  // namespace zephalon::jv
