#pragma once

#include <memory>
#include <string>

#include "zephalon/jv/placed_key_order.h"
#include "zephalon/jv/property_factory.h"

namespace zephalon::jv {

class JV;
class JVDoc;

// Writes one value tree as a single YAML document (no "---" and no "..." markers) that every YAML reader reads
// back as the same tree. Block collections while the indent size is above 0, one line of flow collections at 0;
// empty collections are "{}" and "[]". A string (a key included) stays plain only when neither a YAML 1.1 reader
// nor a YAML 1.2 core-schema reader would take it for anything else; otherwise it is single-quoted ('200',
// 'yes', '1.10', '2024-01-01'), double-quoted when it needs escapes, and a literal block ("|") when it spans
// lines. Text is written as UTF-8, never as escapes, save for characters YAML cannot hold as they are.
class YAMLWriter {
  public:
    YAMLWriter();
    ~YAMLWriter();
    YAMLWriter(const YAMLWriter&) = delete;
    YAMLWriter& operator=(const YAMLWriter&) = delete;

    void setIndentSize(int size) { indentSize_ = size < 0 ? 0 : size; }
    void setPropertyFactory(PropertyFactory factory) { propertyFactory_ = std::move(factory); }
    // Key orders by place, which decide instead of the property factory while set. Not owned: it must outlive the
    // writes.
    void setPlacedKeyOrder(const PlacedKeyOrder* order) { placedOrder_ = order; }

    // Each call replaces the text of the previous one.
    void write(const JV& node);
    // Writes the document's root in the document's source key order unless a property factory was set.
    void write(const JVDoc& doc);

    const std::string& toString() const;
    std::string release();

    class Impl;

  private:
    // `fallback` orders the keys when neither a placed key order nor a property factory is set.
    void writeWith(const JV& node, KeyOrder::Rule fallback);

    std::unique_ptr<Impl> impl_;
    int indentSize_ = 2;
    PropertyFactory propertyFactory_;
    const PlacedKeyOrder* placedOrder_ = nullptr;
};

}  // namespace zephalon::jv
