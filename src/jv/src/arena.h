#pragma once

// The memory of one document read from text. Its nodes, texts and member blocks are carved one after another out of
// a few large chunks: reading allocates rarely, the nodes of a subtree lie close together, and freeing the document
// releases the chunks instead of every node.
//
// The arena lives as long as one of its anchors: the document's root (which sits in the arena's own header) and every
// node handed out of the tree by a release call (JV::releaseAt, JV::releaseProperty) each hold a reference, so a value
// taken out of a document may outlive it. Values added to such a tree later are ordinary heap values; the nodes on
// their way up to the anchor are marked, and only marked nodes are visited when the tree is destroyed.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "zephalon/jv/jv.h"

namespace zephalon::jv::detail {

class Arena {
  public:
    // A fresh arena with one reference, held by the caller.
    static Arena* create();
    static void ref(Arena* arena) { ++arena->refs_; }
    // Drops a reference; the last one frees every chunk and destroys the kept numbers.
    static void unref(Arena* arena);

    // Uninitialised room for `bytes`, aligned for any node, text or block.
    void* allocate(std::size_t bytes) {
        bytes = (bytes + (kAlign - 1)) & ~(kAlign - 1);
        if (bytes > static_cast<std::size_t>(end_ - next_)) return allocateSlow(bytes);
        void* at = next_;
        next_ += bytes;
        return at;
    }
    // A number whose destructor has memory of its own to free; it is destroyed with the arena.
    void keep(number::Number* number) { kept_.push_back(number); }

    // The room of the document's root. The root is the first node of a document, and its address leads back to the
    // arena (`ofRoot`).
    void* rootSlot() { return root_; }
    static Arena* ofRoot(const JV* root);

    // The arena of a node handed out by a release call, recorded by `addReleased` until `dropReleased`.
    static void addReleased(const JV* node, Arena* arena);
    static Arena* dropReleased(const JV* node);
    static Arena* released(const JV* node);

  private:
    static constexpr std::size_t kAlign = 8;

    Arena() = default;
    void* allocateSlow(std::size_t bytes);

    std::size_t refs_ = 1;
    char* next_ = nullptr;
    char* end_ = nullptr;
    std::size_t chunkBytes_;
    std::vector<void*> blocks_;
    std::vector<number::Number*> kept_;
    alignas(JV) unsigned char root_[sizeof(JV)];
};

}  // namespace zephalon::jv::detail
