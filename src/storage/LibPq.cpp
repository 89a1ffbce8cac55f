#include "storage/LibPq.h"

#include "base/SharedLibrary.h"

namespace {

LoadedFunctions<LibPq> loadOnce()
{
    LoadedFunctions<LibPq> loaded;
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
    static const LoadedFunctions<LibPq> loaded = loadOnce();
    return loaded.get(error);
}
