#include "resources/module_table.h"

#include "qvplatform/modules.h"
#include "qvplatform/nocase.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace qvp {
namespace {

std::atomic<LANGID> ui_language{1033};

struct TestTables {
  std::mutex lock;
  std::unordered_map<HMODULE, const QvResourceDirectory*> tables;
};

TestTables& Tests() {
  static TestTables* tests = new TestTables;  // lives past static destructors of other modules
  return *tests;
}

bool ValidTable(const QvResourceDirectory* table) {
  return table != nullptr && table->magic == QV_RESOURCE_TABLE_MAGIC && table->version == QV_RESOURCE_TABLE_VERSION &&
         (table->count == 0 || table->entries != nullptr);
}

// "#123" names the number 123; false for any other text.
bool NumericName(const char* text, uint16_t* value) {
  if (text[0] != '#' || text[1] == '\0') return false;
  uint32_t v = 0;
  for (const char* p = text + 1; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    v = v * 10 + static_cast<uint32_t>(*p - '0');
    if (v > 0xFFFF) return false;
  }
  *value = static_cast<uint16_t>(v);
  return true;
}

}  // namespace

int LanguageRank(LANGID candidate, LANGID ui) {
  if (candidate == ui) return 0;
  if (candidate == MAKELANGID(PRIMARYLANGID(ui), SUBLANG_NEUTRAL)) return 1;
  if (candidate == MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)) return 2;
  if (PRIMARYLANGID(candidate) == PRIMARYLANGID(ui)) return 3;
  if (candidate == 1033) return 4;
  return 5;
}

void SetResourceLanguage(LANGID language) { ui_language.store(language); }
LANGID GetResourceLanguage() { return ui_language.load(); }

void RegisterResourceTableForTests(HMODULE module, const void* table) {
  TestTables& t = Tests();
  std::lock_guard<std::mutex> g(t.lock);
  if (table == nullptr) {
    t.tables.erase(module);
  } else {
    t.tables[module] = static_cast<const QvResourceDirectory*>(table);
  }
}

const QvResourceDirectory* FindModuleResourceTable(HMODULE module, DWORD* error) {
  const QvResourceDirectory* table = nullptr;
  bool registered = false;
  {
    TestTables& t = Tests();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.tables.find(module);
    if (it != t.tables.end()) {
      table = it->second;
      registered = true;
    }
  }
  // The module's own export only, never one of the libraries it depends on.
  if (!registered) table = static_cast<const QvResourceDirectory*>(ModuleSymbol(module, "QvResourceTable"));
  if (!ValidTable(table)) {
    *error = ERROR_RESOURCE_DATA_NOT_FOUND;
    return nullptr;
  }
  return table;
}

bool ResourceNameMatches(const char* entry_name, uint16_t entry_id, LPCSTR query) {
  if (IS_INTRESOURCE(query)) {
    return entry_name == nullptr && entry_id == LOWORD(reinterpret_cast<ULONG_PTR>(query));
  }
  uint16_t number = 0;
  if (NumericName(query, &number)) return entry_name == nullptr && entry_id == number;
  return entry_name != nullptr && EqualNoCase(entry_name, query);
}

const QvResourceEntry* FindEntry(const QvResourceDirectory& table, LPCSTR type, LPCSTR name, LANGID language,
                                 DWORD* error) {
  const LANGID ui = GetResourceLanguage();
  bool type_seen = false;
  bool name_seen = false;
  const QvResourceEntry* best = nullptr;
  int best_rank = 6;
  for (uint32_t i = 0; i < table.count; ++i) {
    const QvResourceEntry& e = table.entries[i];
    if (!ResourceNameMatches(e.type_name, e.type_id, type)) continue;
    type_seen = true;
    if (!ResourceNameMatches(e.name, e.id, name)) continue;
    name_seen = true;
    if (language != 0) {
      if (e.language == language) return &e;
      continue;
    }
    const int rank = LanguageRank(e.language, ui);
    if (rank < best_rank) {
      best = &e;
      best_rank = rank;
      if (rank == 0) break;
    }
  }
  if (best != nullptr) return best;
  *error = !type_seen ? ERROR_RESOURCE_TYPE_NOT_FOUND
           : !name_seen ? ERROR_RESOURCE_NAME_NOT_FOUND
                        : ERROR_RESOURCE_LANG_NOT_FOUND;
  return nullptr;
}

const QvResourceEntry* EntryFromHandle(HMODULE module, HRSRC handle) {
  DWORD ignored = 0;
  const QvResourceDirectory* table = FindModuleResourceTable(module, &ignored);
  if (table == nullptr || handle == nullptr || table->count == 0) return nullptr;
  // Compare addresses as numbers: the handle may point anywhere.
  const auto first = reinterpret_cast<uintptr_t>(table->entries);
  const auto h = reinterpret_cast<uintptr_t>(handle);
  if (h < first) return nullptr;
  const uintptr_t offset = h - first;
  if (offset % sizeof(QvResourceEntry) != 0 || offset / sizeof(QvResourceEntry) >= table->count) return nullptr;
  return &table->entries[offset / sizeof(QvResourceEntry)];
}

}  // namespace qvp
