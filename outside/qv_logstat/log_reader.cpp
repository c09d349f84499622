// Reading entries back: whole entries in file order; damaged bytes skipped.
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "entry_format.h"
#include "qv_logstat.h"

struct QVLS_READER {
  std::string path;
  HANDLE file = INVALID_HANDLE_VALUE;
  std::vector<unsigned char> buffer;  // bytes read and not yet used
  qvls::CrcIndex crcs;                // checksum states of buffer
  size_t at = 0;                      // first unused byte of buffer
};

namespace {

constexpr DWORD kChunk = 64 * 1024;

// Opens the file when it exists and is not open yet. False on a real error.
bool EnsureOpen(QVLS_READER* reader) {
  if (reader->file != INVALID_HANDLE_VALUE) return true;
  reader->file = CreateFileA(reader->path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (reader->file != INVALID_HANDLE_VALUE) return true;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Appends what the file holds beyond what was read: the number of new bytes,
// or -1 on a read error.
long ReadMore(QVLS_READER* reader) {
  if (!EnsureOpen(reader)) return -1;
  if (reader->file == INVALID_HANDLE_VALUE) return 0;
  if (reader->at > 0 && reader->at * 2 >= reader->buffer.size()) {
    reader->buffer.erase(reader->buffer.begin(), reader->buffer.begin() + static_cast<long>(reader->at));
    reader->crcs.DropFront(reader->at);
    reader->at = 0;
  }
  const size_t old = reader->buffer.size();
  reader->buffer.resize(old + kChunk);
  DWORD got = 0;
  const BOOL ok = ReadFile(reader->file, reader->buffer.data() + old, kChunk, &got, nullptr);
  reader->buffer.resize(old + (ok ? got : 0));
  reader->crcs.Append(reader->buffer.data() + old, reader->buffer.size() - old);
  return ok ? static_cast<long>(got) : -1;
}

// Moves past an incomplete entry when a whole entry starts later in the
// buffer; false when none does.
bool FindLaterEntry(QVLS_READER* reader) {
  std::vector<QVLS_ENTRY_FIELD> ignored;
  for (size_t from = reader->at + 1; from < reader->buffer.size(); ++from) {
    size_t used = 0;
    if (qvls::ParseEntry(reader->buffer.data() + from, reader->buffer.size() - from, &ignored, &used, &reader->crcs,
                         from) == qvls::Parse::kEntry) {
      reader->at = from;
      return true;
    }
  }
  return false;
}

}  // namespace

QV_API HQVLSREADER QVLS_LogStatusFileStartup(LPCSTR path) {
  if (path == nullptr || path[0] == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* reader = new (std::nothrow) QVLS_READER;
  if (reader == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  try {
    reader->path = path;
  } catch (...) {
    delete reader;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return reader;
}

QV_API int QVLS_ReadEntryFromLogStatusFile(HQVLSREADER reader, QVLS_ENTRY_FIELD** fields, int* count) {
  if (reader == nullptr || fields == nullptr || count == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  *fields = nullptr;
  *count = 0;
  try {
    std::vector<QVLS_ENTRY_FIELD> entry;
    for (;;) {
      const size_t left = reader->buffer.size() - reader->at;
      qvls::Parse parse = qvls::Parse::kNeedMore;
      size_t used = 0;
      if (left > 0) {
        parse = qvls::ParseEntry(reader->buffer.data() + reader->at, left, &entry, &used, &reader->crcs, reader->at);
      }
      if (parse == qvls::Parse::kEntry) {
        reader->at += used;
        const size_t bytes = entry.size() * sizeof(QVLS_ENTRY_FIELD);
        auto* out = static_cast<QVLS_ENTRY_FIELD*>(std::malloc(bytes > 0 ? bytes : 1));
        if (out == nullptr) {
          SetLastError(ERROR_NOT_ENOUGH_MEMORY);
          return -1;
        }
        if (bytes > 0) std::memcpy(out, entry.data(), bytes);
        *fields = out;
        *count = static_cast<int>(entry.size());
        return 1;
      }
      if (parse == qvls::Parse::kDamaged) {
        // Not an entry here: look for the next marker one byte on.
        ++reader->at;
        continue;
      }
      const long more = ReadMore(reader);
      if (more < 0) return -1;
      if (more > 0) continue;
      // Nothing more yet. An incomplete entry at the end may still be being
      // written; but when a whole entry follows it, it is a torn one.
      if (left > 0 && FindLaterEntry(reader)) continue;
      return 0;
    }
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return -1;
  }
}

QV_API void QVLS_FreeEntry(QVLS_ENTRY_FIELD* fields) { std::free(fields); }

QV_API void QVLS_LogStatusFileCleanup(HQVLSREADER reader) {
  if (reader == nullptr) return;
  if (reader->file != INVALID_HANDLE_VALUE) CloseHandle(reader->file);
  delete reader;
}
