// The platform services on Qt: QFileDialog and QMessageBox.
#pragma once

#include "app/platform_services.h"

namespace kes::editor {

class QtPlatformServices : public PlatformServices {
public:
    std::string chooseFileToOpen(QWidget* owner, const FileFilter& filter, const FileDialogStart& start = {}) override;
    std::string chooseFileToSave(QWidget* owner, const FileFilter& filter, const FileDialogStart& start = {}) override;
    void showMessage(QWidget* owner, const std::string& text, const std::string& caption,
                     MessageIcon icon, const std::string& detail) override;
    Answer ask(QWidget* owner, const std::string& text, const std::string& caption,
               const std::vector<Answer>& answers, Answer defaultAnswer, const std::string& detail = {}) override;
    bool openDocument(const std::string& path) override;
};

} // namespace kes::editor
