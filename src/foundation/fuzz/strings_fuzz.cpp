// String helpers on arbitrary bytes: no crash, and the round trips hold.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "zephalon/foundation/naming_convention.h"
#include "zephalon/foundation/strings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (zephalon::urlDecode(zephalon::urlEncode(text)) != text) {
        __builtin_trap();
    }
    if (zephalon::utf8Length(text) > text.size()) {
        __builtin_trap();
    }
    const std::string tidy = zephalon::trimLines(text);
    if (zephalon::trimLines(tidy) != tidy) {
        __builtin_trap();
    }
    (void)zephalon::urlDecode(text);
    (void)zephalon::toJsonLiteral(text);
    (void)zephalon::toAstroAttribute(text);
    (void)zephalon::indentLines(text, 3);
    for (int c = 1; c <= 6; ++c) {
        const std::string converted = zephalon::toConvention(text, static_cast<zephalon::NamingConvention>(c));
        if (converted.size() > text.size() * 2) {
            __builtin_trap();
        }
    }
    try {
        (void)zephalon::toInt(text);
    } catch (const std::invalid_argument&) {
    } catch (const std::out_of_range&) {
    }
    try {
        (void)zephalon::toUInt(text);
    } catch (const std::invalid_argument&) {
    } catch (const std::out_of_range&) {
    }
    try {
        (void)zephalon::toDouble(text);
    } catch (const std::invalid_argument&) {
    } catch (const std::out_of_range&) {
    }
    return 0;
}
