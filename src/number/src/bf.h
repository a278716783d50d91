#pragma once

// The arbitrary-precision layer under Dynamic numbers: a thin owner of one MPFR value at a fixed 1000 bits,
// rounding to nearest, ties to even. The first live value sets up the process-wide context (the full exponent
// range, so that decimal exponents far beyond binary64 stay finite); the last one to go releases MPFR's caches.

#include <mpfr.h>

#include <cstdint>
#include <string>

namespace zephalon::number {

inline constexpr mpfr_prec_t kBfPrecision = 1000;
inline constexpr mpfr_rnd_t kBfRounding = MPFR_RNDN;

class bf_t {
  public:
    bf_t();  // +0
    explicit bf_t(std::int64_t value);
    explicit bf_t(std::uint64_t value);
    explicit bf_t(double value);
    bf_t(const bf_t& other);
    bf_t& operator=(const bf_t& other);
    ~bf_t();

    // Sets the value from decimal text ("123e-4" form, no leading sign handled by the caller or included);
    // false when MPFR does not accept the whole text.
    bool setDecimal(const char* text);

    mpfr_ptr get() { return value_; }
    mpfr_srcptr get() const { return value_; }

    static long liveCount();  // number of live values (the context exists while it is non-zero)

  private:
    mpfr_t value_;
};

// Arithmetic at 1000 bits; the result may alias an operand.
void bfAdd(bf_t& r, const bf_t& a, const bf_t& b);
void bfSub(bf_t& r, const bf_t& a, const bf_t& b);
void bfMul(bf_t& r, const bf_t& a, const bf_t& b);
void bfDiv(bf_t& r, const bf_t& a, const bf_t& b);
void bfRem(bf_t& r, const bf_t& a, const bf_t& b);  // truncated remainder, sign of the dividend
int bfCmp(const bf_t& a, const bf_t& b);            // -1, 0, 1; the caller handles NaN first

// Decimal digits of a finite non-zero value: `digits` receives significant digits without trailing zeros and
// `exp10` the exponent such that the value is 0.<digits> x 10^exp10. ndigits 0 asks for the fewest digits that
// read back to the same 1000-bit value.
void bfToDecimal(const bf_t& a, std::size_t ndigits, std::string& digits, std::int64_t& exp10);

}  // namespace zephalon::number
