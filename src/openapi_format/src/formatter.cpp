#include "zephalon/openapi_format/formatter.h"

#include <array>
#include <ostream>
#include <stdexcept>

#include "config_key.h"
#include "zephalon/jv/json_writer.h"
#include "zephalon/jv/placed_key_order.h"
#include "zephalon/jv/yaml_writer.h"

namespace zephalon::openapi_format {

namespace {

// The key order of each object by its kind. The writer carries every container's place down as it descends, so
// each kind is found in one step from the kind of the container above it; the orders of all kinds are looked up
// in the configuration once.
class KindKeyOrder : public jv::PlacedKeyOrder {
  public:
    explicit KindKeyOrder(const Configuration& config) {
        // Objects without a kind, and kinds in original order, keep the source order; keys the reader did not
        // record (added by code) follow in byte-wise order.
        for (std::size_t kind = 1; kind < kKindCount; ++kind) {
            std::string_view name = kindNameAt(kind);
            switch (config.propertyOrder(name)) {
                case PropertyOrder::Sorted:
                    orders_[kind].rule = jv::KeyOrder::Rule::Bytewise;
                    break;
                case PropertyOrder::Fixed:
                    orders_[kind].rule = jv::KeyOrder::Rule::Listed;
                    orders_[kind].listed = config.fixedPropertyOrder(name);
                    break;
                case PropertyOrder::Original:
                    break;
            }
        }
    }

    Place rootPlace() const override { return rootKindPlace(); }
    Place memberPlace(Place parent, std::string_view key) const override { return childKindPlace(parent, key); }
    Place elementPlace(Place parent) const override { return elementKindPlace(parent); }
    jv::KeyOrder keyOrder(Place place) const override { return orders_[kindIndex(place)]; }

  private:
    std::array<jv::KeyOrder, kKindCount> orders_{};
};

}  // namespace

void Formatter::setConfig(const jv::JV* section) {
    if (section) config_.fromJV(*section);
}

jv::PropertyFactory Formatter::propertyFactory(const jv::JVDoc& doc) const {
    return [this, &doc](const jv::JV& object) {
        std::string_view kind = jpointerToConfigKey(object.pointer());
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
    std::string text = process(doc, format);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out) throw std::runtime_error("Failed to write to the output stream");
}

std::string Formatter::process(const jv::JVDoc& doc, FileFormat format) const {
    const KindKeyOrder order(config_);
    const int indent = static_cast<int>(config_.indentSize());
    if (format == FileFormat::JSON) {
        jv::JSONWriter writer;
        writer.setIndentSize(indent);
        writer.setPlacedKeyOrder(&order);
        writer.write(doc);
        return writer.release();
    }
    jv::YAMLWriter writer;
    writer.setIndentSize(indent);
    writer.setPlacedKeyOrder(&order);
    writer.write(doc);
    return writer.release();
}

}  // namespace zephalon::openapi_format
