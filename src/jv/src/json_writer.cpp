#include "zephalon/jv/json_writer.h"

#include <utf8.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "ordered_properties.h"
#include "tree_ops.h"
#include "zephalon/jv/jv.h"
#include "zephalon/number/number.h"

namespace zephalon::jv {

namespace {

// Per byte: 0 passes unchanged, 'u' needs a \u00XX escape, any other value is the letter of its short escape.
// The solidus is handled apart because escaping it is optional.
constexpr std::array<char, 256> makeEscapeTable() {
    std::array<char, 256> table{};
    for (int c = 0; c < 0x20; ++c) table[c] = 'u';
    table['"'] = '"';
    table['\\'] = '\\';
    table['\b'] = 'b';
    table['\t'] = 't';
    table['\n'] = 'n';
    table['\f'] = 'f';
    table['\r'] = 'r';
    return table;
}

constexpr std::array<char, 256> kEscape = makeEscapeTable();

// The bytes a copy sixteen at a time may write past the end of what it copies.
constexpr std::size_t kSpill = 16;

}  // namespace

// While a room is open, `out_` holds the text written so far followed by free space, which `cur_` and `lim_` delimit.
// Writing through a pointer into space made once per value is what keeps the writer fast: appending to the string
// piece by piece checked its capacity and updated its length for every punctuation mark. Closing the room cuts the
// free space off again, also when a write fails half way, so `out_` never shows bytes that were not written.
class JSONWriter::Room {
  public:
    explicit Room(JSONWriter& writer) : writer_(writer) {
        writer_.roomBegin_ = writer_.out_.size();
        writer_.cur_ = writer_.out_.data() + writer_.out_.size();
        writer_.lim_ = writer_.cur_;
    }
    ~Room() {
        writer_.out_.resize(static_cast<std::size_t>(writer_.cur_ - writer_.out_.data()));
        writer_.cur_ = nullptr;
        writer_.lim_ = nullptr;
    }
    Room(const Room&) = delete;
    Room& operator=(const Room&) = delete;

  private:
    JSONWriter& writer_;
};

const char* JSONWriterError::what() const noexcept {
    switch (status_) {
        case Status::KeyMustBeStrings:
            return "KeyMustBeStrings";
        case Status::MaxDepthExceeded:
            return "MaxDepthExceeded";
        case Status::InErrorState:
            return "InErrorState";
        case Status::GenerationComplete:
            return "GenerationComplete";
        case Status::InvalidNumber:
            return "InvalidNumber";
        case Status::InvalidString:
            return "InvalidString";
        case Status::UnbalancedContainer:
            return "UnbalancedContainer";
    }
    return "<unknown>";
}

JSONWriter::JSONWriter() { setIndentSize(2); }

void JSONWriter::setIndentSize(int size) {
    indentSize_ = size < 0 ? 0 : size;
    indent_.assign(static_cast<std::size_t>(indentSize_), ' ');
    newlineIndent_.clear();
}

std::string JSONWriter::release() {
    std::string text = std::move(out_);
    reset();
    return text;
}

void JSONWriter::reset() {
    out_.clear();
    written_.clear();
    depth_ = 0;
    states_[0] = State::Start;
}

void JSONWriter::fail(JSONWriterError::Status status) {
    states_[depth_] = State::Error;
    throw JSONWriterError(status);
}

void JSONWriter::newlineAndIndent(int levels) {
    Room room(*this);
    putIndent(levels);
}

// Emits the separator that precedes a value (or a key) in the current container.
void JSONWriter::beforeValue() {
    switch (states_[depth_]) {
        case State::Start:
            return;
        case State::MapValue:
            out_.push_back(':');
            if (indentSize_ > 0) out_.push_back(' ');
            return;
        case State::ArrayStart:
        case State::MapStart:
            // The opening bracket's line ends only now: an empty container stays "{}" or "[]".
            if (indentSize_ > 0) newlineAndIndent(depth_);
            return;
        case State::InArray:
        case State::MapKey:
            out_.push_back(',');
            if (indentSize_ > 0) newlineAndIndent(depth_);
            return;
        case State::Complete:
            throw JSONWriterError(JSONWriterError::Status::GenerationComplete);
        case State::Error:
            throw JSONWriterError(JSONWriterError::Status::InErrorState);
    }
}

void JSONWriter::afterValue() {
    State& state = states_[depth_];
    switch (state) {
        case State::Start:
            state = State::Complete;
            if (indentSize_ > 0) out_.push_back('\n');
            return;
        case State::MapStart:
        case State::MapKey:
            state = State::MapValue;
            return;
        case State::MapValue:
            state = State::MapKey;
            return;
        case State::ArrayStart:
            state = State::InArray;
            return;
        default:
            return;
    }
}

void JSONWriter::writeNull() {
    State state = states_[depth_];
    if (state == State::MapStart || state == State::MapKey) fail(JSONWriterError::Status::KeyMustBeStrings);
    beforeValue();
    out_.append("null");
    afterValue();
}

void JSONWriter::writeBoolean(bool value) {
    State state = states_[depth_];
    if (state == State::MapStart || state == State::MapKey) fail(JSONWriterError::Status::KeyMustBeStrings);
    beforeValue();
    out_.append(value ? "true" : "false");
    afterValue();
}

void JSONWriter::writeNumber(const number::Number& value) {
    State state = states_[depth_];
    if (state == State::MapStart || state == State::MapKey) fail(JSONWriterError::Status::KeyMustBeStrings);
    if (value.isNaN() || value.isInfinity()) fail(JSONWriterError::Status::InvalidNumber);
    beforeValue();
    {
        Room room(*this);
        putNumber(value);
    }
    afterValue();
}

void JSONWriter::writeString(std::string_view value) {
    if (states_[depth_] == State::Error) throw JSONWriterError(JSONWriterError::Status::InErrorState);
    if (validateUTF8_ && !utf8::is_valid(value.begin(), value.end())) fail(JSONWriterError::Status::InvalidString);
    beforeValue();
    {
        Room room(*this);
        putQuoted(value);
    }
    afterValue();
}

void JSONWriter::openContainer(State state, char bracket) {
    State current = states_[depth_];
    if (current == State::MapStart || current == State::MapKey) fail(JSONWriterError::Status::KeyMustBeStrings);
    beforeValue();
    if (depth_ >= kMaxDepth) fail(JSONWriterError::Status::MaxDepthExceeded);
    out_.push_back(bracket);
    states_[++depth_] = state;
}

void JSONWriter::closeContainer(State first, State next, char bracket) {
    State state = states_[depth_];
    if (state == State::Error) throw JSONWriterError(JSONWriterError::Status::InErrorState);
    if (state == State::Complete) throw JSONWriterError(JSONWriterError::Status::GenerationComplete);
    if (depth_ == 0 || (state != first && state != next)) fail(JSONWriterError::Status::UnbalancedContainer);
    --depth_;
    if (indentSize_ > 0 && state != first) newlineAndIndent(depth_);
    out_.push_back(bracket);
    afterValue();
}

void JSONWriter::writeArrayStart() { openContainer(State::ArrayStart, '['); }
void JSONWriter::writeArrayEnd() { closeContainer(State::ArrayStart, State::InArray, ']'); }
void JSONWriter::writeObjectStart() { openContainer(State::MapStart, '{'); }
void JSONWriter::writeObjectEnd() { closeContainer(State::MapStart, State::MapKey, '}'); }

void JSONWriter::grow(std::size_t n) {
    const auto used = static_cast<std::size_t>(cur_ - out_.data());
    // The free space grows with the text written in this room, so a large document is extended some dozens of
    // times, not once per value, and the step stays small enough that the zeroed space left over at the end costs
    // little. A value written on its own through the streaming calls opens a room of its own in a text that may
    // already be large: its step stays small, or every such value would zero a megabyte. The capacity
    // grows fourfold: each move to a larger block copies the text and faults in fresh pages, which in doubling
    // steps cost a fifth of writing a large document. Only the pages written to are ever touched.
    const std::size_t step = std::clamp<std::size_t>((used - roomBegin_) / 4, 64, std::size_t{1} << 20);
    if (out_.capacity() < used + n + step) out_.reserve((used + n + step) * 4);
    out_.resize(used + n + step);
    cur_ = out_.data() + used;
    lim_ = out_.data() + out_.size();
}

void JSONWriter::put(const char* text, std::size_t n) {
    room(n);
    std::memcpy(cur_, text, n);
    cur_ += n;
}

void JSONWriter::putIndent(int levels) {
    const std::size_t length = 1 + static_cast<std::size_t>(levels) * indent_.size();
    // Copied sixteen bytes at a time, so the text holds a block more than the longest indentation asked for.
    if (newlineIndent_.size() < length + kSpill) {
        newlineIndent_.assign(1, '\n');
        for (int i = 0; i < levels * 2 + static_cast<int>(kSpill); ++i) newlineIndent_.append(indent_);
        newlineIndent_.append(kSpill, ' ');
    }
    room(length + kSpill);
    for (std::size_t i = 0; i < length; i += 16) std::memcpy(cur_ + i, newlineIndent_.data() + i, 16);
    cur_ += length;
}

void JSONWriter::putString(std::string_view text) {
    if (validateUTF8_ && !utf8::is_valid(text.begin(), text.end())) fail(JSONWriterError::Status::InvalidString);
    putQuoted(text);
}

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// Whether any byte of the word equals `byte` (exact: the word-wide zero-byte test).
inline bool hasByte(std::uint64_t word, unsigned char byte) {
    std::uint64_t x = word ^ (kOnes * byte);
    return ((x - kOnes) & ~x & kHighBits) != 0;
}

// Whether any of the eight bytes needs an escape: below 0x20, a double quote or a backslash.
inline bool needsEscape(std::uint64_t word) {
    bool control = ((word - kOnes * 0x20) & ~word & kHighBits) != 0;
    return control || hasByte(word, '"') || hasByte(word, '\\');
}

// Copies fewer than sixteen bytes that need no escape to `out` with a few overlapping word moves (it may write up to
// 16 bytes) and says whether they needed none; on false, what was written is to be overwritten. Keys and most
// values are short: this keeps them from going through the byte loop.
inline bool copyClean(const char* p, std::size_t n, char* out, bool solidus) {
    auto clean = [solidus](std::uint64_t word) { return !needsEscape(word) && !(solidus && hasByte(word, '/')); };
    if (n >= 8) {
        std::uint64_t head;
        std::uint64_t tail;
        std::memcpy(&head, p, 8);
        std::memcpy(&tail, p + n - 8, 8);
        if (!clean(head) || !clean(tail)) return false;
        std::memcpy(out, &head, 8);
        std::memcpy(out + n - 8, &tail, 8);
        return true;
    }
    if (n >= 4) {
        std::uint32_t head;
        std::uint32_t tail;
        std::memcpy(&head, p, 4);
        std::memcpy(&tail, p + n - 4, 4);
        // Both halves in one word; the upper half repeats the lower one when they overlap.
        const std::uint64_t word = head | (static_cast<std::uint64_t>(tail) << 32);
        if (!clean(word)) return false;
        std::memcpy(out, &head, 4);
        std::memcpy(out + n - 4, &tail, 4);
        return true;
    }
    for (std::size_t i = 0; i < n; ++i) {
        auto byte = static_cast<unsigned char>(p[i]);
        if (kEscape[byte] != 0 || (solidus && byte == '/')) return false;
        out[i] = static_cast<char>(byte);
    }
    return true;
}

}  // namespace

void JSONWriter::putQuoted(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const char* p = text.data();
    const char* const end = p + text.size();
    // The text as it is, both quotes and the spill; every escape makes room for its own extra bytes.
    room(text.size() + 2 + kSpill);
    put('"');
    auto escape = [&](unsigned char byte) {
        room(6 + static_cast<std::size_t>(end - p) + 1 + kSpill);
        char letter = kEscape[byte];
        if (letter == 'u') {
            const char seq[6] = {'\\', 'u', '0', '0', kHex[byte >> 4], kHex[byte & 0xF]};
            std::memcpy(cur_, seq, sizeof seq);
            cur_ += sizeof seq;
        } else {
            cur_[0] = '\\';
            cur_[1] = letter == 0 ? '/' : letter;
            cur_ += 2;
        }
    };
#if defined(__SSE2__)
    // Sixteen bytes are copied before they are looked at: most text needs no escape, and when a block does, the
    // bytes from the first escape on are simply written again.
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i backslash = _mm_set1_epi8('\\');
    const __m128i solidus = _mm_set1_epi8(escapeSolidus_ ? '/' : '"');
    const __m128i lastControl = _mm_set1_epi8(0x1F);
    while (end - p >= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cur_), block);
        const __m128i control = _mm_cmpeq_epi8(_mm_max_epu8(block, lastControl), lastControl);
        const __m128i marks = _mm_or_si128(_mm_cmpeq_epi8(block, quote), _mm_cmpeq_epi8(block, backslash));
        const __m128i hits = _mm_or_si128(_mm_or_si128(control, marks), _mm_cmpeq_epi8(block, solidus));
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
        if (mask == 0) {
            p += 16;
            cur_ += 16;
            continue;
        }
        const auto at = static_cast<unsigned>(__builtin_ctz(mask));
        p += at;
        cur_ += at;
        escape(static_cast<unsigned char>(*p++));
    }
#endif
    if (end - p < 16 && copyClean(p, static_cast<std::size_t>(end - p), cur_, escapeSolidus_)) {
        cur_ += end - p;
        p = end;
    }
    while (p != end) {
        // Without wide registers, and for a tail with an escape: eight bytes at a time while they need none.
        if (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            if (!needsEscape(word) && !(escapeSolidus_ && hasByte(word, '/'))) {
                std::memcpy(cur_, &word, sizeof word);
                p += 8;
                cur_ += 8;
                continue;
            }
        }
        auto byte = static_cast<unsigned char>(*p++);
        if (kEscape[byte] == 0 && (byte != '/' || !escapeSolidus_)) {
            *cur_++ = static_cast<char>(byte);
        } else {
            escape(byte);
        }
    }
    put('"');
}

void JSONWriter::write(const JV& node) { writeRoot(node, nullptr); }

void JSONWriter::write(const JVDoc& doc) {
    const JV* root = doc.root();
    if (root == nullptr) throw std::runtime_error("Cannot write a document without a root value");
    writeRoot(*root, &doc);
}

// A tree is one value in the event stream: the state rules apply to it as a whole, and its containers count
// towards the depth limit from the current depth on.
void JSONWriter::writeRoot(const JV& node, const JVDoc* orderDoc) {
    State state = states_[depth_];
    if ((state == State::MapStart || state == State::MapKey) && !node.isString()) {
        fail(JSONWriterError::Status::KeyMustBeStrings);
    }
    if (node.isString()) {
        writeString(node.stringValue());
        return;
    }
    beforeValue();
    orderDoc_ = orderDoc;
    {
        Room room(*this);
        emit(node, depth_, placedOrder_ != nullptr ? placedOrder_->rootPlace() : 0);
    }
    afterValue();
}

void JSONWriter::emit(const JV& node, int level, PlacedKeyOrder::Place place) {
    switch (node.type()) {
        case JV::Type::Null:
            put("null", 4);
            return;
        case JV::Type::Boolean:
            if (detail::TreeOps::boolean(node)) {
                put("true", 4);
            } else {
                put("false", 5);
            }
            return;
        case JV::Type::Number: {
            const number::Number& value = detail::TreeOps::number(node);
            if ((value.isDouble() || value.isDynamic()) && (value.isNaN() || value.isInfinity())) {
                fail(JSONWriterError::Status::InvalidNumber);
            }
            putNumber(value);
            return;
        }
        case JV::Type::String:
            putString(detail::TreeOps::string(node));
            return;
        case JV::Type::Array: {
            if (level >= kMaxDepth) fail(JSONWriterError::Status::MaxDepthExceeded);
            room(1);
            put('[');
            bool first = true;
            PlacedKeyOrder::Place elementPlace = 0;
            bool placed = false;
            for (const JV* element : detail::TreeOps::array(node)) {
                separate(first, level + 1);
                if (placedOrder_ != nullptr && !placed && detail::isContainer(*element)) {
                    elementPlace = placedOrder_->elementPlace(place);
                    placed = true;
                }
                emit(*element, level + 1, elementPlace);
            }
            close(first, level, ']');
            return;
        }
        case JV::Type::Object:
            if (level >= kMaxDepth) fail(JSONWriterError::Status::MaxDepthExceeded);
            room(1);
            put('{');
            emitProperties(node, level + 1, place);
            return;
    }
}

void JSONWriter::emitProperties(const JV& object, int level, PlacedKeyOrder::Place place) {
    bool first = true;
    auto property = [&](std::string_view key, const JV& value) {
        separate(first, level);
        putString(key);
        room(2);
        put(':');
        if (indentSize_ > 0) put(' ');
        PlacedKeyOrder::Place valuePlace = 0;
        if (placedOrder_ != nullptr && detail::isContainer(value)) valuePlace = placedOrder_->memberPlace(place, key);
        emit(value, level, valuePlace);
    };
    if (placedOrder_ != nullptr) {
        detail::visitInOrder(object, placedOrder_->keyOrder(place), written_, property);
    } else if (propertyFactory_) {
        for (auto [key, value] : propertyFactory_(object)) property(key, *value);
    } else {
        // A document's recorded key order, or byte-wise order for a bare value.
        KeyOrder order{orderDoc_ != nullptr ? KeyOrder::Rule::Source : KeyOrder::Rule::Bytewise};
        detail::visitInOrder(object, order, written_, property);
    }
    close(first, level - 1, '}');
}

void JSONWriter::separate(bool& first, int level) {
    if (!first) {
        room(1);
        put(',');
    }
    first = false;
    if (indentSize_ > 0) putIndent(level);
}

void JSONWriter::close(bool empty, int level, char bracket) {
    // An empty container is written closed, "{}" or "[]", as people write it.
    if (indentSize_ > 0 && !empty) putIndent(level);
    room(1);
    put(bracket);
}

void JSONWriter::putNumber(const number::Number& value) {
    // The integer kinds directly; their text form is plain decimal.
    constexpr std::size_t kDigits = 24;
    if (value.isLong()) {
        room(kDigits);
        cur_ = std::to_chars(cur_, cur_ + kDigits, value.longValue()).ptr;
    } else if (value.isULong()) {
        room(kDigits);
        cur_ = std::to_chars(cur_, cur_ + kDigits, value.ulongValue()).ptr;
    } else {
        numberText_.clear();
        value.appendTo(numberText_, 0);
        put(numberText_.data(), numberText_.size());
    }
}

}  // namespace zephalon::jv
