#include <filesystem>
#include <iostream>

#include "cli/cli_output.h"
#include "cli/commands.h"
#include "extract/extraction_folder.h"
#include "extract/level_extraction.h"
#include "model/counted_text.h"
#include "model/file_io.h"
#include "model/printable_text.h"

namespace kes::cli {

int runExtract(const std::string& levelPath, const std::string& folder, bool force, int threads)
{
    std::vector<std::uint8_t> bytes;
    if (Status read = loadWholeFile(levelPath, bytes); !read)
        return fail(read.reason());
    const std::string name = pathToUtf8(pathFromUtf8(levelPath).stem());
    LevelExtraction extraction;
    if (Status extracted = extractLevel(bytes, name.empty() ? "level" : name, extraction, threads); !extracted)
        return fail("'" + levelPath + "': " + extracted.reason());
    bytes = {};
    if (Status written = writeExtraction(extraction, folder, force); !written)
        return fail(written.reason());
    for (const std::string& warning : extraction.warnings)
        warn(warning);
    std::size_t meshes = 0;
    for (const ExtractedFile& file : extraction.files)
        meshes += file.name.ends_with(".obj");
    const std::size_t textures = extraction.files.size() - 1 - meshes;
    const std::string project = pathToUtf8(pathFromUtf8(folder) / pathFromUtf8(extraction.files.front().name));
    std::cout << "extracted '" << printableText(levelPath) << "' into '" << printableText(project) << "': "
              << countedText(meshes, "mesh file") << ", " << countedText(textures, "texture file")
              << (extraction.warnings.empty() ? ", generates the same level file\n"
                                              : ", generates a different level file (see the warnings)\n");
    return 0;
}

} // namespace kes::cli
