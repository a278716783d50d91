// TypeScript files print exactly: imports merged per module, a blank line between sections and functions, exports
// last; identifiers made from document names are valid.

#include "zephalon/code_morph/typescript.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace zephalon::code_morph::typescript {
namespace {

std::string print(const Node& node) {
    std::string out;
    node.emit(out);
    return out;
}

class TypeScriptFileTest : public ::testing::Test {
  protected:
    std::unique_ptr<MemoryFileSystem> fs = memoryFileSystem();
    Project project{*fs};
    SourceFile* file = project.addModuleFile("actions");
};

TEST_F(TypeScriptFileTest, ImportsFromOneModuleShareALineInFirstSeenOrder) {
    file->addImport("./types", "A");
    file->addImport("./utils", "init");
    file->addImport("./types", "B");
    file->addImport("./types", "A");
    file->addTypeImport("./types", "Pet");
    file->addTypeImport("./types", "A");  // already imported as a value
    file->addTypeImport("./utils", "Options");
    file->addImport("./utils", "Options");  // the value import replaces the type-only one
    file->addNamespaceImport("./all", "api");
    file->addImport("./all", "x");
    EXPECT_EQ(print(*file),
              "import { A, B, type Pet } from \"./types\";\n"
              "import { init, Options } from \"./utils\";\n"
              "import * as api from \"./all\";\n");
}

TEST_F(TypeScriptFileTest, FunctionsAreSeparatedFromImportsAndEachOther) {
    Function* bare = file->addFunction("ping");
    EXPECT_EQ(print(*bare), "function ping() {\n}\n");
    EXPECT_EQ(print(*file), "function ping() {\n}\n");

    Function* get = file->addFunction("getPet");
    get->setExported(true);
    get->setAsync(true);
    get->addParameter("id", "string");
    get->addParameter("options", std::make_unique<TypeText>("RequestOptions"))->setOptional(true);
    get->addParameter("extra")->setOptional(true);
    get->setReturnType("Promise<Pet>");
    get->addBlock("const url = makeUrl(`/pets/${id}`);");
    get->addBlock("if (!ok) {\n  throw new Error();\n}");
    file->addImport("./utils", "makeUrl");
    file->addStarExport("./types");
    file->addExport("./types", "Pet");  // covered by the star export
    file->addExport("./errors", "APIClientError");
    EXPECT_EQ(print(*file),
              "import { makeUrl } from \"./utils\";\n"
              "\n"
              "function ping() {\n"
              "}\n"
              "\n"
              "export async function getPet(id: string, options?: RequestOptions, extra?): Promise<Pet> {\n"
              "  const url = makeUrl(`/pets/${id}`);\n"
              "  if (!ok) {\n"
              "    throw new Error();\n"
              "  }\n"
              "}\n"
              "export * from \"./types\";\n"
              "export { APIClientError } from \"./errors\";\n");

    EXPECT_THROW(
        {
            try {
                file->addFunction("getPet");
            } catch (const std::runtime_error& error) {
                EXPECT_STREQ(error.what(), "Function already exists getPet");
                throw;
            }
        },
        std::runtime_error);
    EXPECT_EQ(file->findFunction("getPet"), get);
    EXPECT_EQ(file->findFunction("nope"), nullptr);

    get->removeParameter(1);
    EXPECT_EQ(get->parameter(1)->name(), "extra");
    EXPECT_THROW(get->parameter(2), std::out_of_range);
    EXPECT_THROW(get->removeParameter(2), std::out_of_range);
    get->clearParameters();
    get->removeReturnType();
    get->setAsync(false);
    get->setExported(false);
    EXPECT_EQ(print(*get).substr(0, 20), "function getPet() {\n");
}

TEST_F(TypeScriptFileTest, TextSitsBetweenImportsAndFunctionsAndStandsAloneInDataFiles) {
    file->setText("export type Pet = { name: string };");
    file->addImport("@quorvi/zephalon-tools-core", "JSONValue");
    file->addFunction("f");
    const std::string expected =
        "import { JSONValue } from \"@quorvi/zephalon-tools-core\";\n"
        "\n"
        "export type Pet = { name: string };\n"
        "\n"
        "function f() {\n"
        "}\n";
    EXPECT_EQ(print(*file), expected);

    SourceFile* package = project.packageJsonFile();
    package->setText("{\"name\": \"client\"}");
    project.tsConfigFile()->setText("{}");
    project.save();
    project.save();  // the structure prints the same each time
    EXPECT_EQ(fs->read("src/actions.ts"), expected);
    EXPECT_EQ(fs->read("package.json"), "{\"name\": \"client\"}");
    EXPECT_EQ(fs->read("tsconfig.json"), "{}");
}

TEST(TypeScriptNamesTest, DocumentNamesBecomeValidIdentifiers) {
    EXPECT_EQ(toVariableName("get-user_by id"), "getUserById");
    EXPECT_EQ(toVariableName("pet.name"), "petName");
    EXPECT_EQ(toVariableName("2fa code"), "_2faCode");
    EXPECT_EQ(toVariableName("delete"), "delete_");
    EXPECT_EQ(toVariableName("caf\xc3\xa9 au lait"), "cafAuLait");
    EXPECT_EQ(toVariableName("$$$"), "unnamed");
    EXPECT_EQ(toVariableName(""), "unnamed");
    EXPECT_EQ(toTypeName("pet store"), "PetStore");
    EXPECT_EQ(toTypeName("404 response"), "_404Response");
    EXPECT_EQ(toTypeName("-"), "Unnamed");
    EXPECT_TRUE(isReservedWord("await"));
    EXPECT_FALSE(isReservedWord("Await"));
}

}  // namespace
}  // namespace zephalon::code_morph::typescript
