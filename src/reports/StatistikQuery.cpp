#include "reports/StatistikQuery.h"

#include "config/QuantityFormat.h"
#include "config/TSprache.h"
#include "reports/LocaleTexts.h"
#include "reports/StoredValue.h"
#include "storage/Database.h"
#include "storage/TrafficStatements.h"

namespace {

const QString kDatum = QStringLiteral("Datum");
const QString kReceived = QStringLiteral("received");
const QString kSend = QStringLiteral("send");

// Today's row is normally written only at midnight or shutdown; until then the
// day's traffic would be missing from a view that is meant to be current.
void addUnbookedToday(std::vector<StatistikDay>& days, const StatistikRequest& request)
{
    const QDate today = request.today;
    if (!today.isValid() || (request.unbookedReceived <= 0 && request.unbookedSent <= 0))
        return;
    if ((request.from && today < *request.from) || (request.to && today > *request.to))
        return;
    auto later = days.begin();
    for (; later != days.end(); ++later) {
        if (later->day == today)
            return; // stored: the unbooked traffic is in it already
        if (later->day.isValid() && later->day > today)
            break;
    }
    StatistikDay day;
    day.day = today;
    day.dayText = today.toString(Qt::ISODate);
    day.received = request.unbookedReceived;
    day.sent = request.unbookedSent;
    days.insert(later, std::move(day));
}

} // namespace

long double StatistikData::averageReceived() const
{
    return days.empty() ? 0 : totalReceived / static_cast<long double>(days.size());
}

long double StatistikData::averageSent() const
{
    return days.empty() ? 0 : totalSent / static_cast<long double>(days.size());
}

StatistikData queryStatistik(Database& db, const StatistikRequest& request)
{
    const QList<DbRow> rows = !request.from && !request.to
        ? TrafficStatements::allDays(db, request.table)
        : TrafficStatements::dayRange(db, request.table, request.from.value_or(QDate(1, 1, 1)),
                                      request.to.value_or(QDate(9999, 12, 31)));
    StatistikData data;
    data.days.reserve(static_cast<size_t>(rows.size()));
    for (const DbRow& row : rows) {
        StatistikDay day;
        const QVariant datum = row.value(kDatum);
        day.day = storedDay(datum);
        day.dayText = datum.toString();
        day.received = storedNumber(row.value(kReceived));
        day.sent = storedNumber(row.value(kSend));
        if (day.day.isValid() && day.day == request.today) {
            if (day.received)
                *day.received += request.unbookedReceived;
            if (day.sent)
                *day.sent += request.unbookedSent;
        }
        data.days.push_back(std::move(day));
    }
    addUnbookedToday(data.days, request);
    for (const StatistikDay& day : data.days) {
        data.totalReceived += day.received.value_or(0);
        data.totalSent += day.sent.value_or(0);
    }
    return data;
}

StatistikView formatStatistik(const StatistikData& data, int base, const TSprache& sprache, const LocaleTexts& texts)
{
    const QString section = QStringLiteral("StatistikThread");
    StatistikView view;
    view.headers = {sprache.text(section, QStringLiteral("StrDatum")), sprache.text(section, QStringLiteral("StrReceived")),
                    sprache.text(section, QStringLiteral("StrSend"))};
    auto quantity = [&](const std::optional<long double>& value) {
        return value ? FormatQuantity(*value, base, sprache) : QStringLiteral("Fehler");
    };
    view.rows.reserve(data.days.size());
    view.base = base;
    for (const StatistikDay& day : data.days) {
        view.rows.push_back({day.day.isValid() ? texts.shortDate(day.day) : day.dayText, quantity(day.received),
                             quantity(day.sent)});
        view.bars.push_back({static_cast<double>(day.received.value_or(0)), static_cast<double>(day.sent.value_or(0))});
    }
    // Rounded to two decimals first, as the fields always showed them.
    auto field = [&](long double value) {
        return data.days.empty() ? QStringLiteral("0") : FormatQuantityText(texts.fixed(value), base, sprache);
    };
    view.totalReceived = field(data.totalReceived);
    view.totalSent = field(data.totalSent);
    view.averageReceived = field(data.averageReceived());
    view.averageSent = field(data.averageSent());
    return view;
}
