#include "zephalon/jv/yaml_reader.h"

#include <fmt/format.h>
#include <yaml.h>

#include <algorithm>
#include <cstdint>
#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "stream_text.h"
#include "text_position.h"
#include "yaml_block_scanner.h"
#include "yaml_events.h"
#include "yaml_read_paths.h"
#include "yaml_scalars.h"
#include "zephalon/jv/json_reader.h"
#include "zephalon/jv/read_error.h"

namespace zephalon::jv {

namespace {

constexpr std::string_view kSyntaxError = "Failed to parse YAML";
constexpr std::string_view kMergeKey = "<<";

std::string_view nameOf(const yaml_char_t* name) {
    return name == nullptr ? std::string_view() : std::string_view(reinterpret_cast<const char*>(name));
}

detail::YamlEvent::Tag tagOf(const yaml_char_t* tag) {
    if (tag == nullptr) return detail::YamlEvent::Tag::None;
    std::string_view text(reinterpret_cast<const char*>(tag));
    // "!" is the non-specific tag, which makes any scalar a string.
    return text == "tag:yaml.org,2002:str" || text == "!" ? detail::YamlEvent::Tag::String
                                                           : detail::YamlEvent::Tag::Other;
}

detail::YamlEvent fromLibyaml(const yaml_event_t& event) {
    using Type = detail::YamlEvent::Type;
    detail::YamlEvent out;
    out.start = detail::YamlMark{event.start_mark.line, event.start_mark.column};
    switch (event.type) {
        case YAML_STREAM_END_EVENT:
            out.type = Type::StreamEnd;
            break;
        case YAML_DOCUMENT_START_EVENT:
            out.type = Type::DocumentStart;
            break;
        case YAML_SCALAR_EVENT:
            out.type = Type::Scalar;
            out.text = {reinterpret_cast<const char*>(event.data.scalar.value), event.data.scalar.length};
            out.plain = event.data.scalar.style == YAML_PLAIN_SCALAR_STYLE;
            out.tag = tagOf(event.data.scalar.tag);
            out.anchor = nameOf(event.data.scalar.anchor);
            break;
        case YAML_ALIAS_EVENT:
            out.type = Type::Alias;
            out.text = nameOf(event.data.alias.anchor);
            break;
        case YAML_SEQUENCE_START_EVENT:
            out.type = Type::SequenceStart;
            out.anchor = nameOf(event.data.sequence_start.anchor);
            break;
        case YAML_MAPPING_START_EVENT:
            out.type = Type::MappingStart;
            out.anchor = nameOf(event.data.mapping_start.anchor);
            break;
        case YAML_SEQUENCE_END_EVENT:
            out.type = Type::SequenceEnd;
            break;
        case YAML_MAPPING_END_EVENT:
            out.type = Type::MappingEnd;
            break;
        default:
            break;
    }
    return out;
}

// Marks are 0-based; users and editors count from 1.
Pos userPos(const detail::YamlMark& mark) {
    return Pos{static_cast<std::int32_t>(std::min<std::size_t>(mark.line, INT32_MAX - 1) + 1),
               static_cast<std::int32_t>(std::min<std::size_t>(mark.column, INT32_MAX - 1) + 1)};
}

Pos userPos(const yaml_mark_t& mark) { return userPos(detail::YamlMark{mark.line, mark.column}); }

// The byte at a mark (column counted in characters, as libyaml does), or 0 when the mark is past the text.
char byteAt(std::string_view text, const yaml_mark_t& mark) {
    std::size_t i = 0;
    for (std::size_t line = 0; line < mark.line && i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) ++line;
    }
    for (std::size_t column = 0; column < mark.column && i < text.size(); ++column) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    }
    return i < text.size() ? text[i] : '\0';
}

class Parser {
  public:
    explicit Parser(std::string_view text) {
        if (!yaml_parser_initialize(&parser_)) throw ReadError(std::string(kSyntaxError), Pos{});
        yaml_parser_set_input_string(&parser_, reinterpret_cast<const unsigned char*>(text.data()), text.size());
    }
    ~Parser() { yaml_parser_delete(&parser_); }
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    // The next event, owned by the caller through Event.
    bool next(yaml_event_t& event) { return yaml_parser_parse(&parser_, &event) != 0; }

    // Describes the failure of the last `next` in the words of the issue a user has to fix.
    [[noreturn]] void fail(std::string_view text) const {
        std::string problem = parser_.problem != nullptr ? parser_.problem : "the text is not valid YAML";
        if (parser_.error == YAML_READER_ERROR) {
            std::size_t offset = parser_.problem_offset;
            bool encoding = problem.find("UTF-8") != std::string::npos || problem.find("Unicode") != std::string::npos;
            std::string reason = encoding ? fmt::format("invalid UTF-8 at byte {}", offset)
                                          : fmt::format("{} at byte {}", problem, offset);
            throw ReadError(fmt::format("{}: {}", kSyntaxError, reason), detail::positionOf(text, offset));
        }
        if (parser_.error != YAML_SCANNER_ERROR && parser_.error != YAML_PARSER_ERROR) {
            throw ReadError(fmt::format("{}: {}", kSyntaxError, problem), Pos{});
        }
        const yaml_mark_t& mark = parser_.problem_mark;
        if (problem.find("tab") != std::string::npos || byteAt(text, mark) == '\t') {
            // libyaml's own words for this ("found character that cannot start any token") hide the usual cause.
            throw ReadError(fmt::format("{}: found a tab character where indentation is expected", kSyntaxError),
                            userPos(mark));
        }
        std::string reason = problem;
        if (parser_.context != nullptr) {
            Pos started = userPos(parser_.context_mark);
            reason += fmt::format(" ({} that starts at {}:{})", parser_.context, started.line, started.column);
        }
        throw ReadError(fmt::format("{}: {}", kSyntaxError, reason), userPos(mark));
    }

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

// How the reader learns of a mapping's keys.
enum class Keys : std::uint8_t {
    // Each open mapping's keys are kept as they come, for merges and to refuse a repeated key where it stands.
    Kept,
    // None are kept; the tree builder notices a repeated key as its object closes. A merge key or a repeated key
    // then throws KeysNeeded.
    Trusted,
};

// Stops a reading that keeps no keys when the text needs them.
struct KeysNeeded {};

// Builds the tree from the events of one stream through the JSON reader's tree builder, which interns short
// texts and sorts each object once when it closes.
//
// Aliases are replayed from a log: while an anchored collection is open, every event is logged (texts in one
// arena), and an anchor names its slice of the log. Replayed events are logged again when they land inside
// another anchored collection, reusing the texts already in the arena.
//
// The value of a merge key is captured the same way, with the tree builder muted, and then merged from the log
// into the mapping. The log keeps the merged keys rather than the "<<" entry, so an alias of a mapping that merged
// replays the merged result; the captured value itself is fenced off by a Skip entry.
class TreeBuilder final : public detail::YamlEventSink {
  public:
    TreeBuilder(std::string_view text, Keys keys) : text_(text), keys_(keys) {}

    // Reads the text with libyaml.
    std::unique_ptr<JVDoc> run() {
        Parser parser(text_);
        Event parsed;
        while (!ended_) {
            if (!parsed.fill(parser)) parser.fail(text_);
            event(fromLibyaml(*parsed));
        }
        return finish();
    }

    // Reads the text with the block scanner, which throws BlockScanGaveUp on a text it does not read.
    std::unique_ptr<JVDoc> runBlockScanner() {
        detail::scanBlockYaml(text_, *this);
        return finish();
    }

    void event(const detail::YamlEvent& event) override {
        using Type = detail::YamlEvent::Type;
        current_ = event.start;
        switch (event.type) {
            case Type::StreamEnd:
                ended_ = true;
                break;
            case Type::DocumentStart:
                if (++documents_ > 1) refuse("the stream holds more than one document");
                break;
            case Type::Scalar:
                scalar(event);
                break;
            case Type::Alias:
                alias(event.text);
                break;
            case Type::SequenceStart:
                start(Kind::SeqStart, event);
                break;
            case Type::MappingStart:
                start(Kind::MapStart, event);
                break;
            case Type::SequenceEnd:
            case Type::MappingEnd:
                end();
                break;
            case Type::Other:
                break;
        }
    }

  private:
    enum class Kind : std::uint8_t { Null, True, False, Number, String, MapStart, SeqStart, End, Skip };

    struct Logged {
        Kind kind;
        Pos pos;
        std::size_t offset = 0;  // scalar text in the arena; for Skip, the number of entries it fences off
        std::size_t length = 0;
        bool mergedKey = false;  // a key that a merge lent its mapping
    };

    // Keys of one open mapping, each with 0 when it is the mapping's own, otherwise the number of the merge that
    // lent it. Most mappings hold a handful of keys, which a scan of reused strings finds faster than hashing
    // does; a large one is indexed as well.
    class KeySet {
      public:
        // The merge number stored for a key, or null when the mapping has no such key yet.
        std::size_t* find(std::string_view text) {
            if (index_.empty()) {
                for (std::size_t i = 0; i < size_; ++i) {
                    if (keys_[i].first == text) return &keys_[i].second;
                }
                return nullptr;
            }
            auto found = index_.find(std::string(text));
            return found == index_.end() ? nullptr : &keys_[found->second].second;
        }
        void add(std::string_view text, std::size_t merge) {
            if (size_ == keys_.size()) keys_.emplace_back();
            keys_[size_].first.assign(text);
            keys_[size_].second = merge;
            if (!index_.empty() || size_ + 1 == kScanned) {
                for (std::size_t i = index_.size(); i <= size_; ++i) index_.emplace(keys_[i].first, i);
            }
            ++size_;
        }
        void clear() {
            size_ = 0;
            index_.clear();
        }

      private:
        static constexpr std::size_t kScanned = 16;
        std::vector<std::pair<std::string, std::size_t>> keys_;  // the first size_ are in use
        std::size_t size_ = 0;
        std::unordered_map<std::string, std::size_t> index_;  // key to position, once the mapping is large
    };

    struct Frame {
        bool map;
        bool keyNext;
        std::size_t height = 1;      // levels of collections at and below this one
        std::size_t size = 1;        // nodes in the subtree
        std::ptrdiff_t anchor = -1;  // index in opening_ when the collection is anchored
        bool mergeNext = false;      // the next value belongs to a "<<" key
        bool capture = false;        // this collection is the value of a "<<" key
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

    [[noreturn]] void refuse(std::string_view reason) const {
        throw ReadError(fmt::format("{}: {}", kSyntaxError, reason), userPos(current_));
    }

    [[noreturn]] void tooDeep() const { refuse(fmt::format("nesting deeper than {} levels", YAMLReader::kMaxDepth)); }

    bool keyDue() const { return !frames_.empty() && frames_.back().keyNext; }
    bool mergeDue() const { return !frames_.empty() && frames_.back().map && frames_.back().mergeNext; }

    static Kind classify(const detail::YamlEvent& event) {
        std::string_view text = event.text;
        if (!event.plain || event.tag == detail::YamlEvent::Tag::String) return Kind::String;
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

    std::string_view textOf(const Logged& entry) const {
        return std::string_view(arena_).substr(entry.offset, entry.length);
    }

    void scalar(const detail::YamlEvent& event) {
        std::string_view text = event.text;
        std::string_view anchor = event.anchor;
        bool isKey = keyDue();
        if (isKey && text == kMergeKey && event.plain && event.tag == detail::YamlEvent::Tag::None) {
            // Not a key of its own: the value that follows lends its keys.
            if (keys_ == Keys::Trusted) throw KeysNeeded{};
            frames_.back().keyNext = false;
            frames_.back().mergeNext = true;
            return;
        }
        if (mergeDue()) refuse("a merge key takes a mapping or a list of mappings");
        // Keys are typed only when they may be replayed, as a value, through an alias.
        Kind kind = isKey && recording_ == 0 && anchor.empty() ? Kind::String : classify(event);
        if (recording_ > 0 || !anchor.empty()) {
            // Outside a recording, an anchored scalar gets a slot of its own between the recorded slices.
            std::size_t index = log_.size();
            log_.push_back(logText(kind, text));
            if (!anchor.empty()) anchors_[std::string(anchor)] = Anchor{index, index + 1, 0, 1};
        }
        if (isKey) {
            key(text, 0);
        } else {
            value(kind, text);
        }
    }

    // `merge` is 0 for a mapping's own key, else the number of the merge that lends it.
    void key(std::string_view text, std::size_t merge) {
        if (keys_ == Keys::Kept) {
            KeySet& keys = keySets_[frames_.size() - 1];
            if (std::size_t* stored = keys.find(text)) {
                // An own key overrides a lent one, and a later entry of one merge source an earlier one; two own
                // keys of one name are a conflict the author has to resolve.
                if (merge == 0 && *stored == 0) refuse(fmt::format("duplicate key '{}'", text));
                *stored = merge;
            } else {
                keys.add(text, merge);
            }
        }
        if (muted_ == 0) check(handler_.handleMapKey(text.data(), text.size(), Pos{}));
        frames_.back().keyNext = false;
    }

    void value(Kind kind, std::string_view text) {
        if (muted_ == 0) {
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

    void start(Kind kind, const detail::YamlEvent& event) {
        if (keyDue()) refuse("a mapping key must be a scalar");
        if (frames_.size() >= YAMLReader::kMaxDepth) tooDeep();
        Frame frame{kind == Kind::MapStart, kind == Kind::MapStart};
        if (mergeDue()) {
            // The value of "<<": logged behind a fence and kept from the tree until it is merged.
            frames_.back().mergeNext = false;
            frame.capture = true;
            captures_.push_back(log_.size());
            log_.push_back(Logged{Kind::Skip, Pos{}});
            ++recording_;
            ++muted_;
        }
        if (!event.anchor.empty()) {
            frame.anchor = static_cast<std::ptrdiff_t>(opening_.size());
            opening_.push_back(Opening{std::string(event.anchor), log_.size()});
            ++recording_;
        }
        open(kind, Pos{static_cast<std::int32_t>(event.start.line), static_cast<std::int32_t>(event.start.column)}, frame);
    }

    void open(Kind kind, Pos pos, Frame frame) {
        if (recording_ > 0) log_.push_back(Logged{kind, pos});
        if (muted_ == 0) check(kind == Kind::MapStart ? handler_.handleStartMap(pos) : handler_.handleStartArray(pos));
        frames_.push_back(frame);
        if (keys_ == Keys::Kept) {
            if (keySets_.size() < frames_.size()) keySets_.resize(frames_.size());
            keySets_[frames_.size() - 1].clear();
        }
    }

    void end() {
        Frame frame = frames_.back();
        if (frame.map && frame.mergeNext) refuse("a merge key takes a mapping or a list of mappings");
        frames_.pop_back();
        if (recording_ > 0) log_.push_back(Logged{Kind::End, Pos{}});
        if (muted_ == 0) check(frame.map ? handler_.handleEndMap(Pos{}) : handler_.handleEndArray(Pos{}));
        if (keys_ == Keys::Trusted && handler_.repeatedKey()) throw KeysNeeded{};
        if (frame.anchor >= 0) {
            Opening opening = std::move(opening_.back());
            opening_.pop_back();
            --recording_;
            anchors_[opening.name] = Anchor{opening.begin, log_.size(), frame.height, frame.size};
        }
        if (frame.capture) {
            std::size_t fence = captures_.back();
            captures_.pop_back();
            --recording_;
            --muted_;
            log_[fence].offset = log_.size() - fence - 1;
            mergeCaptured(fence + 1, log_.size());
            return;
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
            // A copy: recording the key may grow the log and move its entries.
            const Logged entry = log_[anchor.begin];
            if (entry.kind >= Kind::MapStart) refuse("a mapping key must be a scalar");
            if (recording_ > 0) log_.push_back(entry);
            key(textOf(entry), 0);
            return;
        }
        if (frames_.size() + anchor.height > YAMLReader::kMaxDepth) tooDeep();
        count(anchor.size);
        if (mergeDue()) {
            frames_.back().mergeNext = false;
            if (log_[anchor.begin].kind != Kind::MapStart) refuse("a merge key takes a mapping or a list of mappings");
            mergeMapping(anchor.begin, anchor.end);
            frames_.back().keyNext = true;
            return;
        }
        replay(anchor.begin, anchor.end, ++merges_);
    }

    void count(std::size_t nodes) {
        aliasNodes_ += nodes;
        if (aliasNodes_ > YAMLReader::kMaxAliasNodes) {
            refuse(fmt::format("aliases expand to more than {} nodes", YAMLReader::kMaxAliasNodes));
        }
    }

    // The index just past the entry (a whole collection for a collection start) at `i`, fences skipped.
    std::size_t skipEntry(std::size_t i) const {
        std::size_t depth = 0;
        do {
            while (log_[i].kind == Kind::Skip) i += log_[i].offset + 1;
            if (log_[i].kind == Kind::MapStart || log_[i].kind == Kind::SeqStart) ++depth;
            if (log_[i].kind == Kind::End) --depth;
            ++i;
        } while (depth > 0);
        return i;
    }

    std::size_t skipFences(std::size_t i) const {
        while (i < log_.size() && log_[i].kind == Kind::Skip) i += log_[i].offset + 1;
        return i;
    }

    // The captured value of a "<<" key, in [begin, end): a mapping, or a sequence of mappings merged in order.
    void mergeCaptured(std::size_t begin, std::size_t end) {
        std::size_t first = skipFences(begin);
        if (log_[first].kind == Kind::MapStart) {
            mergeMapping(first, end);
        } else {
            // Entries of the list, each checked before any is merged, so a bad entry leaves no half merge behind.
            std::vector<std::size_t> entries;
            for (std::size_t i = skipFences(first + 1); log_[i].kind != Kind::End; i = skipFences(skipEntry(i))) {
                if (log_[i].kind != Kind::MapStart) refuse("a merge key takes a mapping or a list of mappings");
                entries.push_back(i);
            }
            for (std::size_t entry : entries) mergeMapping(entry, skipEntry(entry));
        }
        frames_.back().keyNext = true;
    }

    // Lends the mapping logged in [begin, end) every key the open mapping does not have yet. Indices, not
    // references, into the log: merging logs.
    void mergeMapping(std::size_t begin, std::size_t end) {
        std::size_t merge = ++merges_;
        std::size_t depth = frames_.size() - 1;
        for (std::size_t i = skipFences(begin + 1); i < end && log_[i].kind != Kind::End;) {
            Logged entry = log_[i];
            std::size_t valueBegin = skipFences(i + 1);
            std::size_t valueEnd = skipEntry(valueBegin);
            // Looked up afresh for every key: replaying a value opens collections, which may grow keySets_.
            const std::size_t* stored = keySets_[depth].find(textOf(entry));
            if (stored == nullptr || *stored == merge) {
                count(valueEnd - valueBegin + 1);
                Logged lent = entry;
                lent.mergedKey = true;
                if (recording_ > 0) log_.push_back(lent);
                key(textOf(entry), merge);
                replay(valueBegin, valueEnd, merge);
            }
            i = skipFences(valueEnd);
        }
    }

    // Re-sends the events of a logged slice. Indices, not references, into the log: replaying may log.
    void replay(std::size_t from, std::size_t to, std::size_t merge) {
        for (std::size_t i = from; i < to; ++i) {
            Logged entry = log_[i];
            switch (entry.kind) {
                case Kind::Skip:
                    i += entry.offset;
                    break;
                case Kind::MapStart:
                case Kind::SeqStart:
                    open(entry.kind, entry.pos, Frame{entry.kind == Kind::MapStart, entry.kind == Kind::MapStart});
                    break;
                case Kind::End:
                    end();
                    break;
                default: {
                    if (recording_ > 0) log_.push_back(entry);
                    if (keyDue()) {
                        key(textOf(entry), entry.mergedKey ? merge : 0);
                    } else {
                        value(entry.kind, textOf(entry));
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

    std::string_view text_;
    const Keys keys_;
    // The start of the event being handled, which a refusal names.
    detail::YamlMark current_;
    bool ended_ = false;
    DefaultHandler handler_;
    std::vector<Frame> frames_;
    std::vector<KeySet> keySets_;  // by depth, reused
    std::vector<Opening> opening_;
    std::vector<std::size_t> captures_;
    std::size_t recording_ = 0;
    std::size_t muted_ = 0;
    std::size_t merges_ = 0;
    std::vector<Logged> log_;
    std::string arena_;
    std::unordered_map<std::string, Anchor> anchors_;
    std::size_t documents_ = 0;
    std::size_t aliasNodes_ = 0;
};

}  // namespace

std::unique_ptr<JVDoc> YAMLReader::read(std::string_view text) {
    // Most texts are in the layout the block scanner reads, and most need no mapping's keys kept: they have no merge
    // key and no repeated key. A text without the bytes "<<" is read without them first (a text in UTF-16 may still
    // hold a merge key; the block scanner does not read UTF-16). A text that needs the keys after all, or that fails,
    // is read again by libyaml with them, which refuses a repeated key where it stands and so reports the first fault
    // of the text; one the block scanner gives up on is read by libyaml as it would have been.
    Keys keys = text.find(kMergeKey) == std::string_view::npos ? Keys::Trusted : Keys::Kept;
    try {
        return TreeBuilder(text, keys).runBlockScanner();
    } catch (const detail::BlockScanGaveUp&) {
    } catch (const KeysNeeded&) {
        keys = Keys::Kept;
    } catch (const ReadError&) {
        keys = Keys::Kept;
    }
    if (keys == Keys::Trusted) {
        try {
            return TreeBuilder(text, Keys::Trusted).run();
        } catch (const KeysNeeded&) {
        } catch (const ReadError&) {
        }
    }
    return TreeBuilder(text, Keys::Kept).run();
}

namespace detail {

std::unique_ptr<JVDoc> readYamlByBlockScanner(std::string_view text) {
    try {
        return TreeBuilder(text, Keys::Kept).runBlockScanner();
    } catch (const BlockScanGaveUp&) {
        return nullptr;
    }
}

std::unique_ptr<JVDoc> readYamlByLibyaml(std::string_view text) { return TreeBuilder(text, Keys::Kept).run(); }

}  // namespace detail

std::unique_ptr<JVDoc> readYamlString(std::string_view text) { return YAMLReader().read(text); }

std::unique_ptr<JVDoc> readYamlStream(std::istream& in) { return readYamlString(detail::readRest(in)); }

}  // namespace zephalon::jv
