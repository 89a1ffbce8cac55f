#pragma once

#include "app/TMainform.h"
#include "fakes/FakeAutostartFolder.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDialupSource.h"
#include "fakes/FakeInterfaceTable.h"
#include "fakes/FakeNotificationArea.h"
#include "fakes/FakeProcessPriority.h"
#include "fakes/RecordingMessageSink.h"
#include "fakes/RecordingUrlOpener.h"
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
        services.autostartFolder = &autostart;
        services.priority = &priority;
        services.opener = &opener;
        services.notificationArea = &notificationArea;
        services.bootIdPath = home.file("boot_id");
        home.write("boot_id", "test-boot\n");
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    TempHome home;
    FakeInterfaceTable table;
    FakeDialupSource dialup;
    FakeClock clock;
    RecordingMessageSink messages;
    FakeAutostartFolder autostart;
    FakeProcessPriority priority;
    RecordingUrlOpener opener;
    FakeNotificationArea notificationArea;
    MainformServices services;
};
