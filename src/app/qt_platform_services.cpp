#include "app/qt_platform_services.h"

#include <QFileDialog>
#include <QMessageBox>

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

std::string runFileDialog(QWidget* owner, const FileFilter& filter, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(owner);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setNameFilter(nameFilter(filter));
    dialog.setDefaultSuffix(qText(filter.defaultExtension));
    // Saving over an existing file is confirmed by the dialog itself
    // (QFileDialog asks unless told not to).
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? std::string() : files.first().toStdString();
}

} // namespace

std::string QtPlatformServices::chooseFileToOpen(QWidget* owner, const FileFilter& filter)
{
    return runFileDialog(owner, filter, QFileDialog::AcceptOpen);
}

std::string QtPlatformServices::chooseFileToSave(QWidget* owner, const FileFilter& filter)
{
    return runFileDialog(owner, filter, QFileDialog::AcceptSave);
}

void QtPlatformServices::showMessage(QWidget* owner, const std::string& text, const std::string& caption,
                                     MessageIcon icon, const std::string& detail)
{
    QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information,
                    qText(caption), qText(text), QMessageBox::Ok, owner);
    if (!detail.empty())
        box.setInformativeText(qText(detail));
    box.exec();
}

} // namespace kes::editor
