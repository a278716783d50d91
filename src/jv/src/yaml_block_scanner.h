#pragma once

// Reads the layout most YAML documents are written in, several times faster than libyaml: block mappings and
// sequences (compact and indentless ones included), plain and quoted scalars over one or more lines, literal and
// folded block scalars, flow collections on one line, comments and empty lines, and one optional "---" line at the
// start, in UTF-8 with LF line ends and no tabs. Its events are those libyaml gives for the same text, positions
// included.
//
// It gives up (BlockScanGaveUp) on anything else, including every text libyaml refuses: anchors, aliases, tags,
// flow collections and keys over more than one line, explicit indentation of block scalars, complex keys,
// directives, more than one document, CR line ends, tabs. The caller then reads the text with libyaml, whose words
// describe any fault. Events already sent before it gives up are to be thrown away.

#include <string_view>

#include "yaml_events.h"

namespace zephalon::jv::detail {

struct BlockScanGaveUp {};

void scanBlockYaml(std::string_view text, YamlEventSink& sink);

}  // namespace zephalon::jv::detail
