// Feeds arbitrary text to JVPointer::assign and the pattern matcher. An accepted pointer must give back its text;
// escaping and parsing must round-trip for any token list.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "zephalon/jv/pointer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zephalon::jv;
    using zephalon::fuzz::require;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        JVPointer p(text);
        require(p.string() == text);
        if (!p.empty()) require(p.parent().compare(p) < 0);
    } catch (const JVPointerError&) {
    }

    // Any split into tokens survives escaping and parsing.
    JVPointer tokens(split(text, '\n'));
    JVPointer back(tokens.string());
    require(back == tokens);
    require(back.compare(tokens) == 0 && back.hash() == tokens.hash());

    std::size_t half = size / 2;
    jpointerMatch(text.substr(0, half), text.substr(half));
    return 0;
}
