// Image lists inside the layer: equally sized images kept as plain pixels, each
// with a transparency mask when the list has one.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "qvplatform.h"

namespace qvp::ui::comctl {

// The pixels of a bitmap, top row first, as COLORREF values.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> data;

  COLORREF At(int x, int y) const { return data[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
};

// Reads any bitmap of the layer's GDI; false (with the last error set) for a bad handle.
bool ReadBitmap(HBITMAP bitmap, Pixels* out);

// A bitmap (a DIB section) from a bitmap resource of a module, every size in it
// checked; null when missing (the resource error) or malformed (ERROR_INVALID_DATA).
HBITMAP LoadBitmapResource(HINSTANCE module, LPCSTR name);

struct ImageList {
  struct Image {
    std::vector<COLORREF> pixels;  // cx * cy, top row first
    std::vector<uint8_t> mask;     // cx * cy, 1 = transparent; empty for a list without a mask
  };

  std::mutex lock;
  int cx = 0;
  int cy = 0;
  UINT flags = 0;
  int grow = 4;
  COLORREF bk = CLR_NONE;
  std::vector<Image> images;

  bool masked() const { return (flags & ILC_MASK) != 0; }
};

// The list behind a handle, or null (ERROR_INVALID_HANDLE) for one that is not
// (or no longer) a live image list.
std::shared_ptr<ImageList> FindImageList(HIMAGELIST himl);

}  // namespace qvp::ui::comctl
