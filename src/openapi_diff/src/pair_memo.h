#pragma once

// What the comparison remembers about pairs of shared nodes.
//
// A node that "$ref"s make reachable from many places (a component schema used by hundreds of operations, a schema
// that refers to itself) would be walked once per path that reaches it, which grows without bound on recursive
// schemas and explodes on schemas that share schemas. So every pair (source node, destination node) in which one
// side is the target of a reference is walked once:
//
// - while the walk of a pair is under way, meeting the same pair again (recursion) does not enter it;
// - an equal pair records nothing and is skipped from then on;
// - a differing pair is reported in detail where it is met first; wherever it is met again, its own change is
//   recorded once more, followed by hidden entries that carry the highest options of what was inside, so every item
//   that reaches it (each operation using a changed shared schema) is still reported as changed and classified as
//   if the details were there, without repeating them.
//
// A pair found equal while the walk of an enclosing pair it depends on (through recursion) was still under way is
// only equal if that enclosing pair turns out equal too: such results stay provisional until then, and are
// forgotten if it differs.

#include <cstddef>
#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

#include "node_diff_config.h"

namespace zephalon::openapi {
class Node;
}

namespace zephalon::openapi_diff {

struct ScopeChange;

class PairMemo {
  public:
    // What a pair that differs held: the highest option of its inner changes, kept apart for those that depend on
    // the new value of one of its own flags (they may raise an added or removed item above its own option).
    struct Digest {
        bool hasPlain = false;
        bool hasConditional = false;
        Option plain = Option::none;
        Option conditional = Option::none;
    };

    enum class Verdict : std::uint8_t {
        // Walk the pair; end() must follow.
        compare,
        // Nothing to record: the pair is equal, or its walk is under way further up.
        skip,
        // The pair differs and was reported before: record its digest.
        repeat,
    };

    // Whether the pair needs remembering at all: only targets of references can be reached more than once.
    static bool isShared(const openapi::Node* source, const openapi::Node* dest);

    Verdict begin(const openapi::Node* source, const openapi::Node* dest, Digest& digest);
    // Ends the innermost walk that begin() started; `recorded` is what it recorded, its own change first.
    void end(std::span<const ScopeChange> recorded);
    // Ends the innermost walk without a result (it was abandoned by an exception).
    void abandon();

    std::size_t size() const { return entries_.size(); }

  private:
    struct Key {
        const openapi::Node* source;
        const openapi::Node* dest;
        friend bool operator==(const Key&, const Key&) = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const;
    };
    enum class State : std::uint8_t { inProgress, equal, differs, provisional };
    struct Entry {
        State state = State::inProgress;
        // inProgress: the walk's frame; provisional: its place in provisional_.
        std::uint32_t slot = 0;
        Digest digest;
    };
    struct Frame {
        Key key;
        // The outermost frame whose result this walk relied on (its own index when none).
        std::uint32_t lowest;
        std::uint32_t firstProvisional;
    };

    void dependOn(std::uint32_t frame);
    // The innermost frame that was under way when the provisional result at `slot` was stored.
    std::uint32_t frameOfProvisional(std::uint32_t slot) const;
    void settleProvisional(std::uint32_t from, bool valid);

    std::unordered_map<Key, Entry, KeyHash> entries_;
    std::vector<Frame> frames_;
    std::vector<Key> provisional_;
};

}  // namespace zephalon::openapi_diff
