// Feeds arbitrary bytes to the format checks, the URI and URI-template parsers,
// base64 and the ECMAScript pattern translator. None may crash; parsed values
// must round-trip, and every translated pattern must either compile or be
// refused with RegexError.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "zephalon/foundation/base64.h"
#include "zephalon/foundation/ecmascript_regex.h"
#include "zephalon/foundation/uri.h"
#include "zephalon/foundation/uri_template.h"
#include "zephalon/foundation/validators.h"

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zephalon;
    std::string_view text(reinterpret_cast<const char*>(data), size);

    (void)isValidDateTime(text);
    (void)isValidDate(text);
    (void)isValidTime(text);
    (void)isValidDuration(text);
    (void)isValidHostname(text);
    (void)isValidIdnHostname(text);
    (void)isValidIPv4(text);
    (void)isValidIPv6(text);
    (void)isValidUuid(text);
    (void)isValidJsonPointer(text);
    (void)isValidRelativeJsonPointer(text);
    (void)isValidIri(text);
    (void)isValidIriReference(text);
    (void)isValidEmail(text);
    (void)isValidIdnEmail(text);
    (void)isValidMediaType(text);
    (void)isValidLanguage(text);

    if (auto uri = Uri::tryParse(text)) {
        check(uri->toString() == text);
        check(isValidUriReference(text));
        check(isValidUri(text) == uri->isAbsolute());
        (void)uri->normalized();
        (void)Uri::parse("https://example.com/a/b?c").resolve(*uri);
    }

    if (auto parsed = UriTemplate::tryParse(text)) {
        std::map<std::string, UriTemplate::Value, std::less<>> vars;
        for (const std::string& name : parsed->variableNames()) {
            vars.emplace(name, std::string(text.substr(0, 8)));
        }
        std::string expanded = parsed->expand(vars);
        check(expanded.find_first_of("{}") == std::string::npos);
    }

    auto decoded = decodeBase64(text);
    if (decoded.data) {
        check(encodeBase64(*decoded.data) == text);
    } else {
        check(!decoded.error.empty() && decoded.errorOffset <= text.size());
    }
    check(decodeBase64(encodeBase64(text)).data == std::string(text));

    try {
        Regex re = createEcmaScriptRegex(text);
        (void)re.search(text);
    } catch (const RegexError&) {
    }
    return 0;
}
