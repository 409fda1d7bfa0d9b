// The warnings of an OBJ file: how many are kept, and the wording shared by
// its messages. Private to the OBJ reader.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "assets/obj_reader.h"
#include "assets/reader_warning.h"

namespace kes::obj {

// Collects the warnings of one file (or of one chunk of it), at most
// kMaxObjWarnings of them, and counts the ones left out.
class WarningList {
public:
    WarningList(std::vector<ReaderWarning>* out, const std::string& file) : out_(out), file_(file) {}

    // Adds the warning that makeText() words, unless the limit is reached.
    template <typename MakeText>
    void add(std::int64_t line, MakeText&& makeText)
    {
        if (!out_)
            return;
        if (kept_ == kMaxObjWarnings) {
            ++dropped_;
            return;
        }
        ++kept_;
        const int lineNumber = line > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                                      : static_cast<int>(line);
        out_->push_back(ReaderWarning{file_, lineNumber, makeText()});
    }

    std::int64_t dropped() const { return dropped_; }

private:
    std::vector<ReaderWarning>* out_;
    const std::string& file_;
    int kept_ = 0;
    std::int64_t dropped_ = 0;
};

// "1 position", "3 positions": a number and what it counts, in the singular
// for one.
inline std::string counted(std::int64_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The closing warning that says how many were left out.
inline void addDroppedWarning(std::vector<ReaderWarning>& out, const std::string& file, std::int64_t dropped)
{
    if (dropped > 0)
        out.push_back(ReaderWarning{file, 0, "and " + counted(dropped, "more warning", "more warnings")});
}

// Text from the file as a warning shows it: quoted, and cut after 40
// characters.
inline std::string quoted(const char* begin, const char* end)
{
    constexpr std::ptrdiff_t shown = 40;
    const bool cut = end - begin > shown;
    std::string text(1, '\'');
    text.append(begin, cut ? begin + shown : end);
    text.append(cut ? "...'" : "'");
    return text;
}

// The shortest text that reads back as `value`.
inline std::string floatText(float value)
{
    char buffer[32];
    std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

} // namespace kes::obj
