#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "zephalon/jv/file_io.h"
#include "zephalon/jv/jv.h"

namespace zephalon::openapi_format {

enum class PropertyOrder {
    Original = 0,  // the source order recorded by the reader
    Sorted = 1,    // byte-wise key order
    Fixed = 2,     // a given list of keys first, then the others byte-wise
};

// A configuration value that cannot be used. `node` is the offending value, or the object that lacks the required
// `member`; the caller, who knows the file, says where that is.
class ConfigurationError : public jv::JVError {
  public:
    ConfigurationError(const std::string& message, const jv::JV* failed, std::string missingMember = {})
        : jv::JVError(message, failed), member(std::move(missingMember)) {}

    std::string member;
};

// How the format command writes documents: output format, indentation and key order per kind of object.
class Configuration {
  public:
    // Indents that every writer honours; libyaml silently falls back to 2 outside this range.
    static constexpr unsigned kMinIndentSize = 2;
    static constexpr unsigned kMaxIndentSize = 9;

    // Reads a `format` section on top of the current settings: first every configuration named in `extends`,
    // then the section's own `openapi` object. Failures raise ConfigurationError, or jv::JVError for a member of the
    // wrong kind; both name the node at fault.
    void fromJV(const jv::JV& section);
    // The settings used without a configuration file: YAML, indent 2, source order everywhere.
    void reset();

    std::optional<FileFormat> format() const { return format_; }
    void setFormat(std::optional<FileFormat> format) { format_ = format; }
    unsigned indentSize() const { return indentSize_; }
    void setIndentSize(unsigned size);

    PropertyOrder defaultPropertyOrder() const { return defaultPropertyOrder_; }
    // Only Original and Sorted make sense for objects of every kind.
    void setDefaultPropertyOrder(PropertyOrder order);
    void setSortedPropertyOrder(const std::string& kind);
    void setOriginalPropertyOrder(const std::string& kind);
    void setFixedPropertyOrder(const std::string& kind, std::vector<std::string> keys);

    // The order for a kind: its own entry, or the default order when it has none.
    PropertyOrder propertyOrder(std::string_view kind) const;
    // The key list of a kind with a fixed order, or null.
    const std::vector<std::string>* fixedPropertyOrder(std::string_view kind) const;

  private:
    using KindOrder = std::variant<PropertyOrder, std::vector<std::string>>;

    void readOpenAPISection(const jv::JV& openapi);
    void readPropertyOrders(const jv::JV& orders);

    std::optional<FileFormat> format_;
    unsigned indentSize_ = 2;
    PropertyOrder defaultPropertyOrder_ = PropertyOrder::Original;
    std::map<std::string, KindOrder, std::less<>> kindOrders_;
};

// The built-in configurations that a section can extend: "recommended" (a conventional key order for every kind)
// and "original" (nothing beyond the defaults).
const jv::JVDoc& recommendedConfig();
const jv::JVDoc& originalConfig();

}  // namespace zephalon::openapi_format
