#include "zephalon/foundation/regex.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <fmt/format.h>
#include <pcre2.h>
#include <utf8.h>

#include <algorithm>
#include <array>
#include <utility>

namespace zephalon {

namespace {

pcre2_code* asCode(void* code) { return static_cast<pcre2_code*>(code); }

// PCRE2 refuses a null subject pointer in some versions even for an empty subject.
PCRE2_SPTR bytesOf(std::string_view text) {
    static constexpr char empty[] = "";
    return reinterpret_cast<PCRE2_SPTR>(text.data() != nullptr ? text.data() : empty);
}

std::string errorText(int code) {
    std::array<PCRE2_UCHAR, 256> buffer{};
    int length = pcre2_get_error_message(code, buffer.data(), buffer.size());
    if (length < 0) {
        return fmt::format("PCRE2 error {}", code);
    }
    return std::string(reinterpret_cast<const char*>(buffer.data()), static_cast<std::size_t>(length));
}

bool isUtfError(int rc) { return rc <= PCRE2_ERROR_UTF8_ERR1 && rc >= PCRE2_ERROR_UTF8_ERR21; }

// Per-thread scratch: the match context carrying the limits, the JIT stack and a
// one-pair match block. A search only needs to know whether it matched, so one
// ovector pair serves every pattern and nothing is allocated per call.
class Scratch {
  public:
    Scratch() {
        context_ = pcre2_match_context_create(nullptr);
        matchData_ = pcre2_match_data_create(1, nullptr);
        jitStack_ = pcre2_jit_stack_create(std::size_t{32} * 1024, Regex::jitStackMaxBytes, nullptr);
        if (context_ == nullptr || matchData_ == nullptr) {
            throw std::bad_alloc();
        }
        pcre2_set_match_limit(context_, Regex::matchLimit);
        pcre2_set_depth_limit(context_, Regex::matchLimit);
        pcre2_set_heap_limit(context_, Regex::heapLimitKiB);
        if (jitStack_ != nullptr) {
            pcre2_jit_stack_assign(context_, nullptr, jitStack_);
        }
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    ~Scratch() {
        pcre2_jit_stack_free(jitStack_);
        pcre2_match_data_free(matchData_);
        pcre2_match_context_free(context_);
    }

    pcre2_match_context* context() const { return context_; }
    pcre2_match_data* matchData() const { return matchData_; }

  private:
    pcre2_match_context* context_ = nullptr;
    pcre2_match_data* matchData_ = nullptr;
    pcre2_jit_stack* jitStack_ = nullptr;
};

Scratch& scratch() {
    thread_local Scratch instance;
    return instance;
}

// The text that a pattern of "^" and literal characters (letters, digits, and punctuation, plain or escaped) matches
// at the start of a subject; empty for any other pattern.
std::string plainPrefix(std::string_view pattern) {
    auto alphanumeric = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    };
    auto punctuation = [&](char c) { return c > ' ' && c < 0x7f && !alphanumeric(c); };
    // Escaped, any punctuation stands for itself; unescaped, these do not.
    auto special = [](char c) { return std::string_view("\\^$.|?*+()[]{}#").find(c) != std::string_view::npos; };
    if (pattern.size() < 2 || pattern.front() != '^') return {};
    std::string prefix;
    for (std::size_t i = 1; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (c == '\\' && i + 1 < pattern.size() && punctuation(pattern[i + 1])) {
            c = pattern[++i];
        } else if (!alphanumeric(c) && (!punctuation(c) || special(c))) {
            return {};
        }
        prefix += c;
    }
    return prefix;
}

// ECMAScript flavour: \uXXXX and \u{X..} escapes, "$" matching only at the very
// end, "[]" as an empty class. No UCP: \d, \w and \s stay ASCII as JSON Schema
// expects. \C could split a UTF-8 sequence, so it is refused outright.
pcre2_code* compile(const std::string& pattern, bool caseInsensitive, uint32_t extraOptions, int& errorCode,
                    PCRE2_SIZE& errorOffset) {
    uint32_t options = PCRE2_UTF | PCRE2_DOLLAR_ENDONLY | PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS |
                       PCRE2_NEVER_BACKSLASH_C | extraOptions;
    if (caseInsensitive) {
        options |= PCRE2_CASELESS;
    }
    pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
    if (context == nullptr) {
        throw std::bad_alloc();
    }
    pcre2_set_compile_extra_options(context, PCRE2_EXTRA_ALT_BSUX);
    pcre2_code* code = pcre2_compile(bytesOf(pattern), pattern.size(), options, &errorCode, &errorOffset, context);
    pcre2_compile_context_free(context);
    if (code != nullptr) {
        // Without JIT support the interpreter is used; it obeys the same limits.
        (void)pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
    }
    return code;
}

}  // namespace

Regex::Regex(std::string_view pattern, bool caseInsensitive) : pattern_(pattern), caseInsensitive_(caseInsensitive) {
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    code_ = compile(pattern_, caseInsensitive_, 0, errorCode, errorOffset);
    if (code_ == nullptr) {
        throw RegexError(fmt::format("Invalid regular expression \"{}\": {} at offset {}", pattern_,
                                     errorText(errorCode), errorOffset));
    }
    if (!caseInsensitive_) prefix_ = plainPrefix(pattern_);
}

Regex::Regex(Regex&& other) noexcept
    : pattern_(std::move(other.pattern_)),
      caseInsensitive_(other.caseInsensitive_),
      prefix_(std::move(other.prefix_)),
      code_(other.code_),
      anchored_(other.anchored_.exchange(nullptr)) {
    other.code_ = nullptr;
}

Regex& Regex::operator=(Regex&& other) noexcept {
    if (this != &other) {
        pcre2_code_free(asCode(code_));
        pcre2_code_free(asCode(anchored_.exchange(other.anchored_.exchange(nullptr))));
        pattern_ = std::move(other.pattern_);
        caseInsensitive_ = other.caseInsensitive_;
        prefix_ = std::move(other.prefix_);
        code_ = other.code_;
        other.code_ = nullptr;
    }
    return *this;
}

Regex::~Regex() {
    pcre2_code_free(asCode(code_));
    pcre2_code_free(asCode(anchored_.load()));
}

void* Regex::anchoredCode() const {
    void* existing = anchored_.load(std::memory_order_acquire);
    if (existing != nullptr) {
        return existing;
    }
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    void* made = compile(pattern_, caseInsensitive_, PCRE2_ANCHORED | PCRE2_ENDANCHORED, errorCode, errorOffset);
    if (made == nullptr) {
        // Cannot happen for a pattern that compiled unanchored; the caller then
        // anchors at match time instead.
        return nullptr;
    }
    // Two threads may race to make it; the loser frees its copy.
    if (!anchored_.compare_exchange_strong(existing, made, std::memory_order_acq_rel)) {
        pcre2_code_free(asCode(made));
        return existing;
    }
    return made;
}

const std::string& Regex::pattern() const { return pattern_; }

Regex::Outcome Regex::run(std::string_view subject, bool whole) const {
    if (code_ == nullptr) {
        // Only a moved-from object gets here; it matches nothing.
        return Outcome::NoMatch;
    }
    if (!prefix_.empty() && !whole) {
        // What PCRE2 would answer, an invalid subject included.
        const bool match = subject.starts_with(prefix_) && utf8::is_valid(subject.begin(), subject.end());
        return match ? Outcome::Match : Outcome::NoMatch;
    }
    Scratch& s = scratch();
    void* code = code_;
    uint32_t options = 0;
    if (whole) {
        code = anchoredCode();
        if (code == nullptr) {
            // Anchoring at match time makes PCRE2 use its interpreter, which
            // honours the same match, depth and heap limits as the JIT.
            code = code_;
            options = PCRE2_ANCHORED | PCRE2_ENDANCHORED;
        }
    }
    // The UTF check stays on: subjects come straight from documents, and an invalid
    // sequence must end as "no match", never as undefined behaviour.
    int rc = pcre2_match(asCode(code), bytesOf(subject), subject.size(), 0, options, s.matchData(), s.context());
    if (rc >= 0) {
        return Outcome::Match;
    }
    if (rc == PCRE2_ERROR_NOMATCH || isUtfError(rc)) {
        return Outcome::NoMatch;
    }
    // Match, depth, heap and JIT stack limits, or memory exhaustion: the answer is unknown.
    return Outcome::LimitExceeded;
}

Regex::Outcome Regex::searchOutcome(std::string_view subject) const { return run(subject, false); }

bool Regex::search(std::string_view subject) const { return run(subject, false) == Outcome::Match; }

Regex::Outcome Regex::fullMatchOutcome(std::string_view subject) const { return run(subject, true); }

bool Regex::fullMatch(std::string_view subject) const { return run(subject, true) == Outcome::Match; }

std::string Regex::replaceAll(std::string_view subject, std::string_view replacement) const {
    if (code_ == nullptr || !utf8::is_valid(subject.begin(), subject.end())) {
        return std::string(subject);
    }
    const uint32_t options = PCRE2_SUBSTITUTE_GLOBAL | PCRE2_SUBSTITUTE_OVERFLOW_LENGTH | PCRE2_SUBSTITUTE_UNSET_EMPTY;
    std::string output(subject.size() + replacement.size() + 64, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        PCRE2_SIZE length = output.size();
        int rc = pcre2_substitute(asCode(code_), bytesOf(subject), subject.size(), 0, options, nullptr,
                                  scratch().context(), bytesOf(replacement), replacement.size(),
                                  reinterpret_cast<PCRE2_UCHAR*>(output.data()), &length);
        if (rc >= 0) {
            output.resize(length);
            return output;
        }
        if (rc == PCRE2_ERROR_NOMEMORY && attempt == 0 && length > output.size()) {
            // The first pass measured the exact size needed (including the terminator).
            output.assign(length, '\0');
            continue;
        }
        if (rc == PCRE2_ERROR_NOMATCH) {
            return std::string(subject);
        }
        if (rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT || rc == PCRE2_ERROR_HEAPLIMIT ||
            rc == PCRE2_ERROR_JIT_STACKLIMIT || rc == PCRE2_ERROR_NOMEMORY) {
            return std::string(subject);
        }
        // The subject was validated above, so a UTF error concerns the replacement.
        throw RegexError(fmt::format("Invalid replacement \"{}\" for regular expression \"{}\": {}", replacement,
                                     pattern_, errorText(rc)));
    }
    return std::string(subject);
}

}  // namespace zephalon
