// URI, IRI, URI template and regular-expression formats.
#include <string>

#include "validators_internal.h"
#include "zephalon/foundation/ecmascript_regex.h"
#include "zephalon/foundation/uri.h"
#include "zephalon/foundation/uri_template.h"
#include "zephalon/foundation/validators.h"

namespace zephalon {

namespace {

// RFC 3987 maps an IRI to a URI by percent-encoding its non-ASCII characters;
// the IRI is valid when that URI is. Characters an IRI may not contain at all
// (C1 controls, non-characters, bidi formatting) make the text invalid.
std::optional<std::string> iriToUri(std::string_view text) {
    auto codePoints = validators_detail::decodeUtf8(text);
    if (!codePoints) {
        return std::nullopt;
    }
    static constexpr std::string_view hex = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (char32_t cp : *codePoints) {
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
            continue;
        }
        bool forbidden = cp < 0xA0 || (cp >= 0xFDD0 && cp <= 0xFDEF) || (cp & 0xFFFE) == 0xFFFE || cp == 0x200E ||
                         cp == 0x200F || (cp >= 0x202A && cp <= 0x202E);
        if (forbidden) {
            return std::nullopt;
        }
        std::string bytes;
        validators_detail::appendUtf8(bytes, cp);
        for (char byte : bytes) {
            auto b = static_cast<unsigned char>(byte);
            out.push_back('%');
            out.push_back(hex[b >> 4]);
            out.push_back(hex[b & 0xF]);
        }
    }
    return out;
}

}  // namespace

bool isValidUri(std::string_view text) {
    auto uri = Uri::tryParse(text);
    return uri && uri->isAbsolute();
}

bool isValidUriReference(std::string_view text) { return Uri::tryParse(text).has_value(); }

bool isValidIri(std::string_view text) {
    auto uri = iriToUri(text);
    return uri && isValidUri(*uri);
}

bool isValidIriReference(std::string_view text) {
    auto uri = iriToUri(text);
    return uri && isValidUriReference(*uri);
}

bool isValidUriTemplate(std::string_view text) { return UriTemplate::tryParse(text).has_value(); }

bool isValidRegex(std::string_view text) { return isValidEcmaScriptRegex(text); }

}  // namespace zephalon
