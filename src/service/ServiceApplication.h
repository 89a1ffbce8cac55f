#pragma once

#include <QCoreApplication>

// The service's application: a failure escaping an event handler or timer is logged and ends
// the event loop with exit code 1, after which the day is booked as at any other end.
class ServiceApplication : public QCoreApplication
{
public:
    ServiceApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
