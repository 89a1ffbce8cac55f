#include "base/MessageSink.h"

#include <cstdio>

void StderrMessageSink::show(Icon icon, const QString& text)
{
    static const char* const kinds[] = {"message", "information", "warning", "error"};
    fprintf(stderr, "netzpegel %s: %s\n", kinds[static_cast<int>(icon)], qPrintable(text));
    fflush(stderr);
}

bool StderrMessageSink::ask(const QString& text)
{
    show(Icon::None, text);
    return false;
}
