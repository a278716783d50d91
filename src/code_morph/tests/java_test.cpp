// Java files and helpers: imports that compile (no same-package or java.lang imports, no invalid names), variable
// names that are not reserved words, and Spring, Jackson and Jakarta annotations with what they import.

#include "zephalon/code_morph/java.h"

#include <fmt/format.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "zephalon/foundation/strings.h"

namespace zephalon::code_morph::java {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string errorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "no error";
}

TEST(JavaNamesTest, VariableNamesAvoidReservedWordsAndInvalidCharacters) {
    EXPECT_EQ(toVariableName("class"), "class1");
    EXPECT_EQ(toVariableName("byte"), "isByte");
    EXPECT_EQ(toVariableName("abstract"), "isAbstract");
    EXPECT_EQ(toVariableName("char"), "isChar");
    EXPECT_EQ(toVariableName("if"), "if1");
    EXPECT_EQ(toVariableName("non-sealed"), "nonSealed");
    EXPECT_EQ(toVariableName("null"), "null1");
    EXPECT_EQ(toVariableName("first-name"), "firstName");
    EXPECT_EQ(toVariableName("x-rate.limit"), "xRateLimit");
    EXPECT_EQ(toVariableName("3d"), "_3d");
    EXPECT_EQ(toVariableName("@"), "unnamed");
    EXPECT_EQ(toClassName("pet store"), "PetStore");
    EXPECT_EQ(toClassName("1st"), "_1st");
    for (std::string_view name : {"class", "byte", "if", "1st", "", "a-b", "goto"}) {
        EXPECT_FALSE(isValidVariableName(name)) << name;
        EXPECT_TRUE(isValidVariableName(toVariableName(name))) << name;
    }
    EXPECT_TRUE(isValidVariableName("_value"));
}

TEST(JavaNamesTest, QualifiedNamesSplitAndValidate) {
    EXPECT_EQ(packageNameFromQName("com.example.Api"), "com.example");
    EXPECT_EQ(classNameFromQName("com.example.Api"), "Api");
    EXPECT_EQ(packageNameFromQName("Api"), "");
    EXPECT_EQ(classNameFromQName("Api"), "Api");
    EXPECT_TRUE(isValidPackageName("com.example_2.api"));
    EXPECT_TRUE(isValidPackageName("_x"));
    for (std::string_view bad : {"", "Com.example", "com..example", "com.", ".com", "com.2x", "com/example"}) {
        EXPECT_FALSE(isValidPackageName(bad)) << bad;
    }
    EXPECT_TRUE(isValidClassName("Api_2"));
    EXPECT_FALSE(isValidClassName("api"));
    EXPECT_FALSE(isValidClassName("A-b"));
    EXPECT_EQ(errorOf([] { validatePackageName("Com"); }), "Invalid package name: 'Com'");
    EXPECT_EQ(errorOf([] { validateClassName("pet"); }), "Invalid class name: 'pet'");
    EXPECT_EQ(toStringLiteral("say \"hi\"\n\\u0022"), "\"say \\\"hi\\\"\\n\\\\u0022\"");
}

TEST(JavaFileTest, ImportsLeaveOutWhatNeedsNoImportAndRefuseWhatCannotCompile) {
    auto fs = memoryFileSystem();
    Project project(*fs);
    SourceFile* file = project.addSourceFileFromQName("com.example.Api");
    EXPECT_EQ(file->path(), "src/main/java/com/example/Api.java");
    EXPECT_EQ(file->packageName(), "com.example");
    EXPECT_EQ(project.addTestFileFromQName("com.example.ApiTest")->path(), "src/test/java/com/example/ApiTest.java");
    EXPECT_EQ(project.addSourceFileFromQName("Main")->packageName(), "");

    file->addImport("java.lang.String");
    file->addImport("com.example.Pet");
    file->addImport("");
    EXPECT_THAT(file->imports(), IsEmpty());
    file->addImport("java.util.List");
    file->addImport("java.lang.reflect.Method");
    file->addImport("com.example.dto.Pet");
    file->addImport("java.util.List");
    EXPECT_THAT(file->imports(), ElementsAre("com.example.dto.Pet", "java.lang.reflect.Method", "java.util.List"));
    EXPECT_TRUE(file->hasImport("java.util.List"));
    file->removeImport("java.util.List");
    file->removeImport("java.util.Map");
    EXPECT_FALSE(file->hasImport("java.util.List"));

    EXPECT_EQ(errorOf([&] { file->addImport("java.util.list"); }), "Invalid class name: 'list'");
    EXPECT_EQ(errorOf([&] { file->addImport("Pet"); }), "Invalid package name: ''");
    EXPECT_EQ(errorOf([&] { file->addImport("../../x.Y"); }), "Invalid package name: '../../x'");
    EXPECT_EQ(file->imports().size(), 2u);
    file->clearImports();
    EXPECT_THAT(file->imports(), IsEmpty());

    // Names that would make odd paths never reach the file system.
    for (std::string_view qname : {"com.example.", "com..Api", "../../Api", "com.example.api", ".Api", ""}) {
        EXPECT_THROW(project.addSourceFileFromQName(qname), std::runtime_error) << qname;
    }
    EXPECT_EQ(errorOf([&] { file->setPackageName("Bad.Name"); }), "Invalid package name: 'Bad.Name'");
    EXPECT_EQ(project.sourceFiles().size(), 3u);
}

TEST(JavaAnnotationTest, SpringMappingsAndArgumentsCompileWithTheirImports) {
    const std::string package = "org.springframework.web.bind.annotation.";
    const auto get = spring::controllerMethodAnnotation("get");
    EXPECT_EQ(get.text, "@GetMapping");
    EXPECT_THAT(get.imports, ElementsAre(package + "GetMapping"));
    EXPECT_EQ(spring::controllerMethodAnnotation("delete").text, "@DeleteMapping");
    EXPECT_EQ(spring::controllerMethodAnnotation("patch").text, "@PatchMapping");
    for (std::string_view method : {"options", "head", "trace"}) {
        const auto mapping = spring::controllerMethodAnnotation(method);
        EXPECT_EQ(mapping.text, fmt::format("@RequestMapping(method = RequestMethod.{})", asciiToUpper(method)));
        EXPECT_THAT(mapping.imports, ElementsAre(package + "RequestMapping", package + "RequestMethod"));
    }
    EXPECT_EQ(errorOf([] { spring::controllerMethodAnnotation("GET"); }), "Unknown HTTP method: 'GET'");

    const auto path = spring::controllerMethodArg("petId", spring::ArgumentKind::path, true);
    EXPECT_EQ(path.text, "@PathVariable(name=\"petId\")");
    EXPECT_THAT(path.imports, ElementsAre(package + "PathVariable"));
    EXPECT_EQ(spring::controllerMethodArg("q", spring::ArgumentKind::query, false).text,
              "@RequestParam(name=\"q\", required=false)");
    EXPECT_EQ(spring::controllerMethodArg("X-Id", spring::ArgumentKind::header, true).text,
              "@RequestHeader(name=\"X-Id\")");
    EXPECT_EQ(spring::controllerMethodArg("sid", spring::ArgumentKind::cookie, false).text,
              "@CookieValue(name=\"sid\", required=false)");
    EXPECT_EQ(spring::controllerMethodArg("body", spring::ArgumentKind::body, true).text, "@RequestBody");
    EXPECT_EQ(spring::controllerMethodArg("body", spring::ArgumentKind::body, false).text,
              "@RequestBody(required=false)");

    auto fs = memoryFileSystem();
    Project project(*fs);
    SourceFile* controller = project.addSourceFileFromQName("com.example.PetController");
    controller->addImports(spring::controllerMethodAnnotation("head"));
    controller->addImports(spring::controllerMethodAnnotation("trace"));
    EXPECT_THAT(controller->imports(), ElementsAre(package + "RequestMapping", package + "RequestMethod"));
}

TEST(JavaAnnotationTest, JacksonAndJakartaArguments) {
    const auto property = jackson::propertyAnnotation("first \"name\"", true);
    EXPECT_EQ(property.text, "@JsonProperty(value=\"first \\\"name\\\"\", required=true)");
    EXPECT_THAT(property.imports, ElementsAre("com.fasterxml.jackson.annotation.JsonProperty"));
    EXPECT_EQ(jackson::propertyAnnotation("id", false).text, "@JsonProperty(value=\"id\")");

    EXPECT_EQ(jakarta::constraints::formatSizeValidation(1, 5), "min = 1, max = 5");
    EXPECT_EQ(jakarta::constraints::formatSizeValidation(0, std::nullopt), "min = 0");
    EXPECT_EQ(jakarta::constraints::formatSizeValidation(std::nullopt, 9), "max = 9");
    EXPECT_EQ(jakarta::constraints::formatSizeValidation(std::nullopt, std::nullopt), "");
}

}  // namespace
}  // namespace zephalon::code_morph::java
