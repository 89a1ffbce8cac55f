#pragma once

#include "acquisition/NicSampling.h"
#include "acquisition/TNic.h"
#include "base/MessageSink.h"
#include "engine/PendingBookings.h"
#include "engine/PlanMonitor.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class Clock;
class Database;
class DialupSource;
class InterfaceTable;
class LinkWatch;
class QTimer;
class RestartCounters;
class TSprache;
struct IfRow;

// The system interfaces the engine counts through; the program passes the Linux
// implementations, tests pass fakes. Not owned.
struct EngineServices
{
    InterfaceTable* interfaceTable = nullptr;
    DialupSource* dialupSource = nullptr;
    // With nothing to sample the ticks rest until a link changes; without a watch they never rest.
    LinkWatch* linkWatch = nullptr;
    const Clock* clock = nullptr;
    const TSprache* sprache = nullptr; // texts of messages and the dial-up entry's name
    QString bootIdPath = QStringLiteral("/proc/sys/kernel/random/boot_id");
};

// What the settings say about counting, read once at start.
struct EngineOptions
{
    bool nicEngine = true;
    bool dfuEngine = false;
    int intervalSeconds = 1;
    bool sonderModus = false;
    bool bewareOfTrafficDouble = true;
    QString cacheIntervalText;
    int base = 1024; // unit base of the texts of plan alerts
};

// What counts, without a window: the adapter entries, the sampling and dial-up ticks, the
// minute's day check with the rollover and the owed bookings, the cache writes and the counters
// kept for a restart, interfaces that come and go, and the booking at the end. The main window
// and the service mode drive it; the window only shows what it counts.
class TrafficEngine : public QObject
{
    Q_OBJECT
public:
    explicit TrafficEngine(const EngineServices& services, QObject* parent = nullptr);
    ~TrafficEngine() override;

    // Start-up, in this order. Each tells its failures as messages.
    // Opens and migrates the database; false when it cannot be opened (nothing can be booked).
    bool openDatabase();
    // The rows to make entries of; false when the interface table could not be read although
    // adapters are to be counted.
    bool readInterfaces(const EngineOptions& options, std::vector<IfRow>& rows);
    // Provisions an entry for every row (and the dial-up entry when it is on).
    void createEntries(const std::vector<IfRow>& rows, const EngineOptions& options);
    // Starts the timers and takes up where the last run stopped: cache, counters, owed days.
    void start(const std::vector<IfRow>& rows, const EngineOptions& options);
    bool started() const { return m_started; }

    // The ticks, also called directly by tests.
    void NicEngineTimer();
    void DfuEngineTimer();
    void DatumsprueftimerTimer();
    void CacheToHDDTimerTimer();
    // Minutes between cache writes as typed; "0" or nothing: none. A bad value is refused
    // with a message and the timer stays as it is.
    void CacheIntervalEditChange(const QString& text);
    void setBewareOfTrafficDouble(bool on) { m_sampleContext.bewareOfTrafficDouble = on; }
    // An entry's display flags changed: the ticks rest or wake accordingly.
    void showingChanged() { reviewRest(); }
    // No entry is shown and no dial-up connection is counted: the sampling ticks are stopped
    // and a change of the links samples once.
    bool resting() const { return m_resting; }

    // The end: stops the timers, books the day (rolling over a day that ended in the last
    // minute) and leaves the cache as the next start needs it. Returns the entries whose
    // booking failed. Counting is over afterwards.
    std::vector<TNic*> bookAtClose();
    void stopTimers();
    // Deletes the entries, closes the connection and the interface table.
    void release();
    bool closed() const { return m_closed; }

    const std::vector<TNic*>& entries() const { return v; }
    Database* database() const { return DBc.get(); }
    QString dbVersion() const { return m_dbVersion; }
    std::vector<EntryLogState> logStates() const;
    // The data plans of the entries, as the settings file has them.
    const PlanMonitor& plans() const { return m_plans; }
    // Reads the plans again (after they were changed) and checks them at once.
    void reloadPlans();
    QString cachePath() const;
    // Name the counters and pending files start with.
    QString stateFileBase() const;
    // The first day whose booking is still owed (its row will still change); invalid when none.
    QDate earliestOwedDay() const;

    // The day whose traffic the running totals hold: after midnight, until the minute's
    // check books it, still the day before.
    QDate Tagesdatum;
    QString CacheDateiname;
    QTimer* NicEngine;
    QTimer* DfuEngine;
    QTimer* Datumsprueftimer;
    QTimer* CacheToHDDTimer;

signals:
    void message(MessageSink::Icon icon, const QString& text);
    // Entry `position` is new: made at start or adopted while running.
    void entryAdded(int position, bool tablesCreated, bool adopted);
    // Adopted interfaces are all in place.
    void entriesAdopted();
    // A tick has sampled the adapters.
    void adaptersSampled();
    // The dial-up entry was sampled; `text` is its status line, empty when the sample failed.
    void dialupSampled(const QString& text, bool ok);
    // The minute's check is done (days booked as far as possible).
    void minuteChecked();
    // The running totals went to the cache file.
    void cacheWritten();
    // A plan reached one of its levels (logged, its command started); once per level and period.
    void planAlert(const PlanAlert& alert);

private:
    QStringList addEntry(TNic* nic, const IfRow* row, bool adopted);
    QStringList adoptInterfaces(const std::vector<IfRow>& rows);
    void restoreCache(const std::vector<IfRow>& rows);
    // The cache file holds `content` from now on (deleted when empty), with the counters file beside it.
    bool replaceCache(const QByteArray& content);
    void persistBookedState();
    QString entryText(const QString& key, const TNic& nic) const;
    QString text(const QString& key) const;
    void checkPlans();
    bool nothingToSample() const;
    void reviewRest();
    void linksChanged();
    // Tells a message; false when the engine was closed while it was shown.
    bool tell(MessageSink::Icon icon, const QString& text);

    EngineServices m_services;
    SampleContext m_sampleContext;
    InterfaceSampler m_sampler;
    std::vector<TNic*> v;
    std::unique_ptr<Database> DBc;
    std::unique_ptr<RestartCounters> m_restartCounters;
    PendingBookings m_pending;
    PlanMonitor m_plans;
    int m_base = 1024;
    QString m_dbVersion;
    bool m_sonderModus = false;
    bool m_started = false;
    bool m_closed = false;
    bool m_nicWanted = false;
    bool m_dfuWanted = false;
    bool m_dialupConnected = false; // the last dial-up sample found a connection
    bool m_resting = false;
    bool m_stopped = false;
    bool m_logClockSet = false;
};
