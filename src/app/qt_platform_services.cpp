#include "app/qt_platform_services.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include <algorithm>

namespace kes::editor {
namespace {

QString qText(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

// Qt reads the patterns from the last parenthesised part of a filter; make
// sure the filter ends with the pattern even when its description doesn't.
QString nameFilter(const FileFilter& filter)
{
    QString text = qText(filter.description);
    const QString suffix = "(" + qText(filter.pattern) + ")";
    if (!text.endsWith(suffix))
        text += " " + suffix;
    return text;
}

// True for an existing file that must not be replaced: one this user may not
// write, or one that nobody may write. Files are saved by renaming a new file
// over the old one, which would replace such a file all the same.
bool isReadOnlyFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return false;
    const QFile::Permissions anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return !info.isWritable() || !(info.permissions() & anyWrite);
}

QMessageBox::Icon boxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

std::string runFileDialog(QWidget* owner, const FileFilter& filter, QFileDialog::AcceptMode mode,
                          const FileDialogStart& start)
{
    QFileDialog dialog(owner);
    if (!start.folder.empty())
        dialog.setDirectory(qText(start.folder));
    if (!start.suggestedName.empty())
        dialog.selectFile(qText(start.suggestedName));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setNameFilter(nameFilter(filter));
    dialog.setDefaultSuffix(qText(filter.defaultExtension));
    // Saving over an existing file is confirmed by the dialog itself
    // (QFileDialog asks unless told not to).
    while (dialog.exec() == QDialog::Accepted) {
        const QStringList files = dialog.selectedFiles();
        if (files.isEmpty())
            return {};
        // A read-only file is not accepted as the file to save: say so and
        // ask again.
        if (mode == QFileDialog::AcceptSave && isReadOnlyFile(files.first())) {
            QMessageBox::warning(&dialog, dialog.windowTitle(),
                                 QDir::toNativeSeparators(files.first())
                                     + "\nThis file is read-only. Choose another name.");
            continue;
        }
        return files.first().toStdString();
    }
    return {};
}

} // namespace

std::string QtPlatformServices::chooseFileToOpen(QWidget* owner, const FileFilter& filter,
                                                 const FileDialogStart& start)
{
    return runFileDialog(owner, filter, QFileDialog::AcceptOpen, start);
}

std::string QtPlatformServices::chooseFileToSave(QWidget* owner, const FileFilter& filter,
                                                 const FileDialogStart& start)
{
    return runFileDialog(owner, filter, QFileDialog::AcceptSave, start);
}

void QtPlatformServices::showMessage(QWidget* owner, const std::string& text, const std::string& caption,
                                     MessageIcon icon, const std::string& detail)
{
    QMessageBox box(boxIcon(icon), qText(caption), qText(text), QMessageBox::Ok, owner);
    if (!detail.empty())
        box.setInformativeText(qText(detail));
    box.exec();
}

Answer QtPlatformServices::ask(QWidget* owner, const std::string& text, const std::string& caption,
                               const std::vector<Answer>& answers, Answer defaultAnswer, const std::string& detail)
{
    QMessageBox box(QMessageBox::Question, qText(caption), qText(text), QMessageBox::NoButton, owner);
    if (!detail.empty())
        box.setDetailedText(qText(detail));
    std::vector<std::pair<QAbstractButton*, Answer>> buttons;
    for (Answer answer : answers) {
        QPushButton* button = nullptr;
        switch (answer) {
        case Answer::Save:
            button = box.addButton(QStringLiteral("Save"), QMessageBox::AcceptRole);
            break;
        case Answer::Discard:
            button = box.addButton(QStringLiteral("Discard"), QMessageBox::DestructiveRole);
            break;
        case Answer::Cancel:
            button = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
            box.setEscapeButton(button);
            break;
        case Answer::Restore:
            button = box.addButton(QStringLiteral("Restore"), QMessageBox::AcceptRole);
            break;
        case Answer::Generate:
            button = box.addButton(QStringLiteral("Generate"), QMessageBox::AcceptRole);
            break;
        }
        if (answer == defaultAnswer)
            box.setDefaultButton(button);
        buttons.emplace_back(button, answer);
    }
    for (;;) {
        box.exec();
        for (const auto& [button, answer] : buttons)
            if (box.clickedButton() == button)
                return answer;
        // Closed without a button: only possible when Cancel is offered.
        if (std::find(answers.begin(), answers.end(), Answer::Cancel) != answers.end())
            return Answer::Cancel;
    }
}

bool QtPlatformServices::openDocument(const std::string& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(qText(path)));
}

} // namespace kes::editor
