#pragma once

#include <QString>

// Where messages for the user go: boxes in the window, a recorder in tests (a modal box would
// block an offscreen test), lines on standard error in runs without anyone to click OK.
class MessageSink
{
public:
    enum class Icon { None, Information, Warning, Error };
    virtual ~MessageSink() = default;
    virtual void show(Icon icon, const QString& text) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool ask(const QString& text) = 0;
};

// Messages as lines on standard error (NETZPEGEL_NO_DIALOGS set, the service): tests of the
// executable and headless runs.
class StderrMessageSink : public MessageSink
{
public:
    void show(Icon icon, const QString& text) override;
    bool ask(const QString& text) override; // prints the question, answers No
};
