#pragma once

// The rules of the catalogue, one source file each.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "zephalon/openapi_lint/rule.h"

namespace zephalon::openapi_lint {

// Whether a description says something: present and at least `minLength` characters (not bytes) long.
bool isValidDescription(const std::optional<std::string>& description, std::uint64_t minLength);

// A rule that asks for meaningful descriptions. Its options set the minimum length (default 10): a string holding
// the number, or an object with a "minLength" number.
class DescriptionRule : public Rule {
  public:
    using Rule::Rule;
    void setOptions(const jv::JV& options) override;

  protected:
    bool isValidDescription(const std::optional<std::string>& description) const {
        return openapi_lint::isValidDescription(description, minLength_);
    }

  private:
    std::uint64_t minLength_ = 10;
};

// Every operation, wherever it is declared, has an operationId.
class OperationIdDefined : public Rule {
  public:
    static constexpr std::string_view Id = "operation-id-defined";
    explicit OperationIdDefined(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// The document declares at most a configured number of paths.
class PathsMaxCount : public Rule {
  public:
    static constexpr std::string_view Id = "paths-max-count";
    explicit PathsMaxCount(Severity severity) : Rule(Id, severity) {}
    // A positive integer.
    void setOptions(const jv::JV& options) override;
    void run(Context& context) override;

  private:
    std::uint64_t maxCount_ = 8;
};

// The root tags are in ascending order of name; the fix sorts them.
class TagsSorted : public Rule {
  public:
    static constexpr std::string_view Id = "tags-sorted";
    explicit TagsSorted(Severity severity) : Rule(Id, severity) {}
    bool autoFixable() const override { return true; }
    void run(Context& context) override;
    bool autoFix(Context& context) override;
};

// Every root tag has a meaningful description.
class TagDescriptionDefined : public DescriptionRule {
  public:
    static constexpr std::string_view Id = "tag-description-defined";
    explicit TagDescriptionDefined(Severity severity) : DescriptionRule(Id, severity) {}
    void run(Context& context) override;
};

}  // namespace zephalon::openapi_lint
