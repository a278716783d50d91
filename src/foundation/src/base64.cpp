#include "zephalon/foundation/base64.h"

#include <array>
#include <cstdint>

namespace zephalon {

namespace {

constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<std::int8_t, 256> makeDecodeTable() {
    std::array<std::int8_t, 256> table{};
    for (auto& entry : table) {
        entry = -1;
    }
    for (std::size_t i = 0; i < alphabet.size(); ++i) {
        table[static_cast<unsigned char>(alphabet[i])] = static_cast<std::int8_t>(i);
    }
    return table;
}

constexpr std::array<std::int8_t, 256> decodeTable = makeDecodeTable();

Base64DecodeResult failure(std::size_t offset, std::string message) {
    Base64DecodeResult result;
    result.errorOffset = offset;
    result.error = std::move(message);
    return result;
}

}  // namespace

std::string encodeBase64(std::string_view data) {
    std::string out;
    out.reserve((data.size() + 2) / 3 * 4);
    std::size_t i = 0;
    auto byte = [&](std::size_t k) { return static_cast<std::uint32_t>(static_cast<unsigned char>(data[k])); };
    for (; i + 3 <= data.size(); i += 3) {
        std::uint32_t group = (byte(i) << 16) | (byte(i + 1) << 8) | byte(i + 2);
        out.push_back(alphabet[(group >> 18) & 0x3F]);
        out.push_back(alphabet[(group >> 12) & 0x3F]);
        out.push_back(alphabet[(group >> 6) & 0x3F]);
        out.push_back(alphabet[group & 0x3F]);
    }
    std::size_t rest = data.size() - i;
    if (rest > 0) {
        std::uint32_t group = byte(i) << 16;
        if (rest == 2) {
            group |= byte(i + 1) << 8;
        }
        out.push_back(alphabet[(group >> 18) & 0x3F]);
        out.push_back(alphabet[(group >> 12) & 0x3F]);
        out.push_back(rest == 2 ? alphabet[(group >> 6) & 0x3F] : '=');
        out.push_back('=');
    }
    return out;
}

Base64DecodeResult decodeBase64(std::string_view text) {
    if (text.size() % 4 != 0) {
        return failure(text.size(), "base64 text length is not a multiple of 4");
    }
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        bool lastGroup = i + 4 == text.size();
        std::uint32_t group = 0;
        int padding = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            char c = text[i + k];
            if (c == '=') {
                // Only the last one or two characters of the last group may be padding.
                if (!lastGroup || k < 2) {
                    return failure(i + k, "misplaced '=' padding in base64 text");
                }
                ++padding;
                group <<= 6;
                continue;
            }
            if (padding > 0) {
                return failure(i + k, "base64 data after '=' padding");
            }
            std::int8_t value = decodeTable[static_cast<unsigned char>(c)];
            if (value < 0) {
                return failure(i + k, "invalid character in base64 text");
            }
            group = (group << 6) | static_cast<std::uint32_t>(value);
        }
        // Encoders set the bits that padding leaves over to zero; anything else
        // is not canonical base64.
        if ((padding == 1 && (group & 0xFF) != 0) || (padding == 2 && (group & 0xFFFF) != 0)) {
            return failure(i + 4 - static_cast<std::size_t>(padding) - 1, "non-zero bits before base64 padding");
        }
        out.push_back(static_cast<char>((group >> 16) & 0xFF));
        if (padding < 2) {
            out.push_back(static_cast<char>((group >> 8) & 0xFF));
        }
        if (padding < 1) {
            out.push_back(static_cast<char>(group & 0xFF));
        }
    }
    Base64DecodeResult result;
    result.data = std::move(out);
    return result;
}

}  // namespace zephalon
