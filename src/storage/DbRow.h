#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

// One result row; fields are found by column name without regard to case.
// Accessors throw DatabaseError for a missing column or a value that is not
// the asked-for kind.
class DbRow
{
public:
    DbRow() = default;
    DbRow(QStringList columns, QVariantList values);

    const QStringList& columnNames() const { return m_columns; }
    const QVariantList& values() const { return m_values; }
    bool hasColumn(const QString& name) const;

    QVariant value(const QString& name) const;
    bool isNull(const QString& name) const;
    QString text(const QString& name) const;
    // Whole numbers; NULL reads as 0, a REAL is rounded, numeric text is parsed.
    qint64 toInt64(const QString& name) const;
    // NULL reads as 0; numeric text is parsed (C locale).
    double toDouble(const QString& name) const;

private:
    int indexOf(const QString& name) const;

    QStringList m_columns;
    QVariantList m_values;
};
