#include "reports/ReportFile.h"

#include "base/FileReplace.h"
#include "config/DetailText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace {

// `key`'s text in section "Details" names the file as %1 and, for an error of the system, its text as %2.
[[noreturn]] void fail(const char* key, const QString& english, const QString& path, const QString& error = {})
{
    const QStringList args{path, error};
    throw DetailError({QString::fromLatin1(key), args,
                       fillDetail(QStringLiteral("The report file \"%1\" cannot be written: ") + english, args)});
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
        fail("ReportNoName", QStringLiteral("no file name is given"), path);
    if (QFileInfo(path).isDir())
        fail("ReportIsFolder", QStringLiteral("it is a folder"), path);
    if (!databasePath.isEmpty() && isDatabaseFile(path, databasePath))
        fail("ReportIsDatabase", QStringLiteral("it is the traffic database the report reads"), path);
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
        fail("ReportNotWritten", QStringLiteral("%2"), path, error);
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
