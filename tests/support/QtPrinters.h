#pragma once

#include <QByteArray>
#include <QString>
#include <ostream>

// Readable Qt strings in GoogleTest failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
