#include "formatter.h"

#include <fmt/format.h>

#include <stdexcept>

#include "formatters/changelog_formatters.h"
#include "formatters/details_formatters.h"
#include "formatters/status_formatters.h"

namespace zephalon::openapi_diff {
namespace {

// The formatters of one report, one per family.
template <class HTML, class JSON, class Markdown, class Stylish, class Unix, class VisualStudio>
std::unique_ptr<BasicFormatter> family(std::string_view formatter, std::ostream& out) {
    if (formatter == "html") return std::make_unique<HTML>(out);
    if (formatter == "json") return std::make_unique<JSON>(out);
    if (formatter == "markdown") return std::make_unique<Markdown>(out);
    if (formatter == "stylish") return std::make_unique<Stylish>(out);
    if (formatter == "unix") return std::make_unique<Unix>(out);
    if (formatter == "visualstudio") return std::make_unique<VisualStudio>(out);
    return nullptr;
}

}  // namespace

BasicFormatter::~BasicFormatter() = default;

std::unique_ptr<BasicFormatter> createFormatter(std::string_view report, std::string_view formatter,
                                                std::ostream& out) {
    std::unique_ptr<BasicFormatter> created;
    if (report == "status") {
        created = family<HTMLStatusFormatter, JSONStatusFormatter, MarkdownStatusFormatter, StylishStatusFormatter,
                         UnixStatusFormatter, VisualStudioStatusFormatter>(formatter, out);
    } else if (report == "changelog") {
        created =
            family<HTMLChangelogFormatter, JSONChangelogFormatter, MarkdownChangelogFormatter,
                   StylishChangelogFormatter, UnixChangelogFormatter, VisualStudioChangelogFormatter>(formatter, out);
    } else if (report == "detailed") {
        created = family<HTMLDetailsFormatter, JSONDetailsFormatter, MarkdownDetailsFormatter, StylishDetailsFormatter,
                         UnixDetailsFormatter, VisualStudioDetailsFormatter>(formatter, out);
    }
    if (!created)
        throw std::runtime_error(fmt::format("Invalid formatter ({}) or report ({}) name", formatter, report));
    return created;
}

}  // namespace zephalon::openapi_diff
