#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "arena.h"
#include "zephalon/jv/jv.h"

namespace zephalon::jv::detail {

// Access to node internals for the module's own algorithms (destruction, cloning, the reader's tree building).
struct TreeOps {
    // Destroys every node in `pending` and all their descendants without recursion.
    static void destroyNodes(std::vector<JV*>& pending);
    // A new string node sharing the text of `n`.
    static JV* sharedString(const JV& n);
    // A null node in an arena: the document's root (which holds the arena) or any other node.
    static JV* arenaNode(Arena& arena, bool root) {
        JV* node = ::new (root ? arena.rootSlot() : arena.allocate(sizeof(JV))) JV();
        node->flags_ = root ? JV::kInArena | JV::kArenaRoot : JV::kInArena;
        if (root) Arena::ref(&arena);
        return node;
    }
    // Payloads of a fresh arena node; the arena holds the text and the number.
    static void setString(JV& n, Text* text) {
        n.type_ = JV::Type::String;
        n.u_.text = text;
    }
    static void setNumber(JV& n, Arena& arena, const number::Number& value);
    static void setBoolean(JV& n, bool value) {
        n.type_ = JV::Type::Boolean;
        n.u_.boolean = value;
    }
    // An empty container of a kind, for a fresh arena node; the reader gives it its block when it closes.
    static void setEmpty(JV& n, JV::Type type) {
        n.type_ = type;
        if (type == JV::Type::Array) n.u_.array = ArrayRep::make(0);
        if (type == JV::Type::Object) n.u_.object = ObjectRep::make(0, 0);
    }
    // The payload of a node whose kind the caller has checked.
    static std::string_view string(const JV& n) { return n.u_.text->view(); }
    static const number::Number& number(const JV& n) { return *n.u_.number; }
    static bool boolean(const JV& n) { return n.u_.boolean; }
    static const ObjectRep& object(const JV& n) { return *n.u_.object; }
    static const ArrayRep& array(const JV& n) { return *n.u_.array; }
    static ObjectRep& object(JV& n) { return n.objectRep(); }
    // Gives an object the block that replaces its own (after ObjectRep::resize).
    static void setObject(JV& n, ObjectRep* rep) { n.u_.object = rep; }
    static ArrayRep& array(JV& n) { return n.arrayRep(); }
    static void setArray(JV& n, ArrayRep* rep) { n.u_.array = rep; }
    static void link(JV& container, JV& child, std::uint32_t slot) {
        child.parent_ = &container;
        child.slot_ = slot;
    }
    static void unlink(JV& child) { child.parent_ = nullptr; }
    // An object whose source order is the order of its members' nodes in memory (JV::kOrderByAddress).
    static bool orderedByAddress(const JV& n) { return (n.flags_ & JV::kOrderByAddress) != 0; }
    static void setOrderedByAddress(JV& n) { n.flags_ |= JV::kOrderByAddress; }
    // Calls `visit(entry)` for an object's entries in the order of their values' addresses (sorted on the stack for
    // the objects most documents are made of).
    template <typename Visit>
    static void forEachByAddress(const ObjectRep& rep, Visit&& visit) {
        const Entry* entries = rep.entries();
        std::uint32_t few[16];
        std::vector<std::uint32_t> many;
        std::uint32_t* order = few;
        if (rep.size > std::size(few)) {
            many.resize(rep.size);
            order = many.data();
        }
        for (std::uint32_t i = 0; i < rep.size; ++i) order[i] = i;
        std::sort(order, order + rep.size, [entries](std::uint32_t a, std::uint32_t b) {
            return std::less<const JV*>()(entries[a].value, entries[b].value);
        });
        for (std::uint32_t i = 0; i < rep.size; ++i) visit(entries[order[i]]);
    }
    // Appends "/" and the child's reference token in its container (escaped key or decimal index).
    static void appendToken(std::string& out, const JV& child);
};

}  // namespace zephalon::jv::detail
