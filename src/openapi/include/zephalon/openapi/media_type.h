#pragma once

// Payload descriptions: RequestBody, MediaType and the per-property Encoding of a multipart or form body.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "zephalon/openapi/embedded.h"
#include "zephalon/openapi/enums.h"
#include "zephalon/openapi/node.h"

namespace zephalon::openapi {

class Header;
class Schema;

class Encoding final : public Node {
  public:
    enum class Style : std::uint8_t { form, spaceDelimited, pipeDelimited, deepObject };

    explicit Encoding(Node* parent) : Node(parent, NodeType::Encoding) {}
    ~Encoding() override;

    const std::optional<std::string>& contentType() const { return contentType_; }
    void setContentType(std::string contentType) { contentType_ = std::move(contentType); }
    void removeContentType() { contentType_.reset(); }

    const NodeMap& headers() const { return headers_; }
    Header* header(std::string_view name) const;
    Node* headerNode(std::string_view name) const;
    Header* addHeader(std::string_view name);
    Reference* addHeaderRef(std::string_view name, Header* target);
    Reference* addHeaderRef(std::string_view name, Reference* target);
    void removeHeader(std::string_view name);
    void clearHeaders();

    Style style() const { return style_; }
    void setStyle(Style style) { style_ = style; }
    // `text` must be one of the style names.
    void setStyle(std::string_view text);
    bool explode() const { return explode_; }
    void setExplode(bool explode) { explode_ = explode; }
    bool allowReserved() const { return allowReserved_; }
    void setAllowReserved(bool allow) { allowReserved_ = allow; }

  private:
    std::optional<std::string> contentType_;
    NodeMap headers_;
    Style style_ = Style::form;
    bool explode_ = false;
    bool allowReserved_ = false;
};

std::string_view encodingStyleToString(Encoding::Style style);
Encoding::Style stringToEncodingStyle(std::string_view text);

class MediaType final : public Node {
  public:
    explicit MediaType(Node* parent) : Node(parent, NodeType::MediaType) {}
    ~MediaType() override;

    // The schema slot; null when absent.
    Node* schemaNode() const { return schema_.get(); }
    Schema* schema() const;
    // Replaces the slot by a new schema of the given type, or by a reference.
    Schema* setSchema(SchemaType type);
    Schema* setSchema();
    Reference* setSchemaRef(Schema* target);
    Reference* setSchemaRef(Reference* target);
    void removeSchema();

    Examples& examples() { return examples_; }
    const Examples& examples() const { return examples_; }

    const OwnedMap<Encoding>& encodings() const { return encoding_; }
    Encoding* encoding(std::string_view name) const;
    Encoding* addEncoding(std::string_view name);
    void removeEncoding(std::string_view name);
    void clearEncoding();

  private:
    std::unique_ptr<Node> schema_;
    Examples examples_{this};
    OwnedMap<Encoding> encoding_;
};

class RequestBody final : public Node {
  public:
    explicit RequestBody(Node* parent) : Node(parent, NodeType::RequestBody) {}
    ~RequestBody() override;

    const std::optional<std::string>& description() const { return description_; }
    void setDescription(std::string description) { description_ = std::move(description); }
    void removeDescription() { description_.reset(); }

    // Media types by key, e.g. "application/json".
    const OwnedMap<MediaType>& content() const { return content_; }
    MediaType* mediaType(std::string_view key) const;
    MediaType* addMediaType(std::string_view key);
    void removeMediaType(std::string_view key);
    void clearMediaTypes();
    // The key of one of this body's media types; empty when it is not one of them.
    std::string mediaTypeKey(const MediaType* mediaType) const;

    bool required() const { return required_; }
    void setRequired(bool required) { required_ = required; }

  private:
    std::optional<std::string> description_;
    OwnedMap<MediaType> content_;
    bool required_ = false;
};

}  // namespace zephalon::openapi
