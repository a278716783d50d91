#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string_view>

#include "zephalon/jv/pos.h"

namespace zephalon::jv::detail {

// The 1-based line and byte column of an offset, counting line ends as the JSON reader's Lines do (LF, CR LF or a
// lone CR). The end of the text is a position too, for faults found there. Used on error paths only, so one scan
// is fine.
inline Pos positionOf(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    std::int64_t line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < offset; ++i) {
        char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (c == '\n' || c == '\r') {
            ++line;
            lineStart = i + 1;
        }
    }
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    return Pos{
        static_cast<std::int32_t>(std::min(line, kMax)),
        static_cast<std::int32_t>(std::min<std::int64_t>(static_cast<std::int64_t>(offset - lineStart) + 1, kMax))};
}

}  // namespace zephalon::jv::detail
