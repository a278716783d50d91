#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
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

// A number in decimal, in a buffer that holds any 64-bit value.
struct Decimal {
    char digits[24];
    std::size_t size;

    explicit Decimal(std::int64_t value)
        : size(static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr - digits)) {}
    std::string_view view() const { return {digits, size}; }
};

// Writes one line of the report into room made for it at the end of the text, which it trims to what it wrote when
// done. A report has a line per finding: this keeps clear of a growth check for every piece.
class Line {
  public:
    Line(std::string& text, std::size_t room) : text_(text) {
        const std::size_t start = text.size();
        text.resize(start + room);
        at_ = text.data() + start;
    }
    ~Line() { text_.resize(static_cast<std::size_t>(at_ - text_.data())); }
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    void put(std::string_view piece) {
        std::memcpy(at_, piece.data(), piece.size());
        at_ += piece.size();
    }
    void pad(std::size_t length, std::size_t width) {
        if (length >= width) return;
        std::memset(at_, ' ', width - length);
        at_ += width - length;
    }
    // Pads by characters, not bytes, so that messages quoting non-ASCII text stay aligned.
    void putPaddedRight(std::string_view text, std::size_t length, std::size_t width) {
        put(text);
        pad(length, width);
    }

  private:
    std::string& text_;
    char* at_;
};

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
            const std::string_view color = issue.severity() == Severity::Error ? kRed : kYellow;
            const std::string_view severity = severityToString(issue.severity());
            // The most the line can take: every text at full length, and padding as if none of it counted.
            const std::size_t room = 2 + kDim.size() + widths.line + 1 + widths.column + 2 + color.size() +
                                     widths.severity + kReset.size() + 2 + issue.message().size() + widths.message + 2 +
                                     kDim.size() + issue.ruleId().size() + widths.ruleId + 1;
            {
                Line line(text, room);
                line.put("  ");
                if (issue.hasPos()) {
                    // "line:column", the line aligned right and the column left within their widths.
                    const Decimal lineText(issue.line());
                    const Decimal columnText(issue.column());
                    line.put(kDim);
                    line.pad(lineText.size, widths.line);
                    line.put(lineText.view());
                    line.put(":");
                    line.putPaddedRight(columnText.view(), columnText.size, widths.column);
                }
                line.put("  ");
                line.put(color);
                line.putPaddedRight(severity, severity.size(), widths.severity);
                line.put(kReset);
                line.put("  ");
                line.putPaddedRight(issue.message(), lengths[i].message, widths.message);
                line.put("  ");
                line.put(kDim);
                line.putPaddedRight(issue.ruleId(), lengths[i].ruleId, widths.ruleId);
                line.put("\n");
            }
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
