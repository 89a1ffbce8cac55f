#include "support/XhtmlCheck.h"

#include <QProcess>

QString xhtmlProblems(const QString& path)
{
    QProcess lint;
    lint.start(QStringLiteral("xmllint"), {QStringLiteral("--noout"), QStringLiteral("--valid"),
                                           QStringLiteral("--nonet"), path});
    if (!lint.waitForFinished(60000))
        return QStringLiteral("xmllint did not run: ") + lint.errorString();
    const QString output = QString::fromUtf8(lint.readAllStandardError() + lint.readAllStandardOutput());
    if (lint.exitStatus() != QProcess::NormalExit || lint.exitCode() != 0)
        return output.isEmpty() ? QStringLiteral("xmllint failed") : output;
    return {};
}
