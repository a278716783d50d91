// Markdown rendering of arbitrary bytes: no crash, and the fragment never carries a brace that Astro would read as an
// expression.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "zephalon/foundation/markdown.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string html = zephalon::markdown::markdownToHtml(text);
    if (html.find_first_of("{}") != std::string::npos) {
        __builtin_trap();
    }
    return 0;
}
