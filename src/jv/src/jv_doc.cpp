#include <algorithm>
#include <charconv>
#include <limits>
#include <stdexcept>

#include "tree_ops.h"
#include "zephalon/jv/jv.h"

namespace zephalon::jv {

using detail::Entry;
using detail::Text;
using detail::TreeOps;

void JVDoc::setRoot(std::unique_ptr<JV> root, bool rebuild) {
    std::unique_ptr<JV> previous = std::move(root_);
    root_ = std::move(root);
    references_.reset();
    if (root_) TreeOps::unlink(*root_);
    previous.reset();
    if (rebuild) rebuildPointers();
}

void JVDoc::setRoot(JV::Type type) { setRoot(std::make_unique<JV>(type), true); }

std::unique_ptr<JV> JVDoc::releaseRoot() {
    references_.reset();
    return std::move(root_);
}

void JVDoc::addPos(JV& node, std::int32_t line, std::int32_t column) {
    if (!node.pos.known()) node.pos = Pos{line, column};
}

void JVDoc::addProp(JV& object, std::string_view key) {
    if (TreeOps::orderedByAddress(object)) object.listSourceOrder();
    detail::ObjectRep* rep = &TreeOps::object(object);
    // Share the key's text with the entry when there is one.
    const Entry* entry = object.findEntry(key);
    Text* text = entry != nullptr ? Text::ref(entry->key) : Text::make(key);
    if (rep->orderSize == rep->orderCapacity) {
        // Room for as many keys as the object has members, or twice the recorded ones.
        std::uint64_t room = std::max<std::uint64_t>({4, rep->size, std::uint64_t{rep->orderCapacity} * 2});
        try {
            if (rep->orderCapacity == detail::ObjectRep::kMaxOrder) {
                throw std::length_error("Too many keys recorded for one object");
            }
            rep = detail::ObjectRep::resize(
                rep, rep->capacity,
                static_cast<std::uint32_t>(std::min<std::uint64_t>(room, detail::ObjectRep::kMaxOrder)));
        } catch (...) {
            Text::unref(text);
            throw;
        }
        TreeOps::setObject(object, rep);
    }
    rep->order()[rep->orderSize++] = text;
    object.noteForeign();
}

void JVDoc::addProps(JV& object, std::span<const std::string> keys) {
    for (const std::string& key : keys) addProp(object, key);
}

void JVDoc::addProps(JV& object, std::initializer_list<std::string_view> keys) {
    for (std::string_view key : keys) addProp(object, key);
}

std::vector<std::string_view> JVDoc::propOrder(const JV& object) const {
    std::vector<std::string_view> keys;
    if (!object.isObject()) return keys;
    const detail::ObjectRep& rep = *object.u_.object;
    if (TreeOps::orderedByAddress(object)) {
        keys.reserve(rep.size);
        TreeOps::forEachByAddress(rep, [&](const Entry& e) { keys.push_back(e.key->view()); });
        return keys;
    }
    keys.reserve(rep.orderSize);
    for (std::uint32_t i = 0; i < rep.orderSize; ++i) keys.push_back(rep.order()[i]->view());
    return keys;
}

void JVDoc::clearPropOrder(JV& object) {
    if (!object.isObject()) return;
    object.flags_ &= static_cast<std::uint8_t>(~JV::kOrderByAddress);
    detail::ObjectRep* rep = object.u_.object;
    if (rep->orderCapacity == 0) return;
    for (std::uint32_t i = 0; i < rep->orderSize; ++i) Text::unref(rep->order()[i]);
    rep->orderSize = 0;
    // A block in an arena keeps its room: moving it to the heap would only cost.
    if (rep->inArena) return;
    object.u_.object = detail::ObjectRep::resize(rep, rep->capacity, 0);
}

void JVDoc::clearPropOrder() {
    if (!root_) return;
    std::vector<JV*> pending{root_.get()};
    while (!pending.empty()) {
        JV* node = pending.back();
        pending.pop_back();
        if (node->isObject()) {
            clearPropOrder(*node);
            const detail::ObjectRep& rep = *node->u_.object;
            for (const Entry* e = rep.entries(); e != rep.entriesEnd(); ++e) pending.push_back(e->value);
        } else if (node->isArray()) {
            for (JV* child : *node->u_.array) pending.push_back(child);
        }
    }
}

void JVDoc::rebuildPointers() {
    if (!root_) return;
    TreeOps::unlink(*root_);
    std::vector<JV*> pending{root_.get()};
    while (!pending.empty()) {
        JV* node = pending.back();
        pending.pop_back();
        if (node->isObject()) {
            const detail::ObjectRep& rep = *node->u_.object;
            for (std::uint32_t i = 0; i < rep.size; ++i) {
                TreeOps::link(*node, *rep.entries()[i].value, i);
                pending.push_back(rep.entries()[i].value);
            }
        } else if (node->isArray()) {
            auto& items = *node->u_.array;
            for (std::size_t i = 0; i < items.size(); ++i) {
                TreeOps::link(*node, *items[i], static_cast<std::uint32_t>(i));
                pending.push_back(items[i]);
            }
        }
    }
}

namespace {

// A canonical array index: decimal digits without a leading zero (except "0" itself).
bool canonicalIndex(std::string_view token, std::size_t& index) {
    if (token.empty() || (token.size() > 1 && token.front() == '0')) return false;
    auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), index);
    return ec == std::errc() && end == token.data() + token.size();
}

}  // namespace

const JV* JVDoc::findNode(std::string_view pointerText) const {
    const JV* node = root_.get();
    if (node == nullptr) return nullptr;
    if (pointerText.empty()) return node;
    if (pointerText.front() != '/') return nullptr;
    std::string token;
    std::size_t begin = 1;
    for (;;) {
        std::size_t slash = pointerText.find('/', begin);
        std::string_view raw = pointerText.substr(begin, slash == std::string_view::npos ? slash : slash - begin);
        token.clear();
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != '~') {
                token.push_back(raw[i]);
            } else if (i + 1 < raw.size() && (raw[i + 1] == '0' || raw[i + 1] == '1')) {
                token.push_back(raw[++i] == '0' ? '~' : '/');
            } else {
                return nullptr;
            }
        }
        if (node->isObject()) {
            node = node->property(token);
        } else if (node->isArray()) {
            std::size_t index = 0;
            node = canonicalIndex(token, index) ? node->at(index) : nullptr;
        } else {
            return nullptr;
        }
        if (node == nullptr || slash == std::string_view::npos) return node;
        begin = slash + 1;
    }
}

JV* JVDoc::findNode(std::string_view pointerText) {
    return const_cast<JV*>(std::as_const(*this).findNode(pointerText));
}

const JV* JVDoc::findNode(const JVPointer& pointer) const { return root_ ? root_->find(pointer) : nullptr; }

JV* JVDoc::findNode(const JVPointer& pointer) { return root_ ? root_->find(pointer) : nullptr; }

// ---- SortedProperties ----

SortedProperties::SortedProperties(const JV& object) : object_(&object) {
    const detail::ObjectRep& rep = object.objectRep();
    keys_.reserve(rep.size);
    values_.reserve(rep.size);
    for (const Entry* e = rep.entries(); e != rep.entriesEnd(); ++e) {
        keys_.push_back(e->key->view());
        values_.push_back(e->value);
    }
}

SortedProperties::SortedProperties(const JV& object, std::span<const std::string_view> order) : object_(&object) {
    build(order);
}

SortedProperties::SortedProperties(const JV& object, const std::vector<std::string>& order) : object_(&object) {
    build(std::span<const std::string>(order));
}

template <typename Key>
void SortedProperties::build(std::span<const Key> order) {
    const detail::ObjectRep& rep = object_->objectRep();
    std::span<const Entry> entries(rep.entries(), rep.size);
    keyOrder_ = order.empty();
    keys_.reserve(entries.size());
    values_.reserve(entries.size());
    std::vector<bool> taken(entries.size(), false);
    for (const Key& key : order) {
        const Entry* e = object_->findEntry(key);
        if (e == nullptr) continue;
        auto index = static_cast<std::size_t>(e - entries.data());
        // A key recorded twice (a repeated key in the source) is listed once, at its first place.
        if (taken[index]) continue;
        taken[index] = true;
        keys_.push_back(e->key->view());
        values_.push_back(e->value);
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (taken[i]) continue;
        keys_.push_back(entries[i].key->view());
        values_.push_back(entries[i].value);
    }
}

std::pair<std::string_view, const JV*> SortedProperties::operator[](std::size_t i) const {
    return {keys_[i], values_[i]};
}

const std::vector<const JV*>& JVDoc::references() const {
    if (references_ != nullptr) return *references_;
    auto found = std::make_unique<std::vector<const JV*>>();
    std::vector<const JV*> stack;
    if (root_ != nullptr) stack.push_back(root_.get());
    while (!stack.empty()) {
        const JV* value = stack.back();
        stack.pop_back();
        if (value->isArray()) {
            for (const JV* item : value->items()) stack.push_back(item);
        } else if (value->isObject()) {
            for (const auto [key, child] : value->properties()) {
                if (key == "$ref" && child->isString()) found->push_back(child);
                stack.push_back(child);
            }
        }
    }
    references_ = std::move(found);
    return *references_;
}

}  // namespace zephalon::jv
