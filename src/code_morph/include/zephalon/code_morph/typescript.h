#pragma once

// TypeScript projects. A source file holds a structured model of its imports, functions and exports and prints
//
//     import { A, B } from "./a";          imports in the order first added, one line per module
//     <text>                                code written as text (types, fixed helpers), after a blank line
//                                           a blank line before each function that follows something
//     export async function f(a: string, b?: number): Promise<void> {
//       <block>                             each block indented by two spaces
//     }
//     export * from "./b";                  exports in the order first added
//
// A file with no imports, functions or exports prints its text alone (package.json, tsconfig.json).

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zephalon/code_morph/base.h"

namespace zephalon::code_morph::typescript {

using base::Node;

// A type written out as text ("Promise<Pet[]>").
class TypeText : public Node {
  public:
    explicit TypeText(std::string text, Node* parent = nullptr) : Node(parent), text_(std::move(text)) {}
    const std::string& text() const { return text_; }
    void emit(std::string& out) const override;

  private:
    std::string text_;
};

// `import { a, b } from "module";`. An identifier beginning with "*" ("*", "* as api") is printed alone once it is
// among them: `export * from "module";`, `import * as api from "module";`. The same for exports.
class ModuleDecl : public Node {
  public:
    const std::string& module() const { return module_; }
    // Identifiers in the order added, each once.
    const std::vector<std::string>& ids() const { return ids_; }
    bool hasId(std::string_view id) const;
    // Adding an identifier that is there does nothing.
    void addId(std::string id);
    // Replaces an identifier in place; does nothing when `from` is absent.
    void replaceId(std::string_view from, std::string to);
    void emit(std::string& out) const override;

  protected:
    ModuleDecl(Node* parent, std::string_view keyword, std::string module)
        : Node(parent), keyword_(keyword), module_(std::move(module)) {}

  private:
    std::string_view keyword_;
    std::string module_;
    std::vector<std::string> ids_;
};

class ImportDecl : public ModuleDecl {
  public:
    ImportDecl(Node* parent, std::string module) : ModuleDecl(parent, "import", std::move(module)) {}
};

class ExportDecl : public ModuleDecl {
  public:
    ExportDecl(Node* parent, std::string module) : ModuleDecl(parent, "export", std::move(module)) {}
};

// `name?: type`: the type text when set, else the type node's text, else no type at all.
class Parameter : public Node {
  public:
    Parameter(Node* parent, std::string name) : Node(parent), name_(std::move(name)) {}

    const std::string& name() const { return name_; }
    bool isOptional() const { return optional_; }
    void setOptional(bool optional) { optional_ = optional; }
    const std::string& typeText() const { return typeText_; }
    void setTypeText(std::string text) { typeText_ = std::move(text); }
    const Node* typeNode() const { return typeNode_.get(); }
    void setTypeNode(std::unique_ptr<Node> type);

    void emit(std::string& out) const override;

  private:
    std::string name_;
    bool optional_ = false;
    std::string typeText_;
    std::unique_ptr<Node> typeNode_;
};

class Function : public Node {
  public:
    Function(Node* parent, std::string name) : Node(parent), name_(std::move(name)) {}

    const std::string& name() const { return name_; }
    bool isAsync() const { return async_; }
    void setAsync(bool async) { async_ = async; }
    bool isExported() const { return exported_; }
    void setExported(bool exported) { exported_ = exported; }

    const std::vector<std::unique_ptr<Parameter>>& parameters() const { return parameters_; }
    Parameter* addParameter(std::string name);
    Parameter* addParameter(std::string name, std::string typeText);
    Parameter* addParameter(std::string name, std::unique_ptr<Node> type);
    // std::out_of_range past the end.
    Parameter* parameter(std::size_t index) const;
    void removeParameter(std::size_t index);
    void clearParameters() { parameters_.clear(); }

    // Null when the function declares no return type.
    const Node* returnType() const { return returnType_.get(); }
    void setReturnType(std::unique_ptr<Node> type);
    void setReturnType(std::string text) { setReturnType(std::make_unique<TypeText>(std::move(text))); }
    void removeReturnType() { returnType_.reset(); }

    // Printed as it is right before the function (a documentation comment, ending in a line feed); empty for none.
    const std::string& comment() const { return comment_; }
    void setComment(std::string comment) { comment_ = std::move(comment); }

    // Statements of the body, printed in order, each indented by two spaces and followed by a line feed.
    const std::vector<std::string>& blocks() const { return blocks_; }
    void addBlock(std::string block) { blocks_.push_back(std::move(block)); }

    void emit(std::string& out) const override;

  private:
    std::string name_;
    bool async_ = false;
    bool exported_ = false;
    std::vector<std::unique_ptr<Parameter>> parameters_;
    std::unique_ptr<Node> returnType_;
    std::string comment_;
    std::vector<std::string> blocks_;
};

class SourceFile : public base::SourceFile {
  public:
    using base::SourceFile::SourceFile;

    const std::vector<std::unique_ptr<ImportDecl>>& imports() const { return imports_; }
    const std::vector<std::unique_ptr<ExportDecl>>& exports() const { return exports_; }
    const std::vector<std::unique_ptr<Function>>& functions() const { return functions_; }

    // Joins the import of the same module, or starts one. A value import of an identifier replaces its type-only
    // import, and a type-only import of an identifier already imported as a value adds nothing, so that no name is
    // imported twice.
    void addImport(std::string_view module, std::string_view id);
    // `import { type Id } from "module";`: erased from the compiled code.
    void addTypeImport(std::string_view module, std::string_view id);
    void addExport(std::string_view module, std::string_view id);
    // `import * as alias from "module";`
    void addNamespaceImport(std::string_view module, std::string_view alias);
    // `export * from "module";`
    void addStarExport(std::string_view module);

    // std::runtime_error "Function already exists <name>" when the file has a function of that name.
    Function* addFunction(std::string name);
    // Null when there is none.
    Function* findFunction(std::string_view name) const;

    void emit(std::string& out) const override;

  private:
    template <class Decl>
    static Decl* declFor(std::vector<std::unique_ptr<Decl>>& decls, Node* parent, std::string_view module);

    std::vector<std::unique_ptr<ImportDecl>> imports_;
    std::vector<std::unique_ptr<ExportDecl>> exports_;
    std::vector<std::unique_ptr<Function>> functions_;
};

class Project : public base::ProjectOf<SourceFile> {
  public:
    using ProjectOf::ProjectOf;

    // "src/<name>.ts"
    SourceFile* addModuleFile(std::string_view name);
    // "tsconfig.json"
    SourceFile* tsConfigFile() { return addSourceFile("tsconfig.json"); }
    // "package.json"
    SourceFile* packageJsonFile() { return addSourceFile("package.json"); }
};

// Identifiers made from document names: the words of the name (split at every character that cannot appear in an
// identifier, and where toCamelCase splits) in camel case, "_" before a leading digit, and "_" after a reserved word
// ("delete" -> "delete_"). Never empty: a name without letters or digits gives "unnamed".
std::string toVariableName(std::string_view name);
// The same in Pascal case, for types and classes ("pet store" -> "PetStore"; nothing usable gives "Unnamed").
std::string toTypeName(std::string_view name);
// Reserved in TypeScript code (strict mode included), so not usable as a variable name.
bool isReservedWord(std::string_view word);

}  // namespace zephalon::code_morph::typescript
