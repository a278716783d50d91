// Every fault names the template, line and column; no input crashes or runs without end.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "template_test_support.h"

namespace zephalon::templating::testing {
namespace {

std::string repeat(std::string_view text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) {
        result += text;
    }
    return result;
}

TEST(SyntaxErrors, NameTheTemplateLineAndColumn) {
    try {
        Environment().parse("checkstyle.xml", "<?xml?>\n<checkstyle>\n  <file name=\"{{ }}\">");
        FAIL() << "no error";
    } catch (const SyntaxError& e) {
        EXPECT_STREQ(e.what(), "[templating] unexpected '}}' at checkstyle.xml:3:18, expected an expression");
        EXPECT_EQ(e.templateName(), "checkstyle.xml");
        EXPECT_EQ(e.line(), 3);
        EXPECT_EQ(e.column(), 18);
    }
    EXPECT_EQ(syntaxError("{% if %}"), "[templating] unexpected '%}' at test:1:7, expected an expression");
}

TEST(SyntaxErrors, UnclosedAndMismatchedStatements) {
    EXPECT_EQ(syntaxError("{% for x in xs %}\nabc"),
              "[templating] unexpected end of template at test:2:4, expected 'endfor' for the 'for' at 1:1");
    EXPECT_EQ(syntaxError("a {% endfor %}"), "[templating] unexpected 'endfor' at test:1:6, no 'for' is open");
    EXPECT_EQ(syntaxError("{% if x %}{% endfor %}"),
              "[templating] unexpected 'endfor' at test:1:14, expected 'else', 'else if' or 'endif' for the 'if' at "
              "1:1");
    EXPECT_EQ(syntaxError("{% if x %}{% else %}{% else %}{% endif %}"),
              "[templating] unexpected 'else' at test:1:24, expected 'endif' for the 'if' at 1:1");
    EXPECT_EQ(syntaxError("{% block a %}{% endblock b %}"),
              "[templating] unexpected 'b' at test:1:26, expected '%}' or the block's name 'a'");
    EXPECT_EQ(syntaxError("{% frobnicate %}"),
              "[templating] unexpected 'frobnicate' at test:1:4, expected a statement (if, for, set, include, "
              "extends, block, raw)");
    EXPECT_EQ(syntaxError("{% raw %}\n{{ x }}"),
              "[templating] unexpected end of template at test:2:8, expected 'endraw' for the 'raw' at 1:1");
}

TEST(SyntaxErrors, UnclosedTagsAndLiterals) {
    EXPECT_EQ(syntaxError("{{ x "),
              "[templating] unexpected end of template at test:1:6, expected '}}' to close the "
              "tag at 1:1");
    EXPECT_EQ(syntaxError("ab\n{% if x"),
              "[templating] unexpected end of template at test:2:8, expected '%}' to "
              "close the tag at 2:1");
    EXPECT_EQ(syntaxError("{# abc"),
              "[templating] unexpected end of template at test:1:7, expected '#}' to close the comment at 1:1");
    EXPECT_EQ(syntaxError("{{ \"abc }}"),
              "[templating] unexpected end of template at test:1:11, expected \" to close the string at 1:4");
    EXPECT_EQ(syntaxError("{{ \"a\\q\" }}"),
              "[templating] invalid escape '\\q' at test:1:6, expected one of \\\" "
              "\\' \\\\ \\/ \\b \\f \\n \\r \\t \\uXXXX");
    EXPECT_EQ(syntaxError("{{ \"\\u12\" }}"),
              "[templating] invalid escape '\\u12' at test:1:5, expected four hexadecimal digits after \\u");
    EXPECT_EQ(syntaxError("{{ 1e999 }}"), "[templating] number '1e999' out of range at test:1:4");
}

TEST(SyntaxErrors, MalformedExpressionsAndStatements) {
    EXPECT_EQ(syntaxError("{{ a ; b }}"), "[templating] unexpected character ';' at test:1:6");
    EXPECT_EQ(syntaxError("{{ a b }}"), "[templating] unexpected 'b' at test:1:6, expected '}}'");
    EXPECT_EQ(syntaxError("{{ f(a b) }}"), "[templating] unexpected 'b' at test:1:8, expected ',' or ')'");
    EXPECT_EQ(syntaxError("{{ (a }}"), "[templating] unexpected '}}' at test:1:7, expected ')'");
    EXPECT_EQ(syntaxError("{{ a. }}"), "[templating] unexpected '}}' at test:1:7, expected a member name");
    EXPECT_EQ(syntaxError("{{ a and }}"), "[templating] unexpected '}}' at test:1:10, expected an expression");
    EXPECT_EQ(syntaxError("{{ [a] }}"),
              "[templating] unexpected 'a' at test:1:5, expected a literal (lists and "
              "objects written in a template hold literals only)");
    EXPECT_EQ(syntaxError("{{ length(a, b) }}"),
              "[templating] wrong number of arguments to 'length' at test:1:4, expected 1");
    EXPECT_EQ(syntaxError("{{ round() }}"),
              "[templating] wrong number of arguments to 'round' at test:1:4, expected 1 or 2");
    EXPECT_EQ(syntaxError("{% for in xs %}"), "[templating] unexpected 'in' at test:1:8, expected a variable name");
    EXPECT_EQ(syntaxError("{% for a b %}"), "[templating] unexpected 'b' at test:1:10, expected ',' or 'in'");
    EXPECT_EQ(syntaxError("{% set x %}"), "[templating] unexpected '%}' at test:1:10, expected '='");
    EXPECT_EQ(syntaxError("{% include name %}"),
              "[templating] unexpected 'name' at test:1:12, expected the name of a template in quotes");
}

TEST(SyntaxErrors, MisplacedExtendsAndBlocks) {
    EXPECT_EQ(syntaxError("{% if x %}{% extends \"b\" %}{% endif %}"),
              "[templating] 'extends' inside another statement at test:1:11, it belongs at the top level of the "
              "template");
    EXPECT_EQ(syntaxError("{% extends \"a\" %}{% extends \"b\" %}"),
              "[templating] second 'extends' at test:1:18, a template extends one template only");
    EXPECT_EQ(syntaxError("{% block a %}{% endblock %}{% block a %}{% endblock %}"),
              "[templating] duplicate block 'a' at test:1:37");
}

TEST(SyntaxErrors, DeepNestingIsCutOff) {
    EXPECT_EQ(syntaxError(repeat("{% if x %}", 300)), "[templating] nesting deeper than 256 levels at test:1:2561");
    EXPECT_EQ(syntaxError("{{ " + repeat("(", 300) + " }}"),
              "[templating] nesting deeper than 256 levels at test:1:260");
    EXPECT_EQ(syntaxError("{{ " + repeat("not ", 300) + " }}"),
              "[templating] nesting deeper than 256 levels at test:1:1024");
    EXPECT_EQ(syntaxError("{{ " + repeat("[", 300) + " }}"),
              "[templating] nesting deeper than 256 levels at test:1:259");
    // 256 levels are fine.
    EXPECT_EQ(render(repeat("{% if true %}", 256) + "deep" + repeat("{% endif %}", 256)), "deep");
}

TEST(RenderErrors, UndefinedVariablesAndMembers) {
    try {
        render("a\n  {{ file.paht }}", {{"file", {{"path", "x"}}}});
        FAIL() << "no error";
    } catch (const RenderError& e) {
        EXPECT_STREQ(e.what(), "[templating] undefined variable 'file.paht' at test:2:6");
        EXPECT_EQ(e.templateName(), "test");
        EXPECT_EQ(e.line(), 2);
        EXPECT_EQ(e.column(), 6);
    }
    Json data = {{"s", "str"}, {"xs", {1, 2}}};
    EXPECT_EQ(renderError("{{ nothing }}"), "[templating] undefined variable 'nothing' at test:1:4");
    EXPECT_EQ(renderError("{{ s.x }}", data), "[templating] undefined variable 's.x' at test:1:4, 's' is a string");
    EXPECT_EQ(renderError("{{ xs.5 }}", data),
              "[templating] undefined variable 'xs.5' at test:1:4, 'xs' is a list of 2");
    EXPECT_EQ(renderError("{{ xs[\"a\"] }}", data),
              "[templating] undefined variable 'xs[\"a\"]' at test:1:4, 'xs' is a list of 2");
    EXPECT_EQ(renderError("{{ xs[true] }}", data),
              "[templating] wrong index 'true' at test:1:7, expected a string or "
              "an integer from 0, got a boolean");
    EXPECT_EQ(renderError("{% for x in [1] %}{{ loop.foo }}{% endfor %}"),
              "[templating] undefined variable 'loop.foo' at test:1:22, a loop has index, index1, is_first, is_last "
              "and parent");
    EXPECT_EQ(renderError("{% for x in [1] %}{{ loop.parent.index }}{% endfor %}"),
              "[templating] undefined variable 'loop.parent' at test:1:22, the loop is not inside another loop");
    EXPECT_EQ(renderError("{% for x in [1] %}{% endfor %}{{ x }}"), "[templating] undefined variable 'x' at test:1:34");
}

TEST(RenderErrors, LoopsOverWrongValues) {
    Json data = {{"s", "str"}, {"o", {{"k", 1}}}, {"xs", {1}}};
    EXPECT_EQ(renderError("{% for x in s %}{% endfor %}", data),
              "[templating] 's' is not a list at test:1:13, it is a string");
    EXPECT_EQ(renderError("{% for x in o %}{% endfor %}", data),
              "[templating] 'o' is not a list at test:1:13, it is an object; loop over its members with 'for key, "
              "value in'");
    EXPECT_EQ(renderError("{% for k, v in xs %}{% endfor %}", data),
              "[templating] 'xs' is not an object at test:1:16, it is a list; 'for key, value in' loops over the "
              "members of an object");
}

TEST(RenderErrors, WrongOperandsAndArguments) {
    EXPECT_EQ(renderError("{{ 1 + \"a\" }}"),
              "[templating] wrong operands to '+' at test:1:4, expected two numbers, got a number and a string");
    EXPECT_EQ(renderError("{{ -\"a\" }}"),
              "[templating] wrong operand to '-' at test:1:4, expected a number, got a "
              "string");
    EXPECT_EQ(renderError("{{ [1] < [2] }}"),
              "[templating] wrong operands to '<' at test:1:4, expected two numbers "
              "or two strings, got a list and a list");
    EXPECT_EQ(renderError("{{ 1 in 5 }}"),
              "[templating] wrong operands to 'in' at test:1:4, expected a list, an "
              "object or a string on the right, got a number");
    EXPECT_EQ(renderError("{{ 1 not in \"a\" }}"),
              "[templating] wrong operands to 'not in' at test:1:4, expected a "
              "string to look for in a string, got a number");
    EXPECT_EQ(renderError("{{ 1 / 0 }}"), "[templating] division by zero at test:1:4");
    EXPECT_EQ(renderError("{{ 1 % 0.0 }}"), "[templating] division by zero at test:1:4");
    EXPECT_EQ(renderError("{{ 1e300 * 1e300 }}"), "[templating] arithmetic overflow in '1e300 * 1e300' at test:1:4");
    EXPECT_EQ(renderError("{{ length(5) }}"),
              "[templating] wrong argument to 'length' at test:1:4, expected a "
              "string, a list or an object, got a number");
    EXPECT_EQ(renderError("{{ first([]) }}"),
              "[templating] wrong argument to 'first' at test:1:4, expected a list "
              "that is not empty, got an empty list");
    EXPECT_EQ(renderError("{{ join(1, \",\") }}"),
              "[templating] wrong argument to 'join' at test:1:4, expected a list, got a number");
    EXPECT_EQ(renderError("{{ exists(1) }}"),
              "[templating] wrong argument to 'exists' at test:1:4, expected a name in a string, got a number");
    EXPECT_EQ(renderError("{{ range(1.5) }}"),
              "[templating] wrong argument to 'range' at test:1:4, expected an integer, got a number");
}

TEST(RenderErrors, FunctionsAndCallbacks) {
    Environment env;
    env.addCallback("wrap", 1, [](const Arguments& args) { return args[0]; });
    env.addCallback("boom", 0, [](const Arguments&) -> Json { throw std::runtime_error("the reason"); });
    env.addCallback("parse", 1, [&env](const Arguments& args) {
        return env.render(env.parse("inner", args[0].get<std::string>()), Json::object());
    });
    EXPECT_EQ(errorOf<RenderError>(env, "{{ frob(1) }}"),
              "[templating] unknown function 'frob' with 1 argument at test:1:4");
    EXPECT_EQ(errorOf<RenderError>(env, "{{ wrap(1, 2) }}"),
              "[templating] unknown function 'wrap' with 2 arguments at test:1:4, 'wrap' takes 1 argument");
    EXPECT_EQ(errorOf<RenderError>(env, "\n {{ boom() }}"),
              "[templating] callback 'boom' failed at test:2:5, the reason");
    // A template error raised inside a callback arrives as it was.
    EXPECT_EQ(errorOf<SyntaxError>(env, "{{ parse(\"{{\") }}"),
              "[templating] unexpected end of template at inner:1:3, expected '}}' to close the tag at 1:1");
}

TEST(RenderErrors, IncludesAndExtends) {
    Environment env;
    env.addTemplate("a", "{% include \"b\" %}");
    env.addTemplate("b", "x{% include \"a\" %}");
    env.addTemplate("self", "{% extends \"self\" %}");
    env.addTemplate("x", "{% extends \"y\" %}");
    env.addTemplate("y", "{% extends \"x\" %}");
    env.addTemplate("uses", "line\n  {{ missing }}");
    EXPECT_EQ(errorOf<RenderError>(env, "{% include \"nope\" %}"),
              "[templating] template 'nope' not found at test:1:1");
    EXPECT_EQ(errorOf<RenderError>(env, "\n{% extends \"nope\" %}"),
              "[templating] template 'nope' not found at test:2:1");
    EXPECT_EQ(errorOf<RenderError>(env, "{% include \"a\" %}"), "[templating] include cycle at b:1:2, a -> b -> a");
    EXPECT_EQ(errorOf<RenderError>(env, "{% include \"self\" %}"),
              "[templating] extends cycle at self:1:1, self -> self");
    EXPECT_EQ(errorOf<RenderError>(env, "{% include \"x\" %}"), "[templating] extends cycle at y:1:1, x -> y -> x");
    // A fault inside an included template is placed there.
    EXPECT_EQ(errorOf<RenderError>(env, "{% include \"uses\" %}"),
              "[templating] undefined variable 'missing' at uses:2:6");
    EXPECT_THROW(env.addTemplate("bad", "{% if %}"), SyntaxError);
    EXPECT_EQ(env.find("bad"), nullptr);
}

TEST(RenderErrors, NestingAcrossIncludesIsCutOff) {
    Environment env;
    for (int i = 0; i < 300; ++i) {
        env.addTemplate("t" + std::to_string(i), "{% include \"t" + std::to_string(i + 1) + "\" %}");
    }
    env.addTemplate("t300", "end");
    EXPECT_EQ(errorOf<RenderError>(env, "{% include \"t0\" %}"),
              "[templating] nesting deeper than 256 levels at t255:1:1");
    EXPECT_EQ(errorOf<RenderError>(env, "{% include \"t100\" %}"), "(no error)");
}

TEST(RenderErrors, LimitsStopRunawayTemplates) {
    Environment env;
    env.setLimits({.iterations = 10, .textBytes = 100});
    EXPECT_EQ(errorOf<RenderError>(env, "{% for a in range(2) %}{% for b in range(5) %}{% endfor %}{% endfor %}"),
              "[templating] too many loop iterations at test:1:24, the limit is 10");
    EXPECT_EQ(errorOf<RenderError>(env, "{{ range(11) }}"),
              "[templating] range(11) too large at test:1:4, the limit is 10");
    EXPECT_EQ(errorOf<RenderError>(env, "{% for a in range(10) %}0123456789_{% endfor %}"),
              "[templating] output too large at test:1:25, the limit is 100 bytes");
    EXPECT_EQ(errorOf<RenderError>(env, "{% set s = \"aaaaaaaaaaa\" %}{{ replace(s, \"a\", s) }}"),
              "[templating] result of 'replace' too large at test:1:31, the limit is 100 bytes");
    EXPECT_EQ(errorOf<RenderError>(env, "{{ join(range(10), \"0123456789x\") }}"),
              "[templating] result of 'join' too large at test:1:4, the limit is 100 bytes");
    EXPECT_EQ(errorOf<RenderError>(env, "{% for a in range(10) %}{% endfor %}"), "(no error)");
}

}  // namespace
}  // namespace zephalon::templating::testing
