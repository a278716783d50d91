#include <set>
#include <string>

#include "lint_data.h"
#include "rules.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

// The data file names its source and version on its first line; the JSON list of identifiers follows.
const std::set<std::string, std::less<>>& spdxIdentifiers() {
    static const std::set<std::string, std::less<>> ids = [] {
        std::set<std::string, std::less<>> result;
        for (const auto& entry : lint_data::embeddedTexts()) {
            if (entry.name != "spdx-license-ids.json") continue;
            const std::string_view list = entry.text.substr(entry.text.find('\n') + 1);
            const auto doc = jv::readString(list, FileFormat::JSON);
            for (const jv::JV* id : doc->root()->items()) result.emplace(id->stringValue());
        }
        return result;
    }();
    return ids;
}

bool missing(const std::optional<std::string>& text) { return !text || text->empty(); }

}  // namespace

bool isSpdxLicenseIdentifier(std::string_view id) { return spdxIdentifiers().contains(id); }

void LicenseDefined::run(Context& context) {
    const openapi::Info* info = context.model()->info();
    if (info == nullptr) return;
    const openapi::License* license = info->license();
    if (license == nullptr) {
        if (!isDisabled(info)) addIssue(context, "License object is missing", info);
        return;
    }
    if (isDisabled(license)) return;
    if (license->name().empty()) addIssue(context, "License name is empty", license);
    if (missing(license->url()) && missing(license->identifier())) {
        addIssue(context, "Both the license URL and identifier are missing or empty", license);
    } else if (!missing(license->identifier()) && !isSpdxLicenseIdentifier(*license->identifier())) {
        addIssue(context, "License identifier is not a valid SPDX identifier", license);
    }
}

}  // namespace zephalon::openapi_lint
