#pragma once

#include <QDate>
#include <vector>

class PendingBookings;
class TNic;

// The minute's day check: when the day of the running totals is over, books
// every entry's totals under that day and starts the new day at zero. A booking
// that fails is kept in `pending`, not lost, and tried again at every check,
// which waits for a locked database only briefly.
// Returns the entries whose booking failed just now (each is reported once).
std::vector<TNic*> rollOverDay(QDate& tagesdatum, const QDate& today, const std::vector<TNic*>& v,
                               PendingBookings& pending);
