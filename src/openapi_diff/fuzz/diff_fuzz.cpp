// Comparing arbitrary pairs of documents. The first byte chooses: bit 0 and bit 1 read the source and the
// destination as YAML instead of JSON, bits 2 and 3 the report ("status", "changelog", "detailed"), bits 4 to 6 its
// format, bit 7 raising the destination's version instead of reporting. The rest is the source, a NUL byte, and the
// destination; without a NUL byte a document is compared with itself. Text the value readers refuse is skipped; any
// pair they accept must come through the comparison and the report without a crash, and a document that reads without
// issues (as the command requires), read twice alike, must show no change against itself.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string_view>

#include "fuzz_check.h"
#include "fuzz_model.h"
#include "zephalon/openapi_diff/differ.h"

namespace {

using namespace zephalon;

constexpr std::string_view kReports[] = {"status", "changelog", "detailed"};
constexpr std::string_view kFormatters[] = {"stylish", "json", "markdown", "html", "unix", "visualstudio"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto input = fuzz::splitInput(data, size);
    if (!input) return 0;
    const std::uint8_t choice = input->choice;
    const std::string_view rest = input->text;
    const std::size_t split = rest.find('\0');
    const std::string_view sourceText = rest.substr(0, split);
    const std::string_view destText = split == std::string_view::npos ? rest : rest.substr(split + 1);

    auto source = fuzz::readModelOrSkip(sourceText, fuzz::formatOf(choice, 0));
    auto dest = fuzz::readModelOrSkip(destText, fuzz::formatOf(choice, 1));
    if (source == nullptr || dest == nullptr) return 0;

    std::ostringstream out;
    openapi_diff::Differ differ(out);
    differ.setDefaultConfig();
    const std::string_view report = kReports[((choice >> 2) & 3) % std::size(kReports)];
    differ.setReport(report);
    differ.setFormatter(report, kFormatters[((choice >> 4) & 7) % std::size(kFormatters)]);
    differ.setUpdateVersion((choice & 0x80) != 0);
    const bool itself = split == std::string_view::npos && fuzz::formatOf(choice, 0) == fuzz::formatOf(choice, 1) &&
                        source->issues().empty();
    try {
        const openapi_diff::DiffResult result = differ.process(*source, *dest);
        fuzz::require(!itself || (result.severity == openapi_diff::ChangeSeverity::none &&
                                  result.versionChange == openapi_diff::VersionChange::none));
    } catch (const std::invalid_argument&) {
        // A version that cannot be raised is refused with a message before anything changes.
    }
    return 0;
}
