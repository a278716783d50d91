#include "yaml_block_scanner.h"

#include <utf8.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>

#include "yaml_scalars.h"
#include "zephalon/foundation/strings.h"
#include "zephalon/jv/yaml_reader.h"

namespace zephalon::jv::detail {

namespace {

[[noreturn]] void giveUp() { throw BlockScanGaveUp{}; }

// Gives up on a text with any character but printable ASCII, LF and the characters `yamlPrintableLength` takes.
// Eight bytes at a time while they are printable ASCII.
void checkCharacters(std::string_view text) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHighs = 0x8080808080808080;
    std::size_t i = 0;
    while (i < n) {
        if (i + 8 <= n) {
            std::uint64_t word;
            std::memcpy(&word, s + i, 8);
            std::uint64_t control = (word - kOnes * 0x20) & ~word & kHighs;
            std::uint64_t del = word ^ (kOnes * 0x7F);
            del = (del - kOnes) & ~del & kHighs;
            if (((word & kHighs) | control | del) == 0) {
                i += 8;
                continue;
            }
        }
        unsigned char c = s[i];
        if ((c >= 0x20 && c < 0x7F) || c == '\n') {
            ++i;
        } else if (c < 0x80) {
            giveUp();
        } else {
            std::size_t length = yamlPrintableLength(text, i);
            if (length == 0) giveUp();
            i += length;
        }
    }
}

class Scanner {
  public:
    Scanner(std::string_view text, YamlEventSink& sink) : s_(text.data()), n_(text.size()), sink_(sink) {}

    void run() {
        skipToContent();
        bool explicitStart = false;
        if (indent_ == 0 && startsMarker("---")) {
            p_ += 3;
            explicitStart = true;
            finishLine();
            nextContentLine();
        } else if (indent_ == 0 && startsMarker("...")) {
            giveUp();
        }
        if (indent_ >= 0 || explicitStart) {
            send(YamlEvent::Type::DocumentStart, mark());
            if (indent_ >= 0) {
                nodeOnItsLine(-1);
            } else {
                scalar({}, true, mark());
            }
            if (indent_ >= 0) giveUp();  // more than one node, or another document
        }
        send(YamlEvent::Type::StreamEnd, mark());
    }

  private:
    // The scanner's place: p_ in the text, on line line_ (0-based) that starts at lineStart_. Between nodes, p_ is
    // at the first character of a content line whose indentation is indent_, or at the end with indent_ -1.
    const char* s_;
    const std::size_t n_;
    std::size_t p_ = 0;
    std::size_t line_ = 0;
    std::size_t lineStart_ = 0;
    long indent_ = -1;
    std::size_t depth_ = 0;
    YamlEventSink& sink_;
    YamlEvent event_;
    std::string scratch_;

    static constexpr long kOneLine = LONG_MIN;
    static constexpr std::size_t kNotOnOneLine = std::string_view::npos;

    // The text of the last key or quoted scalar scanned (a view of the text or of scratch_); for a key, whether it
    // is plain and where its value starts.
    std::string_view text_;
    bool keyPlain_ = false;
    std::size_t keyEnd_ = 0;

    bool blankOrEnd(std::size_t i) const { return i >= n_ || s_[i] == ' ' || s_[i] == '\n'; }

    std::size_t column(std::size_t at) const { return utf8Length(std::string_view(s_ + lineStart_, at - lineStart_)); }

    // The index of the line break at or after `i`, or the end of the text.
    std::size_t lineEnd(std::size_t i) const {
        const void* found = std::memchr(s_ + i, '\n', n_ - i);
        return found == nullptr ? n_ : static_cast<std::size_t>(static_cast<const char*>(found) - s_);
    }
    YamlMark mark() const { return YamlMark{line_, p_ - lineStart_}; }

    void send(YamlEvent::Type type, YamlMark at) {
        event_.type = type;
        event_.start = at;
        sink_.event(event_);
    }

    void scalar(std::string_view text, bool plain, YamlMark at) {
        event_.text = text;
        event_.plain = plain;
        send(YamlEvent::Type::Scalar, at);
    }

    // "---" or "..." at the start of the line, as a line of its own or followed by a space.
    bool startsMarker(const char* marker) const {
        return p_ == lineStart_ && n_ - p_ >= 3 && std::memcmp(s_ + p_, marker, 3) == 0 && blankOrEnd(p_ + 3);
    }

    void newLine(std::size_t at) {
        p_ = at;
        lineStart_ = at;
        ++line_;
    }

    // From the start of a line, past empty and comment lines to the first character of the next content line.
    void skipToContent() {
        for (;;) {
            std::size_t q = p_;
            while (q < n_ && s_[q] == ' ') ++q;
            if (q < n_ && s_[q] == '#') q = lineEnd(q);
            if (q >= n_) {
                p_ = n_;
                indent_ = -1;
                return;
            }
            if (s_[q] == '\n') {
                newLine(q + 1);
                continue;
            }
            indent_ = static_cast<long>(q - p_);
            p_ = q;
            return;
        }
    }

    void nextContentLine() {
        skipToContent();
        if (indent_ == 0 && (startsMarker("---") || startsMarker("..."))) giveUp();
    }

    // After a token: spaces, perhaps a comment, then the end of the line, which is passed.
    void finishLine() {
        std::size_t q = p_;
        while (q < n_ && s_[q] == ' ') ++q;
        if (q < n_ && s_[q] == '#') {
            // A comment needs a space before it.
            if (q == 0 || s_[q - 1] != ' ') giveUp();
            q = lineEnd(q);
        }
        if (q >= n_) {
            p_ = n_;
            return;
        }
        if (s_[q] != '\n') giveUp();
        newLine(q + 1);
    }

    bool entryAhead() const { return s_[p_] == '-' && blankOrEnd(p_ + 1); }

    void enter() {
        if (++depth_ > YAMLReader::kMaxDepth) giveUp();
    }

    // A node that starts on a content line of its own, indented more than its owner's block (or, for the root,
    // anywhere).
    void nodeOnItsLine(long owner) {
        if (entryAhead()) {
            blockSequence(false);
        } else if (keyAhead()) {
            blockMapping();
        } else {
            scalarValue(owner);
        }
    }

    // The value after a mapping's ":" or a sequence's "-", at p_, of the block indented by `owner`.
    void valueAfterIndicator(long owner, bool ofMapping) {
        while (p_ < n_ && s_[p_] == ' ') ++p_;
        if (p_ >= n_ || s_[p_] == '\n' || s_[p_] == '#') {
            YamlMark empty = mark();
            finishLine();
            nextContentLine();
            if (indent_ > owner) {
                nodeOnItsLine(owner);
            } else if (ofMapping && indent_ == owner && entryAhead()) {
                blockSequence(true);
            } else {
                scalar({}, true, empty);
            }
            return;
        }
        if (!ofMapping) {
            // A compact collection: "- - a" or "- key: value".
            if (entryAhead()) {
                indent_ = static_cast<long>(p_ - lineStart_);
                blockSequence(false);
                return;
            }
            if (keyAhead()) {
                indent_ = static_cast<long>(p_ - lineStart_);
                blockMapping();
                return;
            }
        }
        scalarValue(owner);
    }

    void blockMapping() {
        enter();
        const long indent = indent_;
        send(YamlEvent::Type::MappingStart, mark());
        for (;;) {
            if (!keyAhead()) giveUp();
            scalar(text_, keyPlain_, mark());
            p_ = keyEnd_;
            valueAfterIndicator(indent, true);
            if (indent_ < indent) break;
            if (indent_ > indent) giveUp();
        }
        send(YamlEvent::Type::MappingEnd, mark());
        --depth_;
    }

    // `indentless`: a mapping's value whose "-" stand at the mapping's own indentation; a key there ends it.
    void blockSequence(bool indentless) {
        enter();
        const long indent = indent_;
        send(YamlEvent::Type::SequenceStart, mark());
        for (;;) {
            ++p_;
            valueAfterIndicator(indent, false);
            if (indent_ < indent) break;
            if (indent_ > indent) giveUp();
            if (!entryAhead()) {
                if (indentless) break;
                giveUp();
            }
        }
        send(YamlEvent::Type::SequenceEnd, mark());
        --depth_;
    }

    // Whether a key, plain or quoted and followed by ":", starts at p_; if so, its text and end are kept.
    bool keyAhead() {
        std::size_t q;
        char first = s_[p_];
        if (first == '\'' || first == '"') {
            q = quoted(p_, kOneLine);
            if (q == kNotOnOneLine) return false;
            keyPlain_ = false;
            while (q < n_ && s_[q] == ' ') ++q;
            if (q >= n_ || s_[q] != ':' || !blankOrEnd(q + 1)) return false;
        } else {
            if (!plainStarts(p_)) return false;
            std::size_t end = p_;
            q = p_;
            for (;;) {
                if (q >= n_ || s_[q] == '\n') return false;
                char c = s_[q];
                if (c == ':' && blankOrEnd(q + 1)) break;
                if (c == ' ') {
                    if (q + 1 < n_ && s_[q + 1] == '#') return false;
                } else {
                    end = q + 1;
                }
                ++q;
            }
            text_ = std::string_view(s_ + p_, end - p_);
            keyPlain_ = true;
        }
        // libyaml looks for the ":" of a key no further than 1024 characters from its start.
        if (q - p_ > 1000) giveUp();
        keyEnd_ = q + 1;
        return true;
    }

    // Whether a plain scalar may start at `i` in block context.
    bool plainStarts(std::size_t i) const {
        char c = s_[i];
        if (c == '-' || c == '?' || c == ':') return !blankOrEnd(i + 1);
        return !yamlIsIndicator(c);
    }

    // A scalar value starting at p_, in the block indented by `owner`; it must end its line.
    void scalarValue(long owner) {
        YamlMark at = mark();
        switch (s_[p_]) {
            case '\'':
            case '"':
                p_ = quoted(p_, owner);
                scalar(text_, false, at);
                finishLine();
                break;
            case '|':
            case '>':
                block(owner, at);
                break;
            case '[':
            case '{':
                flowCollection();
                finishLine();
                break;
            default:
                plain(owner, at);
                finishLine();
                break;
        }
        nextContentLine();
        // A more indented line continues the scalar, or is a fault.
        if (indent_ > owner) giveUp();
    }

    // A plain scalar of the block indented by `owner`: its first line, and the lines indented more than the block
    // that follow it, folded into one text as libyaml folds them.
    void plain(long owner, YamlMark at) {
        if (!plainStarts(p_)) giveUp();
        std::size_t start = p_;
        bool comment = false;
        std::size_t end = plainLineEnd(p_, comment);
        std::string_view text(s_ + start, end - start);
        bool folded = false;
        while (!comment && end < n_) {
            // The next line that is not empty, and the empty ones before it.
            std::size_t next = lineEnd(end) + 1;
            if (next > n_) break;
            std::size_t breaks = 0;
            std::size_t content = next;
            for (;;) {
                while (content < n_ && s_[content] == ' ') ++content;
                if (content >= n_ || s_[content] != '\n') break;
                ++breaks;
                next = ++content;
            }
            if (content >= n_ || static_cast<long>(content - next) <= owner || s_[content] == '#') break;
            // At the root, a line at column 0 may be a document marker.
            if (owner < 0) giveUp();
            if (!folded) scratch_.assign(text);
            folded = true;
            if (breaks == 0) {
                scratch_ += ' ';
            } else {
                scratch_.append(breaks, '\n');
            }
            end = plainLineEnd(content, comment);
            scratch_.append(s_ + content, end - content);
            line_ += breaks + 1;
            lineStart_ = next;
        }
        if (folded) text = scratch_;
        p_ = end;
        scalar(text, true, at);
    }

    // The end of the content of one line of a plain scalar from `i`, spaces before the line's end or a comment left
    // out; `comment` tells whether a comment follows.
    std::size_t plainLineEnd(std::size_t i, bool& comment) const {
        std::size_t end = i;
        while (i < n_) {
            char c = s_[i];
            if (c == '\n') break;
            if (c == ':' && blankOrEnd(i + 1)) giveUp();
            if (c == ' ') {
                std::size_t q = i + 1;
                while (q < n_ && s_[q] == ' ') ++q;
                if (q < n_ && s_[q] == '#') {
                    comment = true;
                    break;
                }
                if (q >= n_ || s_[q] == '\n') break;
                i = q;
                continue;
            }
            end = ++i;
        }
        return end;
    }

    // A flow collection on one line, "[...]" or "{...}", of scalars and flow collections; the pairs of a mapping
    // have a ": " each, and no value is left out.
    void flowCollection() {
        enter();
        bool sequence = s_[p_] == '[';
        char close = sequence ? ']' : '}';
        send(sequence ? YamlEvent::Type::SequenceStart : YamlEvent::Type::MappingStart, YamlMark{line_, column(p_)});
        ++p_;
        skipFlowSpaces();
        while (s_[p_] != close) {
            if (s_[p_] == ',') giveUp();
            if (!sequence) {
                if (s_[p_] == '[' || s_[p_] == '{') giveUp();
                std::size_t keyStart = p_;
                flowNode();
                if (p_ - keyStart > 1000) giveUp();
                skipFlowSpaces();
                if (s_[p_] != ':' || !blankOrEnd(p_ + 1)) giveUp();
                ++p_;
                skipFlowSpaces();
                if (s_[p_] == ',' || s_[p_] == close) giveUp();
            }
            flowNode();
            skipFlowSpaces();
            if (s_[p_] == ',') {
                ++p_;
                skipFlowSpaces();
            } else if (s_[p_] != close) {
                giveUp();
            }
        }
        ++p_;
        send(sequence ? YamlEvent::Type::SequenceEnd : YamlEvent::Type::MappingEnd, mark());
        --depth_;
    }

    // Past spaces inside a flow collection, which must go on on this line.
    void skipFlowSpaces() {
        while (p_ < n_ && s_[p_] == ' ') ++p_;
        if (p_ >= n_ || s_[p_] == '\n' || s_[p_] == '#') giveUp();
    }

    void flowNode() {
        YamlMark at = mark();
        switch (s_[p_]) {
            case '[':
            case '{':
                flowCollection();
                return;
            case '\'':
            case '"':
                p_ = quoted(p_, kOneLine);
                if (p_ == kNotOnOneLine) giveUp();
                scalar(text_, false, at);
                return;
            default:
                break;
        }
        // Inside flow collections, "?" and ":" always stand for themselves.
        if (!plainStarts(p_) || s_[p_] == '?' || s_[p_] == ':') giveUp();
        std::size_t start = p_;
        std::size_t end = p_;
        for (;;) {
            if (p_ >= n_) giveUp();
            char c = s_[p_];
            if (c == ',' || c == '[' || c == ']' || c == '{' || c == '}') break;
            if (c == ':') {
                if (blankOrEnd(p_ + 1)) break;
                // libyaml refuses a ":" that a flow indicator follows.
                if (std::strchr(",?[]{}", s_[p_ + 1]) != nullptr) giveUp();
            }
            if (c == ' ') {
                while (p_ < n_ && s_[p_] == ' ') ++p_;
                continue;
            }
            if (c == '\n' || (c == '#' && s_[p_ - 1] == ' ')) giveUp();
            end = ++p_;
        }
        p_ = end;
        scalar(std::string_view(s_ + start, end - start), true, at);
    }

    // The quoted scalar at `i`, single or double by its quote, its escapes decoded and its lines folded as libyaml
    // folds them, into text_; returns the index after its closing quote. The block indented by `owner` holds it;
    // each further line must be indented more. With kOneLine for `owner`, a scalar that goes on past its line is
    // kNotOnOneLine.
    std::size_t quoted(std::size_t i, long owner) {
        const char quote = s_[i];
        const bool single = quote == '\'';
        std::size_t start = ++i;
        bool copied = false;
        auto copy = [&](std::size_t to) {
            if (!copied) scratch_.clear();
            copied = true;
            scratch_.append(s_ + start, to - start);
        };
        for (;;) {
            if (i >= n_) giveUp();
            char c = s_[i];
            if (c == quote) {
                if (!single || i + 1 >= n_ || s_[i + 1] != '\'') break;
                copy(i);
                scratch_ += '\'';
                start = i += 2;
            } else if (c == '\\' && !single) {
                copy(i);
                if (i + 1 < n_ && s_[i + 1] == '\n') {
                    // An escaped line break joins the lines without a space.
                    if (owner == kOneLine) return kNotOnOneLine;
                    i = nextQuotedLine(i + 1, owner, true);
                } else {
                    i = escape(i + 1);
                }
                start = i;
            } else if (c == '\n') {
                if (owner == kOneLine) return kNotOnOneLine;
                std::size_t end = i;
                while (end > start && s_[end - 1] == ' ') --end;
                copy(end);
                start = i = nextQuotedLine(i, owner, false);
            } else {
                ++i;
            }
        }
        if (copied) {
            copy(i);
            text_ = scratch_;
        } else {
            text_ = std::string_view(s_ + start, i - start);
        }
        return i + 1;
    }

    // From the line break at `i` inside a quoted scalar past the empty lines that follow and the next line's
    // indentation, appending what they fold into; returns where the next line's text starts.
    std::size_t nextQuotedLine(std::size_t i, long owner, bool escaped) {
        std::size_t breaks = 0;
        newLine(i + 1);
        for (;;) {
            std::size_t q = p_;
            while (q < n_ && s_[q] == ' ') ++q;
            if (q >= n_) giveUp();
            if (s_[q] != '\n') {
                long column = static_cast<long>(q - lineStart_);
                // A line at column 0 may be a document marker.
                if (column <= owner || column == 0) giveUp();
                if (escaped || breaks > 0) {
                    scratch_.append(breaks, '\n');
                } else {
                    scratch_ += ' ';
                }
                return q;
            }
            ++breaks;
            newLine(q + 1);
        }
    }

    void appendCharacter(std::uint32_t code) { utf8::unchecked::append(code, std::back_inserter(scratch_)); }

    // Appends the character of the escape whose letter is at `i`; returns the index after the escape.
    std::size_t escape(std::size_t i) {
        if (i >= n_) giveUp();
        std::size_t digits = 0;
        switch (s_[i]) {
            case '0': scratch_ += '\0'; break;
            case 'a': scratch_ += '\x07'; break;
            case 'b': scratch_ += '\x08'; break;
            case 't': scratch_ += '\x09'; break;
            case 'n': scratch_ += '\x0A'; break;
            case 'v': scratch_ += '\x0B'; break;
            case 'f': scratch_ += '\x0C'; break;
            case 'r': scratch_ += '\x0D'; break;
            case 'e': scratch_ += '\x1B'; break;
            case ' ': scratch_ += ' '; break;
            case '"': scratch_ += '"'; break;
            case '/': scratch_ += '/'; break;
            case '\\': scratch_ += '\\'; break;
            case 'N': appendCharacter(0x85); break;
            case '_': appendCharacter(0xA0); break;
            case 'L': appendCharacter(0x2028); break;
            case 'P': appendCharacter(0x2029); break;
            case 'x': digits = 2; break;
            case 'u': digits = 4; break;
            case 'U': digits = 8; break;
            default: giveUp();
        }
        if (digits == 0) return i + 1;
        if (n_ - (i + 1) < digits) giveUp();
        std::uint32_t code = 0;
        const char* first = s_ + i + 1;
        if (std::from_chars(first, first + digits, code, 16).ptr != first + digits) giveUp();
        if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) giveUp();
        appendCharacter(code);
        return i + 1 + digits;
    }

    // A literal or folded block scalar ("|" or ">", perhaps with "-" or "+") of the block indented by `owner`, its
    // indentation found from its first lines and its lines folded as libyaml does.
    void block(long owner, YamlMark at) {
        const bool folded = s_[p_++] == '>';
        enum { Clip, Strip, Keep } chomping = Clip;
        if (p_ < n_ && (s_[p_] == '-' || s_[p_] == '+')) chomping = s_[p_++] == '-' ? Strip : Keep;
        if (p_ < n_ && s_[p_] >= '0' && s_[p_] <= '9') giveUp();
        if (!blankOrEnd(p_)) giveUp();
        finishLine();

        std::string& text = scratch_;
        text.clear();
        std::size_t indent = 0;  // 0 until found
        std::size_t column = 0;
        std::size_t breaks = 0;  // empty lines not yet added
        bool lineBreak = false;  // the break of the last content line, not yet added

        // Past indentation and empty lines; the first time, finds the indentation.
        auto emptyLines = [&] {
            std::size_t deepest = 0;
            for (;;) {
                while ((indent == 0 || column < indent) && p_ < n_ && s_[p_] == ' ') {
                    ++p_;
                    ++column;
                }
                deepest = std::max(deepest, column);
                if (p_ >= n_ || s_[p_] != '\n') break;
                ++breaks;
                newLine(p_ + 1);
                column = 0;
            }
            if (indent == 0) indent = std::max<long>({static_cast<long>(deepest), owner + 1, 1});
        };

        emptyLines();
        bool leadingBlank = false;  // the last content line started with a space
        while (column == indent && p_ < n_) {
            // A folded scalar joins two lines that start with no space and have no empty line between by a space.
            bool blank = s_[p_] == ' ';
            if (folded && lineBreak && !leadingBlank && !blank) {
                if (breaks == 0) text += ' ';
            } else if (lineBreak) {
                text += '\n';
            }
            text.append(breaks, '\n');
            breaks = 0;
            leadingBlank = blank;
            std::size_t end = lineEnd(p_);
            text.append(s_ + p_, end - p_);
            lineBreak = end < n_;
            if (lineBreak) {
                newLine(end + 1);
            } else {
                p_ = end;
            }
            column = 0;
            emptyLines();
        }
        if (chomping != Strip && lineBreak) text += '\n';
        if (chomping == Keep) text.append(breaks, '\n');
        scalar(text, false, at);
        // Back to the start of the line that ended the scalar, unless the text ended first.
        if (p_ < n_) p_ = lineStart_;
    }
};

}  // namespace

void scanBlockYaml(std::string_view text, YamlEventSink& sink) {
    checkCharacters(text);
    Scanner(text, sink).run();
}

}  // namespace zephalon::jv::detail
