#include <cfloat>
#include <charconv>
#include <cmath>
#include <memory>
#include <stdexcept>

#include "dynamic.h"
#include "zephalon/number/number.h"

namespace zephalon::number {

namespace {

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A fixed buffer for the short digit strings of the double path, so that path never allocates.
struct SmallDigits {
    char data[32];
    std::size_t size = 0;
    bool overflow = false;
    void push_back(char c) {
        if (size < sizeof(data)) {
            data[size++] = c;
        } else {
            overflow = true;
        }
    }
    bool operator==(const SmallDigits& other) const {
        return !overflow && !other.overflow && size == other.size &&
               std::char_traits<char>::compare(data, other.data, size) == 0;
    }
};

// Whether a double converted from a checked text stands for exactly the decimal value of that text: not
// overflowed to infinity, not underflowed to 0, and no digit lost. Up to 15 significant digits a normal double
// always reads back, so only longer or subnormal cases pay for the comparison with the shortest form.
bool doubleHoldsText(const NumberParser& parser, double d) {
    SmallDigits source;
    std::int64_t sourceExp = 0;
    if (!normalizeDecimal(parser, source, sourceExp)) return false;
    if (source.size == 0) return true;  // the text is a zero
    if (d == 0 || !std::isfinite(d)) return false;
    if (source.size <= 15 && std::fabs(d) >= DBL_MIN) return true;

    char buffer[40];
    // The shortest digits that read back, always in scientific form: the plain form of a large double would
    // spell out its binary value ("79494346709152370688" for 7.949434670915237e+19).
    auto result = std::to_chars(buffer, buffer + sizeof(buffer), d, std::chars_format::scientific);
    NumberParser shortest(buffer, static_cast<std::size_t>(result.ptr - buffer));
    if (!shortest.valid()) return false;
    SmallDigits back;
    std::int64_t backExp = 0;
    normalizeDecimal(shortest, back, backExp);
    return back == source && backExp == sourceExp;
}

// The mantissa digits from the first to the last non-zero one. Leading and trailing zeros carry no precision, so
// they must not push a plain double onto the slow path, and equal values ("2.5", "2.50000000000000000000000")
// must get the same kind so that a value and its written form compare equal.
std::size_t significantDigits(const NumberParser& parser) {
    const char* ib = parser.intBegin;
    const char* ie = parser.intEnd;
    const char* fb = parser.fracBegin ? parser.fracBegin : parser.intEnd;
    const char* fe = parser.fracBegin ? parser.fracEnd : parser.intEnd;
    while (ib < ie && *ib == '0') ++ib;
    if (ib == ie) {
        while (fb < fe && *fb == '0') ++fb;
    }
    while (fe > fb && fe[-1] == '0') --fe;
    if (fe == fb) {
        while (ie > ib && ie[-1] == '0') --ie;
    }
    return static_cast<std::size_t>(ie - ib) + static_cast<std::size_t>(fe - fb);
}

}  // namespace

int NumberParser::check(const char* text, std::size_t length) {
    *this = NumberParser{};
    const char* p = text;
    const char* end = text + length;
    if (p == end) return status = EmptyString;
    if (*p == '-' || *p == '+') {
        negative = *p == '-';
        ++p;
        if (p == end) return status = ExpectedDigit;
        if (*p == '.') return status = NoIntegralDigits;
        if (!isDigit(*p)) return status = ExpectedDigit;
    } else if (!isDigit(*p)) {
        return status = ExpectedSignOrDigit;
    }
    intBegin = p;
    while (p < end && isDigit(*p)) ++p;
    intEnd = p;
    if (p < end && *p == '.') {
        ++p;
        if (p == end || !isDigit(*p)) return status = NoFractionalDigits;
        fracBegin = p;
        while (p < end && isDigit(*p)) ++p;
        fracEnd = p;
    }
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p == end) return status = ExpectedExponentSign;
        if (*p == '+' || *p == '-') {
            expNegative = *p == '-';
            ++p;
            if (p == end || !isDigit(*p)) return status = ExpectedDigit;
        } else if (!isDigit(*p)) {
            return status = ExpectedExponentSignOrDigit;
        }
        expBegin = p;
        while (p < end && isDigit(*p)) ++p;
        expEnd = p;
    }
    if (p != end) return status = ExpectedEndOfString;
    return status = Valid;
}

std::string_view NumberParser::message(int status) {
    switch (status) {
        case Valid:
            return "";
        case EmptyString:
            return "empty string";
        case ExpectedSignOrDigit:
            return "Invalid number format - expected sign or digit";
        case ExpectedDigit:
            return "Invalid number format - expected digit";
        case NoIntegralDigits:
            return "Invalid number format - no integral digits found";
        case NoFractionalDigits:
            return "Invalid number format - no fractional digits found";
        case ExpectedExponentSign:
            return "Invalid number format - expected exponent sign";
        case ExpectedExponentSignOrDigit:
            return "Invalid number format - expected exponent sign or digit";
        case ExpectedEndOfString:
            return "Invalid number format - expected end of string";
        default:
            return "Invalid number format";
    }
}

std::int64_t exponentValue(const NumberParser& parser) {
    if (parser.expBegin == nullptr) return 0;
    std::int64_t value = 0;
    for (const char* p = parser.expBegin; p < parser.expEnd; ++p) {
        if (value >= kExponentSaturation / 10 || (value = value * 10 + (*p - '0')) >= kExponentSaturation) {
            value = kExponentSaturation;
            break;
        }
    }
    return parser.expNegative ? -value : value;
}

std::optional<Number> Number::parse(const char* text, std::size_t length) {
    int status = 0;
    return parse(std::string_view(text, length), &status);
}

std::optional<Number> Number::parse(std::string_view text, int* status) {
    NumberParser parser(text);
    *status = parser.status;
    if (!parser.valid()) return std::nullopt;

    std::size_t intLen = static_cast<std::size_t>(parser.intEnd - parser.intBegin);
    std::size_t fracLen = parser.fracBegin ? static_cast<std::size_t>(parser.fracEnd - parser.fracBegin) : 0;
    if (significantDigits(parser) <= 20) {
        if (parser.fracBegin == nullptr && parser.expBegin == nullptr) {
            std::uint64_t magnitude = 0;
            bool overflow = false;
            for (const char* p = parser.intBegin; p < parser.intEnd; ++p) {
                overflow |= __builtin_mul_overflow(magnitude, 10u, &magnitude);
                overflow |= __builtin_add_overflow(magnitude, static_cast<unsigned>(*p - '0'), &magnitude);
            }
            if (!overflow) {
                if (!parser.negative) return Number(magnitude);
                if (magnitude <= (std::uint64_t{1} << 63)) return Number(static_cast<std::int64_t>(0 - magnitude));
            }
            // Beyond the 64-bit range: exact as Dynamic below rather than saturated.
        } else {
            const char* begin = text.data();
            if (*begin == '+') ++begin;  // from_chars takes no plus sign
            double d = 0;
            auto [end, ec] = std::from_chars(begin, text.data() + text.size(), d, std::chars_format::general);
            if (ec == std::errc() && end == text.data() + text.size() && doubleHoldsText(parser, d)) return Number(d);
            // Overflow, underflow or lost digits: kept exactly as Dynamic below.
        }
    }

    auto value = std::make_unique<DynamicValue>();
    value->hasDecimal = true;
    value->negative = parser.negative;
    value->digits.reserve(intLen + fracLen);
    if (!normalizeDecimal(parser, value->digits, value->exp10)) {
        *status = NumberParser::InvalidFormat;
        return std::nullopt;
    }
    if (value->digits.empty()) {
        mpfr_set_zero(value->value.get(), parser.negative ? -1 : 1);
    } else {
        std::string conversion;
        conversion.reserve(value->digits.size() + 32);
        if (parser.negative) conversion += '-';
        conversion += "0.";
        conversion += value->digits;
        fmt::format_to(std::back_inserter(conversion), "e{}", value->exp10);
        // Beyond the exponent range of the 1000-bit layer the value would become infinity or zero.
        if (!value->value.setDecimal(conversion.c_str()) || !mpfr_regular_p(value->value.get())) {
            *status = NumberParser::InvalidFormat;
            return std::nullopt;
        }
    }
    return Number(value.release());
}

Number::Number(std::string_view text) : Number() {
    int status = 0;
    std::optional<Number> parsed = parse(text, &status);
    if (!parsed) throw std::runtime_error(std::string(NumberParser::message(status)));
    *this = std::move(*parsed);
}

}  // namespace zephalon::number
