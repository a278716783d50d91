#pragma once

// Exact JSON numbers.
//
// A Number keeps what the source text says. The kind of a parsed number follows from its significant digits
// (leading and trailing zeros do not count, so equal texts get equal kinds):
//   * an integer text of at most 20 significant digits that fits 64 bits: Long when negative, ULong otherwise;
//   * a text with a fraction or an exponent and at most 20 significant digits: Double, when the double stands
//     for exactly that decimal (its shortest form reads as the same value: no overflow to infinity, no
//     underflow to 0, no lost digit);
//   * everything else: Dynamic, 1000 bits of precision.
// Arithmetic results follow the rules at the operators.
//
// Layout: one tag word followed by an 8-byte payload, so sizeof(Number) == 16. A Dynamic value owns one heap
// block (the 1000-bit binary value plus the decimal text it was read from, when it was read from text); the
// three other kinds never allocate.
//
// Exactness of Dynamic values:
//   * Arithmetic, comparison and hashing work on the binary value, correctly rounded at 1000 bits (about 301
//     significant decimal digits); the multiple-of test uses the exact decimals when both sides have one.
//   * A Dynamic value read from text also keeps its exact decimal value (the significant digits and a decimal
//     exponent). `string()` writes that decimal value, so reading and writing a document gives back exactly the
//     number that was read, whatever its length, with redundant zeros removed ("2.50000000000000000000001000"
//     is written as "2.50000000000000000000001"). Arithmetic results have no source text and are written
//     with the fewest significant digits that read back to the same 1000-bit value.
//   * The 1000-bit layer spans decimal exponents up to about +-1.388e18. A text whose value lies beyond that
//     range (or whose exponent exceeds kMaxDecimalExponent) is rejected as "Invalid number format" rather than
//     silently turned into infinity or zero; every finite value the layer can compute writes a readable text.
//   * `string()` writes a Dynamic value positionally when its decimal exponent lies within
//     +-kPositionalExponentLimit and in exponent form ("1.5e+999999999") beyond, so a short text with a huge
//     exponent never expands into a huge output. Parsing and writing are linear in the length of the text.

#include <fmt/format.h>

#include <compare>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zephalon::number {

// The syntax checker for number text. Grammar: an optional sign ("-" or "+"); one or more digits (leading zeros
// accepted); optionally "." and one or more digits; optionally "e" or "E", an optional sign and one or more
// digits; nothing after. The checker only records where the parts are; it does not convert.
class NumberParser {
  public:
    enum Status : int {
        Valid = 0,
        EmptyString = 1,                  // ""
        ExpectedSignOrDigit = 2,          // "x", ".5"
        ExpectedDigit = 3,                // "-", "-x", "1e+", "1e-x"
        NoIntegralDigits = 4,             // "-.5"
        InvalidFormat = 5,                // (not raised by the syntax check; used for values out of range)
        NoFractionalDigits = 6,           // "1.", "1.e5", "1.x"
        ExpectedExponentSign = 7,         // "1e" (text ends after the exponent mark)
        ExpectedExponentSignOrDigit = 8,  // "1ex"
        ExpectedEndOfString = 9,          // "1x", "1.5.5", "01 "
    };

    NumberParser() = default;
    NumberParser(const char* text, std::size_t length) { check(text, length); }
    explicit NumberParser(std::string_view text) { check(text.data(), text.size()); }

    // Runs the check and fills the fields below; returns the status.
    int check(const char* text, std::size_t length);

    bool valid() const { return status == Valid; }
    std::string_view message() const { return message(status); }
    // The message of a status code ("" for Valid).
    static std::string_view message(int status);

    int status = EmptyString;
    bool negative = false;
    const char* intBegin = nullptr;
    const char* intEnd = nullptr;
    const char* fracBegin = nullptr;  // both null when there is no fraction
    const char* fracEnd = nullptr;
    bool expNegative = false;
    const char* expBegin = nullptr;  // both null when there is no exponent
    const char* expEnd = nullptr;
};

struct DynamicValue;  // the heap part of a Dynamic number (private to the module)

// An exact JSON number; see the top of this file.
class Number {
  public:
    enum class Type : std::uint8_t { Long = 1, ULong = 2, Double = 3, Dynamic = 4 };

    // Largest magnitude of a decimal exponent (of the leading digit) the parser considers; it lies beyond the
    // range of the 1000-bit layer, which decides acceptance in the end.
    static constexpr std::int64_t kMaxDecimalExponent = 2'000'000'000'000'000'000LL;  // 2e18
    // Dynamic values whose leading digit's decimal exponent lies within +-this limit are written positionally.
    static constexpr std::int64_t kPositionalExponentLimit = 1000;

    Number() noexcept : type_(Type::Long), long_(0) {}
    template <std::signed_integral T>
    requires(!std::same_as<T, bool>) Number(T value)
    noexcept : type_(Type::Long), long_(static_cast<std::int64_t>(value)) {}
    template <std::unsigned_integral T>
    requires(!std::same_as<T, bool>) Number(T value)
    noexcept : type_(Type::ULong), ulong_(static_cast<std::uint64_t>(value)) {}
    Number(double value) noexcept : type_(Type::Double), double_(value) {}
    Number(float value) noexcept : Number(static_cast<double>(value)) {}
    // Parse the text; raise std::runtime_error with the parser's message when it is not a number.
    explicit Number(std::string_view text);
    explicit Number(const std::string& text) : Number(std::string_view(text)) {}
    explicit Number(const char* text) : Number(std::string_view(text)) {}

    Number(const Number& other);
    Number(Number&& other) noexcept : type_(other.type_), ulong_(other.ulong_) { other.type_ = Type::Long; }
    Number& operator=(const Number& other);
    Number& operator=(Number&& other) noexcept;
    ~Number() {
        if (type_ == Type::Dynamic) destroyDynamic();
    }

    // Parses a number; empty when the text is not one. Never throws for bad input.
    static std::optional<Number> parse(const char* text, std::size_t length);
    static std::optional<Number> parse(std::string_view text) { return parse(text.data(), text.size()); }
    // Like parse, and also stores the parser status (NumberParser::Status, Valid on success) in *status.
    static std::optional<Number> parse(std::string_view text, int* status);

    Type type() const noexcept { return type_; }
    bool isLong() const noexcept { return type_ == Type::Long; }
    bool isULong() const noexcept { return type_ == Type::ULong; }
    bool isDouble() const noexcept { return type_ == Type::Double; }
    bool isDynamic() const noexcept { return type_ == Type::Dynamic; }
    // "Long", "ULong", "Double" or "Dynamic".
    static std::string_view typeName(Type type);

    // Arithmetic. Integer operations that would overflow continue at 1000 bits as Dynamic; an operation with a
    // Dynamic side is done at 1000 bits; otherwise an operation with a Double side is done in binary64.
    // Integer division and remainder truncate. A zero divisor in an integer division or remainder raises
    // std::domain_error "Division by zero".
    Number& operator+=(const Number& rhs);
    Number& operator-=(const Number& rhs);
    Number& operator*=(const Number& rhs);
    Number& operator/=(const Number& rhs);
    Number& operator%=(const Number& rhs);
    Number operator+() const { return *this; }
    Number operator-() const;

    friend Number operator+(Number lhs, const Number& rhs) { return lhs += rhs; }
    friend Number operator-(Number lhs, const Number& rhs) { return lhs -= rhs; }
    friend Number operator*(Number lhs, const Number& rhs) { return lhs *= rhs; }
    friend Number operator/(Number lhs, const Number& rhs) { return lhs /= rhs; }
    friend Number operator%(Number lhs, const Number& rhs) { return lhs %= rhs; }

    bool isInteger() const;   // integral value of any kind (a Double or Dynamic without fractional part)
    bool isFloat() const;     // a Double, or a finite Dynamic value with a fractional part
    bool isNaN() const;       // never for the integer kinds
    bool isInfinity() const;  // never for the integer kinds
    // Whether this value is an integral multiple of the divisor. Integer kinds use the integer remainder; a
    // Double side is judged on the decimal values the doubles stand for (so 0.3 is a multiple of 0.1), a
    // Dynamic side at 1000 bits. A zero divisor raises std::domain_error "Division by zero".
    bool isMultipleOf(const Number& divisor) const;
    explicit operator bool() const;  // true for any non-zero value and for NaN

    // -1, 0 or 1 for less, equal, greater by mathematical value across kinds; 2 when this is NaN, -2 when only
    // the operand is NaN.
    int compare(const Number& other) const;
    friend bool operator==(const Number& a, const Number& b) { return a.compare(b) == 0; }
    friend std::partial_ordering operator<=>(const Number& a, const Number& b) {
        int c = a.compare(b);
        if (c == 2 || c == -2) return std::partial_ordering::unordered;
        return c < 0 ? std::partial_ordering::less
                     : (c > 0 ? std::partial_ordering::greater : std::partial_ordering::equivalent);
    }

    // toLong/toULong: a Long or ULong gives its 64 bits; an integral Double or Dynamic within the target's range
    // gives its value; anything else raises std::runtime_error "Cannot cast double to long" (Double) or
    // "Cannot cast dynamic number to long" (Dynamic).
    std::int64_t toLong() const;
    std::uint64_t toULong() const;
    double toDouble() const;  // exact for a Double, rounded to nearest otherwise

    // The text form used by the writers. precision 0: integers in decimal, doubles in the shortest form that
    // reads back to the same double (100, 0.1, 1e+20), Dynamic values exactly as described at the top of the
    // file. precision p > 0 rounds a Dynamic value to p+1 significant digits.
    std::string string(unsigned precision = 0) const;
    // Appends the text form to `out` (no temporary string for the integer and double kinds).
    void appendTo(std::string& out, unsigned precision = 0) const;

    // Equal values hash alike across kinds (1, 1.0 and a Dynamic 1 included).
    std::size_t hash() const;
    // A diagnostic text naming the storage kind and its contents.
    std::string dump() const;

    // Raw payload access for callers that switched on type(); the kind must match.
    std::int64_t longValue() const noexcept { return long_; }
    std::uint64_t ulongValue() const noexcept { return ulong_; }
    double doubleValue() const noexcept { return double_; }
    const DynamicValue* dynamicValue() const noexcept { return dynamic_; }

  private:
    explicit Number(DynamicValue* value) noexcept : type_(Type::Dynamic), dynamic_(value) {}
    void destroyDynamic() noexcept;
    void setDynamic(DynamicValue* value) noexcept;  // takes ownership, releases any previous Dynamic
    friend struct NumberOps;

    Type type_;
    union {
        std::int64_t long_;
        std::uint64_t ulong_;
        double double_;
        DynamicValue* dynamic_;
    };
};

}  // namespace zephalon::number

template <>
struct std::hash<zephalon::number::Number> {
    std::size_t operator()(const zephalon::number::Number& n) const { return n.hash(); }
};

template <>
struct fmt::formatter<zephalon::number::Number> : fmt::formatter<std::string_view> {
    template <typename FormatContext>
    auto format(const zephalon::number::Number& n, FormatContext& ctx) const {
        return fmt::formatter<std::string_view>::format(n.string(), ctx);
    }
};
