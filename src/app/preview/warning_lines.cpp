#include "app/preview/warning_lines.h"

#include <QFileInfo>
#include <QStringList>

namespace kes::editor {
namespace {

// More lines than this in the tooltip of the last line are counted only.
constexpr int kTipLines = 10;

QString lineText(const FileWarnings& file)
{
    const QString path = QString::fromStdString(file.file);
    return QStringLiteral("layer %1, %2: %3 reader warning%4")
        .arg(file.layer + 1)
        .arg(QFileInfo(path).fileName(), QString::number(file.count), file.count == 1 ? "" : "s");
}

} // namespace

std::vector<WarningLine> warningLines(const std::vector<FileWarnings>& files, int shown)
{
    std::vector<WarningLine> lines;
    const int count = static_cast<int>(files.size());
    // "and 1 more file" would take the room of the file's own line.
    const int named = count <= shown + 1 ? count : shown;
    for (int i = 0; i < named; ++i) {
        const FileWarnings& file = files[static_cast<std::size_t>(i)];
        QString tip = QString::fromStdString(file.file) + "\n" + QString::fromStdString(formatWarning(file.first));
        if (file.count > 1)
            tip += QStringLiteral("\nand %1 more").arg(file.count - 1);
        lines.push_back({lineText(file), tip});
    }
    if (named < count) {
        QStringList others;
        for (int i = named; i < count && others.size() < kTipLines; ++i)
            others << lineText(files[static_cast<std::size_t>(i)]);
        if (count - named > kTipLines)
            others << QStringLiteral("and %1 more").arg(count - named - kTipLines);
        lines.push_back({QStringLiteral("and %1 more files with reader warnings").arg(count - named), others.join('\n')});
    }
    return lines;
}

} // namespace kes::editor
