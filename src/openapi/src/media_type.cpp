#include "zephalon/openapi/media_type.h"

#include "slots.h"
#include "zephalon/openapi/parameter.h"
#include "zephalon/openapi/schema.h"

namespace zephalon::openapi {

// --- Encoding ---

Encoding::~Encoding() = default;

Header* Encoding::header(std::string_view name) const { return detail::resolvedEntry<Header>(headers_, name); }

Node* Encoding::headerNode(std::string_view name) const { return detail::entryNode(headers_, name); }

Header* Encoding::addHeader(std::string_view name) { return detail::addEntry<Header>(headers_, name, this); }

Reference* Encoding::addHeaderRef(std::string_view name, Header* target) {
    return detail::addEntryRef(headers_, name, this, target);
}

Reference* Encoding::addHeaderRef(std::string_view name, Reference* target) {
    return detail::addEntryRef(headers_, name, this, target);
}

void Encoding::removeHeader(std::string_view name) { detail::removeEntry(headers_, name); }

void Encoding::setStyle(std::string_view text) { style_ = stringToEncodingStyle(text); }

// --- MediaType ---

MediaType::~MediaType() = default;

Schema* MediaType::schema() const { return detail::resolvedSlot<Schema>(schema_); }

Schema* MediaType::setSchema(SchemaType type) { return detail::setSlot<Schema>(schema_, this, type); }

Schema* MediaType::setSchema() { return detail::setSlot<Schema>(schema_, this); }

Reference* MediaType::setSchemaRef(Schema* target) { return detail::setSlotRef(schema_, this, target); }

Reference* MediaType::setSchemaRef(Reference* target) { return detail::setSlotRef(schema_, this, target); }

Encoding* MediaType::encoding(std::string_view name) const { return detail::resolvedEntry<Encoding>(encoding_, name); }

Encoding* MediaType::addEncoding(std::string_view name) { return detail::addEntry<Encoding>(encoding_, name, this); }

void MediaType::removeEncoding(std::string_view name) { detail::removeEntry(encoding_, name); }

// --- RequestBody ---

RequestBody::~RequestBody() = default;

MediaType* RequestBody::mediaType(std::string_view key) const {
    return detail::resolvedEntry<MediaType>(content_, key);
}

MediaType* RequestBody::addMediaType(std::string_view key) { return detail::addEntry<MediaType>(content_, key, this); }

void RequestBody::removeMediaType(std::string_view key) { detail::removeEntry(content_, key); }

std::string RequestBody::mediaTypeKey(const MediaType* mediaType) const {
    for (const auto& [key, entry] : content_) {
        if (entry.get() == mediaType) {
            return key;
        }
    }
    return {};
}

// Removal goes through the shared helpers: a child is detached before it is destroyed.

void Encoding::clearHeaders() { detail::clearAll(headers_); }

void MediaType::removeSchema() { detail::resetOwned(schema_); }

void MediaType::clearEncoding() { detail::clearAll(encoding_); }

void RequestBody::clearMediaTypes() { detail::clearAll(content_); }

}  // namespace zephalon::openapi
