#pragma once

// The compiled form of a template: a tree of nodes with expressions, each remembering the byte offset where it
// begins in the source so that errors can name line and column.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace zephalon::templating {

// Nesting of statements, of expressions, and of includes while rendering, is cut off here so that no input can
// exhaust the stack.
inline constexpr int kMaxDepth = 256;

enum class Builtin : std::uint8_t {
    None,
    Length,
    Upper,
    Lower,
    First,
    Last,
    Join,
    Default,
    Exists,
    IsString,
    IsNumber,
    IsArray,
    IsObject,
    IsBoolean,
    Range,
    Round,
    Replace,
};

enum class Op : std::uint8_t { Or, And, Not, Negate, Eq, Ne, Lt, Le, Gt, Ge, In, NotIn, Add, Sub, Mul, Div, Mod };

struct Expr {
    enum class Kind : std::uint8_t { Literal, Variable, Member, Index, Unary, Binary, Call };

    Kind kind = Kind::Literal;
    Op op = Op::Or;                   // Unary, Binary
    Builtin builtin = Builtin::None;  // Call: the built-in function, or None for a callback
    std::size_t begin = 0;            // source range, for messages
    std::size_t end = 0;
    nlohmann::json literal;                       // Literal
    std::string name;                             // Variable, Member, Call
    std::size_t index = std::string::npos;        // Member: the name read as an array index, when it is one
    std::vector<std::unique_ptr<Expr>> operands;  // Member, Index: the object first; Unary, Binary, Call
};

using ExprPtr = std::unique_ptr<Expr>;

struct Node;
using Body = std::vector<Node>;

struct Branch {
    ExprPtr condition;  // null for the else branch
    Body body;
};

struct Node {
    enum class Kind : std::uint8_t { Text, Output, If, For, Set, Include, Block };

    Kind kind = Kind::Text;
    std::size_t begin = 0;  // offset of the tag
    std::string text;       // Text: the text; For: the value variable; Set: the variable; Include, Block: the name
    std::string keyName;    // For over an object: the key variable
    ExprPtr expr;           // Output, Set: the value; For: what is iterated
    std::vector<Branch> branches;  // If
    Body body;                     // For, Block
};

struct TemplateData {
    std::string name;
    std::string source;
    std::vector<std::size_t> lineStarts;
    Body body;
    std::string parent;  // the template named by extends, when hasParent
    bool hasParent = false;
    std::size_t parentBegin = 0;
    std::map<std::string, const Node*, std::less<>> blocks;  // every block of the template, nested ones too

    struct Position {
        int line;
        int column;
    };
    Position position(std::size_t offset) const;
    // "[templating] <what> at <name>:<line>:<column>[, <detail>]", the shape of every message about a template.
    std::string message(std::size_t offset, std::string_view what, std::string_view detail = {}) const;
};

// Parses a template; throws SyntaxError.
std::unique_ptr<TemplateData> parseTemplate(std::string name, std::string_view text);

}  // namespace zephalon::templating
