#pragma once

// Rules, rule sets and documents for testing the engine. The rules are registered under ids starting with
// "test/", so they never collide with the program's own.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi/visitor.h"
#include "zephalon/openapi_lint/context.h"
#include "zephalon/openapi_lint/registry.h"
#include "zephalon/openapi_lint/rule.h"

namespace zephalon::openapi_lint::testing {

// A fresh directory per test, removed afterwards.
class TempDir {
  public:
    TempDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() / (std::string("zephalon-lint-") + info->test_suite_name() +
                                                          "-" + info->name() + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
        // Compare against canonical paths, as the engine reports them.
        path_ = std::filesystem::canonical(path_);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

    std::string write(const std::string& name, const std::string& text) const {
        std::ofstream(file(name), std::ios::binary) << text;
        return file(name);
    }
    std::string read(const std::string& name) const {
        std::ifstream in(file(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

  private:
    std::filesystem::path path_;
};

// Reports every operation without an id, at the operation.
class MissingOperationId : public Rule {
  public:
    static constexpr std::string_view Id = "test/missing-operation-id";
    explicit MissingOperationId(Severity severity) : Rule(Id, severity) {}
    void run(Context& context) override {
        for (const openapi::OperationInfo& info : openapi::OperationIterator(context.model())) {
            if (!info.operation->operationId()) addIssue(context, "Operation ID is not defined", info.operation);
        }
    }
};

// Reports the paths object when it holds more paths than its option allows (default 1).
class MaxPaths : public Rule {
  public:
    static constexpr std::string_view Id = "test/max-paths";
    explicit MaxPaths(Severity severity) : Rule(Id, severity) {}
    void setOptions(const jv::JV& options) override {
        if (!options.isInteger() || options.numberValue().toLong() < 1) {
            throw RuleConfigurationError("Max path count must be a positive number");
        }
        max_ = options.numberValue().toLong();
    }
    void run(Context& context) override {
        const openapi::Paths* paths = context.model()->paths();
        if (static_cast<long>(paths->items().size()) > max_) addIssue(context, "Too many paths", paths);
    }
    long max() const { return max_; }

  private:
    long max_ = 1;
};

// Reports unsorted root tags; the fix sorts them.
class SortTags : public Rule {
  public:
    static constexpr std::string_view Id = "test/sort-tags";
    explicit SortTags(Severity severity) : Rule(Id, severity) {}
    bool autoFixable() const override { return true; }
    void run(Context& context) override {
        if (!sorted(*context.model())) addIssue(context, "Tags are not sorted", context.model());
    }
    bool autoFix(Context& context) override {
        if (sorted(*context.model())) return false;
        context.model()->sortTags([](const openapi::Tag* a, const openapi::Tag* b) { return a->name() < b->name(); });
        return true;
    }

  private:
    static bool sorted(const openapi::OpenAPI& model) {
        const auto& tags = model.tags();
        return std::is_sorted(tags.begin(), tags.end(),
                              [](const auto& a, const auto& b) { return a->name() < b->name(); });
    }
};

// Records the order in which the engine calls rules.
inline std::vector<std::string>& callLog() {
    static std::vector<std::string> log;
    return log;
}

template <bool Fixable>
class Recorder : public Rule {
  public:
    Recorder(std::string_view id, Severity severity) : Rule(id, severity) {}
    bool autoFixable() const override { return Fixable; }
    void run(Context&) override { callLog().push_back("run " + id()); }
    bool autoFix(Context&) override {
        callLog().push_back("fix " + id());
        return false;
    }
};

// Records the nodes its handler is given, per rule id.
inline std::map<std::string, std::vector<const openapi::Node*>>& nodeLog() {
    static std::map<std::string, std::vector<const openapi::Node*>> log;
    return log;
}

class NodeRecorder : public Rule {
  public:
    NodeRecorder(std::string_view id, Severity severity) : Rule(id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context&) override {
        struct Handler : openapi::NodeVisitHandler {
            explicit Handler(std::vector<const openapi::Node*>& log) : log(log) {}
            void handleNode(const openapi::Node* node) override { log.push_back(node); }
            std::vector<const openapi::Node*>& log;
        };
        return std::make_unique<Handler>(nodeLog()[id()]);
    }
};

inline void registerTestRules() {
    for (std::string_view id : {"test/nodes-a", "test/nodes-b"}) {
        registerRule(id, [id](Severity s) { return std::make_unique<NodeRecorder>(id, s); });
    }
    registerRule<MissingOperationId>();
    registerRule<MaxPaths>();
    registerRule<SortTags>();
    for (std::string_view id : {"test/b-check", "test/a-check"}) {
        registerRule(id, [id](Severity s) { return std::make_unique<Recorder<false>>(id, s); });
    }
    for (std::string_view id : {"test/d-fix", "test/c-fix"}) {
        registerRule(id, [id](Severity s) { return std::make_unique<Recorder<true>>(id, s); });
    }
    registerRuleset("test/basic", [] {
        auto ruleset = std::make_unique<Ruleset>("test/basic");
        ruleset->addRule(MissingOperationId::Id, Severity::Error);
        ruleset->addRule(MaxPaths::Id, Severity::Warning, std::make_unique<jv::JV>(3));
        return ruleset;
    });
    registerRuleset("test/stricter", [] {
        auto ruleset = std::make_unique<Ruleset>("test/stricter");
        ruleset->addRule(MaxPaths::Id, Severity::Error);
        ruleset->addRule("test/not-registered", Severity::Error);
        return ruleset;
    });
}

// Three operations, one without an id, and tags out of order.
inline constexpr std::string_view kPetstoreJson = R"({
  "openapi": "3.1.0",
  "info": {"title": "Pets", "version": "1"},
  "tags": [{"name": "pets"}, {"name": "admin"}],
  "paths": {
    "/pets": {
      "get": {"operationId": "listPets", "responses": {"200": {"description": "ok"}}},
      "post": {"responses": {"201": {"description": "created"}}}
    },
    "/pets/{id}": {
      "parameters": [{"name": "id", "in": "path", "required": true, "schema": {"type": "string"}}],
      "get": {"operationId": "showPet", "responses": {"200": {"description": "ok"}}}
    }
  }
}
)";

inline constexpr std::string_view kPetstoreYaml = R"(openapi: 3.1.0
info:
  title: Pets
  version: "1"
paths:
  /pets:
    get:
      responses:
        "200":
          description: ok
)";

}  // namespace zephalon::openapi_lint::testing
