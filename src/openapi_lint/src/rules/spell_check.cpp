#include <fmt/format.h>

#include <set>
#include <string>
#include <vector>

#include "../spell_checker.h"
#include "rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {

namespace {

class SpellCheckHandler : public RuleHandler<SpellCheck> {
  public:
    using RuleHandler::RuleHandler;

    void handle(const openapi::Info* info) override {
        if (rule().isDisabled(info)) return;
        check("title", info->title(), info);
        if (info->summary()) check("summary", *info->summary(), info);
        if (info->description()) check("description", *info->description(), info);
    }
    void handle(const openapi::Server* server) override {
        if (server->description() && !rule().isDisabled(server)) check("description", *server->description(), server);
    }
    void handle(const openapi::ServerVariable* variable) override {
        if (variable->description() && !rule().isDisabled(variable)) {
            check("description", *variable->description(), variable);
        }
    }

  private:
    // One finding per text, naming each misspelled word once.
    void check(std::string_view what, std::string_view text, const openapi::Node* node) {
        std::vector<std::string_view> misspelled;
        std::set<std::string_view> seen;
        for (std::string_view word : spellCheckWords(text)) {
            if (!seen.insert(word).second) continue;
            if (!rule().checker().check(word)) misspelled.push_back(word);
        }
        if (!misspelled.empty()) report(fmt::format("Misspelled {}: {}", what, fmt::join(misspelled, ", ")), node);
    }
};

std::string pathOption(const jv::JV& options, std::string_view key, const char* emptyMessage) {
    const jv::JV* value = options.property(key);
    if (value == nullptr || !value->isString() || value->stringValue().empty()) {
        throw RuleConfigurationError(emptyMessage);
    }
    return std::string(value->stringValue());
}

}  // namespace

SpellCheck::SpellCheck(Severity severity) : Rule(Id, severity), checker_(std::make_unique<SpellChecker>()) {}

SpellCheck::~SpellCheck() = default;

void SpellCheck::setOptions(const jv::JV& options) {
    if (options.isNull()) throw RuleConfigurationError("Options cannot be null");
    if (!options.isObject()) throw RuleConfigurationError("Options must be an object");
    const std::string dictionary = pathOption(options, "dictionary", "Dictionary path cannot be empty");
    const std::string affix = pathOption(options, "affix", "Affix path cannot be empty");
    checker_->loadDictionaries(dictionary, affix);
}

std::unique_ptr<openapi::NodeVisitHandler> SpellCheck::createHandler(Context& context) {
    if (!checker_->loaded()) return nullptr;
    return makeKindHandler<SpellCheckHandler>(*this, context);
}

}  // namespace zephalon::openapi_lint
