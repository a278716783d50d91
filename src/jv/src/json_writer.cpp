#include "zephalon/jv/json_writer.h"

#include <utf8.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "ordered_properties.h"
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

}  // namespace

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
    std::size_t length = 1 + static_cast<std::size_t>(levels) * indent_.size();
    if (newlineIndent_.size() < length) {
        newlineIndent_.assign(1, '\n');
        for (int i = 0; i < levels * 2; ++i) newlineIndent_.append(indent_);
    }
    out_.append(newlineIndent_.data(), length);
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
    appendNumber(value);
    afterValue();
}

void JSONWriter::writeString(std::string_view value) {
    if (states_[depth_] == State::Error) throw JSONWriterError(JSONWriterError::Status::InErrorState);
    if (validateUTF8_ && !utf8::is_valid(value.begin(), value.end())) fail(JSONWriterError::Status::InvalidString);
    beforeValue();
    appendQuoted(value);
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

void JSONWriter::appendString(std::string_view text) {
    if (validateUTF8_ && !utf8::is_valid(text.begin(), text.end())) fail(JSONWriterError::Status::InvalidString);
    appendQuoted(text);
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

}  // namespace

void JSONWriter::appendQuoted(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out_.push_back('"');
    const char* run = text.data();
    const char* end = text.data() + text.size();
    const char* p = run;
    while (p != end) {
        // Most text needs no escape at all: pass it eight bytes at a time.
        if (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            if (!needsEscape(word) && !(escapeSolidus_ && hasByte(word, '/'))) {
                p += 8;
                continue;
            }
        }
        auto byte = static_cast<unsigned char>(*p);
        char escape = kEscape[byte];
        if (escape == 0) {
            if (byte != '/' || !escapeSolidus_) {
                ++p;
                continue;
            }
            escape = '/';
        }
        out_.append(run, p);
        run = ++p;
        if (escape == 'u') {
            const char seq[6] = {'\\', 'u', '0', '0', kHex[byte >> 4], kHex[byte & 0xF]};
            out_.append(seq, sizeof seq);
        } else {
            const char seq[2] = {'\\', escape};
            out_.append(seq, sizeof seq);
        }
    }
    out_.append(run, end);
    out_.push_back('"');
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
    emit(node, depth_, placedOrder_ != nullptr ? placedOrder_->rootPlace() : 0);
    afterValue();
}

void JSONWriter::emit(const JV& node, int level, PlacedKeyOrder::Place place) {
    switch (node.type()) {
        case JV::Type::Null:
            out_.append("null", 4);
            return;
        case JV::Type::Boolean:
            if (node.booleanValue()) {
                out_.append("true", 4);
            } else {
                out_.append("false", 5);
            }
            return;
        case JV::Type::Number: {
            const number::Number& value = node.numberValue();
            if (value.isNaN() || value.isInfinity()) fail(JSONWriterError::Status::InvalidNumber);
            appendNumber(value);
            return;
        }
        case JV::Type::String:
            appendString(node.stringValue());
            return;
        case JV::Type::Array: {
            if (level >= kMaxDepth) fail(JSONWriterError::Status::MaxDepthExceeded);
            out_.push_back('[');
            bool first = true;
            PlacedKeyOrder::Place elementPlace = 0;
            bool placed = false;
            for (const JV* element : node.items()) {
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
            out_.push_back('{');
            emitProperties(node, level + 1, place);
            return;
    }
}

void JSONWriter::emitProperties(const JV& object, int level, PlacedKeyOrder::Place place) {
    bool first = true;
    auto property = [&](std::string_view key, const JV& value) {
        separate(first, level);
        appendString(key);
        if (indentSize_ > 0) {
            out_.append(": ", 2);
        } else {
            out_.push_back(':');
        }
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
    if (!first) out_.push_back(',');
    first = false;
    if (indentSize_ > 0) newlineAndIndent(level);
}

void JSONWriter::close(bool empty, int level, char bracket) {
    // An empty container is written closed, "{}" or "[]", as people write it.
    if (indentSize_ > 0 && !empty) newlineAndIndent(level);
    out_.push_back(bracket);
}

void JSONWriter::appendNumber(const number::Number& value) { value.appendTo(out_, 0); }

}  // namespace zephalon::jv
