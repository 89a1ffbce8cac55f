#include "engine/CentralCheck.h"

#include "base/MachineIdentity.h"
#include "engine/CentralTexts.h"
#include "storage/CentralStatements.h"
#include "storage/PgError.h"

CentralCheck::CentralCheck(QString connectionString, TSprache sprache, PgConnection::Options options, QObject* parent)
    : QThread(parent)
    , m_connectionString(std::move(connectionString))
    , m_sprache(std::move(sprache))
    , m_options(options)
{
}

CentralCheck::~CentralCheck()
{
    requestInterruption();
    wait();
}

void CentralCheck::run()
{
    MachineIdentity machine;
    QString error;
    if (!MachineIdentity::read(machine, error)) {
        emit checked(false, CentralTexts::text(&m_sprache, QStringLiteral("MachineId")) + QLatin1Char(' ') + error);
        return;
    }
    PgConnection central(m_connectionString, m_options);
    central.setAbortCheck([this] { return isInterruptionRequested(); });
    try {
        central.open();
        CentralStatements::prepareTable(central);
        emit checked(true, CentralTexts::text(&m_sprache, QStringLiteral("Ok")) + QLatin1Char(' ') + central.target());
    } catch (const PgError& e) {
        if (e.kind() != PgError::Kind::Aborted)
            emit checked(false, CentralTexts::failure(&m_sprache, e.kind(), e.message()));
    }
}
