// UTF-8 and Punycode for the host-name and e-mail checks.
#include <utf8.h>

#include <cstdint>
#include <iterator>
#include <limits>

#include "validators_internal.h"

namespace zephalon::validators_detail {

std::optional<std::u32string> decodeUtf8(std::string_view text) {
    // utfcpp refuses overlong forms, surrogates and values above U+10FFFF, so the conversion after the check cannot
    // meet a malformed sequence.
    if (utf8::find_invalid(text.begin(), text.end()) != text.end()) {
        return std::nullopt;
    }
    std::u32string out;
    out.reserve(text.size());
    utf8::unchecked::utf8to32(text.begin(), text.end(), std::back_inserter(out));
    return out;
}

void appendUtf8(std::string& out, char32_t cp) {
    // Unchecked: every caller passes a code point it decoded or range-checked itself.
    utf8::unchecked::append(static_cast<std::uint32_t>(cp), std::back_inserter(out));
}

namespace {

constexpr std::uint32_t base = 36;
constexpr std::uint32_t tMin = 1;
constexpr std::uint32_t tMax = 26;
constexpr std::uint32_t skew = 38;
constexpr std::uint32_t damp = 700;
constexpr std::uint32_t initialBias = 72;
constexpr std::uint32_t initialN = 0x80;

std::uint32_t adapt(std::uint32_t delta, std::uint32_t numPoints, bool firstTime) {
    delta = firstTime ? delta / damp : delta / 2;
    delta += delta / numPoints;
    std::uint32_t k = 0;
    while (delta > ((base - tMin) * tMax) / 2) {
        delta /= base - tMin;
        k += base;
    }
    return k + (base - tMin + 1) * delta / (delta + skew);
}

int digitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0' + 26;
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a';
    }
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    return -1;
}

char digitChar(std::uint32_t d) { return static_cast<char>(d < 26 ? 'a' + d : '0' + (d - 26)); }

constexpr std::uint32_t maxValue = std::numeric_limits<std::uint32_t>::max();

}  // namespace

std::optional<std::u32string> punycodeDecode(std::string_view input) {
    std::u32string output;
    std::size_t basicEnd = input.rfind('-');
    std::size_t pos = 0;
    if (basicEnd != std::string_view::npos) {
        for (std::size_t i = 0; i < basicEnd; ++i) {
            auto c = static_cast<unsigned char>(input[i]);
            if (c >= 0x80) {
                return std::nullopt;
            }
            output.push_back(c);
        }
        pos = basicEnd + 1;
    }
    std::uint32_t n = initialN;
    std::uint32_t i = 0;
    std::uint32_t bias = initialBias;
    while (pos < input.size()) {
        std::uint32_t oldI = i;
        std::uint32_t w = 1;
        for (std::uint32_t k = base;; k += base) {
            if (pos >= input.size()) {
                return std::nullopt;
            }
            int digit = digitValue(input[pos++]);
            if (digit < 0) {
                return std::nullopt;
            }
            auto d = static_cast<std::uint32_t>(digit);
            if (d > (maxValue - i) / w) {
                return std::nullopt;
            }
            i += d * w;
            std::uint32_t t = k <= bias ? tMin : (k >= bias + tMax ? tMax : k - bias);
            if (d < t) {
                break;
            }
            if (w > maxValue / (base - t)) {
                return std::nullopt;
            }
            w *= base - t;
        }
        auto count = static_cast<std::uint32_t>(output.size() + 1);
        bias = adapt(i - oldI, count, oldI == 0);
        if (i / count > maxValue - n) {
            return std::nullopt;
        }
        n += i / count;
        i %= count;
        if (n > 0x10FFFF || (n >= 0xD800 && n <= 0xDFFF) || n < initialN) {
            return std::nullopt;
        }
        output.insert(output.begin() + i, static_cast<char32_t>(n));
        ++i;
    }
    return output;
}

std::optional<std::string> punycodeEncode(std::u32string_view input) {
    std::string output;
    for (char32_t c : input) {
        if (c < 0x80) {
            output.push_back(static_cast<char>(c));
        }
    }
    auto basicCount = static_cast<std::uint32_t>(output.size());
    std::uint32_t handled = basicCount;
    if (basicCount > 0) {
        output.push_back('-');
    }
    std::uint32_t n = initialN;
    std::uint32_t delta = 0;
    std::uint32_t bias = initialBias;
    while (handled < input.size()) {
        std::uint32_t m = maxValue;
        for (char32_t c : input) {
            if (c >= n && c < m) {
                m = c;
            }
        }
        if (m - n > (maxValue - delta) / (handled + 1)) {
            return std::nullopt;
        }
        delta += (m - n) * (handled + 1);
        n = m;
        for (char32_t c : input) {
            if (c < n && ++delta == 0) {
                return std::nullopt;
            }
            if (c == n) {
                std::uint32_t q = delta;
                for (std::uint32_t k = base;; k += base) {
                    std::uint32_t t = k <= bias ? tMin : (k >= bias + tMax ? tMax : k - bias);
                    if (q < t) {
                        break;
                    }
                    output.push_back(digitChar(t + (q - t) % (base - t)));
                    q = (q - t) / (base - t);
                }
                output.push_back(digitChar(q));
                bias = adapt(delta, handled + 1, handled == basicCount);
                delta = 0;
                ++handled;
            }
        }
        ++delta;
        ++n;
    }
    return output;
}

}  // namespace zephalon::validators_detail
