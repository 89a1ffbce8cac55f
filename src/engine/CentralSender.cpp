#include "engine/CentralSender.h"

#include "base/ExceptionLog.h"
#include "engine/CentralTexts.h"
#include "engine/CentralWorker.h"
#include "engine/TrafficEngine.h"
#include "storage/Database.h"

CentralSender::CentralSender(TrafficEngine& engine, const TSprache* sprache, Options options, QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_sprache(sprache)
    , m_options(std::move(options))
{
    QString error;
    if (!MachineIdentity::read(m_machine, error, m_options.machineIdFile)) {
        log(QStringLiteral("MachineId"), CentralTexts::text(m_sprache, QStringLiteral("MachineId")) + QLatin1Char(' ') + error);
        return;
    }
    if (!PgConnection::isConnectionString(m_options.connectionString, &error)) {
        log(QStringLiteral("BadConnectionString"),
            CentralTexts::failure(m_sprache, PgError::Kind::BadConnectionString, error));
        return;
    }
    m_target = CentralUpload::targetKey(m_options.connectionString, m_machine.id);
    // Tests of the executable cannot wait minutes for a retry.
    bool testing = false;
    const int testingMs = qEnvironmentVariableIntValue("NETZPEGEL_CENTRAL_RETRY_MS", &testing);
    if (testing && testingMs > 0)
        m_options.firstRetryMs = m_options.maxRetryMs = testingMs;
    CentralWorker::Options w;
    w.connectionString = m_options.connectionString;
    w.databasePath = Database::programDatabasePath();
    w.firstRetryMs = m_options.firstRetryMs;
    w.maxRetryMs = m_options.maxRetryMs;
    w.connection = m_options.connection;
    m_worker = new CentralWorker(w, this);
    connect(m_worker, &CentralWorker::failed, this, &CentralSender::onFailed);
    connect(m_worker, &CentralWorker::sent, this, &CentralSender::onSent);
    connect(&m_engine, &TrafficEngine::minuteChecked, this, [this] { requestSend(false); });
    connect(&m_engine, &TrafficEngine::cacheWritten, this, [this] { requestSend(true); });
    m_worker->start();
    // What earlier runs could not send goes out now.
    requestSend(true);
}

CentralSender::~CentralSender() { stop(); }

void CentralSender::stop()
{
    if (!m_worker)
        return;
    disconnect(&m_engine, nullptr, this, nullptr);
    m_worker->stop();
    delete m_worker;
    m_worker = nullptr;
}

void CentralSender::requestSend(bool includeToday)
{
    if (!m_worker)
        return;
    UploadRequest r;
    r.machine = m_machine;
    r.target = m_target;
    r.today = m_engine.Tagesdatum;
    r.includeToday = includeToday;
    for (const TNic* nic : m_engine.entries()) {
        r.adapters.push_back({nic->Index, nic->Name, nic->Mac});
        r.running.insert(nic->Index, {nic->get_gesamt_received(), nic->get_gesamt_send()});
    }
    // Rows that can still change stay owed: today's, and a day whose booking is owed.
    r.completeThrough = m_engine.Tagesdatum.addDays(-1);
    if (const QDate owed = m_engine.earliestOwedDay(); owed.isValid())
        r.completeThrough = std::min(r.completeThrough, owed.addDays(-1));
    m_worker->submit(r);
}

void CentralSender::onSent(qint64 rowsSent, qint64 rowsChanged, const QStringList& skipped)
{
    for (const QString& s : skipped)
        log(QStringLiteral("Skipped ") + s.section(QLatin1Char(' '), 0, 0),
            CentralTexts::failure(m_sprache, PgError::Kind::BadValue, s));
    emit sent(rowsSent, rowsChanged);
}

void CentralSender::onFailed(int kind, const QString& detail)
{
    const QString text = kind < 0 ? CentralTexts::text(m_sprache, QStringLiteral("Lokal")) + QLatin1Char(' ') + detail
                                  : CentralTexts::failure(m_sprache, static_cast<PgError::Kind>(kind), detail);
    log(QString::number(kind), text + QLatin1Char(' ') + CentralTexts::text(m_sprache, QStringLiteral("Spaeter")));
    emit failed(text);
}

void CentralSender::log(const QString& key, const QString& text)
{
    const QDate day = m_engine.Tagesdatum.isValid() ? m_engine.Tagesdatum : QDate::currentDate();
    if (m_loggedOn.value(key) == day)
        return;
    m_loggedOn.insert(key, day);
    if (m_options.log)
        m_options.log(text);
    else
        LogException(text, QStringLiteral("Zentrale"));
}
