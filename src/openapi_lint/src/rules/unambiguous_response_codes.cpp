#include <array>

#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isClass(char c) { return c >= '1' && c <= '5'; }

class UnambiguousResponseCodesHandler : public RuleHandler<UnambiguousResponseCodes> {
  public:
    using RuleHandler::RuleHandler;

    // A client that receives 404 cannot tell whether "4XX" or "404" describes it when both are there.
    void handle(const openapi::Responses* responses) override {
        std::array<bool, 6> ranges{};
        std::array<bool, 6> specific{};
        for (const auto& entry : responses->responses()) {
            const std::string& code = entry.first;
            if (code.size() != 3 || !isClass(code[0])) continue;
            const std::size_t group = static_cast<std::size_t>(code[0] - '0');
            if (code[1] == 'X' && code[2] == 'X') ranges[group] = true;
            if (isDigit(code[1]) && isDigit(code[2])) specific[group] = true;
        }
        for (std::size_t group = 1; group < ranges.size(); ++group) {
            if (ranges[group] && specific[group]) {
                if (!rule().isDisabled(responses)) report("Operation response codes are ambiguous", responses);
                return;
            }
        }
    }
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> UnambiguousResponseCodes::createHandler(Context& context) {
    return makeKindHandler<UnambiguousResponseCodesHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
