#pragma once

// What the fuzz targets that start from a document share: the input's first byte chooses how the rest is read and
// what is done with it; a text the value readers refuse is no finding, and the target skips it.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string_view>

#include "zephalon/jv/file_io.h"
#include "zephalon/jv/jv.h"

namespace zephalon::fuzz {

// A fuzz input: its first byte, and the bytes after it.
struct FuzzInput {
    std::uint8_t choice;
    std::string_view text;
};

// Nothing for an empty input.
inline std::optional<FuzzInput> splitInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return std::nullopt;
    return FuzzInput{data[0], std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1)};
}

// YAML when the given bit of the choosing byte is set, else JSON.
inline FileFormat formatOf(std::uint8_t choice, unsigned bit) {
    return ((choice >> bit) & 1U) != 0 ? FileFormat::YAML : FileFormat::JSON;
}

// The value tree of the text, or null when the reader refuses it.
inline std::unique_ptr<jv::JVDoc> readOrSkip(std::string_view text, FileFormat format) {
    try {
        return jv::readString(text, format);
    } catch (const std::exception&) {
        return nullptr;
    }
}

}  // namespace zephalon::fuzz
