#include "cli/utf8_arguments.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>
#endif

namespace kes::cli {
namespace {

#ifdef _WIN32
std::string utf8FromWide(const wchar_t* wide)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), size, nullptr, nullptr);
    text.resize(static_cast<std::size_t>(size) - 1);
    return text;
}
#endif

} // namespace

Utf8Arguments::Utf8Arguments(int argc, char** argv)
{
#ifdef _WIN32
    int wideCount = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &wideCount)) {
        for (int i = 0; i < wideCount; ++i)
            texts_.push_back(utf8FromWide(wide[i]));
        LocalFree(wide);
    }
    SetConsoleOutputCP(CP_UTF8);
    if (texts_.empty())
#endif
        texts_.assign(argv, argv + argc);
    for (std::string& text : texts_)
        pointers_.push_back(text.data());
    pointers_.push_back(nullptr); // as argv ends
}

} // namespace kes::cli
