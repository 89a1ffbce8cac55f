#include "storage/DbRow.h"

#include "storage/DatabaseError.h"

#include <cmath>
#include <limits>

DbRow::DbRow(QStringList columns, QVariantList values)
    : m_columns(std::move(columns))
    , m_values(std::move(values))
{
}

int DbRow::indexOf(const QString& name) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool DbRow::hasColumn(const QString& name) const { return indexOf(name) >= 0; }

QVariant DbRow::value(const QString& name) const
{
    const int i = indexOf(name);
    if (i < 0 || i >= m_values.size())
        throw DatabaseError(QStringLiteral("no column '%1' in the result").arg(name));
    return m_values[i];
}

bool DbRow::isNull(const QString& name) const { return value(name).isNull(); }

QString DbRow::text(const QString& name) const
{
    const QVariant v = value(name);
    if (v.isNull())
        return {};
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 17);
    return v.toString();
}

double DbRow::toDouble(const QString& name) const
{
    const QVariant v = value(name);
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return 0;
    case QMetaType::LongLong:
        return static_cast<double>(v.toLongLong());
    case QMetaType::Double:
        return v.toDouble();
    default: {
        bool ok = false;
        const double d = v.toString().trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(d))
            throw DatabaseError(QStringLiteral("column '%1' holds '%2', which is not a number")
                                    .arg(name, v.toString()));
        return d;
    }
    }
}

qint64 DbRow::toInt64(const QString& name) const
{
    const QVariant v = value(name);
    if (v.typeId() == QMetaType::LongLong)
        return v.toLongLong();
    if (v.typeId() == QMetaType::QString) {
        bool ok = false;
        const qint64 n = v.toString().trimmed().toLongLong(&ok);
        if (ok)
            return n;
    }
    const double d = std::round(toDouble(name));
    // 2^63 itself is not representable as qint64; stay strictly inside. Written
    // so that NaN fails the test too: converting it would be undefined.
    if (!(d < 9223372036854775808.0 && d >= -9223372036854775808.0))
        throw DatabaseError(QStringLiteral("column '%1' holds a number out of range").arg(name));
    return static_cast<qint64>(d);
}
