#pragma once

// The heap part of a Dynamic number and the decimal helpers shared by the parser and the formatter.

#include <cstddef>
#include <cstdint>
#include <string>

#include "bf.h"
#include "zephalon/number/number.h"

namespace zephalon::number {

struct DynamicValue {
    bf_t value;
    // The exact decimal value the number was read from, kept so that writing gives back what was read even
    // beyond the 1000 bits of `value`. Arithmetic results have none.
    bool hasDecimal = false;
    bool negative = false;
    std::string digits;      // significant digits, without leading or trailing zeros; empty for zero
    std::int64_t exp10 = 0;  // the value is 0.<digits> x 10^exp10
};

// Exponent magnitudes at or above this are reported as such (the parser rejects them anyway).
inline constexpr std::int64_t kExponentSaturation = 4'000'000'000'000'000'000LL;  // 4e18

// The exponent digits of a checked text as a signed value, saturated at +-kExponentSaturation.
std::int64_t exponentValue(const NumberParser& parser);

// Appends the significant digits of a checked text to `out` (no leading or trailing zeros) and sets exp10 so the
// value's magnitude is 0.<digits> x 10^exp10. Returns false when the decimal exponent exceeds the accepted range.
template <typename Out>
bool normalizeDecimal(const NumberParser& parser, Out& out, std::int64_t& exp10) {
    std::int64_t leadingZeros = 0;
    std::size_t pendingZeros = 0;
    bool seen = false;
    auto feed = [&](const char* begin, const char* end) {
        for (const char* p = begin; p < end; ++p) {
            if (!seen) {
                if (*p == '0') {
                    ++leadingZeros;
                    continue;
                }
                seen = true;
            }
            if (*p == '0') {
                ++pendingZeros;
            } else {
                for (; pendingZeros > 0; --pendingZeros) out.push_back('0');
                out.push_back(*p);
            }
        }
    };
    feed(parser.intBegin, parser.intEnd);
    if (parser.fracBegin != nullptr) feed(parser.fracBegin, parser.fracEnd);
    if (!seen) {
        exp10 = 0;
        return true;
    }
    exp10 = static_cast<std::int64_t>(parser.intEnd - parser.intBegin) - leadingZeros + exponentValue(parser);
    std::int64_t leading = exp10 - 1;
    return leading <= Number::kMaxDecimalExponent && leading >= -Number::kMaxDecimalExponent;
}

// Writes a decimal value (digits as normalizeDecimal gives them) in the text form of the writers: positional
// within +-Number::kPositionalExponentLimit, "d.ddde+X" beyond.
void appendDecimal(std::string& out, bool negative, const char* digits, std::size_t count, std::int64_t exp10);

}  // namespace zephalon::number
