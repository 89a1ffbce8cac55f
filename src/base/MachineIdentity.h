#pragma once

#include <QString>

// Who this machine is in a fleet: the systemd machine id (stable across renames and
// address changes) and the host name people know it by.
struct MachineIdentity
{
    QString id;
    QString hostName;

    // The id from /etc/machine-id, or from NETZPEGEL_MACHINE_ID when that is set (tests
    // give each program folder a machine of its own). False, with the reason in `error`,
    // when the id is missing, empty or not a plain line of text.
    static bool read(MachineIdentity& out, QString& error, const QString& idFile = QStringLiteral("/etc/machine-id"));
};
