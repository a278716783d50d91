#include "zephalon/number/number.h"

#include <gmp.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <memory>
#include <stdexcept>

#include "dynamic.h"

namespace zephalon::number {

namespace {

__extension__ typedef __int128 Int128;
__extension__ typedef unsigned __int128 UInt128;

constexpr std::uint64_t kGolden = 0x9e3779b9;
constexpr double kTwo63 = 9223372036854775808.0;
constexpr double kTwo64 = 18446744073709551616.0;

inline void combine(std::uint64_t& h, std::uint64_t v) { h ^= v + kGolden + (h << 6) + (h >> 2); }

[[noreturn]] void divisionByZero() { throw std::domain_error("Division by zero"); }

// -1, 0, 1 for an integer against a non-NaN double, exactly (no rounding of the integer to binary64).
int compareIntDouble(Int128 x, double d) {
    if (d >= kTwo64) return -1;
    if (d < -kTwo63) return 1;
    double t = std::trunc(d);
    Int128 ti = static_cast<Int128>(t);
    if (x != ti) return x < ti ? -1 : 1;
    double frac = d - t;
    return frac > 0 ? -1 : (frac < 0 ? 1 : 0);
}

std::uint64_t hashDouble(double d) {
    if (std::isnan(d)) return kGolden ^ 0x7ff8000000000000ULL;
    // Integral values hash like the integer kinds so that 1 and 1.0 land in the same bucket.
    if (d == std::trunc(d) && d >= -kTwo63 && d < kTwo64) {
        if (d < 0) return static_cast<std::uint64_t>(static_cast<std::int64_t>(d)) + kGolden;
        return static_cast<std::uint64_t>(d) + kGolden;
    }
    return std::bit_cast<std::uint64_t>(d) + kGolden;
}

// A decimal view of a number for the exact multiple-of test: magnitude = 0.<digits> x 10^exp10.
struct DecimalView {
    std::string storage;
    std::string_view digits;
    std::int64_t exp10 = 0;
};

}  // namespace

// Operations that need the private representation.
struct NumberOps {
    enum class Op { Add, Sub, Mul, Div, Rem };

    static bool isInt(const Number& n) { return n.type_ == Number::Type::Long || n.type_ == Number::Type::ULong; }
    static Int128 intValue(const Number& n) {
        return n.type_ == Number::Type::Long ? Int128{n.long_} : Int128{n.ulong_};
    }

    static bf_t toBf(const Number& n) {
        switch (n.type_) {
            case Number::Type::Long:
                return bf_t(n.long_);
            case Number::Type::ULong:
                return bf_t(n.ulong_);
            case Number::Type::Double:
                return bf_t(n.double_);
            case Number::Type::Dynamic:
                return n.dynamic_->value;
        }
        return bf_t();
    }

    static bf_t fromInt128(Int128 v) {
        bool negative = v < 0;
        UInt128 magnitude = negative ? UInt128{0} - static_cast<UInt128>(v) : static_cast<UInt128>(v);
        bf_t high(static_cast<std::uint64_t>(magnitude >> 64));
        bf_t low(static_cast<std::uint64_t>(magnitude));
        mpfr_mul_2ui(high.get(), high.get(), 64, kBfRounding);
        bfAdd(high, high, low);
        if (negative) mpfr_neg(high.get(), high.get(), kBfRounding);
        return high;
    }

    static void storeDynamic(Number& n, const bf_t& value) {
        if (n.type_ == Number::Type::Dynamic) {
            n.dynamic_->value = value;
            n.dynamic_->hasDecimal = false;
            n.dynamic_->digits.clear();
            return;
        }
        auto dynamic = std::make_unique<DynamicValue>();
        dynamic->value = value;
        n.setDynamic(dynamic.release());
    }

    static void storeInt(Number& n, Int128 r) {
        if (n.type_ == Number::Type::Long && r >= INT64_MIN && r <= INT64_MAX) {
            n.long_ = static_cast<std::int64_t>(r);
        } else if (n.type_ == Number::Type::ULong && r >= 0 && r <= static_cast<Int128>(UINT64_MAX)) {
            n.ulong_ = static_cast<std::uint64_t>(r);
        } else {
            // The result does not fit the kind of the left operand: continue at 1000 bits.
            storeDynamic(n, fromInt128(r));
        }
    }

    static void apply(Number& a, const Number& b, Op op) {
        if (a.type_ == Number::Type::Dynamic || b.type_ == Number::Type::Dynamic) {
            bf_t x = toBf(a);
            bf_t y = toBf(b);
            switch (op) {
                case Op::Add:
                    bfAdd(x, x, y);
                    break;
                case Op::Sub:
                    bfSub(x, x, y);
                    break;
                case Op::Mul:
                    bfMul(x, x, y);
                    break;
                case Op::Div:
                    bfDiv(x, x, y);
                    break;
                case Op::Rem:
                    bfRem(x, x, y);
                    break;
            }
            storeDynamic(a, x);
            return;
        }
        if (a.type_ == Number::Type::Double || b.type_ == Number::Type::Double) {
            double x = a.toDouble();
            double y = b.toDouble();
            double r = 0;
            switch (op) {
                case Op::Add:
                    r = x + y;
                    break;
                case Op::Sub:
                    r = x - y;
                    break;
                case Op::Mul:
                    r = x * y;
                    break;
                case Op::Div:
                    r = x / y;
                    break;
                case Op::Rem:
                    r = std::fmod(x, y);
                    break;
            }
            a.type_ = Number::Type::Double;
            a.double_ = r;
            return;
        }
        Int128 x = intValue(a);
        Int128 y = intValue(b);
        Int128 r = 0;
        switch (op) {
            case Op::Add:
                r = x + y;  // both below 2^64 in magnitude: no overflow in 128 bits
                break;
            case Op::Sub:
                r = x - y;
                break;
            case Op::Mul:
                if (__builtin_mul_overflow(x, y, &r)) {
                    bf_t product = toBf(a);
                    bfMul(product, product, toBf(b));
                    storeDynamic(a, product);
                    return;
                }
                break;
            case Op::Div:
                if (y == 0) divisionByZero();
                r = x / y;
                break;
            case Op::Rem:
                if (y == 0) divisionByZero();
                r = x % y;
                break;
        }
        storeInt(a, r);
    }

    static Number negate(const Number& n) {
        switch (n.type_) {
            case Number::Type::Long:
                if (n.long_ == INT64_MIN) return Number(std::uint64_t{1} << 63);
                return Number(-n.long_);
            case Number::Type::ULong:
                if (n.ulong_ <= (std::uint64_t{1} << 63)) return Number(static_cast<std::int64_t>(0 - n.ulong_));
                {
                    Number r;
                    storeDynamic(r, fromInt128(-static_cast<Int128>(n.ulong_)));
                    return r;
                }
            case Number::Type::Double:
                return Number(-n.double_);
            case Number::Type::Dynamic: {
                Number r(n);
                mpfr_neg(r.dynamic_->value.get(), r.dynamic_->value.get(), kBfRounding);
                r.dynamic_->negative = !r.dynamic_->negative;
                return r;
            }
        }
        return n;
    }

    static int compare(const Number& a, const Number& b) {
        if (a.isNaN()) return 2;
        if (b.isNaN()) return -2;
        if (a.type_ == Number::Type::Dynamic) return compareDynamic(a.dynamic_->value, b);
        if (b.type_ == Number::Type::Dynamic) return -compareDynamic(b.dynamic_->value, a);
        if (isInt(a) && isInt(b)) {
            Int128 x = intValue(a);
            Int128 y = intValue(b);
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        if (isInt(a)) return compareIntDouble(intValue(a), b.double_);
        if (isInt(b)) return -compareIntDouble(intValue(b), a.double_);
        return a.double_ < b.double_ ? -1 : (a.double_ > b.double_ ? 1 : 0);
    }

    static int compareDynamic(const bf_t& x, const Number& other) {
        int c = 0;
        switch (other.type_) {
            case Number::Type::Long:
                c = mpfr_cmp_si(x.get(), static_cast<long>(other.long_));
                break;
            case Number::Type::ULong:
                c = mpfr_cmp_ui(x.get(), static_cast<unsigned long>(other.ulong_));
                break;
            case Number::Type::Double:
                c = mpfr_cmp_d(x.get(), other.double_);
                break;
            case Number::Type::Dynamic:
                c = mpfr_cmp(x.get(), other.dynamic_->value.get());
                break;
        }
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }

    // The exact decimal a number stands for, when it has one: integers, the shortest text of a double, and the
    // text a Dynamic value was read from.
    static bool decimalView(const Number& n, DecimalView& view) {
        switch (n.type_) {
            case Number::Type::Long:
            case Number::Type::ULong: {
                Int128 v = intValue(n);
                std::uint64_t magnitude = v < 0 ? static_cast<std::uint64_t>(-v) : static_cast<std::uint64_t>(v);
                view.storage = fmt::format("{}", magnitude);
                break;
            }
            case Number::Type::Double:
                view.storage = fmt::format("{}", n.double_);
                break;
            case Number::Type::Dynamic:
                if (!n.dynamic_->hasDecimal) return false;
                view.digits = n.dynamic_->digits;
                view.exp10 = n.dynamic_->exp10;
                return true;
        }
        NumberParser parser(view.storage);
        std::string digits;
        normalizeDecimal(parser, digits, view.exp10);
        view.storage = std::move(digits);
        view.digits = view.storage;
        return true;
    }

    // a / b is an integer, a and b finite decimals, b not zero.
    static bool decimalMultiple(const DecimalView& a, const DecimalView& b) {
        if (a.digits.empty()) return true;
        // a = A x 10^ea, b = B x 10^eb with integers A and B; a / b = (A / B) x 10^s.
        std::int64_t ea = a.exp10 - static_cast<std::int64_t>(a.digits.size());
        std::int64_t eb = b.exp10 - static_cast<std::int64_t>(b.digits.size());
        std::int64_t s = ea - eb;
        if (s < 0 && -s > static_cast<std::int64_t>(a.digits.size())) return false;  // B x 10^-s exceeds A

        mpz_t A, B, t;
        mpz_init_set_str(A, std::string(a.digits).c_str(), 10);
        mpz_init_set_str(B, std::string(b.digits).c_str(), 10);
        mpz_init(t);
        bool multiple = false;
        if (s >= 0) {
            // B | A x 2^s x 5^s: the part of B prime to 10 must divide A, the powers of 2 and 5 are checked
            // by their exponents, so 10^s is never formed.
            mpz_set_ui(t, 2);
            std::int64_t b2 = static_cast<std::int64_t>(mpz_remove(B, B, t));
            mpz_set_ui(t, 5);
            std::int64_t b5 = static_cast<std::int64_t>(mpz_remove(B, B, t));
            if (mpz_divisible_p(A, B)) {
                mpz_set_ui(t, 2);
                std::int64_t a2 = static_cast<std::int64_t>(mpz_remove(A, A, t));
                mpz_set_ui(t, 5);
                std::int64_t a5 = static_cast<std::int64_t>(mpz_remove(A, A, t));
                multiple = a2 + s >= b2 && a5 + s >= b5;
            }
        } else {
            mpz_ui_pow_ui(t, 10, static_cast<unsigned long>(-s));
            mpz_mul(B, B, t);
            multiple = mpz_divisible_p(A, B) != 0;
        }
        mpz_clears(A, B, t, nullptr);
        return multiple;
    }

    static bool isMultipleOf(const Number& a, const Number& b) {
        if (!b.isNaN() && !b) divisionByZero();
        if (a.isNaN() || b.isNaN() || a.isInfinity() || b.isInfinity()) return false;
        if (isInt(a) && isInt(b)) return intValue(a) % intValue(b) == 0;
        DecimalView da;
        DecimalView db;
        if (decimalView(a, da) && decimalView(b, db)) return decimalMultiple(da, db);

        // A computed Dynamic side has no decimal text: judge the quotient at 1000 bits, allowing for the
        // rounding of the division in its last few bits.
        bf_t q = toBf(a);
        bfDiv(q, q, toBf(b));
        if (!mpfr_number_p(q.get())) return false;
        if (mpfr_zero_p(q.get())) return true;
        bf_t nearest;
        mpfr_rint(nearest.get(), q.get(), MPFR_RNDN);
        bfSub(nearest, q, nearest);
        if (mpfr_zero_p(nearest.get())) return true;
        return mpfr_get_exp(nearest.get()) <= mpfr_get_exp(q.get()) - (kBfPrecision - 10);
    }
};

Number::Number(const Number& other) : type_(other.type_), ulong_(other.ulong_) {
    if (type_ == Type::Dynamic) dynamic_ = new DynamicValue(*other.dynamic_);
}

Number& Number::operator=(const Number& other) {
    if (this == &other) return *this;
    if (other.type_ == Type::Dynamic) {
        if (type_ == Type::Dynamic) {
            *dynamic_ = *other.dynamic_;
        } else {
            dynamic_ = new DynamicValue(*other.dynamic_);
            type_ = Type::Dynamic;
        }
        return *this;
    }
    if (type_ == Type::Dynamic) destroyDynamic();
    type_ = other.type_;
    ulong_ = other.ulong_;
    return *this;
}

Number& Number::operator=(Number&& other) noexcept {
    if (this == &other) return *this;
    if (type_ == Type::Dynamic) destroyDynamic();
    type_ = other.type_;
    ulong_ = other.ulong_;
    other.type_ = Type::Long;
    other.long_ = 0;
    return *this;
}

void Number::destroyDynamic() noexcept {
    delete dynamic_;
    type_ = Type::Long;
    long_ = 0;
}

void Number::setDynamic(DynamicValue* value) noexcept {
    if (type_ == Type::Dynamic) delete dynamic_;
    type_ = Type::Dynamic;
    dynamic_ = value;
}

std::string_view Number::typeName(Type type) {
    switch (type) {
        case Type::Long:
            return "Long";
        case Type::ULong:
            return "ULong";
        case Type::Double:
            return "Double";
        case Type::Dynamic:
            return "Dynamic";
    }
    return "";
}

Number& Number::operator+=(const Number& rhs) {
    NumberOps::apply(*this, rhs, NumberOps::Op::Add);
    return *this;
}
Number& Number::operator-=(const Number& rhs) {
    NumberOps::apply(*this, rhs, NumberOps::Op::Sub);
    return *this;
}
Number& Number::operator*=(const Number& rhs) {
    NumberOps::apply(*this, rhs, NumberOps::Op::Mul);
    return *this;
}
Number& Number::operator/=(const Number& rhs) {
    NumberOps::apply(*this, rhs, NumberOps::Op::Div);
    return *this;
}
Number& Number::operator%=(const Number& rhs) {
    NumberOps::apply(*this, rhs, NumberOps::Op::Rem);
    return *this;
}

Number Number::operator-() const { return NumberOps::negate(*this); }

bool Number::isInteger() const {
    switch (type_) {
        case Type::Long:
        case Type::ULong:
            return true;
        case Type::Double:
            return std::isfinite(double_) && double_ == std::trunc(double_);
        case Type::Dynamic:
            if (dynamic_->hasDecimal) {
                // Judged on the text, which may hold a fraction far beyond the 1000 bits of the binary value.
                return dynamic_->digits.empty() ||
                       static_cast<std::int64_t>(dynamic_->digits.size()) <= dynamic_->exp10;
            }
            return mpfr_integer_p(dynamic_->value.get()) != 0;
    }
    return false;
}

bool Number::isFloat() const {
    switch (type_) {
        case Type::Long:
        case Type::ULong:
            return false;
        case Type::Double:
            return true;
        case Type::Dynamic:
            return mpfr_number_p(dynamic_->value.get()) && !isInteger();
    }
    return false;
}

bool Number::isNaN() const {
    if (type_ == Type::Double) return std::isnan(double_);
    if (type_ == Type::Dynamic) return mpfr_nan_p(dynamic_->value.get()) != 0;
    return false;
}

bool Number::isInfinity() const {
    if (type_ == Type::Double) return std::isinf(double_);
    if (type_ == Type::Dynamic) return mpfr_inf_p(dynamic_->value.get()) != 0;
    return false;
}

bool Number::isMultipleOf(const Number& divisor) const { return NumberOps::isMultipleOf(*this, divisor); }

Number::operator bool() const {
    switch (type_) {
        case Type::Long:
            return long_ != 0;
        case Type::ULong:
            return ulong_ != 0;
        case Type::Double:
            return double_ != 0 || std::isnan(double_);
        case Type::Dynamic:
            return mpfr_zero_p(dynamic_->value.get()) == 0;
    }
    return false;
}

int Number::compare(const Number& other) const { return NumberOps::compare(*this, other); }

std::int64_t Number::toLong() const {
    switch (type_) {
        case Type::Long:
            return long_;
        case Type::ULong:
            return static_cast<std::int64_t>(ulong_);
        case Type::Double:
            if (isInteger() && double_ >= -kTwo63 && double_ < kTwo63) return static_cast<std::int64_t>(double_);
            throw std::runtime_error("Cannot cast double to long");
        case Type::Dynamic:
            if (isInteger() && mpfr_fits_slong_p(dynamic_->value.get(), MPFR_RNDZ))
                return static_cast<std::int64_t>(mpfr_get_si(dynamic_->value.get(), MPFR_RNDZ));
            throw std::runtime_error("Cannot cast dynamic number to long");
    }
    return 0;
}

std::uint64_t Number::toULong() const {
    switch (type_) {
        case Type::Long:
            return static_cast<std::uint64_t>(long_);
        case Type::ULong:
            return ulong_;
        case Type::Double:
            if (isInteger() && double_ >= 0 && double_ < kTwo64) return static_cast<std::uint64_t>(double_);
            throw std::runtime_error("Cannot cast double to long");
        case Type::Dynamic:
            if (isInteger() && mpfr_fits_ulong_p(dynamic_->value.get(), MPFR_RNDZ))
                return static_cast<std::uint64_t>(mpfr_get_ui(dynamic_->value.get(), MPFR_RNDZ));
            throw std::runtime_error("Cannot cast dynamic number to long");
    }
    return 0;
}

double Number::toDouble() const {
    switch (type_) {
        case Type::Long:
            return static_cast<double>(long_);
        case Type::ULong:
            return static_cast<double>(ulong_);
        case Type::Double:
            return double_;
        case Type::Dynamic:
            if (dynamic_->hasDecimal && !dynamic_->digits.empty()) {
                // Rounding the decimal directly avoids a second rounding of the already rounded 1000-bit value.
                std::string text;
                text.reserve(dynamic_->digits.size() + 32);
                if (dynamic_->negative) text += '-';
                text += "0.";
                text += dynamic_->digits;
                fmt::format_to(std::back_inserter(text), "e{}", dynamic_->exp10);
                double d = 0;
                auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), d);
                if (ec == std::errc() && end == text.data() + text.size()) return d;
            }
            // Overflow and underflow (and computed values) round the binary value.
            return mpfr_get_d(dynamic_->value.get(), kBfRounding);
    }
    return 0;
}

void appendDecimal(std::string& out, bool negative, const char* digits, std::size_t count, std::int64_t exp10) {
    if (negative) out += '-';
    if (count == 0) {
        out += '0';
        return;
    }
    std::int64_t leading = exp10 - 1;
    if (leading > Number::kPositionalExponentLimit || leading < -Number::kPositionalExponentLimit) {
        out += digits[0];
        if (count > 1) {
            out += '.';
            out.append(digits + 1, count - 1);
        }
        fmt::format_to(std::back_inserter(out), "e{}{}", leading < 0 ? '-' : '+', leading < 0 ? -leading : leading);
        return;
    }
    if (exp10 <= 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-exp10), '0');
        out.append(digits, count);
    } else if (static_cast<std::size_t>(exp10) >= count) {
        out.append(digits, count);
        out.append(static_cast<std::size_t>(exp10) - count, '0');
    } else {
        out.append(digits, static_cast<std::size_t>(exp10));
        out += '.';
        out.append(digits + exp10, count - static_cast<std::size_t>(exp10));
    }
}

void Number::appendTo(std::string& out, unsigned precision) const {
    auto sink = std::back_inserter(out);
    switch (type_) {
        case Type::Long:
            fmt::format_to(sink, "{}", long_);
            return;
        case Type::ULong:
            fmt::format_to(sink, "{}", ulong_);
            return;
        case Type::Double:
            // The shortest form of a negative zero, "-0", would read back as the integer 0 and lose the sign.
            if (double_ == 0 && std::signbit(double_)) {
                out += "-0.0";
                return;
            }
            fmt::format_to(sink, "{}", double_);
            return;
        case Type::Dynamic:
            break;
    }
    const DynamicValue& d = *dynamic_;
    mpfr_srcptr x = d.value.get();
    if (mpfr_nan_p(x)) {
        out += "nan";
        return;
    }
    if (mpfr_inf_p(x)) {
        out += mpfr_signbit(x) ? "-inf" : "inf";
        return;
    }
    if (precision == 0 && d.hasDecimal) {
        appendDecimal(out, d.negative, d.digits.data(), d.digits.size(), d.exp10);
        return;
    }
    if (mpfr_zero_p(x)) {
        appendDecimal(out, mpfr_signbit(x) != 0, "", 0, 0);
        return;
    }
    std::string digits;
    std::int64_t exp10 = 0;
    bfToDecimal(d.value, precision == 0 ? 0 : static_cast<std::size_t>(precision) + 1, digits, exp10);
    appendDecimal(out, mpfr_signbit(x) != 0, digits.data(), digits.size(), exp10);
}

std::string Number::string(unsigned precision) const {
    std::string out;
    appendTo(out, precision);
    return out;
}

std::size_t Number::hash() const {
    switch (type_) {
        case Type::Long:
            return static_cast<std::uint64_t>(long_) + kGolden;
        case Type::ULong:
            return ulong_ + kGolden;
        case Type::Double:
            return hashDouble(double_);
        case Type::Dynamic:
            break;
    }
    mpfr_srcptr x = dynamic_->value.get();
    // Values that another kind can hold hash as that kind does, so equal numbers hash alike.
    if (!mpfr_regular_p(x)) return hashDouble(mpfr_get_d(x, kBfRounding));
    double d = mpfr_get_d(x, kBfRounding);
    if (mpfr_cmp_d(x, d) == 0) return hashDouble(d);
    if (mpfr_integer_p(x)) {
        if (mpfr_fits_slong_p(x, MPFR_RNDZ)) return static_cast<std::uint64_t>(mpfr_get_si(x, MPFR_RNDZ)) + kGolden;
        if (mpfr_fits_ulong_p(x, MPFR_RNDZ)) return static_cast<std::uint64_t>(mpfr_get_ui(x, MPFR_RNDZ)) + kGolden;
    }
    std::uint64_t h = static_cast<std::uint64_t>(Type::Dynamic);
    std::size_t limbs = (static_cast<std::size_t>(mpfr_get_prec(x)) + GMP_NUMB_BITS - 1) / GMP_NUMB_BITS;
    combine(h, mpfr_signbit(x) ? 1 : 0);
    combine(h, static_cast<std::uint64_t>(mpfr_get_exp(x)));
    combine(h, limbs);
    for (std::size_t i = 0; i < limbs; ++i) combine(h, static_cast<std::uint64_t>(x->_mpfr_d[i]));
    return h;
}

std::string Number::dump() const {
    switch (type_) {
        case Type::Long:
            return fmt::format("Storage type: Long\nValue: {}", long_);
        case Type::ULong:
            return fmt::format("Storage type: ULong\nValue: {}", ulong_);
        case Type::Double:
            return fmt::format("Storage type: Double\nValue: {}", double_);
        case Type::Dynamic:
            break;
    }
    mpfr_srcptr x = dynamic_->value.get();
    std::size_t limbs = (static_cast<std::size_t>(mpfr_get_prec(x)) + GMP_NUMB_BITS - 1) / GMP_NUMB_BITS;
    std::string digits;
    if (mpfr_regular_p(x)) {
        for (std::size_t i = limbs; i-- > 0;) {
            if (!digits.empty()) digits += ' ';
            fmt::format_to(std::back_inserter(digits), "{:016x}", static_cast<std::uint64_t>(x->_mpfr_d[i]));
        }
    }
    return fmt::format("Storage type: Dynamic\nSign: {}\nExponent: {}\nMax digits count: {}\nDigits: {}",
                       mpfr_signbit(x) ? 1 : 0, static_cast<long>(x->_mpfr_exp), limbs, digits);
}

}  // namespace zephalon::number
