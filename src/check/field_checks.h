// The checks the editor makes as the designer types: whether a field's text
// gives what was typed, and why not, with the same readers and path rules
// as generation. They never change what enables a button.
#pragma once

#include <string>
#include <string_view>

namespace kes {

struct FieldCheck {
    enum class Mark {
        None,    // the text gives what was typed
        Note,    // it works, but differently than it reads (a relinked file)
        Problem, // it won't give what was typed
    };
    Mark mark = Mark::None;
    std::string reason; // empty for None

    static FieldCheck problem(std::string reason) { return {Mark::Problem, std::move(reason)}; }
    static FieldCheck note(std::string reason) { return {Mark::Note, std::move(reason)}; }
    bool operator==(const FieldCheck&) const = default;
};

// A list of `count` comma-separated numbers: too few or too many numbers, a
// character that is not part of a number, a blank before a comma, and a
// number that is not finite as a 32-bit float (1e39, "inf", "nan"). An empty
// text is no problem here: the enable rules deal with it.
FieldCheck checkNumberList(std::string_view text, int count);

// A version number above 65535, which the level file keeps in 16 bits.
FieldCheck checkVersion(std::string_view text);

// A text (title, author) longer than the 249 bytes a project holds.
FieldCheck checkTextLength(std::string_view text);

// A frame count above what the file keeps: 65535 frames for an animation.
FieldCheck checkFrameCount(std::string_view text, bool animated);

// The mesh of a layer: a stored path (relative ones from `projectFolder`)
// that names no file, a file that can't be read, or that isn't an OBJ text;
// for an animation of several frames, the first missing frame file. A file
// relinked to the same name in the project's folder is a note.
FieldCheck checkMeshFile(const std::string& stored, const std::string& projectFolder, int kind, int frames);

// The texture of a layer: missing, unreadable, or not a 24-bit BMP.
FieldCheck checkTextureFile(const std::string& stored, const std::string& projectFolder);

} // namespace kes
