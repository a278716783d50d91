#include "bf.h"

#include <cstdlib>
#include <new>

namespace zephalon::number {

namespace {

long gLiveValues = 0;

void acquireContext() {
    if (gLiveValues++ == 0) {
        // Decimal exponents up to Number::kMaxDecimalExponent must not overflow to infinity or underflow to 0.
        mpfr_set_emin(mpfr_get_emin_min());
        mpfr_set_emax(mpfr_get_emax_max());
    }
}

void releaseContext() {
    if (--gLiveValues == 0) mpfr_free_cache();
}

}  // namespace

bf_t::bf_t() {
    acquireContext();
    mpfr_init2(value_, kBfPrecision);
    mpfr_set_zero(value_, 1);
}

bf_t::bf_t(std::int64_t value) : bf_t() { mpfr_set_si(value_, static_cast<long>(value), kBfRounding); }

bf_t::bf_t(std::uint64_t value) : bf_t() { mpfr_set_ui(value_, static_cast<unsigned long>(value), kBfRounding); }

bf_t::bf_t(double value) : bf_t() { mpfr_set_d(value_, value, kBfRounding); }

bf_t::bf_t(const bf_t& other) : bf_t() { mpfr_set(value_, other.value_, kBfRounding); }

bf_t& bf_t::operator=(const bf_t& other) {
    if (this != &other) mpfr_set(value_, other.value_, kBfRounding);
    return *this;
}

bf_t::~bf_t() {
    mpfr_clear(value_);
    releaseContext();
}

bool bf_t::setDecimal(const char* text) {
    char* end = nullptr;
    mpfr_strtofr(value_, text, &end, 10, kBfRounding);
    return end != text && *end == '\0';
}

long bf_t::liveCount() { return gLiveValues; }

void bfAdd(bf_t& r, const bf_t& a, const bf_t& b) { mpfr_add(r.get(), a.get(), b.get(), kBfRounding); }
void bfSub(bf_t& r, const bf_t& a, const bf_t& b) { mpfr_sub(r.get(), a.get(), b.get(), kBfRounding); }
void bfMul(bf_t& r, const bf_t& a, const bf_t& b) { mpfr_mul(r.get(), a.get(), b.get(), kBfRounding); }
void bfDiv(bf_t& r, const bf_t& a, const bf_t& b) { mpfr_div(r.get(), a.get(), b.get(), kBfRounding); }
void bfRem(bf_t& r, const bf_t& a, const bf_t& b) { mpfr_fmod(r.get(), a.get(), b.get(), kBfRounding); }

int bfCmp(const bf_t& a, const bf_t& b) {
    int c = mpfr_cmp(a.get(), b.get());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

namespace {

// Digits of `a` rounded to n significant digits, trailing zeros removed.
void decimalDigits(const bf_t& a, std::size_t n, std::string& digits, std::int64_t& exp10) {
    mpfr_exp_t e = 0;
    char* s = mpfr_get_str(nullptr, &e, 10, n, a.get(), kBfRounding);
    if (s == nullptr) throw std::bad_alloc();
    const char* p = s;
    if (*p == '-') ++p;
    digits.assign(p);
    mpfr_free_str(s);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    exp10 = static_cast<std::int64_t>(e);
}

bool readsBack(const bf_t& a, const std::string& digits, std::int64_t exp10, bf_t& scratch) {
    std::string text = "0.";
    text += digits;
    text += 'e';
    text += std::to_string(exp10);
    scratch.setDecimal(text.c_str());
    return mpfr_cmpabs(scratch.get(), a.get()) == 0;
}

}  // namespace

void bfToDecimal(const bf_t& a, std::size_t ndigits, std::string& digits, std::int64_t& exp10) {
    if (ndigits != 0) {
        // MPFR asks for at least two digits; callers never need fewer.
        decimalDigits(a, ndigits < 2 ? 2 : ndigits, digits, exp10);
        return;
    }
    // Reading back is monotonic in the digit count, so the fewest digits are found by bisection.
    std::size_t hi = mpfr_get_str_ndigits(10, kBfPrecision);
    std::size_t lo = 1;
    bf_t scratch;
    std::string best;
    std::int64_t bestExp = 0;
    decimalDigits(a, hi, best, bestExp);
    while (lo < hi) {
        std::size_t mid = lo + (hi - lo) / 2;
        std::string d;
        std::int64_t e = 0;
        decimalDigits(a, mid < 2 ? 2 : mid, d, e);
        if (readsBack(a, d, e, scratch)) {
            hi = mid;
            best = std::move(d);
            bestExp = e;
        } else {
            lo = mid + 1;
        }
    }
    digits = std::move(best);
    exp10 = bestExp;
}

}  // namespace zephalon::number
