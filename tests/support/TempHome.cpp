#include "support/TempHome.h"

#include <QFile>

TempHome::TempHome()
    : m_previous(qgetenv("NETZPEGEL_HOME"))
    , m_hadPrevious(qEnvironmentVariableIsSet("NETZPEGEL_HOME"))
{
    qputenv("NETZPEGEL_HOME", m_dir.path().toUtf8());
}

TempHome::~TempHome()
{
    if (m_hadPrevious)
        qputenv("NETZPEGEL_HOME", m_previous);
    else
        qunsetenv("NETZPEGEL_HOME");
}

QString TempHome::folder() const { return m_dir.path() + '/'; }

QString TempHome::file(const QString& name) const { return folder() + name; }

void TempHome::write(const QString& name, const QByteArray& content) const
{
    QFile f(file(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
}

QByteArray TempHome::read(const QString& name) const
{
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
