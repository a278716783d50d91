#pragma once

#include <memory>
#include <string>

#include "zephalon/jv/property_factory.h"

namespace zephalon::jv {

class JV;
class JVDoc;

// Writes one value tree as a single YAML document (no "---" and no "..." markers) through the libyaml emitter.
// Block collections while the indent size is above 0, flow collections at 0. Strings that would read back as
// another kind (numbers, booleans, null, the empty string) are double-quoted so that they stay strings.
class YAMLWriter {
  public:
    YAMLWriter();
    ~YAMLWriter();
    YAMLWriter(const YAMLWriter&) = delete;
    YAMLWriter& operator=(const YAMLWriter&) = delete;

    void setIndentSize(int size) { indentSize_ = size < 0 ? 0 : size; }
    void setPropertyFactory(PropertyFactory factory) { propertyFactory_ = std::move(factory); }

    // Each call replaces the text of the previous one.
    void write(const JV& node);
    // Writes the document's root in the document's source key order unless a property factory was set.
    void write(const JVDoc& doc);

    const std::string& toString() const;
    std::string release();

    class Impl;

  private:
    void writeWith(const JV& node, const PropertyFactory& factory);

    std::unique_ptr<Impl> impl_;
    int indentSize_ = 2;
    PropertyFactory propertyFactory_;
};

}  // namespace zephalon::jv
