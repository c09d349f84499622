// The URL test: the page is fetched through "WININET.DLL" and must not be the
// server's own error page.
#include <cstring>
#include <string>

#include "probe_kinds.h"
#include "probe_libraries.h"

namespace {

constexpr char kAgent[] = "SiteMap";
constexpr char kAcceptAll[] = "Accept: */*\r\n";
constexpr char kErrorPage[] = "<html><head><title>Error ";
constexpr size_t kErrorPageSize = sizeof kErrorPage - 1;
constexpr DWORD kReadSize = 1024;

// Bounds every wait of the fetch (connect, each send, each wait for data).
void LimitWaits(const WinInetLibrary& inet, HINTERNET session, DWORD ms) {
  if (inet.setOption == nullptr) return;
  DWORD value = ms == 0 ? 1 : ms;  // 0 would mean no limit at all
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
    inet.setOption(session, option, &value, sizeof value);
  }
}

// The start of the page: reads until enough is there to tell an error page,
// the page ends, or 1024 bytes have come. False when a read fails.
bool ReadPageStart(const WinInetLibrary& inet, HINTERNET url, std::string* page) {
  char buffer[kReadSize];
  while (page->size() < kErrorPageSize) {
    DWORD got = 0;
    if (!inet.readFile(url, buffer, kReadSize - static_cast<DWORD>(page->size()), &got)) return false;
    if (got == 0) break;  // the end of the page
    page->append(buffer, got);
  }
  return true;
}

}  // namespace

int ProbeUrl(const ProbeTarget& target, const ProbeOptions& options) {
  const std::shared_ptr<const WinInetLibrary> inet = WinInetBinding();
  if (!inet || StopRequested(options)) return 0;
  const HINTERNET session = inet->open(kAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  if (session == nullptr) return 0;
  LimitWaits(*inet, session, options.maxConnectTimeMs);
  // A stop request closes the session, which ends a pending fetch at once.
  if (options.stop != nullptr && !options.stop->Attach(session)) {
    inet->closeHandle(session);
    return 0;
  }
  int up = 0;
  const HINTERNET url = inet->openUrl(session, target.host.c_str(), kAcceptAll, static_cast<DWORD>(-1),
                                      INTERNET_FLAG_RAW_DATA, 0);
  if (url != nullptr) {
    std::string page;
    if (ReadPageStart(*inet, url, &page) && page.compare(0, kErrorPageSize, kErrorPage) != 0) up = 1;
    inet->closeHandle(url);
  }
  const bool stillOurs = options.stop == nullptr || options.stop->Detach();
  if (stillOurs) inet->closeHandle(session);
  return StopRequested(options) ? 0 : up;
}
