#pragma once

// The JSON reader in three layers: the Lexer cuts bytes into tokens, the JSONReader runs a pushdown automaton over
// them and reports every value to a Handler, and the DefaultHandler builds a JVDoc.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <iosfwd>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zephalon/jv/jv.h"
#include "zephalon/jv/pos.h"
#include "zephalon/jv/read_error.h"

namespace zephalon::jv {

class JSONReaderError : public std::exception {
  public:
    explicit JSONReaderError(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }

  private:
    std::string message_;
};

// Maps byte offsets of a text to 1-based line and byte column. A line feed, a carriage return followed by a line
// feed, or a lone carriage return ends a line.
class Lines {
  public:
    Lines() = default;
    explicit Lines(std::string_view text);

    // Raises std::out_of_range "Offset is out of range" for an offset outside the text.
    Pos pos(std::int64_t offset) const;
    std::size_t length() const { return length_; }
    const std::vector<std::size_t>& starts() const { return starts_; }

  private:
    std::size_t length_ = 0;
    std::vector<std::size_t> starts_{0};
};

// Receives the parse events. Every call gets the position of the token's first byte and returns non-zero to go on
// or 0 to stop the parse. With `rawNumbers` set, numbers arrive through handleNumber as their source text;
// otherwise integers that fit 64 bits arrive through handleInteger and all others through handleDouble.
class Handler {
  public:
    bool rawNumbers = false;

    virtual ~Handler() = default;
    virtual int handleString(const char* bytes, std::size_t length, Pos pos);
    virtual int handleInteger(std::int64_t value, Pos pos);
    virtual int handleDouble(double value, Pos pos);
    virtual int handleNumber(const char* text, std::size_t length, Pos pos);
    virtual int handleStartMap(Pos pos);
    virtual int handleMapKey(const char* bytes, std::size_t length, Pos pos);
    virtual int handleEndMap(Pos pos);
    virtual int handleStartArray(Pos pos);
    virtual int handleEndArray(Pos pos);
    virtual int handleBoolean(int value, Pos pos);
    virtual int handleNull(Pos pos);
};

// Builds a JVDoc: every node with its position, every object with its source key order. A repeated key replaces
// (and destroys) the earlier value; the key keeps its first place in the source order.
class DefaultHandler : public Handler {
  public:
    DefaultHandler();
    ~DefaultHandler() override;

    int handleString(const char* bytes, std::size_t length, Pos pos) override;
    int handleNumber(const char* text, std::size_t length, Pos pos) override;
    int handleInteger(std::int64_t value, Pos pos) override;
    int handleDouble(double value, Pos pos) override;
    int handleStartMap(Pos pos) override;
    int handleMapKey(const char* bytes, std::size_t length, Pos pos) override;
    int handleEndMap(Pos pos) override;
    int handleStartArray(Pos pos) override;
    int handleEndArray(Pos pos) override;
    int handleBoolean(int value, Pos pos) override;
    int handleNull(Pos pos) override;

    // Hands over the document built so far (null before any value was complete) and starts afresh.
    std::unique_ptr<JVDoc> document();
    // The message of the internal error that stopped the parse, empty when there was none.
    const std::string& failure() const { return failure_; }
    // Whether an object closed since the last `document` held a key more than once.
    bool repeatedKey() const;

  private:
    struct Builder;
    // Places a complete value (a node of the document's arena) in its container, or makes it the root.
    int add(JV* value);
    int addNumber(const number::Number& value, Pos pos);
    int fail(std::string message);

    std::unique_ptr<Builder> builder_;
    std::unique_ptr<JVDoc> doc_;
    std::string failure_;
};

// Cuts JSON text into tokens. The lexer works on a whole text held by the caller.
class Lexer {
  public:
    enum class Token : std::uint8_t {
        Boolean,
        Colon,
        Comma,
        Eof,
        Error,
        LeftBrace,
        LeftBracket,
        Null,
        RightBrace,
        RightBracket,
        Integer,
        Double,
        String,
        StringWithEscapes,
        Comment,
    };
    enum class Error : std::uint8_t {
        None = 0,
        StringInvalidUtf8 = 1,
        StringInvalidEscapedChar,
        StringInvalidJsonChar,
        StringInvalidHexChar,
        InvalidChar,
        InvalidString,
        MissingIntegerAfterDecimal,
        MissingIntegerAfterExponent,
        MissingIntegerAfterMinus,
        UnallowedComment,
    };

    Lexer(bool allowComments, bool validateUtf8) : allowComments_(allowComments), validateUtf8_(validateUtf8) {}

    void reset(std::string_view text);
    // The next token; white space is skipped, and comments too when they are allowed.
    Token next();

    // Start and end offsets of the last token (for strings, the quotes included).
    std::size_t tokenStart() const { return start_; }
    std::size_t tokenEnd() const { return end_; }
    // Position of the last token's first byte, counted while lexing (inline: the reader asks for every token's).
    Pos tokenPos() const {
        constexpr std::size_t kMax = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
        return Pos{line_, static_cast<std::int32_t>(std::min(start_ - lineStart_ + 1, kMax))};
    }
    Error error() const { return error_; }
    // For Boolean tokens.
    bool booleanValue() const { return boolean_; }
    std::string_view text() const { return text_; }

  private:
    Token fail(Error error, std::size_t at);
    Token lexString();
    Token lexNumber();
    bool skipComment();
    // Counts a line break ending just before `cur_`; the count stops at the largest line number a Pos can hold.
    void newLine() {
        if (line_ < INT32_MAX) ++line_;
        lineStart_ = cur_;
    }

    bool allowComments_;
    bool validateUtf8_;
    bool boolean_ = false;
    Error error_ = Error::None;
    std::string_view text_;
    std::size_t cur_ = 0;
    std::size_t start_ = 0;
    std::size_t end_ = 0;
    std::int32_t line_ = 1;
    std::size_t lineStart_ = 0;
};

// The pushdown automaton over the lexer's tokens for one JSON value (or several, with the option).
class JSONReader {
  public:
    struct Options {
        bool allowComments = false;
        bool dontValidateStrings = false;
        bool allowTrailingGarbage = false;
        bool allowMultipleValues = false;
        bool allowPartialValues = false;
    };

    enum class State : std::uint8_t {
        Start,
        ParseComplete,
        ParseError,
        LexicalError,
        MapStart,
        MapNeedKey,
        MapSep,
        MapNeedVal,
        MapGotVal,
        ArrayStart,
        ArrayGotVal,
        ArrayNeedVal,
        GotValue,
    };

    // Grammar-level error codes; lexical errors are reported as their Lexer::Error number plus 6.
    enum class ParseError : std::uint8_t {
        None = 0,
        HandlerStopped = 1,
        PrematureEnd = 2,
        TrailingGarbage = 3,
        UnexpectedToken = 4,
        KeyNotString = 5,
        TooDeep = 6,
    };

    // Containers may nest this deep; one more level fails the parse.
    static constexpr std::size_t kMaxDepth = 1000;

    explicit JSONReader(Handler& handler) : JSONReader(handler, Options{}) {}
    JSONReader(Handler& handler, Options options);

    // Adds a chunk of text. The chunks are gathered and parsed as one text by completeParse. Returns false once
    // the reader has failed.
    bool parse(std::string_view chunk);
    // Parses the gathered text; true when a complete value was read.
    bool completeParse();
    // Parses a whole text in place (no copy); true when a complete value was read.
    bool read(std::string_view text);

    Pos currentLocation() const { return lexer_.tokenPos(); }
    // 0 when there was no error.
    int errorCode() const;
    State state() const { return state_; }
    // After a failed parse: what went wrong, in words ("expected ',' or '}' after an object member, found a
    // string"), and the byte offset it was found at (the offending token, or the offending byte inside a token).
    // A handler that stopped the parse is described by `handlerReason` when one is given.
    std::string errorReason(std::string_view handlerReason = {}) const;
    std::size_t errorOffset() const { return errorOffset_; }

  private:
    bool run(std::string_view text);
    int emitString(Lexer::Token token, bool key);
    int emitNumber(Lexer::Token token);
    bool decode(std::string_view body);

    Handler& handler_;
    Options options_;
    Lexer lexer_;
    std::vector<State> stack_;
    State state_ = State::Start;
    std::string buffer_;
    std::string pending_;
    ParseError parseError_ = ParseError::None;
    Lexer::Error lexError_ = Lexer::Error::None;
    // What the failed parse expected, and what it found instead.
    State failedIn_ = State::Start;
    Lexer::Token failedOn_ = Lexer::Token::Eof;
    std::size_t errorOffset_ = 0;
};

// Reads a whole JSON text into a document; a UTF-8 byte order mark before it is skipped. Any failure raises
// ReadError with the position of the fault and the reason "JSON parse error: " followed by what was wrong, e.g.
// "expected ':' after an object key, found a number", "invalid UTF-8 at byte 17" (0-based, counted in the text
// as given) or "nesting deeper than 1000 levels".
std::unique_ptr<JVDoc> readJsonStream(std::istream& in);
std::unique_ptr<JVDoc> readJsonString(std::string_view text);

}  // namespace zephalon::jv
