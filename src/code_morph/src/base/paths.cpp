#include "paths.h"

#include <fmt/format.h>

#include <stdexcept>
#include <vector>

#include "zephalon/code_morph/base.h"
#include "zephalon/foundation/strings.h"

namespace zephalon::code_morph::base {
namespace {

bool isAsciiNameByte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '.';
}

// Length of the well-formed UTF-8 sequence of two or more bytes at `at`, or 0 (overlong forms, surrogates and code
// points beyond U+10FFFF are not well-formed).
std::size_t multiByteSequence(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
    }
    return length;
}

}  // namespace

std::string safeFileName(std::string_view name) {
    std::string result;
    result.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (isAsciiNameByte(c)) {
            result += static_cast<char>(c);
            ++i;
        } else if (const std::size_t length = c >= 0x80 ? multiByteSequence(name, i) : 0; length > 0) {
            result.append(name.substr(i, length));
            i += length;
        } else {
            result += '_';
            ++i;
        }
    }
    if (result.empty() || result.front() == '.') result.insert(result.begin(), '_');
    return result;
}

std::optional<std::string> normalizedSourcePath(std::string_view path) {
    if (path.empty() || path.front() == '/') return std::nullopt;
    for (char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '\\') return std::nullopt;
    }
    std::string result;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view segment = path.substr(start, end - start);
        if (segment == "..") return std::nullopt;
        if (!segment.empty() && segment != ".") {
            if (!result.empty()) result += '/';
            result.append(segment);
        }
        start = end + 1;
    }
    if (result.empty()) return std::nullopt;
    return result;
}

std::string normalizeSourcePath(std::string_view path) {
    auto normal = normalizedSourcePath(path);
    if (!normal) throw std::runtime_error(fmt::format("Invalid source file path: {}", toJsonLiteral(path)));
    return std::move(*normal);
}

}  // namespace zephalon::code_morph::base
