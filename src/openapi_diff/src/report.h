#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "zephalon/openapi_diff/change.h"

namespace zephalon::openapi_diff {

// Receives every finished change of a comparison and keeps what its kind of report needs; every report counts the
// changes per severity and remembers the highest one.
class Report {
  public:
    Report() = default;
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;
    virtual ~Report();

    virtual void add(const Change& change) = 0;

    // Counts a change of that severity.
    void updateStats(ChangeSeverity severity);
    ChangeSeverity highestSeverity() const { return highest_; }
    // All changes counted, or those of one severity.
    std::uint64_t count() const;
    std::uint64_t count(ChangeSeverity severity) const { return counts_[static_cast<std::size_t>(severity)]; }

    // The names of the compared files, when the documents were read from files.
    const std::optional<std::string>& sourceFile() const { return sourceFile_; }
    void setSourceFile(std::string file) { sourceFile_ = std::move(file); }
    const std::optional<std::string>& destFile() const { return destFile_; }
    void setDestFile(std::string file) { destFile_ = std::move(file); }

  private:
    std::optional<std::string> sourceFile_;
    std::optional<std::string> destFile_;
    ChangeSeverity highest_ = ChangeSeverity::none;
    std::array<std::uint64_t, 4> counts_{};
};

// "status", "changelog" or "detailed". Throws std::runtime_error "Result not found: <name>" for any other name.
std::unique_ptr<Report> createReport(std::string_view name);

}  // namespace zephalon::openapi_diff
