#include "extract/extraction_folder.h"

#include <filesystem>
#include <random>

#include "model/file_io.h"

namespace kes {
namespace {

namespace fs = std::filesystem;

// A new, empty folder beside `folder`.
Status makeTemporaryFolder(const fs::path& folder, fs::path& temporary)
{
    std::random_device seed;
    std::mt19937_64 generator(seed());
    const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::error_code ec;
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string suffix = ".kesgen-";
        for (int i = 0; i < 8; ++i)
            suffix += digits[generator() % 36];
        temporary = folder;
        temporary += pathFromUtf8(suffix + ".tmp");
        if (fs::create_directory(temporary, ec))
            return Status::success();
        if (ec)
            break;
    }
    return Status::failure("cannot create a folder beside '" + pathToUtf8(folder) + "': "
                           + (ec ? ec.message() : std::string("every name tried exists")));
}

class TemporaryFolder {
public:
    ~TemporaryFolder()
    {
        if (!path.empty()) {
            std::error_code ec;
            fs::remove_all(path, ec);
        }
    }
    fs::path path;
};

} // namespace

Status writeExtraction(const LevelExtraction& extraction, const std::string& folderText, bool force)
{
    if (folderText.empty())
        return Status::failure("cannot extract: the folder path is empty");
    fs::path folder = pathFromUtf8(folderText);
    if (!folder.has_filename())
        folder = folder.parent_path();
    std::error_code ec;
    const fs::file_status status = fs::status(folder, ec);
    const bool exists = fs::exists(status);
    if (exists && !fs::is_directory(status))
        return Status::failure("cannot extract into '" + folderText + "': it is not a folder");
    if (exists) {
        for (const ExtractedFile& file : extraction.files) {
            const fs::path target = folder / pathFromUtf8(file.name);
            const fs::file_status existing = fs::symlink_status(target, ec);
            if (!fs::exists(existing))
                continue;
            if (!force || !fs::is_regular_file(fs::status(target, ec)))
                return Status::failure("cannot extract into '" + folderText + "': it already holds '" + file.name
                                       + "'" + (force ? " and that is no file" : " (--force replaces it)"));
        }
    }

    TemporaryFolder temporary;
    if (Status made = makeTemporaryFolder(folder, temporary.path); !made)
        return made;
    for (const ExtractedFile& file : extraction.files) {
        AtomicFile out;
        const std::string path = pathToUtf8(temporary.path / pathFromUtf8(file.name));
        if (Status opened = out.open(path); !opened)
            return opened;
        out.write(file.bytes.data(), file.bytes.size());
        if (Status committed = out.commit(); !committed)
            return committed;
    }
    if (!exists) {
        fs::rename(temporary.path, folder, ec);
        if (ec)
            return Status::failure("cannot extract into '" + folderText + "': " + ec.message());
        temporary.path.clear();
        return Status::success();
    }
    for (const ExtractedFile& file : extraction.files) {
        fs::rename(temporary.path / pathFromUtf8(file.name), folder / pathFromUtf8(file.name), ec);
        if (ec)
            return Status::failure("cannot move '" + file.name + "' into '" + folderText + "': " + ec.message());
    }
    return Status::success();
}

} // namespace kes
