// Linting arbitrary documents: the first byte picks JSON or YAML, the rest is read into the model, every rule of the
// "all" set fixes what it can (the fixed document is written to a scratch file) and then checks the document, and
// the report is written. Text the value readers refuse is skipped; any document they accept must come through every
// rule, fix and report without a crash, and the checks must find nothing left that a fix repairs (but for a path
// whose well-formed spelling another path has, which stays as it is).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "fuzz_check.h"
#include "fuzz_model.h"
#include "fuzz_scratch.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/jv/jv.h"
#include "zephalon/openapi_lint/linter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zephalon;
    const auto input = fuzz::splitInput(data, size);
    if (!input) return 0;
    const FileFormat format = fuzz::formatOf(input->choice, 0);
    std::unique_ptr<openapi::OpenAPIReadResult> result = fuzz::readModelOrSkip(input->text, format);
    if (result == nullptr) return 0;

    std::ostringstream report;
    openapi_lint::Linter linter(report);
    jv::JV config(jv::JV::ObjectTag{});
    config.setArrayProperty("extends")->addString("all");
    linter.setConfig(&config);
    linter.setAutoFix(true);
    linter.setKeepPointers(true);
    // A fix may write the document back.
    const std::string path = fuzz::scratchPath("lint-fuzz", jv::extensionForFormat(format));
    try {
        linter.process(*result, path);
    } catch (const std::runtime_error&) {
        // A fixed model the writer refuses (nested beyond its depth) is reported, not written.
    }
    linter.report();
    std::filesystem::remove(path);
    for (const openapi_lint::Issue& issue : linter.context().result().issues()) {
        fuzz::require(!linter.rules().at(issue.ruleId())->autoFixable() || issue.ruleId() == "paths-well-formed");
    }
    return 0;
}
