#include "reports/StatistikThread.h"

#include "reports/LocaleTexts.h"
#include "storage/Database.h"
#include "storage/DatabaseError.h"

StatistikThread::StatistikThread(QString databasePath, StatistikRequest request, int base, TSprache sprache,
                                 QObject* parent)
    : QThread(parent)
    , m_databasePath(std::move(databasePath))
    , m_request(std::move(request))
    , m_base(base)
    , m_sprache(std::move(sprache))
{
}

void StatistikThread::run()
{
    Database db(m_databasePath, Database::readOnlyOptions());
    db.setAbortCheck([this] { return isInterruptionRequested(); });
    try {
        const StatistikData data = queryStatistik(db, m_request);
        db.close();
        if (isInterruptionRequested())
            return;
        const StatistikView view = formatStatistik(data, m_base, m_sprache, LocaleTexts());
        m_completed = true;
        emit resultReady(view);
    } catch (const DatabaseError& e) {
        if (!isInterruptionRequested())
            emit queryFailed(e.message());
    }
}
