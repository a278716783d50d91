#pragma once

#include <string>
#include <string_view>

#include "zephalon/foundation/regex.h"

namespace zephalon {

struct EcmaScriptRegexOptions {
    // The "u" flag: code point escapes "\u{...}" and property escapes "\p{...}"
    // exist, and unknown escapes of letters and digits are errors. JSON Schema
    // patterns are written for this mode.
    bool unicode = true;
    // The "i" flag.
    bool ignoreCase = false;
};

// Rewrites an ECMAScript pattern into the PCRE2 syntax that zephalon::Regex
// compiles, keeping ECMAScript's meaning where the two differ: "\s" includes the
// Unicode spaces, "." stops at every line terminator, "$" only matches at the
// very end, "[^]" matches any character, "\cX", "\u{...}" and long property
// names ("\p{Letter}", "\p{Script=Greek}") are understood. Constructs that are
// not ECMAScript ("(?i)", "(?P<n>...)", "(?#...)", "a++", "\A", "\z" and the
// like) are rejected. Throws RegexError naming the pattern and the offset.
//
// Outside the strict "u" grammar, escaped punctuation ("\-", "\@") and stray
// "{", "}" and "]" are accepted as literals, as browsers do.
std::string translateEcmaScriptRegex(std::string_view pattern, EcmaScriptRegexOptions options = {});

// translateEcmaScriptRegex, then compile. Throws RegexError.
Regex createEcmaScriptRegex(std::string_view pattern, EcmaScriptRegexOptions options = {});

// True when the pattern is valid ECMAScript. This accepts the few valid
// patterns that PCRE2 cannot run (lookbehind of unbounded length), which
// createEcmaScriptRegex rejects.
bool isValidEcmaScriptRegex(std::string_view pattern, EcmaScriptRegexOptions options = {});

}  // namespace zephalon
