#pragma once

#include <QString>

// Called through pointers: the type-checking macros of curl.h would stand in for the names.
#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>

#define NETZPEGEL_LIBCURL_FUNCTIONS(X)                                                               \
    X(curl_global_init) X(curl_easy_init) X(curl_easy_cleanup) X(curl_easy_setopt)                   \
    X(curl_easy_perform) X(curl_easy_getinfo) X(curl_easy_strerror) X(curl_slist_append)             \
    X(curl_slist_free_all)

// libcurl's functions, from the library loaded when the program first goes online (an update
// check, a download): libcurl with its TLS stack would otherwise cost every process, every
// second it runs, memory for what it does a few times a month.
struct LibCurl
{
#define NETZPEGEL_LIBCURL_MEMBER(name) decltype(&::name) name = nullptr;
    NETZPEGEL_LIBCURL_FUNCTIONS(NETZPEGEL_LIBCURL_MEMBER)
#undef NETZPEGEL_LIBCURL_MEMBER

    // The library, loaded and set up on the first call; null, with the reason in `error`,
    // when it cannot be.
    static const LibCurl* load(QString* error = nullptr);
};
