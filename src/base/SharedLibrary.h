#pragma once

#include <QString>

// A system library opened when first needed instead of linked: a feature most runs never reach
// should not map itself, and everything it pulls in, into every process. The library stays
// loaded for the rest of the process (libraries such as TLS stacks do not expect to be unloaded).
class SharedLibrary
{
public:
    explicit SharedLibrary(const char* soname);

    // Sets `function` to the library's symbol `name`, or to null, keeping the first failure.
    template <typename Function>
    void resolve(Function& function, const char* name)
    {
        function = reinterpret_cast<Function>(symbol(name));
    }

    bool ok() const { return m_error.isEmpty(); }
    // The loader's reason for the first failure; it names the library or the symbol.
    const QString& error() const { return m_error; }

private:
    void* symbol(const char* name);

    void* m_handle = nullptr;
    QString m_error;
};

// A library's table of functions as loaded once per process, or why it could not be.
template <typename Functions>
struct LoadedFunctions
{
    Functions functions;
    QString error;

    const Functions* get(QString* reason) const
    {
        if (error.isEmpty())
            return &functions;
        if (reason)
            *reason = error;
        return nullptr;
    }
};
