#pragma once

#include <QString>

#include <stdexcept>

// A failed database operation; the message names the file and the engine's reason.
class DatabaseError : public std::runtime_error
{
public:
    explicit DatabaseError(const QString& message);
    QString message() const;
};
