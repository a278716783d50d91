#pragma once

#include <cstdint>

namespace zephalon {

// A source position. JSON positions are 1-based line and byte column of a token's first byte; YAML positions are
// 0-based. A field of -1 means unknown.
struct Pos {
    std::int32_t line = -1;
    std::int32_t column = -1;

    // A position counts as unknown while either field is negative.
    bool known() const { return line >= 0 && column >= 0; }

    friend bool operator==(const Pos&, const Pos&) = default;
};

}  // namespace zephalon
