#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

// Where the main window's message boxes go: real boxes in the program,
// a recorder in tests (a modal box would block an offscreen test).
class MessageSink
{
public:
    enum class Icon { None, Information, Warning, Error };
    virtual ~MessageSink() = default;
    virtual void show(Icon icon, const QString& text) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool ask(const QString& text) = 0;
};

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

// Messages as lines on standard error, for runs without anyone to click OK
// (NETZPEGEL_NO_DIALOGS set): tests of the executable and headless runs.
class StderrMessageSink : public MessageSink
{
public:
    void show(Icon icon, const QString& text) override;
    bool ask(const QString& text) override; // prints the question, answers No
};
