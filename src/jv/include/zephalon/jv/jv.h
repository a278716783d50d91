#pragma once

// The JSON value tree: JV (one value with its position), JVDoc (owns a tree, remembers the source key order of its
// objects, finds nodes by pointer text and lists its "$ref" values) and SortedProperties (an object's properties in
// a chosen order).
//
// Memory layout: a node is 32 bytes. Strings and keys live in shared, reference-counted text blocks (a document read
// from text shares one block per distinct key), an object keeps its (key, child) entries sorted by key in one block, an
// array its elements in another, and every node links to its container, so pointer texts are derived on demand instead
// of being stored per node. A document read from text keeps all of these in one arena (src/arena.h), which the tree's
// root owns; values built or added later live on the heap.

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <new>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zephalon/jv/pointer.h"
#include "zephalon/jv/pos.h"
#include "zephalon/number/number.h"

namespace zephalon::jv {

class JV;

namespace detail {

class Arena;

// An immutable, reference-counted byte string; the bytes follow the header. A text in an arena starts with a count
// no tree can drop to zero: it goes with its arena.
struct Text {
    static constexpr std::size_t kArenaRefs = std::size_t{1} << 62;

    std::size_t refs;
    std::size_t size;

    const char* data() const { return reinterpret_cast<const char*>(this + 1); }
    char* data() { return reinterpret_cast<char*>(this + 1); }
    std::string_view view() const { return {data(), size}; }
    bool inArena() const { return refs >= kArenaRefs / 2; }

    static Text* make(std::string_view bytes);
    static Text* make(Arena& arena, std::string_view bytes);
    static Text* ref(Text* text) {
        ++text->refs;
        return text;
    }
    // A reference for another tree: an arena's text is copied, as the other tree may outlive the arena.
    static Text* share(Text* text) { return text->inArena() ? make(text->view()) : ref(text); }
    static void unref(Text* text);
};

struct Entry {
    Text* key;
    JV* value;
};

// An object's members in one block: this header, then room for `capacity` entries sorted by key, byte-wise, with
// unique keys (the first `size` in use), then room for `orderCapacity` keys in source order as recorded through
// JVDoc (the first `orderSize` in use). A single block per object keeps trees small and quick to build and free (a
// large document has hundreds of thousands of objects); the reader sizes it exactly, as it knows the members when it
// closes the object, and objects built member by member grow it by reallocation. The reader records no keys for an
// object whose members' nodes already lie in source order (see JV::kOrderByAddress).
// Every object without room for anything shares one static empty block, so a fresh object allocates nothing.
// A block in an arena is never resized in place nor freed: growing it moves the contents to the heap.
struct ObjectRep {
    // The most keys the source order of one object can hold.
    static constexpr std::uint32_t kMaxOrder = (std::uint32_t{1} << 31) - 1;

    std::uint32_t size;
    std::uint32_t capacity;
    std::uint32_t orderSize;
    std::uint32_t orderCapacity : 31;
    std::uint32_t inArena : 1;

    Entry* entries() { return reinterpret_cast<Entry*>(this + 1); }
    const Entry* entries() const { return reinterpret_cast<const Entry*>(this + 1); }
    Entry* entriesEnd() { return entries() + size; }
    const Entry* entriesEnd() const { return entries() + size; }
    Text** order() { return reinterpret_cast<Text**>(entries() + capacity); }
    Text* const* order() const { return reinterpret_cast<Text* const*>(entries() + capacity); }

    // A block with room for the given counts, nothing in use; the shared empty block when both are 0.
    static ObjectRep* make(std::uint32_t capacity, std::uint32_t orderCapacity);
    static ObjectRep* make(Arena& arena, std::uint32_t capacity, std::uint32_t orderCapacity);
    // The block re-sized to the given room (at least what is in use), contents kept; `rep` is invalid afterwards.
    static ObjectRep* resize(ObjectRep* rep, std::uint32_t capacity, std::uint32_t orderCapacity);
    // Frees the block only; the caller has released the keys and the children.
    static void destroy(ObjectRep* rep);
};
static_assert(sizeof(ObjectRep) % alignof(Entry) == 0 && alignof(Entry) >= alignof(Text*));

// An array's elements in one block: this header, then room for `capacity` elements (the first `count` in use). As
// with objects, arrays without room share one static empty block, and a block in an arena moves to the heap to grow.
struct ArrayRep {
    // The most elements one array can hold.
    static constexpr std::uint32_t kMaxCount = (std::uint32_t{1} << 31) - 1;

    std::uint32_t count;
    std::uint32_t capacity : 31;
    std::uint32_t inArena : 1;

    JV** data() { return reinterpret_cast<JV**>(this + 1); }
    JV* const* data() const { return reinterpret_cast<JV* const*>(this + 1); }
    std::size_t size() const { return count; }
    JV** begin() { return data(); }
    JV** end() { return data() + count; }
    JV* const* begin() const { return data(); }
    JV* const* end() const { return data() + count; }
    JV*& operator[](std::size_t i) { return data()[i]; }
    JV* operator[](std::size_t i) const { return data()[i]; }

    static ArrayRep* make(std::uint32_t capacity);
    static ArrayRep* make(Arena& arena, std::uint32_t capacity);
    // The block re-sized to the given room (at least what is in use), contents kept; `rep` is invalid afterwards.
    static ArrayRep* resize(ArrayRep* rep, std::uint32_t capacity);
    static void destroy(ArrayRep* rep);
};
static_assert(sizeof(ArrayRep) % alignof(JV*) == 0);

// Internal operations of the module on node internals.
struct TreeOps;

}  // namespace detail

// Raised by the required and typed property accessors; `node` is the object that was searched.
class JVError : public std::runtime_error {
  public:
    JVError(const std::string& message, const JV* failed) : std::runtime_error(message), node(failed) {}
    const JV* node;
};

// One property of an object as seen while iterating: key and child.
template <typename NodePtr>
struct BasicProperty {
    std::string_view key;
    NodePtr value;
};
using Property = BasicProperty<JV*>;
using ConstProperty = BasicProperty<const JV*>;

// The properties of an object in key order.
template <typename NodePtr>
class PropertyRange {
  public:
    class iterator {
      public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = BasicProperty<NodePtr>;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = value_type;

        iterator() = default;
        explicit iterator(const detail::Entry* e) : e_(e) {}
        value_type operator*() const { return {e_->key->view(), e_->value}; }
        value_type operator[](difference_type n) const { return *(*this + n); }
        iterator& operator++() {
            ++e_;
            return *this;
        }
        iterator operator++(int) {
            iterator t = *this;
            ++e_;
            return t;
        }
        iterator& operator--() {
            --e_;
            return *this;
        }
        iterator operator--(int) {
            iterator t = *this;
            --e_;
            return t;
        }
        iterator& operator+=(difference_type n) {
            e_ += n;
            return *this;
        }
        iterator& operator-=(difference_type n) {
            e_ -= n;
            return *this;
        }
        friend iterator operator+(iterator i, difference_type n) { return i += n; }
        friend iterator operator+(difference_type n, iterator i) { return i += n; }
        friend iterator operator-(iterator i, difference_type n) { return i -= n; }
        friend difference_type operator-(iterator a, iterator b) { return a.e_ - b.e_; }
        friend bool operator==(iterator a, iterator b) { return a.e_ == b.e_; }
        friend auto operator<=>(iterator a, iterator b) { return a.e_ <=> b.e_; }

      private:
        const detail::Entry* e_ = nullptr;
    };

    PropertyRange(const detail::Entry* b, const detail::Entry* e) : b_(b), e_(e) {}
    iterator begin() const { return iterator(b_); }
    iterator end() const { return iterator(e_); }
    std::size_t size() const { return static_cast<std::size_t>(e_ - b_); }
    bool empty() const { return b_ == e_; }

  private:
    const detail::Entry* b_;
    const detail::Entry* e_;
};

template <typename T>
concept JVInteger = std::integral<T> && !std::same_as<T, bool> && !std::same_as<T, char> &&
                    !std::same_as<T, signed char> && !std::same_as<T, unsigned char> && !std::same_as<T, char8_t> &&
                    !std::same_as<T, char16_t> && !std::same_as<T, char32_t> && !std::same_as<T, wchar_t>;

// One JSON value. A container owns its children; a child links back to its container, which gives every node its
// JSON Pointer. Nodes are neither copyable nor movable (children point at them): use `clone` or `cloneTo`.
// Nodes are created with `new` (or std::make_unique) or by the readers, and destroyed with `delete`, which knows which
// nodes belong to an arena.
//
// Object operations on a non-object and array operations on a non-array raise std::bad_variant_access.
// Destruction, equality, hashing and cloning use explicit stacks, so trees of any depth are safe.
// Trees are for one thread at a time: even `clone` of a const tree updates the shared texts' reference counts.
class JV {
  public:
    enum class Type : std::uint8_t { Null = 0, Boolean = 1, Number = 2, String = 3, Array = 4, Object = 5 };
    struct ArrayTag {};
    struct ObjectTag {};

    JV() = default;
    JV(std::nullptr_t) {}
    JV(bool value) : type_(Type::Boolean) { u_.boolean = value; }
    template <JVInteger T>
    JV(T value) {
        if constexpr (std::is_signed_v<T>) {
            initSigned(static_cast<std::int64_t>(value));
        } else {
            initUnsigned(static_cast<std::uint64_t>(value));
        }
    }
    JV(double value);
    JV(const number::Number& value);
    JV(const char* value) : JV(std::string_view(value)) {}
    JV(std::string_view value);
    JV(const std::string& value) : JV(std::string_view(value)) {}
    JV(ArrayTag);
    JV(ObjectTag);
    // A fresh value of a kind: null, false, the number 0, "", [] or {}.
    explicit JV(Type type);

    JV(const JV&) = delete;
    JV& operator=(const JV&) = delete;
    ~JV();

    static void* operator new(std::size_t bytes);
    // Frees the node unless its memory belongs to an arena; the arena's anchors release their hold on it.
    static void operator delete(JV* node, std::destroying_delete_t);
    // For a constructor that throws inside `new`.
    static void operator delete(void* memory);

    // Source position, (-1, -1) when unknown.
    Pos pos;

    Type type() const { return type_; }
    bool isNull() const { return type_ == Type::Null; }
    bool isBoolean() const { return type_ == Type::Boolean; }
    bool isNumber() const { return type_ == Type::Number; }
    bool isString() const { return type_ == Type::String; }
    bool isArray() const { return type_ == Type::Array; }
    bool isObject() const { return type_ == Type::Object; }
    // A number holding an integral value.
    bool isInteger() const;

    // Typed values; the wrong kind raises std::bad_variant_access.
    bool booleanValue() const;
    const number::Number& numberValue() const;
    std::string_view stringValue() const;

    // The container that owns this node, or null for a root or a detached node.
    JV* parent() { return parent_; }
    const JV* parent() const { return parent_; }
    // The JSON Pointer text of this node from its topmost container ("" for that container itself). Always reflects
    // the current shape of the tree.
    std::string pointer() const;

    // Element count of an array, property count of an object, 0 otherwise.
    std::size_t size() const;

    // Setters replace the value, destroying any children; setArray and setObject keep a value of that kind as is.
    void clear();
    void setNull() { clear(); }
    void setBoolean(bool value);
    template <JVInteger T>
    void setNumericValue(T value) {
        clear();
        if constexpr (std::is_signed_v<T>) {
            initSigned(static_cast<std::int64_t>(value));
        } else {
            initUnsigned(static_cast<std::uint64_t>(value));
        }
    }
    void setNumericValue(double value);
    void setNumericValue(const number::Number& value);
    void setString(std::string_view value);
    void setArray();
    void setObject();

    // Arrays.
    std::span<JV* const> items();
    std::span<const JV* const> items() const;
    // The element at an index, or null past the end.
    JV* at(std::size_t index);
    const JV* at(std::size_t index) const;
    // Appends a child (a null child appends a null value) and returns it.
    JV* add(std::unique_ptr<JV> child);
    JV* addNull();
    JV* addBool(bool value);
    template <JVInteger T>
    JV* addInt(T value) {
        return add(std::make_unique<JV>(value));
    }
    JV* addFloat(double value);
    JV* addNumber(const number::Number& value);
    JV* addString(std::string_view value);
    JV* addArray();
    JV* addObject();
    // Destroys the element at an index; false when there is none.
    bool removeAt(std::size_t index);
    // Hands the element at an index to the caller, or null when there is none.
    std::unique_ptr<JV> releaseAt(std::size_t index);

    // Objects. Iteration is in byte-wise key order.
    PropertyRange<JV*> properties() { return objectRange(); }
    PropertyRange<const JV*> properties() const;
    JV* property(std::string_view key);
    const JV* property(std::string_view key) const;
    bool hasProperty(std::string_view key) const { return property(key) != nullptr; }
    // Stores a child under a key and returns it (a null child stores a null value). A child already stored under
    // that key is destroyed.
    JV* setProperty(std::string_view key, std::unique_ptr<JV> child);
    JV* setNullProperty(std::string_view key);
    JV* setBoolProperty(std::string_view key, bool value);
    JV* setIntProperty(std::string_view key, std::int64_t value);
    JV* setUIntProperty(std::string_view key, std::uint64_t value);
    JV* setFloatProperty(std::string_view key, double value);
    JV* setNumberProperty(std::string_view key, const number::Number& value);
    JV* setStringProperty(std::string_view key, std::string_view value);
    JV* setArrayProperty(std::string_view key);
    JV* setObjectProperty(std::string_view key);
    // Destroys the child under a key; false when there is none.
    bool removeProperty(std::string_view key);
    // Hands the child under a key to the caller, or null when there is none.
    std::unique_ptr<JV> releaseProperty(std::string_view key);

    // Required and typed property access; failures raise JVError naming the property, with this object as node.
    JV& requiredProperty(std::string_view key);
    const JV& requiredProperty(std::string_view key) const;
    const JV& booleanProperty(std::string_view key) const;
    const JV& numericProperty(std::string_view key) const;
    const JV& stringProperty(std::string_view key) const;
    const JV& arrayProperty(std::string_view key) const;
    const JV& objectProperty(std::string_view key) const;
    JV& arrayProperty(std::string_view key);
    JV& objectProperty(std::string_view key);
    bool booleanPropertyValue(std::string_view key) const;
    // An integer that does not fit a signed 64-bit value raises JVError as well.
    std::int64_t integerPropertyValue(std::string_view key) const;
    std::string_view stringPropertyValue(std::string_view key) const;
    const JV* optionalBooleanProperty(std::string_view key) const;
    const JV* optionalIntegerProperty(std::string_view key) const;
    const JV* optionalNumericProperty(std::string_view key) const;
    const JV* optionalStringProperty(std::string_view key) const;
    const JV* optionalArrayProperty(std::string_view key) const;
    const JV* optionalObjectProperty(std::string_view key) const;
    JV* optionalArrayProperty(std::string_view key);
    JV* optionalObjectProperty(std::string_view key);

    // Walks a pointer from this node. On arrays a token is read as an unsigned decimal index (leading white space
    // and a sign accepted, reading stops at the first non-digit); a token without leading digits raises
    // std::invalid_argument. Any other failed step gives null.
    JV* find(const JVPointer& pointer);
    const JV* find(const JVPointer& pointer) const;

    // Deep equality: kinds must match, numbers compare by value (1 equals 1.0), objects by keys and values.
    bool equal(const JV& other) const;
    // As `equal`, but two numbers at the top level are equal when they differ by less than 2.220446049250313e-16.
    bool equalCoalesceInt(const JV& other) const;
    std::size_t hash() const;

    // An independent deep copy with unknown positions and no container.
    std::unique_ptr<JV> clone() const;
    // Replaces the target's value by a deep copy of this one (the target keeps its position and container).
    void cloneTo(JV& target) const;

  private:
    friend class JVDoc;
    friend class DefaultHandler;
    friend class SortedProperties;
    friend struct detail::TreeOps;

    // Node flags. A node in an arena is destroyed but not freed on its own. Its anchors (the root, and the nodes
    // handed out by a release call) each hold the arena. `kForeign` marks an arena node whose payload or subtree holds
    // heap values (added after the read), which its destruction must visit; every other arena node's subtree is
    // wholly in the arena and is freed with it. `kArenaNumber` marks a number payload in the arena.
    // `kOrderByAddress` marks an object whose source order is the order of its members' nodes in memory: the reader
    // makes each node as its value comes, one after another in the arena, and sets the flag instead of recording a
    // list of keys; the object turns it into that list before its members change.
    enum Flag : std::uint8_t {
        kInArena = 1,
        kArenaRoot = 2,
        kReleased = 4,
        kForeign = 8,
        kArenaNumber = 16,
        kOrderByAddress = 32
    };
    static constexpr std::uint8_t kAnchor = kArenaRoot | kReleased;

    void initSigned(std::int64_t value);
    void initUnsigned(std::uint64_t value);
    void initNumber(number::Number* value);
    // Releases this node's own payload; children are handed to `orphans` for the caller to destroy.
    void dropPayload(std::vector<JV*>& orphans);
    void adopt(JV* child, std::uint32_t slot);
    // Marks this node and its ancestors up to the anchor as holding heap values, when it lies in an arena.
    void noteForeign();
    // Records the source order that the members' addresses give as a list of keys (see kOrderByAddress).
    void listSourceOrder();
    // Hands a child just taken out of this container to the caller; a node of an arena becomes an anchor.
    std::unique_ptr<JV> handOut(JV* child);
    // Take a child out of this container (it keeps its link to it); null when there is none.
    JV* takeAt(std::size_t index);
    JV* takeProperty(std::string_view key);

    detail::ArrayRep& arrayRep() const;
    detail::ObjectRep& objectRep() const;
    PropertyRange<JV*> objectRange() const;
    const detail::Entry* findEntry(std::string_view key) const;
    std::string_view keyOf(const JV* child) const;

    Type type_ = Type::Null;
    std::uint8_t flags_ = 0;
    // Index of this node in its container's element or entry vector when last placed; a hint, checked on use.
    std::uint32_t slot_ = 0;
    JV* parent_ = nullptr;
    union Payload {
        bool boolean;
        number::Number* number;
        detail::Text* text;
        detail::ArrayRep* array;
        detail::ObjectRep* object;
    } u_{};
};

// The kind's name: "null", "boolean", "number", "string", "array" or "object".
const char* jvNodeType(JV::Type type);
inline const char* jvNodeType(const JV& node) { return jvNodeType(node.type()); }

// A document: owns its root and remembers, for objects read from text, the order in which their keys appeared.
class JVDoc {
  public:
    JVDoc() = default;
    explicit JVDoc(std::unique_ptr<JV> root) : root_(std::move(root)) {}
    JVDoc(const JVDoc&) = delete;
    JVDoc& operator=(const JVDoc&) = delete;

    JV* root() { return root_.get(); }
    const JV* root() const { return root_.get(); }
    // Takes ownership of the new root and destroys the old one. Pointer texts are always derived from the current
    // tree, so `rebuild` only matters for nodes whose links were changed behind the tree's back.
    void setRoot(std::unique_ptr<JV> root, bool rebuild = true);
    // Replaces the root by a fresh value of a kind.
    void setRoot(JV::Type type);
    std::unique_ptr<JV> releaseRoot();

    // Sets a node's position unless it already has a known one.
    static void addPos(JV& node, std::int32_t line, std::int32_t column);
    // Appends keys to an object's source-order list.
    void addProp(JV& object, std::string_view key);
    void addProps(JV& object, std::span<const std::string> keys);
    void addProps(JV& object, std::initializer_list<std::string_view> keys);
    // The object's keys in source order; empty when none was recorded. Valid while the object is unchanged.
    std::vector<std::string_view> propOrder(const JV& object) const;
    void clearPropOrder(JV& object);
    void clearPropOrder();

    // Re-derives the container links and slot hints of the whole tree from its ownership.
    void rebuildPointers();

    // The node with this exact pointer text (array indices in plain decimal), or null.
    JV* findNode(std::string_view pointerText);
    const JV* findNode(std::string_view pointerText) const;
    // Walks the pointer from the root as JV::find does; null when there is no root.
    JV* findNode(const JVPointer& pointer);
    const JV* findNode(const JVPointer& pointer) const;

    // The string values of the "$ref" members of the tree's objects (JSON References), each once; the object that
    // holds one is its value's parent. A reader notes them as it closes the objects, in that order, so that finding
    // every reference of a large document costs no walk; for a tree built otherwise, or once the root was replaced,
    // a walk finds them on the first call. Valid while no object of the tree gains or loses such a member and none is
    // removed.
    const std::vector<const JV*>& references() const;

  private:
    friend class DefaultHandler;

    std::unique_ptr<JV> root_;
    // Null until the reader hands its list over or the first call of `references` walks the tree.
    mutable std::unique_ptr<std::vector<const JV*>> references_;
};

// An object's properties in a chosen order: with an order list, the listed keys that the object has come first in
// the list's order (a key listed twice counts once), followed by the others in byte-wise key order. Element i is
// (key, child). Valid while the object is unchanged.
class SortedProperties {
  public:
    explicit SortedProperties(const JV& object);
    SortedProperties(const JV& object, std::span<const std::string_view> order);
    SortedProperties(const JV& object, const std::vector<std::string_view>& order)
        : SortedProperties(object, std::span<const std::string_view>(order)) {}
    SortedProperties(const JV& object, const std::vector<std::string>& order);

    // Set when the order is plain key order.
    bool keyOrder() const { return keyOrder_; }
    const JV& object() const { return *object_; }
    const std::vector<std::string_view>& keys() const { return keys_; }
    std::size_t size() const { return keys_.size(); }
    std::pair<std::string_view, const JV*> operator[](std::size_t i) const;

    class iterator {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::pair<std::string_view, const JV*>;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = value_type;
        iterator() = default;
        iterator(const SortedProperties* sp, std::size_t i) : sp_(sp), i_(i) {}
        value_type operator*() const { return (*sp_)[i_]; }
        iterator& operator++() {
            ++i_;
            return *this;
        }
        iterator operator++(int) {
            iterator t = *this;
            ++i_;
            return t;
        }
        friend bool operator==(const iterator& a, const iterator& b) { return a.i_ == b.i_; }

      private:
        const SortedProperties* sp_ = nullptr;
        std::size_t i_ = 0;
    };
    iterator begin() const { return iterator(this, 0); }
    iterator end() const { return iterator(this, keys_.size()); }

  private:
    template <typename Key>
    void build(std::span<const Key> order);

    bool keyOrder_ = true;
    const JV* object_;
    std::vector<std::string_view> keys_;
    std::vector<const JV*> values_;
};

}  // namespace zephalon::jv
