#pragma once

#include <QApplication>
#include <functional>
#include <stdexcept>

class MessageSink;

// Catches what escapes an event handler or timer and hands it to the main
// window's handler, instead of letting it end the process unlogged. While no
// handler is set (before the main window exists, while it is built) the
// application logs and shows the failure itself and ends with code 1.
class NetzpegelApplication : public QApplication
{
    Q_OBJECT
public:
    using ExceptionHandler = std::function<void(const QString& senderClass, const std::exception* e)>;

    NetzpegelApplication(int& argc, char** argv);
    void setExceptionHandler(ExceptionHandler handler) { m_handler = std::move(handler); }
    // Where failures without a handler are shown; standard error when none. Not owned.
    void setMessages(MessageSink* messages) { m_messages = messages; }
    bool notify(QObject* receiver, QEvent* event) override;

    // Runs the program's start and event loop: an exception escaping `start`
    // is logged and shown, and gives exit code 1, as does one that notify()
    // caught without a handler.
    int runGuarded(const std::function<int()>& start);
    // A failure without a handler has been logged and shown: the program must end with 1.
    bool failed() const { return m_failed; }

private:
    void handle(const QString& senderClass, const std::exception* e);
    void reportUnhandled(const QString& senderClass, const std::exception* e);

    ExceptionHandler m_handler;
    MessageSink* m_messages = nullptr;
    bool m_failed = false;
};
