#pragma once

// The YAML reader: a text in, a JVDoc out. The block layout most documents are written in is read by the reader's own
// scanner, several times faster; any other text, and every faulty one, by libyaml. Both give the same tree.
//
// Mappings and sequences get libyaml's 0-based line and column of their start; scalars get no position. Mapping
// keys keep their text whatever their style, and every mapping remembers its source key order. Values are typed
// as follows: quoted and block scalars, and scalars tagged !!str, are strings; a plain "null", "~" or empty value
// is null; a plain "true" or "false" a boolean; a plain scalar that reads as a number (Number::parse) a number;
// anything else a string. So "0x10", "yes" and "1.0.0" stay strings while 1e3 and 007 are numbers.
//
// An alias stands for a deep copy of its anchored node. Anchors become usable once their node is complete, so a
// node cannot contain itself. Aliases may add at most kMaxAliasNodes nodes in all, and nesting, aliases
// included, may reach at most kMaxDepth levels: inputs beyond either limit are refused.
//
// A plain "<<" key merges: its value, a mapping or a list of mappings (usually aliases), lends the enclosing mapping
// every key it does not have itself; among the list's mappings the earlier one wins. Merged keys take the place of
// the "<<" key in the source order. A quoted "<<" is an ordinary key. Any other key that occurs twice in one
// mapping is an error, as YAML requires keys to be unique.

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string_view>

#include "zephalon/jv/jv.h"

namespace zephalon::jv {

class YAMLReader {
  public:
    static constexpr std::size_t kMaxDepth = 1000;
    static constexpr std::size_t kMaxAliasNodes = 1'000'000;

    // Reads one YAML document (a stream without any document gives a null root). Failures raise ReadError with the
    // 1-based position of the fault when there is one and the reason "Failed to parse YAML: " followed by what was
    // wrong: the parser's own description, "invalid UTF-8 at byte N" (0-based), "nesting deeper than 1000 levels",
    // "duplicate key 'k'" and the other refusals.
    std::unique_ptr<JVDoc> read(std::string_view text);
};

std::unique_ptr<JVDoc> readYamlString(std::string_view text);
std::unique_ptr<JVDoc> readYamlStream(std::istream& in);

}  // namespace zephalon::jv
