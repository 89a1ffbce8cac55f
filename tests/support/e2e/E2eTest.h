#pragma once

#include "support/TempHome.h"
#include "support/TestDatabase.h"
#include "support/e2e/NetnsSandbox.h"
#include "support/e2e/ProgramRun.h"

#include <QDate>
#include <QStringList>
#include <gtest/gtest.h>

// A temporary program folder and a network namespace of the test's own; the
// test is skipped where no namespace can be made.
class E2eTest : public ::testing::Test
{
protected:
    void SetUp() override;

    QString db() const { return home.file(QStringLiteral("Datenbank.mdb")); }
    QString cachePath() const { return home.file(QStringLiteral("netzpegel.cache")); }

    // A first run lays down the files and creates the tables (lo hidden, as a
    // fresh installation has it); then lo is switched to counted, and traffic
    // leaves its counters above 0, where any start finds an adapter.
    void installWithLoopbackCounted();

    // The raw counters the program last counted `index` from, as it saved them
    // (send as tx, received as rx), in the test's program folder or in
    // `folder`; not valid when there are none.
    LoopbackCounters savedCounters(const QString& index, const QString& folder = {}) const;
    // The entries' IDs in the order the program holds them, from its database.
    QStringList savedEntries() const;
    // Waits until `run` has counted lo up to exactly `kernel` and saved it.
    bool countedUpTo(ProgramRun& run, const LoopbackCounters& kernel) const;
    // What is booked for `index` since the test began, in the test's program
    // folder or in `folder`: a run that crosses midnight books on two days.
    DayTraffic bookedSinceStart(const QString& index, const QString& folder = {}) const;

    TempHome home;
    QDate firstDay;   // the day the test began
    NetnsSandbox sandbox;
    QString lo; // lo's entry ID
};

// What the program wrote on standard error as messages (box texts) of `kind`.
QStringList messagesOf(const QString& errorOutput, const QString& kind);
