// Feeds arbitrary bytes to the number parser. The input is split at the first '|' into two texts; every text
// that parses must write back to a text that parses to an equal number with an equal hash, and arithmetic,
// comparison and the multiple-of test between the two must neither crash nor break those rules.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

#include "zephalon/number/number.h"

using zephalon::number::Number;

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// A number read from text writes back to a text that reads as an equal number.
void roundTrip(const Number& n) {
    std::string text = n.string();
    if (n.isNaN() || n.isInfinity()) return;
    auto back = Number::parse(text);
    check(back.has_value());
    check(back->compare(n) == 0);
    check(back->hash() == n.hash());
    if (n) check(back->string() == text);  // "-0" reads back as the integer 0
    if (n.type() == Number::Type::Dynamic) (void)n.string(7);
}

// A computed value is written with the fewest digits that identify it at its own precision; the text it reads
// back as must then be stable.
void computedText(const Number& n) {
    std::string text = n.string();
    if (n.isNaN() || n.isInfinity()) return;
    auto back = Number::parse(text);
    check(back.has_value());
    roundTrip(*back);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096) return 0;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t bar = input.find('|');
    std::string_view first = input.substr(0, bar);

    auto a = Number::parse(first);
    if (!a) return 0;
    roundTrip(*a);
    check(a->compare(*a) == 0 || a->isNaN());
    (void)a->isInteger();
    (void)a->isFloat();
    (void)a->dump();
    (void)a->toDouble();
    check((-(-*a)).compare(*a) == 0);
    if (bar == std::string_view::npos) return 0;

    auto b = Number::parse(input.substr(bar + 1));
    if (!b) return 0;
    int ab = a->compare(*b);
    int ba = b->compare(*a);
    check(ab == -ba);
    if (ab == 0) check(a->hash() == b->hash());

    for (int op = 0; op < 5; ++op) {
        Number r = *a;
        try {
            switch (op) {
                case 0:
                    r += *b;
                    break;
                case 1:
                    r -= *b;
                    break;
                case 2:
                    r *= *b;
                    break;
                case 3:
                    r /= *b;
                    break;
                case 4:
                    r %= *b;
                    break;
            }
        } catch (const std::domain_error&) {
            check(!static_cast<bool>(*b));  // only a zero divisor may refuse
            continue;
        }
        computedText(r);
    }
    try {
        (void)a->isMultipleOf(*b);
    } catch (const std::domain_error&) {
        check(!static_cast<bool>(*b));
    }
    return 0;
}
