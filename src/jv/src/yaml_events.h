#pragma once

// The events of a YAML stream as the YAML reader's tree builder takes them, whichever parser produced them: libyaml,
// or the block scanner (yaml_block_scanner.h) for the texts it reads.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zephalon::jv::detail {

// 0-based, the column counted in characters, as libyaml counts.
struct YamlMark {
    std::size_t line = 0;
    std::size_t column = 0;
};

struct YamlEvent {
    enum class Type : std::uint8_t {
        DocumentStart,
        StreamEnd,
        Scalar,
        Alias,
        SequenceStart,
        MappingStart,
        SequenceEnd,
        MappingEnd,
        // Stream start, document end: nothing for the builder to do.
        Other,
    };
    // Whether a tag makes a scalar a string: "!!str" or the non-specific "!".
    enum class Tag : std::uint8_t { None, String, Other };

    Type type = Type::Other;
    // A scalar written without quotes or block indicator.
    bool plain = false;
    Tag tag = Tag::None;
    // A scalar's value, an alias's anchor name; valid until the next event.
    std::string_view text;
    // The anchor a scalar or collection defines, empty when none.
    std::string_view anchor;
    YamlMark start;
};

class YamlEventSink {
  public:
    virtual void event(const YamlEvent& event) = 0;

  protected:
    ~YamlEventSink() = default;
};

}  // namespace zephalon::jv::detail
