#include "report.h"

#include <fmt/format.h>

#include <numeric>
#include <stdexcept>

#include "reports/changelog_report.h"
#include "reports/detailed_report.h"
#include "reports/status_report.h"

namespace zephalon::openapi_diff {

Report::~Report() = default;

void Report::updateStats(ChangeSeverity severity) {
    if (severity > highest_) highest_ = severity;
    ++counts_[static_cast<std::size_t>(severity)];
}

std::uint64_t Report::count() const { return std::accumulate(counts_.begin(), counts_.end(), std::uint64_t{0}); }

std::unique_ptr<Report> createReport(std::string_view name) {
    if (name == "status") return std::make_unique<StatusReport>();
    if (name == "changelog") return std::make_unique<ChangelogReport>();
    if (name == "detailed") return std::make_unique<DetailedReport>();
    throw std::runtime_error(fmt::format("Result not found: {}", name));
}

}  // namespace zephalon::openapi_diff
