#include "zephalon/openapi/embedded.h"

#include <stdexcept>

#include "slots.h"
#include "zephalon/openapi/media_type.h"
#include "zephalon/openapi/response.h"
#include "zephalon/openapi/schema.h"

namespace zephalon::openapi {

// --- Examples ---

Examples::Examples(Node* owner) : owner_(owner) {}

Examples::~Examples() = default;

void Examples::switchTo(Mode mode) {
    if (mode_ == mode) {
        return;
    }
    if (mode != Mode::embedded) {
        detail::resetOwned(embedded_);
    }
    if (mode != Mode::external) {
        detail::clearAll(external_);
    }
    mode_ = mode;
}

jv::JV* Examples::setEmbeddedExample() {
    auto value = std::make_unique<jv::JV>();
    switchTo(Mode::embedded);
    embedded_ = std::move(value);
    return embedded_.get();
}

jv::JV* Examples::setEmbeddedExample(const jv::JV* value) {
    if (value == nullptr) {
        return setEmbeddedExample();
    }
    auto copy = value->clone();
    switchTo(Mode::embedded);
    embedded_ = std::move(copy);
    return embedded_.get();
}

jv::JV* Examples::embeddedExample() const {
    if (mode_ != Mode::embedded) {
        throw std::runtime_error("Embedded example does not exist");
    }
    return embedded_.get();
}

Example* Examples::addExternalExample(std::string_view name) {
    switchTo(Mode::external);
    return detail::addEntry<Example>(external_, name, owner_);
}

Reference* Examples::addExternalExampleRef(std::string_view name, Example* target) {
    switchTo(Mode::external);
    return detail::addEntryRef(external_, name, owner_, target);
}

Reference* Examples::addExternalExampleRef(std::string_view name, Reference* target) {
    switchTo(Mode::external);
    return detail::addEntryRef(external_, name, owner_, target);
}

Example* Examples::externalExample(std::string_view name) const {
    return detail::resolvedEntry<Example>(external_, name);
}

Node* Examples::externalExampleNode(std::string_view name) const { return detail::entryNode(external_, name); }

void Examples::removeExternalExample(std::string_view name) { detail::removeEntry(external_, name); }

void Examples::clearExamples() { switchTo(Mode::none); }

// --- SchemaOrMediaType ---

SchemaOrMediaType::SchemaOrMediaType(Node* owner) : owner_(owner) {}

SchemaOrMediaType::~SchemaOrMediaType() = default;

Schema* SchemaOrMediaType::setSchema() {
    auto schema = std::make_unique<Schema>(owner_);
    Schema* raw = schema.get();
    clearSchemaAndMediaType();
    schema_ = std::move(schema);
    mode_ = Mode::schema;
    return raw;
}

Reference* SchemaOrMediaType::setSchemaRef(Schema* target) { return storeSchemaRef(target); }

Reference* SchemaOrMediaType::setSchemaRef(Reference* target) { return storeSchemaRef(target); }

Reference* SchemaOrMediaType::storeSchemaRef(Node* target) {
    // The reference is made before the current content goes, in case the target lives inside it.
    auto ref = std::make_unique<Reference>(owner_, target);
    Reference* raw = ref.get();
    clearSchemaAndMediaType();
    schema_ = std::move(ref);
    mode_ = Mode::schema;
    return raw;
}

Schema* SchemaOrMediaType::schema() const {
    return mode_ == Mode::schema ? detail::resolvedSlot<Schema>(schema_) : nullptr;
}

Node* SchemaOrMediaType::schemaNode() const {
    if (mode_ == Mode::content) {
        throw std::runtime_error("Schema does not exist");
    }
    return schema_.get();
}

MediaType* SchemaOrMediaType::setMediaType(std::string key) {
    auto mediaType = std::make_unique<MediaType>(owner_);
    clearSchemaAndMediaType();
    mediaType_ = std::move(mediaType);
    mediaTypeKey_ = std::move(key);
    mode_ = Mode::content;
    return mediaType_.get();
}

Schema* SchemaOrMediaType::effectiveSchema() const {
    switch (mode_) {
        case Mode::schema:
            return schema();
        case Mode::content:
            return mediaType_->schema();
        case Mode::none:
            break;
    }
    return nullptr;
}

void SchemaOrMediaType::clearSchemaAndMediaType() {
    std::unique_ptr<Node> oldSchema = std::move(schema_);
    std::unique_ptr<MediaType> oldMediaType = std::move(mediaType_);
    mediaTypeKey_.clear();
    mode_ = Mode::none;
}

}  // namespace zephalon::openapi
