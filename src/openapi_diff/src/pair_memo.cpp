#include "pair_memo.h"

#include <algorithm>
#include <functional>

#include "context.h"
#include "zephalon/foundation/assertions.h"
#include "zephalon/openapi/node.h"

namespace zephalon::openapi_diff {
namespace {

bool isSelfType(ChangeType type) {
    return type == ChangeType::added || type == ChangeType::removed || type == ChangeType::modified;
}

}  // namespace

std::size_t PairMemo::KeyHash::operator()(const Key& key) const {
    std::size_t a = std::hash<const void*>{}(key.source);
    std::size_t b = std::hash<const void*>{}(key.dest);
    return a ^ (b + 0x9e3779b97f4a7c15ull + (a << 6) + (a >> 2));
}

bool PairMemo::isShared(const openapi::Node* source, const openapi::Node* dest) {
    return (source != nullptr && !source->references().empty()) || (dest != nullptr && !dest->references().empty());
}

PairMemo::Verdict PairMemo::begin(const openapi::Node* source, const openapi::Node* dest, Digest& digest) {
    Key key{source, dest};
    auto [it, inserted] = entries_.try_emplace(key);
    if (!inserted) {
        Entry& entry = it->second;
        switch (entry.state) {
            case State::inProgress:
                dependOn(entry.slot);
                return Verdict::skip;
            case State::equal:
                return Verdict::skip;
            case State::differs:
                digest = entry.digest;
                return Verdict::repeat;
            case State::provisional:
                dependOn(frameOfProvisional(entry.slot));
                return Verdict::skip;
        }
    }
    auto index = static_cast<std::uint32_t>(frames_.size());
    it->second = Entry{State::inProgress, index, {}};
    frames_.push_back(Frame{key, index, static_cast<std::uint32_t>(provisional_.size())});
    return Verdict::compare;
}

void PairMemo::end(std::span<const ScopeChange> recorded) {
    ZEPHALON_PRECONDITION(!frames_.empty(), "No pair is being compared");
    Frame frame = frames_.back();
    frames_.pop_back();
    auto index = static_cast<std::uint32_t>(frames_.size());

    // The pair's own change comes first; anything after it is a difference.
    std::size_t inner = !recorded.empty() && isSelfType(recorded.front().type) ? 1 : 0;
    bool differs = recorded.size() > inner;
    bool independent = frame.lowest >= index;

    Entry& entry = entries_.at(frame.key);
    if (differs) {
        Digest digest;
        for (const ScopeChange& change : recorded.subspan(inner)) {
            if (change.conditional) {
                digest.hasConditional = true;
                digest.conditional = std::max(digest.conditional, change.option);
            } else {
                digest.hasPlain = true;
                digest.plain = std::max(digest.plain, change.option);
            }
        }
        entry = Entry{State::differs, 0, digest};
    } else if (independent) {
        entry = Entry{State::equal, 0, {}};
    } else {
        entry = Entry{State::provisional, static_cast<std::uint32_t>(provisional_.size()), {}};
        provisional_.push_back(frame.key);
    }

    if (independent) {
        // Everything found equal on the assumption that this pair is equal now stands or falls with it.
        settleProvisional(frame.firstProvisional, !differs);
    } else {
        // A difference is certain, but what was found equal inside may have assumed this pair equal.
        if (differs) settleProvisional(frame.firstProvisional, false);
        dependOn(frame.lowest);
    }
}

void PairMemo::abandon() {
    ZEPHALON_PRECONDITION(!frames_.empty(), "No pair is being compared");
    Frame frame = frames_.back();
    frames_.pop_back();
    entries_.erase(frame.key);
    settleProvisional(frame.firstProvisional, false);
}

void PairMemo::dependOn(std::uint32_t frame) {
    if (frames_.empty()) return;
    Frame& current = frames_.back();
    current.lowest = std::min(current.lowest, frame);
}

std::uint32_t PairMemo::frameOfProvisional(std::uint32_t slot) const {
    for (std::size_t i = frames_.size(); i-- > 0;) {
        if (frames_[i].firstProvisional <= slot) return static_cast<std::uint32_t>(i);
    }
    return 0;
}

void PairMemo::settleProvisional(std::uint32_t from, bool valid) {
    for (std::size_t i = from; i < provisional_.size(); ++i) {
        if (valid) {
            entries_.at(provisional_[i]) = Entry{State::equal, 0, {}};
        } else {
            entries_.erase(provisional_[i]);
        }
    }
    provisional_.resize(std::min<std::size_t>(from, provisional_.size()));
}

}  // namespace zephalon::openapi_diff
