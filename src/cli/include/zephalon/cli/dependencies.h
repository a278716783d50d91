#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zephalon::cli {

// An open-source library the program is built with, as shown by `credits` and `license`.
struct Dependency {
    const char* name;
    const char* url;  // the project's home page
    const char* description;
    const char* license;   // the full licence text
    const char* license2;  // a second licence text, or null
};

// The libraries the program links, in display order.
const std::vector<Dependency>& get3rdPartyDependencies();

// The program's own licence terms.
std::string productLicense();

// Removes `width` spaces after every line feed followed by at least that many, so a text written indented inside
// source code prints flush left; lines indented by fewer spaces keep their indentation, and so does the first line.
std::string unindent(std::string_view text, std::size_t width);

}  // namespace zephalon::cli
