#include "document/recovery_copy.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "model/file_io.h"
#include "model/project_file.h"

namespace kes::editor {
namespace {

constexpr char kSourceSuffix[] = ".source"; // beside the copy: the level's file

QString qText(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

QString absolute(const std::string& path)
{
    return path.empty() ? QString() : QFileInfo(qText(path)).absoluteFilePath();
}

std::string sourcePathOf(const std::string& copyPath)
{
    return copyPath + kSourceSuffix;
}

// Held by a running editor: the lock names a process that still runs.
bool isInUse(const std::string& copyPath)
{
    return lockRecoveryCopy(copyPath) == nullptr;
}

std::string readSource(const std::string& copyPath)
{
    QFile file(qText(sourcePathOf(copyPath)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

// True when the copy holds work that its level's file doesn't: the file is
// gone, or was last changed before the copy was written.
bool isNewerThanItsProject(const RecoveryCopy& copy)
{
    if (copy.projectPath.empty())
        return true;
    const QFileInfo project(qText(copy.projectPath));
    return !project.exists() || project.lastModified() < copy.written;
}

} // namespace

std::string recoveryFolder()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return data.isEmpty() ? std::string() : (data + "/recovery").toStdString();
}

std::string recoveryCopyPath(const std::string& projectPath)
{
    if (recoveryFolder().empty())
        return {};
    QString name;
    if (projectPath.empty()) {
        name = "untitled-" + QString::number(QCoreApplication::applicationPid());
    } else {
        const QString full = absolute(projectPath);
        const QByteArray fingerprint =
            QCryptographicHash::hash(full.toUtf8(), QCryptographicHash::Sha1).toHex().left(8);
        name = QFileInfo(full).completeBaseName() + "-" + QString::fromLatin1(fingerprint);
    }
    return recoveryFolder() + "/" + name.toStdString() + ".kgp";
}

Status writeRecoveryCopy(const LevelProject& project, const std::string& projectPath, const std::string& copyPath)
{
    if (copyPath.empty())
        return Status::failure("there is no application data folder for recovery copies");
    if (!QDir().mkpath(QFileInfo(qText(copyPath)).absolutePath()))
        return Status::failure("cannot create the folder of '" + copyPath + "'");
    AtomicFile source;
    const std::string sourceText = absolute(projectPath).toStdString();
    Status status = source.open(sourcePathOf(copyPath));
    if (!status)
        return status;
    source.write(sourceText.data(), sourceText.size());
    status = source.commit();
    if (!status)
        return status;
    return saveProject(project, copyPath);
}

void removeRecoveryCopy(const std::string& copyPath)
{
    QFile::remove(qText(copyPath));
    QFile::remove(qText(sourcePathOf(copyPath)));
}

std::unique_ptr<QLockFile> lockRecoveryCopy(const std::string& copyPath)
{
    if (copyPath.empty())
        return nullptr;
    QDir().mkpath(QFileInfo(qText(copyPath)).absolutePath());
    auto lock = std::make_unique<QLockFile>(qText(copyPath + ".lock"));
    // Stale only when its process is gone, however long an editor runs.
    lock->setStaleLockTime(0);
    return lock->tryLock(0) ? std::move(lock) : nullptr;
}

std::optional<RecoveryCopy> recoveryCopyToOffer(const std::string& startupProjectPath)
{
    const QString wanted = absolute(startupProjectPath);
    std::optional<RecoveryCopy> offered;
    if (recoveryFolder().empty())
        return offered;
    const QDir folder(qText(recoveryFolder()));
    for (const QFileInfo& file : folder.entryInfoList({"*.kgp"}, QDir::Files)) {
        RecoveryCopy copy{file.absoluteFilePath().toStdString(), {}, file.lastModified()};
        copy.projectPath = readSource(copy.path);
        if (!isNewerThanItsProject(copy) || isInUse(copy.path))
            continue;
        if (!wanted.isEmpty()) {
            if (qText(copy.projectPath) == wanted)
                return copy;
            continue;
        }
        if (!offered || copy.written > offered->written)
            offered = copy;
    }
    return offered;
}

} // namespace kes::editor
