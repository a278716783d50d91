// Patterns and subjects straight from the fuzzer: "<pattern>\0<subject>". Any
// pattern must either compile or raise RegexError, and matching must end
// without crashing, whatever the bytes, and answer the same with the pattern in
// a group.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "zephalon/foundation/regex.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const std::string_view pattern = input.substr(0, split);
    const std::string_view subject = split == std::string_view::npos ? input : input.substr(split + 1);
    const bool caseless = !pattern.empty() && (static_cast<unsigned char>(pattern[0]) & 1) != 0;
    try {
        const zephalon::Regex re(pattern, caseless);
        const auto outcome = re.searchOutcome(subject);
        const bool full = re.fullMatch(subject);
        // A full match is also a match somewhere, unless the search ran out of budget.
        if (full && outcome == zephalon::Regex::Outcome::NoMatch) {
            __builtin_trap();
        }
        // Some patterns ("^x-") are searched without the engine; in a group the same pattern is not, and must answer
        // alike. (A group does not compile around every pattern that compiles alone, "\\Qa" for one.)
        try {
            const zephalon::Regex grouped("(?:" + std::string(pattern) + ")", caseless);
            const auto groupedOutcome = grouped.searchOutcome(subject);
            if (outcome != zephalon::Regex::Outcome::LimitExceeded &&
                groupedOutcome != zephalon::Regex::Outcome::LimitExceeded && groupedOutcome != outcome) {
                __builtin_trap();
            }
        } catch (const zephalon::RegexError&) {
        }
        try {
            (void)re.replaceAll(subject, "<$0>");
        } catch (const zephalon::RegexError&) {
        }
    } catch (const zephalon::RegexError&) {
    }
    return 0;
}
