// The print spooler through libcups: a connection of its own per call, to the
// server the environment names (CUPS_SERVER) or the local one.
#include "gdi/print_cups.h"

#include <cups/cups.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace qvp::gdi {

namespace {

constexpr int kConnectMs = 5000;

// A new connection to the spooler, or null. The server is read afresh each
// time, so that a change of CUPS_SERVER takes effect.
http_t* Connect() {
  cupsSetServer(nullptr);
  return httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, kConnectMs, nullptr);
}

// Under test only a spooler the test names itself is used: no test prints on
// the machine's real printers.
bool SpoolerAllowed() {
  const char* test = std::getenv("QV_TEST");
  const char* server = std::getenv("CUPS_SERVER");
  return test == nullptr || *test == '\0' || (server != nullptr && *server != '\0');
}

}  // namespace

std::vector<std::string> SpoolerDestinations() {
  std::vector<std::string> names;
  if (!SpoolerAllowed()) return names;
  http_t* http = Connect();
  if (http == nullptr) return names;
  cups_dest_t* dests = nullptr;
  const int count = cupsGetDests2(http, &dests);
  for (int i = 0; i < count; ++i) {
    // Instances ("queue/instance") are the user's saved option sets, not printers.
    if (dests[i].instance != nullptr || dests[i].name == nullptr) continue;
    if (dests[i].is_default)
      names.insert(names.begin(), dests[i].name);
    else
      names.emplace_back(dests[i].name);
  }
  cupsFreeDests(count, dests);
  httpClose(http);
  return names;
}

bool SubmitToSpooler(const std::string& destination, const std::string& title, int copies, const std::string& pdf) {
  if (destination.empty() || pdf.empty() || !SpoolerAllowed()) return false;
  http_t* http = Connect();
  if (http == nullptr) return false;
  copies = std::clamp(copies, 1, 9999);
  cups_option_t* options = nullptr;
  int count = 0;
  if (copies > 1) count = cupsAddOption("copies", std::to_string(copies).c_str(), count, &options);
  bool ok = false;
  const int job = cupsCreateJob(http, destination.c_str(), title.c_str(), count, options);
  if (job > 0) {
    if (cupsStartDocument(http, destination.c_str(), job, title.c_str(), CUPS_FORMAT_PDF, 1) == HTTP_STATUS_CONTINUE) {
      const bool sent = cupsWriteRequestData(http, pdf.data(), pdf.size()) == HTTP_STATUS_CONTINUE;
      const ipp_status_t finished = cupsFinishDocument(http, destination.c_str());
      ok = sent && finished <= IPP_STATUS_OK_EVENTS_COMPLETE;
    }
    // A job that did not get its whole document must not print a part of it.
    if (!ok) cupsCancelJob2(http, destination.c_str(), job, 0);
  }
  cupsFreeOptions(count, options);
  httpClose(http);
  return ok;
}

}  // namespace qvp::gdi
