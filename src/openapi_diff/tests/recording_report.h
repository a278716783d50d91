#pragma once

#include <vector>

#include "report.h"

namespace zephalon::openapi_diff::testing {

// Keeps every change in arrival order, besides counting it.
class RecordingReport : public Report {
  public:
    void add(const Change& change) override {
        changes.push_back(change);
        updateStats(change.severity);
    }

    std::vector<Change> changes;
};

}  // namespace zephalon::openapi_diff::testing
