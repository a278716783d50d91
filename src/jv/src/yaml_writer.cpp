#include "zephalon/jv/yaml_writer.h"

#include <fmt/format.h>

#include <stdexcept>
#include <string_view>
#include <vector>

#include "ordered_properties.h"
#include "yaml_scalars.h"
#include "zephalon/jv/jv.h"
#include "zephalon/number/number.h"

namespace zephalon::jv {

namespace {

// Trees built in code are not bounded by a reader; refuse before the recursion could exhaust the stack.
constexpr int kMaxDepth = 1000;

// Readers refuse an implicit key that spans this many characters or more up to its ":" — counted as written, quotes
// and escapes included; longer keys are written as explicit "? " keys. Counting bytes errs on the safe side.
constexpr std::size_t kMaxImplicitKey = 1024;

}  // namespace

// Writes the layout the YAML world reads and writes by hand: block mappings indented by the indent size, block
// sequences in a mapping not indented ("key:\n- a"), "{}" and "[]" for empty collections, and one line for the
// whole document in flow layout. Scalars are written as yamlStringStyle says; UTF-8 text is written as it is.
class YAMLWriter::Impl {
  public:
    // Keys come in the order of `placed` when given, else of `factory` when given, else by `fallback`.
    Impl(int indentSize, const PropertyFactory* factory, const PlacedKeyOrder* placed, KeyOrder::Rule fallback)
        : flow_(indentSize == 0),
          indent_(indentSize == 0 ? 2 : indentSize),
          factory_(factory),
          placed_(placed),
          fallback_(fallback) {}

    void writeDocument(const JV& root) {
        const Place place = placed_ != nullptr ? placed_->rootPlace() : 0;
        if (flow_) {
            flowNode(root, 0, place);
        } else if (isFilled(root)) {
            root.isObject() ? blockMapping(root, 0, false, 0, place) : blockSequence(root, 0, false, 0, place);
            return;
        } else {
            scalarOrEmpty(root, indent_);
        }
        output.push_back('\n');
    }

    std::string output;

  private:
    using Place = PlacedKeyOrder::Place;

    // Calls `visit(key, value, place of value)` for the properties of a mapping in the chosen order.
    template <typename Visit>
    void properties(const JV& node, Place place, Visit&& visit) {
        auto withPlace = [&](std::string_view key, const JV& value) {
            Place valuePlace = 0;
            if (placed_ != nullptr && detail::isContainer(value)) valuePlace = placed_->memberPlace(place, key);
            visit(key, value, valuePlace);
        };
        if (placed_ != nullptr) {
            detail::visitInOrder(node, placed_->keyOrder(place), taken_, withPlace);
        } else if (factory_ != nullptr) {
            for (auto [key, value] : (*factory_)(node)) withPlace(key, *value);
        } else {
            detail::visitInOrder(node, KeyOrder{fallback_}, taken_, withPlace);
        }
    }

    // The place of the array's elements, asked for once per array and only when an element is a container.
    struct ElementPlace {
        const PlacedKeyOrder* order;
        Place array;
        Place place = 0;
        bool known = false;

        Place of(const JV& element) {
            if (order != nullptr && !known && detail::isContainer(element)) {
                place = order->elementPlace(array);
                known = true;
            }
            return place;
        }
    };

    static bool isFilled(const JV& node) { return (node.isObject() || node.isArray()) && node.size() > 0; }

    void checkDepth(int depth) const {
        if (depth >= kMaxDepth) {
            throw std::runtime_error(fmt::format("YAML output is nested deeper than {} levels", kMaxDepth));
        }
    }

    void spaces(int count) { output.append(static_cast<std::size_t>(count), ' '); }

    // A mapping whose first line continues a line already begun (after "- ") when `inlineFirst` is set; its keys
    // stand at `column`.
    void blockMapping(const JV& node, int column, bool inlineFirst, int depth, Place place) {
        checkDepth(depth);
        bool first = true;
        properties(node, place, [&](std::string_view key, const JV& value, Place valuePlace) {
            if (!(first && inlineFirst)) spaces(column);
            first = false;
            if (writeKey(key, false, column)) {
                output.push_back('\n');
                spaces(column);
            }
            output.push_back(':');
            afterKey(value, column, depth, valuePlace);
        });
    }

    // Writes a key, made explicit ("? " before it) when its written form is too long for an implicit key; says
    // whether it did. Only the key follows the insertion point, so the insertion moves nothing else.
    bool writeKey(std::string_view key, bool flow, int column) {
        const std::size_t start = output.size();
        string(key, flow, true, column);
        if (output.size() - start < kMaxImplicitKey) return false;
        output.insert(start, "? ");
        return true;
    }

    void afterKey(const JV& value, int column, int depth, Place place) {
        if (!isFilled(value)) {
            output.push_back(' ');
            scalarOrEmpty(value, column + indent_);
            output.push_back('\n');
        } else if (value.isObject()) {
            output.push_back('\n');
            blockMapping(value, column + indent_, false, depth + 1, place);
        } else {
            // Sequences in a mapping stand at the key's column, as most YAML is written.
            output.push_back('\n');
            blockSequence(value, column, false, depth + 1, place);
        }
    }

    void blockSequence(const JV& node, int column, bool inlineFirst, int depth, Place place) {
        checkDepth(depth);
        bool first = true;
        ElementPlace elementPlace{placed_, place};
        for (const JV* item : node.items()) {
            if (!(first && inlineFirst)) spaces(column);
            first = false;
            output.push_back('-');
            if (!isFilled(*item)) {
                output.push_back(' ');
                scalarOrEmpty(*item, column + indent_);
                output.push_back('\n');
                continue;
            }
            spaces(indent_ - 1);
            if (item->isObject()) {
                blockMapping(*item, column + indent_, true, depth + 1, elementPlace.of(*item));
            } else {
                blockSequence(*item, column + indent_, true, depth + 1, elementPlace.of(*item));
            }
        }
    }

    void flowNode(const JV& node, int depth, Place place) {
        if (node.isObject()) {
            checkDepth(depth);
            output.push_back('{');
            bool first = true;
            properties(node, place, [&](std::string_view key, const JV& value, Place valuePlace) {
                if (!first) output.append(", ");
                first = false;
                writeKey(key, true, 0);
                output.append(": ");
                flowNode(value, depth + 1, valuePlace);
            });
            output.push_back('}');
        } else if (node.isArray()) {
            checkDepth(depth);
            output.push_back('[');
            bool first = true;
            ElementPlace elementPlace{placed_, place};
            for (const JV* item : node.items()) {
                if (!first) output.append(", ");
                first = false;
                flowNode(*item, depth + 1, elementPlace.of(*item));
            }
            output.push_back(']');
        } else {
            scalarOrEmpty(node, 0);
        }
    }

    // A scalar, or an empty collection, on the current line. `blockColumn` is where a literal block's lines go.
    void scalarOrEmpty(const JV& node, int blockColumn) {
        switch (node.type()) {
            case JV::Type::Null:
                output.append("null");
                return;
            case JV::Type::Boolean:
                output.append(node.booleanValue() ? "true" : "false");
                return;
            case JV::Type::Number:
                number(node.numberValue());
                return;
            case JV::Type::String:
                string(node.stringValue(), flow_, false, blockColumn);
                return;
            case JV::Type::Array:
                output.append("[]");
                return;
            case JV::Type::Object:
                output.append("{}");
                return;
        }
    }

    void number(const number::Number& value) {
        if (value.isNaN()) {
            output.append(".nan");
        } else if (value.isInfinity()) {
            output.append(value.compare(number::Number(0)) < 0 ? "-.inf" : ".inf");
        } else {
            output.append(value.string(0));
        }
    }

    void string(std::string_view text, bool flow, bool key, int blockColumn) {
        switch (yamlStringStyle(text, flow, key)) {
            case YamlStringStyle::Plain:
                output.append(text);
                return;
            case YamlStringStyle::SingleQuoted:
                singleQuoted(text);
                return;
            case YamlStringStyle::DoubleQuoted:
                doubleQuoted(text);
                return;
            case YamlStringStyle::Literal:
                literal(text, blockColumn);
                return;
        }
    }

    void singleQuoted(std::string_view text) {
        output.push_back('\'');
        for (char c : text) {
            if (c == '\'') output.push_back('\'');
            output.push_back(c);
        }
        output.push_back('\'');
    }

    void doubleQuoted(std::string_view text);

    // "|" keeps one final line break, "|-" none and "|+" all of them; the lines follow at `column`.
    void literal(std::string_view text, int column) {
        std::size_t body = text.size();
        if (body > 0 && text[body - 1] == '\n') --body;
        bool keepsMore = body > 0 && text[body - 1] == '\n';
        output.append(text.size() == body ? "|-" : keepsMore ? "|+" : "|");
        std::string_view lines = text.substr(0, body);
        std::size_t start = 0;
        for (;;) {
            std::size_t end = lines.find('\n', start);
            std::string_view line = lines.substr(start, end == std::string_view::npos ? end : end - start);
            output.push_back('\n');
            if (!line.empty()) {
                spaces(column);
                output.append(line);
            }
            if (end == std::string_view::npos) break;
            start = end + 1;
        }
    }

    bool flow_;
    int indent_;
    const PropertyFactory* factory_;
    const PlacedKeyOrder* placed_;
    KeyOrder::Rule fallback_;
    std::vector<std::uint8_t> taken_;
};

void YAMLWriter::Impl::doubleQuoted(std::string_view text) {
    output.push_back('"');
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        switch (c) {
            case '"':
                output.append("\\\"");
                continue;
            case '\\':
                output.append("\\\\");
                continue;
            case '\0':
                output.append("\\0");
                continue;
            case '\a':
                output.append("\\a");
                continue;
            case '\b':
                output.append("\\b");
                continue;
            case '\t':
                output.append("\\t");
                continue;
            case '\n':
                output.append("\\n");
                continue;
            case '\v':
                output.append("\\v");
                continue;
            case '\f':
                output.append("\\f");
                continue;
            case '\r':
                output.append("\\r");
                continue;
            case 0x1B:
                output.append("\\e");
                continue;
            default:
                break;
        }
        if (c < 0x20 || c == 0x7F) {
            output.append(fmt::format("\\x{:02X}", c));
            continue;
        }
        if (c < 0x80) {
            output.push_back(static_cast<char>(c));
            continue;
        }
        // A multi-byte sequence: printable ones are written as they are, the rest as escapes of their code point.
        std::size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
        std::uint32_t cp = n == 0 ? 0 : c & (0x7F >> n);
        bool wellFormed = n > 0 && i + n <= text.size();
        for (std::size_t k = 1; wellFormed && k < n; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            wellFormed = (next & 0xC0) == 0x80;
            cp = (cp << 6) | (next & 0x3F);
        }
        static constexpr std::uint32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!wellFormed || cp < kMinimum[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            throw std::runtime_error("YAML output cannot hold text that is not valid UTF-8");
        }
        if (cp == 0x85) {
            output.append("\\N");
        } else if (cp == 0x2028) {
            output.append("\\L");
        } else if (cp == 0x2029) {
            output.append("\\P");
        } else if (cp <= 0x9F) {
            output.append(fmt::format("\\x{:02X}", cp));
        } else if (cp == 0xFEFF || cp == 0xFFFE || cp == 0xFFFF) {
            output.append(fmt::format("\\u{:04X}", cp));
        } else {
            output.append(text.substr(i, n));
        }
        i += n - 1;
    }
    output.push_back('"');
}

YAMLWriter::YAMLWriter() = default;
YAMLWriter::~YAMLWriter() = default;

void YAMLWriter::write(const JV& node) { writeWith(node, KeyOrder::Rule::Bytewise); }

void YAMLWriter::write(const JVDoc& doc) {
    const JV* root = doc.root();
    if (root == nullptr) throw std::runtime_error("Cannot write a document without a root value");
    writeWith(*root, KeyOrder::Rule::Source);
}

void YAMLWriter::writeWith(const JV& node, KeyOrder::Rule fallback) {
    // A fresh writer per document, so a failed write leaves no partial text behind.
    impl_.reset();
    auto impl =
        std::make_unique<Impl>(indentSize_, propertyFactory_ ? &propertyFactory_ : nullptr, placedOrder_, fallback);
    impl->writeDocument(node);
    impl_ = std::move(impl);
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
