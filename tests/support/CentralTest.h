#pragma once

#include "support/PostgresServer.h"

#include <QString>
#include <QStringList>

#include <array>
#include <gtest/gtest.h>

// Tests against a real PostgreSQL server: one server per test program run (made by the
// first test that needs it), a fresh database "netzpegel" for each test. A test whose
// server cannot be made fails with the reason; it never passes without one.
class CentralTest : public ::testing::Test
{
public:
    // The shared server; tests of other fixtures use it too.
    static PostgresServer& server();

protected:
    void SetUp() override;

    // The central sums of one host and adapter: received, sent, days.
    static std::array<qint64, 3> centralSums(const QString& hostId, const QString& adapter);
    // Every row's place and version: equal before and after means nothing was written.
    static QStringList rowVersions();
};
