#pragma once

// "$ref" text within one document: "#" followed by a JSON Pointer as a URI fragment, which the reader decodes and
// the writer encodes.

#include <optional>
#include <string>
#include <string_view>

#include "zephalon/foundation/uri.h"
#include "zephalon/jv/pointer.h"

namespace zephalon::openapi::detail {

// The pointer a reference names in its own document; nothing for a reference elsewhere, or one whose fragment is no
// pointer. Percent-encoding is decoded before the pointer's own escapes ("~0", "~1") are.
inline std::optional<jv::JVPointer> referencePointer(std::string_view ref) {
    if (!ref.starts_with('#')) return std::nullopt;
    try {
        return jv::JVPointer(percentDecode(ref.substr(1)));
    } catch (const jv::JVPointerError&) {
        return std::nullopt;
    }
}

// The reference to escaped pointer text: "%" is encoded, so that decoding gives the pointer back.
inline std::string referenceTo(std::string_view pointerText) {
    std::string ref = "#";
    for (char c : pointerText) {
        if (c == '%') {
            ref += "%25";
        } else {
            ref += c;
        }
    }
    return ref;
}

}  // namespace zephalon::openapi::detail
