#include "app/MessageBoxSink.h"

#include <QMessageBox>

void MessageBoxSink::show(Icon icon, const QString& text)
{
    QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
    switch (icon) {
    case Icon::Information: boxIcon = QMessageBox::Information; break;
    case Icon::Warning: boxIcon = QMessageBox::Warning; break;
    case Icon::Error: boxIcon = QMessageBox::Critical; break;
    case Icon::None: break;
    }
    QMessageBox box(boxIcon, QStringLiteral("Netzpegel"), text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool MessageBoxSink::ask(const QString& text)
{
    return QMessageBox::question(m_parent, QStringLiteral("Netzpegel"), text, QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}
