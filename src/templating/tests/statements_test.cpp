// Statements, loops, scopes, whitespace control, and templates that include and extend each other.

#include <gtest/gtest.h>

#include <sstream>

#include "template_test_support.h"

namespace zephalon::templating::testing {
namespace {

TEST(Output, WritesValuesInTheirTextForm) {
    Json data = {{"s", "a<b&\"c\""}, {"i", -42},         {"u", 18446744073709551615ull},
                 {"d", 2.5},         {"whole", 3.0},     {"t", true},
                 {"n", nullptr},     {"list", {1, "x"}}, {"obj", {{"k", "v"}}}};
    EXPECT_EQ(render("{{s}}|{{i}}|{{u}}|{{d}}|{{whole}}|{{t}}|{{n}}|{{list}}|{{obj}}", data),
              R"(a<b&"c"|-42|18446744073709551615|2.5|3.0|true|null|[1,"x"]|{"k":"v"})");
}

TEST(Output, CopiesTextAndCommentsExactly) {
    EXPECT_EQ(render(""), "");
    EXPECT_EQ(render("{ single } braces {x} and %} stay"), "{ single } braces {x} and %} stay");
    EXPECT_EQ(render("a{# a comment with {{ tags }} and {% statements %} #}b"), "ab");
    EXPECT_EQ(render("line\r\n  {# c #}\r\nend"), "line\r\n  \r\nend");
}

TEST(Output, RawBlocksAreNotParsed) {
    EXPECT_EQ(render("{% raw %}<X style={{ {a: 1} }}>{% if %}{% endraw %}!"), "<X style={{ {a: 1} }}>{% if %}!");
    EXPECT_EQ(render("a {%- raw -%}  {{b}}  {%- endraw -%} c"), "a{{b}}c");
}

TEST(If, ChoosesTheFirstTrueBranch) {
    std::string_view text = "{% if n == 1 %}one{% else if n == 2 %}two{% elif n == 3 %}three{% else %}many{% endif %}";
    EXPECT_EQ(render(text, {{"n", 1}}), "one");
    EXPECT_EQ(render(text, {{"n", 2}}), "two");
    EXPECT_EQ(render(text, {{"n", 3}}), "three");
    EXPECT_EQ(render(text, {{"n", 4}}), "many");
    EXPECT_EQ(render("{% if x %}yes{% endif %}", {{"x", false}}), "");
}

TEST(If, UnchosenBranchesAreNotEvaluated) {
    // The undefined variable in the other branch is never looked at.
    EXPECT_EQ(render("{% if true %}a{% else %}{{ missing }}{% endif %}"), "a");
    EXPECT_EQ(render("{% if false and missing %}a{% else %}b{% endif %}"), "b");
    EXPECT_EQ(render("{% if true or missing %}a{% endif %}"), "a");
}

TEST(For, LoopsOverListsWithTheLoopObject) {
    std::string_view text =
        "{% for x in xs %}{{loop.index}}/{{loop.index1}}:{{x}}"
        "{% if loop.is_first %}F{% endif %}{% if loop.is_last %}L{% endif %} {% endfor %}";
    EXPECT_EQ(render(text, {{"xs", {"a", "b", "c"}}}), "0/1:aF 1/2:b 2/3:cL ");
    EXPECT_EQ(render(text, {{"xs", {"only"}}}), "0/1:onlyFL ");
    EXPECT_EQ(render(text, {{"xs", Json::array()}}), "");
}

TEST(For, LoopsOverObjectMembersInKeyOrder) {
    Json data = {{"o", {{"b", 2}, {"a", 1}, {"c", {{"x", true}}}}}};
    EXPECT_EQ(render("{% for k, v in o %}{{loop.index1}}{{k}}={{v}};{% endfor %}", data), "1a=1;2b=2;3c={\"x\":true};");
}

TEST(For, NestedLoopsReachTheOuterLoopThroughParent) {
    Json data = {{"rows", {{1, 2}, {3}}}};
    std::string_view text =
        "{% for row in rows %}{% for cell in row %}"
        "[{{loop.parent.index}},{{loop.index}}:{{cell}}{% if loop.parent.is_last and loop.is_last %}!{% endif %}]"
        "{% endfor %}{% endfor %}";
    EXPECT_EQ(render(text, data), "[0,0:1][0,1:2][1,0:3!]");
    // The loop object as a value, parent included.
    EXPECT_EQ(render("{% for a in [1] %}{% for b in [2, 3] %}{% if loop.is_last %}{{loop}}{% endif %}{% endfor %}"
                     "{% endfor %}"),
              R"({"index":1,"index1":2,"is_first":false,"is_last":true,"parent":)"
              R"({"index":0,"index1":1,"is_first":true,"is_last":true}})");
}

TEST(For, IteratesOverComputedLists) {
    EXPECT_EQ(render("{% for i in range(3) %}{{i}}{% endfor %}"), "012");
    EXPECT_EQ(render("{% for i in range(0) %}x{% endfor %}{% for i in range(-2) %}x{% endfor %}"), "");
    EXPECT_EQ(render("{% for k, v in {\"a\": [1, 2]} %}{% for x in v %}{{k}}{{x}}{% endfor %}{% endfor %}"), "a1a2");
    EXPECT_EQ(render("{% for x in first(ls) %}{{x.n}}{% endfor %}", {{"ls", {{{{"n", 1}}, {{"n", 2}}}}}}), "12");
}

TEST(Set, BindsVariablesThatHideData) {
    EXPECT_EQ(render("{{x}}{% set x = x + 1 %}{{x}}{% set x = \"s\" %}{{x}}", {{"x", 1}}), "12s");
    EXPECT_EQ(render("{% set o = {\"a\": {\"b\": [5, 6]}} %}{{o.a.b.1}}"), "6");
}

TEST(Set, ALoopBodyIsAScopeOfItsOwn) {
    // Each run of the body starts afresh, and nothing set inside leaks out.
    std::string_view text =
        "{% set total = 0 %}{% for x in [1, 2, 3] %}{% if exists(\"seen\") %}again{% endif %}"
        "{% set seen = true %}{% set total = total + x %}{{total}},{% endfor %}{{total}}";
    EXPECT_EQ(render(text), "1,2,3,0");
}

TEST(Set, KeepsItsOwnCopyOfComputedValues) {
    // `b` must not see `a` change, whether `a` came from data or was computed.
    EXPECT_EQ(render("{% set a = range(2) %}{% set b = a %}{% set a = 7 %}{{b}}{{a}}"), "[0,1]7");
    EXPECT_EQ(render("{% set a = xs %}{% set b = a %}{% set a = 7 %}{{b}}{{a}}", {{"xs", {1}}}), "[1]7");
    // A variable that a loop iterates over may be replaced in the body without harm to the loop.
    EXPECT_EQ(render("{% set xs = range(3) %}{% for x in xs %}{% set xs = 0 %}{{x}}{% endfor %}"), "012");
}

TEST(Whitespace, StatementLinesKeepTheirIndentationAndNewline) {
    std::string_view text =
        "<a>\n"
        "  {% for x in xs %}\n"
        "  <b>{{x}}</b>\n"
        "  {% endfor %}\n"
        "</a>";
    EXPECT_EQ(render(text, {{"xs", {1, 2}}}), "<a>\n  \n  <b>1</b>\n  \n  <b>2</b>\n  \n</a>");
}

TEST(Whitespace, DashesStripSpacesAndNewlinesOnTheirSide) {
    Json data = {{"x", "X"}};
    EXPECT_EQ(render("a  \n {%- if true %} b {% endif -%} \n\t c", data), "a b c");
    EXPECT_EQ(render("a \n {{- x -}} \n b", data), "aXb");
    EXPECT_EQ(render("a \n {{- x }} \n b", data), "aX \n b");
    EXPECT_EQ(render("a \n {#- note -#} \n b", data), "ab");
    EXPECT_EQ(render("[ {{- x -}} {{- x -}} ]", data), "[XX]");
    // A minus sign inside the expression is no marker.
    EXPECT_EQ(render("{{ 5 - 3 }} {{ -1 }}"), "2 -1");
    EXPECT_EQ(render("{% for x in [1,2,3] -%}\n  {{x}}\n{%- endfor %}"), "123");
}

class Templates : public ::testing::Test {
  protected:
    Environment env;
};

TEST_F(Templates, IncludeSeesTheVariablesInScope) {
    env.addTemplate("item", "<{{ prefix }}{{ item.name }}#{{ loop.index1 }}>");
    Json data = {{"prefix", "p:"}, {"items", {{{"name", "a"}}, {{"name", "b"}}}}};
    EXPECT_EQ(render(env, "{% for item in items %}{% include \"item\" %}{% endfor %}", data), "<p:a#1><p:b#2>");
}

TEST_F(Templates, IncludedSetsStayInTheIncludedTemplate) {
    env.addTemplate("inner", "{% set x = 2 %}{{x}}");
    EXPECT_EQ(render(env, "{% set x = 1 %}{% include \"inner\" %}{{x}}"), "21");
}

TEST_F(Templates, TemplatesMayBeAddedInAnyOrder) {
    const Template& page = env.addTemplate("page", "[{% include \"part\" %}]");
    env.addTemplate("part", "part");
    EXPECT_EQ(env.render(page, Json::object()), "[part]");
    EXPECT_EQ(env.find("part")->name(), "part");
    EXPECT_EQ(env.find("none"), nullptr);
    EXPECT_THROW(env.addTemplate("part", "again"), std::invalid_argument);
}

TEST_F(Templates, BlocksOverrideThroughTwoLevels) {
    env.addTemplate("base",
                    "<title>{% block title %}Base{% endblock %}</title>"
                    "<main>{% block main %}{% block lead %}lead{% endblock %}|base main{% endblock %}</main>"
                    "<foot>{% block foot %}base foot{% endblock %}</foot>");
    env.addTemplate("section",
                    "{% extends \"base\" %}ignored text\n"
                    "{% block title %}Section{% endblock %}"
                    "{% block main %}{% block lead %}section lead{% endblock %}|section main{% endblock %}");
    Template page = env.parse("page",
                              "{% extends \"section\" %}{% set who = \"page\" %}"
                              "{% block lead %}{{who}} lead{% endblock lead %}");
    EXPECT_EQ(env.render(page, Json::object()),
              "<title>Section</title><main>page lead|section main</main><foot>base foot</foot>");
    // Rendering the middle one on its own uses its own blocks.
    EXPECT_EQ(env.render(*env.find("section"), Json::object()),
              "<title>Section</title><main>section lead|section main</main><foot>base foot</foot>");
}

TEST_F(Templates, ChildSetsReachTheParent) {
    env.addTemplate("base", "{{ title }}:{% block body %}{% endblock %}");
    EXPECT_EQ(render(env, "{% extends \"base\" %}{% set title = \"T\" %}{% block body %}B{{title}}{% endblock %}"),
              "T:BT");
}

TEST_F(Templates, ATemplateMayBeIncludedTwiceInARow) {
    env.addTemplate("leaf", "x");
    env.addTemplate("mid", "{% include \"leaf\" %}{% include \"leaf\" %}");
    EXPECT_EQ(render(env, "{% include \"mid\" %}{% include \"mid\" %}"), "xxxx");
}

TEST_F(Templates, LargeOutputsArriveWhole) {
    // Output is collected in blocks; pieces of every size must come out in order, by string and by stream.
    Json data = {{"small", "ab"}, {"large", std::string(200000, 'x')}};
    Template t = env.parse("large", "{% for i in range(3000) %}{{i}}{{small}}{% if i == 1500 %}{{large}}{% endif %}"
                                    "{% endfor %}");
    std::string expected;
    for (int i = 0; i < 3000; ++i) {
        expected += std::to_string(i) + "ab" + (i == 1500 ? data["large"].get<std::string>() : "");
    }
    EXPECT_EQ(env.render(t, data), expected);
    std::ostringstream out;
    env.render(out, t, data);
    EXPECT_EQ(out.str(), expected);
}

TEST_F(Templates, RenderToStreamWritesTheWholeOutputOrNothing) {
    Template good = env.parse("good", "a{{x}}");
    std::ostringstream out;
    env.render(out, good, {{"x", 1}});
    EXPECT_EQ(out.str(), "a1");

    Template bad = env.parse("bad", "text before the fault {{ missing }}");
    std::ostringstream none;
    EXPECT_THROW(env.render(none, bad, Json::object()), RenderError);
    EXPECT_EQ(none.str(), "");

    std::ostringstream broken;
    broken.setstate(std::ios::badbit);
    EXPECT_THROW(env.render(broken, good, {{"x", 1}}), std::runtime_error);
}

}  // namespace
}  // namespace zephalon::templating::testing
