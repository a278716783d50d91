#pragma once

#include <memory>
#include <ostream>
#include <string_view>

#include "report.h"

namespace zephalon::openapi_diff {

// Writes a finished report to an output stream in one text format.
class BasicFormatter {
  public:
    explicit BasicFormatter(std::ostream& out) : out_(out) {}
    BasicFormatter(const BasicFormatter&) = delete;
    BasicFormatter& operator=(const BasicFormatter&) = delete;
    virtual ~BasicFormatter();

    // A formatter reads the report of its own kind; another kind of report raises std::bad_cast.
    virtual void format(const Report& report) = 0;

  protected:
    std::ostream& out() const { return out_; }

  private:
    std::ostream& out_;
};

// The formatter for a report name ("status", "changelog", "detailed") in a format ("html", "json", "markdown",
// "stylish", "unix", "visualstudio"). Throws std::runtime_error "Invalid formatter (<formatter>) or report
// (<report>) name" for any other pair.
std::unique_ptr<BasicFormatter> createFormatter(std::string_view report, std::string_view formatter, std::ostream& out);

}  // namespace zephalon::openapi_diff
