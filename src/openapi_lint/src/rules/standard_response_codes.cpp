#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// "default" is the document's own catch-all and as standard as a status code.
bool isStandard(std::string_view code) {
    if (code == "default") return true;
    if (code.size() != 3 || code[0] < '1' || code[0] > '5') return false;
    return (isDigit(code[1]) && isDigit(code[2])) || code.substr(1) == "XX";
}

class StandardResponseCodesHandler : public RuleHandler<StandardResponseCodes> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Responses* responses) override {
        for (const auto& [code, slot] : responses->responses()) {
            if (!isStandard(code) && !rule().isDisabled(slot.get(), slot->resolveNode())) {
                report("Operation uses non-standard response code (" + code + ")", slot.get());
            }
        }
    }
};

}  // namespace

std::unique_ptr<openapi::NodeVisitHandler> StandardResponseCodes::createHandler(Context& context) {
    return makeKindHandler<StandardResponseCodesHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
