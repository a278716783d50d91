#include <array>
#include <string_view>

#include "rules.h"
#include "zephalon/foundation/strings.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

constexpr std::array<std::string_view, 3> kLimitHeaders{"RateLimit-Limit", "X-RateLimit-Limit", "X-Rate-Limit-Limit"};

// Header names are case-insensitive in HTTP, so a document may spell them either way.
bool hasHeader(const openapi::Response& response, std::string_view name) {
    for (const auto& entry : response.headers()) {
        if (asciiCompareNoCase(entry.first, name)) return true;
    }
    return false;
}

class OperationRateLimitingDefinedHandler : public RuleHandler<OperationRateLimitingDefined> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Responses* responses) override {
        for (const auto& [code, slot] : responses->responses()) {
            const auto* response = slot->resolveNodeAs<openapi::Response>();
            if (response == nullptr || rule().isDisabled(slot.get(), response)) continue;
            if ((code == "429" || code == "503") && !hasHeader(*response, "Retry-After")) {
                report("Missing Retry-After header", slot.get());
            }
            if ((code.starts_with('2') || code.starts_with('4')) &&
                std::none_of(kLimitHeaders.begin(), kLimitHeaders.end(),
                             [&](std::string_view name) { return hasHeader(*response, name); })) {
                report("Missing rate limiting header", slot.get());
            }
        }
    }
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> OperationRateLimitingDefined::createHandler(Context& context) {
    return makeKindHandler<OperationRateLimitingDefinedHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
