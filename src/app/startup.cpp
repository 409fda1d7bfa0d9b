#include "app/startup.h"

#include <filesystem>
#include <fstream>

#include "model/file_io.h"

namespace kes::editor {

std::string startupProjectPath(const QStringList& arguments)
{
    if (arguments.size() < 2 || arguments.at(1).isEmpty())
        return {};
    const std::string path = arguments.at(1).toStdString();
    const std::filesystem::path file = pathFromUtf8(path);
    std::error_code error;
    if (std::filesystem::is_directory(file, error))
        return {};
    std::ifstream stream(file, std::ios::binary);
    if (!stream.is_open())
        return {};
    return path;
}

} // namespace kes::editor
