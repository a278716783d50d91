#pragma once

// Diagnostics of generators: records, never exceptions, printed in document order.

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "zephalon/jv/pos.h"

namespace zephalon::openapi_generator {

enum class IssueSeverity { Info, Warning, Error, Fatal };

// "Info", "Warning", "Error", "Fatal".
std::string_view issueSeverityToString(IssueSeverity severity);

struct Issue {
    IssueSeverity severity = IssueSeverity::Info;
    std::string message;
    Pos pos;  // in the input document
    // The file `pos` is in when that is another file than the input document (one of a document split over several
    // files); empty otherwise.
    std::string file;

    // The input document's issues first, then by file, line, column and severity.
    friend bool operator<(const Issue& a, const Issue& b);
};

// One line per issue, sorted stably: the position "line:column" and the severity each padded to the widest of
// their column, then the message; warnings in yellow, errors in red, information in white.
void print(const std::vector<Issue>& issues);
void print(const std::vector<Issue>& issues, std::ostream& out);

}  // namespace zephalon::openapi_generator
