#pragma once

// JSON Pointer texts for many values of one tree, asked for in turn: values asked for one after another usually lie
// close together (the findings of one operation, the members of one schema), so the texts of their recent containers
// are kept and a value's text is its container's plus one token, instead of a walk up to the root for each.

#include <array>
#include <cstddef>
#include <string>

#include "zephalon/jv/jv.h"

namespace zephalon::jv {

class PointerTexts {
  public:
    // The value's JSON Pointer text, exactly as `JV::pointer` gives it. The tree must not change between calls
    // without a `clear`.
    std::string of(const JV& value);

    // Forgets the kept texts: for a changed tree, or another one.
    void clear();

  private:
    // The text of a container, kept for the next calls.
    const std::string& containerText(const JV& container);

    struct Kept {
        const JV* container = nullptr;
        std::string text;
    };
    // Few containers are open at once along a document-order walk; the oldest kept text makes room.
    std::array<Kept, 8> kept_{};
    std::size_t next_ = 0;
};

}  // namespace zephalon::jv
