#include "base/SharedLibrary.h"

#include <dlfcn.h>

namespace {

QString loaderReason(const char* fallback)
{
    const char* reason = dlerror();
    return QString::fromLocal8Bit(reason ? reason : fallback);
}

} // namespace

SharedLibrary::SharedLibrary(const char* soname)
{
    m_handle = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (!m_handle)
        m_error = loaderReason(soname);
}

void* SharedLibrary::symbol(const char* name)
{
    if (!m_handle)
        return nullptr;
    dlerror();
    void* found = dlsym(m_handle, name);
    if (!found && m_error.isEmpty())
        m_error = loaderReason(name);
    return found;
}
