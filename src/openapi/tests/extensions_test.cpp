#include <gtest/gtest.h>

#include <string>

#include "zephalon/openapi/model.h"

namespace zephalon::openapi {
namespace {

using extensions::ExtensionError;

std::string errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const ExtensionError& error) {
        return error.what();
    }
    return "no error";
}

class ExtensionsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        jv::JV* settings = info()->addExtension(extensions::rootKey);
        settings->setObject();
        settings->setBoolProperty("flag", true);
        settings->setStringProperty("name", "pets");
        settings->setIntProperty("count", 3);
        jv::JV* codegen = settings->setObjectProperty("codegen");
        codegen->setStringProperty("package", "org.example");
        codegen->setArrayProperty("list")->addString("x");
    }

    Info* info() { return document_.info(); }

    OpenAPI document_;
};

TEST_F(ExtensionsTest, RequiredSettings) {
    EXPECT_TRUE(extensions::booleanExtension(*info(), "flag"));
    EXPECT_EQ(extensions::stringExtension(*info(), "name"), "pets");
    EXPECT_EQ(extensions::numericExtension(*info(), "count").compare(number::Number(std::int64_t{3})), 0);
    EXPECT_EQ(extensions::stringExtension(*info(), jv::JVPointer("/codegen/package")), "org.example");

    EXPECT_EQ(errorOf([&] { extensions::booleanExtension(*info(), "missing"); }),
              "Extension '/missing' is not present or does not represent a boolean");
    EXPECT_EQ(errorOf([&] { extensions::stringExtension(*info(), "count"); }),
              "Extension '/count' is not present or does not represent a string");
    EXPECT_EQ(errorOf([&] { extensions::numericExtension(*info(), jv::JVPointer("/codegen/list/x")); }),
              "Extension '/codegen/list/x' is not present or does not represent a number");
}

TEST_F(ExtensionsTest, OptionalSettings) {
    EXPECT_EQ(extensions::optionalBooleanExtension(*info(), "flag"), true);
    EXPECT_FALSE(extensions::optionalStringExtension(*info(), "missing").has_value());
    EXPECT_FALSE(extensions::optionalNumericExtension(*info(), jv::JVPointer("/codegen/none")).has_value());
    EXPECT_EQ(extensions::optionalStringExtension(*info(), jv::JVPointer("/codegen/list/0")), "x");

    EXPECT_EQ(errorOf([&] { extensions::optionalBooleanExtension(*info(), "name"); }),
              "Extension '/name' does not represent a boolean");
    EXPECT_EQ(errorOf([&] { extensions::optionalNumericExtension(*info(), "codegen"); }),
              "Extension '/codegen' does not represent a number");
}

TEST_F(ExtensionsTest, RootMustBeAnObject) {
    // A node without settings answers "absent" rather than failing.
    EXPECT_EQ(extensions::root(*document_.paths()), nullptr);
    EXPECT_FALSE(extensions::optionalStringExtension(*document_.paths(), "name").has_value());

    info()->setExtension(extensions::rootKey, std::make_unique<jv::JV>("not an object"));
    EXPECT_EQ(errorOf([&] { extensions::root(*info()); }), "Extension root is not an object");
    EXPECT_EQ(errorOf([&] { extensions::optionalStringExtension(*info(), "name"); }),
              "Extension root is not an object");
}

}  // namespace
}  // namespace zephalon::openapi
