// Literals, member access, operators, built-in functions and callbacks.

#include <gtest/gtest.h>

#include <stdexcept>

#include "template_test_support.h"

namespace zephalon::templating::testing {
namespace {

TEST(Literals, AreJson) {
    EXPECT_EQ(render(R"({{ "a\"b\\c\u00e9\ud83d\ude00\n" }}|{{ 'it\'s' }})"), "a\"b\\c\xc3\xa9\xf0\x9f\x98\x80\n|it's");
    EXPECT_EQ(render("{{ 1.5e3 }} {{ 10 }} {{ -0.25 }} {{ 9223372036854775807 }} {{ -9223372036854775808 }}"),
              "1500.0 10 -0.25 9223372036854775807 -9223372036854775808");
    EXPECT_EQ(render("{{ 18446744073709551615 }} {{ 18446744073709551616 }}"),
              "18446744073709551615 1.8446744073709552e+19");
    EXPECT_EQ(render(R"({{ [1, -2, "x", [true, null], {"k": {}}] }})"), R"([1,-2,"x",[true,null],{"k":{}}])");
    // Nested object literals end in "}}", which does not close the tag.
    EXPECT_EQ(render(R"({{ {"a":{"b":1}} }})"), R"({"a":{"b":1}})");
    // A lone surrogate cannot be written as UTF-8 and becomes U+FFFD.
    EXPECT_EQ(render(R"({{ "\ud800x" }})"), "\xef\xbf\xbdx");
}

TEST(Members, DottedIndexedAndComputed) {
    Json data = {{"a", {{"b", {{"c", "deep"}}}, {"list", {10, 20, {{"x", "in list"}}}}, {"0", "zero key"}}},
                 {"key", "b"},
                 {"i", 1}};
    EXPECT_EQ(render("{{a.b.c}} {{a.list.0}} {{a.list.2.x}} {{a[\"b\"].c}} {{a[key][\"c\"]}} {{a.list[i]}}", data),
              "deep 10 in list deep deep 20");
    // On an object a number names the member of that name.
    EXPECT_EQ(render("{{a.0}} {{a[0]}}", data), "zero key zero key");
    EXPECT_EQ(render("{{ first(a.list) }} {{ last(a.list).x }} {{ range(5).3 }} {{ [[7]][0][0] }}", data),
              "10 in list 3 7");
}

TEST(Operators, ComparisonsAndLogic) {
    Json data = {{"n", 3}, {"f", 3.0}, {"u", 3u}, {"s", "b"}, {"xs", {1, "two"}}, {"o", {{"k", 1}}}};
    EXPECT_EQ(render("{{ n == f }} {{ n == u }} {{ n != 4 }} {{ s == \"b\" }} {{ xs == [1, \"two\"] }}", data),
              "true true true true true");
    EXPECT_EQ(render("{{ n < 4 }} {{ n <= 3 }} {{ n > 3 }} {{ n >= 3.5 }} {{ s < \"c\" }} {{ \"B\" < s }}", data),
              "true true false false true true");
    EXPECT_EQ(render("{{ 1 in xs }} {{ \"two\" in xs }} {{ 2 in xs }} {{ \"k\" in o }} {{ \"ell\" in \"hello\" }}"
                     " {{ 3 not in xs }}",
                     data),
              "true true false true true true");
    EXPECT_EQ(render("{{ not n }} {{ not not s }} {{ n and s }} {{ 0 or \"\" }} {{ not [] and not {} }}", data),
              "false true true false true");
    // Precedence: not binds looser than comparison, and looser than or's operands.
    EXPECT_EQ(render("{{ not n == 4 }} {{ true or false and false }} {{ (true or false) and false }}", data),
              "true true false");
}

TEST(Operators, Arithmetic) {
    EXPECT_EQ(render("{{ 1 + 2 * 3 }} {{ (1 + 2) * 3 }} {{ 7 - 10 }} {{ 7 / 2 }} {{ 6 / 2 }} {{ 2.5 * 2 }}"),
              "7 9 -3 3.5 3.0 5.0");
    // Modulo takes the sign of the divisor.
    EXPECT_EQ(render("{{ 7 % 3 }} {{ -7 % 3 }} {{ 7 % -3 }} {{ 5.5 % 2 }} {{ -9223372036854775808 % -1 }}"),
              "1 2 -2 1.5 0");
    // Integers that would overflow continue as floating point.
    EXPECT_EQ(render("{{ 9223372036854775807 + 1 }} {{ -(-9223372036854775808) }}"),
              "9.223372036854776e+18 9.223372036854776e+18");
    EXPECT_EQ(render("{{ n + 1 }} {{ -n }}", {{"n", 41u}}), "42 -41");
}

TEST(Builtins, TextFunctions) {
    Json data = {{"s", "Grüße, World"}, {"xs", {"a", 1, true, nullptr}}};
    EXPECT_EQ(render("{{ length(s) }} {{ length(xs) }} {{ length({\"a\": 1}) }} {{ length(\"\") }}", data), "12 4 1 0");
    EXPECT_EQ(render("{{ upper(s) }}|{{ lower(s) }}", data), "GRüßE, WORLD|grüße, world");
    EXPECT_EQ(render("{{ join(xs, \", \") }}|{{ join([], \"-\") }}|{{ join([[1]], \"\") }}", data),
              "a, 1, true, null||[1]");
    EXPECT_EQ(render("{{ replace(\"a.b.c\", \".\", \"::\") }} {{ replace(\"aaa\", \"aa\", \"b\") }} "
                     "{{ replace(\"x\", \"\", \"y\") }}"),
              "a::b::c ba x");
}

TEST(Builtins, NumberAndTypeFunctions) {
    EXPECT_EQ(render("{{ round(2.5) }} {{ round(-2.5) }} {{ round(2.4) }} {{ round(7) }} {{ round(3.14159, 2) }} "
                     "{{ round(1250, -2) }}"),
              "3 -3 2 7 3.14 1300.0");
    EXPECT_EQ(render("{{ range(3) }} {{ length(range(0)) }}"), "[0,1,2] 0");
    std::string_view types =
        "{% for k, v in values %}{{k}}:{{isString(v)}}{{isNumber(v)}}{{isArray(v)}}{{isObject(v)}}{{isBoolean(v)}} "
        "{% endfor %}";
    Json values = {{"a", "s"}, {"b", 1.5}, {"c", {1}}, {"d", {{"k", 1}}}, {"e", false}, {"f", nullptr}};
    EXPECT_EQ(render(types, {{"values", values}}),
              "a:truefalsefalsefalsefalse b:falsetruefalsefalsefalse c:falsefalsetruefalsefalse "
              "d:falsefalsefalsetruefalse e:falsefalsefalsefalsetrue f:falsefalsefalsefalsefalse ");
}

TEST(Builtins, DefaultAndExistsAskWithoutFailing) {
    Json data = {{"a", {{"b", nullptr}, {"list", {1}}}}, {"s", "text"}};
    EXPECT_EQ(render("{{ default(a.b, 1) }} {{ default(a.c, 2) }} {{ default(nothing.at.all, 3) }} "
                     "{{ default(s.length, 4) }} {{ default(a.list.5, 5) }} {{ default(a[\"list\"][0], 6) }}",
                     data),
              "null 2 3 4 5 1");
    EXPECT_EQ(render("{{ exists(\"a\") }} {{ exists(\"a.b\") }} {{ exists(\"a.list.0\") }} {{ exists(\"a.list.1\") }} "
                     "{{ exists(\"s.x\") }} {{ exists(\"zz\") }} {{ exists(\"\") }} {{ exists(\"a.\") }}",
                     data),
              "true true true false false false false false");
    EXPECT_EQ(render("{% for x in [1] %}{{ exists(\"loop.index\") }} {{ exists(\"loop.parent\") }} {{ exists(\"x\") }}"
                     "{% endfor %} {{ exists(\"x\") }}"),
              "true false true false");
}

TEST(Callbacks, AreCalledByNameAndArgumentCount) {
    Environment env;
    env.addCallback("toJsonLiteral", 1, [](const Arguments& args) { return args[0].dump(); });
    env.addCallback("wrap", 1, [](const Arguments& args) { return "(" + args[0].get<std::string>() + ")"; });
    env.addCallback("wrap", 3, [](const Arguments& args) {
        return args[1].get<std::string>() + args[0].get<std::string>() + args[2].get<std::string>();
    });
    env.addCallback("now", 0, [](const Arguments& args) { return static_cast<int>(args.size()); });
    EXPECT_EQ(render(env, "{{ toJsonLiteral(url) }} {{ wrap(\"a\") }} {{ wrap(\"a\", \"<\", \">\") }} {{ now() }}",
                     {{"url", "/pets/{id}"}}),
              "\"/pets/{id}\" (a) <a> 0");
    // A callback's result is a value like any other.
    EXPECT_EQ(render(env, "{{ length(wrap(\"abc\")) }} {% if now() == 0 %}zero{% endif %}"), "5 zero");
}

TEST(Callbacks, CannotReplaceBuiltinsOrEachOther) {
    Environment env;
    auto fn = [](const Arguments&) { return Json(); };
    EXPECT_THROW(env.addCallback("length", 1, fn), std::invalid_argument);
    EXPECT_THROW(env.addCallback("upper", 2, fn), std::invalid_argument);
    EXPECT_THROW(env.addCallback("x", 1, nullptr), std::invalid_argument);
    env.addCallback("x", 1, fn);
    EXPECT_THROW(env.addCallback("x", 1, fn), std::invalid_argument);
    EXPECT_NO_THROW(env.addCallback("x", 2, fn));
}

}  // namespace
}  // namespace zephalon::templating::testing
