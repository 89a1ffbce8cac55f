#include "service/ServiceApplication.h"

#include "desktop/UnhandledFailure.h"

#include <cstdio>

ServiceApplication::ServiceApplication(int& argc, char** argv)
    : QCoreApplication(argc, argv)
{
    setApplicationName(QStringLiteral("netzpegel"));
}

bool ServiceApplication::notify(QObject* receiver, QEvent* event)
{
    const char* sender = receiver ? receiver->metaObject()->className() : "QObject";
    try {
        return QCoreApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        fprintf(stderr, "netzpegel error: %s\n", qPrintable(logUnhandledFailure(QString::fromLatin1(sender), &e)));
    } catch (...) {
        fprintf(stderr, "netzpegel error: %s\n", qPrintable(logUnhandledFailure(QString::fromLatin1(sender), nullptr)));
    }
    exit(1);
    return false;
}
