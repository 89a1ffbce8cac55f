// A crossed level reaches the desktop through a real session bus and the notification service
// registered there; without a service the caller hears that it failed.
#include "desktop/DesktopNotification.h"
#include "support/QtPrinters.h"
#include "support/SessionBus.h"
#include "support/WaitFor.h"

#include <QDBusConnection>
#include <QVariantMap>
#include <gtest/gtest.h>

namespace {

// The notification service as a desktop runs it, recording what it is asked to show.
class NotificationService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList shown; // "app|summary|body"

public slots:
    uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap& hints, int timeout)
    {
        Q_UNUSED(replaces)
        Q_UNUSED(icon)
        Q_UNUSED(actions)
        Q_UNUSED(hints)
        Q_UNUSED(timeout)
        shown << app + QLatin1Char('|') + summary + QLatin1Char('|') + body;
        return static_cast<uint>(shown.size());
    }
};

struct Outcome
{
    int delivered = 0;
    QStringList failed;
};

void watch(DesktopNotification& n, Outcome& o)
{
    QObject::connect(&n, &DesktopNotification::delivered, [&o] { ++o.delivered; });
    QObject::connect(&n, &DesktopNotification::failed,
                     [&o](const QString& summary, const QString& body) { o.failed << summary + QLatin1Char('|') + body; });
}

TEST(DesktopNotification, ReachesTheNotificationServiceOfTheSessionBus)
{
    SessionBus bus;
    ASSERT_FALSE(bus.address().isEmpty()) << bus.failure().toStdString();
    QDBusConnection server = QDBusConnection::connectToBus(bus.address(), QStringLiteral("service"));
    NotificationService service;
    ASSERT_TRUE(server.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                                      QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(server.registerService(QStringLiteral("org.freedesktop.Notifications")));

    DesktopNotification n(QDBusConnection::connectToBus(bus.address(), QStringLiteral("client")));
    Outcome o;
    watch(n, o);
    n.send(QStringLiteral("Datentarif eth0: 80 % erreicht"), QStringLiteral("4,00 GiB von 5,00 GiB <b>verbraucht</b>"));
    ASSERT_TRUE(waitFor([&] { return o.delivered + o.failed.size() > 0; }));
    EXPECT_EQ(o.delivered, 1);
    EXPECT_EQ(service.shown, QStringList{QStringLiteral(
                                 "Netzpegel|Datentarif eth0: 80 % erreicht|4,00 GiB von 5,00 GiB <b>verbraucht</b>")});
    QDBusConnection::disconnectFromBus(QStringLiteral("service"));
    QDBusConnection::disconnectFromBus(QStringLiteral("client"));
}

TEST(DesktopNotification, WithoutAServiceOrABusTheCallerHearsItFailed)
{
    SessionBus bus;
    ASSERT_FALSE(bus.address().isEmpty()) << bus.failure().toStdString();
    for (const QString& address : {bus.address(), QStringLiteral("unix:path=/nonexistent/bus")}) {
        DesktopNotification n(QDBusConnection::connectToBus(address, QStringLiteral("client")));
        Outcome o;
        watch(n, o);
        n.send(QStringLiteral("S"), QStringLiteral("B"));
        EXPECT_TRUE(waitFor([&] { return !o.failed.isEmpty(); })) << address.toStdString();
        EXPECT_EQ(o.failed, QStringList{QStringLiteral("S|B")});
        EXPECT_EQ(o.delivered, 0);
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
    }
}

} // namespace

#include "test_desktop_notification.moc"
