#include "engine/TrafficEngine.h"

#include "acquisition/DialupSampling.h"
#include "acquisition/InterfaceTable.h"
#include "acquisition/LinkWatch.h"
#include "base/Clock.h"
#include "base/ExceptionLog.h"
#include "base/ProgramFolder.h"
#include "config/DataPlan.h"
#include "config/IniFile.h"
#include "config/TSprache.h"
#include "engine/CounterCache.h"
#include "engine/DayRollover.h"
#include "engine/PlanAlertText.h"
#include "engine/PlanCommand.h"
#include "engine/Provisioning.h"
#include "engine/RestartCounters.h"
#include "engine/ShutdownBooking.h"
#include "storage/DBUpdates.h"
#include "storage/Database.h"
#include "storage/DatabaseError.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <limits>

namespace {

QTimer* namedTimer(QObject* parent, const char* name, int interval)
{
    auto* t = new QTimer(parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setInterval(interval);
    return t;
}

QString cacheMessage(const QString& cachePath, const QString& backupPath)
{
    const QChar q = QLatin1Char('"');
    return QStringLiteral("Von Funktion ") + q + QStringLiteral("ReadCacheFromHDD(CacheDateiname)") + q
        + QStringLiteral(" (aufgerufen in ") + q
        + QStringLiteral("__fastcall TMainform::TMainform(TComponent* Owner) : TForm(Owner)") + q
        + QStringLiteral(") wurde der Wert 2 zurück gegeben. Die Cachedatei(") + q + cachePath + q
        + QStringLiteral(") wurde gesichert nach: ") + q + backupPath + q + QLatin1Char(' ');
}

int intervalMs(int seconds)
{
    return std::clamp(seconds, 1, INT_MAX / 1000) * 1000;
}

} // namespace

TrafficEngine::TrafficEngine(const EngineServices& services, QObject* parent)
    : QObject(parent)
    , m_services(services)
{
    setObjectName(QStringLiteral("Engine"));
    NicEngine = namedTimer(this, "NicEngine", 1000);
    DfuEngine = namedTimer(this, "DfuEngine", 1000);
    Datumsprueftimer = namedTimer(this, "Datumsprueftimer", 60000);
    CacheToHDDTimer = namedTimer(this, "CacheToHDDTimer", 0);
    connect(NicEngine, &QTimer::timeout, this, &TrafficEngine::NicEngineTimer);
    connect(DfuEngine, &QTimer::timeout, this, &TrafficEngine::DfuEngineTimer);
    connect(Datumsprueftimer, &QTimer::timeout, this, &TrafficEngine::DatumsprueftimerTimer);
    connect(CacheToHDDTimer, &QTimer::timeout, this, &TrafficEngine::CacheToHDDTimerTimer);
}

TrafficEngine::~TrafficEngine()
{
    release();
    // The log must not read a clock that goes with this engine.
    if (m_logClockSet)
        setLogClock(nullptr);
}

QString TrafficEngine::text(const QString& key) const
{
    return m_services.sprache ? m_services.sprache->error(key) : key;
}

bool TrafficEngine::tell(MessageSink::Icon icon, const QString& text)
{
    emit message(icon, text);
    return !m_closed;
}

QString TrafficEngine::entryText(const QString& key, const TNic& nic) const
{
    return text(key) + nic.Index + QLatin1Char('(') + nic.Name + QStringLiteral(") ") + text(QStringLiteral("Error10a"));
}

QString TrafficEngine::cachePath() const
{
    return programFolder() + CacheDateiname;
}

QString TrafficEngine::stateFileBase() const
{
    return CacheDateiname.isEmpty() ? QStringLiteral("netzpegel") : CacheDateiname;
}

QDate TrafficEngine::earliestOwedDay() const
{
    QDate first;
    for (const PendingBookings::Booking& b : m_pending.bookings())
        if (!first.isValid() || b.day < first)
            first = b.day;
    return first;
}

std::vector<EntryLogState> TrafficEngine::logStates() const
{
    std::vector<EntryLogState> states;
    for (const TNic* nic : v)
        states.push_back(nic->logState());
    return states;
}

bool TrafficEngine::openDatabase()
{
    DBc = std::make_unique<Database>(Database::programDatabasePath());
    try {
        DBc->open();
    } catch (const DatabaseError& e) {
        // The file stays as it is; nothing can be booked without it.
        tell(MessageSink::Icon::Error, text(QStringLiteral("Error21")) + QLatin1Char('\n') + e.message());
        DBc.reset();
        return false;
    }
    switch (Check_and_Do_DBUpdate(*DBc, m_dbVersion)) {
    case 0: tell(MessageSink::Icon::Error, text(QStringLiteral("Error32"))); break;
    case 2: tell(MessageSink::Icon::Information, text(QStringLiteral("Error33"))); break;
    case 3: LogException(unknownDatabaseLogMessage(), QStringLiteral("Exception")); break;
    default: break;
    }
    return true;
}

bool TrafficEngine::readInterfaces(const EngineOptions& options, std::vector<IfRow>& rows)
{
    InterfaceTable* table = m_services.interfaceTable;
    return !options.nicEngine || (table && table->open() && table->read(rows));
}

void TrafficEngine::createEntries(const std::vector<IfRow>& rows, const EngineOptions& options)
{
    m_sonderModus = options.sonderModus;
    m_sampleContext.intervalMs = intervalMs(options.intervalSeconds);
    m_sampleContext.bewareOfTrafficDouble = options.bewareOfTrafficDouble;
    auto provision = [&](TNic* nic, const IfRow* row) {
        for (const QString& key : addEntry(nic, row, false))
            tell(MessageSink::Icon::Warning, text(key));
    };
    for (const IfRow& row : rows) {
        auto* nic = new TNic(&m_sampleContext);
        nic->setIdentity(row, m_sonderModus);
        provision(nic, &row);
    }
    if (options.dfuEngine) {
        auto* nic = new TNic(&m_sampleContext);
        nic->setDfuIdentity(m_services.sprache ? m_services.sprache->dfuName() : QString());
        provision(nic, nullptr);
    }
    DBc->close();
}

QStringList TrafficEngine::addEntry(TNic* nic, const IfRow* row, bool adopted)
{
    nic->setDatabase(DBc.get());
    nic->setClock(m_services.clock);
    // Adapters stand before the dial-up entry, which stays last.
    const size_t position = row && !v.empty() && v.back()->isDfu() ? v.size() - 1 : v.size();
    v.insert(v.begin() + static_cast<std::ptrdiff_t>(position), nic);
    const ProvisioningResult result = provisionEntry(*DBc, *nic, row);
    emit entryAdded(static_cast<int>(position), result.tablesCreated, adopted);
    return result.warnings;
}

QStringList TrafficEngine::adoptInterfaces(const std::vector<IfRow>& rows)
{
    QStringList warnings;
    if (rows.empty() || !DBc || m_closed)
        return warnings;
    for (const IfRow& row : rows) {
        auto* nic = new TNic(&m_sampleContext);
        nic->setIdentity(row, m_sonderModus);
        warnings += addEntry(nic, &row, true);
        // As a start would: counters saved for it in this boot go on, owed days are booked.
        if (m_restartCounters)
            m_restartCounters->restore(*nic, row);
        m_pending.adopt(nic);
        if (nic->anzeigen_live || nic->anzeigen_graph)
            feedRow(*nic, row);
    }
    emit entriesAdopted();
    if (!m_plans.empty() || !readDataPlans(m_services.clock->today(), settingsFilePath()).empty())
        reloadPlans(); // a plan may wait for this adapter
    return warnings;
}

void TrafficEngine::start(const std::vector<IfRow>& rows, const EngineOptions& options)
{
    NicEngine->setInterval(intervalMs(options.intervalSeconds));
    m_nicWanted = options.nicEngine;
    m_dfuWanted = options.dfuEngine;
    if (options.nicEngine)
        NicEngine->start();
    else if (m_services.interfaceTable)
        m_services.interfaceTable->close();
    Datumsprueftimer->start();
    CacheIntervalEditChange(options.cacheIntervalText);
    if (options.dfuEngine)
        DfuEngine->start();
    Tagesdatum = m_services.clock->today();
    setLogClock(m_services.clock);
    m_logClockSet = true;
    try {
        CacheDateiname = IniReadString(QStringLiteral("Variablen"), QStringLiteral("CacheDateiname"), variablesFilePath());
    } catch (const IniError& e) {
        LogException(e, QStringLiteral("variables.conf: ")); // the cache stays off
    }
    restoreCache(rows);
    m_base = options.base;
    m_started = true;
    // A level crossed by the last run's final booking alerts now.
    reloadPlans();
    reviewRest();
}

void TrafficEngine::reloadPlans()
{
    if (!DBc || m_closed)
        return;
    m_plans.load(v, *DBc, m_services.clock->now(), settingsFilePath());
    checkPlans();
}

void TrafficEngine::checkPlans()
{
    if (!DBc || m_plans.empty())
        return;
    for (const PlanAlert& alert : m_plans.check(m_services.clock->now(), Tagesdatum, *DBc)) {
        const TSprache* sprache = m_services.sprache;
        if (sprache)
            LogException(planAlertSummary(alert, *sprache) + QStringLiteral(": ") + planAlertBody(alert, *sprache, m_base),
                         QStringLiteral("DataPlan"));
        const PlanUsage& u = alert.usage;
        if (!alert.befehl.isEmpty())
            startPlanCommand(alert.befehl,
                             {u.table, u.name, QString::number(alert.level), QString::number(u.used),
                              QString::number(u.limit)},
                             this);
        emit planAlert(alert);
        if (m_closed)
            return;
    }
}

void TrafficEngine::restoreCache(const std::vector<IfRow>& rows)
{
    QByteArray cacheOnDisk;
    if (QFile f(cachePath()); !QFileInfo(cachePath()).isDir() && f.open(QIODevice::ReadOnly))
        cacheOnDisk = f.readAll();
    m_pending.attachFile(programFolder() + stateFileBase() + QStringLiteral(".pending"), v);
    m_restartCounters = std::make_unique<RestartCounters>(programFolder() + stateFileBase() + QStringLiteral(".counters"),
                                                          m_services.bootIdPath);
    m_restartCounters->load(cacheOnDisk);
    // The cache's groups go to their adapters by Index, wherever they stand now.
    CounterCache::Owners owners{m_restartCounters->cacheOwners(), DBc.get()};
    QDate cacheDay;
    const int cache = CounterCache::read(cachePath(), v, Tagesdatum, m_pending, &cacheDay, &owners);
    if (cache == CounterCache::DoesNotFit || cache == CounterCache::Unreadable) {
        // Kept aside before the next write replaces it, so no total is lost.
        const QString first = CounterCache::backupPath(programFolder(), CacheDateiname, Tagesdatum);
        QString backup = first;
        for (int n = 2; QFile::exists(backup); ++n)
            backup = first + QLatin1Char('_') + QString::number(n); // never over an earlier backup
        QFile::copy(cachePath(), backup);
        if (cache == CounterCache::DoesNotFit) {
            LogException(cacheMessage(cachePath(), backup), QStringLiteral("Exception"));
            tell(MessageSink::Icon::Error, text(QStringLiteral("Error37")));
        } else {
            tell(MessageSink::Icon::Error, text(QStringLiteral("Error36")));
        }
    }
    m_restartCounters->restore(v, rows);
    const bool bookedFromCache = cache == CounterCache::Restored
        || (cache == CounterCache::Unreadable && cacheDay.isValid()); // groups before the bad one
    if ((bookedFromCache && cacheDay != Tagesdatum) || owners.bookedAbsent > 0) {
        // That day (or the totals of adapters gone since) is booked, or owed in
        // the pending file, now: a second crash must not find it in the cache again.
        persistBookedState();
    }
}

void TrafficEngine::NicEngineTimer()
{
    m_sampleContext.intervalMs = NicEngine->interval();
    QStringList warnings;
    try {
        // Interfaces that appeared since the last tick are taken on and sampled from now on.
        if (m_services.interfaceTable && m_sampler.sample(*m_services.interfaceTable, v))
            warnings = adoptInterfaces(m_sampler.appeared());
    } catch (const std::exception&) {
        if (!tell(MessageSink::Icon::Error, text(QStringLiteral("Error9"))))
            return; // closed while the message was open: the entries are gone
    }
    emit adaptersSampled();
    for (const QString& key : warnings)
        if (!tell(MessageSink::Icon::Warning, text(key)))
            return;
    reviewRest(); // an adopted interface may be shown
}

void TrafficEngine::DfuEngineTimer()
{
    if (v.empty() || !v.back()->isDfu() || !m_services.dialupSource || !m_services.sprache)
        return;
    QString status;
    bool ok = true;
    try {
        status = sampleDialup(*m_services.dialupSource, *v.back(), *m_services.sprache, &m_dialupConnected);
    } catch (const std::exception& e) {
        ok = false;
        m_dialupConnected = false;
        if (!tell(MessageSink::Icon::Error, text(QStringLiteral("Error19")) + QString::fromUtf8(e.what())))
            return;
    }
    emit dialupSampled(status, ok);
    reviewRest();
}

bool TrafficEngine::nothingToSample() const
{
    // A dial-up connection is counted whatever its entry shows.
    if (m_dfuWanted && m_dialupConnected)
        return false;
    for (const TNic* nic : v) {
        const bool ticking = nic->isDfu() ? m_dfuWanted : m_nicWanted;
        if (ticking && (nic->anzeigen_live || nic->anzeigen_graph))
            return false;
    }
    return m_nicWanted || m_dfuWanted;
}

void TrafficEngine::reviewRest()
{
    if (!m_started || m_stopped || !m_services.linkWatch)
        return;
    const bool rest = nothingToSample();
    if (rest == m_resting)
        return;
    if (rest) {
        // Hidden entries are not fed and no connection is up: a tick would only look for new
        // links, and the kernel tells of those itself. The engine then wakes only for the
        // minute's day check (the process also for its cache writes and the window's timers).
        if (!m_services.linkWatch->start([this] { linksChanged(); }))
            return;
        NicEngine->stop();
        DfuEngine->stop();
        m_resting = true;
        return;
    }
    m_services.linkWatch->stop();
    m_resting = false;
    if (m_nicWanted)
        NicEngine->start();
    if (m_dfuWanted)
        DfuEngine->start();
}

void TrafficEngine::linksChanged()
{
    // Sampled at once: a new adapter is taken on, a dial-up connection counted from its start.
    // Each tick wakes the timers again when it finds something to sample.
    if (m_nicWanted)
        NicEngineTimer();
    if (m_dfuWanted && !m_stopped)
        DfuEngineTimer();
}

void TrafficEngine::DatumsprueftimerTimer()
{
    const QDate before = Tagesdatum;
    const bool owed = !m_pending.isEmpty();
    const std::vector<TNic*> failed = rollOverDay(Tagesdatum, m_services.clock->today(), v, m_pending);
    // The booked totals must not come back from the cache or the counters file
    // after a crash; what was owed and is booked now neither.
    if (Tagesdatum != before || (owed && m_pending.isEmpty())) {
        persistBookedState();
        if (DBc)
            m_plans.refreshStored(*DBc); // the booked totals count as stored now
    }
    // Texts first: the window may close while a message is open.
    QStringList texts;
    for (TNic* nic : failed)
        texts << entryText(QStringLiteral("Error10"), *nic);
    for (const QString& t : texts)
        if (!tell(MessageSink::Icon::Error, t))
            return;
    checkPlans();
    if (m_closed)
        return;
    emit minuteChecked();
}

void TrafficEngine::persistBookedState()
{
    // The cache goes on with the new day's totals, or goes: one left from before
    // would bring booked totals back.
    if (CacheToHDDTimer->isActive() && Tagesdatum == m_services.clock->today()
        && replaceCache(CounterCache::content(v, Tagesdatum)))
        return;
    replaceCache({});
}

bool TrafficEngine::replaceCache(const QByteArray& content)
{
    return m_restartCounters ? m_restartCounters->replaceCache(v, cachePath(), content)
                             : CounterCache::replace(cachePath(), content);
}

void TrafficEngine::CacheToHDDTimerTimer()
{
    // Never write a past day's totals under the new date: book the day first,
    // which writes the cache itself.
    if (Tagesdatum != m_services.clock->today()) {
        DatumsprueftimerTimer();
        return;
    }
    if (replaceCache(CounterCache::content(v, m_services.clock->today())))
        emit cacheWritten();
}

void TrafficEngine::CacheIntervalEditChange(const QString& typed)
{
    // Read as the settings reader reads the key, so "0x0A" is 10 minutes here too.
    int minutes = 0;
    const bool ok = parseIniInteger(typed.toUtf8(), minutes);
    if (!typed.isEmpty() && (!ok || minutes > std::numeric_limits<int>::max() / 60000)) {
        // Too large for the timer: say so and keep the timer as it is.
        tell(MessageSink::Icon::Error, text(QStringLiteral("Error6")));
        return;
    }
    // "0", "00" or nothing: no cache writes (a 0 ms timer would write without pause).
    if (!ok || minutes <= 0) {
        CacheToHDDTimer->stop();
        return;
    }
    // Tests of the executable cannot wait minutes for a cache write.
    bool testing = false;
    const int testingMs = qEnvironmentVariableIntValue("NETZPEGEL_CACHE_INTERVAL_MS", &testing);
    CacheToHDDTimer->start(testing && testingMs > 0 ? testingMs : minutes * 60000);
}

void TrafficEngine::stopTimers()
{
    for (QTimer* t : {NicEngine, Datumsprueftimer, DfuEngine, CacheToHDDTimer})
        t->stop();
    if (m_resting)
        m_services.linkWatch->stop();
    m_resting = false;
    m_stopped = true; // for good: nothing wakes them again
}

std::vector<TNic*> TrafficEngine::bookAtClose()
{
    stopTimers();
    m_closed = true;
    if (!m_started || !DBc)
        return {};
    // Totals of a day that ended in the last minute belong to that day.
    rollOverDay(Tagesdatum, m_services.clock->today(), v, m_pending);
    return bookAtShutdown(v, m_pending, cachePath(), m_services.clock->today(), m_restartCounters.get()).failed;
}

void TrafficEngine::release()
{
    stopTimers();
    m_closed = true;
    for (TNic* nic : v)
        delete nic;
    v.clear();
    m_restartCounters.reset();
    if (DBc)
        DBc->close();
    DBc.reset();
    if (m_services.interfaceTable)
        m_services.interfaceTable->close();
}
