#pragma once

// Strings that an ECMAScript regular expression matches, drawn from the random engine.
//
// The pattern is parsed into a small tree (alternatives, sequences, groups, repetitions, characters and character
// sets, back-references, assertions) and a candidate is produced by walking it: each alternative, repetition count
// and character is one draw. Assertions and lookarounds produce nothing, so a candidate is only a proposal; the
// caller checks it against the compiled pattern (`regex()`) and asks for another when it does not match.
//
// Character sets that cannot be listed from the pattern text alone (negated classes, "\P{...}", "\S", ".") are
// computed once, by testing a pool of characters of many scripts and categories against the set with the compiled
// expression itself, so the generator and the checker never disagree about what a set holds.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "rng.h"
#include "zephalon/foundation/regex.h"

namespace zephalon::jv_generator {

class RegexGenerator {
  public:
    // Compiles and parses the pattern; throws RegexError when it is not a valid pattern.
    explicit RegexGenerator(std::string_view pattern);

    const std::string& pattern() const { return pattern_; }
    // The pattern as JSON Schema applies it: an unanchored search.
    const Regex& regex() const { return regex_; }

    // One candidate into `out`. An open-ended repetition ("*", "+", "{n,}") repeats at most `spread` times beyond
    // its minimum, and so does a bounded one with a wider range. False when the candidate would grow beyond the
    // length limit.
    bool candidate(RNG& rng, std::uint32_t spread, std::string& out) const;
    std::optional<std::string> candidate(RNG& rng, std::uint32_t spread) const;

    // Candidates are never longer than this many bytes.
    static constexpr std::size_t maxCandidateBytes = 1 << 16;

  private:
    using Range = std::pair<char32_t, char32_t>;

    struct CharSet {
        std::vector<Range> ranges;            // sorted, disjoint, without surrogates
        std::vector<Range> preferred;         // the printable ASCII part, drawn from when not empty
        std::uint64_t drawnCount = 0;         // the characters of the list drawn from
        std::optional<RNG::SmallRange> draw;  // prepared for drawnCount - 1, when that is below the engine's range
    };

    struct Node {
        enum class Kind { Empty, Literal, Set, Sequence, Alternation, Group, Repeat, Backref, Assertion };
        Kind kind = Kind::Empty;
        char32_t codePoint = 0;  // Literal
        std::size_t set = 0;     // Set
        std::vector<std::size_t> children;
        std::uint32_t min = 0;             // Repeat
        std::optional<std::uint32_t> max;  // Repeat; none when open-ended
        std::size_t group = 0;             // Group (0: not capturing), Backref
    };

    class Parser;
    struct Walk;

    std::size_t addNode(Node node);
    std::size_t addSet(std::vector<Range> ranges);
    // The members of a set written as pattern text (such as "[^a-z]" or "\\P{L}"), from the character pool.
    std::vector<Range> poolMembers(std::string_view setText) const;

    void emit(std::size_t node, Walk& walk) const;

    std::string pattern_;
    Regex regex_;
    std::vector<Node> nodes_;
    std::vector<CharSet> sets_;
    std::size_t root_ = 0;
    std::size_t groupCount_ = 0;
};

}  // namespace zephalon::jv_generator
