#include "zephalon/jv/jv.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <variant>

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

void Text::unref(Text* text) {
    if (--text->refs == 0) {
        text->~Text();
        ::operator delete(static_cast<void*>(text));
    }
}

void TreeOps::destroyNodes(std::vector<JV*>& pending) {
    while (!pending.empty()) {
        JV* node = pending.back();
        pending.pop_back();
        // Children go onto `pending`, so the node's own destructor finds nothing left to recurse into.
        node->dropPayload(pending);
        delete node;
    }
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

JV::JV(ArrayTag) : type_(Type::Array) { u_.array = new detail::ArrayRep(); }

JV::JV(ObjectTag) : type_(Type::Object) { u_.object = new detail::ObjectRep(); }

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
            u_.array = new detail::ArrayRep();
            break;
        case Type::Object:
            type_ = Type::Object;
            u_.object = new detail::ObjectRep();
            break;
    }
}

JV::~JV() {
    if (type_ == Type::Null || type_ == Type::Boolean) return;
    std::vector<JV*> pending;
    dropPayload(pending);
    detail::TreeOps::destroyNodes(pending);
}

void JV::initSigned(std::int64_t value) { initNumber(new number::Number(value)); }

void JV::initUnsigned(std::uint64_t value) { initNumber(new number::Number(value)); }

void JV::initNumber(number::Number* value) {
    type_ = Type::Number;
    u_.number = value;
}

void JV::dropPayload(std::vector<JV*>& orphans) {
    switch (type_) {
        case Type::Null:
        case Type::Boolean:
            break;
        case Type::Number:
            delete u_.number;
            break;
        case Type::String:
            Text::unref(u_.text);
            break;
        case Type::Array:
            for (JV* child : *u_.array) {
                child->parent_ = nullptr;
                orphans.push_back(child);
            }
            delete u_.array;
            break;
        case Type::Object:
            for (const Entry& e : u_.object->entries) {
                Text::unref(e.key);
                e.value->parent_ = nullptr;
                orphans.push_back(e.value);
            }
            for (Text* key : u_.object->order) Text::unref(key);
            delete u_.object;
            break;
    }
    type_ = Type::Null;
    u_ = {};
}

void JV::adopt(JV* child, std::uint32_t slot) {
    child->parent_ = this;
    child->slot_ = slot;
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
}

void JV::setArray() {
    if (type_ == Type::Array) return;
    clear();
    u_.array = new detail::ArrayRep();
    type_ = Type::Array;
}

void JV::setObject() {
    if (type_ == Type::Object) return;
    clear();
    u_.object = new detail::ObjectRep();
    type_ = Type::Object;
}

std::size_t JV::size() const {
    switch (type_) {
        case Type::Array:
            return u_.array->size();
        case Type::Object:
            return u_.object->entries.size();
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
    auto& rep = arrayRep();
    if (!child) child = std::make_unique<JV>();
    rep.push_back(child.get());
    adopt(child.get(), static_cast<std::uint32_t>(rep.size() - 1));
    return child.release();
}

JV* JV::addNull() { return add(std::make_unique<JV>()); }
JV* JV::addBool(bool value) { return add(std::make_unique<JV>(value)); }
JV* JV::addFloat(double value) { return add(std::make_unique<JV>(value)); }
JV* JV::addNumber(const number::Number& value) { return add(std::make_unique<JV>(value)); }
JV* JV::addString(std::string_view value) { return add(std::make_unique<JV>(value)); }
JV* JV::addArray() { return add(std::make_unique<JV>(ArrayTag{})); }
JV* JV::addObject() { return add(std::make_unique<JV>(ObjectTag{})); }

std::unique_ptr<JV> JV::releaseAt(std::size_t index) {
    auto& rep = arrayRep();
    if (index >= rep.size()) return nullptr;
    std::unique_ptr<JV> child(rep[index]);
    rep.erase(rep.begin() + static_cast<std::ptrdiff_t>(index));
    for (std::size_t i = index; i < rep.size(); ++i) rep[i]->slot_ = static_cast<std::uint32_t>(i);
    child->parent_ = nullptr;
    return child;
}

bool JV::removeAt(std::size_t index) { return releaseAt(index) != nullptr; }

// ---- objects ----

detail::ObjectRep& JV::objectRep() const {
    if (type_ != Type::Object) wrongKind();
    return *u_.object;
}

PropertyRange<JV*> JV::objectRange() const {
    auto& entries = objectRep().entries;
    return {entries.data(), entries.data() + entries.size()};
}

PropertyRange<const JV*> JV::properties() const {
    auto& entries = objectRep().entries;
    return {entries.data(), entries.data() + entries.size()};
}

const Entry* JV::findEntry(std::string_view key) const {
    auto& entries = objectRep().entries;
    auto it = std::lower_bound(entries.begin(), entries.end(), key, entryKeyLess);
    return it != entries.end() && it->key->view() == key ? &*it : nullptr;
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
    auto& entries = objectRep().entries;
    auto it = std::lower_bound(entries.begin(), entries.end(), key, entryKeyLess);
    auto index = static_cast<std::uint32_t>(it - entries.begin());
    if (!child) child = std::make_unique<JV>();
    JV* added = child.release();
    if (it != entries.end() && it->key->view() == key) {
        // The container owns what it holds, so the value it replaces is destroyed here.
        std::unique_ptr<JV> previous(it->value);
        previous->parent_ = nullptr;
        it->value = added;
        adopt(added, index);
        return added;
    }
    entries.insert(it, Entry{Text::make(key), added});
    adopt(added, index);
    for (std::size_t i = index + 1; i < entries.size(); ++i) entries[i].value->slot_ = static_cast<std::uint32_t>(i);
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

std::unique_ptr<JV> JV::releaseProperty(std::string_view key) {
    auto& entries = objectRep().entries;
    auto it = std::lower_bound(entries.begin(), entries.end(), key, entryKeyLess);
    if (it == entries.end() || it->key->view() != key) return nullptr;
    std::unique_ptr<JV> child(it->value);
    Text::unref(it->key);
    auto index = static_cast<std::size_t>(it - entries.begin());
    entries.erase(it);
    for (std::size_t i = index; i < entries.size(); ++i) entries[i].value->slot_ = static_cast<std::uint32_t>(i);
    child->parent_ = nullptr;
    return child;
}

bool JV::removeProperty(std::string_view key) { return releaseProperty(key) != nullptr; }

std::string_view JV::keyOf(const JV* child) const {
    auto& entries = u_.object->entries;
    if (child->slot_ < entries.size() && entries[child->slot_].value == child) return entries[child->slot_].key->view();
    for (const Entry& e : entries) {
        if (e.value == child) return e.key->view();
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
                const Entry& e = f.node->u_.object->entries[f.next];
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
    copy->u_.text = Text::ref(n.u_.text);
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
            const auto& from = *src->u_.array;
            auto& to = *dst->u_.array;
            to.reserve(from.size());
            for (const JV* child : from) {
                JV* copy = shallowCopy(*child);
                to.push_back(copy);
                dst->adopt(copy, static_cast<std::uint32_t>(to.size() - 1));
                if (isContainer(*child)) pending.emplace_back(child, copy);
            }
        } else {
            const auto& from = src->u_.object->entries;
            auto& to = dst->u_.object->entries;
            to.reserve(from.size());
            for (const Entry& e : from) {
                JV* copy = shallowCopy(*e.value);
                to.push_back(Entry{Text::ref(e.key), copy});
                dst->adopt(copy, static_cast<std::uint32_t>(to.size() - 1));
                if (isContainer(*e.value)) pending.emplace_back(e.value, copy);
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
        for (const Entry& e : target.u_.object->entries) e.value->parent_ = &target;
    }
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
