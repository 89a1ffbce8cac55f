#pragma once

#include "base/MessageSink.h"

#include <QPointer>
#include <QWidget>

// Messages as boxes over the main window.
class MessageBoxSink : public MessageSink
{
public:
    explicit MessageBoxSink(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    void show(Icon icon, const QString& text) override;
    bool ask(const QString& text) override;

private:
    QPointer<QWidget> m_parent; // boxes outlive the window on the way out
};
