#include "storage/LibPq.h"

#include "base/SharedLibrary.h"

namespace {

struct Loaded
{
    LibPq functions;
    QString error;
};

Loaded loadOnce()
{
    Loaded loaded;
    SharedLibrary library("libpq.so.5");
#define NETZPEGEL_LIBPQ_RESOLVE(name) library.resolve(loaded.functions.name, #name);
    NETZPEGEL_LIBPQ_FUNCTIONS(NETZPEGEL_LIBPQ_RESOLVE)
#undef NETZPEGEL_LIBPQ_RESOLVE
    loaded.error = library.error();
    return loaded;
}

} // namespace

const LibPq* LibPq::load(QString* error)
{
    static const Loaded loaded = loadOnce();
    if (loaded.error.isEmpty())
        return &loaded.functions;
    if (error)
        *error = loaded.error;
    return nullptr;
}
