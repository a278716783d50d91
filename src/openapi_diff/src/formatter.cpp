#include "formatter.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <stdexcept>

#include "formatters/status_formatters.h"
#include "unavailable.h"

namespace zephalon::openapi_diff {
namespace {

constexpr std::array<std::string_view, 3> kReports{"status", "changelog", "detailed"};
constexpr std::array<std::string_view, 6> kFormatters{"html", "json", "markdown", "stylish", "unix", "visualstudio"};

bool isOneOf(std::string_view name, const auto& names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

BasicFormatter::~BasicFormatter() = default;

std::unique_ptr<BasicFormatter> createFormatter(std::string_view report, std::string_view formatter,
                                                std::ostream& out) {
    if (report == "status") {
        if (formatter == "json") return std::make_unique<JSONStatusFormatter>(out);
        if (formatter == "stylish") return std::make_unique<StylishStatusFormatter>(out);
        if (formatter == "unix") return std::make_unique<UnixStatusFormatter>(out);
        if (formatter == "visualstudio") return std::make_unique<VisualStudioStatusFormatter>(out);
    }
    if (isOneOf(report, kReports) && isOneOf(formatter, kFormatters)) throw ReportUnavailableError(report, formatter);
    throw std::runtime_error(fmt::format("Invalid formatter ({}) or report ({}) name", formatter, report));
}

}  // namespace zephalon::openapi_diff
