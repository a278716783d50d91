#include "zephalon/foundation/term_color.h"

#include <fmt/format.h>

#include <ostream>

namespace zephalon::terminal {

namespace {

// "0;", "1;" or "2;" (normal, bold, dim) followed by base plus the colour number.
std::string part(int64_t colour, int64_t base) {
    // 64-bit arithmetic: a huge colour value must not overflow.
    int weight = 0;
    if (colour >= dim) {
        weight = 2;
        colour -= dim;
    } else if (colour >= bold) {
        weight = 1;
        colour -= bold;
    }
    return fmt::format("{};{}", weight, base + colour);
}

}  // namespace

std::string TermColorSetter::sequence() const {
    // Any negative number counts as "not set", not just -1.
    const bool hasForeground = foreground >= 0;
    const bool hasBackground = background >= 0;
    std::string text = "\x1b[";
    if (!hasForeground && !hasBackground) {
        text += "0";
    }
    if (hasForeground) {
        text += part(foreground, 30);
    }
    if (hasBackground) {
        if (hasForeground) {
            text += ";";
        }
        text += part(background, 40);
    }
    text += "m";
    return text;
}

void TermColorSetter::apply(std::ostream& out) const { out << sequence(); }

std::ostream& operator<<(std::ostream& out, const TermColorSetter& setter) {
    setter.apply(out);
    return out;
}

}  // namespace zephalon::terminal
