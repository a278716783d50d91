#pragma once

// Two values that live inside their owner node rather than being nodes themselves. Whatever they create is
// parented to the owner.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "zephalon/openapi/node.h"

namespace zephalon::openapi {

class Example;
class MediaType;
class Schema;

// The "example" / "examples" pair of a Parameter, Header or MediaType: at most one of the two is present, and
// choosing one discards the other.
class Examples {
  public:
    enum class Mode : std::uint8_t { none, embedded, external };

    explicit Examples(Node* owner);
    ~Examples();
    Examples(const Examples&) = delete;
    Examples& operator=(const Examples&) = delete;

    Mode exampleMode() const { return mode_; }

    // The single "example" value: a new null value, or a deep copy of `value`.
    jv::JV* setEmbeddedExample();
    jv::JV* setEmbeddedExample(const jv::JV* value);
    // Throws std::runtime_error "Embedded example does not exist" unless an embedded example is present.
    jv::JV* embeddedExample() const;

    // The named "examples". add returns the existing example under the name when there is one (null when that slot
    // holds a reference); the Ref adders return the new reference, or null when the name is taken.
    Example* addExternalExample(std::string_view name);
    Reference* addExternalExampleRef(std::string_view name, Example* target);
    Reference* addExternalExampleRef(std::string_view name, Reference* target);
    Example* externalExample(std::string_view name) const;
    Node* externalExampleNode(std::string_view name) const;
    void removeExternalExample(std::string_view name);
    std::size_t externalExampleCount() const { return external_.size(); }
    // Slots by name, for iteration.
    const NodeMap& externalExamples() const { return external_; }

    // Back to no examples at all.
    void clearExamples();

  private:
    void switchTo(Mode mode);

    Node* owner_;
    Mode mode_ = Mode::none;
    std::unique_ptr<jv::JV> embedded_;
    NodeMap external_;
};

// The "schema" / "content" pair of a Parameter or Header: either a schema slot or exactly one media type.
class SchemaOrMediaType {
  public:
    enum class Mode : std::uint8_t { none, schema, content };

    explicit SchemaOrMediaType(Node* owner);
    ~SchemaOrMediaType();
    SchemaOrMediaType(const SchemaOrMediaType&) = delete;
    SchemaOrMediaType& operator=(const SchemaOrMediaType&) = delete;

    Mode schemaMode() const { return mode_; }

    // Replaces whatever is held by a new empty schema, or by a reference to `target`.
    Schema* setSchema();
    Reference* setSchemaRef(Schema* target);
    Reference* setSchemaRef(Reference* target);
    // The resolved schema of the schema form; null otherwise or when the reference dangles.
    Schema* schema() const;
    // The slot as stored; null when nothing is held. Throws std::runtime_error "Schema does not exist" in the content
    // form.
    Node* schemaNode() const;

    // Replaces whatever is held by one media type under `key`.
    MediaType* setMediaType(std::string key);
    // Null unless in the content form.
    MediaType* mediaType() const { return mediaType_.get(); }
    const std::string& mediaTypeKey() const { return mediaTypeKey_; }

    // The schema of either form: the schema itself, or the media type's schema.
    Schema* effectiveSchema() const;

    void clearSchemaAndMediaType();

  private:
    Reference* storeSchemaRef(Node* target);

    Node* owner_;
    Mode mode_ = Mode::none;
    std::unique_ptr<Node> schema_;
    std::string mediaTypeKey_;
    std::unique_ptr<MediaType> mediaType_;
};

}  // namespace zephalon::openapi
