// Any text as a scenario: it is refused with a line number, or it builds an archive the
// instrument can serve.
#include "model/Archive.h"
#include "model/Scenario.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    auto scenario = lm11sim::ParseScenario(text, "/nonexistent-lm11-fuzz", error);
    if (!scenario) {
        if (error.rfind("line ", 0) != 0) std::abort(); // a refusal always says where
        return 0;
    }
    // Files named by the scenario are outside the input; a device file could block.
    if (scenario->screen != "border" && scenario->screen != "blank" && scenario->screen != "full")
        scenario->screen = "blank";
    scenario->statePath.clear();
    scenario->transcriptPath.clear();
    auto archive = lm11sim::BuildArchive(*scenario, error);
    if (!archive) return 0;
    if (archive->records.size() > 1760 || archive->header.size() != 7268 || archive->screen.size() != 2048)
        std::abort();
    return 0;
}
