#include "engine/PendingBookings.h"

#include "acquisition/TNic.h"
#include "base/FileReplace.h"
#include "base/ExceptionLog.h"
#include "storage/Database.h"
#include "storage/DayNumber.h"

#include <QFile>

#include <algorithm>
#include <limits>

namespace {

// Shortens the connection's wait for a lock while it lives.
class BusyWaitLimit
{
public:
    BusyWaitLimit(Database* db, std::optional<int> ms)
        : m_db(ms ? db : nullptr)
        , m_previous(db ? db->busyTimeout() : 0)
    {
        if (m_db)
            m_db->setBusyTimeout(std::min(*ms, m_previous));
    }
    ~BusyWaitLimit()
    {
        if (m_db)
            m_db->setBusyTimeout(m_previous);
    }
    BusyWaitLimit(const BusyWaitLimit&) = delete;
    BusyWaitLimit& operator=(const BusyWaitLimit&) = delete;

private:
    Database* m_db;
    int m_previous;
};

} // namespace

bool bookOwed(Database* db, const QString& index, const QString& name, const QDate& day, long double received,
              long double send, BookingFailure* failure)
{
    // A stand-in with the owed amounts books through the adapter's own table.
    TNic carrier(nullptr);
    carrier.Index = index;
    carrier.Name = name;
    carrier.setDatabase(db);
    carrier.set_gesamt_received(received);
    carrier.set_gesamt_send(send);
    return failure ? carrier.save_traffic(dayNumberOf(day), *failure) : carrier.save_traffic(dayNumberOf(day));
}

void PendingBookings::attachFile(const QString& path, const std::vector<TNic*>& v)
{
    m_path = path;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QByteArray before = f.readAll();
    f.close();
    load(before, v);
    // Written again only when reading it changed something (amounts of one day added up).
    if (!m_bookings.empty() && content() != before)
        save();
}

void PendingBookings::load(const QByteArray& content, const std::vector<TNic*>& v)
{
    for (const QByteArray& raw : content.split('\n')) {
        Line owed;
        if (!parse(raw, owed))
            continue;
        const auto entry = std::find_if(v.begin(), v.end(), [&](const TNic* n) { return n->Index == owed.index; });
        if (entry == v.end()) {
            m_foreignLines.append(raw.trimmed()); // an adapter absent this time; still owed
            continue;
        }
        const Booking* booked = find(*entry, owed.day);
        if (booked && (!isByteCount(booked->received + owed.received) || !isByteCount(booked->send + owed.send)))
            continue;
        merge(*entry, owed.day, owed.received, owed.send);
    }
}

bool PendingBookings::parse(const QByteArray& line, Line& out)
{
    const QList<QByteArray> parts = line.trimmed().split('\t');
    if (parts.size() != 4)
        return false;
    out.index = QString::fromUtf8(parts[0]);
    out.day = QDate::fromString(QString::fromLatin1(parts[1]), Qt::ISODate);
    bool okReceived = false;
    bool okSend = false;
    out.received = parts[2].toDouble(&okReceived);
    out.send = parts[3].toDouble(&okSend);
    return out.day.isValid() && okReceived && okSend && isByteCount(out.received) && isByteCount(out.send);
}

void PendingBookings::addAbsent(const QString& index, const QDate& day, long double received, long double send)
{
    m_foreignLines.append(index.toUtf8() + '\t' + day.toString(Qt::ISODate).toLatin1() + '\t'
                          + QByteArray::number(static_cast<double>(received), 'f', 0) + '\t'
                          + QByteArray::number(static_cast<double>(send), 'f', 0));
    save();
}

void PendingBookings::adopt(TNic* entry)
{
    QList<QByteArray> kept;
    std::vector<Line> taken;
    for (const QByteArray& line : std::as_const(m_foreignLines)) {
        Line owed;
        if (parse(line, owed) && owed.index == entry->Index)
            taken.push_back(owed);
        else
            kept.append(line);
    }
    if (taken.empty())
        return;
    m_foreignLines = kept;
    for (const Line& owed : taken)
        merge(entry, owed.day, owed.received, owed.send);
    save();
}

QByteArray PendingBookings::content() const
{
    QByteArray out;
    for (const QByteArray& line : m_foreignLines)
        out += line + '\n';
    for (const Booking& b : m_bookings)
        out += b.entry->Index.toUtf8() + '\t' + b.day.toString(Qt::ISODate).toLatin1() + '\t'
            + QByteArray::number(static_cast<double>(b.received), 'f', 0) + '\t'
            + QByteArray::number(static_cast<double>(b.send), 'f', 0) + '\n';
    return out;
}

void PendingBookings::save() const
{
    if (m_path.isEmpty())
        return;
    if (m_bookings.empty() && m_foreignLines.isEmpty()) {
        QFile::remove(m_path);
        return;
    }
    replaceFile(m_path, content());
}

PendingBookings::Booking* PendingBookings::find(const TNic* entry, const QDate& day)
{
    const auto at = m_positions.constFind({entry, day.toJulianDay()});
    return at == m_positions.constEnd() ? nullptr : &m_bookings[*at];
}

void PendingBookings::merge(TNic* entry, const QDate& day, long double received, long double send)
{
    if (Booking* b = find(entry, day)) {
        b->received += received;
        b->send += send;
        return;
    }
    m_positions.insert({entry, day.toJulianDay()}, m_bookings.size());
    m_bookings.push_back({entry, day, received, send});
}

void PendingBookings::add(TNic* entry, const QDate& day, long double received, long double send)
{
    merge(entry, day, received, send);
    save();
}

bool PendingBookings::retry(std::optional<int> busyWaitMs)
{
    std::vector<Booking> left;
    for (const Booking& b : m_bookings) {
        const BusyWaitLimit limit(b.entry->database(), busyWaitMs);
        BookingFailure failure;
        if (!bookOwed(b.entry->database(), b.entry->Index, b.entry->Name, b.day, b.received, b.send, &failure)) {
            logFailure(*b.entry, b.day, failure);
            left.push_back(b);
        }
    }
    const bool changed = left.size() != m_bookings.size();
    m_bookings = std::move(left);
    m_positions.clear();
    for (size_t i = 0; i < m_bookings.size(); ++i)
        m_positions.insert({m_bookings[i].entry, m_bookings[i].day.toJulianDay()}, i);
    if (changed)
        save();
    return m_bookings.empty();
}

bool PendingBookings::owes(const TNic* entry, const QDate& day) const
{
    return m_positions.contains({entry, day.toJulianDay()});
}

bool PendingBookings::isByteCount(long double amount)
{
    // "nan", "inf" or a negative amount would blank or shrink the stored day once booked.
    return amount >= 0 && amount <= std::numeric_limits<double>::max();
}

void PendingBookings::logFailure(const TNic& entry, const QDate& day, const BookingFailure& failure)
{
    const QString key = entry.Index + QLatin1Char('\n') + isoDate(day) + QLatin1Char('\n') + failure.message;
    const QDate today = entry.today();
    auto logged = m_loggedOn.find(key);
    if (logged != m_loggedOn.end() && *logged == today)
        return;
    m_loggedOn.insert(key, today);
    LogException(failure.message, failure.className);
}

bool PendingBookings::owes(const QString& index, const QDate& day) const
{
    if (std::any_of(m_bookings.begin(), m_bookings.end(),
                    [&](const Booking& b) { return b.entry->Index == index && b.day == day; }))
        return true;
    return std::any_of(m_foreignLines.begin(), m_foreignLines.end(), [&](const QByteArray& line) {
        Line owed;
        return parse(line, owed) && owed.index == index && owed.day == day;
    });
}
