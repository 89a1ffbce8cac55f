#include "update/LibCurl.h"

#include "base/SharedLibrary.h"

namespace {

LoadedFunctions<LibCurl> loadOnce()
{
    LoadedFunctions<LibCurl> loaded;
    SharedLibrary library("libcurl.so.4");
#define NETZPEGEL_LIBCURL_RESOLVE(name) library.resolve(loaded.functions.name, #name);
    NETZPEGEL_LIBCURL_FUNCTIONS(NETZPEGEL_LIBCURL_RESOLVE)
#undef NETZPEGEL_LIBCURL_RESOLVE
    loaded.error = library.error();
    // Once per process and before any transfer, as libcurl wants it.
    if (loaded.error.isEmpty() && loaded.functions.curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        loaded.error = QStringLiteral("curl_global_init failed");
    return loaded;
}

} // namespace

const LibCurl* LibCurl::load(QString* error)
{
    static const LoadedFunctions<LibCurl> loaded = loadOnce();
    return loaded.get(error);
}
