#pragma once

#include <vector>

#include "../report.h"

namespace zephalon::openapi_diff {

// Keeps every change, in the order the comparison found them.
class DetailedReport : public Report {
  public:
    void add(const Change& change) override {
        changes_.push_back(change);
        updateStats(change.severity);
    }

    const std::vector<Change>& changes() const { return changes_; }

  private:
    std::vector<Change> changes_;
};

}  // namespace zephalon::openapi_diff
