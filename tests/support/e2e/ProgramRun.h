#pragma once

#include "support/e2e/NetnsSandbox.h"

#include <QProcess>
#include <QString>
#include <functional>

// One run of the real executable inside a test's namespace, with messages on
// standard error instead of boxes, offscreen, and the cache written every
// `cacheIntervalMs`. A run still going when the object goes is killed.
class ProgramRun
{
public:
    // Bound of every wait, never reached when all is well; above the program's
    // database busy timeout for each of a few writes.
    static constexpr int kWaitMs = 60000;

    ProgramRun(const NetnsSandbox& sandbox, const QString& home, int cacheIntervalMs = 100);
    // Another executable (an installed one), or a different environment: each
    // variable of `environment` is set over the defaults, and one set to the
    // empty text is removed (NETZPEGEL_HOME, to run as an installed program). `arguments` go
    // to the program (--service).
    ProgramRun(const NetnsSandbox& sandbox, const QString& home, const QString& executable,
               const QProcessEnvironment& environment, const QStringList& arguments = {});
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    qint64 pid() const { return m_process.processId(); }
    bool running() const { return m_process.state() != QProcess::NotRunning; }

    // True once the program catches SIGTERM: the window is built and a signal books.
    bool waitUntilReady();
    // Polls `condition` while the program runs; false when the program ended first
    // or the bound (`ms`) passed.
    bool waitUntil(const std::function<bool()>& condition, int ms = kWaitMs);
    // Lets the program run on for `ms`; false when it ended meanwhile.
    bool runFor(int ms);

    // SIGTERM or SIGKILL, then waits for the end; true when the program ended.
    bool terminate();
    bool kill();
    bool waitForExit();
    bool exitedCleanly() const;
    int exitCode() const { return m_process.exitCode(); }
    QString errorOutput();
    // Whether the running program has a file mapped whose path contains `name` (a library it loaded).
    bool hasMapped(const QString& name) const;

private:
    bool pause(); // false when the program has ended meanwhile

    QProcess m_process;
    QByteArray m_stderr;
};
