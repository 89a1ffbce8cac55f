#pragma once

#include "cli/ProgramFiles.h"

#include <QString>

class PgError;

// The central database as the settings name it, for the modes that fill or read it.
namespace CentralAccess {

// The connection string of the setting; false, with the reason in `error`, when there is
// none or it is no connection string.
bool connectionString(const ProgramFiles& files, QString& out, QString& error);

// A failure in plain words for a terminal, with libpq's or the server's own after them.
QString describe(const PgError& e);

} // namespace CentralAccess
