#include "zephalon/jv/yaml_reader.h"

#include <fmt/format.h>
#include <yaml.h>

#include <algorithm>
#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "yaml_scalars.h"
#include "zephalon/jv/json_reader.h"

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

// Builds the tree from the events of one stream through the JSON reader's tree builder, which interns short
// texts and sorts each object once when it closes.
//
// Aliases are replayed from a log: while an anchored collection is open, every event is logged (texts in one
// arena), and an anchor names its slice of the log. Replayed events are logged again when they land inside
// another anchored collection, reusing the texts already in the arena.
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
                    alias(reinterpret_cast<const char*>(event->data.alias.anchor));
                    break;
                case YAML_SEQUENCE_START_EVENT:
                    start(Kind::SeqStart, *event, event->data.sequence_start.anchor);
                    break;
                case YAML_MAPPING_START_EVENT:
                    start(Kind::MapStart, *event, event->data.mapping_start.anchor);
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
    enum class Kind : std::uint8_t { Null, True, False, Number, String, MapStart, SeqStart, End };

    struct Logged {
        Kind kind;
        Pos pos;
        std::size_t offset = 0;  // scalar text in the arena
        std::size_t length = 0;
    };

    struct Frame {
        bool map;
        bool keyNext;
        std::size_t height = 1;      // levels of collections at and below this one
        std::size_t size = 1;        // nodes in the subtree
        std::ptrdiff_t anchor = -1;  // index in opening_ when the collection is anchored
    };

    struct Opening {
        std::string name;
        std::size_t begin;
    };

    struct Anchor {
        std::size_t begin;
        std::size_t end;
        std::size_t height;
        std::size_t size;
    };

    bool keyDue() const { return !frames_.empty() && frames_.back().keyNext; }

    static Kind classify(const yaml_event_t& event, std::string_view text) {
        if (event.data.scalar.style != YAML_PLAIN_SCALAR_STYLE || isStringTag(event.data.scalar.tag)) {
            return Kind::String;
        }
        if (yamlPlainIsNull(text)) return Kind::Null;
        if (auto boolean = yamlPlainBoolean(text)) return *boolean ? Kind::True : Kind::False;
        if (yamlMayBeNumber(text) && number::NumberParser(text).valid()) return Kind::Number;
        return Kind::String;
    }

    Logged logText(Kind kind, std::string_view text) {
        Logged entry{kind, Pos{}, arena_.size(), text.size()};
        arena_.append(text);
        return entry;
    }

    void scalar(const yaml_event_t& event) {
        std::string_view text = scalarText(event);
        const yaml_char_t* anchor = event.data.scalar.anchor;
        bool isKey = keyDue();
        // Keys are typed only when they may be replayed, as a value, through an alias.
        Kind kind = isKey && recording_ == 0 && anchor == nullptr ? Kind::String : classify(event, text);
        if (recording_ > 0 || anchor != nullptr) {
            // Outside a recording, an anchored scalar gets a slot of its own between the recorded slices.
            std::size_t index = log_.size();
            log_.push_back(logText(kind, text));
            if (anchor != nullptr) anchors_[reinterpret_cast<const char*>(anchor)] = Anchor{index, index + 1, 0, 1};
        }
        if (isKey) {
            key(text);
        } else {
            value(kind, text);
        }
    }

    void key(std::string_view text) {
        check(handler_.handleMapKey(text.data(), text.size(), Pos{}));
        frames_.back().keyNext = false;
    }

    void value(Kind kind, std::string_view text) {
        switch (kind) {
            case Kind::Null:
                check(handler_.handleNull(Pos{}));
                break;
            case Kind::True:
            case Kind::False:
                check(handler_.handleBoolean(kind == Kind::True ? 1 : 0, Pos{}));
                break;
            case Kind::Number:
                number(text);
                break;
            default:
                check(handler_.handleString(text.data(), text.size(), Pos{}));
                break;
        }
        placed(0, 1);
    }

    // The classification only checked the syntax; the value decides between a number and, for an exponent beyond
    // the number parser's range, a string.
    void number(std::string_view text) {
        std::optional<number::Number> parsed = number::Number::parse(text);
        if (!parsed) {
            check(handler_.handleString(text.data(), text.size(), Pos{}));
        } else if (parsed->isLong()) {
            check(handler_.handleInteger(parsed->longValue(), Pos{}));
        } else if (parsed->isDouble()) {
            check(handler_.handleDouble(parsed->doubleValue(), Pos{}));
        } else {
            check(handler_.handleNumber(text.data(), text.size(), Pos{}));
        }
    }

    void start(Kind kind, const yaml_event_t& event, const yaml_char_t* anchor) {
        if (keyDue()) refuse("a mapping key must be a scalar");
        if (frames_.size() >= YAMLReader::kMaxDepth) throw std::runtime_error(kSyntaxError);
        Pos pos{static_cast<std::int32_t>(event.start_mark.line), static_cast<std::int32_t>(event.start_mark.column)};
        Frame frame{kind == Kind::MapStart, kind == Kind::MapStart};
        if (anchor != nullptr) {
            frame.anchor = static_cast<std::ptrdiff_t>(opening_.size());
            opening_.push_back(Opening{reinterpret_cast<const char*>(anchor), log_.size()});
            ++recording_;
        }
        open(kind, pos, frame);
    }

    void open(Kind kind, Pos pos, Frame frame) {
        if (recording_ > 0) log_.push_back(Logged{kind, pos});
        check(kind == Kind::MapStart ? handler_.handleStartMap(pos) : handler_.handleStartArray(pos));
        frames_.push_back(frame);
    }

    void end() {
        Frame frame = frames_.back();
        frames_.pop_back();
        if (recording_ > 0) log_.push_back(Logged{Kind::End, Pos{}});
        check(frame.map ? handler_.handleEndMap(Pos{}) : handler_.handleEndArray(Pos{}));
        if (frame.anchor >= 0) {
            Opening opening = std::move(opening_.back());
            opening_.pop_back();
            --recording_;
            anchors_[opening.name] = Anchor{opening.begin, log_.size(), frame.height, frame.size};
        }
        placed(frame.height, frame.size);
    }

    void placed(std::size_t height, std::size_t size) {
        if (frames_.empty()) return;
        Frame& top = frames_.back();
        top.height = std::max(top.height, height + 1);
        top.size += size;
        if (top.map) top.keyNext = true;
    }

    void alias(std::string_view name) {
        auto found = anchors_.find(std::string(name));
        if (found == anchors_.end()) refuse(fmt::format("unknown alias '*{}'", name));
        Anchor anchor = found->second;
        if (keyDue()) {
            const Logged& entry = log_[anchor.begin];
            if (entry.kind >= Kind::MapStart) refuse("a mapping key must be a scalar");
            if (recording_ > 0) log_.push_back(entry);
            key(std::string_view(arena_).substr(entry.offset, entry.length));
            return;
        }
        if (frames_.size() + anchor.height > YAMLReader::kMaxDepth) throw std::runtime_error(kSyntaxError);
        aliasNodes_ += anchor.size;
        if (aliasNodes_ > YAMLReader::kMaxAliasNodes) {
            refuse(fmt::format("aliases expand to more than {} nodes", YAMLReader::kMaxAliasNodes));
        }
        replay(anchor);
    }

    // Re-sends the events of an anchored slice. Indices, not references, into the log: replaying may log.
    void replay(const Anchor& anchor) {
        for (std::size_t i = anchor.begin; i < anchor.end; ++i) {
            Logged entry = log_[i];
            switch (entry.kind) {
                case Kind::MapStart:
                case Kind::SeqStart:
                    open(entry.kind, entry.pos, Frame{entry.kind == Kind::MapStart, entry.kind == Kind::MapStart});
                    break;
                case Kind::End:
                    end();
                    break;
                default: {
                    if (recording_ > 0) log_.push_back(entry);
                    std::string_view text = std::string_view(arena_).substr(entry.offset, entry.length);
                    if (keyDue()) {
                        key(text);
                    } else {
                        value(entry.kind, text);
                    }
                    break;
                }
            }
        }
    }

    void check(int status) {
        if (status == 0) refuse(handler_.failure());
    }

    std::unique_ptr<JVDoc> finish() {
        std::unique_ptr<JVDoc> doc = handler_.document();
        if (doc == nullptr) {
            doc = std::make_unique<JVDoc>();
            doc->setRoot(JV::Type::Null);
        }
        return doc;
    }

    DefaultHandler handler_;
    std::vector<Frame> frames_;
    std::vector<Opening> opening_;
    std::size_t recording_ = 0;
    std::vector<Logged> log_;
    std::string arena_;
    std::unordered_map<std::string, Anchor> anchors_;
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
