// Feeds arbitrary bytes to the project file loader. Besides the sanitizers'
// checks: nothing is allocated beyond a multiple of the input's size, a
// refused file leaves the project as it was, and a loaded project
// saves to bytes that load back to the same project (compared as saved bytes,
// since a NaN is not equal to itself).
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz_check.h"
#include "model/project_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kes::LevelProject project;
    project.settings.title = "untouched";
    kesgen_fuzz::LargestAllocation watch;
    const kes::Status status = kes::decodeProject(std::span<const std::uint8_t>(data, size), project);
    KESGEN_FUZZ_CHECK(watch.bytes() <= kesgen_fuzz::allocationAllowance(size));
    if (!status) {
        KESGEN_FUZZ_CHECK(!status.reason().empty());
        KESGEN_FUZZ_CHECK(project.settings.title == "untouched" && project.layers.count() == 0
                          && project.targets.count() == 0);
        return 0;
    }
    KESGEN_FUZZ_CHECK(project.layers.count() <= kes::kTableCapacity);
    KESGEN_FUZZ_CHECK(project.targets.count() <= kes::kTableCapacity);

    const std::vector<std::uint8_t> saved = kes::encodeProject(project);
    KESGEN_FUZZ_CHECK(saved.size()
                      == 1030 + 560 * std::size_t(project.layers.count()) + 16 * std::size_t(project.targets.count()));
    kes::LevelProject reloaded;
    KESGEN_FUZZ_CHECK(kes::decodeProject(saved, reloaded));
    KESGEN_FUZZ_CHECK(kes::encodeProject(reloaded) == saved);
    return 0;
}
