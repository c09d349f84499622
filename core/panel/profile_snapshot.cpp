// Message 1457: a copy of the panel's profile rows for other threads (the
// remote server's script pages). The copy is made on the panel's thread, so
// the caller never reads rows that the GUI thread may free meanwhile.
#include <cstdlib>
#include <cstring>

#include "host_tables.h"
#include "panel_state.h"

// Fills the record on the GUI thread (the panel's handler of 1457).
void FillProfileSnapshot(ProfileSnapshot* out) {
  if (!out) return;
  out->count = 0;
  out->rows = nullptr;
  const int32_t count = ProfileTable.count;
  if (count <= 0 || !ProfileTable.rows) return;
  const size_t pointers = sizeof(PROFILE*) * static_cast<size_t>(count);
  void* block = std::malloc(pointers + sizeof(PROFILE) * static_cast<size_t>(count));
  if (!block) return;
  auto** rows = static_cast<PROFILE**>(block);
  auto* copies = reinterpret_cast<PROFILE*>(static_cast<char*>(block) + pointers);
  for (int32_t i = 0; i < count; ++i) {
    if (ProfileTable.rows[i]) {
      std::memcpy(&copies[i], ProfileTable.rows[i], sizeof(PROFILE));
    } else {
      std::memset(&copies[i], 0, sizeof(PROFILE));
    }
    rows[i] = &copies[i];
  }
  out->rows = rows;
  out->count = count;
}

bool RequestProfileSnapshot(HWND panel, ProfileSnapshot* out) {
  if (!out) return false;
  out->count = 0;
  out->rows = nullptr;
  if (!panel || !IsWindow(panel)) return false;
  SendMessageA(panel, QVM_GET_PROFILES, 0, reinterpret_cast<LPARAM>(out));
  return true;
}
