#include "ui/last_error.h"

namespace qvp::ui {
namespace {
thread_local DWORD last_error = 0;
}  // namespace

void SetError(DWORD code) { last_error = code; }
DWORD GetError() { return last_error; }

}  // namespace qvp::ui
