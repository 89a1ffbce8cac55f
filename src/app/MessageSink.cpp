#include "app/MessageSink.h"

#include <QMessageBox>

#include <cstdio>

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

void StderrMessageSink::show(Icon icon, const QString& text)
{
    static const char* const kinds[] = {"message", "information", "warning", "error"};
    fprintf(stderr, "netzpegel %s: %s\n", kinds[static_cast<int>(icon)], qPrintable(text));
    fflush(stderr);
}

bool MessageBoxSink::ask(const QString& text)
{
    return QMessageBox::question(m_parent, QStringLiteral("Netzpegel"), text, QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

bool StderrMessageSink::ask(const QString& text)
{
    show(Icon::None, text);
    return false;
}
