#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "zephalon/jv/jv.h"

namespace zephalon::jv::detail {

// Access to node internals for the module's own algorithms (destruction, cloning, the reader's tree building).
struct TreeOps {
    // Destroys every node in `pending` and all their descendants without recursion.
    static void destroyNodes(std::vector<JV*>& pending);
    // A new string node sharing the text of `n`.
    static JV* sharedString(const JV& n);
    // A new string node taking over one reference to `text`.
    static JV* stringNode(Text* text) {
        auto* node = new JV();
        node->type_ = JV::Type::String;
        node->u_.text = text;
        return node;
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
    // Appends "/" and the child's reference token in its container (escaped key or decimal index).
    static void appendToken(std::string& out, const JV& child);
};

}  // namespace zephalon::jv::detail
