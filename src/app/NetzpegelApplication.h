#pragma once

#include <QApplication>
#include <functional>
#include <stdexcept>

// Catches what escapes an event handler or timer and hands it to the main
// window's handler, instead of letting it end the process unlogged.
class NetzpegelApplication : public QApplication
{
    Q_OBJECT
public:
    using ExceptionHandler = std::function<void(const QString& senderClass, const std::exception* e)>;

    NetzpegelApplication(int& argc, char** argv);
    void setExceptionHandler(ExceptionHandler handler) { m_handler = std::move(handler); }
    bool notify(QObject* receiver, QEvent* event) override;

private:
    ExceptionHandler m_handler;
};
