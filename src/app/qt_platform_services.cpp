#include "app/qt_platform_services.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
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

// How long the desktop's opener may take to say whether it found a program.
// An opener still running then runs the program it found (some wait for it).
constexpr int kOpenerAnswerMilliseconds = 2000;

// Runs `opener` on `path`; false when it can't start or ends with a failure.
bool runOpener(const QString& opener, const QString& path)
{
    // Owned by the application, so that an opener that waits for its
    // program is left to it, and freed once it ends.
    auto* process = new QProcess(QCoreApplication::instance());
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start(opener, {path});
    if (!process->waitForStarted()) {
        delete process;
        return false;
    }
    if (process->waitForFinished(kOpenerAnswerMilliseconds)) {
        const bool opened = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
        delete process;
        return opened;
    }
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    return true;
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
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS) && !defined(Q_OS_ANDROID)
    // QDesktopServices reports success as soon as the desktop's opener
    // starts, also when the opener then finds no program for the file (no
    // browser, no handler: it ends with status 3). So the opener is run here
    // and given a moment to say so.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!opener.isEmpty())
        return runOpener(opener, qText(path));
#endif
    return QDesktopServices::openUrl(QUrl::fromLocalFile(qText(path)));
}

} // namespace kes::editor
