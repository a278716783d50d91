#pragma once

// The template engine of the report formatters and the code generators: text with {{ expressions }},
// {% statements %} and {# comments #}, rendered with a nlohmann::json data object.
//
//     using namespace zephalon::templating;
//     Environment env;
//     env.addCallback("escapeXml", 1, [](const Arguments& args) { return myEscape(args[0].get<std::string>()); });
//     env.addTemplate("row.xml", "<row>{{ escapeXml(row.name) }}</row>");     // reachable by include and extends
//     Template page = env.parse("page.xml", "{% for row in rows %}{% include \"row.xml\" %}\n{% endfor %}");
//     std::string text = env.render(page, {{"rows", rows}});
//
// Statements
//     {{ expr }}                 writes the value: a string as it is (nothing is escaped), a number in its JSON form,
//                                true, false and null as in JSON, an array or object as compact JSON
//     {% if expr %} … {% else if expr %} … {% else %} … {% endif %}          ("elif" may stand for "else if")
//     {% for x in list %} … {% endfor %}       {% for key, value in object %} … {% endfor %}   (keys in JSON order)
//         inside the body: loop.index (from 0), loop.index1 (from 1), loop.is_first, loop.is_last, and loop.parent,
//         the loop around this one
//     {% set name = expr %}      binds a variable in the current scope; each run of a loop body is a scope of its own
//     {% include "name" %}       renders a template of the environment; it sees every variable in scope
//     {% extends "name" %}       renders "name" instead, with this template's {% block b %} … {% endblock %} taking
//                                the place of the blocks of the same name there, through any number of levels.
//                                Outside its blocks a child template only runs its set statements.
//     {% raw %} … {% endraw %}   writes the text between them as it is
//     {# comment #}
// A '-' just inside a tag ({%- -%} {{- -}} {#- -#}) removes all whitespace, newlines included, on that side of the
// tag. Nothing else is trimmed: a line that holds only a statement keeps its indentation and its newline.
//
// Expressions
//     literals      numbers, "strings" or 'strings' with JSON escapes, true, false, null, and [arrays] and {objects}
//                   of literals
//     variables     name, a.b, a.0, a["key"], a[expr]; set variables and loop variables hide data members
//     operators     loosest first: or; and; not; == != < <= > >= in (not in); + -; * / %; unary -.
//                   Arithmetic takes numbers and stays integral where it can (/ always gives a floating-point
//                   number); < <= > >= compare two numbers or two strings; "in" looks for an element of a list,
//                   a key of an object or a part of a string; and/or/not give booleans.
//     truth         false, null, 0, "", [] and {} are false; every other value is true
//     calls         f(a, b): a built-in function or a callback, told apart by name and number of arguments
//
// Built-in functions
//     length(x)                  characters of a string, elements of a list, members of an object
//     upper(s), lower(s)         ASCII letters changed, other bytes kept
//     first(list), last(list)    the end elements of a non-empty list
//     join(list, separator)      the elements written as {{ }} writes them, with separator between them
//     default(value, fallback)   value, or fallback when value names a variable or member that does not exist
//     exists("a.b.0")            whether the dotted name resolves to a value
//     isString, isNumber, isArray, isObject, isBoolean (value)
//     range(n)                   [0, 1, …, n-1]
//     round(x), round(x, digits) x rounded half away from zero, to an integer or to so many decimal digits
//     replace(text, from, to)    every occurrence of from replaced by to
//
// Errors: a fault in the template text throws SyntaxError when the template is parsed; a fault while rendering
// (a variable that does not exist, an unknown function, a loop over something that is not a list, an include that
// cannot be found or that comes back to a template being rendered, nesting deeper than 256 levels) throws
// RenderError. Both name the template, line and column, and nothing is written to a stream when rendering fails.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zephalon::templating {

// A fault with its place in a template. what() is the whole message, for example
// "[templating] unexpected '%}' at checkstyle.xml:3:18, expected an expression". Line and column count from 1
// (the column in bytes).
class TemplateError : public std::runtime_error {
  public:
    TemplateError(const std::string& message, std::string templateName, int line, int column)
        : std::runtime_error(message), templateName_(std::move(templateName)), line_(line), column_(column) {}

    const std::string& templateName() const noexcept { return templateName_; }
    int line() const noexcept { return line_; }
    int column() const noexcept { return column_; }

  private:
    std::string templateName_;
    int line_;
    int column_;
};

class SyntaxError : public TemplateError {
  public:
    using TemplateError::TemplateError;
};

class RenderError : public TemplateError {
  public:
    using TemplateError::TemplateError;
};

// The evaluated arguments of a callback, left to right. They stay valid for the length of the call only.
class Arguments {
  public:
    Arguments(const nlohmann::json* const* values, std::size_t count) : values_(values), count_(count) {}

    std::size_t size() const { return count_; }
    const nlohmann::json& operator[](std::size_t index) const { return *values_[index]; }

  private:
    const nlohmann::json* const* values_;
    std::size_t count_;
};

// A callback returns the value of the call. An exception it throws becomes a RenderError that names the call's place
// and carries the exception's message.
using Callback = std::function<nlohmann::json(const Arguments&)>;

// Bounds on one render, so that no template can run or grow without end. Reaching one is a RenderError.
struct Limits {
    std::uint64_t iterations = 100'000'000;        // loop iterations of all loops together, and the largest range(n)
    std::size_t textBytes = std::size_t{1} << 30;  // the output, and any one string that replace() builds
};

struct TemplateData;

// A parsed template, ready to render any number of times.
class Template {
  public:
    Template(Template&&) noexcept;
    Template& operator=(Template&&) noexcept;
    ~Template();

    const std::string& name() const;

  private:
    friend class Environment;
    explicit Template(std::unique_ptr<TemplateData> data);
    std::unique_ptr<TemplateData> data_;
};

// Owns the named templates that include and extends refer to, and the callbacks. Rendering does not change the
// environment, so one environment may render from several threads when its callbacks allow it.
class Environment {
  public:
    Environment();
    Environment(Environment&&) noexcept;
    Environment& operator=(Environment&&) noexcept;
    ~Environment();

    // Parses a template without registering it; `name` is what errors call it.
    Template parse(std::string name, std::string_view text) const;

    // Parses and registers a template under `name`, for include and extends, and for find(). The templates it refers
    // to may be added later: names are looked up when rendering. Throws std::invalid_argument when the name is taken.
    const Template& addTemplate(std::string name, std::string_view text);

    // The template registered under `name`, or null.
    const Template* find(std::string_view name) const;

    // Registers a function of `argc` arguments. Throws std::invalid_argument when the name belongs to a built-in
    // function or the same name and count are registered already.
    void addCallback(std::string name, std::size_t argc, Callback callback);

    void setLimits(Limits limits);

    std::string render(const Template& tmpl, const nlohmann::json& data) const;
    // Writes the whole output at once after rendering succeeded; throws std::runtime_error when the stream fails.
    void render(std::ostream& out, const Template& tmpl, const nlohmann::json& data) const;

    struct Impl;

  private:
    static const TemplateData& dataOf(const Template& tmpl) { return *tmpl.data_; }
    std::unique_ptr<Impl> impl_;
};

}  // namespace zephalon::templating
