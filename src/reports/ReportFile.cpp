#include "reports/ReportFile.h"

#include "config/FileReplace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace {

[[noreturn]] void fail(const QString& path, const QString& reason)
{
    throw std::runtime_error(QStringLiteral("The report file \"%1\" cannot be written: %2").arg(path, reason).toStdString());
}

} // namespace

void writeReportFile(const QString& path, const QStringList& lines)
{
    if (path.trimmed().isEmpty())
        fail(path, QStringLiteral("no file name is given"));
    if (QFileInfo(path).isDir())
        fail(path, QStringLiteral("it is a folder"));
    QByteArray bytes;
    qsizetype size = 0;
    for (const QString& line : lines)
        size += line.size() + 2;
    bytes.reserve(size + size / 8);
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    QString error;
    if (!replaceFile(path, bytes, false, &error))
        fail(path, error);
}

bool layDownStyleSheet(const QString& reportPath)
{
    const QString target = QFileInfo(reportPath).absoluteDir().filePath(QStringLiteral("style.css"));
    if (QFileInfo::exists(target))
        return true;
    QFile in(QStringLiteral(":/shipped/style.css"));
    // One that appeared meanwhile is not replaced either.
    return in.open(QIODevice::ReadOnly) && createFile(target, in.readAll());
}
