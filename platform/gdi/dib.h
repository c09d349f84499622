// Device-independent bitmaps: parsing a BITMAPINFO safely and the internal
// entry point that makes bitmaps from packed DIB bytes (bitmap resources).
#pragma once

#include "gdi/objects.h"

namespace qvp::gdi {

struct DibLayout {
  SurfaceFormat format;        // width, height, depth, row order, masks, colours
  BITMAPINFOHEADER bih{};      // the header as a 40-byte header (height keeps its sign)
  size_t info_size = 0;        // header + masks + colour table: where packed bits start
  uint64_t image_size = 0;     // bytes of pixel data
  bool core = false;           // BITMAPCOREHEADER
};

// Parses the BITMAPINFO at `info`, reading at most `avail` bytes. A colour table
// of DIB_PAL_COLORS indexes resolves through `palette`. Refuses (false, with
// the thread's last error set) unknown header sizes, sizes past the layer's
// limit, compressed formats, bad depths, colour counts and masks, and any
// header or table that does not fit in `avail`.
bool ParseDib(const void* info, size_t avail, UINT usage, const PaletteObj* palette, DibLayout* out);

// A surface over caller memory laid out as `layout` describes.
std::shared_ptr<Surface> DibView(const DibLayout& layout, const void* bits);

// Converts every pixel of `src` into `dst` (same size), through colours, or
// raw when both have the same depth and colour table.
void CopySurface(const Surface& src, Surface& dst);

struct DibLoadOptions {
  bool dib_section = false;    // keep the DIB's format, else a device bitmap
  bool monochrome = false;     // make it one bit per pixel
  bool map_3d_colors = false;  // table greys become the 3-D system colours
  bool transparent = false;    // the first pixel's table entry becomes the window colour
  int width = 0;               // stretch to this size; 0 keeps the image's own
  int height = 0;
};

// A bitmap from the BITMAPINFO at `info` (at most `info_avail` bytes readable)
// and its pixels at `bits` (at most `bits_avail` bytes); null `bits` means the
// pixels follow the colour table within `info_avail`. Null, with the last error
// set, when anything does not fit or is malformed.
HBITMAP BitmapFromDib(const void* info, size_t info_avail, const void* bits, size_t bits_avail,
                      const DibLoadOptions& options);

}  // namespace qvp::gdi

namespace qvp {

// A bitmap from a packed DIB (BITMAPINFOHEADER or BITMAPCOREHEADER, colour
// table, pixels), as bitmap resources hold them. Every size is checked against
// `size`: a truncated or malformed DIB gives null (ERROR_INVALID_DATA), never a
// read past the end. The result is a device bitmap (monochrome for a 1-bit DIB,
// else 32 bits), or a DIB section of the DIB's own format when asked.
HBITMAP CreateBitmapFromDib(const void* packed_dib, size_t size, bool as_dib_section = false);

}  // namespace qvp
