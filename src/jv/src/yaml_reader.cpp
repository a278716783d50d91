#include "zephalon/jv/yaml_reader.h"

#include <fmt/format.h>
#include <yaml.h>

#include <algorithm>
#include <istream>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "yaml_scalars.h"

namespace zephalon::jv {

namespace {

constexpr const char* kSyntaxError = "Failed to parse YAML";

[[noreturn]] void refuse(std::string_view reason) {
    throw std::runtime_error(fmt::format("{}: {}", kSyntaxError, reason));
}

std::string_view scalarText(const yaml_event_t& event) {
    return {reinterpret_cast<const char*>(event.data.scalar.value), event.data.scalar.length};
}

bool isStringTag(const yaml_char_t* tag) {
    if (tag == nullptr) return false;
    std::string_view text(reinterpret_cast<const char*>(tag));
    // "!" is the non-specific tag, which makes any scalar a string.
    return text == "tag:yaml.org,2002:str" || text == "!";
}

class Parser {
  public:
    explicit Parser(std::string_view text) {
        if (!yaml_parser_initialize(&parser_)) throw std::runtime_error(kSyntaxError);
        yaml_parser_set_input_string(&parser_, reinterpret_cast<const unsigned char*>(text.data()), text.size());
    }
    ~Parser() { yaml_parser_delete(&parser_); }
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    // The next event, owned by the caller through Event.
    bool next(yaml_event_t& event) { return yaml_parser_parse(&parser_, &event) != 0; }

  private:
    yaml_parser_t parser_{};
};

class Event {
  public:
    Event() = default;
    ~Event() {
        if (live_) yaml_event_delete(&event_);
    }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    bool fill(Parser& parser) {
        if (live_) yaml_event_delete(&event_);
        live_ = parser.next(event_);
        return live_;
    }
    const yaml_event_t& operator*() const { return event_; }
    const yaml_event_t* operator->() const { return &event_; }

  private:
    yaml_event_t event_{};
    bool live_ = false;
};

// Builds the tree from the events of one stream.
class TreeBuilder {
  public:
    std::unique_ptr<JVDoc> run(std::string_view text) {
        Parser parser(text);
        Event event;
        for (;;) {
            if (!event.fill(parser)) throw std::runtime_error(kSyntaxError);
            switch (event->type) {
                case YAML_STREAM_END_EVENT:
                    return finish();
                case YAML_DOCUMENT_START_EVENT:
                    if (++documents_ > 1) refuse("the stream holds more than one document");
                    break;
                case YAML_SCALAR_EVENT:
                    scalar(*event);
                    break;
                case YAML_ALIAS_EVENT:
                    alias(*event);
                    break;
                case YAML_SEQUENCE_START_EVENT:
                    start(JV::Type::Array, *event, event->data.sequence_start.anchor);
                    break;
                case YAML_MAPPING_START_EVENT:
                    start(JV::Type::Object, *event, event->data.mapping_start.anchor);
                    break;
                case YAML_SEQUENCE_END_EVENT:
                case YAML_MAPPING_END_EVENT:
                    end();
                    break;
                default:
                    break;
            }
        }
    }

  private:
    struct Open {
        std::unique_ptr<JV> node;
        std::string anchor;
        std::string key;
        bool hasKey = false;
        std::size_t height = 1;  // levels of containers, this one included, below and at this node
        std::size_t size = 1;    // nodes in the subtree
    };

    struct Anchor {
        const JV* node = nullptr;  // the anchored node in the tree, or `own` when it is a mapping key
        std::unique_ptr<JV> own;
        std::size_t height = 0;
        std::size_t size = 1;  // nodes in the anchored subtree
    };

    bool keyDue() const { return !stack_.empty() && stack_.back().node->isObject() && !stack_.back().hasKey; }

    void scalar(const yaml_event_t& event) {
        std::string_view text = scalarText(event);
        const yaml_char_t* anchor = event.data.scalar.anchor;
        if (keyDue()) {
            Open& top = stack_.back();
            top.key.assign(text);
            top.hasKey = true;
            if (anchor != nullptr) {
                Anchor& entry = defineAnchor(anchor);
                entry.own = std::make_unique<JV>(text);
                entry.node = entry.own.get();
            }
            return;
        }
        std::unique_ptr<JV> value = convert(event, text);
        if (anchor != nullptr) defineAnchor(anchor).node = value.get();
        place(std::move(value), 0, 1);
    }

    static std::unique_ptr<JV> convert(const yaml_event_t& event, std::string_view text) {
        if (event.data.scalar.style != YAML_PLAIN_SCALAR_STYLE || isStringTag(event.data.scalar.tag)) {
            return std::make_unique<JV>(text);
        }
        if (yamlPlainIsNull(text)) return std::make_unique<JV>();
        if (auto boolean = yamlPlainBoolean(text)) return std::make_unique<JV>(*boolean);
        if (auto number = yamlPlainNumber(text)) return std::make_unique<JV>(*number);
        return std::make_unique<JV>(text);
    }

    void alias(const yaml_event_t& event) {
        std::string_view name(reinterpret_cast<const char*>(event.data.alias.anchor));
        auto found = anchors_.find(std::string(name));
        if (found == anchors_.end()) refuse(fmt::format("unknown alias '*{}'", name));
        const Anchor& anchor = found->second;
        if (keyDue()) {
            if (anchor.node->type() >= JV::Type::Array) refuse("a mapping key must be a scalar");
            Open& top = stack_.back();
            top.key = scalarKeyText(*anchor.node);
            top.hasKey = true;
            return;
        }
        if (stack_.size() + anchor.height > YAMLReader::kMaxDepth) throw std::runtime_error(kSyntaxError);
        aliasNodes_ += anchor.size;
        if (aliasNodes_ > YAMLReader::kMaxAliasNodes) {
            refuse(fmt::format("aliases expand to more than {} nodes", YAMLReader::kMaxAliasNodes));
        }
        place(copy(*anchor.node), anchor.height, anchor.size);
    }

    static std::string scalarKeyText(const JV& node) {
        switch (node.type()) {
            case JV::Type::Null:
                return "null";
            case JV::Type::Boolean:
                return node.booleanValue() ? "true" : "false";
            case JV::Type::Number:
                return node.numberValue().string(0);
            default:
                return std::string(node.stringValue());
        }
    }

    void start(JV::Type type, const yaml_event_t& event, const yaml_char_t* anchor) {
        if (keyDue()) refuse("a mapping key must be a scalar");
        if (stack_.size() >= YAMLReader::kMaxDepth) throw std::runtime_error(kSyntaxError);
        Open open;
        open.node = std::make_unique<JV>(type);
        open.node->pos =
            Pos{static_cast<std::int32_t>(event.start_mark.line), static_cast<std::int32_t>(event.start_mark.column)};
        if (anchor != nullptr) open.anchor = reinterpret_cast<const char*>(anchor);
        stack_.push_back(std::move(open));
    }

    void end() {
        Open open = std::move(stack_.back());
        stack_.pop_back();
        if (!open.anchor.empty()) {
            Anchor& entry = defineAnchor(reinterpret_cast<const yaml_char_t*>(open.anchor.c_str()));
            entry.node = open.node.get();
            entry.height = open.height;
            entry.size = open.size;
        }
        place(std::move(open.node), open.height, open.size);
    }

    Anchor& defineAnchor(const yaml_char_t* name) {
        // A later anchor of the same name replaces the earlier one for the aliases that follow.
        Anchor& entry = anchors_[reinterpret_cast<const char*>(name)];
        entry = Anchor{};
        return entry;
    }

    void place(std::unique_ptr<JV> value, std::size_t height, std::size_t size) {
        if (stack_.empty()) {
            root_ = std::move(value);
            return;
        }
        Open& top = stack_.back();
        top.height = std::max(top.height, height + 1);
        top.size += size;
        if (top.node->isArray()) {
            top.node->add(std::move(value));
            return;
        }
        // A repeated key replaces the earlier value. The replaced node may be the target of an anchor, so it is
        // kept alive until the document is complete.
        if (!anchors_.empty()) {
            if (auto replaced = top.node->releaseProperty(top.key)) replaced_.push_back(std::move(replaced));
        }
        top.node->setProperty(top.key, std::move(value));
        doc_->addProp(*top.node, top.key);
        top.hasKey = false;
    }

    // A deep copy that keeps positions and source key order, so a copied mapping reads like its original.
    std::unique_ptr<JV> copy(const JV& source) {
        if (source.type() < JV::Type::Array) return source.clone();
        auto result = std::make_unique<JV>(source.type());
        result->pos = source.pos;
        struct Step {
            const JV* from;
            JV* to;
        };
        std::vector<Step> pending{{&source, result.get()}};
        while (!pending.empty()) {
            Step step = pending.back();
            pending.pop_back();
            if (step.from->isArray()) {
                for (const JV* element : step.from->items()) {
                    JV* child = step.to->add(copyShallow(*element));
                    if (element->type() >= JV::Type::Array) pending.push_back({element, child});
                }
            } else {
                for (auto property : step.from->properties()) {
                    JV* child = step.to->setProperty(property.key, copyShallow(*property.value));
                    if (property.value->type() >= JV::Type::Array) pending.push_back({property.value, child});
                }
                for (std::string_view key : doc_->propOrder(*step.from)) doc_->addProp(*step.to, key);
            }
        }
        return result;
    }

    static std::unique_ptr<JV> copyShallow(const JV& node) {
        if (node.type() < JV::Type::Array) return node.clone();
        auto result = std::make_unique<JV>(node.type());
        result->pos = node.pos;
        return result;
    }

    std::unique_ptr<JVDoc> finish() {
        if (root_ == nullptr) root_ = std::make_unique<JV>();
        doc_->setRoot(std::move(root_), true);
        return std::move(doc_);
    }

    std::unique_ptr<JVDoc> doc_ = std::make_unique<JVDoc>();
    std::unique_ptr<JV> root_;
    std::vector<Open> stack_;
    std::unordered_map<std::string, Anchor> anchors_;
    std::vector<std::unique_ptr<JV>> replaced_;
    std::size_t documents_ = 0;
    std::size_t aliasNodes_ = 0;
};

}  // namespace

std::unique_ptr<JVDoc> YAMLReader::read(std::string_view text) {
    TreeBuilder builder;
    return builder.run(text);
}

std::unique_ptr<JVDoc> readYamlString(std::string_view text) { return YAMLReader().read(text); }

std::unique_ptr<JVDoc> readYamlStream(std::istream& in) {
    std::string text;
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
    return readYamlString(text);
}

}  // namespace zephalon::jv
