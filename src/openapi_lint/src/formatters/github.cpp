#include <fmt/format.h>

#include <ostream>

#include "formatters.h"
#include "report_text.h"
#include "zephalon/openapi_lint/context.h"

namespace zephalon::openapi_lint {

namespace {

// Workflow commands end at a line break and split properties at ":" and ","; these are percent-encoded so that a
// message cannot end the command early or forge another one.
std::string escapeData(std::string_view text, bool property) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '%':
                out += "%25";
                break;
            case '\r':
                out += "%0D";
                break;
            case '\n':
                out += "%0A";
                break;
            case ':':
                out += property ? "%3A" : ":";
                break;
            case ',':
                out += property ? "%2C" : ",";
                break;
            default:
                out += c;
        }
    }
    return out;
}

}  // namespace

void GithubFormatter::format(const Context& context) {
    std::string text;
    for (const auto& [file, indices] : sortIssues(context.result())) {
        const std::string path = escapeData(pathFromWorkingDirectory(file), true);
        for (std::size_t index : indices) {
            const Issue& issue = context.result().issues()[index];
            fmt::format_to(std::back_inserter(text), "::{} file={}", severityToString(issue.severity()), path);
            // Without a position the annotation belongs to the whole file.
            if (issue.hasPos())
                fmt::format_to(std::back_inserter(text), ",line={},col={}", issue.line(), issue.column());
            fmt::format_to(std::back_inserter(text), ",title={}::{}\n", escapeData(issue.ruleId(), true),
                           escapeData(issue.message(), false));
        }
    }
    out() << text;
}

}  // namespace zephalon::openapi_lint
