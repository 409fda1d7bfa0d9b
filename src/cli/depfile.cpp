#include "cli/depfile.h"

namespace kes::cli {
namespace {

std::string makeEscaped(const std::string& path)
{
    std::string out;
    std::size_t backslashes = 0;
    for (char c : path) {
        if (c == ' ' || c == '#' || c == '\t') {
            out.append(backslashes, '\\'); // double the run before it
            out += '\\';
        } else if (c == '$') {
            out += '$';
        }
        backslashes = c == '\\' ? backslashes + 1 : 0;
        out += c;
    }
    return out;
}

} // namespace

std::string depfileText(const std::string& target, const std::vector<std::string>& dependencies)
{
    std::string text = makeEscaped(target) + ":";
    for (const std::string& dependency : dependencies) {
        text += " \\\n  ";
        text += makeEscaped(dependency);
    }
    text += "\n";
    for (const std::string& dependency : dependencies) {
        text += '\n';
        text += makeEscaped(dependency);
        text += ":\n";
    }
    return text;
}

} // namespace kes::cli
