#pragma once

#include <array>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "zephalon/jv/placed_key_order.h"
#include "zephalon/jv/property_factory.h"

namespace zephalon::number {
class Number;
}

namespace zephalon::jv {

class JV;
class JVDoc;

// Raised when the JSON writer is driven into a state that cannot produce valid JSON. Once raised, the writer
// stays in its error state and refuses every further write.
class JSONWriterError : public std::exception {
  public:
    enum class Status {
        KeyMustBeStrings,
        MaxDepthExceeded,
        InErrorState,
        GenerationComplete,
        InvalidNumber,
        InvalidString,
        // A container end that does not match the open container, or an object closed after a key without value.
        UnbalancedContainer,
    };

    explicit JSONWriterError(Status status) : status_(status) {}

    Status status() const { return status_; }
    const char* what() const noexcept override;

  private:
    Status status_;
};

// Writes JSON text into an internal buffer, either a whole value tree at once (`write`) or event by event through
// the low-level calls. Pretty-printing is on while the indent size is above 0.
class JSONWriter {
  public:
    // As deep as the readers accept, so that every document that can be read can be written back.
    static constexpr int kMaxDepth = 1000;

    JSONWriter();

    void setIndentSize(int size);
    void setEscapeSolidus(bool escape) { escapeSolidus_ = escape; }
    void setValidateUTF8(bool validate) { validateUTF8_ = validate; }
    void setPropertyFactory(PropertyFactory factory) { propertyFactory_ = std::move(factory); }
    // Key orders by place, which decide instead of the property factory while set. Not owned: it must outlive the
    // writes.
    void setPlacedKeyOrder(const PlacedKeyOrder* order) { placedOrder_ = order; }

    // Writes a value tree. Objects are written in the order of the property factory, or in byte-wise key order
    // when none was set.
    void write(const JV& node);
    // Writes the document's root in the document's source key order unless a property factory was set.
    void write(const JVDoc& doc);

    void writeNull();
    void writeBoolean(bool value);
    void writeNumber(const number::Number& value);
    // Inside an object where a key is due, the string is written as the key.
    void writeString(std::string_view value);
    void writeArrayStart();
    void writeArrayEnd();
    void writeObjectStart();
    void writeObjectEnd();

    bool complete() const { return states_[depth_] == State::Complete; }
    const std::string& toString() const { return out_; }
    // Hands over the text written so far and starts afresh.
    std::string release();
    void reset();

  private:
    enum class State : std::uint8_t { Start, MapStart, MapKey, MapValue, ArrayStart, InArray, Complete, Error };

    class Room;

    [[noreturn]] void fail(JSONWriterError::Status status);
    void beforeValue();
    void afterValue();
    void openContainer(State state, char bracket);
    void closeContainer(State first, State next, char bracket);
    void newlineAndIndent(int levels);
    // Output goes straight into `out_` between `cur_` and `lim_` while a Room is open; `room` makes space for `n`
    // more bytes.
    void room(std::size_t n) {
        if (static_cast<std::size_t>(lim_ - cur_) < n) grow(n);
    }
    void grow(std::size_t n);
    void put(char c) { *cur_++ = c; }
    void put(const char* text, std::size_t n);
    void putIndent(int levels);
    void putQuoted(std::string_view text);
    void putString(std::string_view text);
    void putNumber(const number::Number& value);
    void writeRoot(const JV& node, const JVDoc* orderDoc);
    void emit(const JV& node, int level, PlacedKeyOrder::Place place);
    void emitProperties(const JV& object, int level, PlacedKeyOrder::Place place);
    void separate(bool& first, int level);
    void close(bool empty, int level, char bracket);

    bool escapeSolidus_ = false;
    bool validateUTF8_ = false;
    int indentSize_ = 2;
    std::string indent_;
    std::string newlineIndent_;  // a line feed followed by indentation for many levels, appended in slices
    int depth_ = 0;
    std::array<State, kMaxDepth + 1> states_{};
    std::string out_;
    char* cur_ = nullptr;
    char* lim_ = nullptr;
    std::size_t roomBegin_ = 0;  // the length of `out_` when the open Room was opened
    std::string numberText_;     // scratch for the number kinds written through their own text form
    PropertyFactory propertyFactory_;
    const PlacedKeyOrder* placedOrder_ = nullptr;
    // While a whole document is written without a property factory: the document whose key order applies.
    const JVDoc* orderDoc_ = nullptr;
    // Which properties of the objects being written have been written, one slice per open object.
    std::vector<std::uint8_t> written_;
};

}  // namespace zephalon::jv
