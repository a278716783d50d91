#include "response_diff.h"

#include "containers.h"
#include "content_diff.h"
#include "example_diff.h"
#include "server_diff.h"

namespace zephalon::openapi_diff {

using openapi::Header;
using openapi::Link;
using openapi::MediaType;
using openapi::Response;
using openapi::Responses;

void ResponsesDiff::process(const Responses* source, const Responses* dest, Context& context) {
    compareMap<Response>(
        context, ConfigKey::responses, source, source != nullptr ? &source->responses() : nullptr, dest,
        dest != nullptr ? &dest->responses() : nullptr,
        [&](const Response* before, const Response* after) { ResponseDiff(this).process(before, after, context); });
    NodeDiff::process(source, dest, context);
}

void ResponseDiff::process(const Response* source, const Response* dest, Context& context) {
    auto pair = context.beginPair(source, dest);
    if (!pair.compare()) return;
    context.emitSelf(source, dest);
    compareProperty(
        context, ConfigKey::response_description, source, dest,
        [](const Response& n) -> auto& { return n.description(); });
    compareMap<Header>(
        context, ConfigKey::response_headers, source, source != nullptr ? &source->headers() : nullptr, dest,
        dest != nullptr ? &dest->headers() : nullptr,
        [&](const Header* before, const Header* after) { HeaderDiff(this).process(before, after, context); });
    compareMap<MediaType>(
        context, ConfigKey::response_content, source, source != nullptr ? &source->content() : nullptr, dest,
        dest != nullptr ? &dest->content() : nullptr,
        [&](const MediaType* before, const MediaType* after) { MediaTypeDiff(this).process(before, after, context); });
    compareMap<Link>(context, ConfigKey::response_links, source, source != nullptr ? &source->links() : nullptr, dest,
                     dest != nullptr ? &dest->links() : nullptr,
                     [&](const Link* before, const Link* after) { LinkDiff(this).process(before, after, context); });
    NodeDiff::process(source, dest, context);
}

void HeaderDiff::process(const Header* source, const Header* dest, Context& context) {
    auto pair = context.beginPair(source, dest);
    if (!pair.compare()) return;
    context.emitSelf(source, dest);
    compareProperty(
        context, ConfigKey::header_description, source, dest, [](const Header& n) -> auto& { return n.description(); });
    compareFlag(context, ConfigKey::header_required, source, dest, false, [](const Header& n) { return n.required(); });
    compareFlag(context, ConfigKey::header_deprecated, source, dest, false,
                [](const Header& n) { return n.deprecated(); });
    compareFlag(context, ConfigKey::header_explode, source, dest, false, [](const Header& n) { return n.explode(); });
    ExamplesDiff(this).process(source, source != nullptr ? &source->examples() : nullptr, dest,
                               dest != nullptr ? &dest->examples() : nullptr, ConfigKey::header_example,
                               ConfigKey::header_examples, context);
    SchemaOrMediaTypeDiff(this).process(source, source != nullptr ? &source->schemaOrContent() : nullptr, dest,
                                        dest != nullptr ? &dest->schemaOrContent() : nullptr, ConfigKey::header_schema,
                                        ConfigKey::header_content, context);
    NodeDiff::process(source, dest, context);
}

void LinkDiff::process(const Link* source, const Link* dest, Context& context) {
    auto pair = context.beginPair(source, dest);
    if (!pair.compare()) return;
    context.emitSelf(source, dest);
    compareProperty(
        context, ConfigKey::link_operationRef, source, dest, [](const Link& n) -> auto& { return n.operationRef(); });
    compareProperty(
        context, ConfigKey::link_operationId, source, dest, [](const Link& n) -> auto& { return n.operationId(); });
    compareProperty(
        context, ConfigKey::link_description, source, dest, [](const Link& n) -> auto& { return n.description(); });
    compareProperty(context, ConfigKey::link_requestBody, source, dest,
                    [](const Link& n) -> const jv::JV* { return n.requestBody(); });
    compareValueMap(context, ConfigKey::link_parameters, source, source != nullptr ? &source->parameters() : nullptr,
                    dest, dest != nullptr ? &dest->parameters() : nullptr,
                    [](const std::unique_ptr<jv::JV>& value) -> const jv::JV* { return value.get(); });
    auto server = [](const Link& n) -> const openapi::Server* { return n.server(); };
    compareNested<ServerDiff>(this, context, ConfigKey::link_server, subNode(source, server), subNode(dest, server));
    NodeDiff::process(source, dest, context);
}

}  // namespace zephalon::openapi_diff
