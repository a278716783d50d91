#pragma once

#include <atomic>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zephalon {

// Raised when a pattern does not compile or a replacement string is malformed.
class RegexError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A compiled regular expression for the ECMAScript-style patterns found in
// OpenAPI documents and JSON Schemas (\uXXXX escapes, "$" only at the very end,
// "[]" as an empty class, ASCII-only \d, \w and \s).
//
// Patterns and subjects are UTF-8. A subject that is not valid UTF-8 never
// matches. Every match runs under a step limit and a memory limit, so a
// pathological pattern on a long subject ends quickly with
// Outcome::LimitExceeded instead of hanging.
//
// Matching reuses per-thread scratch space, so searching in a loop does not
// allocate; a Regex may be shared by threads for reading.
class Regex {
  public:
    enum class Outcome { Match, NoMatch, LimitExceeded };

    // Compiles once; throws RegexError naming the pattern, PCRE2's message and the offset.
    explicit Regex(std::string_view pattern, bool caseInsensitive = false);
    Regex(Regex&& other) noexcept;
    Regex& operator=(Regex&& other) noexcept;
    Regex(const Regex&) = delete;
    Regex& operator=(const Regex&) = delete;
    ~Regex();

    // Unanchored search.
    Outcome searchOutcome(std::string_view subject) const;
    // Unanchored search; exceeding a limit counts as no match.
    bool search(std::string_view subject) const;
    // The whole subject must match; exceeding a limit counts as no match.
    bool fullMatch(std::string_view subject) const;
    Outcome fullMatchOutcome(std::string_view subject) const;

    // Replaces every non-overlapping match. In the replacement, "$n" and "${n}"
    // insert capture group n (empty when the group did not take part), "${name}"
    // a named group and "$$" a dollar sign. A subject that is not valid UTF-8, or
    // a search that exceeds a limit, is returned unchanged. Throws RegexError for
    // a malformed replacement.
    std::string replaceAll(std::string_view subject, std::string_view replacement) const;

    const std::string& pattern() const;
    bool caseInsensitive() const { return caseInsensitive_; }

    // Limits applied to every match; exposed so callers and tests can reason about them.
    static constexpr unsigned matchLimit = 10'000'000;
    static constexpr unsigned heapLimitKiB = 64 * 1024;
    static constexpr std::size_t jitStackMaxBytes = std::size_t{8} * 1024 * 1024;

  private:
    Outcome run(std::string_view subject, bool whole) const;
    void* anchoredCode() const;

    std::string pattern_;
    bool caseInsensitive_ = false;
    // The text after "^" when that is all the pattern says (as "^x-", which picks a schema's extension members and
    // is asked of every member of a document): a search then compares the subject's start. Empty otherwise.
    std::string prefix_;
    // pcre2_code_8*, kept opaque so users need not see pcre2.h.
    void* code_ = nullptr;
    // The same pattern compiled anchored at both ends, made on the first full
    // match so that full matches also run JIT-compiled.
    mutable std::atomic<void*> anchored_{nullptr};
};

}  // namespace zephalon
