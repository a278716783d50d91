#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

namespace zephalon::terminal {

// Colour numbers for TermColorSetter: 0-99 are plain colours, add `bold` for the
// bold variant and `dim` for the dim one (so `bold + red` is bold red).
inline constexpr int32_t black = 0;
inline constexpr int32_t red = 1;
inline constexpr int32_t green = 2;
inline constexpr int32_t yellow = 3;
inline constexpr int32_t blue = 4;
inline constexpr int32_t magenta = 5;
inline constexpr int32_t cyan = 6;
inline constexpr int32_t white = 7;
inline constexpr int32_t bold = 100;
inline constexpr int32_t dim = 200;
inline constexpr int32_t unset = -1;

// Writes the ANSI select-graphic-rendition sequence for a foreground and a
// background colour; with neither set it writes the reset sequence.
class TermColorSetter {
  public:
    constexpr TermColorSetter() = default;
    constexpr explicit TermColorSetter(int32_t foreground, int32_t background = unset)
        : foreground(foreground), background(background) {}

    // The escape sequence as text.
    std::string sequence() const;
    // Writes the escape sequence to `out`.
    void apply(std::ostream& out) const;

    int32_t foreground = unset;
    int32_t background = unset;
};

std::ostream& operator<<(std::ostream& out, const TermColorSetter& setter);

}  // namespace zephalon::terminal
