// The network API's user and group enumeration, and its built-in module.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "accounts/account_db.h"
#include "accounts/utf16.h"
#include "qvplatform/accounts.h"
#include "qvplatform/modules.h"

namespace qvp::accounts {
namespace {

// Null or empty: this computer. Anything else is another computer, which
// the layer does not reach.
NET_API_STATUS CheckServer(LPCWSTR server) {
  if (!server || !*server) return NERR_Success;
  if (server[0] == u'\\' && server[1] == u'\\' && server[2]) return ERROR_BAD_NETPATH;
  return NERR_InvalidComputer;
}

size_t EntrySize(const std::u16string& name) { return sizeof(LPWSTR) + (name.size() + 1) * sizeof(WCHAR); }

// One buffer: the records (each a single name pointer, as the three level-0
// records are), then the names they point to.
LPBYTE BuildBuffer(const std::vector<std::u16string>& names) {
  if (names.empty()) return nullptr;
  size_t total = 0;
  for (const auto& n : names) total += EntrySize(n);
  auto* block = static_cast<LPBYTE>(std::malloc(total));
  if (!block) return nullptr;
  auto* records = reinterpret_cast<LPWSTR*>(block);
  auto* text = reinterpret_cast<WCHAR*>(block + names.size() * sizeof(LPWSTR));
  for (size_t i = 0; i < names.size(); ++i) {
    records[i] = text;
    std::memcpy(text, names[i].c_str(), (names[i].size() + 1) * sizeof(WCHAR));
    text += names[i].size() + 1;
  }
  return block;
}

// Hands out names[start...] within the preferred length (at least one entry
// per call, so paging always moves on).
NET_API_STATUS Page(const std::vector<std::string>& all, size_t start, DWORD prefmaxlen, LPBYTE* bufptr,
                    LPDWORD entriesread, LPDWORD totalentries, size_t* next) {
  std::vector<std::u16string> page;
  size_t used = 0;
  size_t i = start;
  for (; i < all.size(); ++i) {
    std::u16string name = Utf8ToUtf16(all[i]);
    size_t size = EntrySize(name);
    if (!page.empty() && prefmaxlen != MAX_PREFERRED_LENGTH && used + size > prefmaxlen) break;
    used += size;
    page.push_back(std::move(name));
  }
  LPBYTE block = BuildBuffer(page);
  if (!page.empty() && !block) return ERROR_NOT_ENOUGH_MEMORY;
  *bufptr = block;
  *entriesread = static_cast<DWORD>(page.size());
  *totalentries = static_cast<DWORD>(start < all.size() ? all.size() - start : 0);
  *next = i;
  return i < all.size() ? ERROR_MORE_DATA : NERR_Success;
}

}  // namespace
}  // namespace qvp::accounts

using namespace qvp::accounts;

QV_API NET_API_STATUS NetUserEnum(LPCWSTR servername, DWORD level, DWORD filter, LPBYTE* bufptr, DWORD prefmaxlen,
                                  LPDWORD entriesread, LPDWORD totalentries, LPDWORD resume_handle) {
  if (!bufptr || !entriesread || !totalentries) return ERROR_INVALID_PARAMETER;
  *bufptr = nullptr;
  *entriesread = 0;
  *totalentries = 0;
  if (NET_API_STATUS s = CheckServer(servername); s != NERR_Success) return s;
  if (level != 0) return ERROR_INVALID_LEVEL;
  // Every account here is a normal one.
  std::vector<std::string> users;
  if (filter == 0 || (filter & FILTER_NORMAL_ACCOUNT)) users = AllUserNames();
  size_t next = 0;
  NET_API_STATUS s = Page(users, resume_handle ? *resume_handle : 0, prefmaxlen, bufptr, entriesread, totalentries,
                          &next);
  if (resume_handle) *resume_handle = s == ERROR_MORE_DATA ? static_cast<DWORD>(next) : 0;
  return s;
}

QV_API NET_API_STATUS NetLocalGroupEnum(LPCWSTR servername, DWORD level, LPBYTE* bufptr, DWORD prefmaxlen,
                                        LPDWORD entriesread, LPDWORD totalentries, PDWORD_PTR resumehandle) {
  if (!bufptr || !entriesread || !totalentries) return ERROR_INVALID_PARAMETER;
  *bufptr = nullptr;
  *entriesread = 0;
  *totalentries = 0;
  if (NET_API_STATUS s = CheckServer(servername); s != NERR_Success) return s;
  if (level != 0) return ERROR_INVALID_LEVEL;
  size_t next = 0;
  NET_API_STATUS s =
      Page(AllGroupNames(), resumehandle ? *resumehandle : 0, prefmaxlen, bufptr, entriesread, totalentries, &next);
  if (resumehandle) *resumehandle = s == ERROR_MORE_DATA ? next : 0;
  return s;
}

QV_API NET_API_STATUS NetUserGetLocalGroups(LPCWSTR servername, LPCWSTR username, DWORD level, DWORD /*flags*/,
                                            LPBYTE* bufptr, DWORD prefmaxlen, LPDWORD entriesread,
                                            LPDWORD totalentries) {
  if (!bufptr || !entriesread || !totalentries || !username) return ERROR_INVALID_PARAMETER;
  *bufptr = nullptr;
  *entriesread = 0;
  *totalentries = 0;
  if (NET_API_STATUS s = CheckServer(servername); s != NERR_Success) return s;
  if (level != 0) return ERROR_INVALID_LEVEL;
  std::optional<std::string> user = FindUser(Utf16ToUtf8(username));
  if (!user) return NERR_UserNotFound;
  size_t next = 0;
  // Direct and indirect membership are the same here (LG_INCLUDE_INDIRECT changes nothing).
  return Page(GroupsOfUser(*user), 0, prefmaxlen, bufptr, entriesread, totalentries, &next);
}

QV_API NET_API_STATUS NetApiBufferFree(LPVOID Buffer) {
  std::free(Buffer);
  return NERR_Success;
}

namespace {

template <class F>
FARPROC Export(F* function) {
  return reinterpret_cast<FARPROC>(function);
}

const qvp::BuiltinExport kNetApiExports[] = {
    {"NetUserEnum", Export(&NetUserEnum)},
    {"NetLocalGroupEnum", Export(&NetLocalGroupEnum)},
    {"NetUserGetLocalGroups", Export(&NetUserGetLocalGroups)},
    {"NetApiBufferFree", Export(&NetApiBufferFree)},
    {nullptr, nullptr},
};

[[maybe_unused]] const bool kRegistered = (qvp::RegisterBuiltinModule("NetApi32.dll", kNetApiExports), true);

}  // namespace
