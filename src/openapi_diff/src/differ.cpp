#include "zephalon/openapi_diff/differ.h"

#include <fmt/ostream.h>

#include <string>

#include "configuration.h"
#include "context.h"
#include "diffs/openapi_diff.h"
#include "formatter.h"
#include "report.h"
#include "version.h"
#include "zephalon/openapi/info.h"
#include "zephalon/openapi/openapi.h"
#include "zephalon/openapi/reader_result.h"
#include "zephalon/telemetry/telemetry.h"

namespace zephalon::openapi_diff {

struct Differ::Impl {
    explicit Impl(std::ostream& out) : out(out) {}

    Report& ensureReport() {
        if (!report) report = createReport("changelog");
        return *report;
    }
    BasicFormatter& ensureFormatter() {
        if (!formatter) formatter = createFormatter("changelog", "stylish", out);
        return *formatter;
    }

    std::ostream& out;
    bool updateVersion = false;
    bool checkVersion = false;
    Configuration config;
    std::unique_ptr<Report> report;
    std::unique_ptr<BasicFormatter> formatter;
};

namespace {

const std::string& infoVersion(const openapi::OpenAPIReadResult& result) { return result.model()->info()->version(); }

}  // namespace

Differ::Differ(std::ostream& out) : impl_(std::make_unique<Impl>(out)) {}

Differ::~Differ() = default;

void Differ::setConfig(const jv::JV* config) {
    if (config != nullptr) impl_->config.fromJV(*config);
}

void Differ::setDefaultConfig() {
    jv::JV config(jv::JV::ObjectTag{});
    config.setArrayProperty("extends")->addString("recommended");
    impl_->config.fromJV(config);
}

void Differ::setUpdateVersion(bool update) { impl_->updateVersion = update; }

void Differ::setCheckVersion(bool check) { impl_->checkVersion = check; }

void Differ::setReport(std::string_view name) { impl_->report = createReport(name); }

void Differ::setFormatter(std::string_view report, std::string_view formatter) {
    impl_->formatter = createFormatter(report, formatter, impl_->out);
}

DiffResult Differ::process(const openapi::OpenAPIReadResult& source, openapi::OpenAPIReadResult& dest) {
    Report& report = impl_->ensureReport();
    {
        Context context(impl_->config, report);
        context.setSource(source);
        context.setDest(dest);
        auto span = telemetry::getSpanScope("process");
        OpenAPIDiff().process(source.model(), dest.model(), context);
    }

    DiffResult result;
    result.severity = report.highestSeverity();
    VersionChange change = versionChangeFor(result.severity);
    if (!impl_->updateVersion) {
        {
            auto span = telemetry::getSpanScope("format");
            impl_->ensureFormatter().format(report);
        }
        if (impl_->checkVersion && change != VersionChange::none) {
            SemanticVersion required = bumpVersion(SemanticVersion::parse(infoVersion(source)), change);
            const std::string& current = infoVersion(dest);
            if (SemanticVersion::parse(current) < required) {
                fmt::print(impl_->out, "Version {} is lower than the required {} for {}\n", current,
                           required.toString(), severityDescription(result.severity));
                result.versionTooLow = true;
            }
        }
        return result;
    }
    if (change == VersionChange::none) return result;
    auto span = telemetry::getSpanScope("bump_version");
    std::string version = bumpVersionIfNeeded(infoVersion(source), change, infoVersion(dest));
    dest.model()->info()->setVersion(std::move(version));
    result.versionChange = change;
    return result;
}

}  // namespace zephalon::openapi_diff
