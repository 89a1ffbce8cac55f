#include "engine/PlanCommand.h"

#include "base/ExceptionLog.h"

#include <QProcess>
#include <QTimer>

void startPlanCommand(const QString& command, const QStringList& arguments, QObject* parent, int limitMs)
{
    QStringList words = QProcess::splitCommand(command);
    if (words.isEmpty())
        return;
    auto* process = new QProcess(parent);
    process->setProgram(words.takeFirst());
    process->setArguments(words + arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    auto* limit = new QTimer(process);
    limit->setSingleShot(true);
    QObject::connect(limit, &QTimer::timeout, process, [process, limitMs] {
        LogException(QStringLiteral("%1 still ran after %2 s and was ended").arg(process->program()).arg(limitMs / 1000),
                     QStringLiteral("PlanCommand"));
        process->kill();
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            LogException(QStringLiteral("%1 could not be started: %2").arg(process->program(), process->errorString()),
                         QStringLiteral("PlanCommand"));
            process->deleteLater();
        }
    });
    QObject::connect(process, &QProcess::finished, process, [process] { process->deleteLater(); });
    process->start();
    limit->start(limitMs);
}
