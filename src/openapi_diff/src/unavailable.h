#pragma once

#include <stdexcept>
#include <string_view>

namespace zephalon::openapi_diff {

// Raised for a report, or a report in a format, that this build does not contain yet, so that its users learn the
// output is missing rather than that they asked for something wrong.
class ReportUnavailableError : public std::runtime_error {
  public:
    explicit ReportUnavailableError(std::string_view report);
    ReportUnavailableError(std::string_view report, std::string_view formatter);
};

}  // namespace zephalon::openapi_diff
