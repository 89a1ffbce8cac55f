#include "base/ExceptionLog.h"

#include "base/SystemClock.h"
#include "base/ProgramFolder.h"

#include <QFile>
#include <QMutex>
#include <QMutexLocker>

#include <cxxabi.h>
#include <cstdlib>
#include <memory>
#include <optional>
#include <typeinfo>

namespace {

struct LogState
{
    QMutex mutex;
    std::optional<LogVersionTexts> versions;
    QString dbVersion;
    const Clock* clock = nullptr;
};

LogState& state()
{
    static LogState s;
    return s;
}

// One mutex for every write: a line (or block) goes out in one piece.
QMutex& fileMutex()
{
    static QMutex m;
    return m;
}

} // namespace

bool WriteLogLines(const QStringList& lines, const QString& path)
{
    try {
        QByteArray bytes;
        for (const QString& line : lines)
            bytes += line.toUtf8() + '\n';
        const QString target = path.isEmpty() ? programFile(QStringLiteral("error.txt")) : path;
        QMutexLocker lock(&fileMutex());
        QFile file(target);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
            return false;
        const bool written = file.write(bytes) == bytes.size();
        file.close();
        return written && file.error() == QFileDevice::NoError;
    } catch (...) {
        return false;
    }
}

bool WriteLogLine(const QString& text, const QString& path)
{
    return WriteLogLines(QStringList{text}, path);
}

QString logSeparatorLine() { return QString(64, QLatin1Char('#')); }

QString logTimeStamp()
{
    const Clock* clock = nullptr;
    {
        QMutexLocker lock(&state().mutex);
        clock = state().clock;
    }
    const Clock& c = clock ? *clock : SystemClock::instance();
    return c.now().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
}

void LogException(const QString& message, const QString& className, const QString& path)
{
    LogVersionTexts versions;
    QString dbVersion;
    {
        QMutexLocker lock(&state().mutex);
        if (!state().versions)
            return;
        versions = *state().versions;
        dbVersion = state().dbVersion;
    }
    WriteLogLines({QStringLiteral(" "),
                   logSeparatorLine(),
                   logTimeStamp(),
                   QStringLiteral("file_version:") + versions.fileVersion,
                   QStringLiteral("product_version:") + versions.productVersion,
                   QStringLiteral("file_comment:") + versions.comments,
                   QStringLiteral("db_version:") + dbVersion,
                   QStringLiteral("Fehlermeldung:") + message,
                   QStringLiteral("E->ClassName():") + className,
                   QStringLiteral(" ")},
                  path);
}

void LogException(const std::exception& e, const QString& prefix, const QString& path)
{
    LogException(prefix + QString::fromUtf8(e.what()), exceptionClassName(e), path);
}

QString exceptionClassName(const std::exception& e)
{
    const char* mangled = typeid(e).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
    return QString::fromLatin1(status == 0 && demangled ? demangled.get() : mangled);
}

void setLogVersionTexts(const LogVersionTexts& texts)
{
    QMutexLocker lock(&state().mutex);
    state().versions = texts;
}

void clearLogVersionTexts()
{
    QMutexLocker lock(&state().mutex);
    state().versions.reset();
}

bool hasLogVersionTexts()
{
    QMutexLocker lock(&state().mutex);
    return state().versions.has_value();
}

void setLogDbVersion(const QString& dbVersion)
{
    QMutexLocker lock(&state().mutex);
    state().dbVersion = dbVersion;
}

QString logDbVersion()
{
    QMutexLocker lock(&state().mutex);
    return state().dbVersion;
}

void setLogClock(const Clock* clock)
{
    QMutexLocker lock(&state().mutex);
    state().clock = clock;
}
