#include "content_diff.h"

#include <string>

#include "containers.h"
#include "example_diff.h"
#include "response_diff.h"
#include "schema_diff.h"
#include "zephalon/openapi/parameter.h"
#include "zephalon/openapi/schema.h"

namespace zephalon::openapi_diff {

using openapi::Encoding;
using openapi::MediaType;
using openapi::RequestBody;
using openapi::Schema;
using openapi::SchemaOrMediaType;

void RequestBodyDiff::process(const RequestBody* source, const RequestBody* dest, Context& context) {
    auto pair = context.beginPair(source, dest);
    if (!pair.compare()) return;
    context.emitSelf(source, dest);
    compareProperty(
        context, ConfigKey::requestBody_description, source, dest,
        [](const RequestBody& n) -> auto& { return n.description(); });
    compareFlag(context, ConfigKey::requestBody_required, source, dest, false,
                [](const RequestBody& n) { return n.required(); });
    compareMap<MediaType>(
        context, ConfigKey::requestBody_content, source, source != nullptr ? &source->content() : nullptr, dest,
        dest != nullptr ? &dest->content() : nullptr,
        [&](const MediaType* before, const MediaType* after) { MediaTypeDiff(this).process(before, after, context); });
    NodeDiff::process(source, dest, context);
}

void MediaTypeDiff::process(const MediaType* source, const MediaType* dest, Context& context) {
    context.emitSelf(source, dest);
    auto schema = [](const MediaType& n) -> const Schema* { return n.schema(); };
    compareNested<SchemaDiff>(this, context, ConfigKey::mediaType_schema, subNode(source, schema),
                              subNode(dest, schema));
    ExamplesDiff(this).process(source, source != nullptr ? &source->examples() : nullptr, dest,
                               dest != nullptr ? &dest->examples() : nullptr, ConfigKey::mediaType_example,
                               ConfigKey::mediaType_examples, context);
    compareMap<Encoding>(
        context, ConfigKey::mediaType_encoding, source, source != nullptr ? &source->encodings() : nullptr, dest,
        dest != nullptr ? &dest->encodings() : nullptr,
        [&](const Encoding* before, const Encoding* after) { EncodingDiff(this).process(before, after, context); });
    NodeDiff::process(source, dest, context);
}

void EncodingDiff::process(const Encoding* source, const Encoding* dest, Context& context) {
    context.emitSelf(source, dest);
    compareProperty(
        context, ConfigKey::encoding_contentType, source, dest,
        [](const Encoding& n) -> auto& { return n.contentType(); });
    compareEnumerated(
        context, ConfigKey::encoding_style, source, dest, Encoding::Style::form,
        [](const Encoding& n) { return n.style(); }, openapi::encodingStyleToString);
    compareFlag(context, ConfigKey::encoding_explode, source, dest, false,
                [](const Encoding& n) { return n.explode(); });
    compareFlag(context, ConfigKey::encoding_allowReserved, source, dest, false,
                [](const Encoding& n) { return n.allowReserved(); });
    compareMap<openapi::Header>(
        context, ConfigKey::encoding_headers, source, source != nullptr ? &source->headers() : nullptr, dest,
        dest != nullptr ? &dest->headers() : nullptr, [&](const openapi::Header* before, const openapi::Header* after) {
            HeaderDiff(this).process(before, after, context);
        });
    NodeDiff::process(source, dest, context);
}

void SchemaOrMediaTypeDiff::process(const openapi::Node* sourceOwner, const SchemaOrMediaType* source,
                                    const openapi::Node* destOwner, const SchemaOrMediaType* dest, ConfigKey schemaKey,
                                    ConfigKey contentKey, Context& context) {
    auto schemaOf = [](const SchemaOrMediaType* form) -> const Schema* {
        return form != nullptr && form->schemaMode() == SchemaOrMediaType::Mode::schema ? form->schema() : nullptr;
    };
    auto mediaTypeOf = [](const SchemaOrMediaType* form) -> const MediaType* {
        return form != nullptr && form->schemaMode() == SchemaOrMediaType::Mode::content ? form->mediaType() : nullptr;
    };
    compareNested<SchemaDiff>(this, context, schemaKey, schemaOf(source), schemaOf(dest));

    const MediaType* before = mediaTypeOf(source);
    const MediaType* after = mediaTypeOf(dest);
    if (before != nullptr && after != nullptr && source->mediaTypeKey() == dest->mediaTypeKey()) {
        auto scope = context.enterScope(sourceOwner, destOwner, contentKey, dest->mediaTypeKey());
        MediaTypeDiff(this).process(before, after, context);
        return;
    }
    if (after != nullptr) {
        auto scope = context.enterScope(nullptr, destOwner, contentKey, dest->mediaTypeKey());
        MediaTypeDiff(this).process(nullptr, after, context);
    }
    if (before != nullptr) {
        auto scope = context.enterScope(sourceOwner, nullptr, contentKey, source->mediaTypeKey());
        MediaTypeDiff(this).process(before, nullptr, context);
    }
}

}  // namespace zephalon::openapi_diff
