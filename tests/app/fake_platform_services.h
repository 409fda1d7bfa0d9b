// Platform services that answer file dialogs from a script and record every
// request and message, so that tests can drive the editor without windows.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/platform_services.h"

namespace kes::editor_test {

using namespace kes::editor;

struct FileRequest {
    bool save = false; // a save-file dialog; otherwise an open-file dialog
    FileFilter filter;
    FileDialogStart start;
};

struct RecordedQuestion {
    std::string text;
    std::string caption;
    std::vector<Answer> answers;
    Answer defaultAnswer = Answer::Cancel;
    std::string detail;
};

struct RecordedMessage {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::Information;
    std::string detail;
};

class FakePlatformServices : public PlatformServices {
public:
    // Answers of the next file dialogs, in order; "" stands for Cancel. A
    // dialog with no answer left is cancelled.
    std::deque<std::string> fileAnswers;
    std::vector<FileRequest> fileRequests;
    std::vector<RecordedMessage> messages;
    // Answers of the next questions, in order. A question with no answer
    // left is answered Cancel, or its first button when Cancel is not offered.
    std::deque<Answer> answers;
    std::vector<RecordedQuestion> questions;
    // Runs as each message is shown, before it is recorded (may be empty).
    std::function<void()> onMessage;
    // Documents opened, in order, and what opening them answers.
    std::vector<std::string> openedDocuments;
    bool documentsOpen = true;

    std::string chooseFileToOpen(QWidget*, const FileFilter& filter, const FileDialogStart& start) override
    {
        return answer(false, filter, start);
    }
    std::string chooseFileToSave(QWidget*, const FileFilter& filter, const FileDialogStart& start) override
    {
        return answer(true, filter, start);
    }

    void showMessage(QWidget*, const std::string& text, const std::string& caption, MessageIcon icon,
                     const std::string& detail) override
    {
        if (onMessage)
            onMessage();
        messages.push_back({text, caption, icon, detail});
    }

    Answer ask(QWidget*, const std::string& text, const std::string& caption, const std::vector<Answer>& offered,
               Answer defaultAnswer, const std::string& detail) override
    {
        questions.push_back({text, caption, offered, defaultAnswer, detail});
        if (!answers.empty()) {
            const Answer given = answers.front();
            answers.pop_front();
            return given;
        }
        for (Answer each : offered)
            if (each == Answer::Cancel)
                return Answer::Cancel;
        return offered.empty() ? Answer::Cancel : offered.front();
    }

    bool openDocument(const std::string& path) override
    {
        openedDocuments.push_back(path);
        return documentsOpen;
    }

private:
    std::string answer(bool save, const FileFilter& filter, const FileDialogStart& start)
    {
        fileRequests.push_back({save, filter, start});
        if (fileAnswers.empty())
            return {};
        std::string path = fileAnswers.front();
        fileAnswers.pop_front();
        return path;
    }
};

} // namespace kes::editor_test
