// The status log reader on a file holding the input.
//
// Properties: the reader, which reads in chunks and checksums spans through its
// index, finds exactly the entries a plain scan of the whole input finds (with
// each body checksummed directly), in the same order; every text lies within
// its field and holds only input bytes.
#include <cstring>
#include <string>
#include <vector>

#include "entry_format.h"
#include "fuzz_support.h"
#include "qv_logstat.h"

namespace {

using Entry = std::vector<QVLS_ENTRY_FIELD>;

// The entries a reader must return, found the simple way.
std::vector<Entry> PlainScan(const unsigned char* data, size_t size) {
  std::vector<Entry> entries;
  size_t at = 0;
  while (at < size) {
    Entry fields;
    size_t used = 0;
    const qvls::Parse parse = qvls::ParseEntry(data + at, size - at, &fields, &used);
    if (parse == qvls::Parse::kEntry) {
      entries.push_back(fields);
      at += used;
    } else if (parse == qvls::Parse::kDamaged) {
      ++at;
    } else {
      // Cut short: skipped only when a whole entry follows.
      size_t later = at + 1;
      for (; later < size; ++later) {
        if (qvls::ParseEntry(data + later, size - later, &fields, &used) == qvls::Parse::kEntry) break;
      }
      if (later >= size) break;
      at = later;
    }
  }
  return entries;
}

bool SameEntry(const Entry& a, const QVLS_ENTRY_FIELD* b, int count) {
  if (static_cast<int>(a.size()) != count) return false;
  for (int n = 0; n < count; ++n) {
    if (a[n].type != b[n].type || a[n].time != b[n].time || std::strcmp(a[n].text, b[n].text) != 0) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1024 * 1024) return 0;
  const std::string path = qvfuzz::WriteScratch("status.log", qvfuzz::Bytes(data, size));
  const std::vector<Entry> expected = PlainScan(data, size);

  HQVLSREADER reader = QVLS_LogStatusFileStartup(path.c_str());
  FUZZ_CHECK(reader != nullptr);
  size_t found = 0;
  for (;;) {
    QVLS_ENTRY_FIELD* fields = nullptr;
    int count = 0;
    const int result = QVLS_ReadEntryFromLogStatusFile(reader, &fields, &count);
    FUZZ_CHECK(result == 0 || result == 1);
    if (result == 0) break;
    FUZZ_CHECK(count >= 0 && count <= QVLS_MAX_FIELDS);
    for (int n = 0; n < count; ++n) {
      FUZZ_CHECK(std::memchr(fields[n].text, '\0', sizeof fields[n].text) != nullptr);
      const std::string text = fields[n].text;
      FUZZ_CHECK(text.empty() || qvfuzz::Bytes(data, size).find(text) != std::string_view::npos);
    }
    FUZZ_CHECK(found < expected.size() && SameEntry(expected[found], fields, count));
    ++found;
    QVLS_FreeEntry(fields);
  }
  FUZZ_CHECK(found == expected.size());
  // A second call at the end finds nothing new.
  QVLS_ENTRY_FIELD* none = nullptr;
  int count = 0;
  FUZZ_CHECK(QVLS_ReadEntryFromLogStatusFile(reader, &none, &count) == 0 && none == nullptr);
  QVLS_LogStatusFileCleanup(reader);
  return 0;
}
