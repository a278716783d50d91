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

// What a line of the report shows of one finding. Gathered in the order the findings were made, which is the order
// they lie in memory: the lines go out in the order of their places, and would otherwise reach into the findings
// (a hundred thousand of them, long out of the cache) in no order at all, once to measure and once to write.
struct Row {
    std::int64_t line;
    std::int64_t column;
    const std::string* message;
    const std::string* ruleId;
    // In characters, which is what the columns are padded by.
    std::size_t messageLength;
    std::size_t ruleIdLength;
    Severity severity;
};

std::vector<Row> gatherRows(const Issues& issues) {
    std::vector<Row> rows;
    rows.reserve(issues.size());
    // Findings share their texts, and come in runs of the same rule and message: a text is counted again only
    // where it changes.
    const Row* previous = nullptr;
    for (const Issue& issue : issues) {
        const std::string& message = issue.message();
        const std::string& ruleId = issue.ruleId();
        rows.push_back(
            Row{issue.line(), issue.column(), &message, &ruleId,
                previous != nullptr && previous->message == &message ? previous->messageLength : utf8Length(message),
                previous != nullptr && previous->ruleId == &ruleId ? previous->ruleIdLength : utf8Length(ruleId),
                issue.severity()});
        previous = &rows.back();
    }
    return rows;
}

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
        const std::size_t size = piece.size();
        // Most pieces are a few bytes (a colour, a number, a separator): copied in two overlapping words rather
        // than by a call for each.
        if (size >= 8 && size <= 16) {
            std::memcpy(at_, piece.data(), 8);
            std::memcpy(at_ + size - 8, piece.data() + size - 8, 8);
        } else if (size >= 4 && size < 8) {
            std::memcpy(at_, piece.data(), 4);
            std::memcpy(at_ + size - 4, piece.data() + size - 4, 4);
        } else if (size < 4) {
            for (std::size_t i = 0; i < size; ++i) at_[i] = piece[i];
        } else {
            std::memcpy(at_, piece.data(), size);
        }
        at_ += size;
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

Widths measure(const std::vector<Row>& rows, const std::vector<std::size_t>& indices) {
    Widths widths;
    NumberSpan lines;
    NumberSpan columns;
    for (std::size_t index : indices) {
        const Row& row = rows[index];
        if (row.line != -1) {
            lines.add(row.line);
            columns.add(row.column);
        }
        if (row.severity == Severity::Warning) widths.severity = 7;
        widths.message = std::max(widths.message, row.messageLength);
        widths.ruleId = std::max(widths.ruleId, row.ruleIdLength);
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
    const std::vector<Row> rows = gatherRows(issues);
    std::string text;
    for (const auto& [file, indices] : sortIssues(result)) {
        text += file;
        text += '\n';
        const Widths widths = measure(rows, indices);
        for (std::size_t index : indices) {
            const Row& row = rows[index];
            const std::string_view color = row.severity == Severity::Error ? kRed : kYellow;
            const std::string_view severity = severityToString(row.severity);
            // The most the line can take: every text at full length, and padding as if none of it counted.
            const std::size_t room = 2 + kDim.size() + widths.line + 1 + widths.column + 2 + color.size() +
                                     widths.severity + kReset.size() + 2 + row.message->size() + widths.message + 2 +
                                     kDim.size() + row.ruleId->size() + widths.ruleId + 1;
            {
                Line line(text, room);
                line.put("  ");
                if (row.line != -1) {
                    // "line:column", the line aligned right and the column left within their widths.
                    const Decimal lineText(row.line);
                    const Decimal columnText(row.column);
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
                line.putPaddedRight(*row.message, row.messageLength, widths.message);
                line.put("  ");
                line.put(kDim);
                line.putPaddedRight(*row.ruleId, row.ruleIdLength, widths.ruleId);
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
