#include "zephalon/openapi_lint/linter.h"

#include <fmt/format.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <vector>

#include "shared_walk.h"
#include "zephalon/openapi/reader_result.h"
#include "zephalon/openapi/writer.h"
#include "zephalon/openapi_lint/registry.h"
#include "zephalon/telemetry/telemetry.h"

namespace zephalon::openapi_lint {

namespace {

std::string canonicalPath(const std::string& fileName) {
    if (fileName.empty()) return {};
    // Weakly: the name may not exist (a document read from elsewhere and named by the caller).
    return std::filesystem::weakly_canonical(std::filesystem::absolute(fileName)).string();
}

// How often the fixes run over one document at most.
constexpr int kFixPasses = 4;

// Fixers first, so that the checks see the repaired model; then by id, for a stable order of findings.
std::vector<Rule*> runOrder(const std::map<std::string, std::unique_ptr<Rule>, std::less<>>& rules) {
    std::vector<Rule*> ordered;
    ordered.reserve(rules.size());
    for (const auto& entry : rules) ordered.push_back(entry.second.get());
    std::sort(ordered.begin(), ordered.end(), [](const Rule* a, const Rule* b) {
        if (a->autoFixable() != b->autoFixable()) return a->autoFixable();
        return a->id() < b->id();
    });
    return ordered;
}

// The context refers to a document only while it is being processed; nothing may reach a read result that the
// caller has since destroyed.
class ReadResultScope {
  public:
    ReadResultScope(Context& context, openapi::OpenAPIReadResult& readResult) : context_(context) {
        context_.setReadResult(&readResult);
    }
    ReadResultScope(const ReadResultScope&) = delete;
    ReadResultScope& operator=(const ReadResultScope&) = delete;
    ~ReadResultScope() { context_.setReadResult(nullptr); }

  private:
    Context& context_;
};

}  // namespace

Linter::Linter(std::ostream& out) : out_(out), formatter_(createFormatter("stylish", out)) {}

Linter::~Linter() = default;

void Linter::setFormatter(std::string_view id) { formatter_ = createFormatter(id, out_); }

void Linter::setFormatter(std::unique_ptr<Formatter> formatter) { formatter_ = std::move(formatter); }

void Linter::setDefaultConfig() {
    jv::JV config(jv::JV::ObjectTag{});
    config.setArrayProperty("extends")->addString("recommended");
    setConfig(&config);
}

void Linter::setConfig(const jv::JV* lintSection) {
    if (lintSection == nullptr) return;
    if (!lintSection->isObject()) throw jv::JVError("An object value is expected for 'lint'.", lintSection);

    if (const jv::JV* extends = lintSection->optionalArrayProperty("extends")) {
        for (const jv::JV* item : extends->items()) {
            if (!item->isString()) throw jv::JVError("A string value is expected for 'extends'.", item);
            extendRuleset(item->stringValue());
        }
    }
    if (const jv::JV* rules = lintSection->optionalObjectProperty("rules")) {
        for (const auto [ruleId, value] : rules->properties()) {
            try {
                configureRule(ruleId, *value);
            } catch (const std::exception& error) {
                throw RuleConfigurationError(fmt::format("Rule '{}': {}", ruleId, error.what()));
            }
        }
    }
}

void Linter::extendRuleset(std::string_view rulesetId) {
    std::unique_ptr<Ruleset> ruleset;
    try {
        ruleset = createRuleset(rulesetId);
    } catch (const std::runtime_error& error) {
        out_ << "Cannot load ruleset: " << error.what() << '\n';
        return;
    }
    for (const Ruleset::Entry& entry : ruleset->rules()) {
        std::unique_ptr<Rule> rule;
        try {
            rule = createRule(entry.ruleId, entry.severity);
        } catch (const std::runtime_error& error) {
            out_ << "Cannot load rule: " << error.what() << '\n';
            continue;
        }
        if (entry.options) rule->setOptions(*entry.options);
        rules_.insert_or_assign(entry.ruleId, std::move(rule));
    }
}

void Linter::configureRule(std::string_view ruleId, const jv::JV& value) {
    const jv::JV* severity = nullptr;
    const jv::JV* options = nullptr;
    if (value.isString()) {
        severity = &value;
    } else if (value.isArray() && (value.size() == 1 || value.size() == 2) && value.at(0)->isString()) {
        severity = value.at(0);
        options = value.at(1);
    } else {
        throw RuleConfigurationError("Invalid rule configuration");
    }

    if (severity->stringValue() == "off") {
        if (auto it = rules_.find(ruleId); it != rules_.end()) rules_.erase(it);
        return;
    }
    const Severity level = severityFromString(severity->stringValue());
    auto it = rules_.find(ruleId);
    if (it != rules_.end()) {
        it->second->setSeverity(level);
    } else {
        std::unique_ptr<Rule> rule;
        try {
            rule = createRule(ruleId, level);
        } catch (const std::runtime_error& error) {
            out_ << "Cannot load rule: " << error.what() << '\n';
            return;
        }
        it = rules_.emplace(std::string(ruleId), std::move(rule)).first;
    }
    if (options != nullptr) it->second->setOptions(*options);
}

void Linter::process(openapi::OpenAPIReadResult& readResult) {
    const auto& path = readResult.filePath();
    process(readResult, path ? path->string() : std::string());
}

void Linter::process(openapi::OpenAPIReadResult& readResult, const std::string& fileName) {
    context_.setFile(canonicalPath(fileName));
    const bool recordPointers = keepPointers_ || formatter_->showsPointers();
    context_.setRecordPointers(recordPointers);
    pointersLeftOut_ = pointersLeftOut_ || !recordPointers;
    ReadResultScope scope(context_, readResult);
    const std::vector<Rule*> ordered = runOrder(rules_);

    if (autoFix_) {
        // Refused before anything changes: a fixed model that cannot be written back would be silently lost.
        if (context_.file().empty()) throw std::runtime_error("Cannot auto-fix: filename is not set");
        // A split document goes back file by file: taken before the fixes, so that afterwards only the files whose
        // parts a fix changed are written (and a document that cannot be split back is refused untouched).
        std::optional<openapi::FileWriteBack> writeBack;
        if (readResult.isMultiFile()) writeBack.emplace(readResult);
        bool changed = false;
        {
            auto span = telemetry::getSpanScope("autoFix");
            // One fix can undo what another did (a path made well-formed moves out of sorted order): the fixes run
            // again while they change something, a few times at most, in case two of them never agree.
            for (int pass = 0; pass < kFixPasses; ++pass) {
                bool passChanged = false;
                for (Rule* rule : ordered) {
                    if (rule->autoFixable() && rule->autoFix(context_)) passChanged = true;
                }
                if (!passChanged) break;
                changed = true;
            }
        }
        // An untouched document is not rewritten, so its file keeps every byte.
        if (changed) {
            if (writeBack) {
                writeBack->writeChanged(context_.file());
            } else {
                openapi::writeToFile(&readResult, context_.file());
            }
        }
    }

    auto span = telemetry::getSpanScope("check");
    SharedWalk walk;
    for (Rule* rule : ordered) {
        if (auto handler = rule->createHandler(context_)) {
            walk.add(std::move(handler));
        } else {
            rule->run(context_);
        }
    }
    if (!walk.empty()) openapi::visitNodes(context_.model(), walk);
}

void Linter::report() {
    auto span = telemetry::getSpanScope("format");
    // Printed empty, the pointers would look like findings about the document's root.
    if (pointersLeftOut_ && formatter_->showsPointers()) {
        throw std::logic_error("The formatter prints JSON Pointers, but it was set after documents were processed");
    }
    formatter_->format(context_);
}

}  // namespace zephalon::openapi_lint
