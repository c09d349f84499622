// SnapshotWindow: a window pictured as a PNG file.
#include <cerrno>
#include <string>

#include "display/compose.h"
#include "qvplatform.h"
#include "qvplatform/display.h"

namespace qvp {

bool SnapshotWindow(HWND hwnd, const char* path) {
  if (!path || !*path) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (!hwnd || !IsWindow(hwnd) || hwnd == GetDesktopWindow()) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  // Painted afresh with raster output, which stays as it was afterwards.
  const bool was_raster = RasterTextEnabled();
  SetRasterText(true);
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  display::Image image;
  const bool composed = display::ComposeWindow(hwnd, &image);
  SetRasterText(was_raster);
  if (!composed) {
    SetLastError(IsWindow(hwnd) ? ERROR_NOT_ENOUGH_MEMORY : ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  std::string error;
  errno = 0;
  if (!display::WritePng(image, path, &error)) {
    switch (errno) {
      case ENOENT: case ENOTDIR: SetLastError(ERROR_PATH_NOT_FOUND); break;
      case EACCES: case EPERM: case EROFS: case EISDIR: SetLastError(ERROR_ACCESS_DENIED); break;
      default: SetLastError(ERROR_WRITE_FAULT); break;
    }
    return false;
  }
  return true;
}

}  // namespace qvp
