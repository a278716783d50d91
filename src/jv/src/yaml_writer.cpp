#include "zephalon/jv/yaml_writer.h"

#include <fmt/format.h>
#include <yaml.h>

#include <stdexcept>
#include <string_view>

#include "yaml_scalars.h"
#include "zephalon/jv/jv.h"
#include "zephalon/number/number.h"

namespace zephalon::jv {

namespace {

constexpr const char* kNullTag = "tag:yaml.org,2002:null";
constexpr const char* kBoolTag = "tag:yaml.org,2002:bool";
constexpr const char* kIntTag = "tag:yaml.org,2002:int";
constexpr const char* kFloatTag = "tag:yaml.org,2002:float";
constexpr const char* kStrTag = "tag:yaml.org,2002:str";

// Trees built in code are not bounded by a reader; refuse before the recursion could exhaust the stack.
constexpr int kMaxDepth = 1000;

yaml_char_t* tagText(const char* tag) { return reinterpret_cast<yaml_char_t*>(const_cast<char*>(tag)); }

}  // namespace

class YAMLWriter::Impl {
  public:
    explicit Impl(int indentSize) : flow_(indentSize == 0) {
        if (!yaml_emitter_initialize(&emitter_)) throw std::runtime_error("Failed to initialize emitter");
        yaml_emitter_set_output(&emitter_, &Impl::appendOutput, this);
        yaml_emitter_set_encoding(&emitter_, YAML_UTF8_ENCODING);
        yaml_emitter_set_indent(&emitter_, indentSize == 0 ? 2 : indentSize);
        yaml_emitter_set_unicode(&emitter_, 1);
        yaml_emitter_set_width(&emitter_, -1);
    }
    ~Impl() { yaml_emitter_delete(&emitter_); }
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    void writeDocument(const JV& root, const PropertyFactory& factory) {
        yaml_event_t event;
        if (!yaml_stream_start_event_initialize(&event, YAML_UTF8_ENCODING)) {
            throw std::runtime_error("Failed to initialize stream start event");
        }
        emit(event, "Failed to emit stream start event");
        if (!yaml_document_start_event_initialize(&event, nullptr, nullptr, nullptr, 1)) {
            throw std::runtime_error("Failed to initialize document start event");
        }
        emit(event, "Failed to emit document start event");
        writeNode(root, factory, 0);
        if (!yaml_document_end_event_initialize(&event, 1)) {
            throw std::runtime_error("Failed to initialize document end event");
        }
        emit(event, "Failed to emit document end event");
        if (!yaml_stream_end_event_initialize(&event)) {
            throw std::runtime_error("Failed to initialize stream end event");
        }
        emit(event, "Failed to emit stream end event");
        yaml_emitter_flush(&emitter_);
    }

    std::string output;

  private:
    static int appendOutput(void* data, unsigned char* buffer, size_t size) {
        static_cast<Impl*>(data)->output.append(reinterpret_cast<const char*>(buffer), size);
        return 1;
    }

    void emit(yaml_event_t& event, const char* failure) {
        // The emitter takes ownership of the event whether or not it succeeds.
        if (!yaml_emitter_emit(&emitter_, &event)) throw std::runtime_error(failure);
    }

    void scalar(std::string_view text, const char* tag, yaml_scalar_style_t style, const char* initFailure,
                const char* emitFailure) {
        yaml_event_t event;
        if (!yaml_scalar_event_initialize(&event, nullptr, tagText(tag),
                                          reinterpret_cast<const yaml_char_t*>(text.data()),
                                          static_cast<int>(text.size()), 1, 1, style)) {
            throw std::runtime_error(initFailure);
        }
        emit(event, emitFailure);
    }

    void stringScalar(std::string_view text) {
        scalar(text, kStrTag, yamlStringNeedsQuotes(text) ? YAML_DOUBLE_QUOTED_SCALAR_STYLE : YAML_ANY_SCALAR_STYLE,
               "Failed to initialize string scalar event", "Failed to emit string scalar event");
    }

    void numberScalar(const number::Number& value) {
        const char* tag = value.isInteger() ? kIntTag : kFloatTag;
        std::string text;
        if (value.isNaN()) {
            text = ".nan";
        } else if (value.isInfinity()) {
            text = value.compare(number::Number(0)) < 0 ? "-.inf" : ".inf";
        } else {
            text = value.string(0);
        }
        scalar(text, tag, YAML_PLAIN_SCALAR_STYLE, "Failed to initialize number scalar event",
               "Failed to emit number scalar event");
    }

    void writeNode(const JV& node, const PropertyFactory& factory, int depth) {
        switch (node.type()) {
            case JV::Type::Null:
                scalar("null", kNullTag, YAML_PLAIN_SCALAR_STYLE, "Failed to initialize null scalar event",
                       "Failed to emit null scalar event");
                return;
            case JV::Type::Boolean:
                scalar(node.booleanValue() ? "true" : "false", kBoolTag, YAML_PLAIN_SCALAR_STYLE,
                       "Failed to initialize boolean scalar event", "Failed to emit boolean scalar event");
                return;
            case JV::Type::Number:
                numberScalar(node.numberValue());
                return;
            case JV::Type::String:
                stringScalar(node.stringValue());
                return;
            case JV::Type::Array:
                writeArray(node, factory, depth);
                return;
            case JV::Type::Object:
                writeObject(node, factory, depth);
                return;
        }
    }

    void checkDepth(int depth) {
        if (depth >= kMaxDepth) {
            throw std::runtime_error(fmt::format("YAML output is nested deeper than {} levels", kMaxDepth));
        }
    }

    void writeArray(const JV& node, const PropertyFactory& factory, int depth) {
        checkDepth(depth);
        yaml_event_t event;
        if (!yaml_sequence_start_event_initialize(&event, nullptr, nullptr, 1,
                                                  flow_ ? YAML_FLOW_SEQUENCE_STYLE : YAML_BLOCK_SEQUENCE_STYLE)) {
            throw std::runtime_error("Failed to initialize sequence start event");
        }
        emit(event, "Failed to emit sequence start event");
        for (const JV* element : node.items()) writeNode(*element, factory, depth + 1);
        if (!yaml_sequence_end_event_initialize(&event)) {
            throw std::runtime_error("Failed to initialize sequence end event");
        }
        emit(event, "Failed to emit sequence end event");
    }

    void writeObject(const JV& node, const PropertyFactory& factory, int depth) {
        checkDepth(depth);
        yaml_event_t event;
        if (!yaml_mapping_start_event_initialize(&event, nullptr, nullptr, 1,
                                                 flow_ ? YAML_FLOW_MAPPING_STYLE : YAML_BLOCK_MAPPING_STYLE)) {
            throw std::runtime_error("Failed to initialize mapping start event");
        }
        emit(event, "Failed to emit mapping start event");
        for (auto [key, value] : factory(node)) {
            scalar(key, kStrTag, YAML_ANY_SCALAR_STYLE, "Failed to initialize string scalar event",
                   "Failed to emit string scalar event");
            writeNode(*value, factory, depth + 1);
        }
        if (!yaml_mapping_end_event_initialize(&event)) {
            throw std::runtime_error("Failed to initialize mapping end event");
        }
        emit(event, "Failed to emit mapping end event");
    }

    yaml_emitter_t emitter_{};
    bool flow_;
};

YAMLWriter::YAMLWriter() = default;
YAMLWriter::~YAMLWriter() = default;

void YAMLWriter::write(const JV& node) {
    writeWith(node, propertyFactory_ ? propertyFactory_ : keyOrderPropertyFactory());
}

void YAMLWriter::write(const JVDoc& doc) {
    const JV* root = doc.root();
    if (root == nullptr) throw std::runtime_error("Cannot write a document without a root value");
    writeWith(*root, propertyFactory_ ? propertyFactory_ : documentPropertyFactory(doc));
}

void YAMLWriter::writeWith(const JV& node, const PropertyFactory& factory) {
    // A fresh emitter per document: after a failure libyaml's emitter cannot be reused.
    impl_ = std::make_unique<Impl>(indentSize_);
    impl_->writeDocument(node, factory);
}

const std::string& YAMLWriter::toString() const {
    static const std::string kEmpty;
    return impl_ ? impl_->output : kEmpty;
}

std::string YAMLWriter::release() {
    if (!impl_) return {};
    std::string text = std::move(impl_->output);
    impl_.reset();
    return text;
}

}  // namespace zephalon::jv
