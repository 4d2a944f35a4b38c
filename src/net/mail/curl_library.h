#pragma once
// libcurl, opened when the first message is sent rather than linked: it brings some two dozen
// libraries (TLS, Kerberos, LDAP, SSH, ...) that neither the application's start nor a program
// run needs.

#include <curl/curl.h>

#include <QString>

namespace pravella::mail {

struct CurlLibrary {
  CURLcode (*globalInit)(long flags) = nullptr;
  CURL* (*easyInit)() = nullptr;
  void (*easyCleanup)(CURL* handle) = nullptr;
  CURLcode (*easySetopt)(CURL* handle, CURLoption option, ...) = nullptr;
  CURLcode (*easyPerform)(CURL* handle) = nullptr;
  const char* (*easyStrerror)(CURLcode code) = nullptr;
  curl_slist* (*slistAppend)(curl_slist* list, const char* text) = nullptr;
  void (*slistFreeAll)(curl_slist* list) = nullptr;
};

// The library, opened and globally set up once per process; null when it cannot be loaded,
// with the reason in `why`. Safe from any thread.
const CurlLibrary* curlLibrary(QString* why = nullptr);

}  // namespace pravella::mail
