#include "reports/ReportFile.h"

#include "base/FileReplace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace {

[[noreturn]] void fail(const QString& path, const QString& reason)
{
    throw std::runtime_error(QStringLiteral("The report file \"%1\" cannot be written: %2").arg(path, reason).toStdString());
}

// Where `path` leads: links resolved where the file exists, else its clean absolute path.
QString whereItIs(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

// A mistyped path must not replace years of history (nor the journal the
// running monitor writes through).
bool isDatabaseFile(const QString& path, const QString& databasePath)
{
    const QString target = whereItIs(path);
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        if (target == whereItIs(databasePath + QLatin1String(suffix)))
            return true;
    return false;
}

} // namespace

void writeReportFile(const QString& path, const QStringList& lines, const QString& databasePath)
{
    if (path.trimmed().isEmpty())
        fail(path, QStringLiteral("no file name is given"));
    if (QFileInfo(path).isDir())
        fail(path, QStringLiteral("it is a folder"));
    if (!databasePath.isEmpty() && isDatabaseFile(path, databasePath))
        fail(path, QStringLiteral("it is the traffic database the report reads"));
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
