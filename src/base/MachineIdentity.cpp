#include "base/MachineIdentity.h"

#include <QFile>
#include <QSysInfo>

namespace {

constexpr qsizetype kMaxIdLength = 128;

bool plainText(const QString& text)
{
    for (const QChar c : text)
        if (!c.isPrint() || c.isSpace())
            return false;
    return true;
}

} // namespace

bool MachineIdentity::read(MachineIdentity& out, QString& error, const QString& idFile)
{
    QString id;
    QString source;
    if (qEnvironmentVariableIsSet("NETZPEGEL_MACHINE_ID")) {
        id = qEnvironmentVariable("NETZPEGEL_MACHINE_ID").trimmed();
        source = QStringLiteral("NETZPEGEL_MACHINE_ID");
    } else {
        source = idFile;
        QFile f(idFile);
        if (!f.open(QIODevice::ReadOnly)) {
            error = QStringLiteral("the machine id cannot be read from %1: %2").arg(idFile, f.errorString());
            return false;
        }
        // One line is all it holds; a huge file is no machine id.
        id = QString::fromUtf8(f.read(kMaxIdLength + 2)).trimmed();
    }
    if (id.isEmpty()) {
        error = QStringLiteral("the machine id in %1 is empty").arg(source);
        return false;
    }
    if (id.size() > kMaxIdLength || !plainText(id)) {
        error = QStringLiteral("%1 holds no machine id (one word of at most %2 characters)").arg(source).arg(kMaxIdLength);
        return false;
    }
    out.id = id;
    out.hostName = QSysInfo::machineHostName();
    return true;
}
