#include "zephalon/jv/jv.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <variant>
#include <vector>

namespace zephalon::jv {
namespace {

using number::Number;

std::string keysOf(const JV& object) {
    std::string out;
    for (auto [key, value] : object.properties()) out += std::string(key) + ",";
    return out;
}

template <typename F>
std::string jvErrorOf(F&& f, const JV* expectedNode) {
    try {
        f();
    } catch (const JVError& e) {
        EXPECT_EQ(e.node, expectedNode);
        return e.what();
    }
    return "(no error)";
}

TEST(Value, ConstructorsPickKinds) {
    EXPECT_TRUE(JV().isNull());
    EXPECT_TRUE(JV(nullptr).isNull());
    EXPECT_EQ(JV(true).type(), JV::Type::Boolean);
    EXPECT_EQ(JV(short{-3}).numberValue().type(), Number::Type::Long);
    EXPECT_EQ(JV(7u).numberValue().type(), Number::Type::ULong);
    EXPECT_EQ(JV(std::numeric_limits<std::uint64_t>::max()).numberValue().type(), Number::Type::ULong);
    EXPECT_EQ(JV(1.5).numberValue().type(), Number::Type::Double);
    EXPECT_EQ(JV("x").stringValue(), "x");
    EXPECT_EQ(JV(std::string("a\0b", 3)).stringValue().size(), 3u);
    EXPECT_TRUE(JV(JV::ArrayTag{}).isArray());
    EXPECT_TRUE(JV(JV::ObjectTag{}).isObject());
    EXPECT_EQ(JV(JV::Type::Number).numberValue().compare(Number(0)), 0);
    EXPECT_EQ(JV(JV::Type::String).stringValue(), "");
    EXPECT_FALSE(JV(JV::Type::Boolean).booleanValue());
    EXPECT_EQ(JV().pos, (Pos{-1, -1}));
    EXPECT_STREQ(jvNodeType(JV(JV::ObjectTag{})), "object");
}

TEST(Value, WrongKindAccessIsRefused) {
    JV s("x");
    EXPECT_THROW((void)s.numberValue(), std::bad_variant_access);
    EXPECT_THROW(s.addNull(), std::bad_variant_access);
    EXPECT_THROW(s.setNullProperty("a"), std::bad_variant_access);
    EXPECT_THROW((void)s.property("a"), std::bad_variant_access);
    EXPECT_EQ(s.size(), 0u);
}

TEST(Value, SettersReplaceAndKeepContainers) {
    JV v(JV::ArrayTag{});
    v.addInt(1);
    v.setArray();  // already an array: unchanged
    EXPECT_EQ(v.size(), 1u);
    v.setObject();
    EXPECT_EQ(v.size(), 0u);
    v.setStringProperty("k", "v");
    v.setObject();
    EXPECT_EQ(v.size(), 1u);
    v.setNumericValue(-5);
    EXPECT_EQ(v.numberValue().type(), Number::Type::Long);
    v.setNumericValue(Number("123456789012345678901234567890"));
    EXPECT_TRUE(v.isInteger());
    v.setNumericValue(v.numberValue());  // self-assignment must copy before clearing
    EXPECT_EQ(v.numberValue().string(), "123456789012345678901234567890");
    v.setString("hello world");
    v.setString(v.stringValue().substr(6));  // a view of the node's own text
    EXPECT_EQ(v.stringValue(), "world");
    v.setNull();
    EXPECT_TRUE(v.isNull());
}

TEST(Value, ObjectsIterateInByteOrder) {
    JV o(JV::ObjectTag{});
    for (const char* k : {"b", "a", "B", "aa", "", "\xC3\xA9"}) o.setNullProperty(k);
    EXPECT_EQ(keysOf(o), ",B,a,aa,b,\xC3\xA9,");
    EXPECT_TRUE(o.hasProperty(""));
    EXPECT_TRUE(o.removeProperty("aa"));
    EXPECT_FALSE(o.removeProperty("aa"));
    EXPECT_EQ(keysOf(o), ",B,a,b,\xC3\xA9,");
}

TEST(Value, ReplacingAPropertyDestroysTheOldChild) {
    JV o(JV::ObjectTag{});
    JV* first = o.setObjectProperty("k");
    first->setStringProperty("deep", "value");
    JV* second = o.setIntProperty("k", 2);
    EXPECT_EQ(o.size(), 1u);
    EXPECT_EQ(o.property("k"), second);
    // Released children belong to the caller and have no container.
    std::unique_ptr<JV> taken = o.releaseProperty("k");
    EXPECT_EQ(taken.get(), second);
    EXPECT_EQ(taken->parent(), nullptr);
    EXPECT_EQ(o.size(), 0u);
    EXPECT_TRUE(o.setProperty("n", nullptr)->isNull());
    JV a(JV::ArrayTag{});
    EXPECT_TRUE(a.add(nullptr)->isNull());
}

TEST(Value, RequiredAndTypedAccessMessages) {
    JV o(JV::ObjectTag{});
    o.setStringProperty("s", "text");
    o.setFloatProperty("f", 1.5);
    o.setFloatProperty("whole", 2.0);
    o.setUIntProperty("huge", std::numeric_limits<std::uint64_t>::max());
    o.setBoolProperty("b", true);
    o.setArrayProperty("a");

    EXPECT_EQ(jvErrorOf([&] { (void)o.requiredProperty("x"); }, &o), "Required property 'x' is missing.");
    EXPECT_EQ(jvErrorOf([&] { (void)o.stringProperty("x"); }, &o), "Required property 'x' is missing.");
    EXPECT_EQ(jvErrorOf([&] { (void)o.booleanProperty("s"); }, &o), "A boolean value is expected for 's'.");
    EXPECT_EQ(jvErrorOf([&] { (void)o.numericProperty("s"); }, &o), "A numeric value is expected for 's'.");
    EXPECT_EQ(jvErrorOf([&] { (void)o.stringProperty("b"); }, &o), "A string value is expected for 'b'.");
    EXPECT_EQ(jvErrorOf([&] { (void)o.arrayProperty("s"); }, &o), "An array value is expected for 's'.");
    EXPECT_EQ(jvErrorOf([&] { (void)o.objectProperty("a"); }, &o), "An object value is expected for 'a'.");
    EXPECT_EQ(jvErrorOf([&] { (void)o.integerPropertyValue("f"); }, &o), "An integer value is expected for 'f'.");
    EXPECT_EQ(jvErrorOf([&] { (void)o.optionalIntegerProperty("s"); }, &o), "An integer value is expected for 's'.");
    EXPECT_EQ(jvErrorOf([&] { (void)o.integerPropertyValue("huge"); }, &o),
              "The integer value of 'huge' is out of range.");

    EXPECT_EQ(o.integerPropertyValue("whole"), 2);
    EXPECT_EQ(o.stringPropertyValue("s"), "text");
    EXPECT_TRUE(o.booleanPropertyValue("b"));
    EXPECT_EQ(o.optionalStringProperty("missing"), nullptr);
    EXPECT_EQ(o.optionalObjectProperty("missing"), nullptr);
    EXPECT_EQ(&o.arrayProperty("a"), o.property("a"));
}

TEST(Value, EqualityAcrossNumberKinds) {
    EXPECT_TRUE(JV(1).equal(JV(1.0)));
    EXPECT_TRUE(JV(1u).equal(JV(Number("1.000000000000000000000000000"))));
    EXPECT_EQ(JV(1).hash(), JV(1.0).hash());
    EXPECT_FALSE(JV("1").equal(JV(1)));
    EXPECT_FALSE(JV().equal(JV(false)));
    EXPECT_FALSE(JV(0.1 + 0.2).equal(JV(0.3)));
    EXPECT_TRUE(JV(0.1 + 0.2).equalCoalesceInt(JV(0.3)));

    // Coalescing applies to the top level only.
    JV a(JV::ArrayTag{}), b(JV::ArrayTag{});
    a.addFloat(0.1 + 0.2);
    b.addFloat(0.3);
    EXPECT_FALSE(a.equalCoalesceInt(b));

    JV x(JV::ObjectTag{}), y(JV::ObjectTag{});
    x.setIntProperty("a", 1);
    x.setArrayProperty("l")->addString("s");
    y.setArrayProperty("l")->addString("s");
    y.setFloatProperty("a", 1.0);
    EXPECT_TRUE(x.equal(y));
    EXPECT_EQ(x.hash(), y.hash());
    y.setIntProperty("b", 1);
    EXPECT_FALSE(x.equal(y));
    x.setIntProperty("c", 1);
    EXPECT_FALSE(x.equal(y));  // same size, different keys

    JV p(JV::ArrayTag{}), q(JV::ArrayTag{});
    p.addInt(1);
    p.addInt(2);
    q.addInt(2);
    q.addInt(1);
    EXPECT_FALSE(p.equal(q));
    EXPECT_NE(p.hash(), q.hash());
}

TEST(Value, HashOfNullIsTheSeed) { EXPECT_EQ(JV().hash(), 0x9e3779b9u); }

TEST(Value, CloneIsIndependentWithoutPositions) {
    JV o(JV::ObjectTag{});
    o.pos = {3, 4};
    JV* list = o.setArrayProperty("list");
    list->addString("shared");
    list->pos = {5, 6};
    std::unique_ptr<JV> copy = o.clone();
    EXPECT_TRUE(copy->equal(o));
    EXPECT_FALSE(copy->pos.known());
    EXPECT_FALSE(copy->property("list")->pos.known());
    EXPECT_EQ(copy->property("list")->at(0)->pointer(), "/list/0");
    o.property("list")->at(0)->setString("changed");
    EXPECT_EQ(copy->property("list")->at(0)->stringValue(), "shared");
}

TEST(Value, CloneToTargetInsideOrAroundTheSource) {
    JV root(JV::ObjectTag{});
    JV* inner = root.setObjectProperty("inner");
    inner->setIntProperty("n", 1);
    // The target is a descendant of the source.
    JV* target = inner->setNullProperty("self");
    inner->cloneTo(*target);
    EXPECT_EQ(root.find(JVPointer("/inner/self/n"))->numberValue().compare(Number(1)), 0);
    EXPECT_TRUE(root.find(JVPointer("/inner/self/self"))->isNull());
    EXPECT_EQ(target->property("n")->parent(), target);
    EXPECT_EQ(target->property("n")->pointer(), "/inner/self/n");
    // The source is a descendant of the target.
    inner->cloneTo(root);
    EXPECT_EQ(keysOf(root), "n,self,");
    EXPECT_EQ(root.find(JVPointer("/self/n"))->pointer(), "/self/n");
}

TEST(Value, PointersFollowEdits) {
    JV root(JV::ObjectTag{});
    JV* list = root.setArrayProperty("a/b~c");
    list->addInt(0);
    list->addInt(1);
    JV* last = list->addObject();
    JV* leaf = last->setNullProperty("");
    EXPECT_EQ(leaf->pointer(), "/a~1b~0c/2/");
    EXPECT_TRUE(list->removeAt(0));
    EXPECT_EQ(leaf->pointer(), "/a~1b~0c/1/");
    EXPECT_FALSE(list->removeAt(5));
    root.setNullProperty("0");  // inserted before the other key
    EXPECT_EQ(leaf->pointer(), "/a~1b~0c/1/");
    EXPECT_EQ(root.pointer(), "");
}

TEST(Value, FindReadsArrayIndicesLeniently) {
    JV root(JV::ArrayTag{});
    root.addString("zero");
    root.addString("one");
    EXPECT_EQ(root.find(JVPointer("/1"))->stringValue(), "one");
    EXPECT_EQ(root.find(JVPointer("/1a"))->stringValue(), "one");
    EXPECT_EQ(root.find(JVPointer("/ 1"))->stringValue(), "one");
    EXPECT_EQ(root.find(JVPointer("/2")), nullptr);
    EXPECT_EQ(root.find(JVPointer("/-1")), nullptr);
    EXPECT_EQ(root.find(JVPointer("/99999999999999999999999")), nullptr);
    EXPECT_THROW((void)root.find(JVPointer("/x")), std::invalid_argument);
    EXPECT_EQ(root.find(JVPointer("/0/deeper")), nullptr);
    EXPECT_EQ(root.find(JVPointer("")), &root);
}

// Trees built by code may be far deeper than anything the reader accepts; nothing may recurse on them.
TEST(Value, VeryDeepTreesAreSafe) {
    constexpr int kDepth = 200000;
    auto build = [] {
        auto root = std::make_unique<JV>(JV::ArrayTag{});
        JV* cur = root.get();
        for (int i = 0; i < kDepth; ++i) cur = (i % 2 == 0) ? cur->addObject() : cur->setArrayProperty("k");
        cur->setString("leaf");
        return std::make_pair(std::move(root), cur);
    };
    auto [a, leafA] = build();
    auto [b, leafB] = build();
    EXPECT_TRUE(a->equal(*b));
    EXPECT_EQ(a->hash(), b->hash());
    std::unique_ptr<JV> c = a->clone();
    EXPECT_TRUE(c->equal(*a));
    EXPECT_EQ(leafA->pointer().size(), leafB->pointer().size());
    leafB->setString("other");
    EXPECT_FALSE(a->equal(*b));
    JVDoc doc(std::move(c));
    doc.rebuildPointers();
    doc.clearPropOrder();
}

TEST(Doc, SetRootFindNodeAndPositions) {
    JVDoc doc;
    EXPECT_EQ(doc.findNode(""), nullptr);
    doc.setRoot(JV::Type::Object);
    JV* root = doc.root();
    JV* arr = root->setArrayProperty("a/b");
    arr->addString("x");
    arr->addString("y");
    EXPECT_EQ(doc.findNode(""), root);
    EXPECT_EQ(doc.findNode("/a~1b/1")->stringValue(), "y");
    EXPECT_EQ(doc.findNode("/a~1b/01"), nullptr);  // exact pointer text only
    EXPECT_EQ(doc.findNode("/a~1b/1a"), nullptr);
    EXPECT_EQ(doc.findNode("/a~1b/-"), nullptr);
    EXPECT_EQ(doc.findNode("/a~2b"), nullptr);
    EXPECT_EQ(doc.findNode("a"), nullptr);
    EXPECT_EQ(doc.findNode(JVPointer("/a~1b/0"))->stringValue(), "x");
    // Every node found by text names itself with that text.
    EXPECT_EQ(doc.findNode("/a~1b/1")->pointer(), "/a~1b/1");

    JVDoc::addPos(*arr, 3, 4);
    JVDoc::addPos(*arr, 7, 8);
    EXPECT_EQ(arr->pos, (Pos{3, 4}));

    for (JV::Type t : {JV::Type::Null, JV::Type::Boolean, JV::Type::Number, JV::Type::String, JV::Type::Array}) {
        doc.setRoot(t);
        EXPECT_EQ(doc.root()->type(), t);
        EXPECT_EQ(doc.root()->size(), 0u);
    }
}

TEST(Doc, PropOrderAndSortedProperties) {
    JVDoc doc;
    doc.setRoot(JV::Type::Object);
    JV& o = *doc.root();
    for (const char* k : {"b", "a", "d", "c"}) o.setNullProperty(k);
    EXPECT_TRUE(doc.propOrder(o).empty());
    doc.addProps(o, {"c", "a"});
    doc.addProp(o, "zz");  // not a property: recorded, but never listed by the view
    doc.addProp(o, "c");
    EXPECT_EQ(doc.propOrder(o), (std::vector<std::string_view>{"c", "a", "zz", "c"}));

    SortedProperties inOrder(o, doc.propOrder(o));
    EXPECT_FALSE(inOrder.keyOrder());
    EXPECT_EQ(inOrder.keys(), (std::vector<std::string_view>{"c", "a", "b", "d"}));
    EXPECT_EQ(inOrder[0].second, o.property("c"));

    SortedProperties plain(o);
    EXPECT_TRUE(plain.keyOrder());
    EXPECT_EQ(plain.keys(), (std::vector<std::string_view>{"a", "b", "c", "d"}));

    std::vector<std::string> custom{"d", "nope"};
    std::string seen;
    for (auto [key, value] : SortedProperties(o, custom)) {
        EXPECT_EQ(value, o.property(key));
        seen += key;
    }
    EXPECT_EQ(seen, "dabc");

    doc.clearPropOrder(o);
    EXPECT_TRUE(doc.propOrder(o).empty());
    EXPECT_THROW(SortedProperties(JV(1)), std::bad_variant_access);
}

// Objects built member by member grow their one block of entries and recorded keys many times over, and the
// recorded keys sit behind the entries: each growth must carry them along, and every child must keep naming itself.
TEST(Doc, ObjectsGrownMemberByMemberKeepChildrenAndRecordedOrder) {
    JVDoc doc;
    doc.setRoot(JV::Type::Object);
    JV& o = *doc.root();
    constexpr int kMembers = 300;
    std::vector<std::string> recorded;
    for (int i = 0; i < kMembers; ++i) {
        std::string key = "k" + std::to_string((i * 7919) % kMembers);  // every key once, not in key order
        o.setIntProperty(key, i);
        // Record only some keys, so the entries' room and the recorded keys' room grow at different times.
        if (i % 3 != 2) {
            doc.addProp(o, key);
            recorded.push_back(key);
        }
    }
    ASSERT_EQ(o.size(), static_cast<std::size_t>(kMembers));
    EXPECT_EQ(doc.propOrder(o), std::vector<std::string_view>(recorded.begin(), recorded.end()));
    std::string previous;
    for (auto [key, value] : o.properties()) {
        EXPECT_LT(previous, key);
        previous = key;
        EXPECT_EQ(value->parent(), &o);
        EXPECT_EQ(value->pointer(), "/" + std::string(key));
    }

    // Taking members out shifts the later ones; adding in front shifts them back.
    for (int i = 0; i < kMembers; i += 3) {
        std::unique_ptr<JV> taken = o.releaseProperty("k" + std::to_string(i));
        ASSERT_NE(taken, nullptr);
        EXPECT_EQ(taken->parent(), nullptr);
    }
    JV* first = o.setStringProperty("", "front");
    EXPECT_EQ(o.size(), static_cast<std::size_t>(kMembers - kMembers / 3 + 1));
    EXPECT_EQ(first->pointer(), "/");
    for (auto [key, value] : o.properties()) EXPECT_EQ(value->pointer(), "/" + std::string(key));
    EXPECT_EQ(doc.propOrder(o).size(), recorded.size());

    // Without recorded keys the block gives their room back; recording again starts afresh.
    doc.clearPropOrder(o);
    EXPECT_TRUE(doc.propOrder(o).empty());
    o.setNullProperty("late");
    doc.addProps(o, {"late", "k1"});
    EXPECT_EQ(doc.propOrder(o), (std::vector<std::string_view>{"late", "k1"}));
    EXPECT_EQ(o.property("late")->pointer(), "/late");
}

// Fresh containers hold no storage of their own until something is added: adding to one must leave every other
// untouched, whichever way the container was made.
TEST(Value, EmptyContainersStayIndependent) {
    JV a(JV::ObjectTag{});
    JV b(JV::Type::Object);
    JV c;
    c.setObject();
    JVDoc doc;
    doc.clearPropOrder(a);
    a.setIntProperty("x", 1);
    doc.addProp(b, "recorded");
    EXPECT_EQ(a.size(), 1u);
    EXPECT_EQ(b.size(), 0u);
    EXPECT_EQ(c.size(), 0u);
    EXPECT_EQ(doc.propOrder(b), (std::vector<std::string_view>{"recorded"}));
    EXPECT_TRUE(doc.propOrder(c).empty());
    EXPECT_TRUE(doc.propOrder(a).empty());
    EXPECT_TRUE(c.properties().empty());

    JV list(JV::ArrayTag{});
    JV other(JV::Type::Array);
    list.addInt(1);
    EXPECT_EQ(list.size(), 1u);
    EXPECT_TRUE(other.items().empty());

    // Copies of empty containers, and containers emptied again, take members as fresh ones do.
    std::unique_ptr<JV> copy = c.clone();
    copy->setNullProperty("y");
    EXPECT_EQ(c.size(), 0u);
    EXPECT_TRUE(list.removeAt(0));
    list.addString("again");
    EXPECT_EQ(list.at(0)->pointer(), "/0");
    other.cloneTo(list);
    EXPECT_EQ(list.size(), 0u);
    list.addNull();
    EXPECT_EQ(other.size(), 0u);
}

TEST(Value, ArraysGrownOneByOneKeepChildrenInPlace) {
    JV root(JV::ObjectTag{});
    JV* list = root.setArrayProperty("list");
    std::vector<JV*> added;
    for (int i = 0; i < 1000; ++i) added.push_back(list->addInt(i));
    ASSERT_EQ(list->size(), 1000u);
    for (std::size_t i = 0; i < added.size(); i += 97) {
        EXPECT_EQ(list->at(i), added[i]);
        EXPECT_EQ(added[i]->parent(), list);
        EXPECT_EQ(added[i]->pointer(), "/list/" + std::to_string(i));
    }
    std::unique_ptr<JV> head = list->releaseAt(0);
    EXPECT_EQ(head->parent(), nullptr);
    EXPECT_EQ(added[999]->pointer(), "/list/998");
    std::unique_ptr<JV> copy = root.clone();
    EXPECT_TRUE(copy->equal(root));
    EXPECT_EQ(copy->find(JVPointer("/list/998"))->pointer(), "/list/998");
}

}  // namespace
}  // namespace zephalon::jv
