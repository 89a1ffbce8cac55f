#pragma once

#include "acquisition/EntryLogState.h"
#include "acquisition/IfRow.h"

#include <QDate>
#include <QString>
#include <cstdint>

class Clock;
class Database;

// Why a booking failed: the log entry's message and class name.
struct BookingFailure
{
    QString message;
    QString className;
};

// Values of the main window that every sample reads at the moment it is taken.
struct SampleContext
{
    int intervalMs = 1000;              // current NicEngine interval
    bool bewareOfTrafficDouble = true;  // first-sample limit on
};

// Per-adapter counter: turns raw octet counters into rates and day totals and
// carries the adapter's display settings.
class TNic
{
public:
    explicit TNic(const SampleContext* context);

    // Identity, given once right after construction.
    void setIdentity(const IfRow& row, bool sonderModus);
    void setDfuIdentity(const QString& name);
    static QString adapterId(uint32_t ifIndex, bool sonderModus);
    static QString macText(const QByteArray& physAddr);
    bool isDfu() const { return Index == QLatin1String("dfu"); }
    // The interface index the entry was made from; 0 for the dial-up entry.
    uint32_t ifIndex() const { return m_ifIndex; }

    bool set_wert_send(long double raw);
    bool set_wert_received(long double raw);
    void get_alte_werte(long double& send, long double& received) const;
    long double get_gesamt_send() const { return gesamt_send; }
    long double get_gesamt_received() const { return gesamt_received; }
    long double get_wert_send() const { return wert_send; }
    long double get_wert_received() const { return wert_received; }
    long double get_rate_send() const { return rate_send; }
    long double get_rate_received() const { return rate_received; }
    bool set_gesamt_send(long double value);
    bool set_gesamt_received(long double value);
    EntryLogState logState() const;
    // Rates of 0 for an interface that is gone; totals and previous raw values stay.
    void clearRates();
    // The totals are booked: they start again from 0; the previous raw values carry on.
    void clearTotals();

    // Start from known previous raw counters instead of 0 (restart within one boot).
    void set_alte_werte(long double send, long double received);
    // Whether the previous raw values are real samples (taken or restored), so
    // the next sample of an adapter is not a first sample, even at a counter of 0.
    bool sampled() const { return sampled_send && sampled_received; }

    // The connection of the calling thread, and the clock that says which day
    // "today" is (the system clock when none is given). Neither is owned.
    void setDatabase(Database* db) { m_db = db; }
    Database* database() const { return m_db; }
    void setClock(const Clock* clock) { m_clock = clock; }
    QDate today() const;

    // Adds both totals to the traffic row of `day` (a date value; 0 is today)
    // and leaves the totals as they are. False, with a log entry, on failure;
    // the stored row is then unchanged.
    bool save_traffic(double day);
    // The same without the log entry: the caller gets the failure to log as it sees fit.
    bool save_traffic(double day, BookingFailure& failure);
    // Settings members from and to the settings row; false without a message.
    bool load_settings();
    bool save_settings();

    // Settings, mirroring the adapter's settings row.
    bool anzeigen_live = false;
    bool anzeigen_graph = false;
    int32_t maxspeed = 0;
    int32_t links = 0;
    int32_t oben = 0;
    int32_t hoehe = 100;
    int32_t breite = 100;
    bool ontop = false;
    bool tranz = false;
    int32_t tranz_wert = 0;
    bool bericht = true;
    uint32_t forecolor = 16150899;
    uint32_t backcolor = 16744825;
    uint32_t sendgraph = 255;
    uint32_t recvgraph = 16711680;

    QString Name;
    QString Mac;
    QString Index;

private:
    struct Direction
    {
        long double& alte;
        long double& wert;
        double& rate;
        long double& gesamt;
        bool& sampled;
    };
    bool sample(Direction d, long double raw, bool limitEverySample);

    const SampleContext* m_context;
    uint32_t m_ifIndex = 0;
    Database* m_db = nullptr;
    const Clock* m_clock = nullptr;
    long double alte_send = 0;
    long double alte_received = 0;
    long double gesamt_send = 0;
    long double gesamt_received = 0;
    long double wert_send = 0;
    long double wert_received = 0;
    double rate_send = 0;
    double rate_received = 0;
    bool sampled_send = false;
    bool sampled_received = false;
};
