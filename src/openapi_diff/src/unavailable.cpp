#include "unavailable.h"

#include <fmt/format.h>

namespace zephalon::openapi_diff {

ReportUnavailableError::ReportUnavailableError(std::string_view report)
    : std::runtime_error(fmt::format("The {} report is not available in this build yet.", report)) {}

ReportUnavailableError::ReportUnavailableError(std::string_view report, std::string_view formatter)
    : std::runtime_error(
          fmt::format("The {} report in the {} format is not available in this build yet.", report, formatter)) {}

}  // namespace zephalon::openapi_diff
