// Image lists: creation, the handle registry, adding, replacing and removing
// images. A handle stays unique for the life of the process, so a destroyed
// list's handle is refused rather than reaching another list.
#include "ui/comctl/imagelist.h"
#include "ui/comctl/comctl_common.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace qvp::ui::comctl {
namespace {

// The most pixels one image may have (a hostile size is refused, not tried).
constexpr int64_t kMaxImagePixels = int64_t{1} << 22;

struct Registry {
  std::mutex lock;
  std::unordered_map<uintptr_t, std::shared_ptr<ImageList>> lists;
  uintptr_t next = 0x71000;
};

Registry& Lists() {
  static auto* r = new Registry;
  return *r;
}

COLORREF FromBgrx(uint32_t v) { return RGB((v >> 16) & 0xff, (v >> 8) & 0xff, v & 0xff); }

// Copies one image-sized piece of the source pixels (from column x0) into an image.
ImageList::Image Slice(const ImageList& l, const Pixels& image, const Pixels* mask, int x0) {
  ImageList::Image out;
  const size_t n = static_cast<size_t>(l.cx) * static_cast<size_t>(l.cy);
  out.pixels.assign(n, RGB(0, 0, 0));
  if (l.masked()) out.mask.assign(n, 0);
  for (int y = 0; y < std::min(l.cy, image.height); ++y) {
    for (int x = 0; x < l.cx && x0 + x < image.width; ++x) {
      const size_t i = static_cast<size_t>(y) * static_cast<size_t>(l.cx) + static_cast<size_t>(x);
      out.pixels[i] = image.At(x0 + x, y);
      if (l.masked() && mask && x0 + x < mask->width && y < mask->height)
        out.mask[i] = (mask->At(x0 + x, y) & 0xFFFFFF) != 0 ? 1 : 0;
    }
  }
  return out;
}

// Appends every image-wide slice; the index of the first, or -1.
int AddSlices(ImageList& l, const Pixels& image, const Pixels* mask, const COLORREF* key) {
  const int count = image.width / l.cx;
  if (count <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  const int first = static_cast<int>(l.images.size());
  for (int k = 0; k < count; ++k) {
    ImageList::Image img = Slice(l, image, mask, k * l.cx);
    if (key) {
      for (size_t i = 0; i < img.pixels.size(); ++i) {
        if (img.pixels[i] != *key) continue;
        img.pixels[i] = RGB(0, 0, 0);
        if (l.masked()) img.mask[i] = 1;
      }
    }
    l.images.push_back(std::move(img));
  }
  return first;
}

// An icon's colour and transparency at the list's size (nearest pixel when sizes differ).
bool ImageFromIcon(const ImageList& l, HICON icon, ImageList::Image* out) {
  ICONINFO ii{};
  if (!GetIconInfo(icon, &ii)) return false;
  Pixels mask, color;
  bool ok = ReadBitmap(ii.hbmMask, &mask) && (!ii.hbmColor || ReadBitmap(ii.hbmColor, &color));
  if (ii.hbmMask) DeleteObject(ii.hbmMask);
  if (ii.hbmColor) DeleteObject(ii.hbmColor);
  if (!ok) return false;
  // A monochrome icon keeps its AND mask over its XOR image in one bitmap.
  const int h = ii.hbmColor ? mask.height : mask.height / 2;
  const int w = mask.width;
  if (w <= 0 || h <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const size_t n = static_cast<size_t>(l.cx) * static_cast<size_t>(l.cy);
  out->pixels.assign(n, RGB(0, 0, 0));
  out->mask.assign(l.masked() ? n : 0, 0);
  const COLORREF behind = l.bk == CLR_NONE ? RGB(0, 0, 0) : l.bk;
  for (int y = 0; y < l.cy; ++y) {
    for (int x = 0; x < l.cx; ++x) {
      const int sx = x * w / l.cx, sy = y * h / l.cy;
      const bool clear = (mask.At(sx, sy) & 0xFFFFFF) != 0;
      COLORREF c = ii.hbmColor ? (sx < color.width && sy < color.height ? color.At(sx, sy) : 0)
                               : ((mask.At(sx, sy + h) & 0xFFFFFF) ? RGB(255, 255, 255) : RGB(0, 0, 0));
      const size_t i = static_cast<size_t>(y) * static_cast<size_t>(l.cx) + static_cast<size_t>(x);
      if (clear) c = l.masked() ? RGB(0, 0, 0) : behind;
      out->pixels[i] = c;
      if (l.masked()) out->mask[i] = clear ? 1 : 0;
    }
  }
  return true;
}

}  // namespace

bool ReadBitmap(HBITMAP bitmap, Pixels* out) {
  BITMAP bm{};
  if (!bitmap || GetObjectA(bitmap, sizeof(bm), &bm) < static_cast<int>(sizeof(bm)) || bm.bmWidth <= 0 ||
      bm.bmHeight <= 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  if (static_cast<int64_t>(bm.bmWidth) * bm.bmHeight > kMaxImagePixels * 16) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = bm.bmWidth;
  bi.bmiHeader.biHeight = -bm.bmHeight;  // top row first
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> raw(static_cast<size_t>(bm.bmWidth) * static_cast<size_t>(bm.bmHeight));
  HDC dc = CreateCompatibleDC(nullptr);
  const int got = GetDIBits(dc, bitmap, 0, static_cast<UINT>(bm.bmHeight), raw.data(), &bi, DIB_RGB_COLORS);
  DeleteDC(dc);
  if (got != bm.bmHeight) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  out->width = bm.bmWidth;
  out->height = bm.bmHeight;
  out->data.resize(raw.size());
  std::transform(raw.begin(), raw.end(), out->data.begin(), FromBgrx);
  return true;
}

std::shared_ptr<ImageList> FindImageList(HIMAGELIST himl) {
  Registry& r = Lists();
  std::lock_guard<std::mutex> g(r.lock);
  auto it = r.lists.find(reinterpret_cast<uintptr_t>(himl));
  if (it == r.lists.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return it->second;
}

}  // namespace qvp::ui::comctl

using namespace qvp::ui::comctl;

HIMAGELIST WINAPI ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow) {
  return Shielded<HIMAGELIST>(nullptr, [&]() -> HIMAGELIST {
    if (cx <= 0 || cy <= 0 || static_cast<int64_t>(cx) * cy > kMaxImagePixels || cInitial < 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    auto l = std::make_shared<ImageList>();
    l->cx = cx;
    l->cy = cy;
    l->flags = flags;
    l->grow = std::max(cGrow, 1);
    Registry& r = Lists();
    std::lock_guard<std::mutex> g(r.lock);
    uintptr_t id = r.next;
    r.next += 4;
    r.lists.emplace(id, std::move(l));
    return reinterpret_cast<HIMAGELIST>(id);
  });
}

BOOL WINAPI ImageList_Destroy(HIMAGELIST himl) {
  return Shielded<BOOL>(FALSE, [&]() -> BOOL {
    std::shared_ptr<ImageList> keep;  // freed after the registry lock
    Registry& r = Lists();
    std::lock_guard<std::mutex> g(r.lock);
    auto it = r.lists.find(reinterpret_cast<uintptr_t>(himl));
    if (it == r.lists.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    keep = std::move(it->second);
    r.lists.erase(it);
    return TRUE;
  });
}

int WINAPI ImageList_GetImageCount(HIMAGELIST himl) {
  return Shielded<int>(0, [&]() -> int {
    auto l = FindImageList(himl);
    if (!l) return 0;
    std::lock_guard<std::mutex> g(l->lock);
    return static_cast<int>(l->images.size());
  });
}

BOOL WINAPI ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy) {
  return Shielded<BOOL>(FALSE, [&]() -> BOOL {
    auto l = FindImageList(himl);
    if (!l || !cx || !cy) {
      if (l) SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    std::lock_guard<std::mutex> g(l->lock);
    *cx = l->cx;
    *cy = l->cy;
    return TRUE;
  });
}

int WINAPI ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask) {
  return Shielded<int>(-1, [&]() -> int {
    auto l = FindImageList(himl);
    if (!l) return -1;
    Pixels image, mask;
    if (!ReadBitmap(hbmImage, &image)) return -1;
    const bool with_mask = hbmMask && ReadBitmap(hbmMask, &mask);
    std::lock_guard<std::mutex> g(l->lock);
    return AddSlices(*l, image, with_mask ? &mask : nullptr, nullptr);
  });
}

int WINAPI ImageList_AddMasked(HIMAGELIST himl, HBITMAP hbmImage, COLORREF crMask) {
  return Shielded<int>(-1, [&]() -> int {
    auto l = FindImageList(himl);
    if (!l) return -1;
    Pixels image;
    if (!ReadBitmap(hbmImage, &image)) return -1;
    const COLORREF key = crMask & 0xFFFFFF;
    std::lock_guard<std::mutex> g(l->lock);
    return AddSlices(*l, image, nullptr, &key);
  });
}

int WINAPI ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON hicon) {
  return Shielded<int>(-1, [&]() -> int {
    auto l = FindImageList(himl);
    if (!l) return -1;
    // The icon is read without the list's lock: the GDI takes its own.
    ImageList shape;
    {
      std::lock_guard<std::mutex> g(l->lock);
      if (i < -1 || i >= static_cast<int>(l->images.size())) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
      }
      shape.cx = l->cx;
      shape.cy = l->cy;
      shape.flags = l->flags;
      shape.bk = l->bk;
    }
    ImageList::Image img;
    if (!ImageFromIcon(shape, hicon, &img)) return -1;
    std::lock_guard<std::mutex> g(l->lock);
    if (i == -1) {
      l->images.push_back(std::move(img));
      return static_cast<int>(l->images.size()) - 1;
    }
    if (i >= static_cast<int>(l->images.size())) {  // removed meanwhile
      SetLastError(ERROR_INVALID_PARAMETER);
      return -1;
    }
    l->images[static_cast<size_t>(i)] = std::move(img);
    return i;
  });
}

BOOL WINAPI ImageList_Remove(HIMAGELIST himl, int i) {
  return Shielded<BOOL>(FALSE, [&]() -> BOOL {
    auto l = FindImageList(himl);
    if (!l) return FALSE;
    std::lock_guard<std::mutex> g(l->lock);
    if (i == -1) {
      l->images.clear();
      return TRUE;
    }
    if (i < 0 || i >= static_cast<int>(l->images.size())) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    l->images.erase(l->images.begin() + i);
    return TRUE;
  });
}

COLORREF WINAPI ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk) {
  return Shielded<COLORREF>(CLR_NONE, [&]() -> COLORREF {
    auto l = FindImageList(himl);
    if (!l) return CLR_NONE;
    std::lock_guard<std::mutex> g(l->lock);
    return std::exchange(l->bk, clrBk);
  });
}

COLORREF WINAPI ImageList_GetBkColor(HIMAGELIST himl) {
  return Shielded<COLORREF>(CLR_NONE, [&]() -> COLORREF {
    auto l = FindImageList(himl);
    if (!l) return CLR_NONE;
    std::lock_guard<std::mutex> g(l->lock);
    return l->bk;
  });
}
