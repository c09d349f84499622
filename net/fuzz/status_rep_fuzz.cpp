// libFuzzer target: the reader of "status.rep". Property: the texts end
// within their fields and the format is one of the five.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "report_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReportStatus status;
  const bool read = ParseReportStatus(reinterpret_cast<const char*>(data), size, &status);
  if (read != (size >= kStatusFixedBytes)) std::abort();
  if (strnlen(status.title, sizeof status.title) >= sizeof status.title) std::abort();
  if (strnlen(status.message, sizeof status.message) >= sizeof status.message) std::abort();
  if (status.format < 0 || status.format > 4) std::abort();
  if (std::strlen(ReportExtension(status.format)) != 3) std::abort();
  return 0;
}
