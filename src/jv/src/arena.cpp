#include "arena.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <mutex>
#include <new>
#include <unordered_map>

namespace zephalon::jv::detail {

namespace {

// Small documents (a request body, a configuration) stay small; large ones reach the largest chunk after a few
// dozen chunks.
constexpr std::size_t kFirstChunk = 4096;
constexpr std::size_t kLargestChunk = std::size_t{1} << 20;

// Nodes handed out of a tree, with the arena that holds them. Trees are for one thread at a time, but different
// trees may be on different threads; release calls are rare, so one lock serves them all.
struct ReleasedNodes {
    std::mutex lock;
    std::unordered_map<const JV*, Arena*> arenas;
};

// Never destroyed: a value of static duration may be released from, or destroyed after, everything else.
ReleasedNodes& releasedNodes() {
    static auto* nodes = new ReleasedNodes();
    return *nodes;
}

}  // namespace

Arena* Arena::create() {
    auto* arena = new Arena();
    arena->chunkBytes_ = kFirstChunk;
    return arena;
}

void Arena::unref(Arena* arena) {
    if (--arena->refs_ != 0) return;
    for (number::Number* number : arena->kept_) number->~Number();
    for (void* block : arena->blocks_) std::free(block);
    delete arena;
}

void* Arena::allocateSlow(std::size_t bytes) {
    // A block larger than a quarter of a chunk (a long text, the members of a large object) gets one of its own, so
    // the room left in the current chunk is not lost.
    if (bytes > chunkBytes_ / 4) {
        void* block = std::malloc(bytes);
        if (block == nullptr) throw std::bad_alloc();
        blocks_.push_back(block);
        return block;
    }
    void* chunk = std::malloc(chunkBytes_);
    if (chunk == nullptr) throw std::bad_alloc();
    blocks_.push_back(chunk);
    next_ = static_cast<char*>(chunk) + bytes;
    end_ = static_cast<char*>(chunk) + chunkBytes_;
    chunkBytes_ = std::min(chunkBytes_ * 2, kLargestChunk);
    return chunk;
}

Arena* Arena::ofRoot(const JV* root) {
    return reinterpret_cast<Arena*>(const_cast<char*>(reinterpret_cast<const char*>(root)) - offsetof(Arena, root_));
}

void Arena::addReleased(const JV* node, Arena* arena) {
    ReleasedNodes& nodes = releasedNodes();
    std::lock_guard<std::mutex> guard(nodes.lock);
    nodes.arenas.emplace(node, arena);
}

Arena* Arena::dropReleased(const JV* node) {
    ReleasedNodes& nodes = releasedNodes();
    std::lock_guard<std::mutex> guard(nodes.lock);
    auto it = nodes.arenas.find(node);
    Arena* arena = it->second;
    nodes.arenas.erase(it);
    return arena;
}

Arena* Arena::released(const JV* node) {
    ReleasedNodes& nodes = releasedNodes();
    std::lock_guard<std::mutex> guard(nodes.lock);
    return nodes.arenas.at(node);
}

}  // namespace zephalon::jv::detail
