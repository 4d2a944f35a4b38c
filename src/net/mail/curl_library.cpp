#include "net/mail/curl_library.h"

#include <dlfcn.h>

namespace pravella::mail {

namespace {

struct Loaded {
  CurlLibrary library;
  QString why;
  bool ok = false;
};

template <typename Function>
bool bind(void* handle, const char* name, Function& to, QString& why) {
  to = reinterpret_cast<Function>(::dlsym(handle, name));
  if (!to) why = QStringLiteral("libcurl has no %1").arg(QLatin1String(name));
  return to != nullptr;
}

Loaded load() {
  Loaded l;
  // The library's ABI name: the one its development package links against.
  void* handle = ::dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    l.why = QStringLiteral("The mail library cannot be loaded: %1").arg(QString::fromLocal8Bit(::dlerror()));
    return l;
  }
  CurlLibrary& c = l.library;
  l.ok = bind(handle, "curl_global_init", c.globalInit, l.why) &&
         bind(handle, "curl_easy_init", c.easyInit, l.why) &&
         bind(handle, "curl_easy_cleanup", c.easyCleanup, l.why) &&
         bind(handle, "curl_easy_setopt", c.easySetopt, l.why) &&
         bind(handle, "curl_easy_perform", c.easyPerform, l.why) &&
         bind(handle, "curl_easy_strerror", c.easyStrerror, l.why) &&
         bind(handle, "curl_slist_append", c.slistAppend, l.why) &&
         bind(handle, "curl_slist_free_all", c.slistFreeAll, l.why);
  // libcurl's global set-up is not safe to race: done here, once, as the loaded library's
  // static is made (which C++ guards against threads).
  if (l.ok && c.globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
    l.ok = false;
    l.why = QStringLiteral("The mail library cannot start.");
  }
  return l;
}

}  // namespace

const CurlLibrary* curlLibrary(QString* why) {
  static const Loaded loaded = load();
  if (!loaded.ok && why) *why = loaded.why;
  return loaded.ok ? &loaded.library : nullptr;
}

}  // namespace pravella::mail
