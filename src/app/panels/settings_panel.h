// The level's settings in the dialog: seven edits that show the document's
// settings and turn typing into edits of it, one undo step per edited field
// (a field's typing is one continuous edit, closed when it loses the focus).
#pragma once

#include <array>

#include <QObject>

#include "app/main_dialog_controls.h"
#include "document/level_document.h"

class QLineEdit;

namespace kes::editor {

class SettingsPanel : public QObject {
    Q_OBJECT

public:
    SettingsPanel(LevelDocument& document, const MainDialogControls& controls, QObject* parent = nullptr);

    // What "Generate Level..." needs: title, author and both version numbers
    // not empty; the start position six numbers, the background colour three
    // and the frames to use L/R not empty.
    bool readyToGenerate() const;
    void updateMarks();

private:
    void typed(Setting setting);
    void showSettings();

    LevelDocument& document_;
    std::array<QLineEdit*, kSettingCount> fields_;
    bool showing_ = false; // texts set now are not edits
};

} // namespace kes::editor
