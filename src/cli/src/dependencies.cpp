#include "zephalon/cli/dependencies.h"

#include "license_texts.h"

namespace zephalon::cli {

namespace {

// Kept indented like the code around it; `productLicense` strips the indentation.
constexpr const char* kProductLicense = R"(MIT License

        Copyright (c) 2026 The Zephalon developers

        Permission is hereby granted, free of charge, to any person obtaining a copy
        of this software and associated documentation files (the "Software"), to deal
        in the Software without restriction, including without limitation the rights
        to use, copy, modify, merge, publish, distribute, sublicense, and/or sell
        copies of the Software, and to permit persons to whom the Software is
        furnished to do so, subject to the following conditions:

        The above copyright notice and this permission notice shall be included in all
        copies or substantial portions of the Software.

        THE SOFTWARE IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR
        IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY,
        FITNESS FOR A PARTICULAR PURPOSE AND NONINFRINGEMENT. IN NO EVENT SHALL THE
        AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR ANY CLAIM, DAMAGES OR OTHER
        LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING FROM,
        OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS IN THE
        SOFTWARE.
        )";

}  // namespace

const std::vector<Dependency>& get3rdPartyDependencies() {
    namespace text = license_texts;
    static const std::vector<Dependency> dependencies{
        {"uriparser", "https://uriparser.github.io/",
         "A strictly RFC 3986 compliant URI parsing library. Zephalon uses it many places, most notably for "
         "validating URLs.",
         text::uriparser, nullptr},
        {"CLI11", "https://github.com/CLIUtils/CLI11", "command line argument parser.", text::cli11, nullptr},
        {"{fmt}", "https://fmt.dev/", "C++ formatting library.", text::fmt, nullptr},
        {"GoogleTest", "https://github.com/google/googletest",
         "C++ testing and mocking library. Uses for all core modules.", text::googletest, nullptr},
        {"HunSpell", "https://hunspell.github.io/", "C++ spell checking library", text::hunspell_mpl,
         text::hunspell_lgpl},
        {"MPFR", "https://www.mpfr.org/",
         "C library for multiple-precision floating-point computations with correct rounding. Zephalon uses it for "
         "arbitrary precision numbers.",
         text::mpfr, nullptr},
        {"GMP", "https://gmplib.org/", "C library for arbitrary precision arithmetic, the foundation of MPFR.",
         text::gmp, nullptr},
        {"MD4C", "https://github.com/mity/md4c", "C library for parsing and building Markdown documents.", text::md4c,
         nullptr},
        {"entities", "https://github.com/fb55/entities",
         "Encoding and decoding of XML and HTML entities. Zephalon uses its table of HTML named character references "
         "to render Markdown.",
         text::entities, nullptr},
        {"nlohmann-json", "https://github.com/nlohmann/json",
         "JSON for Modern C++. Zephalon uses it as the data model of its templates.", text::nlohmann_json, nullptr},
        {"PCRE2", "https://www.pcre.org/",
         "Perl-compatible regular expression library. Zephalon uses it for all ECMAScript regular expressions.",
         text::pcre2, nullptr},
        {"utfcpp", "https://github.com/nemtrif/utfcpp", "Fast C++ library for iterating over UTF strings.",
         text::utfcpp, nullptr},
        {"jemalloc", "https://jemalloc.net/",
         "A general purpose memory allocator. Zephalon allocates its document trees with it, on huge pages where "
         "the system offers them.",
         text::jemalloc, nullptr},
        {"libyaml", "https://github.com/yaml/libyaml", "A C library for parsing and emitting YAML.", text::libyaml,
         nullptr},
        {"spdx-license-ids", "https://github.com/jslicense/spdx-license-ids",
         "The SPDX license identifiers, version 3.0.24. Zephalon embeds the list to check license identifiers.",
         text::spdx_license_ids, nullptr},
        {"Boost.Beast", "https://www.boost.org/libs/beast/",
         "HTTP on top of Boost.Asio. Zephalon's mock server speaks HTTP/1.1 through it.", text::boost, nullptr},
    };
    return dependencies;
}

std::string productLicense() { return unindent(kProductLicense, 8); }

std::string unindent(std::string_view text, std::size_t width) {
    std::string result;
    result.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t feed = text.find('\n', pos);
        if (feed == std::string_view::npos) {
            result.append(text.substr(pos));
            break;
        }
        result.append(text.substr(pos, feed + 1 - pos));
        pos = feed + 1;
        if (text.size() - pos >= width && text.substr(pos, width).find_first_not_of(' ') == std::string_view::npos) {
            pos += width;
        }
    }
    return result;
}

}  // namespace zephalon::cli
