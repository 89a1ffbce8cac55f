#include "app/NetzpegelApplication.h"

#include "base/MessageSink.h"
#include "desktop/UnhandledFailure.h"

NetzpegelApplication::NetzpegelApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool NetzpegelApplication::notify(QObject* receiver, QEvent* event)
{
    // Taken before: the receiver may be gone when a failure comes back. The name is the class's
    // own static text, and made a string only then: this runs for every event.
    const char* sender = receiver ? receiver->metaObject()->className() : nullptr;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        handle(QString::fromLatin1(sender), &e);
    } catch (...) {
        handle(QString::fromLatin1(sender), nullptr);
    }
    return false;
}

void NetzpegelApplication::handle(const QString& senderClass, const std::exception* e)
{
    if (m_handler) {
        try {
            m_handler(senderClass, e);
            return;
        } catch (...) {
            // The handler failed on its way: the original failure is still told.
        }
    }
    reportUnhandled(senderClass, e);
    m_failed = true;
    // Ends every running loop; runGuarded() turns what was started into code 1.
    QCoreApplication::exit(1);
}

void NetzpegelApplication::reportUnhandled(const QString& senderClass, const std::exception* e)
{
    const QString text = logUnhandledFailure(senderClass, e);
    StderrMessageSink fallback;
    (m_messages ? m_messages : &fallback)->show(MessageSink::Icon::Error, text);
}

int NetzpegelApplication::runGuarded(const std::function<int()>& start)
{
    m_failed = false;
    int code = 1;
    try {
        code = start();
    } catch (const std::exception& e) {
        reportUnhandled(QString::fromLatin1(metaObject()->className()), &e);
        return 1;
    } catch (...) {
        reportUnhandled(QString::fromLatin1(metaObject()->className()), nullptr);
        return 1;
    }
    return m_failed ? 1 : code;
}
