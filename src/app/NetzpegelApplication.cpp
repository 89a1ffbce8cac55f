#include "app/NetzpegelApplication.h"

NetzpegelApplication::NetzpegelApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool NetzpegelApplication::notify(QObject* receiver, QEvent* event)
{
    const QString sender = receiver ? QString::fromLatin1(receiver->metaObject()->className()) : QString();
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        if (m_handler)
            m_handler(sender, &e);
    } catch (...) {
        if (m_handler)
            m_handler(sender, nullptr);
    }
    return false;
}
