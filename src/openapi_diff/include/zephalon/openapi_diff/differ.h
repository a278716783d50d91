#pragma once

// Compares two versions of an OpenAPI document and classifies every difference by how much it affects clients:
//
//     Differ differ(std::cout);
//     differ.setDefaultConfig();                 // the built-in "recommended" rules
//     differ.setReport("status");
//     differ.setFormatter("status", "stylish");
//     DiffResult result = differ.process(*source, *dest);
//     return result.severity == ChangeSeverity::breaking ? 1 : 0;
//
// Instead of printing a report, the differ can raise the destination's info.version to the smallest semantic
// version the changes call for (setUpdateVersion), or check that it already is at least that (setCheckVersion).

#include <memory>
#include <ostream>
#include <string_view>

#include "zephalon/jv/jv.h"
#include "zephalon/openapi_diff/change.h"

namespace zephalon::openapi {
class OpenAPIReadResult;
}

namespace zephalon::openapi_diff {

struct DiffResult {
    // The most severe change found.
    ChangeSeverity severity = ChangeSeverity::none;
    // The step by which the destination's version was raised (none when not updating or nothing changed).
    VersionChange versionChange = VersionChange::none;
    // When checking versions: the destination's version is lower than the changes call for.
    bool versionTooLow = false;
};

class Differ {
  public:
    // Reports and messages go to `out`.
    explicit Differ(std::ostream& out);
    ~Differ();
    Differ(const Differ&) = delete;
    Differ& operator=(const Differ&) = delete;

    // Reads a rule configuration (the "diff" section of a configuration file) on top of the current rules; null
    // does nothing. Failures raise jv::JVError carrying the offending value. Without any configuration, every
    // change is classified "none".
    void setConfig(const jv::JV* config);
    // The built-in "recommended" rules.
    void setDefaultConfig();

    // Raise the destination's version in its model instead of printing a report.
    void setUpdateVersion(bool update);
    // After the report, print a line and set DiffResult::versionTooLow when the destination's version is lower
    // than the changes call for.
    void setCheckVersion(bool check);

    // The report to collect ("status", "changelog", "detailed"; "changelog" unless set) and the format to print it
    // in ("stylish" unless set).
    void setReport(std::string_view name);
    void setFormatter(std::string_view report, std::string_view formatter);

    // Compares the two documents. Version errors raise std::invalid_argument before the destination is changed.
    DiffResult process(const openapi::OpenAPIReadResult& source, openapi::OpenAPIReadResult& dest);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace zephalon::openapi_diff
