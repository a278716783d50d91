#include "zephalon/jv/json_reader.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <istream>
#include <limits>
#include <stdexcept>

#include "arena.h"
#include "stream_text.h"
#include "text_position.h"
#include "tree_ops.h"

namespace zephalon::jv {

using detail::Arena;
using detail::ArrayRep;
using detail::Entry;
using detail::ObjectRep;
using detail::Text;
using detail::TreeOps;

// ---- Lines ----

Lines::Lines(std::string_view text) : length_(text.size()) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\n') {
            starts_.push_back(i + 1);
        } else if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            starts_.push_back(i + 1);
        }
    }
}

Pos Lines::pos(std::int64_t offset) const {
    if (offset < 0 || static_cast<std::uint64_t>(offset) >= length_) throw std::out_of_range("Offset is out of range");
    auto at = static_cast<std::size_t>(offset);
    auto it = std::upper_bound(starts_.begin(), starts_.end(), at);
    auto line = static_cast<std::size_t>(it - starts_.begin());
    std::size_t column = at - starts_[line - 1] + 1;
    return Pos{static_cast<std::int32_t>(line), static_cast<std::int32_t>(column)};
}

// ---- Handler ----

int Handler::handleString(const char*, std::size_t, Pos) { return 1; }
int Handler::handleInteger(std::int64_t, Pos) { return 1; }
int Handler::handleDouble(double, Pos) { return 1; }
int Handler::handleNumber(const char*, std::size_t, Pos) { return 1; }
int Handler::handleStartMap(Pos) { return 1; }
int Handler::handleMapKey(const char*, std::size_t, Pos) { return 1; }
int Handler::handleEndMap(Pos) { return 1; }
int Handler::handleStartArray(Pos) { return 1; }
int Handler::handleEndArray(Pos) { return 1; }
int Handler::handleBoolean(int, Pos) { return 1; }
int Handler::handleNull(Pos) { return 1; }

// ---- DefaultHandler ----

namespace {

// Interns the texts of one document as it is read, so that a key (or a short string value) that occurs many times in
// a document is stored once, in the document's arena. Each slot keeps the text's hash beside it, so a probe that meets
// another text is settled without touching that text's bytes (a cache miss each).
class InternTable {
  public:
    InternTable() : slots_(1024) {}
    InternTable(const InternTable&) = delete;
    InternTable& operator=(const InternTable&) = delete;

    // The interned text equal to `bytes`, made in `arena` when it is new.
    Text* get(Arena& arena, std::string_view bytes) {
        // Keys and short values repeat within a few lines of each other: a small table of the texts met last, in
        // the first level cache and compared without a call, answers most of them before the hash is computed and
        // the large table (megabytes for a large document, a cache miss per probe) is consulted.
        if (bytes.size() <= 16) {
            const Short key = Short::of(bytes);
            Recent& r = recent_[key.index()];
            if (r.text != nullptr && r.key == key) return r.text;
            Text* t = lookup(arena, bytes);
            r = Recent{key, t};
            return t;
        }
        return lookup(arena, bytes);
    }

    // Forgets every text, for the next document.
    void clear() {
        std::fill(slots_.begin(), slots_.end(), Slot{});
        count_ = 0;
        recent_.fill(Recent{});
    }

  private:
    // A text of at most 16 bytes as two words that cover all its bytes (they overlap when it is shorter) and its
    // length: equal keys mean equal texts.
    struct Short {
        std::uint64_t a = 0;
        std::uint64_t b = 0;
        std::uint64_t size = 0;

        static Short of(std::string_view bytes) {
            const char* p = bytes.data();
            const std::size_t n = bytes.size();
            Short k;
            k.size = n;
            if (n >= 8) {
                std::memcpy(&k.a, p, 8);
                std::memcpy(&k.b, p + n - 8, 8);
            } else if (n >= 4) {
                std::uint32_t lo;
                std::uint32_t hi;
                std::memcpy(&lo, p, 4);
                std::memcpy(&hi, p + n - 4, 4);
                k.a = lo;
                k.b = hi;
            } else if (n > 0) {
                k.a = static_cast<unsigned char>(p[0]) |
                      (static_cast<std::uint64_t>(static_cast<unsigned char>(p[n / 2])) << 8) |
                      (static_cast<std::uint64_t>(static_cast<unsigned char>(p[n - 1])) << 16);
            }
            return k;
        }
        std::size_t index() const {
            std::uint64_t h = (a * 0x9E3779B97F4A7C15ULL) ^ (b * 0xC2B2AE3D27D4EB4FULL) ^ size;
            return static_cast<std::size_t>(h >> (64 - kRecentBits));
        }
        friend bool operator==(const Short&, const Short&) = default;
    };
    struct Recent {
        Short key;
        Text* text = nullptr;
    };
    static constexpr int kRecentBits = 9;

    Text* lookup(Arena& arena, std::string_view bytes) {
        std::uint64_t h = hash(bytes);
        std::size_t mask = slots_.size() - 1;
        std::size_t i = static_cast<std::size_t>(h) & mask;
        for (;;) {
            const Slot& s = slots_[i];
            if (s.text == nullptr) break;
            if (s.hash == h && s.text->view() == bytes) return s.text;
            i = (i + 1) & mask;
        }
        Text* t = Text::make(arena, bytes);
        slots_[i] = Slot{h, t};
        if (++count_ * 2 > slots_.size()) grow();
        return t;
    }

    struct Slot {
        std::uint64_t hash = 0;
        Text* text = nullptr;
    };

    // Eight bytes at a time: every key and short string of a document is hashed, most of them under 24 bytes.
    static std::uint64_t hash(std::string_view s) {
        constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ULL;
        std::uint64_t h = s.size() * kMul;
        const char* p = s.data();
        std::size_t n = s.size();
        while (n >= 8) {
            std::uint64_t w;
            std::memcpy(&w, p, 8);
            h = (h ^ w) * kMul;
            h ^= h >> 32;
            p += 8;
            n -= 8;
        }
        if (n > 0) {
            // The last bytes in overlapping loads: a copy of a variable length below eight became a byte loop.
            std::uint64_t w;
            if (n >= 4) {
                std::uint32_t lo;
                std::uint32_t hi;
                std::memcpy(&lo, p, 4);
                std::memcpy(&hi, p + n - 4, 4);
                w = lo | (static_cast<std::uint64_t>(hi) << 32);
            } else {
                w = static_cast<unsigned char>(p[0]) |
                    (static_cast<std::uint64_t>(static_cast<unsigned char>(p[n / 2])) << 8) |
                    (static_cast<std::uint64_t>(static_cast<unsigned char>(p[n - 1])) << 16);
            }
            h = (h ^ w) * kMul;
            h ^= h >> 32;
        }
        return h ^ (h >> 29);
    }

    void grow() {
        std::vector<Slot> old(slots_.size() * 2);
        old.swap(slots_);
        std::size_t mask = slots_.size() - 1;
        for (const Slot& s : old) {
            if (s.text == nullptr) continue;
            std::size_t i = static_cast<std::size_t>(s.hash) & mask;
            while (slots_[i].text != nullptr) i = (i + 1) & mask;
            slots_[i] = s;
        }
    }

    std::vector<Slot> slots_;
    std::size_t count_ = 0;
    std::array<Recent, std::size_t{1} << kRecentBits> recent_{};
};

// Strings up to this length are interned; longer ones (descriptions) rarely repeat.
constexpr std::size_t kInternLimit = 40;

bool keyLess(const Entry& a, const Entry& b) { return a.key != b.key && a.key->view() < b.key->view(); }

}  // namespace

// The tree under construction. Open containers sit on `frames`; the children of each open container are gathered
// on `scratch` and moved into exactly sized storage when the container closes. Everything of a document is made in
// its arena, whose first node is the root; a document that ends starts a new arena for the next one. All nodes being
// in the arena, dropping the arena (the builder's hold and the root's) frees a partly built tree.
struct DefaultHandler::Builder {
    struct Frame {
        JV* container;
        std::size_t base;  // first scratch entry of this container
        Text* pendingKey;  // objects only
    };

    Arena* arena = nullptr;  // the current document's, held by the builder too
    InternTable interned;
    std::vector<Frame> frames;
    std::vector<Entry> scratch;  // key is null for array elements
    std::vector<Text*> order;    // the closing object's keys in source order; references held by `scratch`
    // Scratch space of sortLarge and of the repeated-key check of large objects.
    struct Keyed {
        std::uint64_t prefix;
        std::uint32_t index;
    };
    std::vector<Keyed> keyed;
    std::vector<Entry> sorted;
    std::vector<std::pair<Text*, bool>> distinct;
    bool repeatedKey = false;  // an object closed so far held a key more than once
    // The current document's "$ref" strings, as their objects close (JVDoc::references).
    std::vector<const JV*> references;

    ~Builder() {
        // An unfinished document: its root is the outermost open container.
        if (!frames.empty()) delete frames.front().container;
        if (arena != nullptr) Arena::unref(arena);
    }

    Arena& currentArena() {
        if (arena == nullptr) arena = Arena::create();
        return *arena;
    }

    // A fresh node of the document; the first one, made while no container is open, is its root.
    JV* node(Pos pos) {
        JV* made = TreeOps::arenaNode(currentArena(), frames.empty());
        made->pos = pos;
        return made;
    }

    // The document's root is complete: the next value begins another document, in an arena of its own.
    void endDocument() {
        Arena::unref(arena);
        arena = nullptr;
        interned.clear();
        references.clear();
    }

    void closeArray(JV& array, std::size_t base) {
        ArrayRep* items = ArrayRep::make(*arena, static_cast<std::uint32_t>(scratch.size() - base));
        TreeOps::setArray(array, items);
        for (std::size_t i = base; i < scratch.size(); ++i) {
            JV* child = scratch[i].value;
            TreeOps::link(array, *child, items->count);
            items->data()[items->count++] = child;
        }
        scratch.resize(base);
    }

    // Sorts the members of a large object (a document's paths or schemas) by key, stably, through the first eight
    // bytes of each key kept beside its place: most comparisons are settled there, without reading the keys, which
    // lie scattered in memory.
    void sortLarge(std::vector<Entry>::iterator first, std::size_t n) {
        keyed.clear();
        for (std::size_t i = 0; i < n; ++i)
            keyed.push_back(Keyed{prefixOf(first[i].key->view()), static_cast<std::uint32_t>(i)});
        std::sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
            if (a.prefix != b.prefix) return a.prefix < b.prefix;
            const Text* x = first[a.index].key;
            const Text* y = first[b.index].key;
            if (x != y) {
                int c = x->view().compare(y->view());
                if (c != 0) return c < 0;
            }
            return a.index < b.index;  // a repeated key keeps its source order
        });
        sorted.clear();
        for (const Keyed& k : keyed) sorted.push_back(first[k.index]);
        std::copy(sorted.begin(), sorted.end(), first);
    }

    // The first eight bytes of a key as a number that orders as the bytes do (zeros past a shorter key's end; a tie
    // is settled by the whole keys).
    static std::uint64_t prefixOf(std::string_view key) {
        std::uint64_t prefix = 0;
        const std::size_t n = std::min<std::size_t>(key.size(), 8);
        for (std::size_t i = 0; i < n; ++i) {
            prefix |= static_cast<std::uint64_t>(static_cast<unsigned char>(key[i])) << (56 - 8 * i);
        }
        return prefix;
    }

    // Appends the keys of a range of members in source order to `order`, each once at its first place; large
    // ranges are checked for repeated keys once sorted (closeObject). Keys are interned, so equal keys are the same
    // text.
    void appendSourceOrder(std::vector<Entry>::const_iterator first, std::vector<Entry>::const_iterator last) {
        const bool small = last - first <= 16;
        for (auto it = first; it != last; ++it) {
            bool seen = false;
            if (small) {
                for (Text* k : order) seen = seen || k == it->key;
            }
            if (!seen) order.push_back(it->key);
        }
    }

    // Whether the members' nodes lie in source order in memory, which then needs no list of keys. Each value's node
    // is made as the value begins, after the ones before it in the arena, so they do unless the arena began a new
    // chunk between two members.
    static bool risingAddresses(std::vector<Entry>::const_iterator first, std::vector<Entry>::const_iterator last) {
        for (auto it = first; it != last && it + 1 != last; ++it) {
            if (!std::less<const JV*>()(it->value, it[1].value)) return false;
        }
        return true;
    }

    void closeObject(JV& object, std::size_t base) {
        auto first = scratch.begin() + static_cast<std::ptrdiff_t>(base);
        auto last = scratch.end();
        auto n = static_cast<std::size_t>(last - first);
        const bool byAddress = risingAddresses(first, last);
        order.clear();
        if (!byAddress) appendSourceOrder(first, last);
        if (n <= 16) {
            // Insertion sort: stable (repeated keys stay in source order, so the last one wins below), and unlike
            // stable_sort it needs no scratch buffer from the heap for each unsorted object.
            for (auto it = first + (n > 0 ? 1 : 0); it < last; ++it) {
                if (!keyLess(*it, it[-1])) continue;
                Entry moving = *it;
                auto hole = it;
                do {
                    *hole = hole[-1];
                    --hole;
                } while (hole != first && keyLess(moving, hole[-1]));
                *hole = moving;
            }
        } else if (!std::is_sorted(first, last, keyLess)) {
            sortLarge(first, n);
        }
        // Repeated keys: the later value wins, the earlier ones are dropped (sorted stably, they come first; their
        // nodes stay in the arena).
        std::size_t unique = 0;
        for (auto it = first; it != last; ++it) unique += (it + 1 == last || it[1].key != it->key) ? 1 : 0;
        repeatedKey = repeatedKey || unique != n;
        // A repeated key keeps its first place, which the nodes of the values kept do not give.
        const bool listed = !byAddress || unique != n;
        if (byAddress && unique != n) {
            sorted.assign(first, last);
            std::sort(sorted.begin(), sorted.end(),
                      [](const Entry& a, const Entry& b) { return std::less<const JV*>()(a.value, b.value); });
            appendSourceOrder(sorted.begin(), sorted.end());
        }
        if (n > 16 && unique != n) {
            // Large objects skipped the duplicate check above; drop the repeated keys from the source order now,
            // finding each key among the distinct ones by address (a search among the kept ones made an object of
            // many repeated keys take quadratic time).
            distinct.clear();
            for (auto it = first; it != last; ++it) {
                if (it + 1 == last || it[1].key != it->key) distinct.emplace_back(it->key, false);
            }
            auto byAddress = [](const std::pair<Text*, bool>& e, const Text* k) {
                return std::less<const Text*>()(e.first, k);
            };
            std::sort(distinct.begin(), distinct.end(),
                      [&](const auto& a, const auto& b) { return byAddress(a, b.first); });
            std::size_t kept = 0;
            for (Text* key : order) {
                auto found = std::lower_bound(distinct.begin(), distinct.end(), key, byAddress);
                if (found->second) continue;
                found->second = true;
                order[kept++] = key;
            }
            order.resize(kept);
        }
        // The one block of the object, exactly sized.
        auto count = static_cast<std::uint32_t>(unique);
        ObjectRep* rep = ObjectRep::make(*arena, count, listed ? count : 0);
        TreeOps::setObject(object, rep);
        if (!listed) TreeOps::setOrderedByAddress(object);
        for (auto it = first; it != last; ++it) {
            if (it + 1 != last && it[1].key == it->key) continue;
            TreeOps::link(object, *it->value, rep->size);
            rep->entries()[rep->size++] = *it;
            if (it->key->view() == "$ref" && it->value->isString()) {
                references.push_back(it->value);
            }
        }
        for (Text* k : order) rep->order()[rep->orderSize++] = k;
        scratch.resize(base);
    }
};

DefaultHandler::DefaultHandler() : builder_(std::make_unique<Builder>()), doc_(std::make_unique<JVDoc>()) {
    rawNumbers = true;
}

DefaultHandler::~DefaultHandler() = default;

std::unique_ptr<JVDoc> DefaultHandler::document() {
    std::unique_ptr<JVDoc> doc = std::move(doc_);
    builder_ = std::make_unique<Builder>();
    doc_ = std::make_unique<JVDoc>();
    if (doc && doc->root() == nullptr) return nullptr;
    return doc;
}

bool DefaultHandler::repeatedKey() const { return builder_->repeatedKey; }

int DefaultHandler::fail(std::string message) {
    failure_ = std::move(message);
    return 0;
}

int DefaultHandler::add(JV* value) {
    try {
        Builder& b = *builder_;
        if (b.frames.empty()) {
            doc_->setRoot(std::unique_ptr<JV>(value), false);
            // A copy of just the size it needs: a large document has a hundred thousand references, and the reader's
            // list keeps its room for the next document.
            doc_->references_ = std::make_unique<std::vector<const JV*>>(b.references.begin(), b.references.end());
            b.endDocument();
            return 1;
        }
        Builder::Frame& top = b.frames.back();
        if (top.container->isArray()) {
            b.scratch.push_back(Entry{nullptr, value});
            return 1;
        }
        if (top.pendingKey == nullptr) {
            if (!value->isString()) {
                throw JSONReaderError(
                    fmt::format("context_add_value: Object key is not a string ({})", jvNodeType(*value)));
            }
            top.pendingKey = b.interned.get(*b.arena, value->stringValue());
            return 1;
        }
        b.scratch.push_back(Entry{top.pendingKey, value});
        top.pendingKey = nullptr;
        return 1;
    } catch (const JSONReaderError& e) {
        return fail(e.what());
    }
}

int DefaultHandler::handleString(const char* bytes, std::size_t length, Pos pos) {
    Builder& b = *builder_;
    std::string_view text(bytes, length);
    Arena& arena = b.currentArena();
    Text* stored = length <= kInternLimit ? b.interned.get(arena, text) : Text::make(arena, text);
    JV* node = b.node(pos);
    TreeOps::setString(*node, stored);
    return add(node);
}

int DefaultHandler::handleNumber(const char* text, std::size_t length, Pos pos) {
    std::string_view digits(text, length);
    // Integers that surely fit 64 bits are converted here, as the number parser would (non-negative ones as
    // unsigned); everything else goes through the full parser.
    bool negative = !digits.empty() && digits.front() == '-';
    bool plain =
        std::all_of(digits.begin() + (negative ? 1 : 0), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    number::Number value;
    if (plain && length <= 18) {
        if (negative) {
            std::int64_t v = 0;
            std::from_chars(text, text + length, v);
            value = number::Number(v);
        } else {
            std::uint64_t v = 0;
            std::from_chars(text, text + length, v);
            value = number::Number(v);
        }
    } else {
        auto parsed = number::Number::parse(digits);
        if (!parsed) return fail(fmt::format("invalid number '{}'", digits));
        value = std::move(*parsed);
    }
    return addNumber(value, pos);
}

int DefaultHandler::addNumber(const number::Number& value, Pos pos) {
    Builder& b = *builder_;
    JV* node = b.node(pos);
    TreeOps::setNumber(*node, *b.arena, value);
    return add(node);
}

int DefaultHandler::handleInteger(std::int64_t value, Pos pos) { return addNumber(number::Number(value), pos); }

int DefaultHandler::handleDouble(double value, Pos pos) { return addNumber(number::Number(value), pos); }

int DefaultHandler::handleBoolean(int value, Pos pos) {
    JV* node = builder_->node(pos);
    TreeOps::setBoolean(*node, value != 0);
    return add(node);
}

int DefaultHandler::handleNull(Pos pos) { return add(builder_->node(pos)); }

int DefaultHandler::handleMapKey(const char* bytes, std::size_t length, Pos) {
    Builder& b = *builder_;
    if (b.frames.empty() || !b.frames.back().container->isObject()) {
        return fail(fmt::format("context_add_value: Cannot add value to a value of type {} (not a composite type)",
                                b.frames.empty() ? "null" : "array"));
    }
    b.frames.back().pendingKey = b.interned.get(*b.arena, std::string_view(bytes, length));
    return 1;
}

int DefaultHandler::handleStartMap(Pos pos) {
    Builder& b = *builder_;
    JV* node = b.node(pos);
    TreeOps::setEmpty(*node, JV::Type::Object);
    b.frames.push_back({node, b.scratch.size(), nullptr});
    return 1;
}

int DefaultHandler::handleStartArray(Pos pos) {
    Builder& b = *builder_;
    JV* node = b.node(pos);
    TreeOps::setEmpty(*node, JV::Type::Array);
    b.frames.push_back({node, b.scratch.size(), nullptr});
    return 1;
}

int DefaultHandler::handleEndMap(Pos) {
    Builder& b = *builder_;
    if (b.frames.empty()) return fail("context_pop: Bottom of stack reached prematurely");
    Builder::Frame top = b.frames.back();
    if (!top.container->isObject() || top.pendingKey != nullptr) {
        return fail("context_pop: Bottom of stack reached prematurely");
    }
    // Member counts are limited by the size of the block's fields.
    if (b.scratch.size() - top.base > ObjectRep::kMaxOrder) return fail("context_pop: Too many members in one object");
    b.frames.pop_back();
    b.closeObject(*top.container, top.base);
    return add(top.container);
}

int DefaultHandler::handleEndArray(Pos) {
    Builder& b = *builder_;
    if (b.frames.empty() || !b.frames.back().container->isArray()) {
        return fail("context_pop: Bottom of stack reached prematurely");
    }
    Builder::Frame top = b.frames.back();
    // Element counts are limited by the size of the block's fields.
    if (b.scratch.size() - top.base > ArrayRep::kMaxCount) return fail("context_pop: Too many elements in one array");
    b.frames.pop_back();
    b.closeArray(*top.container, top.base);
    return add(top.container);
}

// ---- JSONReader ----

JSONReader::JSONReader(Handler& handler, Options options)
    : handler_(handler), options_(options), lexer_(options.allowComments, !options.dontValidateStrings) {
    stack_.reserve(64);
}

bool JSONReader::parse(std::string_view chunk) {
    if (state_ == State::ParseError || state_ == State::LexicalError) return false;
    pending_.append(chunk);
    return true;
}

bool JSONReader::completeParse() {
    if (state_ == State::ParseError || state_ == State::LexicalError) return false;
    // The gathered text stays with the reader: the lexer refers to it.
    return run(pending_);
}

bool JSONReader::read(std::string_view text) {
    if (state_ == State::ParseError || state_ == State::LexicalError) return false;
    return run(text);
}

int JSONReader::errorCode() const {
    if (lexError_ != Lexer::Error::None) return static_cast<int>(lexError_) + 6;
    return static_cast<int>(parseError_);
}

namespace {

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::uint32_t hex4(const char* p) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        char c = p[i];
        v <<= 4;
        if (c >= '0' && c <= '9') {
            v |= static_cast<std::uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            v |= static_cast<std::uint32_t>(c - 'a' + 10);
        } else {
            v |= static_cast<std::uint32_t>(c - 'A' + 10);
        }
    }
    return v;
}

}  // namespace

bool JSONReader::decode(std::string_view body) {
    // The lexer has checked every escape, so each backslash is followed by a valid escape character.
    buffer_.clear();
    std::size_t i = 0;
    while (i < body.size()) {
        std::size_t slash = body.find('\\', i);
        if (slash == std::string_view::npos) {
            buffer_.append(body.substr(i));
            break;
        }
        buffer_.append(body.substr(i, slash - i));
        char e = body[slash + 1];
        i = slash + 2;
        switch (e) {
            case 'b':
                buffer_.push_back('\b');
                break;
            case 'f':
                buffer_.push_back('\f');
                break;
            case 'n':
                buffer_.push_back('\n');
                break;
            case 'r':
                buffer_.push_back('\r');
                break;
            case 't':
                buffer_.push_back('\t');
                break;
            case 'u': {
                std::uint32_t cp = hex4(body.data() + i);
                i += 4;
                if (cp >= 0xD800 && cp <= 0xDBFF) {
                    // Only a following low surrogate completes the pair; anything else leaves the high one
                    // unpaired, and the next escape is decoded on its own.
                    if (i + 6 <= body.size() && body[i] == '\\' && body[i + 1] == 'u') {
                        std::uint32_t low = hex4(body.data() + i + 2);
                        if (low >= 0xDC00 && low <= 0xDFFF) {
                            appendUtf8(buffer_, 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00));
                            i += 6;
                            break;
                        }
                    }
                    buffer_.push_back('?');
                } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
                    // A lone low surrogate has no UTF-8 form; writing its bytes would make the text ill-formed.
                    buffer_.push_back('?');
                } else {
                    appendUtf8(buffer_, cp);
                }
                break;
            }
            default:  // '"', '\\', '/'
                buffer_.push_back(e);
                break;
        }
    }
    return true;
}

int JSONReader::emitString(Lexer::Token token, bool key) {
    std::string_view text = lexer_.text();
    std::size_t start = lexer_.tokenStart() + 1;
    std::string_view body = text.substr(start, lexer_.tokenEnd() - 1 - start);
    if (token == Lexer::Token::StringWithEscapes) {
        decode(body);
        body = buffer_;
    }
    Pos pos = lexer_.tokenPos();
    return key ? handler_.handleMapKey(body.data(), body.size(), pos)
               : handler_.handleString(body.data(), body.size(), pos);
}

int JSONReader::emitNumber(Lexer::Token token) {
    std::string_view text = lexer_.text().substr(lexer_.tokenStart(), lexer_.tokenEnd() - lexer_.tokenStart());
    Pos pos = lexer_.tokenPos();
    if (handler_.rawNumbers) return handler_.handleNumber(text.data(), text.size(), pos);
    if (token == Lexer::Token::Integer) {
        std::int64_t value = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec == std::errc() && end == text.data() + text.size()) return handler_.handleInteger(value, pos);
    }
    std::string copy(text);
    return handler_.handleDouble(std::strtod(copy.c_str(), nullptr), pos);
}

bool JSONReader::run(std::string_view text) {
    using Token = Lexer::Token;
    lexer_.reset(text);
    stack_.clear();
    stack_.push_back(State::Start);
    parseError_ = ParseError::None;
    lexError_ = Lexer::Error::None;
    bool valuesDone = false;
    Token lastToken = Token::Eof;

    auto failParse = [&](ParseError error) {
        parseError_ = error;
        failedIn_ = stack_.back();
        failedOn_ = lastToken;
        errorOffset_ = lexer_.tokenStart();
        state_ = State::ParseError;
        return false;
    };
    auto failLex = [&]() {
        lexError_ = lexer_.error();
        failedIn_ = stack_.back();
        failedOn_ = Token::Error;
        // The lexer ends a failed token at the offending byte.
        errorOffset_ = lexer_.tokenEnd();
        state_ = State::LexicalError;
        return false;
    };
    auto nextToken = [&]() {
        Token t = lexer_.next();
        while (t == Token::Comment) t = lexer_.next();
        lastToken = t;
        return t;
    };
    // The state a container moves to once it holds one more value.
    auto gotValue = [&]() {
        State& s = stack_.back();
        switch (s) {
            case State::Start:
                s = State::ParseComplete;
                break;
            case State::MapNeedVal:
                s = State::MapGotVal;
                break;
            default:
                s = State::ArrayGotVal;
                break;
        }
    };

    for (;;) {
        State state = stack_.back();
        switch (state) {
            case State::ParseComplete: {
                if (options_.allowMultipleValues) {
                    // Another value may follow; the Start state accepts the end of input after the first one.
                    stack_.back() = State::Start;
                    valuesDone = true;
                    continue;
                }
                if (options_.allowTrailingGarbage) {
                    state_ = State::ParseComplete;
                    return true;
                }
                Token t = nextToken();
                if (t == Token::Eof) {
                    state_ = State::ParseComplete;
                    return true;
                }
                if (t == Token::Error) return failLex();
                return failParse(ParseError::TrailingGarbage);
            }
            case State::Start:
            case State::MapNeedVal:
            case State::ArrayStart:
            case State::ArrayNeedVal: {
                Token t = nextToken();
                switch (t) {
                    case Token::String:
                    case Token::StringWithEscapes:
                        if (!emitString(t, false)) return failParse(ParseError::HandlerStopped);
                        gotValue();
                        break;
                    case Token::Integer:
                    case Token::Double:
                        if (!emitNumber(t)) return failParse(ParseError::HandlerStopped);
                        gotValue();
                        break;
                    case Token::Boolean:
                        if (!handler_.handleBoolean(lexer_.booleanValue() ? 1 : 0, lexer_.tokenPos())) {
                            return failParse(ParseError::HandlerStopped);
                        }
                        gotValue();
                        break;
                    case Token::Null:
                        if (!handler_.handleNull(lexer_.tokenPos())) return failParse(ParseError::HandlerStopped);
                        gotValue();
                        break;
                    case Token::LeftBrace:
                    case Token::LeftBracket: {
                        if (stack_.size() > kMaxDepth) return failParse(ParseError::TooDeep);
                        bool map = t == Token::LeftBrace;
                        Pos pos = lexer_.tokenPos();
                        if (!(map ? handler_.handleStartMap(pos) : handler_.handleStartArray(pos))) {
                            return failParse(ParseError::HandlerStopped);
                        }
                        // The enclosing level counts the container as its value now; the container's own state
                        // goes on top.
                        gotValue();
                        stack_.push_back(map ? State::MapStart : State::ArrayStart);
                        break;
                    }
                    case Token::RightBracket:
                        if (state != State::ArrayStart) return failParse(ParseError::UnexpectedToken);
                        if (!handler_.handleEndArray(lexer_.tokenPos())) return failParse(ParseError::HandlerStopped);
                        stack_.pop_back();
                        break;
                    case Token::Eof:
                        if (state == State::Start && valuesDone) {
                            state_ = State::ParseComplete;
                            return true;
                        }
                        if (options_.allowPartialValues) {
                            state_ = stack_.back();
                            return true;
                        }
                        return failParse(ParseError::PrematureEnd);
                    case Token::Error:
                        return failLex();
                    default:
                        return failParse(ParseError::UnexpectedToken);
                }
                break;
            }
            case State::MapStart:
            case State::MapNeedKey: {
                Token t = nextToken();
                switch (t) {
                    case Token::String:
                    case Token::StringWithEscapes:
                        if (!emitString(t, true)) return failParse(ParseError::HandlerStopped);
                        stack_.back() = State::MapSep;
                        break;
                    case Token::RightBrace:
                        if (state != State::MapStart) return failParse(ParseError::UnexpectedToken);
                        if (!handler_.handleEndMap(lexer_.tokenPos())) return failParse(ParseError::HandlerStopped);
                        stack_.pop_back();
                        break;
                    case Token::Eof:
                        if (options_.allowPartialValues) {
                            state_ = stack_.back();
                            return true;
                        }
                        return failParse(ParseError::PrematureEnd);
                    case Token::Error:
                        return failLex();
                    case Token::Integer:
                    case Token::Double:
                    case Token::Boolean:
                    case Token::Null:
                    case Token::LeftBrace:
                    case Token::LeftBracket:
                        return failParse(ParseError::KeyNotString);
                    default:
                        return failParse(ParseError::UnexpectedToken);
                }
                break;
            }
            case State::MapSep:
            case State::MapGotVal:
            case State::ArrayGotVal: {
                Token t = nextToken();
                if (t == Token::Error) return failLex();
                if (t == Token::Eof) {
                    if (options_.allowPartialValues) {
                        state_ = stack_.back();
                        return true;
                    }
                    return failParse(ParseError::PrematureEnd);
                }
                if (state == State::MapSep) {
                    if (t != Token::Colon) return failParse(ParseError::UnexpectedToken);
                    stack_.back() = State::MapNeedVal;
                } else if (t == Token::Comma) {
                    stack_.back() = state == State::MapGotVal ? State::MapNeedKey : State::ArrayNeedVal;
                } else if (state == State::MapGotVal && t == Token::RightBrace) {
                    if (!handler_.handleEndMap(lexer_.tokenPos())) return failParse(ParseError::HandlerStopped);
                    stack_.pop_back();
                } else if (state == State::ArrayGotVal && t == Token::RightBracket) {
                    if (!handler_.handleEndArray(lexer_.tokenPos())) return failParse(ParseError::HandlerStopped);
                    stack_.pop_back();
                } else {
                    return failParse(ParseError::UnexpectedToken);
                }
                break;
            }
            default:
                return failParse(ParseError::UnexpectedToken);
        }
    }
}

namespace {

std::string_view describe(Lexer::Token token) {
    using Token = Lexer::Token;
    switch (token) {
        case Token::Boolean:
            return "a boolean";
        case Token::Colon:
            return "':'";
        case Token::Comma:
            return "','";
        case Token::Eof:
            return "the end of the text";
        case Token::LeftBrace:
            return "'{'";
        case Token::LeftBracket:
            return "'['";
        case Token::Null:
            return "null";
        case Token::RightBrace:
            return "'}'";
        case Token::RightBracket:
            return "']'";
        case Token::Integer:
        case Token::Double:
            return "a number";
        case Token::String:
        case Token::StringWithEscapes:
            return "a string";
        default:
            return "something else";
    }
}

std::string_view expectation(JSONReader::State state) {
    using State = JSONReader::State;
    switch (state) {
        case State::MapStart:
            return "expected a string key or '}'";
        case State::MapNeedKey:
            return "expected a string key after ','";
        case State::MapSep:
            return "expected ':' after an object key";
        case State::MapGotVal:
            return "expected ',' or '}' after an object member";
        case State::ArrayStart:
            return "expected a value or ']'";
        case State::ArrayGotVal:
            return "expected ',' or ']' after an array element";
        case State::ParseComplete:
            return "expected the end of the text after the value";
        default:
            return "expected a value";
    }
}

// A character as a user can find it in an editor: printable ASCII as itself, anything else as its byte value.
std::string describeByte(std::string_view text, std::size_t offset) {
    if (offset >= text.size()) return "the end of the text";
    auto byte = static_cast<unsigned char>(text[offset]);
    if (byte > 0x20 && byte < 0x7F) return fmt::format("'{}'", static_cast<char>(byte));
    return fmt::format("byte 0x{:02X}", byte);
}

}  // namespace

std::string JSONReader::errorReason(std::string_view handlerReason) const {
    using Error = Lexer::Error;
    std::string_view text = lexer_.text();
    switch (lexError_) {
        case Error::None:
            break;
        case Error::StringInvalidUtf8:
            return fmt::format("invalid UTF-8 at byte {}", errorOffset_);
        case Error::StringInvalidEscapedChar:
            return fmt::format("invalid escape sequence '\\{}' in a string",
                               errorOffset_ < text.size() ? text.substr(errorOffset_, 1) : "");
        case Error::StringInvalidJsonChar:
            return fmt::format("unescaped control character ({}) in a string", describeByte(text, errorOffset_));
        case Error::StringInvalidHexChar:
            return fmt::format("expected four hex digits after '\\u', found {}", describeByte(text, errorOffset_));
        case Error::InvalidChar:
            return fmt::format("{}, found {}", expectation(failedIn_), describeByte(text, errorOffset_));
        case Error::InvalidString:
            return "a string is not closed before the end of the text";
        case Error::MissingIntegerAfterDecimal:
            return "expected a digit after the decimal point";
        case Error::MissingIntegerAfterExponent:
            return "expected a digit in the exponent";
        case Error::MissingIntegerAfterMinus:
            return "expected a digit after '-'";
        case Error::UnallowedComment:
            return "comments are not allowed";
    }
    switch (parseError_) {
        case ParseError::None:
            return {};
        case ParseError::HandlerStopped:
            return handlerReason.empty() ? std::string("the value was refused") : std::string(handlerReason);
        case ParseError::TooDeep:
            return fmt::format("nesting deeper than {} levels", kMaxDepth);
        case ParseError::KeyNotString:
            return fmt::format("expected a string key, found {}", describe(failedOn_));
        default:
            return fmt::format("{}, found {}", expectation(failedIn_), describe(failedOn_));
    }
}

// ---- entry points ----

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

[[noreturn]] void refuse(std::string_view reason, std::string_view text, std::size_t offset) {
    throw ReadError(fmt::format("JSON parse error: {}", reason), detail::positionOf(text, offset));
}

}  // namespace

std::unique_ptr<JVDoc> readJsonString(std::string_view text) {
    // Editors on some systems start UTF-8 files with a byte order mark; it is no part of the JSON text.
    std::size_t skipped = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    std::string_view json = text.substr(skipped);
    DefaultHandler handler;
    JSONReader reader(handler);
    if (!reader.read(json)) {
        std::string reason = reader.errorReason(handler.failure());
        // Byte offsets in the reason count the whole text, the mark included, as a hex editor shows it.
        if (skipped > 0 && reader.errorCode() == static_cast<int>(Lexer::Error::StringInvalidUtf8) + 6) {
            reason = fmt::format("invalid UTF-8 at byte {}", reader.errorOffset() + skipped);
        }
        refuse(reason, json, reader.errorOffset());
    }
    std::unique_ptr<JVDoc> doc = handler.document();
    if (!doc) refuse("expected a value, found the end of the text", json, json.size());
    return doc;
}

std::unique_ptr<JVDoc> readJsonStream(std::istream& in) {
    std::string text = detail::readRest(in);
    if (in.bad()) throw ReadError("JSON parse error: the input could not be read", Pos{});
    return readJsonString(text);
}

}  // namespace zephalon::jv
