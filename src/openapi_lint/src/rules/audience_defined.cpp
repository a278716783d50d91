#include <fmt/format.h>

#include <array>
#include <string_view>

#include "rules.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

constexpr std::string_view kAttribute = "x-audience";
constexpr std::array<std::string_view, 4> kAudiences{"internal-team", "internal-company", "partner", "public"};

}  // namespace

void AudienceDefined::run(Context& context) {
    const openapi::Info* info = context.model()->info();
    if (info == nullptr || isDisabled(info)) return;
    const jv::JV* value = info->extension(kAttribute);
    if (value == nullptr) {
        addIssue(context, fmt::format("API audience ({}) is missing", kAttribute), info);
        return;
    }
    if (value->isString() &&
        std::find(kAudiences.begin(), kAudiences.end(), value->stringValue()) != kAudiences.end()) {
        return;
    }
    // A string shows as itself, anything else as its JSON text.
    std::string shown;
    if (value->isString()) {
        shown = value->stringValue();
    } else {
        jv::writeString(*value, shown, jv::StreamWriteOptions{FileFormat::JSON, 0, {}});
    }
    addIssue(context, fmt::format("API audience ({}) has invalid value ({})", kAttribute, shown), info);
}

}  // namespace zephalon::openapi_lint
