#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <ostream>

#include "formatters.h"
#include "zephalon/foundation/strings.h"
#include "zephalon/foundation/term_color.h"
#include "zephalon/openapi_lint/context.h"

namespace zephalon::openapi_lint {

namespace {

const std::string kDim = terminal::TermColorSetter(terminal::dim + terminal::white).sequence();
const std::string kRed = terminal::TermColorSetter(terminal::red).sequence();
const std::string kYellow = terminal::TermColorSetter(terminal::yellow).sequence();
const std::string kReset = terminal::TermColorSetter().sequence();

// The character counts of one finding's padded texts: counted once, used to find the column widths and to pad.
struct Lengths {
    std::size_t message = 0;
    std::size_t ruleId = 0;
};

// Pads by characters, not bytes, so that messages quoting non-ASCII text stay aligned.
void appendPaddedRight(std::string& out, std::string_view text, std::size_t length, std::size_t width) {
    out += text;
    if (length < width) out.append(width - length, ' ');
}

// A number in decimal, in a buffer that holds any 64-bit value.
struct Decimal {
    char digits[24];
    std::size_t size;

    explicit Decimal(std::int64_t value)
        : size(static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr - digits)) {}
    std::string_view view() const { return {digits, size}; }
};

// "line:column", the line aligned right and the column left within their widths (a report has one per finding, so
// this stays clear of format-string parsing).
void appendPosition(std::string& out, std::int64_t line, std::size_t lineWidth, std::int64_t column,
                    std::size_t columnWidth) {
    const Decimal lineText(line);
    const Decimal columnText(column);
    if (lineText.size < lineWidth) out.append(lineWidth - lineText.size, ' ');
    out += lineText.view();
    out += ':';
    appendPaddedRight(out, columnText.view(), columnText.size, columnWidth);
}

// The width of the widest of a set of numbers, which is its smallest or its largest: only those two are written out.
struct NumberSpan {
    std::int64_t low = INT64_MAX;
    std::int64_t high = INT64_MIN;

    void add(std::int64_t value) {
        low = std::min(low, value);
        high = std::max(high, value);
    }
    std::size_t width() const { return low > high ? 0 : std::max(Decimal(low).size, Decimal(high).size); }
};

struct Widths {
    std::size_t line = 0;
    std::size_t column = 0;
    std::size_t severity = 5;
    std::size_t message = 0;
    std::size_t ruleId = 0;
};

Widths measure(const Issues& issues, const std::vector<std::size_t>& indices, std::vector<Lengths>& lengths) {
    Widths widths;
    lengths.clear();
    NumberSpan lines;
    NumberSpan columns;
    for (std::size_t index : indices) {
        const Issue& issue = issues[index];
        if (issue.hasPos()) {
            lines.add(issue.line());
            columns.add(issue.column());
        }
        if (issue.severity() == Severity::Warning) widths.severity = 7;
        const Lengths counted{utf8Length(issue.message()), utf8Length(issue.ruleId())};
        widths.message = std::max(widths.message, counted.message);
        widths.ruleId = std::max(widths.ruleId, counted.ruleId);
        lengths.push_back(counted);
    }
    widths.line = lines.width();
    widths.column = columns.width();
    return widths;
}

// A report of many findings is written in pieces of about this size instead of being held whole.
constexpr std::size_t kChunkBytes = 1 << 20;

}  // namespace

void StylishFormatter::format(const Context& context) {
    const Result& result = context.result();
    const Issues& issues = result.issues();
    std::string text;
    std::vector<Lengths> lengths;
    for (const auto& [file, indices] : sortIssues(result)) {
        text += file;
        text += '\n';
        const Widths widths = measure(issues, indices, lengths);
        for (std::size_t i = 0; i < indices.size(); ++i) {
            const Issue& issue = issues[indices[i]];
            text += "  ";
            if (issue.hasPos()) {
                text += kDim;
                appendPosition(text, issue.line(), widths.line, issue.column(), widths.column);
            }
            text += "  ";
            text += issue.severity() == Severity::Error ? kRed : kYellow;
            const std::string_view severity = severityToString(issue.severity());
            appendPaddedRight(text, severity, severity.size(), widths.severity);
            text += kReset;
            text += "  ";
            appendPaddedRight(text, issue.message(), lengths[i].message, widths.message);
            text += "  ";
            text += kDim;
            appendPaddedRight(text, issue.ruleId(), lengths[i].ruleId, widths.ruleId);
            text += '\n';
            if (text.size() >= kChunkBytes) {
                out() << text;
                text.clear();
            }
        }
    }
    if (!issues.empty()) {
        fmt::format_to(std::back_inserter(text), "\n  {}{} issues ({} errors, {} warnings)\n", kReset, issues.size(),
                       result.errorCount(), result.warningCount());
        if (result.fixableErrorCount() + result.fixableWarningCount() != 0) {
            fmt::format_to(std::back_inserter(text), "  {} errors, {} warnings are potentially auto-fixable\n",
                           result.fixableErrorCount(), result.fixableWarningCount());
        }
    }
    out() << text;
}

}  // namespace zephalon::openapi_lint
