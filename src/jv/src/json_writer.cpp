#include "zephalon/jv/json_writer.h"

#include <utf8.h>

#include <stdexcept>
#include <vector>

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
}

std::string JSONWriter::release() {
    std::string text = std::move(out_);
    reset();
    return text;
}

void JSONWriter::reset() {
    out_.clear();
    depth_ = 0;
    states_[0] = State::Start;
}

void JSONWriter::fail(JSONWriterError::Status status) {
    states_[depth_] = State::Error;
    throw JSONWriterError(status);
}

void JSONWriter::newlineAndIndent(int levels) {
    out_.push_back('\n');
    for (int i = 0; i < levels; ++i) out_.append(indent_);
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
            if (indentSize_ > 0) {
                for (int i = 0; i < depth_; ++i) out_.append(indent_);
            }
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
    if (indentSize_ > 0) out_.push_back('\n');
    states_[++depth_] = state;
}

void JSONWriter::closeContainer(State first, State next, char bracket) {
    State state = states_[depth_];
    if (state == State::Error) throw JSONWriterError(JSONWriterError::Status::InErrorState);
    if (state == State::Complete) throw JSONWriterError(JSONWriterError::Status::GenerationComplete);
    if (depth_ == 0 || (state != first && state != next)) fail(JSONWriterError::Status::UnbalancedContainer);
    --depth_;
    if (indentSize_ > 0) newlineAndIndent(depth_);
    out_.push_back(bracket);
    afterValue();
}

void JSONWriter::writeArrayStart() { openContainer(State::ArrayStart, '['); }
void JSONWriter::writeArrayEnd() { closeContainer(State::ArrayStart, State::InArray, ']'); }
void JSONWriter::writeObjectStart() { openContainer(State::MapStart, '{'); }
void JSONWriter::writeObjectEnd() { closeContainer(State::MapStart, State::MapKey, '}'); }

void JSONWriter::appendQuoted(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out_.push_back('"');
    const char* run = text.data();
    const char* end = text.data() + text.size();
    for (const char* p = run; p != end; ++p) {
        auto byte = static_cast<unsigned char>(*p);
        char escape = kEscape[byte];
        if (escape == 0) {
            if (byte != '/' || !escapeSolidus_) continue;
            escape = '/';
        }
        out_.append(run, p);
        run = p + 1;
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

void JSONWriter::write(const JV& node) {
    orderDoc_ = nullptr;
    writeTree(node);
}

void JSONWriter::write(const JVDoc& doc) {
    const JV* root = doc.root();
    if (root == nullptr) throw std::runtime_error("Cannot write a document without a root value");
    orderDoc_ = &doc;
    try {
        writeTree(*root);
    } catch (...) {
        orderDoc_ = nullptr;
        throw;
    }
    orderDoc_ = nullptr;
}

// Goes through the low-level calls so that a tree written into an open container obeys the same state rules and
// depth limit as single events.
void JSONWriter::writeTree(const JV& node) {
    switch (node.type()) {
        case JV::Type::Null:
            writeNull();
            return;
        case JV::Type::Boolean:
            writeBoolean(node.booleanValue());
            return;
        case JV::Type::Number:
            writeNumber(node.numberValue());
            return;
        case JV::Type::String:
            writeString(node.stringValue());
            return;
        case JV::Type::Array:
            writeArrayStart();
            for (const JV* element : node.items()) writeTree(*element);
            writeArrayEnd();
            return;
        case JV::Type::Object:
            writeObjectStart();
            writeProperties(node);
            writeObjectEnd();
            return;
    }
}

void JSONWriter::writeProperties(const JV& object) {
    if (propertyFactory_) {
        for (auto [key, value] : propertyFactory_(object)) {
            writeString(key);
            writeTree(*value);
        }
        return;
    }
    if (orderDoc_ != nullptr) {
        std::vector<std::string_view> order = orderDoc_->propOrder(object);
        if (!order.empty()) {
            for (auto [key, value] : SortedProperties(object, order)) {
                writeString(key);
                writeTree(*value);
            }
            return;
        }
    }
    for (auto property : object.properties()) {
        writeString(property.key);
        writeTree(*property.value);
    }
}

void JSONWriter::appendNumber(const number::Number& value) { value.appendTo(out_, 0); }

}  // namespace zephalon::jv
