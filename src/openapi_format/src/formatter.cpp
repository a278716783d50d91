#include "zephalon/openapi_format/formatter.h"

#include "config_key.h"

namespace zephalon::openapi_format {

void Formatter::setConfig(const jv::JV* section) {
    if (section) config_.fromJV(*section);
}

jv::PropertyFactory Formatter::propertyFactory(const jv::JVDoc& doc) const {
    return [this, &doc](const jv::JV& object) {
        std::string_view kind = jpointerToConfigKey(object.pointer());
        // Objects without a kind, and kinds in original order, keep the source order; keys the reader did not
        // record (added by code) follow in byte-wise order.
        PropertyOrder order = kind.empty() ? PropertyOrder::Original : config_.propertyOrder(kind);
        switch (order) {
            case PropertyOrder::Sorted:
                return jv::SortedProperties(object);
            case PropertyOrder::Fixed:
                return jv::SortedProperties(object, *config_.fixedPropertyOrder(kind));
            case PropertyOrder::Original:
                break;
        }
        return jv::SortedProperties(object, doc.propOrder(object));
    };
}

void Formatter::process(const jv::JVDoc& doc, std::ostream& out, FileFormat format) const {
    jv::writeStream(doc, out,
                    jv::StreamWriteOptions{format, static_cast<int>(config_.indentSize()), propertyFactory(doc)});
}

std::string Formatter::process(const jv::JVDoc& doc, FileFormat format) const {
    std::string text;
    jv::writeString(doc, text,
                    jv::StreamWriteOptions{format, static_cast<int>(config_.indentSize()), propertyFactory(doc)});
    return text;
}

}  // namespace zephalon::openapi_format
