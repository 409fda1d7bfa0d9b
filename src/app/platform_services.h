// The few services of the desktop platform that the editor's commands use:
// file dialogs and message boxes. The editor talks to them only through this
// interface, so that tests can answer them with a script.
#pragma once

#include <string>
#include <vector>

class QWidget;

namespace kes::editor {

// The one filter of a file dialog: a description such as
// "Kestrin Level Files (*.kes)", the pattern "*.kes" and the extension "kes"
// that is added to a name typed without one.
struct FileFilter {
    std::string description;
    std::string pattern;
    std::string defaultExtension;
};

enum class MessageIcon { Information, Warning, Error };

// Where a file dialog starts: in `folder` (empty: where the platform likes),
// with `suggestedName` filled in as the file name (may be empty).
struct FileDialogStart {
    std::string folder;
    std::string suggestedName;
};

// The buttons of a question, each named by its answer.
enum class Answer { Save, Discard, Cancel, Restore, Generate };

class PlatformServices {
public:
    virtual ~PlatformServices() = default;

    // Asks for an existing file to read. Returns its full path (UTF-8), or an
    // empty text when the user cancelled.
    virtual std::string chooseFileToOpen(QWidget* owner, const FileFilter& filter,
                                         const FileDialogStart& start = {}) = 0;

    // Asks for a file to write. The default extension is added to a bare name,
    // replacing an existing file is confirmed first, and a read-only file is
    // not accepted. Returns the full path (UTF-8), or an empty text when the
    // user cancelled.
    virtual std::string chooseFileToSave(QWidget* owner, const FileFilter& filter,
                                         const FileDialogStart& start = {}) = 0;

    // Shows a message with an OK button and returns when it is closed. `detail`
    // (may be empty) is shown below the text, for instance the reason of a
    // failure.
    virtual void showMessage(QWidget* owner, const std::string& text, const std::string& caption,
                             MessageIcon icon, const std::string& detail = {}) = 0;

    // Asks a question in a message box with one button per answer, in the
    // given order, labelled "Save", "Discard", "Cancel", "Restore" or
    // "Generate"; `defaultAnswer` is the button that Enter presses. Escape and
    // the close box answer Cancel when it is offered and are refused
    // otherwise. `detail` (may be empty) can be unfolded below the text.
    // Returns the answer of the pressed button.
    virtual Answer ask(QWidget* owner, const std::string& text, const std::string& caption,
                       const std::vector<Answer>& answers, Answer defaultAnswer,
                       const std::string& detail = {}) = 0;
    // Opens a local file (UTF-8 path) in the application the desktop uses for
    // its kind, without waiting for that application. False when no
    // application took it (the desktop's opener is given a moment to say so).
    virtual bool openDocument(const std::string& path) = 0;
};

} // namespace kes::editor
