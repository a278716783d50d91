#pragma once

#include "../report.h"

namespace zephalon::openapi_diff {

// Keeps nothing but the counts: enough to say how severe the changes are.
class StatusReport : public Report {
  public:
    void add(const Change& change) override { updateStats(change.severity); }
};

}  // namespace zephalon::openapi_diff
