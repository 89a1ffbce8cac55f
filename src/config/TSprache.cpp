#include "config/TSprache.h"

#include "config/ProgramFolder.h"

#include <QFile>

TSprache::TSprache()
    : m_units1000(9)
    , m_units1024(9)
{
}

bool TSprache::Laden(const QString& fileName)
{
    m_path = programFolder() + fileName;
    QFile f(m_path);
    bool ok = true;
    QByteArray data;
    if (f.exists()) {
        ok = f.open(QIODevice::ReadOnly);
        if (ok)
            data = f.readAll();
    }
    m_doc = IniDocument::parse(data);
    m_units1000.clear();
    m_units1024.clear();
    for (int n = 0; n <= 8; ++n) {
        m_units1000 << text(QStringLiteral("Quantities_1000"), QString::number(n));
        m_units1024 << text(QStringLiteral("Quantities_1024"), QString::number(n));
    }
    return ok;
}

QString TSprache::text(const QString& section, const QString& key) const
{
    return QString::fromUtf8(m_doc.value(section.toUtf8(), key.toUtf8()).value_or(QByteArray()));
}
