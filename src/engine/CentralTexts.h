#pragma once

#include "storage/PgError.h"

#include <QString>

class TSprache;

// The user's words about the central database, from the language file (section "Zentrale").
namespace CentralTexts {

// `key` of the section; the key itself without a language file.
QString text(const TSprache* sprache, const QString& key);
// A failure: what it means in plain words, then libpq's or the server's own.
QString failure(const TSprache* sprache, PgError::Kind kind, const QString& detail);

} // namespace CentralTexts
