#pragma once

#include "app/TMainform.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDialupSource.h"
#include "fakes/FakeInterfaceTable.h"
#include "fakes/RecordingMessageSink.h"
#include "support/TempHome.h"

#include <QLocale>
#include <gtest/gtest.h>

// A main window's world of fakes in a temporary program folder, German locale.
class MainformFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        services.interfaceTable = &table;
        services.dialupSource = &dialup;
        services.clock = &clock;
        services.messages = &messages;
        services.bootIdPath = home.file("boot_id");
        home.write("boot_id", "test-boot\n");
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    TempHome home;
    FakeInterfaceTable table;
    FakeDialupSource dialup;
    FakeClock clock;
    RecordingMessageSink messages;
    MainformServices services;
};
